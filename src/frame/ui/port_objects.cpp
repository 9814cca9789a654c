#include "frame/ui/port_objects.h"


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

void PortObjects::InitCommCtrls() {
    primary_->InitCommCtrl(primaryDevice_.get(), 0, 1, timerPrimaryPolling_.get());
    secondary_->InitCommCtrl(secondaryDevice_.get(), 1, 2, timerSecondaryPolling_.get());
}

}  // namespace k45
