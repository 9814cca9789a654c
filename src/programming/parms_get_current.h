#pragma once
// The current-parameter reader: reads the modem's image into currentParameters on behalf of
// the windows that registered (ParmsClient) and tells each of them when it closes. The read
// is that of the read/write window with a 250 ms delay, and a time-out in the data phase
// resends "DE" only.
#include <cstdint>
#include <memory>
#include <string>

#include "wiring/window_interfaces.h"
#include "params/parameter_image.h"
#include "platform/dialogs.h"
#include "programming/dialogue_support.h"
#include "serial/comm_form.h"

namespace k45 {

class Timer;

class ParmsGetCurrentView {
public:
    virtual ~ParmsGetCurrentView() = default;
    virtual bool IsActiveChild() const = 0;
    // Closes the window; the window's unload calls ParmsGetCurrentDialogue::Unload.
    virtual void CloseWindow() = 0;
    virtual void SetPercent(int percent) = 0;
};

class ParmsGetCurrentDialogue : public CommForm, public ParmsReader {
public:
    static constexpr int kDelayMs = 250;
    static constexpr int kResponseMs = 2000;

    ParmsGetCurrentDialogue(DialogueLinks links, ParmsGetCurrentView& view);
    ~ParmsGetCurrentDialogue() override;
    ParmsGetCurrentDialogue(const ParmsGetCurrentDialogue&) = delete;
    ParmsGetCurrentDialogue& operator=(const ParmsGetCurrentDialogue&) = delete;

    bool loaded() const { return load_.loaded(); }

    void Load();
    void Activate();
    void Cancel();
    void Unload() override;

    // The list belongs to the reader, not to a load: clients register before it is shown.
    bool RegisterForParms(ParmsClient* frm) override { return parmsClients_.Register(frm); }
    bool DeRegisterForParms(ParmsClient* frm) override { return parmsClients_.DeRegister(frm); }

    void RxCrLfData(const std::string& rxStr) override;
    void RxSRecordData(std::int16_t rxSRecordIndex) override;

    ReadWriteState dialogueState() const { return dialogueState_; }
    std::int16_t resendCount() const { return exchange_.resends(); }
    std::int16_t stepTotal() const { return stepTotal_; }
    std::int32_t stepCount() const { return stepCount_; }
    bool parmsFound() const { return parmsFound_; }
    std::size_t clientCount() const { return parmsClients_.items().size(); }

private:
    void TimerDelayTick();
    void TimerResponseTick();
    void Fail(const char* text, const char* title, MsgIcon icon);
    // The data phase's command: "DE", with nothing of the image taken yet.
    void StartDataPhase();

    DialogueLinks links_;
    ParmsGetCurrentView& view_;
    std::unique_ptr<Timer> timerDelay_;
    ModemExchange exchange_;
    LoadToken load_;
    ReadWriteState dialogueState_ = ReadWriteState::Idle;
    std::int16_t stepTotal_ = ImageDumpTracker::kFullBlocks;
    std::int32_t stepCount_ = 0;
    ParameterImage parmsImage_{};
    bool parmsFound_ = false;
    ClientList<ParmsClient> parmsClients_;
    ImageReadSteps read_;  // works on the members above
};

}  // namespace k45
