#pragma once
// Channel frequency checks before a channel plan is saved or written: restricted bands, the
// working range of the radio type and range, and the channel spacing of the synthesizer.
#include <cstdint>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Checks the Rx and Tx frequency of the 8 channels. Interactive: reports each problem through
// app.dialogs (asking whether a frequency just outside the range selected may be kept), changes
// nothing and returns the index of the field in error: Tx of channel k is k, Rx is k + 8; -1
// when there is none. Not interactive: shows nothing, corrects the record in place and returns
// 0 when a working-range clamp or spacing snap took place, else -1.
std::int16_t ValidateChannelFreqs(const AppState& app, ModemParameters& record, bool interactive);

}  // namespace k45
