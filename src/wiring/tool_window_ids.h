#pragma once
// The tool windows' ids, their settings sections and object names: the registry's table.
#include <array>
#include <cstddef>

namespace k45 {

// The tool windows whose settings the main window restores at start-up and saves at shutdown,
// in that order. The values index AppContext::toolForms. A new window is added at the end of
// the enumeration and of kToolWindows.
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

struct ToolWindowInfo {
    ToolWindow id;
    const char* sectionName;  // settings file section
    const char* objectName;   // the window object's name
};

inline constexpr std::array kToolWindows{
    ToolWindowInfo{ToolWindow::formRadioParms, "Radio Parms Window", "formRadioParms"},
    ToolWindowInfo{ToolWindow::formMdmTimes, "Modem Timing Window", "formMdmTimes"},
    ToolWindowInfo{ToolWindow::formVerReqst, "Version Window", "formVerReqst"},
    ToolWindowInfo{ToolWindow::formPortSettings, "Port Settings Window", "formPortSettings"},
    ToolWindowInfo{ToolWindow::formComStats, "Port Stats Window", "formComStats"},
    ToolWindowInfo{ToolWindow::formLinkTst, "Link Test Window", "formLinkTst"},
    ToolWindowInfo{ToolWindow::formOffLine, "Offline Diagnostics Window", "formOffLine"},
    ToolWindowInfo{ToolWindow::formOnLine, "Online Diagnostics Window", "formOnLine"},
    ToolWindowInfo{ToolWindow::formDiagFilt, "Diagnostics Filter Window", "formDiagFilt"},
    ToolWindowInfo{ToolWindow::formTune, "Tune Test Window", "formTune"},
    ToolWindowInfo{ToolWindow::formUserTest, "User Test Window", "formUserTest"},
    ToolWindowInfo{ToolWindow::formTextPrimary, "Primary Text Window", "formTextPrimary"},
    ToolWindowInfo{ToolWindow::formTextSecondary, "Secondary Text Window", "formTextSecondary"},
    ToolWindowInfo{ToolWindow::formHexPrimary, "Primary Hex Window", "formHexPrimary"},
    ToolWindowInfo{ToolWindow::formHexSecondary, "Secondary Hex Window", "formHexSecondary"},
    ToolWindowInfo{ToolWindow::formProdTest, "Production Test Window", "formProdTest"},
    ToolWindowInfo{ToolWindow::formProdFreqs, "Production Freq Window", "formProdFreqs"},
    ToolWindowInfo{ToolWindow::formTempComp, "RSSI Temp Comp Window", "formTempComp"},
    ToolWindowInfo{ToolWindow::formDacVals, "Default DAC Window", "formDacVals"},
    ToolWindowInfo{ToolWindow::formProgPwr, "Prog Power Window", "formProgPwr"},
    ToolWindowInfo{ToolWindow::formProgRssi, "RSSI Tune Window", "formProgRssi"},
    ToolWindowInfo{ToolWindow::formEngTest, "Engineer Window", "formEngTest"},
    ToolWindowInfo{ToolWindow::formMemRead, "Memory Read Window", "formMemRead"},
    ToolWindowInfo{ToolWindow::formPacketTst, "Packet Test Window", "formPacketTst"},
    ToolWindowInfo{ToolWindow::formTstArray, "Test Array Window", "formTstArray"},
    ToolWindowInfo{ToolWindow::formDiagTst, "Test Diags Window", "formDiagTst"},
    ToolWindowInfo{ToolWindow::formPortTest, "Port Test Window", "formPortTest"},
    ToolWindowInfo{ToolWindow::formParmsRdWr, "Parms Read/Write Window", "formParmsRdWr"},
};

inline constexpr int kToolWindowCount = static_cast<int>(kToolWindows.size());

// Every entry sits at the index of its id, so the table and the enumeration keep one order and
// an id indexes the table.
constexpr bool ToolWindowTableInIdOrder() {
    for (std::size_t i = 0; i < kToolWindows.size(); ++i)
        if (static_cast<std::size_t>(kToolWindows[i].id) != i) return false;
    return true;
}
static_assert(ToolWindowTableInIdOrder(), "kToolWindows must list the windows in the order of ToolWindow");

// Terminal kinds of the four terminal instances (thisFormType).
inline constexpr int kTerminalKindTextPrimary = 0;
inline constexpr int kTerminalKindTextSecondary = 1;
inline constexpr int kTerminalKindHexPrimary = 4;
inline constexpr int kTerminalKindHexSecondary = 5;

constexpr const ToolWindowInfo& ToolWindowEntry(ToolWindow w) { return kToolWindows[static_cast<std::size_t>(w)]; }

}  // namespace k45
