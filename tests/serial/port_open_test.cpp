// Settings layers, open and close, overrides, the transmit-mode table, the settings file and
// the DMP baud search.
#include <gtest/gtest.h>

#include "base/ini_routines.h"
#include "platform/profile.h"
#include "serial/port_fixture.h"
#include "serial/tx_modes.h"
#include "support/temp_home.h"

namespace k45::test {
namespace {

using PortOpen = PortFixture;

TEST_F(PortOpen, OpenAppliesConfiguredSettingsAndReopenOnlyReapplies) {
    CommSettings comm = port->settings();
    comm.portSettings.baudRate = 19200;
    comm.portSettings.parity = 'e';
    comm.portSettings.dataBits = 7;
    comm.portSettings.stopBits = 2;
    comm.txModeValue = 5;
    port->setSettings(comm);
    ASSERT_TRUE(port->OpenCommPort());
    EXPECT_EQ(device.opens, 1);
    EXPECT_EQ(device.portNumber(), 1);
    EXPECT_EQ(device.settingsText(), "19200,e,7,2");
    EXPECT_EQ(port->GetWorkingTxMode(), 5);
    EXPECT_TRUE(device.rts());  // mode 5: flow control with RTS high
    EXPECT_EQ(device.handshaking(), 2);
    EXPECT_EQ(port->GetBytesPerSecond(), 19200.0 / 11);

    // Opening again re-applies without reopening, and clears the counters.
    port->SendString("abc", 1);
    EXPECT_EQ(port->GetTxBytes(), 3);
    comm = port->settings();
    comm.portSettings.baudRate = 4800;
    port->setSettings(comm);
    ASSERT_TRUE(port->OpenCommPort());
    EXPECT_EQ(device.opens, 1);
    EXPECT_EQ(device.settingsText(), "4800,e,7,2");
    EXPECT_EQ(port->GetTxBytes(), 0);

    port->CloseCommPort();
    EXPECT_FALSE(port->GetCommPortOpen());
    EXPECT_FALSE(device.isOpen());
    EXPECT_FALSE(device.rts());
    EXPECT_EQ(device.handshaking(), 0);
}

TEST_F(PortOpen, ForcedSettingsWinAtEveryOpenButNotOnAnOpenPort) {
    CommSettings comm = port->settings();
    comm.portSettings.baudRate = 19200;
    comm.txModeValue = 1;
    port->setSettings(comm);
    port->ForceCommPortOpen(7, {.baudRate = 9600});
    ASSERT_TRUE(port->GetCommPortOpen());
    EXPECT_EQ(device.settingsText(), "9600,n,8,1");
    EXPECT_EQ(port->GetWorkingTxMode(), 7);
    EXPECT_TRUE(device.dtr());  // mode 7 raises DTR whatever dtrEnabled says

    // Forcing again while open changes nothing on the device ...
    port->ForceCommPortOpen(8, {.baudRate = 38400});
    EXPECT_EQ(device.settingsText(), "9600,n,8,1");
    EXPECT_EQ(port->GetWorkingTxMode(), 7);
    // ... until the next open.
    port->CloseCommPort();
    ASSERT_TRUE(port->OpenCommPort());
    EXPECT_EQ(device.settingsText(), "38400,n,8,1");
    EXPECT_EQ(port->GetWorkingTxMode(), 8);
}

TEST_F(PortOpen, FailedOpenIsReportedAndLeavesThePortClosed) {
    CommSettings comm = port->settings();
    comm.portNumber = 3;
    port->setSettings(comm);
    device.refuseOpen = true;
    dialogs.expectBox("Could Not Open Com Port 3\r\nNo such file or directory");
    EXPECT_FALSE(port->OpenCommPort());
    EXPECT_FALSE(port->GetCommPortOpen());
    EXPECT_EQ(dialogs.boxes.back().title, "Com Port Error");
    EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Exclamation);
}

TEST_F(PortOpen, OverrideSettingsOnlyTouchesTheDeviceWhenSomethingChanges) {
    // Closed: nothing is stored, not even the extended-length flag.
    EXPECT_FALSE(port->OverrideSettings({.baudRate = 9600}, true));
    EXPECT_FALSE(port->GetExtendedLengthMode());

    ASSERT_TRUE(port->OpenCommPort());
    const size_t applied = device.settingsApplied.size();
    EXPECT_TRUE(port->OverrideSettings(kProgrammingPortSettings, true));
    EXPECT_EQ(device.settingsApplied.size(), applied);
    EXPECT_TRUE(port->GetExtendedLengthMode());

    // The parity letter compares case-sensitively.
    EXPECT_TRUE(port->OverrideSettings({.baudRate = 9600, .parity = 'N'}));
    EXPECT_EQ(device.settingsText(), "9600,N,8,1");
    EXPECT_TRUE(port->OverrideSettings({.baudRate = 1200}));
    EXPECT_EQ(port->GetWorkingBaudRate(), 1200);
    EXPECT_EQ(port->GetTxChunkSizeValue(), 1100);

    CommSettings comm = port->settings();
    comm.portSettings.baudRate = 2400;
    port->setSettings(comm);
    EXPECT_TRUE(port->RestoreSettings());
    EXPECT_EQ(device.settingsText(), "2400,n,8,1");
}

TEST_F(PortOpen, RefusedOverrideIsNotRememberedAsApplied) {
    ASSERT_TRUE(port->OpenCommPort());
    device.refusedSettings.insert("14400,n,4,1");
    dialogs.expectBox("Could Not Set Baud Rate For Com Port 1\r\nThe device refused 14400,n,4,1");
    EXPECT_FALSE(port->OverrideSettings({.baudRate = 14400, .dataBits = 4}));
    EXPECT_EQ(port->GetWorkingBaudRate(), 9600);
    EXPECT_EQ(port->GetWorkingSettings().dataBits, 8);
    EXPECT_EQ(port->GetTxChunkSizeValue(), 8750);
    EXPECT_EQ(port->GetBytesPerSecond(), 960);

    // The same override once the device takes it is applied, not skipped as "already in force".
    device.refusedSettings.clear();
    EXPECT_TRUE(port->OverrideSettings({.baudRate = 14400, .dataBits = 4}));
    EXPECT_EQ(device.settingsText(), "14400,n,4,1");
    EXPECT_EQ(port->GetWorkingSettings().dataBits, 4);

    device.refusedSettings.insert("9600,n,8,1");
    dialogs.expectBox("Could Not Restore Baud Rate For Com Port 1");
    EXPECT_FALSE(port->RestoreSettings());
    EXPECT_EQ(port->GetWorkingBaudRate(), 14400);
}

// A device without control lines (a pseudo-terminal, a network bridge) takes the rest of a
// mode; what it cannot do is shown once per open, in one box, not at every activation of a
// window that restores or overrides the mode.
TEST_F(PortOpen, ADeviceWithoutControlLinesIsShownOncePerOpenAndTakesTheRestOfTheMode) {
    ASSERT_TRUE(port->OpenCommPort());
    device.refuseRts = true;
    device.refuseDtr = true;
    dialogs.expectBox("Could Not Override Handshaking For Com Port 1\r\nRTS refused\r\nDTR refused");
    EXPECT_FALSE(port->OverrideHandshaking(5, true, 115));
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(port->GetWorkingTxMode(), 5);
    EXPECT_EQ(device.handshaking(), 2);            // what the device takes still applies
    EXPECT_TRUE(port->GetSimulatedDmpProtocol());  // stored in every case

    // Activations that switch between modes: nothing new to say.
    for (int i = 0; i < 5; ++i) {
        (void)port->RestoreHandshaking();
        EXPECT_EQ(port->GetWorkingTxMode(), 1);
        EXPECT_EQ(device.handshaking(), 0);
        (void)port->OverrideHandshaking(3);
        EXPECT_EQ(port->GetWorkingTxMode(), 3);
    }
    EXPECT_EQ(dialogs.boxes.size(), 1u);

    // The device opened again: said once more, under the operation that met it, and only
    // what it refuses; a refusal not met before is shown alone.
    port->CloseCommPort();
    device.refuseDtr = false;
    ASSERT_TRUE(port->OpenCommPort());
    dialogs.expectBox("Could Not Override Handshaking For Com Port 1\r\nRTS refused");
    (void)port->OverrideHandshaking(7);
    EXPECT_EQ(dialogs.boxes.back().text, "Could Not Override Handshaking For Com Port 1\r\nRTS refused");
    for (int i = 0; i < 3; ++i) {
        (void)port->RestoreHandshaking();
        (void)port->OverrideHandshaking(7);
    }
    EXPECT_EQ(dialogs.boxes.size(), 2u);
    device.refuseDtr = true;
    dialogs.expectBox("Could Not Restore Handshaking For Com Port 1\r\nDTR refused");
    (void)port->RestoreHandshaking();
    EXPECT_EQ(dialogs.boxes.back().text, "Could Not Restore Handshaking For Com Port 1\r\nDTR refused");
    EXPECT_EQ(dialogs.boxes.size(), 3u);
}

// Serial settings the device refuses are shown once per open too; each activation tries them
// again (the device may take them later) without another box.
TEST_F(PortOpen, RefusedSettingsAreShownOncePerOpen) {
    CommSettings comm = port->settings();
    comm.portSettings.parity = 'm';
    port->setSettings(comm);
    ASSERT_TRUE(port->OpenCommPort());
    ASSERT_TRUE(port->OverrideSettings({.baudRate = 9600}));
    device.refusedSettings.insert("9600,m,8,1");
    dialogs.expectBox("Could Not Restore Baud Rate For Com Port 1\r\nThe device refused 9600,m,8,1");
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(port->RestoreSettings());
        EXPECT_EQ(port->GetWorkingSettings().parity, 'n');
    }
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    port->CloseCommPort();
    device.refusedSettings.clear();
    ASSERT_TRUE(port->OpenCommPort());
    device.refusedSettings.insert("4800,n,8,1");
    dialogs.expectBox("Could Not Set Baud Rate For Com Port 1\r\nThe device refused 4800,n,8,1");
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(port->OverrideSettings({.baudRate = 4800}));
    EXPECT_EQ(dialogs.boxes.size(), 2u);
}

// A device that cannot do a parity takes the rest: the port opens, the rate it took paces the
// output, and the refusal is shown once per open, not at every activation that asks again.
TEST_F(PortOpen, APartlyRefusedSettingOpensWithTheRestInForceAndIsShownOncePerOpen) {
    CommSettings comm = port->settings();
    comm.portSettings = {.baudRate = 19200, .parity = 'm'};
    port->setSettings(comm);
    device.refusedParities = "m";
    dialogs.expectBox("Could Not Set Baud Rate For Com Port 1\r\nThe device refused parity m");
    ASSERT_TRUE(port->OpenCommPort());
    EXPECT_TRUE(device.isOpen());
    EXPECT_EQ(device.settingsText(), "19200,n,8,1");
    EXPECT_EQ(port->GetWorkingSettings(), (PortSettings{.baudRate = 19200}));
    EXPECT_EQ(port->GetBytesPerSecond(), 1920);

    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(port->OverrideSettings({.baudRate = 2400}));
        EXPECT_FALSE(port->RestoreSettings());
        EXPECT_EQ(port->GetWorkingSettings(), (PortSettings{.baudRate = 19200}));
        EXPECT_FALSE(port->OverrideSettings({.baudRate = 1200, .parity = 'm', .dataBits = 7}));
        EXPECT_EQ(device.settingsText(), "1200,n,7,1");
        EXPECT_EQ(port->GetWorkingSettings(), (PortSettings{.baudRate = 1200, .dataBits = 7}));
        EXPECT_EQ(port->GetBytesPerSecond(), 1200.0 / 9);
        EXPECT_EQ(port->GetTxChunkSizeValue(), 1200);
    }
    EXPECT_EQ(dialogs.boxes.size(), 1u);

    port->CloseCommPort();
    dialogs.expectBox("Could Not Set Baud Rate For Com Port 1\r\nThe device refused parity m");
    ASSERT_TRUE(port->OpenCommPort());
    (void)port->RestoreSettings();
    EXPECT_EQ(dialogs.boxes.size(), 2u);
}

TEST_F(PortOpen, HandshakingOverrideOnAClosedPortStoresOnlyTheDmpValues) {
    EXPECT_FALSE(port->OverrideHandshaking(8, true, 115));  // stores, applies nothing
    EXPECT_TRUE(port->GetSimulatedDmpProtocol());
    CommSettings comm = port->settings();
    comm.txModeValue = 3;
    port->setSettings(comm);
    ASSERT_TRUE(port->OpenCommPort());
    EXPECT_EQ(port->GetWorkingTxMode(), 3);
}

// Each mode's lines with dtrEnabled and ignoreDCD both off and both on.
struct ModeCase {
    int mode;
    int handshaking;
    bool rts;
    bool dtrOff, dtrOn;          // DTR with dtrEnabled False / True
    bool ignoreOff, ignoreOn;    // ignore-DCD with ignoreDCD False / True
    bool keyed;
};

TEST_F(PortOpen, TransmitModeTable) {
    const ModeCase cases[] = {
        {0, 0, false, false, true, false, true, false},  {1, 0, false, false, true, false, true, false},
        {2, 0, false, false, true, false, true, true},   {3, 0, false, false, true, false, true, true},
        {4, 2, true, false, true, false, true, false},   {5, 2, true, false, true, false, true, false},
        {6, 0, true, true, true, true, true, false},     {7, 0, false, true, true, true, true, false},
        {8, 0, true, false, true, true, true, false},    {9, 0, false, true, true, true, true, true},
        {10, 0, true, false, true, true, true, true},    {11, 2, true, true, true, true, true, false},
        {12, 2, true, false, true, true, true, false},
    };
    ASSERT_TRUE(port->OpenCommPort());
    for (const auto& c : cases) {
        for (bool setting : {false, true}) {
            SCOPED_TRACE("mode " + std::to_string(c.mode) + (setting ? " settings on" : " settings off"));
            CommSettings comm = port->settings();
            comm.dtrEnabled = setting;
            comm.ignoreDCD = setting;
            port->setSettings(comm);
            EXPECT_TRUE(port->OverrideHandshaking(c.mode == 0 ? 1 : 0));  // force a change so the table is applied
            EXPECT_TRUE(port->OverrideHandshaking(c.mode));
            EXPECT_EQ(device.handshaking(), c.handshaking);
            EXPECT_EQ(device.rts(), c.rts);
            EXPECT_EQ(port->GetRTS(), c.rts);
            EXPECT_EQ(device.dtr(), setting ? c.dtrOn : c.dtrOff);
            EXPECT_EQ(port->GetDTR(), device.dtr());
            EXPECT_EQ(port->GetWorkingIgnoreDcd(), setting ? c.ignoreOn : c.ignoreOff);
            EXPECT_EQ(IsKeyedTxMode(c.mode), c.keyed);
        }
    }
}

TEST_F(PortOpen, DmpBaudSearchCyclesThroughItsList) {
    CommSettings comm = port->settings();
    comm.dmpBaudRate = 19200;
    port->setSettings(comm);
    port->ForceCommPortOpen(8, {.baudRate = 19200});
    RecordingForm w(nullptr, "w");
    port->RegisterForDmpData(&w);
    EXPECT_EQ(port->FindNextDmpBaud(), 9600);
    EXPECT_EQ(device.settingsText(), "9600,n,8,1");
    EXPECT_EQ(port->FindNextDmpBaud(), 38400);
    EXPECT_EQ(port->FindNextDmpBaud(), 0);
    EXPECT_EQ(port->settings().dmpBaudRate, 19200);
    EXPECT_EQ(port->GetWorkingBaudRate(), 19200);
    // The forced settings follow the search: the last window leaving restores 19200.
    port->FindNextDmpBaud();
    port->DeRegisterForAll(&w);
    EXPECT_EQ(port->GetWorkingBaudRate(), 9600);
    EXPECT_TRUE(port->GetCommPortOpen());
}

// ---- Settings file

struct PortSettingsFile : PortFixture {
    TempHome home;
    std::string ini = home.file("K45MR.ini");
    void write(const std::string& body) { home.write("K45MR.ini", "[Primary Port Settings]\r\n" + body); }
};

TEST_F(PortSettingsFile, ValidValuesAreTakenAndInvalidOnesKeepTheDefault) {
    struct Case {
        const char* line;
        std::function<bool(const classComm&)> check;
    };
    const Case cases[] = {
        {"Baud Rate=19200", [](const classComm& p) { return p.settings().portSettings.baudRate == 19200; }},
        {"Baud Rate=0", [](const classComm& p) { return p.settings().portSettings.baudRate == 9600; }},
        {"Baud Rate=fast", [](const classComm& p) { return p.settings().portSettings.baudRate == 9600; }},
        {"Data Bits=7", [](const classComm& p) { return p.settings().portSettings.dataBits == 7; }},
        {"Data Bits=9", [](const classComm& p) { return p.settings().portSettings.dataBits == 8; }},
        {"Data Bits=4", [](const classComm& p) { return p.settings().portSettings.dataBits == 4; }},
        {"Data Bits=3", [](const classComm& p) { return p.settings().portSettings.dataBits == 8; }},
        {"Stop Bits=2", [](const classComm& p) { return p.settings().portSettings.stopBits == 2; }},
        {"Stop Bits=3", [](const classComm& p) { return p.settings().portSettings.stopBits == 1; }},
        {"Parity=Even", [](const classComm& p) { return p.settings().portSettings.parity == 'e'; }},
        {"Parity=O", [](const classComm& p) { return p.settings().portSettings.parity == 'o'; }},
        {"Parity=Mark", [](const classComm& p) { return p.settings().portSettings.parity == 'n'; }},
        {"Mode Value=12", [](const classComm& p) { return p.settings().txModeValue == 12; }},
        {"Mode Value=13", [](const classComm& p) { return p.settings().txModeValue == 1; }},
        {"Mode Value=-1", [](const classComm& p) { return p.settings().txModeValue == 1; }},
        {"Comm Port=4", [](const classComm& p) { return p.settings().portNumber == 4; }},
        {"Comm Port=0", [](const classComm& p) { return p.settings().portNumber == 1; }},
        {"Comm Port=33", [](const classComm& p) { return p.settings().portNumber == 1; }},
        {"DTR Enabled=True", [](const classComm& p) { return p.settings().dtrEnabled; }},
        {"DCD Timeout=2.5", [](const classComm& p) { return p.settings().dcdTimeoutTime == 2.5; }},
        {"DCD Timeout=0", [](const classComm& p) { return p.settings().dcdTimeoutTime == 1.5; }},
        {"CTS Timeout=-1", [](const classComm& p) { return p.settings().ctsTimeoutTime == 1.0; }},
        {"IP Response Interval=500", [](const classComm& p) { return p.settings().ipResponseInterval == 1000; }},
        {"IP Response Interval=2000", [](const classComm& p) { return p.settings().ipResponseInterval == 2000; }},
        {"DMP Baud Rate=38400", [](const classComm& p) { return p.settings().dmpBaudRate == 38400; }},
        {"DMP Baud Rate=-5", [](const classComm& p) { return p.settings().dmpBaudRate == 9600; }},
        {"Sync Char=100", [](const classComm& p) { return p.settings().syncChar == 100; }},
    };
    app.engineerMode = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        port->InitCommCtrl(&device, 0, 1, timer.get());
        write(std::string(c.line) + "\r\n");
        port->RestoreClassParameters(ini, "Primary Port Settings");
        EXPECT_TRUE(c.check(*port));
    }
}

TEST_F(PortSettingsFile, EngineeringKeysOnlyInEngineeringMode) {
    write("Baud Rate=4800\r\nIgnore DCD=False\r\nDCD Timeout=3\r\nSync Char=1\r\nIP Response Interval=500\r\n");
    port->RestoreClassParameters(ini, "Primary Port Settings");
    EXPECT_EQ(port->settings().portSettings.baudRate, 4800);
    EXPECT_TRUE(port->settings().ignoreDCD);
    EXPECT_EQ(port->settings().dcdTimeoutTime, 1.5);
    EXPECT_EQ(port->settings().syncChar, 186);
    EXPECT_EQ(port->settings().ipResponseInterval, 1000);

    // Saving outside engineering mode writes the seven common keys only.
    home.write("K45MR.ini", "");
    CommSettings comm = port->settings();
    comm.portSettings.parity = 'E';
    port->setSettings(comm);
    port->SaveClassParameters(ini, "Secondary Port Settings");
    IniDocument doc;
    ASSERT_TRUE(doc.load(ini));
    EXPECT_EQ(doc.keys("Secondary Port Settings").size(), 7u);
    EXPECT_EQ(doc.get("Secondary Port Settings", "Parity", ""), "E");
    EXPECT_EQ(doc.get("Secondary Port Settings", "Baud Rate", ""), "4800");

    app.engineerMode = true;
    comm = port->settings();
    comm.dcdTimeoutTime = 2.25;
    port->setSettings(comm);
    port->SaveClassParameters(ini, "Secondary Port Settings");
    ASSERT_TRUE(doc.load(ini));
    EXPECT_EQ(doc.keys("Secondary Port Settings").size(), 14u);
    classComm other(app, app.locale, sched, dialogs, *tables);
    other.RestoreClassParameters(ini, "Secondary Port Settings");
    EXPECT_EQ(other.settings().dcdTimeoutTime, 2.25);
    EXPECT_EQ(other.settings().portSettings.parity, 'e');  // read back in lower case
    EXPECT_EQ(other.settings().portSettings.baudRate, 4800);
}

TEST(PortCounters, SaturateAtTheTopOfThe32BitRange) {
    double c = 4294967295.0 - 5;
    classComm::SaturatingAdd(c, 10);
    EXPECT_EQ(c, 4294967295.0);
    classComm::SaturatingAdd(c, 1);
    EXPECT_EQ(c, 4294967295.0);
    double d = 4294967295.0 - 10;
    classComm::SaturatingAdd(d, 10);
    EXPECT_EQ(d, 4294967295.0);
    double e = 7;
    classComm::SaturatingAdd(e, 3);
    EXPECT_EQ(e, 10);
}

}  // namespace
}  // namespace k45::test

namespace k45::test {
namespace {

TEST_F(PortOpen, LostDeviceClosesThePortAndIsReportedThenReopensOnDemand) {
    ASSERT_TRUE(port->OpenCommPort());
    dialogs.expectBox("Lost Com Port 1\r\nThe device is no longer present.");
    device.fire(commEventDeviceLost);
    EXPECT_FALSE(port->GetCommPortOpen());
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(dialogs.boxes.back().title, "Com Port Error");
    // Nothing is written to the lost device, and the send adds no box to the loss's.
    EXPECT_EQ(port->SendString("abc", 1), 0);
    EXPECT_EQ(port->GetTxBytes(), 0);
    EXPECT_TRUE(device.wire.empty());
    // A window that registers afterwards opens the port again.
    std::vector<std::string> log;
    RecordingForm w(&log, "w");
    EXPECT_TRUE(port->RegisterForRxCrLf(&w));
    EXPECT_TRUE(port->GetCommPortOpen());
    EXPECT_EQ(device.opens, 2);
    port->DeRegisterForAll(&w);
}

// One lost device, one box: the windows that still use it, their retries to open it and their
// sends add nothing until it is open again; a loss after that is a new one.
TEST_F(PortOpen, ALostDeviceIsShownOnceUntilItIsOpenAgain) {
    std::vector<std::string> log;
    RecordingForm a(&log, "a"), b(&log, "b");
    ASSERT_TRUE(port->RegisterForDecodedData(&a));
    ASSERT_TRUE(port->RegisterForRawData(&b));
    dialogs.expectBox("Lost Com Port 1\r\nThe device is no longer present.");
    device.refuseOpen = true;
    device.fire(commEventDeviceLost);
    EXPECT_TRUE(port->LossTold());
    EXPECT_TRUE(port->OpenWanted());
    for (int retry = 0; retry < 3; ++retry) {
        sched.advance(700);
        EXPECT_TRUE(port->RegisterForDecodedData(&a));
        (void)port->RegisterForCtsChange(&b);
        EXPECT_FALSE(port->OpenCommPort());
        EXPECT_EQ(port->SendString("x", 1), 0);
        device.fire(commEventDeviceLost);
    }
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_FALSE(port->GetCommPortOpen());

    // Back: the next retry opens it; once it has stayed usable, a later loss is shown again.
    device.refuseOpen = false;
    EXPECT_TRUE(port->OpenCommPort());
    sched.advance(classComm::kLossSettleMs);
    EXPECT_FALSE(port->LossTold());
    dialogs.expectBox("Lost Com Port 1");
    device.fire(commEventDeviceLost);
    EXPECT_EQ(dialogs.boxes.size(), 2u);
    port->DeRegisterForAll(&a);
    port->DeRegisterForAll(&b);
    EXPECT_FALSE(port->OpenWanted());
}

// A port that was never lost still says at each failed open why it could not open.
TEST_F(PortOpen, FailedOpensWithoutALossAreEachReported) {
    device.refuseOpen = true;
    for (int i = 0; i < 2; ++i) {
        dialogs.expectBox("Could Not Open Com Port 1\r\nNo such file or directory");
        EXPECT_FALSE(port->OpenCommPort());
    }
}

}  // namespace
}  // namespace k45::test
