#pragma once
// The serial line settings of a port: baud rate, parity letter, data bits and stop bits. Taken
// apart once, where they come from (the settings file's keys, the Port Settings lists), and
// handed on as they are; the text form "9600,n,8,1" is only for showing them.
#include <cstdint>
#include <string>

namespace k45 {

// Character sizes a port takes (the Port Settings window offers them all in engineering mode).
inline constexpr int kMinDataBits = 4;
inline constexpr int kMaxDataBits = 8;

struct PortSettings {
    std::int32_t baudRate = 9600;
    // n, o, e, m or s, in the case it was given (the Port Settings window stores upper case,
    // the settings file is read in lower case); compared as it is.
    char parity = 'n';
    std::int16_t dataBits = 8;
    std::int16_t stopBits = 1;

    bool operator==(const PortSettings&) const = default;
};

// "9600,n,8,1": baud rate, parity letter, data bits and stop bits joined by commas.
inline std::string PortSettingsText(const PortSettings& s) {
    return std::to_string(s.baudRate) + "," + std::string(1, s.parity) + "," + std::to_string(s.dataBits) + "," +
           std::to_string(s.stopBits);
}

inline bool ParityNone(char parity) { return parity == 'n' || parity == 'N'; }

// Why a serial device cannot take the settings, or empty when it can: a baud rate above 0,
// parity n, o, e, m or s in either case, 4 to 8 data bits, 1 or 2 stop bits.
inline std::string PortSettingsProblem(const PortSettings& s) {
    std::string why;
    auto add = [&](const std::string& part) { why += (why.empty() ? "" : "; ") + part; };
    if (s.baudRate <= 0) add("bad baud rate " + std::to_string(s.baudRate));
    const char p = static_cast<char>(s.parity | 0x20);
    if (p != 'n' && p != 'o' && p != 'e' && p != 'm' && p != 's')
        add("bad parity \"" + std::string(1, s.parity) + "\"");
    if (s.dataBits < kMinDataBits || s.dataBits > kMaxDataBits) add("bad data bits " + std::to_string(s.dataBits));
    if (s.stopBits != 1 && s.stopBits != 2) add("bad stop bits " + std::to_string(s.stopBits));
    return why.empty() ? why : "Invalid settings " + PortSettingsText(s) + ": " + why;
}

// Bits one character takes on the line: start bit, data bits, parity bit, stop bits.
inline int BitsPerCharacter(const PortSettings& s) {
    return 1 + s.dataBits + (ParityNone(s.parity) ? 0 : 1) + s.stopBits;
}

}  // namespace k45
