// Registration of windows: the open and close rules, the forced port and delivery to a list
// that changes during the delivery.
#include <gtest/gtest.h>

#include "serial/port_fixture.h"

namespace k45::test {
namespace {

struct PortRegistration : PortFixture {
    std::vector<std::string> log;
    RecordingForm a{&log, "a"}, b{&log, "b"}, c{&log, "c"};
};

TEST_F(PortRegistration, RegisteringTwiceKeepsOneEntry) {
    EXPECT_TRUE(port->RegisterForRxCrLf(&a));
    EXPECT_TRUE(port->RegisterForRxCrLf(&a));
    EXPECT_EQ(port->RegisteredCount(classComm::listCrLf), 1);
    EXPECT_TRUE(port->GetCommPortOpen());
    device.inject("hello\r\n");
    EXPECT_EQ(log, (std::vector<std::string>{"a:line hello"}));
}

TEST_F(PortRegistration, LineChangeListsDoNotKeepThePortOpen) {
    EXPECT_TRUE(port->RegisterForCtsChange(&a));
    EXPECT_TRUE(port->GetCommPortOpen());
    EXPECT_TRUE(port->RegisterForRawData(&b));
    EXPECT_TRUE(port->DeRegisterForRawData(&b));
    EXPECT_FALSE(port->GetCommPortOpen());
    EXPECT_EQ(port->RegisteredCount(classComm::listCtsChange), 1);

    // Deregistering a stranger returns False and still closes when no data window is left.
    port->RegisterForCtsTimeout(&c);
    EXPECT_TRUE(port->GetCommPortOpen());
    EXPECT_FALSE(port->DeRegisterForSRecord(&b));
    EXPECT_FALSE(port->GetCommPortOpen());
}

TEST_F(PortRegistration, FailedOpenAddsNothing) {
    device.refuseOpen = true;
    dialogs.expectBox("Could Not Open Com Port 1");
    EXPECT_FALSE(port->RegisterForSRecord(&a));
    EXPECT_EQ(port->RegisteredCount(classComm::listSRecord), 0);
}

TEST_F(PortRegistration, CloseFirstReopensThePort) {
    port->RegisterForRawData(&a);
    EXPECT_EQ(device.opens, 1);
    port->RegisterForSRecord(&b, true);
    EXPECT_EQ(device.closes, 1);
    EXPECT_EQ(device.opens, 2);
    EXPECT_EQ(port->RegisteredCount(classComm::listSRecord), 1);
}

TEST_F(PortRegistration, ForcedPortReturnsToItsForcedSettingsAndStaysOpen) {
    port->ForceCommPortOpen(7, {.baudRate = 9600});
    port->RegisterForSRecord(&a);
    EXPECT_TRUE(port->OverrideHandshaking(8, true, 115));
    EXPECT_TRUE(port->OverrideSettings({.baudRate = 38400, .parity = 'e', .dataBits = 7, .stopBits = 2}, true));
    EXPECT_EQ(device.settingsText(), "38400,e,7,2");

    port->DeRegisterForAll(&a);
    EXPECT_TRUE(port->GetCommPortOpen());
    EXPECT_EQ(device.closes, 0);
    EXPECT_EQ(device.settingsText(), "9600,n,8,1");
    EXPECT_EQ(port->GetWorkingTxMode(), 7);
    EXPECT_FALSE(port->GetSimulatedDmpProtocol());
    EXPECT_FALSE(port->GetExtendedLengthMode());
}

TEST_F(PortRegistration, AWindowLeavingDuringADeliveryMakesNoOtherWindowMissIt) {
    for (auto* w : {&a, &b, &c}) port->RegisterForRxCrLf(w);
    // a and b each close themselves on their first line; c, behind them, must still hear it.
    a.onCall = [&] { port->DeRegisterForAll(&a); };
    b.onCall = [&] { port->DeRegisterForAll(&b); };
    device.inject("one\r\ntwo\r\n");
    EXPECT_EQ(log, (std::vector<std::string>{"a:line one", "b:line one", "c:line one", "c:line two"}));
}

TEST_F(PortRegistration, AWindowLeftBeforeItsTurnIsNotCalled) {
    for (auto* w : {&a, &b, &c}) port->RegisterForRxCrLf(w);
    a.onCall = [&] { port->DeRegisterForAll(&b); };
    device.inject("x\n");
    EXPECT_EQ(log, (std::vector<std::string>{"a:line x", "c:line x"}));
}

TEST_F(PortRegistration, AWindowAddedDuringADeliveryWaitsForTheNextMessage) {
    port->RegisterForRxCrLf(&a);
    a.onCall = [&] {
        port->RegisterForRxCrLf(&b);
        a.onCall = nullptr;
    };
    device.inject("one\rtwo\r");
    EXPECT_EQ(log, (std::vector<std::string>{"a:line one", "a:line two", "b:line two"}));
}

TEST_F(PortRegistration, AFailingWindowIsPassedOver) {
    struct Throwing : CommForm {
        void RxCrLfData(const std::string&) override { throw std::runtime_error("window gone"); }
    } bad;
    port->RegisterForRxCrLf(&bad);
    port->RegisterForRxCrLf(&a);
    testing::internal::CaptureStderr();
    device.inject("ok\r\n");
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, (std::vector<std::string>{"a:line ok"}));
    // Passed over, not hidden: the failure is written out with its port.
    EXPECT_NE(reported.find("Com 1"), std::string::npos) << reported;
    EXPECT_NE(reported.find("window gone"), std::string::npos) << reported;
}

}  // namespace
}  // namespace k45::test
