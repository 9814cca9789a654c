#include "base/converters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

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

// Every text in MHz becomes Hz by one rule, the one the data files and the modem image rely on:
// the nearest whole Hz, a half going to the even neighbour, never cut.
TEST(Converters, MegahertzTextsToHertz) {
    struct Case {
        const char* text;
        const LocaleInfo* locale;
        std::optional<std::int32_t> hz;
    };
    const Case cases[] = {
        {"406.2", &kPoint, 406200000},
        {"450.012500", &kPoint, 450012500},
        {"451.125", &kPoint, 451125000},
        {"406.0000005", &kPoint, 406000000},  // 406000000.5 Hz: the half goes to the even one
        {"406.0000015", &kPoint, 406000002},  // 406000001.5 Hz
        {"450.0000004", &kPoint, 450000000},
        {"0.0000005", &kPoint, 0},
        {"0.0000015", &kPoint, 2},
        {"-0.0000025", &kPoint, -2},
        {"-12.5", &kPoint, -12500000},
        {"  451.125  ", &kPoint, 451125000},  // blanks around the number
        {"+4.5E2", &kPoint, 450000000},
        {"2147.483647", &kPoint, 2147483647},
        {"-2147.483648", &kPoint, INT32_MIN},
        {"2147.483648", &kPoint, std::nullopt},  // does not fit 32 bits
        {"5000", &kPoint, std::nullopt},
        {"1e400", &kPoint, std::nullopt},
        {"", &kPoint, std::nullopt},
        {"4o6", &kPoint, std::nullopt},
        {"406,2", &kPoint, std::nullopt},  // the other locale's separator
        {"406,2", &kComma, 406200000},
        {"450,5", &kComma, 450500000},
        {"406.2", &kComma, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(MHzTextToHz(c.text, *c.locale), c.hz) << '"' << c.text << '"';

    EXPECT_EQ(MHzToHz(406.0000005), 406000000);
    EXPECT_EQ(MHzToHz(NAN), std::nullopt);
    EXPECT_EQ(MHzToHz(INFINITY), std::nullopt);
    EXPECT_EQ(MHzToWholeHz(5000.0000005), 5000000000.0);  // no 32-bit limit for comparisons
    EXPECT_EQ(HzToMHz(406125000), 406.125);
}

// What FormatMHz writes reads back as the same Hz in either locale, across the whole 32-bit range.
TEST(Converters, MegahertzTextsReadBackExactly) {
    for (const LocaleInfo* locale : {&kPoint, &kComma}) {
        for (std::int64_t hz = INT32_MIN; hz <= INT32_MAX; hz += 9999991) {
            const auto v = static_cast<std::int32_t>(hz);
            ASSERT_EQ(MHzTextToHz(FormatMHz(v, *locale), *locale), v) << FormatMHz(v, *locale);
        }
        for (std::int32_t hz : {INT32_MAX, 406200000, 1, 0, -1})
            EXPECT_EQ(MHzTextToHz(FormatMHz(hz, *locale), *locale), hz) << hz;
    }
}

TEST(Converters, PlainNumberTextsForReportsAndFiles) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {WholeText(0), "0"},
        {WholeText(4294967295.0), "4294967295"},
        {WholeText(2.5), "2"},  // halves to even, as "%.0f" does
        {WholeText(3.5), "4"},
        {WholeText(-0.4), "0"},  // never "-0"
        {WholeText(-7.5), "-8"},
        {WholeText(1e20), "100000000000000000000"},
        {FixedText(12.3456, 3), "12.346"},
        {FixedText(0.125, 2), "0.12"},
        {FixedText(-0.001, 2), "0.00"},
        {FixedText(-1.25, 1), "-1.2"},
        {FixedText(100, 3), "100.000"},
        {RightAligned("12", 5), "   12"},
        {RightAligned("12345", 5), "12345"},
        {RightAligned("123456", 5), "123456"},  // a longer text is never cut
        {RightAligned("", 2), "  "},
        {QuarterSecondsText(5), "1.25 S"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, c.expected);
}
