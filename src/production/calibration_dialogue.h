#pragma once
// What the power and RSSI calibration dialogues share: the current-parameter read on activation
// or after a port change, the refusal of a modem without calibration support, the tune record
// built from the parameters on the point's test frequencies (with the production panel's
// offsets), the "T0" owed to a radio left in a test when the ports are swapped, and the
// write-back of the window's copy of the parameters.
#include <cstdint>
#include <memory>
#include <string>

#include "wiring/window_interfaces.h"
#include "model/records.h"
#include "production/test_panel.h"
#include "programming/modem_exchange.h"
#include "serial/comm_form.h"

namespace k45 {

class Timer;

// What a calibration dialogue waits for: the states every calibration window starts with, then
// the power calibration's and the RSSI sampler's (they share the point's tune record and the
// "AT" sample).
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
    // Power: the receive record owed to a radio that may transmit, since an exchange was given
    // up or the port was lost; its acknowledgement confirms the transmitter off.
    AwaitingUnkeyAck,
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

protected:
    CalibrationDialogue(PanelLinks links, int responseMs);

    // The point's tune record (sent, or deferred while an exchange is open).
    virtual void SendPointTuneRecord() = 0;
    virtual void CompleteExchange() = 0;
    virtual void ResponseTick() = 0;
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
    // Sends a tune record; the radio is in a test from then on.
    void SendRecord(const TuneRecord& record);
    // Swap Comm Ports: "T0" to a radio in a test, on the port it was started on; nothing acts
    // on parameters until this port's are read.
    void EndRadioTest();
    void Close();
    // Closes the window unless it closed (or loaded again) since the token was taken: after a
    // message box.
    void CloseIfStill(LoadToken::Value token);
    // currentParameters = the window's copy, written by the read/write window.
    void WriteBack();
    bool Ask(const std::string& question);

    PanelLinks links_;
    CalibrationSettings settings_;
    ModemExchange exchange_;  // no resend is counted in the status bar
    LoadToken load_;
    bool parametersRequested_ = false;
    bool parametersTaken_ = false;  // this load's read succeeded
    bool testStarted_ = false;      // a tune record went out since the load or the last "T0"
    CalibrationState dialogState_ = CalibrationState::AwaitingParameters;
    std::int16_t lastPortNumber_ = 0;
    int currentPoint_ = 1;  // Mid
    ModemParameters panelParameters_{};
    TuneRecord tuneRecord_{};
};

}  // namespace k45
