#include "params/diag_parsers.h"

#include <cstddef>

#include "base/utilities.h"

namespace k45 {
namespace {

bool ByteAt(std::span<const std::int16_t> data, std::size_t pos, std::int16_t& out) {
    if (pos >= data.size()) return false;
    out = data[pos];
    return true;
}

constexpr int kSetCount = 3;
constexpr int kSlotCount = 10;
constexpr std::size_t kGoodOffset = 30;
constexpr std::size_t kTotalOffset = 34;
constexpr std::size_t kDcdOffset = 38;

}  // namespace

void ParseDiagnosticBlock(DiagnosticsRecord& record, std::span<const std::int16_t> data) {
    std::int16_t third = 0;
    // The third byte tells the forms apart; without it the block is read as PNet.
    const bool rnet = ByteAt(data, 2, third) && third == 0;
    for (int s = 0; s < kSetCount; ++s) {
        auto& values = record.sets[s].values;
        const std::size_t base = static_cast<std::size_t>(s) * kSlotCount;
        for (int k = 0; k < kSlotCount; ++k) {
            if (!rnet) {
                ByteAt(data, base + static_cast<std::size_t>(k), values[k]);
            } else if (k == 2) {
                ByteAt(data, base, values[k]);  // battery stands in the set's first byte
            } else if (k < 5) {
                values[k] = -1;                 // not reported in this form
            } else {
                ByteAt(data, base + static_cast<std::size_t>(k), values[k]);
            }
        }
    }
    if (kGoodOffset < data.size()) record.goodCount = GetLongBigEndian(data, kGoodOffset);
    if (kTotalOffset < data.size()) record.totalCount = GetLongBigEndian(data, kTotalOffset);
    if (kDcdOffset < data.size()) record.dcdCount = GetLongBigEndian(data, kDcdOffset);
}

void ParseOfflineRecords(std::span<RemoteStatsEntry> entries, std::span<const std::int16_t> data, int count) {
    std::size_t p = 0;
    for (int e = 0; e < count; ++e) {
        // Entries past the list are still stepped over, storing nothing.
        RemoteStatsEntry scratch;
        RemoteStatsEntry& out = static_cast<std::size_t>(e) < entries.size() ? entries[e] : scratch;
        std::int16_t flags = 0;
        const bool haveFlags = ByteAt(data, p, flags);
        ++p;
        if (!haveFlags) {
            p += kRemoteStatsEntrySize - 1;
            continue;
        }
        if (flags & 0x01) {
            std::int16_t hi = 0, lo = 0;
            if (ByteAt(data, p, hi) && ByteAt(data, p + 1, lo)) {
                out.remoteId = hi * 256 + lo;
                out.idTruncated = (flags & 0x80) ? 1 : 0;
            }
        } else {
            out.remoteId = -1;
            out.idTruncated = -1;
        }
        p += 2;
        std::int16_t* fields[] = {&out.rssi, &out.temperature, &out.battery,
                                  &out.value6, &out.forwardPower, &out.reversePower};
        for (int i = 0; i < 6; ++i) {
            if (flags & (1 << (i + 1))) ByteAt(data, p, *fields[i]);
            else *fields[i] = -1;
            ++p;
        }
    }
}

}  // namespace k45
