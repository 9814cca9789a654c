#include "programming/ver_reqst.h"

#include "frame/app_context.h"
#include "frame/main_frame.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"

namespace k45 {

VerReqstDialogue::VerReqstDialogue(AppContext& ctx, VerReqstView& view) : ctx_(ctx), view_(view) {
    timerDelay_ = MakeDialogueTimer(ctx_.scheduler(), kDelayMs, [this] { TimerDelayTick(); });
    timerResponse_ = MakeDialogueTimer(ctx_.scheduler(), kResponseMs, [this] { TimerResponseTick(); });
}

VerReqstDialogue::~VerReqstDialogue() {
    DetachDialogue(ctx_, *this, {timerDelay_.get(), timerResponse_.get()});
}

void VerReqstDialogue::Load() {
    if (loaded_) return;
    loaded_ = true;
    ++generation_;
    requestState_ = 0;
    resendCount_ = 0;
    (void)RegisterWithPrimary(ctx_, *this, true, false);
    if (autoStart) timerDelay_->setEnabled(true);
}

void VerReqstDialogue::Activate() {
    if (ctx_.state.classCommPrimary) ApplyProgrammingSettings(*ctx_.state.classCommPrimary);
}

void VerReqstDialogue::OK() {
    if (!loaded_) return;
    // The port's own message named the device: no request goes out, no modem is blamed.
    if (!RegisterWithPrimary(ctx_, *this, true, false)) {
        view_.CloseWindow();
        return;
    }
    view_.SetLabels("Reading Modem's Version", "");
    if (ctx_.state.classCommPrimary) SendCommand(*ctx_.state.classCommPrimary, "?");
    requestState_ = 1;
    RestartTimer(*timerResponse_);
    resendCount_ = 0;
}

void VerReqstDialogue::Unload() {
    if (!loaded_) return;
    loaded_ = false;
    ++generation_;
    autoStart = false;
    DetachDialogue(ctx_, *this, {timerDelay_.get(), timerResponse_.get()});
}

void VerReqstDialogue::RxCrLfData(const std::string& rxStr) {
    if (!loaded_ || requestState_ != 1) return;
    const std::optional<std::string> version = VersionOfLine(rxStr);
    if (!version) return;
    timerResponse_->setEnabled(false);
    view_.SetLabels(*version, NoticeOfLine(rxStr));
    if (ctx_.mainFrame) ctx_.mainFrame->SetFirmwareVersionLabel(*version);
    requestState_ = 0;
}

void VerReqstDialogue::TimerDelayTick() {
    if (!loaded_ || !view_.IsActiveChild()) return;
    timerDelay_->setEnabled(false);
    // The open just failed at load and said why; trying again would only repeat it.
    if (requestState_ == 0 && PrimaryPortClosed(ctx_)) {
        view_.CloseWindow();
        return;
    }
    if (requestState_ == 0) OK();
}

void VerReqstDialogue::TimerResponseTick() {
    if (!loaded_ || !view_.IsActiveChild()) return;
    timerResponse_->setEnabled(false);
    if (requestState_ != 1) return;
    if (!PrimaryPortClosed(ctx_) && resendCount_ < kMaxResends) {
        ++resendCount_;
        if (ctx_.state.classCommPrimary) SendCommand(*ctx_.state.classCommPrimary, "?");
        timerResponse_->setEnabled(true);
        CountResend(ctx_);
        return;
    }
    const std::uint64_t gen = generation_;
    if (ctx_.dialogs()) ctx_.dialogs()->messageBox(kNoVersionText, {}, MsgButtons::OK, MsgIcon::None);
    if (loaded_ && gen == generation_) view_.CloseWindow();
}

}  // namespace k45
