#pragma once
// Synthesizer register words of the SA7025 and SA7026, and the tune values that go with them.
//
// A word is 13 register bytes, one byte value per 16-bit slot, delivered mirrored: output byte
// k is register R(12 - k) with its bit order reversed. The CN and FC values come from the radio
// spec table of records.testDefaults; the 2.5 kHz grid of types 0 and 2 needs modes.engineerMode.
#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

inline constexpr int kSynthByteCount = 13;
using SynthBytes = std::array<std::int16_t, kSynthByteCount>;

// ---- dispatch between the two chips ----

// Writes the 13 bytes of a frequency: the SA7026 word when sa7026 is set, else the SA7025 one.
// transmit clear marks an Rx frequency (the LO gets the type's Rx offset). fcAdj and fcOverride
// (-1 = interpolate from fcAdj) matter only to the SA7026. An invalid radio type or range
// gives 13 zero bytes.
void CalcSynthWords(const ModeFlags& modes, const SharedRecords& records, std::span<std::int16_t, kSynthByteCount> bytes, std::int32_t frequency,
                    std::int32_t radioType, std::int32_t radioRange, bool transmit, bool sa7026,
                    const FcAdjustTable& fcAdj, std::int16_t fcOverride);
// The frequency (Hz) 13 bytes select; 0 when they cannot be converted.
std::int32_t SynthWordsToFreq(std::span<const std::int16_t, kSynthByteCount> bytes,
                              std::int32_t radioType, std::int32_t radioRange, bool sa7026);

// dest(b) = src(n - 1 - b) with its 8 bits reversed, b = 0..n-1 (n is cut to both sizes).
// dest and src must not overlap.
void MirrorSynthBytes(std::span<std::int16_t> dest, std::span<const std::int16_t> src, int n);

// ---- SA7025 ----
void Sa7025CalcWords(const ModeFlags& modes, const SharedRecords& records, std::span<std::int16_t, kSynthByteCount> bytes, std::int32_t frequency,
                     std::int32_t radioType, std::int32_t radioRange, bool transmit);
std::int32_t Sa7025WordsToFreq(std::span<const std::int16_t, kSynthByteCount> bytes,
                               std::int32_t radioType, std::int32_t radioRange);
// CN value 0..255 interpolated over the CN column of the radio spec table (channel frequency, not
// LO); 0 for an invalid type or range.
std::int16_t Sa7025GetCnValue(const SharedRecords& records, std::int32_t frequency, std::int32_t radioType,
                              std::int32_t radioRange, bool transmit);

// ---- SA7026 ----
void Sa7026CalcWords(const ModeFlags& modes, const SharedRecords& records, std::span<std::int16_t, kSynthByteCount> bytes, std::int32_t frequency,
                     std::int32_t radioType, std::int32_t radioRange, bool transmit, const FcAdjustTable& fcAdj,
                     std::int16_t fcOverride);
std::int32_t Sa7026WordsToFreq(std::span<const std::int16_t, kSynthByteCount> bytes,
                               std::int32_t radioType, std::int32_t radioRange);
// FC value 0..255 from the FC 8 or FC 5 column of fcAdj (chosen by GetFractionalModulus of the
// unsnapped LO), interpolated over the radio spec table's frequencies; 0 for an invalid type or range.
std::int16_t Sa7026GetFcValue(const SharedRecords& records, std::int32_t frequency, std::int32_t radioType,
                              std::int32_t radioRange, bool transmit, const FcAdjustTable& fcAdj);

// ---- tune values ----

// The value of a Low/Mid/High set at a frequency, interpolated over the radio spec table's Tx or Rx
// frequencies of the type and range; 0..255 (0 for an invalid type or range).
std::int16_t InterpolateTuneValue(const SharedRecords& records, std::int32_t frequency, std::int32_t radioType,
                                  std::int32_t radioRange, bool transmit, const std::array<std::int16_t, 3>& values);
// 8 or 5: the fractional modulus of the frequency's (unsnapped) LO; 8 when it is on no grid.
std::int16_t GetFractionalModulus(std::int32_t frequency, std::int32_t radioType, std::int32_t radioRange,
                                  bool transmit);
// Sets record.txFcModulus and record.rxFcModulus; with setCaption writes the adjust control's
// caption into *caption (nullptr: no control, left alone); with setFc sets record.fcOverride
// (the stored point value when usePoint, else interpolated; -1 for the SA7025). A point index
// outside 0..2 leaves fcOverride unchanged.
void SelectCnFcAdjust(const SharedRecords& records, TuneRecord& record, std::string* caption, bool setCaption, bool setFc,
                      bool usePoint, int pointIndex);
// The frequency whose LO lies one fractional step above the comparison-grid point nearest to the
// frequency's LO. modulus 8 or 5 is used as given; -1 lets the LO choose and the choice is
// written back. 0 when the result does not fit 32 bits.
std::int32_t GetFcTestFreq(const ModeFlags& modes, const TuneRecord& record, std::int32_t frequency,
                           std::int16_t& modulus);

}  // namespace k45
