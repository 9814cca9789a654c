#pragma once
// The read/write dialogue of the read/write window: the read ("?", the version line, the ready
// record, "DE" and the image records) and, for the write modes, the merge into the modem's own
// record and the programming ("S1" blocks, "CHANNEL", "S9"). A plain class driven by events:
// records and lines from the port object, ticks of its two timers, the window's buttons.
#include <cstdint>
#include <memory>
#include <string>

#include "wiring/main_frame.h"
#include "wiring/window_interfaces.h"
#include "params/parameter_image.h"
#include "model/records.h"
#include "platform/dialogs.h"
#include "programming/dialogue_support.h"
#include "serial/comm_form.h"

namespace k45 {

class Timer;

// Messages of a write the modem stops answering.
inline constexpr const char* kNoProgramText = "Unit not responding to Program!";
inline constexpr const char* kNoChannelText = "Unit not responding to Channel 8 Override!";
inline constexpr const char* kNoProgramEndText = "Unit not responding to Program Complete!";

// Window caption of a mode ("" for no operation).
std::string ParmsModeCaption(ParmsMode mode);

// What the opener sets before the window is shown; the unload clears it.
struct ParmsRdWrSettings {
    bool autoStart = false;  // start without OK and without the completion message
    ParmsMode parmsMode = ParmsMode::Invalid;
};

// What the dialogue needs of its window.
class ParmsRdWrView {
public:
    virtual ~ParmsRdWrView() = default;
    // The window is the main window's active child: only then do the timers act.
    virtual bool IsActiveChild() const = 0;
    // Closes the window; the window's unload calls ParmsRdWrDialogue::Unload.
    virtual void CloseWindow() = 0;
    virtual void SetCaption(const std::string& text) = 0;
    // labelRdWr(0) and labelRdWr(1).
    virtual void SetLabels(const std::string& upper, const std::string& lower) = 0;
    virtual void SetPercent(int percent) = 0;
    virtual void SetOkEnabled(bool on) = 0;
};

class ParmsRdWrDialogue : public CommForm {
public:
    static constexpr int kDelayMs = 500;
    static constexpr int kResponseMs = 2000;
    // Restarts of the read after a time-out in the data phase, before giving up.
    static constexpr int kMaxReadRestarts = 3;
    static constexpr int kBlockBytes = 32;

    ParmsRdWrDialogue(DialogueLinks links, ParmsRdWrView& view);
    ~ParmsRdWrDialogue() override;
    ParmsRdWrDialogue(const ParmsRdWrDialogue&) = delete;
    ParmsRdWrDialogue& operator=(const ParmsRdWrDialogue&) = delete;

    ParmsRdWrSettings settings() const { return settings_; }
    void setSettings(const ParmsRdWrSettings& settings) { settings_ = settings; }

    bool loaded() const { return load_.loaded(); }

    // Window events.
    void Load();
    void Activate();
    void OK();
    void Unload();

    bool RegisterForParms(ParmsClient* frm) { return parmsClients_.Register(frm); }
    bool DeRegisterForParms(ParmsClient* frm) { return parmsClients_.DeRegister(frm); }
    bool RegisterForProgComplete(ProgCompleteClient* frm) { return progCompleteClients_.Register(frm); }
    bool DeRegisterForProgComplete(ProgCompleteClient* frm) { return progCompleteClients_.DeRegister(frm); }

    // CommForm: the records and lines of the primary port.
    void RxCrLfData(const std::string& rxStr) override;
    void RxSRecordData(std::int16_t rxSRecordIndex) override;

    // For the window and tests.
    ReadWriteState dialogueState() const { return dialogueState_; }
    std::int16_t resendCount() const { return exchange_.resends(); }
    std::int16_t stepTotal() const { return stepTotal_; }
    std::int32_t stepCount() const { return stepCount_; }
    std::int32_t endAddress() const { return endAddress_; }
    bool parmsWereFound() const { return parmsWereFound_; }
    bool programCompleted() const { return programCompleted_; }
    const ModemParameters& workParameters() const { return workParameters_; }
    const ParameterImage& transferImage() const { return transferImage_; }

private:
    bool Active() const;
    void ShowPercent(int percent);
    void StartRead();
    bool ValidateBeforeRead();
    void CompleteRead();
    void MergeAndProgram();
    void CompleteWrite();
    bool AlertAccepted(const std::string& warnings);
    void StartProgramming();
    void SendProgramBlock(std::int32_t n, ReadWriteState nextState);
    void SendBlock(std::int32_t n);
    void SendChannel();
    void SendEnd();
    void ModemRestarted();
    void Fail(const std::string& text, const std::string& title, MsgIcon icon);
    void CloseWindow();
    void TimerDelayTick();
    void TimerResponseTick();

    DialogueLinks links_;
    ParmsRdWrView& view_;
    ParmsRdWrSettings settings_;
    std::unique_ptr<Timer> timerDelay_;
    ModemExchange exchange_;

    LoadToken load_;
    ReadWriteState dialogueState_ = ReadWriteState::Idle;
    std::int16_t readRestarts_ = 0;
    bool channelStepPending_ = false;
    bool blockRefused_ = false;  // the block in flight was refused: only its resend can be acknowledged
    std::int16_t stepTotal_ = 0;
    std::int32_t stepCount_ = 0;
    std::int32_t startAddress_ = 0;
    std::int32_t endAddress_ = 0;
    ModemParameters workParameters_;
    ParameterImage transferImage_{};
    ClientList<ParmsClient> parmsClients_;
    bool parmsWereFound_ = false;
    ClientList<ProgCompleteClient> progCompleteClients_;
    bool programCompleted_ = false;
    ImageReadSteps read_;  // works on the members above
};

}  // namespace k45
