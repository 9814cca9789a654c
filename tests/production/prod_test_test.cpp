// The production test panel's dialogue end to end in virtual time: parameter read, "T1",
// polls, transmit modes, adjust keys, write-back and every way out; and the gate every send of
// the three panels passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/converters.h"
#include "production/eng_test.h"
#include "production/panel_bench.h"
#include "production/prod_test.h"
#include "production/user_test.h"
#include "programming/radio_off.h"
#include "radio/synthesizer.h"
#include "tuning/tune_math.h"

namespace k45::test {
namespace {

struct RecordingProdView : QuietPanelView<ProdTestView> {
    std::string xcvr = "Rx'ing";
    std::string txText, rxText, cnFcCaption, directText;
    std::array<std::string, 8> values{};
    std::vector<DiagnosticsTexts> diagnostics;
    std::vector<int> freqPairSelections;
    std::vector<std::pair<std::int32_t, std::int32_t>> powerOpens, rssiOpens;
    bool gainDisabled = false;
    void SetXcvrStatus(const std::string& t) override { xcvr = t; }
    void SetFrequencyTexts(const std::string& tx, const std::string& rx) override { txText = tx, rxText = rx; }
    void SetCnFcCaption(const std::string& c) override { cnFcCaption = c; }
    void ShowTuneValues(const std::array<std::string, 8>& v) override { values = v; }
    void ShowDiagnostics(const DiagnosticsTexts& t) override { diagnostics.push_back(t); }
    void DisableGainAndDeviation() override { gainDisabled = true; }
    void SetDirectText(const std::string& t) override { directText = t; }
    void SelectFreqPair(int i) override { freqPairSelections.push_back(i); }
    void OpenPowerCalibration(std::int32_t rx, std::int32_t tx) override { powerOpens.emplace_back(rx, tx); }
    void OpenRssiCalibration(std::int32_t rx, std::int32_t tx) override { rssiOpens.emplace_back(rx, tx); }
};

class ProdPanel : public PanelBench {
protected:
    ProdPanel() {
        host.onClose = [this] { dlg.Unload(); };
        modem.diagBlock = DiagBlock();
    }
    // A PNet diagnostic block: battery 12.5 V, Vcc 5.0 V, 25 C, RSSI 97 dB in the current set,
    // forward power 4.5 W and reverse 0.2 W in the high set, counters 7, 9, 3.
    static SimulatedModem::DiagBlock DiagBlock() {
        SimulatedModem::DiagBlock b{};
        b[2] = 1;  // a non-zero third byte: the PNet form
        b[0 * 10 + 2] = 125;
        b[0 * 10 + 5] = 50;
        b[0 * 10 + 6] = 25;
        b[0 * 10 + 7] = 97;
        b[2 * 10 + 8] = 45;
        b[2 * 10 + 9] = 2;
        b[33] = 7;
        b[37] = 9;
        b[41] = 3;
        return b;
    }
    // Load and first activation, until the first "T1" was acknowledged.
    void Open() {
        dlg.Load();
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle && !Sent("T1").empty(); },
                                       20000));
    }
    // Open, keyed with F5, then the adapter pulled (its loss box expected): the writes so far.
    std::size_t KeyedThenPulled() {
        Open();
        EXPECT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
        dlg.KeyDown(keyF5, 0);
        EXPECT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
        const std::size_t written = hostWrites().size();
        dialogs.expectBox("Lost Com Port 1");
        cable.a().unplug();
        return written;
    }
    const RadioSpec& Spec(int point) const {
        const auto& t = ctx.state.testParameters;
        return t.radioSpecs[static_cast<std::size_t>(modemRecord.radioType + 3 * modemRecord.radioRange + 30 * point)];
    }

    RecordingProdView view;
    ProdTestDialogue dlg{Links(), view};
};

TEST_F(ProdPanel, StartUpReadsTheParametersSendsTheMidPointAndPolls) {
    ctx.state.testParameters.rxOffsetIndex = 2;  // +75 kHz
    ctx.state.testParameters.txOffsetIndex = 3;  // -150 kHz
    Open();
    EXPECT_EQ(host.reads, 1);
    const TuneRecord& t = dlg.tuneRecord();
    EXPECT_EQ(t.txFrequency, Spec(1).txFrequency - 150000);
    EXPECT_EQ(t.rxFrequency, Spec(1).rxFrequency + 75000);
    EXPECT_EQ(t.synthFrequency, t.rxFrequency);
    EXPECT_EQ(t.radioType, modemRecord.radioType);
    EXPECT_EQ(t.radioRange, modemRecord.radioRange);
    ASSERT_EQ(Sent("T1").size(), 1u);
    EXPECT_EQ(Sent("T1")[0], TuneLine(t));
    EXPECT_EQ(view.rxText, FormatMHz(t.rxFrequency, ctx.state.locale));

    // Polls every 1500 ms from load; the first after the read and the "T1" acknowledgement.
    const std::int64_t t1At = SentTimes("T1")[0];
    sched.advance(4600);
    const auto polls = SentTimes("AS");
    ASSERT_GE(polls.size(), 2u);
    EXPECT_GT(polls[0], t1At);
    EXPECT_EQ(polls[1] - polls[0], 1500);
    ASSERT_FALSE(view.diagnostics.empty());
    const DiagnosticsTexts& d = view.diagnostics.back();
    EXPECT_EQ(d.batteryVoltage, "12.5 V");
    EXPECT_EQ(d.analogVcc, "5.0 V");
    EXPECT_EQ(d.temperature, "25 C");
    EXPECT_EQ(d.rssiLevel, "-97 dBm");
    EXPECT_EQ(d.fwdPwr, "4.5 W");
    EXPECT_EQ(d.revPwr, "0.2 W");
    EXPECT_EQ(d.preambleGood, "7");
    EXPECT_EQ(d.preambleTotal, "9");
    EXPECT_EQ(d.preambleDcd, "3");
    EXPECT_EQ(d.currentPercent, RssiToPercent(97));
    EXPECT_EQ(dlg.dialogState(), TestPanelState::Idle);
}

// Every tune record the operator sends is acknowledged well within the response time, whether
// the modem closes its answer with the end pair or a bare acknowledgement, and a diagnostic block
// is shown whatever addresses and split the modem gives its data; Close ends the test.
class ProdPanelForms : public ProdPanel, public ::testing::WithParamInterface<AnswerForm> {};

TEST_P(ProdPanelForms, TuneRecordsAreAcknowledgedDiagnosticsShownAndTheTestEnds) {
    modem.answerIn(GetParam());
    Open();
    struct Action {
        const char* what;
        std::function<void()> act;
        std::function<bool(const TuneRecord&)> sent;  // what the record carries
    };
    const std::int16_t mid = dlg.tuneRecord().powerValue;
    const Action actions[] = {
        {"PgUp on the power value", [&] { dlg.KeyDown(keyPageUp, 0); },
         [&](const TuneRecord& t) { return t.powerValue == AdjustUnsigned(mid, 1); }},
        {"direct value 201", [&] { dlg.DirectValue(201); }, [](const TuneRecord& t) { return t.powerValue == 201; }},
        {"F5", [&] { dlg.KeyDown(keyF5, 0); }, [](const TuneRecord& t) { return IsSet(t.txSelected); }},
        {"F6", [&] { dlg.KeyDown(keyF6, 0); }, [](const TuneRecord& t) { return !IsSet(t.txSelected); }},
        {"HIGH", [&] { dlg.FreqPairSelected(3); },
         [&](const TuneRecord& t) { return t.txFrequency == Spec(2).txFrequency; }},
        {"the range", [&] { dlg.RadioRangeSelected(modemRecord.radioRange); },
         [&](const TuneRecord& t) { return t.radioRange == modemRecord.radioRange; }},
        {"channel 2", [&] { dlg.ChannelSelected(2); },
         [&](const TuneRecord& t) { return t.txFrequency == modemRecord.channels[1].txFrequency; }},
        {"Freq Pair", [&] { dlg.ChannelSelected(0); },
         [&](const TuneRecord& t) { return t.txFrequency == Spec(2).txFrequency; }},
    };
    for (const Action& a : actions) {
        SCOPED_TRACE(a.what);
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
        const std::size_t records = Sent("T1").size();
        a.act();
        ASSERT_EQ(Sent("T1").size(), records + 1);
        EXPECT_EQ(Sent("T1").back(), TuneLine(dlg.tuneRecord()));
        EXPECT_TRUE(a.sent(dlg.tuneRecord()));
        // Its acknowledgement, not the time-out, ends the exchange.
        EXPECT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 200));
    }
    view.diagnostics.clear();
    ASSERT_TRUE(sched.advanceUntil([&] { return !view.diagnostics.empty(); }, 3000));
    EXPECT_EQ(view.diagnostics.back().rssiLevel, "-97 dBm");
    EXPECT_EQ(view.diagnostics.back().fwdPwr, "4.5 W");
    EXPECT_EQ(view.diagnostics.back().preambleDcd, "3");
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 300));
    dlg.CloseButton();
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 200));
    EXPECT_EQ(Sent("T0").size(), 1u);
    EXPECT_TRUE(dialogs.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(AnswerForms, ProdPanelForms, ::testing::ValuesIn(kAnswerForms), FormName);

TEST_F(ProdPanel, APortThatClosedIsNotPolledAndReportsNothingUntilItIsBack) {
    Open();
    port->CloseCommPort();
    const std::size_t polls = SentTimes("AS").size();
    // Without the check every poll would put up "Com Port 1 Not Open!!" (the scripted dialogs
    // refuse a box nobody expected).
    sched.advance(10000);
    EXPECT_EQ(SentTimes("AS").size(), polls);
    ASSERT_TRUE(port->OpenCommPort(false));
    sched.advance(3100);
    EXPECT_GT(SentTimes("AS").size(), polls);
}

TEST_F(ProdPanel, ADiagnosticReplyInThreeRecordsIsTakenAtTheThirdAndEndsWithItsAcknowledgement) {
    Open();
    modem.splitDiagBlocks = true;  // 16 + 16 + 10 bytes
    const std::size_t before = view.diagnostics.size();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::AwaitingDiagnostics; }, 3000));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 500));
    EXPECT_EQ(view.diagnostics.size(), before + 1);
    EXPECT_EQ(view.diagnostics.back().preambleDcd, "3");  // byte 41, in the third record
}

TEST_F(ProdPanel, RandomDataSchedulesBothPsudoCommandsAndTheTransmitDisplay) {
    Open();
    dlg.TransmitModeChanged(txRandomData);
    dlg.TxTimeChanged(30);
    // Between polls, so the "T1" goes at once.
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    ASSERT_TRUE(dlg.KeyDown(keyF5, 0));
    const std::int64_t at = sched.nowMs();
    EXPECT_EQ(view.xcvr, "Tx'ing");
    ASSERT_EQ(Sent("T1").size(), 2u);
    EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));
    EXPECT_EQ(dlg.tuneRecord().synthFrequency, dlg.tuneRecord().txFrequency);
    sched.advance(2400);
    const auto psudo = modem.linesStartingWith("PSUDO");
    ASSERT_EQ(psudo.size(), 2u);
    EXPECT_EQ(psudo[0].text, "PSUDO01");
    EXPECT_EQ(psudo[1].text, "PSUDO80");
    EXPECT_EQ(dlg.timerTxDisplay().interval(), 11091);
    // Wire time of a short line at 9600 baud is a few ms; the schedule is 1000 and 1250 ms.
    EXPECT_NEAR(static_cast<double>(psudo[0].atMs - at), 1000.0, 15.0);
    EXPECT_NEAR(static_cast<double>(psudo[1].atMs - psudo[0].atMs), 1250.0, 5.0);
    sched.advance(11091 - 2400 - 5);
    EXPECT_EQ(view.xcvr, "Tx'ing");
    sched.advance(10);
    EXPECT_EQ(view.xcvr, "Rx'ing");
}

TEST_F(ProdPanel, ToneKeepsTheTransmitterKeyedAndStopsThePollsUntilF6) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.KeyDown(keyF5, 0);
    sched.advance(50);
    const std::size_t polls = Sent("AS").size();
    sched.advance(6000);
    EXPECT_EQ(Sent("AS").size(), polls);
    EXPECT_TRUE(dlg.transmitSelected());
    dlg.KeyDown(keyF6, 0);
    sched.advance(3100);
    EXPECT_GT(Sent("AS").size(), polls);
    EXPECT_EQ(LastRadioCommand(), TuneLine(dlg.tuneRecord()));
    EXPECT_FALSE(IsSet(dlg.tuneRecord().txSelected));
}

TEST_F(ProdPanel, F5DuringADiagnosticExchangeIsSentWhenItEnds) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::AwaitingDiagnostics; }, 3000));
    dlg.KeyDown(keyF5, 0);
    EXPECT_TRUE(dlg.pairSendPending());
    EXPECT_EQ(Sent("T1").size(), 1u);
    ASSERT_TRUE(sched.advanceUntil([&] { return Sent("T1").size() == 2; }, 1000));
    EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));
}

TEST_F(ProdPanel, AnUnansweredExchangeEndsAtItsTimeOutWithoutAResend) {
    Open();
    modem.addFault({ModemFault::Silence, ModemStep::Diagnostics, 0, 1});
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::AwaitingDiagnostics; }, 3000));
    const std::int64_t at = sched.nowMs();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 2000));
    EXPECT_EQ(sched.nowMs() - at, 500);
    EXPECT_TRUE(dialogs.boxes.empty());
}

// A tune record left unanswered while the radio may transmit (keyed with F5, or the receive
// record F6 sends after it): at the time-out "T0", receive shown, one message, and no delayed
// transmit-mode command follows.
TEST_F(ProdPanel, ATuneRecordLeftUnansweredWhileTheRadioMayTransmitEndsTheTestAndTells) {
    struct Case {
        const char* what;
        std::int32_t mode;
        bool keyFirst;  // F5 answered first, then F6 unanswered
    };
    const Case cases[] = {{"F5, Tone", txTone, false}, {"F5, Mod Balance", txModBalance, false}, {"F6 after F5", txTone, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
        dlg.TransmitModeChanged(c.mode);
        if (c.keyFirst) {
            dlg.KeyDown(keyF5, 0);
            ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
        }
        modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1});
        const std::size_t written = hostWrites().size();
        const std::int64_t t0 = sched.nowMs();
        dialogs.expectBox(kTxOffText);
        dlg.KeyDown(c.keyFirst ? keyF6 : keyF5, 0);
        ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 3000));
        EXPECT_EQ(SentTimes("T0").back() - t0, 500);
        std::vector<std::string> lines;
        const auto all = hostWrites();
        for (std::size_t i = written; i < all.size(); ++i) lines.push_back(Line(all[i].bytes).substr(0, 2));
        EXPECT_EQ(lines, (std::vector<std::string>{"T1", "T0"}));
        EXPECT_EQ(view.xcvr, "Rx'ing");
        EXPECT_FALSE(dlg.transmitSelected());
        sched.advance(15000);
        EXPECT_TRUE(Sent("BALANCE").empty());
        EXPECT_EQ(dialogs.boxes.size(), 1u);
        dialogs.boxes.clear();
        modem.clearFaults();
        dlg.Unload();
    }
}

// The modem stops answering with the radio keyed and stays silent to the "T0" too: the panel
// says the radio may still be transmitting, never that it was turned off; the owed "T0" takes
// the polls' place, an F6 waits behind it, and once the modem answers the "T0" goes first, its
// acknowledgement alone says the transmitter is off, and the F6 record follows.
TEST_F(ProdPanel, AnUnkeyTheModemDoesNotAcknowledgeStaysOwedAndGoesFirstWhenItAnswers) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    for (ModemStep s : {ModemStep::Tune, ModemStep::Diagnostics, ModemStep::EndTest})
        modem.addFault({ModemFault::Silence, s, 0, -1});
    const std::size_t written = hostWrites().size();
    dialogs.expectBox(kMayTransmitText);
    dlg.KeyDown(keyF5, 0);
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 5000));
    auto linesSince = [&](std::size_t from) {
        std::vector<std::string> r;
        const auto all = hostWrites();
        for (std::size_t i = from; i < all.size(); ++i) r.push_back(Line(all[i].bytes).substr(0, 2));
        return r;
    };
    EXPECT_EQ(linesSince(written), (std::vector<std::string>{"T1", "T0", "T0", "T0", "T0"}));
    EXPECT_EQ(view.xcvr, "Rx'ing");
    sched.advance(6000);
    std::vector<std::string> lines = linesSince(written);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "AS"), 0) << "the owed unkey takes the polls' place";
    EXPECT_GT(std::count(lines.begin(), lines.end(), "T0"), 4);
    EXPECT_EQ(dialogs.boxes.size(), 1u);

    // F6 waits behind the unkey; while the modem stays silent that is told again.
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 5000));
    dialogs.expectBox(kMayTransmitText);
    std::size_t mark = hostWrites().size();
    dlg.KeyDown(keyF6, 0);
    EXPECT_TRUE(dlg.pairSendPending());
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 2; }, 5000));
    EXPECT_EQ(linesSince(mark), (std::vector<std::string>{"T0", "T0", "T0", "T0"}));

    modem.clearFaults();
    mark = hostWrites().size();
    dialogs.expectBox(kTxOffLaterText);
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 3; }, 5000));
    ASSERT_TRUE(
        sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle && !dlg.pairSendPending(); }, 3000));
    lines = linesSince(mark);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "T0");
    EXPECT_EQ(lines[1], "T1");
    EXPECT_FALSE(IsSet(dlg.tuneRecord().txSelected));
    sched.advance(3100);
    EXPECT_GT(Sent("AS").size(), 0u);
    EXPECT_EQ(dialogs.boxes.size(), 3u);
}

// Keyed with F5, the adapter pulled, then F6 and the other keys: nothing is written into the
// closed port (no "Not Open" box per send), one message says what the loss means for the radio.
// The port opened again gets the owed "T0" first.
TEST_F(ProdPanel, ALostPortWhileKeyedSendsNothingTellsOnceAndUnkeysWhenItIsBack) {
    const std::size_t written = KeyedThenPulled();
    dialogs.expectBox(PortClosedText(1, true));
    dlg.KeyDown(keyF6, 0);
    dlg.KeyDown(keyF5, 0);
    dlg.KeyDown(keyPageUp, 0);
    dlg.ClearDiagnosticsButton();
    sched.advance(5000);
    EXPECT_EQ(hostWrites().size(), written);
    EXPECT_EQ(dialogs.boxes.size(), 2u);

    cable.a().plugIn();
    ASSERT_TRUE(port->RegisterForSRecord(&dlg, false));
    dialogs.expectBox(kTxOffLaterText);
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 3; }, 5000));
    EXPECT_EQ(Line(hostWrites()[written].bytes), "T0");
    EXPECT_EQ(hostWrites().size(), written + 1);
}

// Keyed with F5, the adapter pulled, then Close: the window goes, and the owed unkey with it, so
// the message says it could not be sent and promises no later one, also to an operator who was
// promised it before.
class ProdPanelCloseOnALostPort : public ProdPanel, public ::testing::WithParamInterface<bool> {};

TEST_P(ProdPanelCloseOnALostPort, TheMessagePromisesNoUnkey) {
    const bool toldBefore = GetParam();
    const std::size_t written = KeyedThenPulled();
    if (toldBefore) {
        dialogs.expectBox(PortClosedText(1, true));
        dlg.KeyDown(keyF6, 0);
    }
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    const std::string closing = PortClosedAtCloseText(1, true);
    dialogs.expectBox(closing);
    dlg.CloseButton();
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(host.closes, 1);
    EXPECT_EQ(hostWrites().size(), written);
    ASSERT_EQ(dialogs.boxes.size(), toldBefore ? 3u : 2u);
    EXPECT_EQ(dialogs.boxes.back().text, closing);
}

INSTANTIATE_TEST_SUITE_P(ToldBefore, ProdPanelCloseOnALostPort, ::testing::Bool());

// The other ways out, with the radio keyed and the port lost: the window's close box and Swap
// Comm Ports cannot send the unkey either, and say so, whether or not the loss was told before.
struct WayOut {
    const char* what;
    bool swap;        // Swap Comm Ports, else the close box
    bool toldBefore;  // F6 met the closed port first
    friend void PrintTo(const WayOut& w, std::ostream* os) { *os << w.what; }
};
class ProdPanelLeavesALostPort : public ProdPanel, public ::testing::WithParamInterface<WayOut> {};

TEST_P(ProdPanelLeavesALostPort, TheOperatorHearsThatTheUnkeyCouldNotBeSent) {
    const WayOut& w = GetParam();
    const std::size_t written = KeyedThenPulled();
    if (w.toldBefore) {
        dialogs.expectBox(PortClosedText(1, true));
        dlg.KeyDown(keyF6, 0);
    }
    const std::string leaving = PortClosedAtCloseText(1, true);
    dialogs.expectBox(leaving);
    if (w.swap) dlg.PortsSwapping();
    else dlg.Unload();
    ASSERT_EQ(dialogs.boxes.size(), w.toldBefore ? 3u : 2u);
    EXPECT_EQ(dialogs.boxes.back().text, leaving);
    EXPECT_EQ(hostWrites().size(), written);
    EXPECT_EQ(dlg.loaded(), w.swap);
    // Nothing more is owed by this window: no further word, nothing written.
    if (dlg.loaded()) dlg.Unload();
    sched.advance(5000);
    EXPECT_EQ(dialogs.boxes.size(), w.toldBefore ? 3u : 2u);
    EXPECT_EQ(hostWrites().size(), written);
}

const WayOut kWaysOut[] = {
    {"close box", false, false},
    {"close box, told before", false, true},
    {"swap", true, false},
    {"swap, told before", true, true},
};
INSTANTIATE_TEST_SUITE_P(WaysOut, ProdPanelLeavesALostPort, ::testing::ValuesIn(kWaysOut),
                         [](const ::testing::TestParamInfo<WayOut>& i) { return std::to_string(i.index); });

TEST_F(ProdPanel, FreqPairChosenDuringAnOpenExchangeDoesNotWedgeTheDialogue) {
    Open();
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, 1});
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.ChannelSelected(3);  // "T1" on channel 3, never acknowledged
    EXPECT_EQ(dlg.dialogState(), TestPanelState::AwaitingAck);
    dlg.ChannelSelected(0);  // "Freq Pair": deferred
    EXPECT_TRUE(dlg.pairSendPending());
    ASSERT_TRUE(sched.advanceUntil([&] { return Sent("T1").size() == 3; }, 1000));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
}

TEST_F(ProdPanel, CloseEndsTheTestWithT0AfterAnOpenExchange) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::AwaitingDiagnostics; }, 3000));
    dlg.CloseButton();
    EXPECT_TRUE(dlg.endTestPending());
    EXPECT_TRUE(Sent("T0").empty());
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 2000));
    EXPECT_EQ(Sent("T0").size(), 1u);
    EXPECT_EQ(LastRadioCommand(), "T0");
    EXPECT_EQ(host.closes, 1);
}

TEST_F(ProdPanel, AnUnansweredEndTestIsReportedAndTheWindowCloses) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, -1});
    dialogs.expectBox("Unit Not Responding to End Test!");
    dlg.CloseButton();
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 2000));
    EXPECT_EQ(Sent("T0").size(), 1u);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(ProdPanel, CloseBeforeTheParametersArriveSendsNoT0) {
    dlg.Load();
    dlg.Activate();
    dlg.CloseButton();
    EXPECT_FALSE(dlg.loaded());
    sched.advance(3000);
    EXPECT_TRUE(Sent("T0").empty());
    EXPECT_TRUE(Sent("T1").empty());
}

TEST_F(ProdPanel, TheCloseBoxWhileTransmittingSendsT0) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.KeyDown(keyF5, 0);
    sched.advance(100);
    dlg.Unload();  // close box, shutdown
    sched.advance(100);
    EXPECT_EQ(LastRadioCommand(), "T0");
}

TEST_F(ProdPanel, APortSwapReadsTheParametersAgainBeforeAnyFurtherT1) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    CommSettings comm = port->settings();
    comm.portNumber = 2;
    port->setSettings(comm);
    dlg.Activate();
    EXPECT_EQ(host.reads, 2);
    EXPECT_EQ(dlg.dialogState(), TestPanelState::AwaitingParameters);
    dlg.KeyDown(keyF5, 0);  // dropped while the parameters are awaited
    EXPECT_EQ(Sent("T1").size(), 1u);
    ASSERT_TRUE(sched.advanceUntil([&] { return Sent("T1").size() == 2; }, 20000));
}

// Nothing meant for the radio on the old port reaches the one the port leads to next.
TEST_F(ProdPanel, ASwapBeforeTheDelayedBalanceEndsTheTestAndDropsTheBalance) {
    Open();
    dlg.TransmitModeChanged(txModBalance);
    dlg.TxTimeChanged(5);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    ASSERT_TRUE(dlg.KeyDown(keyF5, 0));
    sched.advance(200);
    dlg.PortsSwapping();
    EXPECT_EQ(LastRadioCommand(), "T0");
    EXPECT_EQ(view.xcvr, "Rx'ing");
    sched.advance(3000);
    EXPECT_TRUE(Sent("BALANCE").empty());
    EXPECT_EQ(Sent("T0").size(), 1u);
    EXPECT_TRUE(dlg.loaded());
}

TEST_F(ProdPanel, ASwapWhileTheEndTestWaitsClosesTheWindowAfterItsT0) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::AwaitingDiagnostics; }, 3000));
    dlg.CloseButton();
    ASSERT_TRUE(dlg.endTestPending());
    dlg.PortsSwapping();
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(host.closes, 1);
    sched.advance(2000);
    EXPECT_EQ(Sent("T0").size(), 1u);
    EXPECT_EQ(LastRadioCommand(), "T0");
}

TEST_F(ProdPanel, ASwapBeforeAnyT1SendsNothing) {
    dlg.Load();
    dlg.Activate();
    dlg.PortsSwapping();
    sched.advance(100);
    EXPECT_TRUE(Sent("T0").empty());
}

TEST_F(ProdPanel, EveryActivationWhileIdleSendsTheTuneRecordAgain) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    host.active = false;
    dlg.KeyDown(keyF6, 0);  // not active: dropped
    EXPECT_EQ(Sent("T1").size(), 1u);
    host.active = true;
    dlg.Activate();
    EXPECT_EQ(Sent("T1").size(), 2u);
}

TEST_F(ProdPanel, AdjustKeysChangeThePointsValueAndKeepItWhenThePointIsLeft) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    const std::int16_t mid = dlg.tuneRecord().powerValue;
    dlg.KeyDown(keyPageUp, 0);
    EXPECT_EQ(dlg.tuneRecord().powerAdj[1], AdjustUnsigned(mid, 1));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    EXPECT_EQ(dlg.tuneRecord().powerValue, AdjustUnsigned(mid, 1));
    dlg.FreqPairSelected(3);  // HIGH
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    EXPECT_EQ(dlg.tuneRecord().txFrequency, Spec(2).txFrequency);
    dlg.FreqPairSelected(2);  // back to MID
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    EXPECT_EQ(dlg.tuneRecord().powerValue, AdjustUnsigned(mid, 1));
    EXPECT_EQ(Sent("T1").back(), TuneLine(dlg.tuneRecord()));
}

TEST_F(ProdPanel, TheBlankPairEntriesWrapAround) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.FreqPairSelected(0);
    EXPECT_EQ(dlg.freqPairIndex(), 3);
    EXPECT_EQ(dlg.currentPoint(), 2);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    dlg.FreqPairSelected(4);
    EXPECT_EQ(dlg.freqPairIndex(), 1);
    EXPECT_EQ(dlg.currentPoint(), 0);
    EXPECT_EQ(view.freqPairSelections, (std::vector<int>{3, 1}));
}

TEST_F(ProdPanel, InChannelModeTheAdjustKeysAndDirectValueDoNothing) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.ChannelSelected(2);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    const TuneRecord before = dlg.tuneRecord();
    const std::size_t sent = Sent("T1").size();
    EXPECT_TRUE(dlg.KeyDown(keyPageUp, 0));
    dlg.DirectValue(77);
    EXPECT_EQ(dlg.tuneRecord(), before);
    EXPECT_EQ(Sent("T1").size(), sent);
    // The channel's own frequencies and the power interpolated there.
    EXPECT_EQ(before.txFrequency, modemRecord.channels[1].txFrequency);
    EXPECT_EQ(before.powerValue, InterpolateTuneValue(ctx.state, before.txFrequency, before.radioType,
                                                      before.radioRange, true, before.powerAdj));
}

TEST_F(ProdPanel, TheDirectValueIsClampedStoredAndShown) {
    Open();
    struct Case { AdjustSelect select; int typed; std::int16_t stored; };
    const Case cases[] = {{adjPower, 300, 255}, {adjPower, -5, 0}, {adjRssiCal, 200, 127}, {adjRssiCal, -200, -128}};
    for (const Case& c : cases) {
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
        dlg.AdjustSelectChanged(c.select);
        dlg.DirectValue(c.typed);
        EXPECT_EQ(view.directText, std::to_string(c.stored)) << c.typed;
        const TuneRecord& t = dlg.tuneRecord();
        EXPECT_EQ(c.select == adjPower ? t.powerAdj[1] : t.rssiCalAdj, c.stored) << c.typed;
    }
}

TEST_F(ProdPanel, OffsetChangesSendOnlyForTheDirectionInUse) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.TxOffsetSelected(2);  // receiving: nothing sent
    EXPECT_EQ(Sent("T1").size(), 1u);
    dlg.RxOffsetSelected(1);
    EXPECT_EQ(Sent("T1").size(), 2u);
    EXPECT_EQ(dlg.tuneRecord().rxFrequency, Spec(1).rxFrequency - 75000);
}

TEST_F(ProdPanel, Sa7025WhileCnFcIsSelectedMovesTheSelectionToRxGain) {
    Open();
    dlg.Sa7026Clicked();
    dlg.AdjustSelectChanged(adjCnFc);
    dlg.Sa7025Clicked();
    EXPECT_EQ(dlg.adjustSelect(), adjRxGain);
    EXPECT_FALSE(dlg.cnFcEnabled());
}

TEST_F(ProdPanel, F3AndF4OpenTheCalibrationWindowsWithTheOffsets) {
    ctx.state.testParameters.rxOffsetIndex = 4;
    ctx.state.testParameters.txOffsetIndex = 1;
    Open();
    EXPECT_TRUE(dlg.KeyDown(keyF3, 0));
    EXPECT_TRUE(dlg.KeyDown(keyF4, 0));
    EXPECT_FALSE(dlg.KeyDown(keyF7, 0));
    EXPECT_FALSE(dlg.KeyDown(keyF3, kShiftBit));
    EXPECT_EQ(view.powerOpens, (std::vector<std::pair<std::int32_t, std::int32_t>>{{150000, -75000}}));
    EXPECT_EQ(view.rssiOpens, view.powerOpens);
}

TEST_F(ProdPanel, F2HandsTheMasterDeviationAlsoWhileNoModulationHoldsItAtZero) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.TransmitModeChanged(txNoModulation);
    dlg.KeyDown(keyF5, 0);
    EXPECT_EQ(dlg.tuneRecord().txDeviationAdj, 0);
    ASSERT_NE(dlg.tuneRecord().masterDeviation, 0);
    dlg.KeyDown(keyF2, 0);
    EXPECT_EQ(ctx.state.dacValues.txDeviationAdj, dlg.tuneRecord().masterDeviation);
    EXPECT_EQ(mainFrame.dacOpens, 1);
    ctx.state.dacValues.powerAdj = {11, 22, 33};
    ctx.state.dacValues.txDeviationAdj = 99;
    dlg.UpdateDacValues();
    EXPECT_EQ(dlg.tuneRecord().powerAdj, (std::array<std::int16_t, 3>{11, 22, 33}));
    EXPECT_EQ(dlg.tuneRecord().masterDeviation, 99);
}

TEST_F(ProdPanel, F10WritesTheTunedValuesAndTheMasterDeviationBack) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.AdjustSelectChanged(adjTxDeviation);
    dlg.KeyDown(keyPageUp, kCtrlBit);
    const std::int16_t deviation = dlg.tuneRecord().masterDeviation;
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    dlg.AdjustSelectChanged(adjPower);
    dlg.DirectValue(201);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    dlg.TransmitModeChanged(txNoModulation);
    dlg.KeyDown(keyF5, 0);  // the record now carries Tx deviation 0
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
    dlg.KeyDown(keyF10, 0);
    EXPECT_EQ(host.writes, 1);
    EXPECT_TRUE(rdwr.loaded());
    ASSERT_TRUE(sched.advanceUntil([&] { return !rdwr.loaded(); }, 60000));
    EXPECT_FALSE(modem.programmed.empty());
    EXPECT_TRUE(rdwr.programCompleted());
    ModemParameters written = modemRecord;
    ASSERT_TRUE(modem.decodeInto(ctx.state, written));
    EXPECT_EQ(written.masterDeviation, deviation);
    EXPECT_EQ(written.powerAdj[1], 201);
    dialogs.verify();
}

TEST_F(ProdPanel, F10WithTheReadWriteWindowOpenOnlySaysItMustBeClosed) {
    Open();
    rdwr.setSettings({.parmsMode = ParmsMode::ReadProgrammable});
    rdwr.Load();
    dialogs.expectBox("Must close " + ParmsModeCaption(ParmsMode::ReadProgrammable) + " before performing this operation.");
    dlg.KeyDown(keyF10, 0);
    EXPECT_EQ(host.writes, 0);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::Critical);
    rdwr.Unload();
}

// ---- two windows on one port: the production panel and the user test on the same radio

struct QuietUserView : QuietPanelView<UserTestView> {
    std::string xcvr = "Rx'ing";
    void SetXcvrStatus(const std::string& t) override { xcvr = t; }
    void SetChannelWarning(const std::string&) override {}
    void SetSwitchSetting(const std::string&) override {}
    void SelectChannelOverride(int) override {}
};

class TwoPanelsOnOnePort : public ProdPanel {
protected:
    void OpenBoth() {
        Open();
        other.Load();
        other.Activate();
        ASSERT_TRUE(sched.advanceUntil(
            [&] {
                return other.dialogState() == TestPanelState::Idle && !Sent("T1").empty() && !Sent("CSWITCH").empty();
            },
            20000));
        ASSERT_TRUE(sched.advanceUntil([&] { return BothIdle(); }, 5000));
    }
    bool BothIdle() const {
        return dlg.dialogState() == TestPanelState::Idle && other.dialogState() == TestPanelState::Idle;
    }
    std::vector<std::string> LinesSince(std::size_t from) const {
        std::vector<std::string> r;
        const auto all = hostWrites();
        for (std::size_t i = from; i < all.size(); ++i) r.push_back(Line(all[i].bytes));
        return r;
    }
    QuietUserView otherView;
    UserTestDialogue other{Links(), otherView};
};

// The user test's "AR" is answered while the panel's keyed record goes unanswered: that answer
// is not the panel's acknowledgement, so the panel gives its record up and unkeys the radio.
class TwoPanelsAcks : public TwoPanelsOnOnePort, public ::testing::WithParamInterface<AnswerForm> {};

TEST_P(TwoPanelsAcks, NeitherTakesTheOthersAcknowledgement) {
    modem.answerIn(GetParam());
    OpenBoth();
    dlg.DiagEnabledChanged(false);
    ASSERT_TRUE(sched.advanceUntil([&] { return BothIdle(); }, 3000));
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, 1});
    other.ClearButton();
    const std::int64_t keyed = sched.nowMs();
    dlg.KeyDown(keyF5, 0);
    ASSERT_EQ(dlg.dialogState(), TestPanelState::AwaitingAck);
    // The user test has its own answer; the panel still waits for its.
    ASSERT_TRUE(sched.advanceUntil([&] { return other.dialogState() == TestPanelState::Idle; }, 200));
    EXPECT_EQ(dlg.dialogState(), TestPanelState::AwaitingAck);
    EXPECT_EQ(host.resends, 0);
    dialogs.expectBox(kTxOffText);
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 2000));
    EXPECT_EQ(SentTimes("T0").back() - keyed, 500);
    EXPECT_EQ(LastRadioCommand(), "T0");
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(AnswerForms, TwoPanelsAcks, ::testing::ValuesIn(kAnswerForms), FormName);

// The panel gave its keyed radio up and the modem does not acknowledge the unkey: the user test
// on the same port keys nothing either. Its F5 waits behind the unkey, which goes first; once
// the modem acknowledges it, the user test's record follows, unkeyed.
TEST_F(TwoPanelsOnOnePort, OneWindowsOwedUnkeyStopsTheOtherFromKeyingTheRadio) {
    OpenBoth();
    dialogs.answerAllBoxes(MsgAnswer::OK);
    dlg.KeyDown(keyF5, 0);
    ASSERT_TRUE(sched.advanceUntil([&] { return BothIdle(); }, 3000));
    for (ModemStep s : {ModemStep::Tune, ModemStep::Diagnostics, ModemStep::EndTest})
        modem.addFault({ModemFault::Silence, s, 0, -1});
    dlg.KeyDown(keyF6, 0);
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 5000));
    EXPECT_EQ(dialogs.boxes[0].text, kMayTransmitText);
    const std::size_t givenUp = hostWrites().size();
    ASSERT_TRUE(sched.advanceUntil([&] { return other.dialogState() == TestPanelState::Idle; }, 3000));
    other.KeyDown(keyF5, 0);
    EXPECT_EQ(otherView.xcvr, "Rx'ing");
    sched.advance(6000);
    for (const std::string& l : LinesSince(givenUp)) EXPECT_EQ(l, "T0");
    // Told again for the key that waited; never that the radio is off.
    ASSERT_EQ(dialogs.boxes.size(), 2u);
    EXPECT_EQ(dialogs.boxes[1].text, kMayTransmitText);

    modem.clearFaults();
    const std::size_t answered = hostWrites().size();
    ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.size() == 3; }, 3000));
    EXPECT_EQ(dialogs.boxes[2].text, kTxOffLaterText);
    ASSERT_TRUE(sched.advanceUntil([&] { return LastRadioCommand() == TuneLine(other.tuneRecord()); }, 3000));
    const std::vector<std::string> after = LinesSince(answered);
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after[0], "T0");
    EXPECT_EQ(after[1], TuneLine(other.tuneRecord()));
    EXPECT_FALSE(IsSet(other.tuneRecord().txSelected));
    sched.advance(3000);
    EXPECT_EQ(dialogs.boxes.size(), 3u);
    other.Unload();
}

// ---- the gate every send of the three panels passes: behind an open exchange it waits, while
// the parameters are read it is dropped, from a window that is not active nothing goes, and
// behind the owed unkey it waits for the unkey's acknowledgement

enum class GatedSend { ProdPair, ProdChannel, EngFrequency, UserChannel, UserClear, UserRedirect };
struct GateCase {
    const char* name;
    GatedSend send;
    const char* line;  // what the send writes
    friend void PrintTo(const GateCase& c, std::ostream* os) { *os << c.name; }
};
const GateCase kGateCases[] = {
    {"ProdPairRecord", GatedSend::ProdPair, "T1"},
    {"ProdChannelRecord", GatedSend::ProdChannel, "T1"},
    {"EngFrequencyRecord", GatedSend::EngFrequency, "T1"},
    {"UserChannelRecord", GatedSend::UserChannel, "T1"},
    {"UserClear", GatedSend::UserClear, "AR"},
    {"UserRedirect", GatedSend::UserRedirect, "CHANNEL"},
};

class PanelSendGate : public PanelBench, public ::testing::WithParamInterface<GateCase> {
protected:
    PanelSendGate() {
        host.onClose = [this] { Panel().Unload(); };
        ctx.state.engineerFrequencies.rxFrequency = 450000000;
        ctx.state.engineerFrequencies.txFrequency = 450000000;
        for (std::size_t c = 0; c < 8; ++c) {
            modemRecord.channels[c].txFrequency = 450000000 + static_cast<std::int32_t>(c) * 1000000;
            modemRecord.channels[c].rxFrequency = 455000000 + static_cast<std::int32_t>(c) * 1000000;
        }
        modem.loadRecord(ctx.state, modemRecord, kModemStamp);
        // The redirection's question is answered OK.
        dialogs.answerAllBoxes(MsgAnswer::OK);
    }
    TestPanelDialogue& Panel() {
        switch (GetParam().send) {
        case GatedSend::ProdPair:
        case GatedSend::ProdChannel: return prod;
        case GatedSend::EngFrequency: return eng;
        default: return user;
        }
    }
    bool Idle() { return Panel().dialogState() == TestPanelState::Idle; }
    // Loaded and activated: the parameters read, the radio set up, the panel idle.
    void Open() {
        Panel().Load();
        Panel().Activate();
        ASSERT_TRUE(sched.advanceUntil([&] { return Idle() && !Sent("T1").empty(); }, 20000));
    }
    // The operator asks for the send.
    void Ask() {
        switch (GetParam().send) {
        case GatedSend::ProdPair: prod.FreqPairSelected(3); break;
        case GatedSend::ProdChannel: prod.ChannelSelected(2); break;
        case GatedSend::EngFrequency: eng.KeyDown(keyF8, 0); break;
        case GatedSend::UserChannel: user.ChannelOverrideSelected(4); break;
        case GatedSend::UserClear: user.ClearButton(); break;
        case GatedSend::UserRedirect: user.ChannelChangeButton(); break;
        }
    }
    std::size_t Count() const { return Sent(GetParam().line).size(); }

    RecordingProdView prodView;
    ProdTestDialogue prod{Links(), prodView};
    QuietPanelView<TestPanelView> engView;
    EngTestDialogue eng{Links(), engView};
    QuietUserView userView;
    UserTestDialogue user{Links(), userView};
};

TEST_P(PanelSendGate, BehindAnOpenExchangeItWaitsAndGoesOnceWhenTheExchangeEnds) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return Panel().dialogState() == TestPanelState::AwaitingDiagnostics; }, 3000));
    const std::size_t before = Count();
    Ask();
    EXPECT_EQ(Count(), before);
    ASSERT_TRUE(sched.advanceUntil([&] { return Count() == before + 1; }, 1000));
    EXPECT_GT(SentTimes(GetParam().line).back(), SentTimes("AS").back());
    sched.advance(3000);
    EXPECT_EQ(Count(), before + 1);
}

TEST_P(PanelSendGate, WhileTheParametersAreReadItIsDropped) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return Idle(); }, 3000));
    const std::size_t before = Count(), records = Sent("T1").size();
    Panel().KeyDown(keyF9, 0);
    ASSERT_EQ(Panel().dialogState(), TestPanelState::AwaitingParameters);
    Ask();
    // The read sets the radio up again with one tune record; nothing that was asked follows it.
    ASSERT_TRUE(sched.advanceUntil([&] { return Sent("T1").size() > records && Idle(); }, 20000));
    sched.advance(3000);
    EXPECT_EQ(Sent("T1").size(), records + 1);
    EXPECT_EQ(Count(), before + (std::string(GetParam().line) == "T1" ? 1 : 0));
}

TEST_P(PanelSendGate, FromAWindowThatIsNotActiveNothingGoesAndNothingWaits) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return Idle(); }, 3000));
    host.active = false;
    const std::size_t before = Count();
    Ask();
    sched.advance(3000);
    EXPECT_EQ(Count(), before);
    host.active = true;
    const std::size_t polls = Sent("AS").size();
    sched.advance(3000);
    EXPECT_GT(Sent("AS").size(), polls);
    EXPECT_EQ(Count(), before);
}

TEST_P(PanelSendGate, BehindTheOwedUnkeyItWaitsAndFollowsTheUnkeysAcknowledgement) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return Idle(); }, 3000));
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, 1});
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, -1});
    Panel().KeyDown(keyF5, 0);
    ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 5000));
    EXPECT_EQ(dialogs.boxes[0].text, kMayTransmitText);
    const std::size_t mark = hostWrites().size(), before = Count();
    Ask();
    sched.advance(4000);
    for (std::size_t i = mark; i < hostWrites().size(); ++i) EXPECT_EQ(Line(hostWrites()[i].bytes), "T0");
    modem.clearFaults();
    ASSERT_TRUE(sched.advanceUntil([&] { return Count() == before + 1; }, 3000));
    EXPECT_GT(SentTimes(GetParam().line).back(), SentTimes("T0").back());
    EXPECT_FALSE(IsSet(Panel().tuneRecord().txSelected));
}

INSTANTIATE_TEST_SUITE_P(EverySend, PanelSendGate, ::testing::ValuesIn(kGateCases),
                         [](const ::testing::TestParamInfo<GateCase>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace k45::test
