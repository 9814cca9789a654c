#pragma once
// Row groups the layout tables share. A group is written once where its rows stand at the same
// offsets in several layouts, or at the same distances from a base offset.
#include <algorithm>
#include <array>
#include <cstddef>

#include "params/parameter_image.h"

namespace k45::image {

// Pack: 1 for the crystal network type, else 0.
extern const Access kIsCrystal;

// Unpack step: the default channel plan of the type and range read so far; later rows
// overwrite what the image holds.
void DefaultChannelsStep(const ImageCodecContext& ctx, ModemParameters& r);

// Bytes 4..28, the same in every layout: writes count, serial number, byte 10, the FC adjust
// columns, the synthesizer and byte-25 bits, the RSSI cal adjust and the radio code.
std::array<ImageField, 11> FactoryHeadRows();

// From the power meter cal at `meterCal` to the range code and channel override (the band edges
// in between), and the Low/Mid/High front-end, modulation and power triples from `adjusts` on.
// The layouts differ only in where the two runs start. Range before highBand: the high band
// decision needs the decoded range.
std::array<ImageField, 8> RangeAndAdjustRows(int meterCal, int adjusts);

// The RNet option bytes: flags at `base`, the rate bits and the options at base + 1. The crystal
// bit selects between the older-modem and crystal network types, the only two of this family.
std::array<ImageField, 14> RNetOptionRows(int base);

// From the PTT time-out at `base` to the power meter bytes ending at base + 283: the five
// timing arrays, the signature, the Tx and Rx synthesizer words of the 8 channels, and the mod
// set, power adjust and power meter bytes of the channels.
std::array<ImageField, 12> ChannelBlockRows(int base);

// Front-end adjust and power set of the 8 channels at `base` and base + 8, derived from the
// Low/Mid/High triples on pack and read into the per-channel fields on unpack.
std::array<ImageField, 2> ChannelTuneRows(int base);

// Bytes 365..627 of layouts 3 and 6: front-end adjust and power set of the channels, the RSSI
// thresholds packed through the calibration in force, setup time, comment, and the calibration
// part (presence bits, table stamps and the three tables).
std::array<ImageField, 15> CalibratedTailRows();

// The groups one after another as one table.
template <std::size_t... N>
std::array<ImageField, (N + ...)> JoinRows(const std::array<ImageField, N>&... groups) {
    std::array<ImageField, (N + ...)> rows{};
    auto out = rows.begin();
    ((out = std::copy(groups.begin(), groups.end(), out)), ...);
    return rows;
}

}  // namespace k45::image
