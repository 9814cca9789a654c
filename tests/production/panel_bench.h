#pragma once
// The bench of the panel and calibration dialogues: the programming bench (port, cable,
// simulated modem, virtual time) with the real current-parameter reader and read/write
// dialogue behind a host that opens them as the windows do.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "params/tune_record.h"
#include "production/panel_support.h"
#include "production/test_panel.h"
#include "programming/parms_get_current.h"
#include "programming/parms_rd_wr.h"
#include "programming/programming_bench.h"
#include "serial/modem_commands.h"

namespace k45::test {

struct BenchReaderView : ParmsGetCurrentView {
    std::function<void()> onClose;
    bool IsActiveChild() const override { return true; }
    void CloseWindow() override {
        if (onClose) onClose();
    }
    void SetPercent(int) override {}
};

struct BenchRdWrView : ParmsRdWrView {
    std::function<void()> onClose;
    bool IsActiveChild() const override { return true; }
    void CloseWindow() override {
        if (onClose) onClose();
    }
    void SetCaption(const std::string&) override {}
    void SetLabels(const std::string&, const std::string&) override {}
    void SetPercent(int) override {}
    void SetOkEnabled(bool) override {}
};

// A panel's view that shows nothing a test looks at; a recording view overrides what it records.
template <class View>
struct QuietPanelView : View {
    void SetXcvrStatus(const std::string&) override {}
    void SetFrequencyTexts(const std::string&, const std::string&) override {}
    void SetCnFcCaption(const std::string&) override {}
    void ShowTuneValues(const std::array<std::string, 8>&) override {}
    void ShowDiagnostics(const DiagnosticsTexts&) override {}
    std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> SelectRadio(std::int32_t type,
                                                                                    std::int32_t range) override {
        return {type, range};
    }
    void SetSynthesizer(bool) override {}
    void DisableGainAndDeviation() override {}
    void SetCnFcEnabled(bool) override {}
    void SelectAdjust(AdjustSelect) override {}
    void SetDirectText(const std::string&) override {}
    void SetTxTimeLabel(const std::string&, bool) override {}
};

// The windows around a dialogue: its own, and the reader and the read/write dialogue, which run
// for real behind the main window's services (PanelBench plugs them in).
struct BenchHost : PanelHost {
    BenchHost(ParmsGetCurrentDialogue& r, ParmsRdWrDialogue& w) : reader(r), rdwr(w) {}
    bool active = true;
    int closes = 0;
    int writes = 0;
    int reads = 0;
    int resends = 0;
    std::function<void()> onClose;
    ParmsGetCurrentDialogue& reader;
    ParmsRdWrDialogue& rdwr;

    bool IsActiveChild() const override { return active; }
    void StartParameterRead(ParmsClient& client) {
        ++reads;
        if (reader.loaded()) reader.Unload();
        reader.RegisterForParms(&client);
        reader.Load();
        reader.Activate();
    }
    void CloseWindow() override {
        ++closes;
        if (onClose) onClose();
    }
    bool ReadWriteLoaded(std::string* caption) const {
        if (caption) *caption = ParmsModeCaption(rdwr.settings().parmsMode);
        return rdwr.loaded();
    }
    void CountResend() override { ++resends; }
    void WriteCurrentParameters() {
        ++writes;
        if (rdwr.loaded()) rdwr.Unload();
        rdwr.setSettings({.autoStart = true, .parmsMode = ParmsMode::WriteCurrent});
        rdwr.Load();
        if (rdwr.loaded()) rdwr.Activate();
    }
};

// Answer forms as test names: their place in the table.
inline std::string FormName(const ::testing::TestParamInfo<AnswerForm>& i) { return std::to_string(i.index); }

class PanelBench : public ProgrammingBench {
protected:
    PanelBench() {
        readerView.onClose = [this] { reader.Unload(); };
        rdwrView.onClose = [this] { rdwr.Unload(); };
        mainFrame.reader = [this](ParmsClient& client) { host.StartParameterRead(client); };
        mainFrame.readWrite = [this](std::string* caption) { return host.ReadWriteLoaded(caption); };
        mainFrame.restartReadWrite = [this](ParmsMode mode, ProgCompleteClient*) {
            EXPECT_EQ(mode, ParmsMode::WriteCurrent);
            host.WriteCurrentParameters();
        };
        // The modem is a model 6 with calibration support, on the built-in test record's type.
        modemRecord.model = 6;
        modem.loadRecord(ctx.state, modemRecord, kModemStamp);
        modem.replyDelayMs = 5;
        ctx.state.testParameters = ctx.state.testDefaults;
    }

    PanelLinks Links() { return {DialogueLinks::Of(ctx), host}; }

    // Host lines that start with prefix, in order, without the CR.
    // (the moment the host wrote them).
    std::vector<std::string> Sent(const std::string& prefix) const {
        std::vector<std::string> r;
        for (const auto& w : hostWrites(prefix)) r.push_back(Line(w.bytes));
        return r;
    }
    std::vector<std::int64_t> SentTimes(const std::string& prefix) const {
        std::vector<std::int64_t> r;
        for (const auto& w : hostWrites(prefix)) r.push_back(w.atMs);
        return r;
    }
    static std::string Line(std::string s) {
        while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
        return s;
    }
    // The "T1" line a tune record gives.
    std::string TuneLine(const TuneRecord& t) const {
        std::string s = TuneRecordLine(ctx.state, ctx.state, t);
        while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
        return s;
    }
    // The last "T1" line or "T0" sent: what the radio was last told.
    std::string LastRadioCommand() const {
        std::string last;
        for (const auto& w : hostWrites()) {
            const std::string l = Line(w.bytes);
            if (l.rfind("T1", 0) == 0 || l == "T0") last = l;
        }
        return last;
    }

    BenchReaderView readerView;
    ParmsGetCurrentDialogue reader{DialogueLinks::Of(ctx), readerView};
    BenchRdWrView rdwrView;
    ParmsRdWrDialogue rdwr{DialogueLinks::Of(ctx), rdwrView};
    BenchHost host{reader, rdwr};
};

}  // namespace k45::test
