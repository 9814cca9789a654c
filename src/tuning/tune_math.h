#pragma once
// Arithmetic the tuning window shares with the production test panels: the PgUp/PgDn adjust
// steps, the wrap of the adjust values, the rule that keeps calibration readings rising, the
// average of four RSSI reads, and the hand-over of adjust values to and from the DAC values
// editor.
#include <array>
#include <cstdint>
#include <optional>

#include "model/records.h"

namespace k45 {

inline constexpr int kKeyPageUp = 33;
inline constexpr int kKeyPageDown = 34;
inline constexpr int kKeyF7 = 118;

// The step of an adjust key: PgUp 1 (Ctrl: 10), PgDn 255 (Ctrl: 246), that is -1 and -10
// modulo 256. No step for other keys or with Shift or Alt held.
std::optional<int> AdjustKeyStep(int keyCode, bool shift, bool ctrl, bool alt);

// An unsigned 8-bit adjust value plus a step, modulo 256 (0..255 whatever the start).
std::int16_t AdjustUnsigned(std::int16_t value, int step);
// A signed 8-bit adjust value (RSSI cal) plus a step, wrapped into -128..127.
std::int16_t AdjustSigned(std::int16_t value, int step);

// A calibration reading that does not rise above the previous point's is raised to that
// reading + 1, so the tables built from the points rise strictly; capped at 255, the top of
// the A/D range the tables assume. previous: the reading of the point before (none for the
// first point).
std::int16_t MonotonicReading(std::int16_t reading, std::optional<std::int16_t> previous);

// The mean of four reads taken to the nearest whole number, a half to the even neighbour.
std::int16_t AverageOfFour(const std::array<std::int16_t, 4>& reads);

// The adjust values handed to the DAC values editor: the Low/Mid/High values, the FC table,
// Rx gain, the master deviation as the Tx deviation, RSSI cal and power cal.
DacValues DacValuesFromTuneRecord(const TuneRecord& tune);
// The editor's values taken back: Tx deviation goes to both txDeviationAdj and masterDeviation.
void TakeDacValues(TuneRecord& tune, const DacValues& dac);

}  // namespace k45
