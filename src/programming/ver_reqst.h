#pragma once
// The version request dialogue of the version window: "?" and the version line, with its own
// intervals (100 ms delay, 1500 ms response) and three resends.
#include <cstdint>
#include <memory>
#include <string>

#include "wiring/dialogue_links.h"
#include "programming/modem_exchange.h"
#include "serial/comm_form.h"

namespace k45 {

class Timer;

// What the dialogue needs of its window.
class VerReqstView {
public:
    virtual ~VerReqstView() = default;
    virtual bool IsActiveChild() const = 0;
    // Closes the window; the window's unload calls VerReqstDialogue::Unload.
    virtual void CloseWindow() = 0;
    // labelRead(0) and labelRead(1).
    virtual void SetLabels(const std::string& upper, const std::string& lower) = 0;
};

// What the opener sets before the window is shown; the unload clears it.
struct VerReqstSettings {
    bool autoStart = false;  // request at once, without OK
};

// The version request waits for nothing, or for the answer to its "?".
enum class VerRequestState { Idle, AwaitingVersion };

class VerReqstDialogue : public CommForm {
public:
    static constexpr int kDelayMs = 100;
    static constexpr int kResponseMs = 1500;

    VerReqstDialogue(DialogueLinks links, VerReqstView& view);
    ~VerReqstDialogue() override;
    VerReqstDialogue(const VerReqstDialogue&) = delete;
    VerReqstDialogue& operator=(const VerReqstDialogue&) = delete;

    VerReqstSettings settings() const { return settings_; }
    void setSettings(const VerReqstSettings& settings) { settings_ = settings; }

    bool loaded() const { return load_.loaded(); }

    void Load();
    void Activate();
    void OK();
    void Unload();

    void RxCrLfData(const std::string& rxStr) override;

    VerRequestState requestState() const { return requestState_; }
    std::int16_t resendCount() const { return exchange_.resends(); }

private:
    void TimerDelayTick();
    void TimerResponseTick();
    void SendRequest();

    DialogueLinks links_;
    VerReqstView& view_;
    std::unique_ptr<Timer> timerDelay_;
    ModemExchange exchange_;
    LoadToken load_;
    VerReqstSettings settings_;
    VerRequestState requestState_ = VerRequestState::Idle;
};

}  // namespace k45
