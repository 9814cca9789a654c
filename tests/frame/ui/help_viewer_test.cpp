// The help window stand-in and the program's help file.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>

#include <memory>

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
    EXPECT_TRUE(viewer.browser()->toPlainText().contains("Utilities menu"));

    viewer.window()->resize(300, 150);  // small, so that a topic far down must scroll
    ASSERT_TRUE(viewer.showTopic(kHelpFile, kHelpIdHelp, &error)) << error;
    QApplication::processEvents();
    EXPECT_GT(viewer.browser()->verticalScrollBar()->value(), 0);

    viewer.quit();
    EXPECT_FALSE(viewer.window()->isVisible());
}

// Escape closes the help window, whichever of its controls has the keyboard; another key
// does not, nor does Escape with a modifier. The next topic opens it again.
TEST(HelpViewer, EscapeClosesTheHelpWindow) {
    QtHelpViewer viewer;
    std::string error;
    ASSERT_TRUE(viewer.showContents(kHelpFile, &error)) << error;
    auto press = [](QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(w, &e);
    };
    QWidget* const controls[] = {viewer.browser(), viewer.window()->findChild<QPushButton*>("buttonContents")};
    for (QWidget* control : controls) {
        SCOPED_TRACE(control->objectName().toStdString());
        ASSERT_TRUE(viewer.showContents(kHelpFile, &error)) << error;
        ASSERT_TRUE(viewer.window()->isVisible());
        press(control, Qt::Key_A);
        press(control, Qt::Key_Escape, Qt::ShiftModifier);
        EXPECT_TRUE(viewer.window()->isVisible());
        press(control, Qt::Key_Escape);
        EXPECT_FALSE(viewer.window()->isVisible());
    }
}

TEST(HelpViewer, MissingHelpFileIsRefusedWithAClearMessage) {
    QtHelpViewer viewer;
    std::string error;
    EXPECT_FALSE(viewer.showTopic("/nonexistent/K45MR.html", 810, &error));
    EXPECT_EQ(error, "The help file /nonexistent/K45MR.html was not found.");
    EXPECT_EQ(viewer.window(), nullptr);
}

// The help window sits over the main window, centred on it, and stays on top of it.
TEST(HelpViewer, OpensOverItsOwnerCentredOnIt) {
    QWidget owner;
    owner.setGeometry(50, 40, 600, 450);
    owner.show();
    QtHelpViewer viewer;
    viewer.setOwner(&owner);
    std::string error;
    ASSERT_TRUE(viewer.showContents(kHelpFile, &error)) << error;
    ASSERT_NE(viewer.window(), nullptr);
    EXPECT_TRUE(viewer.window()->isWindow());
    EXPECT_EQ(viewer.window()->parentWidget(), &owner);
    const QPoint offset = viewer.window()->frameGeometry().center() - owner.frameGeometry().center();
    // Within the window frame's half: the frame is known only once the window is shown.
    EXPECT_LE(offset.manhattanLength(), 20) << offset.x() << "," << offset.y();
    EXPECT_LE(viewer.window()->width(), owner.width());
}

// A modal window blocks every other window: help asked for while one is up opens over it, and
// goes when it goes; the next topic opens over the owner again.
TEST(HelpViewer, AModalWindowTakesTheHelpWindowAlongWhileItIsUp) {
    QWidget owner;
    owner.setGeometry(50, 40, 600, 450);
    owner.show();
    QtHelpViewer viewer;
    viewer.setOwner(&owner);
    std::string error;
    auto modal = std::make_unique<QDialog>(&owner);
    modal->setWindowModality(Qt::ApplicationModal);
    modal->show();
    ASSERT_EQ(QApplication::activeModalWidget(), modal.get());
    ASSERT_TRUE(viewer.showTopic(kHelpFile, kHelpIdHelp, &error)) << error;
    EXPECT_EQ(viewer.window()->parentWidget(), modal.get());
    EXPECT_TRUE(viewer.window()->isVisible());
    modal.reset();
    EXPECT_EQ(viewer.window(), nullptr);
    ASSERT_TRUE(viewer.showContents(kHelpFile, &error)) << error;
    EXPECT_EQ(viewer.window()->parentWidget(), &owner);
}

TEST(HelpViewer, BackReturnsToTheTopicBeforeAndContentsToTheContents) {
    QtHelpViewer viewer;
    std::string error;
    ASSERT_TRUE(viewer.showTopic(kHelpFile, kHelpIdFile, &error)) << error;
    auto* back = viewer.window()->findChild<QPushButton*>("buttonBack");
    auto* contents = viewer.window()->findChild<QPushButton*>("buttonContents");
    ASSERT_NE(back, nullptr);
    ASSERT_NE(contents, nullptr);
    ASSERT_TRUE(viewer.showTopic(kHelpFile, kHelpIdHelp, &error)) << error;
    EXPECT_EQ(viewer.browser()->source().fragment(), "ctx880");
    ASSERT_TRUE(back->isEnabled());
    back->click();
    EXPECT_EQ(viewer.browser()->source().fragment(), "ctx810");
    contents->click();
    EXPECT_EQ(viewer.browser()->source().fragment(), "contents");
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
