#pragma once
// The operations of the parameters read/write window, as the main window's commands, the
// tuning and production windows open it.
#include <cstdint>

namespace k45 {

enum class ParmsMode : std::int16_t {
    Invalid = 0,  // opened without an operation: the window says so and closes
    ReadProgrammable = 1,
    WriteProgrammable = 2,
    ReadAll = 3,
    WriteAll = 4,
    WriteCurrent = 5,
    CloneProgrammable = 6,
    WriteDefault = 7,
};

}  // namespace k45
