#pragma once
// What the SA7025 and SA7026 words share: the LO grid, the per-type constants and R0.
#include <cstdint>

#include "params/app_state.h"
#include "radio/synthesizer.h"

namespace k45::radio_internal {

struct LoGrid {
    std::int64_t lo = 0;          // the LO after snapping (unchanged when on a grid)
    std::int32_t step = 0;        // fractional step
    std::int32_t comparison = 0;  // step x modulus
    std::int32_t modulus = 8;
};

// The grid of an LO (whole Hz) for a valid type and range; an LO on none of the type's grids is
// snapped down to the snap grid. The SA7026 snaps type 1, ranges 0..5 to 7.5 kHz.
LoGrid ChooseLoGrid(std::int64_t lo, std::int32_t radioType, std::int32_t radioRange, bool engineerMode,
                    bool sa7026);

double ReferenceFrequency(std::int32_t radioType, std::int32_t radioRange);
double AuxiliaryFrequency(std::int32_t radioType);
int AuxiliaryPrescale(std::int32_t radioType);

// The R0 register both chips share.
std::int16_t RegisterR0(std::int32_t frequency, std::int32_t radioType, std::int32_t radioRange, bool transmit);

// Floor of a / b for b > 0.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace k45::radio_internal
