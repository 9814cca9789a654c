#pragma once
// The dialogue the production, engineer and user test panels share: the current-parameter read
// on activation or after a port change, the "T1" tune records with their deferred sends, the
// "AS" diagnostics poll and its reply, the transmit modes, the end test with "T0" and the
// response time-out (no resends). A plain class driven by the window's events, the port's
// records and its four timers; each panel derives from it and supplies its tune-record send.
// The replies, the radio's keying, the owed unkey and the words for a lost port are the
// RadioExchange's; the panel keeps its states and what each answer means to it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/app_state.h"
#include "model/records.h"
#include "params/diag_parsers.h"
#include "production/panel_support.h"
#include "programming/radio_exchange.h"
#include "serial/comm_form.h"
#include "wiring/dialogue_links.h"
#include "wiring/window_interfaces.h"

namespace k45 {

class classComm;
class Timer;

// What the panel dialogue shows in its window. Selections made here never run the window's
// own handlers.
class TestPanelView {
public:
    virtual ~TestPanelView() = default;
    virtual void SetXcvrStatus(const std::string& text) = 0;
    // textTxFreq / textRxFreq.
    virtual void SetFrequencyTexts(const std::string& tx, const std::string& rx) = 0;
    virtual void SetCnFcCaption(const std::string& caption) = 0;
    // The adjust value labels in AdjustSelect order (0..6), then the CN/FC value.
    virtual void ShowTuneValues(const std::array<std::string, 8>& values) = 0;
    virtual void ShowDiagnostics(const DiagnosticsTexts& texts) = 0;
    // Selects the radio type and range entries (the first with that ItemData, else the last)
    // and returns the ItemData now selected in each list (nothing when a list selects none).
    virtual std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> SelectRadio(std::int32_t type,
                                                                                            std::int32_t range) = 0;
    virtual void SetSynthesizer(bool sa7026) = 0;
    virtual void DisableGainAndDeviation() = 0;
    virtual void SetCnFcEnabled(bool on) = 0;
    virtual void SelectAdjust(AdjustSelect select) = 0;
    virtual void SetDirectText(const std::string& text) = 0;
    virtual void SetTxTimeLabel(const std::string& text, bool scrollEnabled) = 0;
};

// What a panel or calibration dialogue works with: the parts of the state it reads and writes
// (the locale, current and test parameters, radio tables, DAC values, the scheduler, dialogs and
// the primary port's slot, read at each use) and the windows around it (its own, the parameter
// reader and the read/write window).
struct PanelLinks : DialogueLinks {
    PanelHost& host;
};

class TestPanelDialogue : public CommForm, public ParmsClient {
public:
    static constexpr int kResponseMs = 500;
    static constexpr int kDiagnosticsMs = 1500;
    static constexpr int kDelayCommunicationsMs = 500;
    static constexpr int kTxDisplayMs = 10000;

    TestPanelDialogue(PanelLinks links, TestPanelView& view);
    ~TestPanelDialogue() override;
    TestPanelDialogue(const TestPanelDialogue&) = delete;
    TestPanelDialogue& operator=(const TestPanelDialogue&) = delete;

    // ---- window events
    virtual void Load();
    void Activate();
    // Close button: the end test.
    void CloseButton() { EndTest(); }
    // The window goes away (close box, shutdown, after the end test): a radio still in a
    // test is sent "T0" first, without waiting for its answer; with the port lost and the
    // radio possibly transmitting, the operator hears that the unkey could not be sent.
    virtual void Unload();
    // Swap Comm Ports, before the ports change hands: a radio in a test is sent "T0" on the old
    // primary port (or the operator hears that it could not be), and nothing meant for it (a
    // delayed transmit-mode command, a keyed next record, a pending end test) reaches the radio
    // the port leads to next.
    void PortsSwapping();
    void ClearDiagnosticsButton();
    // comboDiagnosticSelect: 0 Current, 1 Low, 2 High.
    void DiagnosticSelectChanged(int index);
    void DiagEnabledChanged(bool on) { diagEnabled_ = on; }
    void TransmitModeChanged(std::int32_t mode);
    void TxTimeChanged(int seconds);
    void AdjustSelectChanged(AdjustSelect select) { adjustSelect_ = select; }
    // The synthesizer options (the production and engineer panels): SA7025 has no CN/FC
    // adjust, so its selection moves to Rx gain.
    void Sa7025Clicked();
    void Sa7026Clicked();
    // Key-down; true when the key was consumed.
    virtual bool KeyDown(int keyCode, int modifiers);

    // ---- callbacks
    void UpdateParms(bool parmsWereFound) override;
    void RxSRecordData(std::int16_t rxSRecordIndex) override;

    // ---- state for the window and tests
    bool loaded() const { return load_.loaded(); }
    TestPanelState dialogState() const { return dialogState_; }
    bool transmitSelected() const { return transmitSelected_; }
    bool parametersTaken() const { return parametersTaken_; }
    bool endTestPending() const { return endTestPending_; }
    const TuneRecord& tuneRecord() const { return tuneRecord_; }
    const DiagnosticsRecord& diagnostics() const { return diagnostics_; }
    std::int32_t transmitMode() const { return transmitMode_; }
    int txTime() const { return txTime_; }
    AdjustSelect adjustSelect() const { return adjustSelect_; }
    bool sa7026Selected() const { return sa7026_; }
    Timer& timerResponse() { return exchange_.timer(); }
    // Resends of the exchange open now.
    std::int16_t resendCount() const { return exchange_.resends(); }
    Timer& timerDiagnostics() { return *timerDiagnostics_; }
    Timer& timerDelayCommunications() { return *timerDelayCommunications_; }
    Timer& timerTxDisplay() { return *timerTxDisplay_; }

protected:
    // The panel's tune-record send (the pair/channel or frequency send).
    virtual void SendTuneSetup() = 0;
    // Takes the parameters into the panel; the state is AwaitingParameters and the read found
    // them. Ends in ParametersReady (the base then activates when active).
    virtual void TakeParameters() = 0;
    // The panel's deferred sends, after the state went back to Idle.
    virtual void RunPendingSends() {}
    // Whether a send of the panel's waits (behind its exchange or the owed unkey).
    virtual bool SendsPending() const { return false; }
    // Whether the diagnostics poll may run (the check box, or the user test's flag).
    virtual bool PollEnabled() const { return diagEnabled_; }
    // Activation once the parameters were requested on this port.
    virtual void ActivateReady();
    // Records of the reply to the panel's command in the panel's own states.
    virtual void TakeOwnReply(const RadioReply& reply) { (void)reply; }
    // Time-outs of the panel's own states.
    virtual void OwnTimeout() {}
    // States of the panel's own (their records and time-outs go to TakeOwnRecord and
    // OwnTimeout only).
    virtual bool OwnsState(TestPanelState state) const {
        (void)state;
        return false;
    }
    // Whether a diagnostics display applies (the production panel also fills its level bar).
    virtual bool ShowsDiagnostics() const { return parametersRequested_; }

    void ReadCurrentParameters();
    void CompleteExchange();
    void EndTest();
    void StartTxMode();
    void DisplayDiagnostics();
    bool Active() const { return links_.host.IsActiveChild(); }
    // A command as the panel's exchange, awaited in `state` a response time from now. False
    // (nothing sent, the operator told once) with the port closed.
    bool OpenExchange(const std::string& line, TestPanelState state,
                      RadioExchange::Keying keying = RadioExchange::Keying::None);
    // The tune record's "T1" line, and how it bears on the transmitter.
    std::string TuneLine() const;
    RadioExchange::Keying TuneKeying() const;
    // Sends the tune record as an exchange: the response time-out counts from the send and the
    // dialogue waits in `state` for the acknowledgement.
    void SendTuneAwaiting(TestPanelState state);
    // The tune record at once, outside the panel's exchanges (the engineer panel's adjust sends):
    // its acknowledgement ends nothing the panel waits for.
    void PostTune();
    // The current front-end, modulation and power values interpolated at the record's
    // frequencies for the type and range.
    void InterpolateCurrentValues(std::int32_t type, std::int32_t range);
    // Transmit or receive in the record: the synthesizer's frequency and the Tx deviation (0 for
    // a transmission without modulation).
    void SetDirection();
    // The synthesizer of the parameters just taken, shown with its CN/FC option.
    void TakeSynthesizer();
    // The record's type and range selected in the lists and its adjust values shown.
    void DisplayTuneValues();
    // The end test: the state awaiting the "T0" acknowledgement.
    virtual TestPanelState EndTestAckState() const { return TestPanelState::AwaitingEndTestAck; }
    // The "T0" acknowledgement came (`offAfterWarning`: it confirms the radio off after the
    // operator heard it may still transmit): the window closes. It did not: the operator is
    // told, then the window closes.
    void EndTestAnswered(bool offAfterWarning);
    void EndTestUnanswered();
    // The port was lost while "T0" awaited its acknowledgement: the test is not taken as ended
    // and the window stays; a radio that may transmit is owed its unkey.
    void EndTestPortLost();
    // The tune-record exchange's time-out: given up with the owed unkey when the radio may
    // transmit, else silently.
    void TuneTimedOut();
    // The gate of every send that opens one of the panel's exchanges, with the flag that keeps
    // that send waiting. With an exchange open the send waits behind it (`pending` set), except
    // while the parameters are awaited: their arrival sends anyway, so it is dropped. In a
    // window that is not active nothing goes and nothing waits. Then the radio's gate
    // (RadioLetsSend). True, with `pending` cleared, when the send may go now.
    bool MaySend(bool& pending);
    // The radio's gate alone: with the port closed nothing goes and the operator is told once;
    // with an unkey owed the unkey goes first and the send waits (`pending` set).
    bool RadioLetsSend(bool& pending);
    // The same for a send outside the panel's exchanges, in any state: it waits only behind the
    // owed unkey, which goes first when no exchange of the panel is open.
    bool RadioLetsPost(bool& pending);
    // A send waits behind the owed unkey: the radio is shown receiving, and what waits goes
    // after the unkey unkeyed, with no transmit-mode command.
    void WaitBehindUnkey();
    // The line to the modem is up.
    bool LineUp() const { return exchange_.lineUp(); }
    // A message about the radio or the port.
    void Tell(const std::string& text);
    // The transmit/receive keys.
    void SetTransmit(bool on);
    std::string FormatHz(std::int32_t hz) const;

    PanelLinks links_;
    TestPanelView& view_;
    LoadToken load_;
    RadioExchange exchange_;  // replies, the response time-out, resends and the radio's keying
    std::unique_ptr<Timer> timerDiagnostics_;
    std::unique_ptr<Timer> timerDelayCommunications_;
    std::unique_ptr<Timer> timerTxDisplay_;

    TestPanelState dialogState_ = TestPanelState::AwaitingParameters;
    bool parametersRequested_ = false;
    bool parametersTaken_ = false;  // this load's read succeeded
    bool transmitSelected_ = false;
    bool endTestPending_ = false;
    bool endTestSent_ = false;    // "T0" went out; its answer closes the window
    bool tuneExchange_ = false;   // the open exchange is a tune record's
    std::int16_t lastPortNumber_ = 0;
    TxModeStep txModeStep_ = TxModeStep::None;
    std::string txModeCommand_;
    std::int16_t txModeValue_ = 0;
    TuneRecord tuneRecord_{};
    DiagnosticsRecord diagnostics_{};

    // Control values the dialogue reads.
    std::int32_t transmitMode_ = txTone;
    int txTime_ = 1;
    int txTimeMaximum_ = 60;
    AdjustSelect adjustSelect_ = adjPower;
    bool sa7026_ = false;
    // The radio type and range the lists show (nothing selected: the record's own).
    std::optional<std::int32_t> selectedType_, selectedRange_;
    bool diagEnabled_ = true;
    DiagGroup diagGroup_ = diagCurrent;

private:
    // The parameter read is under way or its result waits for the window's activation.
    bool ReadingParameters() const {
        return dialogState_ == TestPanelState::AwaitingParameters || dialogState_ == TestPanelState::ParametersReady;
    }
    // An exchange given up while the radio may transmit: receive shown, the unkey owed and sent.
    void GiveUpTransmitting();
    // A Close that waited behind the exchange goes on; false when none waits.
    bool EndPendingTest();
    // The owed unkey was acknowledged: receive shown, what waited behind it goes on.
    void UnkeyAcknowledged();
    // A transmit-mode command may key the radio now: no unkey is owed to it.
    bool MayKey() const;
    void TimerResponseTick();
    void TimerDiagnosticsTick();
    void TimerDelayCommunicationsTick();
    void TimerTxDisplayTick();
};

}  // namespace k45
