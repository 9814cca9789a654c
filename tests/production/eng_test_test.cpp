// The engineer test panel's dialogue and its remote control: the command parser as a table,
// the panel end to end in virtual time, and the remote control over an in-process link.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "base/converters.h"
#include "production/eng_remote.h"
#include "production/eng_test.h"
#include "production/panel_bench.h"
#include "programming/radio_off.h"

namespace k45::test {
namespace {

// Whole words; a number that does not parse reads as 0 and the command still stands.
TEST(RemoteCommandParser, TakesWholeWordsAndReadsWhatDoesNotParseAsZero) {
    const LocaleInfo loc;
    struct Case {
        const char* text;
        std::optional<std::int32_t> freq;
        std::optional<std::pair<int, std::int32_t>> adjust;
        std::optional<int> txOn;
        bool txOff, rssi, status;
    };
    using A = std::pair<int, std::int32_t>;
    constexpr auto none = std::nullopt;
    const Case cases[] = {
        {"Freq=450.125 TXON 1 ", 450125000, none, 1, false, false, false},
        {"Adjust5=200 ", none, A{5, 200}, none, false, false, false},
        {"Adjust2=100 TXON 1 ", none, A{2, 100}, 1, false, false, false},
        {"Adjust 5=200 ", none, A{5, 200}, none, false, false, false},
        {"Adjust  0=-1 TXOFF ", none, A{0, -1}, none, true, false, false},
        {"TXON 2 Adjust 4=9", none, A{4, 9}, 2, false, false, false},
        {"TXOFF ", none, none, none, true, false, false},
        {"RSSI AS ", none, none, none, false, true, true},
        {"App=MASTER Topic=EngTest ", none, none, none, false, false, false},
        // What does not parse: 0, and the rest of the command as written.
        {"Freq=abc TXOFF ", 0, none, none, true, false, false},
        {"Freq=5000 ", 0, none, none, false, false, false},  // the Hz do not fit 32 bits
        {"Freq= ", 0, none, none, false, false, false},
        {"Freq=450.1.2 ", 0, none, none, false, false, false},
        {"Freq=99.999 ", 99999000, none, none, false, false, false},
        {"Adjust2=1x ", none, A{2, 0}, none, false, false, false},
        {"Adjust=5 ", none, A{0, 5}, none, false, false, false},
        {"Adjustx=7 ", none, A{0, 7}, none, false, false, false},
        {"Adjust1=70000 ", none, A{1, 0}, none, false, false, false},
        {"Adjust 5 =200 ", none, A{5, 200}, none, false, false, false},
        {"Adjust4=12abc TXOFF ", none, A{4, 0}, none, true, false, false},
        {"Adjust5 ", none, none, none, false, false, false},  // no "=": no adjust
        {"TXON x ", none, none, 0, false, false, false},
        {"TXON 12 ", none, none, 1, false, false, false},
        {"TXON ", none, none, 0, false, false, false},
        {"TXONE 1 XRSSI BASS ", none, none, none, false, false, false},
    };
    for (const Case& c : cases) {
        const RemoteCommand r = ParseRemoteCommand(c.text, loc);
        EXPECT_EQ(r.freqHz, c.freq) << c.text;
        EXPECT_EQ(r.adjust, c.adjust) << c.text;
        EXPECT_EQ(r.txOnMode, c.txOn) << c.text;
        EXPECT_EQ(r.txOff, c.txOff) << c.text;
        EXPECT_EQ(r.rssi, c.rssi) << c.text;
        EXPECT_EQ(r.status, c.status) << c.text;
    }
    const RemoteCommand names = ParseRemoteCommand("App=MASTER Topic=EngTest Item=labelDdeSrc ", loc);
    EXPECT_EQ(names.app, "MASTER");
    EXPECT_EQ(names.topic, "EngTest");
    EXPECT_EQ(names.item, "labelDdeSrc");
}

// ---- an in-process link: servers by application and topic, clients connect directly.
struct FakeLinks : LocalLinks {
    struct Server : LinkServer {
        FakeLinks* owner;
        std::string key;
        bool on = false;
        std::map<std::string, std::string> items;
        std::vector<std::pair<std::string, std::string>> published;
        bool listen(std::string*) override {
            on = true;
            owner->servers[key] = this;
            return true;
        }
        bool listening() const override { return on; }
        void setItemValue(const std::string& item, const std::string& value) override {
            items[item] = value;
            published.emplace_back(item, value);
        }
        int connectionCount() const override { return 0; }
        void stop() override {
            on = false;
            owner->servers.erase(key);
        }
        ~Server() override { if (on) owner->servers.erase(key); }
    };
    struct Client : LinkClient {
        FakeLinks* owner;
        std::string key, item;
        bool on = false;
        bool connect(const std::string& a, const std::string& t, std::string* error) override {
            key = a + "|" + t;
            on = owner->partners.count(key) > 0 || owner->servers.count(key) > 0;
            if (!on && error) *error = "nobody offers " + key;
            if (on) owner->clients.push_back(this);
            return on;
        }
        bool connected() const override { return on; }
        bool execute(const std::string& command) override {
            if (on) owner->executed[key].push_back(command);
            return on;
        }
        bool advise(const std::string& i) override {
            item = i;
            return on;
        }
        void close() override { on = false; }
    };
    std::unique_ptr<LinkServer> createServer(const std::string& a, const std::string& t) override {
        auto s = std::make_unique<Server>();
        s->owner = this;
        s->key = a + "|" + t;
        return s;
    }
    std::unique_ptr<LinkClient> createClient() override {
        auto c = std::make_unique<Client>();
        c->owner = this;
        return c;
    }
    std::map<std::string, Server*> servers;
    std::map<std::string, int> partners;  // topics partners offer
    std::map<std::string, std::vector<std::string>> executed;
    std::vector<Client*> clients;
};

struct RecordingEngView : QuietPanelView<TestPanelView>, EngRemoteView {
    std::string tx, rx, status, destination, source, xcvr = "Rx'ing";
    std::vector<DiagnosticsTexts> diagnostics;
    int ddeCleared = 0;
    void SetXcvrStatus(const std::string& t) override { xcvr = t; }
    void ShowDiagnostics(const DiagnosticsTexts& t) override { diagnostics.push_back(t); }
    void SetFrequencyTexts(const std::string& t, const std::string& r) override { tx = t, rx = r; }
    void SetLinkStatus(const std::string& t) override { status = t; }
    void SetDestination(const std::string& t) override { destination = t; }
    void SetSource(const std::string& t) override { source = t; }
    void ClearDdeEnable() override { ++ddeCleared; }
    void SelectTransmitMode(int) override {}
};

class EngPanel : public PanelBench {
protected:
    EngPanel() {
        host.onClose = [this] { dlg.Unload(); };
        ctx.state.localLinks = &links;
        ctx.state.engineerFrequencies.rxFrequency = 450000000;
        ctx.state.engineerFrequencies.txFrequency = 450000000;
    }
    void Open() {
        dlg.Load();
        ASSERT_TRUE(remote.Start(nullptr));
        dlg.Activate();
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle && !Sent("T1").empty(); },
                                       20000));
        Server().published.clear();  // the item's first value
    }
    FakeLinks::Server& Server() { return *links.servers.at("K45MR|EngTest"); }
    // A partner's execute on our topic.
    void Execute(const std::string& text) { Server().onExecute(1, text); }
    std::vector<std::string> Replies() {
        std::vector<std::string> r;
        for (const auto& p : Server().published)
            if (p.first == "labelDdeSrc") r.push_back(p.second);
        return r;
    }
    RecordingEngView view;
    EngTestDialogue dlg{Links(), view};
    FakeLinks links;
    EngRemoteControl remote{dlg, Links(), view};
};

TEST_F(EngPanel, OpensOnTheStoredFrequenciesAndSendsWhatIsTyped) {
    Open();
    EXPECT_EQ(view.rx, "450.000000");
    dlg.FrequencyTextsEdited("451.125", "450.000000");
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.KeyDown(keyF5, 0);
    EXPECT_EQ(dlg.tuneRecord().txFrequency, 451125000);
    EXPECT_EQ(dlg.tuneRecord().synthFrequency, 451125000);
    EXPECT_EQ(view.tx, "451.125000");
    EXPECT_EQ(Sent("T1").back(), TuneLine(dlg.tuneRecord()));
    dlg.Unload();  // close box: "T0", the frequencies kept for the next opening
    EXPECT_EQ(LastRadioCommand(), "T0");
    EXPECT_EQ(ctx.state.engineerFrequencies.txFrequency, 451125000);
}

// In every answer form the panel's records are acknowledged within the response time, its
// adjust sends go at once and are answered, diagnostics are shown and Close ends the test.
class EngPanelForms : public EngPanel, public ::testing::WithParamInterface<AnswerForm> {};

TEST_P(EngPanelForms, RecordsAreAcknowledgedAdjustsGoAtOnceDiagnosticsShownAndTheTestEnds) {
    modem.answerIn(GetParam());
    SimulatedModem::DiagBlock block{};
    block[2] = 1;
    block[7] = 88;  // the current RSSI
    block[41] = 5;  // the DCD counter
    modem.diagBlock = block;
    Open();
    auto settle = [&] { return sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000); };
    for (const int key : {keyF5, keyF6}) {
        ASSERT_TRUE(settle());
        dlg.KeyDown(key, 0);
        EXPECT_EQ(dlg.dialogState(), TestPanelState::AwaitingAck);
        EXPECT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 200)) << key;
    }
    // The adjust keys and the direct value send at once; the modem answers each.
    ASSERT_TRUE(settle());
    const std::size_t records = Sent("T1").size();
    const std::size_t answered = modem.sentBytes.size();
    dlg.AdjustSelectChanged(adjPower);
    dlg.KeyDown(keyPageUp, 0);
    dlg.AdjustSelectChanged(adjFrontEnd);
    dlg.DirectAdjust(300);
    EXPECT_EQ(Sent("T1").size(), records + 2);
    EXPECT_EQ(Sent("T1").back(), TuneLine(dlg.tuneRecord()));
    EXPECT_EQ(dlg.tuneRecord().frontEndValue, 255);
    sched.advance(200);
    EXPECT_GT(modem.sentBytes.size(), answered);
    // A direct Rx gain is a full send, acknowledged like F5.
    ASSERT_TRUE(settle());
    dlg.AdjustSelectChanged(adjRxGain);
    dlg.DirectAdjust(12);
    EXPECT_EQ(dlg.dialogState(), TestPanelState::AwaitingAck);
    EXPECT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 200));
    view.diagnostics.clear();
    ASSERT_TRUE(sched.advanceUntil([&] { return !view.diagnostics.empty(); }, 3000));
    EXPECT_EQ(view.diagnostics.back().rssiLevel, "-88 dBm");
    EXPECT_EQ(view.diagnostics.back().preambleDcd, "5");
    ASSERT_TRUE(settle());
    dlg.CloseButton();
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 200));
    EXPECT_EQ(Sent("T0").size(), 1u);
    EXPECT_TRUE(dialogs.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(AnswerForms, EngPanelForms, ::testing::ValuesIn(kAnswerForms), FormName);

TEST_F(EngPanel, AdjustKeysSendPotCommandsOrTheTuneRecordAtOnce) {
    Open();
    dlg.AdjustSelectChanged(adjRxGain);
    dlg.RemoteAdjust(0, 255);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    const std::size_t t1 = Sent("T1").size();
    dlg.KeyDown(keyPageUp, 0);
    EXPECT_EQ(dlg.tuneRecord().rxGainAdj, 0);
    EXPECT_EQ(Sent("POTGAIN").back(), "POTGAIN00");
    dlg.AdjustSelectChanged(adjTxDeviation);
    dlg.RemoteAdjust(1, 0);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.KeyDown(keyPageDown, 0);
    EXPECT_EQ(Sent("POTDEV").back(), "POTDEVFF");
    EXPECT_EQ(Sent("T1").size(), t1 + 1);  // only the Tx deviation remote adjust's full send
    dlg.AdjustSelectChanged(adjCnFc);
    dlg.KeyDown(keyPageDown, kCtrlBit);
    EXPECT_EQ(Sent("T1").size(), t1 + 2);
}

TEST_F(EngPanel, F7KeysAModulationBalanceOf8Seconds) {
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    dlg.KeyDown(keyF7, 0);
    const std::int64_t at = sched.nowMs();
    EXPECT_TRUE(IsSet(dlg.tuneRecord().txSelected));
    ASSERT_TRUE(sched.advanceUntil([&] { return !Sent("BALANCE").empty(); }, 2000));
    EXPECT_EQ(Sent("BALANCE")[0], "BALANCE08");
    EXPECT_EQ(sched.nowMs() - at, 1000);
}

// The radio keyed and then given up, its unkey unanswered: the adjust keys, the direct value, the
// partner's "Adjust" and F7 write nothing to the radio while the unkey is owed; the unkey goes
// first, and what waited follows its acknowledgement unkeyed, with no balance.
TEST_F(EngPanel, SendsAfterTheRadioWasGivenUpWaitForTheUnkeyAndNeverKeyIt) {
    struct Case {
        const char* what;
        AdjustSelect select;
        std::function<void()> act;
        const char* follows;  // the line that goes after the unkey
    };
    const Case cases[] = {
        {"PgUp on the power value", adjPower, [this] { dlg.KeyDown(keyPageUp, 0); }, "T1"},
        {"Ctrl+PgDn on CN/FC", adjCnFc, [this] { dlg.KeyDown(keyPageDown, kCtrlBit); }, "T1"},
        {"direct front-end value", adjFrontEnd, [this] { dlg.DirectAdjust(77); }, "T1"},
        {"the partner's Adjust4=9", adjPower, [this] { Execute("Adjust4=9"); }, "T1"},
        {"PgUp on the Rx gain", adjRxGain, [this] { dlg.KeyDown(keyPageUp, 0); }, "POTGAIN"},
        {"F7", adjPower, [this] { dlg.KeyDown(keyF7, 0); }, "T1"},
    };
    dialogs.answerAllBoxes(MsgAnswer::OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Open();
        dlg.AdjustSelectChanged(c.select);
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
        modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, 1});
        modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, -1});
        dlg.KeyDown(keyF5, 0);
        ASSERT_TRUE(sched.advanceUntil([&] { return !dialogs.boxes.empty(); }, 5000));
        EXPECT_EQ(view.xcvr, "Rx'ing");
        const std::size_t mark = hostWrites().size();
        c.act();
        sched.advance(4000);
        for (std::size_t i = mark; i < hostWrites().size(); ++i) EXPECT_EQ(Line(hostWrites()[i].bytes), "T0");
        // The modem answers again: the unkey first, then what waited, unkeyed.
        modem.clearFaults();
        const std::size_t answered = hostWrites().size();
        ASSERT_TRUE(sched.advanceUntil([&] { return dialogs.boxes.back().text == kTxOffLaterText; }, 3000));
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 1000));
        sched.advance(1500);
        std::vector<std::string> after;
        for (std::size_t i = answered; i < hostWrites().size(); ++i) after.push_back(Line(hostWrites()[i].bytes));
        ASSERT_GE(after.size(), 2u);
        EXPECT_EQ(after[0], "T0");
        EXPECT_EQ(after[1].rfind(c.follows, 0), 0u) << after[1];
        EXPECT_FALSE(IsSet(dlg.tuneRecord().txSelected));
        if (std::string(c.follows) == "T1") {
            EXPECT_EQ(after[1], TuneLine(dlg.tuneRecord()));
        }
        EXPECT_TRUE(Sent("BALANCE").empty());
        EXPECT_EQ(view.xcvr, "Rx'ing");
        // Told once that it may still transmit, again for the action that waited, then that it is off.
        std::vector<std::string> told;
        for (const auto& b : dialogs.boxes) told.push_back(b.text);
        EXPECT_EQ(told, (std::vector<std::string>{kMayTransmitText, kMayTransmitText, kTxOffLaterText}));
        dialogs.boxes.clear();
        dlg.Unload();
        remote.Stop();
        sched.advance(3000);
    }
}

TEST_F(EngPanel, RemoteAdjustValuesFollowTheTable) {
    Open();
    struct Case { int n; std::int32_t v; std::int16_t TuneRecord::*field; std::int16_t stored; };
    const Case cases[] = {{5, 200, &TuneRecord::rssiCalAdj, -56}, {5, 300, &TuneRecord::rssiCalAdj, 44},
                          {0, -1, &TuneRecord::rxGainAdj, 255}, {4, 257, &TuneRecord::powerValue, 1}};
    for (const Case& c : cases) {
        ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
        EXPECT_TRUE(dlg.RemoteAdjust(c.n, c.v));
        EXPECT_EQ(dlg.tuneRecord().*c.field, c.stored) << c.n << " " << c.v;
    }
    const TuneRecord before = dlg.tuneRecord();
    const std::size_t sent = Sent("T1").size();
    EXPECT_TRUE(dlg.RemoteAdjust(9, 5));
    EXPECT_EQ(dlg.tuneRecord(), before);
    EXPECT_EQ(Sent("T1").size(), sent);
}

TEST_F(EngPanel, ACommandLinksBackActsAndReplies) {
    links.partners["MASTER|EngTest"] = 1;
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    Execute("App=MASTER Topic=EngTest Item=labelDdeDst Freq=450.125 TXON 1");
    EXPECT_TRUE(remote.linked());
    EXPECT_EQ(view.status, "App=MASTER Topic=EngTest Item=labelDdeDst");
    EXPECT_EQ(view.tx, "450.125000");
    EXPECT_EQ(view.rx, "450.125000");
    EXPECT_EQ(Replies(), (std::vector<std::string>{"OK Freq", "OK Tx"}));
    EXPECT_EQ(dlg.transmitMode(), txModBalance);
    EXPECT_EQ(dlg.tuneRecord().rxFrequency, 450125000);
    // The Tx send is deferred behind the receive record's exchange.
    ASSERT_TRUE(sched.advanceUntil([&] { return !Sent("BALANCE").empty(); }, 3000));
    // A repeated reply reaches the partner as a change.
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    Execute("Adjust9=1");
    Execute("Adjust9=1");
    const auto r = Replies();
    ASSERT_GE(r.size(), 4u);
    EXPECT_EQ(r[r.size() - 3], "OK Adjust");
    EXPECT_EQ(r[r.size() - 2], "");
    EXPECT_EQ(r[r.size() - 1], "OK Adjust");
    // A blank between "Adjust" and its index.
    const std::size_t replies = Replies().size();
    Execute("Adjust 5=200");
    EXPECT_EQ(dlg.tuneRecord().rssiCalAdj, -56);
    ASSERT_GT(Replies().size(), replies);
    EXPECT_EQ(Replies().back(), "OK Adjust");
}

// A partner waits for its reply: a number that does not parse reads as 0, the command is
// carried out with it and answered.
TEST_F(EngPanel, ANumberThatDoesNotParseReadsAsZeroAndIsAnswered) {
    links.partners["MASTER|EngTest"] = 1;
    Open();
    Execute("App=MASTER Topic=EngTest Item=x");
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    Execute("Adjust5=7");
    ASSERT_EQ(dlg.tuneRecord().rssiCalAdj, 7);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    Execute("Adjust5=12abc TXOFF");
    EXPECT_EQ(dlg.tuneRecord().rssiCalAdj, 0);
    EXPECT_EQ(Replies(), (std::vector<std::string>{"OK Adjust", "", "OK Adjust", "OK Rx"}));
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    Execute("TXON x");
    EXPECT_EQ(dlg.transmitMode(), txTone);
    EXPECT_EQ(Replies().back(), "OK Tx");
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.dialogState() == TestPanelState::Idle; }, 3000));
    Execute("Freq=abc");
    EXPECT_EQ(view.tx, "0.000000");
    EXPECT_EQ(view.rx, "0.000000");
    EXPECT_EQ(Replies().back(), "OK Freq");
}

TEST_F(EngPanel, StatusRequestsGoOnlyWhileLinkedAndRssiWins) {
    links.partners["MASTER|EngTest"] = 1;
    Open();
    Execute("AS");
    EXPECT_TRUE(Sent("AS").empty() || SentTimes("AS").back() != sched.nowMs());
    Execute("App=MASTER Topic=EngTest Item=x RSSI AS");
    EXPECT_EQ(Sent("RSSI").size(), 1u);
    EXPECT_EQ(dlg.dialogState(), TestPanelState::AwaitingDiagnostics);
}

TEST_F(EngPanel, APartnerClosingEmptiesTheNamesAndSaysSo) {
    links.partners["MASTER|EngTest"] = 1;
    Open();
    Execute("App=MASTER Topic=EngTest Item=x");
    Server().onClosed(1);
    EXPECT_EQ(view.status, "Link Closed!!!");
    EXPECT_TRUE(remote.peerApp().empty());
    EXPECT_FALSE(remote.linked());
}

TEST_F(EngPanel, TheControllerLinksToItsPartnerAndHandsItTheRxFrequency) {
    dialogs.expectBox("Unable to Connect to Marvessa!");
    Open();
    remote.DdeEnableClicked(true);
    EXPECT_FALSE(remote.controlling());
    EXPECT_EQ(view.ddeCleared, 1);
    links.partners["Marvessa|EngTest"] = 1;
    remote.DdeEnableClicked(true);
    EXPECT_TRUE(remote.controlling());
    EXPECT_EQ(links.executed["Marvessa|EngTest"], std::vector<std::string>{"App=K45MR Topic=EngTest Item=labelDdeSrc"});
    EXPECT_EQ(dlg.timerDiagnostics().interval(), 1000);
    const std::size_t t1 = Sent("T1").size();
    dlg.KeyDown(keyF8, 0);
    EXPECT_EQ(Replies().back(), "Freq=" + view.rx);
    EXPECT_EQ(Sent("T1").size(), t1);
    remote.DestinationChanged("TXON 1");  // only shown while controlling
    EXPECT_FALSE(dlg.transmitSelected());
    EXPECT_EQ(dlg.transmitMode(), txTone);
}

}  // namespace
}  // namespace k45::test
