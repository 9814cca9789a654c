#include "base/save_file.h"

#include <filesystem>

#include "base/utilities.h"

namespace k45 {

FileDialogRequest ProposingFile(FileDialogRequest request, const std::string& fileName,
                                const std::string& programFolder) {
    request.initialDir = GetDirectoryPart(fileName, programFolder);
    request.fileName = GetFileNamePart(fileName);
    return request;
}

FileDialogRequest TextFileRequest(std::string title) {
    FileDialogRequest request;
    request.title = std::move(title);
    request.filter = "All Files (*.*)|*.*|Text Files (*.txt)|*.txt";
    request.filterIndex = 2;
    request.defaultExt = "txt";
    return request;
}

std::optional<std::string> ChooseSaveFile(Dialogs& dialogs, const FileDialogRequest& request, std::string& fileName,
                                          const std::string& programFolder) {
    auto chosen = dialogs.saveFile(ProposingFile(request, fileName, programFolder));
    if (!chosen || chosen->empty()) return std::nullopt;
    fileName = *chosen;
    return chosen;
}

std::optional<FileSaveMode> AskOverwriteOrAppend(Dialogs& dialogs, const std::string& path, const std::string& question,
                                                 const std::string& title) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec)) return FileSaveMode::Create;
    switch (dialogs.messageBox(question, title, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes: return FileSaveMode::Overwrite;
    case MsgAnswer::No: return FileSaveMode::Append;
    default: return std::nullopt;
    }
}

}  // namespace k45
