#pragma once
// Time, timers and event dispatch. Every timer, clock read, busy wait and "let pending
// events run" in the program goes through a Scheduler, so tests can run in virtual time.
#include <cstdint>
#include <functional>
#include <memory>

namespace k45 {

// A window-style timer: while enabled it fires every interval() ms. Enabling it, or
// changing the interval while it is enabled, restarts the countdown.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;
    virtual void setHandler(std::function<void()> handler) = 0;
};

class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual std::unique_ptr<Timer> createTimer() = 0;
    // Monotonic milliseconds since an arbitrary start.
    virtual std::int64_t nowMs() const = 0;
    // Seconds since local midnight, with fractions (the time-of-day clock).
    virtual double secondsSinceMidnight() const = 0;
    // Current wall-clock time as seconds since 1970-01-01 UTC.
    virtual std::int64_t wallClockSeconds() const = 0;
    // Runs whatever is pending now (posted tasks, due timers, received input).
    virtual void processEvents() = 0;
    // Queues a task to run on the event loop after the current handler.
    virtual void post(std::function<void()> task) = 0;
    // Waits ms milliseconds without spinning. With dispatch, pending events run during the
    // wait; without, nothing else runs until it ends.
    virtual void wait(int ms, bool dispatch) = 0;
};

}  // namespace k45
