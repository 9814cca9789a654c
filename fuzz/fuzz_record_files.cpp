// The file loaders: data (*.dat, FUZZ_DATA), test (*.tst, FUZZ_TEST), radio spec
// (radspecs.cfg, FUZZ_RADIO_SPEC) and the older model's file (*.k45, FUZZ_K45) from arbitrary
// bytes. Must hold: a loaded record's indexes are in range, and what was loaded, saved and
// loaded again is the same record.
#include "fuzz_support.h"
#include "params/data_file.h"
#include "params/k45_import.h"
#include "params/modem_defaults.h"
#include "params/radio_spec_file.h"
#include "params/test_file.h"

using namespace k45;

namespace {

void CheckIndexes(std::int32_t radioType, std::int32_t radioRange) {
    FUZZ_CHECK(RadioSpecIndexValid(radioType, radioRange, pointLow));
}

ModemParameters FreshRecord(const AppState& state) {
    ModemParameters r;
    SetDefaultModemParameters(state, state, r);
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static fuzz::Program program;
    const AppState& state = program.state;
    const std::string input(reinterpret_cast<const char*>(bytes), size);
#if defined(FUZZ_DATA) || defined(FUZZ_K45)
#ifdef FUZZ_DATA
    const std::string file = fuzz::WriteWorkFile("in.dat", input);
    ModemParameters loaded = FreshRecord(state);
    if (!LoadDataFile(state, state, loaded, file)) return 0;
#else
    const std::string file = fuzz::WriteWorkFile("in.k45", input);
    ModemParameters loaded = FreshRecord(state);
    if (!ImportK45File(state, state, loaded, file)) return 0;
#endif
    CheckIndexes(loaded.radioType, loaded.radioRange);
    FUZZ_CHECK(loaded.baudRate >= 0 && loaded.baudRate <= 3);
    const std::string saved = fuzz::WorkFolder() + "/saved.dat";
    FUZZ_CHECK(SaveDataFile(state, saved, loaded));
    ModemParameters again = FreshRecord(state);
    FUZZ_CHECK(LoadDataFile(state, state, again, saved));
    FUZZ_CHECK(again == loaded);
#elif defined(FUZZ_TEST)
    const std::string file = fuzz::WriteWorkFile("in.tst", input);
    ProductionTestRecord loaded;
    CopyDefaultTestRecord(state, loaded);
    if (!LoadTestFile(state, loaded, file)) return 0;
    CheckIndexes(loaded.radioType, loaded.radioRange);
    const std::string saved = fuzz::WorkFolder() + "/saved.tst";
    FUZZ_CHECK(SaveTestFile(state, saved, loaded));
    ProductionTestRecord again;
    CopyDefaultTestRecord(state, again);
    FUZZ_CHECK(LoadTestFile(state, again, saved));
    FUZZ_CHECK(again == loaded);
#elif defined(FUZZ_RADIO_SPEC)
    const std::string file = fuzz::WriteWorkFile("radspecs.cfg", input);
    RadioSpecTable loaded = state.testDefaults.radioSpecs;
    if (!LoadRadioSpecFile(state.locale, file, loaded)) return 0;
    const std::string saved = fuzz::WorkFolder() + "/saved.cfg";
    FUZZ_CHECK(SaveRadioSpecFile(state.locale, saved, loaded));
    RadioSpecTable again = state.testDefaults.radioSpecs;
    FUZZ_CHECK(LoadRadioSpecFile(state.locale, saved, again));
    FUZZ_CHECK(again == loaded);
#else
#error "define the file kind"
#endif
    return 0;
}
