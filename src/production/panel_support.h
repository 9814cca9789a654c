#pragma once
// What the test panels and the calibration windows share: their dialogue states, the adjust
// arithmetic, the transmit-mode schedule, the diagnostics reply's display texts,
// the averaging of readings, and the small interface through which a dialogue reaches the
// windows around it (parameter reader, read/write window, its own window).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "params/diag_parsers.h"
#include "platform/locale_info.h"

namespace k45 {

class ParmsClient;
class classComm;
struct SRecordMessage;

// What the dialogue of the production, engineer and user test panels waits for. The user test's
// own exchanges, resent up to three times, have states of their own.
enum class TestPanelState : std::int32_t {
    Idle,
    AwaitingParameters,      // the current-parameter read
    ParametersReady,         // read: the radio is set up at the next activation
    AwaitingDiagnostics,     // the data of the "AS" reply
    AwaitingDiagnosticsEnd,  // its end record
    AwaitingAck,             // the acknowledgement of the "AS" reply, or of a tune record
    AwaitingEndTestAck,      // "T0" of the end test
    // The user test's own.
    AwaitingSwitchSetting,     // "CSWITCH": the record carrying the switch setting
    AwaitingChannelTuneAck,    // the channel's tune record
    AwaitingRedirectAck,       // "CHANNEL"
    AwaitingClearAck,          // "AR"
    AwaitingResentEndTestAck,  // "T0" of the end test, resent up to three times
};

enum TransmitMode : std::int32_t { txTone = 0, txModBalance = 1, txRandomData = 2, txNoModulation = 3 };

enum AdjustSelect : std::int32_t {
    adjRxGain = 0,
    adjTxDeviation = 1,
    adjFrontEnd = 2,
    adjModFlatness = 3,
    adjPower = 4,
    adjRssiCal = 5,
    adjPowerCal = 6,
    adjCnFc = 7,
};

inline constexpr const char* kEndTestText = "Unit Not Responding to End Test!";
inline constexpr const char* kUnsupportedModemText = "This K45M Modem Does Not Support this Test!";
inline constexpr const char* kTxingText = "Tx'ing";
inline constexpr const char* kRxingText = "Rx'ing";

// Key codes of the panels' keys.
enum PanelKey : int {
    keyEnter = 13,
    keyPageUp = 33,
    keyPageDown = 34,
    keyF2 = 113,
    keyF3 = 114,
    keyF4 = 115,
    keyF5 = 116,
    keyF6 = 117,
    keyF7 = 118,
    keyF8 = 119,
    keyF9 = 120,
    keyF10 = 121,
};
// Modifier bits of a key (others are ignored).
inline constexpr int kShiftBit = 1;
inline constexpr int kCtrlBit = 2;
inline constexpr int kAltBit = 4;

// The step of PgUp / PgDn with no modifier (1 / 255) or Ctrl alone (10 / 246) from a key's
// modifier bits (bits above Shift, Ctrl and Alt do not count); the arithmetic is the tuning
// window's (tuning/tune_math.h).
std::optional<int> AdjustStepOfKey(int keyCode, int modifiers);
// A value typed for the selected adjust, limited to its range (-128..127 for RSSI cal, else
// 0..255).
std::int16_t ClampDirectValue(AdjustSelect select, std::int32_t value);

// What the delayed command of a transmit mode sends next.
enum class TxModeStep : std::int32_t {
    None,        // nothing is due
    LeadInNext,  // the command with 01; the value follows 1250 ms later (Random Data)
    ValueNext,   // the command with the mode's value, the last of it
};

// The delayed command of a transmit mode after a tune record that keys the transmitter.
struct TxModePlan {
    std::string command;     // "BALANCE" or "PSUDO"
    std::int16_t value = 0;  // the byte sent last
    TxModeStep firstStep = TxModeStep::ValueNext;
    int displayMs = 0;  // how long the panel shows "Tx'ing"
};
inline constexpr int kTxModeDelayMs = 1000;
inline constexpr int kTxModeSecondDelayMs = 1250;
// Nothing for Tone and No Modulation (the transmitter stays keyed).
std::optional<TxModePlan> PlanTxMode(std::int32_t mode, int txTimeSeconds, int txTimeMaximum = 60);

// The texts of the panels' diagnostics group for one parsed reply and the chosen group.
struct DiagnosticsTexts {
    std::string batteryVoltage, analogVcc, temperature, rssiLevel, fwdPwr, revPwr;
    std::string preambleGood, preambleTotal, preambleDcd;
    std::string currentLevel;       // always the Current group
    std::int16_t currentPercent = 0;
};
DiagnosticsTexts MakeDiagnosticsTexts(const DiagnosticsRecord& d, DiagGroup group, const LocaleInfo& locale);

// "0x" and two upper-case hex digits of a value taken as a byte.
std::string HexByteText(std::int16_t value);

// At an activation: applies the dialogues' port settings (9600 baud, transmit mode 7) and tells
// whether the primary port is another one than at the last activation (no port has number 0).
bool PortChanged(classComm* port, std::int16_t& lastPortNumber);

// What a dialogue of these windows needs of its own window; the other windows it reaches
// through the main window's services (DialogueLinks::windows).
class PanelHost {
public:
    virtual ~PanelHost() = default;
    // The window is the main window's active child.
    virtual bool IsActiveChild() const = 0;
    // Closes the window (its unload runs the dialogue's Unload).
    virtual void CloseWindow() = 0;
    // One resend counted in the main window's status bar.
    virtual void CountResend() = 0;
};

}  // namespace k45
