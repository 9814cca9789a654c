#include "platform/qt/qt_help_viewer.h"

#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>

#include "version_info.h"

namespace k45 {

std::string HelpAnchor(int contextId) { return "ctx" + std::to_string(contextId); }

QtHelpViewer::QtHelpViewer() = default;
QtHelpViewer::~QtHelpViewer() = default;

bool QtHelpViewer::show(const std::string& helpFile, const std::string& anchor, std::string* error) {
    const QString path = QString::fromStdString(helpFile);
    QFileInfo info(path);
    if (!info.exists() || !info.isFile() || !info.isReadable()) {
        if (error) {
            *error = info.exists() ? "The help file " + helpFile + " cannot be read."
                                   : "The help file " + helpFile + " was not found.";
        }
        return false;
    }
    if (!browser_) {
        browser_ = std::make_unique<QTextBrowser>();
        browser_->setOpenExternalLinks(false);
        browser_->resize(640, 480);
        browser_->setWindowTitle(QString::fromUtf8(version::programTitle) + " Help");
    }
    const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    if (browser_->source() != url) browser_->setSource(url);
    else browser_->reload();
    if (anchor.empty()) browser_->scrollToAnchor("contents");
    else browser_->scrollToAnchor(QString::fromStdString(anchor));
    browser_->show();
    browser_->raise();
    browser_->activateWindow();
    return true;
}

bool QtHelpViewer::showTopic(const std::string& helpFile, int contextId, std::string* error) {
    return show(helpFile, HelpAnchor(contextId), error);
}

bool QtHelpViewer::showContents(const std::string& helpFile, std::string* error) {
    return show(helpFile, std::string(), error);
}

void QtHelpViewer::quit() {
    if (browser_) browser_->close();
}

}  // namespace k45
