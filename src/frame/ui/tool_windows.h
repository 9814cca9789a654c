#pragma once
// The tool window objects that exist from start-up to exit. Each window subsystem adds its
// windows here as it lands; every window is entered in the context's registry.
#include <memory>
#include <vector>

#include "frame/window_interfaces.h"

namespace k45 {

struct AppContext;

// Creates the tool windows that exist so far and registers them in ctx. The caller keeps the
// returned objects alive for the whole run (longer than the main window).
std::vector<std::unique_ptr<ToolForm>> CreateToolWindows(AppContext& ctx);

}  // namespace k45
