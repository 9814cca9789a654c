#pragma once
// Parsers of the modem's diagnostic replies: the 42-byte block of "AS" and "AT", and the
// 9-byte remote-unit entries of "NS". Buffers hold one byte value per element.
#include <array>
#include <cstdint>
#include <span>

namespace k45 {

enum DiagGroup : int { diagCurrent = 0, diagLow = 1, diagHigh = 2 };

inline constexpr int kDiagnosticBlockSize = 42;
inline constexpr int kRemoteStatsEntrySize = 9;

// Ten diagnostic values; -1 where the modem does not report the value.
struct DiagValueSet {
    std::array<std::int16_t, 10> values{};
    bool operator==(const DiagValueSet&) const = default;
};

struct DiagnosticsRecord {
    std::array<DiagValueSet, 4> sets{};  // current, low, high; set 3 is never parsed
    double goodCount = 0;
    double totalCount = 0;
    double dcdCount = 0;
    bool operator==(const DiagnosticsRecord&) const = default;
};

struct RemoteStatsEntry {
    std::int16_t idTruncated = -1;
    std::int32_t remoteId = -1;
    std::int16_t rssi = -1;
    std::int16_t temperature = -1;
    std::int16_t battery = -1;
    std::int16_t value6 = -1;
    std::int16_t forwardPower = -1;
    std::int16_t reversePower = -1;
    bool operator==(const RemoteStatsEntry&) const = default;
};

// Fills sets 0..2 and the counters. The PNet form reports all ten slots; a block whose third
// byte is 0 is the RNet form (battery in byte 0 of each set, slots 0, 1, 3, 4 unreported).
// Positions beyond the end of `data` leave their targets unchanged.
void ParseDiagnosticBlock(DiagnosticsRecord& record, std::span<const std::int16_t> data);

// Decodes `count` consecutive entries of an "NS" reply into entries[0..]. Entries beyond the
// list and fields beyond the data are not stored.
void ParseOfflineRecords(std::span<RemoteStatsEntry> entries, std::span<const std::int16_t> data, int count);

}  // namespace k45
