// The device map inside the whole program with the real serial devices on pseudo-terminals:
// chosen in Port Settings, saved, used after a restart in every mode; the status bar tells the
// device in use; a swap lets the last command leave on the old port.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

#include "wiring/tool_window_ids.h"
#include "frame/ui/swap_ports.h"
#include "frame/ui/tool_windows.h"
#include "main_window_harness.h"
#include "platform/port_devices.h"
#include "serial/class_comm.h"
#include "serial/ui/port_settings_window.h"
#include "support/pty_pair.h"
#include "support/pty_wait.h"

namespace k45::test {
namespace {

struct Mode {
    const char* name;
    bool engineeringBuild;
    const char* words;
};
const Mode kModes[] = {{"field", false, ""}, {"engineering", true, ""}, {"production", true, "/ProductionTest"}};

class PortDevicesInProgram : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(unitA.ok()) << unitA.error();
        ASSERT_TRUE(unitB.ok()) << unitB.error();
    }
    void TearDown() override {
        if (win && win->isVisible()) Close();
        MainWindowTest::TearDown();
    }

    // Starts the program as main() does: real tool windows, real serial devices, first activation.
    void StartIn(const Mode& mode) {
        MainWindowOptions options;
        options.engineeringBuild = mode.engineeringBuild;
        options.commandLine = mode.words;
        options.hooks = DefaultSubsystemHooks();
        options.createToolWindows = CreateToolWindows;
        options.makeDevice = RealSerialDevices(ctx.state);
        win = std::make_unique<MDIMain>(ctx, std::move(options));
        win->MDIForm_Load();
        win->show();
        win->MDIForm_Activate();
        QApplication::processEvents();
    }
    void Stop() {
        ASSERT_TRUE(Close());
        win.reset();
    }
    // Both settings files (the program folder's and production mode's) put the ports on numbers
    // whose default devices do not exist.
    void SeedSettings(const std::string& extra = "") {
        const std::string ports = "[Primary Port Settings]\r\nComm Port=20\r\n[Secondary Port Settings]\r\nComm Port=21\r\n";
        home.write("K45MR.ini", ports + extra);
        home.write("config/K45MR.ini", ports);
    }
    classComm& primary() { return *ctx.ports.classCommPrimary; }

    PtyPair unitA, unitB;
};

TEST_F(PortDevicesInProgram, ADeviceChosenInPortSettingsIsUsedAfterARestartInEveryMode) {
    for (const Mode& setIn : kModes) {
        SCOPED_TRACE(std::string("chosen in ") + setIn.name);
        SeedSettings();
        // The first start cannot open the default device, and says where to choose one.
        dialogs.expectBox("Could not open /dev/ttyS19: the device does not exist. Choose the device for this port in "
                          "Utilities > Port Settings.");
        StartIn(setIn);
        EXPECT_FALSE(primary().GetCommPortOpen());

        ToolForm* form = ctx.form(ToolWindow::formPortSettings);
        ASSERT_NE(form, nullptr);
        win->OpenForm(*form);
        auto* settings = dynamic_cast<formPortSettings*>(form);
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(settings->side[0].comboPortNum->currentText(), "Com20");
        EXPECT_EQ(settings->side[0].comboDevice->currentText(), "/dev/ttyS19");
        settings->side[0].comboDevice->setEditText(QString::fromStdString(unitA.slavePath()));
        settings->buttonOK->click();
        Stop();
        // One map, in the program folder, for every mode; the first exit gives both ports an entry.
        EXPECT_EQ(MappedPortDevice(home.file("K45MR.ini"), 20), unitA.slavePath());
        EXPECT_EQ(ProfileRead(home.file("K45MR.ini"), "Com Port Devices", "Com21", "<missing>"), "/dev/ttyS20");

        for (const Mode& useIn : kModes) {
            SCOPED_TRACE(std::string("used in ") + useIn.name);
            StartIn(useIn);
            ASSERT_TRUE(primary().GetCommPortOpen());
            EXPECT_EQ(primary().GetOpenDevice(), unitA.slavePath());
            EXPECT_EQ(primary().SendString("?\r", 7), 2);
            EXPECT_EQ(ReadMasterWhileEventsRun(unitA, 2), "?\r");
            Stop();
        }
    }
}

// The port panel's tool tip tells the device actually open, also after the map changed since.
TEST_F(PortDevicesInProgram, ThePortPanelTellsTheDeviceInUse) {
    SeedSettings("[Com Port Devices]\r\nCom20=" + unitA.slavePath() + "\r\n");
    StartIn(kModes[0]);
    ASSERT_EQ(primary().GetOpenDevice(), unitA.slavePath());
    ASSERT_TRUE(ProfileWrite(home.file("K45MR.ini"), "Com Port Devices", "Com20", unitB.slavePath()));
    auto* panel = win->findChild<QLabel*>("statusBarInfoPanel2");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->text(), "Com20 / Com21");
    QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), panel->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(panel, &hover);
    EXPECT_EQ(QToolTip::text().toStdString(),
              "Primary: Com20, open on " + unitA.slavePath() + "\nSecondary: Com21, closed (opens /dev/ttyS20)");
    QToolTip::hideText();
}

// Swap Comm Ports right after a last command: it leaves on the old port before the port closes.
TEST_F(PortDevicesInProgram, ASwapLetsTheLastCommandLeaveOnTheOldPort) {
    SeedSettings("[Com Port Devices]\r\nCom20=" + unitA.slavePath() + "\r\nCom21=" + unitB.slavePath() + "\r\n");
    StartIn(kModes[0]);
    ASSERT_EQ(primary().GetOpenDevice(), unitA.slavePath());
    EXPECT_EQ(primary().SendString("T0\r", 7), 3);
    SwapCommPorts(ctx);
    EXPECT_EQ(ReadMasterWhileEventsRun(unitA, 3), "T0\r");
    EXPECT_EQ(primary().GetOpenDevice(), unitB.slavePath());
    EXPECT_EQ(primary().SendString("?\r", 7), 2);
    EXPECT_EQ(ReadMasterWhileEventsRun(unitB, 2), "?\r");
    EXPECT_EQ(unitA.readMaster(), "");
}

}  // namespace
}  // namespace k45::test
