// A lost device is told once. Two port objects on the null-modem pair, their windows
// registered, in virtual time; the boxes run the event loop while they are up, as real boxes
// do. The device comes back for a moment in every order the windows and the loop can bring
// it (a window reopens it before, inside or after the box, its far port goes too, it flickers
// several times), and the loss is still told once; it is told again only for a loss after the
// device proved usable. The told loss belongs to its device, not to the port object.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <ctime>
#include <functional>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/qt/qt_serial_device.h"
#include "serial/core_app.h"
#include "serial/port_fixture.h"
#include "support/null_modem.h"
#include "support/port_pair.h"
#include "support/pty_pair.h"

namespace k45::test {
namespace {

// Host on Com1 (end A), remote on Com2 (end B), each with a window in a data list.
struct LossBench {
    VirtualScheduler sched;
    NestingDialogs dialogs{sched};
    AppState app;
    NullModemPair line{sched};
    PortPair pair{app, sched, dialogs, line.a(), line.b()};
    std::unique_ptr<classComm>& primary = pair.primary;
    std::unique_ptr<classComm>& secondary = pair.secondary;
    std::vector<std::string> log;
    RecordingForm host{&log, "host"}, remote{&log, "remote"}, other{&log, "other"};

    LossBench() {
        app.scheduler = &sched;
        app.dialogs = &dialogs;
        EXPECT_TRUE(primary->RegisterForRawData(&host));
        EXPECT_TRUE(secondary->RegisterForRawData(&remote));
        // Traffic both ways before the loss.
        EXPECT_GT(primary->SendString("ping", 1), 0);
        EXPECT_GT(secondary->SendString("pong", 1), 0);
        sched.advance(100);
    }
    // The adapter comes back for a moment: a window's registration opens it, and it fails
    // at its first read.
    void flicker(CommForm& w) {
        line.a().plugIn();
        EXPECT_TRUE(primary->RegisterForRxCrLf(&w));
        EXPECT_TRUE(primary->GetCommPortOpen());
        sched.advance(20);
        line.a().unplug("The serial device is no longer available (reading from it failed).");
    }
};

TEST(PortLoss, OneLossOneBoxWhicheverWayTheDeviceComesBackForAMoment) {
    struct Case {
        const char* what;
        std::function<void(LossBench&)> beforeLoss;  // arms what happens inside the box
        std::function<void(LossBench&)> afterBox;
        int farLosses;  // "Lost Com Port 2" boxes
    };
    const std::vector<Case> cases = {
        {"a window reopens it after the box", {}, [](LossBench& b) { b.flicker(b.other); }, 0},
        {"a window reopens it inside the box",
         [](LossBench& b) { b.dialogs.whileUp = [&b] { b.flicker(b.other); }; },
         {},
         0},
        {"it comes and goes three times in 1.6 s, inside the box",
         [](LossBench& b) {
             b.dialogs.whileUp = [&b] {
                 for (int k = 0; k < 3; ++k) {
                     b.sched.advance(500);
                     b.flicker(k % 2 ? b.other : b.host);
                 }
             };
         },
         {},
         0},
        {"Port Settings' close and reopen brings it back after the box",
         {},
         [](LossBench& b) {
             b.line.a().plugIn();
             b.primary->CloseCommPort();
             EXPECT_TRUE(b.primary->OpenCommPort());
             b.line.a().unplug();
         },
         0},
        {"the far port goes too, inside the box, and both come back for a moment",
         [](LossBench& b) {
             b.dialogs.whileUp = [&b] {
                 b.line.b().unplug();
                 b.sched.advance(700);
                 b.line.b().plugIn();
                 EXPECT_TRUE(b.secondary->RegisterForRxCrLf(&b.other));
                 b.flicker(b.host);
                 b.line.b().unplug();
             };
         },
         {},
         1},
        {"the boxes stay up a second each while it flickers behind them",
         [](LossBench& b) {
             b.dialogs.holdMs = 1000;
             b.dialogs.whileUp = [&b] {
                 b.sched.advance(700);
                 b.flicker(b.other);
                 b.line.b().unplug();
             };
         },
         [](LossBench& b) { b.flicker(b.host); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LossBench b;
        if (c.beforeLoss) c.beforeLoss(b);
        b.line.a().unplug("The serial device is no longer available (reading from it failed).");
        if (c.afterBox) c.afterBox(b);
        b.sched.advance(6000);
        EXPECT_EQ(b.dialogs.count("Lost Com Port 1\r\n"), 1) << b.dialogs.all();
        EXPECT_EQ(b.dialogs.count("Lost Com Port 2\r\n"), c.farLosses) << b.dialogs.all();
        EXPECT_EQ(b.dialogs.boxes.size(), static_cast<std::size_t>(1 + c.farLosses)) << b.dialogs.all();
        // Still gone: the windows' sends and retries add nothing.
        EXPECT_FALSE(b.primary->GetCommPortOpen());
        EXPECT_TRUE(b.primary->LossTold());
        EXPECT_EQ(b.primary->SendString("x", 1), 0);
        EXPECT_FALSE(b.primary->OpenCommPort());
        EXPECT_EQ(b.dialogs.boxes.size(), static_cast<std::size_t>(1 + c.farLosses)) << b.dialogs.all();
    }
}

// Back for good: bytes came in, or it stayed open a while without trouble. A loss after that is
// a new one and is told; a loss before it is not, also when its output left (a pseudo-terminal
// takes output with nothing on its far end).
TEST(PortLoss, ADeviceThatCameBackIsToldLostAgainOnlyOnceItProvedUsable) {
    struct Case {
        const char* what;
        std::function<void(LossBench&)> meanwhile;
        bool toldAgain;
    };
    const std::vector<Case> cases = {
        {"bytes came in", [](LossBench& b) { (void)b.secondary->SendString("hello", 1); }, true},
        {"its output left, nothing came back",
         [](LossBench& b) {
             EXPECT_EQ(b.primary->SendString("hello", 1), 5);
             b.sched.advance(100);
             const std::string wire = b.line.wireBytes(Direction::AtoB);
             EXPECT_EQ(wire.substr(wire.size() - 5), "hello");
         },
         false},
        {"it stayed open without trouble", [](LossBench& b) { b.sched.advance(classComm::kLossSettleMs); }, true},
        {"it was open a little less than that, quiet",
         [](LossBench& b) { b.sched.advance(classComm::kLossSettleMs - 200); }, false},
        {"it was closed and opened again in between, quiet",
         [](LossBench& b) {
             b.sched.advance(classComm::kLossSettleMs - 500);
             b.primary->CloseCommPort();
             EXPECT_TRUE(b.primary->OpenCommPort());
             b.sched.advance(classComm::kLossSettleMs - 500);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LossBench b;
        b.line.a().unplug();
        b.line.a().plugIn();
        ASSERT_TRUE(b.primary->OpenCommPort());
        c.meanwhile(b);
        b.sched.advance(100);
        EXPECT_EQ(b.primary->LossTold(), !c.toldAgain);
        b.line.a().unplug();
        b.sched.advance(100);
        EXPECT_EQ(b.dialogs.count("Lost Com Port 1\r\n"), c.toldAgain ? 2 : 1) << b.dialogs.all();
        EXPECT_EQ(b.dialogs.boxes.size(), c.toldAgain ? 2u : 1u) << b.dialogs.all();
    }
}

// One port object on a scripted device (Com1), its boxes able to nest.
struct PortLossOnOnePort : ::testing::Test {
    PortLossOnOnePort() {
        app.scheduler = &sched;
        app.dialogs = &dialogs;
        port.InitCommCtrl(&device, 0, 1, timer.get());
    }
    VirtualScheduler sched;
    NestingDialogs dialogs{sched};
    AppState app;
    std::unique_ptr<RxMessageTables> tables = std::make_unique<RxMessageTables>();
    ScriptedDevice device{sched};
    std::unique_ptr<Timer> timer = sched.createTimer();
    classComm port{app, app.locale, sched, dialogs, *tables};
};

// The port object's own box at a reopen (a setting the device refuses) runs the loop too: the
// device that fails while it is up is not told again, and the open says it did not work.
TEST_F(PortLossOnOnePort, ALossInsideTheReopensOwnBoxIsNotToldAgain) {
    device.name = "/dev/ttyUSB0";
    device.refusedParities = "e";
    CommSettings comm = port.settings();
    comm.portSettings.parity = 'e';
    port.setSettings(comm);

    ASSERT_TRUE(port.OpenCommPort());
    ASSERT_EQ(dialogs.count("Could Not Set Baud Rate For Com Port 1"), 1);
    device.fire(commEventDeviceLost);
    ASSERT_EQ(dialogs.count("Lost Com Port 1"), 1);

    dialogs.whileUp = [&] { device.fire(commEventDeviceLost); };
    EXPECT_FALSE(port.OpenCommPort());
    EXPECT_FALSE(port.GetCommPortOpen());
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(dialogs.count("Could Not Set Baud Rate For Com Port 1"), 2);
    EXPECT_EQ(dialogs.count("Lost Com Port 1"), 1) << dialogs.all();
    EXPECT_EQ(dialogs.boxes.size(), 3u) << dialogs.all();
    EXPECT_TRUE(port.LossTold());
}

// A keyed send whose CTS never comes resets the port: the device fails as it is closed (the
// loss is told, inside the reset), the reset's reopen finds it for a moment, and it fails at
// once again. One box for the loss, besides the CTS time-out's own.
TEST_F(PortLossOnOnePort, ALossFoundByTheResetAfterACtsTimeOutIsToldOnce) {
    CommSettings comm = port.settings();
    comm.txModeValue = 3;
    port.setSettings(comm);
    ASSERT_TRUE(port.OpenCommPort());

    device.onClose = [&] { device.fire(commEventDeviceLost); };
    dialogs.whileUp = [&] {      // inside the CTS time-out's box: nothing yet
        dialogs.whileUp = [&] {  // inside the loss's box: the reopen is still to come
            sched.advance(100);
        };
    };
    EXPECT_EQ(port.SendString("S1 keyed\r\n", 3), 0);
    sched.advance(1200);  // the CTS wait ends: its box, then the reset
    ASSERT_EQ(dialogs.count("CTS Timeout."), 1) << dialogs.all();
    ASSERT_EQ(dialogs.count("Lost Com Port 1"), 1) << dialogs.all();
    EXPECT_TRUE(port.GetCommPortOpen());  // the reset opened it again
    device.fire(commEventDeviceLost);     // and it fails at its first read
    sched.advance(3000);
    EXPECT_FALSE(port.GetCommPortOpen());
    EXPECT_EQ(dialogs.count("Lost Com Port 1"), 1) << dialogs.all();
    EXPECT_EQ(dialogs.boxes.size(), 2u) << dialogs.all();
}

// The told loss stays with the device that was lost: a port moved to another device (a swap,
// or another device chosen behind its number) says again that it cannot open and that it is
// not open; back on the lost device it is quiet again.
TEST_F(PortFixture, AToldLossStaysWithTheDeviceThatWasLost) {
    device.name = "/dev/ttyUSB0";
    ASSERT_TRUE(port->OpenCommPort());
    dialogs.expectBox("Lost Com Port 1\r\nThe device is no longer present.");
    device.fire(commEventDeviceLost);
    device.refuseOpen = true;
    EXPECT_FALSE(port->OpenCommPort());
    EXPECT_EQ(port->SendString("x", 1), 0);
    ASSERT_EQ(dialogs.boxes.size(), 1u);

    struct Move {
        const char* what;
        std::int16_t portNumber;
        const char* device;
        bool quiet;
    };
    const Move moves[] = {
        {"swapped to Com2", 2, "/dev/ttyUSB1", false},
        {"back on the lost device", 1, "/dev/ttyUSB0", true},
        {"another device chosen for Com1", 1, "/dev/ttyUSB2", false},
    };
    for (const Move& m : moves) {
        SCOPED_TRACE(m.what);
        CommSettings comm = port->settings();
        comm.portNumber = m.portNumber;
        port->setSettings(comm);
        device.name = m.device;
        const std::string n = std::to_string(m.portNumber);
        if (!m.quiet) {
            dialogs.expectBox("Could Not Open Com Port " + n + "\r\nNo such file or directory");
            dialogs.expectBox("Com Port " + n + " Not Open!!");
        }
        const size_t before = dialogs.boxes.size();
        EXPECT_FALSE(port->OpenCommPort());
        EXPECT_EQ(port->SendString("x", 1), 0);
        EXPECT_EQ(dialogs.boxes.size(), before + (m.quiet ? 0 : 2));
        EXPECT_EQ(port->LossTold(), m.quiet);
    }
}

// Runs Qt's event loop until pred() holds or the deadline passes.
bool RunEventsUntil(const std::function<bool()>& pred, int deadlineMs = 3000) {
    QElapsedTimer clock;
    clock.start();
    while (!pred() && clock.elapsed() < deadlineMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const timespec step{0, 2'000'000};
        ::nanosleep(&step, nullptr);
    }
    return pred();
}

// The real device on a pseudo-terminal: the tty hangs up under the port (a read fails), the
// device file is still there and a window's registration opens it again, then its master goes
// and the first read fails once more. The operator hears of the loss once.
TEST(PortLossOnARealDevice, ADeviceThatOpensAgainForAMomentAndFailsAtItsFirstReadIsToldOnce) {
    EnsureApp();
    PtyPair pty;
    ASSERT_TRUE(pty.ok()) << pty.error();
    VirtualScheduler sched;
    NestingDialogs dialogs{sched};
    AppState app;
    app.scheduler = &sched;
    app.dialogs = &dialogs;
    auto tables = std::make_unique<RxMessageTables>();
    QtSerialDevice device([&](int) { return pty.slavePath(); });
    auto timer = sched.createTimer();
    classComm port(app, app.locale, sched, dialogs, *tables);
    port.InitCommCtrl(&device, 0, 1, timer.get());
    std::vector<std::string> log;
    RecordingForm window(&log, "window"), another(&log, "another");
    ASSERT_TRUE(port.RegisterForRawData(&window));
    ASSERT_TRUE(port.GetCommPortOpen());

    // Every file open on the tty hangs up; the tty itself stays.
    const int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    const int hungUp = ::ioctl(fd, TIOCVHANGUP);
    ::close(fd);
    if (hungUp != 0) GTEST_SKIP() << "this user may not hang up a terminal";
    ASSERT_TRUE(RunEventsUntil([&] { return !port.GetCommPortOpen(); }));
    ASSERT_EQ(dialogs.count("Lost Com Port 1\r\nThe serial device " + pty.slavePath() +
                            " is no longer available (reading from it failed)."),
              1)
        << dialogs.all();

    if (!port.RegisterForRxCrLf(&another) || !port.GetCommPortOpen()) GTEST_SKIP() << "the tty does not open again";
    pty.closeMaster();
    EXPECT_TRUE(RunEventsUntil([&] { return !port.GetCommPortOpen(); }));
    RunEventsUntil([] { return false; }, 300);
    EXPECT_EQ(dialogs.count("Lost Com Port 1"), 1) << dialogs.all();
    EXPECT_EQ(port.SendString("x", 1), 0);
    EXPECT_FALSE(port.OpenCommPort());
    EXPECT_EQ(dialogs.boxes.size(), 1u) << dialogs.all();
    port.DeRegisterForAll(&window);
    port.DeRegisterForAll(&another);
}

}  // namespace
}  // namespace k45::test
