// The diagnostics windows on the offscreen platform: each shown without a main window (it is
// then its own active child), driven through its controls against the simulator on the
// secondary port. Screenshots go to K45_SCREENSHOT_DIR when it is set.
#include <gtest/gtest.h>

#include <filesystem>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <cstdlib>

#include "diagnostics/diag_bench.h"
#include "diagnostics/ui/diag_filt_window.h"
#include "diagnostics/ui/diag_test_window.h"
#include "diagnostics/ui/link_test_window.h"
#include "diagnostics/ui/offline_window.h"
#include "diagnostics/ui/online_window.h"
#include "platform/profile.h"
#include "support/keyboard_reach.h"
#include "ui/num_box.h"
#include "ui/num_box_drop.h"

namespace k45::test {
namespace {

void Screenshot(QWidget& w, const char* name) {
    w.resize(w.size().expandedTo(w.sizeHint()));
    const QPixmap pm = w.grab();
    EXPECT_FALSE(pm.isNull()) << name;
    if (const char* dir = std::getenv("K45_SCREENSHOT_DIR")) {
        EXPECT_TRUE(pm.save(QString("%1/%2.png").arg(dir, name)));
    }
}

class DiagWindows : public DiagBench {
protected:
    DiagWindows() {
        settings->alarmLimits = DefaultAlarmLimits();
        settings->filterLimits = DefaultFilterLimits();
        ini = home.file("K45MR.ini");
    }
    // `packets` online packets from units 1 to `lastId` (alike), then `ms` of the stream and the
    // windows' pending events.
    void StreamUnits(int packets, int lastId, int ms) {
        SimSettings s = Settings(true);
        s.packetsToSend = packets;
        s.startId = 1;
        s.endId = lastId;
        s.starts = {80, 20, 120, 30, 5};
        s.ends = s.starts;
        sim.Start(s);
        sched.advance(ms);
        QApplication::processEvents();
    }

    SharedDiagSettings settings = std::make_shared<DiagSettings>();
    std::string ini;
};

TEST_F(DiagWindows, DiagFiltShowsTheFileAndAppliesOnOk) {
    home.write("filter.dia", "[Filters]\r\nFilter IDs 00=5,1029\r\n[Alarms]\r\nLow RSSI=-120\r\n");
    formDiagFilt win(ctx, settings);
    win.RestoreFormParameters(ini, "Diagnostics Filter Window");
    EXPECT_EQ(settings->filterIdCount, 2);
    win.show();
    EXPECT_TRUE(win.loaded());
    EXPECT_EQ(win.comboFilterIDs->count(), 2);
    EXPECT_EQ(win.limitBoxes[0]->text(), "-120");
    EXPECT_EQ(win.labelFilename->text(), QString::fromStdString(home.file("filter.dia")));
    win.textFilterID->setText("5000");
    win.buttonAddID->click();
    EXPECT_EQ(win.comboFilterIDs->count(), 3);
    EXPECT_EQ(win.textShortId->text(), "+ 904");
    Screenshot(win, "diag_filt");
    dialogs.expectBox("Save Data before closing?", MsgAnswer::No);
    win.buttonOK->click();
    EXPECT_FALSE(win.loaded());
    EXPECT_EQ(settings->filterIdCount, 3);
    win.SaveFormParameters(ini, "Diagnostics Filter Window");
    EXPECT_NE(home.read("filter.dia").find("Filter IDs 00=5,1029,5000"), std::string::npos);
}

// The file label names the file letter for letter: in lower case it would name another file.
TEST_F(DiagWindows, DiagFiltShowsTheFileNameAsItIs) {
    home.write("Site_A3.dia", "[Alarms]\r\nLow RSSI=-120\r\n");
    home.write("K45MR.ini",
               "[Diagnostics Filter Window]\r\nAlarm/Filter Filename=" + home.file("Site_A3.dia") + "\r\n");
    formDiagFilt win(ctx, settings);
    win.RestoreFormParameters(ini, "Diagnostics Filter Window");
    win.show();
    EXPECT_EQ(win.labelFilename->text(), QString::fromStdString(home.file("Site_A3.dia")));
    dialogs.expectSaveFile(home.file("Site_B7.dia"));
    win.buttonSaveAs->click();
    EXPECT_EQ(win.labelFilename->text(), QString::fromStdString(home.file("Site_B7.dia")));
    EXPECT_TRUE(std::filesystem::exists(win.labelFilename->text().toStdString()));
    dialogs.expectBox("Save Data before closing?", MsgAnswer::No);
    win.buttonCancel->click();
}

TEST_F(DiagWindows, DiagFiltNeverOpenedWritesNothing) {
    formDiagFilt win(ctx, settings);
    win.RestoreFormParameters(ini, "Diagnostics Filter Window");
    win.SaveFormParameters(ini, "Diagnostics Filter Window");
    EXPECT_FALSE(home.exists("filter.dia"));
    EXPECT_FALSE(home.exists("K45MR.ini"));
}

TEST_F(DiagWindows, OfflineWindowShowsTheLocalDiagnostics) {
    SimSettings s = Settings(false);
    s.starts = {85, 25, 120, 50, 5};
    s.ends = s.starts;
    sim.Start(s);
    formOffLine win(ctx, settings);
    win.RestoreFormParameters(ini, "Offline Diagnostics Window");
    win.show();
    win.Form_Activate();  // no reader here: the window is idle at once
    EXPECT_EQ(win.labelTxTime->text(), "5 S");
    EXPECT_FALSE(win.comboRemoteIDs->isEnabled());
    win.buttonDiagsStatsGet->click();
    ASSERT_TRUE(sched.advanceUntil(
        [&] {
            return win.dialogue().sequenceMode() == OfflineSequence::None &&
                   win.dialogue().replyState() == OfflineReplyState::Idle;
        },
        10000));
    EXPECT_EQ(SplitLines(fromHost()).front(), "AS");
    EXPECT_EQ(win.diagLabels[0]->text(), "12.0 V");
    EXPECT_TRUE(win.dialogue().stations()[0].diagValid);
    win.optionRemote->click();
    EXPECT_TRUE(win.comboRemoteIDs->isEnabled());
    Screenshot(win, "offline");
    win.buttonClose->click();
    EXPECT_FALSE(win.loaded());
}

// Scroll mode keeps the newest row in view with the rows the grid really has room for: at the
// size the window opens at, and after it is made taller and back.
TEST_F(DiagWindows, OnlineScrollGridKeepsTheNewestRowInViewAtItsRealHeight) {
    formOnLine win(ctx, settings);
    win.RestoreFormParameters(ini, "Online Diagnostics Window");
    win.show();
    win.Form_Activate();
    QApplication::processEvents();
    const QSize firstRun = win.size();
    EXPECT_EQ(firstRun, win.sizeHint().expandedTo(win.minimumSizeHint()));  // as the main window opens it
    auto newestInView = [&] {
        QApplication::processEvents();
        const int newest = win.dialogue().grid().rowsUsed() - 1;
        const QRect cell = win.gridRxData->visualRect(win.gridRxData->model()->index(newest, 1));
        return newest >= 0 && cell.isValid() && win.gridRxData->viewport()->rect().contains(cell);
    };
    auto stream = [&](int packets) { StreamUnits(packets, 5, 1000); };
    stream(30);
    ASSERT_EQ(win.dialogue().grid().rowsUsed(), 30);
    // The window's first size has room for fewer rows than the grid is created with.
    EXPECT_LT(win.gridRxData->viewport()->height() / win.gridRxData->rowHeight(0), kOnlineGridVisibleRows);
    EXPECT_TRUE(newestInView());
    EXPECT_FALSE(win.gridRxData->rowViewportPosition(0) >= 0) << "the grid did not scroll";

    win.resize(firstRun.width(), firstRun.height() + 250);
    EXPECT_TRUE(newestInView());
    stream(4);
    EXPECT_TRUE(newestInView());
    win.resize(firstRun);
    EXPECT_TRUE(newestInView());
    stream(3);
    EXPECT_TRUE(newestInView());
}

// Slotted mode leaves the grid where the operator scrolled while packets arrive; in both modes
// the scroll bar stands at the grid's real top row.
TEST_F(DiagWindows, OnlineSlottedGridStaysWhereTheOperatorScrolled) {
    formOnLine win(ctx, settings);
    win.RestoreFormParameters(ini, "Online Diagnostics Window");
    win.show();
    win.Form_Activate();
    QApplication::processEvents();
    QScrollBar* bar = win.gridRxData->verticalScrollBar();
    auto stream = [&](int packets) { StreamUnits(packets, 40, 2000); };
    stream(45);
    ASSERT_EQ(win.dialogue().grid().rowsUsed(), 45);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(bar->value(), win.dialogue().grid().topRow());
    EXPECT_EQ(bar->value(), bar->maximum());

    win.optionDisplaySlot->click();
    QApplication::processEvents();
    ASSERT_EQ(win.dialogue().grid().rowsUsed(), 40);
    EXPECT_EQ(bar->value(), 0);
    bar->setValue(bar->maximum());  // the operator scrolls to the bottom
    const int bottom = bar->value();
    ASSERT_GT(bottom, 0);
    EXPECT_EQ(win.dialogue().grid().topRow(), bottom);
    stream(40);
    EXPECT_EQ(bar->value(), bottom) << "the next packets put the view back at row " << bar->value();
    EXPECT_EQ(win.dialogue().grid().topRow(), bottom);
    const QRect last = win.gridRxData->visualRect(win.gridRxData->model()->index(39, 1));
    EXPECT_TRUE(last.isValid() && win.gridRxData->viewport()->rect().contains(last));
    bar->setValue(3);
    stream(10);
    EXPECT_EQ(bar->value(), 3);
    win.buttonClose->click();
}

// Closed and opened again, the window shows none of the last visit: its choices are as
// designed and its displays empty until the unit is asked again.
TEST_F(DiagWindows, OfflineWindowReopensWithoutTheLastVisit) {
    SetFilterIds(*settings, {100});
    SimSettings s = Settings(false);
    s.starts = {85, 25, 120, 50, 5};
    s.ends = s.starts;
    sim.Start(s);
    formOffLine win(ctx, settings);
    win.RestoreFormParameters(ini, "Offline Diagnostics Window");
    win.show();
    win.Form_Activate();
    win.optionRemote->click();
    win.optionRemoteList->click();
    win.buttonDiagsStatsGet->click();
    ASSERT_TRUE(sched.advanceUntil(
        [&] {
            return win.dialogue().sequenceMode() == OfflineSequence::None &&
                   win.dialogue().replyState() == OfflineReplyState::Idle;
        },
        20000));
    ASSERT_EQ(win.diagLabels[0]->text().toStdString(), "12.0 V");
    win.buttonClose->click();
    ASSERT_FALSE(win.loaded());

    win.show();
    win.Form_Activate();
    EXPECT_TRUE(win.optionLocal->isChecked());
    EXPECT_TRUE(win.optionRemoteSelected->isChecked());
    EXPECT_FALSE(win.comboRemoteIDs->isEnabled());
    EXPECT_EQ(win.diagLabels[0]->text().toStdString(), "---- V");
    win.optionRemote->click();
    EXPECT_EQ(win.comboRemoteIDs->currentText().toStdString(), "100");
    EXPECT_EQ(win.diagLabels[0]->text().toStdString(), "---- V");
    EXPECT_EQ(win.comboRemoteSelect->count(), 0);
    win.buttonClose->click();
}

TEST_F(DiagWindows, OnlineWindowFillsItsGridFromTheStream) {
    formOnLine win(ctx, settings);
    win.RestoreFormParameters(ini, "Online Diagnostics Window");
    win.show();
    win.Form_Activate();
    StreamUnits(20, 5, 500);
    EXPECT_EQ(win.dialogue().grid().rowsUsed(), 20);
    EXPECT_EQ(win.gridRxData->model()->index(0, 1).data().toString(), "1");
    EXPECT_EQ(win.gridRxData->model()->index(0, 2).data().toString(), "-80");
    EXPECT_EQ(win.gridRxData->model()->columnCount(), 13);
    win.optionDisplaySlot->click();
    EXPECT_EQ(win.dialogue().grid().rowsUsed(), 5);
    Screenshot(win, "online");
    win.buttonClear->click();
    EXPECT_EQ(win.dialogue().grid().rowsUsed(), 0);
    win.buttonClose->click();
    win.SaveFormParameters(ini, "Online Diagnostics Window");
    EXPECT_EQ(ProfileRead(ini, "Online Diagnostics Window", "Slotted Display", ""), "True");
}

TEST_F(DiagWindows, LinkTestWindowOffersStartOnlyWithADataBaud) {
    SetFilterIds(*settings, {5, 12, 1500});
    formLinkTst win(ctx, settings);
    win.RestoreFormParameters(ini, "Link Test Window");
    win.show();
    EXPECT_EQ(win.labelBlockDelay->text(), "2.0 S");
    EXPECT_EQ(win.labelBlockSize->text(), "10");
    EXPECT_EQ(win.labelLinkQuality->text(), "0.000 %");
    win.Form_Activate();  // no reader: parameters not found
    EXPECT_FALSE(win.buttonStart->isEnabled());
    EXPECT_EQ(win.comboFilterIDs->count(), 3);
    win.comboFilterIDs->setCurrentIndex(2);
    EXPECT_EQ(win.textRemoteShortId->text(), "+ 476");
    Screenshot(win, "link_test");
    win.buttonClose->click();
}

TEST_F(DiagWindows, DiagTestWindowRunsAnOnlineTestAndKeepsItsSettings) {
    sim.DeRegisterAll();  // the window brings its own simulator
    formDiagTst win(ctx);
    win.RestoreFormParameters(ini, "Test Diags Window");
    win.show();
    mainFrame.active = &win;  // the stream flows only while the window is the active child
    EXPECT_EQ(win.comboPacketDelay->currentText(), "0.000");
    EXPECT_EQ(win.shortIdBoxes[0]->text(), "  0");
    win.idBoxes[0]->setText("1500");
    EXPECT_EQ(win.shortIdBoxes[0]->text(), "+ 476");
    win.textNumOfPackets->setText("3");
    win.buttonStart->click();
    EXPECT_FALSE(win.buttonStart->isEnabled());
    sched.advance(500);
    EXPECT_EQ(win.labelPacketsTxed->text(), "3");
    EXPECT_TRUE(win.buttonStart->isEnabled());  // the limit stopped the test
    Screenshot(win, "diag_test");
    win.buttonClose->click();
    mainFrame.active = nullptr;
    win.SaveFormParameters(ini, "Test Diags Window");
    EXPECT_EQ(ProfileRead(ini, "Test Diags Window", "Master ID", ""), "1500");
    EXPECT_EQ(ProfileRead(ini, "Test Diags Window", "Packets", ""), "3");
}

TEST_F(DiagWindows, DiagTestWindowTakesOnlyUnitIdsFromItsSettings) {
    struct Case {
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        {"4294967295", "4294967295"},
        {"17", "17"},
        {"4294967296", "305"},  // beyond the ID range: the window's value stays
        {"-3", "305"},
        {"2.5", "305"},
        {"x", "305"},
    };
    for (const auto& c : cases) {
        formDiagTst win(ctx);
        win.dialogue().state().masterId = 305;
        ASSERT_TRUE(ProfileWrite(ini, "Test Diags Window", "Master ID", c.text));
        win.RestoreFormParameters(ini, "Test Diags Window");
        win.show();
        EXPECT_EQ(win.idBoxes[0]->text().toStdString(), c.shown) << c.text;
        win.buttonClose->click();
    }
}

TEST_F(DiagWindows, EveryControlOfEveryDiagnosticsWindowIsReachedByTab) {
    sim.DeRegisterAll();  // the test window brings its own simulator
    formDiagFilt filt(ctx, settings);
    formOffLine offline(ctx, settings);
    formOnLine online(ctx, settings);
    formLinkTst link(ctx, settings);
    formDiagTst test(ctx);
    for (QWidget* w : std::initializer_list<QWidget*>{&filt, &offline, &online, &link, &test})
        EXPECT_EQ(ControlsOutOfKeyboardReach(*w), std::vector<std::string>{}) << w->objectName().toStdString();
}

TEST_F(DiagWindows, DiagFiltBoxesCopyByDragAndDropWithinTheWindowOnly) {
    QWidget mdi;  // both windows owned by one main window, as tool windows are
    formDiagFilt win(ctx, settings, &mdi);
    formDiagTst other(ctx, &mdi);
    mdi.show();
    other.show();
    win.show();
    QApplication::setActiveWindow(&win);
    NumBox* loRssi = win.limitBoxes[0];
    NumBox* hiRssi = win.limitBoxes[1];
    loRssi->setText("-90");
    ASSERT_TRUE(DropNumBox(loRssi, hiRssi));
    EXPECT_EQ(hiRssi->text(), "-90");
    EXPECT_TRUE(hiRssi->hasFocus());
    // A limit dropped on the ID entry is a negative ID: Add ID refuses it.
    ASSERT_TRUE(DropNumBox(loRssi, win.textFilterID));
    win.buttonAddID->click();
    EXPECT_EQ(win.comboFilterIDs->count(), 0);
    // A long ID dropped on a limit box is brought within the box before it reaches the settings.
    win.textFilterID->setText("5000");
    ASSERT_TRUE(DropNumBox(win.textFilterID, win.limitBoxes[5]));
    EXPECT_EQ(win.limitBoxes[5]->text(), "5000");
    // A box of another window is no source.
    other.idBoxes[0]->setText("77");
    EXPECT_FALSE(DropNumBox(other.idBoxes[0], win.limitBoxes[2]));
    EXPECT_NE(win.limitBoxes[2]->text(), "77");
    dialogs.expectBox("Save Data before closing?", MsgAnswer::No);
    win.buttonOK->click();
    EXPECT_EQ(settings->alarmLimits.highRssi, -90.0f);
    EXPECT_FLOAT_EQ(settings->alarmLimits.highBattery, 21.0f);  // kept below the filter's 22
}

TEST_F(DiagWindows, DiagTestDropRunsTheBoxChangeHandler) {
    sim.DeRegisterAll();
    formDiagTst win(ctx);
    win.RestoreFormParameters(ini, "Test Diags Window");
    win.show();
    QApplication::setActiveWindow(&win);
    win.idBoxes[0]->setText("1500");
    ASSERT_TRUE(DropNumBox(win.idBoxes[0], win.idBoxes[2]));
    EXPECT_EQ(win.idBoxes[2]->text(), "1500");
    EXPECT_EQ(win.shortIdBoxes[2]->text(), "+ 476");  // the end ID's change handler ran
    EXPECT_TRUE(win.idBoxes[2]->hasFocus());
    // An ID dropped on a value box is taken within the value's limit, never wrapped.
    ASSERT_TRUE(DropNumBox(win.idBoxes[0], win.valueBoxes[0]));
    ASSERT_TRUE(DropNumBox(win.valueBoxes[0], win.textNumOfPackets));
    EXPECT_EQ(win.textNumOfPackets->text(), "1500");
    win.optionOffline->click();
    win.buttonStart->click();
    EXPECT_EQ(win.dialogue().state().endId, 1500.0);
    EXPECT_EQ(win.dialogue().state().packetsToSend, 1500);
    EXPECT_EQ(win.dialogue().state().channels[0].start, 255);
    win.buttonStop->click();
    win.buttonClose->click();
}

TEST_F(DiagWindows, LinkTestBlockCountTakesADrop) {
    formLinkTst win(ctx, settings);
    win.show();
    QApplication::setActiveWindow(&win);
    // Any numeric box of the window may be the source; the count's change handler takes the text.
    NumBox* source = NumberBox(ctx.state.locale, &win, &win, "source", 10, 4294967295.0);
    source->setText("25");
    ASSERT_TRUE(DropNumBox(source, win.textNumOfBlocks));
    EXPECT_EQ(win.textNumOfBlocks->text(), "25");
    EXPECT_EQ(win.dialogue().display().numOfBlocks, "25");
    EXPECT_TRUE(win.textNumOfBlocks->hasFocus());
    win.buttonClose->click();
}

TEST_F(DiagWindows, OfflineRemoteIdBoxSelectsItsTextOnFocus) {
    formOffLine win(ctx, settings);
    win.show();
    win.Form_Activate();
    QApplication::setActiveWindow(&win);
    win.optionRemote->click();
    QLineEdit* edit = win.comboRemoteIDs->lineEdit();
    ASSERT_NE(edit, nullptr);
    for (Qt::FocusReason reason : {Qt::OtherFocusReason, Qt::MouseFocusReason, Qt::TabFocusReason}) {
        win.buttonClose->setFocus();
        win.comboRemoteIDs->setEditText("123456");
        edit->deselect();
        win.comboRemoteIDs->setFocus(reason);
        ASSERT_TRUE(win.comboRemoteIDs->hasFocus());
        if (reason == Qt::MouseFocusReason) edit->setCursorPosition(2);  // where the click puts the cursor
        QCoreApplication::processEvents();
        EXPECT_EQ(edit->selectedText(), "123456") << reason;
    }
    win.buttonClose->click();
}

}  // namespace
}  // namespace k45::test
