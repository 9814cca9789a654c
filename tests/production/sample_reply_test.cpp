// A slow or split "AT" reply in the calibration windows: a reply whose first record comes just
// before the response time-out, or whose records come far apart, gives the modem's own reading
// or none; never a block made of the tail of one reply and the head of the next.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "production/cal_views.h"
#include "production/panel_bench.h"
#include "production/power_cal.h"
#include "production/prod_test.h"
#include "production/rssi_cal.h"
#include "programming/radio_off.h"

namespace k45::test {
namespace {

struct PanelView : QuietPanelView<ProdTestView> {
    std::vector<std::string> levels;  // every current RSSI level shown
    void ShowDiagnostics(const DiagnosticsTexts& t) override { levels.push_back(t.currentLevel); }
    void SelectFreqPair(int) override {}
    void OpenPowerCalibration(std::int32_t, std::int32_t) override {}
    void OpenRssiCalibration(std::int32_t, std::int32_t) override {}
};

// How the modem paces its "AT" (and "AS") replies.
struct Pacing {
    const char* what;
    int delayMs;               // before the first record leaves
    std::vector<int> records;  // sizes of the data records
    int gapMs;                 // between the records
};

using SampleReply = PanelBench;

void Apply(SimulatedModem& modem, const Pacing& p) {
    modem.diagDelayMs = p.delayMs;
    modem.diagRecordSizes = p.records;
    modem.diagRecordGapMs = p.gapMs;
}

// In every form a point is keyed, captured, its transmitter-off record acknowledged and its
// sample taken and stored, each line once (acknowledged within its response time).
TEST_F(SampleReply, PowerCalTakesAPointInEveryAnswerForm) {
    SimulatedModem::DiagBlock block{};
    block[2] = 1;
    block[2 * 10 + 8] = 63;  // the High set's forward power
    modem.diagBlock = block;
    for (const AnswerForm& f : kAnswerForms) {
        SCOPED_TRACE(f.name);
        modem.answerIn(f);
        RecordingPowerView view;
        PowerCalDialogue dlg{Links(), view};
        host.onClose = [&] { dlg.Unload(); };
        dlg.Load();
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil(
            [&] { return dlg.dialogState() == CalibrationState::Idle && dlg.parametersTaken(); }, 20000));
        const std::size_t records = Sent("T1").size(), clears = Sent("AR").size(), samples = Sent("AT").size();
        dlg.OK();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; },
                                       PowerCalDialogue::kResponseMs - 1));
        EXPECT_TRUE(dlg.keyed());
        dlg.OK();
        ASSERT_TRUE(sched.advanceUntil(
            [&] { return dlg.pointIndex() == 1 && dlg.dialogState() == CalibrationState::Idle; }, 5000));
        EXPECT_EQ(dlg.powerPoints().adReading[0], 63);
        EXPECT_EQ(view.reading, "63");
        EXPECT_FALSE(dlg.keyed());
        EXPECT_EQ(Sent("T1").size() - records, 3u);  // keyed, off for the sample, off after the point
        EXPECT_EQ(Sent("AR").size() - clears, 1u);
        EXPECT_EQ(Sent("AT").size() - samples, 1u);
        EXPECT_TRUE(dialogs.boxes.empty());
        dlg.Unload();
        sched.advance(3000);
    }
}

// In every form the RSSI windows' receive record is acknowledged once and each poll's reply is
// a reading: OK takes the level from the next four.
TEST_F(SampleReply, TheRssiWindowsTakeTheirReadingsInEveryAnswerForm) {
    SimulatedModem::DiagBlock block{};
    block[2] = 1;
    block[6] = 100;
    block[7] = 91;  // the current RSSI
    modem.diagBlock = block;
    auto run = [&](auto& dlg, RecordingRssiView& view, const std::function<int()>& level) {
        host.onClose = [&] { dlg.Unload(); };
        dlg.Load();
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil(
            [&] { return dlg.parametersTaken() && dlg.dialogState() == CalibrationState::Idle; }, 20000));
        const std::size_t records = Sent("T1").size();
        sched.advance(2000);
        // OK between two polls: the next four replies are the level's.
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 1000));
        const std::size_t polls = Sent("AT").size();
        const std::size_t shown = view.readings.size();
        EXPECT_GE(shown, 2u);
        dlg.OK();
        ASSERT_TRUE(sched.advanceUntil([&] { return level() == 1; }, 10000));
        EXPECT_EQ(Sent("AT").size() - polls, 4u);
        EXPECT_EQ(view.readings.size() - shown, 4u);
        EXPECT_EQ(view.readings, std::vector<std::string>(view.readings.size(), "91"));
        sched.advance(5000);
        EXPECT_EQ(Sent("T1").size(), records);  // never repeated
        EXPECT_TRUE(dialogs.boxes.empty());
        dlg.Unload();
        sched.advance(3000);
    };
    for (const AnswerForm& f : kAnswerForms) {
        SCOPED_TRACE(f.name);
        modem.answerIn(f);
        {
            SCOPED_TRACE("RSSI cal");
            RecordingRssiView view;
            RssiCalDialogue dlg{Links(), view};
            run(dlg, view, [&] { return dlg.levelIndex(); });
        }
        {
            SCOPED_TRACE("temp comp");
            RecordingRssiView view;
            TempCompDialogue dlg{Links(), view};
            run(dlg, view, [&] { return dlg.levelIndex(); });
        }
    }
}

// The power calibration waits 750 ms for a reply; a 16-byte record takes about 46 ms on the
// line at 9600 baud.
TEST_F(SampleReply, PowerCalTakesAPointOnlyFromOneWholeSampleReply) {
    // clang-format off
    const Pacing cases[] = {
        {"first of three records just before the time-out", 690, {16, 16, 10}, 0},
        {"first of three records at 600 ms", 600, {16, 16, 10}, 0},
        {"first of two records just before the time-out", 680, {30, 12}, 0},
        {"a small first record, the rest after the time-out", 700, {4, 38}, 0},
        {"records 300 ms apart, the first at 640 ms", 640, {16, 16, 10}, 300},
        {"records 700 ms apart", 400, {16, 16, 10}, 700},
        {"the whole reply just after the time-out", 760, {16, 16, 10}, 0},
        {"one record, just before the time-out", 660, {42}, 0},
    };
    // clang-format on
    SimulatedModem::DiagBlock forty{};
    forty[2] = 1;
    forty[2 * 10 + 8] = 40;  // the High set's forward power
    for (const Pacing& p : cases) {
        SCOPED_TRACE(p.what);
        RecordingPowerView view;
        PowerCalDialogue dlg{Links(), view};
        host.onClose = [&] { dlg.Unload(); };
        modem.diagBlock = forty;
        modem.samples.clear();
        Apply(modem, {"", -1, {}, 0});
        dlg.Load();
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil(
            [&] { return dlg.dialogState() == CalibrationState::Idle && dlg.parametersTaken(); }, 20000));
        dlg.OK();  // keyed
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 2000));
        Apply(modem, p);
        dlg.OK();  // "AR", the transmitter off, "AT"
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.pointIndex() == 1 || !dialogs.boxes.empty(); }, 10000));
        EXPECT_TRUE(dialogs.boxes.empty());
        EXPECT_EQ(dlg.pointIndex(), 1);
        EXPECT_EQ(dlg.powerPoints().adReading[0], 40);
        EXPECT_EQ(view.reading, "40");
        sched.advance(5000);  // the replies still on the line change nothing
        EXPECT_EQ(dlg.pointIndex(), 1);
        dlg.Unload();
        sched.advance(5000);
    }
}

// The RSSI calibration waits 1000 ms and asks again after the fourth time-out; OK averages
// the next four readings into the level.
TEST_F(SampleReply, RssiCalAveragesOnlyWholeSampleReplies) {
    // clang-format off
    const Pacing cases[] = {
        {"a small first record just before the fourth time-out", 3950, {4, 38}, 0},
        {"records 400 ms apart, the first at 3800 ms", 3800, {16, 16, 10}, 400},
        {"records 900 ms apart", 200, {16, 16, 10}, 900},
    };
    // clang-format on
    SimulatedModem::DiagBlock reading{};
    reading[2] = 1;
    reading[6] = 100;
    reading[7] = 87;  // the current RSSI
    for (const Pacing& p : cases) {
        SCOPED_TRACE(p.what);
        RecordingRssiView view;
        RssiCalDialogue dlg{Links(), view};
        host.onClose = [&] { dlg.Unload(); };
        modem.diagBlock = reading;
        Apply(modem, {"", -1, {}, 0});
        dlg.Load();
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil(
            [&] { return dlg.parametersTaken() && dlg.dialogState() == CalibrationState::Idle; }, 20000));
        Apply(modem, p);
        dlg.OK();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.levelIndex() == 1; }, 120000));
        // The level's four readings, and every one before them, are the modem's.
        EXPECT_GE(view.readings.size(), 4u);
        EXPECT_EQ(view.readings, std::vector<std::string>(view.readings.size(), "87"));
        dlg.Unload();
        sched.advance(5000);
    }
}

// The production panel polls "AS" every 1500 ms and drops a reply at its 500 ms time-out.
TEST_F(SampleReply, ThePanelShowsOnlyWholeDiagnosticReplies) {
    struct Case {
        Pacing pacing;
        bool shown;  // the panel shows the modem's diagnostics
    };
    // clang-format off
    const Case cases[] = {
        {{"records 300 ms apart", 300, {16, 16, 10}, 300}, true},
        // The tail of one reply comes with the next poll, just before that poll's reply.
        {{"two records 1400 ms apart", 300, {30, 12}, 1400}, false},
        {{"first of three records at 400 ms", 400, {16, 16, 10}, 0}, true},
    };
    // clang-format on
    SimulatedModem::DiagBlock block{};
    block[2] = 1;
    block[7] = 97;  // the current RSSI
    block[37] = 9;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pacing.what);
        PanelView view;
        ProdTestDialogue dlg{Links(), view};
        host.onClose = [&] { dlg.Unload(); };
        modem.diagBlock = block;
        Apply(modem, {"", -1, {}, 0});
        dlg.Load();
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle && !Sent("T1").empty(); },
                                       20000));
        Apply(modem, c.pacing);
        view.levels.clear();
        sched.advance(20000);
        EXPECT_EQ(view.levels, std::vector<std::string>(view.levels.size(), "-97 dBm"));
        EXPECT_EQ(view.levels.empty(), !c.shown);
        dlg.Unload();
        sched.advance(5000);
    }
}

// A resend of "AT" crosses the reply: the modem answers both, the second after the point was
// taken. That reply's acknowledgement is not the next receive record's, which the modem leaves
// unanswered once: the record goes again.
TEST_F(SampleReply, PowerCalDoesNotTakeTheReplyToACrossedResendAsTheNextAcknowledgement) {
    RecordingPowerView view;
    PowerCalDialogue dlg{Links(), view};
    host.onClose = [&] { dlg.Unload(); };
    dlg.Load();
    dlg.Activate();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle && dlg.parametersTaken(); },
                                   20000));
    dlg.OK();  // keyed
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 2000));
    const std::size_t records = Sent("T1").size(), samples = Sent("AT").size();
    // The first reply just after the time-out, the resend's right behind it.
    modem.diagDelaysMs = {760, 5};
    // The transmitter-off record passes; the receive record after the point goes unanswered once.
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, 1, 1});
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.pointIndex() == 1; }, 10000));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == CalibrationState::Idle; }, 10000));
    EXPECT_EQ(Sent("AT").size(), samples + 2);
    EXPECT_EQ(Sent("T1").size(), records + 3);  // off, after the point, and that one again
    EXPECT_TRUE(dialogs.boxes.empty());
    dlg.Unload();
}

// The panel drops an "AS" reply at its 500 ms time-out; the reply that comes after it is not
// the acknowledgement of the keyed record the operator sent meanwhile.
TEST_F(SampleReply, ThePanelDoesNotTakeALateDiagnosticReplyAsTheNextAcknowledgement) {
    PanelView view;
    ProdTestDialogue dlg{Links(), view};
    host.onClose = [&] { dlg.Unload(); };
    dlg.Load();
    dlg.Activate();
    ASSERT_TRUE(
        sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle && !Sent("T1").empty(); }, 20000));
    modem.diagDelayMs = 620;
    const std::size_t polls = Sent("AS").size();
    ASSERT_TRUE(sched.advanceUntil([&] { return Sent("AS").size() > polls; }, 3000));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1});
    dialogs.expectBox(kTxOffText);
    dlg.KeyDown(keyF5, 0);  // keyed, before the late reply
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 3000));
    EXPECT_EQ(LastRadioCommand(), "T0");
    dlg.Unload();
}

}  // namespace
}  // namespace k45::test
