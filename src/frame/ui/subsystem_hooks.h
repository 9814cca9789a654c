#pragma once
// The calls start-up, shutdown and the File and Production Test menus make into the
// parameter and radio layers. Each is a function slot: DefaultSubsystemHooks() fills the ones
// whose layer exists; an empty slot is skipped (and its menu command disabled). Tests put in
// their own to see a failure path.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

struct SubsystemHooks {
    std::function<void(const ModeFlags&, const FilePlaces&, SharedRecords&, const Services&)> initDefaultTables;
    std::function<void(const SharedRecords&, ProductionTestRecord&)> copyDefaultTestRecord;
    std::function<void(const SharedRecords&, const Services&, ModemParameters&)> setDefaultModemParameters;
    // False (record untouched) for an empty name or a missing file.
    std::function<bool(const FilePlaces&, const SharedRecords&, ModemParameters&, const std::string&)> loadDataFile;
    std::function<bool(const FilePlaces&, const SharedRecords&, ModemParameters&, const std::string&)> importK45File;
    std::function<bool(const FilePlaces&, ProductionTestRecord&, const std::string&)> loadTestFile;
    // False with the reason when the file could not be written (it keeps its old content).
    std::function<bool(const FilePlaces&, const std::string&, const ModemParameters&, std::string*)> saveDataFile;
    std::function<bool(const FilePlaces&, const std::string&, const ProductionTestRecord&, std::string*)> saveTestFile;
    std::function<void(std::array<std::int16_t, 256>&)> buildRssiCurve5716;
    std::function<void(std::array<std::int16_t, 256>&)> buildRssiCurve5726;
    std::function<void(std::array<std::int16_t, 256>&)> buildRssiCurve5796;
};

SubsystemHooks DefaultSubsystemHooks();

}  // namespace k45
