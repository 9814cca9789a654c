#pragma once
// The diagnostic settings every diagnostics window shares: the unit IDs of interest with their
// two short-ID lists, and the alarm and filter limits; and their *.dia file.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/locale_info.h"

namespace k45 {

class IniDocument;

// One set of ten limits, in file order. RSSI in dBm, temperature in C, battery in V, powers in W.
struct DiagLimits {
    float lowRssi = 0;
    float highRssi = 0;
    float lowTemp = 0;
    float highTemp = 0;
    float lowBattery = 0;
    float highBattery = 0;
    float lowFwdPower = 0;
    float highFwdPower = 0;
    float lowRevPower = 0;
    float highRevPower = 0;
    bool operator==(const DiagLimits&) const = default;
};

inline constexpr int kMaxFilterIds = 2048;
inline constexpr std::uint32_t kMaxUnitId = 4294967295U;
inline constexpr int kDiaIdKeys = 100;
inline constexpr int kIdsPerDiaKey = 32;

struct DiagSettings {
    DiagLimits alarmLimits;
    DiagLimits filterLimits;
    // Slots 0..filterIdCount-1 ascending, every other slot 0 (the last slot always).
    std::array<std::uint32_t, kMaxFilterIds + 1> filterIds{};
    std::int16_t filterIdCount = 0;
    // Distinct short IDs of the IDs below 1024, and of those of 1024 and above, ascending.
    std::array<std::int16_t, 1025> shortIds{};
    std::int16_t shortIdCount = 0;
    std::array<std::int16_t, 1025> shortIdsPlus{};
    std::int16_t shortIdPlusCount = 0;
};

DiagLimits DefaultAlarmLimits();
DiagLimits DefaultFilterLimits();

// The ten fields by file order.
float& LimitField(DiagLimits& limits, int index);
float LimitField(const DiagLimits& limits, int index);
extern const std::array<const char*, 10> kDiaLimitKeys;

// "Filter IDs 00" .. "Filter IDs 99".
std::string DiaIdKey(int k);

// A unit ID item of a list: a whole number 0..4294967295 (blanks around it allowed); anything
// else is not an ID.
[[nodiscard]] bool ParseUnitIdItem(std::string_view item, std::uint32_t& id);

// Reads the settings from a parsed *.dia document. A missing key gives the default limit; a
// limit that is not a number keeps its value. Invalid ID items are skipped and the items after
// them still load; at most 2048 IDs are taken. Never fails.
void LoadDiaDocument(DiagSettings& settings, const LocaleInfo& locale, const IniDocument& doc);
// The same from the text of a file (for tools that hold the bytes).
void LoadDiaText(DiagSettings& settings, const LocaleInfo& locale, const std::string& text);
// From a file: a missing or unreadable file gives the defaults and an empty ID list.
void LoadDiaFile(DiagSettings& settings, const LocaleInfo& locale, const std::string& fileName);

// Writes the limits ("." decimals whatever the locale) and the 100 ID keys, 32 IDs a key, in
// one atomic write. False, with the reason, when the file could not be written.
[[nodiscard]] bool SaveDiaFile(const DiagSettings& settings, const std::string& fileName, std::string* error = nullptr);
// The shortest text of a limit, at most 7 significant digits, no exponent, no separator for a
// whole value; the file is written with "." decimals.
std::string DiaLimitText(float value, const LocaleInfo& locale);

// Sorts the IDs and rebuilds both short-ID lists.
void RebuildIdLists(DiagSettings& settings);

// Keeps both sets inside their ranges and the alarm bounds inside the filter window.
void ClampLimits(DiagLimits& alarm, DiagLimits& filter);

}  // namespace k45
