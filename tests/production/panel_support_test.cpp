// The panels' arithmetic as tables: adjust keys, direct values, transmit-mode schedules,
// averaging and the monotonic rule.
#include <gtest/gtest.h>

#include "production/panel_support.h"
#include "production/prod_test.h"
#include "tuning/tune_math.h"

namespace k45 {
namespace {

TEST(PanelArithmetic, AdjustKeysStepAndWrap) {
    struct Case { int key; int mods; std::int16_t from; std::int16_t byteResult; std::int16_t signedResult; };
    const Case cases[] = {
        {keyPageDown, 0, 0, 255, -1},
        {keyPageUp, kCtrlBit, 250, 4, 4},  // signed: 260 - 256
        {keyPageDown, 0, -128, 127, 127},
        {keyPageUp, 0, 127, 128, -128},
        {keyPageDown, kCtrlBit, 0, 246, -10},
        {keyPageUp, 0, 255, 0, 0},
    };
    for (const Case& c : cases) {
        const auto step = AdjustStepOfKey(c.key, c.mods);
        ASSERT_TRUE(step) << c.key;
        if (c.from >= 0) {
            EXPECT_EQ(AdjustUnsigned(c.from, *step), c.byteResult) << c.from;
        }
        if (c.from <= 127) {
            EXPECT_EQ(AdjustSigned(c.from > 127 ? 0 : c.from, *step), c.signedResult) << c.from;
        }
    }
    EXPECT_FALSE(AdjustStepOfKey(keyPageUp, kShiftBit));
    EXPECT_FALSE(AdjustStepOfKey(keyPageUp, kCtrlBit | kAltBit));
    EXPECT_FALSE(AdjustStepOfKey(keyF5, 0));
    EXPECT_EQ(AdjustStepOfKey(keyPageUp, 256), 1);  // the remote control's "no modifier"
}

TEST(PanelArithmetic, DirectValuesAreClampedToTheSelectedRange) {
    EXPECT_EQ(ClampDirectValue(adjPower, 300), 255);
    EXPECT_EQ(ClampDirectValue(adjPower, -5), 0);
    EXPECT_EQ(ClampDirectValue(adjRssiCal, 200), 127);
    EXPECT_EQ(ClampDirectValue(adjRssiCal, -200), -128);
    EXPECT_EQ(ClampDirectValue(adjCnFc, 128), 128);
    EXPECT_EQ(ClampDirectValue(adjRxGain, -1), 0);
}

TEST(PanelArithmetic, TransmitModeSchedules) {
    const auto random = PlanTxMode(txRandomData, 30, 60);
    ASSERT_TRUE(random);
    EXPECT_EQ(random->command, "PSUDO");
    EXPECT_EQ(random->value, 128);  // 127.5 to the even neighbour
    EXPECT_EQ(random->firstStep, TxModeStep::LeadInNext);
    EXPECT_EQ(random->displayMs, 11091);
    EXPECT_EQ(PlanTxMode(txRandomData, 60, 60)->value, 255);
    const auto balance = PlanTxMode(txModBalance, 5, 60);
    ASSERT_TRUE(balance);
    EXPECT_EQ(balance->command, "BALANCE");
    EXPECT_EQ(balance->value, 5);
    EXPECT_EQ(balance->firstStep, TxModeStep::ValueNext);
    EXPECT_EQ(balance->displayMs, 5000);
    EXPECT_EQ(PlanTxMode(txModBalance, 60, 60)->displayMs, 60000);
    EXPECT_FALSE(PlanTxMode(txTone, 30, 60));
    EXPECT_FALSE(PlanTxMode(txNoModulation, 30, 60));
}

TEST(PanelArithmetic, OffsetListsAndFrequencyPairs) {
    EXPECT_EQ(OffsetOfIndex(0), 0);
    EXPECT_EQ(OffsetOfIndex(1), -75000);
    EXPECT_EQ(OffsetOfIndex(2), 75000);
    EXPECT_EQ(OffsetOfIndex(15), -600000);
    EXPECT_EQ(OffsetOfIndex(16), 600000);
    EXPECT_EQ(OffsetOfIndex(17), 0);
    EXPECT_EQ(FreqPairPoint(0), 255);
    EXPECT_EQ(FreqPairPoint(2), 1);
    EXPECT_EQ(FreqPairPoint(4), 255);
}

}  // namespace
}  // namespace k45
