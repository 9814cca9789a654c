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

// The end pair as the K45 modem answers, or the bare acknowledgement.
TEST_F(ModemTuningAnswers, AcknowledgedCommands) {
    const std::string ack = AckRecord() + "\r\n";
    const std::string pair = EndRecord() + "\r\n" + ack;
    EXPECT_EQ(Answer("T10F0000"), pair);
    EXPECT_EQ(Answer("AR"), pair);
    EXPECT_EQ(Answer("BALANCE3C"), pair);
    EXPECT_EQ(Answer("T0"), pair);
    modem.ackForm = AckForm::Bare;
    EXPECT_EQ(Answer("T10F0000"), ack);
    EXPECT_EQ(Answer("T0"), ack);
    EXPECT_EQ(modem.balanceCommands, std::vector<int>{60});
    EXPECT_EQ(modem.endTests, 2);
}

// At the modem's memory addresses 4000, 4016 and 6000, or from address 0 in one record or in
// three; either way the end record and the acknowledgement close it.
TEST_F(ModemTuningAnswers, DiagnosticBlockAtMemoryAddressesOrFromZero) {
    const std::uint8_t* b = modem.diagBlock.data();
    const std::string tail = EndRecord() + "\r\n" + AckRecord() + "\r\n";
    EXPECT_EQ(Answer("AS"), DataRecord(4000, b, 16) + "\r\n" + DataRecord(4016, b + 16, 14) + "\r\n" +
                                DataRecord(6000, b + 30, 12) + "\r\n" + tail);
    modem.ackForm = AckForm::Bare;  // a diagnostic reply keeps its end record
    modem.dataForm = DataForm::BlockOffsets;
    EXPECT_EQ(Answer("AS"), DataRecord(0, b, 42) + "\r\n" + tail);
    modem.splitDiagBlocks = true;
    EXPECT_EQ(Answer("AS"), DataRecord(0, b, 16) + "\r\n" + DataRecord(16, b + 16, 16) + "\r\n" +
                                DataRecord(32, b + 32, 10) + "\r\n" + tail);
}

TEST_F(ModemTuningAnswers, SamplesAreTakenInOrderThenTheStandingBlock) {
    SimulatedModem::DiagBlock a{}, b{};
    a[7] = 70;
    b[7] = 71;
    modem.samples = {a, b};
    modem.dataForm = DataForm::BlockOffsets;
    const std::string tail = EndRecord() + "\r\n" + AckRecord() + "\r\n";
    EXPECT_EQ(Answer("AT"), DataRecord(0, a.data(), 42) + "\r\n" + tail);
    EXPECT_EQ(Answer("AT"), DataRecord(0, b.data(), 42) + "\r\n" + tail);
    EXPECT_EQ(Answer("AT"), DataRecord(0, modem.diagBlock.data(), 42) + "\r\n" + tail);
}

TEST_F(ModemTuningAnswers, FaultsApplyPerCommand) {
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, 2});
    modem.addFault({ModemFault::NoAck, ModemStep::Diagnostics});
    modem.addFault({ModemFault::NoAck, ModemStep::Tune});
    modem.dataForm = DataForm::BlockOffsets;
    EXPECT_EQ(Answer("T0"), "");
    EXPECT_EQ(Answer("T0"), "");
    EXPECT_EQ(Answer("T0"), EndRecord() + "\r\n" + AckRecord() + "\r\n");
    EXPECT_EQ(Answer("AS"), DataRecord(0, modem.diagBlock.data(), 42) + "\r\n" + EndRecord() + "\r\n");
    EXPECT_EQ(Answer("T10F0000"), EndRecord() + "\r\n");  // the end record without its acknowledgement
    EXPECT_EQ(modem.endTests, 1);
}

}  // namespace
}  // namespace k45::test
