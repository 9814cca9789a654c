#include <gtest/gtest.h>

#include <string>

#include "radio/synthesizer.h"
#include "radio_fixture.h"

namespace k45 {
namespace {

class TuneValues : public testing::Test {
protected:
    test::RadioWorld w;
};

// Type 0 range 5 spans 450 / 460 / 470 MHz in both columns.
TEST_F(TuneValues, InterpolationOverTheSpecTableFrequencies) {
    const std::array<std::int16_t, 3> falling{100, 50, 0};
    EXPECT_EQ(InterpolateTuneValue(w.app, 460000000, 0, 5, true, falling), 50) << "exactly Mid";
    EXPECT_EQ(InterpolateTuneValue(w.app, 455000000, 0, 5, true, falling), 75);
    EXPECT_EQ(InterpolateTuneValue(w.app, 465000000, 0, 5, false, falling), 25);
    // One segment width below Low and further: the value extrapolated to 440 MHz.
    EXPECT_EQ(InterpolateTuneValue(w.app, 440000000, 0, 5, true, falling), 150);
    EXPECT_EQ(InterpolateTuneValue(w.app, 300000000, 0, 5, true, falling), 150);
    // Above High it is held at High + width and clamped to 0..255.
    EXPECT_EQ(InterpolateTuneValue(w.app, 900000000, 0, 5, true, falling), 0);
    const std::array<std::int16_t, 3> steep{250, 100, 90};
    EXPECT_EQ(InterpolateTuneValue(w.app, 440000000, 0, 5, true, steep), 255);
    EXPECT_EQ(InterpolateTuneValue(w.app, 500000000, 0, 5, true, steep), 80);
    // Halves go to the even neighbour: 2.5 -> 2.
    const std::array<std::int16_t, 3> small{0, 5, 5};
    EXPECT_EQ(InterpolateTuneValue(w.app, 455000000, 0, 5, true, small), 2);
    EXPECT_EQ(InterpolateTuneValue(w.app, 455000000, 7, 5, true, small), 0) << "no radio spec entry for type 7";
}

TEST_F(TuneValues, InterpolationTakesTheRxOrTxColumn) {
    w.entry(0, 5, 0).rxFrequency = 440000000;
    const std::array<std::int16_t, 3> v{0, 100, 200};
    EXPECT_EQ(InterpolateTuneValue(w.app, 450000000, 0, 5, true, v), 0);
    EXPECT_EQ(InterpolateTuneValue(w.app, 450000000, 0, 5, false, v), 50);
}

struct ModulusCase {
    int type, range;
    bool tx;
    std::int32_t frequency;
    int modulus;
};

class FractionalModulus : public testing::TestWithParam<ModulusCase> {};

TEST_P(FractionalModulus, ByTheGridOfTheUnsnappedLo) {
    const ModulusCase& c = GetParam();
    EXPECT_EQ(GetFractionalModulus(c.frequency, c.type, c.range, c.tx), c.modulus);
}

INSTANTIATE_TEST_SUITE_P(
    Grids, FractionalModulus,
    testing::Values(ModulusCase{0, 5, true, 450000000, 8}, ModulusCase{0, 5, true, 450010000, 5},
                    ModulusCase{0, 5, true, 450001000, 8},  // off grid
                    ModulusCase{0, 5, false, 450000000, 8},  // LO 502 950 000
                    ModulusCase{0, 5, true, 450005000, 5}, ModulusCase{2, 4, false, 900010000, 5},
                    ModulusCase{0, 5, true, 450002500, 8},  // no 2.5 kHz test here
                    // Type 1: validation's range groups, not the synthesizer's.
                    ModulusCase{1, 4, true, 150007500, 5}, ModulusCase{1, 5, true, 150007500, 5},
                    ModulusCase{1, 3, true, 150007500, 8}, ModulusCase{1, 9, true, 150007500, 8},
                    ModulusCase{1, 0, true, 150004000, 5}, ModulusCase{1, 6, true, 150004000, 5},
                    ModulusCase{1, 8, true, 150002500, 8}, ModulusCase{1, 4, true, 150004000, 8},
                    ModulusCase{1, 9, true, 150005000, 5}, ModulusCase{1, 6, false, 150000000, 8},
                    ModulusCase{5, 0, true, 450010000, 8}, ModulusCase{1, 12, true, 150010000, 8}));

class CnFcAdjust : public testing::Test {
protected:
    test::RadioWorld w;
    TuneRecord rec;
    std::string caption = "unchanged";

    void SetUp() override {
        rec.radioType = 0;
        rec.radioRange = 5;
        rec.txFrequency = 450010000;  // 10 kHz grid only: modulus 5
        rec.rxFrequency = 450000000;  // LO 502 950 000: modulus 8
        rec.fcAdj.txFc8 = {11, 12, 13};
        rec.fcAdj.txFc5 = {21, 22, 23};
        rec.fcAdj.rxFc8 = {31, 32, 33};
        rec.fcAdj.rxFc5 = {41, 42, 43};
        rec.txFcModulus = 0;
        rec.rxFcModulus = 0;
        rec.fcOverride = 99;
    }
};

TEST_F(CnFcAdjust, Sa7026TxOnThe10kHzGridUsesTheFc5Point) {
    rec.sa7026Synthesizer = kTrue;
    rec.txSelected = kTrue;
    SelectCnFcAdjust(w.app, rec, &caption, true, true, true, 2);
    EXPECT_EQ(rec.txFcModulus, 5);
    EXPECT_EQ(rec.rxFcModulus, 8);
    EXPECT_EQ(caption, "Tx FC 5 Ad&j");
    EXPECT_EQ(rec.fcOverride, 23);
}

TEST_F(CnFcAdjust, Sa7026RxInterpolatesTheFc8Column) {
    rec.sa7026Synthesizer = kTrue;
    rec.txSelected = kFalse;
    rec.rxFrequency = 455000000;  // LO 507 950 000 is a 50 kHz multiple
    rec.fcAdj.rxFc8 = {30, 40, 90};
    SelectCnFcAdjust(w.app, rec, &caption, true, true, false, 0);
    EXPECT_EQ(caption, "Rx FC 8 Ad&j");
    EXPECT_EQ(rec.fcOverride, 35);
}

TEST_F(CnFcAdjust, Sa7026Fc5RxCaptionAndPointOutsideRangeLeavesOverride) {
    rec.sa7026Synthesizer = kTrue;
    rec.rxFrequency = 450010000;
    SelectCnFcAdjust(w.app, rec, &caption, true, true, true, 3);
    EXPECT_EQ(caption, "Rx FC 5 Ad&j");
    EXPECT_EQ(rec.fcOverride, 99);
    SelectCnFcAdjust(w.app, rec, &caption, false, true, true, -1);
    EXPECT_EQ(rec.fcOverride, 99);
}

TEST_F(CnFcAdjust, Sa7025SetsOverrideMinusOneAndStillComputesModuli) {
    rec.txSelected = kTrue;
    SelectCnFcAdjust(w.app, rec, &caption, true, true, true, 1);
    EXPECT_EQ(rec.fcOverride, -1);
    EXPECT_EQ(rec.txFcModulus, 5);
    EXPECT_EQ(rec.rxFcModulus, 8);
    EXPECT_EQ(caption, "Tx CN Ad&j");
    rec.txSelected = kFalse;
    SelectCnFcAdjust(w.app, rec, &caption, true, false, false, 0);
    EXPECT_EQ(caption, "Rx CN Ad&j");
}

TEST_F(CnFcAdjust, FlagsOffTouchOnlyTheModuli) {
    rec.sa7026Synthesizer = kTrue;
    rec.txSelected = kTrue;
    SelectCnFcAdjust(w.app, rec, &caption, false, false, true, 1);
    EXPECT_EQ(caption, "unchanged");
    EXPECT_EQ(rec.fcOverride, 99);
    EXPECT_EQ(rec.txFcModulus, 5);
    // No control at all.
    SelectCnFcAdjust(w.app, rec, nullptr, true, true, true, 1);
    EXPECT_EQ(rec.fcOverride, 22);
}

struct FcTestCase {
    const char* name;
    int type, range;
    bool tx;
    bool engineer;
    std::int32_t frequency;
    int modulusIn;
    std::int32_t result;
    int modulusOut;
};

class FcTestFreq : public testing::TestWithParam<FcTestCase> {};

TEST_P(FcTestFreq, OneStepAboveTheNearestGridPoint) {
    const FcTestCase& c = GetParam();
    test::RadioWorld w;
    w.app.engineerMode = c.engineer;
    TuneRecord rec;
    rec.radioType = c.type;
    rec.radioRange = c.range;
    rec.txSelected = ToFlag(c.tx);
    std::int16_t modulus = static_cast<std::int16_t>(c.modulusIn);
    EXPECT_EQ(GetFcTestFreq(w.app, rec, c.frequency, modulus), c.result);
    EXPECT_EQ(modulus, c.modulusOut);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FcTestFreq,
    testing::Values(
        FcTestCase{"Type0TxModulus8", 0, 5, true, false, 450003000, 8, 450006250, 8},
        FcTestCase{"Type0TxChosen", 0, 5, true, false, 450003000, -1, 450006250, 8},
        FcTestCase{"Type0RxModulus5", 0, 5, false, false, 450000000, 5, 450010000, 5},
        FcTestCase{"Type0TxChosen10k", 0, 5, true, false, 450010000, -1, 450010000, 5},
        // Off the 6.25/10/5 kHz grids but on 2.5 kHz: the 2.5 kHz step needs engineer mode.
        FcTestCase{"Type0Tx2p5Engineer", 0, 5, true, true, 450002500, -1, 450002500, 8},
        FcTestCase{"Type0Tx2p5Field", 0, 5, true, false, 450002500, -1, 450006250, 8},
        // A high LO whose grid count passes 32 767 still gives the frequency.
        FcTestCase{"Type2HighLo", 2, 5, true, false, 930005000, -1, 930005000, 5},
        FcTestCase{"Type2HighLoModulus8", 2, 5, true, false, 960000000, 8, 960006250, 8},
        FcTestCase{"Type1Range4Modulus5", 1, 4, true, false, 150000000, 5, 150007500, 5},
        FcTestCase{"Type1Range9Chosen", 1, 9, true, false, 150005000, -1, 150005000, 5},
        FcTestCase{"Type1Range6Modulus8", 1, 6, true, false, 150000000, 8, 150002500, 8},
        FcTestCase{"Type1Range2Chosen4k", 1, 2, true, false, 150004000, -1, 150004000, 5},
        FcTestCase{"Type1Range6RxNone", 1, 6, false, false, 150001000, -1, 150012500, 8},
        FcTestCase{"InvalidTypeForcesModulus8", 7, 0, false, false, 450000000, 5, 450006250, 8},
        FcTestCase{"ResultTooLarge", 0, 5, true, false, 2147480000, 8, 0, 8}),
    [](const testing::TestParamInfo<FcTestCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace k45
