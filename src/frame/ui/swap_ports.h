#pragma once

namespace k45 {

struct AppContext;

// Exchanges the configured settings of the two port objects (port number, baud rate, data
// bits, parity, stop bits, DTR, transmit mode), reopens each port that was open or should be
// open (forced open, or a window in a data list), refreshes the Port Settings window and the
// status bar and re-activates the active child window.
// Does nothing without both port objects.
void SwapCommPorts(AppContext& ctx);

}  // namespace k45
