// The RSSI table calibration and the RSSI temperature compensation end to end in virtual
// time: the receive tune record, the "AT" polls, averaged points, the questions at the end and
// the tables written with the modem's parameters.
#include <gtest/gtest.h>

#include "base/converters.h"
#include "production/cal_views.h"
#include "production/panel_bench.h"
#include "production/rssi_cal.h"
#include "programming/radio_off.h"
#include "radio/cal_tables.h"

namespace k45::test {
namespace {

SimulatedModem::DiagBlock Reading(std::uint8_t rssi, std::uint8_t temperature = 100) {
    SimulatedModem::DiagBlock b{};
    b[2] = 1;
    b[6] = temperature;
    b[7] = rssi;
    return b;
}

template <class Dialogue>
class RssiBench : public PanelBench {
protected:
    RssiBench() {
        host.onClose = [this] { dlg.Unload(); };
        modem.diagBlock = Reading(50);
    }
    void Open() {
        dlg.Load();
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.parametersTaken() && !Sent("T1").empty(); }, 20000));
    }
    // OK with the modem reading `rssi`, until the four readings are in.
    void TakePoint(std::uint8_t rssi) {
        modem.diagBlock = Reading(rssi);
        sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 2000);
        dlg.OK();
        ASSERT_EQ(dlg.sampleCount(), 0);
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.sampleCount() == 4 || !dlg.loaded(); }, 10000));
    }
    ModemParameters Written() {
        EXPECT_TRUE(sched.advanceUntil([&] { return !rdwr.loaded(); }, 60000));
        ModemParameters w = modemRecord;
        EXPECT_TRUE(modem.decodeInto(ctx.state, w));
        return w;
    }
    RecordingRssiView view;
    Dialogue dlg{Links(), view};
};

using RssiCal = RssiBench<RssiCalDialogue>;
using TempComp = RssiBench<TempCompDialogue>;

TEST_F(RssiCal, SixLevelsBuildTheRssiTableAndWriteItWithTheTemperatureTable) {
    ctx.state.testParameters.rssiTempComp.tableId = 8123;
    ctx.state.testParameters.rssiTempComp.compressedTable[3][4] = 77;
    dlg.setSettings({.rxFreqOffset = 150000});
    Open();
    const RadioSpec& mid = ctx.state.testParameters.radioSpecs[static_cast<std::size_t>(
        modemRecord.radioType + 3 * modemRecord.radioRange + 30)];
    EXPECT_EQ(dlg.tuneRecord().rxFrequency, mid.rxFrequency + 150000);
    EXPECT_EQ(dlg.tuneRecord().synthFrequency, dlg.tuneRecord().rxFrequency);
    EXPECT_FALSE(IsSet(dlg.tuneRecord().txSelected));
    EXPECT_EQ(view.prog, "Set Signal Generator to");
    EXPECT_EQ(view.freq, FormatMHzUnit(mid.rxFrequency + 150000, ctx.state.locale));
    EXPECT_EQ(view.level, FormatRssiDbm(ctx.state.testParameters.rssiPoints.levelCode[0]));

    const std::uint8_t readings[] = {87, 105, 100, 141, 176, 197};
    for (int i = 0; i < 5; ++i) TakePoint(readings[i]);
    EXPECT_EQ(dlg.levelIndex(), 5);
    dialogs.expectBox("Do you want to Save RSSI Table?", MsgAnswer::Yes);
    dialogs.expectBox("Do you want to Save RSSI Temperature Compensation Table?", MsgAnswer::Yes);
    TakePoint(readings[5]);
    EXPECT_FALSE(dlg.loaded());
    const RssiCalPoints& points = ctx.state.testParameters.rssiPoints;
    EXPECT_EQ(points.adReading, (std::array<std::int16_t, 6>{87, 105, 106, 141, 176, 197}));
    const ModemParameters w = Written();
    CalTables expected{};
    BuildRssiTable(ctx.state, ctx.state, ctx.state, expected, points, false);
    EXPECT_TRUE(IsSet(w.calTables.rssiTablePresent));
    EXPECT_EQ(w.calTables.rssiTable, expected.rssiTable);
    EXPECT_EQ(w.rssiCalAdj, 0);
    EXPECT_TRUE(IsSet(w.calTables.rssiTempTablePresent));
    EXPECT_EQ(w.calTables.rssiTempTableId, 8123);
    EXPECT_EQ(w.calTables.rssiTempTable[3][4], 77);
}

TEST_F(RssiCal, NoToBothQuestionsWritesNothingAndChangesNothing) {
    Open();
    const ProductionTestRecord testBefore = ctx.state.testParameters;
    const ModemParameters currentBefore = ctx.state.currentParameters;
    for (int i = 0; i < 5; ++i) TakePoint(static_cast<std::uint8_t>(60 + i * 10));
    dialogs.expectBox("Do you want to Save RSSI Table?", MsgAnswer::No);
    dialogs.expectBox("Do you want to Save RSSI Temperature Compensation Table?", MsgAnswer::No);
    TakePoint(200);
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(host.writes, 0);
    EXPECT_EQ(ctx.state.testParameters, testBefore);
    EXPECT_EQ(ctx.state.currentParameters, currentBefore);
}

TEST_F(RssiCal, OkTakesTheNextFourRepliesAndIsDisabledMeanwhile) {
    Open();
    sched.advance(3000);
    const std::size_t before = Sent("AT").size();
    EXPECT_GE(before, 3u);  // the poll runs every 750 ms
    dlg.OK();
    EXPECT_FALSE(view.okEnabled);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.sampleCount() == 4; }, 10000));
    EXPECT_EQ(Sent("AT").size(), before + 4);
    EXPECT_TRUE(view.okEnabled);
    EXPECT_EQ(dlg.levelIndex(), 1);
}

TEST_F(RssiCal, AnUnansweredTuneRecordIsRepeatedEvery4000MsAndNothingPollsMeanwhile) {
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1});
    dlg.Load();
    dlg.Activate();
    ASSERT_TRUE(sched.advanceUntil([&] { return !Sent("T1").empty(); }, 20000));
    sched.advance(8100);
    const auto times = SentTimes("T1");
    ASSERT_EQ(times.size(), 3u);
    EXPECT_EQ(times[1] - times[0], 4000);
    EXPECT_EQ(times[2] - times[1], 4000);
    EXPECT_TRUE(Sent("AT").empty());
}

TEST_F(RssiCal, InTheBackgroundNothingIsSentButAReplyIsStillTaken) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::AwaitingSample; }, 3000));
    host.active = false;
    view.rssi.clear();
    const std::size_t polls = Sent("AT").size();
    sched.advance(3000);
    EXPECT_EQ(Sent("AT").size(), polls);
    EXPECT_EQ(view.rssi, "50");  // the reply to the poll sent before
    modem.diagBlock = Reading(99);
    host.active = true;
    sched.advance(1600);
    EXPECT_GT(Sent("AT").size(), polls);
    EXPECT_EQ(view.rssi, "99");
}

TEST_F(RssiCal, ClearAsksAndWritesTheTableErased) {
    modemRecord.calTables.rssiTablePresent = kTrue;
    modemRecord.calTables.rssiTable.fill(100);
    modem.loadRecord(ctx.state, modemRecord, kModemStamp);
    Open();
    dialogs.expectBox("Do you want to Clear (use default) RSSI Curve Settings?", MsgAnswer::Yes);
    dlg.Clear();
    EXPECT_FALSE(dlg.loaded());
    const ModemParameters w = Written();
    EXPECT_FALSE(IsSet(w.calTables.rssiTablePresent));
    EXPECT_EQ(w.calTables.rssiTable[10], 0);
}

TEST_F(RssiCal, BeforeTheParametersArriveOkAndClearDoNothing) {
    dlg.Load();
    dlg.Activate();
    dlg.OK();
    dlg.Clear();
    EXPECT_EQ(dlg.sampleCount(), 4);
    EXPECT_EQ(host.writes, 0);
}

// Another window on the port gave its keyed radio up: the poll does not go before the radio's
// unkey (this window's receive record), and the operator hears once the modem acknowledged it.
TEST_F(RssiCal, AnUnkeyOwedOnThePortGoesInsteadOfThePoll) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 3000));
    RadioKeying& radio = port->modemLine().radio();
    radio.mayTransmit = radio.lastKeyed = radio.unkeyOwed = radio.toldMayTransmit = true;
    const std::size_t lines = modem.received.size();
    dialogs.expectBox(kTxOffLaterText);
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 3000));
    ASSERT_GT(modem.received.size(), lines);
    EXPECT_EQ(modem.received[lines].text, TuneLine(dlg.tuneRecord()));
    EXPECT_FALSE(IsSet(dlg.tuneRecord().txSelected));
    EXPECT_FALSE(radio.mayTransmit);
    EXPECT_FALSE(radio.unkeyOwed);
    // The poll goes on.
    const std::size_t polls = Sent("AT").size();
    sched.advance(1600);
    EXPECT_GT(Sent("AT").size(), polls);
}

// ---- temperature compensation

TEST_F(TempComp, PointsAreVisitedLevelFirstAndTheChamberPromptChangesWithTheTemperature) {
    const RssiTempComp& plan = ctx.state.testParameters.rssiTempComp;
    Open();
    EXPECT_EQ(view.level, "Set Temperature Chamber to " + std::to_string(plan.temperature[0]) + " C.");
    for (int i = 0; i < 5; ++i) dlg.Skip();
    EXPECT_EQ(dlg.levelIndex(), 5);
    EXPECT_EQ(dlg.tempIndex(), 0);
    EXPECT_EQ(view.freq, FormatMHzUnit(dlg.tuneRecord().rxFrequency, ctx.state.locale) + " " +
                             FormatRssiDbm(plan.levelCode[5]));
    dlg.Skip();
    EXPECT_EQ(dlg.levelIndex(), 0);
    EXPECT_EQ(dlg.tempIndex(), 1);
    EXPECT_EQ(view.level, "Set Temperature Chamber to " + std::to_string(plan.temperature[1]) + " C.");
}

TEST_F(TempComp, ReadingsRiseWithinATemperatureOnly) {
    ctx.state.testParameters.rssiTempComp.adReading[2][2] = 150;
    ctx.state.testParameters.rssiTempComp.adReading[5][2] = 200;
    Open();
    for (int i = 0; i < 6 * 2 + 3; ++i) dlg.Skip();  // to level 3 at temperature 2
    ASSERT_EQ(dlg.levelIndex(), 3);
    TakePoint(140);
    EXPECT_EQ(dlg.rssiTempComp().adReading[3][2], 151);
    dlg.Skip();
    dlg.Skip();  // to level 0 at temperature 3
    TakePoint(20);
    EXPECT_EQ(dlg.rssiTempComp().adReading[0][3], 20);
    EXPECT_EQ(view.saved, std::to_string(dlg.rssiTempComp().adReading[1][3]));
}

TEST_F(TempComp, SkipToEndBuildsFromTheTestRecordsReadingsWithTodaysIdAndProgramsTheTable) {
    ctx.state.testParameters.rssiTempComp.tableId = 1;
    Open();
    ProductionTestRecord expected = ctx.state.testParameters;
    expected.rssiTempComp.tableId = CalDateStampToday(ctx.state);
    CalTables tables = dlg.panelParameters().calTables;
    PrepareTempCompPoints(ctx.state, ctx.state, ctx.state, tables, expected, false);
    BuildTempCompTable(ctx.state, ctx.state, tables, expected, false);
    dialogs.expectBox("with the Current Data Points taken", MsgAnswer::Yes);
    dialogs.expectBox("Do you want to Program the RSSI Temperature Compensation Table?", MsgAnswer::Yes);
    dlg.SkipToEnd();
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(ctx.state.testParameters.rssiTempComp, expected.rssiTempComp);
    const ModemParameters w = Written();
    EXPECT_TRUE(IsSet(w.calTables.rssiTempTablePresent));
    EXPECT_EQ(w.calTables.rssiTempTableId, expected.rssiTempComp.tableId);
    EXPECT_EQ(w.calTables.rssiTempTable, expected.rssiTempComp.compressedTable);
}

TEST_F(TempComp, NoToBothBuildsAndYesToProgramSendsTheTestRecordsTableUnchanged) {
    ctx.state.testParameters.rssiTempComp.tableId = 7777;
    ctx.state.testParameters.rssiTempComp.compressedTable[0][0] = 12;
    const RssiTempComp before = ctx.state.testParameters.rssiTempComp;
    Open();
    dialogs.expectBox("with the Current Data Points taken", MsgAnswer::No);
    dialogs.expectBox("with the Current Test File?", MsgAnswer::No);
    dialogs.expectBox("Do you want to Program", MsgAnswer::Yes);
    dlg.SkipToEnd();
    EXPECT_EQ(ctx.state.testParameters.rssiTempComp, before);
    const ModemParameters w = Written();
    EXPECT_EQ(w.calTables.rssiTempTableId, 7777);
    EXPECT_EQ(w.calTables.rssiTempTable, before.compressedTable);
}

TEST_F(TempComp, SkipAtTheLastPointLeadsToTheQuestions) {
    Open();
    for (int i = 0; i < 35; ++i) dlg.Skip();
    EXPECT_TRUE(dlg.loaded());
    dialogs.expectBox("with the Current Data Points taken", MsgAnswer::No);
    dialogs.expectBox("with the Current Test File?", MsgAnswer::No);
    dialogs.expectBox("Do you want to Program", MsgAnswer::No);
    dlg.Skip();
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(host.writes, 0);
}

TEST_F(TempComp, CancelAsksOnlyOnceAPointWasPassedAndSkipDropsReadingsInProgress) {
    Open();
    dlg.OK();
    dlg.Skip();
    EXPECT_EQ(dlg.sampleCount(), 4);  // the readings of the passed point are not taken
    EXPECT_TRUE(view.okEnabled);
    dialogs.expectBox("Do you want to Cancel and lose the Data Points taken?", MsgAnswer::No);
    dlg.CancelButton();
    EXPECT_TRUE(dlg.loaded());
}

// Readings that would come from the radio the port leads to next are not averaged in.
TEST_F(TempComp, ASwapEndsTheTestAndDropsTheReadingsInProgress) {
    Open();
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.sampleCount() == 1; }, 3000));
    dlg.PortsSwapping();
    EXPECT_EQ(dlg.sampleCount(), 4);
    EXPECT_TRUE(view.okEnabled);
    EXPECT_EQ(dlg.levelIndex(), 0);
    sched.advance(100);
    EXPECT_EQ(LastRadioCommand(), "T0");
    dlg.OK();  // nothing acts before this port's parameters are read
    EXPECT_TRUE(view.okEnabled);
}

TEST_F(TempComp, CancelAtTheFirstPointClosesWithoutAQuestion) {
    Open();
    dlg.OK();
    dlg.CancelButton();
    EXPECT_FALSE(dlg.loaded());
}

// A radio another window keyed may still be transmitting when the port is lost: the RSSI
// windows' close box, Cancel and Swap Comm Ports cannot send it its unkey, and say so.
enum class Way { CloseBox, Cancel, Swap };
struct LeaveCase {
    const char* name;
    bool tempComp;
    Way way;
    friend void PrintTo(const LeaveCase& c, std::ostream* os) { *os << c.name; }
};

class RssiLeaving : public PanelBench, public ::testing::WithParamInterface<LeaveCase> {
protected:
    RssiLeaving() {
        host.onClose = [this] { Dialogue().Unload(); };
    }
    RssiSampleDialogue& Dialogue() {
        return GetParam().tempComp ? static_cast<RssiSampleDialogue&>(comp) : static_cast<RssiSampleDialogue&>(cal);
    }
    RecordingRssiView view;
    RssiCalDialogue cal{Links(), view};
    TempCompDialogue comp{Links(), view};
};

TEST_P(RssiLeaving, WithThePortLostAKeyedRadioIsToldOf) {
    const LeaveCase& c = GetParam();
    RssiSampleDialogue& dlg = Dialogue();
    dlg.Load();
    dlg.Activate();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.parametersTaken() && dlg.dialogState() == CalibrationState::Idle; },
                                   20000));
    // The production panel, still open, keyed the radio again.
    port->modemLine().radio().mayTransmit = true;
    dialogs.expectBox("Lost Com Port 1");
    cable.a().unplug();
    sched.advance(100);
    const std::size_t before = dialogs.boxes.size();
    const std::size_t written = hostWrites().size();
    dialogs.expectBox(PortClosedAtCloseText(1, true));
    switch (c.way) {
    case Way::CloseBox: dlg.Unload(); break;
    case Way::Cancel:
        if (c.tempComp) comp.CancelButton();
        else cal.Cancel();
        break;
    case Way::Swap: dlg.PortsSwapping(); break;
    }
    ASSERT_EQ(dialogs.boxes.size(), before + 1);
    EXPECT_EQ(dialogs.boxes.back().text, PortClosedAtCloseText(1, true));
    EXPECT_EQ(dlg.loaded(), c.way == Way::Swap);
    EXPECT_FALSE(port->modemLine().radio().mayTransmit);
    EXPECT_EQ(hostWrites().size(), written);
    dlg.Unload();
}

const LeaveCase kLeaveCases[] = {
    {"RSSI cal, close box", false, Way::CloseBox}, {"RSSI cal, Cancel", false, Way::Cancel},
    {"RSSI cal, swap", false, Way::Swap},          {"temp comp, close box", true, Way::CloseBox},
    {"temp comp, Cancel", true, Way::Cancel},      {"temp comp, swap", true, Way::Swap},
};
INSTANTIATE_TEST_SUITE_P(Ways, RssiLeaving, ::testing::ValuesIn(kLeaveCases),
                         [](const ::testing::TestParamInfo<LeaveCase>& i) { return std::to_string(i.index); });

}  // namespace
}  // namespace k45::test
