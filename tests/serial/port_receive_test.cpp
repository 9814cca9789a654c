// The receive path: events, bursts, dispatch order, batches of more than one ring, chunks that
// arrive while a window yields, DMP acknowledgements, RS485 filtering and line changes.
#include <gtest/gtest.h>

#include "serial/port_fixture.h"

namespace k45::test {
namespace {

struct PortReceive : PortFixture {
    std::vector<std::string> log;
    RecordingForm w{&log, "w"};
};

TEST_F(PortReceive, LinesAreDispatchedBeforeRecordsAfterTheRawChunk) {
    port->RegisterForSRecord(&w);
    port->RegisterForRxCrLf(&w);
    port->RegisterForRawData(&w);
    device.inject("R80200FD\r\n");
    EXPECT_EQ(log, (std::vector<std::string>{"w:raw R80200FD\r\n", "w:line R80200FD", "w:srec 0"}));
    const auto& rec = tables->rxSRecordMessages[0];
    EXPECT_EQ(rec.recType, 'R');
    EXPECT_EQ(rec.recNum, 8);
    EXPECT_EQ(port->GetRxBytes(), 10);
}

TEST_F(PortReceive, TheSecondaryPortFillsTheUpperHalfOfTheTables) {
    ScriptedDevice dev2(sched);
    classComm second(app, app.locale, sched, dialogs, *tables);
    second.InitCommCtrl(&dev2, 1, 2, nullptr);
    second.RegisterForSRecord(&w);
    dev2.inject("R9030000FC");
    EXPECT_EQ(log, (std::vector<std::string>{"w:srec 32"}));
    EXPECT_EQ(tables->rxSRecordMessages[32].recNum, 9);
}

TEST_F(PortReceive, AnEmptyReadCallsNoWindow) {
    port->RegisterForRawData(&w);
    device.fire(commEvReceive);
    EXPECT_TRUE(log.empty());
}

TEST_F(PortReceive, BurstRaisesTheThresholdUntilTheLineIsQuiet) {
    port->RegisterForRawData(&w);
    device.inject("a");
    EXPECT_EQ(device.threshold, 1);
    sched.advance(50);
    device.inject("b");  // 0.05 s later: a burst begins
    EXPECT_EQ(device.threshold, 192);
    device.inject("c");  // below the threshold: waits for the tick
    EXPECT_EQ(log, (std::vector<std::string>{"w:raw a", "w:raw b"}));
    sched.advance(100);  // the second tick after the last event collects the rest
    EXPECT_EQ(log.back(), "w:raw c");
    EXPECT_EQ(device.threshold, 1);
}

TEST_F(PortReceive, MoreThanOneRingOfMessagesInOneChunkAllArriveInOrder) {
    port->RegisterForRxCrLf(&w);
    port->RegisterForSRecord(&w);
    std::string chunk;
    for (int i = 0; i < 40; ++i) chunk += "L" + std::to_string(i) + "\n";
    for (int i = 0; i < 40; ++i) chunk += "R9030000FC";
    device.inject(chunk);
    ASSERT_EQ(log.size(), 80u);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(log[static_cast<size_t>(i)], "w:line L" + std::to_string(i));
    for (int i = 0; i < 40; ++i) EXPECT_EQ(log[static_cast<size_t>(40 + i)], "w:srec " + std::to_string(i % 32));
}

TEST_F(PortReceive, AChunkArrivingWhileAWindowYieldsWaitsForTheOneBeingDispatched) {
    port->RegisterForRawData(&w);
    port->RegisterForRxCrLf(&w);
    bool yielded = false;
    w.onCall = [&] {
        if (yielded) return;
        yielded = true;
        sched.callAt(sched.nowMs(), [&] { device.inject("B1\r\n"); });
        sched.processEvents();  // a message box or wait inside the callback
    };
    device.inject("A1\r\nA2\r\n");
    EXPECT_EQ(log, (std::vector<std::string>{"w:raw A1\r\nA2\r\n", "w:line A1", "w:line A2", "w:raw B1\r\n",
                                             "w:line B1"}));
}

TEST_F(PortReceive, DmpFramesAreAcknowledgedOnceBeforeTheWindowsSeeThem) {
    const std::string enq(1, '\x05'), nak(1, '\x15');
    RecordingForm raw{&log, "raw"};
    port->RegisterForRawData(&raw);
    device.inject(enq);  // nobody registered for DMP frames: no ACK
    EXPECT_EQ(device.wire, "");
    port->DeRegisterForAll(&raw);
    log.clear();

    port->RegisterForDmpData(&w);
    w.onCall = [&] { log.push_back("wire=" + std::to_string(device.wire.size())); };
    device.inject(enq + nak);
    EXPECT_EQ(device.wire, std::string(1, '\x06'));
    EXPECT_EQ(log, (std::vector<std::string>{"w:dmp 0", "wire=1", "w:dmp 1", "wire=1"}));
    EXPECT_EQ(tables->rxDmpMessages[0].funcCode, 5);

    log.clear();
    w.onCall = nullptr;
    EXPECT_TRUE(port->OverrideHandshaking(port->GetWorkingTxMode(), true, 115));
    sched.advance(200);  // let the burst of the events above end
    device.inject("hello");
    EXPECT_EQ(device.wire, std::string(1, '\x06'));
    EXPECT_EQ(log, (std::vector<std::string>{"w:dmp 2"}));
    EXPECT_EQ(tables->rxDmpMessages[2].data, "hello");
}

TEST_F(PortReceive, Rs485FramesReachTheWindowsOnlyFromAStationToTheHost) {
    port->RegisterForDecodedDataRS485(&w);
    auto frame = [&](int dst, int src) {
        const std::int16_t msg[] = {0x10, 0, 0, 0, 0, 1};
        std::string f = *MessSyncEscRS485(SyncEscSettings{}, dst, msg);
        f[5] = static_cast<char>(src >> 8);  // the builder writes the host as source
        f[6] = static_cast<char>(src & 0xFF);
        int sum = 0;
        for (size_t i = 1; i + 1 < f.size(); ++i) sum += static_cast<unsigned char>(f[i]);
        f.back() = static_cast<char>((256 - (sum & 0xFF)) & 0xFF);
        return f;
    };
    device.inject(frame(65535, 5) + frame(65534, 5) + frame(7, 5) + frame(65534, 65534));
    EXPECT_EQ(log, (std::vector<std::string>{"w:rs485 16/1 from 5", "w:rs485 16/1 from 5"}));
}

TEST_F(PortReceive, SyncEscFramesAndStrayBytes) {
    port->RegisterForDecodedData(&w);
    device.inject(std::string("junk") + "\xBA\x04\x10\x01\xDA\xBA\x31");
    EXPECT_EQ(log, (std::vector<std::string>{"w:frame 16/2 1 186"}));
    EXPECT_EQ(port->GetDribbleBytes(), 4);
}

TEST_F(PortReceive, ALineChangeIsReportedOnceByWhicheverSeesItFirst) {
    port->RegisterForCtsChange(&w);
    port->RegisterForDsrChange(&w);
    port->RegisterForDcdChange(&w);
    device.setCtsQuietly(true);
    sched.advance(50);  // the tick finds it
    device.fire(commEvCts);
    device.setDsrLevel(true);
    device.setCdLevel(true);
    sched.advance(100);
    EXPECT_EQ(log, (std::vector<std::string>{"w:cts on", "w:dsr on", "w:dcd on"}));
    EXPECT_TRUE(port->GetCTS());
    EXPECT_TRUE(port->GetDCD());
    EXPECT_TRUE(port->GetDSR());
}

TEST_F(PortReceive, ErrorsCountTogetherAndBreakChangesNothing) {
    port->RegisterForRxBreak(&w);
    device.fire(commEventFrame);
    device.fire(commEventRxParity);
    device.fire(commEventBreak);
    EXPECT_EQ(port->GetFramingErrors(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"w:break"}));
}

TEST_F(PortReceive, AClosedPortIgnoresEventsAndTicks) {
    port->RegisterForRawData(&w);
    port->RegisterForCtsChange(&w);
    device.inject("a");
    sched.advance(50);
    device.inject("b");  // burst running
    port->CloseCommPort();
    device.inject("c");
    device.setCtsLevel(true);
    sched.advance(500);
    EXPECT_EQ(log, (std::vector<std::string>{"w:raw a", "w:raw b"}));
    EXPECT_EQ(port->GetRxBytes(), 0);  // closed: the getters read 0
}

}  // namespace
}  // namespace k45::test
