#pragma once
// What every modem dialogue does around one command: send it, wait a response time for the
// answer, send it again a few times, give up; and the token of its window's load, checked
// after any message box. Plain: the timer comes from the Scheduler, everything the dialogue
// owns (port, status bar, window) is reached through its own hooks.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

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
// or give up (Stop, its message, and the load token checked before it goes on). A dialogue that
// gives up while the radio may transmit (mayTransmit) owes it an unkey (OweUnkey), an exchange
// of its own that counts only when the modem acknowledges it; until then the operator is told
// once that the radio may still transmit, and the unkey goes first whenever the line is up. A
// lost port is told once per loss. What is said is the dialogue's: this class decides whether.
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

    // The transmitter: a keyed record went out and no unkeyed record was acknowledged since.
    void SentRecord(bool keyed) {
        lastKeyed_ = keyed;
        if (keyed) mayTransmit_ = true;
    }
    // The modem acknowledged the record last sent. True when that confirms an owed unkey the
    // operator was told about (UnkeyAcknowledged).
    bool RecordAcknowledged() { return lastKeyed_ ? false : UnkeyAcknowledged(); }
    // A command that keys the transmitter by itself went out.
    void Keyed() { mayTransmit_ = true; }
    // The radio was told to stop transmitting and will not be heard of again (the window
    // leaves, the port changes hands): nothing more is owed to it.
    void Unkeyed() { mayTransmit_ = unkeyOwed_ = unkeyTold_ = retellUnkey_ = false; }
    // A new load: nothing known of the radio's keying, nor of a lost port.
    void ForgetKeying() { mayTransmit_ = lastKeyed_ = unkeyOwed_ = unkeyTold_ = retellUnkey_ = portTold_ = false; }
    bool mayTransmit() const { return mayTransmit_; }

    // The unkey owed to a radio that may transmit: the dialogue gave up on it, or could not
    // reach it. It stays owed until the modem acknowledges an unkey ("T0" or a receive
    // record), and goes before anything else whenever the line is up and the modem may answer.
    void OweUnkey() {
        if (mayTransmit_) unkeyOwed_ = true;
    }
    bool unkeyOwed() const { return unkeyOwed_; }
    // The operator was told that the radio may still transmit; the acknowledgement is then
    // told too.
    void ToldMayTransmit() { unkeyTold_ = true; }
    bool toldMayTransmit() const { return unkeyTold_; }
    // The modem acknowledged an unkey: the radio is off. True when the operator had been told
    // it may still transmit (and must now hear that it is off).
    bool UnkeyAcknowledged() {
        const bool tell = unkeyOwed_ && unkeyTold_;
        mayTransmit_ = lastKeyed_ = unkeyOwed_ = unkeyTold_ = retellUnkey_ = false;
        return tell;
    }
    // An operator's action sent the owed unkey and waits behind it: if it goes unanswered, the
    // operator hears so again.
    void UnkeyForAction() { retellUnkey_ = true; }
    // The owed unkey's resends are spent with the line up. Nothing to tell (nullopt) when the
    // operator heard already and no action waits; else whether the radio may still transmit
    // (false: it had acknowledged its receive set-up).
    std::optional<bool> UnkeyUnanswered();

    // The port to the modem is closed: a radio that may transmit is owed its unkey. Told once
    // per loss: nullopt when told already, else whether the radio may be transmitting.
    std::optional<bool> PortLost();
    // The same as the window closes, so the unkey will not follow: a radio that may transmit is
    // told of again, since an earlier message promised the unkey.
    std::optional<bool> PortLostAtClose();
    // The line is up, and a later loss is told again. False while it is down.
    bool LineBack();

private:
    void Tell(Tally tally);
    std::optional<bool> TellPortLost(bool retellKeyed);

    std::unique_ptr<Timer> timer_;
    Hooks hooks_;
    std::function<void()> last_;
    std::int16_t resends_ = 0;
    bool mayTransmit_ = false;
    bool lastKeyed_ = false;
    bool unkeyOwed_ = false;
    bool unkeyTold_ = false;
    bool retellUnkey_ = false;  // an action waits behind the owed unkey
    bool portTold_ = false;     // the loss of the port was told; reset when the line is back
};

}  // namespace k45
