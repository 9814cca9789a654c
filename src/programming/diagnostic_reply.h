#pragma once
// The data block of one diagnostic reply ("AS", "AT", "RSSI"): 42 bytes carried by one or more
// data records, then an end record. Each record's bytes are placed by its address, so a block
// is whole only when every byte came, once, from the same reply: a record that overlaps
// another, data after the end record, or a reply that ends short refuse the block. A reading
// is never taken from the tail of one reply and the head of the next.
#include <array>
#include <bitset>
#include <cstdint>
#include <span>

#include "params/diag_parsers.h"

namespace k45 {

struct SRecordMessage;

class DiagnosticReply {
public:
    static constexpr int kBlockSize = kDiagnosticBlockSize;

    enum class Status {
        Collecting,  // bytes are still missing
        Complete,    // every byte of the block is in, from this reply
        Refused,     // overlap, data after the end, or an end before the block was whole
    };

    // A new request went out (or the window loads): a new reply is awaited. What is still to
    // come of a reply under way (data came, its end did not, its block was not taken) is
    // skipped, up to its end record or to a record at address 0, which starts a reply.
    void Reset();
    // A record of the awaited reply: data (type 1) and end (type 9) records count, others are
    // ignored. Bytes beyond the block are dropped.
    Status Take(const SRecordMessage& rec);

    Status status() const { return status_; }
    bool complete() const { return status_ == Status::Complete; }
    // Bytes of the block in hand.
    int count() const { return static_cast<int>(have_.count()); }
    // The block, one byte value per element (whole only when complete()).
    std::span<const std::int16_t> block() const { return {bytes_.data(), bytes_.size()}; }

    // Every record the dialogue receives passes here first, whatever it awaits: true when the
    // record belongs to a diagnostic reply (a data or end record, or the acknowledgement that
    // follows them). An exchange awaiting the bare acknowledgement of another command skips
    // these: a resend that crossed a reply is answered too, and that second reply, which comes
    // after the first was taken, must not acknowledge the next exchange.
    bool OfReply(const SRecordMessage& rec);
    // The reply went silent for a response time: it is over, and the next acknowledgement is
    // not taken as its own. (Reset does this too.)
    void Lapse() { replyOpen_ = false; }

private:
    std::array<std::int16_t, kBlockSize> bytes_{};
    std::bitset<kBlockSize> have_;
    Status status_ = Status::Collecting;
    bool underWay_ = false;  // data came since the last end record
    bool skipping_ = false;  // the rest of an abandoned reply is passing
    bool replyOpen_ = false;  // a reply's data or end came; its acknowledgement did not yet
};

}  // namespace k45
