#include "support/virtual_scheduler.h"

#include <algorithm>
#include <ctime>

namespace k45::test {

class VirtualTimer : public Timer {
public:
    explicit VirtualTimer(VirtualScheduler& s) : s_(s), id_(s.nextTimerId_++) {}
    ~VirtualTimer() override { s_.cancelTimer(id_); }
    void setInterval(int ms) override {
        interval_ = ms;
        if (enabled_) restart();
    }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override {
        enabled_ = on;
        if (on) restart();
        else s_.cancelTimer(id_);
    }
    bool enabled() const override { return enabled_; }
    void setHandler(std::function<void()> h) override { handler_ = std::move(h); }

private:
    void restart() {
        s_.cancelTimer(id_);
        if (interval_ <= 0) return;
        arm(s_.now_ + interval_);
    }
    void arm(std::int64_t due) {
        s_.schedule(due, [this, due] {
            // Re-arm first so a handler that disables the timer wins.
            arm(due + interval_);
            if (handler_) handler_();
        }, id_);
    }
    VirtualScheduler& s_;
    std::uint64_t id_;
    int interval_ = 0;
    bool enabled_ = false;
    std::function<void()> handler_;
};

VirtualScheduler::VirtualScheduler() {
    // 2026-01-15 10:00:00 UTC: a fixed, ordinary day.
    wallBase_ = 1768471200;
}

VirtualScheduler::~VirtualScheduler() = default;

std::unique_ptr<Timer> VirtualScheduler::createTimer() { return std::make_unique<VirtualTimer>(*this); }

double VirtualScheduler::secondsSinceMidnight() const {
    std::time_t t = static_cast<std::time_t>(wallBase_ + now_ / 1000);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + (now_ % 1000) / 1000.0;
}

void VirtualScheduler::schedule(std::int64_t due, std::function<void()> fn, std::uint64_t timerId) {
    entries_.push_back(Entry{due, seq_++, std::move(fn), timerId});
}

void VirtualScheduler::cancelTimer(std::uint64_t timerId) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [timerId](const Entry& e) { return e.timerId == timerId; }),
                   entries_.end());
}

bool VirtualScheduler::popNext(std::int64_t upTo, Entry& out) {
    auto best = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if (it->due <= upTo && (best == entries_.end() || it->due < best->due ||
                                (it->due == best->due && it->seq < best->seq)))
            best = it;
    if (best == entries_.end()) return false;
    out = std::move(*best);
    entries_.erase(best);
    return true;
}

void VirtualScheduler::runDue(std::int64_t upTo) {
    while (true) {
        while (!posted_.empty()) {
            auto tasks = std::move(posted_);
            posted_.clear();
            for (auto& t : tasks) t();
        }
        Entry e;
        if (!popNext(upTo, e)) break;
        if (e.due > now_) now_ = e.due;
        e.fn();
    }
}

void VirtualScheduler::processEvents() {
    ++processEventsCalls_;
    runDue(now_);
}

void VirtualScheduler::post(std::function<void()> task) { posted_.push_back(std::move(task)); }

void VirtualScheduler::callAt(std::int64_t atMs, std::function<void()> fn) { schedule(atMs, std::move(fn), 0); }

void VirtualScheduler::advance(std::int64_t ms) {
    std::int64_t target = now_ + ms;
    runDue(target);
    if (now_ < target) now_ = target;
    runDue(now_);
}

bool VirtualScheduler::advanceUntil(const std::function<bool()>& pred, std::int64_t limitMs, std::int64_t stepMs) {
    std::int64_t end = now_ + limitMs;
    runDue(now_);
    while (!pred()) {
        if (now_ >= end) return false;
        advance(std::min(stepMs, end - now_));
    }
    return true;
}

void VirtualScheduler::wait(int ms, bool dispatch) {
    if (dispatch) {
        advance(ms);
    } else if (ms > 0) {
        now_ += ms;
    }
}

}  // namespace k45::test
