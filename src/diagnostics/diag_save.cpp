#include "diagnostics/diag_save.h"

#include <filesystem>

#include "frame/utilities.h"
#include "platform/dialogs.h"

namespace k45 {

std::optional<std::string> ChooseDiagnosticsFile(Dialogs& dialogs, std::string& fileName,
                                                 const std::string& programFolder) {
    FileDialogRequest req;
    req.title = kSaveDiagsTitle;
    req.filter = "All Files (*.*)|*.*|Text Files (*.txt)|*.txt";
    req.filterIndex = 2;
    req.defaultExt = "txt";
    req.initialDir = GetDirectoryPart(fileName, programFolder);
    req.fileName = GetFileNamePart(fileName);
    const auto chosen = dialogs.saveFile(req);
    if (!chosen || chosen->empty()) return std::nullopt;
    fileName = *chosen;
    return chosen;
}

std::optional<SaveMode> AskSaveMode(Dialogs& dialogs, const std::string& path, const std::string& question) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) return SaveMode::Create;
    switch (dialogs.messageBox(question, kSaveDiagsTitle, MsgButtons::YesNoCancel)) {
        case MsgAnswer::Yes: return SaveMode::Overwrite;
        case MsgAnswer::No: return SaveMode::Append;
        default: return std::nullopt;
    }
}

std::string OfflineExistsQuestion(const std::string& path) {
    return path + " already exists!\r\nDo you want to over-write the file?\r\nClick Yes to Over-Write File.\r\n"
                  "Click No to Append Data to End of File.\r\nClick Cancel to Save Nothing.";
}

std::string OnlineExistsQuestion(const std::string& path) {
    return path + " already exists!\r\nClick Yes to Over-Write.\r\nClick No to Append data to end of file.\r\n"
                  "Click Cancel to do nothing.";
}

}  // namespace k45
