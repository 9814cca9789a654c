#pragma once
// The exchange of a radio-test window (Tune Radio, the test panels, the calibration windows)
// with the modem on the primary port: one command at a time, its reply read as the modem sends
// it, the response time-out and the resends; the keying of the radio, the unkey owed to a radio
// that may still be transmitting, and what the operator hears when the port is closed or leads
// to another device. The window keeps its own states and decides what each reply and time-out
// means for its procedure.
//
// Replies are read through the port's ModemLine: a record reaches the window only when it is
// part of the reply to the window's own command (its line or a resend of it), so a late reply
// to an earlier command, the second reply to a resend, or another window's reply on the same
// port never acknowledges it. A reading comes from one reply: the data records of that reply
// in arrival order, at whatever addresses the modem put them.
//
// The radio's keying belongs to the radio on the device, not to the window: every window on
// the port sees that an unkey is owed, and none keys the radio before the unkey is
// acknowledged. An unkey owed to a radio on a device the port no longer leads to is not sent
// to the new one; the operator hears that the old one may still be transmitting.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "params/diag_parsers.h"
#include "programming/modem_exchange.h"
#include "serial/modem_line.h"

namespace k45 {

class classComm;
class Scheduler;
class Timer;
struct SRecordMessage;

// A record of the reply to the window's command.
struct RadioReply {
    enum class Kind {
        Data,          // a data record
        End,           // the end record
        Acknowledged,  // the closing record at address 0 (a value reply carries its data)
        Status,        // a closing record at another address: no acknowledgement
    };
    Kind kind = Kind::Data;
    const SRecordMessage* record = nullptr;
    // Data: with this record the reply has brought the diagnostic block, all from this reply.
    bool blockComplete = false;
    std::span<const std::int16_t> block;  // its kDiagnosticBlockSize bytes, once complete
    // Acknowledged: it confirmed the radio off after the operator had heard it may still be
    // transmitting; the window tells kTxOffLaterText.
    bool offAfterWarning = false;
};

class RadioExchange {
public:
    // How a command bears on the transmitter.
    enum class Keying {
        None,
        Keys,    // a keyed tune record, "BALANCE", "PSUDO"
        Unkeys,  // a receive tune record, "T0": acknowledged, the radio is off
    };
    enum class Gate {
        Go,       // the exchange may start
        Wait,     // an unkey goes first: the send waits (the caller keeps it pending)
        Refused,  // the port is closed: nothing goes (the operator was told, once per loss)
    };

    struct Hooks {
        std::function<classComm*()> port;          // the primary port, at each use
        std::function<bool()> active;              // the window is the main window's active child
        std::function<void()> timedOut;            // the response time-out of the window's exchange
        std::function<std::string()> unkeyLine;    // the line that unkeys the window's radio
        // The owed unkey was acknowledged: the window shows receive and takes up what waited
        // behind it (the operator is told afterwards).
        std::function<void()> unkeyAcknowledged;
        // The owed unkey could not be sent or went unanswered: a Close that waited goes on (true),
        // other sends stay waiting behind the unkey.
        std::function<bool()> unkeyGivenUp;
        std::function<void()> countResend;         // empty: resends are not counted in the status bar
        std::function<void(const std::string&)> tell;
    };

    RadioExchange(Scheduler* scheduler, int responseMs, LoadToken& load, Hooks hooks);
    ~RadioExchange();
    RadioExchange(const RadioExchange&) = delete;
    RadioExchange& operator=(const RadioExchange&) = delete;

    // ---- the window's commands, one at a time
    // A new load: nothing known of a lost port, a test or a point.
    void Begin();
    // The load ends: the timer stops, an unkey under way is left to the next window.
    void End();
    // A new command: its line goes out, a full response time from now, no resend made yet.
    // False (nothing sent) with the port closed. An unkey on its way is set aside (it stays
    // owed): the window's gates keep this from happening but for its own end test.
    bool Send(const std::string& line, Keying keying = Keying::None);
    // A line whose reply nobody awaits ("BALANCE", "PSUDO", the panels' "AR", a pot value): owed
    // to no exchange, the open one goes on. False with the port closed.
    bool Post(const std::string& line, Keying keying = Keying::None);
    // At a time-out: the same line again, a full response time from now, while fewer than three
    // resends were made and the line is up; what is still to come of a reply to it under way is
    // skipped. False (nothing sent) when the window has to give up.
    [[nodiscard]] bool Resend(ModemExchange::Tally tally = ModemExchange::Tally::Silent);
    // A time-out taken as a try without sending (the window repeats its step later): false once
    // three were taken.
    [[nodiscard]] bool CountAnotherTry();
    bool CanResend() const { return exchange_.CanResend(); }
    std::int16_t resends() const { return exchange_.resends(); }
    void ClearResends() { exchange_.ClearResends(); }
    // The next record is awaited a full response time from now.
    void Await() { exchange_.Await(); }
    void Stop() { exchange_.Stop(); }
    Timer& timer() { return exchange_.timer(); }

    // A record the port handed the window: its part of the reply to the window's command, or
    // nothing (a record of another command or window, a stray, a skipped reply, or a record of
    // the owed unkey, which this class takes itself). A data record that can still complete the
    // block gives the reply a fresh time-out.
    std::optional<RadioReply> Take(std::int16_t slot);

    // ---- the line
    bool lineUp() const;
    // The line is up; a later loss is told again. False while it is down.
    bool LineBack();
    // The port is closed: told once per loss; a radio that may transmit is owed its unkey.
    void TellPortClosed();
    // The port was lost while the end test's "T0" awaited its acknowledgement.
    void TellEndTestPortLost();
    // Close with the port closed: the window goes, and the unkey with it, so none is promised.
    void TellClosedAtClose();
    int PortNumber() const;

    // ---- the radio
    // A keying line went out and no unkeying one was acknowledged since.
    bool mayTransmit() const;
    bool unkeyOwed() const;
    bool unkeyUnderWay() const { return unkeyUnderWay_; }
    // A tune record or a keying command went out since the load or the last acknowledged "T0".
    bool inTest() const { return inTest_; }
    // Whether an exchange of the window may start now: Refused with the port closed (told once
    // per loss); Wait while an unkey is owed, which goes first, and for an operator's action
    // the operator hears again how it went; else Go.
    Gate Ready(bool operatorAction);
    // The poll's gate: quiet with the port closed; an owed unkey goes instead of the poll.
    bool PollReady();
    // The window gave its exchange up: when the radio may transmit, the unkey is owed and goes
    // now (with the port closed it waits). `pointLost`: a calibration point was being measured.
    void GiveUp(bool pointLost);
    // The owed unkey, as an exchange of its own (three resends); with the port closed it waits.
    void SendUnkey();
    // The window leaves its radio (its close box, Cancel, Clear, a port swap, a new device): a
    // radio in a test is sent "T0" (`endTest`) or a radio that may transmit its unkey, without
    // waiting; with the port closed the operator hears that the unkey could not be sent.
    // Nothing more is owed to that radio by this window.
    void Leave(bool endTest);

private:
    bool Start(const std::string& line, Keying keying);
    RadioKeying* Radio() const;
    ModemLine* Line() const;
    void NoteKeying(const std::string& line, Keying keying);
    bool Write(const std::string& line, const ReplyTag& tag);
    void TimedOut();
    void UnkeyAnswered();
    void UnkeyUnanswered();
    // The port is closed: a radio that may transmit is owed its unkey; the loss is told once,
    // in the words `text` gives.
    void TellLoss(std::string (*text)(int portNumber, bool keyed));
    // A radio the port no longer leads to: told once.
    void TellLeftRadio();
    void Tell(const std::string& text);

    LoadToken& load_;
    Hooks hooks_;
    const int responseMs_;
    ModemExchange exchange_;
    std::uint64_t command_ = 0;  // the number of the window's command now
    std::string line_;           // its line, for resends
    Keying keying_ = Keying::None;
    bool unkeyUnderWay_ = false;
    bool inTest_ = false;
    bool portTold_ = false;     // the loss of the port was told; reset when the line is back
    bool retellUnkey_ = false;  // an operator's action waits behind the owed unkey
    bool pointLost_ = false;    // the unkey owed follows a calibration point given up
};

}  // namespace k45
