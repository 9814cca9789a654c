#pragma once
// Names under which the data, test and radio spec files store per-range and per-point values,
// and the captions of the test-frequency offset list.
#include <cstdint>
#include <string>

namespace k45 {

// "5716 Range n", "5726 Range n", "5796 Range n" for radio type 0, 1, 2 (any range number);
// "UnKnown" for any other type.
std::string RadioRangeName(std::int16_t radioType, std::int16_t radioRange);

// "Low  ", "Mid  ", "High " (five characters each) for points 0, 1, 2; "UnKnown" otherwise.
std::string PointName(std::int16_t point);

// Number of entries in the test-frequency offset list ("0 kHz" .. "+600 kHz").
inline constexpr int kOffsetIndexCount = 17;

// Offset of a test frequency in kHz for an offset index 0..16: 0 for index 0, -75 x (k + 1) / 2
// for an odd index k, +75 x k / 2 for an even one. An index outside 0..16 gives 0.
int OffsetIndexKHz(int index);

// Caption of an offset index: "0 kHz", "-75 kHz", "+75 kHz", ... "+600 kHz"; "" outside 0..16.
std::string OffsetIndexText(int index);

}  // namespace k45
