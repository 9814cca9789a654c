#include <cmath>

#include "radio/radio_codes.h"
#include "radio/radio_internal.h"
#include "radio/synth_internal.h"
#include "radio/synthesizer.h"

namespace k45 {

using namespace radio_internal;

std::int16_t Sa7026GetFcValue(const SharedRecords& records, std::int32_t frequency, std::int32_t radioType,
                              std::int32_t radioRange, bool transmit, const FcAdjustTable& fcAdj) {
    const bool eight = GetFractionalModulus(frequency, radioType, radioRange, transmit) == 8;
    const std::array<std::int16_t, 3>& column =
        transmit ? (eight ? fcAdj.txFc8 : fcAdj.txFc5) : (eight ? fcAdj.rxFc8 : fcAdj.rxFc5);
    return InterpolateTuneValue(records, frequency, radioType, radioRange, transmit, column);
}

void Sa7026CalcWords(const ModeFlags& modes, const SharedRecords& records, std::span<std::int16_t, kSynthByteCount> bytes, std::int32_t frequency,
                     std::int32_t radioType, std::int32_t radioRange, bool transmit, const FcAdjustTable& fcAdj,
                     std::int16_t fcOverride) {
    SynthBytes r{};
    if (!RadioTypeValid(radioType) || !RadioRangeValid(radioRange)) {
        std::fill(bytes.begin(), bytes.end(), std::int16_t{0});
        return;
    }
    const WordBasis basis = ComputeWordBasis(frequency, radioType, radioRange, transmit, modes.engineerMode, true);
    const std::int64_t refDiv = basis.refDiv, auxDiv = basis.auxDiv, n = basis.n, nf = basis.nf;
    const std::int16_t fc =
        fcOverride == -1 ? Sa7026GetFcValue(records, frequency, radioType, radioRange, transmit, fcAdj) : fcOverride;

    r[0] = RegisterR0(frequency, radioType, radioRange, transmit);
    r[1] = static_cast<std::int16_t>((basis.grid.modulus == 5 ? 0x20 : 0) | (nf << 2) | ((n >> 14) & 0x03));
    r[2] = static_cast<std::int16_t>((n >> 6) & 0xFF);
    r[3] = static_cast<std::int16_t>((n & 0x3F) << 2);
    r[4] = static_cast<std::int16_t>(0x40 | ((refDiv >> 4) & 0x3F));
    r[5] = static_cast<std::int16_t>(((refDiv & 0x0F) << 4) | (radioType != 1 ? 0x08 : 0) | 0x02 |
                                     (radioType != 0 ? 0x01 : 0));
    r[6] = static_cast<std::int16_t>(fc & 0xFF);
    r[7] = static_cast<std::int16_t>(0x80 | ((auxDiv >> 8) & 0x3F));
    r[8] = static_cast<std::int16_t>(auxDiv & 0xFF);
    r[9] = 0;
    r[10] = 0xC0;
    MirrorSynthBytes(bytes, r, kSynthByteCount);
}

std::int32_t Sa7026WordsToFreq(std::span<const std::int16_t, kSynthByteCount> bytes,
                               std::int32_t radioType, std::int32_t radioRange) {
    SynthBytes r{};
    MirrorSynthBytes(r, bytes, kSynthByteCount);
    const std::int64_t n = std::int64_t{r[1] & 0x03} * 16384 + std::int64_t{r[2]} * 64 + ((r[3] >> 2) & 0x3F);
    const int nf = (r[1] >> 2) & 7;
    const int refDiv = (r[4] & 0x3F) * 16 + ((r[5] >> 4) & 0x0F);
    const int modulus = (r[1] & 0x20) ? 5 : 8;
    const int code = (r[9] >> 3) & 7;
    const int factor = code <= 4 ? 1 << code : 1;
    if (refDiv == 0) return 0;
    const double offset = (r[0] & 0x01) ? 0.0 : RxFrequencyOffset(radioType);
    const double comparison = ReferenceFrequency(radioType, radioRange) / (factor * refDiv);
    const double f = RoundHalfEven(static_cast<double>(n) * comparison + nf * comparison / modulus - offset);
    return FitsInt32(f) ? static_cast<std::int32_t>(f) : 0;
}

}  // namespace k45
