// The tuning procedure and its modem dialogue end to end in virtual time: dialogue, port
// object, null-modem cable and simulated modem; the reader, read/write and DAC windows are
// stand-ins that record what they are asked and answer after a moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "params/diag_parsers.h"
#include "programming/programming_bench.h"
#include "programming/radio_exchange.h"
#include "programming/radio_off.h"
#include "radio/cal_tables.h"
#include "serial/modem_commands.h"
#include "tuning/tune_dialogue.h"
#include "tuning/tune_math.h"
#include "tuning/tune_run.h"
#include "tuning/tune_test_samples.h"
#include "version_info.h"

namespace k45::test {
namespace {

TEST_F(TuneRun, ProductionRunWithEveryTestEndsWithAModeFiveWriteOfTheTunedValuesAndTables) {
    AppState& st = ctx.state;
    st.productionMode = true;
    ASSERT_GE(range, 0);
    Open();
    dialogs.expectBox("Do you want to Over-Write Program Parameters", MsgAnswer::Yes);
    dlg.OK();  // Start
    ASSERT_EQ(links.writes.size(), 1u);
    EXPECT_EQ(links.writes[0].mode, ParmsMode::WriteDefault);
    EXPECT_EQ(links.writes[0].record.radioType, 1);
    EXPECT_EQ(links.writes[0].record.serialNumber, 5000);
    EXPECT_EQ(links.writes[0].record.powerAdj, st.testParameters.defaultDacValues.powerAdj);
    EXPECT_EQ(dlg.dialogState(), TuneDialogState::WritingDefaults);
    sched.advance(300);
    EXPECT_EQ(links.reads, 1);
    StepIs(TuneStep::TxIntro, TuneTest::None, 2);  // the DAC values editor opened
    EXPECT_EQ(mainFrame.dacOpens, 1);
    EXPECT_EQ(st.dacValues, DacValuesFromTuneRecord(dlg.work().tuneRecord));
    const TuneRecord start = dlg.work().tuneRecord;
    Settle();

    dlg.OK();  // Tx intro
    StepIs(TuneStep::TcxoReady, TuneTest::Tcxo, 1);
    dlg.OK();
    EXPECT_TRUE(dlg.transmitSelected());
    Settle();
    dlg.OK();  // TCXO done
    Settle();
    StepIs(TuneStep::PowerCalReady, TuneTest::PowerCal, 1);

    // Power calibration: five points.
    dlg.OK();
    Settle();
    EXPECT_EQ(dlg.work().tuneRecord.powerAdj[1], 32);
    Key(kKeyPageUp, false, 3);
    for (int i = 0; i < 5; ++i) {
        modem.samples = {TuneBlock(60, kPowerReadings[static_cast<std::size_t>(i)])};
        const std::size_t ars = hostWrites("AR").size();
        dlg.OK();
        EXPECT_EQ(hostWrites("AR").size(), ars + 1);
        Settle();
    }
    EXPECT_EQ(dlg.work().powerCalPoints.adReading, kPowerStored);
    StepIs(TuneStep::PowerOutReady, TuneTest::PowerOut, 0);

    // Power out: points 0, 1, 2 keyed.
    dlg.OK();
    Settle();
    Key(kKeyPageUp, false, 2);
    dlg.OK();
    Settle();
    StepIs(TuneStep::PowerOutKeyed, TuneTest::PowerOut, 1);
    EXPECT_TRUE(dlg.transmitSelected());
    Key(kKeyPageDown);
    dlg.OK();
    Settle();
    Key(kKeyPageUp, true);
    dlg.OK();
    Settle();
    StepIs(TuneStep::ModBalanceReady, TuneTest::ModBalance, 1);

    // Mod Balance at points 1, 0, 2: 60 s each, then the re-adjust question.
    Key(kKeyPageUp);  // no send: the Mod Balance start carries it
    for (int expectedPoint : {1, 0, 2}) {
        SCOPED_TRACE(expectedPoint);
        EXPECT_EQ(dlg.work().currentPoint, expectedPoint);
        dlg.OK();
        EXPECT_EQ(dlg.work().currentStep, TuneStep::ModBalanceTransmitting);
        dialogs.expectBox("Do you want to Re-Adjust this Mod Setting?", MsgAnswer::No);
        sched.advance(66500 + 300);
        Settle();
    }
    EXPECT_EQ(modem.balanceCommands, (std::vector<int>{60, 60, 60}));
    StepIs(TuneStep::DeviationReady, TuneTest::Deviation, 1);

    dlg.OK();
    Settle();
    Key(kKeyPageDown);
    dlg.OK();  // deviation done
    Settle();
    StepIs(TuneStep::TxFc8Ready, TuneTest::TxFc8, 0);
    for (int test : {5, 6}) {
        dlg.OK();
        Settle();
        Key(kKeyPageUp);
        for (int p = 0; p < 3; ++p) {
            dlg.OK();
            Settle();
        }
        (void)test;
    }
    StepIs(TuneStep::RxIntro, TuneTest::AutoFrontEnd, 0);
    dlg.OK();
    Settle();
    StepIs(TuneStep::AutoFrontEnd, TuneTest::AutoFrontEnd, 0);
    dlg.OK();
    Settle();
    StepIs(TuneStep::FrontEnd, TuneTest::FrontEnd, 0);
    Key(kKeyPageUp);
    for (int p = 0; p < 9; ++p) {  // Front-End, Rx FC 8, Rx FC 5: three points each
        sched.advance(1600);       // an "AT" sample shows the RSSI voltage
        dlg.OK();
        Settle();
    }
    StepIs(TuneStep::RxGain, TuneTest::RxGain, 1);
    Key(kKeyPageUp, true);
    dlg.OK();
    Settle();
    StepIs(TuneStep::RssiCal, TuneTest::RssiCal, 1);

    // RSSI calibration: four reads per level; the last level ends the tuning tests.
    for (int level = 0; level < 6; ++level) {
        SCOPED_TRACE(level);
        Settle();
        dlg.OK();
        EXPECT_EQ(view.description, ".");
        modem.samples.clear();
        for (int r : kRssiReads[static_cast<std::size_t>(level)]) modem.samples.push_back(TuneBlock(r, 0));
        if (level == 5) dialogs.expectBox("Tuning Complete!  Do you want to Save the Parameters?", MsgAnswer::Yes);
        ASSERT_TRUE(sched.advanceUntil(
            [&] { return dlg.work().calPointIndex == level + 1 || dlg.work().currentTest != TuneTest::RssiCal; },
            20000));
    }
    EXPECT_EQ(dlg.rssiReadCount(), 4);

    ASSERT_EQ(links.writes.size(), 2u);
    const WriteRequest& save = links.writes[1];
    EXPECT_EQ(save.mode, ParmsMode::WriteCurrent);
    const ModemParameters& out = save.record;
    const DacValues& d = st.testParameters.defaultDacValues;
    EXPECT_EQ(out.powerAdj, (std::array<std::int16_t, 3>{AdjustUnsigned(d.powerAdj[0], 2), 34,
                                                         AdjustUnsigned(d.powerAdj[2], 10)}));
    EXPECT_EQ(out.modAdj, (std::array<std::int16_t, 3>{d.modAdj[0], AdjustUnsigned(d.modAdj[1], 1), d.modAdj[2]}));
    EXPECT_EQ(out.masterDeviation, AdjustUnsigned(start.masterDeviation, 255));
    EXPECT_EQ(out.masterRxGain, AdjustUnsigned(start.rxGainAdj, 10));
    EXPECT_EQ(out.frontEndAdj[0], AdjustUnsigned(d.frontEndAdj[0], 1));
    EXPECT_EQ(out.fcAdj, dlg.work().tuneRecord.fcAdj);
    EXPECT_NE(out.fcAdj.txFc8, start.fcAdj.txFc8);
    EXPECT_EQ(out.rssiCalAdj, 0);
    EXPECT_EQ(out.masterPowerMeterCal, 200);
    EXPECT_EQ(dlg.work().rssiCalPoints.adReading, kRssiStored);
    CalTables expected = out.calTables;
    BuildPowerTable(st, st, st, expected, PowerCalPoints{st.testParameters.powerPoints.powerWatts, kPowerStored}, false);
    RssiCalPoints rssi = st.testParameters.rssiPoints;
    rssi.adReading = kRssiStored;
    BuildRssiTable(st, st, st, expected, rssi, false);
    EXPECT_EQ(out.calTables.powerTable, expected.powerTable);
    EXPECT_EQ(out.calTables.rssiTable, expected.rssiTable);
    EXPECT_TRUE(IsSet(out.calTables.powerTablePresent));
    EXPECT_TRUE(IsSet(out.calTables.rssiTablePresent));
    EXPECT_EQ(out.calTables.rssiTempTable, st.testParameters.rssiTempComp.compressedTable);
    EXPECT_EQ(out.calTables.rssiTempTableId, st.testParameters.rssiTempComp.tableId);
    EXPECT_EQ(st.currentParameters, out);

    // Verification tests on the written modem, then the packet test.
    sched.advance(300);
    Settle();
    StepIs(TuneStep::VerifyIntro, TuneTest::RssiVerify, 1);
    dlg.OK();
    Settle();
    for (int pass = 0; pass < 3; ++pass) {
        StepIs(TuneStep::RssiVerify, TuneTest::RssiVerify, 1);
        EXPECT_EQ(dlg.work().calPointIndex, pass);
        dlg.OK();
        Settle();
    }
    StepIs(TuneStep::PowerVerifyReady, TuneTest::PowerVerify, 1);
    dlg.OK();
    Settle();
    dlg.OK();  // "AR" while keyed; 500 ms later the reading screen, unkeyed
    EXPECT_EQ(dlg.dialogState(), TuneDialogState::PowerVerifyClearing);
    sched.advance(600);
    Settle();
    StepIs(TuneStep::PowerVerifyReading, TuneTest::PowerVerify, 1);
    EXPECT_FALSE(dlg.transmitSelected());
    EXPECT_EQ(mainFrame.packetOpens, 0);
    dlg.OK();
    StepIs(TuneStep::Start, TuneTest::None, 2);
    EXPECT_EQ(mainFrame.packetOpens, 1);
    for (int t = 0; t < kTuneTestCount; ++t) EXPECT_TRUE(dlg.work().testDone[static_cast<std::size_t>(t)]) << t;
    Settle();

    dlg.Close();
    sched.advance(200);
    EXPECT_EQ(modem.endTests, 1);
    EXPECT_EQ(view.closes, 1);
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(hostWrites("T0").size(), 1u);
}

TEST_F(TuneRun, ModBalanceSendsBalance500msAfterTheKeyedTuneRecordAndUnkeysAfter66500ms) {
    Open();
    const TuneTest selected = dlg.SelectTest(TuneTest::ModBalance);
    dlg.Stage([&](TuneWork& w) {
        w.testPoints[1] = st().testDefaults.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(1, range, 1))];
        w.tuneRecord.radioType = 1;
        w.tuneRecord.radioRange = range;
        w.currentTest = selected;
    });
    Settle();
    const std::int64_t t0 = sched.nowMs();
    const std::size_t tunes = TuneLines().size();
    dlg.OK();
    EXPECT_TRUE(dlg.transmitSelected());
    EXPECT_EQ(dlg.timerTxTimeout().interval(), 66500);
    EXPECT_EQ(dlg.work().modBalanceTxTime, 60);
    EXPECT_EQ(dlg.settings().modBalanceTxTime, 60);
    sched.advance(1000);
    ASSERT_EQ(TuneLines().size(), tunes + 1);
    EXPECT_EQ(TuneLines().back().atMs, t0);
    const auto balance = hostWrites("BALANCE");
    ASSERT_EQ(balance.size(), 1u);
    EXPECT_EQ(balance[0].bytes, "BALANCE3C\r");
    EXPECT_EQ(balance[0].atMs, t0 + 500);
    EXPECT_TRUE(hostWrites("AS").empty() || hostWrites("AS").back().atMs < t0);  // no polls while keyed
    sched.advance(66500 - 1000 - 1);
    EXPECT_EQ(TuneLines().size(), tunes + 1);
    dialogs.expectBox("Do you want to Re-Adjust this Mod Setting?", MsgAnswer::Yes);
    sched.advance(200);
    ASSERT_EQ(TuneLines().size(), tunes + 2);
    EXPECT_EQ(TuneLines().back().atMs, t0 + 66500);
    EXPECT_FALSE(dlg.transmitSelected());
    EXPECT_EQ(dialogs.boxes.back().title, version::programTitle);
    StepIs(TuneStep::ModBalanceReady, TuneTest::ModBalance, 1);  // Yes: adjust again
}

TEST_F(TuneRun, CloseWhileAPollIsOpenSendsEndTestWhenTheExchangeCompletes) {
    Open();
    sched.advance(1500);  // the first "AS" poll goes out
    ASSERT_EQ(dlg.dialogState(), TuneDialogState::AwaitingDiagnostics);
    dlg.Close();
    EXPECT_TRUE(dlg.endTestPending());
    EXPECT_TRUE(hostWrites("T0").empty());
    sched.advance(300);
    EXPECT_EQ(hostWrites("T0").size(), 1u);
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(view.diagValue, "");  // no diagnostic value on the start screen
}

TEST_F(TuneRun, EndTestWithoutAnswerIsResentThreeTimesThenReportedAndTheWindowCloses) {
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, -1});
    Open();
    dlg.Close();
    const std::int64_t t0 = sched.nowMs();
    dialogs.expectBox(kNoEndTestText);
    sched.advance(2100);
    const auto t = hostWrites("T0");
    ASSERT_EQ(t.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(t[static_cast<std::size_t>(i)].atMs, t0 + 500 * i);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, version::programTitle);
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(sched.nowMs() - t0, 2100);
}

TEST_F(TuneRun, CloseBoxShutdownAndPortSwapEndTheModemTestMode) {
    Open();
    dlg.Stage([&](TuneWork& w) {
        w.testPoints[0].rxFrequency = 450000000;
        w.testPoints[0].txFrequency = 455000000;
        w.currentPoint = 0;
    });
    dlg.Unload();  // nothing sent yet: no "T0"
    EXPECT_TRUE(hostWrites("T0").empty());

    Open();
    dlg.SelectTransmit(true);
    dlg.SendTunePoint(0);
    Settle();
    EXPECT_TRUE(dlg.modemInTestMode());
    dlg.PortsSwapping();
    EXPECT_EQ(hostWrites("T0").size(), 1u);
    dlg.SendTunePoint(0);
    Settle();
    dlg.Unload();  // the close box, or shutdown unloading the window
    sched.advance(100);
    EXPECT_EQ(hostWrites("T0").size(), 2u);
    EXPECT_EQ(modem.endTests, 2);
}

TEST_F(TuneRun, TimeOutsWaitWhileTheWindowIsNotActive) {
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1});
    Open();
    dlg.Stage([&](TuneWork& w) {
        w.testPoints[1].rxFrequency = 450000000;
        w.currentPoint = 1;
    });
    dlg.SendTunePoint(1);
    view.active = false;
    sched.advance(3000);
    EXPECT_EQ(TuneLines().size(), 1u);  // no resend while another window is active
    view.active = true;
    sched.advance(10);
    EXPECT_EQ(TuneLines().size(), 1u);
    sched.advance(500);
    EXPECT_EQ(TuneLines().size(), 2u);  // the time-out that fell due, at the first tick after
    sched.advance(1000);
    EXPECT_EQ(TuneLines().size(), 4u);
    sched.advance(500);
    EXPECT_EQ(TuneLines().size(), 4u);
    EXPECT_EQ(dlg.dialogState(), TuneDialogState::Idle);  // the fourth time-out gave up
}

TEST_F(TuneRun, DiagnosticsInOneRecordOrSplitShowTheBatteryTemperatureAndValue) {
    modem.diagBlock = TuneBlock(97, 0);
    modem.diagBlock[0] = 33;
    for (bool split : {false, true}) {
        SCOPED_TRACE(split);
        modem.splitDiagBlocks = split;
        Open();
        dlg.Stage([&](TuneWork& w) { w.diagIndex = TuneDiag::Rssi; });
        sched.advance(1500);
        Settle();
        EXPECT_EQ(view.diagValue, "-97 dBm");
        EXPECT_EQ(dlg.replyCount(), 42);
        EXPECT_EQ(dlg.diagnostics().sets[0].values[0], 33);
        dlg.Unload();
    }
}

TEST_F(TuneRun, F7StopsTheSamplesOnlyInEngineeringMode) {
    Open();
    dlg.Stage([&](TuneWork& w) { w.currentStep = TuneStep::FrontEnd; });
    EXPECT_FALSE(dlg.KeyDown(kKeyF7, false, false, false));
    EXPECT_TRUE(dlg.pollDiagnostics());  // not in engineering mode
    st().engineerMode = true;
    EXPECT_FALSE(dlg.KeyDown(kKeyF7, false, false, false));
    EXPECT_FALSE(dlg.pollDiagnostics());
    sched.advance(5000);
    EXPECT_TRUE(hostWrites("AT").empty());
    EXPECT_TRUE(hostWrites("AS").empty());
    dlg.KeyDown(kKeyF7, false, false, false);
    sched.advance(1500);
    EXPECT_EQ(hostWrites("AT").size(), 1u);
}

// The polls stop while the primary port is closed (the port would report each send in a box of
// its own) and start again once it is open.
TEST_F(TuneRun, NoPollsWhileThePrimaryPortIsClosed) {
    Open();
    port->CloseCommPort();
    for (TuneStep step : {TuneStep::Start, TuneStep::FrontEnd, TuneStep::RssiCal}) {
        dlg.Stage([&](TuneWork& w) { w.currentStep = step; });
        sched.advance(5000);
    }
    EXPECT_TRUE(hostWrites("AS").empty());
    EXPECT_TRUE(hostWrites("AT").empty());
    EXPECT_TRUE(dialogs.boxes.empty());
    port->ForceCommPortOpen(7, {.baudRate = 9600});
    sched.advance(1500);
    EXPECT_EQ(hostWrites("AT").size(), 1u);
}

TEST_F(TuneRun, AdjustKeysOnAStepWithoutAnAdjustValueChangeNothing) {
    Open();
    dlg.Stage([&](TuneWork& w) {
        w.currentStep = TuneStep::TcxoKeyed;
        w.adjustIndex = TuneAdjust::Power;  // a stale index from an earlier screen
    });
    const TuneRecord before = dlg.work().tuneRecord;
    dlg.KeyDown(kKeyPageUp, false, false, false);
    EXPECT_EQ(dlg.work().tuneRecord, before);
    EXPECT_TRUE(TuneLines().empty());
    dlg.Stage([&](TuneWork& w) {
        w.currentStep = TuneStep::RxGain;
        w.adjustIndex = TuneAdjust::RxGain;
        w.tuneRecord.rxGainAdj = 0;
        w.testPoints[1].rxFrequency = 450000000;
        w.currentPoint = 1;
    });
    dlg.KeyDown(kKeyPageDown, false, false, false);
    EXPECT_EQ(dlg.work().tuneRecord.rxGainAdj, 255);
    EXPECT_EQ(view.adjValue, "255");
    EXPECT_EQ(TuneLines().size(), 1u);
    EXPECT_FALSE(dlg.KeyDown(kKeyPageUp, true, false, false));  // Shift: nothing
    dlg.Stage([&](TuneWork& w) {
        w.currentStep = TuneStep::ModBalanceReady;
        w.adjustIndex = TuneAdjust::Mod;
    });
    Settle();
    dlg.KeyDown(kKeyPageUp, false, false, false);
    EXPECT_EQ(TuneLines().size(), 1u);  // Mod Adj: sent with the next Mod Balance start
    EXPECT_EQ(dlg.work().tuneRecord.modValue, dlg.work().tuneRecord.modAdj[1]);
}

// ---- giving up while the radio may transmit

// A record with one character changed: its checksum no longer holds.
std::string Garbled(std::string record) {
    record[record.size() / 2] = record[record.size() / 2] == '0' ? '1' : '0';
    return record;
}

// A power point the modem leaves unanswered or answers with garbage: the radio is sent "T0"
// at once, the operator gets one message, nothing is stored, the window goes back to the step
// that keys the transmitter, and OK there measures the same point with the transmitter keyed.
// "Turned off" is said only when the modem acknowledged the "T0": a modem silent to it too
// leaves the radio possibly keyed, and its unkey goes first when it answers again.
TEST_F(TuneGiveUp, APowerPointWithoutAValidAnswerUnkeysTellsAndStoresNothing) {
    SimulatedModem::DiagBlock sample = TuneBlock(60, 0);
    const std::string answer = DataRecord(0, sample.data(), kDiagnosticBlockSize) + "\r\n" + EndRecord() + "\r\n";
    struct Case {
        const char* what;
        int pointsBefore;  // points taken before the one given up
        std::function<void()> fault;
        const char* box;
        bool unkeyAnswered;
    };
    const Case cases[] = {
        {"the modem silent for 4 s", 0,
         [&] {
             for (ModemStep s : {ModemStep::Clear, ModemStep::Tune, ModemStep::Sample, ModemStep::Diagnostics,
                                 ModemStep::EndTest})
                 modem.addFault({ModemFault::Silence, s, 0, -1});
         },
         kPointMayTransmitText, false},
        {"every sample garbled, at the second point", 1,
         [&] { AnswerSamplesWith(Garbled(answer) + AckRecord() + "\r\n", 4); }, kPointNotTakenText, true},
        {"the sample's acknowledgement garbled", 0,
         [&] { AnswerSamplesWith(answer + Garbled(AckRecord()) + "\r\n", 1); }, kPointNotTakenText, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartTest(TuneTest::PowerCal);
        dlg.OK();  // keyed at the first target power
        Settle();
        ASSERT_EQ(dlg.work().currentStep, TuneStep::PowerCalKeyed);
        if (c.pointsBefore > 0) {
            modem.samples = {TuneBlock(60, 50)};
            dlg.OK();
            Settle();
            ASSERT_EQ(dlg.work().calPointIndex, 1);
            dlg.KeyDown(kKeyPageUp, false, true, false);
            Settle();
        }
        const auto i = static_cast<std::size_t>(c.pointsBefore);
        const PowerCalPoints points = dlg.work().powerCalPoints;
        const std::int16_t adjust = dlg.work().tuneRecord.powerAdj[1];
        const std::size_t written = hostWrites().size();
        dialogs.expectBox(c.box);
        dlg.OK();
        c.fault();
        ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 10000));
        const std::vector<std::string> lines = LinesSince(written);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "T0");  // the unkey comes last, before any poll
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "T0"), c.unkeyAnswered ? 1 : 4);
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "AS"), 0);
        EXPECT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_EQ(dialogs.boxes[0].title, version::programTitle);
        EXPECT_EQ(dialogs.boxes[0].buttons, MsgButtons::OK);
        EXPECT_FALSE(dlg.transmitSelected());
        EXPECT_EQ(dlg.work().calPointIndex, c.pointsBefore);
        EXPECT_EQ(dlg.work().powerCalPoints.adReading, points.adReading);
        StepIs(TuneStep::PowerCalReady, TuneTest::PowerCal, 1);
        EXPECT_NE(view.description.find("Hook Up"), std::string::npos);  // no longer "Adjust ... for"

        modem.clearFaults();
        if (!c.unkeyAnswered) {
            // The modem answers again: the owed unkey goes before any poll, and only its
            // acknowledgement says the transmitter is off.
            const std::size_t before = hostWrites().size();
            dialogs.expectBox(kTxOffLaterText);
            ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 2; }, 5000));
            EXPECT_EQ(LinesSince(before), std::vector<std::string>{"T0"});
        }
        // Retaken with the transmitter keyed.
        sched.advance(3000);
        Settle();
        dlg.OK();
        EXPECT_TRUE(dlg.transmitSelected());
        EXPECT_TRUE(IsSet(dlg.work().tuneRecord.txSelected));
        // The first point starts from the low setting; a later one keeps the operator's value.
        EXPECT_EQ(dlg.work().tuneRecord.powerAdj[1], c.pointsBefore == 0 ? 32 : adjust);
        Settle();
        modem.samples = {TuneBlock(60, 77)};
        dlg.OK();
        Settle();
        EXPECT_EQ(dlg.work().powerCalPoints.adReading[i], 77);
        EXPECT_EQ(dlg.work().calPointIndex, c.pointsBefore + 1);
        dialogs.boxes.clear();
        dlg.Unload();
    }
}

// A keyed tune record the modem does not acknowledge, and an unkeyed one after keyed work that
// stays unacknowledged after three resends: "T0" and one message; a keyed step goes back to
// the step that keys the transmitter.
TEST_F(TuneGiveUp, ATuneRecordLeftUnansweredWhileTheRadioMayTransmitUnkeysAndTells) {
    using L = std::vector<std::string>;
    struct Case {
        const char* what;
        TuneTest test;
        bool keyFirst;  // keyed (and acknowledged) first; Next then sends the unkeyed record
        L lines;        // what the host sends from the action on
        std::int64_t giveUpMs;
        TuneStep stepAfter;
        int answered = 0;  // tune records the modem acknowledges before it falls silent
    };
    const Case cases[] = {
        {"TCXO keyed", TuneTest::Tcxo, false, L{"T1", "T0"}, 500, TuneStep::TcxoReady},
        // The keyed record is acknowledged (by the modem, not by the reply of a poll it cut
        // short); the unkeyed record at the end of the transmission is the one left unanswered.
        {"Mod Balance unkeyed at its end", TuneTest::ModBalance, false, L{"T1", "BA", "T1", "T1", "T1", "T1", "T0"},
         66500 + 2000, TuneStep::ModBalanceReady, 1},
        {"TCXO unkeyed by Next", TuneTest::Tcxo, true, L{"T1", "T1", "T1", "T1", "T0"}, 2000, TuneStep::PowerCalReady},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartTest(c.test);
        if (c.keyFirst) {
            dlg.OK();
            Settle();
            ASSERT_EQ(dlg.work().currentStep, TuneStep::TcxoKeyed);
        }
        modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1, c.answered});
        const std::int64_t t0 = sched.nowMs();
        const std::size_t written = hostWrites().size();
        const int endTests = modem.endTests;
        dialogs.expectBox(kTxOffText);
        if (c.keyFirst) dlg.Next();
        else dlg.OK();
        ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 70000));
        EXPECT_EQ(Prefixes(LinesSince(written)), c.lines);
        EXPECT_EQ(hostWrites("T0").back().atMs - t0, c.giveUpMs);
        EXPECT_EQ(modem.endTests - endTests, 1) << "said once the modem acknowledged the unkey";
        EXPECT_FALSE(dlg.transmitSelected());
        EXPECT_EQ(dlg.work().currentStep, c.stepAfter);
        const std::size_t balances = hostWrites("BALANCE").size();
        sched.advance(70000);
        EXPECT_EQ(hostWrites("BALANCE").size(), balances);
        EXPECT_EQ(dialogs.boxes.size(), 1u);
        dialogs.boxes.clear();
        modem.clearFaults();
        dlg.Unload();
    }
}

// The modem leaves one "AS" poll unanswered and the operator keys the radio right after: the
// keyed record's acknowledgement is its own, not the lost poll's, so the step goes on keyed with
// no message and no unkey.
TEST_F(TuneGiveUp, AnUnansweredPollDoesNotTakeTheNextKeyedRecordsAcknowledgement) {
    Tick({TuneTest::Tcxo});
    StartTest(TuneTest::Tcxo);
    modem.addFault({ModemFault::Silence, ModemStep::Diagnostics, 0, 1});
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TuneDialogState::AwaitingDiagnostics; }, 3000));
    const std::size_t mark = hostWrites().size();
    dlg.OK();  // keys the transmitter, deferred until the poll has timed out
    sched.advance(3000);
    EXPECT_EQ(Prefixes(LinesSince(mark)), std::vector<std::string>{"T1"});
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TcxoKeyed);
    EXPECT_TRUE(dlg.transmitSelected());
    EXPECT_TRUE(dialogs.boxes.empty());
    dlg.Unload();
}

// A modem that stops answering while the radio is keyed and stays silent to the "T0" too: the
// operator is told the radio may still be transmitting, never that it was turned off. While the
// modem is silent the polls carry the owed "T0" (no "AS"), an OK is not taken but sends the
// "T0" and tells again; once the modem answers, the "T0" goes first and its acknowledgement
// alone says the transmitter is off.
TEST_F(TuneGiveUp, AnUnkeyTheModemDoesNotAcknowledgeStaysOwedAndGoesFirstWhenItAnswers) {
    StartTest(TuneTest::Tcxo);
    for (ModemStep s : {ModemStep::Tune, ModemStep::Diagnostics, ModemStep::EndTest})
        modem.addFault({ModemFault::Silence, s, 0, -1});
    const std::size_t written = hostWrites().size();
    dialogs.expectBox(kMayTransmitText);
    dlg.OK();  // keys the transmitter: never acknowledged
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 10000));
    EXPECT_EQ(Prefixes(LinesSince(written)), (std::vector<std::string>{"T1", "T0", "T0", "T0", "T0"}));
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TcxoReady);  // back on the step that keys
    EXPECT_FALSE(dlg.transmitSelected());

    // Still silent: the polls try the unkey again, quietly.
    std::size_t mark = hostWrites().size();
    sched.advance(8000);
    std::vector<std::string> lines = LinesSince(mark);
    EXPECT_GE(std::count(lines.begin(), lines.end(), "T0"), 4);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "AS"), 0);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.exchange().unkeyUnderWay(); }, 5000));

    // OK is not taken while the unkey is owed: the unkey goes instead, and its failure is told.
    dialogs.expectBox(kMayTransmitText);
    mark = hostWrites().size();
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 2; }, 5000));
    EXPECT_EQ(Prefixes(LinesSince(mark)), (std::vector<std::string>{"T0", "T0", "T0", "T0"}));
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TcxoReady);

    // The modem answers again.
    modem.clearFaults();
    mark = hostWrites().size();
    dialogs.expectBox(kTxOffLaterText);
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 3; }, 5000));
    EXPECT_EQ(LinesSince(mark), std::vector<std::string>{"T0"});
    sched.advance(3000);
    lines = LinesSince(mark);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "T0"), 1);
    EXPECT_GE(std::count(lines.begin(), lines.end(), "AS"), 1) << "polls as before";
    Settle();
    dlg.OK();  // keys again
    Settle();
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TcxoKeyed);
    EXPECT_EQ(dialogs.boxes.size(), 3u);
}

// The adapter pulled while a step keeps the radio keyed: nothing is written into the closed
// port, the operator gets the loss and one message about the radio, OK takes nothing (no
// "Tuning Complete", no save offered). A port opened again gets the owed "T0" first. Close
// with the port lost sends nothing and closes.
TEST_F(TuneGiveUp, ALostPortSendsNothingTellsOnceAndCountsNoStepDone) {
    ASSERT_NO_FATAL_FAILURE(KeyTcxo());
    ASSERT_EQ(dlg.work().currentStep, TuneStep::TcxoKeyed);
    ASSERT_TRUE(dlg.work().tuneRecord.txSelected);
    const std::size_t written = hostWrites().size();
    dialogs.expectBox("Lost Com Port 1");
    dialogs.expectBox(PortClosedText(1, true));
    cable.a().unplug();
    ASSERT_FALSE(port->GetCommPortOpen());
    dlg.OK();
    sched.advance(3000);
    dlg.OK();
    dlg.Next();
    dlg.KeyDown(kKeyPageUp, false, false, false);
    sched.advance(5000);
    EXPECT_EQ(hostWrites().size(), written);
    EXPECT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TcxoKeyed);
    EXPECT_FALSE(dlg.work().Done(TuneTest::Tcxo));
    EXPECT_TRUE(links.writes.empty());

    // The adapter is back and the port opened again: the unkey goes first.
    cable.a().plugIn();
    ASSERT_TRUE(port->RegisterForSRecord(&dlg, false));
    dialogs.expectBox(kTxOffLaterText);
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 3; }, 5000));
    EXPECT_EQ(LinesSince(written), std::vector<std::string>{"T0"});
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TcxoReady);  // the radio is off: back on the step that keys
    EXPECT_FALSE(dlg.work().Done(TuneTest::Tcxo));

    // Lost again, then Close: no send, nothing more to tell, the window closes.
    dialogs.expectBox("Lost Com Port 1");
    cable.a().unplug();
    const std::size_t before = hostWrites().size();
    dialogs.expectBox(PortClosedText(1, false));
    dlg.Close();
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(hostWrites().size(), before);
    EXPECT_EQ(dialogs.boxes.size(), 5u);
}

// The adapter pulled with the radio keyed, then Close: the window goes, and the owed unkey with
// it, so the message says it could not be sent and promises no later one; an operator who was
// promised it before the Close hears this too.
class TuneCloseOnALostPort : public TuneGiveUp, public ::testing::WithParamInterface<bool> {};

TEST_P(TuneCloseOnALostPort, TheMessagePromisesNoUnkey) {
    const bool toldBefore = GetParam();
    ASSERT_NO_FATAL_FAILURE(KeyTcxo());
    ASSERT_TRUE(dlg.work().tuneRecord.txSelected);
    const std::size_t written = hostWrites().size();
    dialogs.expectBox("Lost Com Port 1");
    cable.a().unplug();
    if (toldBefore) {
        dialogs.expectBox(PortClosedText(1, true));
        dlg.OK();
    }
    const std::string closing =
        "Com Port 1 is not open! The radio may still be transmitting: the unkey could not be sent.";
    EXPECT_EQ(PortClosedAtCloseText(1, true), closing);
    dialogs.expectBox(closing);
    dlg.Close();
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(hostWrites().size(), written);
    ASSERT_EQ(dialogs.boxes.size(), toldBefore ? 3u : 2u);
    EXPECT_EQ(dialogs.boxes.back().text, closing);
}

INSTANTIATE_TEST_SUITE_P(ToldBefore, TuneCloseOnALostPort, ::testing::Bool());

// The adapter pulled with the radio keyed, then the window leaves its radio by its close box
// (or shutdown) or by Swap Comm Ports: nothing can reach the radio, and the operator hears that
// it may still be transmitting and the unkey could not be sent, whether or not an action
// had already told of the loss. After a swap the window stays, owing that radio nothing more.
struct LeaveOnALostPort {
    const char* name;
    bool swap;
    bool toldBefore;
};

void PrintTo(const LeaveOnALostPort& c, std::ostream* os) { *os << c.name; }

class TuneLeavesOnALostPort : public TuneGiveUp, public ::testing::WithParamInterface<LeaveOnALostPort> {};

TEST_P(TuneLeavesOnALostPort, TellsThatTheUnkeyCouldNotBeSent) {
    const LeaveOnALostPort& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(KeyTcxo());
    ASSERT_TRUE(dlg.work().tuneRecord.txSelected);
    const std::size_t written = hostWrites().size();
    dialogs.expectBox("Lost Com Port 1");
    cable.a().unplug();
    if (c.toldBefore) {
        dialogs.expectBox(PortClosedText(1, true));
        dlg.OK();  // not taken
    }
    const std::size_t boxes = dialogs.boxes.size();
    dialogs.expectBox(PortClosedAtCloseText(1, true));
    if (c.swap) dlg.PortsSwapping();
    else dlg.Unload();
    ASSERT_EQ(dialogs.boxes.size(), boxes + 1);
    EXPECT_EQ(dialogs.boxes.back().text, PortClosedAtCloseText(1, true));
    EXPECT_EQ(hostWrites().size(), written);
    if (!c.swap) return;
    // The window stays, back on the step that keys; leaving again has nothing more to tell.
    StepIs(TuneStep::TcxoReady, TuneTest::Tcxo, 1);
    EXPECT_FALSE(dlg.transmitSelected());
    sched.advance(3000);
    dlg.Unload();
    EXPECT_EQ(dialogs.boxes.size(), boxes + 1);
    EXPECT_EQ(hostWrites().size(), written);
}

INSTANTIATE_TEST_SUITE_P(Ways, TuneLeavesOnALostPort,
                         ::testing::Values(LeaveOnALostPort{"CloseBox", false, false},
                                           LeaveOnALostPort{"CloseBoxAfterTheLossWasTold", false, true},
                                           LeaveOnALostPort{"SwapPorts", true, false},
                                           LeaveOnALostPort{"SwapPortsAfterTheLossWasTold", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Closed by its close box while keyed (the radio is sent "T0"), the window opened again starts
// unkeyed: it polls, and its first record is a receive record.
TEST_F(TuneGiveUp, AWindowOpenedAgainAfterAKeyedCloseStartsUnkeyed) {
    ASSERT_NO_FATAL_FAILURE(KeyTcxo());
    dlg.Unload();
    EXPECT_EQ(hostWrites("T0").size(), 1u);
    const std::size_t polls = hostWrites("AS").size();
    Open();
    EXPECT_FALSE(dlg.transmitSelected());
    sched.advance(1500);
    EXPECT_EQ(hostWrites("AS").size(), polls + 1);
    Settle();
    dlg.Stage([&](TuneWork& w) { w.currentStep = TuneStep::FrontEnd; });
    dlg.SendTunePoint(1);
    Settle();
    EXPECT_FALSE(dlg.work().tuneRecord.txSelected);
}

// The radio keyed, the modem silent to the record and to the unkey: the unkey is owed. Then the
// port is set to another device (Com 3): that radio is not sent the old one's unkey, nor told
// off from its acknowledgement; the operator hears that the radio on the old device may still
// be transmitting, and the window goes on with the new one.
TEST_F(TuneGiveUp, AnUnkeyOwedToTheRadioOnTheOldDeviceIsNotSentToTheNewOne) {
    Tick({TuneTest::Tcxo});
    StartTest(TuneTest::Tcxo);
    for (ModemStep s : {ModemStep::Tune, ModemStep::Diagnostics, ModemStep::EndTest})
        modem.addFault({ModemFault::Silence, s, 0, -1});
    dialogs.expectBox(kMayTransmitText);
    dlg.OK();  // keyed: never acknowledged, nor its unkey
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 10000));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TuneDialogState::Idle; }, 5000));
    modem.clearFaults();
    port->CloseCommPort();
    CommSettings moved = port->settings();
    moved.portNumber = 3;
    port->setSettings(moved);
    cable.a().setPortNumber(3);
    ASSERT_TRUE(port->OpenCommPort());
    const std::size_t mark = hostWrites().size();
    dialogs.expectBox(LeftRadioText(3, "Com1"));
    sched.advance(3000);
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    const std::vector<std::string> lines = LinesSince(mark);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "T0"), 0);
    EXPECT_GE(std::count(lines.begin(), lines.end(), "AS"), 1);
    // The operator keys the radio now behind the port.
    Settle();
    dlg.OK();
    Settle();
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TcxoKeyed);
    EXPECT_EQ(dialogs.boxes.size(), 2u);
}

// Another window on the port gave its keyed record up and its unkey went unanswered: the radio
// owes that unkey whichever window acts next. Tune Radio keys nothing before it: OK sends the
// unkey instead, and its acknowledgement (not the other window's) lets the next OK key the radio.
TEST_F(TuneGiveUp, AnUnkeyOwedByAnotherWindowGoesBeforeTuneRadioKeysTheRadio) {
    struct Other : CommForm {
        Other(Scheduler& sched, classComm* p)
            : ex(&sched, 500, load,
                 {.port = [p] { return p; },
                  .active = [] { return true; },
                  .timedOut = [this] { ex.Stop(); },
                  .unkeyLine = [] { return CommandLine("T0"); },
                  .unkeyAcknowledged = [this] { ++unkeyAcks; },
                  .unkeyGivenUp = [] { return false; },
                  .countResend = {},
                  .tell = [this](const std::string& t) { told.push_back(t); }}) {
            load.Begin();
            ex.Begin();
        }
        void RxSRecordData(std::int16_t slot) override { (void)ex.Take(slot); }
        LoadToken load;
        RadioExchange ex;
        std::vector<std::string> told;
        int unkeyAcks = 0;
    };
    Tick({TuneTest::Tcxo});
    StartTest(TuneTest::Tcxo);
    Other other(sched, port.get());
    port->RegisterForSRecord(&other, false);
    TuneRecord keyed = dlg.work().tuneRecord;
    keyed.txSelected = kTrue;
    for (ModemStep s : {ModemStep::Tune, ModemStep::EndTest}) modem.addFault({ModemFault::Silence, s, 0, -1});
    ASSERT_TRUE(other.ex.Send(TuneRecordLine(st(), st(), keyed), RadioExchange::Keying::Keys));
    sched.advance(600);
    other.ex.GiveUp(false);
    sched.advance(2100);
    ASSERT_EQ(other.told, std::vector<std::string>{kMayTransmitText});
    modem.clearFaults();

    const std::size_t mark = hostWrites().size();
    const std::size_t tunes = TuneLines().size();
    dialogs.expectBox(kTxOffLaterText);
    dlg.OK();  // not taken: the unkey goes first
    sched.advance(300);
    std::vector<std::string> lines = LinesSince(mark);
    std::erase(lines, "AS");
    EXPECT_EQ(lines, std::vector<std::string>{"T0"});
    EXPECT_EQ(TuneLines().size(), tunes);
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TcxoReady);
    EXPECT_EQ(other.unkeyAcks, 0);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    dlg.OK();
    Settle();
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TcxoKeyed);
    EXPECT_EQ(TuneLines().size(), tunes + 1);
    port->DeRegisterForAll(&other);
}

// Mod Balance under way when the ports are swapped: the radio left behind gets its "T0", the
// "BALANCE" due and the receive record at the end of the Tx time do not go (they would key or
// set up the radio now behind the port), and the window is back on the step that keys.
TEST_F(TuneGiveUp, ASwapDuringModBalanceLeavesNothingToKeyTheNextRadio) {
    StartTest(TuneTest::ModBalance);
    dlg.OK();  // keyed, "BALANCE" due in 500 ms
    sched.advance(100);
    ASSERT_TRUE(dlg.transmitSelected());
    const std::size_t written = hostWrites().size();
    dlg.PortsSwapping();
    EXPECT_EQ(LinesSince(written), std::vector<std::string>{"T0"});
    EXPECT_FALSE(dlg.modemInTestMode());
    StepIs(TuneStep::ModBalanceReady, TuneTest::ModBalance, 1);
    EXPECT_FALSE(dlg.transmitSelected());
    EXPECT_EQ(dlg.dialogState(), TuneDialogState::Idle);
    sched.advance(70000);
    EXPECT_TRUE(hostWrites("BALANCE").empty());
    EXPECT_EQ(hostWrites("T1").size(), 1u);
    EXPECT_TRUE(dialogs.boxes.empty());
}

// The adapter pulled while Close's "T0" awaits its acknowledgement: the unit is not blamed, the
// operator hears that the port was lost with the radio keyed, and the window stays. The owed
// unkey goes first once the port is open again; Close then ends the test.
TEST_F(TuneGiveUp, APortLostDuringTheEndTestIsToldAsSuchAndTheUnkeyStaysOwed) {
    ASSERT_NO_FATAL_FAILURE(KeyTcxo());
    ASSERT_TRUE(dlg.work().tuneRecord.txSelected);
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, 1});
    dlg.Close();
    ASSERT_EQ(dlg.dialogState(), TuneDialogState::AwaitingEndTestAck);
    sched.advance(100);
    dialogs.expectBox("Lost Com Port 1");
    dialogs.expectBox(EndTestPortLostText(1, true));
    cable.a().unplug();
    const std::size_t written = hostWrites().size();
    sched.advance(3000);
    EXPECT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(view.closes, 0);
    EXPECT_EQ(hostWrites().size(), written);

    cable.a().plugIn();
    ASSERT_TRUE(port->RegisterForSRecord(&dlg, false));
    dialogs.expectBox(kTxOffLaterText);
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 3; }, 5000));
    EXPECT_EQ(LinesSince(written), std::vector<std::string>{"T0"});
    EXPECT_EQ(view.closes, 0);
    Settle();
    dlg.Close();
    ASSERT_TRUE(sched.advanceUntil([&] { return view.closes == 1; }, 2000));
    EXPECT_EQ(dialogs.boxes.size(), 3u);
}

// ---- the sequencer, without a modem exchange (the window is not active: sends are dropped)

class TuneSequence : public TuneRun {
protected:
    TuneSequence() {
        Open();
        view.active = false;
    }
};

TEST_F(TuneSequence, GroupIntrosAndPreviousAcrossGroups) {
    Tick({TuneTest::PowerCal, TuneTest::Deviation, TuneTest::FrontEnd, TuneTest::RxGain, TuneTest::PowerVerify});
    dlg.GoToFirstTest();
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TxIntro);
    dlg.OK();
    StepIs(TuneStep::PowerCalReady, TuneTest::PowerCal, 1);
    dlg.Next();
    StepIs(TuneStep::DeviationReady, TuneTest::Deviation, 1);
    dlg.Next();
    StepIs(TuneStep::RxIntro, TuneTest::FrontEnd, 0);  // Rx intro with the first Rx test already current
    dlg.Next();
    StepIs(TuneStep::FrontEnd, TuneTest::FrontEnd, 0);
    dlg.Previous();
    StepIs(TuneStep::RxIntro, TuneTest::Deviation, 1);  // back across the group: the Rx intro first
    dlg.Previous();
    StepIs(TuneStep::DeviationReady, TuneTest::Deviation, 1);  // then the last ticked Tx test
    dlg.Previous();
    StepIs(TuneStep::PowerCalReady, TuneTest::PowerCal, 1);
    dlg.Previous();
    StepIs(TuneStep::TxIntro, TuneTest::PowerCal, 1);  // Prev on the first ticked test: the group intro
    dlg.Next();
    StepIs(TuneStep::PowerCalReady, TuneTest::PowerCal, 1);
    dlg.OK();
    dlg.Previous();  // a later step of a test: restart at its first step and start point
    StepIs(TuneStep::PowerCalReady, TuneTest::PowerCal, 1);
}

TEST_F(TuneSequence, PointOrdersOfTheTests) {
    Tick({TuneTest::PowerOut, TuneTest::FrontEnd, TuneTest::RssiVerify});
    dlg.GoToFirstTest();
    dlg.OK();
    StepIs(TuneStep::PowerOutReady, TuneTest::PowerOut, 0);
    dlg.OK();
    std::vector<std::pair<int, bool>> seen;
    for (int i = 0; i < 3; ++i) {
        seen.push_back({dlg.work().currentPoint, dlg.transmitSelected()});
        dlg.OK();
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{0, true}, {1, true}, {2, true}}));
    StepIs(TuneStep::RxIntro, TuneTest::FrontEnd, 0);
    dlg.OK();
    seen.clear();
    for (int i = 0; i < 3; ++i) {
        seen.push_back({dlg.work().currentPoint, dlg.transmitSelected()});
        if (i == 2) dialogs.expectBox("Tuning Complete!", MsgAnswer::No);
        dlg.OK();
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{0, false}, {1, false}, {2, false}}));
    EXPECT_TRUE(links.writes.empty());  // No saves nothing
    StepIs(TuneStep::VerifyIntro, TuneTest::RssiVerify, 1);
    dlg.OK();
    for (int pass = 0; pass < 3; ++pass) {
        StepIs(TuneStep::RssiVerify, TuneTest::RssiVerify, 1);
        EXPECT_EQ(dlg.work().calPointIndex, pass);
        dlg.OK();
    }
    StepIs(TuneStep::Start, TuneTest::None, 2);
}

TEST_F(TuneSequence, SaveQuestionAndPacketTestByWhatIsTicked) {
    st().productionMode = true;
    Tick({TuneTest::RssiVerify});
    dlg.GoToFirstTest();
    EXPECT_EQ(dlg.work().currentStep, TuneStep::VerifyIntro);
    dlg.OK();
    for (int i = 0; i < 3; ++i) dlg.OK();
    StepIs(TuneStep::Start, TuneTest::None, 2);
    EXPECT_EQ(mainFrame.packetOpens, 1);  // the procedure ended after a verification test
    EXPECT_TRUE(dialogs.boxes.empty());

    Tick({TuneTest::Tcxo});
    dlg.Stage([&](TuneWork& w) { w.currentTest = TuneTest::None; });
    dlg.GoToFirstTest();
    dlg.OK();
    dlg.OK();
    dialogs.expectBox("Tuning Complete!", MsgAnswer::No);
    dlg.OK();
    StepIs(TuneStep::Start, TuneTest::None, 2);
    EXPECT_EQ(mainFrame.packetOpens, 1);  // not after tuning tests only
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(TuneSequence, SelectTestOutsideThePlanAndNoTickedTest) {
    dlg.Stage([&](TuneWork& w) {
        w.currentStep = TuneStep::RxGain;
        w.currentPoint = 1;
    });
    EXPECT_EQ(dlg.SelectTest(TuneTest::None), TuneTest::None);
    EXPECT_EQ(dlg.work().currentStep, TuneStep::Start);
    EXPECT_EQ(dlg.work().currentPoint, 2);
    // A value outside the plan is no test either.
    EXPECT_EQ(dlg.SelectTest(static_cast<TuneTest>(-1)), TuneTest::None);
    EXPECT_EQ(dlg.SelectTest(static_cast<TuneTest>(16)), TuneTest::None);
    Tick({});
    dlg.Stage([&](TuneWork& w) { w.currentStep = TuneStep::PowerCalReady; });
    dlg.GoToFirstTest();
    EXPECT_EQ(dlg.work().currentStep, TuneStep::Start);
    Tick({TuneTest::TxFc8});
    view.sel.radioType = 0;  // the test is ticked but not available for this radio
    dlg.GoToFirstTest();
    EXPECT_EQ(dlg.work().currentStep, TuneStep::Start);
}

TEST_F(TuneSequence, DacValuesMarkTheirTestsDoneAndSkippedTestsSaveNothing) {
    Tick({TuneTest::PowerOut, TuneTest::RxGain, TuneTest::RssiCal});
    st().dacValues.powerAdj = {11, 22, 33};
    st().dacValues.txDeviationAdj = 77;
    dlg.UpdateDacValues();
    EXPECT_EQ(dlg.work().tuneRecord.masterDeviation, 77);
    dlg.GoToFirstTest();
    dlg.OK();
    StepIs(TuneStep::PowerOutReady, TuneTest::PowerOut, 0);
    dlg.Next();
    StepIs(TuneStep::RxIntro, TuneTest::RxGain, 1);
    dlg.OK();
    dlg.Next();  // skips Rx Gain (done by the DAC values)
    StepIs(TuneStep::RssiCal, TuneTest::RssiCal, 1);
    dialogs.expectBox("Tuning Complete!", MsgAnswer::Yes);
    dlg.Next();  // skips RSSI Cal: no table
    ASSERT_EQ(links.writes.size(), 1u);
    const ModemParameters& out = links.writes[0].record;
    EXPECT_EQ(out.powerAdj, (std::array<std::int16_t, 3>{11, 22, 33}));
    EXPECT_EQ(out.masterDeviation, 77);
    EXPECT_FALSE(IsSet(out.calTables.rssiTablePresent));
    EXPECT_FALSE(IsSet(out.calTables.powerTablePresent));
}

}  // namespace
}  // namespace k45::test
