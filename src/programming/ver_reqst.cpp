#include "programming/ver_reqst.h"

#include "frame/app_context.h"
#include "frame/main_frame.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"

namespace k45 {

VerReqstDialogue::VerReqstDialogue(AppContext& ctx, VerReqstView& view)
    : ctx_(ctx), view_(view), exchange_(ctx_.scheduler(), kResponseMs, [this] { TimerResponseTick(); }, PrimaryExchangeHooks(ctx_)) {
    timerDelay_ = MakeDialogueTimer(ctx_.scheduler(), kDelayMs, [this] { TimerDelayTick(); });
}

VerReqstDialogue::~VerReqstDialogue() {
    DetachDialogue(ctx_, *this, {timerDelay_.get(), &exchange_.timer()});
}

void VerReqstDialogue::Load() {
    if (load_.loaded()) return;
    load_.Begin();
    requestState_ = 0;
    exchange_.ClearResends();
    (void)RegisterWithPrimary(ctx_, *this, true, false);
    if (autoStart) timerDelay_->setEnabled(true);
}

void VerReqstDialogue::Activate() {
    if (ctx_.state.classCommPrimary) ApplyProgrammingSettings(*ctx_.state.classCommPrimary);
}

void VerReqstDialogue::OK() {
    if (!load_.loaded()) return;
    // The port's own message named the device: no request goes out, no modem is blamed.
    if (!RegisterWithPrimary(ctx_, *this, true, false)) {
        view_.CloseWindow();
        return;
    }
    view_.SetLabels("Reading Modem's Version", "");
    exchange_.Send([this] { SendRequest(); });
    requestState_ = 1;
}

void VerReqstDialogue::SendRequest() {
    if (ctx_.state.classCommPrimary) SendCommand(*ctx_.state.classCommPrimary, "?");
}

void VerReqstDialogue::Unload() {
    if (!load_.loaded()) return;
    load_.End();
    autoStart = false;
    DetachDialogue(ctx_, *this, {timerDelay_.get(), &exchange_.timer()});
}

void VerReqstDialogue::RxCrLfData(const std::string& rxStr) {
    if (!load_.loaded() || requestState_ != 1) return;
    const std::optional<std::string> version = VersionOfLine(rxStr);
    if (!version) return;
    exchange_.Stop();
    view_.SetLabels(*version, NoticeOfLine(rxStr));
    if (ctx_.mainFrame) ctx_.mainFrame->SetFirmwareVersionLabel(*version);
    requestState_ = 0;
}

void VerReqstDialogue::TimerDelayTick() {
    if (!load_.loaded() || !view_.IsActiveChild()) return;
    timerDelay_->setEnabled(false);
    // The open just failed at load and said why; trying again would only repeat it.
    if (requestState_ == 0 && PrimaryPortClosed(ctx_)) {
        view_.CloseWindow();
        return;
    }
    if (requestState_ == 0) OK();
}

void VerReqstDialogue::TimerResponseTick() {
    if (!load_.loaded() || !view_.IsActiveChild()) return;
    exchange_.Stop();
    if (requestState_ != 1 || exchange_.Resend()) return;
    const LoadToken::Value token = load_.Take();
    if (ctx_.dialogs()) ctx_.dialogs()->messageBox(kNoVersionText, {}, MsgButtons::OK, MsgIcon::None);
    if (load_.Still(token)) view_.CloseWindow();
}

}  // namespace k45
