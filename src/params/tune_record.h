#pragma once
// The radio set-up a test window loads into a modem with the "T1" line, built from and
// written back into a modem parameter record.
#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Fills `tune` from `parms` and the radio spec table of records.testDefaults. txFrequency and
// rxFrequency are inputs; txFcModulus and rxFcModulus are kept. A fresh record is set up for
// the receiver (synthFrequency = rxFrequency, txSelected False). With a radio type or range
// outside the radio spec table the interpolated values keep what they held.
void BuildTuneRecord(const SharedRecords& records, TuneRecord& tune, const ModemParameters& parms);

// Copies the adjustable part of `tune` into `parms`; the master deviation comes from
// txDeviationAdj.
void ApplyTuneRecord(ModemParameters& parms, const TuneRecord& tune);

}  // namespace k45
