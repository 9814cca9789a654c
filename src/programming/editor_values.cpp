#include "programming/editor_values.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "frame/converters.h"
#include "frame/utilities.h"

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

namespace {
// 0x80..0x9F; the five codes the code page leaves unused map to themselves.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

std::u16string Cp1252ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return out;
}

std::string Utf16ToCp1252(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        char byte = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            byte = static_cast<char>(c);
        } else {
            for (int i = 0; i < 32; ++i)
                if (kCp1252High[i] == c) byte = static_cast<char>(0x80 + i);
        }
        out.push_back(byte);
    }
    return out;
}

}  // namespace k45
