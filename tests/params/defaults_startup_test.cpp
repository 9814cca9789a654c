// Start-up defaults: restricted bands, the built-in test record and the defaults in force.
#include <gtest/gtest.h>

#include "file_fixture.h"
#include "params/startup_defaults.h"
#include "radio/cal_tables.h"
#include "radio/channel_validation.h"

namespace k45 {
namespace {

class StartupDefaultsTest : public test::FileFixture {};

TEST_F(StartupDefaultsTest, OneRestrictedBand) {
    ASSERT_EQ(state.restrictedBands.size(), 1u);
    const RestrictedBand& b = state.restrictedBands[0];
    EXPECT_EQ(b, (RestrictedBand{406000000, 406100000, 50000}));
    InitDefaultTables(state);  // built anew, never added to
    EXPECT_EQ(state.restrictedBands.size(), 1u);
}

TEST_F(StartupDefaultsTest, BothBandEdgesAreRestricted) {
    // The channel check moves a frequency found in the band to its high edge plus the guard.
    struct Case { std::int32_t hz; std::int32_t after; };
    const Case cases[] = {
        {406000000, 406150000}, {406100000, 406150000}, {406050000, 406150000}, {406112500, 406112500},
    };
    for (const auto& c : cases) {
        ModemParameters r;
        r.radioType = 0;
        r.radioRange = 0;
        SetDefaultModemParameters(state, state, r);
        r.channels[1].rxFrequency = c.hz;
        CorrectChannelFreqs(state, state, r);
        EXPECT_EQ(r.channels[1].rxFrequency, c.after) << c.hz;
    }
}

TEST_F(StartupDefaultsTest, BuiltInTestRecord) {
    const ProductionTestRecord& b = state.builtInTestDefaults;
    EXPECT_EQ(b.modemModel, 6);
    EXPECT_EQ(b.radioType, 0);
    EXPECT_EQ(b.radioRange, 5);
    EXPECT_FALSE(IsSet(b.sa7026Synthesizer));
    EXPECT_EQ(b.rxGainVpp, 2.0);
    EXPECT_EQ(b.txTime, 6);
    const DacValues& d = b.defaultDacValues;
    EXPECT_EQ(d.frontEndAdj, (std::array<std::int16_t, 3>{74, 127, 190}));
    EXPECT_EQ(d.powerCalAdj, 200);
    EXPECT_EQ(d.fcAdj, (FcAdjustTable{{75, 76, 78}, {120, 122, 123}, {75, 76, 77}, {120, 120, 121}}));
    EXPECT_EQ(b.powerPoints.adReading, (std::array<std::int16_t, 5>{55, 66, 73, 79, 83}));
    const RssiTempComp& t = b.rssiTempComp;
    EXPECT_EQ(t.levelCode, b.rssiPoints.levelCode);
    EXPECT_EQ(t.adReading[0], (std::array<std::int16_t, 6>{81, 83, 85, 87, 88, 89}));
    EXPECT_EQ(t.adReading[3], (std::array<std::int16_t, 6>{132, 135, 138, 141, 142, 143}));
    EXPECT_EQ(t.adReading[5], (std::array<std::int16_t, 6>{185, 189, 193, 197, 199, 201}));
    // The radio model's tables leave their delta grid and packed table here, nowhere else.
    EXPECT_NE(t.delta, decltype(t.delta){});
    EXPECT_EQ(t.compressedTable[6][7], 2);
    EXPECT_EQ(state.mainParameters, ModemParameters{});
    // Radio spec entry of type 0, range 0, Mid.
    EXPECT_EQ(b.radioSpecs[30].rxFrequency, 418000000);
    EXPECT_EQ(b.radioSpecs[30].rxCn, 98);
    EXPECT_TRUE(state.radioTypeEnabled[2]);
    EXPECT_TRUE(state.rangeEnabled[0][8]);
    EXPECT_FALSE(state.rangeEnabled[0][9]);
}

TEST_F(StartupDefaultsTest, DefaultsInForceEqualTheBuiltInRecordWithoutRadspecs) {
    EXPECT_EQ(state.testDefaults, state.builtInTestDefaults);
    ProductionTestRecord copy;
    CopyDefaultTestRecord(state, copy);
    EXPECT_EQ(copy, state.testDefaults);
}

TEST_F(StartupDefaultsTest, TemperatureCompensationStampIsTheStartUpDay) {
    EXPECT_EQ(state.builtInTestDefaults.rssiTempComp.tableId, 9559);  // 2026-03-04
    EXPECT_EQ(state.builtInTestDefaults.rssiTempComp.tableId, CalDateStampToday(state));
    clock.advance(24LL * 3600 * 1000);
    InitDefaultTables(state);
    EXPECT_EQ(state.builtInTestDefaults.rssiTempComp.tableId, 9560);
}

}  // namespace
}  // namespace k45
