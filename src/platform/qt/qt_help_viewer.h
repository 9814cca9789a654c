#pragma once
#include <memory>

#include "platform/help_viewer.h"

class QTextBrowser;

namespace k45 {

// The help file is an HTML file; a context id c is the anchor "ctx<c>" in it. Topics show in
// a help window of its own, which stays open until the operator or quit() closes it.
class QtHelpViewer : public HelpViewer {
public:
    QtHelpViewer();
    ~QtHelpViewer() override;
    [[nodiscard]] bool showTopic(const std::string& helpFile, int contextId, std::string* error) override;
    [[nodiscard]] bool showContents(const std::string& helpFile, std::string* error) override;
    void quit() override;

    // The help window while it exists (for tests and screenshots), else null.
    QTextBrowser* window() const { return browser_.get(); }

private:
    [[nodiscard]] bool show(const std::string& helpFile, const std::string& anchor, std::string* error);
    std::unique_ptr<QTextBrowser> browser_;
};

// The anchor name of a context id.
std::string HelpAnchor(int contextId);

}  // namespace k45
