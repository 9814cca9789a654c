// The modem command senders: every line byte for byte as it leaves the primary port.
#include <gtest/gtest.h>

#include "base/hex_text.h"
#include "radio/synthesizer.h"
#include "serial/modem_commands.h"
#include "serial/port_fixture.h"

namespace k45::test {
namespace {

struct CommandSenders : PortFixture {
    CommandSenders() { EXPECT_TRUE(port->OpenCommPort()); }
};

TEST_F(CommandSenders, CommandLines) {
    struct Case {
        std::function<void()> send;
        std::string line;
    };
    classComm& p = *port;
    const Case cases[] = {
        {[&] { SendCommand(p, "?"); }, "?\r"},
        {[&] { SendCommand(p, ModemCommandText(ModemCommand::DumpParameters)); }, "DE\r"},
        {[&] { SendCommand(p, ""); }, "\r"},
        {[&] { SendCommand(p, " ns"); }, " ns\r"},  // sent as given
        {[&] { SendCommandAndByte(p, "CHANNEL", 10); }, "CHANNEL0A\r"},
        {[&] { SendCommandAndByte(p, "POTGAIN", 255); }, "POTGAIN" "FF\r"},
        {[&] { SendRemoteCommand(p, 0, "AS"); }, "REM00000000AS\r"},
        {[&] { SendRemoteCommand(p, 4294967295.0, "NS"); }, "REMFFFFFFFFNS\r"},
        {[&] { SendRemoteCommandAndByte(p, 1024, "TONE", 1); }, "REM00000400TONE01\r"},
        {[&] { SendSRecordEnd(p); }, "S9030000FC\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        c.send();
        EXPECT_EQ(device.takeWire(), c.line);
    }
    // Mode 7 is the programming mode: no keying even on a keyed configured port.
    EXPECT_TRUE(device.rtsHistory.empty());
}

TEST_F(CommandSenders, CommandWordsOfTheDialogue) {
    const std::pair<ModemCommand, const char*> words[] = {
        {ModemCommand::VersionRequest, "?"},        {ModemCommand::DumpRam, "DA"},
        {ModemCommand::ReadDiagnostics, "AS"},      {ModemCommand::ReadCalibrationSample, "AT"},
        {ModemCommand::ClearDiagnostics, "AR"},     {ModemCommand::ReadNetworkStatistics, "NS"},
        {ModemCommand::ClearNetworkStatistics, "NR"}, {ModemCommand::EndTest, "T0"},
        {ModemCommand::ReadChannelSwitch, "CSWITCH"}, {ModemCommand::ReadRssi, "RSSI"},
        {ModemCommand::RedirectChannel8, "CHANNEL"}, {ModemCommand::TransmitTone, "TONE"},
        {ModemCommand::TransmitTestData, "PSUDO"},  {ModemCommand::TransmitModBalance, "BALANCE"},
        {ModemCommand::SetGainPot, "POTGAIN"},      {ModemCommand::SetDeviationPot, "POTDEV"},
        {ModemCommand::EndWrite, "S9"},             {ModemCommand::LoadRadioSetup, "T1"},
    };
    for (auto [c, w] : words) EXPECT_STREQ(ModemCommandText(c), w);
}

// Checks a "T1" line: prefix, count, address, data and a checksum that makes the bytes sum to
// 255; returns the data bytes.
std::vector<int> TuneLineBytes(const std::string& line, int count) {
    EXPECT_EQ(line.substr(0, 2), "T1");
    EXPECT_EQ(line.back(), '\r');
    EXPECT_EQ(line.size(), static_cast<size_t>(2 + 2 * (count + 1) + 1));
    std::vector<int> bytes;
    for (size_t i = 2; i + 1 < line.size(); i += 2) bytes.push_back(HexToByte(line.substr(i, 2)));
    EXPECT_EQ(bytes.front(), count);
    int sum = 0;
    for (int b : bytes) sum += b;
    EXPECT_EQ(sum % 256, 255);
    return std::vector<int>(bytes.begin() + 3, bytes.end() - 1);  // skip count and address
}

TEST_F(CommandSenders, TuneLineOfModelSixCarriesTheAdjustValues) {
    TuneRecord t;
    t.model = 6;
    t.synthFrequency = 451000000;
    t.txSelected = kTrue;
    t.rxGainAdj = 1;
    t.txDeviationAdj = 2;
    t.frontEndValue = 3;
    t.modValue = 4;
    t.powerValue = 5;
    t.rssiCalAdj = -1;
    t.powerCalAdj = 7;
    SendTuneRecord(*port, app, app, t);
    const std::string line = device.takeWire();
    EXPECT_EQ(line.size(), 53u);
    EXPECT_EQ(line.substr(2, 6), "180000");
    const auto data = TuneLineBytes(line, 0x18);
    ASSERT_EQ(data.size(), 21u);
    SynthBytes synth{};
    CalcSynthWords(app, app, synth, t.synthFrequency, t.radioType, t.radioRange, true, false, t.fcAdj, t.fcOverride);
    for (int i = 0; i < kSynthByteCount; ++i) EXPECT_EQ(data[static_cast<size_t>(i)], synth[static_cast<size_t>(i)] & 0xFF);
    EXPECT_EQ(std::vector<int>(data.begin() + 13, data.end()), (std::vector<int>{8, 1, 2, 3, 4, 5, 0xFF, 7}));

    t.rssiCalAdj = -128;
    EXPECT_EQ(TuneRecordLine(app, app, t).substr(8 + 2 * 19, 2), "80");  // data byte 19
}

TEST_F(CommandSenders, TuneLineOfOtherModelsEndsWithTwoZeros) {
    TuneRecord t;
    t.model = 4;
    t.rxGainAdj = 9;  // not sent for this model
    SendTuneRecord(*port, app, app, t);
    const std::string line = device.takeWire();
    EXPECT_EQ(line.size(), 43u);
    EXPECT_EQ(line.substr(2, 6), "130000");
    const auto data = TuneLineBytes(line, 0x13);
    ASSERT_EQ(data.size(), 16u);
    EXPECT_EQ(std::vector<int>(data.begin() + 13, data.end()), (std::vector<int>{8, 0, 0}));
}

}  // namespace
}  // namespace k45::test
