// The program as a bench technician uses it: every window opened from its menu and tool-bar
// button, several at once, the main window closed with tool windows open and in the middle of
// a read or a write, the ports swapped under a running dialogue.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QLabel>
#include <QPushButton>
#include <QKeyEvent>
#include <QGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <memory>

#include "wiring/tool_window_ids.h"
#include "params/modem_defaults.h"
#include "program_bench.h"
#include "programming/ui/mdm_times_window.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

class BenchSweep : public ProgramWithModem {
protected:
    void StartWithModem(bool production = false, bool engineering = false) {
        StartProgramWithModem(production || engineering, production ? "/ProductionTest" : "");
    }

    QWidget* Widget(ToolWindow slot) { return dynamic_cast<QWidget*>(ctx.form(slot)); }

    void Shot(const QString& name) {
        if (const char* dir = std::getenv("K45_SCREENSHOT_DIR")) win->grab().save(QString::fromUtf8(dir) + "/" + name);
    }
};

// Every command that opens a window, triggered twice in a row in each configuration: one
// sub-window each, the command's own window active.
struct OpenersCase {
    const char* name;
    bool production;
    bool engineering;
    std::vector<const char*> openers;
};

void PrintTo(const OpenersCase& c, std::ostream* os) { *os << c.name; }

class BenchOpenTwice : public BenchSweep, public ::testing::WithParamInterface<OpenersCase> {};

TEST_P(BenchOpenTwice, GivesOneWindowEach) {
    const OpenersCase& c = GetParam();
    StartWithModem(c.production, c.engineering);
    dialogs.answerAllBoxes(MsgAnswer::OK);
    for (const char* name : c.openers) {
        QAction* a = win->action(name);
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled() && a->isVisible()) << name;
        a->trigger();
        QApplication::processEvents();
        QMdiSubWindow* first = win->mdiArea()->activeSubWindow();
        ASSERT_NE(first, nullptr) << name;
        a->trigger();
        QApplication::processEvents();
        EXPECT_EQ(win->mdiArea()->activeSubWindow(), first) << name;
    }
    std::map<QWidget*, int> subs;
    for (QMdiSubWindow* s : win->mdiArea()->subWindowList()) ++subs[s->widget()];
    EXPECT_EQ(subs.size(), c.openers.size());
    for (auto& [w, n] : subs) EXPECT_EQ(n, 1) << w->objectName().toStdString();
    EXPECT_TRUE(dialogs.boxes.empty());
    Shot(QString("sweep_open_twice_%1.png").arg(c.name));
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, BenchOpenTwice,
    ::testing::Values(OpenersCase{"Field", false, false, {"toolbarTestParms", "menuEditVersion", "menuUtilsPort", "toolbarTestWrite"}},
                      OpenersCase{"Engineering", false, true, {"menuEditSetup", "menuEngMemory", "menuUtilsPort", "toolbarTestClone"}},
                      OpenersCase{"Production", true, false,
                                  {"menuEditSetup", "menuEditModemTiming", "menuEditVersion", "menuUtilsPort", "menuEditWriteAll"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Closing the program, or the window, in the middle of a dialogue: the dialogue stops, nothing more goes to
// the modem, the data file is not touched and nothing is left to fire after the window goes.
enum class Stop { MainWindowClose, CloseBox, CancelButton };

struct MidDialogueCase {
    const char* name;
    const char* opener;  // action that opens the window
    int stopAfterBytes;  // the stop comes once the modem has seen this many commands
    Stop how;
    bool pressOk = false;
    ToolWindow window = ToolWindow::formParmsRdWr;
    const char* cancel = "buttonCancel";
};

void PrintTo(const MidDialogueCase& c, std::ostream* os) { *os << c.name; }

class BenchCloseMidDialogue : public BenchSweep, public ::testing::WithParamInterface<MidDialogueCase> {};

TEST_P(BenchCloseMidDialogue, StopsCleanlyAndSendsNothingMore) {
    const MidDialogueCase& c = GetParam();
    StartWithModem();
    const std::string dataFile = ctx.state.dataFileName;
    WriteDataFile(dataFile, "On disk");
    QAction* a = win->action(c.opener);
    ASSERT_NE(a, nullptr);
    a->trigger();
    QApplication::processEvents();
    if (c.pressOk) {
        auto* ok = Widget(c.window)->findChild<QAbstractButton*>("buttonOK");
        ASSERT_NE(ok, nullptr);
        ok->click();
    }
    ASSERT_TRUE(scheduler.advanceUntil([&] { return int(modem->received.size()) >= c.stopAfterBytes; }, 60000, 1));
    dialogs.answerAllBoxes(MsgAnswer::No);
    QWidget* rdwr = Widget(c.window);
    switch (c.how) {
    case Stop::MainWindowClose:
        EXPECT_TRUE(Close());
        break;
    case Stop::CloseBox:
        ASSERT_NE(win->subWindowFor(rdwr), nullptr);
        win->subWindowFor(rdwr)->close();
        break;
    case Stop::CancelButton:
        rdwr->findChild<QAbstractButton*>(c.cancel)->click();
        break;
    }
    QApplication::processEvents();
    const size_t seen = modem->received.size();
    const size_t programmed = modem->programmed.size();
    EXPECT_FALSE(ctx.form(c.window)->loaded());
    scheduler.advance(30000);
    QApplication::processEvents();
    EXPECT_EQ(modem->received.size(), seen);
    EXPECT_EQ(modem->programmed.size(), programmed);
    EXPECT_EQ(modem->endRecords, 0);
    // The data file is the one on disk before; a read stopped halfway renames nothing.
    EXPECT_EQ(std::filesystem::path(ctx.state.dataFileName).filename(),
              std::filesystem::path(dataFile).filename());
    EXPECT_EQ(ProfileRead(dataFile, "User Parameters", "Comment", ""), "On disk");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(dataFile).parent_path() / "upload.dat"));
    for (const ShownBox& b : dialogs.boxes) EXPECT_EQ(b.text, "Save Data before closing?");
    win.reset();
    scheduler.advance(30000);
    QApplication::processEvents();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BenchCloseMidDialogue,
    ::testing::Values(
        MidDialogueCase{"ReadAwaitingVersion", "toolbarTestRead", 1, Stop::MainWindowClose},
        MidDialogueCase{"ReadInDump", "toolbarTestRead", 2, Stop::MainWindowClose},
        MidDialogueCase{"WriteInVersion", "toolbarTestWrite", 1, Stop::MainWindowClose, true},
        MidDialogueCase{"WriteProgramming", "toolbarTestWrite", 5, Stop::MainWindowClose, true},
        MidDialogueCase{"CloneProgramming", "toolbarTestClone", 6, Stop::MainWindowClose, true},
        MidDialogueCase{"ReadInDumpCloseBox", "toolbarTestRead", 2, Stop::CloseBox},
        MidDialogueCase{"WriteProgrammingCloseBox", "toolbarTestWrite", 5, Stop::CloseBox, true},
        MidDialogueCase{"ReadInDumpCancel", "toolbarTestRead", 2, Stop::CancelButton},
        MidDialogueCase{"WriteProgrammingCancel", "toolbarTestWrite", 5, Stop::CancelButton, true},
        MidDialogueCase{"CloneProgrammingCancel", "toolbarTestClone", 6, Stop::CancelButton, true},
        MidDialogueCase{"VersionAwaitingAnswer", "menuEditVersion", 1, Stop::MainWindowClose, false,
                        ToolWindow::formVerReqst, "buttonClose"},
        MidDialogueCase{"VersionAwaitingAnswerCloseBox", "menuEditVersion", 1, Stop::CloseBox, false,
                        ToolWindow::formVerReqst, "buttonClose"},
        MidDialogueCase{"VersionAwaitingAnswerClose", "menuEditVersion", 1, Stop::CancelButton, false,
                        ToolWindow::formVerReqst, "buttonClose"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every window the program has, open together, and the main window closed with them.
TEST_F(BenchSweep, ClosingWithEveryWindowOpenSavesTheirPlacesAndExitsCleanly) {
    StartWithModem(true);
    dialogs.answerAllBoxes(MsgAnswer::No);
    for (const char* name : {"menuEditSetup", "menuEditModemTiming", "menuUtilsPort", "menuEditVersion"}) {
        win->action(name)->trigger();
        QApplication::processEvents();
    }
    int opened = 0;
    for (QMdiSubWindow* s : win->mdiArea()->subWindowList()) opened += s->isVisible();
    EXPECT_EQ(opened, 4);
    // The Window menu lists them and picks one.
    QMenu* wm = win->menu("menuWindow");
    ASSERT_NE(wm, nullptr);
    emit wm->aboutToShow();
    QAction* first = nullptr;
    for (QAction* a : wm->actions())
        if (a->text().startsWith("&1")) first = a;
    ASSERT_NE(first, nullptr);
    first->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(Close());
    for (int i = 0; i < kToolWindowCount; ++i)
        if (ToolForm* f = ctx.form(static_cast<ToolWindow>(i))) {
            EXPECT_FALSE(f->loaded()) << i;
        }
    win.reset();
    scheduler.advance(30000);
    QApplication::processEvents();
}


// A technician tabs to a button and presses Enter: that button answers, in every window.
struct FocusedButtonCase {
    const char* name;
    const char* opener;
    const char* button;
};

void PrintTo(const FocusedButtonCase& c, std::ostream* os) { *os << c.name; }

class BenchEnterOnButton : public BenchSweep, public ::testing::WithParamInterface<FocusedButtonCase> {};

TEST_P(BenchEnterOnButton, PressesTheFocusedButton) {
    const FocusedButtonCase& c = GetParam();
    StartWithModem(true);
    dialogs.answerAllBoxes(MsgAnswer::No);
    win->action(c.opener)->trigger();
    QApplication::processEvents();
    QMdiSubWindow* sub = win->mdiArea()->activeSubWindow();
    ASSERT_NE(sub, nullptr);
    auto* button = sub->widget()->findChild<QPushButton*>(c.button);
    ASSERT_NE(button, nullptr) << c.button;
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << c.button;
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
    button->setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QApplication::sendEvent(button, &press);
        QKeyEvent release(QEvent::KeyRelease, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QApplication::sendEvent(button, &release);
        QApplication::processEvents();
        if (!button->isVisible()) break;  // the button closed its window
    }
    EXPECT_GE(clicks, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, BenchEnterOnButton,
    ::testing::Values(FocusedButtonCase{"ParametersOk", "menuEditSetup", "buttonOK"},
                      FocusedButtonCase{"ParametersCancel", "menuEditSetup", "buttonCancel"},
                      FocusedButtonCase{"TimingOk", "menuEditModemTiming", "buttonOK"},
                      FocusedButtonCase{"TimingCancel", "menuEditModemTiming", "buttonCancel"},
                      FocusedButtonCase{"PortsOk", "menuUtilsPort", "buttonOK"},
                      FocusedButtonCase{"PortsCancel", "menuUtilsPort", "buttonCancel"},
                      FocusedButtonCase{"PortsSwap", "menuUtilsPort", "buttonSwap"},
                      FocusedButtonCase{"VersionClose", "menuEditVersion", "buttonClose"},
                      FocusedButtonCase{"WriteOk", "menuEditWrite", "buttonOK"},
                      FocusedButtonCase{"WriteCancel", "menuEditWrite", "buttonCancel"}),
    [](const auto& info) { return std::string(info.param.name); });


// A new record arrives while both editors are open and untouched: from a data file the
// technician opens or from the modem. OK in either editor afterwards keeps the new record.
enum class NewRecord { OpenedFile, ReadFromModem };

struct ArrivingRecordCase {
    const char* name;
    NewRecord source;
    const char* pressOkIn;
    bool parametersOpen = true;
};

void PrintTo(const ArrivingRecordCase& c, std::ostream* os) { *os << c.name; }

class BenchEditorsOpenWhileTheRecordChanges : public BenchSweep,
                                              public ::testing::WithParamInterface<ArrivingRecordCase> {};

TEST_P(BenchEditorsOpenWhileTheRecordChanges, OkKeepsTheNewRecord) {
    const ArrivingRecordCase& c = GetParam();
    StartWithModem(true);
    ModemParameters incoming = ctx.state.mainParameters;
    incoming.t1Time = {41, 42, 43, 44, 0};
    incoming.rxDivisorTest = 7;
    incoming.comment = "Incoming";
    incoming.serialNumber = 123456;
    if (c.parametersOpen) win->action("menuEditSetup")->trigger();
    win->action("menuEditModemTiming")->trigger();
    QApplication::processEvents();

    if (c.source == NewRecord::OpenedFile) {
        const std::string path = home.file("incoming.dat");
        std::string error;
        ASSERT_TRUE(DefaultSubsystemHooks().saveDataFile(ctx.state, path, incoming, &error)) << error;
        dialogs.expectOpenFile(path);
        win->action("menuFileOpen")->trigger();
    } else {
        ASSERT_TRUE(modem->loadRecord(ctx.state, incoming, scheduler.wallClockSeconds()));
        win->action("toolbarTestRead")->trigger();
        ASSERT_TRUE(scheduler.advanceUntil([&] { return !ctx.form(ToolWindow::formParmsRdWr)->loaded(); }, 20000, 5));
    }
    QApplication::processEvents();
    ASSERT_EQ(ctx.state.mainParameters.comment, "Incoming");

    QWidget* editor = Widget(std::string(c.pressOkIn) == "formMdmTimes" ? ToolWindow::formMdmTimes
                                                                          : ToolWindow::formRadioParms);
    dialogs.answerAllBoxes(MsgAnswer::OK);
    editor->findChild<QPushButton*>("buttonOK")->click();
    QApplication::processEvents();
    EXPECT_EQ(ctx.state.mainParameters.t1Time, incoming.t1Time);
    EXPECT_EQ(ctx.state.mainParameters.rxDivisorTest, 7);
    EXPECT_EQ(ctx.state.mainParameters.comment, "Incoming");
}

INSTANTIATE_TEST_SUITE_P(
    Sources, BenchEditorsOpenWhileTheRecordChanges,
    ::testing::Values(ArrivingRecordCase{"FileThenTimingOk", NewRecord::OpenedFile, "formMdmTimes"},
                      ArrivingRecordCase{"FileThenParametersOk", NewRecord::OpenedFile, "formRadioParms"},
                      ArrivingRecordCase{"ReadThenTimingOk", NewRecord::ReadFromModem, "formMdmTimes"},
                      ArrivingRecordCase{"ReadThenParametersOk", NewRecord::ReadFromModem, "formRadioParms"},
                      ArrivingRecordCase{"FileThenTimingAloneOk", NewRecord::OpenedFile, "formMdmTimes", false},
                      ArrivingRecordCase{"ReadThenTimingAloneOk", NewRecord::ReadFromModem, "formMdmTimes", false}),
    [](const auto& info) { return std::string(info.param.name); });


// The ports swapped while the read/write window uses the primary port: the dialogue ends,
// either done or with its message, and the window goes; nothing keeps sending afterwards.
TEST_F(BenchSweep, SwappingThePortsInTheMiddleOfAReadEndsItCleanly) {
    StartWithModem();
    ASSERT_TRUE(win->action("menuUtilsSwapPorts")->isEnabled());
    win->action("toolbarTestRead")->trigger();
    ASSERT_TRUE(scheduler.advanceUntil([&] { return modem->received.size() >= 2; }, 20000, 1));
    scheduler.advance(20);
    dialogs.answerAllBoxes(MsgAnswer::OK);
    win->action("menuUtilsSwapPorts")->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(scheduler.advanceUntil([&] { return !ctx.form(ToolWindow::formParmsRdWr)->loaded(); }, 60000, 5));
    QApplication::processEvents();
    EXPECT_EQ(win->panelText(2), "Com2 / Com1");
    const size_t seen = modem->received.size();
    scheduler.advance(30000);
    EXPECT_EQ(modem->received.size(), seen);
}

// Version Request opened in the middle of a read: both dialogues share the primary port, the
// read still completes and the version window shows the modem's answer.
TEST_F(BenchSweep, VersionRequestOpenedDuringAReadLetsBothFinish) {
    StartWithModem();
    win->action("toolbarTestRead")->trigger();
    ASSERT_TRUE(scheduler.advanceUntil([&] { return modem->received.size() >= 2; }, 20000, 1));
    scheduler.advance(20);
    win->action("menuEditVersion")->trigger();
    QApplication::processEvents();
    ASSERT_TRUE(scheduler.advanceUntil([&] { return !ctx.form(ToolWindow::formParmsRdWr)->loaded(); }, 60000, 5));
    scheduler.advance(5000);
    QApplication::processEvents();
    EXPECT_EQ(ctx.state.mainParameters.serialNumber, 123456);
    EXPECT_EQ(std::filesystem::path(ctx.state.dataFileName).filename(), "upload.dat");
    auto* label = Widget(ToolWindow::formVerReqst)->findChild<QLabel*>("labelRead1");
    ASSERT_NE(label, nullptr);
    EXPECT_NE(label->text().indexOf("Copyright"), -1) << label->text().toStdString();
    EXPECT_TRUE(dialogs.boxes.empty());
}


// Edit > Paste of text no box can hold (letters, line breaks, a sign, too many digits, a value
// beyond the maximum) leaves every numeric box of both editors as it was, and OK keeps the record.
TEST_F(BenchSweep, PastedTextThatNoBoxCanHoldIsRefused) {
    StartWithModem(true);
    dialogs.answerAllBoxes(MsgAnswer::OK);
    const ModemParameters before = ctx.state.mainParameters;
    win->action("menuEditSetup")->trigger();
    win->action("menuEditModemTiming")->trigger();
    QApplication::processEvents();
    const std::pair<ToolWindow, const char*> boxes[] = {{ToolWindow::formRadioParms, "textLongId"},
                                                        {ToolWindow::formRadioParms, "textTotalConfigurations"},
                                                        {ToolWindow::formRadioParms, "textRxFreq0"},
                                                        {ToolWindow::formMdmTimes, "textT1Time0"},
                                                        {ToolWindow::formMdmTimes, "textRxDivisor"}};
    const char* texts[] = {"abc", "12\r\n34", "5\n", "-5", "99999999999", "4294967296", "1e5"};
    for (const auto& [slot, name] : boxes) {
        win->FocusForm(*ctx.form(slot));
        auto* box = Widget(slot)->findChild<QLineEdit*>(name);
        ASSERT_NE(box, nullptr) << name;
        const QString shown = box->text();
        for (const char* text : texts) {
            box->setFocus();
            box->selectAll();
            clipboard.text_ = text;
            win->action("menuEditPaste")->trigger();
            EXPECT_EQ(box->text(), shown) << name << " took " << text;
        }
    }
    for (ToolWindow slot : {ToolWindow::formMdmTimes, ToolWindow::formRadioParms}) {
        Widget(slot)->findChild<QPushButton*>("buttonOK")->click();
        QApplication::processEvents();
    }
    EXPECT_EQ(ctx.state.mainParameters.serialNumber, before.serialNumber);
    EXPECT_EQ(ctx.state.mainParameters.numberOfWrites, before.numberOfWrites);
    EXPECT_EQ(ctx.state.mainParameters.channels[0].rxFrequency, before.channels[0].rxFrequency);
    EXPECT_EQ(ctx.state.mainParameters.t1Time, before.t1Time);
    EXPECT_EQ(ctx.state.mainParameters.rxDivisorTest, before.rxDivisorTest);
}


// A data file opened in the middle of programming: the modem gets the whole record the write
// started with, not a mix, and the program keeps the opened file.
TEST_F(BenchSweep, DataFileOpenedWhileProgrammingDoesNotMixIntoTheWrite) {
    StartWithModem();
    dialogs.expectBox("Programming Complete!");
    ctx.state.mainParameters.comment = "Being written";
    ModemParameters other = ctx.state.mainParameters;
    other.comment = "Other file";
    other.channels[0].txFrequency += 12500;
    const std::string path = home.file("other.dat");
    std::string error;
    ASSERT_TRUE(DefaultSubsystemHooks().saveDataFile(ctx.state, path, other, &error)) << error;
    win->action("toolbarTestWrite")->trigger();
    QApplication::processEvents();
    Widget(ToolWindow::formParmsRdWr)->findChild<QAbstractButton*>("buttonOK")->click();
    ASSERT_TRUE(scheduler.advanceUntil([&] { return modem->programmed.size() >= 3; }, 60000, 1));
    dialogs.expectOpenFile(path);
    win->action("menuFileOpen")->trigger();
    scheduler.advanceUntil([&] { return modem->endRecords > 0; }, 60000, 5);
    scheduler.advance(3000);
    QApplication::processEvents();
    ModemParameters inModem;
    ASSERT_TRUE(modem->decodeInto(ctx.state, inModem));
    EXPECT_EQ(inModem.comment, "Being written");
    EXPECT_NE(inModem.channels[0].txFrequency, other.channels[0].txFrequency);
    EXPECT_EQ(ctx.state.mainParameters.comment, "Other file");
    EXPECT_EQ(ctx.state.mainParameters.channels[0].txFrequency, other.channels[0].txFrequency);
    EXPECT_EQ(ctx.state.dataFileName, path);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, "Programming Complete!");
}


// Closing with an out-of-range frequency typed in the open editor and Yes to saving: the
// editor says what is wrong, its box gets the focus and the program stays open with the edit.
TEST_F(BenchSweep, ClosingWithABadFrequencyTypedKeepsTheProgramOpen) {
    StartWithModem();
    win->action("menuEditSetup")->trigger();
    QApplication::processEvents();
    auto* tabs = Widget(ToolWindow::formRadioParms)->findChild<QTabWidget*>("tabModemRadioParms");
    tabs->setCurrentIndex(2);
    auto* box = Widget(ToolWindow::formRadioParms)->findChild<QLineEdit*>("textTxFreq0");
    box->setFocus();
    box->setText("100.000000");
    dialogs.expectBox("Save Data before closing?", MsgAnswer::Yes);
    dialogs.expectSaveFile(home.file("x.dat"));
    dialogs.expectBox("is out of Working Range");
    EXPECT_FALSE(Close());
    EXPECT_EQ(QApplication::focusWidget(), box);
    EXPECT_EQ(box->text(), "100.000000");
    EXPECT_FALSE(std::filesystem::exists(home.file("x.dat")));
    EXPECT_TRUE(win->dataModified());
}

}  // namespace
}  // namespace k45::test

namespace k45::test {
namespace {

// Only the timing editor open, a value typed but not yet confirmed, then Write All: the modem
// gets the typed value and the box still shows it afterwards.
TEST_F(BenchSweep, WriteAllTakesTheOpenTimingEditorsTypedValue) {
    StartWithModem(true);
    dialogs.answerAllBoxes(MsgAnswer::OK);
    win->action("menuEditModemTiming")->trigger();
    QApplication::processEvents();
    auto* timing = dynamic_cast<formMdmTimes*>(ctx.form(ToolWindow::formMdmTimes));
    ASSERT_NE(timing, nullptr);
    ASSERT_TRUE(timing->loaded());
    ASSERT_NE(ctx.state.mainParameters.t1Time[0], 50);
    timing->textT1Time[0]->setText("50");
    win->action("menuEditWriteAll")->trigger();
    QApplication::processEvents();
    Widget(ToolWindow::formParmsRdWr)->findChild<QAbstractButton*>("buttonOK")->click();
    ASSERT_TRUE(scheduler.advanceUntil([&] { return modem->endRecords > 0; }, 120000, 5));
    scheduler.advance(3000);
    QApplication::processEvents();
    ModemParameters inModem;
    ASSERT_TRUE(modem->decodeInto(ctx.state, inModem));
    EXPECT_EQ(inModem.t1Time[0], 50);
    EXPECT_EQ(ctx.state.mainParameters.t1Time[0], 50);
    EXPECT_EQ(timing->textT1Time[0]->text(), "50");
    bool complete = false;
    for (const auto& b : dialogs.boxes) complete = complete || b.text == "Programming Complete!";
    EXPECT_TRUE(complete);
}

}  // namespace
}  // namespace k45::test
