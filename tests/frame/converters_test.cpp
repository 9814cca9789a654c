#include "frame/converters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace k45;

namespace {
const LocaleInfo kPoint{".", "-"};
const LocaleInfo kComma{",", "-"};
}  // namespace

TEST(Converters, TextsInThePointLocale) {
    struct Case { std::string text; std::string expected; };
    const Case cases[] = {
        {FormatAdVolts(128, 1, kPoint), "2.50 V"},
        {FormatAdVolts(255, 1, kPoint), "4.98 V"},
        {FormatAdVolts(0, 1, kPoint), "0.00 V"},
        {FormatAdVolts(128, 2.5f, kPoint), "6.25 V"},
        {FormatAdVolts(32, 1, kPoint), "0.62 V"},        // 0.625: the half goes to the even digit
        {FormatAdVolts(1, -0.1f, kPoint), "0.00 V"},     // never "-0.00"
        {FormatBatteryVolts(138, kPoint), "13.8 V"},
        {FormatBatteryVolts(-5, kPoint), "-0.5 V"},
        {FormatAnalogVccVolts(50, kPoint), "5.0 V"},
        {FormatTenthsWatts(50, kPoint), "5.0 W"},
        {FormatTemperatureC(25), "25 C"},
        {FormatTemperatureC(255), "-1 C"},
        {FormatTemperatureC(128), "-128 C"},
        {FormatTemperatureC(127), "127 C"},
        {FormatTemperatureC(-1), "-1 C"},                // a value already negative: its low byte
        {FormatTemperatureC(-128), "-128 C"},
        {FormatTemperatureC(256 + 25), "25 C"},
        {FormatAdTemperatureC(100), "23 C"},             // 23.36
        {FormatAdTemperatureC(-7), "-62 C"},             // taken as 0
        {FormatAdTemperatureC(300), "156 C"},            // taken as 255
        {FormatRssiDbm(30), "-100 dBm"},
        {FormatRssiDbm(130), "0 dBm"},
        {FormatRssiValue(30), "-100"},
        {FormatNegativeDbm(97), "-97 dBm"},
        {FormatNegativeDbm(0), "0 dBm"},
        {FormatMHz(450000000, kPoint), "450.000000"},
        {FormatMHz(12500, kPoint), "0.012500"},
        {FormatMHz(-12500, kPoint), "-0.012500"},
        {FormatMHz(INT32_MIN, kPoint), "-2147.483648"},
        {FormatMHzUnit(406125000, kPoint), "406.125000 MHz"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, c.expected);
}

TEST(Converters, DecimalSignFollowsTheLocale) {
    EXPECT_EQ(FormatAdVolts(128, 1, kComma), "2,50 V");
    EXPECT_EQ(FormatBatteryVolts(-5, kComma), "-0,5 V");
    EXPECT_EQ(FormatTenthsWatts(50, kComma), "5,0 W");
    EXPECT_EQ(FormatMHzUnit(406125000, kComma), "406,125000 MHz");
    EXPECT_EQ(FormatFixed(1234.5678, 2, kComma), "1234,57");
    EXPECT_EQ(FormatFixed(2.5, 0, kPoint), "2");
}

TEST(Converters, Numbers) {
    EXPECT_FLOAT_EQ(AdToVolts(128), 2.5f);
    EXPECT_FLOAT_EQ(AdToVolts(1), 0.01953125f);
    EXPECT_FLOAT_EQ(TenthsToVolts(138), 13.8f);
    EXPECT_FLOAT_EQ(TenthsToWatts(-5), -0.5f);
    EXPECT_EQ(SignedByteToSingle(200), -56.0f);
    EXPECT_EQ(SignedByteToSingle(127), 127.0f);
    EXPECT_EQ(NegateToSingle(97), -97.0f);

    const std::pair<int, int> codes[] = {{-100, 30}, {100, 30}, {0, 130}, {-130, 0}, {45, 85}};
    for (auto [dbm, code] : codes) EXPECT_EQ(DbmToRssiCode(static_cast<std::int16_t>(dbm)), code) << dbm;

    const std::pair<int, int> percents[] = {{45, 100}, {130, 0}, {140, 0}, {30, 100}, {88, 49}, {87, 51}, {-5, 100}};
    for (auto [rssi, percent] : percents) EXPECT_EQ(RssiToPercent(static_cast<std::int16_t>(rssi)), percent) << rssi;
}

TEST(Converters, UnitIds) {
    struct Case { double id; int shortId; bool isLong; const char* longText; const char* shortText; };
    const Case cases[] = {
        {1023, 1023, false, "1023", "  1023"},
        {1024, 0, true, "1024", "+ 0"},
        {4294967295.0, 1023, true, "4294967295", "+ 1023"},
        {2147483648.0 + 5, 5, true, "2147483653", "+ 5"},
        {5000, 904, true, "5000", "+ 904"},
        {12, 12, false, "12", "  12"},
        {0, 0, false, "0", "  0"},
        {1e6, 576, true, "1000000", "+ 576"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const LongIdParts p = SplitLongId(c.id);
        EXPECT_EQ(p.shortId, c.shortId);
        EXPECT_EQ(p.isLong, c.isLong);
        EXPECT_EQ(LongIdText(c.id, kPoint), c.longText);
        EXPECT_EQ(ShortIdText(c.id), c.shortText);
    }
    EXPECT_EQ(SplitLongId(NAN).shortId, 0);
    EXPECT_EQ(SplitLongId(1e300).shortId, 0);   // no endless subtraction, no overflow
}
