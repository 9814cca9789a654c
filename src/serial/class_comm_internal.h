#pragma once
// Shared by the source files of the port object only.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "base/utilities.h"

namespace k45 {

inline constexpr int kCommBufferSize = 16384;
inline constexpr int kMaxPortNumber = 32;

}  // namespace k45

#include <algorithm>
#include <cstdio>
#include <exception>
#include <vector>

#include "serial/class_comm.h"

namespace k45 {

// Calls every window of a list on a snapshot taken when the delivery starts: a window added
// meanwhile waits for the next message, and a window that leaves the list before its turn is
// skipped without making any other window miss the message.
template <class F>
void classComm::Deliver(int list, F&& call) {
    const auto& live = lists_[static_cast<size_t>(list)];
    const size_t n = live.size();
    if (n == 0) return;
    CommForm* fixed[8];
    std::vector<CommForm*> grown;
    CommForm** snap = fixed;
    if (n > 8) {
        grown.assign(live.begin(), live.end());
        snap = grown.data();
    } else {
        std::copy(live.begin(), live.end(), fixed);
    }
    for (size_t i = 0; i < n; ++i) {
        CommForm* w = snap[i];
        if (!IsListed(list, w)) continue;
        // Windows report their own errors as values; what reaches here is a library failure
        // inside one window's callback (allocation, a bad index or conversion). The other
        // windows still get the message, and the failure is written to the error output.
        try {
            call(*w);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "K45MR: a window failed on data received on Com %d: %s\n", settings_.portNumber, e.what());
        }
    }
}

}  // namespace k45
