// Start-up and shutdown of the main window, with and without a settings file.
#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <cstdlib>
#include <filesystem>

#include "wiring/startup.h"
#include "wiring/tool_window_ids.h"
#include "main_window_harness.h"
#include "serial/class_comm.h"
#include "version_info.h"

namespace k45::test {
namespace {

using StartupTest = MainWindowTest;

TEST_F(StartupTest, WithoutSettingsFileUsesDefaultsAndWritesMainWindowAndFilenames) {
    FakeToolWindow& editor = AddWindow(ToolWindow::formRadioParms);
    FakeToolWindow& rdwr = AddWindow(ToolWindow::formParmsRdWr);
    FakeToolWindow& hexSecondary = AddWindow(ToolWindow::formHexSecondary);
    Start();
    const AppState& s = ctx.state;

    EXPECT_EQ(win->windowTitle().toStdString(), version::fileDescription);
    EXPECT_FALSE(s.engineerMode || s.productionMode || s.debugTest);
    EXPECT_EQ(s.parmsSignature, std::string("QuOrVaLiN") + '\0');
    EXPECT_EQ(s.parmsSignature.size(), 10u);
    EXPECT_EQ(s.partNumberText, "047-2210-030");
    EXPECT_EQ(s.engineerFrequencies.rxFrequency, 450000000);
    EXPECT_EQ(s.engineerFrequencies.txFrequency, 450000000);
    EXPECT_EQ(hexSecondary.kind, 5);

    // No default files in the program folder: the names stay, the defaults are built.
    EXPECT_EQ(s.dataFileName, home.file("default.dat"));
    EXPECT_EQ(s.testFileName, home.file("default.tst"));
    EXPECT_EQ(s.testParameters, s.testDefaults);
    ModemParameters defaults;
    defaults.radioType = s.testDefaults.radioType;
    defaults.radioRange = s.testDefaults.radioRange;
    DefaultSubsystemHooks().setDefaultModemParameters(s, s, defaults);
    defaults.setupTime = s.mainParameters.setupTime;
    EXPECT_EQ(s.mainParameters, defaults);
    EXPECT_NE(s.rssiCurve5716, (std::array<std::int16_t, 256>{}));
    EXPECT_EQ(win->panelText(3).toStdString(), home.file("default.dat"));
    EXPECT_EQ(win->panelText(1), "");

    // Restored in table order, without opening anything.
    EXPECT_EQ(journal, (std::vector<std::string>{"restore Radio Parms Window", "restore Secondary Hex Window",
                                                 "restore Parms Read/Write Window"}));
    EXPECT_FALSE(editor.loaded() || rdwr.loaded());
    EXPECT_TRUE(win->rememberDataFile());
    EXPECT_FALSE(win->rememberTestFile());

    journal.clear();
    ASSERT_TRUE(Close());
    EXPECT_EQ(journal, (std::vector<std::string>{"save Radio Parms Window", "save Secondary Hex Window",
                                                 "save Parms Read/Write Window"}));
    EXPECT_EQ(help.calls.back(), "quit");
    EXPECT_EQ(IniValue("Main Window", "Maximized"), "False");
    EXPECT_NE(IniValue("Main Window", "Width"), "<missing>");
    EXPECT_EQ(IniValue("Main Window", "Tool Bar Enable"), "True");
    EXPECT_EQ(IniValue("Filenames", "Data"), home.file("default.dat"));
    EXPECT_EQ(IniValue("Filenames", "Test"), "<missing>");
    // A window never opened writes nothing.
    EXPECT_EQ(IniValue("Radio Parms Window", "Left"), "<missing>");
}

TEST_F(StartupTest, WithSettingsFileRestoresPlacementToolBarAndFiles) {
    WriteDataFile(home.file("unit.dat"), "From unit.dat");
    home.write("K45MR.ini",
               "[Main Window]\r\nMaximized=False\r\nLeft=1500\r\nTop=750\r\nWidth=9000\r\nHeight=6000\r\n"
               "Tool Bar Enable=False\r\n"
               "[Radio Parms Window]\r\nLeft=777\r\n"
               "[Filenames]\r\nData=" + home.file("unit.dat") + "\r\nTest=" + home.file("gone.tst") + "\r\n"
               "[Kept Section]\r\nKey=kept value\r\n");
    FakeToolWindow& editor = AddWindow(ToolWindow::formRadioParms);
    Start();

    // The stored bounds are the outer ones: the frame's corner is where they say.
    EXPECT_EQ(win->frameGeometry(), QRect(100, 50, 600, 400));
    EXPECT_FALSE(win->action("menuUtilsToolBar")->isChecked());
    EXPECT_FALSE(win->toolbarTest->isVisibleTo(win.get()));
    EXPECT_EQ(editor.left, 777);
    EXPECT_EQ(ctx.state.dataFileName, home.file("unit.dat"));
    EXPECT_EQ(ctx.state.mainParameters.comment, "From unit.dat");
    // A remembered test file that is gone falls back to the default name.
    EXPECT_EQ(ctx.state.testFileName, home.file("default.tst"));

    ASSERT_TRUE(Close());
    EXPECT_EQ(IniValue("Main Window", "Left"), "1500");
    EXPECT_EQ(IniValue("Main Window", "Top"), "750");
    EXPECT_EQ(IniValue("Main Window", "Width"), "9000");
    EXPECT_EQ(IniValue("Main Window", "Tool Bar Enable"), "False");
    EXPECT_EQ(IniValue("Filenames", "Data"), home.file("unit.dat"));
    // The test file name is not written when no test file was opened or saved: the old
    // entry stays as it was.
    EXPECT_EQ(IniValue("Filenames", "Test"), home.file("gone.tst"));
    EXPECT_EQ(IniValue("Kept Section", "Key"), "kept value");
    EXPECT_EQ(IniValue("Radio Parms Window", "Left"), "777");
}

TEST_F(StartupTest, RememberedDataFileThatIsGoneFallsBackWithoutReadingTheDefault) {
    WriteDataFile(home.file("default.dat"), "From default.dat");
    home.write("K45MR.ini", "[Filenames]\r\nData=" + home.file("deleted.dat") + "\r\n");
    Start();
    EXPECT_EQ(ctx.state.dataFileName, home.file("default.dat"));
    EXPECT_EQ(ctx.state.mainParameters.comment, "Comment.");
    EXPECT_EQ(win->panelText(3).toStdString(), home.file("default.dat"));
}

TEST_F(StartupTest, DefaultFilesOfTheProgramFolderAreLoadedWhenPresent) {
    WriteDataFile(home.file("default.dat"), "From default.dat");
    ProductionTestRecord t;
    t.txTime = 1234;
    ASSERT_TRUE(DefaultSubsystemHooks().saveTestFile(ctx.state, home.file("default.tst"), t, nullptr));
    Start();
    EXPECT_EQ(ctx.state.mainParameters.comment, "From default.dat");
    EXPECT_EQ(ctx.state.testParameters.txTime, 1234);
}

TEST_F(StartupTest, EngineerFrequenciesComeFromTheEngineerWindowOnlyThroughItsRestore) {
    // Without an engineer window the start values stand, whatever the file says.
    home.write("K45MR.ini", "[Engineer Window]\r\nRx Freq=451000000\r\n");
    Start();
    EXPECT_EQ(ctx.state.engineerFrequencies.rxFrequency, 450000000);
}

TEST_F(StartupTest, PlacementOutsideTheDesktopIsClamped) {
    home.write("K45MR.ini", "[Main Window]\r\nLeft=-30000\r\nTop=900000\r\nWidth=150000\r\nHeight=4500\r\n");
    Start();
    const QRect desk = QGuiApplication::primaryScreen()->availableGeometry();
    // The whole window, frame and title bar included, is on the desktop.
    EXPECT_TRUE(desk.contains(win->frameGeometry())) << win->frameGeometry().x() << "," << win->frameGeometry().y();
    EXPECT_EQ(win->frameGeometry().width(), desk.width());
    EXPECT_EQ(win->frameGeometry().height(), 300);
}

TEST_F(StartupTest, MaximizedWindowKeepsItsNormalBoundsInTheSettings) {
    home.write("K45MR.ini", "[Main Window]\r\nMaximized=True\r\nLeft=1500\r\nTop=1500\r\nWidth=6000\r\nHeight=4500\r\n");
    Start();
    EXPECT_TRUE(win->isMaximized());
    ASSERT_TRUE(Close());
    EXPECT_EQ(IniValue("Main Window", "Maximized"), "True");
    EXPECT_EQ(IniValue("Main Window", "Left"), "1500");
    EXPECT_EQ(IniValue("Main Window", "Width"), "6000");
}

TEST_F(StartupTest, MinimizedWindowIsSavedAsNotMaximized) {
    // Minimized from the normal and from the maximized state: "Maximized" False, normal bounds.
    for (const char* maximizedBefore : {"False", "True"}) {
        home.write("K45MR.ini", std::string("[Main Window]\r\nMaximized=") + maximizedBefore +
                                    "\r\nLeft=1500\r\nTop=1500\r\nWidth=9000\r\nHeight=6000\r\n");
        Start();
        win->showMinimized();
        ASSERT_TRUE(Close());
        EXPECT_EQ(IniValue("Main Window", "Maximized"), "False") << maximizedBefore;
        EXPECT_EQ(IniValue("Main Window", "Left"), "1500") << maximizedBefore;
        EXPECT_EQ(IniValue("Main Window", "Width"), "9000") << maximizedBefore;
        win.reset();
    }
}

TEST_F(StartupTest, FirstActivationShowsTheSplashOnceAndForcesThePrimaryPortOpen) {
    Start(false, "", DefaultSubsystemHooks(), /*withPorts=*/true);
    EXPECT_EQ(win->panelText(2), "Com1 / Com2");
    EXPECT_FALSE(ctx.ports.classCommPrimary->GetCommPortOpen());
    win->MDIForm_Activate();
    EXPECT_EQ(splashShown, 1);
    EXPECT_TRUE(ctx.ports.classCommPrimary->GetCommPortOpen());
    EXPECT_TRUE(ctx.ports.classCommPrimary->forcedOpen());
    EXPECT_EQ(ctx.ports.classCommPrimary->GetWorkingTxMode(), 7);
    EXPECT_EQ(ctx.ports.classCommPrimary->GetWorkingBaudRate(), 9600);
    EXPECT_EQ(PortSettingsText(cable->a().settings()), "9600,n,8,1");
    EXPECT_FALSE(ctx.ports.classCommSecondary->GetCommPortOpen());

    // Later activations change nothing; the one posted by showing the window neither.
    win->MDIForm_Activate();
    QApplication::processEvents();
    EXPECT_EQ(splashShown, 1);

    ASSERT_TRUE(Close());
    EXPECT_EQ(ctx.ports.classCommPrimary, nullptr);
    EXPECT_FALSE(cable->a().isOpen());
    EXPECT_EQ(IniValue("Primary Port Settings", "Comm Port"), "1");
    EXPECT_EQ(IniValue("Secondary Port Settings", "Comm Port"), "2");
}

TEST_F(StartupTest, PortSettingsAreRestoredAndShownInTheStatusBar) {
    home.write("K45MR.ini", "[Primary Port Settings]\r\nComm Port=10\r\n[Secondary Port Settings]\r\nComm Port=3\r\n");
    Start(false, "", DefaultSubsystemHooks(), /*withPorts=*/true);
    EXPECT_EQ(win->panelText(2), "Com10 / Com3");
}

TEST_F(StartupTest, SettingsFileThatCannotBeWrittenIsReported) {
    // A folder where the settings file should be: it can be neither read nor replaced.
    std::filesystem::create_directory(Ini());
    Start();
    dialogs.expectBox("Could not save the settings file " + Ini());
    ASSERT_TRUE(Close());
    EXPECT_TRUE(std::filesystem::is_directory(Ini()));
}

// ---------------------------------------------------------------------------------------------
// Mode flags from the build and the command line, and what they show

struct ModeCase {
    bool engineeringBuild;
    const char* commandLine;
    bool engineerMenu, productionMenu;
    const char* partNumber;
};

void PrintTo(const ModeCase& c, std::ostream* os) {
    *os << (c.engineeringBuild ? "engineering" : "field") << " '" << c.commandLine << "'";
}

class ModeStartupTest : public MainWindowTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeStartupTest, MenusPartNumberAndSettingsFileFollowTheFlags) {
    const ModeCase& c = GetParam();
    // The production settings file lives in the user's configuration folder.
    const std::string config = ctx.state.places.configFolder;
    Start(c.engineeringBuild, c.commandLine);

    EXPECT_EQ(win->menu("menuEng")->menuAction()->isVisible(), c.engineerMenu);
    EXPECT_EQ(win->menu("menuEng")->menuAction()->isEnabled(), c.engineerMenu);
    EXPECT_EQ(win->menu("menuTest")->menuAction()->isVisible(), c.productionMenu);
    EXPECT_EQ(win->menu("menuTest")->menuAction()->isEnabled(), c.productionMenu);
    for (const char* item : {"menuEditModemTiming", "menuEditReadAll", "menuEditWriteAll"})
        EXPECT_EQ(win->action(item)->isVisible(), c.productionMenu) << item;
    EXPECT_EQ(ctx.state.partNumberText, c.partNumber);

    // Engineering mode offers every radio type and range; type 0 range 9 is off otherwise.
    EXPECT_EQ(ctx.state.rangeEnabled[0][9], ctx.state.engineerMode);
    if (ctx.state.engineerMode) {
        for (const auto& ranges : ctx.state.rangeEnabled)
            for (bool on : ranges) EXPECT_TRUE(on);
    }

    ASSERT_TRUE(Close());
    const bool productionFile = ctx.state.productionMode && !ctx.state.engineerMode;
    EXPECT_EQ(std::filesystem::exists(config + "/K45MR.ini"), productionFile);
    EXPECT_EQ(std::filesystem::exists(Ini()), !productionFile);
}

INSTANTIATE_TEST_SUITE_P(Table, ModeStartupTest,
                         ::testing::Values(ModeCase{false, "", false, false, "047-2210-030"},
                                           ModeCase{false, "/ProductionTest /DebugTest", false, false, "047-2210-030"},
                                           ModeCase{true, "", true, false, "047-2210-03#"},
                                           ModeCase{true, "/DebugTest", true, false, "047-2210-03#"},
                                           ModeCase{true, "/ProductionTest", false, true, "047-2210-031"},
                                           ModeCase{true, "-ProductionTest -FieldTest", false, false,
                                                    "047-2210-030"}));

TEST_F(StartupTest, ProductionModeShowsTheTestFileInTheStatusBar) {
    Start(true, "/ProductionTest");
    EXPECT_EQ(win->panelText(3).toStdString(), home.file("default.dat") + "   |   " + home.file("default.tst"));
}

// The status bar shows the file names as they are: on Linux a name in other letters names
// another file, or none.
TEST_F(StartupTest, StatusBarShowsTheFileNamesAsTheyAre) {
    struct Case { bool production; const char* shown; };
    const Case cases[] = {
        {false, "/home/Bench/Bench_Unit_A7.dat"},
        {true, "/home/Bench/Bench_Unit_A7.dat   |   /home/Jörg/Prüf/ÉLAN.TST"},
    };
    for (const Case& c : cases) {
        Start(true, c.production ? "/ProductionTest" : "");
        ctx.state.dataFileName = "/home/Bench/Bench_Unit_A7.dat";
        ctx.state.testFileName = "/home/Jörg/Prüf/ÉLAN.TST";
        win->DisplayFilenames();
        EXPECT_EQ(win->panelText(3), QString::fromUtf8(c.shown));
        win.reset();
    }
}

}  // namespace
}  // namespace k45::test
