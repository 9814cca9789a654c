#include "platform/qt/qt_scheduler.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QTime>
#include <QTimer>
#include <chrono>
#include <thread>

namespace k45 {
namespace {

class QtTimer : public Timer {
public:
    QtTimer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (handler_) handler_();
        });
    }
    void setInterval(int ms) override {
        interval_ = ms;
        timer_.setInterval(ms < 0 ? 0 : ms);
        if (enabled_) timer_.start();
    }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override {
        enabled_ = on;
        if (on && interval_ > 0) timer_.start(interval_);
        else timer_.stop();
    }
    bool enabled() const override { return enabled_; }
    void setHandler(std::function<void()> handler) override { handler_ = std::move(handler); }

private:
    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = false;
    std::function<void()> handler_;
};

}  // namespace

QtScheduler::QtScheduler() { elapsed_.start(); }

std::unique_ptr<Timer> QtScheduler::createTimer() { return std::make_unique<QtTimer>(); }

std::int64_t QtScheduler::nowMs() const { return elapsed_.elapsed(); }

double QtScheduler::secondsSinceMidnight() const {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

std::int64_t QtScheduler::wallClockSeconds() const { return QDateTime::currentSecsSinceEpoch(); }

void QtScheduler::processEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtScheduler::post(std::function<void()> task) {
    QTimer::singleShot(0, QCoreApplication::instance(), std::move(task));
}

void QtScheduler::wait(int ms, bool dispatch) {
    if (ms <= 0) {
        if (dispatch) processEvents();
        return;
    }
    if (!dispatch) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace k45
