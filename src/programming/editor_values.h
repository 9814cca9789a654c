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

}  // namespace k45
