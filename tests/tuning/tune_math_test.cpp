// Adjust keys and their wrap, the rising-readings rule, the average of four, the DAC hand-over.
#include <gtest/gtest.h>

#include "tuning/tune_math.h"

namespace k45 {
namespace {

TEST(AdjustKeys, StepsByKeyAndModifiers) {
    struct Case { int key; bool shift, ctrl, alt; std::optional<int> step; };
    const Case cases[] = {
        {kKeyPageUp, false, false, false, 1},    {kKeyPageUp, false, true, false, 10},
        {kKeyPageDown, false, false, false, 255}, {kKeyPageDown, false, true, false, 246},
        {kKeyPageUp, true, false, false, std::nullopt}, {kKeyPageDown, false, true, true, std::nullopt},
        {kKeyF7, false, false, false, std::nullopt},    {38, false, false, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(AdjustKeyStep(c.key, c.shift, c.ctrl, c.alt), c.step);
    }
}

TEST(AdjustKeys, UnsignedAndSignedWrap) {
    struct Case { std::int16_t value; int step; bool isSigned; std::int16_t result; };
    const Case cases[] = {
        {0, 255, false, 255},    // PgDn on 0
        {250, 10, false, 4},     // Ctrl+PgUp on 250
        {255, 1, false, 0},
        {128, 246, false, 118},
        {127, 1, true, -128},    // PgUp on 127
        {-128, 255, true, 127},  // PgDn on -128
        {-125, 246, true, 121},  // Ctrl+PgDn on -125
        {120, 10, true, -126},
        {0, 255, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + "+" + std::to_string(c.step));
        EXPECT_EQ(c.isSigned ? AdjustSigned(c.value, c.step) : AdjustUnsigned(c.value, c.step), c.result);
    }
}

TEST(CalibrationReadings, RiseStrictlyAndStopAt255) {
    const std::int16_t power[] = {80, 75, 90, 90, 120};
    const std::int16_t expected[] = {80, 81, 90, 91, 120};
    std::optional<std::int16_t> prev;
    for (int i = 0; i < 5; ++i) {
        const std::int16_t v = MonotonicReading(power[i], prev);
        EXPECT_EQ(v, expected[i]) << i;
        prev = v;
    }
    EXPECT_EQ(MonotonicReading(10, std::int16_t{255}), 255);
    EXPECT_EQ(MonotonicReading(300, std::nullopt), 255);
    EXPECT_EQ(MonotonicReading(0, std::nullopt), 0);
}

TEST(CalibrationReadings, AverageOfFourHalvesToEven) {
    EXPECT_EQ(AverageOfFour({10, 11, 11, 12}), 11);  // 44 / 4
    EXPECT_EQ(AverageOfFour({10, 10, 11, 11}), 10);  // 10.5
    EXPECT_EQ(AverageOfFour({11, 11, 12, 12}), 12);  // 11.5
    EXPECT_EQ(AverageOfFour({10, 10, 10, 11}), 10);  // 10.25
    EXPECT_EQ(AverageOfFour({255, 255, 255, 254}), 255);
}

TEST(DacHandOver, RoundTripAndDeviationToBothFields) {
    TuneRecord t;
    t.frontEndAdj = {1, 2, 3};
    t.modAdj = {4, 5, 6};
    t.powerAdj = {7, 8, 9};
    t.fcAdj.txFc5 = {10, 11, 12};
    t.rxGainAdj = 13;
    t.masterDeviation = 14;
    t.txDeviationAdj = 99;
    t.rssiCalAdj = -15;
    t.powerCalAdj = 16;
    const DacValues d = DacValuesFromTuneRecord(t);
    EXPECT_EQ(d.txDeviationAdj, 14);
    EXPECT_EQ(d.fcAdj.txFc5, t.fcAdj.txFc5);
    TuneRecord back;
    TakeDacValues(back, d);
    EXPECT_EQ(back.masterDeviation, 14);
    EXPECT_EQ(back.txDeviationAdj, 14);
    EXPECT_EQ(back.rssiCalAdj, -15);
    EXPECT_EQ(back.powerAdj, t.powerAdj);
    EXPECT_EQ(DacValuesFromTuneRecord(back), d);
}

}  // namespace
}  // namespace k45
