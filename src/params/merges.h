#pragma once
// Write-time merges: copy into the record read from the modem (`target`) the fields a kind of
// write changes, taken from `source`. Each returns the warning lines (each ending in CR LF),
// empty when there is no finding. The four version fields and setupTime are never merged.
#include <string>

#include "model/records.h"

namespace k45 {

std::string MergeUserParameters(ModemParameters& target, const ModemParameters& source, bool productionMode);
std::string MergeCloneParameters(ModemParameters& target, const ModemParameters& source, bool productionMode);
std::string MergeFactoryParameters(ModemParameters& target, const ModemParameters& source, bool productionMode);
std::string MergeAllParameters(ModemParameters& target, const ModemParameters& source, bool productionMode);

// The warning lines alone, compared on the unchanged records.
std::string MergeWarnings(const ModemParameters& target, const ModemParameters& source, bool productionMode);

// Rate code of a clone into a modem of another model.
std::int16_t MapCloneBaudRate(std::int16_t targetModel, std::int16_t sourceModel, std::int16_t sourceBaudRate);

}  // namespace k45
