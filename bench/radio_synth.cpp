// Synthesizer words: encoding and decoding of channel frequencies for both chips. A parameter
// image carries 16 words (8 channels, Tx and Rx); the image codecs run them on every read,
// write and file load.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "model/app_state.h"
#include "radio/radio_defaults.h"
#include "radio/synthesizer.h"

namespace {

struct World {
    k45::AppState app;
    World() {
        k45::InitRadioType5716(app, app.builtInTestDefaults);
        k45::InitRadioType5726(app, app.builtInTestDefaults);
        k45::InitRadioType5796(app, app.builtInTestDefaults);
        app.testDefaults = app.builtInTestDefaults;
    }
};

World& TheWorld() {
    static World w;
    return w;
}

// Frequencies that hit every grid and some that snap.
constexpr std::int32_t kOffsets[] = {0, 5000, 6250, 7500, 10000, 12500, 1000, 2500};

// The i-th frequency of a run: 64 channels 100 kHz apart from the range's Low Tx point, each
// put on or off a grid by its offset.
std::int32_t RunFrequency(const k45::AppState& app, int type, int range, size_t i) {
    const std::int32_t base = app.testDefaults.radioSpecs[static_cast<size_t>(k45::RadioSpecIndex(type, range, 0))].txFrequency;
    return base + 100000 * static_cast<std::int32_t>(i % 64) + kOffsets[i % 8];
}

void BM_CalcSynthWords(benchmark::State& state) {
    const bool sa7026 = state.range(0) != 0;
    const int type = static_cast<int>(state.range(1));
    const int range = 5;
    const k45::AppState& app = TheWorld().app;
    k45::FcAdjustTable fc;
    fc.txFc8 = fc.txFc5 = fc.rxFc8 = fc.rxFc5 = {70, 75, 80};
    k45::SynthBytes out{};
    size_t i = 0;
    for (auto _ : state) {
        const std::int32_t f = RunFrequency(app, type, range, i);
        k45::CalcSynthWords(app, app, out, f, type, range, (i & 1) != 0, sa7026, fc, -1);
        benchmark::DoNotOptimize(out);
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_SynthWordsToFreq(benchmark::State& state) {
    const bool sa7026 = state.range(0) != 0;
    const int type = static_cast<int>(state.range(1));
    const int range = 5;
    const k45::AppState& app = TheWorld().app;
    std::vector<k45::SynthBytes> words(64);
    for (size_t i = 0; i < words.size(); ++i)
        k45::CalcSynthWords(app, app, words[i], RunFrequency(app, type, range, i), type, range, (i & 1) != 0, sa7026,
                            k45::FcAdjustTable{}, 100);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(k45::SynthWordsToFreq(words[i % words.size()], type, range, sa7026));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}

// One parameter image's worth: 16 words encoded and decoded.
void BM_ImageChannelPlan(benchmark::State& state) {
    const k45::AppState& app = TheWorld().app;
    k45::FcAdjustTable fc;
    std::array<k45::SynthBytes, 16> words{};
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (int k = 0; k < 16; ++k) {
            const std::int32_t f = 450000000 + 1000000 * (k / 2) + kOffsets[k % 8];
            k45::CalcSynthWords(app, app, words[static_cast<size_t>(k)], f, 0, 5, (k & 1) != 0, false, fc, -1);
            sum += k45::SynthWordsToFreq(words[static_cast<size_t>(k)], 0, 5, false);
        }
        benchmark::DoNotOptimize(sum);
    }
}

}  // namespace

BENCHMARK(BM_CalcSynthWords)->ArgsProduct({{0, 1}, {0, 1, 2}});
BENCHMARK(BM_SynthWordsToFreq)->ArgsProduct({{0, 1}, {0, 1, 2}});
BENCHMARK(BM_ImageChannelPlan);

BENCHMARK_MAIN();
