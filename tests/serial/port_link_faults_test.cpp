// Text the port object holds back (waiting for DCD to drop or for CTS) belongs to the port as
// it was opened: a lost device or a close ends it, so a later open never sends it to whatever
// modem is on the line by then.
#include <gtest/gtest.h>

#include <functional>

#include "serial/port_fixture.h"

namespace k45::test {
namespace {

struct PortLinkFaults : PortFixture {
    void open(int mode) {
        CommSettings comm = port->settings();
        comm.txModeValue = mode;
        port->setSettings(comm);
        ASSERT_TRUE(port->OpenCommPort());
    }
};

TEST_F(PortLinkFaults, HeldTextDiesWithThePortAndIsNotSentAfterTheNextOpen) {
    struct Hold {
        const char* name;
        int mode;
        bool ignoreDcd;
        std::function<void(ScriptedDevice&)> hold;     // with the port open
        std::function<void(ScriptedDevice&)> release;  // after the reopen
    };
    const Hold holds[] = {
        {"DCD held by the far end", 1, false, [](ScriptedDevice& d) { d.setCdLevel(true); },
         [](ScriptedDevice& d) { d.setCdLevel(false); }},
        {"keyed send waiting for CTS", 3, true, [](ScriptedDevice&) {},
         [](ScriptedDevice& d) { d.setCtsLevel(true); }},
        {"keyed send on a busy line", 3, true, [](ScriptedDevice& d) { d.setCtsLevel(true); },
         [](ScriptedDevice& d) {
             d.ctsAnswerMs = 0;
             d.setCtsLevel(false);
         }},
    };
    struct End {
        const char* name;
        std::function<void(ScriptedDevice&, classComm&)> end;
    };
    const End ends[] = {
        {"device lost", [](ScriptedDevice& d, classComm&) { d.fire(commEventDeviceLost); }},
        {"port closed", [](ScriptedDevice&, classComm& p) { p.CloseCommPort(); }},
    };
    for (const Hold& h : holds) {
        for (const End& e : ends) {
            SCOPED_TRACE(std::string(h.name) + ", " + e.name);
            device.setCdLevel(false);
            device.setCtsLevel(false);
            device.ctsAnswerMs = -1;
            CommSettings comm = port->settings();
            comm.ignoreDCD = h.ignoreDcd;
            port->setSettings(comm);
            open(h.mode);
            h.hold(device);
            EXPECT_EQ(port->SendString("S1 stale block\r\n", h.mode), 0);
            ASSERT_GT(port->TxQueueLength(), 0u);
            if (std::string(e.name) == "device lost") dialogs.expectBox("Lost Com Port 1");
            e.end(device, *port);
            EXPECT_FALSE(port->GetCommPortOpen());
            EXPECT_EQ(port->TxQueueLength(), 0u);

            device.takeWire();
            open(h.mode);
            h.release(device);
            sched.advance(3000);
            EXPECT_EQ(device.wire, "");
            // The port works: new text goes out.
            device.setCdLevel(false);
            device.setCtsLevel(false);
            device.ctsAnswerMs = 0;
            port->SendString("?\r", h.mode);
            sched.advance(500);
            EXPECT_EQ(device.takeWire(), "?\r");
            port->CloseCommPort();
            dialogs.boxes.clear();
        }
    }
}

}  // namespace
}  // namespace k45::test
