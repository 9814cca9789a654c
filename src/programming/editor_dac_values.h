#pragma once
// The 25 values of the DAC values editor, in box order: front-end, modulation and power adjust
// triples, the four FC adjust triples (Rx FC 8, Rx FC 5, Tx FC 8, Tx FC 5), then Rx gain,
// Tx deviation, RSSI cal adjust and power cal adjust.
#include <array>
#include <cstdint>

#include "model/records.h"

namespace k45 {

inline constexpr int kDacValueCount = 25;
// Index of the RSSI cal adjust, the one signed value (-128..127; the others 0..255).
inline constexpr int kDacRssiCalAdjIndex = 23;

std::array<std::int16_t*, kDacValueCount> DacValueFields(DacValues& values);
std::array<const std::int16_t*, kDacValueCount> DacValueFields(const DacValues& values);

}  // namespace k45
