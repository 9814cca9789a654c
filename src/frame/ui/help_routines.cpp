#include "frame/ui/help_routines.h"

#include <filesystem>

#include "frame/app_context.h"
#include "platform/dialogs.h"
#include "platform/help_viewer.h"
#include "platform/places.h"

namespace k45 {

std::string HelpFileName(const std::string& programFolder) {
    size_t b = programFolder.find_first_not_of(' ');
    size_t e = programFolder.find_last_not_of(' ');
    std::string folder = (b == std::string::npos) ? std::string() : programFolder.substr(b, e - b + 1);
    return JoinPath(folder, "K45MR.html");
}

std::string HelpFilePath(const std::string& programFolder, const std::string& executableFolder) {
    const std::string own = HelpFileName(programFolder);
    std::error_code ec;
    if (executableFolder.empty() || std::filesystem::exists(own, ec)) return own;
    const std::string installed = HelpFileName(executableFolder);
    return std::filesystem::exists(installed, ec) ? installed : own;
}

void HelpRoutines::InitHelp() {
    helpFile_ = HelpFilePath(ctx_.state.places.programFolder, ctx_.state.places.executableFolder);
}

void HelpRoutines::Report(bool shown, const std::string& error) {
    if (shown || !ctx_.dialogs()) return;
    ctx_.dialogs()->messageBox(error.empty() ? "The help file " + helpFile_ + " cannot be shown." : error, {},
                               MsgButtons::OK, MsgIcon::Exclamation);
}

void HelpRoutines::ShowHelpContext(int contextId) {
    if (!ctx_.state.helpViewer) return;
    std::string error;
    Report(ctx_.state.helpViewer->showTopic(helpFile_, contextId, &error), error);
}

void HelpRoutines::ShowHelpContents() {
    if (!ctx_.state.helpViewer) return;
    std::string error;
    Report(ctx_.state.helpViewer->showContents(helpFile_, &error), error);
}

void HelpRoutines::QuitHelp() {
    if (ctx_.state.helpViewer) ctx_.state.helpViewer->quit();
}

}  // namespace k45
