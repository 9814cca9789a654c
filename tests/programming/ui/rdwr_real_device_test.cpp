// A read and a write through the program's real serial device (QSerialPort) on the slave of a
// pseudo-terminal, with the simulated modem on the master. The bytes travel for real; the
// dialogue's timers run in virtual time, which moves on only while no byte is on its way.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "platform/qt/qt_serial_device.h"
#include "programming/rdwr_bench.h"
#include "programming/ui/counting_device.h"
#include "support/pty_pair.h"

namespace k45::test {
namespace {

class RealDevice : public ReadWriteBench {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok()) << pty.error();
        const std::string ini = home.file("K45MR.ini");
        home.write("K45MR.ini", "[Com Port Devices]\r\nCom3=" + pty.slavePath() + "\r\n");
        device = std::make_unique<QtSerialDevice>(ini);
        counting = std::make_unique<CountingDevice>(*device);
        // The program's primary port on the real device; the cable of the bench stays unused.
        realPort = std::make_unique<classComm>(ctx.state, ctx.state.locale, *ctx.state.scheduler, *ctx.state.dialogs, *tables);
        realPort->InitCommCtrl(counting.get(), 0, 3, realTimer.get());
        realPort->ForceCommPortOpen(7, {.baudRate = 9600});
        ASSERT_TRUE(realPort->GetCommPortOpen());
        ctx.state.classCommPrimary = realPort.get();
        ptyModem.attach(pty);
        ASSERT_TRUE(ptyModem.loadRecord(ctx.state, modemRecord, kModemStamp));
    }
    void TearDown() override {
        dlg.Unload();
        ctx.state.classCommPrimary = port.get();
        realPort.reset();
    }

    // Moves bytes for real and time virtually: one virtual millisecond at a time, and only
    // once what the host wrote has reached the modem and what the modem wrote has reached the
    // host's device (or waits for the port's tick).
    bool Pump(const std::function<bool()>& done, std::int64_t limitMs) {
        const std::int64_t end = sched.nowMs() + limitMs;
        while (!done()) {
            if (sched.nowMs() >= end) return false;
            for (int spin = 0; spin < 50; ++spin) {
                QCoreApplication::processEvents();
                modemRead += ptyModem.servicePty();
                const bool toModem = counting->written > modemRead;
                const bool toHost = ptyModem.sentBytes.size() > counting->read;
                if (!toModem && !toHost) break;
                // Something is on its way: give the line a moment (returns at the next event).
                QEventLoop wait;
                QTimer::singleShot(1, &wait, &QEventLoop::quit);
                wait.exec();
                if (!toModem) break;  // the rest may wait in the device for the port's tick
            }
            sched.advance(1);
        }
        return true;
    }

    PtyPair pty;
    std::unique_ptr<QtSerialDevice> device;
    std::unique_ptr<CountingDevice> counting;
    std::unique_ptr<Timer> realTimer = sched.createTimer();
    std::unique_ptr<classComm> realPort;
    SimulatedModem ptyModem{sched};
    std::size_t modemRead = 0;
};

TEST_F(RealDevice, ReadsTheModemsParameters) {
    const ModemParameters before = ctx.state.mainParameters;
    ModemParameters expected = before;
    ASSERT_TRUE(ptyModem.decodeInto(ctx.state, expected));
    Open(parmsReadProgrammable, true);
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
    Open(parmsWriteProgrammable, false);
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
