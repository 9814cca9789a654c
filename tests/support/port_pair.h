#pragma once
// The program's two port objects on a line: the primary (index 0, Com1) and the secondary
// (index 1, Com2), joined to two devices the test owns (the ends of a null-modem cable,
// scripted devices, a real device), with the received-message tables they share and a 50 ms
// timer each. The devices, the scheduler, the dialogs and the state must outlive the pair.
#include <memory>

#include "serial/class_comm.h"
#include "wiring/port_slots.h"

namespace k45 {
struct AppState;
class Dialogs;
class Scheduler;
class SerialDevice;
class Timer;
}  // namespace k45

namespace k45::test {

class PortPair {
public:
    // None: the ports run without their timers, as a window that never ticks them sees them.
    enum class Timers { Own, None };

    PortPair(const AppState& app, Scheduler& scheduler, Dialogs& dialogs, SerialDevice& primaryDevice,
             SerialDevice& secondaryDevice, Timers timers = Timers::Own);
    ~PortPair();
    PortPair(const PortPair&) = delete;
    PortPair& operator=(const PortPair&) = delete;

    RxMessageTables& tables() { return *tables_; }
    // Puts both ports in the program's slots.
    void fill(PortSlots& into) const;

private:
    // Before the ports: they use the tables and timers until they are gone.
    std::unique_ptr<RxMessageTables> tables_;
    std::unique_ptr<Timer> primaryTimer_, secondaryTimer_;

public:
    // Owned here; a test may end a port early (to see what its close does).
    std::unique_ptr<classComm> primary, secondary;
};

}  // namespace k45::test
