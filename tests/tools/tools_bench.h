#pragma once
// The bench of the tool tests: two port objects of one program at the two ends of a
// null-modem cable (the primary on end A, the secondary on end B), in virtual time, and
// recording views for the tool windows.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "wiring/app_context.h"
#include "wiring/dialogue_links.h"
#include "model/app_state.h"
#include "serial/class_comm.h"
#include "support/null_modem.h"
#include "support/port_pair.h"
#include "support/scripted_dialogs.h"
#include "support/temp_home.h"
#include "support/virtual_scheduler.h"
#include "tools/terminal_core.h"

namespace k45::test {

// A terminal window that records what it is told.
struct RecordingTerminalView : TerminalView {
    std::string rx, tx, entry;
    std::vector<RxText> appends;
    std::uint32_t station = 0;
    int device = 0;
    int function = 's';
    bool dmpColumn = false;
    bool dmpChecked = false, sRecordChecked = false, ddeChecked = false;
    void AppendRx(const RxText& text) override {
        appends.push_back(text);
        rx += text.text;
    }
    void AppendTx(const std::string& text, bool) override { tx += text; }
    std::string TxEntryText() const override { return entry; }
    void SetTxEntryText(const std::string& text) override { entry = text; }
    std::uint32_t DmpStation() const override { return station; }
    int DmpDevice() const override { return device; }
    int DmpFunction() const override { return function; }
    void ShowDmpColumn(bool shown) override { dmpColumn = shown; }
    void SetDmpTestChecked(bool on) override { dmpChecked = on; }
    void SetSRecordTestChecked(bool on) override { sRecordChecked = on; }
    void SetDdeChecked(bool on) override { ddeChecked = on; }
};

class ToolsBench : public ::testing::Test {
protected:
    ToolsBench() {
        state.scheduler = &sched;
        state.dialogs = &dialogs;
        state.places.programFolder = home.path();
        pair.fill(ports);
    }
    ~ToolsBench() override { dialogs.verify(); }

    // What went onto the wire from the primary port (A to B) and the secondary port.
    std::string fromPrimary() const { return cable.wireBytes(Direction::AtoB); }
    std::string fromSecondary() const { return cable.wireBytes(Direction::BtoA); }

    // What an engine of the program works with: its two ports, the bench's scheduler, dialogs
    // and mode flags.
    DialogueLinks Links() { return {state, state, state, state, ports, noMainFrame}; }
    // The same with other services (a link layer).
    DialogueLinks LinksWith(const Services& services) {
        return {state, state, state, otherServices.emplace_back(services), ports, noMainFrame};
    }
    // The same for a program whose two ports are p and s.
    DialogueLinks LinksOn(classComm& p, classComm& s) {
        return {state, state, state, state, otherPorts.emplace_back(PortSlots{&p, &s}), noMainFrame};
    }

    TempHome home;
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppState state;
    NullModemPair cable{sched};
    PortPair pair{state, sched, dialogs, cable.a(), cable.b()};
    std::unique_ptr<classComm>& primary = pair.primary;
    std::unique_ptr<classComm>& secondary = pair.secondary;
    MainFrame* noMainFrame = nullptr;  // the engines run without windows
    PortSlots ports;
    std::deque<Services> otherServices;
    std::deque<PortSlots> otherPorts;
    ModeFlags& flags = state;
    TerminalCounters counters;
};

}  // namespace k45::test
