// The real message boxes and file dialogs belong to the main window, also when no window is
// active (after a file dialog or another box), so they open over it and not loose on the screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <memory>

#include "platform/qt/qt_dialogs.h"

namespace k45::test {
namespace {

struct Shown {
    QWidget* parent = nullptr;
    QString text;
    bool found = false;
};

// Looks at the dialog that comes up next, then closes it.
void InspectAndClose(Shown& shown) {
    QTimer::singleShot(0, [&shown] {
        QWidget* dlg = QApplication::activeModalWidget();
        if (!dlg) return;
        shown.found = true;
        shown.parent = dlg->parentWidget();
        if (auto* box = qobject_cast<QMessageBox*>(dlg)) {
            shown.text = box->text();
            box->done(QMessageBox::Ok);
        } else if (auto* d = qobject_cast<QDialog*>(dlg)) {
            d->reject();
        }
    });
}

TEST(QtDialogParent, BoxesAndFileDialogsBelongToTheMainWindowWhenNoWindowIsActive) {
    QWidget mainWindow;
    mainWindow.resize(640, 480);  // not shown: no window is active
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    QtDialogs dialogs;
    dialogs.setMainWindow(&mainWindow);

    Shown box;
    InspectAndClose(box);
    EXPECT_EQ(dialogs.messageBox("Could Not Open Com Port 1", "Com Port Error", MsgButtons::OK, MsgIcon::Exclamation),
              MsgAnswer::OK);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, "Could Not Open Com Port 1");
    EXPECT_EQ(box.parent, &mainWindow);

    Shown file;
    InspectAndClose(file);
    FileDialogRequest request;
    request.title = "Open User Data File";
    request.filter = "Data Files (*.dat)|*.dat";
    EXPECT_FALSE(dialogs.openFile(request));
    ASSERT_TRUE(file.found);
    EXPECT_EQ(file.parent, &mainWindow);
}

// A box asked for while a modal window is up belongs to that window, so it stays above it.
TEST(QtDialogParent, ABoxOverAModalWindowBelongsToIt) {
    QWidget mainWindow;
    QtDialogs dialogs;
    dialogs.setMainWindow(&mainWindow);
    QDialog modal(&mainWindow);
    Shown box;
    QTimer::singleShot(0, [&] {
        InspectAndClose(box);
        dialogs.messageBox("Primary and Secondary Com Ports must be different!", "Port Number Error", MsgButtons::OK,
                           MsgIcon::Exclamation);
        modal.reject();
    });
    modal.exec();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.parent, &modal);
}

// Without the main window (gone at the end of the run) a box still shows.
TEST(QtDialogParent, ABoxAfterTheMainWindowIsGoneStillShows) {
    QtDialogs dialogs;
    auto mainWindow = std::make_unique<QWidget>();
    dialogs.setMainWindow(mainWindow.get());
    mainWindow.reset();
    Shown box;
    InspectAndClose(box);
    dialogs.messageBox("Could not save the settings file", {}, MsgButtons::OK, MsgIcon::Critical);
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.parent, nullptr);
}

}  // namespace
}  // namespace k45::test
