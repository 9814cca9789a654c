#pragma once
#include <string>

namespace k45 {

// Opens the program's help file at a context id in a help window of its own.
class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // False with a message for the operator when the help file is missing.
    [[nodiscard]] virtual bool showTopic(const std::string& helpFile, int contextId, std::string* error) = 0;
    [[nodiscard]] virtual bool showContents(const std::string& helpFile, std::string* error) = 0;
    virtual void quit() = 0;
};

}  // namespace k45
