#pragma once
// The tool windows that exist from start-up to exit. Each window subsystem adds its windows
// here as it lands; every window is entered in the context's registry.
class QWidget;

namespace k45 {

struct AppContext;

// Creates the tool windows that exist so far as children of `owner` (the main window, their
// one owner: they go with it) and registers them in ctx.
void CreateToolWindows(AppContext& ctx, QWidget& owner);

}  // namespace k45
