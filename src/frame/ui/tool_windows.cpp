#include "frame/ui/tool_windows.h"

#include "frame/app_context.h"
#include "programming/ui/parms_rd_wr_window.h"
#include "programming/ui/radio_parms_window.h"
#include "serial/ui/port_settings_window.h"

namespace k45 {

std::vector<std::unique_ptr<ToolForm>> CreateToolWindows(AppContext& ctx) {
    std::vector<std::unique_ptr<ToolForm>> windows;
    auto add = [&](ToolWindow slot, std::unique_ptr<ToolForm> w) {
        ctx.form(slot) = w.get();
        windows.push_back(std::move(w));
    };
    add(ToolWindow::formPortSettings, std::make_unique<formPortSettings>(ctx));
    AddProgrammingDialogueWindows(ctx, windows);
    AddEditorWindows(ctx, windows);
    return windows;
}

}  // namespace k45
