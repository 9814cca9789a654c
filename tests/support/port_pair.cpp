#include "support/port_pair.h"

#include "model/app_state.h"
#include "platform/scheduler.h"

namespace k45::test {

PortPair::PortPair(const AppState& app, Scheduler& scheduler, Dialogs& dialogs, SerialDevice& primaryDevice,
                   SerialDevice& secondaryDevice, Timers timers)
    : tables_(std::make_unique<RxMessageTables>()) {
    if (timers == Timers::Own) {
        primaryTimer_ = scheduler.createTimer();
        secondaryTimer_ = scheduler.createTimer();
    }
    primary = std::make_unique<classComm>(app, app.locale, scheduler, dialogs, *tables_);
    secondary = std::make_unique<classComm>(app, app.locale, scheduler, dialogs, *tables_);
    primary->InitCommCtrl(&primaryDevice, 0, 1, primaryTimer_.get());
    secondary->InitCommCtrl(&secondaryDevice, 1, 2, secondaryTimer_.get());
}

PortPair::~PortPair() = default;

void PortPair::fill(PortSlots& into) const {
    into.classCommPrimary = primary.get();
    into.classCommSecondary = secondary.get();
}

}  // namespace k45::test
