// Parameter editor scenarios on the offscreen platform: the copy and its round trips, the
// channel-frequency check and the field it selects, Default Freqs, the list rules, the channel
// rows, and the hand-over with the timing editor.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <memory>

#include "base/converters.h"
#include "wiring/tool_window_ids.h"
#include "programming/ui/dac_vals_window.h"
#include "programming/ui/editor_fixture.h"
#include "programming/ui/mdm_times_window.h"
#include "programming/ui/radio_parms_window.h"
#include "radio/channel_plan.h"
#include "radio/channel_validation.h"
#include "platform/qt/qt_text.h"
#include "support/keyboard_reach.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

class RadioParmsWindow : public EditorFixture {
protected:
    RadioParmsWindow() {
        ctx.Register(ToolWindow::formRadioParms, *editor);
        ctx.Register(ToolWindow::formMdmTimes, *timing);
    }
    void Open() {
        ShowActive(*editor);
        ASSERT_TRUE(editor->loaded());
    }
    ModemParameters& main() { return ctx.state.mainParameters; }

    std::unique_ptr<formRadioParms> editor = std::make_unique<formRadioParms>(ctx);
    std::unique_ptr<formMdmTimes> timing = std::make_unique<formMdmTimes>(ctx);
};

TEST_F(RadioParmsWindow, UnchangedRecordSurvivesTheRoundTrip) {
    main().comment = "Caf\xE9 \x80 5";  // Windows-1252 bytes
    main().serialNumber = 4294967295.0;
    main().setupTime = 1709820309;
    const ModemParameters before = main();
    Open();
    EXPECT_EQ(editor->textLastConfigured->text(), "03/07/2024 02:05:09 PM");
    EXPECT_EQ(editor->textComment->text(), QString::fromUtf8("Café € 5"));
    EXPECT_EQ(editor->textShortId->text(), "+ 1023");
    EXPECT_TRUE(editor->SaveChanges());
    EXPECT_EQ(main(), before);
    ASSERT_EQ(mainFrame.unitIds.size(), 1u);
    EXPECT_EQ(mainFrame.unitIds[0], 4294967295.0);
}

TEST_F(RadioParmsWindow, EditsReachTheRecordOnlyThroughSaveChanges) {
    Open();
    editor->textLongId->setText("2049");
    EXPECT_EQ(editor->textShortId->text(), "+ 1");
    editor->textComment->setText("Pump station 7");
    editor->checkOnlineDiag->setChecked(!IsSet(main().diagEnable));
    editor->scrollPttWatchdogTime->setValue(45);
    EXPECT_EQ(editor->labelPttWatchdogTime->text(), "45 S");
    editor->scrollRssiOn->setValue(30);
    EXPECT_EQ(editor->labelRssiOn->text(), "-100 dBm");
    editor->textRxFreq[1]->setText("455.5");
    editor->textPwrSetting[1]->setText("128");
    const ModemParameters before = main();
    EXPECT_EQ(main(), before);

    EXPECT_TRUE(editor->SaveChanges());
    EXPECT_EQ(main().serialNumber, 2049);
    EXPECT_EQ(main().comment, "Pump station 7");
    EXPECT_EQ(main().diagEnable, ToFlag(!IsSet(before.diagEnable)));
    EXPECT_EQ(main().pttTimeout, 45.0f);
    EXPECT_EQ(main().rssiOnThreshold, 30);
    EXPECT_EQ(main().channels[1].rxFrequency, 455500000);
    EXPECT_EQ(main().powerAdjust[1], 128);
    EXPECT_EQ(main().channels[0], before.channels[0]);
}

TEST_F(RadioParmsWindow, CommentIsSelectedWholeWhenFocused) {
    Open();
    editor->textLongId->setFocus();
    editor->textComment->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(editor->textComment->selectedText(), editor->textComment->text());
    EXPECT_FALSE(editor->textComment->text().isEmpty());
}

TEST_F(RadioParmsWindow, UpdateChangesShowsTheSharedRecordAndDropsEdits) {
    Open();
    editor->textComment->setText("typed, never saved");
    main().comment = "from a data file";
    main().channels[2].txFrequency = 461250000;
    main().numberOfWrites = 12;
    editor->UpdateChanges();
    EXPECT_EQ(editor->textComment->text(), "from a data file");
    EXPECT_EQ(editor->textTxFreq[2]->text(), "461.250000");
    EXPECT_EQ(editor->textTotalConfigurations->text(), "12");
    EXPECT_EQ(editor->editParameters(), main());
}

TEST_F(RadioParmsWindow, CancelDropsTheEditsAndTheNextLoadShowsTheRecord) {
    Open();
    const ModemParameters before = main();
    editor->textComment->setText("dropped");
    editor->buttonDefaultFreqs->click();
    editor->buttonCancel->click();
    EXPECT_FALSE(editor->loaded());
    EXPECT_EQ(main(), before);
    Open();
    EXPECT_EQ(editor->textComment->text(), QString::fromStdString(before.comment));
    EXPECT_EQ(editor->editParameters(), before);
}

TEST_F(RadioParmsWindow, RefusedFrequencySelectsItsBoxAndKeepsTheRecord) {
    Open();
    const ModemParameters before = main();
    // Channel 6 Rx (index 13) far below the working range of the 450..470 MHz radio.
    editor->SelectFrequencyInError(13);
    editor->textRxFreq[1]->setText("440.000000");
    editor->tabModemRadioParms->setCurrentIndex(0);
    dialogs.expectBox("Rx Frequency (440.000000 MHz) for Channel 6 is out of Working Range (too LOW)!");
    editor->buttonOK->click();
    EXPECT_EQ(dialogs.boxes.back().title, "Frequency Out Of Range!");
    EXPECT_TRUE(editor->loaded());
    EXPECT_EQ(main(), before);
    EXPECT_TRUE(mainFrame.unitIds.empty());
    EXPECT_EQ(editor->tabModemRadioParms->currentIndex(), 2);
    EXPECT_TRUE(editor->pictureFreq->isEnabled());
    EXPECT_FALSE(editor->frameModemParms->isEnabled());
    EXPECT_EQ(editor->scrollFreqChannels->value(), 4);
    EXPECT_EQ(editor->labelFreqChanNum[1]->text(), "&6:");
    EXPECT_TRUE(editor->textRxFreq[1]->hasFocus());
}

TEST_F(RadioParmsWindow, SelectFrequencyInErrorScrollsToTheChannel) {
    struct Case {
        std::int16_t index;
        int scroll;
        bool tx;
        int row;
    };
    const Case cases[] = {{2, 2, true, 0}, {13, 4, false, 1}, {0, 0, true, 0}, {7, 4, true, 3}, {8, 0, false, 0}};
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        editor->tabModemRadioParms->setCurrentIndex(1);
        editor->SelectFrequencyInError(c.index);
        EXPECT_EQ(editor->tabModemRadioParms->currentIndex(), 2);
        EXPECT_EQ(editor->scrollFreqChannels->value(), c.scroll);
        EXPECT_EQ(editor->displayTopChannel(), c.scroll);
        const auto row = static_cast<std::size_t>(c.row);
        EXPECT_TRUE((c.tx ? editor->textTxFreq : editor->textRxFreq)[row]->hasFocus());
    }
    // An index outside 0..15 changes nothing.
    editor->tabModemRadioParms->setCurrentIndex(0);
    editor->SelectFrequencyInError(16);
    editor->SelectFrequencyInError(-1);
    EXPECT_EQ(editor->tabModemRadioParms->currentIndex(), 0);
}

TEST_F(RadioParmsWindow, DefaultFreqsFillsTheCopyOnly) {
    main().channels[0] = {452000000, 453000000};
    main().powerAdjust[0] = 10;
    const ModemParameters before = main();
    Open();
    editor->textRxFreq[0]->setText("451.000000");  // stored first, then replaced
    editor->buttonDefaultFreqs->click();
    ModemParameters expected = before;
    SetDefaultChannels(ctx.state, expected);
    CorrectChannelFreqs(ctx.state, ctx.state, expected);
    for (std::size_t r = 0; r < 4; ++r) {
        EXPECT_EQ(editor->textRxFreq[r]->text().toStdString(), FormatMHz(expected.channels[r].rxFrequency, {}));
        EXPECT_EQ(editor->textTxFreq[r]->text().toStdString(), FormatMHz(expected.channels[r].txFrequency, {}));
        EXPECT_EQ(editor->textPwrSetting[r]->text(), "255");
    }
    EXPECT_EQ(editor->editParameters().channels, expected.channels);
    EXPECT_EQ(main(), before);
    EXPECT_TRUE(editor->SaveChanges());
    EXPECT_EQ(main().channels, expected.channels);
    EXPECT_EQ(main().powerAdjust[0], 255);
}

TEST_F(RadioParmsWindow, RowsMoveWithThePageKeysAndCarryTheirEdits) {
    Open();
    editor->tabModemRadioParms->setCurrentIndex(2);
    editor->textRxFreq[0]->setFocus();
    editor->textRxFreq[0]->setText("451.125000");
    const QString row1 = editor->textRxFreq[1]->text();
    PressKey(editor->textRxFreq[0], Qt::Key_PageDown);
    EXPECT_EQ(editor->scrollFreqChannels->value(), 1);
    EXPECT_EQ(editor->labelFreqChanNum[0]->text(), "&2:");
    EXPECT_EQ(editor->textRxFreq[0]->text(), row1);  // the box did not take a page step
    EXPECT_EQ(editor->editParameters().channels[0].rxFrequency, 451125000);
    PressKey(editor->textRxFreq[0], Qt::Key_PageUp);
    EXPECT_EQ(editor->textRxFreq[0]->text(), "451.125000");
    // At the first channel Page Up changes nothing and is swallowed; Ctrl+Page Up is the box's.
    PressKey(editor->textRxFreq[0], Qt::Key_PageUp);
    EXPECT_EQ(editor->scrollFreqChannels->value(), 0);
    EXPECT_EQ(editor->textRxFreq[0]->text(), "451.125000");
    for (int i = 0; i < 6; ++i) PressKey(editor->buttonOK, Qt::Key_PageDown);
    EXPECT_EQ(editor->scrollFreqChannels->value(), 4);
    EXPECT_EQ(editor->labelFreqChanNum[3]->text(), "&8:");
}

TEST_F(RadioParmsWindow, DragCopyBetweenBoxesOfTheWindow) {
    Open();
    editor->tabModemRadioParms->setCurrentIndex(2);
    editor->textTxFreq[0]->setText("462.500000");
    DropOn(editor->textTxFreq[0], editor->textRxFreq[2]);
    EXPECT_EQ(editor->textRxFreq[2]->text(), "462.500000");
    EXPECT_TRUE(editor->textRxFreq[2]->hasFocus());
    // Stored only with the boxes.
    EXPECT_NE(editor->editParameters().channels[2].rxFrequency, 462500000);
    ASSERT_TRUE(editor->SaveChanges());
    EXPECT_EQ(main().channels[2].rxFrequency, 462500000);
}

// File > Save calls SaveChanges while a box may still hold a dropped text beyond its maximum.
TEST_F(RadioParmsWindow, SaveChangesStoresValuesWithinTheBoxLimits) {
    Open();
    editor->tabModemRadioParms->setCurrentIndex(2);
    DropOn(editor->textRxFreq[0], editor->textPwrSetting[1]);  // "450.200000" in a 0..255 box
    ASSERT_TRUE(editor->textPwrSetting[1]->hasFocus());
    ASSERT_TRUE(editor->SaveChanges());
    EXPECT_EQ(main().powerAdjust[1], 255);
}

struct NormalisationCase {
    const char* what;
    void (*change)(ModemParameters&);
    void (*expect)(const ModemParameters& stored, const ModemParameters& before);
};

TEST_F(RadioParmsWindow, ValuesTheControlsCannotShowAreNormalisedOnOK) {
    const NormalisationCase cases[] = {
        {"range not offered shows the last range",
         [](ModemParameters& p) { p.radioRange = 9; },
         [](const ModemParameters& s, const ModemParameters&) { EXPECT_EQ(s.radioRange, 8); }},
        {"type not offered shows the last type",
         [](ModemParameters& p) { p.radioType = 7; },
         [](const ModemParameters& s, const ModemParameters&) { EXPECT_EQ(s.radioType, 2); }},
        {"bandwidth code 2 shows Full",
         [](ModemParameters& p) { p.channelBandwidth = 2; },
         [](const ModemParameters& s, const ModemParameters&) { EXPECT_EQ(s.channelBandwidth, 0); }},
        {"Rx-only wins over Tx-only",
         [](ModemParameters& p) { p.rxOnly = kTrue; p.txOnly = kTrue; },
         [](const ModemParameters& s, const ModemParameters&) {
             EXPECT_EQ(s.rxOnly, kTrue);
             EXPECT_EQ(s.txOnly, kFalse);
         }},
        {"PTT time 2.5 shows 2",
         [](ModemParameters& p) { p.pttTimeout = 2.5f; },
         [](const ModemParameters& s, const ModemParameters&) { EXPECT_EQ(s.pttTimeout, 2.0f); }},
        {"PTT time 3.5 shows 4",
         [](ModemParameters& p) { p.pttTimeout = 3.5f; },
         [](const ModemParameters& s, const ModemParameters&) { EXPECT_EQ(s.pttTimeout, 4.0f); }},
        {"PTT time outside 1..120 keeps the scroll bar",
         [](ModemParameters& p) { p.pttTimeout = 500; },
         [](const ModemParameters& s, const ModemParameters& b) { EXPECT_EQ(s.pttTimeout, b.pttTimeout); }},
        {"RSSI threshold outside 0..90 keeps the scroll bar",
         [](ModemParameters& p) { p.rssiOffThreshold = 95; },
         [](const ModemParameters& s, const ModemParameters& b) { EXPECT_EQ(s.rssiOffThreshold, b.rssiOffThreshold); }},
        {"channel override outside 0..8 keeps the entry",
         [](ModemParameters& p) { p.channelOverride = 12; },
         [](const ModemParameters& s, const ModemParameters& b) { EXPECT_EQ(s.channelOverride, b.channelOverride); }},
        {"baud rate 4 cannot be selected: the first rate",
         [](ModemParameters& p) { p.baudRate = 4; },
         [](const ModemParameters& s, const ModemParameters&) { EXPECT_EQ(s.baudRate, 0); }},
        {"another family at half bandwidth: baud rate 3 becomes 2",
         [](ModemParameters& p) { p.model = familyRNet; p.channelBandwidth = 1; p.baudRate = 3; p.networkType = 1; },
         [](const ModemParameters& s, const ModemParameters&) {
             EXPECT_EQ(s.baudRate, 2);
             EXPECT_EQ(s.networkType, 1);  // neither shown nor read
         }},
    };
    const ModemParameters defaults = main();
    dialogs.answerAllBoxes(MsgAnswer::No);
    Open();
    for (const NormalisationCase& c : cases) {
        SCOPED_TRACE(c.what);
        // The first display puts the window's controls at the default record's values.
        main() = defaults;
        editor->UpdateChanges();
        ModemParameters changed = defaults;
        c.change(changed);
        main() = changed;
        editor->UpdateChanges();
        // OK reads the controls back; for another radio type the check then refuses the
        // channel frequencies, which does not matter here.
        editor->SaveChanges();
        c.expect(editor->editParameters(), defaults);
    }
}

TEST_F(RadioParmsWindow, NetworkTypeAndBandwidthRefitTheRateLists) {
    main().model = familyPNet;
    main().channelBandwidth = bandwidthFull;
    main().networkType = networkNative;
    main().baudRate = 2;
    main().invertedData = kTrue;
    Open();
    EXPECT_EQ(editor->comboBaudRate->currentText(), "19200");
    EXPECT_EQ(Entries(editor->comboDataType), QStringList{"Enhanced Only"});
    EXPECT_TRUE(editor->shapeDataInversion->isHidden());
    editor->comboNetworkType->setCurrentIndex(networkCrystal);
    EXPECT_EQ(Entries(editor->comboBaudRate), (QStringList{"4800", "9600"}));
    EXPECT_EQ(editor->comboBaudRate->currentText(), "9600");
    EXPECT_EQ(Entries(editor->comboDataType), (QStringList{"Enhanced", "Compatible"}));
    editor->comboDataType->setCurrentIndex(1);
    EXPECT_FALSE(editor->shapeDataInversion->isHidden());
    editor->comboChanBandwidth->setCurrentIndex(1);
    EXPECT_EQ(Entries(editor->comboBaudRate), QStringList{"4800"});
    editor->comboChanBandwidth->setCurrentIndex(0);
    EXPECT_EQ(editor->comboBaudRate->currentText(), "4800");
    editor->comboNetworkType->setCurrentIndex(networkNative);
    EXPECT_EQ(editor->comboBaudRate->currentText(), "4800");
    EXPECT_TRUE(editor->shapeDataInversion->isHidden());
    ASSERT_TRUE(editor->SaveChanges());
    EXPECT_EQ(main().networkType, networkNative);
    EXPECT_EQ(main().baudRate, 0);
    EXPECT_EQ(main().invertedData, kFalse);

    // Another family: the network list is empty and disabled; a model-6 record shown after it
    // gets its own network type back.
    main().model = familyRNet;
    editor->UpdateChanges();
    EXPECT_EQ(editor->comboNetworkType->count(), 0);
    EXPECT_FALSE(editor->comboNetworkType->isEnabled());
    EXPECT_EQ(Entries(editor->comboBaudRate), (QStringList{"1200", "2400", "4800", "9600"}));
    main().model = familyPNet;
    main().networkType = networkCrystal;
    editor->UpdateChanges();
    EXPECT_EQ(editor->comboNetworkType->currentText(), "Crystal");
    EXPECT_TRUE(editor->comboNetworkType->isEnabled());
}

TEST_F(RadioParmsWindow, DataFormatAndRxTxOnlyFollowTheOperator) {
    main().nineDataBits = kTrue;
    main().twoStopBits = kFalse;
    Open();
    EXPECT_EQ(editor->comboDataFormat->currentText(), "9 Bits, 1 Stop");
    editor->comboDataFormat->setCurrentIndex(1);
    editor->checkTxOnly->setChecked(true);
    editor->checkRxOnly->setChecked(true);
    EXPECT_FALSE(editor->checkTxOnly->isChecked());
    editor->checkRxOnly->setChecked(false);
    EXPECT_FALSE(editor->checkTxOnly->isChecked());
    ASSERT_TRUE(editor->SaveChanges());
    EXPECT_EQ(main().nineDataBits, kFalse);
    EXPECT_EQ(main().twoStopBits, kTrue);
    EXPECT_EQ(main().rxOnly, kFalse);
    EXPECT_EQ(main().txOnly, kFalse);
}

TEST_F(RadioParmsWindow, ProductionModeUnlocksTheRadioControls) {
    Open();
    editor->tabModemRadioParms->setCurrentIndex(1);
    EXPECT_TRUE(editor->textTotalConfigurations->locked());
    EXPECT_FALSE(editor->comboRadioType->isEnabled());
    EXPECT_FALSE(editor->frameSa702xSynth->isEnabled());
    EXPECT_FALSE(editor->frameRxHighLow->isEnabled());
    editor->buttonCancel->click();

    ctx.state.productionMode = true;
    main().radioRange = 0;
    Open();
    editor->tabModemRadioParms->setCurrentIndex(1);
    EXPECT_FALSE(editor->textTotalConfigurations->locked());
    EXPECT_TRUE(editor->comboRadioType->isEnabled());
    EXPECT_EQ(editor->comboRadioRange->currentText(), "0");
    EXPECT_TRUE(editor->frameRxHighLow->isEnabled());  // type 0, range 0
    editor->comboRadioRange->setCurrentIndex(editor->comboRadioRange->findText("5"));
    EXPECT_FALSE(editor->frameRxHighLow->isEnabled());
    // A new type keeps the range where offered, else moves to the next higher one.
    editor->comboRadioType->setCurrentIndex(editor->comboRadioType->findText("5726"));
    EXPECT_EQ(Entries(editor->comboRadioRange), (QStringList{"4", "5", "6", "7", "9"}));
    EXPECT_EQ(editor->comboRadioRange->currentText(), "5");
    editor->comboRadioType->setCurrentIndex(editor->comboRadioType->findText("5796"));
    EXPECT_EQ(editor->comboRadioRange->currentText(), "5");
}

// The Radio tab's scroll bars are reached by Tab and moved by the arrow keys, as its other
// controls are.
TEST_F(RadioParmsWindow, TheRadioTabsScrollBarsAreReachedByTabAndMovedByTheArrows) {
    ctx.state.productionMode = true;  // every radio control unlocked
    Open();
    editor->tabModemRadioParms->setCurrentIndex(1);
    EXPECT_EQ(ControlsTabNeverFocuses(*editor), std::vector<std::string>{});

    editor->checkPttWatchdog->setFocus(Qt::TabFocusReason);
    PressKey(editor->checkPttWatchdog, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), editor->scrollPttWatchdogTime);
    const int ptt = editor->scrollPttWatchdogTime->value();
    PressKey(editor->scrollPttWatchdogTime, Qt::Key_Right);
    EXPECT_EQ(editor->scrollPttWatchdogTime->value(), ptt + 1);
    EXPECT_EQ(editor->labelPttWatchdogTime->text(), QString("%1 S").arg(ptt + 1));

    editor->scrollRssiOn->setValue(40);
    editor->scrollRssiOn->setFocus(Qt::TabFocusReason);
    PressKey(editor->scrollRssiOn, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), editor->scrollRssiOff);
    editor->scrollRssiOff->setValue(40);
    PressKey(editor->scrollRssiOff, Qt::Key_Left);
    EXPECT_EQ(editor->scrollRssiOff->value(), 39);
    EXPECT_EQ(editor->labelRssiOff->text(), QText(FormatRssiDbm(39)));
    editor->buttonCancel->click();
}

TEST_F(RadioParmsWindow, SaveChangesWhileClosedReturnsFalseAndLetsTheTimingEditorStore) {
    ShowActive(*timing);
    timing->textT1Time[0]->setText("99");
    const ModemParameters before = main();
    EXPECT_FALSE(editor->SaveChanges());
    ModemParameters expected = before;
    expected.t1Time[0] = 99;
    EXPECT_EQ(main(), expected);
    main().comment = "changed behind the editors";
    editor->UpdateChanges();  // not loaded: only the timing editor refreshes
    EXPECT_EQ(timing->editParameters().comment, "changed behind the editors");
}

TEST_F(RadioParmsWindow, TimingEditorValuesWinOverTheParameterEditorsCopy) {
    Open();
    ShowActive(*timing);
    // Edited in the open timing editor, then the parameter editor saves.
    timing->textT1Time[0]->setText("99");
    timing->textRxDivisor->setText("5");
    ASSERT_TRUE(editor->SaveChanges());
    EXPECT_EQ(main().t1Time[0], 99);
    EXPECT_EQ(main().rxDivisorTest, 5);

    // Given back by the timing editor's OK, then the parameter editor (refreshed before that)
    // gives back its own copy.
    timing->textExtendedT2Time[3]->setText("77");
    timing->buttonOK->click();
    EXPECT_EQ(main().extendedT2Time[3], 77);
    editor->textComment->setText("saved after the timing editor");
    ASSERT_TRUE(editor->SaveChanges());
    EXPECT_EQ(main().extendedT2Time[3], 77);
    EXPECT_EQ(main().t1Time[0], 99);
    EXPECT_EQ(main().comment, "saved after the timing editor");
}

TEST_F(RadioParmsWindow, PlacementIsKeptOnlyForAWindowShownThisRun) {
    const std::string ini = home.file("K45MR.ini");
    editor->SaveFormParameters(ini, "Radio Parms Window");
    EXPECT_FALSE(home.exists("K45MR.ini"));
    home.write("K45MR.ini", "[Radio Parms Window]\r\nLeft=1500\r\nTop=300\r\n");
    editor->RestoreFormParameters(ini, "Radio Parms Window");
    Open();
    EXPECT_EQ(editor->pos(), QPoint(100, 20));
    editor->move(200, 40);
    editor->buttonCancel->click();
    editor->SaveFormParameters(ini, "Radio Parms Window");
    EXPECT_NE(home.read("K45MR.ini").find("Left=3000"), std::string::npos);
    EXPECT_NE(home.read("K45MR.ini").find("Top=600"), std::string::npos);
}

TEST(EditorWindows, AreCreatedByTheirOwnerAndEnteredInTheRegistry) {
    AppContext ctx;
    auto owner = std::make_unique<QWidget>();
    AddEditorWindows(ctx, *owner);
    const ToolWindow editors[] = {ToolWindow::formRadioParms, ToolWindow::formMdmTimes, ToolWindow::formDacVals};
    EXPECT_NE(dynamic_cast<formRadioParms*>(ctx.form(ToolWindow::formRadioParms)), nullptr);
    EXPECT_NE(ctx.formAs<EditorPage>(ToolWindow::formRadioParms), nullptr);
    EXPECT_NE(dynamic_cast<formMdmTimes*>(ctx.form(ToolWindow::formMdmTimes)), nullptr);
    EXPECT_NE(dynamic_cast<formDacVals*>(ctx.form(ToolWindow::formDacVals)), nullptr);
    EXPECT_TRUE(static_cast<bool>(ctx.showRadSpecs));
    for (ToolWindow w : editors) {
        auto* widget = dynamic_cast<QWidget*>(ctx.form(w));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->parentWidget(), owner.get());
        EXPECT_FALSE(ctx.form(w)->loaded());
    }
    // Shown with their owner, they stay hidden until opened.
    owner->show();
    for (ToolWindow w : editors) EXPECT_FALSE(dynamic_cast<QWidget*>(ctx.form(w))->isVisible());
    // The windows go with their owner and their slots empty themselves.
    owner.reset();
    for (ToolWindow w : editors) EXPECT_EQ(ctx.form(w), nullptr);
}

}  // namespace
}  // namespace k45::test
