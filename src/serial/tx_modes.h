#pragma once
// The transmit and handshake modes 0..12 of a port object.
#include <array>
#include <cstdint>
#include <string>

#include "platform/port_settings.h"

namespace k45 {

// Where a line level comes from in a mode: fixed, or the port object's setting
// (dtrEnabled for DTR, ignoreDCD for the ignore-DCD flag).
enum class ModeLevel { Low, High, Setting };

struct TxModeEntry {
    int handshaking;      // 0 none, 2 hardware RTS/CTS by the device
    bool rtsHigh;
    ModeLevel dtr;
    ModeLevel ignoreDcd;  // Low = False, High = True
    bool keyed;           // sends raise RTS and wait for CTS
};

inline constexpr int kTxModeCount = 13;
inline constexpr int kProgrammingTxMode = 7;
inline constexpr int kDmpTxMode = 8;
// The serial settings of the programming mode and of every open before the port's own.
inline constexpr PortSettings kProgrammingPortSettings{.baudRate = 9600, .parity = 'n', .dataBits = 8, .stopBits = 1};

// The entry of a mode; a mode outside 0..12 gets no handshaking, RTS and DTR low, and the
// port's own ignore-DCD setting.
const TxModeEntry& TxModeTable(std::int32_t mode);
bool TxModeValid(std::int32_t mode);
// Modes 2, 3, 9 and 10.
bool IsKeyedTxMode(std::int32_t mode);

// Captions of modes 0..5 in the Port Settings window.
extern const std::array<const char*, 6> kPortSettingsModeCaptions;

}  // namespace k45
