#pragma once
// Senders of the modem's text commands and of the "S9" and "T1" records. Each builds one line
// ended by CR and hands it to the primary port object with transmit mode 7; whether and when
// it leaves the port is the transmit path's affair.
#include <cstdint>
#include <string>

#include "serial/modem_line.h"

namespace k45 {

struct ModeFlags;
struct SharedRecords;
struct TuneRecord;
class classComm;

enum class ModemCommand {
    VersionRequest,          // "?"
    DumpParameters,          // "DE"
    DumpRam,                 // "DA"
    ReadDiagnostics,         // "AS"
    ReadCalibrationSample,   // "AT"
    ClearDiagnostics,        // "AR"
    ReadNetworkStatistics,   // "NS"
    ClearNetworkStatistics,  // "NR"
    EndTest,                 // "T0"
    ReadChannelSwitch,       // "CSWITCH"
    ReadRssi,                // "RSSI"
    RedirectChannel8,        // "CHANNEL"
    TransmitTone,            // "TONE"
    TransmitTestData,        // "PSUDO"
    TransmitModBalance,      // "BALANCE"
    SetGainPot,              // "POTGAIN"
    SetDeviationPot,         // "POTDEV"
    EndWrite,                // "S9"
    LoadRadioSetup,          // "T1"
};

// The command word as it goes on the line.
const char* ModemCommandText(ModemCommand command);

// The lines, CR included.
std::string CommandLine(const std::string& command);
std::string CommandAndByteLine(const std::string& command, std::int16_t value);
std::string RemoteCommandLine(std::uint32_t unitId, const std::string& command);
std::string RemoteCommandAndByteLine(std::uint32_t unitId, const std::string& command, std::int16_t value);
std::string SRecordEndLine();
// "T1", the record body of the tune data at address 0, CR. Needs the bit tables and the radio
// radio spec table of app for the synthesizer bytes.
std::string TuneRecordLine(const ModeFlags& modes, const SharedRecords& records, const TuneRecord& tune);

// Sends a command line on the port in mode 7 and notes its reply as owed to `tag` (the port's
// ModemLine), lapsing after `lapseMs` of silence. Nothing is sent or owed on a closed port
// (whose SendString would show its own message): false then.
bool SendModemLine(classComm& port, const std::string& line, const ReplyTag& tag = {},
                   int lapseMs = kDefaultReplyLapseMs);

// The senders: one SendModemLine of the line each, owed to no exchange.
void SendCommand(classComm& primary, const std::string& command);
void SendCommandAndByte(classComm& primary, const std::string& command, std::int16_t value);
void SendRemoteCommand(classComm& primary, std::uint32_t unitId, const std::string& command);
void SendRemoteCommandAndByte(classComm& primary, std::uint32_t unitId, const std::string& command,
                              std::int16_t value);
void SendSRecordEnd(classComm& primary);
void SendTuneRecord(classComm& primary, const ModeFlags& modes, const SharedRecords& records, const TuneRecord& tune);
// An "S1" program record: "S1", the record body, CR LF.
void SendProgramRecord(classComm& primary, const std::string& body);

}  // namespace k45
