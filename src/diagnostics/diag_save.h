#pragma once
// The save dialogs the diagnostics windows share: the file dialog of a diagnostics text file and
// the question when the chosen file exists.
#include <optional>
#include <string>

#include "diagnostics/online_stream.h"

namespace k45 {

class Dialogs;

inline constexpr const char* kSaveDiagsTitle = "Save Diagnostics Text File As";

// Shows the save dialog proposing fileName (its folder, else the program folder); the chosen
// path becomes fileName. Nothing when cancelled or empty.
std::optional<std::string> ChooseDiagnosticsFile(Dialogs& dialogs, std::string& fileName,
                                                 const std::string& programFolder);

// Create for a new file; for an existing one the question's Yes overwrites, No appends, Cancel
// gives nothing.
std::optional<SaveMode> AskSaveMode(Dialogs& dialogs, const std::string& path, const std::string& question);

// The two questions: path & " already exists!" and the window's lines.
std::string OfflineExistsQuestion(const std::string& path);
std::string OnlineExistsQuestion(const std::string& path);

}  // namespace k45
