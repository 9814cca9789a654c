#pragma once
#include "platform/clipboard.h"

namespace k45 {

class QtClipboard : public Clipboard {
public:
    std::string text() const override;
    void setText(const std::string& text) override;
    void clear() override;
};

}  // namespace k45
