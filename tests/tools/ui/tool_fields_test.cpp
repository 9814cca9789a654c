// Keys and fields of the communication tool windows: F12 is a key of the whole terminal
// window, the entry line selects its text on getting the focus and takes a numeric box dropped
// on it, and the numeric boxes step by the arrow and page keys as the other windows' do.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "wiring/tool_window_ids.h"
#include "tools_window_bench.h"
#include "ui/num_box.h"
#include "ui/num_box_drop.h"

namespace k45::test {
namespace {

void Key(QWidget* w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(w, &release);
}

class ToolFields : public ToolWindowBench {
protected:
    formHexText& OpenActive(ToolWindow slot) {
        auto& t = Open<formHexText>(slot);
        t.activateWindow();
        QApplication::processEvents();
        return t;
    }
};

TEST_F(ToolFields, F12AddsThePatternWhicheverControlOfTheTerminalHasTheFocus) {
    ctx.state.engineerMode = true;
    auto& t = OpenActive(ToolWindow::formHexPrimary);
    const QString pattern = QString::fromLatin1(kHexTestPattern.data(), static_cast<int>(kHexTestPattern.size()));
    for (QWidget* focused : {static_cast<QWidget*>(t.buttonClearRx), static_cast<QWidget*>(t.textRxedData),
                             static_cast<QWidget*>(t.textTxData)}) {
        SCOPED_TRACE(focused->objectName().toStdString());
        t.textTxData->clear();
        focused->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), focused);
        Key(focused, Qt::Key_F12);
        EXPECT_EQ(t.textTxData->text(), pattern);
        EXPECT_EQ(QApplication::focusWidget(), t.textTxData);
    }
    // Only F12 alone.
    t.textTxData->clear();
    t.buttonSend->setFocus();
    Key(t.buttonSend, Qt::Key_F12, Qt::ShiftModifier);
    Key(t.buttonSend, Qt::Key_F12, Qt::ControlModifier);
    EXPECT_EQ(t.textTxData->text(), "");
}

TEST_F(ToolFields, F12DoesNothingOutsideEngineeringMode) {
    auto& t = OpenActive(ToolWindow::formTextPrimary);
    t.buttonClearRx->setFocus();
    Key(t.buttonClearRx, Qt::Key_F12);
    EXPECT_EQ(t.textTxData->text(), "");
    EXPECT_EQ(QApplication::focusWidget(), t.buttonClearRx);
}

TEST_F(ToolFields, TheEntryLineSelectsItsTextOnFocusAndTakesADroppedBox) {
    ctx.state.productionMode = true;
    auto& t = OpenActive(ToolWindow::formTextSecondary);
    t.textTxData->setText("typed line");
    t.buttonSend->setFocus();
    // A click gives the focus and then places the caret; the whole line is selected all the
    // same.
    t.textTxData->setFocus(Qt::MouseFocusReason);
    const QPointF at(4, 4);
    QMouseEvent press(QEvent::MouseButtonPress, at, t.textTxData->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(t.textTxData, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, t.textTxData->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(t.textTxData, &release);
    QApplication::processEvents();
    ASSERT_TRUE(t.textTxData->hasFocus());
    EXPECT_EQ(t.textTxData->selectedText(), "typed line");

    t.checkDmpTest->click();
    auto* device = t.findChild<NumBox*>("textDmpPort");
    ASSERT_NE(device, nullptr);
    device->setText("7");
    t.buttonSend->setFocus();
    ASSERT_TRUE(DropNumBox(device, t.textTxData));
    EXPECT_EQ(t.textTxData->text(), "7");
    EXPECT_TRUE(t.textTxData->hasFocus());
}

TEST_F(ToolFields, NumericBoxesStepByArrowAndPageKeysWithAndWithoutCtrl) {
    ctx.state.engineerMode = true;
    struct Case {
        ToolWindow slot;
        const char* box;
        const char* start;
        std::vector<std::string> after;  // Up, Page Up, Ctrl+Up, Ctrl+Page Up, Down
    };
    const std::vector<Case> cases = {
        {ToolWindow::formPacketTst, "textNumOfPackets", "5", {"6", "16", "116", "1116", "1115"}},
        {ToolWindow::formTstArray, "textNumOfPackets", "5", {"6", "16", "116", "1116", "1115"}},
        {ToolWindow::formPortTest, "textToggleTime", "0.2500", {"0.2510", "0.2610", "0.3610", "1.3610", "1.3600"}},
        {ToolWindow::formTextPrimary, "textDmpPort", "0", {"1", "2", "3", "4", "3"}},
    };
    const std::pair<int, Qt::KeyboardModifiers> keys[] = {{Qt::Key_Up, Qt::NoModifier},
                                                          {Qt::Key_PageUp, Qt::NoModifier},
                                                          {Qt::Key_Up, Qt::ControlModifier},
                                                          {Qt::Key_PageUp, Qt::ControlModifier},
                                                          {Qt::Key_Down, Qt::NoModifier}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box);
        auto& w = Open<ToolWindowBase>(c.slot);
        auto* box = w.findChild<NumBox*>(c.box);
        ASSERT_NE(box, nullptr);
        box->setText(c.start);
        for (std::size_t i = 0; i < c.after.size(); ++i) {
            Key(box, keys[i].first, keys[i].second);
            EXPECT_EQ(box->text().toStdString(), c.after[i]) << i;
        }
    }
    auto& packet = Window<formPacketTst>(ToolWindow::formPacketTst);
    ASSERT_TRUE(packet.hasDialogue());
    EXPECT_EQ(packet.dialogue().numberBox(), 1115);
}

}  // namespace
}  // namespace k45::test
