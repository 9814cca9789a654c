// The Tune Radio window and the production parameter editor on the offscreen platform,
// driven through their controls. Screenshots go to K45_SCREENSHOT_DIR when it is set.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <cstdlib>

#include "programming/programming_bench.h"
#include "support/keyboard_reach.h"
#include "tuning/ui/prod_freqs_window.h"
#include "tuning/ui/tune_window.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

void Screenshot(QWidget& w, const char* name) {
    const QPixmap pm = w.grab();
    EXPECT_FALSE(pm.isNull()) << name;
    if (const char* dir = std::getenv("K45_SCREENSHOT_DIR")) {
        EXPECT_TRUE(pm.save(QString("%1/%2.png").arg(dir, name)));
    }
}

class TuneWindowTest : public ProgrammingBench {
protected:
    TuneWindowTest() { ini = home.file("K45MR.ini"); }
    std::string ini;
};

TEST_F(TuneWindowTest, OpensOnTheStartScreenWithTheSelectionOfTheDataAndTheSavedTicks) {
    home.write("K45MR.ini", "[Tune Test Window]\r\nTest_07=0\r\nRx Freq Offset Index=1\r\nMod Balance Tx Time=60\r\n");
    ctx.state.mainParameters.radioType = 1;
    ctx.state.mainParameters.radioRange = 0;
    ctx.state.mainParameters.sa7026Synthesizer = kTrue;
    ctx.state.mainParameters.serialNumber = 1024;
    formTune win(ctx);
    mainFrame.active = &win;
    win.RestoreFormParameters(ini, "Tune Test Window");
    win.show();
    ASSERT_TRUE(win.loaded());
    EXPECT_EQ(win.labelTestTitle->text(), "Connect Modem to Computer and Supply Power.");
    EXPECT_EQ(win.comboRadioType->currentText(), "5726");
    EXPECT_TRUE(win.optionSa7026Synth->isChecked());
    EXPECT_EQ(win.textShortId->text(), "+ 0");
    EXPECT_FALSE(win.checkTests[7]->isChecked());
    EXPECT_TRUE(win.checkTests[8]->isChecked());
    EXPECT_EQ(win.comboRxOffset->currentText(), "-75 kHz");
    EXPECT_EQ(win.dialogue().work().rxOffsetHz, -75000);
    EXPECT_EQ(win.labelTxTime->text(), "60 S");
    // Outside production mode the radio cannot be changed, the synthesizer and tests can.
    EXPECT_FALSE(win.comboRadioType->isEnabled());
    EXPECT_TRUE(win.textLongId->locked());
    EXPECT_TRUE(win.optionSa7025Synth->isEnabled());
    EXPECT_FALSE(win.labelTestState->isVisibleTo(&win));

    // SA7025 disables the FC tests but keeps their ticks.
    win.optionSa7025Synth->setChecked(true);
    for (int t : {5, 6, 9, 10}) {
        EXPECT_FALSE(win.checkTests[static_cast<std::size_t>(t)]->isEnabled()) << t;
        EXPECT_TRUE(win.checkTests[static_cast<std::size_t>(t)]->isChecked()) << t;
    }
    win.optionSa7026Synth->setChecked(true);
    EXPECT_TRUE(win.checkTests[5]->isEnabled());
    win.comboTxOffset->setCurrentIndex(16);
    EXPECT_EQ(win.dialogue().work().txOffsetHz, 600000);
    win.scrollTxTime->setValue(win.scrollTxTime->maximum());
    EXPECT_EQ(win.labelTxTime->text(), "60 S");
    win.textLongId->setText("1023");
    EXPECT_EQ(win.textShortId->text(), "  1023");
    Screenshot(win, "tune_radio");

    win.close();
    EXPECT_FALSE(win.loaded());
    win.SaveFormParameters(ini, "Tune Test Window");
    const std::string text = home.read("K45MR.ini");
    EXPECT_NE(text.find("Test_07=0"), std::string::npos);
    EXPECT_NE(text.find("Tx Freq Offset Index=16"), std::string::npos);
    EXPECT_FALSE(home.exists("tune.ini"));  // not in engineering mode
}

TEST_F(TuneWindowTest, ProductionModeSelectsTheRadioAndShowsTheRxBandForTheFirstRange) {
    ctx.state.productionMode = true;
    ctx.state.mainParameters.radioType = 0;
    ctx.state.mainParameters.radioRange = 0;
    formTune win(ctx);
    mainFrame.active = &win;
    win.show();
    EXPECT_TRUE(win.comboRadioType->isEnabled());
    EXPECT_FALSE(win.textLongId->locked());
    EXPECT_TRUE(win.pictureRxHighLow->isVisibleTo(&win));
    win.comboRadioRange->setCurrentIndex(3);
    EXPECT_FALSE(win.pictureRxHighLow->isVisibleTo(&win));
    win.comboRadioType->setCurrentIndex(1);
    EXPECT_TRUE(win.checkTests[7]->isEnabled());
    win.close();
}

TEST_F(TuneWindowTest, PageKeysAnywhereInTheWindowReachTheAdjustValue) {
    formTune win(ctx);
    mainFrame.active = &win;
    win.show();
    TuneDialogue& d = win.dialogue();
    d.Stage([&](TuneWork& w) {
        w.currentStep = TuneStep::RxGain;
        w.adjustIndex = TuneAdjust::RxGain;
        w.tuneRecord.rxGainAdj = 250;
    });
    QKeyEvent ctrlPgUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::ControlModifier);
    QApplication::sendEvent(win.comboRxOffset, &ctrlPgUp);
    EXPECT_EQ(d.work().tuneRecord.rxGainAdj, 4);
    EXPECT_EQ(win.labelCurrentAdjValue->text(), "4");
    EXPECT_EQ(win.comboRxOffset->currentIndex(), 0);  // consumed: the list did not move
    ASSERT_FALSE(hostWrites("T1").empty());
    win.close();
    sched.advance(100);
    EXPECT_FALSE(hostWrites("T0").empty());  // the close box ends the test mode
}

// Every step screen shows its title, directions and description whole at the size the window
// opens at, and every control of the window can be reached with Tab.
TEST_F(TuneWindowTest, EveryStepScreenFitsTheWindowAndTabReachesEveryControl) {
    ctx.state.productionMode = true;
    formTune win(ctx);
    mainFrame.active = &win;
    win.show();
    QApplication::processEvents();
    const QSize opened = win.size();
    EXPECT_EQ(ControlsOutOfKeyboardReach(win), std::vector<std::string>{});
    TuneDialogue& d = win.dialogue();
    d.Stage([&](TuneWork& w) {
        w.testPoints[1].rxFrequency = 451000000;
        w.testPoints[1].txFrequency = 456000000;
        w.currentPoint = 1;
        w.tuneRecord.radioType = 1;
        w.tuneRecord.channelBandwidth = 0;
        w.powerCalPoints.powerWatts = {0.5f, 1.0f, 2.0f, 3.0f, 5.0f};
        w.rssiCalPoints.levelCode = {10, 20, 40, 60, 80, 100};
    });
    for (const TuneStepRow& row : StepRows()) {
        SCOPED_TRACE(StepNumber(row.step));
        d.Stage([&](TuneWork& w) { w.currentStep = row.step; });
        d.ShowTuneStep();
        QApplication::processEvents();
        EXPECT_EQ(win.size(), opened);
        for (QLabel* l : {win.labelTestTitle, win.labelTestDirections, win.labelTestDescription})
            EXPECT_GE(l->height(), l->heightForWidth(l->width())) << l->text().toStdString();
    }
    win.close();
}

class ProdFreqsTest : public ProgrammingBench {
protected:
    ProdFreqsTest() {
        ctx.state.testParameters = ctx.state.testDefaults;
        ctx.state.testParameters.radioType = 0;
        ctx.state.testParameters.radioRange = 0;
        ctx.state.radioTypeEnabled = {true, true, true};
        for (auto& r : ctx.state.rangeEnabled) r.fill(true);
    }
    std::int32_t LowRx(const ProductionTestRecord& r, int type, int range) const {
        return r.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(type, range, 0))].rxFrequency;
    }
};

TEST_F(ProdFreqsTest, EditsReachTheRecordOnlyThroughOkAndSurviveRangeSwitches) {
    const ProductionTestRecord before = ctx.state.testParameters;
    {
        formProdFreqs win(ctx);
        win.show();
        win.textRxFreq[0]->setText("406.000000");
        win.buttonCancel->click();
        EXPECT_EQ(ctx.state.testParameters, before);
    }
    formProdFreqs win(ctx);
    win.show();
    EXPECT_EQ(win.labelDefaultTune[0]->text(), "Pwr");
    win.textRxFreq[0]->setText("406.000000");
    win.comboRadioRange->setCurrentIndex(win.comboRadioRange->findData(2));
    win.comboRadioRange->setCurrentIndex(win.comboRadioRange->findData(0));
    EXPECT_EQ(win.textRxFreq[0]->text(), "406.000000");
    Screenshot(win, "prod_freqs");
    win.buttonOK->click();
    EXPECT_FALSE(win.loaded());
    EXPECT_EQ(LowRx(ctx.state.testParameters, 0, 0), 406000000);
    EXPECT_EQ(ctx.state.testParameters.rssiPoints.levelCode, ctx.state.testParameters.rssiTempComp.levelCode);
}

TEST_F(ProdFreqsTest, TabReachesEveryControlOnEveryPage) {
    formProdFreqs win(ctx);
    win.show();
    EXPECT_EQ(ControlsOutOfKeyboardReach(win), std::vector<std::string>{});
    // Pressing Tab on each page comes round to every control of the page, OK and Cancel included.
    for (int page = 0; page < win.tabProductionFreqs->count(); ++page) {
        SCOPED_TRACE(page);
        win.tabProductionFreqs->setCurrentIndex(page);
        EXPECT_EQ(ControlsTabNeverFocuses(win), std::vector<std::string>{});
        EXPECT_TRUE(win.buttonOK->isVisible() && win.buttonCancel->isVisible());
    }
    win.close();
}

TEST_F(ProdFreqsTest, TuneGridColumnsStoreIntoWhatTheyShowedBeforeTheMove) {
    formProdFreqs win(ctx);
    win.show();
    win.textDefault[0][1]->setText("42");  // Pwr, Mid
    win.scrollTuneParms->setValue(4);
    EXPECT_EQ(win.labelDefaultTune[0]->text(), "RxFC5");
    EXPECT_EQ(win.labelDefaultTune[2]->text(), "TxFC5");
    win.textDefault[2][2]->setText("7");  // TxFC5, High
    EXPECT_TRUE(win.SaveChanges());
    EXPECT_EQ(ctx.state.testParameters.defaultDacValues.powerAdj[1], 42);
    EXPECT_EQ(ctx.state.testParameters.defaultDacValues.fcAdj.txFc5[2], 7);
    win.tabProductionFreqs->setCurrentIndex(2);
    EXPECT_FALSE(win.frameFrequencySettings->isEnabled());
    EXPECT_TRUE(win.frameRssi->isEnabled());
    win.scrollRssiDbmValue->setValue(0);
    EXPECT_EQ(win.labelRssiDbmValue->text(), "-130 dBm");
    win.tabProductionFreqs->setCurrentIndex(1);
    win.scrollTxTime->setValue(1);
    EXPECT_EQ(win.labelTxTime->text(), "1 S");
    win.textGainAdj->setText("");
    const std::int16_t gain = ctx.state.testParameters.defaultDacValues.rxGainAdj;
    win.SaveChanges();
    EXPECT_EQ(ctx.state.testParameters.defaultDacValues.rxGainAdj, gain);  // an emptied box keeps its field
    win.close();
}

TEST_F(ProdFreqsTest, ALoadedTestFileIsShownWithoutMixingInTheBoxesOfThePreviousRecord) {
    formProdFreqs win(ctx);
    win.show();
    win.textRxFreq[0]->setText("407.000000");  // not stored yet
    ProductionTestRecord loaded = ctx.state.testDefaults;
    loaded.radioType = 2;
    loaded.radioRange = 5;
    ctx.state.testParameters = loaded;
    win.UpdateChanges();
    EXPECT_EQ(win.editTestParameters(), loaded);
    EXPECT_EQ(win.comboRadioType->currentData().toInt(), 2);
    EXPECT_EQ(win.comboRadioRange->currentData().toInt(), 5);
    win.textRxFreq[0]->setText("408.000000");
    win.SaveChanges();
    EXPECT_EQ(LowRx(ctx.state.testParameters, 2, 5), 408000000);  // into the type and range shown
    EXPECT_EQ(LowRx(ctx.state.testParameters, 0, 0), LowRx(loaded, 0, 0));
    win.close();
    win.UpdateChanges();  // closed: nothing
    EXPECT_FALSE(win.SaveChanges());
}

TEST_F(ProdFreqsTest, DroppingABoxCopiesItsTextAndTheRecordChangesAtTheNextStore) {
    formProdFreqs win(ctx);
    win.show();
    win.tabProductionFreqs->setCurrentIndex(1);
    win.textGainAdj->setText("99");
    win.textDevAdj->DragDrop(*win.textGainAdj);
    EXPECT_EQ(win.textDevAdj->text(), "99");
    EXPECT_EQ(win.textGainAdj->text(), "99");
    EXPECT_NE(ctx.state.testParameters.defaultDacValues.txDeviationAdj, 99);
    win.SaveChanges();
    EXPECT_EQ(ctx.state.testParameters.defaultDacValues.txDeviationAdj, 99);
    win.close();
}

}  // namespace
}  // namespace k45::test
