#pragma once
// What the SA7025 and SA7026 words share: the LO grid, the per-type constants and R0.
#include <cstdint>
#include <span>

#include "model/app_state.h"
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

// One test of an LO's fractional grid: an LO that is a multiple of step has that modulus.
struct ModulusTest {
    std::int32_t step;
    std::int16_t modulus;
};

// The tests, in order, that tell a modulus-8 LO from a modulus-5 one: types 0 and 2; type 1,
// ranges 4 and 5; type 1, range 9; the 2.5/4 kHz group of every other type-1 range. None for
// a type outside 0..2.
std::span<const ModulusTest> ModulusTests(std::int32_t radioType, std::int32_t radioRange);

double ReferenceFrequency(std::int32_t radioType, std::int32_t radioRange);
double AuxiliaryFrequency(std::int32_t radioType);
int AuxiliaryPrescale(std::int32_t radioType);

// What both encoders work from for a valid type and range.
struct WordBasis {
    LoGrid grid;
    std::int64_t refDiv = 0;  // reference / comparison, halves to even
    std::int64_t auxDiv = 0;  // auxiliary / (prescale x comparison); the SA7026 has no prescale
    std::int64_t n = 0;       // floor(LO / comparison)
    std::int64_t nf = 0;      // (LO remainder comparison) / step, rounded, 3 bits
};
WordBasis ComputeWordBasis(std::int32_t frequency, std::int32_t radioType, std::int32_t radioRange, bool transmit,
                           bool engineerMode, bool sa7026);

// The R0 register both chips share.
std::int16_t RegisterR0(std::int32_t frequency, std::int32_t radioType, std::int32_t radioRange, bool transmit);

// Floor of a / b for b > 0.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace k45::radio_internal
