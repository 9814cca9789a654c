// Closing a real port lets what is queued leave first: a last "T0" written just before the
// close reaches the radio. The pseudo-terminal's master plays the radio.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "model/app_state.h"
#include "platform/qt/qt_serial_device.h"
#include "serial/class_comm.h"
#include "serial/core_app.h"
#include "support/pty_pair.h"
#include "support/pty_wait.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_scheduler.h"

namespace k45 {
namespace {

using test::PtyPair;

using test::EnsureApp;

class DrainOnClose : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApp(); }
    void SetUp() override { ASSERT_TRUE(pty.ok()) << pty.error(); }

    PtyPair pty;
    QtSerialDevice device{[this](int) { return pty.slavePath(); }};
};

TEST_F(DrainOnClose, BytesWrittenJustBeforeTheCloseLeaveFirst) {
    std::string error;
    device.setPortNumber(1);
    ASSERT_TRUE(device.open(&error)) << error;
    int eventsAfterClose = 0;
    bool closing = false;
    device.setEventHandler([&](int) { eventsAfterClose += closing ? 1 : 0; });

    ASSERT_TRUE(device.write("T0\r", &error)) << error;
    closing = true;
    device.close();
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(ReadMasterWhileEventsRun(pty, 3), "T0\r");
    // The port is being closed by its owner: nothing is reported back meanwhile.
    EXPECT_EQ(eventsAfterClose, 0);

    // Again at a low baud rate and with more than one write's worth queued.
    ASSERT_TRUE(device.setSettings({.baudRate = 1200}, &error)) << error;
    ASSERT_TRUE(device.open(&error)) << error;
    const std::string block(600, 'x');
    ASSERT_TRUE(device.write(block, &error)) << error;
    ASSERT_TRUE(device.write("T0\r", &error)) << error;
    device.close();
    EXPECT_EQ(ReadMasterWhileEventsRun(pty, block.size() + 3), block + "T0\r");
}

// The port object's close (a swap, Port Settings, a window's close, shutdown) goes the same way.
TEST_F(DrainOnClose, ThePortObjectsCloseLetsTheLastCommandLeave) {
    test::VirtualScheduler sched;
    test::ScriptedDialogs dialogs;
    ModeFlags modes;
    LocaleInfo locale;
    RxMessageTables tables;
    for (bool destroy : {false, true}) {
        SCOPED_TRACE(destroy ? "released" : "closed");
        auto port = std::make_unique<classComm>(modes, locale, sched, dialogs, tables);
        port->InitCommCtrl(&device, 0, 1, nullptr);
        port->ForceCommPortOpen(7, {.baudRate = 9600});
        ASSERT_TRUE(port->GetCommPortOpen());
        EXPECT_EQ(port->SendString("T0\r", 7), 3);
        if (destroy) port.reset();
        else port->CloseCommPort();
        EXPECT_FALSE(device.isOpen());
        EXPECT_EQ(ReadMasterWhileEventsRun(pty, 3), "T0\r");
    }
    dialogs.verify();
}

}  // namespace
}  // namespace k45
