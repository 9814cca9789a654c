// Terminals under load: two ports streaming at 115200 baud into an ASCII and a hex terminal for
// 60 s of virtual time (the receive and display path's share of one core, and the boxes'
// size), and the hex rendering of a received chunk (bytes per second).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <string>

#include "wiring/app_context.h"
#include "model/app_state.h"
#include "platform/qt/qt_text.h"
#include "serial/class_comm.h"
#include "support/null_modem.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_scheduler.h"
#include "tools/terminal_core.h"
#include "tools/terminal_render.h"
#include "ui/terminal_text.h"

namespace k45 {
namespace {

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 g(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(g() & 0xFF);
    return s;
}

void BM_HexRenderingOfAChunk(benchmark::State& state) {
    const std::string chunk = RandomBytes(static_cast<std::size_t>(state.range(0)), 7);
    for (auto _ : state) {
        RxText text = RenderRawData(false, chunk);
        benchmark::DoNotOptimize(text.text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_HexRenderingOfAChunk)->Arg(64)->Arg(1024)->Arg(16384);

// A terminal window's boxes as the window fills them.
struct BoxView : TerminalView {
    QPlainTextEdit rx, tx;
    BoxView() {
        rx.resize(600, 300);
        rx.setReadOnly(true);
        rx.setUndoRedoEnabled(false);
        rx.show();
    }
    void AppendRx(const RxText& text) override {
        const QString shown = Cp1252Text(text.text);
        if (text.kind == RxAppendKind::hex) {
            // As the terminal window does: the dump in rows of 16 byte pairs.
            const int column = static_cast<int>(rx.document()->lastBlock().length()) - 1;
            AppendHexText(rx, Cp1252Text(HexDumpRows(text.text, column)), true);
        }
        else AppendText(rx, shown, text.kind == RxAppendKind::normalizedText, true);
    }
    void AppendTx(const std::string&, bool) override {}
    std::string TxEntryText() const override { return {}; }
    void SetTxEntryText(const std::string&) override {}
    std::uint32_t DmpStation() const override { return 0; }
    int DmpDevice() const override { return 0; }
    int DmpFunction() const override { return 's'; }
    void ShowDmpColumn(bool) override {}
    void SetDmpTestChecked(bool) override {}
    void SetSRecordTestChecked(bool) override {}
    void SetDdeChecked(bool) override {}
};

void BM_TwoPortsStreamingSixtySeconds(benchmark::State& state) {
    double realSeconds = 0, virtualSeconds = 0;
    qsizetype largestBox = 0;
    for (auto _ : state) {
        state.PauseTiming();
        test::VirtualScheduler sched;
        test::ScriptedDialogs dialogs;
        AppState app;
        app.scheduler = &sched;
        app.dialogs = &dialogs;
        auto tables = std::make_unique<RxMessageTables>();
        test::NullModemPair cableP(sched), cableS(sched);
        auto tP = sched.createTimer(), tS = sched.createTimer();
        classComm primary(app, app.locale, sched, dialogs, *tables), secondary(app, app.locale, sched, dialogs, *tables);
        for (classComm* port : {&primary, &secondary}) {
            CommSettings comm = port->settings();
            comm.portSettings.baudRate = 115200;
            port->setSettings(comm);
        }
        primary.InitCommCtrl(&cableP.a(), 0, 1, tP.get());
        secondary.InitCommCtrl(&cableS.a(), 1, 2, tS.get());
        const PortSlots ports{&primary, &secondary};
        MainFrame* noMainFrame = nullptr;  // the engines run without windows
        const DialogueLinks links{app, app, app, app, ports, noMainFrame};
        TerminalCounters counters;
        BoxView asciiView, hexView;
        TerminalCore ascii(links, terminalTextPrimary, counters);
        TerminalCore hex(links, terminalHexSecondary, counters);
        ascii.Load(asciiView);
        hex.Load(hexView);
        // The far ends stream text lines and binary data, keeping the lines full.
        const PortSettings fast{.baudRate = 115200, .parity = 'n', .dataBits = 8, .stopBits = 1};
        cableP.b().setSettings(fast, nullptr);
        cableS.b().setSettings(fast, nullptr);
        std::string line;
        for (int i = 0; i < 20; ++i) line += "The quick brown fox 0123456789 ";
        line += "\r\n";
        std::string text;
        while (text.size() < 1152) text += line;
        text.resize(1152);  // 100 ms of the line at 115200 baud
        const std::string binary = RandomBytes(1152, 3);
        auto feed = std::make_shared<std::function<void()>>();
        std::int64_t endMs = 60000;
        *feed = [&, feed] {
            if (sched.nowMs() >= endMs) return;
            cableP.b().send(text);
            cableS.b().send(binary);
            sched.callAt(sched.nowMs() + 100, *feed);
        };
        cableP.b().attachPeer([](const std::string&) {});
        cableS.b().attachPeer([](const std::string&) {});
        (*feed)();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        sched.advance(60000);
        QApplication::processEvents();
        realSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        virtualSeconds += 60;
        state.PauseTiming();
        largestBox = std::max<qsizetype>(largestBox, asciiView.rx.document()->characterCount());
        largestBox = std::max<qsizetype>(largestBox, hexView.rx.document()->characterCount());
        ascii.Unload();
        hex.Unload();
        state.ResumeTiming();
    }
    // Share of one core the receive and display path takes while streaming (target < 5 %).
    state.counters["core_share_percent"] = virtualSeconds > 0 ? 100.0 * realSeconds / virtualSeconds : 0;
    state.counters["largest_box_chars"] = static_cast<double>(largestBox);
}
BENCHMARK(BM_TwoPortsStreamingSixtySeconds)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace k45

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
