#include "frame/ui/tool_windows.h"

#include "diagnostics/ui/diag_windows.h"
#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"
#include "production/ui/panel_window_support.h"
#include "programming/ui/parms_rd_wr_window.h"
#include "programming/ui/radio_parms_window.h"
#include "serial/ui/port_settings_window.h"
#include "tools/ui/tools_windows.h"
#include "tuning/ui/tune_window.h"

namespace k45 {

void CreateToolWindows(AppContext& ctx, QWidget& owner) {
    ctx.Register(ToolWindow::formPortSettings, *new formPortSettings(ctx, &owner));
    AddProgrammingDialogueWindows(ctx, owner);
    AddEditorWindows(ctx, owner);
    AddDiagnosticsWindows(ctx, owner);
    AddTuningWindows(ctx, owner);
    AddProductionWindows(ctx, owner);
    AddToolsWindows(ctx, owner);
}

}  // namespace k45
