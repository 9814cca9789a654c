#pragma once
// The power table calibration's dialogue: the radio transmits on the Mid test frequency while
// the operator trims the power adjust value to each of five target powers; "AR" clears the
// diagnostics, the transmitter goes off and "AT" reads the forward-power A/D value of the
// point. After the fifth point the power table is built and written with the modem's
// parameters; Clear writes them with the table erased.
#include <cstdint>
#include <memory>
#include <string>

#include "frame/window_interfaces.h"
#include "model/records.h"
#include "params/diag_parsers.h"
#include "production/panel_support.h"
#include "production/test_panel.h"
#include "serial/comm_form.h"

namespace k45 {

class Timer;

enum PowerCalState : std::int32_t {
    pcIdle = 0,
    pcAwaitingParameters = 1,
    pcParametersReady = 2,
    pcAwaitingAck = 3,
    pcAwaitingCapture = 4,
    pcAwaitingTxOffAck = 5,
    pcAwaitingSample = 6,
    // The rest of the "AT" reply: the Tx-off record waits for its acknowledgement.
    pcAwaitingSampleEnd = 7,
    pcAwaitingSampleAck = 8,
    pcAwaitingFinalAck = 10,
};

class PowerCalView {
public:
    virtual ~PowerCalView() = default;
    // labelProg, labelFreq, labelLevel.
    virtual void SetProg(const std::string& text) { (void)text; }
    virtual void SetFreq(const std::string& text) { (void)text; }
    virtual void SetLevel(const std::string& text) { (void)text; }
    virtual void SetPowerAdjust(const std::string& dec, const std::string& hex) { (void)dec; (void)hex; }
    virtual void SetPowerReading(const std::string& dec, const std::string& hex) { (void)dec; (void)hex; }
    virtual void SetOkEnabled(bool on) { (void)on; }
    virtual void FocusOk() {}
};

class PowerCalDialogue : public CommForm, public ParmsClient {
public:
    static constexpr int kResponseMs = 750;
    static constexpr int kMaxResends = 3;
    static constexpr int kPoints = 5;

    PowerCalDialogue(PanelLinks links, PowerCalView& view);
    ~PowerCalDialogue() override;
    PowerCalDialogue(const PowerCalDialogue&) = delete;
    PowerCalDialogue& operator=(const PowerCalDialogue&) = delete;

    // Set by the production panel before it shows the window.
    std::int32_t rxFreqOffset = 0;
    std::int32_t txFreqOffset = 0;

    void Load();
    void Activate();
    // Leaving by any way: a keyed transmitter is sent the receive tune record first.
    void Unload();
    // Swap Comm Ports, before the ports change hands: a keyed radio is sent the receive record,
    // then a radio in a test "T0", both on the old primary port.
    void PortsSwapping();
    void OK();
    void Cancel();
    void Clear();
    bool KeyDown(int keyCode, int modifiers);

    void UpdateParms(bool parmsWereFound) override;
    void RxSRecordData(std::int16_t rxSRecordIndex) override;

    bool loaded() const { return loaded_; }
    std::int32_t dialogState() const { return dialogState_; }
    bool transmitSelected() const { return transmitSelected_; }
    bool keyed() const { return keyed_; }
    int pointIndex() const { return pointIndex_; }
    std::int16_t retryCount() const { return retryCount_; }
    const PowerCalPoints& powerPoints() const { return powerPoints_; }
    const TuneRecord& tuneRecord() const { return tuneRecord_; }
    const ModemParameters& panelParameters() const { return panelParameters_; }
    Timer& timerResponse() { return *timerResponse_; }

private:
    bool Active() const { return links_.host.IsActiveChild(); }
    void ReadCurrentParameters();
    void SetPointFrequencies();
    void SendPointTuneRecord();
    void CompleteExchange();
    void TimerTick();
    void TakeReading();
    void AskSave();
    void WriteBack();
    void Unkey();
    void ShowPowerValue();
    void Close();

    PanelLinks links_;
    PowerCalView& view_;
    std::unique_ptr<Timer> timerResponse_;
    bool loaded_ = false;
    std::int32_t dialogState_ = pcAwaitingParameters;
    std::int16_t retryCount_ = 0;
    bool transmitSelected_ = false;
    bool keyed_ = false;  // the last tune record sent keyed the transmitter
    bool testStarted_ = false;  // a tune record went out since the load or the last "T0"
    bool parametersRequested_ = false;
    bool parametersTaken_ = false;
    bool sendPending_ = false;
    ModemParameters panelParameters_{};
    TuneRecord tuneRecord_{};
    PowerCalPoints powerPoints_{};
    int currentPoint_ = 1;
    int pointIndex_ = 0;
    ReplyBytes reply_;
    DiagnosticsRecord diagnostics_{};
    std::int16_t reading_ = 0;
    std::int16_t lastPortNumber_ = 0;
};

}  // namespace k45
