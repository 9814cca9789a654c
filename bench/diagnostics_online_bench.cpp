// The online diagnostics receive path: the framer and decoder on raw packets, and the whole
// path (port object, framer, history, grid) while the simulator streams at 115200 baud.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "diagnostics/diag_simulator.h"
#include "diagnostics/online_diag.h"
#include "wiring/app_context.h"
#include "model/app_state.h"
#include "serial/class_comm.h"
#include "support/null_modem.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_scheduler.h"

namespace {

using namespace k45;
using namespace k45::test;

std::string PacketStream(int packets) {
    std::string s;
    for (int i = 0; i < packets; ++i) {
        const auto p = BuildOnlinePacket(i % 3000, static_cast<std::int16_t>(60 + i % 60), 25, 120, 30, 5);
        for (auto b : p) s += static_cast<char>(b);
    }
    return s;
}

// Framer, decoder against the default limits and the history, fed in 4 KB chunks.
void BM_OnlineFramerAndDecoder(benchmark::State& state) {
    const std::string stream = PacketStream(8192);
    const DiagLimits alarm = DefaultAlarmLimits(), filter = DefaultFilterLimits();
    OnlineFramer framer;
    OnlineHistory history;
    std::size_t accepted = 0;
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += 4096) {
            framer.Feed(std::string_view(stream).substr(at, 4096), [&](const std::uint8_t* p) {
                if (const auto r = DecodeOnlinePacket(p, alarm, filter, 0)) {
                    history.Add(*r);
                    ++accepted;
                }
            });
        }
    }
    benchmark::DoNotOptimize(accepted);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_OnlineFramerAndDecoder);

struct NullSimView : DiagSimulatorView {
    bool IsActiveChild() const override { return true; }
    bool PauseTicked() const override { return false; }
    void ShowPacketsSent(double) override {}
    void TestStopped() override {}
};
struct NullOnlineView : OnlineDiagView {
    bool IsActiveChild() const override { return true; }
    void SetProgress(int) override {}
    void ShowTestCount(const std::string&) override {}
    void ShowFilterEntries(const std::vector<std::string>&, int) override {}
    void GridChanged() override {}
};

// 60 s of virtual time: the simulator streams on the secondary port as fast as 115200 baud lets
// it, the online dialogue takes everything in on the primary port (scroll mode, all IDs). The
// counter core_share is the wall time of the receive path per second of stream.
void BM_OnlineReceivePathAt115200(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        VirtualScheduler sched;
        ScriptedDialogs dialogs;
        AppState app;
        app.scheduler = &sched;
        app.dialogs = &dialogs;
        DiagSettings settings;
        settings.alarmLimits = DefaultAlarmLimits();
        settings.filterLimits = DefaultFilterLimits();
        auto tables = std::make_unique<RxMessageTables>();
        NullModemPair cable{sched};
        auto timerA = sched.createTimer();
        auto timerB = sched.createTimer();
        classComm primary(app, app.locale, sched, dialogs, *tables), secondary(app, app.locale, sched, dialogs, *tables);
        primary.InitCommCtrl(&cable.a(), 0, 1, timerA.get());
        CommSettings comm = primary.settings();
        comm.portSettings.baudRate = 115200;
        primary.setSettings(comm);
        primary.ForceCommPortOpen(7, {.baudRate = 115200});
        secondary.InitCommCtrl(&cable.b(), 1, 2, timerB.get());
        comm = secondary.settings();
        comm.portSettings.baudRate = 115200;
        secondary.setSettings(comm);
        NullSimView simView;
        const PortSlots ports{&primary, &secondary};
        MainFrame* noMainFrame = nullptr;  // the engines run without windows
        const DialogueLinks links{app, app, app, app, ports, noMainFrame};
        DiagSimulator sim(links, sched, simView);
        sim.SelectPort(true);
        sim.Activate();
        NullOnlineView view;
        OnlineDiagDialogue online(links, settings, view);
        online.Load();
        online.Activate();
        online.UpdateParms(false);  // no reader: the port's own rate
        online.Activate();
        SimSettings s;
        s.online = true;
        s.startId = 1;
        s.endId = 3000;
        s.starts = {60, 25, 120, 30, 5};
        s.ends = {120, 25, 120, 30, 5};
        sim.Start(s);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        sched.advance(60000);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.counters["core_share"] = wall / 60.0;
        state.counters["packets"] = static_cast<double>(sim.state().packetsSent);
        state.counters["grid_rows"] = online.grid().rowsUsed();
        state.counters["history"] = online.history().count();
        state.PauseTiming();
        sim.Stop();
        online.Unload();
        sim.DeRegisterAll();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OnlineReceivePathAt115200)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
