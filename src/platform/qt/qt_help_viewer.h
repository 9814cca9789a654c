#pragma once
#include <QPointer>

#include "platform/help_viewer.h"

class QPushButton;
class QTextBrowser;
class QWidget;

namespace k45 {

// The help file is an HTML file; a context id c is the anchor "ctx<c>" in it. Topics show in
// a help window of its own, which stays open until the operator or quit() closes it. The help
// window sits over its owner (the main window), centred on it when it first opens; while a
// modal window is up it sits over that one instead, so that it can be used, and goes with it.
class QtHelpViewer : public HelpViewer {
public:
    QtHelpViewer();
    ~QtHelpViewer() override;
    QtHelpViewer(const QtHelpViewer&) = delete;
    QtHelpViewer& operator=(const QtHelpViewer&) = delete;

    [[nodiscard]] bool showTopic(const std::string& helpFile, int contextId, std::string* error) override;
    [[nodiscard]] bool showContents(const std::string& helpFile, std::string* error) override;
    void quit() override;

    // The window the help window opens over; null: none.
    void setOwner(QWidget* owner);

    // The help window while it exists (for tests and screenshots), else null; its text is
    // browser().
    QWidget* window() const;
    QTextBrowser* browser() const;

private:
    [[nodiscard]] bool show(const std::string& helpFile, const std::string& anchor, std::string* error);
    void PlaceOver(QWidget* over);
    QPointer<QWidget> owner_;
    QPointer<QWidget> frame_;
    QPointer<QTextBrowser> browser_;
};

// The anchor name of a context id.
std::string HelpAnchor(int contextId);

}  // namespace k45
