// The real file dialogs: which filter they offer first, and what a cancel returns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include "platform/qt/qt_dialogs.h"

namespace k45::test {
namespace {

struct Seen {
    QString filter;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    bool found = false;
};

// Looks at the dialog once it is up, then cancels it.
void InspectAndCancel(Seen& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dlg) return;
        seen.found = true;
        seen.filter = dlg->selectedNameFilter();
        seen.mode = dlg->acceptMode();
        seen.fileMode = dlg->fileMode();
        dlg->reject();
    });
}

TEST(QtFileDialogs, OfferTheRequestedFilterFirstAndReturnNothingOnCancel) {
    QtDialogs dialogs;
    FileDialogRequest r;
    r.title = "Open User Data File";
    r.filter = "All Files (*.*)|*.*|Data Files (*.dat)|*.dat";
    r.defaultExt = "dat";
    r.filterIndex = 2;
    for (bool save : {false, true}) {
        Seen seen;
        InspectAndCancel(seen);
        const auto name = save ? dialogs.saveFile(r) : dialogs.openFile(r);
        ASSERT_TRUE(seen.found) << save;
        EXPECT_FALSE(name.has_value()) << save;
        EXPECT_EQ(seen.filter, "Data Files (*.dat)") << save;
        EXPECT_EQ(seen.mode, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        if (!save) {
            EXPECT_EQ(seen.fileMode, QFileDialog::ExistingFile);
        }
    }
    // An index outside the list leaves the first entry.
    r.filterIndex = 7;
    Seen seen;
    InspectAndCancel(seen);
    EXPECT_FALSE(dialogs.openFile(r).has_value());
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.filter, "All Files (*)");
}

}  // namespace
}  // namespace k45::test
