#pragma once
// Virtual time for tests: nothing happens until the test advances the clock, and then
// every timer and scheduled call falls due in order, in microseconds of real time.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/scheduler.h"

namespace k45::test {

class VirtualScheduler : public Scheduler {
public:
    VirtualScheduler();
    ~VirtualScheduler() override;

    std::unique_ptr<Timer> createTimer() override;
    std::int64_t nowMs() const override { return now_; }
    double secondsSinceMidnight() const override;
    std::int64_t wallClockSeconds() const override { return wallBase_ + now_ / 1000; }
    void processEvents() override;
    void post(std::function<void()> task) override;
    void wait(int ms, bool dispatch) override;

    // Runs everything that falls due within the next ms milliseconds, in time order.
    void advance(std::int64_t ms);
    // Advances until pred() holds or limitMs passes; true when pred() held.
    bool advanceUntil(const std::function<bool()>& pred, std::int64_t limitMs, std::int64_t stepMs = 1);
    // Calls fn when the clock reaches atMs (absolute virtual time).
    void callAt(std::int64_t atMs, std::function<void()> fn);
    // Wall clock at virtual time 0, seconds since 1970 UTC; seconds since local midnight follow it.
    void setWallClock(std::int64_t secondsSinceEpoch) { wallBase_ = secondsSinceEpoch; }
    // Handlers run by the most recent processEvents() calls (for tests of yields).
    int processEventsCalls() const { return processEventsCalls_; }

private:
    friend class VirtualTimer;
    struct Entry {
        std::int64_t due;
        std::uint64_t seq;
        std::function<void()> fn;
        std::uint64_t timerId;  // 0 for one-shot calls
    };
    void runDue(std::int64_t upTo);
    bool popNext(std::int64_t upTo, Entry& out);
    void schedule(std::int64_t due, std::function<void()> fn, std::uint64_t timerId);
    void cancelTimer(std::uint64_t timerId);

    std::int64_t now_ = 0;
    std::int64_t wallBase_;
    std::uint64_t seq_ = 0;
    std::uint64_t nextTimerId_ = 1;
    std::vector<Entry> entries_;
    std::vector<std::function<void()>> posted_;
    int processEventsCalls_ = 0;
};

}  // namespace k45::test
