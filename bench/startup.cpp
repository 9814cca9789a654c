// Start-up to the main window shown, on the offscreen platform: tool windows created, the
// start-up sequence (settings, built-in defaults, data and test files, port objects, RSSI
// curves, tool bar), the window shown and exposed, and its first activation with the splash
// box answered at once (its 3 s are the operator's, not start-up work).
#include <QApplication>
#include <QWindow>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

#include "wiring/app_context.h"
#include "frame/ui/mdi_main.h"
#include "frame/ui/subsystem_hooks.h"
#include "frame/ui/tool_windows.h"
#include "platform/locale_info.h"
#include "platform/places.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_help_viewer.h"
#include "platform/qt/qt_scheduler.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"

namespace {

using namespace k45;

void WriteProgramFolder(const test::TempHome& home) {
    AppState s;
    s.places = DiscoverPlaces("/nonexistent/k45mr");
    SubsystemHooks h = DefaultSubsystemHooks();
    ModemParameters p;
    p.comment = "bench unit";
    h.saveDataFile(s, home.file("unit.dat"), p, nullptr);
    ProductionTestRecord t;
    h.saveTestFile(s, home.file("line.tst"), t, nullptr);
    home.write("K45MR.ini",
               "[Main Window]\r\nMaximized=False\r\nLeft=1500\r\nTop=1500\r\nWidth=12000\r\nHeight=8000\r\n"
               "Tool Bar Enable=True\r\n"
               "[Port Settings Window]\r\nLeft=300\r\nTop=300\r\n"
               "[Primary Port Settings]\r\nComm Port=1\r\nBaud Rate=9600\r\n"
               "[Secondary Port Settings]\r\nComm Port=2\r\nBaud Rate=19200\r\n"
               "[Filenames]\r\nData=" + home.file("unit.dat") + "\r\nTest=" + home.file("line.tst") + "\r\n");
}

void BM_StartupToMainWindowShown(benchmark::State& state) {
    test::TempHome home;
    WriteProgramFolder(home);
    QtScheduler scheduler;
    QtClipboard clipboard;
    QtHelpViewer help;
    for (auto _ : state) {
        test::ScriptedDialogs dialogs;
        dialogs.answerAllBoxes(MsgAnswer::OK);
        dialogs.onModal("formSplash", [] { return 0; });
        auto ctx = std::make_unique<AppContext>();
        ctx->state.places = DiscoverPlaces("/nonexistent/k45mr");
        ctx->state.scheduler = &scheduler;
        ctx->state.dialogs = &dialogs;
        ctx->state.clipboard = &clipboard;
        ctx->state.helpViewer = &help;
        ctx->state.locale = ReadUserLocale();

        MainWindowOptions options;
        options.hooks = DefaultSubsystemHooks();
        options.createToolWindows = CreateToolWindows;
        // Port objects without devices: nothing is opened on the bench machine.
        options.makeDevice = [](int) { return std::shared_ptr<SerialDevice>(); };
        auto window = std::make_unique<MDIMain>(*ctx, std::move(options));
        window->MDIForm_Load();
        window->show();
        for (int i = 0; i < 100 && !(window->windowHandle() && window->windowHandle()->isExposed()); ++i)
            QApplication::processEvents();
        QApplication::processEvents();
        if (!window->firstActivationDone()) state.SkipWithError("first activation did not run");

        state.PauseTiming();
        window.reset();
        ctx.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToMainWindowShown)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
