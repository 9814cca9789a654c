#include "programming/ver_reqst.h"

#include "wiring/main_frame.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"

namespace k45 {

VerReqstDialogue::VerReqstDialogue(DialogueLinks links, VerReqstView& view)
    : links_(links),
      view_(view),
      exchange_(
          links_.scheduler(), kResponseMs, [this] { TimerResponseTick(); }, PrimaryExchangeHooks(links_)) {
    timerDelay_ = MakeDialogueTimer(links_.scheduler(), kDelayMs, [this] { TimerDelayTick(); });
}

VerReqstDialogue::~VerReqstDialogue() { DetachDialogue(links_, *this, {timerDelay_.get(), &exchange_.timer()}); }

void VerReqstDialogue::Load() {
    if (load_.loaded()) return;
    load_.Begin();
    requestState_ = VerRequestState::Idle;
    exchange_.ClearResends();
    (void)RegisterWithPrimary(links_, *this, true, false);
    if (settings_.autoStart) timerDelay_->setEnabled(true);
}

void VerReqstDialogue::Activate() {
    if (classComm* port = links_.port()) ApplyProgrammingSettings(*port);
}

void VerReqstDialogue::OK() {
    if (!load_.loaded()) return;
    // The port's own message named the device: no request goes out, no modem is blamed.
    if (!RegisterWithPrimary(links_, *this, true, false)) {
        view_.CloseWindow();
        return;
    }
    view_.SetLabels("Reading Modem's Version", "");
    exchange_.Send([this] { SendRequest(); });
    requestState_ = VerRequestState::AwaitingVersion;
}

void VerReqstDialogue::SendRequest() {
    if (classComm* port = links_.port()) SendCommand(*port, "?");
}

void VerReqstDialogue::Unload() {
    if (!load_.loaded()) return;
    load_.End();
    settings_ = {};
    DetachDialogue(links_, *this, {timerDelay_.get(), &exchange_.timer()});
}

void VerReqstDialogue::RxCrLfData(const std::string& rxStr) {
    if (!load_.loaded() || requestState_ != VerRequestState::AwaitingVersion) return;
    const std::optional<std::string> version = VersionOfLine(rxStr);
    if (!version) return;
    exchange_.Stop();
    view_.SetLabels(*version, NoticeOfLine(rxStr));
    links_.windows().SetFirmwareVersionLabel(*version);
    requestState_ = VerRequestState::Idle;
}

void VerReqstDialogue::TimerDelayTick() {
    if (!load_.loaded() || !view_.IsActiveChild()) return;
    timerDelay_->setEnabled(false);
    // The open just failed at load and said why; trying again would only repeat it.
    if (requestState_ == VerRequestState::Idle && PrimaryPortClosed(links_)) {
        view_.CloseWindow();
        return;
    }
    if (requestState_ == VerRequestState::Idle) OK();
}

void VerReqstDialogue::TimerResponseTick() {
    if (!load_.loaded() || !view_.IsActiveChild()) return;
    exchange_.Stop();
    if (requestState_ != VerRequestState::AwaitingVersion || exchange_.Resend()) return;
    const LoadToken::Value token = load_.Take();
    if (links_.dialogs()) links_.dialogs()->messageBox(kNoVersionText, {}, MsgButtons::OK, MsgIcon::None);
    if (load_.Still(token)) view_.CloseWindow();
}

}  // namespace k45
