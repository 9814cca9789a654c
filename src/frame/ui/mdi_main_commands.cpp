// The main window's file commands, help, About box and window arrangement.
#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QVariant>
#include <filesystem>
#include <fstream>

#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"
#include "frame/ui/form_about.h"
#include "frame/ui/mdi_main.h"
#include "base/utilities.h"
#include "platform/dialogs.h"
#include "platform/places.h"

namespace k45 {

// One of the file commands' dialogs; the initial folder is that of the current name.
struct FileCommand {
    const char* title;
    const char* filter;
    const char* ext;
    bool save;
};

namespace {

const char* const kDataFilter = "All Files (*.*)|*.*|Data Files (*.dat)|*.dat";
const char* const kK45Filter = "All Files (*.*)|*.*|Data Files (*.k45)|*.k45";
const char* const kTestFilter = "All Files (*.*)|*.*|Test Files (*.tst)|*.tst";

const FileCommand kOpenDataFile{"Open User Data File", kDataFilter, "dat", false};
const FileCommand kImportK45File{"Open User K45 Data File", kK45Filter, "k45", false};
const FileCommand kSaveDataFileAs{"Save User Data File As", kDataFilter, "dat", true};
const FileCommand kOpenTestFile{"Open Test File", kTestFilter, "tst", false};
const FileCommand kSaveTestFileAs{"Save Test File As", kTestFilter, "tst", true};

bool IsExistingFile(const std::string& name) {
    if (name.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(name, ec);
}

}  // namespace

// The parameter editor, when open, stores its fields first; it refuses when a channel
// frequency is invalid (and selects that field).
bool MDIMain::EditorRefusesFields() {
    ToolForm* editor = ctx_.form(ToolWindow::formRadioParms);
    if (!editor || !editor->loaded()) {
        // A closed editor has nothing to store; its timing page may still be open.
        if (auto* page = ctx_.formAs<EditorPage>(ToolWindow::formRadioParms)) page->SaveChanges();
        return false;
    }
    auto* page = dynamic_cast<EditorPage*>(editor);
    return page && !page->SaveChanges();
}

namespace {
void ReportFileFailure(Dialogs* dialogs, const std::string& text, const std::string& error) {
    if (!dialogs) return;
    dialogs->messageBox(error.empty() ? text : text + "\r\n" + error, {}, MsgButtons::OK, MsgIcon::Critical);
}
}  // namespace

void MDIMain::ReportSaveFailure(const std::string& what, const std::string& fileName, const std::string& error) {
    ReportFileFailure(ctx_.dialogs(), "Could not save the " + what + " " + fileName, error);
}

// A file the reader refuses changes nothing; the operator is told why. The readers refuse a
// file that opens only when it holds none of their sections (empty, binary, UTF-16, another
// kind), so a readable file that was refused is named as not being of the kind asked for.
void MDIMain::ReportOpenFailure(const std::string& what, const std::string& fileName) {
    std::error_code ec;
    const bool readable = std::filesystem::is_regular_file(fileName, ec) && std::ifstream(fileName).is_open();
    if (readable) {
        ReportFileFailure(ctx_.dialogs(),
                          "The file " + fileName + " is not a " + what + ": it holds none of the sections of a " +
                              what + ".",
                          {});
        return;
    }
    ReportFileFailure(ctx_.dialogs(), "Could not open the " + what + " " + fileName, {});
}

// The chosen name; none when the dialog was cancelled or returned an empty name.
std::optional<std::string> MDIMain::AskFileName(const FileCommand& command, const std::string& currentName,
                                                const std::string& proposedName) {
    if (!ctx_.dialogs()) return std::nullopt;
    FileDialogRequest r;
    r.title = command.title;
    r.filter = command.filter;
    r.defaultExt = command.ext;
    r.filterIndex = 2;  // the file type, not "All Files"
    r.initialDir = GetDirectoryPart(currentName, ctx_.state.places.programFolder);
    r.fileName = proposedName;
    std::optional<std::string> name = command.save ? ctx_.dialogs()->saveFile(r) : ctx_.dialogs()->openFile(r);
    if (name && name->empty()) return std::nullopt;
    return name;
}

void MDIMain::OpenDataFile() {
    AppState& s = ctx_.state;
    if (!options_.hooks.loadDataFile) return;
    auto name = AskFileName(kOpenDataFile, s.dataFileName, GetFileNamePart(s.dataFileName));
    if (!name) return;
    if (!options_.hooks.loadDataFile(s, s, s.mainParameters, *name)) {
        ReportOpenFailure("data file", *name);
        return;
    }
    s.dataFileName = *name;
    DisplayFilenames();
    if (auto* page = ctx_.formAs<EditorPage>(ToolWindow::formRadioParms)) page->UpdateChanges();
}

void MDIMain::ImportK45DataFile() {
    AppState& s = ctx_.state;
    if (!options_.hooks.importK45File) return;
    auto name = AskFileName(kImportK45File, s.dataFileName, ChangeExtension(s.dataFileName, "k45"));
    if (!name) return;
    if (!options_.hooks.importK45File(s, s, s.mainParameters, *name)) {
        ReportOpenFailure("K45 data file", *name);
        return;
    }
    // The data file takes the imported file's name with ".dat", in the imported file's folder.
    s.dataFileName = JoinPath(GetDirectoryPart(*name, s.places.programFolder), ChangeExtension(*name, "dat"));
    DisplayFilenames();
    if (auto* page = ctx_.formAs<EditorPage>(ToolWindow::formRadioParms)) page->UpdateChanges();
}

bool MDIMain::SaveDataFile() {
    AppState& s = ctx_.state;
    if (!options_.hooks.saveDataFile) return false;
    if (!IsExistingFile(s.dataFileName)) return SaveDataFileAs();
    if (EditorRefusesFields()) return false;
    std::string error;
    if (!options_.hooks.saveDataFile(s, s.dataFileName, s.mainParameters, &error)) {
        ReportSaveFailure("data file", s.dataFileName, error);
        return false;
    }
    DisplayFilenames();
    dataModified_ = false;
    return true;
}

bool MDIMain::SaveDataFileAs() {
    AppState& s = ctx_.state;
    if (!options_.hooks.saveDataFile) return false;
    auto name = AskFileName(kSaveDataFileAs, s.dataFileName, GetFileNamePart(s.dataFileName));
    if (!name) return false;
    if (EditorRefusesFields()) return false;
    std::string error;
    if (!options_.hooks.saveDataFile(s, *name, s.mainParameters, &error)) {
        ReportSaveFailure("data file", *name, error);
        return false;
    }
    s.dataFileName = *name;
    DisplayFilenames();
    dataModified_ = false;
    return true;
}

void MDIMain::OpenTestFile() {
    AppState& s = ctx_.state;
    if (!options_.hooks.loadTestFile) return;
    auto name = AskFileName(kOpenTestFile, s.testFileName, GetFileNamePart(s.testFileName));
    if (!name) return;
    if (options_.hooks.loadTestFile(s, s.testParameters, *name)) {
        s.testFileName = *name;
        DisplayFilenames();
        if (auto* page = ctx_.formAs<EditorPage>(ToolWindow::formProdFreqs)) page->UpdateChanges();
    } else {
        ReportOpenFailure("test file", *name);
    }
    rememberTestFile_ = true;
}

void MDIMain::SaveTestFile() {
    AppState& s = ctx_.state;
    if (!options_.hooks.saveTestFile) return;
    if (!IsExistingFile(s.testFileName)) {
        SaveTestFileAs();
        return;
    }
    if (auto* page = ctx_.formAs<EditorPage>(ToolWindow::formProdFreqs)) page->SaveChanges();
    std::string error;
    if (!options_.hooks.saveTestFile(s, s.testFileName, s.testParameters, &error)) {
        ReportSaveFailure("test file", s.testFileName, error);
        return;
    }
    DisplayFilenames();
    rememberTestFile_ = true;
}

void MDIMain::SaveTestFileAs() {
    AppState& s = ctx_.state;
    if (!options_.hooks.saveTestFile) return;
    auto name = AskFileName(kSaveTestFileAs, s.testFileName, GetFileNamePart(s.testFileName));
    if (!name) return;
    if (auto* page = ctx_.formAs<EditorPage>(ToolWindow::formProdFreqs)) page->SaveChanges();
    std::string error;
    if (!options_.hooks.saveTestFile(s, *name, s.testParameters, &error)) {
        ReportSaveFailure("test file", *name, error);
        return;
    }
    s.testFileName = *name;
    DisplayFilenames();
    rememberTestFile_ = true;
}

// ---------------------------------------------------------------------------------------------
// Help and About

void MDIMain::HelpContents() { help_.ShowHelpFor(ActiveChildWidget()); }

void MDIMain::ShowAbout() {
    if (!ctx_.dialogs()) return;
    ctx_.dialogs()->runModal("formAbout", [this] {
        FormAbout about(ctx_, this);
        return about.exec();
    });
}

// ---------------------------------------------------------------------------------------------
// Window menu

void MDIMain::ArrangeWindows(int arrangement) {
    QList<QMdiSubWindow*> shown, minimized;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList()) {
        if (!sub->isVisible()) continue;
        (sub->isMinimized() ? minimized : shown).push_back(sub);
    }
    const QRect area = mdiArea_->viewport()->rect();
    switch (arrangement) {
    case 0:
        mdiArea_->cascadeSubWindows();
        break;
    case 1:    // one above the other, each the full width
    case 2: {  // side by side, each the full height
        if (shown.isEmpty()) break;
        const int n = static_cast<int>(shown.size());
        for (int i = 0; i < n; ++i) {
            QMdiSubWindow* sub = shown[i];
            if (sub->isMaximized()) sub->showNormal();
            if (arrangement == 1) {
                const int h = area.height() / n;
                sub->setGeometry(0, i * h, area.width(), i == n - 1 ? area.height() - i * h : h);
            } else {
                const int w = area.width() / n;
                sub->setGeometry(i * w, 0, i == n - 1 ? area.width() - i * w : w, area.height());
            }
        }
        break;
    }
    case 3: {  // minimized windows in a row along the bottom
        int x = 0;
        for (QMdiSubWindow* sub : minimized) {
            const QSize size = sub->size();
            if (x > 0 && x + size.width() > area.width()) x = 0;
            sub->move(x, area.height() - size.height());
            x += size.width();
        }
        break;
    }
    default:
        break;
    }
}

void MDIMain::RebuildWindowList() {
    for (QAction* a : menuWindow_->actions())
        if (a->property("windowListEntry").toBool()) {
            menuWindow_->removeAction(a);
            a->deleteLater();
        }
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (sub->isVisible()) open.push_back(sub);
    if (open.isEmpty()) return;
    QAction* sep = menuWindow_->addSeparator();
    sep->setProperty("windowListEntry", true);
    int n = 1;
    for (QMdiSubWindow* sub : open) {
        QString title = sub->windowTitle();
        if (title.isEmpty() && sub->widget()) title = sub->widget()->windowTitle();
        QAction* a = menuWindow_->addAction(n < 10 ? QString("&%1 %2").arg(n).arg(title) : title);
        a->setProperty("windowListEntry", true);
        a->setCheckable(true);
        a->setChecked(sub == mdiArea_->currentSubWindow());
        connect(a, &QAction::triggered, this, [this, sub] {
            if (sub->isMinimized()) sub->showNormal();
            mdiArea_->setActiveSubWindow(sub);
        });
        ++n;
    }
}

}  // namespace k45
