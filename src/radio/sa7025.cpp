#include <cmath>

#include "radio/radio_codes.h"
#include "radio/radio_internal.h"
#include "radio/synth_internal.h"
#include "radio/synthesizer.h"

namespace k45 {

using namespace radio_internal;

std::int16_t Sa7025GetCnValue(const SharedRecords& records, std::int32_t frequency, std::int32_t radioType,
                              std::int32_t radioRange, bool transmit) {
    const RadioSpec* low = SpecEntry(records.testDefaults, radioType, radioRange, pointLow);
    const RadioSpec* mid = SpecEntry(records.testDefaults, radioType, radioRange, pointMid);
    const RadioSpec* high = SpecEntry(records.testDefaults, radioType, radioRange, pointHigh);
    if (!low || !mid || !high) return 0;
    if (transmit)
        return InterpolateThreePoints(frequency, low->txFrequency, mid->txFrequency, high->txFrequency, low->txCn,
                                      mid->txCn, high->txCn);
    return InterpolateThreePoints(frequency, low->rxFrequency, mid->rxFrequency, high->rxFrequency, low->rxCn,
                                  mid->rxCn, high->rxCn);
}

void Sa7025CalcWords(const ModeFlags& modes, const SharedRecords& records, std::span<std::int16_t, kSynthByteCount> bytes, std::int32_t frequency,
                     std::int32_t radioType, std::int32_t radioRange, bool transmit) {
    SynthBytes r{};
    if (!RadioTypeValid(radioType) || !RadioRangeValid(radioRange)) {
        std::fill(bytes.begin(), bytes.end(), std::int16_t{0});
        return;
    }
    const WordBasis basis = ComputeWordBasis(frequency, radioType, radioRange, transmit, modes.engineerMode, false);
    const std::int64_t refDiv = basis.refDiv, auxDiv = basis.auxDiv, n = basis.n, nf = basis.nf;
    const int prescale = AuxiliaryPrescale(radioType);
    const std::int16_t cn = Sa7025GetCnValue(records, frequency, radioType, radioRange, transmit);

    const int p = radioType == 0 ? 1 : 2;
    std::int64_t m = 0;
    std::int64_t r3 = 0;
    if (p == 1) {
        const std::int64_t s = n % 64;
        m = (n / 64 - 2 - s) & 0xFFF;
        r3 = s & 0x3F;
    } else {
        const std::int64_t b = ((n % 64) / 8 - 1) & 7;
        const std::int64_t a = n % 8;
        m = (n / 64 - (b == 7 ? 4 : 3) - a - b) & 0xFFF;
        r3 = (b << 4) | (a & 0x0F);
    }

    r[0] = RegisterR0(frequency, radioType, radioRange, transmit);
    r[1] = static_cast<std::int16_t>((nf << 4) | ((m >> 8) & 0x0F));
    r[2] = static_cast<std::int16_t>(m & 0xFF);
    r[3] = static_cast<std::int16_t>(r3);
    r[4] = 0x80;
    r[5] = static_cast<std::int16_t>(cn & 0xFF);
    r[6] = static_cast<std::int16_t>(p);
    r[7] = static_cast<std::int16_t>(0x90 | ((auxDiv >> 8) & 0x0F));
    r[8] = static_cast<std::int16_t>(auxDiv & 0xFF);
    r[9] = prescale == 1 ? 0x80 : 0x00;
    r[10] = static_cast<std::int16_t>(0xA0 | ((refDiv >> 8) & 0x0F));
    r[11] = static_cast<std::int16_t>(refDiv & 0xFF);
    r[12] = static_cast<std::int16_t>(0x20 | (radioType != 0 ? 0x04 : 0) | (basis.grid.modulus == 8 ? 0x02 : 0));
    MirrorSynthBytes(bytes, r, kSynthByteCount);
}

std::int32_t Sa7025WordsToFreq(std::span<const std::int16_t, kSynthByteCount> bytes,
                               std::int32_t radioType, std::int32_t radioRange) {
    SynthBytes r{};
    MirrorSynthBytes(r, bytes, kSynthByteCount);
    const int refDiv = ((r[10] & 0x0F) << 8) | r[11];
    const int factor = 1 << ((r[12] >> 6) & 3);
    const int modulus = (r[12] & 0x02) ? 8 : 5;
    const int p = r[6] & 3;
    const int nf = (r[1] >> 4) & 7;
    const int m = ((r[1] & 0x0F) << 8) | r[2];
    std::int64_t n = 0;
    if (p == 2) {
        const int a = r[3] & 0x0F;
        const int b = (r[3] >> 4) & 0x0F;
        n = b == 7 ? 64 * (m + 1) + 65 * (a + 1) + 72 * 8 - 1 : 64 * (m + 2) + 65 * a + 72 * (b + 1);
    } else {
        n = 64 * (m + 2) + 65 * r[3];
    }
    if (refDiv == 0) return 0;
    const double offset = (r[0] & 0x01) ? 0.0 : RxFrequencyOffset(radioType);
    const double comparison = ReferenceFrequency(radioType, radioRange) / (factor * refDiv);
    const double step = comparison / modulus;
    const double f = RoundHalfEven(static_cast<double>(n) * comparison + nf * step - offset);
    return FitsInt32(f) ? static_cast<std::int32_t>(f) : 0;
}

}  // namespace k45
