// The Tune Radio window inside the whole program: opened from the Production Test menu, its
// parameter read done by the current-parameter reader, its default and result writes by the
// read/write window, the modem on a null-modem cable; the operator clicks the buttons and
// presses the keys. Also the hand-off to the packet test and every way the window can go
// while the modem is in a test mode.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "wiring/tool_window_ids.h"
#include "frame/ui/program_bench.h"
#include "params/data_file.h"
#include "params/modem_defaults.h"
#include "params/startup_defaults.h"
#include "params/test_file.h"
#include "radio/cal_tables.h"
#include "tuning/tune_math.h"
#include "tuning/tune_test_samples.h"
#include "tuning/ui/tune_window.h"
#include "tuning/tune_print.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

constexpr int kType = 1;  // 5726: every test is available with the SA7026 synthesizer

class TuneInTheProgram : public ProgramWithModem {
protected:
    // The production build with the modem on the primary port; in the program folder the
    // default test and data files of the 5726 in its first range whose test points hold
    // frequencies, with adjust values of their own.
    void StartProduction() {
        home.write("K45MR.ini", "");
        StartProgramWithModem(true, "/ProductionTest");
        ASSERT_TRUE(ctx.state.productionMode);
        AppState& st = ctx.state;
        for (int r = 0; r <= 9 && range < 0; ++r)
            if (st.rangeEnabled[kType][static_cast<std::size_t>(r)] &&
                st.testDefaults.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(kType, r, 1))].rxFrequency != 0)
                range = r;
        ASSERT_GE(range, 0);
        ProductionTestRecord test = st.testDefaults;
        DacValues& d = test.defaultDacValues;
        d.powerAdj = {100, 110, 120};
        d.modAdj = {60, 61, 62};
        d.frontEndAdj = {30, 31, 32};
        d.rxGainAdj = 90;
        d.txDeviationAdj = 70;
        d.rssiCalAdj = 5;
        d.powerCalAdj = 150;
        defaults = d;
        const std::string folder = home.path() + "/";
        testFile = MakeTuneTestFileName(folder, kType, range, 0, 0);
        dataFile = MakeTuneDataFileName(folder, kType, range, 0, 0);
        ASSERT_TRUE(SaveTestFile(st, testFile, test));
        ModemParameters data = st.mainParameters;
        data.radioType = kType;
        data.radioRange = range;
        SetDefaultModemParameters(st, st, data);
        data.comment = "Default 5726";
        ASSERT_TRUE(SaveDataFile(st, dataFile, data));
    }

    formTune& Tune() { return *dynamic_cast<formTune*>(ctx.form(ToolWindow::formTune)); }
    TuneDialogue& Dlg() { return Tune().dialogue(); }
    QWidget* Widget(ToolWindow slot) { return dynamic_cast<QWidget*>(ctx.form(slot)); }
    bool Loaded(ToolWindow slot) { return ctx.form(slot) && ctx.form(slot)->loaded(); }

    void OpenTune() {
        win->action("menuTestTune")->trigger();
        QApplication::processEvents();
        ASSERT_TRUE(Tune().loaded());
        ASSERT_EQ(win->ActiveForm(), &Tune());
    }
    // The radio of the default files, an ID number, a 60 s Mod Balance and every test ticked.
    void SelectRadio() {
        formTune& t = Tune();
        t.comboRadioType->setCurrentIndex(t.comboRadioType->findData(kType));
        t.comboRadioRange->setCurrentIndex(t.comboRadioRange->findData(range));
        t.comboChanBandwidth->setCurrentIndex(t.comboChanBandwidth->findData(0));
        t.optionSa7026Synth->setChecked(true);
        t.textLongId->setText("5000");
        t.scrollTxTime->setValue(60);
        for (QCheckBox* c : t.checkTests) {
            c->setChecked(true);
            ASSERT_TRUE(c->isEnabled()) << c->text().toStdString();
        }
    }
    void Click(QPushButton* b) {
        ASSERT_TRUE(b->isEnabled());
        b->click();
        QApplication::processEvents();
    }
    void Ok() { Click(Tune().buttonOK); }
    // Until no tuning exchange is open and nothing waits to be sent.
    void Settle(std::int64_t limitMs = 5000) {
        ASSERT_TRUE(scheduler.advanceUntil(
            [&] { return Dlg().dialogState() == TuneDialogState::Idle && !Dlg().tunePending(); }, limitMs));
        QApplication::processEvents();
    }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, int times = 1) {
        for (int i = 0; i < times; ++i) {
            QKeyEvent press(QEvent::KeyPress, key, mods);
            QApplication::sendEvent(Tune().buttonOK, &press);
            Settle();
        }
    }
    void StepIs(TuneStep step, TuneTest test, int point) {
        EXPECT_EQ(Dlg().work().currentStep, step);
        EXPECT_EQ(Dlg().work().currentTest, test);
        EXPECT_EQ(Dlg().work().currentPoint, point);
    }
    // Runs until the read/write window and the reader are done and gone.
    void UntilWindowsDone(std::int64_t limitMs = 60000) {
        ASSERT_TRUE(scheduler.advanceUntil(
            [&] {
                QApplication::processEvents();
                return !Loaded(ToolWindow::formParmsRdWr) && !(ctx.formParmsGetCurrent && ctx.formParmsGetCurrent->loaded());
            },
            limitMs, 5));
    }
    // From the verification intro: three passes of RSSI Cal Verify, then Power Cal Verify
    // (keyed, "AR" while keyed, 500 ms later unkeyed on the reading screen); the run ends on the
    // start screen.
    void RunVerificationTests() {
        Ok();
        Settle();
        for (int pass = 0; pass < 3; ++pass) {
            StepIs(TuneStep::RssiVerify, TuneTest::RssiVerify, 1);
            Ok();
            Settle();
        }
        StepIs(TuneStep::PowerVerifyReady, TuneTest::PowerVerify, 1);
        Ok();
        Settle();
        Ok();
        scheduler.advance(600);
        Settle();
        StepIs(TuneStep::PowerVerifyReading, TuneTest::PowerVerify, 1);
        EXPECT_FALSE(Dlg().transmitSelected());
        EXPECT_FALSE(Loaded(ToolWindow::formPacketTst) && win->ActiveForm() == ctx.form(ToolWindow::formPacketTst));
        Ok();
        StepIs(TuneStep::Start, TuneTest::None, 2);
    }
    ModemParameters ModemHolds() {
        ModemParameters r;
        EXPECT_TRUE(modem->decodeInto(ctx.state, r));
        return r;
    }
    std::size_t Lines(const std::string& prefix) const { return modem->linesStartingWith(prefix).size(); }

    int range = -1;
    DacValues defaults;
    std::string testFile, dataFile;
};

TEST_F(TuneInTheProgram, ProductionRunWithEveryTestWritesTheDefaultsThenTheTunedValuesAndTablesToTheModem) {
    StartProduction();
    OpenTune();
    SelectRadio();

    // Start: the defaults of the files found by name, written in mode 7, then read back.
    dialogs.expectBox("Do you want to Over-Write Program Parameters", MsgAnswer::Yes);
    // The unit becomes another radio: the write asks, as it does in production mode.
    dialogs.expectBox("Radio Type Setting is to be changed.", MsgAnswer::OK);
    Click(Tune().buttonStart);
    EXPECT_EQ(ctx.state.testFileName, testFile);
    EXPECT_EQ(ctx.state.dataFileName, dataFile);
    UntilWindowsDone();
    {
        const ModemParameters m = ModemHolds();
        EXPECT_EQ(m.serialNumber, 5000u);
        EXPECT_EQ(m.radioType, kType);
        EXPECT_EQ(m.radioRange, range);
        EXPECT_EQ(m.comment, "Default 5726");
        EXPECT_EQ(m.powerAdj, defaults.powerAdj);
        EXPECT_EQ(m.modAdj, defaults.modAdj);
        EXPECT_EQ(m.masterRxGain, defaults.rxGainAdj);
        EXPECT_EQ(m.masterDeviation, defaults.txDeviationAdj);
    }
    // The reader's close makes the window active again: the tests start from what the reader
    // read, and the DAC values editor shows their adjust values.
    StepIs(TuneStep::TxIntro, TuneTest::None, 2);
    EXPECT_EQ(Dlg().work().tuneRecord.powerAdj, defaults.powerAdj);
    ASSERT_TRUE(Loaded(ToolWindow::formDacVals));
    Widget(ToolWindow::formDacVals)->close();
    QApplication::processEvents();
    win->FocusForm(Tune());
    QApplication::processEvents();
    ASSERT_EQ(win->ActiveForm(), &Tune());
    Settle();

    Ok();  // Tx intro
    StepIs(TuneStep::TcxoReady, TuneTest::Tcxo, 1);
    Ok();
    Settle();
    Ok();  // TCXO done
    Settle();
    StepIs(TuneStep::PowerCalReady, TuneTest::PowerCal, 1);

    // Power calibration: five points.
    Ok();
    Settle();
    Key(Qt::Key_PageUp, Qt::NoModifier, 3);  // Power Adj 32 -> 35 at the Mid point
    for (std::int16_t reading : kPowerReadings) {
        modem->samples = {TuneBlock(60, reading)};
        const std::size_t ars = Lines("AR");
        Ok();
        Settle();
        EXPECT_EQ(Lines("AR"), ars + 1);
    }
    StepIs(TuneStep::PowerOutReady, TuneTest::PowerOut, 0);

    // Power out, points 0, 1, 2 keyed.
    Ok();
    Settle();
    Key(Qt::Key_PageUp, Qt::NoModifier, 2);
    Ok();
    Settle();
    Key(Qt::Key_PageDown);
    Ok();
    Settle();
    Key(Qt::Key_PageUp, Qt::ControlModifier);
    Ok();
    Settle();
    StepIs(TuneStep::ModBalanceReady, TuneTest::ModBalance, 1);

    // Mod Balance at points 1, 0, 2: 60 s of square wave each, then the re-adjust question.
    Key(Qt::Key_PageUp);
    for (int point : {1, 0, 2}) {
        SCOPED_TRACE(point);
        EXPECT_EQ(Dlg().work().currentPoint, point);
        Ok();
        dialogs.expectBox("Do you want to Re-Adjust this Mod Setting?", MsgAnswer::No);
        scheduler.advance(66500 + 300);
        Settle();
    }
    EXPECT_EQ(modem->balanceCommands, (std::vector<int>{60, 60, 60}));
    StepIs(TuneStep::DeviationReady, TuneTest::Deviation, 1);

    Ok();
    Settle();
    Key(Qt::Key_PageDown);  // deviation
    Ok();
    Settle();
    StepIs(TuneStep::TxFc8Ready, TuneTest::TxFc8, 0);
    for (int fcTest = 0; fcTest < 2; ++fcTest) {  // Tx FC 8 and Tx FC 5
        Ok();
        Settle();
        Key(Qt::Key_PageUp);
        for (int p = 0; p < 3; ++p) {
            Ok();
            Settle();
        }
    }
    StepIs(TuneStep::RxIntro, TuneTest::AutoFrontEnd, 0);
    Ok();
    Settle();
    Ok();  // Auto Front-End
    Settle();
    StepIs(TuneStep::FrontEnd, TuneTest::FrontEnd, 0);
    Key(Qt::Key_PageUp);  // Front-End Adj at the Low point
    for (int p = 0; p < 9; ++p) {  // Front-End, Rx FC 8, Rx FC 5: three points each
        scheduler.advance(1600);
        Settle();
        Ok();
        Settle();
    }
    StepIs(TuneStep::RxGain, TuneTest::RxGain, 1);
    Key(Qt::Key_PageUp, Qt::ControlModifier);  // Rx gain
    Ok();
    Settle();
    StepIs(TuneStep::RssiCal, TuneTest::RssiCal, 1);

    // RSSI calibration: four reads per level; the last level ends the tuning tests and the
    // results go to the modem in mode 5.
    for (int level = 0; level < 6; ++level) {
        SCOPED_TRACE(level);
        Settle();
        Ok();
        modem->samples.clear();
        for (int r : kRssiReads[static_cast<std::size_t>(level)]) modem->samples.push_back(TuneBlock(r, 0));
        if (level == 5) dialogs.expectBox("Tuning Complete!  Do you want to Save the Parameters?", MsgAnswer::Yes);
        ASSERT_TRUE(scheduler.advanceUntil(
            [&] { return Dlg().work().calPointIndex == level + 1 || Dlg().work().currentTest != TuneTest::RssiCal; },
            20000));
    }
    const TuneRecord tuned = Dlg().work().tuneRecord;
    UntilWindowsDone();

    const ModemParameters m = ModemHolds();
    EXPECT_EQ(m.serialNumber, 5000u);
    EXPECT_EQ(m.comment, "Default 5726");
    EXPECT_EQ(m.powerAdj, (std::array<std::int16_t, 3>{102, 34, 130}));
    EXPECT_EQ(m.modAdj, (std::array<std::int16_t, 3>{60, 62, 62}));
    EXPECT_EQ(m.masterDeviation, 69);
    EXPECT_EQ(m.frontEndAdj, (std::array<std::int16_t, 3>{31, 31, 32}));
    EXPECT_EQ(m.masterRxGain, 100);
    EXPECT_EQ(m.fcAdj, tuned.fcAdj);
    EXPECT_NE(m.fcAdj.txFc8, defaults.fcAdj.txFc8);
    EXPECT_EQ(m.rssiCalAdj, 0);
    EXPECT_EQ(m.masterPowerMeterCal, 200);
    const AppState& st = ctx.state;
    CalTables expected{};
    BuildPowerTable(st, st, st, expected, PowerCalPoints{st.testParameters.powerPoints.powerWatts, kPowerStored}, false);
    RssiCalPoints rssi = st.testParameters.rssiPoints;
    rssi.adReading = kRssiStored;
    BuildRssiTable(st, st, st, expected, rssi, false);
    EXPECT_TRUE(IsSet(m.calTables.powerTablePresent));
    EXPECT_TRUE(IsSet(m.calTables.rssiTablePresent));
    EXPECT_EQ(m.calTables.powerTable, expected.powerTable);
    EXPECT_EQ(m.calTables.rssiTable, expected.rssiTable);
    EXPECT_TRUE(IsSet(m.calTables.rssiTempTablePresent));
    EXPECT_EQ(m.calTables.rssiTempTable, st.testParameters.rssiTempComp.compressedTable);

    // The verification tests on the written modem, then the packet test.
    win->FocusForm(Tune());
    QApplication::processEvents();
    Settle();
    StepIs(TuneStep::VerifyIntro, TuneTest::RssiVerify, 1);
    RunVerificationTests();
    EXPECT_TRUE(Loaded(ToolWindow::formPacketTst));
    EXPECT_EQ(win->ActiveForm(), ctx.form(ToolWindow::formPacketTst));
    for (int t = 0; t < kTuneTestCount; ++t) EXPECT_TRUE(Dlg().work().testDone[static_cast<std::size_t>(t)]) << t;

    // Close: "T0", and the window goes when the modem acknowledges it.
    win->FocusForm(Tune());
    QApplication::processEvents();
    Settle();
    const int endTests = modem->endTests;
    Click(Tune().buttonClose);
    ASSERT_TRUE(scheduler.advanceUntil([&] { return !Tune().loaded(); }, 2000));
    EXPECT_EQ(modem->endTests, endTests + 1);
}


// The operator sets adjust values in the DAC values editor that Start opens and skips the
// tests with Next: the editor's OK counts its values as tuned, and the save writes them.
TEST_F(TuneInTheProgram, ValuesSetInTheDacEditorAreSavedForSkippedTests) {
    StartProgramWithModem(true, "");
    OpenTune();
    for (QCheckBox* c : Tune().checkTests) c->setChecked(false);
    Tune().checkTests[2]->setChecked(true);
    Tune().checkTests[11]->setChecked(true);
    Click(Tune().buttonStart);
    UntilWindowsDone();
    win->FocusForm(Tune());
    QApplication::processEvents();
    ASSERT_TRUE(Loaded(ToolWindow::formDacVals));
    QWidget* dac = Widget(ToolWindow::formDacVals);
    const char* powerBoxes[] = {"textPowerAdj0", "textPowerAdj1", "textPowerAdj2"};
    const char* powers[] = {"11", "22", "33"};
    for (int i = 0; i < 3; ++i) dac->findChild<NumBox*>(powerBoxes[i])->setText(powers[i]);
    dac->findChild<NumBox*>("textGain")->setText("77");
    Click(dac->findChild<QPushButton*>("buttonOK"));
    EXPECT_FALSE(Loaded(ToolWindow::formDacVals));
    win->FocusForm(Tune());
    QApplication::processEvents();
    Settle();

    StepIs(TuneStep::TxIntro, TuneTest::None, 2);
    Click(Tune().buttonNext);
    StepIs(TuneStep::PowerOutReady, TuneTest::PowerOut, 0);
    Click(Tune().buttonNext);  // Power Out skipped
    StepIs(TuneStep::RxIntro, TuneTest::RxGain, 1);
    Click(Tune().buttonNext);
    StepIs(TuneStep::RxGain, TuneTest::RxGain, 1);
    dialogs.expectBox("Tuning Complete!  Do you want to Save the Parameters?", MsgAnswer::Yes);
    Click(Tune().buttonNext);  // Rx Gain skipped: the tuning tests are over
    UntilWindowsDone();
    const ModemParameters m = ModemHolds();
    EXPECT_EQ(m.powerAdj, (std::array<std::int16_t, 3>{11, 22, 33}));
    EXPECT_EQ(m.masterRxGain, 77);
    EXPECT_EQ(m.serialNumber, 123456u);
    EXPECT_EQ(m.comment, "Bench unit");
    EXPECT_FALSE(IsSet(m.calTables.powerTablePresent));  // Power Cal was not run
}

// A production run of the verification tests alone ends in the packet test window: opened
// when it is not, brought to the front (one window still) when it is.
class TuneHandsOver : public TuneInTheProgram, public ::testing::WithParamInterface<bool> {};

TEST_P(TuneHandsOver, AVerificationRunEndsInThePacketTestWindow) {
    const bool packetOpen = GetParam();
    StartProduction();
    if (packetOpen) {
        win->action("menuTestPacketTest")->trigger();
        QApplication::processEvents();
        ASSERT_TRUE(Loaded(ToolWindow::formPacketTst));
    }
    OpenTune();
    for (QCheckBox* c : Tune().checkTests) c->setChecked(false);
    Tune().checkTests[13]->setChecked(true);
    Tune().checkTests[14]->setChecked(true);
    dialogs.expectBox("Do you want to Over-Write Program Parameters", MsgAnswer::No);
    Click(Tune().buttonStart);
    UntilWindowsDone();
    win->FocusForm(Tune());
    QApplication::processEvents();
    Widget(ToolWindow::formDacVals)->close();
    win->FocusForm(Tune());
    QApplication::processEvents();
    StepIs(TuneStep::VerifyIntro, TuneTest::None, 2);
    RunVerificationTests();
    ASSERT_TRUE(Loaded(ToolWindow::formPacketTst));
    EXPECT_EQ(win->ActiveForm(), ctx.form(ToolWindow::formPacketTst));
    int packetWindows = 0;
    for (QMdiSubWindow* sub : win->mdiArea()->subWindowList())
        if (sub->widget() == Widget(ToolWindow::formPacketTst)) ++packetWindows;
    EXPECT_EQ(packetWindows, 1);
    EXPECT_EQ(dialogs.boxes.size(), 1u);  // no save question after verification tests
}

INSTANTIATE_TEST_SUITE_P(PacketTest, TuneHandsOver, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "AlreadyOpen" : "Closed"); });

// ---- the window going while the modem is in a test mode

enum class Leave { CloseBox, SwapPorts, Shutdown };

struct LeaveCase {
    const char* name;
    Leave how;
};

void PrintTo(const LeaveCase& c, std::ostream* os) { *os << c.name; }

// The window keyed on the TCXO step, the only test ticked.
class TuneKeyedOnTcxo : public TuneInTheProgram, public ::testing::WithParamInterface<LeaveCase> {
protected:
    void KeyOnTcxo() {
        StartProgramWithModem(true, "");
        OpenTune();
        for (QCheckBox* c : Tune().checkTests) c->setChecked(false);
        Tune().checkTests[0]->setChecked(true);
        Click(Tune().buttonStart);
        UntilWindowsDone();
        win->FocusForm(Tune());
        QApplication::processEvents();
        StepIs(TuneStep::TxIntro, TuneTest::None, 2);
        Ok();
        Ok();  // keyed
        Settle();
        ASSERT_TRUE(Dlg().transmitSelected());
    }
    void CloseByBox() {
        auto* sub = qobject_cast<QMdiSubWindow*>(Tune().parentWidget());
        ASSERT_NE(sub, nullptr);
        sub->close();
    }
};

using TuneLeavesTheModem = TuneKeyedOnTcxo;

// Keyed on the TCXO step, the window goes by its close box, by Swap Comm Ports or with the
// program: the modem gets "T0" on the port the window used, and nothing keys it afterwards.
TEST_P(TuneLeavesTheModem, EndsTheTestModeOnThePortTheWindowUsed) {
    KeyOnTcxo();
    ASSERT_TRUE(Dlg().modemInTestMode());
    ASSERT_EQ(Lines("T0"), 0u);

    switch (GetParam().how) {
    case Leave::CloseBox:
        CloseByBox();
        break;
    case Leave::SwapPorts:
        win->action("menuUtilsSwapPorts")->trigger();
        break;
    case Leave::Shutdown:
        EXPECT_TRUE(Close());
        break;
    }
    QApplication::processEvents();
    scheduler.advance(100);
    EXPECT_EQ(Lines("T0"), 1u);
    EXPECT_EQ(modem->endTests, 1);
    EXPECT_FALSE(Dlg().modemInTestMode());
    const std::size_t seen = modem->received.size();
    scheduler.advance(5000);
    if (GetParam().how != Leave::SwapPorts) {
        EXPECT_EQ(modem->received.size(), seen);  // nothing is sent to the modem afterwards
        return;
    }
    // The window stays, no longer transmitting: back on the step that keys, it polls its port
    // (in this bench the port object keeps its cable across the swap) and keys nothing.
    StepIs(TuneStep::TcxoReady, TuneTest::Tcxo, 1);
    EXPECT_FALSE(Dlg().transmitSelected());
    ASSERT_GT(modem->received.size(), seen);
    for (std::size_t i = seen; i < modem->received.size(); ++i) EXPECT_EQ(modem->received[i].text, "AS");
}

INSTANTIATE_TEST_SUITE_P(Ways, TuneLeavesTheModem,
                         ::testing::Values(LeaveCase{"CloseBox", Leave::CloseBox}, LeaveCase{"SwapPorts", Leave::SwapPorts},
                                           LeaveCase{"Shutdown", Leave::Shutdown}),
                         [](const auto& info) { return std::string(info.param.name); });

// The same with the adapter of the primary port pulled first: nothing reaches the radio, and
// the close box or Swap Comm Ports tells the operator that it may still be transmitting and the
// unkey could not be sent.
using TuneLeavesALostPort = TuneKeyedOnTcxo;

TEST_P(TuneLeavesALostPort, TellsThatTheUnkeyCouldNotBeSent) {
    KeyOnTcxo();
    dialogs.expectBox("Lost Com Port 1");
    modemCable->a().unplug();
    QApplication::processEvents();
    const std::size_t seen = modem->received.size();
    dialogs.expectBox("Com Port 1 is not open! The radio may still be transmitting: the unkey could not be sent.");
    if (GetParam().how == Leave::CloseBox) {
        CloseByBox();
    } else {
        // The primary port should be open, so the swap opens it on Com 2's device, which this
        // bench does not have.
        dialogs.expectBox("Could Not Open Com Port 2\r\nNo such file or directory");
        win->action("menuUtilsSwapPorts")->trigger();
    }
    QApplication::processEvents();
    scheduler.advance(3000);
    QApplication::processEvents();
    dialogs.verify();
    EXPECT_EQ(modem->received.size(), seen);
    EXPECT_EQ(Tune().loaded(), GetParam().how == Leave::SwapPorts);
}

INSTANTIATE_TEST_SUITE_P(Ways, TuneLeavesALostPort,
                         ::testing::Values(LeaveCase{"CloseBox", Leave::CloseBox},
                                           LeaveCase{"SwapPorts", Leave::SwapPorts}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace k45::test
