// Saving and loading a 300-key settings/data file as one batch: one read, one atomic write.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/ini_routines.h"
#include "platform/profile.h"

namespace {

const k45::LocaleInfo kLocale{".", "-"};
constexpr int kSections = 10;
constexpr int kKeysPerSection = 30;

std::string TempFile() {
    std::string folder = (std::filesystem::temp_directory_path() / "k45-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) std::abort();
    return folder + "/bench.ini";
}

bool SaveAll(const std::string& file, int round) {
    k45::ProfileBatch batch(file);
    for (int s = 0; s < kSections; ++s) {
        const std::string section = "Section " + std::to_string(s);
        // Inside the batch: its commit reports a file that could not be written.
        (void)k45::WriteIniSection(file, section);
        for (int k = 0; k < kKeysPerSection; ++k) {
            const std::string key = "Key " + std::to_string(k);
            switch (k % 4) {
            case 0: (void)k45::WriteIniValue(kLocale, file, section, key, std::int32_t{round * 1000 + k}); break;
            case 1: (void)k45::WriteIniValue(kLocale, file, section, key, 450.0125 + k); break;
            case 2: (void)k45::WriteIniValue(kLocale, file, section, key, (k & 8) != 0); break;
            default: (void)k45::WriteIniValue(kLocale, file, section, key, std::string("0A,FF,12,34,56,78,9A,BC")); break;
            }
        }
    }
    return batch.commit();
}

void BM_SaveIniBatch300Keys(benchmark::State& state) {
    const std::string file = TempFile();
    int round = 0;
    for (auto _ : state) {
        if (!SaveAll(file, ++round)) state.SkipWithError("save failed");
    }
    std::filesystem::remove_all(std::filesystem::path(file).parent_path());
}
BENCHMARK(BM_SaveIniBatch300Keys)->Unit(benchmark::kMillisecond);

void BM_LoadIniBatch300Keys(benchmark::State& state) {
    const std::string file = TempFile();
    if (!SaveAll(file, 1)) state.SkipWithError("save failed");
    for (auto _ : state) {
        k45::ProfileBatch batch(file);  // one read; every key below comes from memory
        double sum = 0;
        for (int s = 0; s < kSections; ++s) {
            const std::string section = "Section " + std::to_string(s);
            for (int k = 0; k < kKeysPerSection; ++k) {
                double v = 0;
                k45::ReadIniInto(kLocale, file, section, "Key " + std::to_string(k), v);
                sum += v;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    std::filesystem::remove_all(std::filesystem::path(file).parent_path());
}
BENCHMARK(BM_LoadIniBatch300Keys)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
