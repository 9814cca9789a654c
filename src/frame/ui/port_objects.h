#pragma once
// The two port objects with what they are bound to: the shared received-message tables, one
// serial device and one 50 ms timer each. Created during start-up, released at the end of
// shutdown (primary first).
#include <functional>
#include <memory>

#include "platform/scheduler.h"
#include "platform/serial_device.h"
#include "serial/class_comm.h"
#include "serial/messages.h"

namespace k45 {

struct ModeFlags;
struct LocaleInfo;
class Dialogs;

// Makes the serial device of port identity 0 (primary) or 1 (secondary). A device owned
// elsewhere (a test's null-modem end) comes back as a non-owning pointer.
using SerialDeviceFactory = std::function<std::shared_ptr<SerialDevice>(int portId)>;

class PortObjects {
public:
    // The port objects keep modes, locale, scheduler and dialogs (see classComm).
    PortObjects(const ModeFlags& modes, const LocaleInfo& locale, Scheduler& scheduler, Dialogs& dialogs,
                const SerialDeviceFactory& makeDevice);
    ~PortObjects();
    PortObjects(const PortObjects&) = delete;
    PortObjects& operator=(const PortObjects&) = delete;

    // Binds each port object to its device and timer: identities 0 and 1, default port
    // numbers 1 and 2.
    void InitCommCtrls();

    classComm& primary() { return *primary_; }
    classComm& secondary() { return *secondary_; }
    SerialDevice* primaryDevice() { return primaryDevice_.get(); }
    SerialDevice* secondaryDevice() { return secondaryDevice_.get(); }
    RxMessageTables& tables() { return *tables_; }

private:
    std::unique_ptr<RxMessageTables> tables_;
    std::shared_ptr<SerialDevice> primaryDevice_, secondaryDevice_;
    std::unique_ptr<Timer> timerPrimaryPolling_, timerSecondaryPolling_;
    std::unique_ptr<classComm> primary_, secondary_;
};

}  // namespace k45
