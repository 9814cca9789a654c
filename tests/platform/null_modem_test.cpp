// The null-modem pair: wire timing, crossed lines, break, drained and receive events, and the
// line faults a test can cause.
#include "support/null_modem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace k45::test {
namespace {

std::string Pattern(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>(i & 0xFF);
    return s;
}

class NullModemTest : public ::testing::Test {
protected:
    struct Event {
        int code;
        std::int64_t atMs;
    };

    void SetUp() override {
        ASSERT_TRUE(a.open(nullptr));
        ASSERT_TRUE(b.open(nullptr));
        a.setEventHandler([this](int code) { eventsA.push_back({code, sched.nowMs()}); });
        b.setEventHandler([this](int code) {
            eventsB.push_back({code, sched.nowMs()});
            if (code == commEvReceive && readOnReceive) piecesB.push_back({b.readInput(), sched.nowMs()});
        });
    }

    std::vector<int> codes(const std::vector<Event>& events, int code) const {
        std::vector<int> out;
        for (const auto& e : events)
            if (e.code == code) out.push_back(static_cast<int>(e.atMs));
        return out;
    }

    VirtualScheduler sched;
    NullModemPair pair{sched};
    NullModemEnd& a = pair.a();
    NullModemEnd& b = pair.b();
    std::vector<Event> eventsA, eventsB;
    bool readOnReceive = false;
    std::vector<std::pair<std::string, std::int64_t>> piecesB;
};

// Bytes arrive when their last bit has left the wire: start + data + parity + stop bits each.
TEST_F(NullModemTest, BytesTakeTheirWireTimeAtTheWritersSettings) {
    struct Case {
        PortSettings settings;
        int bytes;
        std::int64_t earlyMs;  // one millisecond before the last byte is off the wire
        std::size_t earlyCount;
        std::int64_t endUs;
    };
    const Case cases[] = {
        {{.baudRate = 9600}, 10, 10, 9, 10417},                                    // 1041.67 us a byte
        {{.baudRate = 1200, .parity = 'e', .dataBits = 7, .stopBits = 2}, 3, 27, 2, 27500},  // 11 bits: 9166.67 us
        {{.baudRate = 115200}, 100, 8, 92, 8681},                                  // 86.81 us
        {{.baudRate = 300, .stopBits = 2}, 2, 73, 1, 73334},                       // 11 bits: 36666.67 us
        {{.baudRate = 14400, .parity = 'o'}, 4, 3, 3, 3056},                       // 11 bits: 763.89 us
        {{.baudRate = 28800, .parity = 'N'}, 6, 2, 5, 2084},                       // 347.22 us
        {{.baudRate = 9600, .dataBits = 5, .stopBits = 2}, 8, 6, 7, 6667},         // 8 bits: 833.33 us
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(PortSettingsText(c.settings));
        VirtualScheduler s;
        NullModemPair p(s);
        ASSERT_TRUE(p.a().open(nullptr));
        ASSERT_TRUE(p.b().open(nullptr));
        ASSERT_TRUE(p.a().setSettings(c.settings, nullptr));
        ASSERT_TRUE(p.a().write(Pattern(c.bytes), nullptr));
        std::string got;
        s.advance(c.earlyMs);
        got += p.b().readInput();
        EXPECT_EQ(got.size(), c.earlyCount);
        s.advance(1);
        got += p.b().readInput();
        EXPECT_EQ(got, Pattern(c.bytes));
        ASSERT_EQ(p.wireLog(Direction::AtoB).size(), 1u);
        const WireChunk& w = p.wireLog(Direction::AtoB)[0];
        EXPECT_EQ(w.startUs, 0);
        EXPECT_EQ(w.endUs, c.endUs);
        EXPECT_FALSE(w.injected);
    }
}

TEST_F(NullModemTest, LongTransferKeepsExactTime) {
    // 9600 bytes at 9600 8N1 take exactly ten seconds.
    ASSERT_TRUE(a.write(Pattern(9600), nullptr));
    sched.advance(9999);
    std::string got = b.readInput();
    EXPECT_EQ(got.size(), 9599u);
    sched.advance(1);
    got += b.readInput();
    EXPECT_EQ(got, Pattern(9600));
    EXPECT_EQ(pair.wireLog(Direction::AtoB)[0].endUs, 10000000);
}

TEST_F(NullModemTest, WritesWhileSendingFollowBackToBackAndTheLogTimesEachWrite) {
    ASSERT_TRUE(a.write("12345", nullptr));
    sched.advance(2);
    ASSERT_TRUE(a.write("abcde", nullptr));
    sched.advance(18);
    ASSERT_TRUE(a.write("Z", nullptr));
    sched.advance(5);
    const auto& log = pair.wireLog(Direction::AtoB);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].writtenAtMs, 2);
    EXPECT_EQ(log[1].startUs, 5209);   // when the fifth byte of the first write was off
    EXPECT_EQ(log[1].endUs, 10417);
    EXPECT_EQ(log[2].writtenAtMs, 20);  // the line was idle: starts at once
    EXPECT_EQ(log[2].startUs, 20000);
    EXPECT_EQ(log[2].endUs, 21042);
    EXPECT_EQ(pair.wireBytes(Direction::AtoB), "12345abcdeZ");
    EXPECT_EQ(b.readInput(), "12345abcdeZ");
    EXPECT_TRUE(pair.wireLog(Direction::BtoA).empty());
}

TEST_F(NullModemTest, OutputCountFollowsTheClockAndDrainedComesWhenTheLastByteIsOff) {
    ASSERT_TRUE(a.write(Pattern(10), nullptr));
    EXPECT_EQ(a.outputCount(), 10);
    sched.wait(5, false);  // a busy wait: nothing is dispatched, the bytes still leave
    EXPECT_EQ(a.outputCount(), 6);
    EXPECT_TRUE(eventsA.empty());
    EXPECT_TRUE(eventsB.empty());
    sched.advance(5);
    EXPECT_EQ(a.outputCount(), 1);
    EXPECT_TRUE(codes(eventsA, commEvSend).empty());
    sched.advance(10);
    EXPECT_EQ(a.outputCount(), 0);
    EXPECT_EQ(codes(eventsA, commEvSend), std::vector<int>{11});
}

TEST_F(NullModemTest, ReceiveEventFollowsTheThreshold) {
    b.setReceiveThreshold(5);
    ASSERT_TRUE(a.write("abc", nullptr));
    sched.advance(10);
    EXPECT_TRUE(codes(eventsB, commEvReceive).empty());
    ASSERT_TRUE(a.write("de", nullptr));
    sched.advance(10);
    EXPECT_EQ(codes(eventsB, commEvReceive), std::vector<int>{13});  // 5th byte off at 12.08 ms
    EXPECT_EQ(b.readInput(), "abcde");

    // Threshold 0: bytes arrive, no event.
    eventsB.clear();
    b.setReceiveThreshold(0);
    ASSERT_TRUE(a.write("xyz", nullptr));
    sched.advance(10);
    EXPECT_TRUE(codes(eventsB, commEvReceive).empty());
    EXPECT_EQ(b.readInput(), "xyz");

    // Threshold 1: every delivery raises one.
    b.setReceiveThreshold(1);
    readOnReceive = true;
    ASSERT_TRUE(a.write("12", nullptr));
    sched.advance(10);
    ASSERT_EQ(piecesB.size(), 2u);
    EXPECT_EQ(piecesB[0], (std::pair<std::string, std::int64_t>{"1", 32}));
    EXPECT_EQ(piecesB[1], (std::pair<std::string, std::int64_t>{"2", 33}));
}

TEST_F(NullModemTest, RtsCrossesToCtsAndDtrToDsrAndCd) {
    struct Case {
        bool rts, dtr;
        bool cts, dsr, cd;
    };
    const Case cases[] = {
        {true, false, true, false, false},
        {false, true, false, true, true},
        {true, true, true, true, true},
        {false, false, false, false, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(a.setRts(c.rts, nullptr));
        ASSERT_TRUE(a.setDtr(c.dtr, nullptr));
        EXPECT_EQ(b.cts(), c.cts);
        EXPECT_EQ(b.dsr(), c.dsr);
        EXPECT_EQ(b.cd(), c.cd);
        EXPECT_EQ(a.rts(), c.rts);
        EXPECT_EQ(a.dtr(), c.dtr);
        EXPECT_FALSE(a.cts() || a.dsr() || a.cd());  // B drives nothing
    }
    sched.advance(0);
    // One event per change of each line, in the order of the changes.
    std::vector<int> lineEvents;
    for (const auto& e : eventsB) lineEvents.push_back(e.code);
    EXPECT_EQ(lineEvents, (std::vector<int>{commEvCts, commEvCts, commEvDsr, commEvCd, commEvCts,
                                            commEvCts, commEvDsr, commEvCd}));

    // Closing an end drops its lines; a closed end reads nothing.
    ASSERT_TRUE(a.setRts(true, nullptr));
    ASSERT_TRUE(b.setDtr(true, nullptr));
    sched.advance(0);
    eventsB.clear();
    a.close();
    EXPECT_FALSE(b.cts());
    EXPECT_FALSE(a.dsr());
    sched.advance(0);
    EXPECT_EQ(codes(eventsB, commEvCts).size(), 1u);
    EXPECT_FALSE(a.setRts(true, nullptr));
}

TEST_F(NullModemTest, ForcedInputOverridesTheOtherEnd) {
    b.forceInput(InputLine::Cd, true);
    EXPECT_TRUE(b.cd());
    EXPECT_FALSE(b.dsr());
    sched.advance(0);
    EXPECT_EQ(codes(eventsB, commEvCd).size(), 1u);
    b.forceInput(InputLine::Cd, std::nullopt);
    EXPECT_FALSE(b.cd());
}

TEST_F(NullModemTest, BreakIsCarriedOncePerBreak) {
    ASSERT_TRUE(a.setBreak(true, nullptr));
    ASSERT_TRUE(a.setBreak(true, nullptr));
    EXPECT_TRUE(a.breakOn());
    sched.advance(0);
    EXPECT_EQ(codes(eventsB, commEventBreak).size(), 1u);
    ASSERT_TRUE(a.setBreak(false, nullptr));
    ASSERT_TRUE(a.setBreak(true, nullptr));
    sched.advance(0);
    EXPECT_EQ(codes(eventsB, commEventBreak).size(), 2u);
    EXPECT_TRUE(codes(eventsA, commEventBreak).empty());

    ASSERT_TRUE(a.setBreak(false, nullptr));
    pair.cut(true);
    ASSERT_TRUE(a.setBreak(true, nullptr));
    sched.advance(0);
    EXPECT_EQ(codes(eventsB, commEventBreak).size(), 2u);
}

TEST_F(NullModemTest, CutLineLosesTheBytesButTheWriterStillSendsThem) {
    pair.cut(Direction::AtoB, true);
    ASSERT_TRUE(a.write("lost", nullptr));
    ASSERT_TRUE(b.write("back", nullptr));
    sched.advance(20);
    EXPECT_EQ(b.readInput(), "");
    EXPECT_EQ(a.readInput(), "back");  // the other direction still works
    EXPECT_EQ(pair.lostBytes(Direction::AtoB), 4);
    EXPECT_EQ(pair.wireBytes(Direction::AtoB), "lost");
    EXPECT_EQ(codes(eventsA, commEvSend).size(), 1u);

    pair.cut(Direction::AtoB, false);
    ASSERT_TRUE(a.write("ok", nullptr));
    sched.advance(5);
    EXPECT_EQ(b.readInput(), "ok");
}

TEST_F(NullModemTest, InjectedBytesArriveAtOnceInLineOrder) {
    ASSERT_TRUE(b.write("ab", nullptr));
    sched.advance(2);  // 'a' is off the wire and delivered, 'b' is on it
    pair.inject(Direction::BtoA, std::string("\xFF\x00~", 3));
    sched.advance(0);
    EXPECT_EQ(a.readInput(), std::string("a\xFF\x00~", 4));
    sched.advance(1);
    EXPECT_EQ(a.readInput(), "b");
    const auto& log = pair.wireLog(Direction::BtoA);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[1].injected);
    EXPECT_EQ(log[1].writtenAtMs, 2);
    EXPECT_EQ(pair.wireBytes(Direction::BtoA), std::string("ab\xFF\x00~", 5));
}

TEST_F(NullModemTest, SplitDeliversPiecesOfNBytesEachWithItsOwnEvent) {
    readOnReceive = true;
    ASSERT_TRUE(a.setSettings({.baudRate = 115200}, nullptr));
    pair.split(Direction::AtoB, 4);
    ASSERT_TRUE(a.write("0123456789", nullptr));  // all off the wire within 1 ms
    sched.advance(1);
    std::vector<std::string> pieces;
    for (const auto& p : piecesB) pieces.push_back(p.first);
    EXPECT_EQ(pieces, (std::vector<std::string>{"0123", "4567", "89"}));

    // At 9600 the pieces wait for their last byte; the short last one goes when the line idles.
    piecesB.clear();
    ASSERT_TRUE(a.setSettings({.baudRate = 9600}, nullptr));
    pair.split(Direction::AtoB, 3);
    ASSERT_TRUE(a.write("abcdefg", nullptr));
    sched.advance(20);
    using Piece = std::pair<std::string, std::int64_t>;
    EXPECT_EQ(piecesB, (std::vector<Piece>{{"abc", 5}, {"def", 8}, {"g", 9}}));
}

TEST_F(NullModemTest, StallHoldsDeliveryUntilReleased) {
    readOnReceive = true;
    pair.stall(Direction::AtoB, true);
    ASSERT_TRUE(a.write("hello", nullptr));
    sched.advance(100);
    EXPECT_TRUE(piecesB.empty());
    EXPECT_EQ(codes(eventsA, commEvSend), std::vector<int>{6});  // the bytes did leave
    pair.stall(Direction::AtoB, false);
    sched.advance(0);
    ASSERT_EQ(piecesB.size(), 1u);
    EXPECT_EQ(piecesB[0].first, "hello");
}

TEST_F(NullModemTest, ClosedEndsLoseIncomingBytesAndRefuseOutput) {
    b.close();
    ASSERT_TRUE(a.write("abc", nullptr));
    sched.advance(10);
    EXPECT_EQ(pair.lostBytes(Direction::AtoB), 3);
    ASSERT_TRUE(b.open(nullptr));
    EXPECT_EQ(b.readInput(), "");

    std::string error;
    a.close();
    EXPECT_FALSE(a.write("x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(a.setBreak(true, nullptr));

    // What was written before the close still goes out.
    eventsA.clear();
    ASSERT_TRUE(a.open(nullptr));
    ASSERT_TRUE(a.write("late", nullptr));
    a.close();
    sched.advance(10);
    EXPECT_EQ(b.readInput(), "late");
    EXPECT_TRUE(codes(eventsA, commEvSend).empty());  // no events to a closed end
}

TEST_F(NullModemTest, PeerOnEndBReceivesAndSends) {
    b.close();
    std::string heard;
    std::int64_t lastAt = -1;
    b.attachPeer([&](const std::string& bytes) {
        heard += bytes;
        lastAt = sched.nowMs();
    });
    EXPECT_TRUE(b.isOpen());
    ASSERT_TRUE(a.write("AT\r", nullptr));
    sched.advance(10);
    EXPECT_EQ(heard, "AT\r");
    EXPECT_EQ(lastAt, 4);  // 3125 us
    EXPECT_EQ(b.readInput(), "");
    ASSERT_TRUE(b.send("OK\r\n"));
    sched.advance(10);
    EXPECT_EQ(a.readInput(), "OK\r\n");
}

TEST_F(NullModemTest, HardwareHandshakingHoldsOutputWhileCtsIsOff) {
    ASSERT_TRUE(a.setHandshaking(2, nullptr));
    ASSERT_TRUE(a.write("abc", nullptr));
    sched.advance(50);
    EXPECT_EQ(a.outputCount(), 3);
    EXPECT_EQ(b.readInput(), "");
    ASSERT_TRUE(b.setRts(true, nullptr));
    sched.advance(10);
    EXPECT_EQ(b.readInput(), "abc");
    EXPECT_EQ(pair.wireLog(Direction::AtoB)[0].startUs, 50000);
    EXPECT_EQ(pair.wireLog(Direction::AtoB)[0].endUs, 53125);
    EXPECT_EQ(codes(eventsA, commEvSend), std::vector<int>{54});
}

TEST_F(NullModemTest, OutputBeyondTheBufferIsRefused) {
    a.setBufferSizes(16, 8);
    EXPECT_EQ(a.outputBufferSize(), 8);
    ASSERT_TRUE(a.write("12345", nullptr));
    std::string error;
    EXPECT_FALSE(a.write("6789", &error));
    EXPECT_NE(error.find("full"), std::string::npos);
    sched.advance(10);
    EXPECT_TRUE(a.write("abcdefgh", nullptr));
    sched.advance(10);
    EXPECT_EQ(b.readInput(), "12345abcdefgh");
}

TEST_F(NullModemTest, BadSettingsAreRefusedAndKeepTheOldOnes) {
    std::string error;
    ASSERT_TRUE(a.setSettings({.baudRate = 4800}, &error));
    EXPECT_FALSE(a.setSettings({.baudRate = 9600, .dataBits = 9}, &error));
    EXPECT_NE(error.find("bad data bits 9"), std::string::npos) << error;
    EXPECT_EQ(PortSettingsText(a.settings()), "4800,n,8,1");
    EXPECT_FALSE(a.setHandshaking(1, &error));
}

}  // namespace
}  // namespace k45::test
