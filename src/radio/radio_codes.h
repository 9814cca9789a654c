#pragma once
// Radio types and ranges, and the codes the parameter image stores for them: the radio code
// (type and channel bandwidth in one byte) and the band code (the range). Pure look-ups.
#include <cstdint>

#include "model/records.h"

namespace k45 {

enum RadioType : std::int32_t { radioType5716 = 0, radioType5726 = 1, radioType5796 = 2 };

inline constexpr bool RadioTypeValid(std::int32_t radioType) { return radioType >= 0 && radioType <= 2; }
inline constexpr bool RadioRangeValid(std::int32_t radioRange) { return radioRange >= 0 && radioRange <= 9; }

// Radio code of a type (a type other than 1 and 2 takes type 0's row) and a channel bandwidth
// (2 the third column, 1 the second, any other value the first).
std::int16_t EncodeRadioCode(std::int32_t radioType, std::int32_t channelBandwidth);
// Sets record.radioType and record.channelBandwidth from a radio code; a code that is not in
// the table gives type 0 with bandwidth 1 (Half).
void DecodeRadioCode(ModemParameters& record, std::int16_t radioCode);
// Band code of a type and range; an invalid type, or type 0 or 1 with a range outside 0..9,
// gives 5.
std::int16_t EncodeRangeCode(std::int32_t radioType, std::int32_t radioRange);
// Range of a band code. Lossy: several ranges share a code, and anything unknown reads as 5.
std::int16_t DecodeRangeCode(std::int32_t radioType, std::int16_t bandCode);

// The offset an Rx frequency gets to make its LO (local-oscillator) frequency: 52 950 000,
// 21 450 000 or -87 850 000 Hz for types 0, 1, 2; any other type takes type 0's.
std::int32_t RxFrequencyOffset(std::int32_t radioType);

}  // namespace k45
