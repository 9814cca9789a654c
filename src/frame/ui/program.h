#pragma once
// The start procedure: builds the process-wide values and services, creates the tool windows
// and shows the main window (whose load runs the start-up sequence).
#include <memory>
#include <string>
#include <vector>

#include "wiring/app_context.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_help_viewer.h"
#include "platform/qt/qt_local_link.h"
#include "platform/qt/qt_scheduler.h"

class QApplication;

namespace k45 {

class MDIMain;

class Program {
public:
    // arguments: the command-line arguments behind the program name.
    Program(bool engineeringBuild, const std::vector<std::string>& arguments, const std::string& executablePath);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Bit tables, locale, then the main window: loaded and shown.
    void Main();

    AppContext& context() { return ctx_; }
    MDIMain* mainWindow() { return mainWindow_.get(); }

private:
    bool engineeringBuild_;
    std::string commandLine_;
    QtScheduler scheduler_;
    QtDialogs dialogs_;
    QtClipboard clipboard_;
    QtHelpViewer helpViewer_;
    QtLocalLinks links_;
    AppContext ctx_;
    // Owns the tool windows (its children).
    std::unique_ptr<MDIMain> mainWindow_;
};

// The whole run: Main, then the event loop until the main window has closed.
int RunProgram(QApplication& app, bool engineeringBuild);

}  // namespace k45
