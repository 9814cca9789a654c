#include <gtest/gtest.h>

#include <string>

#include "platform/dialogs.h"
#include "radio/channel_validation.h"
#include "radio_fixture.h"

namespace k45 {
namespace {

using test::ShownBox;

class Validation : public testing::Test {
protected:
    test::RadioWorld w;
    ModemParameters rec;

    // Type 0 range 5 (450..470 MHz in both columns) with every channel on the grid and in range.
    void SetUp() override { Plan(0, 5); }

    void Plan(int type, int range) {
        rec.radioType = type;
        rec.radioRange = range;
        const std::int32_t low = w.entry(type, range, 0).txFrequency;
        for (int k = 0; k < 8; ++k) {
            rec.channels[static_cast<size_t>(k)].txFrequency = low + 1000000 + 1000000 * k;
            rec.channels[static_cast<size_t>(k)].rxFrequency = low + 2000000 + 1000000 * k;
        }
    }
    ChannelFrequency& ch(int n) { return rec.channels[static_cast<size_t>(n - 1)]; }
    // Interactive: the problems shown through the scripted dialogs, the record untouched.
    std::int16_t check(bool interactive) {
        if (!interactive) return CorrectChannelFreqs(w.app, w.app, rec);
        return CheckChannelFreqs(w.app, w.app, w.app, rec).Show(MessageShower(w.app.dialogs));
    }
    const ShownBox& box(size_t i) { return w.dialogs.boxes.at(i); }
};

TEST_F(Validation, CleanPlanPassesBothWays) {
    EXPECT_EQ(check(true), -1);
    ModemParameters before = rec;
    EXPECT_EQ(check(false), -1);
    EXPECT_EQ(rec, before);
    EXPECT_TRUE(w.dialogs.boxes.empty());
}

TEST_F(Validation, RestrictedBandMessageAndIndex) {
    Plan(0, 0);
    ch(1).rxFrequency = 406050000;
    w.dialogs.expectBox("Restricted");
    EXPECT_EQ(check(true), 8);
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(box(0).text,
              "Rx Frequency (406.050000 MHz) for Channel 1 is in a Restricted Frequency Band "
              "(406.000000 - 406.100000 MHz).");
    EXPECT_EQ(box(0).title, "Invalid Frequency!");
    EXPECT_EQ(box(0).buttons, MsgButtons::OK);
    EXPECT_EQ(box(0).icon, MsgIcon::Critical);
    EXPECT_EQ(ch(1).rxFrequency, 406050000) << "interactive mode changes nothing";
    w.dialogs.verify();
}

TEST_F(Validation, RestrictedBandEdgesAreInside) {
    Plan(0, 0);
    w.dialogs.answerAllBoxes(MsgAnswer::OK);
    struct Edge { std::int32_t f; bool inBand; };
    for (Edge e : {Edge{406000000, true}, Edge{406100000, true}, Edge{405999999, false}, Edge{406100001, false}}) {
        w.dialogs.boxes.clear();
        ch(2).txFrequency = e.f;
        check(true);
        bool shown = false;
        for (const ShownBox& b : w.dialogs.boxes) shown = shown || b.text.find("Restricted") != std::string::npos;
        EXPECT_EQ(shown, e.inBand) << e.f;
    }
}

TEST_F(Validation, NonInteractiveMovesOutOfARestrictedBand) {
    Plan(0, 0);  // Rx limits 406..422 MHz with highBand clear
    ch(1).rxFrequency = 406050000;
    EXPECT_EQ(check(false), -1) << "a band move alone is no error";
    EXPECT_EQ(ch(1).rxFrequency, 406150000);
    // A band whose high edge plus guard lies beyond the limit + 120 kHz sends it below the band.
    w.app.restrictedBands.push_back(RestrictedBand{421900000, 422000000, 200000});
    ch(3).rxFrequency = 421950000;
    EXPECT_EQ(check(false), -1);
    EXPECT_EQ(ch(3).rxFrequency, 421700000);
    EXPECT_TRUE(w.dialogs.boxes.empty());
}

TEST_F(Validation, WorkingRangeTooLowEndsTheRangeChecks) {
    ch(2).txFrequency = 448750000;                 // 1 250 000 below the Tx low limit
    ch(3).rxFrequency = 900000000;                 // would be too HIGH, never reached
    ch(4).txFrequency = 455003000;                 // off the spacing: phase 2 still runs
    w.dialogs.expectBox("for Channel 2 is out of Working Range (too LOW)!");
    w.dialogs.expectBox("Tx Frequency (455.003000 MHz) for Channel 4 is NOT on a 6.25, 10.00 or 5.00 kHz");
    EXPECT_EQ(check(true), 1);
    ASSERT_EQ(w.dialogs.boxes.size(), 2u);
    EXPECT_EQ(box(0).text, "Tx Frequency (448.750000 MHz) for Channel 2 is out of Working Range (too LOW)!");
    EXPECT_EQ(box(0).title, "Frequency Out Of Range!");
    EXPECT_EQ(box(0).icon, MsgIcon::Critical);
    EXPECT_EQ(box(1).title, "Invalid Frequency!");
    EXPECT_EQ(box(1).buttons, MsgButtons::OK);
    EXPECT_EQ(box(1).icon, MsgIcon::None);
    w.dialogs.verify();
}

TEST_F(Validation, FrequencyTextsUseTheUserNotation) {
    w.app.locale = LocaleInfo{",", "\xE2\x88\x92"};  // decimal comma, U+2212 as the negative sign
    ch(1).txFrequency = -1500000;                     // as a damaged data file may hold
    w.dialogs.expectBox("for Channel 1 is out of Working Range (too LOW)!");
    EXPECT_EQ(check(true), 0);
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(box(0).text, "Tx Frequency (\xE2\x88\x92" "1,500000 MHz) for Channel 1 is out of Working Range (too LOW)!");
    w.dialogs.verify();
}

TEST_F(Validation, WorkingRangeBoundaryIsTheQuestion) {
    ch(1).txFrequency = 448800000;  // exactly 1 200 000 below
    w.dialogs.expectBox("too LOW", MsgAnswer::Yes);
    EXPECT_EQ(check(true), -1);
    ASSERT_EQ(w.dialogs.boxes.size(), 1u);
    EXPECT_EQ(box(0).text,
              "Tx Frequency (448.800000 MHz) for Channel 1 is too LOW for the Range Selected.\r\nDo you want to Override?");
    EXPECT_EQ(box(0).buttons, MsgButtons::YesNo);
    EXPECT_EQ(box(0).icon, MsgIcon::None);
    EXPECT_EQ(box(0).title, "Frequency Out Of Range!");
    w.dialogs.verify();
}

TEST_F(Validation, TooHighWorkingRangeAndQuestion) {
    ch(5).rxFrequency = 471250000;  // more than 1.2 MHz above 470 MHz
    w.dialogs.expectBox("Rx Frequency (471.250000 MHz) for Channel 5 is out of Working Range (too HIGH)!");
    EXPECT_EQ(check(true), 12);
    w.dialogs.verify();
    w.dialogs.boxes.clear();
    ch(5).rxFrequency = 470150000;
    w.dialogs.expectBox("Rx Frequency (470.150000 MHz) for Channel 5 is too HIGH for the Range Selected.", MsgAnswer::No);
    EXPECT_EQ(check(true), 12);
    w.dialogs.verify();
}

TEST_F(Validation, OverrideYesPassesAndNoOverridesAnEarlierBandError) {
    w.app.restrictedBands.push_back(RestrictedBand{465000000, 465100000, 50000});
    ch(1).rxFrequency = 465050000;
    ch(2).txFrequency = 470200000;
    ch(3).rxFrequency = 448850000;
    w.dialogs.expectBox("Restricted");
    w.dialogs.expectBox("Channel 2 is too HIGH", MsgAnswer::Yes);
    w.dialogs.expectBox("Channel 3 is too LOW", MsgAnswer::No);
    EXPECT_EQ(check(true), 10);
    w.dialogs.verify();

    // Without the band error, Yes to every question leaves nothing wrong.
    ch(1).rxFrequency = 452000000;
    w.dialogs.boxes.clear();
    w.dialogs.expectBox("Channel 2 is too HIGH", MsgAnswer::Yes);
    w.dialogs.expectBox("Channel 3 is too LOW", MsgAnswer::Yes);
    EXPECT_EQ(check(true), -1);
    w.dialogs.verify();
}

TEST_F(Validation, EverySpacingErrorIsShownAndTheFirstIndexKept) {
    ch(2).txFrequency = 455001000;
    ch(3).rxFrequency = 456001000;
    ch(3).txFrequency = 457001000;
    w.dialogs.expectBox("Tx Frequency (455.001000 MHz) for Channel 2 is NOT");
    w.dialogs.expectBox("Rx Frequency (456.001000 MHz) for Channel 3 is NOT");
    w.dialogs.expectBox("Tx Frequency (457.001000 MHz) for Channel 3 is NOT");
    EXPECT_EQ(check(true), 1);
    w.dialogs.verify();
}

TEST_F(Validation, SpacingTextsOfTheType1Groups) {
    struct Group { int range; const char* tail; };
    for (Group g : {Group{4, " is NOT on a 6.25, 10.00, 7.50 or 5.00 kHz Channel Spacing."},
                    Group{9, " is NOT on a 6.25, 10.00 or 5.00 kHz Channel Spacing."},
                    Group{6, " is NOT on a 2.50 or 4.00 kHZ Channel Spacing."},
                    Group{2, " is NOT on a 2.50 or 4.00 kHZ Channel Spacing."}}) {
        SCOPED_TRACE(g.range);
        Plan(1, g.range);
        const std::int32_t f = w.entry(1, g.range, 1).rxFrequency + 1000;  // LO on no grid of any group
        ch(1).rxFrequency = f;
        w.dialogs.boxes.clear();
        w.dialogs.expectBox(g.tail);
        EXPECT_EQ(check(true), 8);
        ASSERT_EQ(w.dialogs.boxes.size(), 1u);
        EXPECT_EQ(box(0).text.size() - std::string(g.tail).size(), std::string("Rx Frequency (000.000000 MHz) for Channel 1").size());
        w.dialogs.verify();
    }
}

TEST_F(Validation, RangeGroupsOfType1DifferFromTheSynthesizer) {
    // 7.5 kHz LOs pass for ranges 4 and 5 only; range 3 takes the 2.5/4 kHz grids.
    Plan(1, 3);
    ch(1).txFrequency = 150007500;  // a 2.5 kHz multiple: fine for range 3
    EXPECT_EQ(check(true), -1);
    ch(1).txFrequency = 150007000;  // a 7 kHz offset is on no grid
    w.dialogs.expectBox("kHZ Channel Spacing.");
    EXPECT_EQ(check(true), 0);
    w.dialogs.verify();
}

TEST_F(Validation, EngineerModeAcceptsThe2p5kHzGridForTypes0And2) {
    ch(1).txFrequency = 455002500;
    w.app.engineerMode = true;
    EXPECT_EQ(check(true), -1);
    w.app.engineerMode = false;
    w.dialogs.expectBox("NOT on a 6.25, 10.00 or 5.00 kHz Channel Spacing.");
    EXPECT_EQ(check(true), 0);
    w.dialogs.verify();
}

TEST_F(Validation, NonInteractiveSnapsAndClampsSilently) {
    // Type 2 with limits widened so that 900 MHz is in range.
    Plan(2, 5);
    w.entry(2, 5, 0).rxFrequency = 890000000;
    ch(1).rxFrequency = 900003000;  // LO 812 153 000
    EXPECT_EQ(check(false), 0);
    EXPECT_EQ(ch(1).rxFrequency, 900000000);

    Plan(0, 5);
    ch(2).txFrequency = 440000000;  // far below: clamped to low - 1.2 MHz
    ch(3).rxFrequency = 470150000;  // in the 120 kHz zone: ignored
    ch(4).txFrequency = 457003000;  // off grid: snapped to 6.25 kHz
    EXPECT_EQ(check(false), 0);
    EXPECT_EQ(ch(2).txFrequency, 448800000);
    EXPECT_EQ(ch(3).rxFrequency, 470150000);
    EXPECT_EQ(ch(4).txFrequency, 457000000);

    Plan(1, 6);
    ch(1).rxFrequency = 150001000;  // LO 171 451 000 -> 171 450 000
    EXPECT_EQ(check(false), 0);
    EXPECT_EQ(ch(1).rxFrequency, 150000000);
    EXPECT_TRUE(w.dialogs.boxes.empty());
}

TEST_F(Validation, HighBandMovesTheRxLimitsOfType0Range0) {
    Plan(0, 0);
    for (ChannelFrequency& c : rec.channels) c = ChannelFrequency{418000000, 418000000};
    // Rx limits 406..422 MHz with highBand clear, 414..430 MHz with it set; Tx stays 406..430.
    ch(1).rxFrequency = 428000000;
    ch(1).txFrequency = 428000000;
    w.dialogs.expectBox("Rx Frequency (428.000000 MHz) for Channel 1 is out of Working Range (too HIGH)!");
    EXPECT_EQ(check(true), 8);
    w.dialogs.verify();
    rec.highBand = kTrue;
    EXPECT_EQ(check(true), -1);
    ch(2).rxFrequency = 412000000;
    w.dialogs.expectBox("Rx Frequency (412.000000 MHz) for Channel 2 is out of Working Range (too LOW)!");
    EXPECT_EQ(check(true), 9);
    w.dialogs.verify();
}

TEST_F(Validation, InvalidTypeChecksOnlyRestrictedBands) {
    rec.radioType = 5;
    ch(1).rxFrequency = 406050000;
    ch(2).txFrequency = 1000;
    w.dialogs.expectBox("Restricted Frequency Band");
    EXPECT_EQ(check(true), 8);
    w.dialogs.verify();
    // Without limits a band move goes below the band.
    EXPECT_EQ(check(false), -1);
    EXPECT_EQ(ch(1).rxFrequency, 405950000);
    EXPECT_EQ(ch(2).txFrequency, 1000);
}

TEST_F(Validation, WithoutDialogsAQuestionCountsAsNo) {
    w.app.dialogs = nullptr;
    ch(1).txFrequency = 448850000;
    EXPECT_EQ(check(true), 0);
}

}  // namespace
}  // namespace k45
