#pragma once
// Choosing the file a window saves to: the file dialog proposing the file used last, and the
// question whether an existing file is overwritten or appended to.
#include <optional>
#include <string>

#include "platform/dialogs.h"

namespace k45 {

// The request with fileName's folder (the program folder when it names none) and name proposed.
FileDialogRequest ProposingFile(FileDialogRequest request, const std::string& fileName,
                                const std::string& programFolder);
// A text file's dialog: text files shown first, ".txt" added to a name without an extension.
FileDialogRequest TextFileRequest(std::string title);

// Shows the save dialog proposing fileName; the chosen path becomes fileName. Nothing when
// cancelled or empty.
std::optional<std::string> ChooseSaveFile(Dialogs& dialogs, const FileDialogRequest& request, std::string& fileName,
                                          const std::string& programFolder);

enum class FileSaveMode { Create, Overwrite, Append };
// Create for a new file, without a question; for an existing one the question's Yes overwrites,
// No appends, and Cancel gives nothing.
std::optional<FileSaveMode> AskOverwriteOrAppend(Dialogs& dialogs, const std::string& path, const std::string& question,
                                                 const std::string& title);

}  // namespace k45
