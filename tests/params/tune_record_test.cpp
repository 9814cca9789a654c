// Building the tune record from a parameter record, and writing its adjusts back.
#include <gtest/gtest.h>

#include "image_fixture.h"
#include "params/tune_record.h"
#include "radio/synthesizer.h"

namespace k45::test {
namespace {

using TuneFixture = ImageFixture;

TuneRecord StaleTune() {
    TuneRecord t;
    t.txFrequency = 455000000;
    t.rxFrequency = 465012500;
    t.synthFrequency = 1;
    t.txSelected = kTrue;
    t.txFcModulus = 5;
    t.rxFcModulus = 8;
    t.fcOverride = 77;
    t.frontEndValue = t.modValue = t.powerValue = 66;
    return t;
}

TEST_F(TuneFixture, BuildCopiesTheParametersAndSetsUpTheReceiver) {
    ModemParameters p = FilledRecord(6, 6);
    TuneRecord t = StaleTune();
    BuildTuneRecord(app, t, p);
    EXPECT_EQ(t.txFrequency, 455000000);
    EXPECT_EQ(t.rxFrequency, 465012500);
    EXPECT_EQ(t.synthFrequency, t.rxFrequency);
    EXPECT_EQ(t.txSelected, kFalse);
    EXPECT_EQ(t.txFcModulus, 5);  // the moduli belong to the window's adjust selection
    EXPECT_EQ(t.rxFcModulus, 8);
    EXPECT_EQ(t.channelBandwidth, p.channelBandwidth);
    EXPECT_EQ(t.highBand, p.highBand);
    EXPECT_EQ(t.sa7026Synthesizer, p.sa7026Synthesizer);
    EXPECT_EQ(t.frontEndAdj, p.frontEndAdj);
    EXPECT_EQ(t.modAdj, p.modAdj);
    EXPECT_EQ(t.powerAdj, p.powerAdj);
    EXPECT_EQ(t.fcAdj, p.fcAdj);
    EXPECT_EQ(t.model, 6);
    EXPECT_EQ(t.eepromVersion, 6);
    EXPECT_EQ(t.radioType, 0);
    EXPECT_EQ(t.radioRange, 5);
    EXPECT_EQ(t.masterDeviation, p.masterDeviation);
    EXPECT_EQ(t.txDeviationAdj, p.masterDeviation);
    EXPECT_EQ(t.rxGainAdj, p.masterRxGain);
    EXPECT_EQ(t.rssiCalAdj, p.rssiCalAdj);
    EXPECT_EQ(t.powerCalAdj, p.masterPowerMeterCal);
    // Front end and FC follow the Rx curve at the Rx frequency, the others the Tx curve.
    EXPECT_EQ(t.frontEndValue, InterpolateTuneValue(app, 465012500, 0, 5, false, p.frontEndAdj));
    EXPECT_EQ(t.modValue, InterpolateTuneValue(app, 455000000, 0, 5, true, p.modAdj));
    EXPECT_EQ(t.powerValue, InterpolateTuneValue(app, 455000000, 0, 5, true, p.powerAdj));
}

TEST_F(TuneFixture, FcOverrideComesFromTheRxColumnOfTheModulus) {
    ModemParameters p = FilledRecord(6, 6);
    p.fcAdj.rxFc8 = {10, 10, 10};
    p.fcAdj.rxFc5 = {50, 50, 50};
    p.fcAdj.txFc8 = {200, 200, 200};
    p.fcAdj.txFc5 = {250, 250, 250};
    // Find one Rx frequency of each modulus near the middle of the range.
    std::int32_t rx8 = 0, rx5 = 0;
    for (std::int32_t f = 460000000; f < 460100000 && (!rx8 || !rx5); f += 500) {
        const int m = GetFractionalModulus(f, 0, 5, false);
        if (m == 8 && !rx8) rx8 = f;
        if (m == 5 && !rx5) rx5 = f;
    }
    ASSERT_TRUE(rx8 && rx5);
    TuneRecord t = StaleTune();
    t.rxFrequency = rx8;
    BuildTuneRecord(app, t, p);
    EXPECT_EQ(t.fcOverride, 10);
    t.rxFrequency = rx5;
    BuildTuneRecord(app, t, p);
    EXPECT_EQ(t.fcOverride, 50);
}

TEST_F(TuneFixture, InterpolatedValuesStayInByteRange) {
    ModemParameters p = FilledRecord(6, 6);
    p.frontEndAdj = {-50, 400, 900};
    p.modAdj = {300, 300, 300};
    p.powerAdj = {-1, -1, -1};
    p.fcAdj.rxFc8 = p.fcAdj.rxFc5 = {1000, 1000, 1000};
    TuneRecord t = StaleTune();
    for (std::int32_t f : {440000000, 450000000, 460000000, 470000000, 490000000}) {
        t.txFrequency = t.rxFrequency = f;
        BuildTuneRecord(app, t, p);
        for (auto v : {t.frontEndValue, t.modValue, t.powerValue, t.fcOverride}) {
            EXPECT_GE(v, 0) << f;
            EXPECT_LE(v, 255) << f;
        }
    }
}

TEST_F(TuneFixture, InvalidTypeOrRangeKeepsTheInterpolatedValues) {
    for (auto [type, range] : {std::pair{3, 5}, std::pair{0, 10}, std::pair{-1, 0}}) {
        ModemParameters p = FilledRecord(6, 6);
        p.radioType = type;
        p.radioRange = range;
        TuneRecord t = StaleTune();
        BuildTuneRecord(app, t, p);
        EXPECT_EQ(t.frontEndValue, 66);
        EXPECT_EQ(t.modValue, 66);
        EXPECT_EQ(t.powerValue, 66);
        EXPECT_EQ(t.fcOverride, 77);
        EXPECT_EQ(t.radioType, type);  // the plain copies still happen
        EXPECT_EQ(t.synthFrequency, t.rxFrequency);
    }
}

TEST_F(TuneFixture, ApplyWritesBackTheAdjustsOnly) {
    ModemParameters p = FilledRecord(6, 6);
    TuneRecord t = StaleTune();
    BuildTuneRecord(app, t, p);
    ModemParameters same = p;
    ApplyTuneRecord(same, t);
    EXPECT_EQ(same, p);  // build then apply changes nothing

    t.sa7026Synthesizer = kTrue;
    t.frontEndAdj = {1, 2, 3};
    t.modAdj = {4, 5, 6};
    t.powerAdj = {7, 8, 9};
    t.fcAdj.txFc5 = {9, 9, 9};
    t.model = 4;
    t.radioType = 2;
    t.radioRange = 7;
    t.rxGainAdj = 101;
    t.txDeviationAdj = 102;
    t.masterDeviation = 55;  // not used: the master deviation comes from txDeviationAdj
    t.rssiCalAdj = -9;
    t.powerCalAdj = 103;
    t.channelBandwidth = bandwidthFull;
    t.highBand = kTrue;
    t.eepromVersion = 2;
    ModemParameters q = p;
    ApplyTuneRecord(q, t);
    ModemParameters expected = p;
    expected.sa7026Synthesizer = kTrue;
    expected.frontEndAdj = {1, 2, 3};
    expected.modAdj = {4, 5, 6};
    expected.powerAdj = {7, 8, 9};
    expected.fcAdj = t.fcAdj;
    expected.model = 4;
    expected.radioType = 2;
    expected.radioRange = 7;
    expected.masterRxGain = 101;
    expected.masterDeviation = 102;
    expected.rssiCalAdj = -9;
    expected.masterPowerMeterCal = 103;
    EXPECT_EQ(q, expected);
}

}  // namespace
}  // namespace k45::test
