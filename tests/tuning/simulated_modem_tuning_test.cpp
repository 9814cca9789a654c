// The simulated modem's answers to the tuning commands, seen on the wire.
#include <gtest/gtest.h>

#include "support/null_modem.h"
#include "support/simulated_modem.h"
#include "support/virtual_scheduler.h"

namespace k45::test {
namespace {

class ModemTuningAnswers : public ::testing::Test {
protected:
    ModemTuningAnswers() {
        modem.attach(cable);
        EXPECT_TRUE(cable.a().open(nullptr));
        for (int i = 0; i < 42; ++i) modem.diagBlock[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 1);
    }
    // What the modem writes in answer to one line.
    std::string Answer(const std::string& line) {
        const std::size_t before = modem.sentBytes.size();
        cable.a().send(line + "\r");
        sched.advance(500);
        return modem.sentBytes.substr(before);
    }
    VirtualScheduler sched;
    NullModemPair cable{sched};
    SimulatedModem modem{sched};
};

TEST_F(ModemTuningAnswers, AcknowledgedCommands) {
    const std::string ack = AckRecord() + "\r\n";
    EXPECT_EQ(Answer("T10F0000"), ack);
    EXPECT_EQ(Answer("AR"), ack);
    EXPECT_EQ(Answer("BALANCE3C"), ack);
    EXPECT_EQ(Answer("T0"), ack);
    EXPECT_EQ(modem.balanceCommands, std::vector<int>{60});
    EXPECT_EQ(modem.endTests, 1);
}

TEST_F(ModemTuningAnswers, DiagnosticBlockInOneRecordOrThree) {
    const std::string tail = EndRecord() + "\r\n" + AckRecord() + "\r\n";
    EXPECT_EQ(Answer("AS"), DataRecord(0, modem.diagBlock.data(), 42) + "\r\n" + tail);
    modem.splitDiagBlocks = true;
    EXPECT_EQ(Answer("AS"), DataRecord(0, modem.diagBlock.data(), 16) + "\r\n" +
                                DataRecord(16, modem.diagBlock.data() + 16, 16) + "\r\n" +
                                DataRecord(32, modem.diagBlock.data() + 32, 10) + "\r\n" + tail);
}

TEST_F(ModemTuningAnswers, SamplesAreTakenInOrderThenTheStandingBlock) {
    SimulatedModem::DiagBlock a{}, b{};
    a[7] = 70;
    b[7] = 71;
    modem.samples = {a, b};
    const std::string tail = EndRecord() + "\r\n" + AckRecord() + "\r\n";
    EXPECT_EQ(Answer("AT"), DataRecord(0, a.data(), 42) + "\r\n" + tail);
    EXPECT_EQ(Answer("AT"), DataRecord(0, b.data(), 42) + "\r\n" + tail);
    EXPECT_EQ(Answer("AT"), DataRecord(0, modem.diagBlock.data(), 42) + "\r\n" + tail);
}

TEST_F(ModemTuningAnswers, FaultsApplyPerCommand) {
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, 2});
    modem.addFault({ModemFault::NoAck, ModemStep::Diagnostics});
    EXPECT_EQ(Answer("T0"), "");
    EXPECT_EQ(Answer("T0"), "");
    EXPECT_EQ(Answer("T0"), AckRecord() + "\r\n");
    EXPECT_EQ(Answer("AS"), DataRecord(0, modem.diagBlock.data(), 42) + "\r\n" + EndRecord() + "\r\n");
    EXPECT_EQ(modem.endTests, 1);
}

}  // namespace
}  // namespace k45::test
