#include <gtest/gtest.h>

#include "radio/channel_plan.h"
#include "radio/rssi_conversion.h"
#include "radio_fixture.h"

namespace k45 {
namespace {

class RssiConversion : public testing::Test {
protected:
    test::RadioWorld w;
    CalTables cal;

    void SetUp() override {
        cal.rssiTablePresent = kTrue;
        for (int i = 0; i < 64; ++i) cal.rssiTable[static_cast<size_t>(i)] = static_cast<std::int16_t>(100 + i);
    }
};

TEST_F(RssiConversion, ByteToDbmThroughTheCalibratedTable) {
    struct Case { std::int16_t byte; int index; };
    for (Case c : {Case{0, 0}, Case{1, 0}, Case{2, 0}, Case{3, 1}, Case{6, 2}, Case{10, 2}, Case{14, 4},
                   Case{252, 63}, Case{255, 63}, Case{-3, 0}, Case{1000, 63}}) {
        EXPECT_EQ(RssiByteToDbm(w.app, cal, 0, c.byte, false), 130 - (100 + c.index)) << c.byte;
    }
}

TEST_F(RssiConversion, ByteToDbmThroughTheDefaultCurves) {
    // Asked for, or no calibrated table present.
    EXPECT_EQ(RssiByteToDbm(w.app, cal, 0, 58, true), 1);  // 5716: 129 at A/D 58
    cal.rssiTablePresent = kFalse;
    EXPECT_EQ(RssiByteToDbm(w.app, cal, 0, 58, false), 1);
    EXPECT_EQ(RssiByteToDbm(w.app, cal, 0, -5, false), 0);    // curve(0) = 130
    EXPECT_EQ(RssiByteToDbm(w.app, cal, 0, 300, false), 85);  // curve(255) = 45
    EXPECT_EQ(RssiByteToDbm(w.app, cal, 1, 44, false), 1);    // 5726
    EXPECT_EQ(RssiByteToDbm(w.app, cal, 2, 37, false), 1);    // 5796
    EXPECT_EQ(RssiByteToDbm(w.app, cal, 2, 255, false), 80);  // 5796 floor 50
    EXPECT_EQ(RssiByteToDbm(w.app, cal, 9, 58, false), 1) << "other types use the 5716 curve";
}

TEST_F(RssiConversion, DbmToByteThroughTheCalibratedTable) {
    for (int i = 0; i < 64; ++i) cal.rssiTable[static_cast<size_t>(i)] = static_cast<std::int16_t>(130 - i);
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, 10, false), 40) << "c equal to entry 10";
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, -1, false), 0) << "c above entry 0";
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, 0, false), 0);
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, 64, false), 252) << "c below entry 63: 252, not 255";
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, 63, false), 252);

    // Between two entries: 4 (j - 1) plus the share of the gap, halves to even.
    cal.rssiTable[0] = 130;
    cal.rssiTable[1] = 122;
    for (int j = 2; j < 64; ++j) cal.rssiTable[static_cast<size_t>(j)] = static_cast<std::int16_t>(122 - j);
    struct Case { int c; int byte; };
    for (Case k : {Case{129, 0}, Case{128, 1}, Case{127, 2}, Case{126, 2}, Case{125, 2}, Case{123, 4}, Case{122, 4}}) {
        EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, static_cast<std::int16_t>(130 - k.c), false), k.byte) << k.c;
    }
}

TEST_F(RssiConversion, DbmToByteThroughTheDefaultCurve) {
    // Level code 30 looks up c = 100: the first A/D value whose 5716 entry is 100 or less.
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, 30, true), 97);
    EXPECT_EQ(w.app.rssiCurve5716[97], 100);
    EXPECT_EQ(w.app.rssiCurve5716[96], 101);
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, -1, true), 0) << "c above curve(0)";
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, 0, true), 0);
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, 86, true), 255) << "c below curve(255)";
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 0, 85, true), 180);
    EXPECT_EQ(RssiDbmToByte(w.app, cal, 2, 80, true), 154);
}

TEST_F(RssiConversion, RoundTripOverTheDefaultCurve) {
    cal.rssiTablePresent = kFalse;
    for (int type = 0; type < 3; ++type) {
        const int strongest = 130 - DefaultRssiCurve(w.app, type)[255];
        for (int level = 0; level <= 85; ++level) {
            SCOPED_TRACE(testing::Message() << "type " << type << " level " << level);
            const std::int16_t byte = RssiDbmToByte(w.app, cal, type, static_cast<std::int16_t>(level), false);
            if (level > strongest) {
                EXPECT_EQ(byte, 255);
                continue;
            }
            // The curve holds some levels over several readings and skips others: the byte found
            // is the first that reads the level or a stronger one.
            EXPECT_GE(RssiByteToDbm(w.app, cal, type, byte, false), level);
            if (byte > 0) {
                EXPECT_LT(RssiByteToDbm(w.app, cal, type, static_cast<std::int16_t>(byte - 1), false), level);
            }
        }
    }
}

class ChannelPlan : public testing::Test {
protected:
    test::RadioWorld w;
    ModemParameters rec;

    void expectPlan(const std::array<std::int32_t, 8>& rx, const std::array<std::int32_t, 8>& tx) {
        for (size_t k = 0; k < 8; ++k) {
            EXPECT_EQ(rec.channels[k].rxFrequency, rx[k]) << "channel " << k + 1;
            EXPECT_EQ(rec.channels[k].txFrequency, tx[k]) << "channel " << k + 1;
            EXPECT_EQ(rec.powerAdjust[k], 255);
        }
    }
};

TEST_F(ChannelPlan, Type0Range0LowSubBand) {
    rec.radioType = 0;
    rec.radioRange = 0;
    rec.powerAdjust.fill(3);
    SetDefaultChannels(w.app, rec);
    expectPlan({406300000, 414200000, 421800000, 407025000, 408025000, 409025000, 410025000, 411025000},
               {406200000, 418100000, 429900000, 407025000, 408025000, 409025000, 410025000, 411025000});
}

TEST_F(ChannelPlan, Type0Range0HighSubBand) {
    rec.radioType = 0;
    rec.radioRange = 0;
    rec.highBand = kTrue;
    SetDefaultChannels(w.app, rec);
    expectPlan({414300000, 422200000, 429800000, 415025000, 416025000, 417025000, 418025000, 419025000},
               {406200000, 418100000, 429900000, 415025000, 416025000, 417025000, 418025000, 419025000});
}

TEST_F(ChannelPlan, OtherRangesUseTheBuiltInPointsForChannels1To3) {
    rec.radioType = 0;
    rec.radioRange = 5;
    // radspecs.cfg moved the Low point of the table in force: channels 4..8 follow it,
    // channels 1..3 keep the built-in points.
    w.entry(0, 5, 0).rxFrequency = 452000000;
    w.entry(0, 5, 0).txFrequency = 453000000;
    w.entry(0, 5, 1).rxFrequency = 1;
    SetDefaultChannels(w.app, rec);
    expectPlan({450200000, 460200000, 469800000, 453025000, 454025000, 455025000, 456025000, 457025000},
               {450100000, 460100000, 469900000, 454025000, 455025000, 456025000, 457025000, 458025000});
}

TEST_F(ChannelPlan, InvalidTypeBecomesType0Range5) {
    rec.radioType = 7;
    rec.radioRange = 2;
    SetDefaultChannels(w.app, rec);
    EXPECT_EQ(rec.radioType, 0);
    EXPECT_EQ(rec.radioRange, 5);
    EXPECT_EQ(rec.channels[0].rxFrequency, 450200000);
}

TEST_F(ChannelPlan, InvalidRangeLeavesTheFrequenciesAndTouchesNothingElse) {
    rec.radioType = 1;
    rec.radioRange = 12;
    rec.channels[3] = ChannelFrequency{1, 2};
    rec.powerAdjust.fill(0);
    ModemParameters expected = rec;
    expected.powerAdjust.fill(255);
    SetDefaultChannels(w.app, rec);
    EXPECT_EQ(rec, expected);
}

}  // namespace
}  // namespace k45
