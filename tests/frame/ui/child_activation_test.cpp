// Which child window the main window makes active when a child closes: the closing active
// child passes the activation to the next child in the stacking order (its activation handling
// runs, as a click's would).
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "main_window_harness.h"

namespace k45::test {
namespace {

class ChildActivation : public MainWindowTest {
protected:
    void StartShowing(std::initializer_list<FakeToolWindow*> windows) {
        Start();
        // The program is the application in use (as the operator's is).
        QApplication::setActiveWindow(win.get());
        QApplication::processEvents();
        for (FakeToolWindow* w : windows) win->ShowForm(*w);
        QApplication::processEvents();
    }
    QMdiSubWindow* Sub(QWidget& w) const { return win->subWindowFor(&w); }
    QMdiSubWindow* Active() const { return win->mdiArea()->activeSubWindow(); }
    void CloseChild(QWidget& w) {
        Sub(w)->close();
        QApplication::processEvents();
    }
};

TEST_F(ChildActivation, ClosingTheActiveChildActivatesTheOneBelowIt) {
    FakeToolWindow& a = AddWindow(ToolWindow::formComStats, "A");
    FakeToolWindow& b = AddWindow(ToolWindow::formLinkTst, "B");
    FakeToolWindow& c = AddWindow(ToolWindow::formOffLine, "C");
    StartShowing({&a, &b, &c});
    // A is brought forward and C again: from the bottom B, A, C.
    win->FocusForm(a);
    win->FocusForm(c);
    ASSERT_EQ(Active(), Sub(c));
    const int aBefore = a.activations, bBefore = b.activations;

    CloseChild(c);
    EXPECT_EQ(Active(), Sub(a));
    EXPECT_EQ(win->ActiveForm(), &a);
    EXPECT_EQ(a.activations, aBefore + 1);
    EXPECT_EQ(b.activations, bBefore);

    CloseChild(a);
    EXPECT_EQ(Active(), Sub(b));
    EXPECT_EQ(b.activations, bBefore + 1);

    CloseChild(b);
    EXPECT_EQ(Active(), nullptr);
    EXPECT_EQ(win->ActiveForm(), nullptr);
}

TEST_F(ChildActivation, ClosingAnotherChildLeavesTheActiveOneAsItIs) {
    FakeToolWindow& a = AddWindow(ToolWindow::formComStats, "A");
    FakeToolWindow& b = AddWindow(ToolWindow::formLinkTst, "B");
    FakeToolWindow& c = AddWindow(ToolWindow::formOffLine, "C");
    StartShowing({&a, &b, &c});
    const int aBefore = a.activations, bBefore = b.activations, cBefore = c.activations;

    CloseChild(b);
    EXPECT_EQ(Active(), Sub(c));
    CloseChild(a);
    EXPECT_EQ(Active(), Sub(c));
    EXPECT_EQ(a.activations, aBefore);
    EXPECT_EQ(b.activations, bBefore);
    EXPECT_EQ(c.activations, cBefore);
}

// The windows wait for their read while the operator works in another program: the closing
// reader still hands the activation on.
TEST_F(ChildActivation, TheActivationPassesOnWhileAnotherProgramHasTheFocus) {
    FakeToolWindow& waiting = AddWindow(ToolWindow::formProdTest, "Waiting");
    FakeToolWindow& reader = AddWindow(ToolWindow::formComStats, "Reader");
    StartShowing({&waiting, &reader});
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    QApplication::processEvents();
    ASSERT_NE(QApplication::activeWindow(), win.get());
    ASSERT_EQ(win->ActiveForm(), &reader);
    const int before = waiting.activations;

    CloseChild(reader);
    EXPECT_EQ(win->ActiveForm(), &waiting);
    EXPECT_EQ(waiting.activations, before + 1);
}

// Shutdown closes every child: none of them is activated on the way.
TEST_F(ChildActivation, ShutdownActivatesNoChild) {
    FakeToolWindow& a = AddWindow(ToolWindow::formComStats, "A");
    FakeToolWindow& b = AddWindow(ToolWindow::formLinkTst, "B");
    StartShowing({&a, &b});
    const int aBefore = a.activations;
    EXPECT_TRUE(Close());
    EXPECT_EQ(a.activations, aBefore);
}

}  // namespace
}  // namespace k45::test
