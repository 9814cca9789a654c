// The communication tool windows on the offscreen platform: both ports of the program on the
// two ends of the null-modem cable.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <functional>

#include "platform/profile.h"
#include "wiring/tool_window_ids.h"
#include "support/keyboard_reach.h"
#include "tools_window_bench.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

using ToolWindows = ToolWindowBench;

TEST_F(ToolWindows, EveryToolWindowIsRegisteredAndTheTerminalsKnowTheirKind) {
    for (ToolWindow w : {ToolWindow::formTextPrimary, ToolWindow::formTextSecondary, ToolWindow::formHexPrimary,
                         ToolWindow::formHexSecondary, ToolWindow::formPacketTst, ToolWindow::formTstArray,
                         ToolWindow::formComStats, ToolWindow::formPortTest})
        EXPECT_NE(ctx.form(w), nullptr) << ToolWindowEntry(w).objectName;
    EXPECT_EQ(Window<formHexText>(ToolWindow::formHexSecondary).windowTitle(), "Secondary Hex Terminal");
    EXPECT_EQ(Window<formHexText>(ToolWindow::formTextPrimary).windowTitle(), "Primary ASCII Terminal");
}

TEST_F(ToolWindows, EveryControlOfEveryToolWindowIsReachedByTab) {
    for (ToolWindow slot : {ToolWindow::formTextPrimary, ToolWindow::formHexSecondary, ToolWindow::formPacketTst,
                            ToolWindow::formTstArray, ToolWindow::formComStats, ToolWindow::formPortTest}) {
        const QWidget& w = Open<ToolWindowBase>(slot);
        EXPECT_EQ(ControlsOutOfKeyboardReach(w), std::vector<std::string>{}) << ToolWindowEntry(slot).objectName;
    }
}

TEST_F(ToolWindows, AsciiTerminalToHexTerminalAndHexTyping) {
    auto& text = Open<formHexText>(ToolWindow::formTextPrimary);
    auto& hex = Open<formHexText>(ToolWindow::formHexSecondary);
    EXPECT_TRUE(text.checkPacketNumbers->isVisibleTo(&text));
    EXPECT_FALSE(text.checkDmpTest->isVisibleTo(&text));
    EXPECT_FALSE(hex.checkPacketNumbers->isVisibleTo(&hex));

    text.textTxData->setFocus();
    TypeText(text.textTxData, "Hi!");
    Type(text.textTxData, Qt::Key_Return, "\r");
    sched.advance(100);
    QApplication::processEvents();
    EXPECT_EQ(fromPrimary(), "Hi!\r\n");
    EXPECT_EQ(hex.textRxedData->toPlainText(), "48 69 21 0D 0A ");
    EXPECT_EQ(text.textTxedData->toPlainText().trimmed(), "Hi!");

    // Hex typing: pairs, blanks, Backspace takes the last digit, other keys do nothing.
    TypeText(hex.textTxData, "0123");
    EXPECT_EQ(hex.textTxData->text(), "01 23 ");
    Type(hex.textTxData, Qt::Key_Backspace, "\b");
    EXPECT_EQ(hex.textTxData->text(), "01 2");
    TypeText(hex.textTxData, "gb");
    EXPECT_EQ(hex.textTxData->text(), "01 2B ");
    hex.buttonSend->click();
    sched.advance(100);
    QApplication::processEvents();
    EXPECT_EQ(fromSecondary(), "\x01\x2B");
    EXPECT_EQ(text.textRxedData->toPlainText(), QString("\x01+"));
    Shot(text, "terminal_ascii");
    Shot(hex, "terminal_hex");

    hex.buttonClearRx->click();
    EXPECT_EQ(hex.textRxedData->toPlainText(), "");
}

// The hex entry line selects its text when it gets the focus: Backspace or Delete then removes
// the selection, and what is left stands laid out.
TEST_F(ToolWindows, HexEntryBackspaceAndDeleteRemoveTheSelection) {
    auto& hex = Open<formHexText>(ToolWindow::formHexPrimary);
    for (const int key : {int(Qt::Key_Backspace), int(Qt::Key_Delete)}) {
        SCOPED_TRACE(key == Qt::Key_Delete ? "Delete" : "Backspace");
        const QString text = key == Qt::Key_Delete ? "\x7f" : "\b";
        hex.textTxData->setText("01 23 ");
        hex.textTxData->selectAll();
        Type(hex.textTxData, key, text);
        EXPECT_EQ(hex.textTxData->text(), "");

        hex.textTxData->setText("01 23 45 ");
        hex.textTxData->setSelection(1, 3);  // "1 2"
        Type(hex.textTxData, key, text);
        EXPECT_EQ(hex.textTxData->text(), "03 45 ");
        EXPECT_EQ(hex.textTxData->cursorPosition(), 1);
    }
    // Without a selection Delete takes the character after the caret.
    hex.textTxData->setText("01 23 ");
    hex.textTxData->setCursorPosition(0);
    Type(hex.textTxData, Qt::Key_Delete);
    EXPECT_EQ(hex.textTxData->text(), "1 23 ");
}

// The terminals show received bytes as Windows-1252; what one shows can be typed in the other
// and goes out as the same bytes.
TEST_F(ToolWindows, TerminalTextIsWindows1252BothWays) {
    auto& primaryText = Open<formHexText>(ToolWindow::formTextPrimary);
    auto& secondaryText = Open<formHexText>(ToolWindow::formTextSecondary);
    const QString typed = QString::fromUtf8("5 \xE2\x82\xAC \xC3\xA9 \xE2\x80\x9Cok\xE2\x80\x9D");  // 5 € é “ok”
    primaryText.textTxData->setText(typed);
    primaryText.buttonSend->click();
    sched.advance(100);
    QApplication::processEvents();
    EXPECT_EQ(fromPrimary(), "5 \x80 \xE9 \x93ok\x94\r\n");
    EXPECT_EQ(secondaryText.textRxedData->toPlainText().trimmed(), typed);

    // A character the code page has not goes out as "?".
    primaryText.textTxData->setText(QString::fromUtf8("\xE2\x86\x92"));  // →
    primaryText.buttonSend->click();
    sched.advance(100);
    EXPECT_EQ(fromPrimary(), "5 \x80 \xE9 \x93ok\x94\r\n?\r\n");
}

TEST_F(ToolWindows, DmpTestWidensTheTerminalAndClosingSavesTheNarrowWidth) {
    ctx.state.productionMode = true;
    auto& t = Open<formHexText>(ToolWindow::formTextSecondary);
    ASSERT_TRUE(t.checkDmpTest->isVisibleTo(&t));
    const int before = t.width();
    t.checkDmpTest->click();
    EXPECT_TRUE(t.checkDmpTest->isChecked());
    EXPECT_TRUE(t.textDmpID->isVisibleTo(&t));
    EXPECT_EQ(t.width() - before, 84);
    EXPECT_EQ(secondary->GetWorkingTxMode(), 8);
    t.checkSRecordTest->click();
    EXPECT_FALSE(t.checkSRecordTest->isChecked());
    const int wide = t.width();
    t.buttonClose->click();
    EXPECT_FALSE(t.loaded());
    EXPECT_EQ(t.formWidth, (wide - 84) * 15);
}

TEST_F(ToolWindows, PacketTestInTwoPortModeReachesAHundredPercent) {
    auto& w = Open<formPacketTst>(ToolWindow::formPacketTst);
    EXPECT_FALSE(w.frameTestType->isVisibleTo(&w));
    EXPECT_FALSE(w.checkAsciiMode->isVisibleTo(&w));
    EXPECT_EQ(w.comboNumDataBytes->count(), 7);
    w.optionHostRemote2Ports->click();
    w.textNumOfPackets->setText("20");
    w.buttonStart->click();
    EXPECT_FALSE(w.buttonStart->isEnabled());
    EXPECT_TRUE(w.buttonPause->isEnabled());
    ASSERT_TRUE(sched.advanceUntil([&] { return w.buttonStart->isEnabled(); }, 60000, 10));
    EXPECT_EQ(w.labelHostPacketsTxed->text(), "20");
    EXPECT_EQ(w.labelHostPacketsRxed->text(), "20");
    EXPECT_EQ(w.labelOverallPercent->text(), "100.000 %");
    Shot(w, "packet_test");
    w.buttonClear->click();
    EXPECT_EQ(w.labelHostPacketsTxed->text(), "0");
    EXPECT_EQ(w.labelOverallPercent->text(), "0.000 %");
}

// The selected option is kept as its number under "Mode"; a number the operator cannot select
// (a stopping mode, idle, anything else) brings Host back.
TEST_F(ToolWindows, PacketTestKeepsItsOptionAcrossARestart) {
    struct Case {
        const char* stored;
        const char* shown;
        const char* saved;
    };
    const Case cases[] = {
        {"2", "optionRemote", "2"},           {"3", "optionHost", "3"},
        {"5", "optionHostRemote1Port", "5"},  {"7", "optionHostRemote2Ports", "7"},
        {"9", "optionHostRemote1Way", "9"},   {"4", "optionHost", "3"},
        {"0", "optionHost", "3"},             {"12", "optionHost", "3"},
    };
    const std::string ini = home.file("K45MR.ini");
    // Each run of the program makes its window anew and restores it before the first load.
    auto run = [&](const std::function<void(formPacketTst&)>& use) {
        formPacketTst w(ctx, &owner);
        w.RestoreFormParameters(ini, "Packet Test Window");
        w.show();
        w.Form_Activate();
        QApplication::processEvents();
        use(w);
        w.buttonClose->click();
        w.SaveFormParameters(ini, "Packet Test Window");
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(ProfileWrite(ini, "Packet Test Window", "Mode", c.stored));
        run([&](formPacketTst& w) {
            auto* shown = w.findChild<QRadioButton*>(c.shown);
            ASSERT_NE(shown, nullptr);
            EXPECT_TRUE(shown->isChecked());
        });
        EXPECT_EQ(ProfileRead(ini, "Packet Test Window", "Mode", ""), c.saved);
    }
    // The option the operator picks is the one kept.
    run([](formPacketTst& w) { w.optionHostRemote1Way->click(); });
    EXPECT_EQ(ProfileRead(ini, "Packet Test Window", "Mode", ""), "9");
}

TEST_F(ToolWindows, ArrayTestBinaryPatternArrivesInTheHexTerminal) {
    auto& hex = Open<formHexText>(ToolWindow::formHexSecondary);
    auto& w = Open<formTstArray>(ToolWindow::formTstArray);
    w.comboArrayType->setCurrentIndex(2);
    EXPECT_EQ(w.labelPacketSize->text(), "16");
    w.textNumOfPackets->setText("2");
    w.buttonStart->click();
    ASSERT_TRUE(sched.advanceUntil([&] { return w.buttonStart->isEnabled(); }, 10000));
    sched.advance(100);
    QApplication::processEvents();
    EXPECT_EQ(w.labelPacketsTxed->text(), "2");
    // The dump is shown in rows of 16 bytes.
    EXPECT_EQ(hex.textRxedData->toPlainText(),
              "00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF \n01 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF ");
    Shot(w, "array_test");
}

TEST_F(ToolWindows, PortStatisticsFollowTheTraffic) {
    auto& text = Open<formHexText>(ToolWindow::formTextPrimary);
    auto& stats = Open<formComStats>(ToolWindow::formComStats);
    EXPECT_FALSE(stats.secondary.frame->isEnabled());
    EXPECT_EQ(stats.secondary.frame->title(), "Secondary Port - Com2");
    EXPECT_FALSE(stats.primary.dribbleBytes->isVisibleTo(&stats));
    text.textTxData->setText("0123456789");
    text.buttonSend->click();
    sched.advance(100);
    EXPECT_TRUE(stats.primary.frame->isEnabled());
    EXPECT_EQ(stats.primary.bytesTxed->text(), "12");
    EXPECT_EQ(stats.primary.baudRate->text(), "9600");
    Shot(stats, "port_stats");
    stats.primary.clear->click();
    EXPECT_EQ(stats.primary.bytesTxed->text(), "0");
    // The boxes only show the lines.
    stats.primary.lines[3]->click();
    EXPECT_FALSE(stats.primary.lines[3]->isChecked());
}

TEST_F(ToolWindows, PortTestTogglesTheLines) {
    ctx.state.engineerMode = true;
    auto& w = Open<formPortTest>(ToolWindow::formPortTest);
    EXPECT_EQ(w.comboTxMode[0]->currentText(), "No HS");
    w.checkContinuousToggling->click();
    w.textToggleTime->setText("0.2500");
    w.checkLine[primaryRts]->click();
    EXPECT_TRUE(w.checkLine[primaryRts]->isChecked());
    std::vector<bool> cts;
    for (int i = 0; i < 4; ++i) {
        sched.advance(250);
        cts.push_back(secondary->GetCTS());
    }
    EXPECT_EQ(cts, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(w.panelTest->value(), 3);
    w.buttonTest->click();
    sched.advance(50);
    QApplication::processEvents();
    Shot(w, "port_test");
    w.checkContinuousToggling->click();
    EXPECT_FALSE(w.checkLine[primaryRts]->isChecked());
    EXPECT_FALSE(primary->GetRTS());
}

}  // namespace
}  // namespace k45::test
