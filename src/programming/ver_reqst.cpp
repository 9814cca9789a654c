#include "programming/ver_reqst.h"

#include "frame/main_frame.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"

namespace k45 {

VerReqstDialogue::VerReqstDialogue(DialogueLinks links, VerReqstView& view) : links_(links), view_(view) {
    timerDelay_ = MakeDialogueTimer(links_.scheduler(), kDelayMs, [this] { TimerDelayTick(); });
    timerResponse_ = MakeDialogueTimer(links_.scheduler(), kResponseMs, [this] { TimerResponseTick(); });
}

VerReqstDialogue::~VerReqstDialogue() {
    DetachDialogue(links_, *this, {timerDelay_.get(), timerResponse_.get()});
}

void VerReqstDialogue::Load() {
    if (loaded_) return;
    loaded_ = true;
    ++generation_;
    requestState_ = 0;
    resendCount_ = 0;
    (void)RegisterWithPrimary(links_, *this, true, false);
    if (autoStart) timerDelay_->setEnabled(true);
}

void VerReqstDialogue::Activate() {
    if (classComm* port = links_.port()) ApplyProgrammingSettings(*port);
}

void VerReqstDialogue::OK() {
    if (!loaded_) return;
    // The port's own message named the device: no request goes out, no modem is blamed.
    if (!RegisterWithPrimary(links_, *this, true, false)) {
        view_.CloseWindow();
        return;
    }
    view_.SetLabels("Reading Modem's Version", "");
    if (classComm* port = links_.port()) SendCommand(*port, "?");
    requestState_ = 1;
    RestartTimer(*timerResponse_);
    resendCount_ = 0;
}

void VerReqstDialogue::Unload() {
    if (!loaded_) return;
    loaded_ = false;
    ++generation_;
    autoStart = false;
    DetachDialogue(links_, *this, {timerDelay_.get(), timerResponse_.get()});
}

void VerReqstDialogue::RxCrLfData(const std::string& rxStr) {
    if (!loaded_ || requestState_ != 1) return;
    const std::optional<std::string> version = VersionOfLine(rxStr);
    if (!version) return;
    timerResponse_->setEnabled(false);
    view_.SetLabels(*version, NoticeOfLine(rxStr));
    if (MainFrame* frame = links_.mainFrame()) frame->SetFirmwareVersionLabel(*version);
    requestState_ = 0;
}

void VerReqstDialogue::TimerDelayTick() {
    if (!loaded_ || !view_.IsActiveChild()) return;
    timerDelay_->setEnabled(false);
    // The open just failed at load and said why; trying again would only repeat it.
    if (requestState_ == 0 && PrimaryPortClosed(links_)) {
        view_.CloseWindow();
        return;
    }
    if (requestState_ == 0) OK();
}

void VerReqstDialogue::TimerResponseTick() {
    if (!loaded_ || !view_.IsActiveChild()) return;
    timerResponse_->setEnabled(false);
    if (requestState_ != 1) return;
    if (!PrimaryPortClosed(links_) && resendCount_ < kMaxResends) {
        ++resendCount_;
        if (classComm* port = links_.port()) SendCommand(*port, "?");
        timerResponse_->setEnabled(true);
        CountResend(links_);
        return;
    }
    const std::uint64_t gen = generation_;
    if (links_.dialogs()) links_.dialogs()->messageBox(kNoVersionText, {}, MsgButtons::OK, MsgIcon::None);
    if (loaded_ && gen == generation_) view_.CloseWindow();
}

}  // namespace k45
