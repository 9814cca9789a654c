// The diagnostics simulator: its replies to the offline commands and its online packets, on the
// secondary port, seen on the wire and through the primary port's decoders.
#include <gtest/gtest.h>

#include "diagnostics/diag_bench.h"
#include "base/hex_text.h"
#include "params/parameter_image.h"

namespace k45::test {
namespace {

// The host side: every reply record the primary port decodes.
struct RecordSink : CommForm {
    classComm* port = nullptr;
    std::vector<SRecordMessage> records;
    void RxSRecordData(std::int16_t i) override { records.push_back(port->tables().rxSRecordMessages[static_cast<std::size_t>(i)]); }
};

class Simulator : public DiagBench {
protected:
    void Host(const std::string& line) {
        primary->SendString(line, 7);
        sched.advance(500);
    }
    // Data bytes of the "R1" lines, in order.
    std::vector<int> DataBytes() const {
        std::vector<int> r;
        for (const auto& l : simLines()) {
            if (l.rfind("R1", 0) != 0) continue;
            const int count = HexToByte(l.substr(2, 2));
            for (int i = 0; i < count - 3; ++i) r.push_back(HexToByte(l.substr(8 + 2 * i, 2)));
        }
        return r;
    }
};

TEST(SimulatorPacket, BytesOfTheOnlinePacket) {
    struct Case {
        std::uint32_t id;
        std::array<std::int16_t, 5> v;
        std::array<std::int16_t, 9> want;
    };
    const std::vector<Case> cases = {
        {1024, {0, 0, 0, 0, 0}, {17, 0, 0, 0, 0, 0, 0, 0, 239}},
        {1, {100, 25, 120, 50, 5}, {1, 1, 100, 25, 120, 0, 50, 5, 210}},
        {1023, {0, 0, 0, 0, 0}, {97, 255, 0, 0, 0, 0, 0, 0, 160}},
        {5000, {300, -1, 0, 0, 0}, {113, 136, 44, 255, 0, 0, 0, 0, 220}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BuildOnlinePacket(c.id, c.v[0], c.v[1], c.v[2], c.v[3], c.v[4]), c.want) << c.id;
    }
}

TEST(SimulatorPacket, ValueRecordsAreTypeEightAtAddressZero) {
    EXPECT_EQ(SimValueRecordLine(7), "R8030007F5\r\n");
    EXPECT_EQ(SimValueRecordLine(85), "R8030055A7\r\n");
    EXPECT_EQ(SimPatternHeaderLine().size(), 74u);
    EXPECT_EQ(SimPatternLine(3), " 003  ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789\r\n");
    EXPECT_EQ(SimVersionLine().size(), 51u);
}

TEST_F(Simulator, TheRssiAndSwitchRepliesReachTheHostAsAddressZeroWithTheirValue) {
    RecordSink sink;
    sink.port = primary.get();
    primary->RegisterForSRecord(&sink);
    SimSettings s = Settings(false);
    s.starts[simRssi] = 85;
    s.ends[simRssi] = 86;
    sim.Start(s);
    Host("RSSI\r");
    Host("CSWITCH\r");
    Host("RSSI\r");
    primary->DeRegisterForAll(&sink);
    ASSERT_EQ(sink.records.size(), 3u);
    const int want[] = {85, 7, 86};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sink.records[i].recNum, 8);
        EXPECT_EQ(sink.records[i].address, 0);
        EXPECT_EQ(sink.records[i].dataCount, 1);
        EXPECT_EQ(sink.records[i].data[0], want[i]);
    }
    EXPECT_EQ(sim.state().packetsSent, 0);  // the poll is not counted
}

TEST_F(Simulator, DiagnosticsReplyRemoteOrLocalAndNothingForLowerCase) {
    sim.Start(Settings(false));
    EXPECT_EQ(sim.state().testState, SimTestState::Offline);
    Host("REM0000007BAS\r");
    const std::vector<std::string> want = {"R1130FA0", "R1110FB0", "R10F1770", "R9030000FC", "R80200FD"};
    const auto lines = simLines();
    ASSERT_EQ(lines.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(lines[i].substr(0, want[i].size()), want[i]) << i;
    std::vector<int> bytes = DataBytes();
    const std::vector<int> set = {30, 20, 0, 50, 0, 50, 0, 0, 0, 0};
    std::vector<int> expected;
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), set.begin(), set.end());
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), {0, 0, 0, 1});
    EXPECT_EQ(bytes, expected);
    const std::string before = fromSim();
    Host("as\r");
    Host("DA\r");
    EXPECT_EQ(fromSim(), before);
    EXPECT_EQ(sim.state().packetsSent, 1);
    EXPECT_EQ(simView.shown, 1);
}

TEST_F(Simulator, StatisticsReportTheMasterThenTheRemoteRange) {
    SimSettings s = Settings(false);
    s.masterId = 5;
    s.startId = 1024;
    s.endId = 1025;
    s.starts[simRssi] = 10;
    s.ends[simRssi] = 12;
    sim.Start(s);
    Host("NS\r");
    const auto bytes = DataBytes();
    ASSERT_EQ(bytes.size(), 144u);
    EXPECT_EQ((std::vector<int>(bytes.begin(), bytes.begin() + 4)), (std::vector<int>{127, 0, 5, 10}));
    EXPECT_EQ((std::vector<int>(bytes.begin() + 9, bytes.begin() + 13)), (std::vector<int>{255, 0, 0, 11}));
    EXPECT_EQ((std::vector<int>(bytes.begin() + 18, bytes.begin() + 22)), (std::vector<int>{255, 0, 1, 12}));
    EXPECT_EQ((std::vector<int>(bytes.begin() + 27, bytes.begin() + 31)), (std::vector<int>{255, 0, 0, 10}));
    EXPECT_EQ(sim.state().currentId, 1025);
    const auto lines = simLines();
    EXPECT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0].substr(0, 8), "R1131388");
    EXPECT_EQ(lines[8].substr(0, 8), "R1131408");
}

TEST_F(Simulator, TheTestPatternGoesOutLineByLineAndStopDropsWhatIsOwed) {
    sim.Start(Settings(false));
    Host("REM00000001PSUDO03\r");
    sched.advance(2000);
    auto lines = simLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "R80200FD");
    EXPECT_EQ(lines[1].substr(10, 15), "ASCII DATA TEST");
    EXPECT_EQ(lines[2].substr(0, 4), " 003");
    EXPECT_EQ(lines[3].substr(0, 4), " 002");
    EXPECT_EQ(lines[4].substr(0, 4), " 001");

    // A new request, then Stop while lines are owed: a later test sends none of them.
    Host("PSUDO09\r");
    sim.Stop();
    EXPECT_EQ(sim.state().patternLinesLeft, 0);
    sim.Start(Settings(false));
    const std::size_t before = simLines().size();
    Host("AR\r");
    sched.advance(2000);
    EXPECT_EQ(simLines().size(), before + 2);  // the end pair only
    Host("PSUDO\r");
    sched.advance(1000);
    EXPECT_EQ(simLines().size(), before + 4);  // acknowledgement and header, no numbered line
}

TEST_F(Simulator, TheDumpReportsTheMasterIdAfterAnActivation) {
    ctx.state.mainParameters.serialNumber = 777;
    SimSettings s = Settings(false);
    s.masterId = 4242;
    sim.Start(s);
    sim.Activate();
    const std::size_t before = fromSim().size();
    Host("DE\r");
    sched.advance(1000);
    const std::string reply = fromSim().substr(before);
    ParameterImage image{};
    int n = 0;
    for (const auto& l : SplitLines(reply)) {
        if (l.rfind("R1", 0) != 0) continue;
        const int address = HexToWord(l.substr(4, 4));
        for (int i = 0; i < 16; ++i)
            image[static_cast<std::size_t>(address + i)] = static_cast<std::uint8_t>(HexToByte(l.substr(8 + 2 * i, 2)));
        ++n;
    }
    EXPECT_EQ(n, 40);
    ModemParameters decoded = ctx.state.mainParameters;
    ASSERT_TRUE(DecodeParameterImage(ctx.state, ctx.state, decoded, image).ok());
    EXPECT_EQ(decoded.serialNumber, 4242);
}

// A dump the simulator cannot encode shows its box; the panel closes and opens again under it,
// so nothing more of the old dump goes out.
TEST_F(Simulator, ADumpWhosePanelClosedUnderItsBoxSendsNothing) {
    ctx.state.mainParameters.eepromVersion = 1;  // no image layout
    sim.Start(Settings(false));
    sim.Activate();
    const std::size_t before = fromSim().size();
    dialogs.expectBox(kModemTypeNotCorrect);
    dialogs.whileShown = [&](const std::string&) {
        sim.Unload();
        sim.Load();
        sim.SelectPort(true);
        sim.Activate();
    };
    Host("DE\r");
    sched.advance(1000);
    dialogs.whileShown = nullptr;
    EXPECT_EQ(fromSim().substr(before), "");
}

TEST_F(Simulator, AnOnlineTestAnswersOnlyTheDumpAndTheEndPairCommands) {
    SimSettings s = Settings(true);
    s.packetDelay = 125;
    s.packetsToSend = 1;
    sim.Start(s);
    sched.advance(200);
    ASSERT_EQ(sim.state().testState, SimTestState::Idle);  // one packet, then the limit stops it
    sim.Start(s);
    EXPECT_EQ(sim.state().testState, SimTestState::Online);
    sim.state().packetsToSend = 0;
    const std::size_t before = fromSim().size();
    Host("?\r");
    Host("AS\r");
    Host("CHANNEL03\r");
    const std::string after = fromSim().substr(before);
    EXPECT_EQ(after.find("Copyright"), std::string::npos);
    EXPECT_NE(after.find("R9030000FC\r\nR80200FD\r\n"), std::string::npos);
    sim.Stop();
    EXPECT_EQ(sim.state().testState, SimTestState::Idle);
}

TEST_F(Simulator, OnlinePacketsStepThroughTheIdRangeUpToTheLimit) {
    SimSettings s = Settings(true);
    s.startId = 10;
    s.endId = 12;
    s.packetsToSend = 5;
    s.starts = {100, 25, 120, 50, 5};
    s.ends = {101, 25, 120, 50, 5};
    sim.Start(s);
    sched.advance(1000);
    const std::string wire = fromSim();
    ASSERT_EQ(wire.size(), 45u);
    const int ids[] = {10, 11, 12, 10, 11};
    const int rssi[] = {100, 101, 100, 101, 100};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(static_cast<unsigned char>(wire[static_cast<std::size_t>(9 * i + 1)]), ids[i]);
        EXPECT_EQ(static_cast<unsigned char>(wire[static_cast<std::size_t>(9 * i + 2)]), rssi[i]);
    }
    EXPECT_EQ(sim.state().testState, SimTestState::Idle);
    EXPECT_EQ(sim.state().packetsSent, 5);
    EXPECT_EQ(simView.stops, 1);
}

TEST_F(Simulator, ARangeEndingAtTheLastUnitIdWrapsToItsStartNotToZero) {
    SimSettings s = Settings(true);
    s.startId = 4294967294u;
    s.endId = 4294967295u;
    s.packetsToSend = 3;
    sim.Start(s);
    sched.advance(1000);
    const std::string wire = fromSim();
    ASSERT_EQ(wire.size(), 27u);
    const int shortLow[] = {254, 255, 254};  // short IDs 1022, 1023, 1022
    for (int i = 0; i < 3; ++i) EXPECT_EQ(static_cast<unsigned char>(wire[static_cast<std::size_t>(9 * i + 1)]), shortLow[i]);
}

TEST_F(Simulator, PauseOrAnotherActiveWindowHoldsTheStreamAndItResumesWithin250Ms) {
    SimSettings s = Settings(true);
    simView.pause = true;
    sim.Start(s);
    sched.advance(1000);
    EXPECT_EQ(fromSim().size(), 0u);
    EXPECT_EQ(sim.state().packetsSent, 0);
    EXPECT_TRUE(sim.waitTimerOn());
    simView.pause = false;
    sched.advance(250);
    EXPECT_GT(fromSim().size(), 0u);
    simView.active = false;
    sched.advance(100);
    const std::size_t held = fromSim().size();
    sched.advance(1000);
    EXPECT_EQ(fromSim().size(), held);
    simView.active = true;
    sched.advance(260);
    EXPECT_GT(fromSim().size(), held);
    sim.Stop();
    EXPECT_FALSE(sim.waitTimerOn());
}

TEST_F(Simulator, ClearResetsToTheValuesOfTheLastStart) {
    SimSettings s = Settings(false);
    s.startId = 20;
    s.endId = 30;
    s.masterId = 9;
    s.starts[simRssi] = 40;
    s.ends[simRssi] = 90;
    sim.Start(s);
    Host("AS\r");
    Host("NS\r");
    EXPECT_EQ(sim.state().packetsSent, 2);
    sim.Stop();
    sim.Clear();
    EXPECT_EQ(sim.state().packetsSent, 0);
    EXPECT_EQ(sim.state().currentId, 20);
    EXPECT_EQ(sim.state().channels[simRssi].current, 40);
    EXPECT_EQ(simView.shown, 0);
}

}  // namespace
}  // namespace k45::test
