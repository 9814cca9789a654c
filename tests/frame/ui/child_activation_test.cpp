// Which child window the main window makes active when a child closes or a window's activation
// hands over to another window: the closing active child passes the activation to the next
// child in the stacking order (its activation handling runs, as a click's would), and a window
// shown from code comes to the front, active, even from inside another window's activation.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <functional>
#include <memory>
#include <vector>

#include "wiring/tool_window_ids.h"
#include "main_window_harness.h"
#include "support/mdi_front.h"

namespace k45::test {
namespace {

// A stand-in window that can do something more when it is activated.
class ActingWindow : public FakeToolWindow {
public:
    using FakeToolWindow::FakeToolWindow;
    void Form_Activate() override {
        FakeToolWindow::Form_Activate();
        if (onActivate) onActivate();
    }
    std::function<void()> onActivate;
};

class ChildActivation : public MainWindowTest {
protected:
    ActingWindow& AddActing(ToolWindow slot, const std::string& caption) {
        auto w = std::make_unique<ActingWindow>(caption, &journal, ctx.state.locale);
        ActingWindow& ref = *w;
        ctx.Register(slot, ref);
        unowned.push_back(std::move(w));
        return ref;
    }
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
    // The topmost sub-window that shows.
    QMdiSubWindow* Front() const { return FrontSubWindow(*win->mdiArea()); }
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

// ---- a window handed over to from another window's activation

enum class Activation { Click, ChildAboveCloses, FocusFromCode };

struct HandOverCase {
    const char* name;
    Activation how;
    bool alreadyOpen;  // the window handed over to is open, behind
};

void PrintTo(const HandOverCase& c, std::ostream* os) { *os << c.name; }

class HandOver : public ChildActivation, public ::testing::WithParamInterface<HandOverCase> {};

// The procedure window opens (or focuses) the editor when it is activated: the editor ends in
// front, active, with the keyboard, however the procedure window was activated.
TEST_P(HandOver, TheWindowHandedOverToComesToTheFrontActive) {
    const HandOverCase& c = GetParam();
    ActingWindow& procedure = AddActing(ToolWindow::formTune, "Procedure");
    FakeToolWindow& editor = AddWindow(ToolWindow::formDacVals, "Editor");
    FakeToolWindow& reader = AddWindow(ToolWindow::formComStats, "Reader");
    if (c.alreadyOpen)
        StartShowing({&editor, &procedure, &reader});
    else
        StartShowing({&procedure, &reader});
    ASSERT_EQ(Active(), Sub(reader));
    int handOvers = 0;
    procedure.onActivate = [&] {
        ++handOvers;
        win->OpenForm(editor);
    };

    switch (c.how) {
    case Activation::Click:
        // A click gives the focus to the control under the mouse.
        procedure.edit->setFocus(Qt::MouseFocusReason);
        break;
    case Activation::ChildAboveCloses:
        Sub(reader)->close();
        break;
    case Activation::FocusFromCode:
        win->FocusForm(procedure);
        break;
    }
    QApplication::processEvents();

    ASSERT_EQ(handOvers, 1);
    ASSERT_TRUE(editor.loaded());
    EXPECT_EQ(Active(), Sub(editor));
    EXPECT_EQ(Front(), Sub(editor));
    EXPECT_EQ(win->ActiveForm(), &editor);
    EXPECT_TRUE(HasKeyboard(editor));
}

const HandOverCase kHandOverCases[] = {
    {"ClickOpens", Activation::Click, false},
    {"ClickFocuses", Activation::Click, true},
    {"ChildAboveClosesOpens", Activation::ChildAboveCloses, false},
    {"ChildAboveClosesFocuses", Activation::ChildAboveCloses, true},
    {"FocusFromCodeOpens", Activation::FocusFromCode, false},
    {"FocusFromCodeFocuses", Activation::FocusFromCode, true},
};

INSTANTIATE_TEST_SUITE_P(Ways, HandOver, ::testing::ValuesIn(kHandOverCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- a newly shown window's activation

// Notes, at each of its activations, how many loads it had had by then (0: not loaded).
class LoadOrderWindow : public FakeToolWindow {
public:
    using FakeToolWindow::FakeToolWindow;
    void Form_Activate() override {
        FakeToolWindow::Form_Activate();
        loadsAtActivation.push_back(loaded() ? loads : 0);
    }
    std::vector<int> loadsAtActivation;
};

enum class Showing { IntoAnEmptyArea, OverAnotherChild, AgainAfterClosing, FromAnotherActivation, BeforeTheMainWindow };

struct ShowingCase {
    const char* name;
    Showing how;
    std::vector<int> loadsAtActivation;  // one entry per activation of the window shown
};

void PrintTo(const ShowingCase& c, std::ostream* os) { *os << c.name; }

class NewChild : public ChildActivation, public ::testing::WithParamInterface<ShowingCase> {};

// A window's work starts at its activation and needs what its load set up: each showing
// activates it once, after its load, however it was shown.
TEST_P(NewChild, IsActivatedOnceAfterItsLoad) {
    const ShowingCase& c = GetParam();
    auto owned = std::make_unique<LoadOrderWindow>("Shown", &journal, ctx.state.locale);
    LoadOrderWindow& shown = *owned;
    ctx.Register(ToolWindow::formComStats, shown);
    unowned.push_back(std::move(owned));
    FakeToolWindow& other = AddWindow(ToolWindow::formLinkTst, "Other");
    ActingWindow& procedure = AddActing(ToolWindow::formTune, "Procedure");

    switch (c.how) {
    case Showing::IntoAnEmptyArea:
        StartShowing({});
        win->ShowForm(shown);
        break;
    case Showing::OverAnotherChild:
        StartShowing({&other});
        win->ShowForm(shown);
        break;
    case Showing::AgainAfterClosing:
        StartShowing({&other, &shown});
        CloseChild(shown);
        win->ShowForm(shown);
        break;
    case Showing::FromAnotherActivation:
        StartShowing({&procedure, &other});
        procedure.onActivate = [&] { win->OpenForm(shown); };
        win->FocusForm(procedure);
        break;
    case Showing::BeforeTheMainWindow:
        showOnStart = false;
        Start();
        win->ShowForm(shown);
        QApplication::processEvents();
        win->show();
        QApplication::setActiveWindow(win.get());
        break;
    }
    QApplication::processEvents();

    EXPECT_EQ(shown.loadsAtActivation, c.loadsAtActivation);
    EXPECT_EQ(win->ActiveForm(), &shown);
    EXPECT_EQ(Active(), Sub(shown));
}

const ShowingCase kShowingCases[] = {
    {"IntoAnEmptyArea", Showing::IntoAnEmptyArea, {1}},
    {"OverAnotherChild", Showing::OverAnotherChild, {1}},
    {"AgainAfterClosing", Showing::AgainAfterClosing, {1, 2}},
    {"FromAnotherActivation", Showing::FromAnotherActivation, {1}},
    {"BeforeTheMainWindow", Showing::BeforeTheMainWindow, {1}},
};

INSTANTIATE_TEST_SUITE_P(Ways, NewChild, ::testing::ValuesIn(kShowingCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A later window shown from code wins over an earlier hand-over.
TEST_F(ChildActivation, ALaterWindowShownFromCodeStaysInFront) {
    ActingWindow& procedure = AddActing(ToolWindow::formTune, "Procedure");
    FakeToolWindow& editor = AddWindow(ToolWindow::formDacVals, "Editor");
    FakeToolWindow& other = AddWindow(ToolWindow::formPacketTst, "Other");
    FakeToolWindow& reader = AddWindow(ToolWindow::formComStats, "Reader");
    StartShowing({&procedure, &reader});
    procedure.onActivate = [&] { win->OpenForm(editor); };
    Sub(reader)->close();
    win->ShowForm(other);
    QApplication::processEvents();
    EXPECT_EQ(Active(), Sub(other));
    EXPECT_EQ(Front(), Sub(other));
}

}  // namespace
}  // namespace k45::test
