#pragma once
// What a dialogue works with: the parts of the process-wide state it reads and writes, and the
// windows around it through the main window's services (window_services.h). Every dialogue and
// engine takes this, never the whole context; a window makes it with DialogueLinks::Of(ctx), a
// test from its own parts.
#include "wiring/port_slots.h"
#include "wiring/window_services.h"
#include "model/app_state.h"

namespace k45 {

struct AppContext;
class MainFrame;

struct DialogueLinks {
    const ModeFlags& modes;
    FilePlaces& files;
    SharedRecords& records;
    const Services& services;
    const PortSlots& ports;
    // The main window's slot; reached only as windows().
    MainFrame* const& mainFrameSlot;

    // The slots are read at each use: start-up fills the port slots after the windows exist,
    // and the main window's slot empties before the windows go.
    classComm* port() const { return ports.classCommPrimary; }
    Scheduler* scheduler() const { return services.scheduler; }
    Dialogs* dialogs() const { return services.dialogs; }
    // The windows around the dialogue. Without a main window nothing is shown or opened, and a
    // read of the current parameters finds nothing at once.
    WindowServices& windows() const;

    static DialogueLinks Of(AppContext& ctx);
};

}  // namespace k45
