#pragma once
// What the power and RSSI calibration dialogues share: the current-parameter read on activation
// or after a port change, the refusal of a modem without calibration support, the tune record
// built from the parameters on the point's test frequencies (with the production panel's
// offsets), the exchange with the radio (its replies, the owed unkey, a lost port), leaving the
// radio when the window goes or the ports are swapped, and the write-back of the window's copy
// of the parameters.
#include <cstdint>
#include <memory>
#include <string>

#include "model/records.h"
#include "production/test_panel.h"
#include "programming/modem_exchange.h"
#include "programming/radio_exchange.h"
#include "serial/comm_form.h"
#include "wiring/window_interfaces.h"

namespace k45 {

class Timer;

// What a calibration dialogue waits for: the states every calibration window starts with, then
// the power calibration's and the RSSI sampler's (they share the point's tune record and the
// "AT" sample). While an owed unkey is under way the dialogue stays Idle: the exchange sends it.
enum class CalibrationState : std::int32_t {
    Idle,
    AwaitingParameters,  // the current-parameter read
    ParametersReady,     // read: the radio is set up at the next activation
    AwaitingTuneAck,     // the point's tune record
    AwaitingCapture,     // power: "AR" while keyed; the time-out takes the point
    AwaitingTxOffAck,    // power: the receive record before "AT"
    AwaitingSample,      // the data of the "AT" reply
    AwaitingSampleEnd,   // its end record
    AwaitingSampleAck,   // its acknowledgement
    AwaitingFinalAck,    // power: the receive record after the last point
};

// What the production panel hands a calibration window: its frequency offsets, added to the
// point's test frequencies.
struct CalibrationSettings {
    std::int32_t rxFreqOffset = 0;
    std::int32_t txFreqOffset = 0;
};

class CalibrationDialogue : public CommForm, public ParmsClient {
public:
    ~CalibrationDialogue() override;
    CalibrationDialogue(const CalibrationDialogue&) = delete;
    CalibrationDialogue& operator=(const CalibrationDialogue&) = delete;

    // Given by the production panel before it shows the window.
    const CalibrationSettings& settings() const { return settings_; }
    void setSettings(const CalibrationSettings& settings) { settings_ = settings; }

    void Activate();
    void UpdateParms(bool parmsWereFound) override;

    bool loaded() const { return load_.loaded(); }
    CalibrationState dialogState() const { return dialogState_; }
    std::int16_t resendCount() const { return exchange_.resends(); }
    bool parametersTaken() const { return parametersTaken_; }
    const TuneRecord& tuneRecord() const { return tuneRecord_; }
    const ModemParameters& panelParameters() const { return panelParameters_; }
    Timer& timerResponse() { return exchange_.timer(); }
    // The radio may be transmitting: a keying line went out on this port and no unkeying one
    // was acknowledged since.
    bool keyed() const { return exchange_.mayTransmit(); }

protected:
    CalibrationDialogue(PanelLinks links, int responseMs);

    // The point's tune record (sent, or deferred while an exchange is open).
    virtual void SendPointTuneRecord() = 0;
    virtual void CompleteExchange() = 0;
    virtual void ResponseTick() = 0;
    // The line that unkeys the radio: the point's receive tune record.
    virtual std::string UnkeyLine() = 0;
    // The owed unkey was acknowledged: the radio receives.
    virtual void UnkeyAcknowledged() { CompleteExchange(); }
    // The primary port is another one than at the last activation: its radio is another one.
    virtual void PortMoved() {}
    // What the window shows once the parameters are taken.
    virtual void ShowParametersTaken() = 0;
    // The buttons that act on the parameters (OK, Clear, ...) are offered only while this
    // port's parameters are in hand.
    virtual void ShowActionsEnabled(bool on) = 0;
    void SetParametersTaken(bool taken);

    // The load's and unload's shared steps.
    void LoadBase();
    void UnloadBase();
    bool Active() const { return links_.host.IsActiveChild(); }
    void ReadCurrentParameters();
    // The point's test frequencies with the offsets (kept when the type or range is invalid).
    void SetPointFrequencies();
    // The tune record's line.
    std::string RecordLine(const TuneRecord& record) const;
    // The window leaves its radio (close box, Cancel, Clear): a radio that may transmit is sent
    // its unkey, or the operator hears that it could not be.
    void LeaveRadio() { exchange_.Leave(false); }
    // Swap Comm Ports: the radio left on the old port is unkeyed and a radio in a test is sent
    // "T0" as well; nothing acts on parameters until this port's are read.
    void LeaveForSwap();
    void Close();
    // Closes the window unless it closed (or loaded again) since the token was taken: after a
    // message box.
    void CloseIfStill(LoadToken::Value token);
    // currentParameters = the window's copy, written by the read/write window.
    void WriteBack();
    bool Ask(const std::string& question);
    void Tell(const std::string& text);

    PanelLinks links_;
    CalibrationSettings settings_;
    LoadToken load_;
    RadioExchange exchange_;  // no resend is counted in the status bar
    bool parametersRequested_ = false;
    bool parametersTaken_ = false;  // this load's read succeeded
    CalibrationState dialogState_ = CalibrationState::AwaitingParameters;
    std::int16_t lastPortNumber_ = 0;
    int currentPoint_ = 1;  // Mid
    ModemParameters panelParameters_{};
    TuneRecord tuneRecord_{};
};

}  // namespace k45
