// The help window stand-in and the program's help file.
#include <QApplication>
#include <QScrollBar>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "frame/ui/help_routines.h"
#include "platform/qt/qt_help_viewer.h"
#include "support/temp_home.h"

namespace k45 {
namespace {

const char* const kHelpFile = K45_TEST_DATA_DIR "/../../src/app/K45MR.html";

TEST(HelpViewer, ShowsTopicsOfTheProgramsHelpFileInAWindowOfItsOwn) {
    QtHelpViewer viewer;
    std::string error;
    ASSERT_TRUE(viewer.showContents(kHelpFile, &error)) << error;
    ASSERT_NE(viewer.window(), nullptr);
    EXPECT_TRUE(viewer.window()->isVisible());
    EXPECT_TRUE(viewer.window()->isWindow());
    EXPECT_TRUE(viewer.window()->toPlainText().contains("Utilities menu"));

    viewer.window()->resize(300, 150);  // small, so that a topic far down must scroll
    ASSERT_TRUE(viewer.showTopic(kHelpFile, kHelpIdHelp, &error)) << error;
    QApplication::processEvents();
    EXPECT_GT(viewer.window()->verticalScrollBar()->value(), 0);

    viewer.quit();
    EXPECT_FALSE(viewer.window()->isVisible());
}

TEST(HelpViewer, MissingHelpFileIsRefusedWithAClearMessage) {
    QtHelpViewer viewer;
    std::string error;
    EXPECT_FALSE(viewer.showTopic("/nonexistent/K45MR.html", 810, &error));
    EXPECT_EQ(error, "The help file /nonexistent/K45MR.html was not found.");
    EXPECT_EQ(viewer.window(), nullptr);
}

TEST(HelpViewer, HelpFileHasATopicForEveryMenu) {
    std::ifstream in(kHelpFile);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string html = ss.str();
    ASSERT_FALSE(html.empty());
    for (int id : {kHelpIdFile, kHelpIdEdit, kHelpIdUtilities, kHelpIdProductionTest, kHelpIdEngineer, kHelpIdWindow,
                   kHelpIdHelp})
        EXPECT_NE(html.find("name=\"" + HelpAnchor(id) + "\""), std::string::npos) << id;
    EXPECT_NE(html.find("name=\"contents\""), std::string::npos);
}

// A program folder named by K45MR_HOME holds only the user's files: help then comes from
// beside the executable, unless the program folder has its own copy.
TEST(HelpViewer, HelpFileIsFoundBesideTheExecutableWhenTheProgramFolderHasNone) {
    test::TempHome programFolder;
    test::TempHome installFolder;
    installFolder.write("K45MR.html", "<html></html>");
    EXPECT_EQ(HelpFilePath(programFolder.path(), installFolder.path()), installFolder.file("K45MR.html"));
    programFolder.write("K45MR.html", "<html></html>");
    EXPECT_EQ(HelpFilePath(programFolder.path(), installFolder.path()), programFolder.file("K45MR.html"));
    // Neither has one: the message names the program folder's file, where the user looks first.
    test::TempHome empty;
    EXPECT_EQ(HelpFilePath(empty.path(), "/nonexistent"), empty.file("K45MR.html"));
}

}  // namespace
}  // namespace k45
