// The production windows on the offscreen platform, shown without a main window (each is then
// its own active child) against the simulated modem, with the real current-parameter reader.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

#include "base/converters.h"
#include "production/panel_bench.h"
#include "production/ui/eng_test_window.h"
#include "production/ui/panel_main_frame.h"
#include "production/ui/power_cal_window.h"
#include "production/ui/prod_test_window.h"
#include "production/ui/rssi_cal_window.h"
#include "production/ui/temp_comp_window.h"
#include "production/ui/user_test_window.h"
#include "programming/ui/parms_get_current_window.h"
#include "support/keyboard_reach.h"
#include "wiring/tool_window_ids.h"

namespace k45::test {
namespace {

void KeyClick(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

// Drops source on target as the right-button drag gesture would, once the window system let the
// target take drops; true when the target took it.
bool Drop(NumBox* source, NumBox* target) {
    if (!target->acceptDrops()) return false;
    QMimeData mime;
    mime.setData(NumBox::kMimeType, QByteArray::number(reinterpret_cast<quintptr>(source)));
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

class ProductionWindows : public PanelBench {
protected:
    ProductionWindows() {
        ctx.mainFrame = &frame;
        ctx.formParmsGetCurrent = &readerWindow;
        frame.readerForm = &readerWindow;
    }
    // Shown and activated; once the reader has closed the window is active again.
    template <class W>
    void Open(W& w) {
        frame.panel = &w;
        w.show();
        w.Form_Activate();
        ASSERT_TRUE(RunUntil([&] { return frame.shown.size() >= 1 && !readerWindow.loaded(); }));
        w.Form_Activate();
    }
    ~ProductionWindows() override {
        for (QWidget* w : std::initializer_list<QWidget*>{&prod, &eng, &user, &power, &rssi, &temp}) w->close();
        readerWindow.close();
        sched.advance(100);
    }
    bool RunUntil(const std::function<bool()>& p, std::int64_t ms = 20000) { return sched.advanceUntil(p, ms); }
    PanelMainFrame frame;
    formParmsGetCurrent readerWindow{ctx};
    formProdTest prod{ctx};
    formUserTest user{ctx};
    formEngTest eng{ctx};
    formProgPwr power{ctx};
    formProgRssi rssi{ctx};
    formTempComp temp{ctx};
};

TEST_F(ProductionWindows, ProductionTestReadsTunesAndAnswersItsKeys) {
    ctx.Register(ToolWindow::formProgPwr, power);
    Open(prod);
    ASSERT_TRUE(RunUntil([&] { return !Sent("T1").empty() && prod.dialogue().dialogState() == TestPanelState::Idle; }));
    const TuneRecord& t = prod.dialogue().tuneRecord();
    EXPECT_EQ(prod.textRxFreq->text().toStdString(), FormatMHz(t.rxFrequency, ctx.state.locale));
    EXPECT_EQ(prod.comboRadioType->currentData().toInt(), modemRecord.radioType);
    EXPECT_EQ(prod.comboRadioRange->currentData().toInt(), modemRecord.radioRange);
    KeyClick(prod.comboChannel, Qt::Key_F5);
    EXPECT_EQ(prod.diags.labelXcvrStatus->text(), "Tx'ing");
    EXPECT_TRUE(IsSet(prod.dialogue().tuneRecord().txSelected));
    prod.comboRxOffset->setCurrentIndex(4);  // code selection: no handler, nothing sent
    frame.panel = &prod;
    KeyClick(prod.comboChannel, Qt::Key_F3);
    ASSERT_FALSE(frame.shown.empty());
    EXPECT_EQ(frame.shown.back(), static_cast<ToolForm*>(&power));
    EXPECT_EQ(power.dialogue().settings().rxFreqOffset, 0);
    power.close();
    prod.buttonClose->click();
    ASSERT_TRUE(RunUntil([&] { return !prod.loaded(); }, 3000));
    EXPECT_EQ(LastRadioCommand(), "T0");
}

TEST_F(ProductionWindows, UserTestShowsTheSwitchesAndTheChannel) {
    modem.switchSetting = 1;
    modemRecord.channelOverride = 0;
    modem.loadRecord(ctx.state, modemRecord, kModemStamp);
    Open(user);
    ASSERT_TRUE(RunUntil([&] { return !Sent("T1").empty(); }));
    EXPECT_EQ(user.labelSwitchSetting->text(), "DIP Switches (or CS0, CS1 and CS2) are set to Channel 2.");
    EXPECT_EQ(user.labelChannelWarning->text(), "Note: Channel 8 is Not redirected to any Channel.");
    EXPECT_EQ(user.textTxFreq->text().toStdString(), FormatMHz(modemRecord.channels[1].txFrequency, ctx.state.locale));
}

TEST_F(ProductionWindows, PowerCalibrationKeysOnOkAndUnkeysOnCancel) {
    Open(power);
    ASSERT_TRUE(
        RunUntil([&] { return power.dialogue().dialogState() == CalibrationState::Idle && !Sent("T1").empty(); }));
    EXPECT_EQ(power.labelProg->text(), "Modem will Transmit on");
    power.buttonOK->click();
    EXPECT_TRUE(power.dialogue().keyed());
    EXPECT_TRUE(power.labelLevel->text().startsWith("Adjust Power (Page Up/Dn) for "));
    KeyClick(power.buttonOK, Qt::Key_PageUp);
    EXPECT_EQ(power.labelPwrAdj->text().toInt(), power.dialogue().tuneRecord().powerValue);
    power.buttonCancel->click();
    EXPECT_FALSE(power.loaded());
    TuneRecord rx = power.dialogue().tuneRecord();
    rx.txSelected = kFalse;
    rx.synthFrequency = rx.rxFrequency;
    EXPECT_EQ(LastRadioCommand(), TuneLine(rx));
}

TEST_F(ProductionWindows, RssiWindowsShowTheGeneratorSettingsAndPoll) {
    Open(rssi);
    ASSERT_TRUE(RunUntil([&] { return rssi.dialogue().parametersTaken(); }));
    sched.advance(2000);
    EXPECT_EQ(rssi.labelProg->text(), "Set Signal Generator to");
    EXPECT_EQ(rssi.labelLevel->text().toStdString(),
              FormatRssiDbm(ctx.state.testParameters.rssiPoints.levelCode[0]));
    EXPECT_FALSE(Sent("AT").empty());
    rssi.close();
    Open(temp);
    ASSERT_TRUE(RunUntil([&] { return temp.dialogue().parametersTaken(); }));
    EXPECT_EQ(temp.labelLevel->text().toStdString(),
              "Set Temperature Chamber to " + std::to_string(ctx.state.testParameters.rssiTempComp.temperature[0]) + " C.");
    temp.buttonSkip->click();
    EXPECT_EQ(temp.dialogue().levelIndex(), 1);
}

// The calibration windows offer the buttons that act on the modem's parameters only once the
// parameters are read; Cancel works throughout.
TEST_F(ProductionWindows, CalibrationButtonsAreOfferedOnceTheParametersAreRead) {
    auto check = [&](auto& w, std::vector<QPushButton*> buttons) {
        SCOPED_TRACE(w.objectName().toStdString());
        frame.panel = &w;
        w.show();
        w.Form_Activate();
        ASSERT_TRUE(readerWindow.loaded());
        for (QPushButton* b : buttons) EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_TRUE(w.buttonCancel->isEnabled());
        ASSERT_TRUE(RunUntil([&] { return w.dialogue().parametersTaken(); }));
        for (QPushButton* b : buttons) EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
        w.close();
        RunUntil([&] { return !readerWindow.loaded(); }, 2000);
    };
    check(power, {power.buttonOK, power.buttonClear});
    check(rssi, {rssi.buttonOK, rssi.buttonClear});
    check(temp, {temp.buttonOK, temp.buttonClear, temp.buttonSkip, temp.buttonSkipToEnd});
}

// Drag copy between the numeric boxes: in the production panel only the direct value takes a
// drop; in the engineer panel every box does, and a dropped frequency is the one the next
// send uses; the user test's boxes take none.
TEST_F(ProductionWindows, NumericBoxesCopyByDragWhereThePanelTakesIt) {
    Open(prod);
    ASSERT_TRUE(RunUntil([&] { return !Sent("T1").empty() && prod.dialogue().dialogState() == TestPanelState::Idle; }));
    EXPECT_FALSE(Drop(prod.textDirectDac, prod.textRxFreq));
    EXPECT_FALSE(Drop(prod.textRxFreq, prod.textTxFreq));
    prod.textDirectDac->setText("7");
    ASSERT_TRUE(Drop(prod.textRxFreq, prod.textDirectDac));
    EXPECT_EQ(prod.textDirectDac->text(), prod.textRxFreq->text());
    EXPECT_NE(prod.textRxFreq->text().toStdString(), "7");
    prod.close();

    Open(eng);
    ASSERT_TRUE(RunUntil(
        [&] { return eng.dialogue().parametersTaken() && eng.dialogue().dialogState() == TestPanelState::Idle; }));
    eng.textTxFreq->setText("451.125000");
    ASSERT_TRUE(Drop(eng.textTxFreq, eng.textRxFreq));
    EXPECT_EQ(eng.textRxFreq->text(), "451.125000");
    ASSERT_TRUE(Drop(eng.textRxFreq, eng.textDirectDac));
    KeyClick(eng.textDirectDac, Qt::Key_F6);
    ASSERT_TRUE(RunUntil([&] { return eng.dialogue().dialogState() == TestPanelState::Idle; }, 3000));
    EXPECT_EQ(eng.dialogue().tuneRecord().rxFrequency, 451125000);
    eng.close();

    Open(user);
    EXPECT_FALSE(Drop(user.textTxFreq, user.textRxFreq));
}

// The range list keeps "0".."9" until the operator changes the type while a range is chosen;
// the modem's own range is shown and sent also when the refilled list lacks it.
TEST_F(ProductionWindows, TheRangeListRefillsOnlyForTheOperatorAndNeverReplacesTheModemsRange) {
    const int type = modemRecord.radioType;
    const int other = (type + 1) % 3;
    ctx.state.radioTypeEnabled = {true, true, true};
    for (auto& ranges : ctx.state.rangeEnabled) ranges.fill(true);
    ctx.state.rangeEnabled[static_cast<std::size_t>(other)].fill(false);
    ctx.state.rangeEnabled[static_cast<std::size_t>(other)][0] = true;
    ctx.state.rangeEnabled[static_cast<std::size_t>(type)].fill(false);
    ctx.state.rangeEnabled[static_cast<std::size_t>(type)][0] = true;
    ASSERT_NE(modemRecord.radioRange, 0);
    Open(prod);
    ASSERT_TRUE(RunUntil([&] { return !Sent("T1").empty() && prod.dialogue().dialogState() == TestPanelState::Idle; }));
    EXPECT_EQ(prod.comboRadioRange->count(), 10);
    EXPECT_EQ(prod.comboRadioRange->currentData().toInt(), modemRecord.radioRange);

    // The operator picks the other type: the list offers its one range, which is chosen.
    prod.comboRadioType->setCurrentIndex(prod.comboRadioType->findData(other));
    emit prod.comboRadioType->activated(prod.comboRadioType->currentIndex());
    EXPECT_EQ(prod.comboRadioRange->count(), 1);
    EXPECT_EQ(prod.dialogue().tuneRecord().radioRange, 0);

    // A new read of the modem shows its own type and range again, and sends them.
    KeyClick(prod.comboChannel, Qt::Key_F9);
    ASSERT_TRUE(RunUntil([&] { return !readerWindow.loaded() && prod.dialogue().parametersTaken(); }));
    prod.Form_Activate();
    ASSERT_TRUE(RunUntil([&] { return prod.dialogue().dialogState() == TestPanelState::Idle; }, 3000));
    EXPECT_EQ(prod.comboRadioType->currentData().toInt(), type);
    EXPECT_EQ(prod.comboRadioRange->currentData().toInt(), modemRecord.radioRange);
    EXPECT_EQ(prod.dialogue().tuneRecord().radioRange, modemRecord.radioRange);
    TuneRecord sent = prod.dialogue().tuneRecord();
    EXPECT_EQ(Sent("T1").back(), TuneLine(sent));
}

TEST_F(ProductionWindows, EveryControlOfEveryProductionWindowIsReachedByTab) {
    for (QWidget* w : std::initializer_list<QWidget*>{&prod, &eng, &user, &power, &rssi, &temp})
        EXPECT_EQ(ControlsOutOfKeyboardReach(*w), std::vector<std::string>{}) << w->objectName().toStdString();
}

}  // namespace
}  // namespace k45::test
