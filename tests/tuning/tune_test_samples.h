#pragma once
// What the modem reports during a tuning run and what the procedure makes of it: diagnostic
// blocks, the power calibration readings and the RSSI reads per level.
#include <array>
#include <cstdint>

#include "support/simulated_modem.h"

namespace k45::test {

// A 42-byte diagnostic block with the current RSSI (set 0, value 7) and the high set's forward
// power (set 2, value 8); battery 7.2 V (PNet form), temperature 25.
inline SimulatedModem::DiagBlock TuneBlock(int currentRssi, int highForwardPower) {
    SimulatedModem::DiagBlock b{};
    for (std::size_t i = 0; i < 30; ++i) b[i] = 10;
    b[2] = 72;
    b[6] = 25;
    b[7] = static_cast<std::uint8_t>(currentRssi);
    b[28] = static_cast<std::uint8_t>(highForwardPower);
    return b;
}

// The five power readings and how they are stored: each above the one before.
inline constexpr std::array<std::int16_t, 5> kPowerReadings{80, 75, 90, 90, 120};
inline constexpr std::array<std::int16_t, 5> kPowerStored{80, 81, 90, 91, 120};

// Four RSSI reads at each of the six levels and the stored averages: to the nearest whole
// number with halves to the even one (42 / 4 gives 10), each above the one before.
inline constexpr std::array<std::array<int, 4>, 6> kRssiReads{
    {{10, 11, 11, 12}, {10, 10, 11, 11}, {30, 30, 30, 30}, {29, 29, 29, 29}, {100, 101, 102, 103}, {200, 200, 200, 201}}};
inline constexpr std::array<std::int16_t, 6> kRssiStored{11, 12, 30, 31, 102, 200};

// The first range of the 5726 radio (type 1) whose middle test point holds a frequency (-1: none).
inline int RangeWithTestPoints(const AppState& st) {
    for (int r = 0; r <= 9; ++r)
        if (st.testDefaults.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(1, r, 1))].rxFrequency != 0) return r;
    return -1;
}

}  // namespace k45::test
