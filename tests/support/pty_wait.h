#pragma once
// Waiting for a real device's bytes on the master of a pseudo-terminal while Qt's events run
// (the device under test writes from the event loop).
#include <cstddef>
#include <string>

#include "support/pty_pair.h"

namespace k45::test {

// What the master holds once `want` bytes came, or what came within limitMs (generous: the
// kernel hands the bytes over late on a loaded machine, and the wait ends as soon as they are in).
std::string ReadMasterWhileEventsRun(PtyPair& pty, std::size_t want, int limitMs = 10000);

}  // namespace k45::test
