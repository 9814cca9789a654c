#pragma once
// What the tool windows use of the main window: the window services the dialogues ask for
// (window_services.h) and the windows' own requests. The main window (MDIMain, src/frame/ui)
// implements it; each test stand-in answers all of it, recording what its test checks.
//
// Conventions between the main window and the tool windows (Qt side):
// - A tool window the main window opens derives from ToolWindowBase (src/ui/tool_window.h), a
//   QWidget and a ToolForm. It is created as a child of the main window, which owns it, and
//   entered in AppContext::toolForms. ShowForm wraps it in an MDI sub-window (its
//   parentWidget(), which the window may move and resize in twips / 15) and shows it. The
//   window loads in its showEvent when not loaded (sets loaded(), registers with the ports,
//   applies its placement) and unloads in its closeEvent; the sub-window is kept and reused.
// - The main window calls Form_Activate() when a child becomes the active MDI child (not
//   when the program as a whole regains the focus), once the child has loaded: a newly shown
//   child is activated right after its load. A window does not call it on itself.
// - Dynamic properties the main window reads on child widgets:
//     "tag"           QString: "RichTextBox" marks a terminal pane that Cut/Copy/Paste skip;
//     "locked"        bool: a locked text box (Cut copies only, Paste does nothing); a
//                     read-only QLineEdit / QTextEdit / QPlainTextEdit counts as locked;
//     "helpContextId" int: help topic of a window or control for F1 (0 or absent: none).
#include <cstdint>
#include <string>

#include "wiring/window_interfaces.h"
#include "wiring/window_services.h"

namespace k45 {

class MainFrame : public WindowServices {
public:
    // The main window's active child window, or null.
    virtual ToolForm* ActiveForm() const = 0;

    // Status bar panel 2: "Com<n> / Com<m>" from the two port objects.
    virtual void DisplayComPorts() = 0;

    // Window-opening rule: focus the window when it is loaded, otherwise show it as a
    // modeless MDI child (which loads it).
    virtual void OpenForm(ToolForm& form) = 0;
    virtual void ShowForm(ToolForm& form) = 0;
    virtual void FocusForm(ToolForm& form) = 0;

    // Opener of the version request window.
    virtual void OpenVersionRequest(bool tmpAutoStart) = 0;
};

// What start-up needs of the four terminal instances: their kind (0, 1, 4, 5), set once
// before their settings are restored.
class TerminalForm {
public:
    virtual ~TerminalForm() = default;
    virtual void setThisFormType(std::int32_t kind) = 0;
};

// What the openers need of the version request window (formVerReqst).
class AutoStartForm {
public:
    virtual ~AutoStartForm() = default;
    // Start without OK and without the completion message.
    virtual bool autoStart() const = 0;
    virtual void setAutoStart(bool on) = 0;
};

// What the openers need of the read/write window (formParmsRdWr).
class ParmsRdWrForm : public AutoStartForm {
public:
    virtual ParmsMode parmsMode() const = 0;
    virtual void setParmsMode(ParmsMode mode) = 0;
    // The window's title text (named in the "Must close " message).
    virtual std::string Caption() const = 0;
};

}  // namespace k45
