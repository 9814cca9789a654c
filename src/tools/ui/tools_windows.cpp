#include "tools/ui/tools_windows.h"

#include <QObject>
#include <QWidget>
#include <utility>

#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"
#include "tools/terminal_core.h"
#include "tools/ui/array_test_window.h"
#include "tools/ui/com_stats_window.h"
#include "tools/ui/packet_test_window.h"
#include "tools/ui/port_test_window.h"
#include "tools/ui/terminal_window.h"

namespace k45 {

namespace {

// The shared numbering of the four terminals lives as long as the program's windows.
struct TerminalCountersHolder : QObject {
    using QObject::QObject;
    TerminalCounters counters;
};

}  // namespace

void AddToolsWindows(AppContext& ctx, QWidget& owner) {
    auto* holder = new TerminalCountersHolder(&owner);
    const std::pair<ToolWindow, std::int32_t> terminals[] = {
        {ToolWindow::formTextPrimary, terminalTextPrimary},
        {ToolWindow::formTextSecondary, terminalTextSecondary},
        {ToolWindow::formHexPrimary, terminalHexPrimary},
        {ToolWindow::formHexSecondary, terminalHexSecondary},
    };
    for (const auto& [slot, kind] : terminals)
        ctx.Register(slot, *new formHexText(ctx, holder->counters, kind, &owner));
    ctx.Register(ToolWindow::formPacketTst, *new formPacketTst(ctx, &owner));
    ctx.Register(ToolWindow::formTstArray, *new formTstArray(ctx, &owner));
    ctx.Register(ToolWindow::formComStats, *new formComStats(ctx, &owner));
    ctx.Register(ToolWindow::formPortTest, *new formPortTest(ctx, &owner));
}

}  // namespace k45
