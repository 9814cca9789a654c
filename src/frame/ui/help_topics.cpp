#include "frame/ui/help_topics.h"

#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <string>

#include "frame/ui/help_routines.h"

namespace k45 {

namespace {

// Topics shared by several windows.
constexpr int kAdjustValues = 1301;     // the adjust values of the test panels
constexpr int kDiagnosticValues = 1390;  // the diagnostics frame of the panels and offline diagnostics

constexpr WindowHelp kWindows[] = {
    // Programming
    {"formRadioParms", 1000},
    {"formMdmTimes", 1010},
    {"formVerReqst", 1020},
    {"formParmsRdWr", 1030},
    {"formParmsGetCurrent", 1040},
    {"formMemRead", 1050},
    {"formDacVals", 1060},
    {"formRadSpecs", 1070},
    // Ports, terminals and communication tests
    {"formPortSettings", 1100},
    {"formComStats", 1110},
    {"formHexText", 1120},  // all four terminals
    {"formPacketTst", 1130},
    {"formTstArray", 1140},
    {"formPortTest", 1150},
    // Tuning
    {"formTune", 1200},
    {"formProdFreqs", 1210},
    // Test panels and calibration
    {"formProdTest", 1300},
    {"formEngTest", 1310},
    {"formUserTest", 1320},
    {"formProgPwr", 1330},
    {"formProgRssi", 1340},
    {"formTempComp", 1350},
    // Diagnostics
    {"formDiagFilt", 1400},
    {"formOffLine", 1410},
    {"formOnLine", 1420},
    {"formLinkTst", 1430},
    {"formDiagTst", 1440},
    // The About box is described with the Help menu.
    {"formAbout", kHelpIdHelp},
};

constexpr ControlHelp kControls[] = {
    {"formRadioParms", "frameModemParms", 1001},
    {"formRadioParms", "frameCommunicationParms", 1002},
    {"formRadioParms", "frameRadioParms", 1003},
    {"formRadioParms", "frameCarrierDetect", 1003},
    {"formRadioParms", "pictureFreq", 1004},
    {"formRadioParms", "buttonDefaultFreqs", 1004},

    // The Com number decides the device: that is the port set-up topic.
    {"formPortSettings", "comboPrimaryPortNum", kHelpIdSerialPorts},
    {"formPortSettings", "comboSecondaryPortNum", kHelpIdSerialPorts},
    {"formPortSettings", "framePrimaryComPort", 1101},
    {"formPortSettings", "frameSecondaryComPort", 1101},
    {"formPortSettings", "textDcdTimeout", 1102},
    {"formPortSettings", "textCtsTimeout", 1102},
    {"formPortSettings", "textSyncChar", 1102},
    {"formPortSettings", "textEscChar", 1102},
    {"formPortSettings", "comboDmpBaudrate", 1102},

    {"formHexText", "checkPacketNumbers", 1121},
    {"formHexText", "checkDmpTest", 1121},
    {"formHexText", "checkSRecordTest", 1121},
    {"formHexText", "checkDdeEnable", 1121},
    {"formHexText", "textDmp*", 1121},

    {"formPacketTst", "frameHostRemote", 1131},

    {"formTune", "checkTests*", 1201},
    {"formTune", "comboRadioType", 1202},
    {"formTune", "comboRadioRange", 1202},
    {"formTune", "comboChanBandwidth", 1202},
    {"formTune", "optionSa702*", 1202},
    {"formTune", "optionLoRxBand", 1202},
    {"formTune", "optionHiRxBand", 1202},
    {"formTune", "textLongId", 1202},
    {"formTune", "comboRxOffset", 1202},
    {"formTune", "comboTxOffset", 1202},
    {"formTune", "scrollTxTime", 1202},

    {"formProdFreqs", "comboRadioType", 1211},
    {"formProdFreqs", "comboRadioRange", 1211},
    {"formProdFreqs", "comboRxOffset", 1211},
    {"formProdFreqs", "comboTxOffset", 1211},
    {"formProdFreqs", "optionSa702*", 1211},
    {"formProdFreqs", "textRxFreq*", 1211},
    {"formProdFreqs", "textTxFreq*", 1211},
    {"formProdFreqs", "textDefault_*", 1211},
    {"formProdFreqs", "scrollTuneParms", 1211},
    {"formProdFreqs", "textGainAdj", 1212},
    {"formProdFreqs", "textDevAdj", 1212},
    {"formProdFreqs", "textRssiCalAdj", 1212},
    {"formProdFreqs", "textPwrCalAdj", 1212},
    {"formProdFreqs", "textRxGainVpp", 1212},
    {"formProdFreqs", "scrollTxTime", 1212},
    {"formProdFreqs", "comboRssiDbmPoint", 1213},
    {"formProdFreqs", "comboRssiTempPoint", 1213},
    {"formProdFreqs", "scrollRssiDbmValue", 1213},
    {"formProdFreqs", "textRssiTemp", 1213},
    {"formProdFreqs", "textRssiA2D", 1213},

    {"formProdTest", "frameAdjustments", kAdjustValues},
    {"formProdTest", "textDirectDac", kAdjustValues},
    {"formProdTest", "buttonDirectDac", kAdjustValues},
    {"formProdTest", "frameDiags", kDiagnosticValues},
    {"formEngTest", "frameAdjustments", kAdjustValues},
    {"formEngTest", "textDirectDac", kAdjustValues},
    {"formEngTest", "buttonDirectDac", kAdjustValues},
    {"formEngTest", "frameDiags", kDiagnosticValues},
    {"formEngTest", "checkDdeEnable", 1311},
    {"formUserTest", "frameDiags", kDiagnosticValues},

    {"formDiagFilt", "frameIdEntryAndList", 1401},
    {"formDiagFilt", "optionAlarmSelect", 1402},
    {"formDiagFilt", "optionFilterSelect", 1402},
    {"formDiagFilt", "textLo*", 1402},
    {"formDiagFilt", "textHi*", 1402},
    {"formOffLine", "frameDiags", kDiagnosticValues},
    {"formOffLine", "frameStats", 1411},
};

bool NameMatches(std::string_view pattern, std::string_view name) {
    if (!pattern.empty() && pattern.back() == '*') {
        pattern.remove_suffix(1);
        return name.substr(0, pattern.size()) == pattern;
    }
    return name == pattern;
}

}  // namespace

std::span<const WindowHelp> WindowHelpTable() { return kWindows; }
std::span<const ControlHelp> ControlHelpTable() { return kControls; }

int WindowContextId(std::string_view windowName) {
    for (const WindowHelp& w : kWindows)
        if (windowName == w.windowName) return w.contextId;
    return 0;
}

int ControlContextId(std::string_view windowName, std::string_view controlName) {
    if (controlName.empty()) return 0;
    for (const ControlHelp& c : kControls)
        if (windowName == c.windowName && NameMatches(c.controlName, controlName)) return c.contextId;
    return 0;
}

std::vector<int> AllHelpContextIds() {
    std::vector<int> ids{kHelpIdFile,   kHelpIdEdit, kHelpIdUtilities,   kHelpIdProductionTest, kHelpIdEngineer,
                         kHelpIdWindow, kHelpIdHelp, kHelpIdSerialPorts, kHelpIdSettingsFiles};
    for (const WindowHelp& w : kWindows) ids.push_back(w.contextId);
    for (const ControlHelp& c : kControls) ids.push_back(c.contextId);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

int HelpContextFor(const QWidget& window, const QWidget* control) {
    const std::string windowName = window.objectName().toStdString();
    // From the control outwards: a spin box's or combo box's own line edit has no name, its box
    // has; a control without a topic may sit in a frame or page that has one.
    for (const QWidget* w = control; w && w != &window; w = w->parentWidget()) {
        if (const int id = w->property("helpContextId").toInt()) return id;
        if (const int id = ControlContextId(windowName, w->objectName().toStdString())) return id;
    }
    if (const int id = window.property("helpContextId").toInt()) return id;
    return WindowContextId(windowName);
}

}  // namespace k45
