// The whole receive path of a port object: a received chunk in, through the event handler,
// the raw delivery, the decoders and the table slots, to the windows' callbacks.
#include <benchmark/benchmark.h>

#include "serial/port_fixture.h"
#include "serial/srecord_codec.h"
#include "serial/sync_esc_codec.h"

namespace {

using namespace k45;
using namespace k45::test;

struct CountingForm : CommForm {
    std::size_t lines = 0, records = 0, frames = 0, rawBytes = 0, sum = 0;
    void RxRawData(const std::string& s) override { rawBytes += s.size(); }
    void RxCrLfData(const std::string& s) override {
        ++lines;
        sum += s.size();
    }
    void RxSRecordData(std::int16_t slot) override {
        ++records;
        sum += static_cast<std::size_t>(slot);
    }
    void RxDecodedData(std::uint16_t op, std::int16_t len, std::span<const std::uint8_t>) override {
        ++frames;
        sum += op + static_cast<std::size_t>(len);
    }
};

struct Rig {
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppState app;
    std::unique_ptr<RxMessageTables> tables = std::make_unique<RxMessageTables>();
    ScriptedDevice device{sched};
    std::unique_ptr<classComm> port;
    CountingForm form;
    Rig() {
        app.scheduler = &sched;
        app.dialogs = &dialogs;
        port = std::make_unique<classComm>(app, app.locale, sched, dialogs, *tables);
        port->InitCommCtrl(&device, 0, 1, nullptr);
        CommSettings comm = port->settings();
        comm.portSettings.baudRate = 115200;
        port->setSettings(comm);
    }
};

// A 16 KB chunk of 16-byte data records, each ended by CR LF, as a parameter read returns
// them; windows registered for raw chunks, lines and records.
void BM_ReceiveRecordsAndLines(benchmark::State& state) {
    Rig rig;
    rig.port->RegisterForRawData(&rig.form);
    rig.port->RegisterForRxCrLf(&rig.form);
    rig.port->RegisterForSRecord(&rig.form);
    std::string chunk;
    std::uint8_t data[16];
    for (int a = 0; chunk.size() < 16384; a += 16) {
        for (int i = 0; i < 16; ++i) data[i] = static_cast<std::uint8_t>(a + i * 13);
        chunk += "R1" + *MessSRecord(a & 0xFFFF, data) + "\r\n";
    }
    for (auto _ : state) {
        rig.device.inject(chunk);
        rig.sched.advance(200);  // burst end between chunks
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(chunk.size()));
    benchmark::DoNotOptimize(rig.form.sum);
    if (rig.form.records == 0 || rig.form.lines != rig.form.records) {
        std::fprintf(stderr, "lines %zu records %zu raw %zu\n", rig.form.lines, rig.form.records, rig.form.rawBytes);
        state.SkipWithError("records lost");
    }
}
BENCHMARK(BM_ReceiveRecordsAndLines);

// A 16 KB chunk of sync/escape frames of 64 data bytes for a window registered for frames.
void BM_ReceiveSyncEscFrames(benchmark::State& state) {
    Rig rig;
    rig.port->RegisterForDecodedData(&rig.form);
    std::string chunk;
    std::uint8_t msg[65];
    for (int n = 0; chunk.size() < 16384; ++n) {
        for (int i = 0; i < 65; ++i) msg[i] = static_cast<std::uint8_t>(n + i);
        chunk += *MessSyncEsc(SyncEscSettings{}, msg);
    }
    for (auto _ : state) {
        rig.device.inject(chunk);
        rig.sched.advance(200);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(chunk.size()));
    benchmark::DoNotOptimize(rig.form.sum);
    if (rig.form.frames == 0) state.SkipWithError("frames lost");
}
BENCHMARK(BM_ReceiveSyncEscFrames);

}  // namespace

BENCHMARK_MAIN();
