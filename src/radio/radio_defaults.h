#pragma once
// Built-in knowledge per radio type: which types and ranges are offered, the radio spec
// entries (Low, Mid, High test points of every range) and the default RSSI curves.
#include <array>
#include <cstdint>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Each sets records.radioTypeEnabled and records.rangeEnabled of its type and the 30 radio spec
// entries of its type (ranges 0..9 x Low, Mid, High) in record.radioSpecs.
void InitRadioType5716(SharedRecords& records, ProductionTestRecord& record);
void InitRadioType5726(SharedRecords& records, ProductionTestRecord& record);
void InitRadioType5796(SharedRecords& records, ProductionTestRecord& record);

// Each writes all 256 entries (-dBm per RSSI A/D reading).
void BuildRssiCurve5716(std::array<std::int16_t, 256>& curve);
void BuildRssiCurve5726(std::array<std::int16_t, 256>& curve);
void BuildRssiCurve5796(std::array<std::int16_t, 256>& curve);

}  // namespace k45
