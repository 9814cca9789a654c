// Zmodem upload through the "sz" program: its output goes out on the port.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include "serial/port_fixture.h"
#include "support/temp_home.h"

namespace k45::test {
namespace {

using PortZmodem = PortFixture;

TEST_F(PortZmodem, UploadStartsSzAndSendsItsRequestOnThePort) {
    TempHome home;
    home.write("upload.bin", std::string(100, 'u'));
    ASSERT_TRUE(port->OpenCommPort());
    port->ZmodemUpload(home.file("upload.bin"));
    if (port->GetZmodemStatus() == ZmodemStatus::Unavailable) GTEST_SKIP() << "no sz program on this system";
    ASSERT_EQ(port->GetZmodemStatus(), ZmodemStatus::Running);
    // sz runs in real time: tick until its session request has gone out (bounded).
    const bool sent = sched.advanceUntil(
        [&] { return device.wire.find("**\x18" "B00") != std::string::npos; }, 50'000'000, 50);
    EXPECT_TRUE(sent);
    EXPECT_EQ(port->GetTxBytes(), static_cast<double>(device.wire.size()));
    port->SetZmodemStatus(ZmodemStatus::Idle);  // abandons the transfer
    EXPECT_EQ(port->GetZmodemStatus(), ZmodemStatus::Idle);
}

// A file named like an option is sent as a file, not taken by sz as "-V" (print the version).
TEST_F(PortZmodem, FileNameBeginningWithADashIsSentAsAFile) {
    TempHome home;
    home.write("-V", std::string(10, 'v'));
    char old[4096];
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_EQ(chdir(home.path().c_str()), 0);
    ASSERT_TRUE(port->OpenCommPort());
    port->ZmodemUpload("-V");
    const auto status = port->GetZmodemStatus();
    ASSERT_EQ(chdir(old), 0);
    if (status == ZmodemStatus::Unavailable) GTEST_SKIP() << "no sz program on this system";
    ASSERT_EQ(status, ZmodemStatus::Running);
    const bool sent = sched.advanceUntil(
        [&] { return device.wire.find("**\x18" "B00") != std::string::npos; }, 50'000'000, 50);
    EXPECT_TRUE(sent);
    port->SetZmodemStatus(ZmodemStatus::Idle);
}

TEST_F(PortZmodem, UploadOnAClosedPortFails) {
    port->ZmodemUpload("/nonexistent");
    EXPECT_EQ(port->GetZmodemStatus(), ZmodemStatus::Failed);
}

}  // namespace
}  // namespace k45::test
