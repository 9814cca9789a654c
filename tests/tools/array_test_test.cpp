// The array test: its patterns, numbering, pacing and stop rules, end to end over the cable.
#include "tools/array_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/tools_bench.h"

namespace k45::test {
namespace {

TEST(ArrayPatterns, TextPatternsAreMeasuredAndBinaryFillsTheBuffer) {
    std::array<std::int16_t, kArrayBufferSize> buffer{};
    auto text = [&](int from, int n) {
        std::string s;
        for (int i = from; i < from + n; ++i) s += static_cast<char>(buffer[static_cast<std::size_t>(i)]);
        return s;
    };
    EXPECT_EQ(BuildArrayPattern(arrayAsciiPattern, buffer), 58);
    EXPECT_EQ(text(0, 58), "000 ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz\r\n");
    EXPECT_EQ(text(69 * 58, 58), text(0, 58));  // 70 packets
    EXPECT_EQ(buffer[70 * 58], 0);
    buffer.fill(0);
    EXPECT_EQ(BuildArrayPattern(arrayAsciiNumberPattern, buffer), 54);
    EXPECT_EQ(text(0, 54), "000 00 11 22 33 44 55 66 77 88 99 AA BB CC DD EE FF \r\n");
    EXPECT_EQ(text(74 * 54, 54), text(0, 54));  // 75 packets
    EXPECT_EQ(buffer[75 * 54], 0);
    EXPECT_EQ(BuildArrayPattern(arrayBinaryPattern, buffer), 16);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(buffer[15], 0xFF);
    EXPECT_EQ(buffer[4095], 0xFF);
    EXPECT_EQ(buffer[4081], 0x11);
}

struct RecordingArrayView : ArrayTestView {
    bool active = true, pause = false, running = false;
    std::int32_t txed = 0;
    int size = 0, perArray = 0;
    bool IsActiveChild() const override { return active; }
    bool PauseTicked() const override { return pause; }
    void ShowPacketsTxed(std::int32_t c) override { txed = c; }
    void ShowPacketSize(int s) override { size = s; }
    void ShowPacketsPerArray(int n) override { perArray = n; }
    void SetRunning(bool r) override { running = r; }
};

class ArrayBench : public ToolsBench {
protected:
    ArrayTestEngine engine{Links()};
    RecordingArrayView view;
};

TEST_F(ArrayBench, BinaryPatternArrivesInAHexTerminalNumberedAcrossArrays) {
    RecordingTerminalView hexView;
    TerminalCore hex(Links(), terminalHexSecondary, counters);
    hex.Load(hexView);
    engine.setSettings({.dataTypeIndex = arrayBinaryPattern, .savedPacketsPerArray = 2, .packetsToSend = 4});
    engine.Load(view);
    EXPECT_EQ(view.size, 16);
    engine.Start();
    ASSERT_TRUE(sched.advanceUntil([&] { return !engine.running(); }, 10000));
    EXPECT_EQ(view.txed, 4);
    std::string expected;
    for (int n = 0; n < 4; ++n) {
        char b[4];
        std::snprintf(b, sizeof b, "%02X ", n);
        expected += b;
        for (int k = 1; k < 16; ++k) {
            std::snprintf(b, sizeof b, "%02X ", 17 * k);
            expected += b;
        }
    }
    sched.advance(100);
    EXPECT_EQ(hexView.rx, expected);
}

TEST_F(ArrayBench, StopsWhenTheCountIsReachedAndNumbersTextPackets) {
    engine.setSettings({.dataTypeIndex = arrayAsciiPattern, .savedPacketsPerArray = 2, .packetsToSend = 5});
    engine.Load(view);
    engine.Start();
    ASSERT_TRUE(sched.advanceUntil([&] { return !engine.running(); }, 10000));
    EXPECT_EQ(engine.packetsTxed(), 6);
    const std::string wire = fromPrimary();
    ASSERT_EQ(wire.size(), 6u * 58u);
    for (int n = 0; n < 6; ++n) EXPECT_EQ(wire.substr(static_cast<std::size_t>(n) * 58, 4), "00" + std::to_string(n) + " ");
    EXPECT_FALSE(view.running);
}

TEST_F(ArrayBench, PacketsPerArrayAreLimitedByTheType) {
    engine.setSettings({.savedPacketsPerArray = 300});
    engine.Load(view);
    EXPECT_EQ(view.perArray, 70);
    engine.SelectType(arrayAsciiNumberPattern);
    EXPECT_EQ(view.perArray, 75);
    engine.SelectType(arrayRandomBinary);
    EXPECT_EQ(view.perArray, 256);
    engine.SetPacketsPerArrayScroll(0);
    EXPECT_EQ(view.perArray, 1);
}

TEST_F(ArrayBench, RandomDataHasNoZeroAndNoNumber) {
    engine.setSettings({.dataTypeIndex = arrayRandomBinary, .savedPacketsPerArray = 256, .packetsToSend = 512});
    engine.Load(view);
    engine.Start();
    ASSERT_TRUE(sched.advanceUntil([&] { return !engine.running(); }, 20000));
    const std::string wire = fromPrimary();
    EXPECT_EQ(wire.size(), 2u * 4096u);
    EXPECT_EQ(wire.find('\0'), std::string::npos);
}

TEST_F(ArrayBench, ADelayPacesTheArraysFromStart) {
    // 256 bytes (about 0.27 s at 9600 baud) an array, 1.00 S apart
    engine.setSettings({.dataTypeIndex = arrayBinaryPattern, .savedPacketsPerArray = 16, .savedPacketDelay = 4});
    engine.Load(view);
    engine.Start();
    sched.advance(3100);
    const auto& log = cable.wireLog(Direction::AtoB);
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].writtenAtMs, 0);
    EXPECT_EQ(log[1].writtenAtMs, 1000);
    EXPECT_EQ(log[3].writtenAtMs, 3000);
    engine.Stop();
}

TEST_F(ArrayBench, HeldInTheBackgroundAndWhilePausedThenResumes) {
    engine.setSettings({.dataTypeIndex = arrayBinaryPattern});
    engine.Load(view);
    view.pause = true;
    engine.Start();
    sched.advance(1000);
    EXPECT_EQ(fromPrimary(), "");
    view.pause = false;
    sched.advance(260);
    EXPECT_FALSE(fromPrimary().empty());
    engine.Stop();
}

TEST_F(ArrayBench, AFailedSendStopsTheRunWithThePortsMessageAndCountsNothing) {
    engine.Load(view);
    secondary->DeRegisterForAll(&engine);
    primary->DeRegisterForAll(&engine);  // the port closes: no window keeps it open
    ASSERT_FALSE(primary->GetCommPortOpen());
    dialogs.expectBox("Com Port 1 Not Open!!");
    engine.Start();
    EXPECT_FALSE(engine.running());
    EXPECT_FALSE(view.running);
    EXPECT_EQ(engine.packetsTxed(), 0);
    EXPECT_EQ(view.txed, 0);
}

TEST_F(ArrayBench, DribbleMarksGoToTheLoadedTerminalsInEngineeringMode) {
    flags.engineerMode = true;
    RecordingTerminalView a, b;
    TerminalCore primaryHex(Links(), terminalHexPrimary, counters);
    TerminalCore secondaryText(Links(), terminalTextSecondary, counters);
    primaryHex.Load(a);
    engine.terminals = {&primaryHex, nullptr, &secondaryText, nullptr};  // the second is not loaded
    engine.setSettings({.dataTypeIndex = arrayBinaryPattern, .packetsToSend = 2});
    engine.Load(view);
    engine.SetDribbleBitTest(true);
    engine.Start();
    ASSERT_TRUE(sched.advanceUntil([&] { return !engine.running(); }, 10000));
    EXPECT_EQ(a.rx, "\r\n\r\n\r\n\r\n");
    EXPECT_EQ(b.rx, "");
}

}  // namespace
}  // namespace k45::test
