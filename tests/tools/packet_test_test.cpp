// The packet test: its timing rules, lists and result file as tables, and every test mode
// end to end over the null-modem cable in virtual time.
#include "tools/packet_test.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "serial/port_fixture.h"
#include "tools/tools_bench.h"

namespace k45::test {
namespace {

TEST(PacketTiming, PacingAndResponseTimeOutFollowTheDelayRatioAndLine) {
    struct Case {
        const char* what;
        std::int32_t delay;
        int ratio;
        PacketTestMode mode;
        int shown, calc, interval, remoteDelay, response;
        bool onReply;
    };
    // 64-byte packets, both ports 960 bytes per second, time factor 1.5.
    const std::vector<Case> cases = {
        {"no delay", 0, 1, PacketTestMode::Host, 1, 2, 2, 0, 12, true},
        {"1 s", 4, 1, PacketTestMode::Host, 1, 2, 8, 3, 16, false},
        {"1 s, ratio 2", 4, 2, PacketTestMode::Host, 1, 2, 14, 3, 28, false},
        {"10 s", 40, 1, PacketTestMode::Host, 1, 2, 80, 39, 100, false},
        {"Y-cable", 3, 1, PacketTestMode::YCable, 1, 1, 6, 2, 12, false},
        {"one way", 2, 1, PacketTestMode::OneWay, 1, 1, 4, 2, 12, false},
        {"two ports", 0, 16, PacketTestMode::TwoPorts, 1, 2, 29, 0, 36, true},
    };
    for (const auto& c : cases) {
        const PacketPacing p = ComputePacketPacing(64, 960, 960, 1.5, c.delay, c.ratio, c.mode);
        EXPECT_EQ(p.calculatedTicksShown, c.shown) << c.what;
        EXPECT_EQ(p.calcTicks, c.calc) << c.what;
        EXPECT_EQ(p.hostIntervalTicks, c.interval) << c.what;
        EXPECT_EQ(p.remoteDelayTicks, c.remoteDelay) << c.what;
        EXPECT_EQ(p.sendOnReply, c.onReply) << c.what;
        EXPECT_EQ(GetResponseTicks(p.hostIntervalTicks), c.response) << c.what;
    }
    EXPECT_EQ(NearestEven(2.5), 2);
    EXPECT_EQ(NearestEven(3.5), 4);
    EXPECT_EQ(GetResponseTicks(60000), 65535);
}

TEST(PacketLists, BytesPerPacketByFlagsTestTypeAndDataBits) {
    EXPECT_EQ(BytesPerPacketList(false, true, 8), (std::vector<int>{4, 8, 16, 32, 64, 128, 256}));
    EXPECT_EQ(BytesPerPacketList(false, false, 7), (std::vector<int>{4, 8, 16, 32, 64, 128}));
    const auto single = BytesPerPacketList(true, true, 8);
    ASSERT_EQ(single.size(), 203u);
    EXPECT_EQ((std::vector<int>(single.begin(), single.begin() + 5)), (std::vector<int>{8, 16, 32, 50, 100}));
    EXPECT_EQ(single.back(), 10000);
    const auto multiple = BytesPerPacketList(true, false, 7);
    ASSERT_EQ(multiple.size(), 11u);
    EXPECT_EQ(multiple.back(), 8192);
}

TEST(PacketResultFile, LinesAndHeadersOnFixedWidths) {
    PacketTestResult r;
    r.bytesPerPacket = 64;
    r.packetDelay = 4;
    r.hostTx = 100;
    r.remoteRx = 99;
    r.remoteTx = 99;
    r.hostRx = 98;
    const std::string field = FormatResultLine(r, false);
    EXPECT_EQ(field.size(), 73u);
    EXPECT_EQ(field.substr(0, 12), "          64");
    EXPECT_EQ(field.substr(12, 13), "         1.00");
    EXPECT_EQ(field.substr(61), "          98");
    EXPECT_EQ(FormatResultLine(r, true).substr(73), "   99.000   98.990    98.000");
    EXPECT_EQ(FormatResultLine(PacketTestResult{}, true).substr(73), "    0.000    0.000     0.000");
    EXPECT_EQ(ResultFileHeader(false, "", "", {}, {}),
              "Bytes/Packet  PacketDelay      HostTx    RemoteRx    RemoteTx      HostRx\r\n");
    const std::string eng = ResultFileHeader(true, "10:11:12", "01/02/2026", {9600, 8, "n", 1, 1}, {19200, 7, "e", 2, 4});
    EXPECT_EQ(eng,
              "Time       10:11:12\r\nDate       01/02/2026\r\nHostPort   9600/8n1\r\nRemotePort 19200/7e2\r\n"
              "HostHS     1\r\nRemoteHS   4\r\n"
              "Bytes/Packet  PacketDelay      HostTx    RemoteRx    RemoteTx      HostRx    HtoR%    RtoH%  Overall%\r\n");
    EXPECT_EQ(PercentText(0.995, 1), "99.500 %");
    EXPECT_EQ(PercentText(1, 0), "0.000 %");
}

struct RecordingPacketView : PacketTestView {
    bool active = true;
    PacketTestResult counters;
    std::string percents[3];
    bool running = false, resume = false;
    std::vector<std::int32_t> delays;
    bool IsActiveChild() const override { return active; }
    void ShowCounters(const PacketTestResult& r) override { counters = r; }
    void ShowPercentages(const std::string& a, const std::string& b, const std::string& c) override {
        percents[0] = a;
        percents[1] = b;
        percents[2] = c;
    }
    void ShowTiming(const std::string&, const std::string&, const std::string&, const std::string&) override {}
    void SetRunning(bool r, bool resumeEnabled) override {
        running = r;
        resume = resumeEnabled;
    }
    void SetResumeEnabled(bool on) override { resume = on; }
    void ShowDelay(std::int32_t q) override { delays.push_back(q); }
    void ShowBytesList(const std::vector<int>&, int) override {}
    void ShowSweepEdit(SweepEdit) override {}
    void ShowNumberOfPackets(double) override {}
    void ShowIndicators(bool, bool) override {}
};

// Records the decoded frames a port delivers.
struct FrameSpy : CommForm {
    std::vector<std::pair<int, std::string>> frames;
    void RxDecodedData(std::uint16_t op, std::int16_t length, std::span<const std::uint8_t> data) override {
        frames.emplace_back(op, std::string(reinterpret_cast<const char*>(data.data()), static_cast<std::size_t>(length)));
    }
};

class PacketBench : public ToolsBench {
protected:
    PacketBench() { sched.setWallClock(1768471200); }
    // Runs until the test has stopped: idle, or a host waiting in its stop-requested mode for
    // a send opportunity that a finished count no longer makes.
    bool RunToIdle(PacketTestEngine& e, std::int64_t limitMs = 600000) {
        return sched.advanceUntil([&] { return e.testMode() == PacketTestMode::Idle || IsStoppingMode(e.testMode()); }, limitMs, 5);
    }
    PacketTestEngine engine{Links()};
    RecordingPacketView view;
};

TEST_F(PacketBench, TwoPortsReachAHundredPercentOnACleanLine) {
    engine.setSettings({.numberOfPackets = 50, .savedMode = PacketTestMode::TwoPorts, .dataBytesIndex = 4});  // 64 bytes
    engine.Load(view);
    engine.Activate();
    EXPECT_EQ(engine.option(), PacketTestMode::TwoPorts);
    engine.Start();
    EXPECT_TRUE(view.running);
    ASSERT_TRUE(RunToIdle(engine));
    const auto& r = engine.currentResult();
    EXPECT_EQ(r.hostTx, 50);
    EXPECT_EQ(r.remoteRx, 50);
    EXPECT_EQ(r.remoteTx, 50);
    EXPECT_EQ(r.hostRx, 50);
    EXPECT_EQ(view.percents[2], "100.000 %");
    EXPECT_FALSE(view.running);
    EXPECT_EQ(engine.hostPacketOpcode(), 201);
    EXPECT_EQ(engine.remoteReplyOpcode(), 200);
}

TEST_F(PacketBench, TwoPortsCountLossesOnALossyLine) {
    engine.setSettings({.numberOfPackets = 40, .savedMode = PacketTestMode::TwoPorts, .dataBytesIndex = 4});
    engine.Load(view);
    engine.Activate();
    engine.Start();
    // The replies are lost for a while in the middle of the run.
    sched.advance(1500);
    cable.cut(Direction::BtoA, true);
    sched.advance(4000);
    cable.cut(Direction::BtoA, false);
    ASSERT_TRUE(RunToIdle(engine));
    const auto& r = engine.currentResult();
    EXPECT_EQ(r.hostTx, 40);
    EXPECT_EQ(r.remoteRx, 40);
    EXPECT_EQ(r.remoteTx, 40);
    EXPECT_LT(r.hostRx, 40);
    EXPECT_GT(r.hostRx, 0);
    EXPECT_EQ(view.percents[0], "100.000 %");
    EXPECT_NE(view.percents[2], "100.000 %");
}

TEST_F(PacketBench, HostAndRemoteOnTwoComputers) {
    // The remote computer's primary port is end B; its secondary port goes nowhere.
    NullModemPair spareCable{sched};
    auto spareTables = std::make_unique<RxMessageTables>();
    auto spareTimer = sched.createTimer();
    classComm spare(state, state.locale, sched, dialogs, *spareTables);
    spare.InitCommCtrl(&spareCable.a(), 1, 3, spareTimer.get());
    PacketTestEngine remote(LinksOn(*secondary, spare));
    RecordingPacketView remoteView;
    remote.setSettings({.savedMode = PacketTestMode::Remote});
    remote.Load(remoteView);
    remote.Activate();
    remote.Start();
    EXPECT_EQ(remote.testMode(), PacketTestMode::Remote);

    engine.setSettings({.numberOfPackets = 30, .savedMode = PacketTestMode::Host, .dataBytesIndex = 6});  // 256 bytes
    engine.Load(view);
    engine.Activate();
    engine.Start();
    ASSERT_TRUE(RunToIdle(engine));
    EXPECT_EQ(engine.currentResult().hostTx, 30);
    EXPECT_EQ(engine.currentResult().hostRx, 30);
    EXPECT_EQ(remote.currentResult().remoteRx, 30);
    EXPECT_EQ(remote.currentResult().remoteTx, 30);
    remote.Pause();
    EXPECT_EQ(remote.testMode(), PacketTestMode::Idle);
}

TEST_F(PacketBench, YCableAndOneWayGetTheirOwnPacketsBack) {
    for (PacketTestMode mode : {PacketTestMode::YCable, PacketTestMode::OneWay}) {
        SCOPED_TRACE(static_cast<int>(mode));
        NullModemPair loop{sched};
        PortPair loopPorts(state, sched, dialogs, loop.a(), loop.b());
        classComm &p = *loopPorts.primary, &s = *loopPorts.secondary;
        if (mode == PacketTestMode::YCable) loop.b().attachPeer([&](const std::string& bytes) { loop.b().send(bytes); });
        PacketTestEngine e(LinksOn(p, s));
        RecordingPacketView v;
        e.setSettings({.numberOfPackets = 25, .savedMode = mode});
        e.Load(v);
        e.Activate();
        e.Start();
        ASSERT_TRUE(RunToIdle(e));
        EXPECT_EQ(e.currentResult().hostTx, 25);
        EXPECT_EQ(e.currentResult().hostRx, 25);
        EXPECT_EQ(v.percents[2], "100.000 %");
        e.Unload();
    }
}

TEST_F(PacketBench, AReplyCountsOnlyWhenAsLongAsThePacketAndEqual) {
    flags.engineerMode = true;
    engine.setSettings({.numberOfPackets = 0, .savedMode = PacketTestMode::Host});
    engine.Load(view);
    engine.Activate();
    engine.SetAsciiMode(true);
    engine.SelectBytesIndex(0);  // 8 bytes: 3 data values with the two-byte length field
    engine.SetDelay(4);          // paced by the interval, so a reply does not send the next packet
    engine.Start();
    const std::uint8_t good[] = {'A', 'A', 'A'};
    const std::uint8_t changed[] = {'A', 'B', 'A'};
    const std::uint16_t reply = 200;
    engine.RxDecodedData(reply, 2, good);  // truncated
    engine.RxDecodedData(reply, 0, good);  // empty
    engine.RxDecodedData(reply, 3, changed);
    EXPECT_EQ(engine.currentResult().hostRx, 0);
    engine.RxDecodedData(201, 3, good);  // another opcode: ignored
    EXPECT_EQ(engine.currentResult().hostRx, 0);
    engine.RxDecodedData(reply, 3, good);
    EXPECT_EQ(engine.currentResult().hostRx, 1);
    engine.Pause();
}

TEST_F(PacketBench, AsciiModeLettersRunAToZAndAgain) {
    flags.engineerMode = true;
    FrameSpy spy;
    engine.setSettings({.numberOfPackets = 27, .savedMode = PacketTestMode::OneWay});
    engine.Load(view);
    engine.Activate();
    engine.SetAsciiMode(true);
    engine.SelectBytesIndex(1);  // 16 bytes: 11 values
    engine.Start();
    secondary->RegisterForDecodedData(&spy);
    ASSERT_TRUE(RunToIdle(engine));
    ASSERT_EQ(spy.frames.size(), 27u);
    EXPECT_EQ(spy.frames[0].second, std::string(11, 'A'));
    EXPECT_EQ(spy.frames[25].second, std::string(11, 'Z'));
    EXPECT_EQ(spy.frames[26].second, std::string(11, 'A'));
    secondary->DeRegisterForAll(&spy);
}

TEST_F(PacketBench, InTheBackgroundTheHostWaitsAndTheRemoteCountsWithoutAnswering) {
    engine.setSettings({.numberOfPackets = 10, .savedMode = PacketTestMode::TwoPorts});
    engine.Load(view);
    engine.Activate();
    engine.Start();
    sched.advance(30);
    view.active = false;
    sched.advance(500);
    const PacketTestResult before = engine.currentResult();
    const std::int16_t packet[] = {201, 'x', 'y'};
    cable.inject(Direction::AtoB, *primary->MessSyncEsc(packet));
    sched.advance(5000);
    EXPECT_EQ(engine.currentResult().hostTx, before.hostTx);
    EXPECT_EQ(engine.currentResult().remoteRx, before.remoteRx + 1);
    EXPECT_EQ(engine.currentResult().remoteTx, before.remoteTx);
    view.active = true;
    ASSERT_TRUE(RunToIdle(engine));
    EXPECT_EQ(engine.currentResult().hostTx, 10);
}

// An unplugged adapter under a running test: the port object's one box, then the test stands
// still with the counts of the moment of the loss; nothing more is sent into the closed port.
TEST_F(PacketBench, ALostPortStopsTheTestWithOneMessageAndItsCountsKept) {
    struct Case {
        const char* what;
        PacketTestMode mode;
        bool losePrimary;
    };
    const std::vector<Case> cases = {
        {"two ports, host side lost", PacketTestMode::TwoPorts, true},
        {"two ports, remote side lost", PacketTestMode::TwoPorts, false},
        {"one way, receiving side lost", PacketTestMode::OneWay, false},
        {"remote lost while waiting", PacketTestMode::Remote, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        NullModemPair line{sched};
        PortPair linePorts(state, sched, dialogs, line.a(), line.b());
        classComm &p = *linePorts.primary, &s = *linePorts.secondary;
        PacketTestEngine e(LinksOn(p, s));
        RecordingPacketView v;
        e.setSettings(
            {.numberOfPackets = 0, .savedMode = c.mode});  // no limit: only the loss ends it
        e.Load(v);
        e.Activate();
        e.Start();
        sched.advance(3000);
        ASSERT_TRUE(v.running);
        dialogs.expectBox(c.losePrimary ? "Lost Com Port 1" : "Lost Com Port 2");
        (c.losePrimary ? line.a() : line.b()).unplug();
        const PacketTestResult at = e.currentResult();
        const std::string percents = v.percents[2];
        sched.advance(20000);  // an unscripted box here fails the test
        EXPECT_EQ(e.testMode(), PacketTestMode::Idle);
        EXPECT_FALSE(v.running);
        EXPECT_TRUE(v.resume);
        EXPECT_EQ(e.currentResult().hostTx, at.hostTx);
        EXPECT_EQ(e.currentResult().hostRx, at.hostRx);
        EXPECT_EQ(e.currentResult().remoteRx, at.remoteRx);
        EXPECT_EQ(e.currentResult().remoteTx, at.remoteTx);
        EXPECT_EQ(v.percents[2], percents);
        if (c.mode == PacketTestMode::TwoPorts && c.losePrimary) {
            // With the adapter back, Resume opens the port again and counts on from there.
            line.a().plugIn();
            e.Resume();
            sched.advance(3000);
            EXPECT_TRUE(p.GetCommPortOpen());
            EXPECT_GT(e.currentResult().hostRx, at.hostRx);
            EXPECT_GT(e.currentResult().remoteRx, at.remoteRx);
            e.Pause();
        }
        e.Unload();
    }
}

// The cable pair removed under a running two-port test: each port's loss is told once, in
// whatever order the two losses, the boxes (which run the event loop while they are up) and
// the test's reopen attempts come, also when a device opens again for a moment and fails at
// once. The test ends paused with its counts.
TEST_F(PacketBench, ThePairRemovedUnderATwoPortTestTellsEachPortsLossOnce) {
    struct Rig {
        NullModemPair& line;
        NestingDialogs& boxes;
        PacketTestEngine& test;
        VirtualScheduler& sched;
        // Both devices open again for a moment: Resume opens them and they fail at once.
        void flicker() {
            line.a().plugIn();
            line.b().plugIn();
            test.Resume();
            sched.advance(1);
            line.a().unplug("reading from it failed");
            line.b().unplug("reading from it failed");
        }
    };
    struct Case {
        const char* what;
        std::function<void(Rig&)> remove;
    };
    const std::vector<Case> cases = {
        {"host side first, boxes answered at once",
         [](Rig& r) {
             r.line.a().unplug();
             r.line.b().unplug();
         }},
        {"remote side first, boxes answered at once",
         [](Rig& r) {
             r.line.b().unplug();
             r.line.a().unplug();
         }},
        {"the far side goes inside the first box, boxes up a second each",
         [](Rig& r) {
             r.boxes.holdMs = 1000;
             r.boxes.whileUp = [&r] { r.line.b().unplug(); };
             r.line.a().unplug();
         }},
        {"Resume inside the first box while both come back for a moment",
         [](Rig& r) {
             r.boxes.whileUp = [&r] {
                 r.sched.advance(700);
                 r.flicker();
             };
             r.line.a().unplug();
             r.line.b().unplug();
         }},
        {"Resume after the boxes, three times in 1.6 s, both back for a moment each time",
         [](Rig& r) {
             r.line.a().unplug();
             r.line.b().unplug();
             for (int k = 0; k < 3; ++k) {
                 r.sched.advance(k == 0 ? 100 : 700);
                 r.flicker();
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NestingDialogs boxes{sched};
        NullModemPair line{sched};
        PortPair linePorts(state, sched, boxes, line.a(), line.b());
        classComm &p = *linePorts.primary, &s = *linePorts.secondary;
        PacketTestEngine e(LinksOn(p, s));
        RecordingPacketView v;
        e.setSettings({.numberOfPackets = 0, .savedMode = PacketTestMode::TwoPorts});  // runs until stopped
        e.Load(v);
        e.Activate();
        e.Start();
        sched.advance(3000);
        ASSERT_TRUE(v.running);
        ASSERT_GT(e.currentResult().hostRx, 5);
        Rig rig{line, boxes, e, sched};
        c.remove(rig);
        sched.advance(20000);
        EXPECT_EQ(boxes.count("Lost Com Port 1\r\n"), 1) << boxes.all();
        EXPECT_EQ(boxes.count("Lost Com Port 2\r\n"), 1) << boxes.all();
        EXPECT_EQ(boxes.boxes.size(), 2u) << boxes.all();
        EXPECT_EQ(e.testMode(), PacketTestMode::Idle);
        EXPECT_FALSE(v.running);
        EXPECT_TRUE(v.resume);
        e.Unload();
    }
}

TEST_F(PacketBench, SweepRunsDelayMajorAndTheFileListsByPacketSize) {
    flags.engineerMode = true;
    engine.setSettings({.savedMode = PacketTestMode::TwoPorts});
    engine.Load(view);
    engine.Activate();
    engine.SelectSingle(false);
    engine.SelectSweepEdit(SweepEdit::start);
    engine.SelectBytesIndex(0);
    engine.SetDelay(0);
    engine.SelectSweepEdit(SweepEdit::stop);
    engine.SelectBytesIndex(1);
    engine.SetDelay(1);
    engine.SetNumberBox(3);
    FrameSpy spy;
    secondary->RegisterForDecodedData(&spy);
    engine.Start();
    ASSERT_TRUE(RunToIdle(engine));
    std::vector<std::size_t> lengths;
    for (const auto& f : spy.frames)
        if (f.first == 201) lengths.push_back(f.second.size());
    EXPECT_EQ(lengths, (std::vector<std::size_t>{3, 3, 3, 11, 11, 11, 3, 3, 3, 11, 11, 11}));
    for (std::int32_t d : {0, 1})
        for (int b : {0, 1}) {
            const auto* cell = engine.StoredResult(d, b);
            ASSERT_NE(cell, nullptr);
            EXPECT_EQ(cell->hostTx, 3);
            EXPECT_EQ(cell->hostRx, 3);
            EXPECT_EQ(cell->bytesPerPacket, b == 0 ? 8 : 16);
        }

    const std::string path = home.file("sweep.txt");
    dialogs.expectSaveFile(path);
    engine.Save(dialogs, home.path());
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines;
    std::string all = text.str(), line;
    for (std::size_t at = 0; (at = all.find("\r\n")) != std::string::npos; all.erase(0, at + 2))
        lines.push_back(all.substr(0, at));
    // The header block, a line per step, then the two empty lines that close the block.
    ASSERT_EQ(lines.size(), 7u + 4u + 2u);
    EXPECT_EQ(lines[0].substr(0, 11), "Time       ");
    EXPECT_EQ(lines[7].substr(0, 25), "           8         0.00");
    EXPECT_EQ(lines[8].substr(0, 25), "           8         0.25");
    EXPECT_EQ(lines[9].substr(0, 25), "          16         0.00");
    EXPECT_EQ(lines[10].substr(0, 25), "          16         0.25");
    EXPECT_EQ(lines[11], "");
    EXPECT_EQ(lines[12], "");
    secondary->DeRegisterForAll(&spy);
}

TEST_F(PacketBench, SaveAppendsOnNoAndWritesNothingOnCancel) {
    engine.setSettings({.numberOfPackets = 2, .savedMode = PacketTestMode::TwoPorts});
    engine.Load(view);
    engine.Activate();
    engine.Start();
    ASSERT_TRUE(RunToIdle(engine));
    const std::string path = home.file("PacktTst.txt");
    dialogs.expectSaveFile(path);
    engine.Save(dialogs, home.path());
    dialogs.expectSaveFile(path);
    dialogs.expectBox("already exists!", MsgAnswer::No);
    engine.Save(dialogs, home.path());
    dialogs.expectSaveFile(std::nullopt);
    engine.Save(dialogs, home.path());
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    // Each block ends with two empty lines; the appended block follows them.
    const std::string block =
        "Bytes/Packet  PacketDelay      HostTx    RemoteRx    RemoteTx      HostRx\r\n"
        "           4         0.00           2           2           2           2\r\n\r\n\r\n";
    EXPECT_EQ(text.str(), block + block);
    EXPECT_EQ(engine.settings().packetTestFile, path);
}

}  // namespace
}  // namespace k45::test
