// Two port objects joined by the null-modem cable in virtual time: what one sends the other
// receives after the wire time, and the crossed control lines drive keying and the DCD hold.
#include <gtest/gtest.h>

#include "serial/port_fixture.h"
#include "support/null_modem.h"
#include "support/port_pair.h"

namespace k45::test {
namespace {

struct PortCable : ::testing::Test {
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppState app;
    NullModemPair cable{sched};
    PortPair pair{app, sched, dialogs, cable.a(), cable.b()};
    std::unique_ptr<classComm>& host = pair.primary;
    std::unique_ptr<classComm>& remote = pair.secondary;
    std::vector<std::string> log;
    // The cable hands bytes over as they come off the wire, so raw data arrive in pieces: the
    // raw pieces of one window joined, and the other entries of the log without them.
    std::string raw(const std::string& who) const {
        std::string r;
        for (const auto& e : log)
            if (e.rfind(who + ":raw ", 0) == 0) r += e.substr(who.size() + 5);
        return r;
    }
    std::vector<std::string> events() const {
        std::vector<std::string> r;
        for (const auto& e : log)
            if (e.find(":raw ") == std::string::npos) r.push_back(e);
        return r;
    }
    RecordingForm hostWin{&log, "host"}, remoteWin{&log, "remote"};

    PortCable() {
        app.scheduler = &sched;
        app.dialogs = &dialogs;
    }
    ~PortCable() override { dialogs.verify(); }
};

TEST_F(PortCable, RegistrationOpensAndClosesTheCableEnd) {
    host->RegisterForRxCrLf(&hostWin);
    EXPECT_TRUE(cable.a().isOpen());
    host->DeRegisterForAll(&hostWin);
    EXPECT_FALSE(cable.a().isOpen());
    host->ForceCommPortOpen(7, {.baudRate = 9600});
    EXPECT_TRUE(cable.a().isOpen());
    EXPECT_TRUE(cable.a().dtr());  // mode 7
    host->RegisterForRxCrLf(&hostWin);
    host->DeRegisterForAll(&hostWin);
    EXPECT_TRUE(cable.a().isOpen());
}

TEST_F(PortCable, AReplyArrivesAfterItsWireTimeLinesBeforeRecords) {
    host->RegisterForRawData(&hostWin);
    host->RegisterForRxCrLf(&hostWin);
    host->RegisterForSRecord(&hostWin);
    remote->RegisterForRawData(&remoteWin);
    remote->SendString("R80200FD\r\n", 7);
    sched.advance(9);  // 10 bytes at 960 bytes/s take 10.4 ms
    EXPECT_LT(host->GetRxBytes(), 10);
    EXPECT_TRUE(events().empty());
    sched.advance(200);
    EXPECT_EQ(raw("host"), "R80200FD\r\n");
    EXPECT_EQ(events(), (std::vector<std::string>{"host:line R80200FD", "host:srec 0"}));
    EXPECT_EQ(host->GetRxBytes(), 10);
    EXPECT_EQ(remote->GetTxBytes(), 10);
}

TEST_F(PortCable, ALongTextCrossesInChunksAndCompletesOnce) {
    host->RegisterForTxComplete(&hostWin);
    std::string got;
    struct Sink : CommForm {
        std::string* s;
        void RxRawData(const std::string& r) override { *s += r; }
    } sink;
    sink.s = &got;
    remote->RegisterForRawData(&sink);
    std::string text(20000, '\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 31 + 7);
    EXPECT_EQ(host->SendString(text, 1), 8750);
    sched.advanceUntil([&] { return !log.empty(); }, 60000);
    const std::int64_t doneAt = sched.nowMs();
    sched.advance(200);  // the receiver's burst ends
    EXPECT_EQ(log, (std::vector<std::string>{"host:txcomplete"}));
    EXPECT_EQ(got.size(), text.size());
    EXPECT_TRUE(got == text);
    const auto& chunks = cable.wireLog(Direction::AtoB);
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].bytes.size(), 8750u);
    EXPECT_NEAR(static_cast<double>(doneAt), 20000 / 0.96, 60);
}

TEST_F(PortCable, KeyedSendWaitsForTheFarEndToAnswerRts) {
    CommSettings comm = host->settings();
    comm.txModeValue = 3;
    host->setSettings(comm);
    host->RegisterForTxComplete(&hostWin);
    struct Answer : RecordingForm {
        classComm* port = nullptr;
        using RecordingForm::RecordingForm;
        void RxCtsChange(bool on) override {
            RecordingForm::RxCtsChange(on);
            port->SetRtsSignal(on);
        }
    } modem(&log, "modem");
    modem.port = remote.get();
    remote->RegisterForCtsChange(&modem);
    remote->RegisterForRawData(&modem);
    host->SendString("KEYED", 3);
    EXPECT_TRUE(cable.a().rts());
    sched.advance(500);
    EXPECT_EQ(events(), (std::vector<std::string>{"modem:cts on", "host:txcomplete", "modem:cts off"}));
    EXPECT_EQ(raw("modem"), "KEYED");
    EXPECT_FALSE(cable.a().rts());
    EXPECT_EQ(cable.a().handshaking(), 0);
}

TEST_F(PortCable, KeyedSendWithoutAnAnswerTimesOut) {
    CommSettings comm = host->settings();
    comm.txModeValue = 3;
    host->setSettings(comm);
    host->RegisterForCtsTimeout(&hostWin);
    remote->RegisterForRawData(&remoteWin);
    host->SendString("KEYED", 3);
    dialogs.expectBox("CTS Timeout.  Make sure RTS and CTS are connected.");
    sched.advance(1100);
    EXPECT_EQ(log, (std::vector<std::string>{"host:ctstimeout"}));
    EXPECT_FALSE(cable.a().rts());
    EXPECT_EQ(cable.wireBytes(Direction::AtoB), "");
}

TEST_F(PortCable, TextWaitsWhileTheFarEndHoldsDcd) {
    CommSettings comm = host->settings();
    comm.ignoreDCD = false;
    comm.txModeValue = 0;
    host->setSettings(comm);
    host->RegisterForRawData(&hostWin);
    remote->RegisterForRawData(&remoteWin);
    remote->SetDtrSignal(true);  // the far end's DTR is this end's CD
    sched.advance(100);
    host->SendString("first ", 1);
    host->SendString("second", 1);
    sched.advance(1000);
    EXPECT_TRUE(log.empty());
    remote->SetDtrSignal(false);
    sched.advance(200);
    EXPECT_EQ(raw("remote"), "first second");

    remote->SetDtrSignal(true);
    sched.advance(100);
    host->SendString("lost", 1);
    dialogs.expectBox("DCD Timeout.");
    sched.advance(1600);
    remote->SetDtrSignal(false);
    sched.advance(200);
    EXPECT_EQ(cable.wireBytes(Direction::AtoB), "first second");
}

}  // namespace
}  // namespace k45::test
