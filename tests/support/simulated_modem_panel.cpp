// The simulated modem's answers to the commands only the test panels and calibration windows
// send (the tuning commands are handleTuningLine's).
#include "base/hex_text.h"
#include "support/simulated_modem.h"

namespace k45::test {

std::string SwitchRecord(int setting) {
    const int b = setting & 0xFF;
    return "R8" + ByteToHex2(3) + ByteToHex2(0) + ByteToHex2(b) + ByteToHex2(255 - ((3 + b) & 0xFF));
}

bool SimulatedModem::handlePanelLine(const std::string& line) {
    const std::string crlf = "\r\n";
    ModemStep step;
    if (line == "RSSI") step = ModemStep::Rssi;
    else if (line == "CSWITCH") step = ModemStep::Switch;
    else if (line.rfind("PSUDO", 0) == 0) step = ModemStep::Psudo;
    else if (line.rfind("POTGAIN", 0) == 0 || line.rfind("POTDEV", 0) == 0) step = ModemStep::Pot;
    else return false;
    bool silent = false, noAck = false, refuse = false;
    for (const auto& x : faultsFor(step)) {
        silent = silent || x.kind == ModemFault::Silence;
        noAck = noAck || x.kind == ModemFault::NoAck;
        refuse = refuse || x.kind == ModemFault::Refuse;
    }
    if (silent) return true;
    if (refuse) {
        answer({StatusRecord(1) + crlf});
        return true;
    }
    std::vector<std::string> pieces;
    if (step == ModemStep::Rssi) {
        pieces = diagAnswer(diagBlock);
        if (!noAck) pieces.push_back(AckRecord() + crlf);
    } else if (step == ModemStep::Switch) {
        if (!noAck) pieces.push_back(SwitchRecord(switchSetting) + crlf);
    } else {
        pieces = commandAck(noAck);
    }
    answer(pieces, step == ModemStep::Rssi ? nextDiagDelay() : -1, step == ModemStep::Rssi ? diagRecordGapMs : 0);
    return true;
}

}  // namespace k45::test
