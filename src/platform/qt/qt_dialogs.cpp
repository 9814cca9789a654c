#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "platform/qt/qt_text.h"
#include "version_info.h"

namespace k45 {

std::string ConvertFileFilter(const std::string& filter) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (true) {
        size_t bar = filter.find('|', pos);
        parts.push_back(filter.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos));
        if (bar == std::string::npos) break;
        pos = bar + 1;
    }
    std::string out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string desc = parts[i];
        std::string pattern = parts[i + 1];
        for (auto& c : pattern) if (c == ';') c = ' ';
        // "*.*" means every file; here it would leave out names without a dot.
        if (pattern == "*.*") pattern = "*";
        if (!out.empty()) out += ";;";
        if (desc.find('(') == std::string::npos) desc += " (" + pattern + ")";
        else {
            // Qt takes the patterns from the parentheses; make them the real ones.
            desc = desc.substr(0, desc.find('(')) + "(" + pattern + ")";
        }
        out += desc;
    }
    return out;
}

QWidget* QtDialogs::dialogParent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (mainWindow_) return mainWindow_;
    return QApplication::activeWindow();
}

MsgAnswer QtDialogs::messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                                MsgIcon icon) {
    QMessageBox box(dialogParent());
    box.setWindowTitle(QText(title.empty() ? version::programTitle : title));
    box.setText(QText(text));
    switch (icon) {
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: break;
    }
    switch (buttons) {
    case MsgButtons::OK: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MsgButtons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    case MsgButtons::AbortRetryIgnore:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgAnswer::OK;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    case QMessageBox::Abort: return MsgAnswer::Abort;
    case QMessageBox::Ignore: return MsgAnswer::Ignore;
    default: return buttons == MsgButtons::OK ? MsgAnswer::OK : MsgAnswer::Cancel;
    }
}

namespace {

std::optional<std::string> RunFileDialog(QWidget* parent, const FileDialogRequest& r, bool save) {
    const QString dir = QText(
        r.fileName.empty() ? r.initialDir : (r.initialDir.empty() ? r.fileName : r.initialDir + "/" + r.fileName));
    const QString filters = QText(ConvertFileFilter(r.filter));
    QFileDialog dlg(parent, QText(r.title), dir, filters);
    if (save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
    }
    const QStringList entries = filters.split(";;");
    if (r.filterIndex >= 1 && r.filterIndex <= entries.size()) dlg.selectNameFilter(entries[r.filterIndex - 1]);
    if (!r.defaultExt.empty()) dlg.setDefaultSuffix(QText(r.defaultExt));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return dlg.selectedFiles().front().toStdString();
}

}  // namespace

std::optional<std::string> QtDialogs::openFile(const FileDialogRequest& r) {
    return RunFileDialog(dialogParent(), r, false);
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogRequest& r) {
    return RunFileDialog(dialogParent(), r, true);
}

int QtDialogs::runModal(const std::string&, const std::function<int()>& exec) { return exec(); }

}  // namespace k45
