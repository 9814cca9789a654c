#include "frame/ui/subsystem_hooks.h"

#include "params/data_file.h"
#include "params/k45_import.h"
#include "params/modem_defaults.h"
#include "params/startup_defaults.h"
#include "params/test_file.h"
#include "radio/radio_defaults.h"

namespace k45 {

SubsystemHooks DefaultSubsystemHooks() {
    SubsystemHooks h;
    h.initDefaultTables = InitDefaultTables;
    h.copyDefaultTestRecord = CopyDefaultTestRecord;
    h.setDefaultModemParameters = [](const AppState& s, ModemParameters& r) { SetDefaultModemParameters(s, s, r); };
    h.loadDataFile = [](const AppState& s, ModemParameters& r, const std::string& f) { return LoadDataFile(s, s, r, f); };
    h.importK45File = [](const AppState& s, ModemParameters& r, const std::string& f) { return ImportK45File(s, s, r, f); };
    h.loadTestFile = LoadTestFile;
    h.saveDataFile = [](const AppState& s, const std::string& f, const ModemParameters& r, std::string* e) {
        return SaveDataFile(s, f, r, e);
    };
    h.saveTestFile = [](const AppState& s, const std::string& f, const ProductionTestRecord& r, std::string* e) {
        return SaveTestFile(s, f, r, e);
    };
    h.buildRssiCurve5716 = BuildRssiCurve5716;
    h.buildRssiCurve5726 = BuildRssiCurve5726;
    h.buildRssiCurve5796 = BuildRssiCurve5796;
    return h;
}

}  // namespace k45
