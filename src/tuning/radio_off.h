#pragma once
// What a window tells the operator when it gives up an exchange while the radio may be
// transmitting. By then it has sent the radio its unkey.
namespace k45 {

inline constexpr const char* kTxOffText = "Modem not responding! The transmitter was turned off.";
// A calibration point was being measured: it was not stored.
inline constexpr const char* kPointNotTakenText =
    "Modem not responding! The point was not taken; the transmitter was turned off.";

}  // namespace k45
