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
    h.initDefaultTables = [](const ModeFlags& m, const FilePlaces& f, SharedRecords& r, const Services& s) {
        InitDefaultTables(m, f, r, s);
    };
    h.copyDefaultTestRecord = CopyDefaultTestRecord;
    h.setDefaultModemParameters = SetDefaultModemParameters;
    h.loadDataFile = LoadDataFile;
    h.importK45File = ImportK45File;
    h.loadTestFile = LoadTestFile;
    h.saveDataFile = SaveDataFile;
    h.saveTestFile = SaveTestFile;
    h.buildRssiCurve5716 = BuildRssiCurve5716;
    h.buildRssiCurve5726 = BuildRssiCurve5726;
    h.buildRssiCurve5796 = BuildRssiCurve5796;
    return h;
}

}  // namespace k45
