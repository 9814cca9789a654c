// The transmit path: chunking, DCD hold, keyed sends with CTS and their time-outs, refused
// chunks and framed messages.
#include <gtest/gtest.h>

#include <cmath>

#include "serial/port_fixture.h"

namespace k45::test {
namespace {

struct PortTransmit : PortFixture {
    std::vector<std::string> log;
    RecordingForm w{&log, "w"};
    void open(int mode = 1, int baud = 9600) {
        CommSettings comm = port->settings();
        comm.txModeValue = mode;
        comm.portSettings.baudRate = baud;
        port->setSettings(comm);
        ASSERT_TRUE(port->OpenCommPort());
    }
};

TEST_F(PortTransmit, ClosedPortAndEmptyText) {
    CommSettings comm = port->settings();
    comm.portNumber = 2;
    port->setSettings(comm);
    dialogs.expectBox("Com Port 2 Not Open!!");
    EXPECT_EQ(port->SendString("", 1), 0);
    EXPECT_EQ(dialogs.boxes.back().title, "Com Port Error");
    open();
    EXPECT_EQ(port->SendString("", 1), 0);
    EXPECT_EQ(port->SendBuffer(nullptr, 0, 1), 0);
    EXPECT_EQ(device.wire, "");
}

TEST_F(PortTransmit, ChunkSizeFollowsTheBaudRate) {
    const std::pair<int, int> cases[] = {{110, 100},   {300, 275},    {1200, 1100},  {2400, 2200},
                                         {4800, 4250}, {9600, 8750},  {19200, 16250}, {38400, 16250},
                                         {57600, 16250}, {115200, 16250}};
    for (auto [baud, chunk] : cases) {
        SCOPED_TRACE(baud);
        CommSettings comm = port->settings();
        comm.portSettings.baudRate = baud;
        port->setSettings(comm);
        ASSERT_TRUE(port->OpenCommPort());
        EXPECT_EQ(port->GetTxChunkSizeValue(), chunk);
        EXPECT_EQ(port->GetMaxBytes2Tx(), std::min<int>(static_cast<int>(std::nearbyint(baud / 10.0 * 9.2)), 16384));
    }
}

TEST_F(PortTransmit, ALongTextStreamsOutInChunksAndCompletesOnce) {
    open();
    port->RegisterForTxComplete(&w);
    std::string text(20000, '\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7);
    EXPECT_EQ(port->SendString(text, 1), 8750);
    EXPECT_EQ(port->TxQueueLength(), 20000u - 8750u);
    sched.advanceUntil([&] { return !log.empty(); }, 30000);
    EXPECT_EQ(device.wire, text);
    EXPECT_EQ(device.writes.size(), 3u);
    EXPECT_EQ(log, (std::vector<std::string>{"w:txcomplete"}));
    EXPECT_EQ(port->GetTxBytes(), 20000);
}

TEST_F(PortTransmit, AFullOutputBufferQueuesTheWholeText) {
    open();
    device.holdOutput = true;
    port->SendString(std::string(8750, 'x'), 1);
    EXPECT_EQ(port->SendString("more", 1), 0);
    EXPECT_EQ(port->TxQueueLength(), 4u);
    device.releaseOutput();
    sched.advance(20000);
    EXPECT_EQ(device.wire, std::string(8750, 'x') + "more");
}

TEST_F(PortTransmit, ARefusedChunkIsReportedAndNotCounted) {
    open();
    device.refuseWrite = true;
    dialogs.expectBox("Could Not Send Data For Com Port 1\r\nwrite refused");
    EXPECT_EQ(port->SendString(std::string(9000, 'y'), 1), 0);
    EXPECT_EQ(port->GetTxBytes(), 0);
    EXPECT_EQ(port->TxQueueLength(), 250u);  // the rest stays queued
}

TEST_F(PortTransmit, DcdHoldSendsEverythingInTheLastModeWhenDcdDrops) {
    CommSettings comm = port->settings();
    comm.ignoreDCD = false;
    port->setSettings(comm);
    open(0);
    device.setCdLevel(true);
    EXPECT_EQ(port->SendString("one ", 1), 0);
    EXPECT_EQ(port->SendString("two", 3), 0);
    sched.advance(500);
    EXPECT_EQ(device.wire, "");
    device.ctsAnswerMs = 0;
    device.setCdLevel(false);
    sched.advance(10);
    EXPECT_EQ(device.wire, "one two");
    // Mode 3 is keyed: the held text went out with RTS raised.
    ASSERT_FALSE(device.rtsHistory.empty());
    EXPECT_TRUE(device.rtsHistory.front().second);
}

TEST_F(PortTransmit, DcdHoldTimesOutOnTheThirtiethTick) {
    CommSettings comm = port->settings();
    comm.ignoreDCD = false;
    port->setSettings(comm);
    open(0);
    device.setCdLevel(true);
    port->SendString("held", 1);
    sched.advance(29 * 50);
    EXPECT_TRUE(dialogs.boxes.empty());
    dialogs.expectBox("DCD Timeout.  Can Not Transmit Data while Receiving Data (DCD is active).");
    sched.advance(50);
    EXPECT_EQ(port->TxQueueLength(), 0u);
    device.setCdLevel(false);
    sched.advance(100);
    EXPECT_EQ(device.wire, "");
}

TEST_F(PortTransmit, KeyedSendWaitsForCtsAndDropsRtsAfterTheLastByte) {
    open(3);
    device.ctsAnswerMs = 30;
    port->RegisterForTxComplete(&w);
    EXPECT_EQ(port->SendString("keyed", 3), 0);
    EXPECT_TRUE(device.rts());
    EXPECT_EQ(device.handshaking(), 2);
    sched.advanceUntil([&] { return !log.empty(); }, 2000);
    EXPECT_EQ(device.wire, "keyed");
    EXPECT_FALSE(device.rts());
    EXPECT_EQ(device.handshaking(), 0);
    ASSERT_EQ(device.rtsHistory.size(), 2u);
    // 5 bytes at 960/s leave 6 ms after CTS; the first poll finds the driver empty, so RTS
    // drops 5 ms plus the 75 ms turnaround later.
    EXPECT_EQ(device.rtsHistory[1].first - device.rtsHistory[0].first, 30 + 6 + 5 + 75);
}

TEST_F(PortTransmit, KeyedSendInAPlainWorkingModeStillDropsRts) {
    open(1);
    device.ctsAnswerMs = 0;
    port->SendString("x", 3);
    sched.advance(500);
    EXPECT_EQ(device.wire, "x");
    EXPECT_FALSE(device.rts());
    EXPECT_EQ(device.handshaking(), 0);
}

TEST_F(PortTransmit, CtsTimeoutDropsRtsResetsThePortAndTellsTheWindows) {
    open(3);
    port->RegisterForCtsTimeout(&w);
    port->SendString("lost", 3);
    sched.advance(19 * 50);
    EXPECT_TRUE(dialogs.boxes.empty());
    dialogs.expectBox("CTS Timeout.  Make sure RTS and CTS are connected.");
    sched.advance(50);
    EXPECT_EQ(log, (std::vector<std::string>{"w:ctstimeout"}));
    EXPECT_FALSE(device.rts());
    EXPECT_EQ(device.handshaking(), 0);
    EXPECT_EQ(device.closes, 1);
    EXPECT_EQ(device.opens, 2);
    EXPECT_EQ(port->TxQueueLength(), 0u);
    EXPECT_EQ(device.wire, "");
}

TEST_F(PortTransmit, BusyLineHoldsKeyedTextUntilCtsDrops) {
    open(3);
    device.setCtsLevel(true);
    EXPECT_EQ(port->SendString("wait", 3), 0);
    EXPECT_FALSE(device.rts());
    device.ctsAnswerMs = 0;
    device.setCtsLevel(false);
    sched.advance(200);
    EXPECT_EQ(device.wire, "wait");
}

TEST_F(PortTransmit, BusyLineTimesOutWithoutCallbacks) {
    open(3);
    port->RegisterForCtsTimeout(&w);
    device.setCtsLevel(true);
    port->SendString("wait", 3);
    dialogs.expectBox("CTS Timeout.  Make sure RTS and CTS are connected.");
    sched.advance(20 * 50);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(device.opens, 2);
    EXPECT_EQ(port->TxQueueLength(), 0u);
}

TEST_F(PortTransmit, RefusedKeyingDropsTheTextAndRestoresTheMode) {
    open(3);
    device.refuseRts = true;
    EXPECT_EQ(port->SendString("text", 3), 0);
    EXPECT_EQ(device.handshaking(), 0);
    EXPECT_FALSE(device.rts());
    EXPECT_EQ(device.opens, 2);
    EXPECT_EQ(port->TxQueueLength(), 0u);
}

TEST_F(PortTransmit, FramedMessages) {
    open();
    const std::int16_t data[] = {1, 0xBA};
    EXPECT_EQ(port->SendOpcodeAndDataMessage(0x10, data, 2, 1), 7);
    EXPECT_EQ(device.takeWire(), std::string("\xBA\x04\x10\x01\xDA\xBA\x31", 7));
    EXPECT_EQ(port->SendOpcodeAndByteMessage(0x10, 1, 1, 5), 9);
    EXPECT_EQ(device.takeWire(), std::string("\xBA\x07\x10\x00\x05\xFF\xFE\x01\xE6", 9));
    // Integer messages carry the low 16 bits of the value, long messages all 32, high first.
    EXPECT_EQ(port->SendOpcodeAndIntegerMessage(0x10, 0x11234, 1), 6);
    EXPECT_EQ(device.takeWire(), std::string("\xBA\x04\x10\x12\x34\xA6", 6));
    EXPECT_EQ(port->SendOpcodeAndIntegerMessage(0x10, -1, 1), 6);
    EXPECT_EQ(device.takeWire(), std::string("\xBA\x04\x10\xFF\xFF\xEE", 6));
    EXPECT_EQ(port->SendOpcodeAndLongMessage(0x10, 305419896, 1), 8);
    EXPECT_EQ(device.takeWire(), std::string("\xBA\x06\x10\x12\x34\x56\x78\xD6", 8));
    // Longer than one LEN byte allows: refused, nothing sent.
    std::vector<std::int16_t> big(300, 1);
    EXPECT_EQ(port->SendOpcodeAndDataMessage(0x10, big.data(), 300, 1), -1);
    EXPECT_EQ(device.wire, "");
    port->SetExtendedLengthMode(true);
    EXPECT_GT(port->SendOpcodeAndDataMessage(0x10, big.data(), 300, 1), 300);
}

TEST_F(PortTransmit, FramedMessageToAnAddressOutsideTheRs485RangeIsRefusedAndSaysSo) {
    open();
    const std::int16_t data[] = {1};
    for (std::int32_t dst : {65536, 1 << 30}) {
        SCOPED_TRACE(dst);
        EXPECT_EQ(port->SendOpcodeOnlyMessage(0x10, 1, dst), -1);
        EXPECT_EQ(port->SendOpcodeAndByteMessage(0x10, 1, 1, dst), -1);
        EXPECT_EQ(port->SendOpcodeAndIntegerMessage(0x10, 1, 1, dst), -1);
        EXPECT_EQ(port->SendOpcodeAndLongMessage(0x10, 1, 1, dst), -1);
        EXPECT_EQ(port->SendOpcodeAndDataMessage(0x10, data, 1, 1, dst), -1);
        EXPECT_EQ(device.wire, "");
    }
    // The last address of the range still goes out.
    EXPECT_GT(port->SendOpcodeOnlyMessage(0x10, 1, 65535), 0);
    EXPECT_NE(device.wire, "");
}

TEST_F(PortTransmit, BreakAndTiming) {
    EXPECT_EQ(port->GetBytesPerSecond(), 960);
    CommSettings comm = port->settings();
    comm.portSettings.baudRate = 19200;
    port->setSettings(comm);
    EXPECT_EQ(port->GetBytesPerSecond(), 1920);
    open(1, 9600);
    EXPECT_EQ(port->GetTxTimeInTicks(100), 4);
    EXPECT_EQ(port->GetTxTimeInTicks(150), 4);
    EXPECT_EQ(port->GetTxTimeInTicks(220), 4);
    EXPECT_EQ(port->GetTxTimeInTicks(1000), 20);
    EXPECT_EQ(port->GetTxTimeInTicks(3000), 62);  // no 16-bit wrap
    port->SendBreak(1);
    EXPECT_TRUE(device.breakOn);
    device.refuseBreak = true;
    dialogs.expectBox("Could Not Send Break For Com Port 1\r\nbreak refused");
    port->SendBreak(0);
    EXPECT_TRUE(device.breakOn);
}

TEST_F(PortTransmit, RtsAndDtrPulses) {
    open(1);
    port->ToggleRtsSignal(0.02f);
    ASSERT_EQ(device.rtsHistory.size(), 2u);
    EXPECT_EQ(device.rtsHistory[1].first - device.rtsHistory[0].first, 20);
    EXPECT_FALSE(port->GetRTS());
    port->SetDtrSignal(true);
    EXPECT_TRUE(port->GetDTR());
    port->ToggleDtrSignal(0);
    EXPECT_TRUE(port->GetDTR());

    // A handler that drops RTS during the pulse (the end of a keyed send): the pulse still
    // ends at the level it started from instead of inverting what it finds.
    sched.callAt(sched.nowMs() + 10, [&] { port->SetRtsSignal(false); });
    port->ToggleRtsSignal(0.02f);
    EXPECT_FALSE(device.rts());
    EXPECT_FALSE(port->GetRTS());
    sched.callAt(sched.nowMs() + 10, [&] { port->SetDtrSignal(true); });
    port->ToggleDtrSignal(0.02f);  // DTR starts high: low, moved high meanwhile, ends high
    EXPECT_TRUE(device.dtr());
}

}  // namespace
}  // namespace k45::test
