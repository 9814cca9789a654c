#pragma once
// Conversions between the editors' boxes and record fields. Plain C++: the windows hold only
// the controls.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/locale_info.h"

namespace k45 {

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
