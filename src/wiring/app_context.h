#pragma once
// The one object main creates and hands to every window: the process-wide state (with the
// services), the two port objects, the tool-window registry and the main window.
// Tests build their own. A dialogue takes only the parts it works with (DialogueLinks) and asks
// for other windows' work through the main window's services, never through the registry.
// Plain C++: windows are reached through the small interfaces of window_interfaces.h and
// main_frame.h, never through Qt types.
#include <cstddef>
#include <functional>
#include <vector>

#include "wiring/port_slots.h"
#include "wiring/window_interfaces.h"
#include "model/app_state.h"

namespace k45 {

class MainFrame;

// The tool windows' ids and their table (wiring/tool_window_ids.h).
enum class ToolWindow : int;

// The main window and the tool windows, as the main window and the code that makes the windows
// reach them.
struct WindowRegistry {
    WindowRegistry();

    // One slot per tool window, by table order (kToolWindows). A slot stays empty until its
    // window exists; the main window disables the commands that open an empty slot and skips it
    // when restoring and saving settings. The slots do not own the windows (the main window
    // does) and empty themselves when a window is destroyed.
    std::vector<ToolFormRef> toolForms;

    // Windows outside the table (they keep no settings).
    ToolFormRef formParmsGetCurrent;

    // The main window, for the tool windows (labels, status bar, active child, openers) and,
    // as its window services, for the dialogues.
    MainFrame* mainFrame = nullptr;

    // Enters a window in its slot (the window is owned elsewhere).
    void Register(ToolWindow w, ToolForm& form) { toolForms[static_cast<std::size_t>(w)] = &form; }
    ToolForm* form(ToolWindow w) const { return toolForms[static_cast<std::size_t>(w)].get(); }
    // The window in slot w seen through another of its interfaces (EditorPage, CommForm, ...),
    // or null when the slot is empty or the window lacks that interface.
    template <class T>
    T* formAs(ToolWindow w) const { return dynamic_cast<T*>(form(w)); }
};

// The window registry's members keep their names (ctx.mainFrame, ctx.Register(...)).
struct AppContext : WindowRegistry {
    // The process-wide state: mode flags, folders and file names, the shared records and tables,
    // and the services (scheduler, dialogs, clipboard, help, the links between programs).
    AppState state;
    // The two port objects.
    PortSlots ports;

    // Shows the radio spec editor modally (no owner) and returns when it closed; empty until
    // that editor exists.
    std::function<void()> showRadSpecs;

    Scheduler* scheduler() const { return state.scheduler; }
    Dialogs* dialogs() const { return state.dialogs; }
};

}  // namespace k45
