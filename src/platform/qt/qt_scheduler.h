#pragma once
#include <QElapsedTimer>

#include "platform/scheduler.h"

namespace k45 {

// Scheduler on Qt's event loop (the program's time).
class QtScheduler : public Scheduler {
public:
    QtScheduler();
    std::unique_ptr<Timer> createTimer() override;
    std::int64_t nowMs() const override;
    double secondsSinceMidnight() const override;
    std::int64_t wallClockSeconds() const override;
    void processEvents() override;
    void post(std::function<void()> task) override;
    void wait(int ms, bool dispatch) override;

private:
    QElapsedTimer elapsed_;
};

}  // namespace k45
