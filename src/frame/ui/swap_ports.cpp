#include "frame/ui/swap_ports.h"

#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "wiring/tool_window_ids.h"
#include "wiring/window_interfaces.h"
#include "serial/class_comm.h"

namespace k45 {
namespace {

// What moves with a port on a swap: all but the shared advanced settings.
struct PortChoice {
    std::int16_t portNumber;
    PortSettings settings;
    bool dtrEnabled;
    std::int32_t txModeValue;
};

PortChoice Read(const classComm& c) {
    const CommSettings& s = c.settings();
    return {s.portNumber, s.portSettings, s.dtrEnabled, s.txModeValue};
}

void Write(classComm& c, const PortChoice& s) {
    CommSettings n = c.settings();
    n.portNumber = s.portNumber;
    n.portSettings = s.settings;
    n.dtrEnabled = s.dtrEnabled;
    n.txModeValue = s.txModeValue;
    c.setSettings(n);
}

}  // namespace

void SwapCommPorts(AppContext& ctx) {
    classComm* primary = ctx.ports.classCommPrimary;
    classComm* secondary = ctx.ports.classCommSecondary;
    if (!primary || !secondary) return;

    // A radio left in a test mode on the old primary port gets its end of test first.
    for (const ToolWindowInfo& info : kToolWindows) {
        ToolForm* form = ctx.form(info.id);
        if (auto* client = dynamic_cast<PortSwapClient*>(form); client && form->loaded()) client->PortsSwapping();
    }

    // A port that should be open opens on its new device, also one that is closed now (its
    // device lost, a reopen that failed) while its windows still use it.
    const bool primaryOpen = primary->GetCommPortOpen() || primary->OpenWanted();
    const PortChoice fromSecondary = Read(*secondary);
    const bool secondaryOpen = secondary->GetCommPortOpen() || secondary->OpenWanted();
    const PortChoice fromPrimary = Read(*primary);

    primary->CloseCommPort();
    secondary->CloseCommPort();
    Write(*primary, fromSecondary);
    Write(*secondary, fromPrimary);
    // A device's loss, told once, stays told on whichever port now opens that device.
    primary->ExchangeDeviceLosses(*secondary);
    // Each reports its own failure; one that fails to reopen stays closed.
    if (primaryOpen) (void)primary->OpenCommPort(true);
    if (secondaryOpen) (void)secondary->OpenCommPort(true);

    ToolForm* portSettings = ctx.form(ToolWindow::formPortSettings);
    if (portSettings && portSettings->loaded()) {
        if (auto* page = dynamic_cast<EditorPage*>(portSettings)) page->UpdateChanges();
    }
    if (ctx.mainFrame) {
        ctx.mainFrame->DisplayComPorts();
        if (ToolForm* active = ctx.mainFrame->ActiveForm()) active->Form_Activate();
    }
}

}  // namespace k45
