#pragma once
// The creation of the communication tools' windows.
class QWidget;

namespace k45 {

struct AppContext;

// Creates the four terminals, the packet test, the array test, port statistics and the port
// test as children of owner and registers them.
void AddToolsWindows(AppContext& ctx, QWidget& owner);

}  // namespace k45
