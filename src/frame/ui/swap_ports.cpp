#include "frame/ui/swap_ports.h"

#include "frame/app_context.h"
#include "frame/main_frame.h"
#include "serial/class_comm.h"

namespace k45 {
namespace {

struct PortSettings {
    std::int16_t portNumber;
    std::int32_t baudRate;
    std::int16_t dataBits;
    std::string parityStr;
    std::int16_t stopBits;
    bool dtrEnabled;
    std::int32_t txModeValue;
};

PortSettings Read(const classComm& c) {
    return {c.portNumber, c.baudRate, c.dataBits, c.parityStr, c.stopBits, c.dtrEnabled, c.txModeValue};
}

void Write(classComm& c, const PortSettings& s) {
    c.portNumber = s.portNumber;
    c.baudRate = s.baudRate;
    c.dataBits = s.dataBits;
    c.parityStr = s.parityStr;
    c.stopBits = s.stopBits;
    c.dtrEnabled = s.dtrEnabled;
    c.txModeValue = s.txModeValue;
}

}  // namespace

void SwapCommPorts(AppContext& ctx) {
    classComm* primary = ctx.classCommPrimary;
    classComm* secondary = ctx.classCommSecondary;
    if (!primary || !secondary) return;

    const bool primaryOpen = primary->GetCommPortOpen();
    const PortSettings fromSecondary = Read(*secondary);
    const bool secondaryOpen = secondary->GetCommPortOpen();
    const PortSettings fromPrimary = Read(*primary);

    primary->CloseCommPort();
    secondary->CloseCommPort();
    Write(*primary, fromSecondary);
    Write(*secondary, fromPrimary);
    // Each reports its own failure; one that fails to reopen stays closed.
    if (primaryOpen) primary->OpenCommPort(true);
    if (secondaryOpen) secondary->OpenCommPort(true);

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
