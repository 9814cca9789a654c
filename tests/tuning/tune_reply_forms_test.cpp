// Tune Radio's exchanges against the modem in each of its answer forms: a command acknowledged
// with the end pair ("R9030000FC" then "R80200FD") or with the bare "R80200FD", a diagnostic
// block at the modem's memory addresses (4000, 4016, 6000) or from address 0, in any split.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/converters.h"
#include "programming/radio_off.h"
#include "serial/modem_commands.h"
#include "tuning/tune_run.h"
#include "tuning/tune_test_samples.h"

namespace k45::test {
namespace {

class TuneReplyForms : public TuneGiveUp {
protected:
    // The lines of the modem dialogue since `from`, the polls left out.
    std::vector<std::string> Dialogue(std::size_t from) const {
        std::vector<std::string> r;
        for (const std::string& l : Prefixes(LinesSince(from)))
            if (l != "AS") r.push_back(l);
        return r;
    }
    bool RadioMayTransmit() const { return port->modemLine().radio().mayTransmit; }
    // The window goes (its "T0" answered) before the next form.
    void Leave() {
        if (dlg.loaded()) dlg.Unload();
        sched.advance(1000);
        dialogs.verify();
        dialogs.boxes.clear();
    }
};

using Lines = std::vector<std::string>;

// TCXO Adjust: the keyed record is acknowledged (no resend, no unkey, no message), the test
// done unkeys the radio with a receive record that is acknowledged once; Close then ends the
// test on the first "T0" and the window goes.
TEST_F(TuneReplyForms, TcxoAdjustKeysAndUnkeysTheRadioAndCloseEndsTheTest) {
    for (const AnswerForm& f : kAnswerForms) {
        SCOPED_TRACE(f.name);
        modem.answerIn(f);
        Tick({TuneTest::Tcxo});
        StartTest(TuneTest::Tcxo);
        std::size_t mark = hostWrites().size();
        dlg.OK();
        Settle();
        StepIs(TuneStep::TcxoKeyed, TuneTest::Tcxo, 1);
        EXPECT_TRUE(dlg.transmitSelected());
        EXPECT_TRUE(RadioMayTransmit());
        EXPECT_EQ(Dialogue(mark), Lines{"T1"});
        mark = hostWrites().size();
        dialogs.expectBox(kTuningCompleteQuestion, MsgAnswer::No);
        dlg.OK();  // done: the receive record
        Settle();
        EXPECT_TRUE(dlg.work().Done(TuneTest::Tcxo));
        EXPECT_FALSE(RadioMayTransmit());
        EXPECT_EQ(Dialogue(mark), (Lines{"T1", "T1"}));  // before the question and after it
        EXPECT_EQ(dialogs.boxes.size(), 1u);

        mark = hostWrites().size();
        const int endTests = modem.endTests;
        dlg.Close();
        ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 3000));
        EXPECT_EQ(Dialogue(mark), Lines{"T0"});
        EXPECT_EQ(modem.endTests, endTests + 1);
        EXPECT_EQ(view.closes, 1);
        view.closes = 0;
        Leave();
    }
}

// Power calibration: "AR" while keyed, the receive record, the "AT" sample, the point stored
// and the radio keyed for the next point; nothing resent, nothing given up.
TEST_F(TuneReplyForms, PowerCalibrationPointsAreMeasured) {
    for (const AnswerForm& f : kAnswerForms) {
        SCOPED_TRACE(f.name);
        modem.answerIn(f);
        StartTest(TuneTest::PowerCal);
        dlg.OK();  // keyed at the first target power
        Settle();
        ASSERT_EQ(dlg.work().currentStep, TuneStep::PowerCalKeyed);
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(i);
            modem.samples = {TuneBlock(60, kPowerReadings[static_cast<std::size_t>(i)])};
            const std::size_t mark = hostWrites().size();
            dlg.OK();
            Settle();
            EXPECT_EQ(Dialogue(mark), (Lines{"AR", "T1", "AT", "T1"}));
            EXPECT_EQ(dlg.work().calPointIndex, i + 1);
            EXPECT_EQ(dlg.work().powerCalPoints.adReading[static_cast<std::size_t>(i)],
                      kPowerStored[static_cast<std::size_t>(i)]);
            EXPECT_EQ(dlg.work().currentStep, TuneStep::PowerCalKeyed);
            EXPECT_TRUE(dlg.transmitSelected());
        }
        EXPECT_TRUE(dialogs.boxes.empty());
        Leave();
    }
}

// RSSI calibration: four samples at a level, each one reply's reading, make the level.
TEST_F(TuneReplyForms, AnRssiLevelIsTheAverageOfFourSamples) {
    for (const AnswerForm& f : kAnswerForms) {
        SCOPED_TRACE(f.name);
        modem.answerIn(f);
        StartTest(TuneTest::RssiCal);
        ASSERT_EQ(dlg.work().currentStep, TuneStep::RssiCal);
        modem.samples.clear();
        for (int r : kRssiReads[0]) modem.samples.push_back(TuneBlock(r, 0));
        const std::size_t samples = hostWrites("AT").size();
        dlg.OK();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.work().calPointIndex == 1; }, 10000));
        EXPECT_EQ(dlg.work().rssiCalPoints.adReading[0], kRssiStored[0]);
        EXPECT_EQ(hostWrites("AT").size(), samples + 4);
        EXPECT_EQ(view.diagValue, std::to_string(kRssiReads[0][3]));
        EXPECT_EQ(view.temperature, FormatAdTemperatureC(25));
        EXPECT_TRUE(hostWrites("T0").empty());
        Leave();
    }
}

// Mod Balance: the keyed record acknowledged, "BALANCE" 500 ms later, the receive record at the
// end of the Tx time acknowledged, and the re-adjust question.
TEST_F(TuneReplyForms, ModBalanceEndsInTheReAdjustQuestion) {
    for (const AnswerForm& f : kAnswerForms) {
        SCOPED_TRACE(f.name);
        modem.answerIn(f);
        StartTest(TuneTest::ModBalance);
        view.sel.txTime = 1;
        const std::size_t mark = hostWrites().size();
        dlg.OK();
        EXPECT_EQ(dlg.work().currentStep, TuneStep::ModBalanceTransmitting);
        dialogs.expectBox(kReAdjustQuestion, MsgAnswer::No);
        sched.advance(1600 + 300);
        Settle();
        EXPECT_EQ(Dialogue(mark), (Lines{"T1", "BA", "T1"}));
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        StepIs(TuneStep::ModBalanceReady, TuneTest::ModBalance, 0);  // No at point 1: point 0 next
        EXPECT_FALSE(RadioMayTransmit());
        Leave();
    }
}

// The poll: the battery, the temperature and the value of the step from one reply.
TEST_F(TuneReplyForms, DiagnosticsAreShown) {
    SimulatedModem::DiagBlock block = TuneBlock(97, 0);
    block[0] = 33;
    modem.diagBlock = block;
    for (const AnswerForm& f : kAnswerForms) {
        SCOPED_TRACE(f.name);
        modem.answerIn(f);
        Open();
        dlg.Stage([&](TuneWork& w) { w.diagIndex = TuneDiag::Rssi; });
        view.diagValue.clear();
        sched.advance(1500);
        Settle();
        EXPECT_EQ(view.diagValue, "-97 dBm");
        EXPECT_EQ(view.battery, FormatBatteryVolts(72, ctx.state.locale));
        EXPECT_EQ(view.temperature, FormatTemperatureC(25));
        EXPECT_EQ(dlg.replyCount(), 42);
        EXPECT_EQ(dlg.diagnostics().sets[0].values[0], 33);
        Leave();
    }
}

// Another exchange on the same port asks for diagnostics just before the poll, and the modem,
// answering it slowly, leaves the poll unanswered: that reply is not the poll's. Nothing of it
// is shown, and its records do not keep the poll waiting.
TEST_F(TuneReplyForms, AnotherExchangesReplyIsNotThePolls) {
    modem.diagBlock = TuneBlock(11, 0);
    modem.diagDelaysMs = {400};
    modem.diagRecordGapMs = 300;
    modem.addFault({ModemFault::Silence, ModemStep::Diagnostics, 0, 1, 1});
    Open();
    dlg.Stage([&](TuneWork& w) { w.diagIndex = TuneDiag::Rssi; });
    sched.advance(1499);
    const int other = 0;
    ASSERT_TRUE(SendModemLine(*port, CommandLine("AS"), ReplyTag{&other, 1}));
    sched.advance(1);
    ASSERT_EQ(dlg.dialogState(), TuneDialogState::AwaitingDiagnostics);
    const std::int64_t polled = sched.nowMs();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TuneDialogState::Idle; }, 3000));
    EXPECT_EQ(sched.nowMs() - polled, 500);
    sched.advance(900);  // the other reply has come, the next poll has not gone
    EXPECT_EQ(view.diagValue, "");
    EXPECT_EQ(view.battery, "");
}

}  // namespace
}  // namespace k45::test
