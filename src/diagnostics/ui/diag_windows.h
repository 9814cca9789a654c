#pragma once
// The creation of the diagnostics windows.
class QWidget;

namespace k45 {

struct AppContext;

// Adds formDiagFilt, formOffLine, formOnLine, formLinkTst and formDiagTst to the registry, as
// children of owner, with one shared set of diagnostic settings.
void AddDiagnosticsWindows(AppContext& ctx, QWidget& owner);

}  // namespace k45
