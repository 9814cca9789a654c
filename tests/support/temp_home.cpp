#include "support/temp_home.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace k45::test {

TempHome::TempHome() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "k45mr-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
    if (const char* h = std::getenv("K45MR_HOME")) {
        hadHome_ = true;
        oldHome_ = h;
    }
    setenv("K45MR_HOME", path_.c_str(), 1);
}

TempHome::~TempHome() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    if (hadHome_) setenv("K45MR_HOME", oldHome_.c_str(), 1);
    else unsetenv("K45MR_HOME");
}

void TempHome::write(const std::string& name, const std::string& content) const {
    std::ofstream out(file(name), std::ios::binary);
    out << content;
}

std::string TempHome::read(const std::string& name) const {
    std::ifstream in(file(name), std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool TempHome::exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

}  // namespace k45::test
