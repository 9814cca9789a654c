#include "base/ini_routines.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>

#include "base/utilities.h"
#include "model/app_state.h"
#include "platform/profile.h"
#include "version_info.h"

namespace k45 {
namespace {

// Values never hold a line end (the file is split at them), so this can only come back as the
// default: it tells a missing key from a present one.
const std::string kMissing = "\n<missing>\n";

bool IsNumberKind(const IniValue& v) {
    return std::holds_alternative<std::int16_t>(v) || std::holds_alternative<std::int32_t>(v) ||
           std::holds_alternative<float>(v) || std::holds_alternative<double>(v);
}

const std::string& DecimalOf(const LocaleInfo& l) {
    static const std::string point = ".";
    return l.decimal.empty() ? point : l.decimal;
}
const std::string& MinusOf(const LocaleInfo& l) {
    static const std::string hyphen = "-";
    return l.minus.empty() ? hyphen : l.minus;
}

// Plain C-notation number text into the locale's notation.
std::string ToLocaleNotation(const std::string& plain, const LocaleInfo& locale) {
    std::string out;
    for (char c : plain) {
        if (c == '.') out += DecimalOf(locale);
        else if (c == '-') out += MinusOf(locale);
        else if (c == 'e') out += 'E';
        else out += c;
    }
    return out;
}

// The general form with the given significant digits, widened when it would not read back
// as the same value.
template <class T>
std::string FloatText(T value, int digits, int widerDigits) {
    char buf[64];
    for (int precision : {digits, widerDigits}) {
        const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision);
        T back{};
        std::from_chars(buf, res.ptr, back);
        if (back == value || precision == widerDigits || !std::isfinite(value)) return std::string(buf, res.ptr);
    }
    return std::string();
}

// A key, section or value that would break the file's line structure.
bool Unsafe(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

std::string ReadRaw(const std::string& fileName, const std::string& sectionName, const std::string& keyName,
                    const std::string& def) {
    std::string text = ProfileRead(fileName, sectionName, keyName, def);
    // The original's fixed buffer ended at the first NUL.
    if (const size_t nul = text.find('\0'); nul != std::string::npos && text != def) text.erase(nul);
    return text;
}

// The key's text (made locale-neutral for number fields), or nothing when the key is missing.
std::optional<std::string> ReadPresent(const LocaleInfo& locale, const std::string& fileName,
                                       const std::string& sectionName, const std::string& keyName, bool number) {
    std::string text = ReadRaw(fileName, sectionName, keyName, kMissing);
    if (text == kMissing) return std::nullopt;
    return number ? LocalizeNumberText(text, locale) : text;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

bool ReadNumber(std::string_view s, size_t& pos, int maxDigits, int& out) {
    size_t start = pos;
    int v = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && static_cast<int>(pos - start) < maxDigits) {
        v = v * 10 + (s[pos] - '0');
        ++pos;
    }
    if (pos == start) return false;
    out = v;
    return true;
}

bool Expect(std::string_view s, size_t& pos, char c) {
    if (pos < s.size() && s[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

void SkipBlanks(std::string_view s, size_t& pos) {
    while (pos < s.size() && s[pos] == ' ') ++pos;
}

std::optional<IniDate> MakeDate(int y, int mo, int d, int h, int mi, int sec) {
    using namespace std::chrono;
    const year_month_day ymd{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
    if (y < 100 || y > 9999 || !ymd.ok() || h < 0 || h > 23 || mi < 0 || mi > 59 || sec < 0 || sec > 59)
        return std::nullopt;
    const std::int64_t days = sys_days{ymd}.time_since_epoch().count();
    return IniDate{days * 86400 + h * 3600 + mi * 60 + sec};
}

}  // namespace

std::string LocalizeNumberText(std::string_view text, const LocaleInfo& locale) {
    const std::string& decimal = DecimalOf(locale);
    const std::string& minus = MinusOf(locale);
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        const std::string_view rest = text.substr(i);
        const char c = text[i];
        const bool afterExponent = i > 0 && (text[i - 1] == 'E' || text[i - 1] == 'e');
        if (rest.substr(0, decimal.size()) == decimal) {
            out += decimal;
            i += decimal.size();
            continue;
        }
        if (rest.substr(0, minus.size()) == minus) {
            out += minus;
            i += minus.size();
            continue;
        }
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            out += c;
        } else if (c == '+' && (i == 0 || afterExponent)) {
            out += c;  // a plus sign, never a separator
        } else if (c == '-' && afterExponent) {
            out += minus;
        } else {
            out += i == 0 ? minus : decimal;
        }
        ++i;
    }
    return out;
}

std::string FormatIniDate(IniDate date) {
    // Years 100..9999, the range the reader accepts; anything else has no text form.
    if (date.localSeconds < -59011459200LL || date.localSeconds > 253402300799LL) return std::string();
    const std::int64_t days = FloorDiv(date.localSeconds, 86400);
    const std::int64_t secs = date.localSeconds - days * 86400;
    using namespace std::chrono;
    const year_month_day ymd{sys_days{std::chrono::days{days}}};
    const int hour = static_cast<int>(secs / 3600);
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%u/%u/%04d %d:%02d:%02d %s", static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()), static_cast<int>(ymd.year()), hour12,
                  static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60), hour < 12 ? "AM" : "PM");
    return buf;
}

std::optional<IniDate> ParseIniDate(std::string_view text) {
    size_t pos = 0;
    SkipBlanks(text, pos);
    int a = 0, b = 0, c = 0;
    int y, mo, d;
    if (!ReadNumber(text, pos, 4, a)) return std::nullopt;
    if (Expect(text, pos, '/')) {
        if (!ReadNumber(text, pos, 2, b) || !Expect(text, pos, '/') || !ReadNumber(text, pos, 4, c))
            return std::nullopt;
        mo = a, d = b, y = c;
    } else if (Expect(text, pos, '-')) {
        if (!ReadNumber(text, pos, 2, b) || !Expect(text, pos, '-') || !ReadNumber(text, pos, 2, c))
            return std::nullopt;
        y = a, mo = b, d = c;
    } else {
        return std::nullopt;
    }
    int h = 0, mi = 0, sec = 0;
    const size_t beforeTime = pos;
    if (!Expect(text, pos, 'T')) SkipBlanks(text, pos);
    if (pos < text.size()) {
        if (pos == beforeTime && text[pos - 1] != 'T') return std::nullopt;
        if (!ReadNumber(text, pos, 2, h) || !Expect(text, pos, ':') || !ReadNumber(text, pos, 2, mi))
            return std::nullopt;
        if (Expect(text, pos, ':') && !ReadNumber(text, pos, 2, sec)) return std::nullopt;
        SkipBlanks(text, pos);
        if (pos < text.size()) {
            std::string_view mark = text.substr(pos, 2);
            const bool am = mark == "AM" || mark == "am", pm = mark == "PM" || mark == "pm";
            if (!am && !pm) return std::nullopt;
            if (h < 1 || h > 12) return std::nullopt;
            h = (h % 12) + (pm ? 12 : 0);
            pos += 2;
            SkipBlanks(text, pos);
        }
        if (pos < text.size()) return std::nullopt;
    }
    return MakeDate(y, mo, d, h, mi, sec);
}

std::string IniValueText(const LocaleInfo& locale, const IniValue& value) {
    struct Visitor {
        const LocaleInfo& locale;
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(IniDate d) const { return FormatIniDate(d); }
        std::string operator()(std::int16_t v) const { return ToLocaleNotation(std::to_string(v), locale); }
        std::string operator()(std::int32_t v) const { return ToLocaleNotation(std::to_string(v), locale); }
        std::string operator()(float v) const { return ToLocaleNotation(FloatText(v, 7, 9), locale); }
        std::string operator()(double v) const { return ToLocaleNotation(FloatText(v, 15, 17), locale); }
    };
    return std::visit(Visitor{locale}, value);
}

std::string ReadIniValue(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                         const std::string& keyName, const IniValue& defaultValue) {
    const std::string def = IniValueText(locale, defaultValue);
    std::string text = ReadRaw(fileName, sectionName, keyName, def);
    if (IsNumberKind(defaultValue)) text = LocalizeNumberText(text, locale);
    return text;
}

bool WriteIniValue(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                   const std::string& keyName, const IniValue& value, std::string* error) {
    const std::string text = IniValueText(locale, value);
    if (Unsafe(sectionName) || Unsafe(keyName) || Unsafe(text) || keyName.find('=') != std::string::npos ||
        sectionName.find(']') != std::string::npos) {
        if (error) *error = fileName + ": [" + sectionName + "] " + keyName + ": cannot be stored in the file";
        return false;
    }
    return ProfileWrite(fileName, sectionName, keyName, text, error);
}

bool WriteIniSection(const std::string& fileName, const std::string& sectionName, const std::string& data,
                     std::string* error) {
    if (Unsafe(sectionName) || sectionName.find(']') != std::string::npos) {
        if (error) *error = fileName + ": [" + sectionName + "]: cannot be stored in the file";
        return false;
    }
    if (data.empty()) return ProfileEmptySection(fileName, sectionName, error);
    // Several keys: one read and one write, unless a batch for the file is already open.
    std::optional<ProfileBatch> own;
    if (!ProfileBatch::find(fileName)) own.emplace(fileName);
    // Inside a batch these change the copy in memory and cannot fail; the commit reports the file.
    (void)ProfileEmptySection(fileName, sectionName);
    size_t start = 0;
    while (start <= data.size()) {
        size_t end = data.find_first_of(std::string("\0\r\n", 3), start);
        if (end == std::string::npos) end = data.size();
        const std::string entry = data.substr(start, end - start);
        if (const size_t eq = entry.find('='); eq != std::string::npos && eq > 0)
            (void)ProfileWrite(fileName, sectionName, entry.substr(0, eq), entry.substr(eq + 1));
        start = end + 1;
    }
    return own ? own->commit(error) : true;
}

std::string GetIniFileName(bool engineerMode, bool productionMode, const Places& places) {
    const std::string name = std::string(version::programTitle) + ".ini";
    if (productionMode && !engineerMode) return JoinPath(places.configFolder, name);
    return JoinPath(places.programFolder, name);
}

std::string GetIniFileName(const ModeFlags& modes, const FilePlaces& files) {
    return GetIniFileName(modes.engineerMode, modes.productionMode, files.places);
}

bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, std::string& target) {
    auto text = ReadPresent(locale, fileName, sectionName, keyName, false);
    if (!text) return false;
    target = *text;
    return true;
}

namespace {
template <class T, class Convert>
bool ReadConverted(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                   const std::string& keyName, bool number, T& target, Convert convert) {
    const auto text = ReadPresent(locale, fileName, sectionName, keyName, number);
    if (!text) return false;
    const std::optional<T> v = convert(*text);
    if (!v) return false;
    target = *v;
    return true;
}
}  // namespace

bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, bool& target) {
    return ReadConverted(locale, fileName, sectionName, keyName, false, target,
                         [&](const std::string& t) { return TextToBool(t, locale); });
}

bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, IniDate& target) {
    return ReadConverted(locale, fileName, sectionName, keyName, false, target,
                         [](const std::string& t) { return ParseIniDate(t); });
}

bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, std::int16_t& target) {
    return ReadConverted(locale, fileName, sectionName, keyName, true, target,
                         [&](const std::string& t) { return TextToInt16(t, locale); });
}

bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, std::int32_t& target) {
    return ReadConverted(locale, fileName, sectionName, keyName, true, target,
                         [&](const std::string& t) { return TextToInt32(t, locale); });
}

bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, float& target) {
    return ReadConverted(locale, fileName, sectionName, keyName, true, target,
                         [&](const std::string& t) { return TextToSingle(t, locale); });
}

bool ReadIniInto(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                 const std::string& keyName, double& target) {
    return ReadConverted(locale, fileName, sectionName, keyName, true, target,
                         [&](const std::string& t) { return TextToDouble(t, locale); });
}

}  // namespace k45
