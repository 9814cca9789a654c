// The main window's start-up and shutdown sequences.
#include <QAction>
#include <QMenu>
#include <filesystem>

#include "wiring/app_context.h"
#include "base/ini_routines.h"
#include "wiring/startup.h"
#include "wiring/tool_window_ids.h"
#include "frame/ui/mdi_main.h"
#include "base/utilities.h"
#include "platform/dialogs.h"
#include "platform/port_devices.h"
#include "platform/profile.h"
#include "platform/qt/qt_text.h"
#include "version_info.h"

namespace k45 {

void MDIMain::MDIForm_Load() {
    AppState& s = ctx_.state;

    help_.InitHelp();
    setWindowTitle(QText(version::fileDescription));
    SetModeFlags(s, options_.engineeringBuild, options_.commandLine);
    s.parmsSignature = std::string("QuOrVaLiN") + '\0';
    ApplyModeMenus();
    s.partNumberText = MakePartNumberText(version::partNumber, s);
    s.dataFileName = DefaultDataFileName(s);
    s.testFileName = DefaultTestFileName(s);
    s.engineerFrequencies.rxFrequency = 450000000;
    s.engineerFrequencies.txFrequency = 450000000;

    // The settings a terminal restores depend on its kind.
    const std::pair<ToolWindow, int> terminals[] = {
        {ToolWindow::formTextPrimary, kTerminalKindTextPrimary},
        {ToolWindow::formTextSecondary, kTerminalKindTextSecondary},
        {ToolWindow::formHexPrimary, kTerminalKindHexPrimary},
        {ToolWindow::formHexSecondary, kTerminalKindHexSecondary},
    };
    for (const auto& [w, kind] : terminals)
        if (auto* t = ctx_.formAs<TerminalForm>(w)) t->setThisFormType(kind);

    const std::string ini = GetIniFileName(s, s);
    {
        // The settings file is read once for all the restorers; nothing is written here.
        ProfileBatch settings(ini);
        RestoreFormParameters(ini, "Main Window");
        for (const ToolWindowInfo& info : kToolWindows)
            if (ToolForm* f = ctx_.form(info.id)) f->RestoreFormParameters(ini, info.sectionName);

        s.dataFileName = StripTrailingNull(ReadIniValue(s.locale, ini, "Filenames", "Data", s.dataFileName));
        s.testFileName = StripTrailingNull(ReadIniValue(s.locale, ini, "Filenames", "Test", s.testFileName));

        SetDefaultsAndLoadFiles();
        DisplayFilenames();

        if (options_.makeDevice && s.scheduler && s.dialogs) {
            ports_ = std::make_unique<PortObjects>(s, s.locale, *s.scheduler, *s.dialogs, options_.makeDevice);
            ctx_.ports.classCommPrimary = &ports_->primary();
            ctx_.ports.classCommSecondary = &ports_->secondary();
            ports_->InitCommCtrls();
            ports_->primary().RestoreClassParameters(ini, "Primary Port Settings");
            ports_->secondary().RestoreClassParameters(ini, "Secondary Port Settings");
        }
    }
    DisplayComPorts();

    if (options_.hooks.buildRssiCurve5716) options_.hooks.buildRssiCurve5716(s.rssiCurve5716);
    if (options_.hooks.buildRssiCurve5726) options_.hooks.buildRssiCurve5726(s.rssiCurve5726);
    if (options_.hooks.buildRssiCurve5796) options_.hooks.buildRssiCurve5796(s.rssiCurve5796);

    LayOutToolbar();
    UpdateCommandStates();
}

void MDIMain::SetDefaultsAndLoadFiles() {
    AppState& s = ctx_.state;
    const SubsystemHooks& h = options_.hooks;
    if (h.initDefaultTables) h.initDefaultTables(s, s, s, s);
    if (h.copyDefaultTestRecord) h.copyDefaultTestRecord(s, s.testParameters);
    if (s.engineerMode) {
        s.radioTypeEnabled.fill(true);
        for (auto& ranges : s.rangeEnabled) ranges.fill(true);
    }
    // The defaults depend on the radio type and range, so these come first.
    s.mainParameters.radioType = s.testDefaults.radioType;
    s.mainParameters.radioRange = s.testDefaults.radioRange;
    if (h.setDefaultModemParameters) h.setDefaultModemParameters(s, s, s.mainParameters);

    // A remembered file that is gone falls back to the default name, which is not read.
    rememberTestFile_ = false;
    if (h.loadTestFile && !h.loadTestFile(s, s.testParameters, s.testFileName)) s.testFileName = DefaultTestFileName(s);
    rememberDataFile_ = true;
    if (h.loadDataFile && !h.loadDataFile(s, s, s.mainParameters, s.dataFileName)) s.dataFileName = DefaultDataFileName(s);
}

void MDIMain::MDIForm_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    closing_ = true;
    AppState& s = ctx_.state;

    help_.QuitHelp();
    const std::string ini = GetIniFileName(s, s);
    {
        // Every setting in one read and one atomic write of the settings file.
        ProfileBatch settings(ini);
        SaveFormParameters(ini, "Main Window");
        for (const ToolWindowInfo& info : kToolWindows)
            if (ToolForm* f = ctx_.form(info.id)) f->SaveFormParameters(ini, info.sectionName);
        if (ctx_.ports.classCommPrimary) ctx_.ports.classCommPrimary->SaveClassParameters(ini, "Primary Port Settings");
        if (ctx_.ports.classCommSecondary)
            ctx_.ports.classCommSecondary->SaveClassParameters(ini, "Secondary Port Settings");
        if (ports_) ports_->SaveDeviceMap(PortDeviceMapFile(s.places), s.dialogs);
        // Into the batch: the commit below reports the file.
        if (rememberDataFile_) (void)WriteIniValue(s.locale, ini, "Filenames", "Data", s.dataFileName);
        if (rememberTestFile_) (void)WriteIniValue(s.locale, ini, "Filenames", "Test", s.testFileName);

        std::string error;
        bool written = !settings.loadFailed();
        if (!written) error = settings.loadError();
        if (written) {
            // The configuration folder of a production station may not exist yet.
            std::error_code ec;
            const std::filesystem::path folder = std::filesystem::path(ini).parent_path();
            if (!folder.empty()) std::filesystem::create_directories(folder, ec);
            written = settings.commit(&error);
        }
        if (!written && s.dialogs) {
            s.dialogs->messageBox("Could not save the settings file " + ini + "\r\n" + error, {}, MsgButtons::OK,
                                  MsgIcon::Critical);
        }
    }

    ports_.reset();
    ctx_.ports.classCommPrimary = nullptr;
    ctx_.ports.classCommSecondary = nullptr;
}

}  // namespace k45
