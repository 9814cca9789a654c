#include "programming/parms_get_current.h"

#include "wiring/main_frame.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"

namespace k45 {

ParmsGetCurrentDialogue::ParmsGetCurrentDialogue(DialogueLinks links, ParmsGetCurrentView& view)
    : links_(links),
      view_(view),
      timerDelay_(MakeDialogueTimer(links_.scheduler(), kDelayMs, [this] { TimerDelayTick(); })),
      exchange_(
          links_.scheduler(), kResponseMs, [this] { TimerResponseTick(); }, PrimaryExchangeHooks(links_)),
      read_({links_, *this, *timerDelay_, exchange_, dialogueState_, stepTotal_, stepCount_, parmsImage_,
             [this](int percent) { view_.SetPercent(percent); }}) {}

ParmsGetCurrentDialogue::~ParmsGetCurrentDialogue() {
    DetachDialogue(links_, *this, {timerDelay_.get(), &exchange_.timer()});
}

void ParmsGetCurrentDialogue::Fail(const char* text, const char* title, MsgIcon icon) {
    const LoadToken::Value token = load_.Take();
    // Given up before the box shows: a late image while it is open is not taken.
    timerDelay_->setEnabled(false);
    exchange_.Stop();
    dialogueState_ = ReadWriteState::Idle;
    if (links_.dialogs()) links_.dialogs()->messageBox(text, title, MsgButtons::OK, icon);
    if (load_.Still(token)) view_.CloseWindow();
}

void ParmsGetCurrentDialogue::Load() {
    if (load_.loaded()) return;
    load_.Begin();
    (void)RegisterWithPrimary(links_, *this, true, true);
    dialogueState_ = ReadWriteState::Idle;
    parmsFound_ = false;
    exchange_.ClearResends();
    parmsImage_.fill(0);
    view_.SetPercent(0);
    timerDelay_->setEnabled(true);
}

void ParmsGetCurrentDialogue::Activate() {
    if (classComm* port = links_.port()) ApplyProgrammingSettings(*port);
}

void ParmsGetCurrentDialogue::Cancel() { view_.CloseWindow(); }

void ParmsGetCurrentDialogue::Unload() {
    if (!load_.loaded()) return;
    load_.End();
    DetachDialogue(links_, *this, {timerDelay_.get(), &exchange_.timer()});
    // Only the clients still open hear the result; one that registers again meanwhile keeps
    // its registration for the next read.
    for (ParmsClient* c : parmsClients_.Take())
        if (ClientIsOpen(c)) c->UpdateParms(parmsFound_);
    dialogueState_ = ReadWriteState::Idle;
}

void ParmsGetCurrentDialogue::StartDataPhase() {
    read_.StartData();
    if (classComm* port = links_.port()) SendCommand(*port, "DE");
}

void ParmsGetCurrentDialogue::TimerDelayTick() {
    if (!load_.loaded() || !view_.IsActiveChild()) return;
    timerDelay_->setEnabled(false);
    // The port's open failure at load named the device: end without blaming the modem.
    if (dialogueState_ == ReadWriteState::Idle && PrimaryPortClosed(links_)) {
        view_.CloseWindow();
        return;
    }
    if (dialogueState_ == ReadWriteState::Idle) {
        read_.StartData();
        links_.windows().IncrementTestNumber(false);
        exchange_.Send([this] {
            if (classComm* port = links_.port()) SendCommand(*port, "?");
        });
        dialogueState_ = ReadWriteState::AwaitVersion;
    } else if (dialogueState_ == ReadWriteState::AwaitReadDelay) {
        exchange_.Send([this] { StartDataPhase(); });
        dialogueState_ = ReadWriteState::AwaitData;
    }
}

void ParmsGetCurrentDialogue::TimerResponseTick() {
    if (!load_.loaded() || !view_.IsActiveChild()) return;
    exchange_.Stop();
    const bool portClosed = PrimaryPortClosed(links_);
    switch (dialogueState_) {
    case ReadWriteState::AwaitVersion:
    case ReadWriteState::AwaitReady:
        if (portClosed || !read_.ResendVersionRequest()) Fail(kNoVersionText, "", MsgIcon::None);
        break;
    case ReadWriteState::AwaitData:
    case ReadWriteState::AwaitEnd:
    case ReadWriteState::AwaitFinalAck:
        // Unlike the read/write window, the version step stays done: only "DE" goes again.
        if (exchange_.Resend()) dialogueState_ = ReadWriteState::AwaitData;
        else Fail(kNoReadText, kErrorTitle, MsgIcon::Critical);
        break;
    default:
        break;
    }
}

void ParmsGetCurrentDialogue::RxCrLfData(const std::string& rxStr) {
    if (load_.loaded()) read_.TakeLine(rxStr);
}

void ParmsGetCurrentDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    const SRecordMessage* rec = ReplyRecordWithin(links_.port(), rxSRecordIndex, kParameterImageBytes);
    if (!load_.loaded() || !rec || !read_.TakeRecord(*rec)) return;
    const LoadToken::Value token = load_.Take();
    // An image of no known layout was not read: "Modem Type is not correct!" is shown, the
    // clients are told so and currentParameters stays as it was.
    const Outcome decoded =
        DecodeParameterImage(links_.modes, links_.records, links_.records.currentParameters, parmsImage_);
    if (!decoded.ok()) ShowMessage(links_.dialogs(), decoded.problem());
    parmsFound_ = decoded.ok();
    if (load_.Still(token)) view_.CloseWindow();
}

}  // namespace k45
