// F1 in the program's windows: every window and every part with a topic of its own reaches it, and
// the shipped help file holds every topic.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "wiring/tool_window_ids.h"
#include "frame/ui/form_about.h"
#include "frame/ui/help_routines.h"
#include "frame/ui/help_topics.h"
#include "platform/qt/qt_help_viewer.h"
#include "program_bench.h"
#include "programming/ui/rad_specs_window.h"

namespace k45::test {
namespace {

const char* const kShippedHelpFile = K45_TEST_DATA_DIR "/../../src/app/K45MR.html";

// The anchors the help file defines and the anchors its links lead to.
struct HelpFileLinks {
    std::multiset<std::string> anchors;
    std::set<std::string> targets;
};

HelpFileLinks ReadHelpFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string html = ss.str();
    HelpFileLinks links;
    const std::regex name(R"re(<a\s+name="([^"]+)")re"), href(R"re(href="#([^"]+)")re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), name); it != std::sregex_iterator(); ++it)
        links.anchors.insert((*it)[1]);
    for (auto it = std::sregex_iterator(html.begin(), html.end(), href); it != std::sregex_iterator(); ++it)
        links.targets.insert((*it)[1]);
    return links;
}

TEST(HelpFile, HoldsTheTopicOfEveryContextIdAndEveryLinkLeadsToATopic) {
    const HelpFileLinks file = ReadHelpFile(kShippedHelpFile);
    ASSERT_FALSE(file.anchors.empty());
    EXPECT_EQ(file.anchors.count("contents"), 1u);
    for (int id : AllHelpContextIds()) {
        const std::string anchor = HelpAnchor(id);
        EXPECT_EQ(file.anchors.count(anchor), 1u) << anchor;
        // A topic nobody can reach from the contents or another topic is lost to F1's readers.
        EXPECT_TRUE(file.targets.count(anchor)) << anchor << " is not linked";
    }
    for (const std::string& target : file.targets) EXPECT_TRUE(file.anchors.count(target)) << "#" << target;
}

TEST(HelpTopics, PartsAreLookedUpByTheirWindowAndName) {
    EXPECT_EQ(WindowContextId("formPortSettings"), 1100);
    EXPECT_EQ(WindowContextId("formNoSuchWindow"), 0);
    EXPECT_EQ(ControlContextId("formPortSettings", "textDcdTimeout"), 1102);
    // The same name in another window is another part.
    EXPECT_EQ(ControlContextId("formMemRead", "textDcdTimeout"), 0);
    // A trailing '*' stands for any ending, and only for an ending.
    EXPECT_EQ(ControlContextId("formTune", "checkTests14"), 1201);
    EXPECT_EQ(ControlContextId("formTune", "checkTest"), 0);
    EXPECT_EQ(ControlContextId("formTune", ""), 0);
}

// The whole program in engineering mode (every window and menu there), with a help file in the
// program folder so that the stand-in viewer accepts every request.
class HelpInProgram : public ProgramWithModem {
protected:
    void StartAll() {
        home.write("K45MR.html", "<html><a name=\"contents\"></a></html>");
        StartProgramWithModem(true, "");
        dialogs.answerAllBoxes(MsgAnswer::OK);
        help.calls.clear();
    }

    // Every window the program made: the registered tool windows and the parameter reader.
    std::vector<QWidget*> Windows() const {
        std::vector<QWidget*> all;
        for (const ToolWindowInfo& info : kToolWindows)
            if (auto* w = dynamic_cast<QWidget*>(ctx.form(info.id))) all.push_back(w);
        if (auto* reader = dynamic_cast<QWidget*>(ctx.formParmsGetCurrent.get())) all.push_back(reader);
        return all;
    }

    // Opens a window and makes it the active one (many open the parameter reader over
    // themselves first).
    QWidget* Open(ToolForm& form) {
        if (auto* rw = dynamic_cast<ParmsRdWrForm*>(&form)) rw->setParmsMode(ParmsMode::ReadProgrammable);
        win->OpenForm(form);
        QApplication::processEvents();
        if (QMdiSubWindow* sub = win->subWindowFor(dynamic_cast<QWidget*>(&form))) {
            win->mdiArea()->setActiveSubWindow(sub);
            QApplication::processEvents();
        }
        return ActiveWindow();
    }

    QWidget* ActiveWindow() const { return dynamic_cast<QWidget*>(win->ActiveForm()); }

    std::vector<std::string> PressF1() {
        help.calls.clear();
        win->action("menuHelpContents")->trigger();
        return help.calls;
    }

    static std::vector<std::string> Topic(int id) { return {"topic " + std::to_string(id)}; }
};

TEST_F(HelpInProgram, EveryWindowHasATopic) {
    StartAll();
    std::vector<QWidget*> windows = Windows();
    ASSERT_EQ(windows.size(), kToolWindows.size() + 1);
    formRadSpecs radSpecs(ctx, win.get());
    FormAbout about(ctx, win.get());
    windows.push_back(&radSpecs);
    windows.push_back(&about);
    for (QWidget* w : windows) {
        const std::string name = w->objectName().toStdString();
        EXPECT_NE(WindowContextId(name), 0) << name;
    }
}

// A row naming a control its window does not have (renamed, or a typing error) would leave that
// part without its topic.
TEST_F(HelpInProgram, EveryPartInTheTableIsAPartOfItsWindow) {
    StartAll();
    std::map<std::string, QWidget*> byName;
    for (QWidget* w : Windows()) byName[w->objectName().toStdString()] = w;
    for (const ControlHelp& row : ControlHelpTable()) {
        SCOPED_TRACE(std::string(row.windowName) + " " + row.controlName);
        ASSERT_TRUE(byName.count(row.windowName));
        std::string pattern = row.controlName;
        const bool prefix = !pattern.empty() && pattern.back() == '*';
        if (prefix) pattern.pop_back();
        bool found = false;
        for (QWidget* c : byName[row.windowName]->findChildren<QWidget*>()) {
            const std::string name = c->objectName().toStdString();
            found = found || (prefix ? name.rfind(pattern, 0) == 0 : name == pattern);
        }
        EXPECT_TRUE(found);
    }
}

TEST_F(HelpInProgram, F1InEachWindowShowsItsTopic) {
    StartAll();
    for (QWidget* w : Windows()) {
        const std::string name = w->objectName().toStdString();
        SCOPED_TRACE(name);
        ToolForm* form = dynamic_cast<ToolForm*>(w);
        ASSERT_EQ(Open(*form), w);
        // One of the window's own buttons: no part of a window has a topic of its own there.
        QAbstractButton* button = nullptr;
        for (const char* b : {"buttonClose", "buttonCancel", "buttonOK", "buttonTest"})
            if (!button) button = w->findChild<QAbstractButton*>(b);
        ASSERT_NE(button, nullptr);
        button->setFocus();
        ASSERT_EQ(w->focusWidget(), button);
        EXPECT_EQ(PressF1(), Topic(WindowContextId(name)));
        win->subWindowFor(w)->close();
        QApplication::processEvents();
    }
}

struct PartCase {
    ToolWindow window;
    const char* control;
    int contextId;
};

TEST_F(HelpInProgram, F1OnAPartWithATopicOfItsOwnShowsThatTopic) {
    StartAll();
    const PartCase cases[] = {
        {ToolWindow::formRadioParms, "textComment", 1001},       // in the Modem Parameters frame
        {ToolWindow::formRadioParms, "comboBaudRate", 1002},     // in the Communication Parameters frame
        {ToolWindow::formPortSettings, "comboPrimaryPortNum", kHelpIdSerialPorts},
        {ToolWindow::formPortSettings, "comboPrimaryParity", 1101},  // its frame's topic
        {ToolWindow::formPortSettings, "textCtsTimeout", 1102},  // the focus is in the box's own line edit
        {ToolWindow::formProdTest, "checkDiagEn", 1390},
        {ToolWindow::formProdTest, "textDirectDac", 1301},
        {ToolWindow::formTune, "checkTests0", 1201},
        {ToolWindow::formOffLine, "buttonClearStats", 1411},
    };
    for (const PartCase& c : cases) {
        SCOPED_TRACE(c.control);
        QWidget* w = Open(*ctx.form(c.window));
        ASSERT_NE(w, nullptr);
        auto* control = w->findChild<QWidget*>(c.control);
        ASSERT_NE(control, nullptr);
        // Show the tab page the control is on (a page's parent is its tab widget's stack).
        for (QWidget* page = control; page && page != w; page = page->parentWidget()) {
            QWidget* stack = page->parentWidget();
            if (auto* tabs = qobject_cast<QTabWidget*>(stack ? stack->parentWidget() : nullptr))
                tabs->setCurrentWidget(page);
        }
        QApplication::processEvents();
        ASSERT_TRUE(control->isVisible() && control->isEnabled());
        control->setFocus();
        ASSERT_TRUE(w->focusWidget() == control || control->isAncestorOf(w->focusWidget()));
        EXPECT_EQ(PressF1(), Topic(c.contextId));
    }
}

// F1 always shows something: the contents when no window is active, the window's topic when the
// window has no focused control.
TEST_F(HelpInProgram, F1WithoutAnActiveWindowOrFocusedControlStillShowsHelp) {
    StartAll();
    EXPECT_EQ(PressF1(), std::vector<std::string>{"contents"});

    QWidget* stats = Open(*ctx.form(ToolWindow::formComStats));
    ASSERT_NE(stats, nullptr);
    win->mdiArea()->setActiveSubWindow(nullptr);
    ASSERT_EQ(ActiveWindow(), nullptr);
    ASSERT_TRUE(ctx.form(ToolWindow::formComStats)->loaded());
    EXPECT_EQ(PressF1(), std::vector<std::string>{"contents"});

    win->mdiArea()->setActiveSubWindow(win->subWindowFor(stats));
    if (QWidget* focused = stats->focusWidget()) focused->clearFocus();
    ASSERT_EQ(stats->focusWidget(), nullptr);
    EXPECT_EQ(PressF1(), Topic(1110));
}

// Modal windows block the main window's command: F1 there shows their topic all the same, and
// leaves the key to a modal window without one.
TEST_F(HelpInProgram, F1InAModalWindowShowsItsTopic) {
    StartAll();
    auto pressF1In = [this](QWidget& modal) {
        modal.setWindowModality(Qt::ApplicationModal);
        modal.show();
        QApplication::processEvents();
        EXPECT_EQ(QApplication::activeModalWidget(), &modal);
        help.calls.clear();
        QWidget* target = modal.focusWidget() ? modal.focusWidget() : &modal;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        modal.hide();
        return help.calls;
    };
    {
        formRadSpecs radSpecs(ctx, win.get());
        EXPECT_EQ(pressF1In(radSpecs), Topic(1070));
    }
    {
        FormAbout about(ctx, win.get());
        EXPECT_EQ(pressF1In(about), Topic(kHelpIdHelp));
    }
    {
        QDialog box(win.get());
        EXPECT_EQ(pressF1In(box), std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace k45::test
