#pragma once
// Message boxes, file dialogs and modal windows. The program uses the Qt implementation;
// tests use scripted dialogs that record every box and answer from a script.
#include <functional>
#include <optional>
#include <string>

#include "platform/message_box.h"

namespace k45 {

struct FileDialogRequest {
    std::string title;
    std::string filter;       // "Data Files (*.dat)|*.dat|All Files (*.*)|*.*"
    std::string initialDir;
    std::string fileName;     // proposed name
    std::string defaultExt;   // without the dot
    int filterIndex = 1;      // the filter entry shown first, counted from 1
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An empty title shows the program's title. Text is UTF-8.
    virtual MsgAnswer messageBox(const std::string& text, const std::string& title = {},
                                 MsgButtons buttons = MsgButtons::OK, MsgIcon icon = MsgIcon::None) = 0;
    // The chosen path, or nothing when the operator cancelled.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
    // Shows a modal window named `name`; `exec` runs it on screen and returns its result.
    // Scripted dialogs call the test's handler for `name` instead.
    virtual int runModal(const std::string& name, const std::function<int()>& exec) = 0;
};

// Shows a message a model routine returned. Without a dialog service nothing can be shown or
// confirmed: a question counts as No.
inline MsgAnswer ShowMessage(Dialogs* dialogs, const UserMessage& m) {
    if (!dialogs) return m.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::OK;
    return dialogs->messageBox(m.text, m.title, m.buttons, m.icon);
}
// ShowMessage as a function object, for model routines that hand back several messages in turn.
inline auto MessageShower(Dialogs* dialogs) {
    return [dialogs](const UserMessage& m) { return ShowMessage(dialogs, m); };
}

}  // namespace k45
