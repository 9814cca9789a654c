#pragma once
// A temporary program folder for one test: K45MR_HOME points at it while the object lives.
#include <string>

namespace k45::test {

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;

private:
    std::string path_;
    std::string oldHome_;
    bool hadHome_ = false;
};

}  // namespace k45::test
