#pragma once
// The built-in defaults made at start-up: the restricted-band list, the built-in production
// test record, the defaults record in force (with radspecs.cfg laid over it), and the names of
// the production tune files.
#include <array>
#include <cstdint>
#include <string>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// Local wall-clock time as seconds since 1970-01-01 00:00:00 of the local clock (the form of
// ModemParameters::setupTime). Taken from services.scheduler when set, else from the system clock.
std::int64_t LocalNowSeconds(const Services& services);

// The scalar defaults, default DAC values (without their FC adjusts), calibration points and
// temperature-compensation points of the built-in test record. tableId is the date stamp of the
// temperature-compensation points. The radio spec table, delta grid and compressed table are
// left as they are (the radio model fills them).
void SetBuiltInTestValues(ProductionTestRecord& record, std::int32_t tableId);

// The FC adjust columns at Low, Mid and High from the radio spec entries of a radio type and
// range. A type or range without entries leaves fc as it was.
void FcAdjustFromRadioSpecs(const std::array<RadioSpec, kRadioSpecCount>& specs, std::int32_t radioType,
                            std::int32_t radioRange, FcAdjustTable& fc);

// Builds restrictedBands, builtInTestDefaults (with the radio model's tables and per-type
// initialisers, which also set radioTypeEnabled and rangeEnabled) and testDefaults, over which
// radspecs.cfg of the program folder is laid. The date stamp comes from services.scheduler.
void InitDefaultTables(const ModeFlags& modes, const FilePlaces& files, SharedRecords& records,
                       const Services& services);
// For a caller holding the whole state.
inline void InitDefaultTables(AppState& state) { InitDefaultTables(state, state, state, state); }

// record := records.testDefaults.
void CopyDefaultTestRecord(const SharedRecords& records, ProductionTestRecord& record);

// folder & prefix & range & bandwidth digit & subBand & ".dat"; nothing is added between the
// parts, so folder must end with a separator (an empty folder gives a bare name).
std::string MakeTuneDataFileName(const std::string& folder, std::int32_t radioType, std::int32_t radioRange,
                                 std::int32_t channelBandwidth, std::int16_t subBand);
// The same with the bandwidth digit "x" and ".tst".
std::string MakeTuneTestFileName(const std::string& folder, std::int32_t radioType, std::int32_t radioRange,
                                 std::int32_t channelBandwidth, std::int16_t subBand);

}  // namespace k45
