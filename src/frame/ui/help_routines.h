#pragma once
// The program's online help: one help file in the program folder, shown by the HelpViewer
// in a window of its own. A missing help file gives the operator a message.
#include <memory>
#include <string>

class QObject;
class QWidget;

namespace k45 {

struct AppContext;

// The help file of a program folder ("<folder>/K45MR.html"; no doubled separator).
std::string HelpFileName(const std::string& programFolder);
// The program folder's help file, else the one installed beside the executable (a program
// folder named by K45MR_HOME need not hold one).
std::string HelpFilePath(const std::string& programFolder, const std::string& executableFolder);

// Top-level menu topics.
inline constexpr int kHelpIdFile = 810;
inline constexpr int kHelpIdEdit = 820;
inline constexpr int kHelpIdUtilities = 830;
inline constexpr int kHelpIdProductionTest = 850;
inline constexpr int kHelpIdEngineer = 860;
inline constexpr int kHelpIdWindow = 870;
inline constexpr int kHelpIdHelp = 880;

class HelpRoutines {
public:
    explicit HelpRoutines(AppContext& ctx);
    ~HelpRoutines();
    HelpRoutines(const HelpRoutines&) = delete;
    HelpRoutines& operator=(const HelpRoutines&) = delete;

    // Names the help file (first step of the main window's load) and takes F1 in the modal
    // windows, where the main window's Help Contents cannot be reached.
    void InitHelp();
    void ShowHelpContext(int contextId);
    void ShowHelpContents();
    // F1 (Help Contents): the topic of the main window's active child and its focused control
    // (help_topics.h); the contents when there is no active child or it has no topic.
    void ShowHelpFor(const QWidget* activeChild);
    // Closes the help window (first step of shutdown).
    void QuitHelp();
    const std::string& helpFile() const { return helpFile_; }

private:
    void Report(bool shown, const std::string& error);
    AppContext& ctx_;
    std::string helpFile_;
    std::unique_ptr<QObject> modalHelpKey_;
};

}  // namespace k45
