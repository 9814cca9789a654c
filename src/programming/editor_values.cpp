#include "programming/editor_values.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "base/converters.h"
#include "base/utilities.h"

namespace k45 {

std::string SetupTimeText(std::int64_t localSeconds) {
    using namespace std::chrono;
    // Years 1..9999 only: beyond them the text would not have four year digits.
    constexpr std::int64_t kFirst = -62135596800;  // 0001-01-01 00:00:00
    constexpr std::int64_t kLast = 253402300799;   // 9999-12-31 23:59:59
    if (localSeconds < kFirst || localSeconds > kLast) return std::string();
    const sys_seconds t{seconds{localSeconds}};
    const sys_days day = floor<days>(t);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> tod{t - day};
    const long hour = tod.hours().count();
    const long hour12 = hour % 12 == 0 ? 12 : hour % 12;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02u/%02u/%04d %02ld:%02ld:%02ld %s", static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()), static_cast<int>(ymd.year()), hour12,
                  static_cast<long>(tod.minutes().count()), static_cast<long>(tod.seconds().count()),
                  hour < 12 ? "AM" : "PM");
    return buf;
}

std::optional<std::string> ShortIdOfText(std::string_view longIdText, const LocaleInfo& locale) {
    const std::optional<double> v = TextToDouble(longIdText, locale);
    if (!v || !std::isfinite(*v)) return std::nullopt;
    return ShortIdText(*v);
}

}  // namespace k45
