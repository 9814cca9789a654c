#pragma once
// The bench of the dialogue tests: the program's state with its built-in tables, the primary
// port object on end A of the null-modem cable, the simulated modem on end B, all in virtual
// time; a main window and editor windows that record what the dialogues ask of them.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "wiring/tool_window_ids.h"
#include "model/app_state.h"
#include "params/modem_defaults.h"
#include "params/parameter_image.h"
#include "params/startup_defaults.h"
#include "platform/places.h"
#include "programming/mem_read.h"
#include "radio/radio_defaults.h"
#include "serial/class_comm.h"
#include "support/fake_window_services.h"
#include "support/null_modem.h"
#include "support/scripted_dialogs.h"
#include "support/simulated_modem.h"
#include "support/temp_home.h"
#include "support/virtual_scheduler.h"

namespace k45::test {

// 2026-01-15 10:00:00 on the local wall clock: the setup stamp the modem's image carries.
inline constexpr std::int64_t kModemStamp = 1768471200;

// The parameter editor as the read/write dialogue sees it.
struct RecordingEditor : ToolForm, EditorPage {
    bool isLoaded = false;
    bool saveResult = true;
    std::function<void()> onSave;  // runs inside SaveChanges
    int updates = 0;
    int saves = 0;
    std::vector<std::int16_t> selected;
    bool loaded() const override { return isLoaded; }
    void UpdateChanges() override { ++updates; }
    bool SaveChanges() override {
        ++saves;
        if (onSave) onSave();
        return saveResult;
    }
    void SelectFrequencyInError(std::int16_t freqIndex) override { selected.push_back(freqIndex); }
};

// A window waiting for a read or a write.
struct RecordingClient : ToolForm, ParmsClient, ProgCompleteClient {
    bool isLoaded = true;
    std::vector<bool> parms;
    std::vector<bool> completes;
    std::function<void()> onUpdateParms;
    bool loaded() const override { return isLoaded; }
    void UpdateParms(bool found) override {
        parms.push_back(found);
        if (onUpdateParms) onUpdateParms();
    }
    void ProgrammingComplete(bool done) override { completes.push_back(done); }
};

// The memory read window as the dialogue sees it: the address box, the value shown, the
// memory choice and the Update button.
struct RecordingMemView : MemReadView {
    std::string address = "0000";
    std::string value;
    bool eeprom = true;
    bool updateEnabled = false;
    std::string AddressText() const override { return address; }
    void SetAddressText(const std::string& t) override { address = t; }
    void SetValueText(const std::string& t) override { value = t; }
    bool EepromSelected() const override { return eeprom; }
    void SetUpdateEnabled(bool on) override { updateEnabled = on; }
};

// Dialogs whose boxes let time pass while they are open, as a modal box does: whileShown runs
// before each box is answered.
struct BoxWithEvents : ScriptedDialogs {
    std::function<void()> whileShown;
    MsgAnswer messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                         MsgIcon icon) override {
        if (whileShown) whileShown();
        return ScriptedDialogs::messageBox(text, title, buttons, icon);
    }
};

// The lines of a text that start with prefix (a line ends at CR LF).
inline std::vector<std::string> LinesOf(const std::string& text, const std::string& prefix) {
    std::vector<std::string> r;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find("\r\n", from);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(from, end - from);
        if (line.rfind(prefix, 0) == 0) r.push_back(line);
        from = end + 2;
    }
    return r;
}

// One write of the host onto the line.
struct HostWrite {
    std::int64_t atMs;
    std::string bytes;
};

class ProgrammingBench : public ::testing::Test {
protected:
    ProgrammingBench() {
        AppState& st = ctx.state;
        st.scheduler = &sched;
        st.dialogs = &dialogs;
        st.places.programFolder = home.path();
        InitDefaultTables(st);
        BuildRssiCurve5716(st.rssiCurve5716);
        BuildRssiCurve5726(st.rssiCurve5726);
        BuildRssiCurve5796(st.rssiCurve5796);
        st.mainParameters.radioType = st.testDefaults.radioType;
        st.mainParameters.radioRange = st.testDefaults.radioRange;
        SetDefaultModemParameters(st, st, st.mainParameters);
        st.dataFileName = home.file("default.dat");
        ctx.mainFrame = &mainFrame;
        mainFrame.radioParms = &editor;

        port = std::make_unique<classComm>(st, st.locale, sched, dialogs, *tables);
        port->InitCommCtrl(&cable.a(), 0, 1, portTimer.get());
        port->ForceCommPortOpen(7, {.baudRate = 9600});
        ctx.ports.classCommPrimary = port.get();

        modemRecord = st.mainParameters;
        modemRecord.serialNumber = 305419896;
        modemRecord.comment = "Bench modem";
        modemRecord.numberOfWrites = 41;
        modemRecord.channelOverride = 3;
        modem.attach(cable);
        EXPECT_TRUE(modem.loadRecord(st, modemRecord, kModemStamp));
    }
    ~ProgrammingBench() override { dialogs.verify(); }

    // Every write of the host, in order.
    std::vector<HostWrite> hostWrites() const {
        std::vector<HostWrite> w;
        for (const auto& c : cable.wireLog(Direction::AtoB))
            if (!c.injected) w.push_back({c.writtenAtMs, c.bytes});
        return w;
    }
    // The host's writes that start with prefix.
    std::vector<HostWrite> hostWrites(const std::string& prefix) const {
        std::vector<HostWrite> r;
        for (const auto& w : hostWrites())
            if (w.bytes.rfind(prefix, 0) == 0) r.push_back(w);
        return r;
    }
    // The image a record packs to (as the modem would hold it).
    ParameterImage Packed(ModemParameters r, std::int64_t now = kModemStamp) {
        ParameterImage image{};
        EXPECT_TRUE(EncodeParameterImage(ctx.state, ctx.state, image, r, now).ok());
        return image;
    }

    TempHome home;
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppContext ctx;
    FakeMainFrame mainFrame;
    RecordingEditor editor;
    std::unique_ptr<RxMessageTables> tables = std::make_unique<RxMessageTables>();
    NullModemPair cable{sched};
    std::unique_ptr<Timer> portTimer = sched.createTimer();
    std::unique_ptr<classComm> port;
    SimulatedModem modem{sched};
    ModemParameters modemRecord;
};

}  // namespace k45::test
