#pragma once
// The raw online diagnostic stream: 9-byte packets found by their zero-sum checksum alone,
// decoded against the filter window and the alarm bounds; the history of accepted records, the
// short-ID filter, the grid of shown rows and its save file.
#include <array>
#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/diag_settings.h"
#include "base/save_file.h"
#include "platform/locale_info.h"

namespace k45 {

inline constexpr int kOnlinePacketBytes = 9;
inline constexpr int kOnlineHistorySize = 2048;
inline constexpr int kOnlineGridMaxRows = 2048;
// The rows a grid is created with, until its window tells the rows it really shows.
inline constexpr int kOnlineGridVisibleRows = 17;

enum OnlineAlarmFlags : std::int16_t {
    alarmRssiLow = 1,
    alarmRssiHigh = 2,
    alarmTempLow = 4,
    alarmTempHigh = 8,
    alarmBattLow = 16,
    alarmBattHigh = 32,
    alarmFwdLow = 64,
    alarmFwdHigh = 128,
    alarmRevLow = 256,
    alarmRevHigh = 512,
};

struct OnlineDiagRecord {
    std::int16_t shortId = 0;
    bool plusId = false;
    std::int16_t rssiRaw = 0;
    std::int16_t temperatureRaw = 0;
    std::int16_t batteryRaw = 0;
    std::int16_t spareRaw = 0;
    std::int16_t forwardPowerRaw = -1;
    std::int16_t reversePowerRaw = -1;
    std::int16_t alarmFlags = 0;
    std::int64_t timeStamp = 0;  // wall clock, seconds since 1970 UTC
    bool operator==(const OnlineDiagRecord&) const = default;
};

// Decodes one packet: nothing when a value lies outside the filter window (bounds included).
std::optional<OnlineDiagRecord> DecodeOnlinePacket(const std::uint8_t* packet, const DiagLimits& alarm,
                                                   const DiagLimits& filter, std::int64_t timeStamp);

// Finds packets in the byte stream. Every byte a scan passes is consumed, so no packet is decoded
// twice; fewer than nine bytes are carried to the next chunk; any chunk size is taken.
class OnlineFramer {
public:
    using PacketHandler = std::function<void(const std::uint8_t* packet)>;
    void Reset() { pending_ = 0; }
    void Feed(std::string_view chunk, const PacketHandler& onPacket);
    int pending() const { return pending_; }

private:
    static constexpr int kBufferSize = 1024;
    std::array<std::uint8_t, kBufferSize> buffer_{};
    int pending_ = 0;
};

// The last 2048 accepted records, oldest first.
class OnlineHistory {
public:
    void Add(const OnlineDiagRecord& r);
    void Clear() { write_ = oldest_ = count_ = 0; }
    int count() const { return count_; }
    const OnlineDiagRecord& at(int i) const { return ring_[static_cast<std::size_t>((oldest_ + i) % kOnlineHistorySize)]; }

private:
    std::vector<OnlineDiagRecord> ring_ = std::vector<OnlineDiagRecord>(kOnlineHistorySize);
    int write_ = 0;
    int oldest_ = 0;
    int count_ = 0;
};

enum class IdFilterMode { Off, List, Selected };

// "  17" or "+ 17".
std::string ShortIdEntryText(std::int16_t shortId, bool plusId);
// The short-ID list entries: two blanks and each plain short ID, then "+ " and each plus one;
// 0 is never offered.
std::vector<std::string> FilterIdEntries(const DiagSettings& settings);
// True when the record passes the list (with List) or is the unit selected in the combo box.
bool PassesIdFilter(const OnlineDiagRecord& r, IdFilterMode mode, const DiagSettings& settings,
                    const std::string& comboText);

// The grid: one row per record in arrival order (at most 2048, newest kept), or one row per
// unit (short ID with its plus flag) holding its latest record.
class OnlineGrid {
public:
    struct Row {
        OnlineDiagRecord record;
        double sequence = 0;
    };
    void SetSlotted(bool slotted) { slotted_ = slotted; }
    void Clear();
    // Writes the record; returns the row written.
    int Display(const OnlineDiagRecord& r);
    int FindSlotRow(const OnlineDiagRecord& r) const;
    int rowsUsed() const { return static_cast<int>(rows_.size()); }
    int rowCount() const { return std::max(rowsUsed(), visibleRows_); }
    // The whole rows the grid shows at its present height (at least one). In scroll mode a grid
    // that showed the newest row keeps it in view.
    void SetVisibleRows(int rows);
    int visibleRows() const { return visibleRows_; }
    const Row& row(int i) const { return rows_[static_cast<std::size_t>(i)]; }
    // The top row in view. Scroll mode moves it to show the newest row at each record; slotted
    // mode leaves it where the operator scrolled. It is limited to the last row the grid can
    // scroll to, as the grid itself is.
    int topRow() const { return topRow_; }
    void SetTopRow(int top) { topRow_ = std::clamp(top, 0, LastTop()); }

private:
    std::deque<Row> rows_;
    bool slotted_ = false;
    double displaySequence_ = 0;
    int topRow_ = 0;
    int visibleRows_ = kOnlineGridVisibleRows;
    // With the rows all in view at the bottom: the newest row in view.
    int LastTop() const { return rowCount() - visibleRows_; }
};

// Cell texts of a grid row: columns 0..12, and 13 (the sequence) in engineering mode.
inline constexpr int kOnlineGridColumns = 14;
std::string OnlineCellText(const OnlineGrid::Row& row, int column, const LocaleInfo& locale);
// "hh:mm:ss  mm/dd/yyyy" of a wall-clock time, in local time.
std::string OnlineTimeText(std::int64_t wallClockSeconds);

// The save file: header line, one line per row, an empty line; "." decimals.
std::string OnlineSaveHeader();
std::string OnlineSaveLine(const OnlineGrid::Row& row);
using SaveMode = FileSaveMode;
[[nodiscard]] bool WriteOnlineSaveFile(const std::string& path, SaveMode mode, const OnlineGrid& grid,
                                       std::string* error, const std::function<void(int percent)>& progress = {});

}  // namespace k45
