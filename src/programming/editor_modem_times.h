#pragma once
// The modem timing editor's fields: five timing arrays (rows 0..3 are edited; entry 4 is
// neither shown nor changed) and the two BT-filter divisors.
#include <cstdint>

#include "model/records.h"

namespace k45 {

inline constexpr int kModemTimeRows = 4;
inline constexpr int kModemTimeColumns = 5;
// Larger times do not survive packing into the parameter image.
inline constexpr int kModemTimeMax = 213;
inline constexpr int kModemDivisorMax = 255;

// Column 0 t1Time, 1 extendedT1Time, 2 t2Time, 3 extendedT2Time, 4 rxClampTime; row 0..3.
// Nothing for a column or row outside those.
std::int16_t* ModemTimeEntry(ModemParameters& record, int column, int row);

// The timing editor's give-back: rows 0..3 of the five arrays and the two divisors.
void GiveBackModemTimes(const ModemParameters& edited, ModemParameters& target);

// Every timing field (all entries of the five arrays, both divisors) of source into target.
// The parameter editor does not show them, so its give-back keeps those of the shared record:
// a timing editor's newer values are never overwritten by the parameter editor's old copy.
void CopyTimingFields(const ModemParameters& source, ModemParameters& target);

}  // namespace k45
