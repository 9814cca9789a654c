#pragma once
// The Tune Radio dialogue on the dialogue bench: the dialogue, the port object, the null-modem
// cable and the simulated modem in virtual time; its window, the reader, read/write and DAC
// windows are stand-ins that record what they are asked and answer after a moment.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "programming/programming_bench.h"
#include "tuning/tune_dialogue.h"
#include "tuning/tune_math.h"
#include "tuning/tune_print.h"
#include "tuning/tune_test_samples.h"

namespace k45::test {

struct FakeTuneView : TuneView {
    TuneDialogue* dlg = nullptr;
    bool active = true;
    TuneSelection sel;
    int closes = 0;
    std::vector<TuneScreen> screens;
    std::string adjValue, diagValue, description;
    bool IsActiveChild() const override { return active; }
    void CloseWindow() override {
        ++closes;
        if (dlg) dlg->Unload();
    }
    TuneSelection Selection() const override { return sel; }
    void ShowSelection(const TuneSelection& s) override { sel = s; }
    void ShowScreen(const TuneScreen& s) override {
        screens.push_back(s);
        if (s.description) description = *s.description;
    }
    void SetDescription(const std::string& t) override { description = t; }
    void SetAdjValue(const std::string& t) override { adjValue = t; }
    void SetTemperature(const std::string& t) override { temperature = t; }
    void SetBatteryVoltage(const std::string& t) override { battery = t; }
    void FocusOk() override { ++okFocus; }
    std::string temperature, battery;
    int okFocus = 0;
    void SetDiagValue(const std::string& t) override { diagValue = t; }
};

struct WriteRequest {
    ParmsMode mode;
    ModemParameters record;
    std::int64_t atMs;
};

// The modem behind the reader and the read/write window (the main window's services, which
// TuneRun points here). A write stores the record as the modem's, a read hands the modem's record
// back, each after 100 ms.
struct FakeParameterWindows {
    AppState* app = nullptr;
    VirtualScheduler* sched = nullptr;
    ModemParameters modemHolds;
    std::vector<WriteRequest> writes;
    int reads = 0;
    bool writeSucceeds = true;
    void ReadCurrentParameters(ParmsClient& client) {
        ++reads;
        ParmsClient* c = &client;
        sched->callAt(sched->nowMs() + 100, [this, c] {
            app->currentParameters = modemHolds;
            c->UpdateParms(true);
        });
    }
    void WriteParameters(ParmsMode mode, ProgCompleteClient& client) {
        writes.push_back({mode, app->currentParameters, sched->nowMs()});
        if (writeSucceeds) modemHolds = app->currentParameters;
        ProgCompleteClient* c = &client;
        const bool ok = writeSucceeds;
        sched->callAt(sched->nowMs() + 100, [c, ok] { c->ProgrammingComplete(ok); });
    }
};

class TuneRun : public ProgrammingBench {
protected:
    TuneRun() {
        AppState& st = ctx.state;
        TuneWindowSettings settings;
        ReadTuneLevels(settings.levels, "/nonexistent/tune.ini");
        settings.modBalanceTxTime = 5;
        dlg.setSettings(settings);
        st.testParameters = st.testDefaults;
        // A 5726 range whose test points hold frequencies.
        range = RangeWithTestPoints(st);
        view.dlg = &dlg;
        // The data being edited selects the radio when the window loads.
        st.mainParameters.radioType = 1;
        st.mainParameters.radioRange = range;
        st.mainParameters.sa7026Synthesizer = kTrue;
        st.mainParameters.serialNumber = 5000;
        view.sel.txTime = 60;
        view.sel.ticked.fill(true);
        links.app = &st;
        links.sched = &sched;
        links.modemHolds = st.mainParameters;
        mainFrame.packetTest = true;
        mainFrame.reader = [this](ParmsClient& client) { links.ReadCurrentParameters(client); };
        mainFrame.restartReadWrite = [this](ParmsMode mode, ProgCompleteClient* client) {
            ASSERT_NE(client, nullptr);
            links.WriteParameters(mode, *client);
        };
        modem.diagBlock = TuneBlock(60, 0);
    }
    ~TuneRun() override {
        if (dlg.loaded()) dlg.Unload();
    }
    AppState& st() { return ctx.state; }
    void Open() {
        dlg.Load();
        view.sel.txTime = 60;
        dlg.Activate();
    }
    // Runs until no exchange is open and nothing is pending.
    void Settle(std::int64_t limitMs = 5000) {
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TuneDialogState::Idle && !dlg.tunePending(); },
                                       limitMs));
    }
    // "T1" lines the host wrote.
    std::vector<HostWrite> TuneLines() const { return hostWrites("T1"); }
    void Key(int code, bool ctrl = false, int times = 1) {
        for (int i = 0; i < times; ++i) {
            EXPECT_TRUE(dlg.KeyDown(code, false, ctrl, false));
            Settle();
        }
    }
    // Only these tests ticked.
    void Tick(std::initializer_list<TuneTest> tests) {
        view.sel.ticked.fill(false);
        for (TuneTest t : tests) view.sel.ticked[static_cast<std::size_t>(TestNumber(t))] = true;
    }
    void StepIs(TuneStep step, TuneTest test, int point) {
        EXPECT_EQ(dlg.work().currentStep, step);
        EXPECT_EQ(dlg.work().currentTest, test);
        EXPECT_EQ(dlg.work().currentPoint, point);
    }

    FakeTuneView view;
    FakeParameterWindows links;
    TuneDialogue dlg{DialogueLinks::Of(ctx), view};
    int range = -1;
};

class TuneGiveUp : public TuneRun {
protected:
    // The window on the first step of `test` at its start point, the test points of the radio
    // filled in.
    void StartTest(TuneTest test) {
        Open();
        const TuneTest selected = dlg.SelectTest(test);
        dlg.Stage([&](TuneWork& w) {
            for (std::size_t p = 0; p < 3; ++p)
                w.testPoints[p] =
                    st().testDefaults
                        .radioSpecs[static_cast<std::size_t>(RadioSpecIndex(1, range, static_cast<int>(p)))];
            w.tuneRecord.radioType = 1;
            w.tuneRecord.radioRange = range;
            w.powerCalPoints = st().testDefaults.powerPoints;
            w.rssiCalPoints = st().testDefaults.rssiPoints;
            w.currentTest = selected;
        });
        dlg.ShowTuneStep();
        Settle();
    }
    // The TCXO test alone, its keyed step reached with OK.
    void KeyTcxo() {
        Tick({TuneTest::Tcxo});
        StartTest(TuneTest::Tcxo);
        dlg.OK();
        Settle();
    }
    // The next `times` "AT" lines are answered with `bytes` on the line instead of the modem's
    // own answer.
    void AnswerSamplesWith(const std::string& bytes, int times) {
        modem.addFault({ModemFault::Silence, ModemStep::Sample, 0, times});
        for (int i = 0; i < times; ++i) {
            const std::size_t seen = modem.linesStartingWith("AT").size();
            ASSERT_TRUE(sched.advanceUntil([&] { return modem.linesStartingWith("AT").size() > seen; }, 5000));
            sched.advance(10);
            cable.inject(Direction::BtoA, bytes);
        }
    }
    // The host's lines after its first `from` writes, without their CR.
    std::vector<std::string> LinesSince(std::size_t from) const {
        std::vector<std::string> r;
        const std::vector<HostWrite> all = hostWrites();
        for (std::size_t i = from; i < all.size(); ++i) r.push_back(all[i].bytes.substr(0, all[i].bytes.find('\r')));
        return r;
    }
    static std::vector<std::string> Prefixes(const std::vector<std::string>& lines) {
        std::vector<std::string> r;
        for (const std::string& l : lines) r.push_back(l.substr(0, 2));
        return r;
    }
};

}  // namespace k45::test
