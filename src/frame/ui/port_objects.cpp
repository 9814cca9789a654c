#include "frame/ui/port_objects.h"

#include <QEvent>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

#include "wiring/app_context.h"
#include "model/app_state.h"
#include "platform/dialogs.h"
#include "platform/port_devices.h"
#include "platform/profile.h"
#include "platform/qt/qt_serial_device.h"
#include "platform/qt/qt_text.h"

namespace k45 {

PortObjects::PortObjects(const ModeFlags& modes, const LocaleInfo& locale, Scheduler& scheduler, Dialogs& dialogs,
                         const SerialDeviceFactory& makeDevice)
    : tables_(std::make_unique<RxMessageTables>()) {
    if (makeDevice) {
        primaryDevice_ = makeDevice(0);
        secondaryDevice_ = makeDevice(1);
    }
    timerPrimaryPolling_ = scheduler.createTimer();
    timerSecondaryPolling_ = scheduler.createTimer();
    primary_ = std::make_unique<classComm>(modes, locale, scheduler, dialogs, *tables_);
    secondary_ = std::make_unique<classComm>(modes, locale, scheduler, dialogs, *tables_);
}

PortObjects::~PortObjects() {
    // Releasing a port object closes its port and unbinds its device and timer.
    primary_.reset();
    secondary_.reset();
}

SerialDeviceFactory RealSerialDevices(const FilePlaces& files) {
    return [&files](int) -> std::shared_ptr<SerialDevice> {
        return std::make_shared<QtSerialDevice>(QtSerialDevice::DeviceResolver(
            [&files](int portNumber) { return MappedPortDevice(PortDeviceMapFile(files.places), portNumber); }));
    };
}

std::string PortDevicesText(const classComm* primary, const classComm* secondary, const std::string& mapFile) {
    std::string text;
    auto line = [&](const char* role, const classComm* port) {
        if (!port) return;
        if (!text.empty()) text += "\n";
        text += std::string(role) + ": Com" + std::to_string(port->settings().portNumber);
        if (port->GetCommPortOpen()) {
            const std::string device = port->GetOpenDevice();
            text += device.empty() ? ", open" : ", open on " + device;
        } else {
            text += ", closed (opens " + MappedPortDevice(mapFile, port->settings().portNumber) + ")";
        }
    };
    line("Primary", primary);
    line("Secondary", secondary);
    return text;
}

namespace {

class PortDevicesTip : public QObject {
public:
    PortDevicesTip(QWidget& panel, const AppContext& ctx) : QObject(&panel), ctx_(ctx) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) return false;
        auto* panel = static_cast<QWidget*>(watched);
        const std::string text = PortDevicesText(ctx_.ports.classCommPrimary, ctx_.ports.classCommSecondary,
                                                 PortDeviceMapFile(ctx_.state.places));
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), QText(text), panel);
        return true;
    }

private:
    const AppContext& ctx_;
};

}  // namespace

void ShowPortDevicesOnHover(QWidget& panel, const AppContext& ctx) {
    panel.installEventFilter(new PortDevicesTip(panel, ctx));
}

void PortObjects::SaveDeviceMap(const std::string& mapFile, Dialogs* dialogs) {
    std::string error;
    if (AddMissingPortDevices(mapFile, {primary_->settings().portNumber, secondary_->settings().portNumber}, &error))
        return;
    if (dialogs && !ProfileBatch::find(mapFile))
        dialogs->messageBox("Could not save the serial device map in " + mapFile + "\r\n" + error, {}, MsgButtons::OK,
                            MsgIcon::Critical);
}

void PortObjects::InitCommCtrls() {
    primary_->InitCommCtrl(primaryDevice_.get(), 0, 1, timerPrimaryPolling_.get());
    secondary_->InitCommCtrl(secondaryDevice_.get(), 1, 2, timerSecondaryPolling_.get());
}

}  // namespace k45
