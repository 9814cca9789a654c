// The real serial device over a pseudo-terminal: the test plays the far end on the master.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "platform/qt/qt_serial_device.h"
#include "serial/core_app.h"
#include "support/pty_pair.h"
#include "support/temp_home.h"

namespace k45 {
namespace {

using test::PtyPair;
using test::TempHome;

using test::EnsureApp;

// Runs the event loop until pred() holds or the deadline passes.
bool RunUntil(const std::function<bool()>& pred, int deadlineMs = 3000) {
    if (pred()) return true;
    QEventLoop loop;
    QTimer check;
    check.setInterval(2);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (pred()) loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    check.start();
    deadline.start(deadlineMs);
    loop.exec();
    return pred();
}

// Runs the event loop for ms milliseconds (to show that something does not happen).
void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class QtSerialDeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApp(); }

    void SetUp() override {
        ASSERT_TRUE(pty.ok()) << pty.error();
        home.write("K45MR.ini", "[Primary Port Settings]\r\nComm Port=3\r\n[Com Port Devices]\r\nCom3=" +
                                    pty.slavePath() + "\r\n");
        device.setPortNumber(3);
        device.setEventHandler([this](int code) { events.push_back(code); });
    }

    int count(int code) const { return static_cast<int>(std::count(events.begin(), events.end(), code)); }

    // Reads from the master until want bytes came or the deadline passed.
    std::string readMaster(std::size_t want) {
        std::string got;
        RunUntil([&] {
            got += pty.readMaster();
            return got.size() >= want;
        });
        return got;
    }

    PtyPair pty;
    TempHome home;
    QtSerialDevice device{home.file("K45MR.ini")};
    std::vector<int> events;
};

TEST_F(QtSerialDeviceTest, OpensTheDeviceNamedInTheSettingsFileAndMovesBytesBothWays) {
    std::string error;
    ASSERT_TRUE(device.open(&error)) << error;
    EXPECT_TRUE(device.isOpen());
    EXPECT_EQ(device.devicePath(), pty.slavePath());

    const std::string out("AT\r\0\xFF\x80", 6);
    ASSERT_TRUE(device.write(out, &error)) << error;
    EXPECT_EQ(readMaster(out.size()), out);
    ASSERT_TRUE(RunUntil([&] { return count(commEvSend) > 0; }));
    EXPECT_EQ(device.outputCount(), 0);

    const std::string in("OK\r\n\0\xFE", 6);
    ASSERT_TRUE(pty.writeMaster(in));
    std::string got;
    ASSERT_TRUE(RunUntil([&] {
        got += device.readInput();
        return got.size() >= in.size();
    }));
    EXPECT_EQ(got, in);
    EXPECT_GE(count(commEvReceive), 1);

    device.close();
    EXPECT_FALSE(device.isOpen());
    EXPECT_FALSE(device.write("x", &error));
    EXPECT_TRUE(Contains(error, "not open"));
}

// A driver that still holds written bytes (as a UART at a low baud rate holds a whole chunk).
class HeldOutputDevice : public QtSerialDevice {
public:
    using QtSerialDevice::QtSerialDevice;
    int held = 0;

protected:
    int driverQueued() const override { return held; }
};

TEST_F(QtSerialDeviceTest, SendEventWaitsUntilTheDriverHasSentTheBytes) {
    HeldOutputDevice slow(home.file("K45MR.ini"));
    slow.setPortNumber(3);
    std::vector<int> slowEvents;
    slow.setEventHandler([&](int code) { slowEvents.push_back(code); });
    std::string error;
    ASSERT_TRUE(slow.open(&error)) << error;
    auto sendEvents = [&] { return std::count(slowEvents.begin(), slowEvents.end(), commEvSend); };

    slow.held = 3;
    ASSERT_TRUE(slow.write("abc", &error)) << error;
    EXPECT_EQ(readMaster(3), "abc");
    RunFor(200);
    EXPECT_EQ(sendEvents(), 0);  // a send event now would find no room for the next chunk
    EXPECT_EQ(slow.outputCount(), 3);

    slow.held = 0;
    ASSERT_TRUE(RunUntil([&] { return sendEvents() > 0; }));
    EXPECT_EQ(sendEvents(), 1);
    EXPECT_EQ(slow.outputCount(), 0);

    // With nothing held the event comes as soon as QSerialPort has handed the bytes on.
    ASSERT_TRUE(slow.write("d", &error)) << error;
    EXPECT_EQ(readMaster(1), "d");
    ASSERT_TRUE(RunUntil([&] { return sendEvents() == 2; }));
    slow.close();
}

TEST_F(QtSerialDeviceTest, ReceiveEventWaitsForTheThreshold) {
    std::string openError;
    ASSERT_TRUE(device.open(&openError)) << openError;
    device.setReceiveThreshold(4);
    ASSERT_TRUE(pty.writeMaster("ab"));
    RunFor(150);
    EXPECT_EQ(count(commEvReceive), 0);
    ASSERT_TRUE(pty.writeMaster("cd"));
    ASSERT_TRUE(RunUntil([&] { return count(commEvReceive) > 0; }));
    EXPECT_EQ(device.readInput(), "abcd");
}

// The speed a second open of the pseudo-terminal finds: what the device really has in force.
speed_t SlaveSpeed(const std::string& path) {
    termios tio{};
    const int probe = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (probe < 0 || tcgetattr(probe, &tio) != 0) tio = termios{};
    if (probe >= 0) ::close(probe);
    return cfgetospeed(&tio);
}

// A pseudo-terminal takes any baud rate but only 8 data bits and no parity: a change with a
// refused part puts the rest in force, and the settings recorded say what is.
TEST_F(QtSerialDeviceTest, RefusedPartsOfASettingsChangeKeepTheirValueAndTheRestApplies) {
    // Closed: only kept; the open applies what the device takes.
    ASSERT_TRUE(device.setSettings({.baudRate = 19200, .parity = 'e', .dataBits = 7}, nullptr));
    std::string error;
    ASSERT_TRUE(device.open(&error)) << error;
    EXPECT_TRUE(Contains(device.openRefusals(), pty.slavePath()));
    EXPECT_TRUE(Contains(device.openRefusals(), "even parity"));
    EXPECT_TRUE(Contains(device.openRefusals(), "7 data bits"));
    EXPECT_EQ(PortSettingsText(device.settings()), "19200,n,8,1");
    EXPECT_EQ(SlaveSpeed(pty.slavePath()), static_cast<speed_t>(B19200));

    const struct {
        PortSettings old, wanted;
        std::vector<std::string> refused;  // what the error names
        const char* inForce;
        speed_t speed;
    } cases[] = {
        {{.baudRate = 4800}, {.baudRate = 19200, .parity = 'e'}, {"even parity"}, "19200,n,8,1", B19200},
        {{.baudRate = 4800, .parity = 'N'}, {.baudRate = 2400, .parity = 'O'}, {"odd parity"}, "2400,N,8,1", B2400},
        {{.baudRate = 4800}, {.baudRate = 1200, .dataBits = 7}, {"7 data bits"}, "1200,n,8,1", B1200},
        {{.baudRate = 4800}, {.baudRate = 1200, .dataBits = 4}, {"4 data bits"}, "1200,n,8,1", B1200},
        {{.baudRate = 4800},
         {.baudRate = 38400, .parity = 'm', .dataBits = 5},
         {"mark parity", "5 data bits"},
         "38400,n,8,1",
         B38400},
        {{.baudRate = 4800},
         {.baudRate = 57600, .parity = 's', .dataBits = 6},
         {"space parity", "6 data bits"},
         "57600,n,8,1",
         B57600},
        {{.baudRate = 4800}, {.baudRate = 9600, .stopBits = 2}, {}, "9600,n,8,2", B9600},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PortSettingsText(c.old) + " -> " + PortSettingsText(c.wanted));
        ASSERT_TRUE(device.setSettings(c.old, &error)) << error;
        error.clear();
        EXPECT_EQ(device.setSettings(c.wanted, &error), c.refused.empty());
        for (const std::string& r : c.refused) EXPECT_TRUE(Contains(error, r)) << error;
        EXPECT_FALSE(Contains(error, "baud")) << error;
        EXPECT_EQ(PortSettingsText(device.settings()), c.inForce);
        EXPECT_EQ(SlaveSpeed(pty.slavePath()), c.speed);
    }

    // Settings that are not settings at all change nothing.
    EXPECT_FALSE(device.setSettings({.baudRate = 300, .stopBits = 3}, &error));
    EXPECT_EQ(PortSettingsText(device.settings()), "9600,n,8,2");
}

TEST_F(QtSerialDeviceTest, RefusedLinesAreReportedAndThePortStaysUsable) {
    std::string error;
    ASSERT_TRUE(device.open(&error)) << error;
    EXPECT_FALSE(device.setRts(true, &error));
    EXPECT_TRUE(Contains(error, "RTS") && Contains(error, "modem control lines")) << error;
    EXPECT_FALSE(device.setDtr(false, &error));
    EXPECT_FALSE(device.cts());
    EXPECT_FALSE(device.setHandshaking(1, &error));

    EXPECT_TRUE(device.isOpen());
    ASSERT_TRUE(device.write("still here", &error)) << error;
    EXPECT_EQ(readMaster(10), "still here");
}

TEST_F(QtSerialDeviceTest, OutputBeyondTheBufferIsRefused) {
    std::string openError;
    ASSERT_TRUE(device.open(&openError)) << openError;
    device.setBufferSizes(16384, 8);
    std::string error;
    EXPECT_FALSE(device.write("123456789", &error));
    EXPECT_TRUE(Contains(error, "full")) << error;
    EXPECT_TRUE(device.write("12345678", &error)) << error;
    EXPECT_EQ(readMaster(8), "12345678");
}

TEST_F(QtSerialDeviceTest, VanishedDeviceClosesThePortAndIsReportedOnce) {
    std::string openError;
    ASSERT_TRUE(device.open(&openError)) << openError;
    // Our own hold on the slave keeps its number from going to another test process while the
    // device still has its lock file (it is dropped just after the device's descriptor).
    const int hold = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    pty.closeMaster();
    ASSERT_TRUE(RunUntil([&] { return count(commEventDeviceLost) > 0; }));
    if (hold >= 0) ::close(hold);
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(Contains(device.deviceLostReason(), pty.slavePath())) << device.deviceLostReason();
    RunFor(100);
    EXPECT_EQ(count(commEventDeviceLost), 1);
    std::string error;
    EXPECT_FALSE(device.write("x", &error));
    EXPECT_EQ(device.readInput(), "");
}

TEST_F(QtSerialDeviceTest, APortHeldByAnotherDeviceIsRefusedWithTheDeviceNamedAndOpensOnceFreed) {
    std::string error;
    QtSerialDevice other{home.file("K45MR.ini")};
    other.setPortNumber(3);
    ASSERT_TRUE(other.open(&error)) << error;
    EXPECT_FALSE(device.open(&error));
    EXPECT_FALSE(device.isOpen());
    EXPECT_TRUE(Contains(error, pty.slavePath())) << error;
    // The refusal leaves nothing behind: once the holder lets go the port opens and works.
    other.close();
    error.clear();
    ASSERT_TRUE(device.open(&error)) << error;
    ASSERT_TRUE(device.write("?\r", &error)) << error;
    EXPECT_EQ(readMaster(2), "?\r");
}

TEST(QtSerialDeviceOpen, PortNumbersFindTheirDevice) {
    TempHome home;
    home.write("K45MR.ini", "[Com Port Devices]\r\nCom3 = /dev/ttyUSB0\r\ncom12=\"/dev/serial/by-id/usb-x\"\r\n");
    const auto resolve = QtSerialDevice::SettingsFileResolver(home.file("K45MR.ini"));
    EXPECT_EQ(resolve(3), "/dev/ttyUSB0");
    EXPECT_EQ(resolve(12), "/dev/serial/by-id/usb-x");
    EXPECT_EQ(resolve(1), "/dev/ttyS0");
    EXPECT_EQ(resolve(32), "/dev/ttyS31");
    EXPECT_EQ(QtSerialDevice::SettingsFileResolver(home.file("missing.ini"))(5), "/dev/ttyS4");
}

TEST(QtSerialDeviceOpen, FailureNamesTheDeviceAndTheReason) {
    EnsureApp();
    QtSerialDevice device([](int) { return std::string("/dev/k45-no-such-device"); });
    device.setPortNumber(2);
    std::string error;
    EXPECT_FALSE(device.open(&error));
    // It says where the device is chosen.
    EXPECT_EQ(error,
              "Could not open /dev/k45-no-such-device: the device does not exist. Choose the device for this port in "
              "Utilities > Port Settings.");
    EXPECT_FALSE(device.isOpen());

    device.setPortNumber(33);
    EXPECT_FALSE(device.open(&error));
    EXPECT_TRUE(Contains(error, "33")) << error;

    TempHome home;
    home.write("plain.txt", "not a tty");
    QtSerialDevice file([&](int) { return home.file("plain.txt"); });
    EXPECT_FALSE(file.open(&error));
    EXPECT_TRUE(Contains(error, home.file("plain.txt")) && Contains(error, "not a serial device") &&
                Contains(error, "Utilities > Port Settings"))
        << error;
}

TEST(QtSerialDeviceOpen, PermissionTextNamesTheGroupThatOwnsTheDevice) {
    TempHome home;
    home.write("ttyFake", "");
    const std::string path = home.file("ttyFake");
    std::string group = "dialout";
    const ::group* g = getgrnam(group.c_str());
    if (!g || chown(path.c_str(), static_cast<uid_t>(-1), g->gr_gid) != 0) {
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        const ::group* own = getgrgid(st.st_gid);
        ASSERT_NE(own, nullptr);
        group = own->gr_name;
    }
    EXPECT_EQ(QtSerialDevice::OpenFailureText(path, "Permission denied", EACCES),
              "Could not open " + path + ": permission denied. The user must be a member of the group \"" + group +
                  "\" that owns the device.");
    EXPECT_EQ(QtSerialDevice::OpenFailureText(path, "the device is busy", EBUSY),
              "Could not open " + path + ": the device is busy. Choose the device for this port in Utilities > Port "
              "Settings.");
}

TEST_F(QtSerialDeviceTest, PermissionDeniedOnARealOpen) {
    if (geteuid() == 0) GTEST_SKIP() << "root opens any device";
    ASSERT_EQ(chmod(pty.slavePath().c_str(), 0), 0);
    std::string error;
    EXPECT_FALSE(device.open(&error));
    EXPECT_TRUE(Contains(error, pty.slavePath()) && Contains(error, "permission denied") &&
                Contains(error, "the group"))
        << error;
}

}  // namespace
}  // namespace k45
