// A terminal inside the whole program has the keyboard in its entry line as soon as it is in
// front: opened from the menu, brought back from behind another window, or after a box.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>

#include "wiring/tool_window_ids.h"
#include "program_bench.h"
#include "tools/ui/terminal_window.h"

namespace k45::test {
namespace {

class TerminalKeyboard : public ProgramWithModem {
protected:
    void StartProgram() {
        StartProgramWithModem(false, "");
        // The program is the application in use (as the operator's is).
        QApplication::setActiveWindow(win.get());
        QApplication::processEvents();
    }
    formHexText& Open(const char* menuItem, ToolWindow slot) {
        QAction* a = win->action(menuItem);
        EXPECT_NE(a, nullptr) << menuItem;
        if (a) a->trigger();
        QApplication::processEvents();
        return *ctx.formAs<formHexText>(slot);
    }
    static bool TypesIntoTheEntryLine(const formHexText& t) { return QApplication::focusWidget() == t.textTxData; }
};

TEST_F(TerminalKeyboard, TheEntryLineHasTheKeyboardWheneverTheTerminalComesToTheFront) {
    StartProgram();
    formHexText& hex = Open("menuUtilsHexSecondary", ToolWindow::formHexSecondary);
    ASSERT_TRUE(hex.loaded());
    EXPECT_TRUE(TypesIntoTheEntryLine(hex));

    formHexText& text = Open("menuUtilsTextPrimary", ToolWindow::formTextPrimary);
    ASSERT_TRUE(text.loaded());
    EXPECT_TRUE(TypesIntoTheEntryLine(text));

    // A click into the hex terminal's received text brings it to the front with the keyboard
    // there; from the menu the other terminal comes back with the keyboard in its entry line.
    win->mdiArea()->setActiveSubWindow(win->subWindowFor(&hex));
    hex.textRxedData->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    Open("menuUtilsTextPrimary", ToolWindow::formTextPrimary);
    EXPECT_TRUE(TypesIntoTheEntryLine(text));

    // Activated again (its title bar clicked), the hex terminal has the keyboard in its entry
    // line, not where it last was.
    win->mdiArea()->setActiveSubWindow(win->subWindowFor(&hex));
    QApplication::processEvents();
    EXPECT_TRUE(TypesIntoTheEntryLine(hex));

    // Closing the window in front hands the keyboard to the entry line of the one below.
    hex.textRxedData->setFocus(Qt::MouseFocusReason);
    win->subWindowFor(&hex)->close();
    QApplication::processEvents();
    EXPECT_TRUE(TypesIntoTheEntryLine(text));
}

}  // namespace
}  // namespace k45::test
