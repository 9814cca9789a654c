// The closing question and the File and Production Test file commands.
#include <QAction>
#include <filesystem>
#include <fstream>
#include <functional>

#include "wiring/tool_window_ids.h"
#include "main_window_harness.h"

namespace k45::test {
namespace {

class FilesTest : public MainWindowTest {
protected:
    // Real loaders and savers; the data saver can be made to fail.
    SubsystemHooks Hooks() {
        SubsystemHooks h = DefaultSubsystemHooks();
        auto realSave = h.saveDataFile;
        h.saveDataFile = [this, realSave](const FilePlaces& s, const std::string& f, const ModemParameters& r,
                                          std::string* e) {
            ++dataSaves;
            if (failDataSave) {
                if (e) *e = "No space left on device";
                return false;
            }
            return realSave(s, f, r, e);
        };
        return h;
    }
    void StartWithData(const std::string& comment = "edited") {
        Start(false, "", Hooks());
        ctx.state.mainParameters.comment = comment;
    }
    std::string ReadBackComment(const std::string& file) {
        ModemParameters p;
        EXPECT_TRUE(DefaultSubsystemHooks().loadDataFile(ctx.state, ctx.state, p, file));
        return p.comment;
    }

    int dataSaves = 0;
    bool failDataSave = false;
};

// ---------------------------------------------------------------------------------------------
// Closing question

TEST_F(FilesTest, UnchangedDataClosesWithoutAQuestion) {
    StartWithData();
    ASSERT_TRUE(Close());
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(IniValue("Filenames", "Data"), home.file("default.dat"));
}

TEST_F(FilesTest, AnswerNoClosesAndKeepsTheRememberedDataFile) {
    home.write("K45MR.ini", "[Filenames]\r\nData=" + home.file("earlier.dat") + "\r\n");
    WriteDataFile(home.file("earlier.dat"), "earlier");
    StartWithData();
    win->setDataModified(true);
    dialogs.expectBox("Save Data before closing?", MsgAnswer::No);
    ASSERT_TRUE(Close());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, "Save Data");
    EXPECT_EQ(dialogs.boxes[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::Question);
    EXPECT_EQ(IniValue("Filenames", "Data"), home.file("earlier.dat"));
    EXPECT_EQ(dataSaves, 0);
}

TEST_F(FilesTest, AnswerCancelKeepsTheProgramRunning) {
    StartWithData();
    FakeToolWindow& editor = AddWindow(ToolWindow::formRadioParms);
    win->ShowForm(editor);
    win->setDataModified(true);
    dialogs.expectBox("Save Data before closing?", MsgAnswer::Cancel);
    EXPECT_FALSE(Close());
    EXPECT_TRUE(editor.loaded());
    EXPECT_TRUE(win->dataModified());
    EXPECT_FALSE(std::filesystem::exists(Ini()));
}

TEST_F(FilesTest, AnswerYesThenCancelledDialogKeepsTheProgramRunning) {
    StartWithData();
    win->setDataModified(true);
    dialogs.expectBox("Save Data before closing?", MsgAnswer::Yes);
    dialogs.expectSaveFile(std::nullopt);
    EXPECT_FALSE(Close());
    EXPECT_TRUE(win->dataModified());
    EXPECT_FALSE(std::filesystem::exists(Ini()));
}

TEST_F(FilesTest, AnswerYesSavesThenCloses) {
    StartWithData("to keep");
    win->setDataModified(true);
    dialogs.expectBox("Save Data before closing?", MsgAnswer::Yes);
    dialogs.expectSaveFile(home.file("kept.dat"));
    ASSERT_TRUE(Close());
    EXPECT_EQ(ReadBackComment(home.file("kept.dat")), "to keep");
    EXPECT_EQ(IniValue("Filenames", "Data"), home.file("kept.dat"));
}

TEST_F(FilesTest, AnswerYesWithAFailedWriteKeepsTheProgramRunning) {
    StartWithData();
    win->setDataModified(true);
    failDataSave = true;
    dialogs.expectBox("Save Data before closing?", MsgAnswer::Yes);
    dialogs.expectSaveFile(home.file("kept.dat"));
    dialogs.expectBox("Could not save the data file " + home.file("kept.dat") + "\r\nNo space left on device");
    EXPECT_FALSE(Close());
    EXPECT_TRUE(win->dataModified());
}

// ---------------------------------------------------------------------------------------------
// Data file commands

// The status bar names the file saved, letter for letter: in lower case it would name a file
// that does not exist.
TEST_F(FilesTest, SaveAsShowsTheSavedFilesNameAsItIs) {
    StartWithData("unit A7");
    dialogs.expectSaveFile(home.file("Bench_Unit_A7.dat"));
    EXPECT_TRUE(win->SaveDataFileAs());
    EXPECT_EQ(win->panelText(3).toStdString(), home.file("Bench_Unit_A7.dat"));
    EXPECT_EQ(ReadBackComment(win->panelText(3).toStdString()), "unit A7");
}

TEST_F(FilesTest, SaveAfterTheStartUpFallbackProposesDefaultDatInTheProgramFolder) {
    StartWithData("first save");
    win->setDataModified(true);
    dialogs.expectSaveFile(home.file("default.dat"));
    EXPECT_TRUE(win->SaveDataFile());
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const FileDialogRequest& r = dialogs.fileRequests[0];
    EXPECT_EQ(r.title, "Save User Data File As");
    EXPECT_EQ(r.filter, "All Files (*.*)|*.*|Data Files (*.dat)|*.dat");
    EXPECT_EQ(r.defaultExt, "dat");
    EXPECT_EQ(r.initialDir, home.path());
    EXPECT_EQ(r.fileName, "default.dat");
    EXPECT_FALSE(win->dataModified());
    EXPECT_EQ(ReadBackComment(home.file("default.dat")), "first save");

    // The file exists now: the next save writes it without a dialog.
    ctx.state.mainParameters.comment = "second save";
    win->setDataModified(true);
    EXPECT_TRUE(win->SaveDataFile());
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(ReadBackComment(home.file("default.dat")), "second save");
    EXPECT_FALSE(win->dataModified());
}

TEST_F(FilesTest, EditorThatRefusesItsFieldsStopsTheSave) {
    WriteDataFile(home.file("default.dat"), "on disk");
    StartWithData("edited");
    FakeToolWindow& editor = AddWindow(ToolWindow::formRadioParms);
    win->ShowForm(editor);
    editor.saveResult = false;
    win->setDataModified(true);

    EXPECT_FALSE(win->SaveDataFile());
    EXPECT_EQ(editor.saves, 1);
    EXPECT_EQ(dataSaves, 0);
    EXPECT_TRUE(win->dataModified());

    dialogs.expectSaveFile(home.file("other.dat"));
    EXPECT_FALSE(win->SaveDataFileAs());
    EXPECT_EQ(dataSaves, 0);
    EXPECT_FALSE(std::filesystem::exists(home.file("other.dat")));
    EXPECT_EQ(ctx.state.dataFileName, home.file("default.dat"));
    EXPECT_EQ(ReadBackComment(home.file("default.dat")), "on disk");

    // Fields accepted: written.
    editor.saveResult = true;
    EXPECT_TRUE(win->SaveDataFile());
    EXPECT_EQ(ReadBackComment(home.file("default.dat")), "edited");
}

TEST_F(FilesTest, ClosedEditorDoesNotStopTheSave) {
    WriteDataFile(home.file("default.dat"), "on disk");
    StartWithData("edited");
    FakeToolWindow& editor = AddWindow(ToolWindow::formRadioParms);
    EXPECT_TRUE(win->SaveDataFile());
    EXPECT_EQ(ReadBackComment(home.file("default.dat")), "edited");
    EXPECT_EQ(editor.updates, 0);
}

TEST_F(FilesTest, FailedWriteIsReportedAndKeepsTheDataModified) {
    WriteDataFile(home.file("default.dat"), "on disk");
    StartWithData();
    win->setDataModified(true);
    failDataSave = true;
    dialogs.expectBox("Could not save the data file " + home.file("default.dat"));
    EXPECT_FALSE(win->SaveDataFile());
    EXPECT_TRUE(win->dataModified());
    EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Critical);

    dialogs.expectSaveFile(home.file("elsewhere.dat"));
    dialogs.expectBox("Could not save the data file " + home.file("elsewhere.dat"));
    EXPECT_FALSE(win->SaveDataFileAs());
    EXPECT_EQ(ctx.state.dataFileName, home.file("default.dat"));
    EXPECT_TRUE(win->dataModified());
}

TEST_F(FilesTest, OpenDataFileLoadsShowsAndRefreshesTheEditor) {
    const std::string dir = home.file("Bench");
    std::filesystem::create_directory(dir);
    WriteDataFile(dir + "/Unit7.dat", "unit seven");
    StartWithData();
    FakeToolWindow& editor = AddWindow(ToolWindow::formRadioParms);

    dialogs.expectOpenFile(std::nullopt);  // cancelled: nothing changes
    win->OpenDataFile();
    dialogs.expectOpenFile(dir + "/missing.dat");  // does not load: nothing changes, and it says so
    dialogs.expectBox("Could not open the data file " + dir + "/missing.dat");
    win->OpenDataFile();
    EXPECT_EQ(ctx.state.dataFileName, home.file("default.dat"));
    EXPECT_EQ(editor.updates, 0);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::Critical);

    // A file that opens but is no data file is named as such, not as one that would not open.
    for (const std::string& content : {std::string(), std::string("\x00\x01\xff\xfe", 4),
                                       std::string("\xff\xfe[\0G\0e\0n\0]\0", 12)}) {
        std::ofstream(dir + "/odd.dat", std::ios::binary) << content;
        dialogs.expectOpenFile(dir + "/odd.dat");
        dialogs.expectBox("The file " + dir + "/odd.dat is not a data file: it holds none of the sections of a data file.");
        win->OpenDataFile();
        EXPECT_EQ(ctx.state.dataFileName, home.file("default.dat"));
        EXPECT_EQ(editor.updates, 0);
    }

    dialogs.expectOpenFile(dir + "/Unit7.dat");
    win->OpenDataFile();
    EXPECT_EQ(ctx.state.dataFileName, dir + "/Unit7.dat");
    EXPECT_EQ(ctx.state.mainParameters.comment, "unit seven");
    EXPECT_EQ(win->panelText(3).toStdString(), dir + "/Unit7.dat");
    EXPECT_EQ(editor.updates, 1);
    EXPECT_FALSE(win->dataModified());
    EXPECT_EQ(dialogs.fileRequests[0].title, "Open User Data File");
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "default.dat");
}

// Each file command's dialog, cancelled: its kind, title, filter, extension, folder and
// proposed name, and nothing changed.
TEST_F(FilesTest, FileDialogsOfEveryCommand) {
    Start(true, "/ProductionTest", Hooks());
    struct Case {
        const char* command;
        std::function<void(MDIMain&)> run;
        bool save;
        const char* title;
        const char* filter;
        const char* ext;
        const char* proposed;
    };
    const char* data = "All Files (*.*)|*.*|Data Files (*.dat)|*.dat";
    const char* test = "All Files (*.*)|*.*|Test Files (*.tst)|*.tst";
    const Case cases[] = {
        {"Open Data File", &MDIMain::OpenDataFile, false, "Open User Data File", data, "dat", "default.dat"},
        {"Import K45", &MDIMain::ImportK45DataFile, false, "Open User K45 Data File",
         "All Files (*.*)|*.*|Data Files (*.k45)|*.k45", "k45", "default.k45"},
        {"Save Data File As", &MDIMain::SaveDataFileAs, true, "Save User Data File As", data, "dat",
         "default.dat"},
        {"Open Test File", &MDIMain::OpenTestFile, false, "Open Test File", test, "tst", "default.tst"},
        {"Save Test File As", &MDIMain::SaveTestFileAs, true, "Save Test File As", test, "tst", "default.tst"},
    };
    for (const Case& c : cases) {
        if (c.save) dialogs.expectSaveFile(std::nullopt);
        else dialogs.expectOpenFile(std::nullopt);
        c.run(*win);
        ASSERT_EQ(dialogs.pendingExpectations(), 0u) << c.command << ": no dialog of its kind";
        const FileDialogRequest& r = dialogs.fileRequests.back();
        EXPECT_EQ(r.title, c.title) << c.command;
        EXPECT_EQ(r.filter, c.filter) << c.command;
        EXPECT_EQ(r.defaultExt, c.ext) << c.command;
        EXPECT_EQ(r.filterIndex, 2) << c.command << ": the file type is offered first";
        EXPECT_EQ(r.initialDir, home.path()) << c.command;
        EXPECT_EQ(r.fileName, c.proposed) << c.command;
    }
    EXPECT_EQ(ctx.state.dataFileName, home.file("default.dat"));
    EXPECT_EQ(ctx.state.testFileName, home.file("default.tst"));
    EXPECT_FALSE(win->rememberTestFile());
}

TEST_F(FilesTest, ImportKeepsTheImportedFilesFolder) {
    SubsystemHooks h = Hooks();
    std::vector<std::string> imported;
    h.importK45File = [&](const FilePlaces&, const SharedRecords&, ModemParameters& r, const std::string& f) {
        imported.push_back(f);
        r.comment = "imported";
        return true;
    };
    Start(false, "", h);
    dialogs.expectOpenFile("/media/usb/old units/my.unit.k45");
    win->ImportK45DataFile();
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_EQ(ctx.state.dataFileName, "/media/usb/old units/my.dat");
    EXPECT_EQ(ctx.state.mainParameters.comment, "imported");
    const FileDialogRequest& r = dialogs.fileRequests[0];
    EXPECT_EQ(r.title, "Open User K45 Data File");
    EXPECT_EQ(r.filter, "All Files (*.*)|*.*|Data Files (*.k45)|*.k45");
    EXPECT_EQ(r.fileName, "default.k45");

    // A name given without a folder (as older settings may hold) lands in the program folder.
    dialogs.expectOpenFile("unit.k45");
    win->ImportK45DataFile();
    EXPECT_EQ(ctx.state.dataFileName, home.file("unit.dat"));

    // A file the importer refuses keeps the name and says so.
    h.importK45File = [](const FilePlaces&, const SharedRecords&, ModemParameters&, const std::string&) { return false; };
    win.reset();
    Start(false, "", h);
    const std::string before = ctx.state.dataFileName;
    dialogs.expectOpenFile("/media/usb/notes.k45");
    dialogs.expectBox("Could not open the K45 data file /media/usb/notes.k45");
    win->ImportK45DataFile();
    EXPECT_EQ(ctx.state.dataFileName, before);
    EXPECT_EQ(dialogs.pendingExpectations(), 0u);
}

// ---------------------------------------------------------------------------------------------
// Test file commands

TEST_F(FilesTest, TestFileThatDoesNotLoadIsStillRememberedUnderItsOldName) {
    Start(true, "/ProductionTest", Hooks());
    dialogs.expectOpenFile(home.file("nothere.tst"));
    dialogs.expectBox("Could not open the test file " + home.file("nothere.tst"));
    win->OpenTestFile();
    EXPECT_EQ(ctx.state.testFileName, home.file("default.tst"));
    EXPECT_TRUE(win->rememberTestFile());
    ASSERT_TRUE(Close());
    EXPECT_EQ(ProfileRead(home.file("config/K45MR.ini"), "Filenames", "Test", ""), home.file("default.tst"));
}

TEST_F(FilesTest, TestFileSaveAndOpenRoundTrip) {
    Start(true, "/ProductionTest", Hooks());
    FakeToolWindow& prodFreqs = AddWindow(ToolWindow::formProdFreqs);
    ctx.state.testParameters.txTime = 4321;
    dialogs.expectSaveFile(home.file("line2.tst"));
    win->SaveTestFile();  // default.tst does not exist yet: Save As
    EXPECT_EQ(dialogs.fileRequests.back().title, "Save Test File As");
    EXPECT_EQ(dialogs.fileRequests.back().filter, "All Files (*.*)|*.*|Test Files (*.tst)|*.tst");
    EXPECT_EQ(ctx.state.testFileName, home.file("line2.tst"));
    EXPECT_EQ(prodFreqs.saves, 1);

    ctx.state.testParameters.txTime = 1;
    dialogs.expectOpenFile(home.file("line2.tst"));
    win->OpenTestFile();
    EXPECT_EQ(ctx.state.testParameters.txTime, 4321);
    EXPECT_EQ(prodFreqs.updates, 1);
    EXPECT_EQ(win->panelText(3).toStdString(), home.file("default.dat") + "   |   " + home.file("line2.tst"));
}

TEST_F(FilesTest, FailedTestFileWriteIsReported) {
    SubsystemHooks h = Hooks();
    h.saveTestFile = [](const FilePlaces&, const std::string&, const ProductionTestRecord&, std::string* e) {
        if (e) *e = "Read-only file system";
        return false;
    };
    Start(true, "/ProductionTest", h);
    dialogs.expectSaveFile(home.file("line2.tst"));
    dialogs.expectBox("Could not save the test file " + home.file("line2.tst") + "\r\nRead-only file system");
    win->SaveTestFileAs();
    EXPECT_EQ(ctx.state.testFileName, home.file("default.tst"));
    EXPECT_FALSE(win->rememberTestFile());
}

TEST_F(FilesTest, FileCommandsNeedTheirRoutines) {
    Start(false, "", SubsystemHooks{});
    for (const char* item : {"menuFileOpen", "menuFileSave", "menuFileSaveAs", "menuFileOpenK45", "menuTestOpen"})
        EXPECT_FALSE(win->action(item)->isEnabled()) << item;
    EXPECT_TRUE(win->action("menuFileExit")->isEnabled());
}

}  // namespace
}  // namespace k45::test
