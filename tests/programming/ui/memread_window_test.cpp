// The memory read window on the offscreen platform against the simulated modem.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>

#include "base/hex_text.h"
#include "programming/ui/mem_read_window.h"
#include "programming/window_bench.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

class MemReadWindow : public ProgrammingBench {
protected:
    MemReadWindow() {
        mainFrame.active = &win;
        win.show();
        win.Form_Activate();
    }
    ~MemReadWindow() override { win.close(); }
    bool Dump() {
        win.buttonUpdate->click();
        return sched.advanceUntil([&] { return win.dialogue().readState() == MemReadState::Idle; }, 20000);
    }
    QString Hex2(int v) const { return QString::fromStdString(ByteToHex2(v)); }
    formMemRead win{ctx};
};

TEST_F(MemReadWindow, UpdateDumpsBothMemoriesAndShowsTheFirstByte) {
    EXPECT_EQ(win.windowTitle(), "Memory Read");
    EXPECT_TRUE(win.optionEeprom->isChecked());
    EXPECT_TRUE(win.textValue->isReadOnly());
    win.buttonUpdate->click();
    EXPECT_FALSE(win.buttonUpdate->isEnabled());
    ASSERT_TRUE(sched.advanceUntil([&] { return win.dialogue().readState() == MemReadState::Idle; }, 20000));
    EXPECT_TRUE(win.buttonUpdate->isEnabled());
    EXPECT_EQ(win.textAddress->text(), "0000");
    EXPECT_EQ(win.textValue->text(), Hex2(modem.image[0]));
    EXPECT_EQ(hostWrites("DE").size(), 1u);
    EXPECT_EQ(hostWrites("DA").size(), 1u);
}

TEST_F(MemReadWindow, SteppingKeysInTheAddressBoxFollowTheValue) {
    ASSERT_TRUE(Dump());
    win.textAddress->setFocus();
    PressKey(win.textAddress, Qt::Key_Down);
    EXPECT_EQ(win.textAddress->text(), "027F");
    EXPECT_EQ(win.textValue->text(), Hex2(modem.image[639]));
    PressKey(win.textAddress, Qt::Key_Up);
    EXPECT_EQ(win.textAddress->text(), "0000");
    PressKey(win.textAddress, Qt::Key_PageUp);
    EXPECT_EQ(win.textAddress->text(), "0010");
    EXPECT_EQ(win.textValue->text(), Hex2(modem.image[16]));
    // With Ctrl the box steps by itself (256) and the value stays as it was.
    PressKey(win.textAddress, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(win.textAddress->text(), "110");
    EXPECT_EQ(win.textValue->text(), Hex2(modem.image[16]));
    Screenshot(win, "mem_read");
}

TEST_F(MemReadWindow, ChoosingTheRamShowsItsByte) {
    ASSERT_TRUE(Dump());
    win.textAddress->setText("02FF");
    win.optionRam->click();
    EXPECT_EQ(win.textAddress->text(), "02FF");
    EXPECT_EQ(win.textValue->text(), Hex2(modem.ram[767]));
    win.textAddress->setText("1234");
    win.optionEeprom->click();
    EXPECT_EQ(win.textAddress->text(), "0000");
    EXPECT_EQ(win.textValue->text(), Hex2(modem.image[0]));
}

TEST_F(MemReadWindow, OpenedAgainItShowsTheEepromAtAddressZero) {
    ASSERT_TRUE(Dump());
    win.optionRam->click();
    win.textAddress->setText("02FE");
    win.optionRam->click();
    ASSERT_NE(win.textValue->text(), "00");
    win.buttonClose->click();
    ASSERT_FALSE(win.loaded());
    win.show();
    EXPECT_TRUE(win.loaded());
    EXPECT_TRUE(win.optionEeprom->isChecked());
    EXPECT_EQ(win.textAddress->text(), "0000");
    EXPECT_EQ(win.textValue->text(), "00");
    EXPECT_EQ(win.dialogue().eepromImage()[0], 0);  // the dumped bytes went with the close
}

TEST_F(MemReadWindow, EnterOnTheFocusedCloseButtonCloses) {
    QApplication::setActiveWindow(&win);
    win.buttonClose->setFocus();
    PressKey(win.buttonClose, Qt::Key_Return);
    EXPECT_FALSE(win.loaded());
    sched.advance(2000);
    EXPECT_TRUE(hostWrites("DE").empty());
}

TEST_F(MemReadWindow, EnterPressesUpdateOnlyWhenNoDumpRuns) {
    PressKey(&win, Qt::Key_Return);
    EXPECT_EQ(hostWrites("DE").size(), 1u);
    sched.advance(200);
    PressKey(&win, Qt::Key_Return);
    ASSERT_TRUE(sched.advanceUntil([&] { return win.dialogue().readState() == MemReadState::Idle; }, 20000));
    EXPECT_EQ(hostWrites("DE").size(), 1u);
    PressKey(&win, Qt::Key_Escape);
    EXPECT_FALSE(win.loaded());
}

}  // namespace
}  // namespace k45::test
