#pragma once
// What every modem dialogue does around one command: send it, wait a response time for the
// answer, send it again a few times, give up; and the token of its window's load, checked
// after any message box. Plain: the timer comes from the Scheduler, everything the dialogue
// owns (port, status bar, window) is reached through its own hooks.
#include <cstdint>
#include <functional>
#include <memory>

namespace k45 {

class Scheduler;
class Timer;

// Resends of one command before a dialogue gives up.
inline constexpr int kMaxResends = 3;

// One per load of a dialogue's window. A message box runs an event loop of its own, in which
// the window may close (and even load again): a handler takes the token before the box and
// goes on afterwards only while Still(token).
class LoadToken {
public:
    using Value = std::uint64_t;

    void Begin() {
        loaded_ = true;
        ++generation_;
    }
    void End() {
        loaded_ = false;
        ++generation_;
    }
    bool loaded() const { return loaded_; }
    Value Take() const { return generation_; }
    bool Still(Value token) const { return loaded_ && token == generation_; }

private:
    bool loaded_ = false;
    Value generation_ = 0;
};

// One exchange at a time with the modem: the command last sent, the response timer and the
// resends made of it. The dialogue's time-out handler (onTimeOut) decides per state: Resend,
// or give up (Stop, its message, and the load token checked before it goes on). The radio-test
// windows build on it (RadioExchange) for their replies and the keying of the radio.
class ModemExchange {
public:
    struct Hooks {
        // False while the line to the modem is gone (its port closed): nothing is resent into
        // it, the dialogue gives up at once. Unset: the line counts as up.
        std::function<bool()> lineUp;
        // A resend the main window counts in its status bar.
        std::function<void()> countResend;
    };
    // Whether the main window's status bar counts a resend.
    enum class Tally { Counted, Silent };

    ModemExchange(Scheduler* scheduler, int responseMs, std::function<void()> onTimeOut, Hooks hooks = {});
    ~ModemExchange();
    ModemExchange(const ModemExchange&) = delete;
    ModemExchange& operator=(const ModemExchange&) = delete;

    Timer& timer() { return *timer_; }

    // A new exchange: the command goes out, no resend made yet, a full response time from now.
    void Send(std::function<void()> command);
    // The same exchange waits for its next record: a full response time from now.
    void Await();
    // The timer stops (an answer came, or the dialogue stopped waiting).
    void Stop();

    // One more resend may go: fewer than kMaxResends were made and the line is up.
    bool CanResend() const;
    // At a time-out: the last command again and a full response time, when CanResend; false
    // (nothing sent) when the dialogue has to give up.
    [[nodiscard]] bool Resend(Tally tally = Tally::Counted);
    // A resend made by running a step that starts its exchange itself (its Send makes it the
    // last command and would clear the count): the count goes on from this one. The step starts
    // its own timer; no check of CanResend.
    void ResendBy(const std::function<void()>& step, Tally tally = Tally::Counted);
    // The resends made of the last command.
    std::int16_t resends() const { return resends_; }
    // A fresh count for the exchange that follows without a Send of its own.
    void ClearResends() { resends_ = 0; }

    // The line to the modem is up (the hook's answer; unset: up).
    bool lineUp() const { return !hooks_.lineUp || hooks_.lineUp(); }

private:
    void Tell(Tally tally);

    std::unique_ptr<Timer> timer_;
    Hooks hooks_;
    std::function<void()> last_;
    std::int16_t resends_ = 0;
};

}  // namespace k45
