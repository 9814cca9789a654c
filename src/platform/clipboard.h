#pragma once
#include <string>

namespace k45 {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual std::string text() const = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void clear() = 0;
};

}  // namespace k45
