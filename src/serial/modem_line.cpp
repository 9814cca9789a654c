#include "serial/modem_line.h"

#include <algorithm>

namespace k45 {

namespace {

constexpr std::uint16_t kReplyLetter = 'R';

// The command word of a line: up to its line end, without a "REM" and unit ID in front.
std::string CommandWord(const std::string& line) {
    std::string w = line.substr(0, line.find_first_of("\r\n"));
    if (w.rfind("REM", 0) == 0 && w.size() >= 11) w = w.substr(11);
    return w;
}

}  // namespace

bool ReplyCarriesData(const std::string& line) {
    const std::string w = CommandWord(line);
    for (const char* request : {"AS", "AT", "DE", "DA", "NS", "RSSI", "CSWITCH"})
        if (w == request) return true;
    return false;
}

void ModemLine::Sent(const std::string& line, const ReplyTag& tag, int lapseMs, std::int64_t nowMs) {
    Lapse(nowMs);
    owed_.push_back({tag, ReplyCarriesData(line), lapseMs > 0 ? lapseMs : kDefaultReplyLapseMs, nowMs});
    lastActivityMs_ = nowMs;
}

void ModemLine::Lapse(std::int64_t nowMs) {
    std::erase_if(owed_, [&](const Owed& o) { return nowMs - std::max(lastActivityMs_, o.keptMs) >= o.lapseMs; });
}

void ModemLine::StillAwaited(const ReplyTag& tag, std::int64_t nowMs) {
    for (Owed& o : owed_)
        if (o.tag == tag) o.keptMs = nowMs;
}

bool ModemLine::Overlaps(const Reply& r, std::int64_t from, std::int64_t to) {
    return std::any_of(r.spans.begin(), r.spans.end(),
                       [&](const auto& s) { return from < s.second && s.first < to; });
}

void ModemLine::Begin(bool carriesData) {
    reply_ = Reply{};
    reply_.open = true;
    auto it = owed_.begin();
    if (carriesData) {
        it = std::find_if(owed_.begin(), owed_.end(), [](const Owed& o) { return o.carriesData; });
        // No owed line asks for data: a stray, and nothing owed is given up for it.
        if (it == owed_.end()) return;
        // The lines before it were not answered: the modem answers in order.
        owed_.erase(owed_.begin(), it);
        it = owed_.begin();
    }
    else if (it != owed_.end() && it->carriesData) {
        // A reply without data after a request for data: when a line that never gets data was
        // sent later, the request went unanswered and this reply is that line's.
        const auto bare = std::find_if(owed_.begin(), owed_.end(), [](const Owed& o) { return !o.carriesData; });
        if (bare != owed_.end()) {
            owed_.erase(owed_.begin(), bare);
            it = owed_.begin();
        }
    }
    if (it == owed_.end()) return;
    reply_.tag = it->tag;
    owed_.erase(it);
}

void ModemLine::Close() { reply_.open = false; }

ReplyPart ModemLine::PartNow(ReplyPart::Kind kind) const {
    ReplyPart p;
    p.kind = kind;
    p.tag = reply_.tag;
    p.skipped = reply_.skipped;
    p.ended = reply_.ended;
    p.byteCount = reply_.count;
    p.bytes = std::span<const std::int16_t>(reply_.bytes.data(),
                                            static_cast<std::size_t>(std::min(reply_.count, kReplyDataBytes)));
    return p;
}

const ReplyPart& ModemLine::Take(int slot, const SRecordMessage& rec, std::int64_t nowMs) {
    static const ReplyPart kNone{};
    const bool inTable = slot >= 0 && slot < kRxTableSlots;
    auto keep = [&](const ReplyPart& p) -> const ReplyPart& {
        if (!inTable) {
            scratch_ = p;
            return scratch_;
        }
        return *(parts_[static_cast<std::size_t>(slot)] = p);
    };
    if (rec.recType != kReplyLetter || (rec.recNum != 1 && rec.recNum != 8 && rec.recNum != 9)) return keep(kNone);
    Lapse(nowMs);
    lastActivityMs_ = nowMs;
    switch (rec.recNum) {
    case 1: {
        const int n = std::max<int>(rec.dataCount, 0);
        const std::int64_t from = rec.address, to = std::int64_t{rec.address} + n;
        // Data after the end, or data again at the same addresses: the next reply.
        if (reply_.open && (reply_.ended || Overlaps(reply_, from, to))) Close();
        if (!reply_.open) Begin(true);
        if (n > 0) reply_.spans.emplace_back(from, to);
        for (int i = 0; i < n && i < static_cast<int>(rec.data.size()); ++i) {
            if (reply_.count < kReplyDataBytes)
                reply_.bytes[static_cast<std::size_t>(reply_.count)] = rec.data[static_cast<std::size_t>(i)];
            ++reply_.count;
        }
        return keep(PartNow(ReplyPart::Kind::Data));
    }
    case 9:
        if (reply_.open && reply_.ended) Close();
        if (!reply_.open) Begin(false);
        reply_.ended = true;
        return keep(PartNow(ReplyPart::Kind::End));
    default: {
        if (!reply_.open) Begin(rec.dataCount > 0);
        const ReplyPart& p = keep(PartNow(ReplyPart::Kind::Close));
        Close();
        return p;
    }
    }
}

const ReplyPart* ModemLine::PartOf(int slot) const {
    if (slot < 0 || slot >= kRxTableSlots) return nullptr;
    const auto& p = parts_[static_cast<std::size_t>(slot)];
    return p ? &*p : nullptr;
}

void ModemLine::SkipUnderWay(const ReplyTag& tag) {
    if (reply_.open && reply_.tag == tag && tag.owner) reply_.skipped = true;
}

void ModemLine::Forget(const ReplyTag& tag) {
    std::erase_if(owed_, [&](const Owed& o) { return o.tag == tag; });
}

void ModemLine::Reset() {
    owed_.clear();
    reply_ = Reply{};
}

void ModemLine::DeviceOpened(const std::string& device) {
    if (device == radioDevice_) return;
    if (radio_.mayTransmit && !radioDevice_.empty()) leftRadio_ = radioDevice_;
    radio_ = RadioKeying{};
    radioDevice_ = device;
}

std::optional<std::string> ModemLine::TakeLeftRadio() {
    std::optional<std::string> left;
    left.swap(leftRadio_);
    return left;
}

}  // namespace k45
