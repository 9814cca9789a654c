#include "serial/modem_commands.h"

#include <array>
#include <span>

#include "base/hex_text.h"
#include "model/app_state.h"
#include "model/records.h"
#include "radio/synthesizer.h"
#include "serial/class_comm.h"
#include "serial/srecord_codec.h"
#include "serial/tx_modes.h"

namespace k45 {

namespace {
constexpr char kCr = '\r';
constexpr int kTuneModelWithAdjusts = 6;
}  // namespace

const char* ModemCommandText(ModemCommand command) {
    switch (command) {
    case ModemCommand::VersionRequest: return "?";
    case ModemCommand::DumpParameters: return "DE";
    case ModemCommand::DumpRam: return "DA";
    case ModemCommand::ReadDiagnostics: return "AS";
    case ModemCommand::ReadCalibrationSample: return "AT";
    case ModemCommand::ClearDiagnostics: return "AR";
    case ModemCommand::ReadNetworkStatistics: return "NS";
    case ModemCommand::ClearNetworkStatistics: return "NR";
    case ModemCommand::EndTest: return "T0";
    case ModemCommand::ReadChannelSwitch: return "CSWITCH";
    case ModemCommand::ReadRssi: return "RSSI";
    case ModemCommand::RedirectChannel8: return "CHANNEL";
    case ModemCommand::TransmitTone: return "TONE";
    case ModemCommand::TransmitTestData: return "PSUDO";
    case ModemCommand::TransmitModBalance: return "BALANCE";
    case ModemCommand::SetGainPot: return "POTGAIN";
    case ModemCommand::SetDeviationPot: return "POTDEV";
    case ModemCommand::EndWrite: return "S9";
    case ModemCommand::LoadRadioSetup: return "T1";
    }
    return "";
}

std::string CommandLine(const std::string& command) { return command + kCr; }

std::string CommandAndByteLine(const std::string& command, std::int16_t value) {
    return command + ByteToHex2(value) + kCr;
}

std::string RemoteCommandLine(std::uint32_t unitId, const std::string& command) {
    return "REM" + LongToHex8(unitId) + command + kCr;
}

std::string RemoteCommandAndByteLine(std::uint32_t unitId, const std::string& command, std::int16_t value) {
    return "REM" + LongToHex8(unitId) + command + ByteToHex2(value) + kCr;
}

std::string SRecordEndLine() {
    return "S9" + MessSRecord(0, std::span<const std::uint8_t>()).value_or("030000FC") + kCr;
}

std::string TuneRecordLine(const ModeFlags& modes, const SharedRecords& records, const TuneRecord& tune) {
    std::array<std::int16_t, 27> buf{};
    CalcSynthWords(modes, records, std::span<std::int16_t, kSynthByteCount>(buf.data(), kSynthByteCount), tune.synthFrequency,
                   tune.radioType, tune.radioRange, IsSet(tune.txSelected), IsSet(tune.sa7026Synthesizer), tune.fcAdj,
                   tune.fcOverride);
    int len = kSynthByteCount;
    buf[static_cast<size_t>(len++)] = 8;
    if (tune.model == kTuneModelWithAdjusts) {
        for (std::int16_t v : {tune.rxGainAdj, tune.txDeviationAdj, tune.frontEndValue, tune.modValue, tune.powerValue,
                               static_cast<std::int16_t>(tune.rssiCalAdj < 0 ? tune.rssiCalAdj + 256 : tune.rssiCalAdj),
                               tune.powerCalAdj})
            buf[static_cast<size_t>(len++)] = v;
    } else {
        buf[static_cast<size_t>(len++)] = 0;
        buf[static_cast<size_t>(len++)] = 0;
    }
    // A record byte carries the low 8 bits of each value.
    std::array<std::uint8_t, 27> bytes{};
    for (int i = 0; i < len; ++i) bytes[static_cast<size_t>(i)] = static_cast<std::uint8_t>(buf[static_cast<size_t>(i)] & 0xFF);
    auto body = MessSRecord(0, std::span<const std::uint8_t>(bytes.data(), static_cast<size_t>(len)));
    return "T1" + body.value_or(std::string()) + kCr;
}

bool SendModemLine(classComm& port, const std::string& line, const ReplyTag& tag, int lapseMs) {
    // A closed port shows its own message for the write and owes nothing.
    const bool open = port.GetCommPortOpen();
    port.SendString(line, kProgrammingTxMode);
    if (open) port.modemLine().Sent(line, tag, lapseMs, port.NowMs());
    return open;
}

void SendCommand(classComm& primary, const std::string& command) { SendModemLine(primary, CommandLine(command)); }

void SendCommandAndByte(classComm& primary, const std::string& command, std::int16_t value) {
    SendModemLine(primary, CommandAndByteLine(command, value));
}

void SendRemoteCommand(classComm& primary, std::uint32_t unitId, const std::string& command) {
    SendModemLine(primary, RemoteCommandLine(unitId, command));
}

void SendRemoteCommandAndByte(classComm& primary, std::uint32_t unitId, const std::string& command,
                              std::int16_t value) {
    SendModemLine(primary, RemoteCommandAndByteLine(unitId, command, value));
}

void SendSRecordEnd(classComm& primary) { SendModemLine(primary, SRecordEndLine()); }

void SendTuneRecord(classComm& primary, const ModeFlags& modes, const SharedRecords& records, const TuneRecord& tune) {
    SendModemLine(primary, TuneRecordLine(modes, records, tune));
}

void SendProgramRecord(classComm& primary, const std::string& body) {
    SendModemLine(primary, "S1" + body + "\r\n");
}

}  // namespace k45
