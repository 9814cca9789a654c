#pragma once
// Conversions between the editors' boxes and record fields, and the item lists of the radio
// type and range combos. Plain C++: the windows hold only the controls.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale_info.h"

namespace k45 {

// A frequency box's text (MHz) as whole Hz: the nearest Hz, never cut, so "406.2" gives
// exactly 406200000. Nothing when the text is no number or the result does not fit 32 bits.
std::optional<std::int32_t> MHzTextToHz(std::string_view text, const LocaleInfo& locale);

// A setup time (local seconds since 1970) as "mm/dd/yyyy hh:mm:ss AM" (12-hour clock); empty
// for a time outside the years 1..9999.
std::string SetupTimeText(std::int64_t localSeconds);

// The short-ID box: "+ " and the short ID for a long ID of 1024 or more, else two blanks and
// the short ID. Nothing when the long-ID text is no number.
std::optional<std::string> ShortIdOfText(std::string_view longIdText, const LocaleInfo& locale);

// Text kept as Windows-1252 bytes (the comment) to and from display text. A character that
// code page does not have becomes "?".
std::u16string Cp1252ToUtf16(std::string_view bytes);
std::string Utf16ToCp1252(std::u16string_view text);

// ---- radio type and range lists ----
struct ListItem {
    std::string text;
    int data = 0;
    bool operator==(const ListItem&) const = default;
};
// One item per enabled type ("5716", "5726", "5796"; data = type), ascending.
std::vector<ListItem> RadioTypeItems(const std::array<bool, 3>& radioTypeEnabled);
// One item per enabled range of the type ("0".."9"; data = range), ascending; none for a type
// outside 0..2.
std::vector<ListItem> RadioRangeItems(std::int32_t radioType, const std::array<std::array<bool, 10>, 3>& rangeEnabled);
// After a refill: nothing selected when nothing was before; else the first item whose data is
// not below the old one, or the last item when none is. -1 means no selection.
int RefillSelection(const std::vector<ListItem>& items, std::optional<int> previousData);

}  // namespace k45
