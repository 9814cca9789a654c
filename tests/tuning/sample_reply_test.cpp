// A slow or split "AT" reply in Tune Radio: a reply whose first record comes just before the
// 500 ms time-out, or whose records come far apart, gives the modem's own reading or none;
// never a block made of the tail of one reply and the head of the next.
#include <gtest/gtest.h>

#include <vector>

#include "programming/programming_bench.h"
#include "radio/radio_codes.h"
#include "programming/radio_off.h"
#include "tuning/tune_dialogue.h"
#include "tuning/tune_print.h"
#include "tuning/tune_test_samples.h"

namespace k45::test {
namespace {

struct QuietTuneView : TuneView {
    TuneDialogue* dlg = nullptr;
    TuneSelection sel;
    std::string description;
    std::vector<std::string> diagValues;  // every value shown
    bool IsActiveChild() const override { return true; }
    void CloseWindow() override {
        if (dlg) dlg->Unload();
    }
    TuneSelection Selection() const override { return sel; }
    void ShowSelection(const TuneSelection& s) override { sel = s; }
    void ShowScreen(const TuneScreen& s) override {
        if (s.description) description = *s.description;
    }
    void SetDescription(const std::string& t) override { description = t; }
    void SetAdjValue(const std::string&) override {}
    void SetDiagValue(const std::string& t) override { diagValues.push_back(t); }
    void SetTemperature(const std::string&) override {}
    void SetBatteryVoltage(const std::string&) override {}
    void FocusOk() override {}
};

// How the modem paces its "AT" replies.
struct Pacing {
    const char* what;
    int delayMs;               // before the first record leaves
    std::vector<int> records;  // sizes of the data records
    int gapMs;                 // between the records
};

class SampleReply : public ProgrammingBench {
protected:
    SampleReply() {
        AppState& st = ctx.state;
        st.testParameters = st.testDefaults;
        range = RangeWithTestPoints(st);
        st.mainParameters.radioType = 1;
        st.mainParameters.radioRange = range;
        st.mainParameters.sa7026Synthesizer = kTrue;
        view.dlg = &dlg;
        view.sel.txTime = 60;
        view.sel.ticked.fill(true);
    }
    ~SampleReply() override {
        if (dlg.loaded()) dlg.Unload();
    }
    void Pace(const Pacing& p) {
        modem.diagDelayMs = p.delayMs;
        modem.diagRecordSizes = p.records;
        modem.diagRecordGapMs = p.gapMs;
    }
    void Settle() {
        ASSERT_TRUE(
            sched.advanceUntil([&] { return dlg.dialogState() == TuneDialogState::Idle && !dlg.tunePending(); }, 5000));
    }
    // The window open at the first step of a test, on the radio's test points.
    void StartTest(TuneTest test) {
        dlg.Load();
        dlg.Activate();
        const TuneTest selected = dlg.SelectTest(test);
        dlg.Stage([&](TuneWork& w) {
            for (std::size_t p = 0; p < 3; ++p)
                w.testPoints[p] =
                    ctx.state.testDefaults
                        .radioSpecs[static_cast<std::size_t>(RadioSpecIndex(1, range, static_cast<int>(p)))];
            w.tuneRecord.radioType = 1;
            w.tuneRecord.radioRange = range;
            w.powerCalPoints = ctx.state.testDefaults.powerPoints;
            w.rssiCalPoints = ctx.state.testDefaults.rssiPoints;
            w.currentTest = selected;
        });
        dlg.ShowTuneStep();
        Settle();
    }

    int range = -1;
    QuietTuneView view;
    TuneDialogue dlg{DialogueLinks::Of(ctx), view};
};

// A 16-byte record takes about 46 ms on the line at 9600 baud.
const Pacing kPacings[] = {
    {"first of three records just before the time-out", 440, {16, 16, 10}, 0},
    {"first of three records at 380 ms", 380, {16, 16, 10}, 0},
    {"first of two records just before the time-out", 420, {30, 12}, 0},
    {"a small first record, the rest after the time-out", 450, {4, 38}, 0},
    {"records 300 ms apart, the first at 400 ms", 400, {16, 16, 10}, 300},
    {"the whole reply just after the time-out", 510, {16, 16, 10}, 0},
    {"one record, just before the time-out", 410, {42}, 0},
};

// Power calibration: "AR" while keyed, the transmitter off, then "AT" with three resends.
TEST_F(SampleReply, APowerPointIsTakenOnlyFromOneWholeSampleReply) {
    for (const Pacing& p : kPacings) {
        SCOPED_TRACE(p.what);
        modem.diagBlock = TuneBlock(60, 77);
        modem.samples.clear();
        Pace({"", -1, {}, 0});
        StartTest(TuneTest::PowerCal);
        dlg.OK();  // keyed at the first target power
        Settle();
        ASSERT_EQ(dlg.work().currentStep, TuneStep::PowerCalKeyed);
        Pace(p);
        dlg.OK();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.work().calPointIndex == 1 || !dialogs.boxes.empty(); }, 10000));
        EXPECT_TRUE(dialogs.boxes.empty());
        EXPECT_EQ(dlg.work().calPointIndex, 1);
        EXPECT_EQ(dlg.work().powerCalPoints.adReading[0], 77);
        dlg.Unload();
        sched.advance(5000);  // what is still on the line
    }
}

// RSSI calibration: each poll's "AT" ends at its first time-out; four reads make a level. A
// reply under way is not cut off by the time-out; one whose records come further apart than
// the time-out gives no read at all.
TEST_F(SampleReply, AnRssiLevelAveragesOnlyWholeSampleReplies) {
    struct Case {
        Pacing pacing;
        bool read;  // the level is taken
    };
    const Case cases[] = {
        {{"records 300 ms apart", 300, {16, 16, 10}, 300}, true},
        {{"records 400 ms apart, the first at 380 ms", 380, {16, 16, 10}, 400}, true},
        {{"first of three records at 400 ms", 400, {16, 16, 10}, 0}, true},
        {{"records 600 ms apart", 300, {16, 16, 10}, 600}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pacing.what);
        modem.diagBlock = TuneBlock(87, 0);
        Pace({"", -1, {}, 0});
        StartTest(TuneTest::RssiCal);
        ASSERT_EQ(dlg.work().currentStep, TuneStep::RssiCal);
        Pace(c.pacing);
        view.diagValues.clear();
        dlg.OK();  // the first level: the next four reads
        sched.advanceUntil([&] { return dlg.work().calPointIndex == 1; }, 30000);
        EXPECT_EQ(dlg.work().calPointIndex, c.read ? 1 : 0);
        if (c.read) {
            EXPECT_EQ(dlg.work().rssiCalPoints.adReading[0], 87);
        }
        EXPECT_EQ(view.diagValues, std::vector<std::string>(view.diagValues.size(), "87"));
        EXPECT_EQ(view.diagValues.empty(), !c.read);
        dlg.Unload();
        sched.advance(5000);
    }
}

// A resend of "AT" crosses the reply: the modem answers both, the second after the point was
// taken. That reply's acknowledgement is not the keyed record's that follows: the modem, silent
// to that record, is given up on and the radio unkeyed.
TEST_F(SampleReply, TheReplyToAResendThatCrossedTheSampleDoesNotAcknowledgeTheNextRecord) {
    modem.diagBlock = TuneBlock(60, 77);
    StartTest(TuneTest::PowerCal);
    dlg.OK();  // keyed at the first target power
    Settle();
    ASSERT_EQ(dlg.work().currentStep, TuneStep::PowerCalKeyed);
    const std::size_t samples = modem.linesStartingWith("AT").size();
    // The first reply just after the time-out, the resend's right behind it.
    modem.diagDelaysMs = {510, 5};
    // The receive record before "AT" passes; the keyed one after the point goes unanswered.
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, 1, 1});
    dialogs.expectBox(kTxOffText);
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 10000));
    EXPECT_EQ(modem.linesStartingWith("AT").size(), samples + 2);
    EXPECT_EQ(dlg.work().calPointIndex, 1);
    EXPECT_EQ(dlg.work().powerCalPoints.adReading[0], 77);
}

}  // namespace
}  // namespace k45::test
