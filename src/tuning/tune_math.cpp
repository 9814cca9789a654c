#include "tuning/tune_math.h"

#include "base/utilities.h"

namespace k45 {

std::optional<int> AdjustKeyStep(int keyCode, bool shift, bool ctrl, bool alt) {
    if (shift || alt) return std::nullopt;
    if (keyCode == kKeyPageUp) return ctrl ? 10 : 1;
    if (keyCode == kKeyPageDown) return ctrl ? 246 : 255;
    return std::nullopt;
}

std::int16_t AdjustUnsigned(std::int16_t value, int step) {
    const int v = (static_cast<int>(value) + step) % 256;
    return static_cast<std::int16_t>(v < 0 ? v + 256 : v);
}

std::int16_t AdjustSigned(std::int16_t value, int step) {
    int v = (static_cast<int>(value) + step + 128) % 256;
    if (v < 0) v += 256;
    return static_cast<std::int16_t>(v - 128);
}

std::int16_t MonotonicReading(std::int16_t reading, std::optional<std::int16_t> previous) {
    int v = reading;
    if (previous && v <= *previous) v = *previous + 1;
    if (v > 255) v = 255;
    return static_cast<std::int16_t>(v);
}

std::int16_t AverageOfFour(const std::array<std::int16_t, 4>& reads) {
    const double sum = static_cast<double>(reads[0]) + reads[1] + reads[2] + reads[3];
    return static_cast<std::int16_t>(RoundHalfEven(sum / 4.0));
}

DacValues DacValuesFromTuneRecord(const TuneRecord& tune) {
    DacValues dac = tune;
    // The DAC window's deviation is the master deviation, not the one the last "T1" carried.
    dac.txDeviationAdj = tune.masterDeviation;
    return dac;
}

void TakeDacValues(TuneRecord& tune, const DacValues& dac) {
    static_cast<DacValues&>(tune) = dac;
    tune.masterDeviation = dac.txDeviationAdj;
}

}  // namespace k45
