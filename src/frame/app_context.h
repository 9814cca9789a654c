#pragma once
// The one object main creates and hands to every window: the process-wide state (with the
// services and the two port objects), the tool-window registry and the main window.
// Tests build their own. A dialogue takes only the parts it works with (DialogueLinks).
// Plain C++: windows are reached through the small interfaces of window_interfaces.h and
// main_frame.h, never through Qt types.
#include <array>
#include <cstddef>
#include <functional>
#include <string>

#include "frame/window_interfaces.h"
#include "model/app_state.h"

namespace k45 {

class MainFrame;

// The 28 tool windows whose settings the main window restores at start-up and saves at
// shutdown, in that order. The values index AppContext::toolForms.
enum class ToolWindow : int {
    formRadioParms = 0,
    formMdmTimes,
    formVerReqst,
    formPortSettings,
    formComStats,
    formLinkTst,
    formOffLine,
    formOnLine,
    formDiagFilt,
    formTune,
    formUserTest,
    formTextPrimary,
    formTextSecondary,
    formHexPrimary,
    formHexSecondary,
    formProdTest,
    formProdFreqs,
    formTempComp,
    formDacVals,
    formProgPwr,
    formProgRssi,
    formEngTest,
    formMemRead,
    formPacketTst,
    formTstArray,
    formDiagTst,
    formPortTest,
    formParmsRdWr,
};

inline constexpr int kToolWindowCount = 28;

struct ToolWindowInfo {
    ToolWindow id;
    const char* sectionName;  // settings file section
    const char* objectName;   // the window object's name
};

inline constexpr std::array<ToolWindowInfo, kToolWindowCount> kToolWindows{{
    {ToolWindow::formRadioParms, "Radio Parms Window", "formRadioParms"},
    {ToolWindow::formMdmTimes, "Modem Timing Window", "formMdmTimes"},
    {ToolWindow::formVerReqst, "Version Window", "formVerReqst"},
    {ToolWindow::formPortSettings, "Port Settings Window", "formPortSettings"},
    {ToolWindow::formComStats, "Port Stats Window", "formComStats"},
    {ToolWindow::formLinkTst, "Link Test Window", "formLinkTst"},
    {ToolWindow::formOffLine, "Offline Diagnostics Window", "formOffLine"},
    {ToolWindow::formOnLine, "Online Diagnostics Window", "formOnLine"},
    {ToolWindow::formDiagFilt, "Diagnostics Filter Window", "formDiagFilt"},
    {ToolWindow::formTune, "Tune Test Window", "formTune"},
    {ToolWindow::formUserTest, "User Test Window", "formUserTest"},
    {ToolWindow::formTextPrimary, "Primary Text Window", "formTextPrimary"},
    {ToolWindow::formTextSecondary, "Secondary Text Window", "formTextSecondary"},
    {ToolWindow::formHexPrimary, "Primary Hex Window", "formHexPrimary"},
    {ToolWindow::formHexSecondary, "Secondary Hex Window", "formHexSecondary"},
    {ToolWindow::formProdTest, "Production Test Window", "formProdTest"},
    {ToolWindow::formProdFreqs, "Production Freq Window", "formProdFreqs"},
    {ToolWindow::formTempComp, "RSSI Temp Comp Window", "formTempComp"},
    {ToolWindow::formDacVals, "Default DAC Window", "formDacVals"},
    {ToolWindow::formProgPwr, "Prog Power Window", "formProgPwr"},
    {ToolWindow::formProgRssi, "RSSI Tune Window", "formProgRssi"},
    {ToolWindow::formEngTest, "Engineer Window", "formEngTest"},
    {ToolWindow::formMemRead, "Memory Read Window", "formMemRead"},
    {ToolWindow::formPacketTst, "Packet Test Window", "formPacketTst"},
    {ToolWindow::formTstArray, "Test Array Window", "formTstArray"},
    {ToolWindow::formDiagTst, "Test Diags Window", "formDiagTst"},
    {ToolWindow::formPortTest, "Port Test Window", "formPortTest"},
    {ToolWindow::formParmsRdWr, "Parms Read/Write Window", "formParmsRdWr"},
}};

// Terminal kinds of the four terminal instances (thisFormType).
inline constexpr int kTerminalKindTextPrimary = 0;
inline constexpr int kTerminalKindTextSecondary = 1;
inline constexpr int kTerminalKindHexPrimary = 4;
inline constexpr int kTerminalKindHexSecondary = 5;

// The main window and the tool windows, as windows and dialogues reach them.
struct WindowRegistry {
    // The 28 tool windows, by table order. A slot stays empty until its window exists; the
    // main window disables the commands that open an empty slot and skips it when restoring
    // and saving settings. The slots do not own the windows (the main window does) and empty
    // themselves when a window is destroyed.
    std::array<ToolFormRef, kToolWindowCount> toolForms{};

    // Windows outside the table (they keep no settings).
    ToolFormRef formParmsGetCurrent;

    // The main window, for the tool windows (labels, status bar, active child, openers).
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
    // and the services (scheduler, dialogs, clipboard, help, the two port objects).
    AppState state;

    // Shows the radio spec editor modally (no owner) and returns when it closed; empty until
    // that editor exists.
    std::function<void()> showRadSpecs;

    Scheduler* scheduler() const { return state.scheduler; }
    Dialogs* dialogs() const { return state.dialogs; }
};

inline const ToolWindowInfo& ToolWindowEntry(ToolWindow w) {
    return kToolWindows[static_cast<std::size_t>(w)];
}

}  // namespace k45
