#pragma once
// The two port objects with what they are bound to: the shared received-message tables, one
// serial device and one 50 ms timer each. Created during start-up, released at the end of
// shutdown (primary first).
#include <functional>
#include <memory>
#include <string>

#include "platform/scheduler.h"
#include "platform/serial_device.h"
#include "serial/class_comm.h"
#include "serial/messages.h"

class QWidget;

namespace k45 {

struct AppState;
struct AppContext;
struct FilePlaces;
struct ModeFlags;
struct LocaleInfo;
class Dialogs;

// Makes the serial device of port identity 0 (primary) or 1 (secondary). A device owned
// elsewhere (a test's null-modem end) comes back as a non-owning pointer.
using SerialDeviceFactory = std::function<std::shared_ptr<SerialDevice>(int portId)>;

// The program's serial devices: port n opens the device the map names for it, read from the
// map file of the places in force when the port opens (platform/port_devices.h).
SerialDeviceFactory RealSerialDevices(const FilePlaces& files);

// What the status bar's port panel tells on hover: each port's number and the device it has
// open, or for a closed port the device its next open would take.
std::string PortDevicesText(const classComm* primary, const classComm* secondary, const std::string& mapFile);
// Makes `panel` show PortDevicesText of the state's port objects as its tool tip, made when asked.
void ShowPortDevicesOnHover(QWidget& panel, const AppContext& ctx);

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

    // Gives the ports' numbers an entry in the device map where it has none (the device each
    // opens), so the section is there to be read and edited. A write of its own that fails is
    // reported through dialogs; inside a batch of the same file the batch reports.
    void SaveDeviceMap(const std::string& mapFile, Dialogs* dialogs);

    classComm& primary() { return *primary_; }
    classComm& secondary() { return *secondary_; }

private:
    std::unique_ptr<RxMessageTables> tables_;
    std::shared_ptr<SerialDevice> primaryDevice_, secondaryDevice_;
    std::unique_ptr<Timer> timerPrimaryPolling_, timerSecondaryPolling_;
    std::unique_ptr<classComm> primary_, secondary_;
};

}  // namespace k45
