#pragma once
// What a port object knows of the modem behind it: the replies it still owes to the command
// lines sent to it, which line each received reply record answers, the data of a reply in the
// order it came, and whether the radio on the device may be transmitting.
//
// The modem answers every command line with one reply, in the order the lines went out. A reply
// is closed by one type-8 record (an acknowledgement at address 0, a status, or a value carried
// as data), after the data records (type 1) and the end record (type 9) it may hold:
//   "T1..."    R9 R8                  (or a bare R8)
//   "AS"       R1 R1 R1 R9 R8         (data at the modem's memory addresses, in any split)
//   "CSWITCH"  R8 carrying one byte
// So a reply is taken as the answer to the oldest line still owed one. What tells one reply
// from the next is the modem's order and the shape of a reply, never an address read as an
// offset:
//   - a reply that carries data (a data record, or data in its closing record) cannot answer a
//     line whose reply never does ("T1", "T0", "AR", ...): owed lines before the first that can
//     take it went unanswered and lapse; with none that can, the reply is a stray. A reply
//     without data goes to the first owed line that never gets data, when a request for data
//     before it went unanswered (the modem always brings data to a request).
//   - a data or end record after the reply's end record, or a data record whose addresses
//     overlap those the reply already brought (a record repeated, or a next reply whose
//     predecessor lost its close), starts the next reply; the one under way ends unanswered.
// Owed lines lapse when nothing has been sent or received for their lapse time (the modem lost
// them). Opening or closing the port ends everything under way.
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "serial/messages.h"

namespace k45 {

// Who sent a line: an exchange of a window and the number of its command (its resends keep the
// number). The empty tag is a line of no exchange that reads replies this way.
struct ReplyTag {
    const void* owner = nullptr;
    std::uint64_t command = 0;
    bool operator==(const ReplyTag&) const = default;
};

// The lapse time of a line sent by a dialogue that gives none.
inline constexpr int kDefaultReplyLapseMs = 2000;
// Data bytes one reply keeps (more are dropped).
inline constexpr int kReplyDataBytes = 129;

// One received record as part of a reply.
struct ReplyPart {
    enum class Kind { Data, End, Close };
    Kind kind = Kind::Close;
    ReplyTag tag;            // the line it answers; empty: a stray, or a line of no exchange
    bool skipped = false;    // its sender gave this reply up (it sent the line again meanwhile)
    bool ended = false;      // its end record came (with this record or before)
    int byteCount = 0;       // data bytes the reply has brought so far
    std::span<const std::int16_t> bytes;  // those bytes in arrival order (at most kReplyDataBytes)
};

// Whether the reply to a line may carry data: the requests for diagnostics, samples, memory,
// statistics and values ("AS", "AT", "DE", "DA", "NS", "RSSI", "CSWITCH", also with "REM" and a
// unit ID before them).
bool ReplyCarriesData(const std::string& line);

// The radio on one device, as far as the program keyed it.
struct RadioKeying {
    bool mayTransmit = false;      // a keying line went out and no unkeying one was acknowledged since
    bool lastKeyed = false;        // the last tune record sent keyed the transmitter
    bool unkeyOwed = false;        // an exchange was given up while the radio may transmit
    bool toldMayTransmit = false;  // the operator heard that it may still be transmitting
    const void* unkeyBy = nullptr; // the exchange whose unkey is on its way
};

class ModemLine {
public:
    // A line went out at nowMs; its reply is owed.
    void Sent(const std::string& line, const ReplyTag& tag, int lapseMs, std::int64_t nowMs);
    // The record in table slot `slot` was received: its part of a reply. The port object takes
    // each record before it hands the slot to the windows. A record of another letter than the
    // modem's "R", or of another type than 1, 8 and 9, is no part of a reply (an empty tag).
    const ReplyPart& Take(int slot, const SRecordMessage& record, std::int64_t nowMs);
    // The part of the record last taken for a slot; nothing for a slot never taken. Its bytes
    // stay valid until the next record is taken.
    const ReplyPart* PartOf(int slot) const;

    // The sender sent the line again: what is still to come of a reply to it under way is
    // skipped (it brings no reading and acknowledges nothing).
    void SkipUnderWay(const ReplyTag& tag);
    // The sender still waits for the tag's reply without sending again (a window that repeats
    // its step only after several time-outs): its lines lapse a lapse time from now at the
    // earliest.
    void StillAwaited(const ReplyTag& tag, std::int64_t nowMs);
    // The sender gave its command up after its resends: the replies still owed to it lapse.
    void Forget(const ReplyTag& tag);
    // The port closed or opened: nothing owed is coming any more.
    void Reset();

    // The radio on the device the port leads to.
    RadioKeying& radio() { return radio_; }
    const RadioKeying& radio() const { return radio_; }
    // The port opened `device`. Another device than the radio's: the radio that may still be
    // transmitting stays behind on the old one, to be told of once (TakeLeftRadio).
    void DeviceOpened(const std::string& device);
    // The device of a radio left behind, once, when it may still be transmitting.
    std::optional<std::string> TakeLeftRadio();

private:
    struct Owed {
        ReplyTag tag;
        bool carriesData = false;
        int lapseMs = kDefaultReplyLapseMs;
        std::int64_t keptMs = 0;  // its sender still waited for it then
    };
    struct Reply {
        bool open = false;      // records came, its close did not
        bool ended = false;     // its end record came
        bool skipped = false;
        ReplyTag tag;
        std::vector<std::pair<std::int64_t, std::int64_t>> spans;  // addresses its data covered
        std::array<std::int16_t, kReplyDataBytes> bytes{};
        int count = 0;
    };
    void Lapse(std::int64_t nowMs);
    // A new reply whose first record carries data (or not): the owed line it answers.
    void Begin(bool carriesData);
    void Close();
    ReplyPart PartNow(ReplyPart::Kind kind) const;
    static bool Overlaps(const Reply& r, std::int64_t from, std::int64_t to);

    std::deque<Owed> owed_;
    Reply reply_;
    std::int64_t lastActivityMs_ = 0;
    std::array<std::optional<ReplyPart>, kRxTableSlots> parts_{};
    ReplyPart scratch_;
    RadioKeying radio_;
    std::string radioDevice_;
    std::optional<std::string> leftRadio_;
};

}  // namespace k45
