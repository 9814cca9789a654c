#pragma once
// The default channel plan of a radio type and range.
#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Fills the 8 channels of the record from the radio spec tables of records.testDefaults and
// records.builtInTestDefaults at the record's type and range and sets every powerAdjust to 255. A
// type outside 0..2 first becomes type 0, range 5. With a range outside 0..9 the frequencies
// are left as they are. The plan is not validated here.
void SetDefaultChannels(const SharedRecords& records, ModemParameters& record);

}  // namespace k45
