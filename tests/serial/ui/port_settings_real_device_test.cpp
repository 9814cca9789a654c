// Port Settings with the real serial device on two pseudo-terminals: the device shown is the one
// in use, and a new device chosen for an open port takes its bytes from then on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "wiring/app_context.h"
#include "platform/port_devices.h"
#include "platform/profile.h"
#include "platform/qt/qt_serial_device.h"
#include "serial/class_comm.h"
#include "serial/port_fixture.h"
#include "serial/ui/port_settings_window.h"
#include "support/port_pair.h"
#include "support/pty_pair.h"
#include "support/pty_wait.h"
#include "support/temp_home.h"

namespace k45::test {
namespace {

struct PortSettingsOnRealDevices : ::testing::Test {
    TempHome home;
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppContext ctx;
    PtyPair unitA, unitB;
    // Opens what the map names when the port opens, as the program's devices do.
    QtSerialDevice devPrimary{[this](int n) { return MappedPortDevice(PortDeviceMapFile(ctx.state.places), n); }};
    ScriptedDevice devSecondary{sched};
    PortPair pair{ctx.state, sched, dialogs, devPrimary, devSecondary, PortPair::Timers::None};
    std::unique_ptr<classComm>& primary = pair.primary;
    std::unique_ptr<classComm>& secondary = pair.secondary;
    std::unique_ptr<formPortSettings> win;

    void SetUp() override {
        ASSERT_TRUE(unitA.ok()) << unitA.error();
        ASSERT_TRUE(unitB.ok()) << unitB.error();
        ctx.state.places.programFolder = home.path();
        ctx.state.scheduler = &sched;
        ctx.state.dialogs = &dialogs;
        pair.fill(ctx.ports);
        home.write("K45MR.ini", "[Com Port Devices]\r\nCom1=" + unitA.slavePath() + "\r\n");
        primary->ForceCommPortOpen(7, {.baudRate = 9600});
        ASSERT_TRUE(primary->GetCommPortOpen());
    }
    void TearDown() override {
        win.reset();
        primary.reset();
        secondary.reset();
        dialogs.verify();
    }

    void open() {
        win = std::make_unique<formPortSettings>(ctx);
        win->listDevices = [] { return std::vector<PresentSerialDevice>{}; };
        win->show();
        ASSERT_TRUE(win->loaded());
    }
    // Sends a line and tells which unit got it.
    void send(const std::string& line, PtyPair& to, PtyPair& notTo) {
        EXPECT_EQ(primary->SendString(line, 7), static_cast<std::int32_t>(line.size()));
        EXPECT_EQ(ReadMasterWhileEventsRun(to, line.size()), line);
        EXPECT_EQ(notTo.readMaster(), "");
    }
};

TEST_F(PortSettingsOnRealDevices, ShowsTheDeviceInUseAndMovesThePortToANewOne) {
    send("?\r", unitA, unitB);

    // The map is changed behind the open port's back: the window shows what is in use.
    ASSERT_TRUE(ProfileWrite(home.file("K45MR.ini"), "Com Port Devices", "Com1", unitB.slavePath()));
    open();
    EXPECT_EQ(win->side[0].comboDevice->currentText().toStdString(), unitA.slavePath());
    EXPECT_EQ(win->side[0].labelDevice->text(), "Open now on this device.");
    win->buttonCancel->click();
    send("V\r", unitA, unitB);

    // Chosen in the window: OK moves the port before anything else is sent.
    open();
    win->side[0].comboDevice->setEditText(QString::fromStdString(unitB.slavePath()));
    win->buttonOK->click();
    EXPECT_EQ(primary->GetOpenDevice(), unitB.slavePath());
    send("T0\r", unitB, unitA);
    EXPECT_EQ(ProfileRead(home.file("K45MR.ini"), "Com Port Devices", "Com1", ""), unitB.slavePath());

    open();
    EXPECT_EQ(win->side[0].comboDevice->currentText().toStdString(), unitB.slavePath());
    win->buttonCancel->click();
}

}  // namespace
}  // namespace k45::test
