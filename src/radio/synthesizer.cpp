#include "radio/synthesizer.h"

#include <algorithm>

#include "radio/radio_codes.h"
#include "radio/radio_internal.h"
#include "radio/synth_internal.h"

namespace k45 {

using namespace radio_internal;

namespace radio_internal {

namespace {
struct GridTest {
    std::int32_t step, comparison, modulus;
};
constexpr GridTest kTypes02[] = {{6250, 50000, 8}, {10000, 50000, 5}, {5000, 25000, 5}};
constexpr GridTest kTypes02Engineer = {2500, 20000, 8};
constexpr GridTest kType1Low[] = {{6250, 50000, 8}, {10000, 50000, 5}, {7500, 37500, 5}, {5000, 25000, 5}};
constexpr GridTest kType1Range9[] = {{6250, 50000, 8}, {10000, 50000, 5}, {5000, 25000, 5}};
constexpr GridTest kType1Mid[] = {{2500, 20000, 8}, {4000, 20000, 5}};
constexpr GridTest kSnap6250 = {6250, 50000, 8};
constexpr GridTest kSnap7500 = {7500, 37500, 5};
constexpr GridTest kSnap2500 = {2500, 20000, 8};

template <size_t N>
const GridTest* FirstMultiple(std::int64_t lo, const GridTest (&tests)[N]) {
    for (const GridTest& t : tests)
        if (lo % t.step == 0) return &t;
    return nullptr;
}
}  // namespace

LoGrid ChooseLoGrid(std::int64_t lo, std::int32_t radioType, std::int32_t radioRange, bool engineerMode,
                    bool sa7026) {
    const GridTest* hit = nullptr;
    GridTest snap = kSnap6250;
    if (radioType == 1) {
        if (radioRange >= 6 && radioRange <= 8) {
            hit = FirstMultiple(lo, kType1Mid);
            snap = kSnap2500;
        } else if (radioRange == 9) {
            hit = FirstMultiple(lo, kType1Range9);
        } else {
            hit = FirstMultiple(lo, kType1Low);
            if (sa7026) snap = kSnap7500;
        }
    } else {
        hit = FirstMultiple(lo, kTypes02);
        if (!hit && engineerMode && lo % kTypes02Engineer.step == 0) hit = &kTypes02Engineer;
    }
    LoGrid g;
    const GridTest& use = hit ? *hit : snap;
    g.lo = hit ? lo : (lo / snap.step) * snap.step;
    g.step = use.step;
    g.comparison = use.comparison;
    g.modulus = use.modulus;
    return g;
}

std::span<const ModulusTest> ModulusTests(std::int32_t radioType, std::int32_t radioRange) {
    static constexpr ModulusTest types02[] = {{6250, 8}, {10000, 5}, {5000, 5}};
    static constexpr ModulusTest type1Wide[] = {{6250, 8}, {10000, 5}, {7500, 5}, {5000, 5}};
    static constexpr ModulusTest type1Range9[] = {{6250, 8}, {10000, 5}, {5000, 5}};
    static constexpr ModulusTest type1Fine[] = {{2500, 8}, {4000, 5}};
    if (radioType == 0 || radioType == 2) return types02;
    if (radioType != 1) return {};
    if (radioRange == 4 || radioRange == 5) return type1Wide;
    if (radioRange == 9) return type1Range9;
    return type1Fine;
}

double ReferenceFrequency(std::int32_t radioType, std::int32_t radioRange) {
    return (radioType == 1 && radioRange >= 0 && radioRange <= 5) ? 14850000.0 : 17500000.0;
}

double AuxiliaryFrequency(std::int32_t radioType) {
    switch (radioType) {
    case 1: return 21900000.0;
    case 2: return 87400000.0;
    default: return 0.0;
    }
}

int AuxiliaryPrescale(std::int32_t radioType) { return radioType == 2 ? 4 : 1; }

WordBasis ComputeWordBasis(std::int32_t frequency, std::int32_t radioType, std::int32_t radioRange, bool transmit,
                           bool engineerMode, bool sa7026) {
    WordBasis b;
    const std::int64_t lo = std::int64_t{frequency} + (transmit ? 0 : RxFrequencyOffset(radioType));
    b.grid = ChooseLoGrid(lo, radioType, radioRange, engineerMode, sa7026);
    const LoGrid& g = b.grid;
    const int prescale = sa7026 ? 1 : AuxiliaryPrescale(radioType);
    b.refDiv = static_cast<std::int64_t>(RoundHalfEven(ReferenceFrequency(radioType, radioRange) / g.comparison));
    b.auxDiv = static_cast<std::int64_t>(RoundHalfEven(AuxiliaryFrequency(radioType) / (prescale * g.comparison)));
    b.n = FloorDiv(g.lo, g.comparison);
    b.nf = static_cast<std::int64_t>(RoundHalfEven(static_cast<double>(g.lo % g.comparison) / g.step)) & 7;
    return b;
}

std::int16_t RegisterR0(std::int32_t frequency, std::int32_t radioType, std::int32_t radioRange, bool transmit) {
    int r0 = transmit ? 0x01 : 0;
    if (radioType == 2 && frequency < 944000000) r0 |= 0x02;
    if (radioType == 1 && radioRange >= 6 && radioRange <= 8) r0 |= 0x08;
    return static_cast<std::int16_t>(r0);
}

}  // namespace radio_internal

void MirrorSynthBytes(std::span<std::int16_t> dest, std::span<const std::int16_t> src, int n) {
    n = std::min<int>({n, static_cast<int>(dest.size()), static_cast<int>(src.size())});
    for (int b = 0; b < n; ++b) {
        std::int16_t out = 0;
        std::int16_t in = src[static_cast<size_t>(n - 1 - b)];
        for (int i = 0; i < 8; ++i)
            if (in & (1 << i)) out = static_cast<std::int16_t>(out | (128 >> i));
        dest[static_cast<size_t>(b)] = out;
    }
}

void CalcSynthWords(const ModeFlags& modes, const SharedRecords& records, std::span<std::int16_t, kSynthByteCount> bytes, std::int32_t frequency,
                    std::int32_t radioType, std::int32_t radioRange, bool transmit, bool sa7026,
                    const FcAdjustTable& fcAdj, std::int16_t fcOverride) {
    if (sa7026)
        Sa7026CalcWords(modes, records, bytes, frequency, radioType, radioRange, transmit, fcAdj, fcOverride);
    else
        Sa7025CalcWords(modes, records, bytes, frequency, radioType, radioRange, transmit);
}

std::int32_t SynthWordsToFreq(std::span<const std::int16_t, kSynthByteCount> bytes,
                              std::int32_t radioType, std::int32_t radioRange, bool sa7026) {
    return sa7026 ? Sa7026WordsToFreq(bytes, radioType, radioRange)
                  : Sa7025WordsToFreq(bytes, radioType, radioRange);
}

std::int16_t InterpolateTuneValue(const SharedRecords& records, std::int32_t frequency, std::int32_t radioType,
                                  std::int32_t radioRange, bool transmit, const std::array<std::int16_t, 3>& values) {
    const RadioSpec* low = SpecEntry(records.testDefaults, radioType, radioRange, pointLow);
    const RadioSpec* mid = SpecEntry(records.testDefaults, radioType, radioRange, pointMid);
    const RadioSpec* high = SpecEntry(records.testDefaults, radioType, radioRange, pointHigh);
    if (!low || !mid || !high) return 0;
    auto f = [transmit](const RadioSpec* s) { return transmit ? s->txFrequency : s->rxFrequency; };
    return InterpolateThreePoints(frequency, f(low), f(mid), f(high), values[0], values[1], values[2]);
}

std::int16_t GetFractionalModulus(std::int32_t frequency, std::int32_t radioType, std::int32_t radioRange,
                                  bool transmit) {
    if (!RadioTypeValid(radioType) || (radioType == 1 && !RadioRangeValid(radioRange))) return 8;
    const std::int64_t lo = std::int64_t{frequency} + (transmit ? 0 : RxFrequencyOffset(radioType));
    for (const ModulusTest& t : ModulusTests(radioType, radioRange))
        if (lo % t.step == 0) return t.modulus;
    return 8;
}

void SelectCnFcAdjust(const SharedRecords& records, TuneRecord& record, std::string* caption, bool setCaption, bool setFc,
                      bool usePoint, int pointIndex) {
    record.txFcModulus = GetFractionalModulus(record.txFrequency, record.radioType, record.radioRange, true);
    record.rxFcModulus = GetFractionalModulus(record.rxFrequency, record.radioType, record.radioRange, false);
    bool tx = IsSet(record.txSelected);
    if (IsSet(record.sa7026Synthesizer)) {
        bool eight = (tx ? record.txFcModulus : record.rxFcModulus) == 8;
        if (setCaption && caption)
            *caption = std::string(tx ? "Tx" : "Rx") + (eight ? " FC 8 Ad&j" : " FC 5 Ad&j");
        if (setFc) {
            const std::array<std::int16_t, 3>& column =
                tx ? (eight ? record.fcAdj.txFc8 : record.fcAdj.txFc5) : (eight ? record.fcAdj.rxFc8 : record.fcAdj.rxFc5);
            if (usePoint) {
                if (pointIndex >= 0 && pointIndex <= 2) record.fcOverride = column[static_cast<size_t>(pointIndex)];
            } else {
                record.fcOverride = InterpolateTuneValue(records, tx ? record.txFrequency : record.rxFrequency,
                                                         record.radioType, record.radioRange, tx, column);
            }
        }
    } else {
        if (setCaption && caption) *caption = tx ? "Tx CN Ad&j" : "Rx CN Ad&j";
        if (setFc) record.fcOverride = -1;
    }
}

std::int32_t GetFcTestFreq(const ModeFlags& modes, const TuneRecord& record, std::int32_t frequency,
                           std::int16_t& modulus) {
    const std::int32_t type = record.radioType;
    const std::int32_t range = record.radioRange;
    const std::int64_t offset = IsSet(record.txSelected) ? 0 : RxFrequencyOffset(type);
    const std::int64_t lo = std::int64_t{frequency} + offset;
    const bool type1Wide = type == 1 && (range == 4 || range == 5 || range == 9);
    std::int64_t step = 6250;
    if (modulus != -1) {
        if (type == 0 || type == 2)
            step = modulus == 5 ? 10000 : 6250;
        else if (type1Wide)
            step = modulus == 5 ? 7500 : 6250;
        else if (type == 1)
            step = modulus == 5 ? 4000 : 2500;
        else
            modulus = 8;
    } else {
        // When no test holds: modulus 8 at the group's fallback step.
        modulus = 8;
        if ((type == 0 || type == 2) && modes.engineerMode && lo % 2500 == 0) step = 2500;
        if (type == 1 && !type1Wide) step = 2500;
        for (const ModulusTest& t : ModulusTests(type, range)) {
            if (lo % t.step == 0) {
                modulus = t.modulus;
                step = t.step;
                break;
            }
        }
    }
    const std::int64_t comparison = step * modulus;
    if (comparison == 0) return 0;
    const double k = RoundHalfEven(static_cast<double>(lo) / static_cast<double>(comparison));
    const double result = k * static_cast<double>(comparison) + static_cast<double>(step) - static_cast<double>(offset);
    return FitsInt32(result) ? static_cast<std::int32_t>(result) : 0;
}

}  // namespace k45
