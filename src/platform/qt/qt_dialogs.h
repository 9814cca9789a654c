#pragma once
#include "platform/dialogs.h"

class QWidget;

namespace k45 {

// Dialogs on screen. The parent is the active window (or none).
class QtDialogs : public Dialogs {
public:
    MsgAnswer messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    int runModal(const std::string& name, const std::function<int()>& exec) override;
};

// "Data Files (*.dat)|*.dat|All Files (*.*)|*.*" -> "Data Files (*.dat);;All Files (*.*)"
std::string ConvertFileFilter(const std::string& filter);

}  // namespace k45
