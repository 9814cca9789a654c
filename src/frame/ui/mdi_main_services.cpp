// The main window's window services: the requests the dialogues make of other windows, each
// answered here once by the window that does the work.
#include "frame/ui/mdi_main.h"
#include "platform/dialogs.h"
#include "programming/parms_rd_wr.h"
#include "programming/ui/parms_rd_wr_window.h"
#include "ui/window_utils.h"
#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"
#include "wiring/window_interfaces.h"

namespace k45 {

void MDIMain::ReadCurrentParameters(ParmsClient& client) {
    ToolForm* form = ctx_.formParmsGetCurrent.get();
    auto* reader = dynamic_cast<ParmsReader*>(form);
    if (!reader) {
        client.UpdateParms(false);
        return;
    }
    if (form->loaded()) reader->Unload();
    reader->RegisterForParms(&client);
    ShowForm(*form);
}

bool MDIMain::ReadWriteLoaded(std::string* caption) const {
    const ToolForm* form = ctx_.form(ToolWindow::formParmsRdWr);
    if (!form || !form->loaded()) return false;
    if (caption) {
        const auto* rw = dynamic_cast<const ParmsRdWrForm*>(form);
        *caption = rw ? rw->Caption() : std::string();
    }
    return true;
}

void MDIMain::OpenParmsReadWrite(ParmsMode tmpParmsMode, bool tmpAutoStart) {
    ToolForm* form = ctx_.form(ToolWindow::formParmsRdWr);
    if (!form) return;
    auto* rw = dynamic_cast<ParmsRdWrForm*>(form);
    if (form->loaded()) {
        if (rw && rw->parmsMode() != tmpParmsMode && ctx_.dialogs()) {
            ctx_.dialogs()->messageBox("Must close " + rw->Caption() + " before performing this operation.", {},
                                       MsgButtons::OK, MsgIcon::Critical);
        }
        FocusForm(*form);
        return;
    }
    if (rw) {
        rw->setAutoStart(tmpAutoStart);
        rw->setParmsMode(tmpParmsMode);
    }
    ShowForm(*form);
}

void MDIMain::RestartParmsReadWrite(ParmsMode tmpParmsMode, ProgCompleteClient* client) {
    auto* rw = ctx_.formAs<formParmsRdWr>(ToolWindow::formParmsRdWr);
    if (!rw) return;
    if (rw->loaded()) child_window::Close(rw);
    rw->setAutoStart(true);
    rw->setParmsMode(tmpParmsMode);
    if (client) rw->RegisterForProgComplete(client);
    ShowForm(*rw);
}

EditorPage* MDIMain::RadioParmsEditor() { return ctx_.formAs<EditorPage>(ToolWindow::formRadioParms); }

bool MDIMain::RadioParmsEditorLoaded() const {
    const ToolForm* form = ctx_.form(ToolWindow::formRadioParms);
    return form && form->loaded();
}

// A tool window focused when loaded, else shown; false when the program has no such window.
static bool OpenWindowById(AppContext& ctx, MainFrame& frame, ToolWindow w) {
    ToolForm* form = ctx.form(w);
    if (!form) return false;
    frame.OpenForm(*form);
    return true;
}

void MDIMain::OpenRadioParmsEditor() { (void)OpenWindowById(ctx_, *this, ToolWindow::formRadioParms); }
void MDIMain::OpenDacValuesEditor() { (void)OpenWindowById(ctx_, *this, ToolWindow::formDacVals); }
// The communication tools' packet test window.
bool MDIMain::OpenPacketTest() { return OpenWindowById(ctx_, *this, ToolWindow::formPacketTst); }

void MDIMain::DacValuesChanged() {
    for (ToolWindow w : {ToolWindow::formProdTest, ToolWindow::formTune}) {
        ToolForm* form = ctx_.form(w);
        if (!form || !form->loaded()) continue;
        if (auto* client = dynamic_cast<DacValuesClient*>(form)) client->UpdateDacValues();
    }
}

}  // namespace k45
