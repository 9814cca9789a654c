#pragma once
// What a window tells the operator about a radio that may be transmitting when an exchange is
// given up or the port is gone. "Turned off" is said only once the modem acknowledged the
// unkey; until then the unkey stays owed and goes first whenever the modem can answer.
#include <string>

namespace k45 {

// The exchange went unanswered; the unkey that followed was acknowledged.
inline constexpr const char* kTxOffText =
    "Modem not responding! It then acknowledged the unkey: the transmitter was turned off.";
// The same while a calibration point was being measured: it was not stored.
inline constexpr const char* kPointNotTakenText =
    "Modem not responding! The point was not taken. The modem then acknowledged the unkey: the transmitter was "
    "turned off.";
// The unkey went unanswered too.
inline constexpr const char* kMayTransmitText =
    "Modem not responding! The radio may still be transmitting: the modem did not acknowledge the unkey. It is sent "
    "again first as soon as the modem answers.";
inline constexpr const char* kPointMayTransmitText =
    "Modem not responding! The point was not taken. The radio may still be transmitting: the modem did not "
    "acknowledge the unkey. It is sent again first as soon as the modem answers.";
// A point given up after the modem had acknowledged the receive set-up: the radio is off, the
// "T0" that followed went unanswered.
inline constexpr const char* kPointLostText = "Modem not responding! The point was not taken.";
// A modem that came back acknowledged the unkey still owed.
inline constexpr const char* kTxOffLaterText =
    "The modem answers again and acknowledged the unkey: the transmitter was turned off.";

// The owed unkey was acknowledged. `told`: the operator had heard that the radio may still be
// transmitting. `pointLost`: it followed a calibration point given up.
inline const char* UnkeyAcknowledgedText(bool told, bool pointLost) {
    return told ? kTxOffLaterText : pointLost ? kPointNotTakenText : kTxOffText;
}
// The owed unkey went unanswered. `keyed`: the radio may still be transmitting; else it had
// acknowledged its receive set-up.
inline const char* UnkeyUnansweredText(bool keyed, bool pointLost) {
    if (!keyed) return kPointLostText;
    return pointLost ? kPointMayTransmitText : kMayTransmitText;
}

inline std::string PortNotOpenHead(int portNumber) {
    return "Com Port " + std::to_string(portNumber) + " is not open! ";
}

// The port to the modem is closed (its adapter lost): nothing was sent. `keyed`: the radio may be
// transmitting, and its unkey waits for the port.
inline std::string PortClosedText(int portNumber, bool keyed) {
    const std::string head = PortNotOpenHead(portNumber);
    if (!keyed) return head + "Nothing was sent to the modem.";
    return head +
           "The radio may still be transmitting: the unkey could not be sent. It is sent first as soon as the port is "
           "open again and the modem answers.";
}

// The same as the window closes: with it goes the unkey, so none is promised.
inline std::string PortClosedAtCloseText(int portNumber, bool keyed) {
    if (!keyed) return PortClosedText(portNumber, false);
    return PortNotOpenHead(portNumber) + "The radio may still be transmitting: the unkey could not be sent.";
}

// The port leads to another device now (Port Settings, a swap): the radio on the old one was
// not sent its unkey, and none is sent to the radio on the new one.
inline std::string LeftRadioText(int portNumber, const std::string& oldDevice) {
    return "Com Port " + std::to_string(portNumber) + " now leads to another device! The radio on " + oldDevice +
           " may still be transmitting: the unkey could not be sent to it.";
}

// The port was lost while the end test ("T0") awaited its acknowledgement: the radio was not heard
// to leave its test, so the window stays open. `keyed`: the radio may be transmitting, and its
// unkey waits for the port.
inline std::string EndTestPortLostText(int portNumber, bool keyed) {
    const std::string head =
        "Com Port " + std::to_string(portNumber) + " was lost before the modem acknowledged the end test! ";
    if (!keyed)
        return head + "The radio may still be in its test. Close sends the end test again once the port is open.";
    return head +
           "The radio may still be transmitting. The unkey is sent first as soon as the port is open again and the "
           "modem answers.";
}

}  // namespace k45
