// The map of port numbers to device files: where it lives, what it reads and what it writes.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "base/ini_routines.h"
#include "platform/port_devices.h"
#include "platform/profile.h"
#include "platform/qt/qt_serial_device.h"
#include "support/pty_pair.h"
#include "support/temp_home.h"

namespace k45 {
namespace {

using test::TempHome;

// One map for every mode: the program folder's settings file, also where production mode keeps
// its other settings in the configuration folder.
TEST(PortDeviceMap, LivesInTheProgramFoldersSettingsFileInEveryMode) {
    Places places;
    places.programFolder = "/opt/k45";
    places.configFolder = "/home/tech/.config";
    EXPECT_EQ(PortDeviceMapFile(places), "/opt/k45/K45MR.ini");
    EXPECT_EQ(PortDeviceMapFile(places), GetIniFileName(false, false, places));
    EXPECT_EQ(PortDeviceMapFile(places), GetIniFileName(true, true, places));
    EXPECT_NE(PortDeviceMapFile(places), GetIniFileName(false, true, places));
}

TEST(PortDeviceMap, ReadsEveryPortNumberWithTheDefaultForTheOnesNotNamed) {
    TempHome home;
    home.write("K45MR.ini", "[Com Port Devices]\r\ncom2 = \"/dev/serial/by-id/usb-A\"\r\nCom5=\r\nCom40=/dev/x\r\n");
    const auto map = ReadPortDeviceMap(home.file("K45MR.ini"));
    ASSERT_EQ(map.size(), 32u);
    EXPECT_EQ(map.at(1), "/dev/ttyS0");
    EXPECT_EQ(map.at(2), "/dev/serial/by-id/usb-A");
    EXPECT_EQ(map.at(5), "/dev/ttyS4");  // an empty entry stands for the default
    EXPECT_EQ(map.at(32), "/dev/ttyS31");
    for (const auto& [n, path] : map) EXPECT_EQ(path, MappedPortDevice(home.file("K45MR.ini"), n)) << n;
    EXPECT_EQ(ReadPortDeviceMap(home.file("missing.ini")).at(3), "/dev/ttyS2");
}

TEST(PortDeviceMap, WritesItsEntriesAndKeepsTheRestOfTheFile) {
    TempHome home;
    const std::string ini = home.file("K45MR.ini");
    home.write("K45MR.ini", "; bench 3\r\n[Main Window]\r\nLeft=10\r\n[Com Port Devices]\r\nCom1=/dev/ttyUSB9\r\n");
    std::string error;
    ASSERT_TRUE(WritePortDevices(ini, {{1, "/dev/ttyUSB0"}, {4, "/tmp/pty link"}}, &error)) << error;
    EXPECT_EQ(home.read("K45MR.ini"),
              "; bench 3\r\n[Main Window]\r\nLeft=10\r\n[Com Port Devices]\r\nCom1=/dev/ttyUSB0\r\nCom4=/tmp/pty "
              "link\r\n");
    EXPECT_EQ(MappedPortDevice(ini, 4), "/tmp/pty link");

    // Inside a batch of the same file the entries go into the batch and leave with its commit.
    {
        ProfileBatch batch(ini);
        ASSERT_TRUE(WritePortDevices(ini, {{2, "/dev/ttyACM0"}}, &error)) << error;
        EXPECT_EQ(MappedPortDevice(ini, 2), "/dev/ttyACM0");
        EXPECT_EQ(home.read("K45MR.ini").find("ttyACM0"), std::string::npos);
        ASSERT_TRUE(batch.commit(&error)) << error;
    }
    EXPECT_EQ(ProfileRead(ini, "Com Port Devices", "Com2", ""), "/dev/ttyACM0");
}

// The first exit leaves a section to read and edit: the ports in use get their entries, named
// ones keep theirs.
TEST(PortDeviceMap, MissingEntriesOfThePortsInUseAreAdded) {
    TempHome home;
    const std::string ini = home.file("K45MR.ini");
    std::string error;
    ASSERT_TRUE(AddMissingPortDevices(ini, {1, 2}, &error)) << error;
    EXPECT_EQ(home.read("K45MR.ini"), "[Com Port Devices]\r\nCom1=/dev/ttyS0\r\nCom2=/dev/ttyS1\r\n");

    home.write("K45MR.ini", "[Com Port Devices]\r\nCom3=/dev/ttyUSB0\r\n");
    ASSERT_TRUE(AddMissingPortDevices(ini, {3, 7}, &error)) << error;
    EXPECT_EQ(home.read("K45MR.ini"), "[Com Port Devices]\r\nCom3=/dev/ttyUSB0\r\nCom7=/dev/ttyS6\r\n");
}

TEST(PortDeviceMap, AFileThatCannotBeWrittenIsReported) {
    TempHome home;
    // A folder where the file should be: no write can replace it, root or not.
    std::filesystem::create_directory(home.file("K45MR.ini"));
    std::string error;
    EXPECT_FALSE(WritePortDevices(home.file("K45MR.ini"), {{1, "/dev/ttyUSB0"}}, &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(AddMissingPortDevices(home.file("K45MR.ini"), {1}, &error));
    EXPECT_FALSE(error.empty());
}

// The device list offers the stable names the system keeps for its adapters.
TEST(PresentSerialDevices, EachDeviceGetsTheLinkThatLeadsToIt) {
    TempHome home;
    namespace fs = std::filesystem;
    fs::create_directory(home.file("by-id"));
    home.write("ttyUSB0", "");
    home.write("ttyUSB1", "");
    fs::create_symlink(home.file("ttyUSB1"), home.file("by-id/usb-FTDI_FT232R_A12345-if00-port0"));
    fs::create_symlink("../ttyUSB0", home.file("by-id/usb-Prolific_PL2303-if00-port0"));
    fs::create_symlink(home.file("gone"), home.file("by-id/usb-dangling"));
    auto at = [](const std::string& location) {
        PresentSerialDevice d;
        d.systemLocation = location;
        return d;
    };
    std::vector<PresentSerialDevice> devices = {at(home.file("ttyUSB0")), at(home.file("ttyUSB1")),
                                                at(home.file("ttyACM0"))};
    QtSerialDevice::AttachStableLinks(devices, home.file("by-id"));
    EXPECT_EQ(devices[0].stableLink, home.file("by-id/usb-Prolific_PL2303-if00-port0"));
    EXPECT_EQ(devices[1].stableLink, home.file("by-id/usb-FTDI_FT232R_A12345-if00-port0"));
    EXPECT_EQ(devices[2].stableLink, "");
    // A system without the folder gives no links.
    devices = {at(home.file("ttyUSB0"))};
    QtSerialDevice::AttachStableLinks(devices, home.file("none"));
    EXPECT_EQ(devices[0].stableLink, "");
}

TEST(DrainTime, IsTheTimeTheBytesNeedPlusAMarginCappedAtASecond) {
    const struct {
        long long bytes;
        PortSettings settings;
        int ms;
    } cases[] = {
        {0, {.baudRate = 9600}, 0},
        {3, {.baudRate = 9600}, 104},                             // 30 bits: 3.1 ms, rounded up
        {96, {.baudRate = 9600}, 200},                            // 960 bits: 100 ms
        {120, {.baudRate = 1200, .parity = 'e', .stopBits = 2}, 1000},  // 1440 bits: 1.2 s, capped
        {16384, {.baudRate = 115200}, 1000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QtSerialDevice::DrainTimeMs(c.bytes, c.settings), c.ms) << c.bytes << " " << c.settings.baudRate;
}

// What Port Settings tells of a device before OK: a link to a pseudo-terminal is a device,
// a path to nothing or to a plain file is not, and one the user may not open says so.
TEST(PortDeviceCheck, TellsMissingNotADeviceAndPresent) {
    TempHome home;
    test::PtyPair pty;
    ASSERT_TRUE(pty.ok()) << pty.error();
    std::filesystem::create_symlink(pty.slavePath(), home.file("com1"));
    home.write("plain", "");
    const struct {
        std::string path;
        PortDeviceState state;
    } cases[] = {
        {pty.slavePath(), PortDeviceState::Present},       {home.file("com1"), PortDeviceState::Present},
        {home.file("ttyUSB9"), PortDeviceState::Missing},  {"", PortDeviceState::Missing},
        {home.file("plain"), PortDeviceState::NotADevice}, {home.path(), PortDeviceState::NotADevice},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckPortDevice(c.path), c.state) << c.path;
    pty.closeMaster();  // the adapter pulled: the link stays, its device is gone
    EXPECT_EQ(CheckPortDevice(home.file("com1")), PortDeviceState::Missing);
}

TEST(PortDeviceCheck, ADeviceTheUserMayNotOpenIsToldApart) {
    if (geteuid() == 0) GTEST_SKIP() << "root may open any device";
    test::PtyPair locked;
    ASSERT_TRUE(locked.ok());
    ASSERT_EQ(::chmod(locked.slavePath().c_str(), 0), 0);
    EXPECT_EQ(CheckPortDevice(locked.slavePath()), PortDeviceState::NoPermission);
}

}  // namespace
}  // namespace k45
