#pragma once
// What a dialogue works with: the parts of the process-wide state it reads and writes, and the
// windows around it (the main window and the tool-window registry). Every dialogue and engine
// takes this, never the whole context; a window makes it with DialogueLinks::Of(ctx), a test
// from its own parts.
#include "wiring/port_slots.h"
#include "model/app_state.h"

namespace k45 {

struct AppContext;
struct WindowRegistry;
class MainFrame;

struct DialogueLinks {
    const ModeFlags& modes;
    FilePlaces& files;
    SharedRecords& records;
    const Services& services;
    const PortSlots& ports;
    WindowRegistry& windows;

    // The slots are read at each use: start-up fills the port slots after the windows exist,
    // and the main window's slot empties before the windows go.
    classComm* port() const { return ports.classCommPrimary; }
    Scheduler* scheduler() const { return services.scheduler; }
    Dialogs* dialogs() const { return services.dialogs; }
    MainFrame* mainFrame() const;

    static DialogueLinks Of(AppContext& ctx);
};

}  // namespace k45
