// The power table calibration end to end in virtual time: five points, the table written
// with the modem's parameters, Clear, resends and every way out leaving the radio unkeyed.
#include <gtest/gtest.h>

#include <algorithm>

#include "production/cal_views.h"
#include "production/panel_bench.h"
#include "production/power_cal.h"
#include "base/converters.h"
#include "radio/cal_tables.h"
#include "programming/radio_off.h"

namespace k45::test {
namespace {

class PowerCal : public PanelBench {
protected:
    PowerCal() { host.onClose = [this] { dlg.Unload(); }; }
    static SimulatedModem::DiagBlock Forward(std::uint8_t value) {
        SimulatedModem::DiagBlock b{};
        b[2] = 1;
        b[2 * 10 + 8] = value;  // the High set's forward power
        return b;
    }
    void Open() {
        dlg.setSettings({.rxFreqOffset = 75000, .txFreqOffset = -75000});
        dlg.Load();
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil(
            [&] { return dlg.dialogState() == CalibrationState::Idle && !Sent("T1").empty(); }, 20000));
    }
    // OK to key, OK to capture, until the point is taken and the Tx-off record acknowledged.
    void TakePoint() {
        dlg.OK();
        ASSERT_TRUE(dlg.transmitSelected());
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 2000));
        dlg.OK();
        ASSERT_EQ(dlg.dialogState(), CalibrationState::AwaitingCapture);
        ASSERT_TRUE(sched.advanceUntil(
            [&] {
                return dlg.dialogState() == CalibrationState::Idle ||
                       dlg.dialogState() == CalibrationState::AwaitingFinalAck || !dlg.loaded();
            },
            5000));
    }
    TuneRecord Receive(TuneRecord t) const {
        t.txSelected = kFalse;
        t.synthFrequency = t.rxFrequency;
        return t;
    }
    RecordingPowerView view;
    PowerCalDialogue dlg{Links(), view};
};

TEST_F(PowerCal, FivePointsBuildThePowerTableAndWriteItWithTheModemsParameters) {
    modem.samples = {Forward(40), Forward(60), Forward(55), Forward(90), Forward(90)};
    Open();
    const TuneRecord& t = dlg.tuneRecord();
    const RadioSpec& mid = ctx.state.testParameters.radioSpecs[static_cast<std::size_t>(
        modemRecord.radioType + 3 * modemRecord.radioRange + 30)];
    EXPECT_EQ(t.txFrequency, mid.txFrequency - 75000);
    EXPECT_EQ(t.rxFrequency, mid.rxFrequency + 75000);
    EXPECT_EQ(view.prog, "Modem will Transmit on");
    EXPECT_EQ(view.level, "Hit OK to Start Tx'ing");
    for (int i = 0; i < 4; ++i) TakePoint();
    EXPECT_EQ(dlg.pointIndex(), 4);
    EXPECT_EQ(view.reading, "90");
    dialogs.expectBox("Do you want to Save Power Table?", MsgAnswer::Yes);
    TakePoint();
    EXPECT_EQ(dlg.dialogState(), CalibrationState::AwaitingFinalAck);
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 2000));
    EXPECT_EQ(dlg.powerPoints().adReading, (std::array<std::int16_t, 5>{40, 60, 61, 90, 91}));
    EXPECT_EQ(ctx.state.testParameters.powerPoints.adReading, dlg.powerPoints().adReading);
    // Every "AT" reply ended before the Tx-off record went: its acknowledgement was not taken
    // for the record's.
    EXPECT_EQ(Sent("AT").size(), 5u);
    EXPECT_EQ(Sent("AR").size(), 5u);
    EXPECT_FALSE(IsSet(TuneRecord{}.txSelected));
    EXPECT_EQ(LastRadioCommand(), TuneLine(Receive(dlg.tuneRecord())));

    ASSERT_EQ(host.writes, 1);
    ASSERT_TRUE(sched.advanceUntil([&] { return !rdwr.loaded(); }, 60000));
    EXPECT_TRUE(rdwr.programCompleted());
    ModemParameters written = modemRecord;
    ASSERT_TRUE(modem.decodeInto(ctx.state, written));
    CalTables expected = modemRecord.calTables;
    BuildPowerTable(ctx.state, ctx.state, ctx.state, expected, ctx.state.testParameters.powerPoints, false);
    EXPECT_TRUE(IsSet(written.calTables.powerTablePresent));
    EXPECT_EQ(written.calTables.powerTable, expected.powerTable);
    EXPECT_EQ(written.calTables.powerTableId, CalDateStampToday(ctx.state));
    EXPECT_EQ(written.masterPowerMeterCal, 200);
}

TEST_F(PowerCal, EachPointKeysCapturesAfter750MsAndReadsTheSampleAfterTheTxOffRecord) {
    modem.samples = {Forward(33)};
    Open();
    dlg.OK();
    const std::int64_t keyedAt = sched.nowMs();
    EXPECT_EQ(Sent("T1").back(), TuneLine(dlg.tuneRecord()));
    EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));
    EXPECT_EQ(view.level, "Adjust Power (Page Up/Dn) for " +
                              FormatFixed(ctx.state.testParameters.powerPoints.powerWatts[0], 2, ctx.state.locale) + " W");
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 2000));
    dlg.KeyDown(keyPageDown, 0);
    dlg.KeyDown(keyPageUp, kCtrlBit);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 2000));
    EXPECT_EQ(Sent("T1").size(), 4u);
    dlg.OK();
    const std::int64_t captureAt = sched.nowMs();
    EXPECT_FALSE(view.okEnabled);
    ASSERT_TRUE(sched.advanceUntil([&] { return Sent("T1").size() == 5; }, 2000));
    EXPECT_EQ(SentTimes("T1").back() - captureAt, 750);
    EXPECT_FALSE(IsSet(dlg.tuneRecord().txSelected));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.pointIndex() == 1; }, 2000));
    EXPECT_EQ(dlg.powerPoints().adReading[0], 33);
    EXPECT_EQ(view.readingHex, "0x21");
    EXPECT_TRUE(view.okEnabled);
    EXPECT_GT(keyedAt, 0);
}

// A keyed record the modem never acknowledges goes four times, 750 ms apart; then the radio
// is sent its receive record, acknowledged before the operator is told it is off. A modem that
// stays silent to the receive record too leaves the radio possibly keyed: the operator is told
// so, and the next OK sends the owed receive record first (the OK itself is not taken).
TEST_F(PowerCal, AnUnacknowledgedKeyedRecordGoesFourTimesThenTheRadioIsUnkeyedAndTheOperatorTold) {
    for (bool unkeyAnswered : {true, false}) {
        SCOPED_TRACE(unkeyAnswered ? "receive record acknowledged" : "modem silent to it too");
        Open();
        const std::size_t before = SentTimes("T1").size();
        modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, unkeyAnswered ? 4 : -1});
        dialogs.expectBox(unkeyAnswered ? kTxOffText : kMayTransmitText);
        dlg.OK();
        ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 10000));
        auto times = SentTimes("T1");
        times.erase(times.begin(), times.begin() + static_cast<std::ptrdiff_t>(before - 1));
        // The load's record, the keyed one four times, the receive record once or four times.
        ASSERT_EQ(times.size(), unkeyAnswered ? 6u : 9u);
        for (std::size_t i = 2; i <= 4; ++i) EXPECT_EQ(times[i] - times[i - 1], 750);
        EXPECT_EQ(times[5] - times[1], 3000);
        EXPECT_EQ(LastRadioCommand(), TuneLine(Receive(dlg.tuneRecord())));
        EXPECT_FALSE(dlg.transmitSelected());
        EXPECT_EQ(dlg.keyed(), !unkeyAnswered);
        EXPECT_EQ(dlg.dialogState(), CalibrationState::Idle);
        EXPECT_EQ(view.level, "Hit OK to Start Tx'ing");
        EXPECT_TRUE(view.okEnabled);
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_EQ(dialogs.boxes[0].buttons, MsgButtons::OK);
        if (!unkeyAnswered) {
            modem.clearFaults();
            const std::size_t sent = SentTimes("T1").size();
            dialogs.expectBox(kTxOffLaterText);
            dlg.OK();
            ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 2; }, 3000));
            EXPECT_EQ(SentTimes("T1").size(), sent + 1);
            EXPECT_EQ(LastRadioCommand(), TuneLine(Receive(dlg.tuneRecord())));
            EXPECT_FALSE(dlg.keyed());
            dlg.OK();
            EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));
            sched.advance(2000);
        }
        modem.clearFaults();
        dialogs.boxes.clear();
        dlg.Unload();
    }
}

// A point whose Tx-off record or sample stays unanswered after three resends is not taken: the
// radio is sent its receive record, the operator one message, and OK keys again for the same
// point (the Tx-off record's give-up used to leave OK disabled). A modem silent to every record
// leaves the radio possibly keyed, and says so.
TEST_F(PowerCal, APointWithoutItsTxOffAcknowledgementOrSampleIsNotTakenAndOkKeysAgain) {
    struct Case {
        const char* what;
        ModemStep silent;
        std::size_t samples;  // "AT" lines sent
        const char* box;
        bool keyed;
    };
    const Case cases[] = {{"Tx-off record", ModemStep::Tune, 0, kPointMayTransmitText, true},
                          {"sample", ModemStep::Sample, 4, kPointNotTakenText, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open();
        dlg.OK();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 2000));
        const std::size_t ats = Sent("AT").size();
        modem.addFault({ModemFault::Silence, c.silent, 0, -1});
        dialogs.expectBox(c.box);
        dlg.OK();
        EXPECT_FALSE(view.okEnabled);
        ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 10000));
        EXPECT_EQ(Sent("AT").size() - ats, c.samples);
        EXPECT_EQ(LastRadioCommand(), TuneLine(Receive(dlg.tuneRecord())));
        EXPECT_EQ(dlg.pointIndex(), 0);
        EXPECT_EQ(dlg.keyed(), c.keyed);
        EXPECT_TRUE(view.okEnabled);
        EXPECT_EQ(view.level, "Hit OK to Start Tx'ing");
        modem.clearFaults();
        if (c.keyed) {
            dialogs.expectBox(kTxOffLaterText);
            dlg.OK();  // the owed receive record first
            ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 2; }, 3000));
            EXPECT_FALSE(dlg.keyed());
        }
        dlg.OK();
        EXPECT_TRUE(dlg.transmitSelected());
        EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));
        dialogs.boxes.clear();
        sched.advance(2000);
        dlg.Unload();
    }
}

// The adapter pulled while the radio is keyed: OK and the adjust keys send nothing into the
// closed port; one message says what the loss means for the radio.
TEST_F(PowerCal, ALostPortWhileKeyedSendsNothingAndTellsOnce) {
    Open();
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 2000));
    const std::size_t written = hostWrites().size();
    dialogs.expectBox("Lost Com Port 1");
    dialogs.expectBox(PortClosedText(1, true));
    cable.a().unplug();
    dlg.OK();
    dlg.KeyDown(keyPageUp, 0);
    sched.advance(5000);
    dlg.OK();
    EXPECT_EQ(hostWrites().size(), written);
    EXPECT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dlg.pointIndex(), 0);
    EXPECT_TRUE(dlg.keyed());
}

TEST_F(PowerCal, CancelAndTheCloseBoxWhileTransmittingUnkeyTheRadioFirst) {
    for (int way = 0; way < 2; ++way) {
        Open();
        dlg.OK();
        ASSERT_TRUE(dlg.keyed());
        if (way == 0) dlg.Cancel();
        else dlg.Unload();
        EXPECT_FALSE(dlg.loaded());
        EXPECT_EQ(LastRadioCommand(), TuneLine(Receive(dlg.tuneRecord()))) << way;
        sched.advance(3000);
    }
}

// The Tx-off record of a capture is out but not acknowledged: the radio may still transmit, so
// Cancel sends the receive record once more.
TEST_F(PowerCal, CancelBeforeTheTxOffRecordIsAcknowledgedSendsTheReceiveRecordAgain) {
    Open();
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 2000));
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1});
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::AwaitingTxOffAck; }, 2000));
    const std::size_t tunes = Sent("T1").size();
    EXPECT_TRUE(dlg.keyed());
    dlg.Cancel();
    EXPECT_FALSE(dlg.loaded());
    ASSERT_EQ(Sent("T1").size(), tunes + 1);
    EXPECT_EQ(LastRadioCommand(), TuneLine(Receive(dlg.tuneRecord())));
}

// Another window on the port gave its keyed radio up and told the operator: the radio is owed
// its unkey. OK sends this window's unkey (its receive record) first and does not key; only the
// operator's next OK does. An adjust key waits behind an owed unkey too, and its record follows
// it unkeyed.
TEST_F(PowerCal, AnUnkeyOwedOnThePortGoesBeforeThisWindowKeysTheRadio) {
    Open();
    RadioKeying& radio = port->modemLine().radio();
    auto owe = [&] { radio.mayTransmit = radio.lastKeyed = radio.unkeyOwed = radio.toldMayTransmit = true; };
    owe();
    const std::size_t tunes = Sent("T1").size();
    dialogs.expectBox(kTxOffLaterText);
    dlg.OK();
    EXPECT_FALSE(dlg.transmitSelected());
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 1; }, 3000));
    EXPECT_EQ(Sent("T1").size(), tunes + 1);
    EXPECT_EQ(LastRadioCommand(), TuneLine(Receive(dlg.tuneRecord())));
    EXPECT_FALSE(dlg.keyed());
    dlg.OK();
    EXPECT_TRUE(dlg.transmitSelected());
    EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 700));
    EXPECT_TRUE(dlg.keyed());

    // Given up again by the other window while this one adjusts the keyed radio.
    owe();
    const std::size_t keyedTunes = Sent("T1").size();
    const std::int16_t power = dlg.tuneRecord().powerValue;
    dialogs.expectBox(kTxOffLaterText);
    dlg.KeyDown(keyPageUp, 0);
    EXPECT_FALSE(dlg.transmitSelected());
    EXPECT_EQ(view.level, "Hit OK to Start Tx'ing");
    ASSERT_TRUE(sched.advanceUntil(
        [&] { return dialogs.boxes.size() == 2 && dlg.dialogState() == CalibrationState::Idle; }, 3000));
    const std::vector<std::string> sent = Sent("T1");
    ASSERT_EQ(sent.size(), keyedTunes + 2);  // the unkey, then the adjusted record
    EXPECT_FALSE(IsSet(dlg.tuneRecord().txSelected));
    EXPECT_EQ(dlg.tuneRecord().powerValue, power + 1);
    EXPECT_EQ(sent.back(), TuneLine(dlg.tuneRecord()));
    EXPECT_FALSE(dlg.keyed());
}

// The primary port now leads to another device while the radio is keyed: the operator hears that
// the radio on the old device may still be transmitting, and the radio behind the port now is
// set up receiving once its parameters are read; nothing keys it but the operator.
TEST_F(PowerCal, APortMovedToAnotherDeviceTellsOfTheKeyedRadioAndKeysNothingThere) {
    Open();
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 700));
    ASSERT_TRUE(dlg.keyed());
    port->CloseCommPort();
    CommSettings s = port->settings();
    s.portNumber = 3;
    port->setSettings(s);
    cable.a().setPortNumber(3);
    ASSERT_TRUE(port->OpenCommPort());
    const std::size_t tunes = Sent("T1").size();
    dialogs.expectBox(LeftRadioText(3, "Com1"));
    dlg.Activate();
    ASSERT_TRUE(sched.advanceUntil(
        [&] {
            return dlg.parametersTaken() && dlg.dialogState() == CalibrationState::Idle && Sent("T1").size() > tunes;
        },
        20000));
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_FALSE(dlg.transmitSelected());
    EXPECT_EQ(Sent("T1").size(), tunes + 1);
    EXPECT_EQ(Sent("T1").back(), TuneLine(dlg.tuneRecord()));
    EXPECT_FALSE(IsSet(dlg.tuneRecord().txSelected));
    EXPECT_FALSE(dlg.keyed());
    EXPECT_EQ(view.level, "Hit OK to Start Tx'ing");
}

// The port is lost while the radio may transmit (keyed and acknowledged, or keyed, given up and
// its unkey unanswered): the close box, Cancel, Clear and Swap Comm Ports cannot send the unkey,
// and say so; nothing goes into the closed port, and nothing more is owed by this window.
enum class Way { CloseBox, Cancel, Clear, Swap };
struct LeaveCase {
    const char* name;
    bool givenUp;
    Way way;
    friend void PrintTo(const LeaveCase& c, std::ostream* os) { *os << c.name; }
};

class PowerCalLeaving : public PowerCal, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(PowerCalLeaving, WithThePortLostTheOperatorHearsTheUnkeyCouldNotBeSent) {
    const LeaveCase& c = GetParam();
    Open();
    if (c.givenUp) {
        modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1});
        dialogs.expectBox(kMayTransmitText);
    }
    dlg.OK();
    const RadioKeying& radio = port->modemLine().radio();
    ASSERT_TRUE(sched.advanceUntil(
        [&] { return dlg.dialogState() == CalibrationState::Idle && dialogs.boxes.size() == (c.givenUp ? 1u : 0u); },
        10000));
    ASSERT_TRUE(dlg.keyed());
    ASSERT_EQ(radio.unkeyOwed, c.givenUp);
    dialogs.expectBox("Lost Com Port 1");
    cable.a().unplug();
    sched.advance(100);
    const std::size_t written = hostWrites().size();
    const std::size_t before = dialogs.boxes.size();
    if (c.way == Way::Clear)
        dialogs.expectBox("Do you want to Clear (use default) Power Curve Settings?", MsgAnswer::Yes);
    dialogs.expectBox(PortClosedAtCloseText(1, true));
    switch (c.way) {
    case Way::CloseBox: dlg.Unload(); break;
    case Way::Cancel: dlg.Cancel(); break;
    case Way::Clear:
        // The read/write window that follows finds the port closed as well.
        dialogs.answerAllBoxes(MsgAnswer::OK);
        dlg.Clear();
        break;
    case Way::Swap:
        dlg.PortsSwapping();
        EXPECT_TRUE(dlg.loaded());
        break;
    }
    std::vector<std::string> told;
    for (std::size_t i = before; i < dialogs.boxes.size(); ++i) told.push_back(dialogs.boxes[i].text);
    EXPECT_EQ(std::count(told.begin(), told.end(), PortClosedAtCloseText(1, true)), 1)
        << ::testing::PrintToString(told);
    EXPECT_EQ(dlg.loaded(), c.way == Way::Swap);
    EXPECT_EQ(hostWrites().size(), written);
    EXPECT_FALSE(radio.unkeyOwed);
    EXPECT_FALSE(radio.mayTransmit);
    dialogs.answerAllBoxes(MsgAnswer::OK);
    sched.advance(5000);
}

const LeaveCase kLeaveCases[] = {
    {"keyed, close box", false, Way::CloseBox},
    {"keyed, Cancel", false, Way::Cancel},
    {"keyed, Clear", false, Way::Clear},
    {"keyed, swap", false, Way::Swap},
    {"unkey owed, close box", true, Way::CloseBox},
    {"unkey owed, Cancel", true, Way::Cancel},
    {"unkey owed, Clear", true, Way::Clear},
    {"unkey owed, swap", true, Way::Swap},
};
INSTANTIATE_TEST_SUITE_P(Ways, PowerCalLeaving, ::testing::ValuesIn(kLeaveCases),
                         [](const ::testing::TestParamInfo<LeaveCase>& i) { return std::to_string(i.index); });

TEST_F(PowerCal, ClearErasesThePowerTableAndWritesItAfterUnkeying) {
    modemRecord.calTables.powerTablePresent = kTrue;
    modemRecord.calTables.powerTableId = 9000;
    modemRecord.calTables.powerTable.fill(20);
    modem.loadRecord(ctx.state, modemRecord, kModemStamp);
    Open();
    dlg.OK();
    dialogs.expectBox("Do you want to Clear (use default) Power Curve Settings?", MsgAnswer::No);
    dlg.Clear();
    EXPECT_TRUE(dlg.loaded());
    EXPECT_EQ(host.writes, 0);
    dialogs.expectBox("Do you want to Clear (use default) Power Curve Settings?", MsgAnswer::Yes);
    dlg.Clear();
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(LastRadioCommand(), TuneLine(Receive(dlg.tuneRecord())));
    ASSERT_TRUE(sched.advanceUntil([&] { return !rdwr.loaded(); }, 60000));
    ModemParameters written = modemRecord;
    ASSERT_TRUE(modem.decodeInto(ctx.state, written));
    EXPECT_FALSE(IsSet(written.calTables.powerTablePresent));
    EXPECT_EQ(written.calTables.powerTableId, 0);
}

TEST_F(PowerCal, NothingActsBeforeTheParametersWereRead) {
    dlg.Load();
    dlg.Activate();
    dlg.OK();
    dlg.KeyDown(keyPageUp, 0);
    dlg.Clear();  // no question either
    EXPECT_TRUE(Sent("T1").empty());
    EXPECT_EQ(host.writes, 0);
    reader.Unload();  // the read fails
    dlg.OK();
    EXPECT_TRUE(Sent("T1").empty());
    EXPECT_EQ(dlg.dialogState(), CalibrationState::Idle);
}

TEST_F(PowerCal, AModelWithoutCalibrationIsRefused) {
    dlg.Load();
    dlg.Activate();
    ModemParameters old = ctx.state.currentParameters;
    old.eepromVersion = 2;
    old.model = 4;
    ctx.state.currentParameters = old;
    dialogs.expectBox("This K45M Modem Does Not Support this Test!");
    dlg.UpdateParms(true);
    EXPECT_FALSE(dlg.loaded());
    reader.Unload();
    sched.advance(2000);
    EXPECT_TRUE(Sent("T1").empty());
}

}  // namespace
}  // namespace k45::test
