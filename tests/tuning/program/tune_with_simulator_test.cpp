// Tune Radio against this program's own diagnostics simulator: the dialogue on the primary
// port, the simulator answering on the secondary port at the other end of the null-modem
// cable, as a modem answers (the end pair for every command, the diagnostic block at 4000,
// 4016 and 6000).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diagnostics/diag_bench.h"
#include "tuning/tune_dialogue.h"
#include "tuning/tune_math.h"
#include "tuning/tune_run.h"

namespace k45::test {
namespace {

class TuneWithSimulator : public DiagBench {
protected:
    TuneWithSimulator() {
        TuneWindowSettings settings;
        ReadTuneLevels(settings.levels, "/nonexistent/tune.ini");
        settings.modBalanceTxTime = 1;
        dlg.setSettings(settings);
        AppState& st = ctx.state;
        range = RangeWithTestPoints(st);
        st.mainParameters.radioType = 1;
        st.mainParameters.radioRange = range;
        st.mainParameters.sa7026Synthesizer = kTrue;
        view.dlg = &dlg;
        view.sel.ticked.fill(true);
    }
    ~TuneWithSimulator() override {
        if (dlg.loaded()) dlg.Unload();
    }
    // The window on the first step of `test`, on the radio's test points.
    void StartTest(TuneTest test) {
        dlg.Load();
        view.sel.txTime = 1;
        dlg.Activate();
        const TuneTest selected = dlg.SelectTest(test);
        dlg.Stage([&](TuneWork& w) {
            const ProductionTestRecord& d = ctx.state.testDefaults;
            for (std::size_t p = 0; p < 3; ++p)
                w.testPoints[p] = d.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(1, range, static_cast<int>(p)))];
            w.tuneRecord.radioType = 1;
            w.tuneRecord.radioRange = range;
            w.powerCalPoints = d.powerPoints;
            w.rssiCalPoints = d.rssiPoints;
            w.currentTest = selected;
        });
        dlg.ShowTuneStep();
        Settle();
    }
    void Settle() {
        ASSERT_TRUE(
            sched.advanceUntil([&] { return dlg.dialogState() == TuneDialogState::Idle && !dlg.tunePending(); }, 5000));
    }
    // The host's lines since `from`, cut to their command word's first two letters, the polls
    // left out.
    std::vector<std::string> Exchanges(std::size_t from) const {
        std::vector<std::string> r;
        for (const std::string& l : SplitLines(fromHost().substr(from)))
            if (l.rfind("AS", 0) != 0) r.push_back(l.substr(0, 2));
        return r;
    }

    int range = -1;
    FakeTuneView view;
    TuneDialogue dlg{DialogueLinks::Of(ctx), view};
};

using Lines = std::vector<std::string>;

// A keyed tune record, a power point, an RSSI level (its four reads from the simulator's RSSI
// channel stepping 10, 11, 12, 10), Mod Balance to its re-adjust question and the end test.
TEST_F(TuneWithSimulator, TheSimulatorAnswersEveryStep) {
    ASSERT_GE(range, 0);
    SimSettings s = Settings(false);
    s.starts[simFwdPwr] = s.ends[simFwdPwr] = 77;
    s.starts[simRssi] = 10;
    s.ends[simRssi] = 12;
    s.starts[simTemp] = s.ends[simTemp] = 25;
    sim.Start(s);

    StartTest(TuneTest::PowerCal);
    std::size_t mark = fromHost().size();
    dlg.OK();  // keyed at the first target power
    Settle();
    EXPECT_EQ(Exchanges(mark), Lines{"T1"});
    EXPECT_EQ(dlg.work().currentStep, TuneStep::PowerCalKeyed);
    EXPECT_TRUE(primary->modemLine().radio().mayTransmit);
    mark = fromHost().size();
    dlg.OK();
    Settle();
    EXPECT_EQ(Exchanges(mark), (Lines{"AR", "T1", "AT", "T1"}));
    EXPECT_EQ(dlg.work().calPointIndex, 1);
    EXPECT_EQ(dlg.work().powerCalPoints.adReading[0], 77);

    dlg.Unload();
    sched.advance(1000);
    StartTest(TuneTest::RssiCal);
    ASSERT_EQ(dlg.work().currentStep, TuneStep::RssiCal);
    sim.ResetSimulation();
    mark = fromHost().size();
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.work().calPointIndex == 1; }, 10000));
    EXPECT_EQ(Exchanges(mark), (Lines{"AT", "AT", "AT", "AT"}));
    EXPECT_EQ(dlg.work().rssiCalPoints.adReading[0], 11);  // 43 / 4
    EXPECT_EQ(view.diagValue, "10");

    dlg.Unload();
    sched.advance(1000);
    StartTest(TuneTest::ModBalance);
    mark = fromHost().size();
    dlg.OK();
    dialogs.expectBox(kReAdjustQuestion, MsgAnswer::No);
    sched.advance(1600 + 300);
    Settle();
    EXPECT_EQ(Exchanges(mark), (Lines{"T1", "BA", "T1"}));
    EXPECT_EQ(dlg.work().currentPoint, 0);
    EXPECT_FALSE(primary->modemLine().radio().mayTransmit);

    mark = fromHost().size();
    dlg.Close();
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 3000));
    EXPECT_EQ(Exchanges(mark), Lines{"T0"});
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

}  // namespace
}  // namespace k45::test
