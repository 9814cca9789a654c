#pragma once
// The two port objects as the windows and dialogues reach them. They live from start-up to the
// end of shutdown; the slots stay null until the serial layer is wired (and in tests that need
// no ports), so a user of a slot checks it at each use.
#include "serial/class_comm.h"

namespace k45 {

struct PortSlots {
    classComm* classCommPrimary = nullptr;
    classComm* classCommSecondary = nullptr;
};

}  // namespace k45
