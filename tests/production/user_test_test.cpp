// The user test panel's dialogue end to end in virtual time: the switch reading, the channel
// tune records, the redirection and clear exchanges with their resends, and the end test.
#include <gtest/gtest.h>

#include "production/panel_bench.h"
#include "production/user_test.h"
#include "radio/synthesizer.h"
#include "programming/radio_off.h"

namespace k45::test {
namespace {

struct RecordingUserView : QuietPanelView<UserTestView> {
    std::string warning, switchText, txText, rxText, xcvr;
    std::vector<DiagnosticsTexts> diagnostics;
    void ShowDiagnostics(const DiagnosticsTexts& t) override { diagnostics.push_back(t); }
    std::vector<int> overrideSelections;
    void SetChannelWarning(const std::string& t) override { warning = t; }
    void SetSwitchSetting(const std::string& t) override { switchText = t; }
    void SelectChannelOverride(int i) override { overrideSelections.push_back(i); }
    void SetFrequencyTexts(const std::string& tx, const std::string& rx) override { txText = tx, rxText = rx; }
    void SetXcvrStatus(const std::string& t) override { xcvr = t; }
};

class UserPanel : public PanelBench {
protected:
    UserPanel() {
        host.onClose = [this] { dlg.Unload(); };
        modemRecord.channelOverride = 0;
        for (int c = 0; c < 8; ++c) {
            modemRecord.channels[static_cast<std::size_t>(c)].txFrequency = 450000000 + c * 1000000;
            modemRecord.channels[static_cast<std::size_t>(c)].rxFrequency = 455000000 + c * 1000000;
            modemRecord.powerAdjust[static_cast<std::size_t>(c)] = 255;
        }
        modem.loadRecord(ctx.state, modemRecord, kModemStamp);
        modem.switchSetting = 2;
    }
    void Open() {
        dlg.Load();
        dlg.Activate();
    }
    // Open, set up and keyed with F5.
    void OpenKeyed() {
        Open();
        ASSERT_TRUE(RunToIdleAfterT1());
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
        dlg.KeyDown(keyF5, 0);
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    }
    bool RunToIdleAfterT1() {
        return sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle && !Sent("T1").empty(); },
                                  20000);
    }
    RecordingUserView view;
    UserTestDialogue dlg{Links(), view};
};

TEST_F(UserPanel, StartUpReadsTheSwitchesAndTunesToTheirChannel) {
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    ASSERT_EQ(Sent("CSWITCH").size(), 1u);
    EXPECT_EQ(dlg.switchSetting(), 2);
    EXPECT_EQ(view.switchText, "DIP Switches (or CS0, CS1 and CS2) are set to Channel 3.");
    EXPECT_EQ(view.warning, "Note: Channel 8 is Not redirected to any Channel.");
    EXPECT_EQ(dlg.tuneRecord().txFrequency, 452000000);
    EXPECT_EQ(dlg.tuneRecord().rxFrequency, 457000000);
    EXPECT_EQ(dlg.tuneRecord().synthFrequency, 457000000);
    EXPECT_EQ(Sent("T1")[0], TuneLine(dlg.tuneRecord()));
    sched.advance(3000);
    EXPECT_FALSE(Sent("AS").empty());
    EXPECT_GT(SentTimes("AS")[0], SentTimes("T1")[0]);
}

// In every answer form each of the panel's exchanges is answered at its first try: the switch
// reading, the channel records, the clear, the redirection and the end test; diagnostics shown.
class UserPanelForms : public UserPanel, public ::testing::WithParamInterface<AnswerForm> {};

TEST_P(UserPanelForms, EveryExchangeIsAnsweredAtItsFirstTry) {
    modem.answerIn(GetParam());
    SimulatedModem::DiagBlock block{};
    block[2] = 1;
    block[5] = 50;  // Vcc
    block[37] = 6;  // the total counter
    modem.diagBlock = block;
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    EXPECT_EQ(dlg.switchSetting(), 2);
    EXPECT_EQ(Sent("CSWITCH").size(), 1u);
    auto settle = [&] { return sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000); };
    auto answered = [&] { return sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 200); };
    ASSERT_TRUE(settle());
    dlg.ClearButton();
    EXPECT_TRUE(answered()) << "AR";
    dlg.ChannelOverrideSelected(3);
    EXPECT_EQ(dlg.tuneRecord().txFrequency, 452000000);
    EXPECT_TRUE(answered()) << "channel 3";
    dlg.KeyDown(keyF5, 0);
    EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));
    EXPECT_TRUE(answered()) << "F5";
    dlg.KeyDown(keyF6, 0);
    EXPECT_TRUE(answered()) << "F6";
    dialogs.expectBox("Re-Direct Channel 8 to Channel 3", MsgAnswer::OK);
    dlg.ChannelChangeButton();
    EXPECT_TRUE(answered()) << "CHANNEL";
    EXPECT_EQ(modem.channelCommands, std::vector<int>{3});
    view.diagnostics.clear();
    ASSERT_TRUE(sched.advanceUntil([&] { return !view.diagnostics.empty(); }, 3000));
    EXPECT_EQ(view.diagnostics.back().analogVcc, "5.0 V");
    EXPECT_EQ(view.diagnostics.back().preambleTotal, "6");
    ASSERT_TRUE(settle());
    dlg.CloseButton();
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 200));
    EXPECT_EQ(Sent("T0").size(), 1u);
    EXPECT_EQ(Sent("AR").size(), 1u);
    EXPECT_EQ(host.resends, 0);
    EXPECT_EQ(dialogs.boxes.size(), 1u);  // the redirection's question
}

// The modem answers "AR" just after the time-out, so the clear is resent and answered twice:
// the first answer ends the clear, the second is not the acknowledgement of the keyed record
// the operator sends meanwhile, which the modem leaves unanswered.
TEST_P(UserPanelForms, TheAnswerToAResendIsNotTheNextRecordsAcknowledgement) {
    modem.answerIn(GetParam());
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    modem.replyDelayMs = 520;
    dlg.ClearButton();
    ASSERT_TRUE(sched.advanceUntil([&] { return Sent("AR").size() == 2; }, 1000));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, 1});
    dialogs.expectBox(kTxOffText);
    dlg.KeyDown(keyF5, 0);
    ASSERT_EQ(dlg.dialogState(), TestPanelState::AwaitingChannelTuneAck);
    const std::int64_t keyed = sched.nowMs();
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 3000));
    EXPECT_EQ(SentTimes("T0").front() - keyed, 500);
    EXPECT_EQ(view.xcvr, "Rx'ing");
    EXPECT_EQ(host.resends, 1);
}

INSTANTIATE_TEST_SUITE_P(AnswerForms, UserPanelForms, ::testing::ValuesIn(kAnswerForms), FormName);

TEST_F(UserPanel, ARedirectedChannel8TestsTheTargetChannelNotTheSwitches) {
    modemRecord.channelOverride = 5;
    modem.loadRecord(ctx.state, modemRecord, kModemStamp);
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    EXPECT_EQ(view.overrideSelections, std::vector<int>{5});
    EXPECT_EQ(view.warning, "Note: Channel 8 is redirected to Channel 5.");
    EXPECT_EQ(dlg.tuneRecord().txFrequency, 454000000);
}

TEST_F(UserPanel, AModemThatNeverAnswersTheSwitchRequestIsAskedFourTimesThenLeftIdle) {
    modem.addFault({ModemFault::Silence, ModemStep::Switch, 0, -1});
    const std::string before = view.switchText;
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return !Sent("CSWITCH").empty(); }, 20000));
    const std::int64_t first = SentTimes("CSWITCH")[0];
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 5000));
    EXPECT_EQ(sched.nowMs() - first, 2000);
    const auto times = SentTimes("CSWITCH");
    ASSERT_EQ(times.size(), 4u);
    for (std::size_t i = 1; i < times.size(); ++i) EXPECT_EQ(times[i] - times[i - 1], 500);
    EXPECT_TRUE(Sent("T1").empty());
    EXPECT_EQ(view.switchText, before);
    EXPECT_EQ(host.resends, 0);  // switch resends are not counted
    sched.advance(1600);
    EXPECT_FALSE(Sent("AS").empty());
}

TEST_F(UserPanel, AChannelsPowerLevelScalesTheTunedPower) {
    EXPECT_EQ(ScaleChannelPower(200, 128), 100);
    EXPECT_EQ(ScaleChannelPower(200, 255), 200);
    EXPECT_EQ(ScaleChannelPower(255, 0), 0);
    modemRecord.powerAdjust[2] = 128;
    modem.loadRecord(ctx.state, modemRecord, kModemStamp);
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    const TuneRecord& t = dlg.tuneRecord();
    const std::int16_t tuned = InterpolateTuneValue(ctx.state, t.txFrequency, modemRecord.radioType,
                                                    modemRecord.radioRange, true, t.powerAdj);
    EXPECT_EQ(t.powerValue, ScaleChannelPower(tuned, 128));
}

TEST_F(UserPanel, RedirectionAsksAndSendsTheChannelOrOff) {
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000);
    dlg.ChannelOverrideSelected(3);
    EXPECT_EQ(dlg.tuneRecord().txFrequency, 452000000);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    dialogs.expectBox("Do you want to Re-Direct Channel 8 to Channel 3?", MsgAnswer::OK);
    dlg.ChannelChangeButton();
    EXPECT_EQ(Sent("CHANNEL"), std::vector<std::string>{"CHANNEL03"});
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    dlg.ChannelOverrideSelected(0);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    dialogs.expectBox("Do you want to Disable the Re-Directing of Channel 8?", MsgAnswer::Cancel);
    dlg.ChannelChangeButton();
    EXPECT_EQ(Sent("CHANNEL").size(), 1u);
    dialogs.expectBox("Do you want to Disable the Re-Directing of Channel 8?", MsgAnswer::OK);
    dlg.ChannelChangeButton();
    EXPECT_EQ(Sent("CHANNEL").back(), "CHANNEL00");
    EXPECT_EQ(modem.channelCommands, (std::vector<int>{3}));  // the second still on its way
}

// The box runs its own event loop: a window closed meanwhile sends no redirection to the radio.
TEST_F(UserPanel, RedirectionConfirmedAfterTheWindowClosedUnderTheBoxIsNotSent) {
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    dlg.ChannelOverrideSelected(3);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    BoxWithEvents boxes;
    boxes.whileShown = [&] { dlg.Unload(); };
    boxes.expectBox("Do you want to Re-Direct Channel 8 to Channel 3?", MsgAnswer::OK);
    ctx.state.dialogs = &boxes;
    dlg.ChannelChangeButton();
    ctx.state.dialogs = &dialogs;
    EXPECT_FALSE(dlg.loaded());
    EXPECT_TRUE(Sent("CHANNEL").empty());
    sched.advance(2000);
    EXPECT_TRUE(modem.channelCommands.empty());
}

TEST_F(UserPanel, RedirectionAskedDuringADiagnosticReplyIsSentAfterIt) {
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::AwaitingDiagnostics; }, 3000));
    dialogs.expectBox("Re-Direct", MsgAnswer::OK);
    dlg.ChannelOverrideSelected(4);  // deferred too
    dlg.ChannelChangeButton();
    EXPECT_TRUE(dlg.redirectSendPending());
    EXPECT_TRUE(Sent("CHANNEL").empty());
    ASSERT_TRUE(sched.advanceUntil([&] { return Sent("CHANNEL").size() == 1; }, 3000));
    EXPECT_EQ(Sent("CHANNEL")[0], "CHANNEL04");
}

TEST_F(UserPanel, AnUnansweredClearIsResentThreeTimesCountedThenGivenUp) {
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    modem.addFault({ModemFault::Silence, ModemStep::Clear, 0, -1});
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.ClearButton();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 5000));
    const auto times = SentTimes("AR");
    ASSERT_EQ(times.size(), 4u);
    EXPECT_EQ(times[3] - times[0], 1500);
    EXPECT_EQ(host.resends, 3);
}

TEST_F(UserPanel, CloseDuringAClearSendsT0OnceItIsGivenUpAndAMissingAnswerIsReported) {
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    modem.addFault({ModemFault::Silence, ModemStep::Clear, 0, -1});
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, -1});
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.ClearButton();
    dlg.CloseButton();
    EXPECT_TRUE(Sent("T0").empty());
    dialogs.expectBox("Unit Not Responding to End Test!");
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 10000));
    const auto t0 = SentTimes("T0");
    ASSERT_EQ(t0.size(), 4u);
    EXPECT_GT(t0[0], SentTimes("AR").back());
    EXPECT_EQ(host.resends, 6);
    EXPECT_EQ(LastRadioCommand(), "T0");
}

TEST_F(UserPanel, AKeyedTuneRecordLeftUnansweredEndsTheTestAndTells) {
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1});
    dialogs.expectBox(kTxOffText);
    dlg.KeyDown(keyF5, 0);
    const std::int64_t keyedAt = SentTimes("T1").back();
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 3000));
    EXPECT_EQ(LastRadioCommand(), "T0");
    EXPECT_EQ(SentTimes("T0").back() - keyedAt, 500);
    EXPECT_EQ(view.xcvr, "Rx'ing");
    EXPECT_FALSE(dlg.transmitSelected());
}

// Keyed, the adapter pulled: F6 and the Clear button send nothing into the closed port (its
// own exchanges included); one message says what the loss means for the radio.
TEST_F(UserPanel, ALostPortWhileKeyedSendsNothingAndTellsOnce) {
    OpenKeyed();
    const std::size_t written = hostWrites().size();
    dialogs.expectBox("Lost Com Port 1");
    dialogs.expectBox(PortClosedText(1, true));
    cable.a().unplug();
    dlg.KeyDown(keyF6, 0);
    dlg.ClearButton();
    sched.advance(5000);
    EXPECT_EQ(hostWrites().size(), written);
    EXPECT_EQ(dialogs.boxes.size(), 2u);
}

// Keyed, the adapter pulled while Close's "T0" awaits its acknowledgement: the unit is not
// blamed, the window stays and the unkey stays owed; it goes first once the port is open again,
// and Close then ends the test.
TEST_F(UserPanel, APortLostDuringTheEndTestIsToldAsSuchAndTheUnkeyStaysOwed) {
    OpenKeyed();
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, 1});
    dlg.CloseButton();
    ASSERT_EQ(Sent("T0").size(), 1u);
    sched.advance(100);
    dialogs.expectBox("Lost Com Port 1");
    dialogs.expectBox(EndTestPortLostText(1, true));
    cable.a().unplug();
    const std::size_t written = hostWrites().size();
    sched.advance(5000);
    EXPECT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_TRUE(dlg.loaded());
    EXPECT_EQ(hostWrites().size(), written);

    cable.a().plugIn();
    ASSERT_TRUE(port->RegisterForSRecord(&dlg, false));
    dialogs.expectBox(kTxOffLaterText);
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 3; }, 5000));
    EXPECT_EQ(Sent("T0").size(), 2u);
    EXPECT_TRUE(dlg.loaded());
    dlg.CloseButton();
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 3000));
    EXPECT_EQ(Sent("T0").size(), 3u);
    EXPECT_EQ(dialogs.boxes.size(), 3u);
}

// Keyed, the adapter pulled: the close box and Swap Comm Ports cannot send the unkey and say so.
TEST_F(UserPanel, LeavingALostPortWhileKeyedSaysTheUnkeyCouldNotBeSent) {
    for (const bool swap : {false, true}) {
        SCOPED_TRACE(swap ? "swap" : "close box");
        if (swap) {
            cable.a().plugIn();
            ASSERT_TRUE(port->OpenCommPort(false));
        }
        OpenKeyed();
        const std::size_t written = hostWrites().size();
        dialogs.expectBox("Lost Com Port 1");
        dialogs.expectBox(PortClosedAtCloseText(1, true));
        cable.a().unplug();
        sched.advance(100);
        if (swap) dlg.PortsSwapping();
        else dlg.Unload();
        ASSERT_EQ(dialogs.boxes.size(), 2u);
        EXPECT_EQ(dialogs.boxes.back().text, PortClosedAtCloseText(1, true));
        EXPECT_EQ(hostWrites().size(), written);
        dlg.Unload();
        dialogs.boxes.clear();
    }
}

TEST_F(UserPanel, TheCloseBoxWhileTransmittingSendsT0) {
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.KeyDown(keyF5, 0);
    EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));
    dlg.Unload();
    EXPECT_EQ(LastRadioCommand(), "T0");
}

TEST_F(UserPanel, F7TogglesThePollsOnlyInEngineeringMode) {
    Open();
    ASSERT_TRUE(RunToIdleAfterT1());
    EXPECT_FALSE(dlg.KeyDown(keyF7, 0));
    EXPECT_TRUE(dlg.diagnosticsEnabled());
    ctx.state.engineerMode = true;
    dlg.KeyDown(keyF7, 0);
    EXPECT_FALSE(dlg.diagnosticsEnabled());
    sched.advance(500);
    const std::size_t polls = Sent("AS").size();
    sched.advance(4000);
    EXPECT_EQ(Sent("AS").size(), polls);
    dlg.KeyDown(keyF7, 0);
    sched.advance(1600);
    EXPECT_GT(Sent("AS").size(), polls);
}

}  // namespace
}  // namespace k45::test
