#include "base/converters.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/utilities.h"

namespace k45 {
namespace {

std::string WithDecimal(std::string plain, const LocaleInfo& locale) {
    const size_t dot = plain.find('.');
    if (dot != std::string::npos) plain.replace(dot, 1, locale.decimal.empty() ? "." : locale.decimal);
    return plain;
}

}  // namespace

std::string FormatFixed(double value, int decimals, const LocaleInfo& locale) {
    if (!std::isfinite(value)) return std::string();
    if (decimals < 0) decimals = 0;
    if (decimals > 15) decimals = 15;
    char buf[400];  // the largest double has 309 digits before the point
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string text(buf, res.ptr);
    if (!text.empty() && text.front() == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return WithDecimal(text, locale);
}

std::string FixedText(double value, int decimals) { return FormatFixed(value, decimals, LocaleInfo{}); }

std::string WholeText(double value) { return FixedText(value, 0); }

std::string RightAligned(std::string_view text, std::size_t width) {
    std::string out;
    if (text.size() < width) out.assign(width - text.size(), ' ');
    out += text;
    return out;
}

std::string QuarterSecondsText(std::int32_t quarters) { return FixedText(quarters * 0.25, 2) + " S"; }

float AdToVolts(std::int16_t value) { return static_cast<float>(value) * 0.01953125f; }

std::string FormatAdVolts(std::int16_t value, float scale, const LocaleInfo& locale) {
    const float volts = AdToVolts(value) * scale;
    return FormatFixed(volts, 2, locale) + " V";
}

float TenthsToVolts(std::int16_t tenths) { return static_cast<float>(tenths) / 10.0f; }

std::string FormatAnalogVccVolts(std::int16_t tenths, const LocaleInfo& locale) {
    return FormatFixed(tenths / 10.0, 1, locale) + " V";
}

std::string FormatBatteryVolts(std::int16_t tenths, const LocaleInfo& locale) {
    return FormatAnalogVccVolts(tenths, locale);
}

float TenthsToWatts(std::int16_t tenths) { return static_cast<float>(tenths) / 10.0f; }

std::string FormatTenthsWatts(std::int16_t tenths, const LocaleInfo& locale) {
    return FormatFixed(tenths / 10.0, 1, locale) + " W";
}

float SignedByteToSingle(std::int16_t value) {
    return static_cast<float>((value & 128) ? value - 256 : value);
}

std::string FormatTemperatureC(std::int16_t value) {
    // Only the low byte is the reading: a value that arrives already signed (-1) is the same
    // byte as 255.
    return std::to_string(static_cast<std::int8_t>(static_cast<std::uint8_t>(value & 0xFF))) + " C";
}

std::string FormatAdTemperatureC(std::int16_t value) {
    const int ad = value < 0 ? 0 : value > 255 ? 255 : value;
    return WholeText(ad * 0.858 - 62.44) + " C";
}

std::string FormatRssiValue(std::int16_t code) { return std::to_string(code - 130); }

std::string FormatRssiDbm(std::int16_t code) { return FormatRssiValue(code) + " dBm"; }

float NegateToSingle(std::int16_t value) { return -static_cast<float>(value); }

std::string FormatNegativeDbm(std::int16_t value) { return std::to_string(-static_cast<int>(value)) + " dBm"; }

std::int16_t DbmToRssiCode(std::int16_t value) {
    return static_cast<std::int16_t>(value < 0 ? value + 130 : 130 - value);
}

std::int16_t RssiToPercent(std::int16_t value) {
    const double percent = RoundHalfEven((130.0 - value) / 85.0 * 100.0);
    return static_cast<std::int16_t>(percent < 0 ? 0 : percent > 100 ? 100 : percent);
}

LongIdParts SplitLongId(double longId) {
    LongIdParts parts;
    if (!std::isfinite(longId)) return parts;
    parts.isLong = longId >= 1024;
    // Subtracting 2^31 until below it changes nothing modulo 1024; fmod does it in one step.
    parts.shortId = static_cast<std::int16_t>(std::fmod(RoundHalfEven(longId), 1024.0));
    return parts;
}

std::string LongIdText(double longId, const LocaleInfo& locale) {
    if (!std::isfinite(longId)) return std::string();
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, longId + 0.0, std::chars_format::fixed);
    return WithDecimal(std::string(buf, res.ptr), locale);
}

std::string ShortIdText(double longId) {
    const LongIdParts parts = SplitLongId(longId);
    return MarkedShortIdText(parts.isLong, parts.shortId);
}

std::string MarkedShortIdText(bool marked, std::int64_t shortId) {
    return (marked ? "+ " : "  ") + std::to_string(shortId);
}

std::string FormatMHz(std::int32_t hz, const LocaleInfo& locale) {
    // Whole numbers throughout: every Hz count has an exact six-decimal MHz text.
    const std::int64_t v = hz;
    const std::int64_t magnitude = v < 0 ? -v : v;
    std::string fraction = std::to_string(magnitude % 1000000);
    fraction.insert(0, 6 - fraction.size(), '0');
    const std::string text = std::to_string(magnitude / 1000000) + (locale.decimal.empty() ? "." : locale.decimal) + fraction;
    return v < 0 ? "-" + text : text;
}

std::string FormatMHzUnit(std::int32_t hz, const LocaleInfo& locale) { return FormatMHz(hz, locale) + " MHz"; }

double HzToMHz(std::int32_t hz) { return static_cast<double>(hz) / 1000000.0; }

double MHzToWholeHz(double mhz) { return RoundHalfEven(mhz * 1000000.0); }

std::optional<std::int32_t> MHzToHz(double mhz) {
    if (!std::isfinite(mhz)) return std::nullopt;
    const double hz = MHzToWholeHz(mhz);
    if (!(hz >= std::numeric_limits<std::int32_t>::min() && hz <= std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(hz);
}

std::optional<std::int32_t> MHzTextToHz(std::string_view text, const LocaleInfo& locale) {
    const std::optional<double> mhz = ParseNumberText(text, locale);
    if (!mhz) return std::nullopt;
    return MHzToHz(*mhz);
}

}  // namespace k45
