#pragma once
// The bench of the diagnostics tests: the program's state, the primary port object on end A of
// the null-modem cable and the secondary port object on end B, with the diagnostics simulator
// answering on the secondary port, all in virtual time.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "diagnostics/diag_settings.h"
#include "diagnostics/diag_simulator.h"
#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "model/app_state.h"
#include "params/modem_defaults.h"
#include "params/startup_defaults.h"
#include "programming/parms_get_current.h"
#include "radio/radio_defaults.h"
#include "serial/class_comm.h"
#include "support/fake_window_services.h"
#include "support/null_modem.h"
#include "support/port_pair.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/virtual_scheduler.h"

namespace k45::test {

// The ID list as given, with its short-ID lists.
inline void SetFilterIds(DiagSettings& settings, std::initializer_list<std::uint32_t> ids) {
    int i = 0;
    for (std::uint32_t id : ids) settings.filterIds[static_cast<std::size_t>(i++)] = id;
    settings.filterIdCount = static_cast<std::int16_t>(i);
    RebuildIdLists(settings);
}

// The real current-parameter reader with no window: it closes itself when done.
struct ReaderView : ParmsGetCurrentView {
    ParmsGetCurrentDialogue* reader = nullptr;
    bool IsActiveChild() const override { return true; }
    void CloseWindow() override { reader->Unload(); }
    void SetPercent(int) override {}
};

// A dialogue's request as the main window answers it: a busy reader is unloaded, the dialogue
// registered and the reader loaded again.
inline void RequestFromReader(ParmsGetCurrentDialogue& reader, ParmsClient* client) {
    if (reader.loaded()) reader.Unload();
    reader.RegisterForParms(client);
    reader.Load();
    reader.Activate();
}

struct SimView : DiagSimulatorView {
    bool active = true;
    bool pause = false;
    double shown = -1;
    int stops = 0;
    bool IsActiveChild() const override { return active; }
    bool PauseTicked() const override { return pause; }
    void ShowPacketsSent(double count) override { shown = count; }
    void TestStopped() override { ++stops; }
};

// Scripted dialogs whose boxes let other things happen while they are up, as a box's own loop
// does: whileShown runs with the box's text before the box is answered.
struct DiagDialogs : ScriptedDialogs {
    std::function<void(const std::string& text)> whileShown;
    MsgAnswer messageBox(const std::string& text, const std::string& title, MsgButtons buttons, MsgIcon icon) override {
        if (whileShown) whileShown(text);
        return ScriptedDialogs::messageBox(text, title, buttons, icon);
    }
};

// The lines of a text (each ended by CR LF, CR or LF), without their ends and without empty ones.
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> r;
    std::string cur;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!cur.empty()) r.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) r.push_back(cur);
    return r;
}

class DiagBench : public ::testing::Test {
protected:
    DiagBench() {
        AppState& st = ctx.state;
        st.scheduler = &sched;
        st.dialogs = &dialogs;
        st.places.programFolder = home.path();
        InitDefaultTables(st);
        st.mainParameters.radioType = st.testDefaults.radioType;
        st.mainParameters.radioRange = st.testDefaults.radioRange;
        SetDefaultModemParameters(st, st, st.mainParameters);
        ctx.mainFrame = &mainFrame;

        primary->ForceCommPortOpen(7, {.baudRate = 9600});
        pair.fill(ctx.ports);
        sim.SelectPort(true);
    }
    ~DiagBench() override {
        sim.DeRegisterAll();
        dialogs.verify();
    }

    SimSettings Settings(bool online) const {
        SimSettings s;
        s.online = online;
        return s;
    }
    // What the simulator (end B) sent, and what the host (end A) sent.
    std::string fromSim() const { return cable.wireBytes(Direction::BtoA); }
    std::string fromHost() const { return cable.wireBytes(Direction::AtoB); }
    std::vector<std::string> simLines() const { return SplitLines(fromSim()); }

    TempHome home;
    VirtualScheduler sched;
    DiagDialogs dialogs;
    AppContext ctx;
    FakeMainFrame mainFrame;
    NullModemPair cable{sched};
    PortPair pair{ctx.state, sched, dialogs, cable.a(), cable.b()};
    std::unique_ptr<classComm>& primary = pair.primary;
    std::unique_ptr<classComm>& secondary = pair.secondary;
    SimView simView;
    DiagSimulator sim{DialogueLinks::Of(ctx), sched, simView};
};

}  // namespace k45::test
