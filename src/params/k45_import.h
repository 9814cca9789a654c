#pragma once
// Import of the older model's data file (*.k45, section "VX-5180") into a modem parameter record.
#include <string>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Reads the older model's file into record in place, translating its keys, codes and texts.
// False, with the record untouched, when fileName is empty, names no existing file, cannot be
// read or has no "VX-5180" section.
[[nodiscard]] bool ImportK45File(const FilePlaces& files, const SharedRecords& records, ModemParameters& record, const std::string& fileName);

// The radio type code of a type and bandwidth ("5716", "571612", "571620", ...): a type other
// than 1 or 2 counts as 0, a bandwidth other than 1 or 2 gives the code without suffix.
std::string RadioTypeCode(std::int32_t radioType, std::int32_t channelBandwidth);

}  // namespace k45
