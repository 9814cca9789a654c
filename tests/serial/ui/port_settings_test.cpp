// Port Settings window scenarios on the offscreen platform.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <cstdlib>

#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "platform/profile.h"
#include "serial/port_fixture.h"
#include "serial/ui/port_settings_window.h"
#include "support/fake_window_services.h"
#include "support/port_pair.h"
#include "support/temp_home.h"

namespace k45::test {
namespace {

QStringList Entries(QComboBox* c) {
    QStringList l;
    for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
    return l;
}

struct PortSettingsWindow : ::testing::Test {
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppContext ctx;
    FakeMainFrame mainFrame;
    ScriptedDevice devPrimary{sched}, devSecondary{sched};
    PortPair pair{ctx.state, sched, dialogs, devPrimary, devSecondary, PortPair::Timers::None};
    std::unique_ptr<classComm>& primary = pair.primary;
    std::unique_ptr<classComm>& secondary = pair.secondary;
    std::unique_ptr<formPortSettings> win;
    TempHome home;  // the program folder: its settings file holds the device map

    PortSettingsWindow() {
        ctx.state.places.programFolder = home.path();
        ctx.state.scheduler = &sched;
        ctx.state.dialogs = &dialogs;
        ctx.mainFrame = &mainFrame;
        pair.fill(ctx.ports);
        // Secondary: a different configuration and different advanced settings.
        CommSettings comm = secondary->settings();
        comm.portSettings.baudRate = 19200;
        comm.portSettings.dataBits = 7;
        comm.portSettings.parity = 'e';
        comm.portSettings.stopBits = 2;
        comm.dtrEnabled = true;
        comm.txModeValue = 3;
        comm.syncChar = 0x55;
        comm.dcdTimeoutTime = 9;
        secondary->setSettings(comm);
        primary->ForceCommPortOpen(7, {.baudRate = 9600});
    }
    ~PortSettingsWindow() override { dialogs.verify(); }

    // The device check the window uses, when a test puts its own.
    std::function<PortDeviceState(const std::string&)> check;

    void open() {
        win = std::make_unique<formPortSettings>(ctx);
        if (check) win->dialogue().checkDevice = check;
        win->show();
        ASSERT_TRUE(win->loaded());
    }
};

// A device that knows which file it has open, as the real one does.
class NamedDevice : public ScriptedDevice {
public:
    using ScriptedDevice::ScriptedDevice;
    std::string name;
    std::string deviceName() const override { return name; }
};

QString Plain(const QString& text) { return QString(text).remove(QChar(0x200B)); }

// Beside each port number the device it opens; for the number of an open port, the device it
// has open, even when the map was changed behind its back since.
TEST_F(PortSettingsWindow, ShowsBesideEachNumberTheDeviceItOpensAndForAnOpenPortTheOneInUse) {
    NamedDevice named{sched};
    named.name = "/dev/pts/7";
    primary->InitCommCtrl(&named, 0, 1, nullptr);
    primary->ForceCommPortOpen(7, {.baudRate = 9600});
    ASSERT_EQ(primary->GetOpenDevice(), "/dev/pts/7");
    std::filesystem::create_symlink("/dev/null", home.file("adapter"));  // a character device
    home.write("K45MR.ini", "[Com Port Devices]\r\nCom1=/dev/ttyUSB5\r\nCom3=" + home.file("adapter") +
                                "\r\nCom4=" + home.file("gone") + "\r\n");
    open();
    auto beside = [&](int n) {
        return win->side[0].comboPortNum->model()->index(n - 1, 1).data().toString().toStdString();
    };
    EXPECT_EQ(win->side[0].comboPortNum->currentText(), "Com1");
    EXPECT_EQ(beside(1), "/dev/pts/7  (open)");
    EXPECT_EQ(beside(2), "/dev/ttyS1");
    EXPECT_EQ(beside(3), home.file("adapter"));
    EXPECT_EQ(beside(32), "/dev/ttyS31");
    EXPECT_EQ(win->side[0].comboDevice->currentText(), "/dev/pts/7");
    EXPECT_EQ(win->side[0].labelDevice->text(), "Open now on this device.");
    EXPECT_EQ(win->side[1].comboDevice->currentText(), "/dev/ttyS1");
    EXPECT_EQ(Plain(win->labelDeviceMap->text()).toStdString(),
              "The port devices of every mode are kept in [Com Port Devices] of\n" +
                  home.file("K45MR.ini"));

    const struct {
        int index;
        std::string device;
        const char* status;
    } cases[] = {
        {2, home.file("adapter"), "The device is present."},
        {3, home.file("gone"), "The device was not found."},
        {0, "/dev/pts/7", "Open now on this device."},
    };
    for (const auto& c : cases) {
        win->side[0].comboPortNum->setCurrentIndex(c.index);
        EXPECT_EQ(win->side[0].comboDevice->currentText().toStdString(), c.device) << c.index;
        EXPECT_EQ(win->side[0].labelDevice->text(), c.status) << c.index;
    }
    // A new choice for the open port's number says that OK moves the port.
    win->side[0].comboDevice->setEditText(QString::fromStdString(home.file("adapter")));
    EXPECT_EQ(Plain(win->side[0].labelDevice->text()), "Open now on /dev/pts/7; OK reopens the port on this device.");
    EXPECT_EQ(beside(1), home.file("adapter") + "  (open)");
    win->buttonCancel->click();
    primary->InitCommCtrl(&devPrimary, 0, 1, nullptr);
}

// The device box offers the devices present, their stable names first, and takes any path.
TEST_F(PortSettingsWindow, TheDeviceBoxOffersThePresentDevicesAndTakesAnyPath) {
    open();
    int lookups = 0;
    win->listDevices = [&] {
        ++lookups;
        PresentSerialDevice usb;
        usb.systemLocation = "/dev/ttyUSB0";
        usb.stableLink = "/dev/serial/by-id/usb-FTDI_FT232R_A12345-if00-port0";
        usb.description = "FT232R USB UART";
        usb.manufacturer = "FTDI";
        usb.serialNumber = "A12345";
        PresentSerialDevice acm;
        acm.systemLocation = "/dev/ttyACM0";
        return std::vector<PresentSerialDevice>{usb, acm};
    };
    QComboBox* box = win->side[1].comboDevice;
    box->showPopup();  // the list is made when it opens: the devices present now
    box->hidePopup();
    EXPECT_EQ(lookups, 1);
    const QAbstractItemModel* m = box->model();
    ASSERT_EQ(m->rowCount(), 3);
    const std::pair<QString, QString> rows[] = {
        {"/dev/serial/by-id/usb-FTDI_FT232R_A12345-if00-port0",
         "stable name of /dev/ttyUSB0: FT232R USB UART, FTDI, serial A12345"},
        {"/dev/ttyUSB0", "FT232R USB UART, FTDI, serial A12345"},
        {"/dev/ttyACM0", "serial device"},
    };
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(m->index(r, 0).data().toString(), rows[r].first) << r;
        EXPECT_EQ(m->index(r, 1).data().toString(), rows[r].second) << r;
    }
    // Opening the list keeps what the box shows.
    EXPECT_EQ(box->currentText(), "/dev/ttyS1");

    box->setCurrentIndex(0);  // chosen from the list: the stable name
    EXPECT_EQ(win->side[1].comboPortNum->model()->index(1, 1).data().toString(), rows[0].first);
    box->setEditText("/tmp/k45-bench/com2");  // typed: a link or a pseudo-terminal
    EXPECT_EQ(win->side[0].comboPortNum->model()->index(1, 1).data().toString(), "/tmp/k45-bench/com2");
    // Another number keeps its own device; coming back shows the one chosen.
    win->side[1].comboPortNum->setCurrentIndex(4);
    EXPECT_EQ(box->currentText(), "/dev/ttyS4");
    win->side[1].comboPortNum->setCurrentIndex(1);
    EXPECT_EQ(box->currentText(), "/tmp/k45-bench/com2");
    win->buttonCancel->click();
}

// OK stores the changed devices in the map (the rest of the file stays); Cancel stores nothing.
TEST_F(PortSettingsWindow, OkStoresTheChosenDevicesAndCancelNothing) {
    const std::string before = "[Main Window]\r\nLeft=15\r\n";
    home.write("K45MR.ini", before);
    open();
    win->side[1].comboDevice->setEditText("/dev/ttyUSB1");
    win->buttonCancel->click();
    EXPECT_EQ(home.read("K45MR.ini"), before);

    open();
    EXPECT_EQ(win->side[1].comboDevice->currentText(), "/dev/ttyS1");
    win->side[1].comboDevice->setEditText("/dev/ttyUSB1");
    win->side[0].comboPortNum->setCurrentIndex(5);  // Com6
    win->side[0].comboDevice->setEditText("  ");    // blank: the default device
    win->side[0].comboPortNum->setCurrentIndex(0);
    win->buttonOK->click();
    EXPECT_EQ(home.read("K45MR.ini"), before + "[Com Port Devices]\r\nCom2=/dev/ttyUSB1\r\n");
    EXPECT_EQ(devPrimary.closes, 1);  // the open primary port was reopened
    EXPECT_TRUE(primary->GetCommPortOpen());

    open();
    EXPECT_EQ(win->side[1].comboDevice->currentText(), "/dev/ttyUSB1");
    win->buttonCancel->click();
}

// A map that cannot be written is reported; the other settings are applied all the same.
TEST_F(PortSettingsWindow, AMapThatCannotBeWrittenIsReported) {
    std::filesystem::create_directory(home.file("K45MR.ini"));
    open();
    win->side[1].comboDevice->setEditText("/dev/ttyUSB1");
    win->side[1].comboBaudRate->setCurrentText("4800");
    dialogs.expectBox("Could not save the devices of the ports in " + home.file("K45MR.ini"));
    win->buttonOK->click();
    EXPECT_EQ(dialogs.boxes.back().title, "Port Settings");
    EXPECT_EQ(secondary->settings().portSettings.baudRate, 4800);
    EXPECT_FALSE(win->loaded());
}

TEST_F(PortSettingsWindow, EqualPortNumbersAreRefusedAndNothingChanges) {
    open();
    win->side[0].comboPortNum->setCurrentIndex(1);  // Com2, as the secondary
    win->side[0].comboBaudRate->setCurrentText("1200");
    dialogs.expectBox("Primary and Secondary Com Ports must be different!");
    win->buttonOK->click();
    EXPECT_EQ(dialogs.boxes.back().title, "Port Number Error");
    EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Exclamation);
    EXPECT_TRUE(win->loaded());
    EXPECT_EQ(primary->settings().portNumber, 1);
    EXPECT_EQ(primary->settings().portSettings.baudRate, 9600);
    EXPECT_TRUE(primary->GetCommPortOpen());
    EXPECT_EQ(devPrimary.closes, 0);
}

TEST_F(PortSettingsWindow, SwapThenCancelChangesNothing) {
    open();
    win->buttonSwap->click();
    EXPECT_EQ(win->side[0].comboPortNum->currentText(), "Com2");
    EXPECT_EQ(win->side[0].comboBaudRate->currentText(), "19200");
    EXPECT_EQ(win->side[1].comboTxMode->currentIndex(), 1);
    win->buttonCancel->click();
    EXPECT_FALSE(win->loaded());
    EXPECT_EQ(primary->settings().portNumber, 1);
    EXPECT_EQ(secondary->settings().portNumber, 2);
    EXPECT_EQ(secondary->settings().portSettings.baudRate, 19200);
    EXPECT_EQ(devPrimary.closes, 0);
    EXPECT_EQ(mainFrame.displayComPorts, 1);
}

TEST_F(PortSettingsWindow, SwapThenOkExchangesThePortsAndSharesTheAdvancedSettings) {
    open();
    win->buttonSwap->click();
    win->buttonOK->click();
    EXPECT_FALSE(win->loaded());

    EXPECT_EQ(primary->settings().portNumber, 2);
    EXPECT_EQ(primary->settings().portSettings.baudRate, 19200);
    EXPECT_EQ(primary->settings().portSettings.dataBits, 7);
    EXPECT_EQ(primary->settings().portSettings.parity, 'E');  // stored as the entry's letter
    EXPECT_EQ(primary->settings().portSettings.stopBits, 2);
    EXPECT_TRUE(primary->settings().dtrEnabled);
    EXPECT_EQ(primary->settings().txModeValue, 3);
    EXPECT_EQ(secondary->settings().portNumber, 1);
    EXPECT_EQ(secondary->settings().portSettings.baudRate, 9600);
    EXPECT_EQ(secondary->settings().portSettings.parity, 'N');
    EXPECT_EQ(secondary->settings().txModeValue, 1);
    EXPECT_FALSE(secondary->settings().dtrEnabled);

    // The advanced settings shown were the primary's; both objects hold them now.
    EXPECT_EQ(secondary->settings().syncChar, 186);
    EXPECT_EQ(secondary->settings().dcdTimeoutTime, 1.5);
    EXPECT_EQ(primary->settings().syncChar, 186);

    // The forced primary reopens on its new number with its forced settings; the closed
    // secondary stays closed.
    EXPECT_TRUE(primary->GetCommPortOpen());
    EXPECT_EQ(devPrimary.portNumber(), 2);
    EXPECT_EQ(devPrimary.settingsText(), "9600,n,8,1");
    EXPECT_FALSE(secondary->GetCommPortOpen());
    EXPECT_EQ(mainFrame.displayComPorts, 1);
}

TEST_F(PortSettingsWindow, FieldModeListsAndValuesOutsideThem) {
    CommSettings comm = primary->settings();
    comm.portSettings.baudRate = 57600;
    comm.portSettings.dataBits = 6;
    primary->setSettings(comm);
    open();
    EXPECT_EQ(Entries(win->side[0].comboBaudRate),
              (QStringList{"115200", "38400", "19200", "9600", "4800", "2400", "1200"}));
    EXPECT_EQ(Entries(win->side[1].comboDataBits), (QStringList{"8", "7"}));
    EXPECT_EQ(win->side[0].comboBaudRate->currentText(), "1200");
    EXPECT_EQ(win->side[0].comboDataBits->currentText(), "7");
    EXPECT_FALSE(win->tabPortSettings->isTabEnabled(2));
    EXPECT_FALSE(win->checkIgnoreDCD->isEnabled());
    EXPECT_TRUE(win->buttonSwap->isVisible());
    win->buttonOK->click();
    EXPECT_EQ(primary->settings().portSettings.baudRate, 1200);
    EXPECT_EQ(primary->settings().portSettings.dataBits, 7);
}

TEST_F(PortSettingsWindow, EngineeringModeListsAndTheAdvancedTab) {
    ctx.state.engineerMode = true;
    CommSettings comm = primary->settings();
    comm.portSettings.baudRate = 600;  // not in the list: the last entry is shown
    comm.ignoreDCD = false;
    comm.dmpBaudRate = 38400;
    comm.txModeValue = 9;  // settings-file mode without an entry
    primary->setSettings(comm);
    open();
    EXPECT_EQ(Entries(win->side[0].comboBaudRate),
              (QStringList{"115200", "57600", "38400", "28800", "19200", "14400", "9600", "4800", "2400", "1200",
                           "300", "110"}));
    EXPECT_EQ(Entries(win->side[0].comboDataBits), (QStringList{"8", "7", "6", "5", "4"}));
    EXPECT_EQ(win->side[0].comboBaudRate->currentText(), "110");
    EXPECT_EQ(win->side[0].comboTxMode->currentIndex(), -1);
    EXPECT_EQ(win->comboDmpBaudrate->currentText(), "38400");

    win->tabPortSettings->setCurrentIndex(2);
    EXPECT_FALSE(win->buttonSwap->isVisible());
    EXPECT_TRUE(win->textDcdTimeout->isEnabled());
    win->checkIgnoreDCD->setChecked(true);
    EXPECT_FALSE(win->textDcdTimeout->isEnabled());
    win->checkIgnoreDCD->setChecked(false);
    EXPECT_TRUE(win->textDcdTimeout->isEnabled());

    win->textSyncChar->setValue(0x7E);
    win->textCtsTimeout->setValue(2.5);
    win->buttonOK->click();
    EXPECT_EQ(primary->settings().txModeValue, 9);  // kept: no entry was chosen
    EXPECT_EQ(secondary->settings().syncChar, 0x7E);
    EXPECT_EQ(secondary->settings().ctsTimeoutTime, 2.5);
    EXPECT_EQ(secondary->settings().dmpBaudRate, 38400);
}

// Every data-bit choice of engineering mode comes back from the settings file at the next start.
TEST_F(PortSettingsWindow, EngineeringDataBitsSurviveASaveAndRestore) {
    ctx.state.engineerMode = true;
    TempHome home;
    const std::string ini = home.file("K45MR.ini");
    for (const char* bits : {"8", "7", "6", "5", "4"}) {
        SCOPED_TRACE(bits);
        open();
        win->side[0].comboDataBits->setCurrentText(bits);
        win->side[1].comboDataBits->setCurrentText(bits);
        win->buttonOK->click();
        ASSERT_EQ(primary->settings().portSettings.dataBits, std::stoi(bits));
        primary->SaveClassParameters(ini, "Primary Port Settings");
        secondary->SaveClassParameters(ini, "Secondary Port Settings");

        classComm nextPrimary(ctx.state, ctx.state.locale, sched, dialogs, pair.tables()),
            nextSecondary(ctx.state, ctx.state.locale, sched, dialogs, pair.tables());
        nextPrimary.RestoreClassParameters(ini, "Primary Port Settings");
        nextSecondary.RestoreClassParameters(ini, "Secondary Port Settings");
        EXPECT_EQ(nextPrimary.settings().portSettings.dataBits, std::stoi(bits));
        EXPECT_EQ(nextSecondary.settings().portSettings.dataBits, std::stoi(bits));
        EXPECT_EQ(nextSecondary.settings().portSettings.baudRate, 19200);
    }
}

// The SYNC and ESC boxes show two upper-case hex digits and take what the operator types in
// either case.
TEST_F(PortSettingsWindow, CharacterBoxesShowAndTakeTwoHexDigits) {
    ctx.state.engineerMode = true;
    open();
    const struct {
        int value;
        const char* shown;
    } cases[] = {{0x00, "00"}, {0x05, "05"}, {0x7E, "7E"}, {0xBA, "BA"}, {0xFF, "FF"}};
    for (QSpinBox* box : {win->textSyncChar, win->textEscChar}) {
        for (const auto& c : cases) {
            box->setValue(c.value);
            EXPECT_EQ(box->text(), c.shown) << box->objectName().toStdString();
        }
    }
    win->tabPortSettings->setCurrentIndex(2);
    win->textEscChar->setFocus();
    win->textEscChar->selectAll();
    for (int key : {Qt::Key_1, Qt::Key_B, Qt::Key_C}) {  // a third digit is refused
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QKeySequence(key).toString().toLower());
        QApplication::sendEvent(win->textEscChar, &press);
    }
    win->textEscChar->interpretText();
    EXPECT_EQ(win->textEscChar->value(), 0x1B);
    EXPECT_EQ(win->textEscChar->text(), "1B");
    win->buttonOK->click();
    EXPECT_EQ(primary->settings().escChar, 0x1B);
    EXPECT_EQ(secondary->settings().escChar, 0x1B);
}

TEST_F(PortSettingsWindow, PlacementIsSavedOnlyWhenTheWindowWasShown) {
    TempHome home;
    const std::string ini = home.file("K45MR.ini");
    home.write("K45MR.ini", "[Port Settings Window]\r\nLeft=1500\r\nTop=3000\r\n");
    win = std::make_unique<formPortSettings>(ctx);
    win->RestoreFormParameters(ini, "Port Settings Window");
    EXPECT_EQ(win->savedLeft, 1500);
    home.write("K45MR.ini", "");
    win->SaveFormParameters(ini, "Port Settings Window");
    EXPECT_EQ(home.read("K45MR.ini"), "");
    win->show();
    EXPECT_EQ(win->pos(), QPoint(100, 200));
    win->move(20, 30);
    win->buttonCancel->click();
    win->SaveFormParameters(ini, "Port Settings Window");
    EXPECT_EQ(ProfileRead(ini, "Port Settings Window", "Left", ""), "300");
    EXPECT_EQ(ProfileRead(ini, "Port Settings Window", "Top", ""), "450");
}

// Escape cancels wherever the focus is: nothing is applied.
TEST_F(PortSettingsWindow, EscapeCancels) {
    for (const char* focus : {"comboSecondaryBaudRate", "comboSecondaryDevice", "buttonOK"}) {
        SCOPED_TRACE(focus);
        open();
        win->tabPortSettings->setCurrentIndex(1);
        win->side[1].comboBaudRate->setCurrentText("4800");
        win->side[1].comboDevice->setEditText("/dev/ttyUSB1");
        auto* target = win->findChild<QWidget*>(focus);
        ASSERT_TRUE(target);
        target->setFocus();
        QWidget* receiver =
            target == win->side[1].comboDevice ? static_cast<QWidget*>(win->side[1].comboDevice->lineEdit()) : target;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(receiver, &press);
        EXPECT_FALSE(win->loaded());
        EXPECT_EQ(secondary->settings().portSettings.baudRate, 19200);
        EXPECT_FALSE(std::filesystem::exists(home.file("K45MR.ini")));
        EXPECT_TRUE(primary->GetCommPortOpen());
    }
}

// The status line checks the device as it is typed or chosen, before OK: each side's line
// shows, whole, what the dialogue says of the device typed on that side. What it says for each
// state of a device is the dialogue's, and its tests hold those cases.
TEST_F(PortSettingsWindow, TheStatusLineTellsWhetherTheChosenDeviceCanBeOpened) {
    NamedDevice named{sched};
    named.name = "/dev/pts/7";
    primary->InitCommCtrl(&named, 0, 1, nullptr);
    primary->ForceCommPortOpen(7, {.baudRate = 9600});
    const std::map<std::string, PortDeviceState> devices = {
        {"/dev/pts/7", PortDeviceState::Present},
        {"/dev/ttyUSB0", PortDeviceState::Present},
        {"/dev/ttyUSB3", PortDeviceState::NoPermission},
        {"/tmp/notes.txt", PortDeviceState::NotADevice},
    };
    check = [&](const std::string& path) {
        const auto it = devices.find(path);
        return it == devices.end() ? PortDeviceState::Missing : it->second;
    };
    open();
    const PortSettingsDialogue& dialogue = win->dialogue();
    // Every device here changes what its side's line says, so a line that is not redrawn shows;
    // the open port's side has the longest texts.
    const struct {
        int side;
        const char* typed;
    } cases[] = {
        {0, "/dev/ttyUSB0"}, {0, "/dev/ttyUSB9"}, {0, "/dev/ttyUSB3"}, {0, "/dev/pts/7"},
        {1, "/dev/ttyUSB0"}, {1, "/dev/ttyUSB9"}, {1, "/dev/ttyUSB3"}, {1, "/tmp/notes.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.side) + " " + c.typed);
        const auto side = static_cast<size_t>(c.side);
        formPortSettings::Side& s = win->side[side];
        auto shown = [&](size_t k) { return Plain(win->side[k].labelDevice->text()).toStdString(); };
        const std::string before = shown(side), otherBefore = shown(1 - side);
        win->tabPortSettings->setCurrentIndex(c.side);
        s.comboDevice->setEditText(c.typed);
        // The dialogue has the path as typed, for this side's number.
        EXPECT_EQ(dialogue.DeviceOf(dialogue.choice().side[side].portNumber()), c.typed);
        EXPECT_NE(shown(side), before);
        EXPECT_EQ(shown(side), dialogue.DeviceStatus(c.side));
        EXPECT_EQ(shown(1 - side), otherBefore);
        // The window keeps its size: the longest status must still be read whole.
        QApplication::processEvents();
        EXPECT_GE(s.labelDevice->height(), s.labelDevice->heightForWidth(s.labelDevice->width()));
    }
    win->buttonCancel->click();
    primary->InitCommCtrl(&devPrimary, 0, 1, nullptr);
}

// OK with a device that cannot be opened for an open port asks first; No keeps the port open
// on its device and the window open. Yes stores it, and the port closed by it opens again once
// the operator chooses a good device.
TEST_F(PortSettingsWindow, AMissingDeviceForAnOpenPortIsConfirmedAndAGoodOneReopensThePort) {
    NamedDevice named{sched};
    named.name = "/dev/pts/7";
    primary->InitCommCtrl(&named, 0, 1, nullptr);
    primary->ForceCommPortOpen(7, {.baudRate = 9600});
    check = [](const std::string& path) {
        return path == "/dev/ttyUSB9" ? PortDeviceState::Missing : PortDeviceState::Present;
    };
    open();
    win->side[0].comboDevice->setEditText("/dev/ttyUSB9");
    dialogs.expectBox(
        "Com1 is open on /dev/pts/7.\r\nThe device /dev/ttyUSB9 was not found.\r\n\r\nUse it for Com1 "
        "anyway? The port closes and stays closed until the device can be opened.",
        MsgAnswer::No);
    win->buttonOK->click();
    EXPECT_EQ(dialogs.boxes.back().buttons, MsgButtons::YesNo);
    EXPECT_EQ(dialogs.boxes.back().title, "Port Settings");
    EXPECT_TRUE(win->loaded());
    EXPECT_TRUE(primary->GetCommPortOpen());
    EXPECT_EQ(named.closes, 0);
    EXPECT_FALSE(std::filesystem::exists(home.file("K45MR.ini")));

    dialogs.expectBox("Com1 is open on /dev/pts/7.", MsgAnswer::Yes);
    named.refuseOpen = true;
    dialogs.expectBox("Could Not Open Com Port 1\r\nNo such file or directory");
    win->buttonOK->click();
    EXPECT_FALSE(win->loaded());
    EXPECT_FALSE(primary->GetCommPortOpen());
    EXPECT_EQ(ProfileRead(home.file("K45MR.ini"), "Com Port Devices", "Com1", ""), "/dev/ttyUSB9");

    // The good device again: the port that was open opens on it.
    named.refuseOpen = false;
    open();
    EXPECT_EQ(win->side[0].labelDevice->text(), "The device was not found.");
    win->side[0].comboDevice->setEditText("/dev/ttyUSB0");
    EXPECT_EQ(win->side[0].labelDevice->text(), "The device is present; OK opens the port on it.");
    win->buttonOK->click();
    EXPECT_TRUE(primary->GetCommPortOpen());
    EXPECT_EQ(ProfileRead(home.file("K45MR.ini"), "Com Port Devices", "Com1", ""), "/dev/ttyUSB0");
    // A closed port nothing uses stays closed.
    EXPECT_FALSE(secondary->GetCommPortOpen());
    primary->InitCommCtrl(&devPrimary, 0, 1, nullptr);
}

TEST_F(PortSettingsWindow, Screenshot) {
    ctx.state.engineerMode = true;
    open();
    win->resize(win->sizeHint());
    auto save = [&](const char* name) {
        const QPixmap shot = win->grab();
        EXPECT_FALSE(shot.isNull()) << name;
        if (const char* dir = std::getenv("K45_SCREENSHOT_DIR")) {
            EXPECT_TRUE(shot.save(QString(dir) + "/" + name + ".png")) << name;
        }
    };
    save("port_settings");
    win->tabPortSettings->setCurrentIndex(2);
    save("port_settings_advanced");
}

}  // namespace
}  // namespace k45::test
