// A parameter read and a write against the simulated modem over the null-modem pair at 9600
// baud, in virtual time. Reports the transfer's virtual time against its floor: every byte's
// time on the wire both ways plus the waits the dialogue must make (the modem's delay before
// each answer, the dialogue's delay before a line where it waits one).
// "beyond_floor_pct" is the time the program adds: it must stay within 2 % for a read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "programming/rdwr_bench.h"

namespace {

using namespace k45;
using namespace k45::test;

struct Rig : ReadWriteBench {
    void TestBody() override {}
    void EditComment(const std::string& text) { ctx.state.mainParameters.comment = text; }
    struct Result {
        double virtualMs = 0, floorMs = 0;
    };
    // Runs one dialogue of `mode` to its end.
    Result Run(ParmsMode mode, const char* doneBox) {
        dialogs.expectBox(doneBox);
        const std::int64_t start = sched.nowMs();
        Open(mode, false);
        dlg.OK();
        sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 120000);
        Result r;
        r.virtualMs = static_cast<double>(sched.nowMs() - start);
        // The program's own time: from the last byte of a modem reply off the wire to the
        // host's next line (less the dialogue's delay where it waits one), and from the last
        // reply to the end. The floor is the rest: wire time both ways, the modem's delay
        // before each answer and the dialogue's delays.
        const auto& modemChunks = cable.wireLog(Direction::BtoA);
        auto lastReplyEndMs = [&](std::int64_t beforeMs) {
            double end = -1;
            for (const WireChunk& c : modemChunks)
                if (c.endUs >= 0 && c.endUs <= beforeMs * 1000) end = std::max(end, c.endUs / 1000.0);
            return end;
        };
        double programMs = 0;
        const auto writes = hostWrites();
        for (std::size_t i = 1; i < writes.size(); ++i) {
            const double replyEnd = lastReplyEndMs(writes[i].atMs);
            if (replyEnd < 0) continue;
            double gap = static_cast<double>(writes[i].atMs) - replyEnd;
            if (gap >= ParmsRdWrDialogue::kDelayMs) gap -= ParmsRdWrDialogue::kDelayMs;
            programMs += gap;
        }
        programMs += static_cast<double>(sched.nowMs()) - lastReplyEndMs(sched.nowMs());
        r.floorMs = r.virtualMs - programMs;
        if (std::getenv("K45_TRANSFER_TRACE")) {
            for (Direction d : {Direction::AtoB, Direction::BtoA})
                for (const WireChunk& c : cable.wireLog(d))
                    std::printf("%s written %lld ms, wire %.3f..%.3f ms, %zu bytes\n", d == Direction::AtoB ? "host " : "modem",
                                static_cast<long long>(c.writtenAtMs), c.startUs / 1000.0, c.endUs / 1000.0, c.bytes.size());
            std::printf("end %lld ms\n", static_cast<long long>(sched.nowMs()));
        }
        return r;
    }
};

void Report(benchmark::State& state, double virtualMs, double floorMs, int n) {
    state.counters["virtual_ms"] = virtualMs / n;
    state.counters["floor_ms"] = floorMs / n;
    state.counters["beyond_floor_pct"] = floorMs > 0 ? 100.0 * (virtualMs - floorMs) / floorMs : 0;
}

void BM_ReadProgrammableParameters(benchmark::State& state) {
    double v = 0, f = 0;
    int n = 0;
    for (auto _ : state) {
        Rig rig;
        const Rig::Result r = rig.Run(ParmsMode::ReadProgrammable, "Reading Parameters Complete.");
        v += r.virtualMs;
        f += r.floorMs;
        ++n;
    }
    Report(state, v, f, n);
}
BENCHMARK(BM_ReadProgrammableParameters)->Unit(benchmark::kMillisecond);

void BM_WriteProgrammableParameters(benchmark::State& state) {
    double v = 0, f = 0;
    int n = 0;
    for (auto _ : state) {
        Rig rig;
        rig.EditComment("Written by the bench");
        const Rig::Result r = rig.Run(ParmsMode::WriteProgrammable, "Programming Complete!");
        v += r.virtualMs;
        f += r.floorMs;
        ++n;
    }
    Report(state, v, f, n);
}
BENCHMARK(BM_WriteProgrammableParameters)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
