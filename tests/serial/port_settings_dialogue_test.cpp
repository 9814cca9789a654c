// The Port Settings dialogue without a window: what it shows of the port objects, the refusal of
// equal port numbers, the question before an open port leaves its device, OK's close, apply and
// reopen, and the device map it writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "serial/port_fixture.h"
#include "serial/port_settings_dialogue.h"
#include "support/port_pair.h"
#include "support/temp_home.h"

namespace k45::test {
namespace {

// A device that knows which file it has open, as the real one does; given the map's file, it
// opens what the map names for its number at that moment.
class NamedDevice : public ScriptedDevice {
public:
    using ScriptedDevice::ScriptedDevice;
    std::string name;
    std::string mapFile;
    std::string deviceName() const override { return name; }
    bool open(std::string* error) override {
        if (!mapFile.empty()) name = MappedPortDevice(mapFile, portNumber());
        return ScriptedDevice::open(error);
    }
};

// What the window was told, last value of each kind.
struct RecordingView : PortSettingsView {
    std::vector<std::string> baudRates, dataBits;
    std::optional<bool> engineering;
    std::optional<PortSettingsChoice> choice;
    std::optional<bool> dcdTimeoutEnabled;
    std::array<std::string, 2> device, status;
    std::array<bool, 2> deviceAvailable{};
    std::vector<std::string> column;
    std::string mapNote;
    int closes = 0;

    void ShowMode(const std::vector<std::string>& b, const std::vector<std::string>& d, bool eng) override {
        baudRates = b;
        dataBits = d;
        engineering = eng;
    }
    void ShowChoice(const PortSettingsChoice& c) override { choice = c; }
    void EnableDcdTimeout(bool on) override { dcdTimeoutEnabled = on; }
    void ShowDevice(int side, const std::string& d, bool available) override {
        device.at(static_cast<size_t>(side)) = d;
        deviceAvailable.at(static_cast<size_t>(side)) = available;
    }
    void ShowDeviceStatus(int side, const std::string& s) override { status.at(static_cast<size_t>(side)) = s; }
    void ShowDeviceColumn(const std::vector<std::string>& texts) override { column = texts; }
    void ShowDeviceMapNote(const std::string& text) override { mapNote = text; }
    void CloseWindow() override { ++closes; }
};

struct NoCalls : CommForm {};

// Primary: forced open on Com1 at 9600 8N1 mode 7, on /dev/pts/7. Secondary: closed on Com2,
// 19200 7E2, DTR, mode 3, its own advanced settings.
struct PortSettingsDialogueTest : ::testing::Test {
    TempHome home;
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppState app;
    NamedDevice devPrimary{sched}, devSecondary{sched};
    PortPair pair{app, sched, dialogs, devPrimary, devSecondary, PortPair::Timers::None};
    std::unique_ptr<classComm>& primary = pair.primary;
    std::unique_ptr<classComm>& secondary = pair.secondary;
    classComm* primarySlot = nullptr;
    classComm* secondarySlot = nullptr;
    RecordingView view;
    std::unique_ptr<PortSettingsDialogue> dialogue;
    // The file system as the dialogue sees it: the devices named here are in the state given,
    // all others missing.
    std::map<std::string, PortDeviceState> devices = {
        {"/dev/pts/7", PortDeviceState::Present},
        {"/dev/ttyS1", PortDeviceState::Present},
        {"/dev/ttyUSB0", PortDeviceState::Present},
        {"/dev/ttyUSB3", PortDeviceState::NoPermission},
        {"/tmp/notes.txt", PortDeviceState::NotADevice},
    };

    PortSettingsDialogueTest() {
        app.places.programFolder = home.path();
        app.scheduler = &sched;
        app.dialogs = &dialogs;
        devPrimary.name = "/dev/pts/7";
        devSecondary.name = "/dev/ttyS1";
        CommSettings comm = secondary->settings();
        comm.portSettings = {.baudRate = 19200, .parity = 'e', .dataBits = 7, .stopBits = 2};
        comm.dtrEnabled = true;
        comm.txModeValue = 3;
        comm.syncChar = 0x55;
        comm.dcdTimeoutTime = 9;
        secondary->setSettings(comm);
        primary->ForceCommPortOpen(7, {.baudRate = 9600});
        primarySlot = primary.get();
        secondarySlot = secondary.get();
        dialogue = std::make_unique<PortSettingsDialogue>(
            PortSettingsLinks{app, app.places, app, primarySlot, secondarySlot}, view);
        dialogue->checkDevice = [this](const std::string& path) {
            const auto it = devices.find(path);
            return it == devices.end() ? PortDeviceState::Missing : it->second;
        };
    }
    ~PortSettingsDialogueTest() override { dialogs.verify(); }

    void change(classComm& port, const std::function<void(CommSettings&)>& edit) {
        CommSettings comm = port.settings();
        edit(comm);
        port.setSettings(comm);
    }
    std::string mapEntry(int n) { return ProfileRead(home.file("K45MR.ini"), "Com Port Devices", "Com" + std::to_string(n), ""); }
};

// ---- What a load shows

TEST_F(PortSettingsDialogueTest, LoadShowsEachSettingAtItsEntryAndAValueWithoutOneAtTheLast) {
    const struct {
        bool engineering;
        std::int32_t baud;
        std::int16_t dataBits;
        char parity;
        int baudShown, bitsShown, parityShown;
    } cases[] = {
        {false, 9600, 8, 'n', 3, 0, 0},
        {false, 57600, 6, 'O', 6, 1, 1},  // engineering entries: the last field entry ("1200", "7")
        {true, 57600, 6, 'E', 1, 2, 2},
        {true, 600, 3, 'm', 11, 4, 2},    // no entry: the last ("110", "4", "Even")
        {true, 0, 0, '\0', 11, 4, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.baud) + " " + std::to_string(c.dataBits) + " " + c.parity);
        app.engineerMode = c.engineering;
        change(*primary, [&](CommSettings& s) {
            s.portSettings.baudRate = c.baud;
            s.portSettings.dataBits = c.dataBits;
            s.portSettings.parity = c.parity;
        });
        dialogue->Load();
        ASSERT_TRUE(view.choice);
        const PortSideChoice& shown = view.choice->side[0];
        EXPECT_EQ(shown[PortList::BaudRate], c.baudShown);
        EXPECT_EQ(shown[PortList::DataBits], c.bitsShown);
        EXPECT_EQ(shown[PortList::Parity], c.parityShown);
        EXPECT_EQ(view.baudRates, PortListEntries(PortList::BaudRate, c.engineering));
        EXPECT_EQ(view.engineering, c.engineering);
        EXPECT_EQ(*view.choice, dialogue->choice());
    }
    EXPECT_EQ(PortListEntries(PortList::BaudRate, false),
              (std::vector<std::string>{"115200", "38400", "19200", "9600", "4800", "2400", "1200"}));
    EXPECT_EQ(PortListEntries(PortList::BaudRate, true).size(), 12u);
    EXPECT_EQ(PortListEntries(PortList::DataBits, false), (std::vector<std::string>{"8", "7"}));
    EXPECT_EQ(PortListEntries(PortList::DataBits, true), (std::vector<std::string>{"8", "7", "6", "5", "4"}));
}

// Port numbers, stop bits and modes that have no entry (a settings file can hold them) show no
// selection, and OK keeps them.
TEST_F(PortSettingsDialogueTest, ValuesWithoutAPositionShowNoneAndOkKeepsThem) {
    change(*secondary, [](CommSettings& s) {
        s.portNumber = 40;
        s.portSettings.stopBits = 3;
        s.txModeValue = 9;
    });
    dialogue->Load();
    const PortSideChoice& shown = dialogue->choice().side[1];
    EXPECT_EQ(shown[PortList::PortNum], -1);
    EXPECT_EQ(shown[PortList::StopBits], -1);
    EXPECT_EQ(shown[PortList::TxMode], -1);
    EXPECT_EQ(view.device[1], "");
    EXPECT_FALSE(view.deviceAvailable[1]);
    dialogue->Select(1, PortList::BaudRate, 4);  // "4800"
    dialogue->OK();
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(secondary->settings().portNumber, 40);
    EXPECT_EQ(secondary->settings().portSettings.stopBits, 3);
    EXPECT_EQ(secondary->settings().txModeValue, 9);
    EXPECT_EQ(secondary->settings().portSettings.baudRate, 4800);
}

// The advanced settings shown are the primary's, as their boxes hold them; the DCD time-out is
// available only in engineering mode and while DCD is not ignored.
TEST_F(PortSettingsDialogueTest, AdvancedSettingsAreThePrimarysAndTheDcdTimeoutFollowsTheCheck) {
    change(*primary, [](CommSettings& s) {
        s.ignoreDCD = false;
        s.dcdTimeoutTime = 0.01;   // below the box's range
        s.ctsTimeoutTime = 1.234;  // the box keeps two decimals
        s.syncChar = 0x7E;
        s.escChar = 300;
        s.dmpBaudRate = 38400;
    });
    for (bool eng : {false, true}) {
        SCOPED_TRACE(eng);
        app.engineerMode = eng;
        dialogue->Load();
        const AdvancedPortChoice& a = dialogue->choice().advanced;
        EXPECT_FALSE(a.ignoreDCD);
        EXPECT_EQ(a.dcdTimeoutTime, 0.05);
        EXPECT_EQ(a.ctsTimeoutTime, 1.23);
        EXPECT_EQ(a.syncChar, 0x7E);
        EXPECT_EQ(a.escChar, 255);
        EXPECT_EQ(DmpBaudEntries().at(static_cast<size_t>(a.dmpBaudPosition)), "38400");
        EXPECT_EQ(view.dcdTimeoutEnabled, eng);
        dialogue->IgnoreDcdTicked(true);
        EXPECT_EQ(view.dcdTimeoutEnabled, false);
        dialogue->IgnoreDcdTicked(false);
        EXPECT_EQ(view.dcdTimeoutEnabled, eng);
    }
}

// ---- Equal port numbers

TEST_F(PortSettingsDialogueTest, EqualPortNumbersAreRefusedAndNothingChanges) {
    const struct {
        const char* what;
        int primaryPosition, secondaryPosition;
    } cases[] = {
        {"both Com2", 1, 1},
        {"the primary list without a choice keeps Com1, which the secondary takes", -1, 0},
        {"the secondary list without a choice keeps Com2, which the primary takes", 1, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dialogue->Load();
        dialogue->Select(0, PortList::PortNum, c.primaryPosition);
        dialogue->Select(1, PortList::PortNum, c.secondaryPosition);
        dialogue->Select(0, PortList::BaudRate, 6);           // "1200"
        dialogue->DeviceEdited(1, "/dev/ttyUSB0");
        dialogs.expectBox("Primary and Secondary Com Ports must be different!");
        dialogue->OK();
        ASSERT_FALSE(dialogs.boxes.empty());
        EXPECT_EQ(dialogs.boxes.back().text, "Primary and Secondary Com Ports must be different!");
        EXPECT_EQ(dialogs.boxes.back().title, "Port Number Error");
        EXPECT_EQ(dialogs.boxes.back().buttons, MsgButtons::OK);
        EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Exclamation);
        EXPECT_EQ(view.closes, 0);
        EXPECT_EQ(primary->settings().portNumber, 1);
        EXPECT_EQ(secondary->settings().portNumber, 2);
        EXPECT_EQ(primary->settings().portSettings.baudRate, 9600);
        EXPECT_TRUE(primary->GetCommPortOpen());
        EXPECT_EQ(devPrimary.closes, 0);
        EXPECT_FALSE(home.exists("K45MR.ini"));
    }
}

// ---- OK: close, apply, reopen

TEST_F(PortSettingsDialogueTest, OkStoresTheChoiceInBothPortsAndReopensOnlyTheOpenOne) {
    app.engineerMode = true;
    dialogue->Load();
    dialogue->Select(0, PortList::PortNum, 2);    // Com3
    dialogue->Select(0, PortList::BaudRate, 4);   // "19200"
    dialogue->Select(0, PortList::DataBits, 3);   // "5"
    dialogue->Select(0, PortList::Parity, 1);     // "Odd"
    dialogue->Select(0, PortList::StopBits, 1);   // "2"
    dialogue->Select(0, PortList::DtrEnable, 1);  // "Yes"
    dialogue->Select(0, PortList::TxMode, 5);
    dialogue->IgnoreDcdTicked(false);
    dialogue->SetDcdTimeout(2.5);
    dialogue->SetCtsTimeout(0.75);
    dialogue->SetSyncChar(0x7E);
    dialogue->SetEscChar(0x1B);
    dialogue->SelectDmpBaud(0);  // "110"
    dialogue->OK();

    EXPECT_EQ(view.closes, 1);
    const CommSettings& p = primary->settings();
    EXPECT_EQ(p.portNumber, 3);
    EXPECT_EQ(p.portSettings, (PortSettings{.baudRate = 19200, .parity = 'O', .dataBits = 5, .stopBits = 2}));
    EXPECT_TRUE(p.dtrEnabled);
    EXPECT_EQ(p.txModeValue, 5);
    // Both objects hold the advanced settings, though the secondary's differed.
    for (const classComm* port : {primary.get(), secondary.get()}) {
        const CommSettings& s = port->settings();
        EXPECT_FALSE(s.ignoreDCD);
        EXPECT_EQ(s.dcdTimeoutTime, 2.5);
        EXPECT_EQ(s.ctsTimeoutTime, 0.75);
        EXPECT_EQ(s.syncChar, 0x7E);
        EXPECT_EQ(s.escChar, 0x1B);
        EXPECT_EQ(s.dmpBaudRate, 110);
    }
    // The secondary's own settings are as shown: its parity stored as the entry's letter.
    EXPECT_EQ(secondary->settings().portSettings,
              (PortSettings{.baudRate = 19200, .parity = 'E', .dataBits = 7, .stopBits = 2}));
    // The forced primary was closed and opened again on its new number with its forced settings;
    // the closed secondary stays closed.
    EXPECT_EQ(devPrimary.closes, 1);
    EXPECT_EQ(devPrimary.opens, 2);
    EXPECT_TRUE(primary->GetCommPortOpen());
    EXPECT_EQ(devPrimary.portNumber(), 3);
    EXPECT_EQ(devPrimary.settingsText(), "9600,n,8,1");
    EXPECT_EQ(devSecondary.opens, 0);
    EXPECT_FALSE(secondary->GetCommPortOpen());
}

// A port a window uses whose open failed opens with what OK chose.
TEST_F(PortSettingsDialogueTest, APortThatShouldBeOpenButIsNotOpensAtOk) {
    NoCalls terminal;
    ASSERT_TRUE(secondary->RegisterForRxCrLf(&terminal));
    devSecondary.refuseOpen = true;
    dialogs.expectBox("Could Not Open Com Port 2");
    secondary->ResetPort();
    ASSERT_FALSE(secondary->GetCommPortOpen());
    ASSERT_TRUE(secondary->OpenWanted());
    dialogue->Load();
    EXPECT_EQ(view.status[1], "The device is present; OK opens the port on it.");
    devSecondary.refuseOpen = false;
    dialogue->Select(1, PortList::BaudRate, 3);  // "9600"
    dialogue->OK();
    EXPECT_TRUE(secondary->GetCommPortOpen());
    EXPECT_EQ(devSecondary.settingsText(), "9600,E,7,2");
    secondary->DeRegisterForAll(&terminal);
}

TEST_F(PortSettingsDialogueTest, SwapExchangesTheSelectionsOnlyAndOkAppliesThem) {
    dialogue->Load();
    const PortSettingsChoice before = dialogue->choice();
    dialogue->Swap();
    EXPECT_EQ(dialogue->choice().side[0], before.side[1]);
    EXPECT_EQ(dialogue->choice().side[1], before.side[0]);
    EXPECT_EQ(dialogue->choice().advanced, before.advanced);
    EXPECT_EQ(view.choice, dialogue->choice());
    // Each side shows the device of its new number.
    EXPECT_EQ(view.device[0], "/dev/ttyS1");
    EXPECT_EQ(view.device[1], "/dev/pts/7");
    EXPECT_EQ(view.status[1], "Open now on this device.");
    EXPECT_EQ(primary->settings().portNumber, 1);  // nothing applied before OK

    dialogue->OK();
    EXPECT_EQ(primary->settings().portNumber, 2);
    EXPECT_EQ(primary->settings().portSettings,
              (PortSettings{.baudRate = 19200, .parity = 'E', .dataBits = 7, .stopBits = 2}));
    EXPECT_TRUE(primary->settings().dtrEnabled);
    EXPECT_EQ(primary->settings().txModeValue, 3);
    EXPECT_EQ(secondary->settings().portNumber, 1);
    EXPECT_EQ(secondary->settings().portSettings, (PortSettings{.baudRate = 9600, .parity = 'N'}));
    EXPECT_FALSE(secondary->settings().dtrEnabled);
    EXPECT_EQ(secondary->settings().txModeValue, 1);
    EXPECT_EQ(secondary->settings().syncChar, 186);  // the primary's, shared
    EXPECT_EQ(secondary->settings().dcdTimeoutTime, 1.5);
}

TEST_F(PortSettingsDialogueTest, CancelClosesAndAppliesNothing) {
    dialogue->Load();
    dialogue->Swap();
    dialogue->DeviceEdited(0, "/dev/ttyUSB0");
    dialogue->Cancel();
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(primary->settings().portNumber, 1);
    EXPECT_EQ(secondary->settings().portSettings.baudRate, 19200);
    EXPECT_EQ(devPrimary.closes, 0);
    EXPECT_FALSE(home.exists("K45MR.ini"));
}

// ---- The device check and its question

TEST_F(PortSettingsDialogueTest, ADeviceThatCannotBeOpenedForAnOpenPortIsAskedAbout) {
    const struct {
        const char* device;
        const char* reason;
    } cases[] = {
        {"/dev/ttyUSB9", "was not found"},
        {"/dev/ttyUSB3", "may not be opened by this user"},
        {"/tmp/notes.txt", "is not a serial device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        const std::string question = "Com1 is open on /dev/pts/7.\r\nThe device " + std::string(c.device) + " " +
                                     c.reason +
                                     ".\r\n\r\nUse it for Com1 anyway? The port closes and stays closed until the "
                                     "device can be opened.";
        // No: the port stays open on its device, nothing is stored, the window stays.
        dialogue->Load();
        dialogue->DeviceEdited(0, c.device);
        dialogue->Select(0, PortList::BaudRate, 2);  // "19200"
        dialogs.expectBox(question, MsgAnswer::No);
        dialogue->OK();
        EXPECT_EQ(dialogs.boxes.back().text, question);
        EXPECT_EQ(dialogs.boxes.back().title, "Port Settings");
        EXPECT_EQ(dialogs.boxes.back().buttons, MsgButtons::YesNo);
        EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Question);
        EXPECT_EQ(view.closes, 0);
        EXPECT_TRUE(primary->GetCommPortOpen());
        EXPECT_EQ(devPrimary.closes, 0);
        EXPECT_EQ(primary->settings().portSettings.baudRate, 9600);
        EXPECT_FALSE(home.exists("K45MR.ini"));
    }
    // Yes: stored, and the port reopens (here the scripted device opens whatever is named).
    dialogs.expectBox("Com1 is open on /dev/pts/7.", MsgAnswer::Yes);
    dialogue->OK();
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(mapEntry(1), "/tmp/notes.txt");
    EXPECT_EQ(primary->settings().portSettings.baudRate, 19200);
    EXPECT_EQ(devPrimary.closes, 1);
}

// Only a new device for an open port's own number is asked about.
TEST_F(PortSettingsDialogueTest, NoQuestionForAGoodDeviceAClosedPortOrAMoveToAnotherNumber) {
    const struct {
        const char* what;
        int side;
        int portPosition;  // -1: keep
        const char* device;
    } cases[] = {
        {"a present device for the open port", 0, -1, "/dev/ttyUSB0"},
        {"a missing device for the closed port", 1, -1, "/dev/ttyUSB9"},
        {"the open port moved to a number whose device is missing, from one given a missing device", 0, 4,
         "/dev/ttyUSB9"},
    };
    int expectedCloses = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dialogue->Load();
        if (c.portPosition >= 0) {
            dialogue->DeviceEdited(c.side, c.device);
            dialogue->Select(c.side, PortList::PortNum, c.portPosition);
        }
        dialogue->DeviceEdited(c.side, c.device);
        dialogue->OK();
        EXPECT_TRUE(dialogs.boxes.empty());
        EXPECT_EQ(view.closes, ++expectedCloses);
    }
    EXPECT_EQ(mapEntry(5), "/dev/ttyUSB9");
}

// What the status line says of the chosen device, and beside each number the device it opens.
TEST_F(PortSettingsDialogueTest, TheStatusAndTheDeviceColumnTellWhatEachNumberOpens) {
    home.write("K45MR.ini", "[Com Port Devices]\r\nCom1=/dev/ttyUSB5\r\nCom3=/dev/ttyUSB3\r\n");
    dialogue->Load();
    // The open port's device, though the map now names another.
    ASSERT_EQ(view.column.size(), 32u);
    EXPECT_EQ(view.column[0], "/dev/pts/7  (open)");
    EXPECT_EQ(view.column[1], "/dev/ttyS1");
    EXPECT_EQ(view.column[2], "/dev/ttyUSB3");
    EXPECT_EQ(view.column[31], "/dev/ttyS31");
    EXPECT_EQ(view.mapNote, "The port devices of every mode are kept in [Com Port Devices] of\n" +
                                home.file("K45MR.ini"));
    const struct {
        int side;
        const char* typed;
        const char* status;
    } cases[] = {
        {0, "/dev/pts/7", "Open now on this device."},
        {0, "/dev/ttyUSB0", "Open now on /dev/pts/7; OK reopens the port on this device."},
        {0, "/dev/ttyUSB9", "The device was not found. Open now on /dev/pts/7; OK asks before it leaves that device."},
        {0, "/dev/ttyUSB3",
         "The device is there, but this user may not open it. Open now on /dev/pts/7; OK asks before it leaves that "
         "device."},
        {1, "/dev/ttyUSB0", "The device is present."},
        {1, "/dev/ttyUSB9", "The device was not found."},
        {1, "/dev/ttyUSB3", "The device is there, but this user may not open it."},
        {1, "/tmp/notes.txt", "This path is not a serial device."},
        {1, "   ", "The device is present."},  // blank: the number's own default, /dev/ttyS1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        dialogue->DeviceEdited(c.side, c.typed);
        EXPECT_EQ(view.status[static_cast<size_t>(c.side)], c.status);
        EXPECT_EQ(dialogue->DeviceStatus(c.side), c.status);
    }
    EXPECT_EQ(dialogue->DeviceOf(2), "/dev/ttyS1");
    EXPECT_EQ(view.column[1], "/dev/ttyS1");

    // A number chosen on the other side shows its device, and follows an edit there.
    dialogue->DeviceEdited(0, "/dev/pts/7");
    dialogue->Select(1, PortList::PortNum, 0);
    EXPECT_EQ(view.device[1], "/dev/pts/7");
    EXPECT_EQ(view.status[1], "Open now on this device.");
    dialogue->DeviceEdited(0, "/dev/ttyUSB0");
    EXPECT_EQ(view.device[1], "/dev/ttyUSB0");
    EXPECT_EQ(view.column[0], "/dev/ttyUSB0  (open)");
    // Another number keeps its own device.
    dialogue->Select(0, PortList::PortNum, 2);
    EXPECT_EQ(view.device[0], "/dev/ttyUSB3");
    EXPECT_TRUE(view.deviceAvailable[0]);
}

// ---- The device map

TEST_F(PortSettingsDialogueTest, OkWritesOnlyTheDevicesThatChanged) {
    home.write("K45MR.ini", "[Main Window]\r\nLeft=15\r\n[Com Port Devices]\r\nCom1=/dev/ttyUSB5\r\nCom3=/dev/ttyUSB3\r\n");
    dialogue->Load();
    dialogue->DeviceEdited(1, "/dev/ttyUSB1");
    dialogue->Select(0, PortList::PortNum, 5);  // Com6: blank is its default, as the map has it
    dialogue->DeviceEdited(0, " ");
    dialogue->Select(0, PortList::PortNum, 2);  // Com3: blank moves it back to its default
    dialogue->DeviceEdited(0, "");
    dialogue->Select(0, PortList::PortNum, 0);
    dialogue->OK();
    EXPECT_EQ(view.closes, 1);
    EXPECT_EQ(mapEntry(2), "/dev/ttyUSB1");
    EXPECT_EQ(mapEntry(3), "/dev/ttyS2");
    EXPECT_EQ(mapEntry(6), "");
    EXPECT_EQ(mapEntry(4), "");
    // Com1 shows the device the open port has, which OK keeps, though the map named another.
    EXPECT_EQ(mapEntry(1), "/dev/pts/7");
    EXPECT_EQ(ProfileRead(home.file("K45MR.ini"), "Main Window", "Left", ""), "15");
}

// A new device for an open port is in the map before the port opens again, so the port opens
// on it and nothing more goes to the old one.
TEST_F(PortSettingsDialogueTest, APortWhoseDeviceChangedReopensOnTheNewDevice) {
    devPrimary.mapFile = home.file("K45MR.ini");
    dialogue->Load();
    dialogue->DeviceEdited(0, "/dev/ttyUSB0");
    dialogue->OK();
    EXPECT_TRUE(primary->GetCommPortOpen());
    EXPECT_EQ(primary->GetOpenDevice(), "/dev/ttyUSB0");
    EXPECT_EQ(devPrimary.closes, 1);
}

// A map that cannot be written is reported; the settings are applied and the ports reopened all
// the same.
TEST_F(PortSettingsDialogueTest, AMapThatCannotBeWrittenIsReported) {
    std::filesystem::create_directory(home.file("K45MR.ini"));
    dialogue->Load();
    dialogue->DeviceEdited(1, "/dev/ttyUSB1");
    dialogue->Select(1, PortList::BaudRate, 4);  // "4800"
    dialogs.expectBox("Could not save the devices of the ports in " + home.file("K45MR.ini") + "\r\n");
    dialogue->OK();
    EXPECT_EQ(dialogs.boxes.back().title, "Port Settings");
    EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Exclamation);
    EXPECT_GT(dialogs.boxes.back().text.size(),
              ("Could not save the devices of the ports in " + home.file("K45MR.ini") + "\r\n").size());
    EXPECT_EQ(secondary->settings().portSettings.baudRate, 4800);
    EXPECT_TRUE(primary->GetCommPortOpen());
    EXPECT_EQ(view.closes, 1);
}

// Start-up fills the port slots after the window exists: the dialogue reads them at each use.
TEST_F(PortSettingsDialogueTest, ThePortSlotsAreReadAtEachUse) {
    classComm* emptyPrimary = nullptr;
    classComm* emptySecondary = nullptr;
    PortSettingsDialogue early(PortSettingsLinks{app, app.places, app, emptyPrimary, emptySecondary}, view);
    early.OK();  // no ports yet: nothing to do
    EXPECT_EQ(view.closes, 0);
    emptyPrimary = primary.get();
    emptySecondary = secondary.get();
    early.Load();
    EXPECT_EQ(early.choice().side[1][PortList::BaudRate], 2);  // "19200"
    early.Select(1, PortList::BaudRate, 4);
    early.OK();
    EXPECT_EQ(secondary->settings().portSettings.baudRate, 4800);
}

}  // namespace
}  // namespace k45::test
