#pragma once
// The Tune Radio window's logic as a plain class. The procedure (tune_procedure.cpp) follows the
// rows of the test plan and the steps (tune_steps.h): Start and the production default write,
// the parameter hand-over, OK, Next Test, Prev Test and the adjust keys, what the power and RSSI
// measurements and Mod Balance's re-adjust question do with their readings, and the result
// save. The modem dialogue (tune_dialogue.cpp) says what goes to the radio for it on the primary
// port ("T1", "AS", "AT", "AR", "BALANCE", "T0") through the window's RadioExchange, which reads
// the replies and owns the unkey, and keeps the four timers. Driven by events (buttons, keys,
// records, timer ticks, the callbacks of the reader, read/write and DAC values windows); it
// tells its window what to show through TuneView and asks the main window's services for the
// reader, the read/write window, the DAC values editor and the packet test.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "wiring/dialogue_links.h"
#include "wiring/main_frame.h"
#include "wiring/window_interfaces.h"
#include "model/app_state.h"
#include "params/diag_parsers.h"
#include "programming/modem_exchange.h"
#include "programming/radio_exchange.h"
#include "serial/comm_form.h"
#include "tuning/tune_selection.h"
#include "tuning/tune_settings.h"
#include "tuning/tune_steps.h"

namespace k45 {

class classComm;
class Timer;

enum class TuneDialogState : std::int32_t {
    Idle,
    WritingDefaults,
    WritingResults,
    AwaitingParameters,
    ParametersReady,
    AwaitingTuneAck,
    AwaitingBalanceEndAck,
    AwaitingDiagnostics,
    AwaitingReplyEnd,
    AwaitingReplyAck,
    AwaitingEndTestAck,
    PowerPointClearing,
    AwaitingPowerTuneAck,
    AwaitingPowerSample,
    AwaitingPowerSampleAck,
    AwaitingRssiSample,
    AwaitingRssiSampleAck,
    AwaitingRxSample,
    PowerVerifyClearing,
};

inline constexpr const char* kOverwriteDefaultsQuestion =
    "Do you want to Over-Write Program Parameters with Default Parameters,\r\n"
    "based on the Radio Type, Range, Channel Spacing and ID Number?\r\n"
    "Select Yes if this Modem has NOT been tuned before.\r\n"
    "Select No if this Modem has been tuned before.";
inline constexpr const char* kTuningCompleteQuestion = "Tuning Complete!  Do you want to Save the Parameters?";
inline constexpr const char* kReAdjustQuestion = "Do you want to Re-Adjust this Mod Setting?";
inline constexpr const char* kNoEndTestText = "Unit Not Responding to End Test!";

// What the dialogue needs of its window.
class TuneView {
public:
    virtual ~TuneView() = default;
    // The window is the main window's active child.
    virtual bool IsActiveChild() const = 0;
    // Closes (unloads) the window; its unload calls TuneDialogue::Unload.
    virtual void CloseWindow() = 0;
    // The selection controls as they stand (ItemData of the selected entries, ticks, Tx time).
    virtual TuneSelection Selection() const = 0;
    // Selects the entries and options of a selection (their handlers run, as when clicked).
    virtual void ShowSelection(const TuneSelection& s) = 0;
    virtual void ShowScreen(const TuneScreen& screen) = 0;
    virtual void SetDescription(const std::string& text) = 0;
    virtual void SetAdjValue(const std::string& text) = 0;
    virtual void SetDiagValue(const std::string& text) = 0;
    virtual void SetTemperature(const std::string& text) = 0;
    virtual void SetBatteryVoltage(const std::string& text) = 0;
    virtual void FocusOk() = 0;
};

class TuneDialogue : public CommForm, public ParmsClient, public ProgCompleteClient, public DacValuesClient {
public:
    static constexpr int kResponseMs = 500;
    static constexpr int kDiagnosticsMs = 1500;
    static constexpr int kDelayMs = 500;
    static constexpr int kBlockBytes = kDiagnosticBlockSize;

    // The primary port is read from the services' slot at each use (start-up fills it after the
    // windows exist); the services' dialogs must be set (without a scheduler the timers never
    // fire). The file places and the shared records change: the production defaults load files
    // into them, the procedure hands the parameters on through them.
    TuneDialogue(DialogueLinks links, TuneView& view);
    ~TuneDialogue() override;
    TuneDialogue(const TuneDialogue&) = delete;
    TuneDialogue& operator=(const TuneDialogue&) = delete;

    // Window events.
    void Load();
    void Activate();
    // Unload: the window leaves its radio: a modem left in a test mode gets "T0" (nothing
    // awaited); with the port lost and the radio possibly transmitting the operator is told.
    void Unload();
    // Swap Comm Ports is about to move the primary port: the window leaves its radio as at
    // unload, and what it had under way on that radio ends.
    void PortsSwapping();
    bool loaded() const { return load_.loaded(); }

    // The window's settings: restored into it at start-up, applied at its load, taken back at its
    // unload (the ticks, the offsets, the Mod Balance time) and saved at shutdown.
    TuneWindowSettings settings() const { return settings_; }
    void setSettings(const TuneWindowSettings& settings) { settings_ = settings; }

    // Buttons and keys. KeyDown returns true when the key is consumed.
    void Start();
    void OK();
    void Next();
    void Previous();
    void Close();
    bool KeyDown(int keyCode, bool shift, bool ctrl, bool alt);
    // The offset lists' click handlers (an index outside 0..16 selects nothing).
    void SelectRxOffset(int index);
    void SelectTxOffset(int index);

    // Callbacks.
    void RxSRecordData(std::int16_t rxSRecordIndex) override;
    void UpdateParms(bool parmsWereFound) override;
    void ProgrammingComplete(bool programCompleted) override;
    void UpdateDacValues() override;

    // The procedure's and the dialogue's state, for the window and tests.
    const TuneWork& work() const { return w_; }
    // Places the procedure where a test starts from (its step, point, test points, records);
    // nothing is sent or shown.
    void Stage(const std::function<void(TuneWork&)>& place) { place(w_); }
    // Whether the next tune record keys the transmitter.
    void SelectTransmit(bool on) { transmitSelected_ = on; }
    TuneDialogState dialogState() const { return dialogState_; }
    bool transmitSelected() const { return transmitSelected_; }
    bool tunePending() const { return tunePending_; }
    bool endTestPending() const { return endTestPending_; }
    std::int16_t replyCount() const { return replyCount_; }
    const DiagnosticsRecord& diagnostics() const { return diagnostics_; }
    std::int16_t rssiReadCount() const { return rssiReadCount_; }
    bool pollDiagnostics() const { return pollDiagnostics_; }
    std::int16_t resendCount() const { return exchange_.resends(); }
    // A tune record or "BALANCE" went out since the last acknowledged "T0".
    bool modemInTestMode() const { return exchange_.inTest(); }
    const RadioExchange& exchange() const { return exchange_; }
    const std::string& description() const { return description_; }

    Timer& timerResponse() { return exchange_.timer(); }
    Timer& timerDiagnostics() { return *timerDiagnostics_; }
    Timer& timerDelayCommunications() { return *timerDelayCommunications_; }
    Timer& timerTxTimeout() { return *timerTxTimeout_; }

    // The procedure's operations (public for the window and tests).
    void ShowTuneStep();
    // The test's first step and start point; None (no such test): the start screen.
    TuneTest SelectTest(TuneTest test);
    void GoToFirstTest();
    // The first ticked test from `from` on (None: none left).
    void GoToNextTest(TuneTest from);
    // The last ticked test before `from`.
    void GoToPreviousTest(TuneTest from);
    void SendTunePoint(std::int16_t point);
    // Shows the step, then sends the current point's record, keyed or receiving.
    void ShowAndSendPoint(bool keyed);
    void StartModBalance(std::int16_t point);
    void EndTest();
    void CompleteExchange();

private:
    bool Active() const { return view_.IsActiveChild(); }
    classComm* Primary() const { return links_.port(); }
    Dialogs& Boxes() const { return *links_.dialogs(); }

    // ---- the procedure (tune_procedure.cpp)
    void ReadCurrentParameters();
    void LoadProductionDefaults(const TuneSelection& sel);
    void SaveResults();
    // The test done; then Skip.
    void Finish();
    // The next ticked test, receiving.
    void Skip();
    // The next test point keyed or receiving; after the third the test is done.
    void NextPoint(bool keyed);
    // The receive record of the current point.
    void Receive();
    // The test of the step from its first step and start point.
    void RestartTest();
    // What an acknowledged sample brings: a power point, one of a level's four RSSI reads.
    void RecordPowerPoint();
    void RecordRssiRead();
    // The end of a Mod Balance transmission acknowledged.
    void ReAdjustQuestion();
    void ShowAdjustValue();

    // ---- the modem dialogue (tune_dialogue.cpp)
    // "AR" while the transmitter is keyed: a power point's or the power verify's first exchange.
    void ClearDiagnostics(TuneDialogState clearing);
    // An exchange given up: Mod Balance stops, a keyed step goes back to the step that keys, and
    // the exchange unkeys the radio (`pointLost`: a power point was being measured).
    void GiveUp(bool pointLost);
    // The operator's action may act now (else the exchange told why, or sent the owed unkey).
    bool MayAct();
    // A Close that waited behind the exchange goes on; false when none waits.
    bool EndPendingTest();
    // Transmit off; a keyed step goes back to the step that keys.
    void BackToKeyStep();
    // A message about the radio or the port.
    void Tell(const std::string& text);
    // An "AS" or "AT" of a poll or a sample, in state `next`.
    void Request(const char* command, TuneDialogState next);
    // A data record of the reply being collected: true once the block is whole, all from this
    // one reply (it is then parsed).
    bool BlockComplete(const RadioReply& reply);
    // The next record of the exchange is awaited, with a fresh time-out.
    void AwaitNext(TuneDialogState next);
    void ShowDiagnostics(const DiagnosticsRecord& record);
    void TimerResponseTick();
    void TimerDiagnosticsTick();
    void TimerDelayTick();
    void TimerTxTimeoutTick();

    const DialogueLinks links_;
    TuneView& view_;
    TuneWindowSettings settings_;
    LoadToken load_;
    // The exchange with the modem: replies, the response time-out and resends, the radio's
    // keying, the owed unkey and the words for a lost port.
    RadioExchange exchange_;
    std::unique_ptr<Timer> timerDiagnostics_;
    std::unique_ptr<Timer> timerDelayCommunications_;
    std::unique_ptr<Timer> timerTxTimeout_;
    bool endTestDone_ = false;  // the close comes from the end-test exchange itself
    std::string description_;

    TuneWork w_;
    TuneDialogState dialogState_ = TuneDialogState::Idle;
    bool transmitSelected_ = false;
    bool tunePending_ = false;
    bool endTestPending_ = false;
    std::int16_t replyCount_ = 0;  // data bytes of the reply being collected
    DiagnosticsRecord diagnostics_;
    std::int16_t rssiReadCount_ = 0;
    std::array<std::int16_t, 4> rssiReads_{};
    bool pollDiagnostics_ = true;
    std::string delayedCommand_;
    std::int16_t delayedCommandByte_ = 0;
};

}  // namespace k45
