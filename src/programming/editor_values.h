#pragma once
// Conversions between the editors' boxes and record fields. Plain C++: the windows hold only
// the controls.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

}  // namespace k45
