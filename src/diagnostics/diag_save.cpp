#include "diagnostics/diag_save.h"

#include "base/save_file.h"

namespace k45 {

std::optional<std::string> ChooseDiagnosticsFile(Dialogs& dialogs, std::string& fileName,
                                                 const std::string& programFolder) {
    return ChooseSaveFile(dialogs, TextFileRequest(kSaveDiagsTitle), fileName, programFolder);
}

std::optional<SaveMode> AskSaveMode(Dialogs& dialogs, const std::string& path, const std::string& question) {
    return AskOverwriteOrAppend(dialogs, path, question, kSaveDiagsTitle);
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
