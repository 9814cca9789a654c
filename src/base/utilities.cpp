#include "base/utilities.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/hex_text.h"
#include "platform/scheduler.h"

namespace k45 {
namespace {

constexpr std::string_view kSeparators = "/\\";

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Takes an optional sign at the front of s; true when it was a minus.
bool TakeSign(std::string_view& s, const LocaleInfo& locale) {
    if (!locale.minus.empty() && s.starts_with(locale.minus)) {
        s.remove_prefix(locale.minus.size());
        return true;
    }
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        const bool minus = s.front() == '-';
        s.remove_prefix(1);
        return minus;
    }
    return false;
}

size_t TakeDigits(std::string_view& s, std::string& out) {
    size_t n = 0;
    while (!s.empty() && s.front() >= '0' && s.front() <= '9') {
        out += s.front();
        s.remove_prefix(1);
        ++n;
    }
    return n;
}

std::int64_t IndexLimit(size_t size) { return static_cast<std::int64_t>(size); }

int ClampIndex(std::int64_t index) {
    if (index > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (index < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(index);
}

// The list walk shared by the split members. convert(item, index) is called only for indices
// inside the array.
template <class Convert>
int SplitList(size_t size, std::string_view text, int startIndex, std::string_view delimiter, Convert convert) {
    std::int64_t index = startIndex;
    auto put = [&](std::string_view item) {
        if (index >= 0 && index < IndexLimit(size)) convert(item, static_cast<size_t>(index));
        ++index;
    };
    if (text.empty()) return startIndex;
    size_t p = delimiter.empty() ? std::string_view::npos : text.find(delimiter);
    if (p == std::string_view::npos) {
        put(text);
        return ClampIndex(index);
    }
    size_t itemStart = 0;
    while (p != std::string_view::npos) {
        put(text.substr(itemStart, p - itemStart));
        itemStart = p + 1;
        if (index > IndexLimit(size) - 1) break;
        p = text.find(delimiter, itemStart);
        if (p == std::string_view::npos) put(text.substr(itemStart));
    }
    return ClampIndex(index);
}

template <class T, class Format>
std::string JoinList(std::span<const T> source, int count, int startIndex, std::string_view delimiter,
                     Format format) {
    std::string out;
    if (count <= 0) return out;
    std::int64_t last = static_cast<std::int64_t>(startIndex) + count - 1;
    if (last > IndexLimit(source.size()) - 1) last = IndexLimit(source.size()) - 1;
    bool first = true;
    for (std::int64_t i = startIndex; i <= last; ++i) {
        if (i < 0) continue;
        if (!first) out += delimiter;
        out += format(source[static_cast<size_t>(i)]);
        first = false;
    }
    return out;
}

void PutByte(std::span<std::int16_t> target, std::int64_t index, std::int64_t value) {
    if (index >= 0 && index < IndexLimit(target.size()))
        target[static_cast<size_t>(index)] = static_cast<std::int16_t>(value & 0xFF);
}

}  // namespace

double RoundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    double r = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5) r = 2.0 * std::round(value / 2.0);
    return r + 0.0;  // no negative zero
}

// ---- paths ----

std::string GetDirectoryPart(std::string_view path, std::string_view programFolder) {
    const size_t cut = path.find_last_of(kSeparators);
    if (cut == std::string_view::npos) return std::string(programFolder);
    return std::string(path.substr(0, cut));
}

std::string GetFileNamePart(std::string_view path) {
    const size_t cut = path.find_last_of(kSeparators);
    if (cut == std::string_view::npos) return std::string(path);
    return std::string(path.substr(cut + 1));
}

std::string StripTrailingNull(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
    return std::string(text);
}

std::string ChangeExtension(std::string_view path, std::string_view extension) {
    const std::string name = GetFileNamePart(path);
    const size_t dot = name.find('.');
    if (dot == std::string::npos) return name + std::string(extension);
    return name.substr(0, dot + 1) + std::string(extension);
}

std::string TextBeforeBar(std::string_view text) { return std::string(text.substr(0, text.find('|'))); }

// ---- number text ----

std::optional<double> ParseNumberText(std::string_view text, const LocaleInfo& locale) {
    std::string_view s = TrimBlanks(text);
    std::string plain;
    if (TakeSign(s, locale)) plain += '-';
    size_t digits = TakeDigits(s, plain);
    const std::string_view decimal = locale.decimal.empty() ? std::string_view(".") : std::string_view(locale.decimal);
    if (s.starts_with(decimal)) {
        s.remove_prefix(decimal.size());
        plain += '.';
        digits += TakeDigits(s, plain);
    }
    if (digits == 0) return std::nullopt;
    if (!s.empty() && (s.front() == 'E' || s.front() == 'e')) {
        s.remove_prefix(1);
        plain += 'e';
        if (TakeSign(s, locale)) plain += '-';
        if (TakeDigits(s, plain) == 0) return std::nullopt;
    }
    if (!s.empty()) return std::nullopt;
    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ec != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) return std::nullopt;
    return value + 0.0;
}

std::optional<std::int16_t> TextToInt16(std::string_view text, const LocaleInfo& locale) {
    const auto v = ParseNumberText(text, locale);
    if (!v) return std::nullopt;
    const double r = RoundHalfEven(*v);
    if (r < -32768.0 || r > 32767.0) return std::nullopt;
    return static_cast<std::int16_t>(r);
}

std::optional<std::int32_t> TextToInt32(std::string_view text, const LocaleInfo& locale) {
    const auto v = ParseNumberText(text, locale);
    if (!v) return std::nullopt;
    const double r = RoundHalfEven(*v);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<float> TextToSingle(std::string_view text, const LocaleInfo& locale) {
    const auto v = ParseNumberText(text, locale);
    if (!v || std::fabs(*v) > std::numeric_limits<float>::max()) return std::nullopt;
    return static_cast<float>(*v);
}

std::optional<double> TextToDouble(std::string_view text, const LocaleInfo& locale) {
    return ParseNumberText(text, locale);
}

std::optional<bool> TextToBool(std::string_view text, const LocaleInfo& locale) {
    const std::string_view s = TrimBlanks(text);
    auto same = [&](std::string_view word) {
        if (s.size() != word.size()) return false;
        for (size_t i = 0; i < s.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(s[i])) != word[i]) return false;
        return true;
    };
    if (same("true")) return true;
    if (same("false")) return false;
    const auto v = ParseNumberText(s, locale);
    if (!v) return std::nullopt;
    return *v != 0.0;
}

// ---- lists ----

int SplitToHexByteArray(std::span<std::int16_t> target, std::string_view text, int startIndex,
                        std::string_view delimiter) {
    return SplitList(target.size(), text, startIndex, delimiter,
                     [&](std::string_view item, size_t i) { target[i] = HexToByte(item); });
}

int SplitToIntArray(const LocaleInfo& locale, std::span<std::int16_t> target, std::string_view text,
                    int startIndex, std::string_view delimiter) {
    return SplitList(target.size(), text, startIndex, delimiter, [&](std::string_view item, size_t i) {
        if (const auto v = TextToInt16(item, locale)) target[i] = *v;
    });
}

int SplitToDoubleArray(const LocaleInfo& locale, std::span<double> target, std::string_view text,
                       int startIndex, std::string_view delimiter) {
    return SplitList(target.size(), text, startIndex, delimiter, [&](std::string_view item, size_t i) {
        if (const auto v = TextToDouble(item, locale)) target[i] = *v;
    });
}

std::string JoinHexByteArray(std::span<const std::int16_t> source, int count, int startIndex,
                             std::string_view delimiter) {
    return JoinList(source, count, startIndex, delimiter, [](std::int16_t v) { return ByteToHex2(v); });
}

std::string JoinIntArray(std::span<const std::int16_t> source, int count, int startIndex,
                         std::string_view delimiter) {
    return JoinList(source, count, startIndex, delimiter, [](std::int16_t v) { return std::to_string(v); });
}

std::string JoinDoubleArray(std::span<const double> source, int count, int startIndex,
                            std::string_view delimiter) {
    return JoinList(source, count, startIndex, delimiter, [](double v) {
        char buf[400];  // the largest double has 309 digits
        const auto res = std::to_chars(buf, buf + sizeof buf, RoundHalfEven(v), std::chars_format::fixed, 0);
        return std::string(buf, res.ptr);
    });
}

// ---- packing ----

int PutWordBigEndian(std::span<std::int16_t> target, std::int32_t value, int index) {
    if (value >= -32768 && value <= 65535) {
        PutByte(target, index, value >> 8);  // arithmetic shift: the floor of value / 256
        PutByte(target, static_cast<std::int64_t>(index) + 1, value);
    }
    return ClampIndex(static_cast<std::int64_t>(index) + 2);
}

int PutLongBigEndian(std::span<std::int16_t> target, double value, int index) {
    const double whole = RoundHalfEven(value);
    if (std::isfinite(whole) && whole >= -2147483648.0 && whole <= 4294967295.0) {
        std::int64_t v = static_cast<std::int64_t>(whole);
        if (v < 0) v += 4294967296LL;
        for (int k = 0; k < 4; ++k) PutByte(target, static_cast<std::int64_t>(index) + k, v >> (8 * (3 - k)));
    }
    return ClampIndex(static_cast<std::int64_t>(index) + 4);
}

double GetLongBigEndian(std::span<const std::int16_t> source, int index) {
    double result = 0;
    for (int k = 0; k < 4; ++k) {
        const std::int64_t at = static_cast<std::int64_t>(index) + k;
        result *= 256.0;
        if (at >= 0 && at < IndexLimit(source.size())) result += source[static_cast<size_t>(at)] & 0xFF;
    }
    return result;
}

namespace {
bool FieldInside(std::size_t size, std::int64_t index, int width) {
    return width >= 1 && width <= 4 && index >= 0 && index + width <= static_cast<std::int64_t>(size);
}
}  // namespace

void PutBigEndian(std::span<std::uint8_t> target, std::int64_t index, int width, std::int64_t value) {
    if (!FieldInside(target.size(), index, width)) return;
    const auto bits = static_cast<std::uint64_t>(value);
    for (int k = 0; k < width; ++k)
        target[static_cast<std::size_t>(index + k)] = static_cast<std::uint8_t>(bits >> (8 * (width - 1 - k)));
}

std::int64_t BigEndianAt(std::span<const std::uint8_t> source, std::int64_t index, int width) {
    if (!FieldInside(source.size(), index, width)) return 0;
    std::int64_t value = 0;
    for (int k = 0; k < width; ++k) value = value * 256 + source[static_cast<std::size_t>(index + k)];
    return value;
}

// ---- character classes ----

namespace {
int First(std::string_view text) { return text.empty() ? -1 : static_cast<unsigned char>(text.front()); }
}  // namespace

bool IsPrintableChar(std::string_view text) {
    const int c = First(text);
    return (c >= ' ' && c <= '~') || c == 13 || c == 10;
}
bool IsLowerChar(std::string_view text) {
    const int c = First(text);
    return c >= 'a' && c <= 'z';
}
bool IsUpperChar(std::string_view text) {
    const int c = First(text);
    return c >= 'A' && c <= 'Z';
}
bool IsDigitChar(std::string_view text) {
    const int c = First(text);
    return c >= '0' && c <= '9';
}
bool IsHexDigitChar(std::string_view text) {
    const int c = First(text);
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// ---- centring ----

FormPosition CenterFormPosition(bool mdiChild, double parentLeft, double parentTop, double parentWidth,
                                double parentHeight, double childWidth, double childHeight) {
    auto halfDifference = [](double a, double b) { return std::trunc(RoundHalfEven(a - b) / 2.0); };
    double left, top;
    if (mdiChild) {
        left = halfDifference(parentWidth, childWidth);
        top = RoundHalfEven(halfDifference(parentHeight, childHeight) * 0.75);
    } else {
        left = RoundHalfEven(parentLeft + halfDifference(parentWidth, childWidth));
        top = RoundHalfEven(parentTop + halfDifference(parentHeight, childHeight));
    }
    // Negative or unrepresentable positions become 0. No 16-bit limit: desktops today are
    // wider than 32767 twips.
    auto fit = [](double v) { return (v >= 0 && v <= 1e9) ? static_cast<int>(v) : 0; };
    return FormPosition{fit(left), fit(top)};
}

// ---- busy wait ----

void WaitSeconds(Scheduler& scheduler, float seconds, bool yieldEvents) {
    if (!(seconds > 0)) {
        if (yieldEvents) scheduler.processEvents();
        return;
    }
    // Whole microseconds first, so 0.1f (slightly above 0.1) does not become 101 ms.
    double ms = std::ceil(std::round(static_cast<double>(seconds) * 1e6) / 1000.0);
    if (ms > std::numeric_limits<int>::max()) ms = std::numeric_limits<int>::max();
    // The monotonic clock measures the wait, so midnight or a clock change cannot stretch it.
    const std::int64_t end = scheduler.nowMs() + static_cast<std::int64_t>(ms);
    for (std::int64_t now = scheduler.nowMs(); now < end; now = scheduler.nowMs())
        scheduler.wait(static_cast<int>(end - now), yieldEvents);
}

}  // namespace k45
