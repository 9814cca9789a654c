#pragma once
// Refill the radio-type and radio-range lists from the enable flags, keeping the operator's
// selection (or moving it to the next higher entry still offered).
#include <array>
#include <cstdint>

class QComboBox;

namespace k45 {

struct SharedRecords;

// Every type, and every range of every type, offered.
inline constexpr std::array<bool, 3> kAllRadioTypes{true, true, true};
inline constexpr std::array<std::array<bool, 10>, 3> kAllRadioRanges{
    {{true, true, true, true, true, true, true, true, true, true},
     {true, true, true, true, true, true, true, true, true, true},
     {true, true, true, true, true, true, true, true, true, true}}};

// One item per enabled type ("5716", "5726", "5796"), item data = the type number.
void FillRadioTypeCombo(QComboBox& combo, const std::array<bool, 3>& radioTypeEnabled);
void FillRadioTypeCombo(QComboBox& combo, const SharedRecords& records);

// One item per enabled range of the type ("0".."9"), item data = the range number. A type
// outside 0..2 leaves the list empty.
void FillRadioRangeCombo(QComboBox& combo, std::int32_t radioType,
                         const std::array<std::array<bool, 10>, 3>& rangeEnabled);
void FillRadioRangeCombo(QComboBox& combo, const SharedRecords& records, std::int32_t radioType);

}  // namespace k45
