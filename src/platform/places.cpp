#include "platform/places.h"

#include <cstdlib>
#include <filesystem>

namespace k45 {

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    if (folder.back() == '/' || folder.back() == '\\') return folder + name;
    return folder + "/" + name;
}

Places DiscoverPlaces(const std::string& executablePath) {
    namespace fs = std::filesystem;
    Places p;
    {
        std::error_code ec;
        fs::path exe = fs::canonical(executablePath, ec);
        p.executableFolder = (ec ? fs::path(executablePath) : exe).parent_path().string();
    }
    if (const char* home = std::getenv("K45MR_HOME"); home && *home) {
        p.programFolder = home;
    } else {
        p.programFolder = p.executableFolder;
    }
    std::error_code ec;
    fs::path tmp = fs::temp_directory_path(ec);
    p.tempFolder = ec ? std::string("/tmp") : tmp.string();
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        p.configFolder = xdg;
    } else if (const char* h = std::getenv("HOME"); h && *h) {
        p.configFolder = JoinPath(h, ".config");
    } else {
        p.configFolder = p.programFolder;
    }
    return p;
}

}  // namespace k45
