#pragma once
#include <string>

namespace k45 {

// Folders the program uses. Built once at start-up (or by a test) and handed around.
struct Places {
    std::string programFolder;  // K45MR_HOME, else the folder of the executable
    std::string executableFolder;  // where the program files (help) are installed
    std::string tempFolder;     // system temporary folder (debug traces)
    std::string configFolder;   // $XDG_CONFIG_HOME or ~/.config
};

Places DiscoverPlaces(const std::string& executablePath);
// Joins a folder and a name with "/" (no doubled separator).
std::string JoinPath(const std::string& folder, const std::string& name);

}  // namespace k45
