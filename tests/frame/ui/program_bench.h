#pragma once
// The whole program on the bench: the main window with every tool window that exists, its
// primary port on a null-modem cable to a simulated modem.
#include <QApplication>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/ui/tool_windows.h"
#include "main_window_harness.h"
#include "support/simulated_modem.h"

namespace k45::test {

class ProgramWithModem : public MainWindowTest {
protected:
    // The modem holds the program's start-up record with serial number 123456 and comment
    // "Bench unit", then whatever `shape` changes.
    void StartProgramWithModem(bool engineeringBuild, const std::string& commandLine,
                               const std::function<void(ModemParameters&)>& shape = {}) {
        modemCable = std::make_unique<NullModemPair>(scheduler);
        otherCable = std::make_unique<NullModemPair>(scheduler);
        modem = std::make_unique<SimulatedModem>(scheduler);
        MainWindowOptions options;
        options.createToolWindows = CreateToolWindows;
        options.hooks = DefaultSubsystemHooks();
        options.engineeringBuild = engineeringBuild;
        options.commandLine = commandLine;
        options.makeDevice = FixedDevices(modemCable->a(), otherCable->a());
        win = std::make_unique<MDIMain>(ctx, std::move(options));
        win->MDIForm_Load();
        win->show();
        win->MDIForm_Activate();
        QApplication::processEvents();
        ModemParameters unit = ctx.state.mainParameters;
        unit.serialNumber = 123456;
        unit.comment = "Bench unit";
        if (shape) shape(unit);
        ASSERT_TRUE(modem->loadRecord(ctx.state, unit, scheduler.wallClockSeconds()));
        modem->attach(*modemCable);
    }

    // Virtual time passes with the window system's events dispatched, until done or ms.
    bool RunWithEvents(const std::function<bool()>& done, std::int64_t ms = 20000) {
        for (std::int64_t t = 0; t < ms; t += 10) {
            QApplication::processEvents();
            if (done()) return true;
            scheduler.advance(10);
        }
        QApplication::processEvents();
        return done();
    }

    std::unique_ptr<NullModemPair> modemCable, otherCable;
    std::unique_ptr<SimulatedModem> modem;
};

}  // namespace k45::test
