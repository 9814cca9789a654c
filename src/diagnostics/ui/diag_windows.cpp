#include "diagnostics/ui/diag_windows.h"

#include "diagnostics/ui/diag_filt_window.h"
#include "diagnostics/ui/diag_test_window.h"
#include "diagnostics/ui/diag_window_support.h"
#include "diagnostics/ui/link_test_window.h"
#include "diagnostics/ui/offline_window.h"
#include "diagnostics/ui/online_window.h"
#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"

namespace k45 {

void AddDiagnosticsWindows(AppContext& ctx, QWidget& owner) {
    // One set of diagnostic settings for all of them, kept as long as any window lives.
    auto settings = std::make_shared<DiagSettings>();
    ctx.Register(ToolWindow::formDiagFilt, *new formDiagFilt(ctx, settings, &owner));
    ctx.Register(ToolWindow::formOffLine, *new formOffLine(ctx, settings, &owner));
    ctx.Register(ToolWindow::formOnLine, *new formOnLine(ctx, settings, &owner));
    ctx.Register(ToolWindow::formLinkTst, *new formLinkTst(ctx, settings, &owner));
    ctx.Register(ToolWindow::formDiagTst, *new formDiagTst(ctx, &owner));
}

}  // namespace k45
