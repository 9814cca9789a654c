#pragma once
// The number conversions and formatters every layer shares: raw modem units into the numbers
// and texts the windows show, MHz and Hz both ways, and the plain number texts of reports and
// files. Texts with decimals use the locale's decimal separator unless they say otherwise;
// halves round to even.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/locale_info.h"

namespace k45 {

// value with exactly `decimals` decimals ("0.00" style), the locale's separator, a leading "-"
// when negative (never "-0.00").
std::string FormatFixed(double value, int decimals, const LocaleInfo& locale);
// The same with "." whatever the user's locale: reports, save files and settings files that
// are read back on any computer.
std::string FixedText(double value, int decimals);
// The nearest whole number as plain digits ("%.0f" with halves to even, never "-0").
std::string WholeText(double value);
// text with blanks in front up to width characters; a longer text stays as it is.
std::string RightAligned(std::string_view text, std::size_t width);

// A delay in quarter seconds as seconds with "." whatever the locale: "1.25 S".
std::string QuarterSecondsText(std::int32_t quarters);

// A/D count 0..255 -> volts (5 V over 256 counts).
float AdToVolts(std::int16_t value);
// AdToVolts(value) x scale as "0.00 V".
std::string FormatAdVolts(std::int16_t value, float scale, const LocaleInfo& locale);

// Tenths of a volt or watt.
float TenthsToVolts(std::int16_t tenths);
std::string FormatAnalogVccVolts(std::int16_t tenths, const LocaleInfo& locale);  // "0.0 V"
std::string FormatBatteryVolts(std::int16_t tenths, const LocaleInfo& locale);    // "0.0 V"
float TenthsToWatts(std::int16_t tenths);
std::string FormatTenthsWatts(std::int16_t tenths, const LocaleInfo& locale);     // "0.0 W"

// A byte read as -128..127 (bit 7 set means value - 256).
float SignedByteToSingle(std::int16_t value);
std::string FormatTemperatureC(std::int16_t value);    // the low byte read signed, "0 C"
// A/D count (limited to 0..255) x 0.858 - 62.44, "0 C".
std::string FormatAdTemperatureC(std::int16_t value);

// RSSI code (dBm + 130) as dBm: "##0" and "##0 dBm".
std::string FormatRssiValue(std::int16_t code);
std::string FormatRssiDbm(std::int16_t code);
// An RSSI magnitude v standing for -v dBm.
float NegateToSingle(std::int16_t value);
std::string FormatNegativeDbm(std::int16_t value);  // "-97 dBm"
// dBm (negative) or a magnitude (zero or positive) -> RSSI code.
std::int16_t DbmToRssiCode(std::int16_t value);
// An RSSI magnitude as 0..100 per cent of the range -130..-45 dBm.
std::int16_t RssiToPercent(std::int16_t value);

// Unit IDs: the short ID is the long ID modulo 1024; isLong when the long ID is 1024 or more.
struct LongIdParts {
    std::int16_t shortId = 0;
    bool isLong = false;
};
LongIdParts SplitLongId(double longId);
// The main window's unit-ID labels: the long ID in plain decimals, and the short ID after
// "+ " (a long ID) or two blanks.
std::string LongIdText(double longId, const LocaleInfo& locale);
std::string ShortIdText(double longId);
// Every short-ID text: "+ " before a marked ID (a long or truncated one), two blanks before a
// plain one.
std::string MarkedShortIdText(bool marked, std::int64_t shortId);

// Hz as MHz: "##0.000000" and "##0.000000 MHz".
std::string FormatMHz(std::int32_t hz, const LocaleInfo& locale);
std::string FormatMHzUnit(std::int32_t hz, const LocaleInfo& locale);

// MHz and Hz. Data files, the editors' frequency boxes and the modem's image all keep whole Hz;
// MHz become the nearest whole Hz, a half Hz going to the even neighbour, and never cut, so
// "406.2" is exactly 406200000 although its product with 1000000 falls just below.
double HzToMHz(std::int32_t hz);
double MHzToWholeHz(double mhz);
// Nothing when mhz is not finite or the Hz do not fit 32 bits.
std::optional<std::int32_t> MHzToHz(double mhz);
// A text in MHz (ParseNumberText: the locale's separator); nothing when the text is no number
// or the Hz do not fit 32 bits.
std::optional<std::int32_t> MHzTextToHz(std::string_view text, const LocaleInfo& locale);

}  // namespace k45
