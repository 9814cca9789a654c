// Swap Comm Ports after a loss: the ports that should be open (forced open, or a window in a
// data list) open on their new devices, as Port Settings opens them, and a port left closed
// tells of its sends again, whatever was told about the device it left.
#include <QAction>

#include <string>

#include "frame/ui/swap_ports.h"
#include "frame/ui/tool_windows.h"
#include "main_window_harness.h"
#include "serial/class_comm.h"
#include "serial/ui/port_settings_window.h"
#include "wiring/tool_window_ids.h"

namespace k45::test {
namespace {

struct Listener : CommForm {
    std::string got;
    void RxRawData(const std::string& s) override { got += s; }
};

class SwapAfterALoss : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        createToolWindows = CreateToolWindows;  // Port Settings among them
        Start(false, "", DefaultSubsystemHooks(), /*withPorts=*/true);
        win->MDIForm_Activate();  // primary forced open on Com1 (end A)
        ASSERT_TRUE(primary().GetCommPortOpen());
    }
    classComm& primary() { return *ctx.ports.classCommPrimary; }
    classComm& secondary() { return *ctx.ports.classCommSecondary; }
    void Swap() { win->action("menuUtilsSwapPorts")->trigger(); }
};

// The secondary's device went while a window used it; the swap puts another device behind it
// (here its end of the cable, back again), and the window gets its data there.
TEST_F(SwapAfterALoss, APortLostWhileAWindowUsesItOpensOnItsNewDevice) {
    Listener window;
    ASSERT_TRUE(secondary().RegisterForRawData(&window));
    dialogs.expectBox("Lost Com Port 2");
    cable->b().unplug();
    ASSERT_FALSE(secondary().GetCommPortOpen());
    ASSERT_TRUE(secondary().OpenWanted());
    cable->b().plugIn();

    Swap();
    EXPECT_EQ(secondary().settings().portNumber, 1);
    EXPECT_TRUE(secondary().GetCommPortOpen());
    EXPECT_TRUE(primary().GetCommPortOpen());
    EXPECT_EQ(primary().SendString("hello", 7), 5);
    scheduler.advance(100);
    EXPECT_EQ(window.got, "hello");
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    secondary().DeRegisterForAll(&window);
}

// The primary's device went and was told; the swap moves it to Com2, whose device will not
// open either: that is a new failure on another device, told, and so are its sends. The told
// loss stays with the lost device: the secondary, now on it, adds nothing, and neither does the
// primary back on it after a second swap.
TEST_F(SwapAfterALoss, APortLeftClosedOnAnotherDeviceTellsOfItsSends) {
    dialogs.expectBox("Lost Com Port 1");
    cable->a().unplug();
    ASSERT_EQ(primary().SendString("x", 7), 0);
    ASSERT_EQ(dialogs.boxes.size(), 1u);

    dialogs.expectBox("Could Not Open Com Port 2");
    Swap();
    EXPECT_FALSE(primary().GetCommPortOpen());
    dialogs.expectBox("Com Port 2 Not Open!!");
    EXPECT_EQ(primary().SendString("?\r", 7), 0);
    EXPECT_EQ(secondary().SendString("?\r", 1), 0);
    EXPECT_TRUE(secondary().LossTold());
    EXPECT_FALSE(primary().LossTold());
    EXPECT_EQ(dialogs.boxes.size(), 3u);

    Swap();
    EXPECT_FALSE(primary().GetCommPortOpen());
    EXPECT_EQ(primary().SendString("?\r", 7), 0);
    EXPECT_TRUE(primary().LossTold());
    EXPECT_EQ(dialogs.boxes.size(), 3u);
}

// Both devices went and each port told its own; then the two devices change ports, by Swap Comm
// Ports or by exchanging the numbers in Port Settings (Swap, then OK). Each port opens the other's
// device, which opens for a moment and fails at once: each device's loss stays told on the port
// that takes it.
enum class Exchange { SwapCommPorts, PortSettings };

class DevicesChangePorts : public SwapAfterALoss, public ::testing::WithParamInterface<Exchange> {
protected:
    void ExchangeDevices() {
        if (GetParam() == Exchange::SwapCommPorts) {
            Swap();
            return;
        }
        win->action("menuUtilsPort")->trigger();
        auto* settings = dynamic_cast<formPortSettings*>(ctx.form(ToolWindow::formPortSettings));
        ASSERT_NE(settings, nullptr);
        settings->buttonSwap_Click();
        settings->buttonOK_Click();
    }
};

TEST_P(DevicesChangePorts, EachDevicesLossStaysToldOnThePortThatTakesIt) {
    Listener window;
    ASSERT_TRUE(secondary().RegisterForRawData(&window));
    dialogs.expectBox("Lost Com Port 1");
    cable->a().unplug();
    dialogs.expectBox("Lost Com Port 2");
    cable->b().unplug();
    cable->a().plugIn();
    cable->b().plugIn();

    ExchangeDevices();
    EXPECT_EQ(primary().settings().portNumber, 2);
    ASSERT_TRUE(primary().GetCommPortOpen());
    ASSERT_TRUE(secondary().GetCommPortOpen());
    cable->a().unplug();
    cable->b().unplug();
    scheduler.advance(3000);
    EXPECT_EQ(dialogs.boxes.size(), 2u);
    secondary().DeRegisterForAll(&window);
}

INSTANTIATE_TEST_SUITE_P(Ways, DevicesChangePorts, ::testing::Values(Exchange::SwapCommPorts, Exchange::PortSettings),
                         [](const auto& i) { return i.param == Exchange::SwapCommPorts ? "SwapCommPorts" : "PortSettings"; });

}  // namespace
}  // namespace k45::test
