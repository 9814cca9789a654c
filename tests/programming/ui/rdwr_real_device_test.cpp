// A read and a write through the program's real serial device (QSerialPort) on the slave of a
// pseudo-terminal, with the simulated modem on the master. The bytes travel for real; the
// dialogue's timers run in virtual time, which moves on only while no byte is on its way.
#include "programming/ui/real_device_bench.h"

namespace k45::test {
namespace {

class RealDevice : public RealDeviceBench {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok()) << pty.error();
        home.write("K45MR.ini", "[Com Port Devices]\r\nCom3=" + pty.slavePath() + "\r\n");
        // The program's primary port on the real device; the cable of the bench stays unused.
        ASSERT_NO_FATAL_FAILURE(OpenRealPort(home.file("K45MR.ini"), 3));
        ptyModem.attach(pty);
        ASSERT_TRUE(ptyModem.loadRecord(ctx.state, modemRecord, kModemStamp));
    }
    bool Pump(const std::function<bool()>& done, std::int64_t limitMs) {
        return RealDeviceBench::Pump(ptyModem, pty, done, limitMs);
    }

    PtyPair pty;
    SimulatedModem ptyModem{sched};
};

TEST_F(RealDevice, ReadsTheModemsParameters) {
    const ModemParameters before = ctx.state.mainParameters;
    ModemParameters expected = before;
    ASSERT_TRUE(ptyModem.decodeInto(ctx.state, expected));
    Open(ParmsMode::ReadProgrammable, true);
    ASSERT_TRUE(Pump([&] { return !dlg.loaded(); }, 20000));
    EXPECT_TRUE(dlg.parmsWereFound());
    EXPECT_EQ(ctx.state.mainParameters, expected);
    EXPECT_EQ(ctx.state.mainParameters.comment, "Bench modem");
    ASSERT_EQ(ptyModem.received.size(), 2u);
    EXPECT_EQ(ptyModem.received[0].text, "?");
    EXPECT_EQ(ptyModem.received[1].text, "DE");
    EXPECT_EQ(LinesOf(ptyModem.sentBytes, "R1").size(), 40u);
    EXPECT_EQ(mainFrame.counterText, "");  // nothing had to be resent
}

TEST_F(RealDevice, WritesTheProgrammableParameters) {
    ctx.state.mainParameters.comment = "Written through a tty";
    Open(ParmsMode::WriteProgrammable, false);
    dialogs.expectBox("Programming Complete!");
    dlg.OK();
    ASSERT_TRUE(Pump([&] { return !dlg.loaded(); }, 60000));
    EXPECT_TRUE(dlg.programCompleted());
    const auto s1 = ptyModem.linesStartingWith("S1");
    ASSERT_EQ(s1.size(), 14u);
    EXPECT_EQ(s1[13].text.substr(0, 8), "S11001A0");
    EXPECT_EQ(ptyModem.endRecords, 1);
    ModemParameters held;
    ASSERT_TRUE(ptyModem.decodeInto(ctx.state, held));
    EXPECT_EQ(held.comment, "Written through a tty");
    EXPECT_EQ(mainFrame.counterText, "");
}

}  // namespace
}  // namespace k45::test
