#include "frame/ui/port_objects.h"

#include "model/app_state.h"

namespace k45 {

PortObjects::PortObjects(AppState& state, const SerialDeviceFactory& makeDevice)
    : tables_(std::make_unique<RxMessageTables>()) {
    if (makeDevice) {
        primaryDevice_ = makeDevice(0);
        secondaryDevice_ = makeDevice(1);
    }
    timerPrimaryPolling_ = state.scheduler->createTimer();
    timerSecondaryPolling_ = state.scheduler->createTimer();
    primary_ = std::make_unique<classComm>(state, *tables_);
    secondary_ = std::make_unique<classComm>(state, *tables_);
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
