// Built-in defaults of the modem parameter record.
#include <gtest/gtest.h>

#include <cstdlib>

#include "file_fixture.h"
#include "params/modem_defaults.h"
#include "radio/channel_plan.h"

namespace k45 {
namespace {

class ModemDefaultsTest : public test::FileFixture {};

TEST_F(ModemDefaultsTest, FcAdjustsComeFromTheBuiltInSpecEntriesOfTypeAndRange) {
    // radspecs.cfg changes the table in force, never the defaults' FC values.
    state.testDefaults.radioSpecs[29].rxFc8 = 1;
    ModemParameters r;
    r.radioType = 2;
    r.radioRange = 9;
    SetDefaultModemParameters(state, state, r);
    const auto& b = state.builtInTestDefaults.radioSpecs;
    const size_t entries[3] = {29, 59, 89};
    for (size_t p = 0; p < 3; ++p) {
        EXPECT_EQ(r.fcAdj.rxFc8[p], b[entries[p]].rxFc8) << p;
        EXPECT_EQ(r.fcAdj.rxFc5[p], b[entries[p]].rxFc5) << p;
        EXPECT_EQ(r.fcAdj.txFc8[p], b[entries[p]].txFc8) << p;
        EXPECT_EQ(r.fcAdj.txFc5[p], b[entries[p]].txFc5) << p;
    }
    EXPECT_EQ(r.fcAdj.rxFc8, (std::array<std::int16_t, 3>{75, 76, 78}));
    EXPECT_EQ(r.fcAdj.txFc5, (std::array<std::int16_t, 3>{105, 109, 112}));
    EXPECT_EQ(r.radioType, 2);
    EXPECT_EQ(r.radioRange, 9);
}

TEST_F(ModemDefaultsTest, BuiltOverAnyRecordTheSameExceptTheSetupTime) {
    ModemParameters a;
    a.radioType = 1;
    a.radioRange = 5;
    SetDefaultModemParameters(state, state, a);
    const std::int64_t wall = clock.wallClockSeconds();
    EXPECT_LE(std::llabs(a.setupTime - wall), 14 * 3600);  // local wall clock, any time zone

    ModemParameters b;
    b.radioType = 1;
    b.radioRange = 5;
    b.channelBandwidth = 2;
    b.highBand = kTrue;
    b.comment = "old";
    b.powerMeter.fill(9);
    b.modSet.fill(1);
    b.calTables.powerTablePresent = b.calTables.rssiTablePresent = b.calTables.rssiTempTablePresent = kTrue;
    b.calTables.powerTableId = b.calTables.rssiTableId = b.calTables.rssiTempTableId = 77;
    b.calTables.powerTable.fill(5);
    b.calTables.rssiTable.fill(6);
    b.calTables.rssiTempTable[3].fill(7);
    clock.advance(90 * 1000);
    SetDefaultModemParameters(state, state, b);
    EXPECT_EQ(b.setupTime - a.setupTime, 90);
    b.setupTime = a.setupTime;
    EXPECT_EQ(b, a);
    EXPECT_EQ(b.calTables, CalTables{});
}

TEST_F(ModemDefaultsTest, EntriesNoDefaultWritesKeepTheirValues) {
    ModemParameters r;
    r.radioType = 0;
    r.radioRange = 5;
    r.t1Time[4] = r.extendedT1Time[4] = r.t2Time[4] = r.extendedT2Time[4] = r.rxClampTime[4] = 41;
    r.txDeviation[4] = r.rxGain[4] = 42;
    r.signature[10] = 43;
    SetDefaultModemParameters(state, state, r);
    for (auto* a : {&r.t1Time, &r.extendedT1Time, &r.t2Time, &r.extendedT2Time, &r.rxClampTime}) EXPECT_EQ((*a)[4], 41);
    EXPECT_EQ(r.txDeviation[4], 42);
    EXPECT_EQ(r.rxGain[4], 42);
    EXPECT_EQ(r.signature, (std::array<std::int16_t, 11>{'Q', 'u', 'O', 'r', 'V', 'a', 'L', 'i', 'N', 0, 43}));
    EXPECT_EQ(r.t1Time, (std::array<std::int16_t, 5>{30, 30, 28, 28, 41}));
    EXPECT_EQ(r.rxClampTime, (std::array<std::int16_t, 5>{12, 12, 14, 14, 41}));
}

TEST_F(ModemDefaultsTest, ChannelPlanOfTheRecordsTypeAndRange) {
    ModemParameters r;
    r.radioType = 0;
    r.radioRange = 0;
    r.highBand = kTrue;  // the defaults clear the high band before the plan is made
    SetDefaultModemParameters(state, state, r);
    EXPECT_FALSE(IsSet(r.highBand));
    EXPECT_EQ(r.channels[0], (ChannelFrequency{406200000, 406300000}));
    EXPECT_EQ(r.channels[3], (ChannelFrequency{407025000, 407025000}));
    for (auto p : r.powerAdjust) EXPECT_EQ(p, 255);
}

TEST_F(ModemDefaultsTest, InvalidTypeOrRangeLeavesTheFcAdjusts) {
    struct Case { std::int32_t type, range, typeAfter, rangeAfter; };
    const Case cases[] = {{7, 3, 0, 5}, {-1, 3, 0, 5}, {1, 12, 1, 12}, {2, -1, 2, -1}};
    for (const auto& c : cases) {
        ModemParameters r;
        r.radioType = c.type;
        r.radioRange = c.range;
        r.fcAdj.rxFc8 = {1, 2, 3};
        r.fcAdj.txFc5 = {4, 5, 6};
        SetDefaultModemParameters(state, state, r);
        EXPECT_EQ(r.fcAdj.rxFc8, (std::array<std::int16_t, 3>{1, 2, 3})) << c.type << "," << c.range;
        EXPECT_EQ(r.fcAdj.txFc5, (std::array<std::int16_t, 3>{4, 5, 6}));
        EXPECT_EQ(r.radioType, c.typeAfter);
        EXPECT_EQ(r.radioRange, c.rangeAfter);
        EXPECT_EQ(r.comment, "Comment.");  // every other step still runs
    }
}

}  // namespace
}  // namespace k45
