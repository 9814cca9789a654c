// The terminals end to end over the null-modem cable: what each kind sends for each transmit
// mode, terminal to terminal, the test switches, and the link rules with a stand-in link layer.
#include "tools/terminal_core.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/local_link.h"
#include "serial/dmp_codec.h"
#include "serial/srecord_codec.h"
#include "tools/tools_bench.h"

namespace k45::test {
namespace {

class TerminalBench : public ToolsBench {
protected:
    // A terminal of `kind` on its port, loaded.
    std::unique_ptr<TerminalCore> Open(std::int32_t kind, RecordingTerminalView& view, LocalLinks* links = nullptr) {
        Services services = state;
        services.localLinks = links;
        auto t = std::make_unique<TerminalCore>(LinksWith(services), kind, counters);
        t->Load(view);
        t->Activate();
        return t;
    }
    std::string Sent(const std::string& entry, RecordingTerminalView& view, TerminalCore& t) {
        const std::string before = fromPrimary();
        view.entry = entry;
        t.SendTxData();
        sched.advance(500);
        return fromPrimary().substr(before.size());
    }
    // The line `entry` is refused with a box holding `message` under `title`: nothing goes out,
    // nothing is echoed.
    void ExpectRefused(const std::string& entry, const std::string& message, const std::string& title,
                       RecordingTerminalView& view, TerminalCore& t) {
        dialogs.expectBox(message);
        EXPECT_EQ(Sent(entry, view, t), "");
        EXPECT_EQ(view.tx, "");
        ASSERT_FALSE(dialogs.boxes.empty());
        EXPECT_EQ(dialogs.boxes.back().title, title);
    }
};

TEST_F(TerminalBench, AsciiSendsByTheMappedModeOfThePort) {
    struct Case {
        std::int32_t portMode;
        std::string entry;
        std::string wire;
        std::string echo;
    };
    const std::string dmp = *MessDmp("hi", 0, 's', 0);
    const std::int16_t bytes[] = {0xAA, 0xBB};
    const std::string record = "S1" + *MessSRecord(0x0100, bytes);
    const std::vector<Case> cases = {
        {0, "hello", "hello\r\n", "\r\nhello"},
        {1, "", "\r\n", ""},
        {9, "0100AABB", record + "\r\n", "\r\n" + record},
        {11, "0100AABB", record + "\r\n", "\r\n" + record},
        {10, "hi", dmp, "\r\nP        0 s hi"},
        {12, "hi", dmp, "\r\nP        0 s hi"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.portMode);
        CommSettings comm = primary->settings();
        comm.txModeValue = c.portMode;
        primary->setSettings(comm);
        RecordingTerminalView view;
        auto t = Open(terminalTextPrimary, view);
        EXPECT_EQ(Sent(c.entry, view, *t), c.wire);
        EXPECT_EQ(view.tx, c.echo);
        EXPECT_EQ(view.entry, c.entry);  // the line stays for sending again
        t->Unload();
    }
}

TEST_F(TerminalBench, PacketNumbersCountSentLinesAndWrap) {
    RecordingTerminalView view;
    auto t = Open(terminalTextPrimary, view);
    t->SetPacketNumbers(true);
    EXPECT_EQ(Sent("a", view, *t), "000 a\r\n");
    EXPECT_EQ(Sent("b", view, *t), "001 b\r\n");
    counters.terminalTxCount = 999;
    EXPECT_EQ(Sent("c", view, *t), "999 c\r\n");
    EXPECT_EQ(Sent("d", view, *t), "000 d\r\n");
    EXPECT_EQ(view.tx, "\r\n000 a\r\n001 b\r\n999 c\r\n000 d");
}

TEST_F(TerminalBench, HexSendsFramesInTheSyncEscapeModesAndNumbersBlocksOtherwise) {
    RecordingTerminalView view;
    CommSettings comm = primary->settings();
    comm.txModeValue = 0;
    primary->setSettings(comm);
    auto t = Open(terminalHexPrimary, view);
    t->SetPacketNumbers(true);  // no effect on frames
    const std::int16_t msg[] = {0x01, 0x41, 0x42};
    EXPECT_EQ(Sent("01 41 42", view, *t), *primary->MessSyncEsc(msg));
    EXPECT_EQ(view.tx, "\r\n01 41 42");
    t->Unload();

    comm = primary->settings();
    comm.txModeValue = 1;
    primary->setSettings(comm);
    RecordingTerminalView second;
    auto h = Open(terminalHexPrimary, second);
    h->SetPacketNumbers(true);
    std::string typed;
    for (int i = 0; i < 20; ++i) typed += "EE ";
    std::string wire(20, '\xEE');
    wire[0] = 0;
    wire[16] = 1;
    EXPECT_EQ(Sent(typed, second, *h), wire);
    EXPECT_EQ(second.tx, "\r\n" + typed);
    // Nothing without a hex digit, nothing for an empty line.
    EXPECT_EQ(Sent("xyz", second, *h), "");
    EXPECT_EQ(Sent("", second, *h), "");
}

// A line too long for one frame of a sync/escape mode is refused with a reason, not dropped in
// silence; the limit follows the port's data bits and length field.
TEST_F(TerminalBench, AHexLineTooLongForOneFrameIsRefusedWithAMessage) {
    struct Case {
        const char* what;
        std::int16_t dataBits;
        std::int32_t mode;
        int limit;
    };
    const std::vector<Case> cases = {
        {"8 data bits, mode 0", 8, 0, 254},
        {"8 data bits, mode 4", 8, 4, 254},
        {"7 data bits, mode 0", 7, 0, 126},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CommSettings comm = primary->settings();
        comm.portSettings.dataBits = c.dataBits;
        comm.txModeValue = c.mode;
        primary->setSettings(comm);
        RecordingTerminalView view;
        auto t = Open(terminalHexPrimary, view);
        auto line = [](int bytes) {
            std::string typed = "01 ";
            for (int i = 1; i < bytes; ++i) typed += "41 ";
            return typed;
        };
        ASSERT_NO_FATAL_FAILURE(ExpectRefused(line(c.limit + 1),
                                              "Nothing was sent: one frame carries at most " + std::to_string(c.limit) +
                                                  " bytes (the opcode and its data); the line holds " +
                                                  std::to_string(c.limit + 1) + ".",
                                              "Primary Hex Terminal", view, *t));
        EXPECT_NE(Sent(line(c.limit), view, *t), "");
        EXPECT_EQ(view.tx, "\r\n" + line(c.limit));
        t->Unload();
    }
}

// An ASCII line too long for one S-record is refused with the limit and its length; nothing
// goes out and nothing is echoed. The limit is one byte less where the data run past FFFF.
TEST_F(TerminalBench, AnSRecordLineTooLongForOneRecordIsRefusedWithAMessage) {
    struct Case {
        const char* address;
        int limit;
    };
    const std::vector<Case> cases = {{"0100", 252}, {"FF80", 251}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        CommSettings comm = primary->settings();
        comm.txModeValue = 9;
        primary->setSettings(comm);
        RecordingTerminalView view;
        auto t = Open(terminalTextPrimary, view);
        auto line = [&](int bytes) {
            std::string typed = c.address;
            for (int i = 0; i < bytes; ++i) typed += "5A";
            return typed;
        };
        ASSERT_NO_FATAL_FAILURE(
            ExpectRefused(line(c.limit + 1),
                          "Nothing was sent: one S-record carries at most " + std::to_string(c.limit) +
                              " data bytes after its address; the line holds " + std::to_string(c.limit + 1) + ".",
                          "Primary ASCII Terminal", view, *t));
        EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Exclamation);
        // At the limit the record goes out.
        const std::string sent = Sent(line(c.limit), view, *t);
        EXPECT_EQ(sent.rfind("S1", 0), 0u) << sent;
        EXPECT_EQ(sent.size(), 2 + 2 * (1 + (c.limit == 252 ? 2 : 3) + c.limit + 1) + 2u);
        t->Unload();
    }
}

TEST_F(TerminalBench, TerminalToTerminalInAsciiAndHex) {
    RecordingTerminalView sendView, recvView;
    auto sender = Open(terminalTextPrimary, sendView);
    auto receiver = Open(terminalTextSecondary, recvView);
    sendView.entry = "hello there";
    sender->SendTxData();
    sched.advance(200);
    EXPECT_EQ(recvView.rx, "hello there\r\n");
    sender->Unload();
    receiver->Unload();

    RecordingTerminalView hexSend, hexRecv;
    auto hs = Open(terminalHexPrimary, hexSend);
    auto hr = Open(terminalHexSecondary, hexRecv);
    hexSend.entry = "00 01 41 FF 0d";
    hs->SendTxData();
    sched.advance(200);
    EXPECT_EQ(hexRecv.rx, "00 01 41 FF 0D ");
    for (const auto& a : hexRecv.appends) EXPECT_EQ(a.kind, RxAppendKind::hex);
}

TEST_F(TerminalBench, PauseDropsEverythingUntilCleared) {
    RecordingTerminalView sendView, recvView;
    auto sender = Open(terminalTextPrimary, sendView);
    auto receiver = Open(terminalTextSecondary, recvView);
    receiver->SetPause(true);
    sendView.entry = "lost";
    sender->SendTxData();
    sched.advance(200);
    receiver->RxSpecial("\r\n\r\n");
    EXPECT_EQ(recvView.rx, "");
    receiver->SetPause(false);
    sendView.entry = "kept";
    sender->SendTxData();
    sched.advance(200);
    receiver->RxSpecial("|");
    EXPECT_EQ(recvView.rx, "kept\r\n|");
}

TEST_F(TerminalBench, DmpAndSRecordSwitchesExcludeEachOtherAndSetThePort) {
    flags.productionMode = true;
    CommSettings comm = secondary->settings();
    comm.dmpBaudRate = 19200;
    comm.txModeValue = 1;
    secondary->setSettings(comm);
    RecordingTerminalView view;
    auto t = Open(terminalTextSecondary, view);
    EXPECT_TRUE(t->offersDmpAndSRecord());
    EXPECT_TRUE(t->DmpTestClicked(true));
    EXPECT_TRUE(view.dmpColumn);
    EXPECT_EQ(secondary->GetWorkingTxMode(), 8);
    EXPECT_EQ(secondary->GetWorkingBaudRate(), 19200);
    EXPECT_FALSE(t->SRecordTestClicked(true));
    EXPECT_FALSE(t->DmpTestClicked(false));
    EXPECT_FALSE(view.dmpColumn);
    EXPECT_EQ(secondary->GetWorkingTxMode(), 1);
    EXPECT_EQ(secondary->GetWorkingBaudRate(), 9600);
    EXPECT_TRUE(t->SRecordTestClicked(true));
    EXPECT_EQ(secondary->GetWorkingTxMode(), 7);
    EXPECT_FALSE(t->DmpTestClicked(true));

    // A reply record from the far end shows as a line.
    cable.inject(Direction::AtoB, "R80200FD\r\n");
    sched.advance(100);
    EXPECT_EQ(view.rx, "\r\nR8 00 00 ");  // an acknowledgement carries no data
}

TEST_F(TerminalBench, DmpFramesShowNumberedLinesOnAnAsciiTerminal) {
    flags.productionMode = true;
    RecordingTerminalView view;
    auto t = Open(terminalTextSecondary, view);
    t->SetPacketNumbers(true);
    ASSERT_TRUE(t->DmpTestClicked(true));
    counters.terminalRxCount = 3;
    cable.inject(Direction::AtoB, *MessDmp("hello", 0x1A, 's', 2));
    sched.advance(100);
    EXPECT_EQ(view.rx, "003 -> AJ       2 s hello\r");  // the frame's data as received
    // Opening another terminal resets the shared numbering.
    RecordingTerminalView other;
    auto hex = Open(terminalHexPrimary, other);
    EXPECT_EQ(counters.terminalRxCount, 0);
}

TEST_F(TerminalBench, TheModeFlagsDecideTheSwitchesOffered) {
    struct Case {
        bool engineer, production, debug;
        std::int32_t kind;
        bool dmp, numbers, dde;
    };
    const std::vector<Case> cases = {
        {false, false, false, terminalTextPrimary, false, true, false},
        {false, false, false, terminalHexPrimary, false, false, false},
        {false, true, false, terminalTextPrimary, true, true, false},
        {false, true, false, terminalHexSecondary, false, true, false},
        {false, true, true, terminalTextSecondary, true, true, true},
    };
    for (const auto& c : cases) {
        flags.engineerMode = c.engineer;
        flags.productionMode = c.production;
        flags.debugTest = c.debug;
        TerminalCore t(Links(), c.kind, counters);
        EXPECT_EQ(t.offersDmpAndSRecord(), c.dmp);
        EXPECT_EQ(t.offersPacketNumbers(), c.numbers);
        EXPECT_EQ(t.offersDde(), c.dde);
    }
}

TEST_F(TerminalBench, F12AddsThePatternOnlyInEngineeringMode) {
    TerminalCore t(Links(), terminalHexPrimary, counters);
    EXPECT_EQ(t.F12Text(), "");
    flags.engineerMode = true;
    EXPECT_EQ(t.F12Text(), kHexTestPattern);
    flags.debugTest = true;
    EXPECT_EQ(t.F12Text().size(), 24576u);
}

// ---- the link rules, with an in-process stand-in for the link layer ----

constexpr long kPartner = 4100;
constexpr long kStranger = 4200;

struct FakeLinks : LocalLinks {
    struct Server : LinkServer {
        FakeLinks& links;
        std::string topic;
        std::map<std::string, std::vector<std::string>> values;
        bool on = false;
        Server(FakeLinks& l, std::string t) : links(l), topic(std::move(t)) {}
        bool listen(std::string*) override { return on = true; }
        bool listening() const override { return on; }
        void setItemValue(const std::string& item, const std::string& value) override { values[item].push_back(value); }
        int connectionCount() const override { return static_cast<int>(peers.size()); }
        long peerProcess(int id) const override {
            const auto it = peers.find(id);
            return it == peers.end() ? 0 : it->second;
        }
        void stop() override { on = false; }
        // Connection id to the program on it.
        std::map<int, long> peers;
        void connectionClosed(int id) {
            if (onClosed) onClosed(id);
            peers.erase(id);
        }
    };
    struct Client : LinkClient {
        FakeLinks& links;
        bool up = false;
        std::vector<std::string> executed, advised;
        std::string target;
        explicit Client(FakeLinks& l) : links(l) {}
        bool connect(const std::string& app, const std::string& topic, std::string* error) override {
            target = app + "|" + topic;
            up = links.partners.count(target) > 0;
            peer = up ? links.partners[target] : 0;
            if (!up && error) *error = "no partner";
            if (up) links.client = this;
            return up;
        }
        bool connected() const override { return up; }
        bool execute(const std::string& c) override {
            executed.push_back(c);
            return up;
        }
        bool advise(const std::string& item) override {
            advised.push_back(item);
            return up;
        }
        long peerProcess() const override { return up ? peer : 0; }
        void close() override { up = false; }
        long peer = 0;
    };
    std::unique_ptr<LinkServer> createServer(const std::string&, const std::string& topic) override {
        auto s = std::make_unique<Server>(*this, topic);
        server = s.get();
        return s;
    }
    std::unique_ptr<LinkClient> createClient() override { return std::make_unique<Client>(*this); }
    std::map<std::string, long> partners;  // "App|Topic" that answer, and the program's id
    Server* server = nullptr;
    Client* client = nullptr;
};

TEST_F(TerminalBench, InitiatingTerminalForwardsItsLinesToThePartnerInsteadOfThePort) {
    FakeLinks links;
    links.partners["Quendix|EngTerminal"] = kPartner;
    RecordingTerminalView view;
    auto t = Open(terminalTextPrimary, view, &links);
    ASSERT_NE(links.server, nullptr);
    EXPECT_EQ(links.server->topic, "EngTerminalPrimary");
    EXPECT_TRUE(t->DdeClicked(true));
    ASSERT_NE(links.client, nullptr);
    EXPECT_EQ(links.client->advised, std::vector<std::string>{"labelDdeSrc"});
    EXPECT_EQ(links.client->executed,
              std::vector<std::string>{"App=K45MR Topic=EngTerminalPrimary Item=labelDdeSrc"});
    EXPECT_EQ(Sent("same", view, *t), "");
    EXPECT_EQ(Sent("same", view, *t), "");
    EXPECT_EQ(links.server->values["labelDdeSrc"], (std::vector<std::string>{"same", "", "same"}));
    EXPECT_EQ(view.tx, "");
    // What the partner delivers is ignored while initiating.
    t->DestinationChanged("from partner");
    sched.advance(100);
    EXPECT_EQ(fromPrimary(), "");
    EXPECT_FALSE(t->DdeClicked(false));
    EXPECT_FALSE(t->destinationLinked());
}

TEST_F(TerminalBench, NoPartnerLeavesTheSwitchTickedAndTheLinesGoToThePort) {
    FakeLinks links;
    RecordingTerminalView view;
    auto t = Open(terminalTextPrimary, view, &links);
    EXPECT_TRUE(t->DdeClicked(true));
    EXPECT_FALSE(t->destinationLinked());
    EXPECT_EQ(Sent("plain", view, *t), "plain\r\n");
}

TEST_F(TerminalBench, AnsweringTerminalLinksFromCommandsOnlyAndSendsValuesAsData) {
    FakeLinks links;
    links.partners["Quendix|EngTerminal"] = kPartner;
    RecordingTerminalView view;
    auto t = Open(terminalTextSecondary, view, &links);
    t->LinkExecute("App=Quendix Topic=EngTerminal Item=labelDdeSrc");
    EXPECT_TRUE(t->destinationLinked());
    ASSERT_NE(links.client, nullptr);
    EXPECT_EQ(links.client->target, "Quendix|EngTerminal");
    EXPECT_EQ(links.client->advised, std::vector<std::string>{"labelDdeSrc"});
    sched.advance(100);
    EXPECT_EQ(fromSecondary(), "");  // the command itself never goes out

    t->DestinationChanged("line one");
    t->DestinationChanged("");
    t->DestinationChanged("line one");
    sched.advance(200);
    EXPECT_EQ(fromSecondary(), "line one\r\nline one\r\n");

    // A value that reads like a link command is still data: sent like any other line, and
    // neither obeyed nor taken as the link's keys.
    for (const std::string value : {"App=Evil Topic=Other Item=x", "Set Topic=B3 now", "Item= 7"}) {
        SCOPED_TRACE(value);
        const std::size_t before = fromSecondary().size();
        view.tx.clear();
        t->DestinationChanged(value);
        sched.advance(200);
        EXPECT_EQ(view.entry, value);
        EXPECT_EQ(fromSecondary().substr(before), value + "\r\n");
        EXPECT_EQ(view.tx, "\r\n" + value);
    }
    EXPECT_EQ(t->ddeApp(), "Quendix");
    EXPECT_EQ(t->ddeTopic(), "EngTerminal");
    EXPECT_EQ(links.client->target, "Quendix|EngTerminal");
    EXPECT_EQ(links.client->advised, std::vector<std::string>{"labelDdeSrc"});

    // A command without all three keys links nothing, and is not sent.
    t->LinkClosed();
    EXPECT_FALSE(t->destinationLinked());
    const std::size_t before = fromSecondary().size();
    t->LinkExecute("App=Quendix Topic=EngTerminal");
    EXPECT_FALSE(t->destinationLinked());
    sched.advance(100);
    EXPECT_EQ(fromSecondary().size(), before);
}

// Only the partner's own connection to our topic ends the link, in either role; another
// program's connection that closes (also for a bad message) changes nothing.
TEST_F(TerminalBench, OnlyThePartnersConnectionEndsTheLink) {
    for (const bool initiating : {true, false}) {
        SCOPED_TRACE(initiating ? "initiating" : "answering");
        FakeLinks links;
        links.partners["Quendix|EngTerminal"] = kPartner;
        RecordingTerminalView view;
        auto t = Open(terminalTextPrimary, view, &links);
        links.server->peers = {{1, kPartner}, {2, kStranger}};
        if (initiating) ASSERT_TRUE(t->DdeClicked(true));
        else t->LinkExecute("App=Quendix Topic=EngTerminal Item=labelDdeSrc", 1);
        ASSERT_TRUE(t->destinationLinked());

        links.server->connectionClosed(2);
        EXPECT_TRUE(t->destinationLinked());
        EXPECT_EQ(t->ddeEnabled(), initiating);
        EXPECT_EQ(t->ddeApp(), initiating ? "" : "Quendix");
        EXPECT_EQ(Sent("after the stranger", view, *t), initiating ? "" : "after the stranger\r\n");

        links.server->connectionClosed(1);
        EXPECT_FALSE(t->destinationLinked());
        EXPECT_FALSE(t->ddeEnabled());
        EXPECT_EQ(t->ddeApp(), "");
        if (initiating) {
            EXPECT_FALSE(view.ddeChecked);
        }
        EXPECT_EQ(Sent("unlinked", view, *t), "unlinked\r\n");
        t->Unload();
    }
}

// Keys of a command that linked nothing go with the connection that sent them, not another's.
TEST_F(TerminalBench, KeysThatLinkedNothingGoWithTheirOwnConnection) {
    FakeLinks links;
    RecordingTerminalView view;
    auto t = Open(terminalTextSecondary, view, &links);
    links.server->peers = {{1, kPartner}, {2, kStranger}};
    t->LinkExecute("App=Quendix Topic=EngTerminal", 1);
    links.server->connectionClosed(2);
    EXPECT_EQ(t->ddeApp(), "Quendix");
    links.server->connectionClosed(1);
    EXPECT_EQ(t->ddeApp(), "");
    EXPECT_EQ(t->ddeTopic(), "");
}

}  // namespace
}  // namespace k45::test
