// Conversions between the editors' boxes and the records, and the field tables the timing, DAC
// and radio spec editors work through.
#include <gtest/gtest.h>

#include <set>

#include "programming/editor_dac_values.h"
#include "programming/editor_modem_times.h"
#include "programming/editor_rad_specs.h"
#include "programming/editor_values.h"

namespace k45 {
namespace {

TEST(EditorValues, SetupTimeIsShownWithTwelveHourClockAndLeadingZeros) {
    EXPECT_EQ(SetupTimeText(0), "01/01/1970 12:00:00 AM");
    // 2024-03-07 14:05:09
    EXPECT_EQ(SetupTimeText(1709820309), "03/07/2024 02:05:09 PM");
    // 1969-12-31 23:59:59 and noon
    EXPECT_EQ(SetupTimeText(-1), "12/31/1969 11:59:59 PM");
    EXPECT_EQ(SetupTimeText(12 * 3600), "01/01/1970 12:00:00 PM");
    EXPECT_EQ(SetupTimeText(253402300799), "12/31/9999 11:59:59 PM");
    EXPECT_EQ(SetupTimeText(253402300800), "");
    EXPECT_EQ(SetupTimeText(INT64_MIN), "");
}

TEST(EditorValues, ShortIdFollowsTheLongIdText) {
    const LocaleInfo loc;
    EXPECT_EQ(ShortIdOfText("1023", loc), "  1023");
    EXPECT_EQ(ShortIdOfText("1024", loc), "+ 0");
    EXPECT_EQ(ShortIdOfText("2049", loc), "+ 1");
    EXPECT_EQ(ShortIdOfText("4294967295", loc), "+ 1023");
    EXPECT_FALSE(ShortIdOfText("", loc));
}

TEST(EditorModemTimes, GiveBackTouchesRowsZeroToThreeAndTheDivisorsOnly) {
    ModemParameters edited;
    for (int c = 0; c < kModemTimeColumns; ++c)
        for (int r = 0; r < kModemTimeRows; ++r) *ModemTimeEntry(edited, c, r) = static_cast<std::int16_t>(100 + 10 * c + r);
    edited.txDivisorTest = 7;
    edited.rxDivisorTest = 9;
    edited.t1Time[4] = 77;
    edited.comment = "edited";

    ModemParameters target;
    target.t1Time[4] = 5;
    ModemParameters expected = target;
    expected.t1Time = {100, 101, 102, 103, 5};
    expected.extendedT1Time = {110, 111, 112, 113, expected.extendedT1Time[4]};
    expected.t2Time = {120, 121, 122, 123, expected.t2Time[4]};
    expected.extendedT2Time = {130, 131, 132, 133, expected.extendedT2Time[4]};
    expected.rxClampTime = {140, 141, 142, 143, expected.rxClampTime[4]};
    expected.txDivisorTest = 7;
    expected.rxDivisorTest = 9;
    GiveBackModemTimes(edited, target);
    EXPECT_EQ(target, expected);

    EXPECT_EQ(ModemTimeEntry(edited, 0, 4), nullptr);
    EXPECT_EQ(ModemTimeEntry(edited, 5, 0), nullptr);
    EXPECT_EQ(ModemTimeEntry(edited, -1, 0), nullptr);
}

TEST(EditorModemTimes, CopyTimingFieldsTakesAllTimingAndNothingElse) {
    ModemParameters source;
    source.t1Time = {1, 2, 3, 4, 5};
    source.rxClampTime = {6, 7, 8, 9, 10};
    source.txDivisorTest = 11;
    source.rxDivisorTest = 12;
    source.comment = "source";
    ModemParameters target;
    target.comment = "target";
    CopyTimingFields(source, target);
    EXPECT_EQ(target.t1Time, source.t1Time);
    EXPECT_EQ(target.rxClampTime, source.rxClampTime);
    EXPECT_EQ(target.txDivisorTest, 11);
    EXPECT_EQ(target.rxDivisorTest, 12);
    EXPECT_EQ(target.comment, "target");
}

TEST(EditorDacValues, FieldsAreTheTwentyFiveValuesInBoxOrder) {
    DacValues v;
    auto f = DacValueFields(v);
    for (std::size_t i = 0; i < f.size(); ++i) *f[i] = static_cast<std::int16_t>(i + 1);
    EXPECT_EQ(v.frontEndAdj, (std::array<std::int16_t, 3>{1, 2, 3}));
    EXPECT_EQ(v.modAdj, (std::array<std::int16_t, 3>{4, 5, 6}));
    EXPECT_EQ(v.powerAdj, (std::array<std::int16_t, 3>{7, 8, 9}));
    EXPECT_EQ(v.fcAdj.rxFc8, (std::array<std::int16_t, 3>{10, 11, 12}));
    EXPECT_EQ(v.fcAdj.rxFc5, (std::array<std::int16_t, 3>{13, 14, 15}));
    EXPECT_EQ(v.fcAdj.txFc8, (std::array<std::int16_t, 3>{16, 17, 18}));
    EXPECT_EQ(v.fcAdj.txFc5, (std::array<std::int16_t, 3>{19, 20, 21}));
    EXPECT_EQ(v.rxGainAdj, 22);
    EXPECT_EQ(v.txDeviationAdj, 23);
    EXPECT_EQ(v.rssiCalAdj, 24);
    EXPECT_EQ(*f[kDacRssiCalAdjIndex], v.rssiCalAdj);
    EXPECT_EQ(v.powerCalAdj, 25);
    // Every field once.
    std::set<const std::int16_t*> distinct(f.begin(), f.end());
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kDacValueCount));
}

TEST(EditorRadSpecs, TextsRoundTripAndBadTextsLeaveTheirFields) {
    const LocaleInfo loc;
    RadioSpec entry{450000000, 1, 2, 3, 460012500, 4, 5, 6};
    const RadSpecTexts texts = RadSpecToTexts(entry, loc);
    EXPECT_EQ(texts, (RadSpecTexts{"450.000000", "460.012500", "1", "4", "2", "5", "3", "6"}));

    RadioSpec stored = entry;
    StoreRadSpecTexts(stored, {"406.2", "x", "450.000000", "", "99999", "7.5", "-3", "8"}, loc);
    EXPECT_EQ(stored.rxFrequency, 406200000);
    EXPECT_EQ(stored.txFrequency, 460012500);  // not a number: unchanged
    EXPECT_EQ(stored.rxCn, 450);               // a frequency text dropped on a CN box
    EXPECT_EQ(stored.txCn, 4);                 // empty: unchanged
    EXPECT_EQ(stored.rxFc8, 2);                // beyond 16 bits: unchanged
    EXPECT_EQ(stored.txFc8, 8);                // 7.5 to the even neighbour
    EXPECT_EQ(stored.rxFc5, -3);
    EXPECT_EQ(stored.txFc5, 8);
}

}  // namespace
}  // namespace k45
