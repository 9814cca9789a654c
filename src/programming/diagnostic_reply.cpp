#include "programming/diagnostic_reply.h"

#include <algorithm>

#include "serial/messages.h"

namespace k45 {

void DiagnosticReply::Reset() {
    skipping_ = skipping_ || (underWay_ && status_ != Status::Complete);
    underWay_ = false;
    replyOpen_ = false;
    bytes_.fill(0);
    have_.reset();
    status_ = Status::Collecting;
}

bool DiagnosticReply::OfReply(const SRecordMessage& rec) {
    if (rec.recNum == 1 || rec.recNum == 9) {
        replyOpen_ = true;
        return true;
    }
    if (rec.recNum != 8 || !replyOpen_) return false;
    replyOpen_ = false;
    return true;
}

DiagnosticReply::Status DiagnosticReply::Take(const SRecordMessage& rec) {
    const bool data = rec.recNum == 1, end = rec.recNum == 9;
    if (!data && !end) return status_;
    underWay_ = data;
    if (skipping_) {
        // The abandoned reply's end, or the first record of a new one.
        if (end) {
            skipping_ = false;
            return status_;
        }
        if (rec.address != 0) return status_;
        skipping_ = false;
    }
    if (status_ != Status::Collecting) return status_;
    if (end) {
        status_ = Status::Refused;  // ended before the block was whole
        return status_;
    }
    if (rec.address < 0 || rec.dataCount < 0) {
        status_ = Status::Refused;
        return status_;
    }
    const int n = std::min<int>(rec.dataCount, static_cast<int>(rec.data.size()));
    for (int i = 0; i < n; ++i) {
        const std::int64_t at = std::int64_t{rec.address} + i;
        if (at >= kBlockSize) break;  // beyond the block: dropped
        const auto p = static_cast<std::size_t>(at);
        if (have_[p]) {
            // A byte twice: a record repeated, or one of another reply.
            status_ = Status::Refused;
            return status_;
        }
        bytes_[p] = rec.data[static_cast<std::size_t>(i)];
        have_.set(p);
    }
    if (have_.all()) status_ = Status::Complete;
    return status_;
}

}  // namespace k45
