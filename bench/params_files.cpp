// Saving and loading a data file: one read and one atomic write of the file per save, one read
// per load. Target: under 5 ms each.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "model/app_state.h"
#include "params/data_file.h"
#include "params/modem_defaults.h"
#include "params/radio_spec_file.h"
#include "params/startup_defaults.h"
#include "params/test_file.h"

namespace {

struct Setup {
    Setup() {
        folder = (std::filesystem::temp_directory_path() / "k45mr-bench-params-files").string();
        std::filesystem::create_directories(folder);
        state.places.programFolder = folder;
        state.places.tempFolder = folder;
        k45::InitDefaultTables(state);
        record.radioType = 0;
        record.radioRange = 5;
        k45::SetDefaultModemParameters(state, state, record);
        for (size_t i = 0; i < 64; ++i) record.calTables.powerTable[i] = static_cast<std::int16_t>(i * 3);
        dataFile = folder + "/bench.dat";
        testFile = folder + "/bench.tst";
        // The load benchmarks skip themselves when these files are missing.
        ready = k45::SaveDataFile(state, dataFile, record) && k45::SaveTestFile(state, testFile, state.testDefaults);
    }
    ~Setup() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::string folder, dataFile, testFile;
    bool ready = false;
    k45::AppState state;
    k45::ModemParameters record;
};

Setup& Shared() {
    static Setup s;
    return s;
}

void BM_SaveDataFile(benchmark::State& st) {
    Setup& s = Shared();
    for (auto _ : st) {
        std::string error;
        if (!k45::SaveDataFile(s.state, s.dataFile, s.record, &error)) st.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_SaveDataFile)->Unit(benchmark::kMillisecond);

void BM_LoadDataFile(benchmark::State& st) {
    Setup& s = Shared();
    k45::ModemParameters r = s.record;
    for (auto _ : st) {
        if (!s.ready || !k45::LoadDataFile(s.state, s.state, r, s.dataFile)) st.SkipWithError("load failed");
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_LoadDataFile)->Unit(benchmark::kMillisecond);

void BM_SaveTestFile(benchmark::State& st) {
    Setup& s = Shared();
    for (auto _ : st) {
        std::string error;
        if (!k45::SaveTestFile(s.state, s.testFile, s.state.testDefaults, &error)) st.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_SaveTestFile)->Unit(benchmark::kMillisecond);

void BM_LoadTestFile(benchmark::State& st) {
    Setup& s = Shared();
    k45::ProductionTestRecord r = s.state.testDefaults;
    for (auto _ : st) {
        if (!s.ready || !k45::LoadTestFile(s.state, r, s.testFile)) st.SkipWithError("load failed");
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_LoadTestFile)->Unit(benchmark::kMillisecond);

void BM_SaveAndLoadRadioSpecs(benchmark::State& st) {
    Setup& s = Shared();
    for (auto _ : st) {
        std::string error;
        if (!k45::SaveRadioSpecs(s.state, s.state, &error)) st.SkipWithError(error.c_str());
        if (!k45::LoadRadioSpecs(s.state, s.state)) st.SkipWithError("load failed");
    }
}
BENCHMARK(BM_SaveAndLoadRadioSpecs)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
