// Menus, tool bar, openers, status bar, clipboard commands and help of the main window.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <algorithm>
#include <cstdlib>

#include "wiring/tool_window_ids.h"
#include "frame/ui/help_routines.h"
#include "frame/ui/menu_table.h"
#include "frame/ui/tool_windows.h"
#include "main_window_harness.h"
#include "serial/class_comm.h"
#include "serial/ui/port_settings_window.h"

namespace k45::test {
namespace {

using MenusTest = MainWindowTest;

std::vector<std::string> VisibleItems(QMenu* menu) {
    std::vector<std::string> items;
    for (QAction* a : menu->actions())
        if (a->isVisible()) items.push_back(a->isSeparator() ? "-" : a->text().toStdString());
    return items;
}

TEST_F(MenusTest, FieldConfigurationShowsTheFieldMenus) {
    Start();
    std::vector<std::string> top;
    for (QAction* a : win->menuBar()->actions())
        if (a->isVisible()) top.push_back(a->text().toStdString());
    EXPECT_EQ(top, (std::vector<std::string>{"&File", "&Edit", "&Utilities", "&Window", "&Help"}));
    EXPECT_EQ(VisibleItems(win->menu("menuEdit")),
              (std::vector<std::string>{"&Setup Modem/Radio Parameters", "-", "Version Re&quest", "-",
                                        "&Write Programmable Parameters", "&Read Programmable Parameters", "-",
                                        "C&lone Programmable Parameters", "-", "Cut (&X)", "Copy (&C)",
                                        "Paste (&V)"}));
    EXPECT_EQ(VisibleItems(win->menu("menuFile")),
              (std::vector<std::string>{"&Open Data File", "&Save Data File", "Save Data File &As", "-",
                                        "Open &K45 Data File", "-", "E&xit"}));
    EXPECT_EQ(win->action("menuEditCopy")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(win->action("menuHelpContents")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_TRUE(win->action("menuUtilsToolBar")->isChecked());

    std::vector<std::string> buttons, tips;
    for (QAction* a : win->toolbarTest->actions())
        if (a->objectName().startsWith("toolbarTest")) {
            buttons.push_back(a->text().toStdString());
            tips.push_back(a->toolTip().toStdString());
        }
    EXPECT_EQ(buttons, (std::vector<std::string>{"Parms", "Read", "Write", "Clone"}));
    EXPECT_EQ(tips, (std::vector<std::string>{"Setup Modem/Radio Parameters", "Read Programmable Parameters",
                                              "Write Programmable Parameters", "Clone Programmable Parameters"}));
}

TEST_F(MenusTest, CommandsOfWindowsThatDoNotExistAreDisabled) {
    Start(true);  // engineering: the Engineer menu is there, its windows are not
    for (const char* item : {"menuEditSetup", "menuEditVersion", "menuEditRead", "menuEditWrite", "menuEditClone",
                             "menuUtilsPort", "menuUtilsPortStats", "menuUtilsSwapPorts", "menuUtilsOnLineDiags",
                             "menuUtilsTextPrimary", "menuUtilsText", "menuEngTest", "menuEngPortTest",
                             "toolbarTestParms", "toolbarTestRead"})
        EXPECT_FALSE(win->action(item)->isEnabled()) << item;
    for (const char* item : {"menuEditCut", "menuHelpContents", "menuHelpAbout", "menuUtilsToolBar", "menuFileExit"})
        EXPECT_TRUE(win->action(item)->isEnabled()) << item;

    AddWindow(ToolWindow::formParmsRdWr);
    AddWindow(ToolWindow::formTextSecondary);
    AddWindow(ToolWindow::formPacketTst);
    for (const char* item : {"menuEditRead", "menuEditWrite", "menuEditClone", "toolbarTestRead", "toolbarTestClone",
                             "menuUtilsText", "menuUtilsTextSecondary", "menuUtilsPacketTest", "menuEngPacketTest"})
        EXPECT_TRUE(win->action(item)->isEnabled()) << item;
    EXPECT_FALSE(win->action("menuUtilsTextPrimary")->isEnabled());
    // Read All needs production mode as well as the window.
    EXPECT_FALSE(win->action("menuEditReadAll")->isEnabled());
}

// The contract a window of a later subsystem relies on: its menu row is disabled until the
// window is registered, then enabled, and it opens that window.
TEST_F(MenusTest, EveryOpenerRowEnablesWithItsWindowAndOpensIt) {
    Start(true, "/ProductionTest");
    int rows = 0;
    for (const MenuRow& row : MDIMain::MenuTable()) {
        if (row.kind != MenuRowKind::Item || !row.window || row.handler) continue;
        ++rows;
        QAction* a = win->action(row.name);
        ASSERT_NE(a, nullptr) << row.name;
        FakeToolWindow* w = dynamic_cast<FakeToolWindow*>(ctx.form(*row.window));
        if (!w) {
            EXPECT_FALSE(a->isEnabled()) << row.name;
            w = &AddWindow(*row.window, row.name);
        }
        EXPECT_TRUE(a->isEnabled()) << row.name;
        a->trigger();
        EXPECT_TRUE(w->loaded()) << row.name;
        EXPECT_EQ(win->ActiveForm(), w) << row.name;
        win->subWindowFor(w)->close();
    }
    EXPECT_GE(rows, 20);
}

TEST_F(MenusTest, WindowOpeningRuleShowsOnceThenFocuses) {
    FakeToolWindow& stats = AddWindow(ToolWindow::formComStats, "Port Statistics");
    FakeToolWindow& link = AddWindow(ToolWindow::formLinkTst, "Link Test");
    Start();
    win->action("menuUtilsPortStats")->trigger();
    EXPECT_TRUE(stats.loaded());
    EXPECT_EQ(win->ActiveForm(), &stats);
    win->action("menuUtilsLinkTst")->trigger();
    EXPECT_EQ(win->ActiveForm(), &link);
    EXPECT_EQ(stats.activations, 1);
    EXPECT_EQ(link.activations, 1);

    // Opening it again focuses the same window.
    win->action("menuUtilsPortStats")->trigger();
    EXPECT_EQ(stats.loads, 1);
    EXPECT_EQ(win->ActiveForm(), &stats);
    EXPECT_EQ(stats.activations, 2);
    EXPECT_EQ(win->mdiArea()->subWindowList().size(), 2);

    // Closed and opened again: loads again, in the same sub-window.
    win->subWindowFor(&stats)->close();
    EXPECT_FALSE(stats.loaded());
    win->action("menuUtilsPortStats")->trigger();
    EXPECT_EQ(stats.loads, 2);
    EXPECT_EQ(win->mdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(win->ActiveForm(), &stats);
}

TEST_F(MenusTest, DataModifiedByEditCommandsAndToolBarParms) {
    FakeToolWindow& editor = AddWindow(ToolWindow::formRadioParms);
    FakeToolWindow& timing = AddWindow(ToolWindow::formMdmTimes);
    AddWindow(ToolWindow::formParmsRdWr);
    Start(true, "/ProductionTest");
    EXPECT_FALSE(win->dataModified());

    win->action("menuEditWrite")->trigger();
    EXPECT_FALSE(win->dataModified());

    // Tool-bar Parms: set only when it shows the editor.
    win->action("toolbarTestParms")->trigger();
    EXPECT_TRUE(editor.loaded());
    EXPECT_TRUE(win->dataModified());
    win->setDataModified(false);
    win->action("toolbarTestParms")->trigger();
    EXPECT_FALSE(win->dataModified());
    // Edit > Setup sets it also when it only focuses the editor.
    win->action("menuEditSetup")->trigger();
    EXPECT_TRUE(win->dataModified());
    EXPECT_EQ(editor.loads, 1);
    // Edit Modem Timing likewise, shown or only focused.
    for (int i = 0; i < 2; ++i) {
        win->setDataModified(false);
        win->action("menuEditModemTiming")->trigger();
        EXPECT_TRUE(timing.loaded());
        EXPECT_TRUE(win->dataModified()) << i;
    }
    EXPECT_EQ(timing.loads, 1);
}

TEST_F(MenusTest, ReadWhileTheReadWriteWindowIsOpen) {
    FakeToolWindow& rdwr = AddWindow(ToolWindow::formParmsRdWr, "Write Parameters");
    FakeToolWindow& other = AddWindow(ToolWindow::formComStats);
    Start();
    win->action("menuEditWrite")->trigger();
    EXPECT_EQ(rdwr.mode, ParmsMode::WriteProgrammable);
    EXPECT_FALSE(rdwr.autoStart());
    win->OpenForm(other);

    // Open for a write: Read names it, leaves it in its mode and focuses it.
    dialogs.expectBox("Must close Write Parameters before performing this operation.");
    win->action("toolbarTestRead")->trigger();
    EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Critical);
    EXPECT_EQ(rdwr.mode, ParmsMode::WriteProgrammable);
    EXPECT_FALSE(rdwr.autoStart());
    EXPECT_EQ(win->ActiveForm(), &rdwr);
    EXPECT_TRUE(win->dataModified());
    EXPECT_EQ(rdwr.loads, 1);

    // Open in the same mode: no message, auto-start unchanged.
    win->subWindowFor(&rdwr)->close();
    win->action("toolbarTestRead")->trigger();
    EXPECT_EQ(rdwr.mode, ParmsMode::ReadProgrammable);
    EXPECT_TRUE(rdwr.autoStart());
    win->action("menuEditRead")->trigger();
    EXPECT_TRUE(rdwr.autoStart());
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(MenusTest, OpenersPassModeAndAutoStart) {
    FakeToolWindow& rdwr = AddWindow(ToolWindow::formParmsRdWr);
    FakeToolWindow& version = AddWindow(ToolWindow::formVerReqst);
    Start(true, "/ProductionTest");
    struct Case { const char* item; ParmsMode mode; bool autoStart; bool modifies; };
    const Case cases[] = {
        {"menuEditRead", ParmsMode::ReadProgrammable, false, true}, {"menuEditWrite", ParmsMode::WriteProgrammable, false, false},
        {"menuEditReadAll", ParmsMode::ReadAll, false, true},       {"menuEditWriteAll", ParmsMode::WriteAll, false, false},
        {"menuEditClone", ParmsMode::CloneProgrammable, false, false}, {"toolbarTestRead", ParmsMode::ReadProgrammable, true, true},
        {"toolbarTestWrite", ParmsMode::WriteProgrammable, false, false},
        {"toolbarTestClone", ParmsMode::CloneProgrammable, false, false},
    };
    for (const Case& c : cases) {
        win->setDataModified(false);
        ctx.state.currentParameters.comment = "old";
        ctx.state.mainParameters.comment = "main";
        win->action(c.item)->trigger();
        EXPECT_EQ(rdwr.mode, c.mode) << c.item;
        EXPECT_EQ(rdwr.autoStart(), c.autoStart) << c.item;
        EXPECT_EQ(win->dataModified(), c.modifies) << c.item;
        const bool all = c.mode == ParmsMode::ReadAll || c.mode == ParmsMode::WriteAll;
        EXPECT_EQ(ctx.state.currentParameters.comment, all ? "main" : "old") << c.item;
        win->subWindowFor(&rdwr)->close();
    }

    win->action("menuEditVersion")->trigger();
    EXPECT_TRUE(version.autoStart());
    version.setAutoStart(false);
    win->action("menuEditVersion")->trigger();  // open: focused only
    EXPECT_FALSE(version.autoStart());
    EXPECT_EQ(version.loads, 1);
}

TEST_F(MenusTest, ToolBarToggle) {
    Start();
    QAction* item = win->action("menuUtilsToolBar");
    item->trigger();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(win->toolbarTest->isVisible());
    EXPECT_FALSE(win->toolbarTest->isEnabled());
    item->trigger();
    EXPECT_TRUE(win->toolbarTest->isVisible());
    EXPECT_TRUE(win->toolbarTest->isEnabled());
    // The window offers no other way to hide it (a right-click popup with the bar's toggle
    // would leave the item checked over a hidden bar).
    std::unique_ptr<QMenu> popup(win->createPopupMenu());
    EXPECT_EQ(popup, nullptr);
}

TEST_F(MenusTest, StatusBarAndVersionFrame) {
    Start();
    for (const char* expected : {"1", "2", "3"}) {
        win->IncrementTestNumber(true);
        EXPECT_EQ(win->panelText(1), expected);
    }
    win->IncrementTestNumber(false);
    EXPECT_EQ(win->panelText(1), "");

    win->SetFirmwareVersionLabel("K45 V2.10 ");
    EXPECT_EQ(win->labelVersion->text(), "K45 V2.10 ");
    win->SetUnitIdLabels(5000);
    EXPECT_EQ(win->labelLongId->text(), "5000");
    EXPECT_EQ(win->labelShortID->text(), "+ 904");
    win->SetUnitIdLabels(12);
    EXPECT_EQ(win->labelShortID->text(), "  12");
}

TEST_F(MenusTest, ProgramTitleAndToolBarLayout) {
    Start();
    // The version frame sits right of the buttons, inside the bar's height.
    QWidget* last = win->toolbarTest->widgetForAction(win->action("toolbarTestClone"));
    ASSERT_NE(last, nullptr);
    EXPECT_GT(win->frameVersion->geometry().left(), last->geometry().right());
    EXPECT_GE(win->toolbarTest->height(), last->geometry().bottom() + 2);
}

// ---------------------------------------------------------------------------------------------
// Cut, Copy and Paste

class ClipboardTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        window = &AddWindow(ToolWindow::formComStats);
        Start();
        win->OpenForm(*window);
        window->edit->setFocus();
        window->edit->setText("hello world");
        window->edit->setSelection(6, 5);  // "world"
    }
    FakeToolWindow* window = nullptr;
};

TEST_F(ClipboardTest, CutCopyPasteOnTheFocusedField) {
    clipboard.text_ = "earlier";
    win->action("menuEditCopy")->trigger();
    EXPECT_EQ(clipboard.text_, "world");
    win->action("menuEditCut")->trigger();
    EXPECT_EQ(window->edit->text(), "hello ");
    clipboard.text_ = "there";
    win->action("menuEditPaste")->trigger();
    EXPECT_EQ(window->edit->text(), "hello there");

    // Copy with nothing selected empties the clipboard.
    window->edit->deselect();
    win->action("menuEditCopy")->trigger();
    EXPECT_EQ(clipboard.text_, "");
}

TEST_F(ClipboardTest, LockedFieldIsCopiedButNotChanged) {
    window->edit->setReadOnly(true);
    win->action("menuEditCut")->trigger();
    EXPECT_EQ(clipboard.text_, "world");
    EXPECT_EQ(window->edit->text(), "hello world");
    clipboard.text_ = "x";
    win->action("menuEditPaste")->trigger();
    EXPECT_EQ(window->edit->text(), "hello world");

    window->edit->setReadOnly(false);
    window->edit->setProperty("locked", true);
    win->action("menuEditPaste")->trigger();
    EXPECT_EQ(window->edit->text(), "hello world");
}

TEST_F(ClipboardTest, TerminalPanesAreLeftAlone) {
    auto* pane = new QPlainTextEdit(window);
    pane->setProperty("tag", "RichTextBox");
    pane->setPlainText("received data");
    pane->selectAll();
    pane->show();
    pane->setFocus();
    ASSERT_EQ(window->focusWidget(), pane);
    clipboard.text_ = "kept";
    win->action("menuEditCopy")->trigger();
    win->action("menuEditCut")->trigger();
    win->action("menuEditPaste")->trigger();
    EXPECT_EQ(clipboard.text_, "kept");
    EXPECT_EQ(clipboard.clears, 0);
    EXPECT_EQ(pane->toPlainText(), "received data");

    // The same pane untagged is an ordinary text box.
    pane->setProperty("tag", QVariant());
    win->action("menuEditCut")->trigger();
    EXPECT_EQ(clipboard.text_, "received data");
    EXPECT_EQ(pane->toPlainText(), "");
}

TEST_F(ClipboardTest, ControlWithoutTextLeavesTheClipboardEmpty) {
    auto* button = new QPushButton("OK", window);
    button->show();
    button->setFocus();
    ASSERT_EQ(window->focusWidget(), button);
    for (const char* item : {"menuEditCopy", "menuEditCut"}) {
        clipboard.text_ = "earlier";
        win->action(item)->trigger();
        EXPECT_EQ(clipboard.text_, "") << item;
    }
    clipboard.text_ = "kept";
    win->action("menuEditPaste")->trigger();
    EXPECT_EQ(clipboard.text_, "kept");
    EXPECT_EQ(window->edit->text(), "hello world");
}

TEST_F(ClipboardTest, NoActiveChildWindowDoesNothing) {
    win->subWindowFor(window)->close();
    clipboard.text_ = "kept";
    win->action("menuEditCut")->trigger();
    win->action("menuEditPaste")->trigger();
    EXPECT_EQ(clipboard.text_, "kept");
    EXPECT_EQ(clipboard.clears, 0);
}

// ---------------------------------------------------------------------------------------------
// Help

TEST_F(MenusTest, HelpFileNameHasNoDoubledSeparator) {
    EXPECT_EQ(HelpFileName("/opt/k45mr"), "/opt/k45mr/K45MR.html");
    EXPECT_EQ(HelpFileName("/"), "/K45MR.html");
    EXPECT_EQ(HelpFileName("  /opt/k45mr  "), "/opt/k45mr/K45MR.html");
}

TEST_F(MenusTest, HelpContentsPicksTheTopicFromTheFocus) {
    home.write("K45MR.html", "<html><a name=\"contents\"></a></html>");
    FakeToolWindow& w = AddWindow(ToolWindow::formComStats);
    Start();
    EXPECT_EQ(win->help().helpFile(), home.file("K45MR.html"));

    win->action("menuHelpContents")->trigger();  // no child window loaded
    win->OpenForm(w);
    w.edit->setFocus();
    w.edit->setProperty("helpContextId", 2010);
    w.setProperty("helpContextId", 2000);
    win->action("menuHelpContents")->trigger();
    w.edit->setProperty("helpContextId", 0);
    win->action("menuHelpContents")->trigger();
    w.setProperty("helpContextId", QVariant());
    win->action("menuHelpContents")->trigger();
    EXPECT_EQ(help.calls, (std::vector<std::string>{"contents", "topic 2010", "topic 2000", "contents"}));
}

TEST_F(MenusTest, MissingHelpFileGivesAClearMessage) {
    Start();
    dialogs.expectBox("The help file " + home.file("K45MR.html") + " was not found.");
    win->HelpContents();
}

// ---------------------------------------------------------------------------------------------
// Swap Comm Ports

TEST_F(MenusTest, SwapCommPortsExchangesTheConfiguredSettings) {
    FakeToolWindow& active = AddWindow(ToolWindow::formComStats);
    Start(false, "", DefaultSubsystemHooks(), /*withPorts=*/true);
    classComm& primary = *ctx.ports.classCommPrimary;
    classComm& secondary = *ctx.ports.classCommSecondary;
    ASSERT_TRUE(win->action("menuUtilsSwapPorts")->isEnabled());
    win->MDIForm_Activate();  // primary forced open on Com1
    CommSettings comm = secondary.settings();
    comm.portSettings.baudRate = 19200;
    comm.txModeValue = 1;
    comm.syncChar = 100;
    comm.dcdTimeoutTime = 3.0;
    secondary.setSettings(comm);
    win->OpenForm(active);
    const int activationsBefore = active.activations;

    win->action("menuUtilsSwapPorts")->trigger();
    EXPECT_EQ(primary.settings().portNumber, 2);
    EXPECT_EQ(primary.settings().portSettings.baudRate, 19200);
    EXPECT_EQ(primary.settings().txModeValue, 1);
    EXPECT_TRUE(primary.GetCommPortOpen());
    EXPECT_EQ(primary.GetWorkingBaudRate(), 9600);  // reopened with its forced settings
    EXPECT_EQ(cable->a().portNumber(), 2);
    EXPECT_EQ(secondary.settings().portNumber, 1);
    EXPECT_EQ(secondary.settings().portSettings.baudRate, 9600);
    EXPECT_FALSE(secondary.GetCommPortOpen());
    // These stay with their objects.
    EXPECT_EQ(secondary.settings().syncChar, 100);
    EXPECT_EQ(secondary.settings().dcdTimeoutTime, 3.0);
    EXPECT_EQ(win->panelText(2), "Com2 / Com1");
    EXPECT_EQ(active.activations, activationsBefore + 1);

    win->action("menuUtilsSwapPorts")->trigger();
    EXPECT_EQ(primary.settings().portNumber, 1);
    EXPECT_EQ(primary.settings().portSettings.baudRate, 9600);
    EXPECT_EQ(secondary.settings().portSettings.baudRate, 19200);
    EXPECT_EQ(win->panelText(2), "Com1 / Com2");

    // No active child window: completes quietly.
    win->subWindowFor(&active)->close();
    win->action("menuUtilsSwapPorts")->trigger();
    EXPECT_EQ(win->panelText(2), "Com2 / Com1");
    EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
}  // namespace k45::test

namespace k45::test {
namespace {

// The windows that exist so far, created as the program creates them, in the main window.
TEST_F(MenusTest, PortSettingsWindowOpensFromTheUtilitiesMenuAndUpdatesTheStatusBar) {
    createToolWindows = CreateToolWindows;
    Start(false, "", DefaultSubsystemHooks(), /*withPorts=*/true);
    ToolForm* portSettings = ctx.form(ToolWindow::formPortSettings);
    ASSERT_NE(portSettings, nullptr);
    ASSERT_TRUE(win->action("menuUtilsPort")->isEnabled());

    win->action("menuUtilsPort")->trigger();
    EXPECT_TRUE(portSettings->loaded());
    EXPECT_EQ(win->ActiveForm(), portSettings);
    auto* window = dynamic_cast<formPortSettings*>(portSettings);
    ASSERT_NE(window, nullptr);
    // At the main window's design size the window opens whole, its buttons in sight.
    QApplication::processEvents();
    QWidget* area = win->mdiArea()->viewport();
    for (QWidget* button : {static_cast<QWidget*>(window->buttonOK), static_cast<QWidget*>(window->buttonSwap)}) {
        const QRect inArea(button->mapTo(area, QPoint(0, 0)), button->size());
        EXPECT_TRUE(area->rect().contains(inArea)) << button->objectName().toStdString() << " out of sight";
    }
    if (const char* dir = std::getenv("K45_SCREENSHOT_DIR")) {
        win->resize(900, 560);
        QApplication::processEvents();
        win->grab().save(QString::fromUtf8(dir) + "/main_with_port_settings.png");
    }
    window->side[0].comboPortNum->setCurrentIndex(2);  // Com3
    window->buttonOK_Click();
    EXPECT_FALSE(portSettings->loaded());
    EXPECT_EQ(ctx.ports.classCommPrimary->settings().portNumber, 3);
    EXPECT_EQ(win->panelText(2), "Com3 / Com2");

    ASSERT_TRUE(Close());
    EXPECT_EQ(IniValue("Primary Port Settings", "Comm Port"), "3");
}

// The test tools put the port back on its configured settings at their activation: opened from
// the menu, each is set up for the port as it opens.
TEST_F(MenusTest, TestToolsOpenOnTheConfiguredPortSettings) {
    createToolWindows = CreateToolWindows;
    Start(true, "", DefaultSubsystemHooks(), /*withPorts=*/true);
    win->MDIForm_Activate();  // primary forced open at the programming settings
    classComm& primary = *ctx.ports.classCommPrimary;
    CommSettings comm = primary.settings();
    comm.portSettings.baudRate = 19200;
    primary.setSettings(comm);
    for (const char* item : {"menuUtilsPacketTest", "menuUtilsArrayTest", "menuUtilsTextPrimary"}) {
        SCOPED_TRACE(item);
        ASSERT_EQ(primary.GetWorkingBaudRate(), 9600);
        QAction* a = win->action(item);
        ASSERT_TRUE(a->isEnabled());
        a->trigger();
        ASSERT_NE(win->ActiveForm(), nullptr);
        EXPECT_EQ(primary.GetWorkingBaudRate(), 19200);
        win->mdiArea()->currentSubWindow()->close();
        QApplication::processEvents();
    }
    ASSERT_TRUE(Close());
}

// A window that does not size itself opens at the size its controls need, whole inside the
// main window's area at its design size.
TEST_F(MenusTest, WindowsWithoutASizeOfTheirOwnOpenAtTheirNaturalSize) {
    createToolWindows = CreateToolWindows;
    Start(true, "", DefaultSubsystemHooks(), /*withPorts=*/true);
    std::vector<ToolForm*> tools{ctx.formParmsGetCurrent.get()};
    for (const ToolFormRef& f : ctx.toolForms)
        if (f) tools.push_back(f.get());
    int checked = 0;
    for (ToolForm* tool : tools) {
        auto* w = dynamic_cast<QWidget*>(tool);
        if (!w || w->testAttribute(Qt::WA_Resized)) continue;
        ++checked;
        const std::string name = w->objectName().toStdString();
        if (tool == ctx.form(ToolWindow::formParmsRdWr)) win->OpenParmsReadWrite(ParmsMode::WriteProgrammable, false);
        else win->OpenForm(*tool);
        QApplication::processEvents();
        QMdiSubWindow* sub = win->subWindowFor(w);
        ASSERT_NE(sub, nullptr) << name;
        EXPECT_LE(w->height(), std::max(w->sizeHint().height(), w->minimumSizeHint().height()) + 1) << name;
        EXPECT_TRUE(win->mdiArea()->viewport()->rect().contains(sub->geometry())) << name << " out of sight";
        if (const char* dir = std::getenv("K45_SCREENSHOT_DIR"))
            win->grab().save(QString::fromUtf8(dir) + "/main_with_" + w->objectName() + ".png");
        sub->close();
        QApplication::processEvents();
    }
    EXPECT_GT(checked, 0);
    ASSERT_TRUE(Close());
}

}  // namespace
}  // namespace k45::test

namespace k45::test {
namespace {

TEST_F(MenusTest, WindowMenuArrangesAndListsTheOpenWindows) {
    FakeToolWindow& a = AddWindow(ToolWindow::formComStats, "Port Statistics");
    FakeToolWindow& b = AddWindow(ToolWindow::formLinkTst, "Link Test");
    AddWindow(ToolWindow::formOffLine, "Never Opened");
    Start();
    win->OpenForm(a);
    win->OpenForm(b);
    QMenu* menu = win->menu("menuWindow");
    emit menu->aboutToShow();
    std::vector<std::string> listed;
    std::string checked;
    for (QAction* act : menu->actions())
        if (act->property("windowListEntry").toBool() && !act->isSeparator()) {
            listed.push_back(act->text().toStdString());
            if (act->isChecked()) checked = act->text().toStdString();
        }
    EXPECT_EQ(listed, (std::vector<std::string>{"&1 Port Statistics", "&2 Link Test"}));
    EXPECT_EQ(checked, "&2 Link Test");
    emit menu->aboutToShow();  // rebuilt, not appended
    int entries = 0;
    for (QAction* act : menu->actions()) entries += act->property("windowListEntry").toBool() && !act->isSeparator();
    EXPECT_EQ(entries, 2);

    const QRect area = win->mdiArea()->viewport()->rect();
    win->ArrangeWindows(2);  // side by side
    EXPECT_EQ(win->subWindowFor(&a)->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    EXPECT_EQ(win->subWindowFor(&b)->geometry().left(), area.width() / 2);
    win->ArrangeWindows(1);  // one above the other
    EXPECT_EQ(win->subWindowFor(&a)->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    EXPECT_EQ(win->subWindowFor(&b)->geometry().top(), area.height() / 2);

    win->subWindowFor(&a)->showMinimized();
    win->ArrangeWindows(3);
    EXPECT_EQ(win->subWindowFor(&a)->geometry().bottom(), area.bottom());
}

}  // namespace
}  // namespace k45::test
