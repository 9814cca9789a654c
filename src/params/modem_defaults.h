#pragma once
// The built-in defaults of the modem parameter record.
#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Fills record with the built-in defaults in place. The caller sets radioType and radioRange
// first: the FC adjusts come from records.builtInTestDefaults at that type and range (skipped when
// either is out of range) and the channel plan from the radio model. Needs builtInTestDefaults
// and parmsSignature in place. setupTime becomes the current local time; the calibration part
// is cleared. Entry 4 of the per-rate arrays and signature entry 10 are left as they are.
void SetDefaultModemParameters(const SharedRecords& records, const Services& services, ModemParameters& record);

}  // namespace k45
