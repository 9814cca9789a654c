// Packing and unpacking the 640-byte parameter image, per layout.
#include <benchmark/benchmark.h>

#include "model/app_state.h"
#include "params/parameter_image.h"
#include "params/image_app.h"

namespace {

using namespace k45;

struct Setup {
    AppState app;
    Setup() { test::BuildImageCodecState(app); }
};

ModemParameters Record(std::int16_t eepromVersion, std::int16_t model, bool sa7026) {
    ModemParameters r;
    r.eepromVersion = eepromVersion;
    r.model = model;
    r.radioType = 0;
    r.radioRange = 5;
    r.sa7026Synthesizer = ToFlag(sa7026);
    r.calTables.rssiTablePresent = kTrue;
    for (int i = 0; i < 64; ++i) r.calTables.rssiTable[i] = static_cast<std::int16_t>(130 - i);
    for (int k = 0; k < 8; ++k) {
        r.channels[k].txFrequency = 451000000 + k * 1250000;
        r.channels[k].rxFrequency = 452000000 + k * 1250000;
    }
    return r;
}

constexpr std::int16_t kLayouts[3][2] = {{6, 6}, {3, 4}, {2, 4}};

void BM_EncodeParameterImage(benchmark::State& state) {
    static Setup setup;
    const auto* l = kLayouts[state.range(0)];
    ModemParameters r = Record(l[0], l[1], state.range(1) != 0);
    ParameterImage image{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeParameterImage(setup.app, setup.app, image, r, 1768471200).ok());
        benchmark::DoNotOptimize(image.data());
    }
}
BENCHMARK(BM_EncodeParameterImage)->ArgsProduct({{0, 1, 2}, {0, 1}})->ArgNames({"layout", "sa7026"});

void BM_DecodeParameterImage(benchmark::State& state) {
    static Setup setup;
    const auto* l = kLayouts[state.range(0)];
    ModemParameters r = Record(l[0], l[1], state.range(1) != 0);
    ParameterImage image{};
    if (!EncodeParameterImage(setup.app, setup.app, image, r, 1768471200).ok()) state.SkipWithError("no layout");
    ModemParameters out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeParameterImage(setup.app, setup.app, out, image).ok());
        benchmark::DoNotOptimize(&out);
    }
}
BENCHMARK(BM_DecodeParameterImage)->ArgsProduct({{0, 1, 2}, {0, 1}})->ArgNames({"layout", "sa7026"});

}  // namespace

BENCHMARK_MAIN();
