#include "programming/parms_get_current.h"

#include "frame/app_context.h"
#include "frame/main_frame.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"

namespace k45 {

namespace {
enum : std::int32_t { sIdle = 0, sAwaitVersion, sAwaitReady, sReadDelay, sAwaitData, sAwaitEnd, sAwaitFinalAck };
}  // namespace

ParmsGetCurrentDialogue::ParmsGetCurrentDialogue(AppContext& ctx, ParmsGetCurrentView& view) : ctx_(ctx), view_(view) {
    timerDelay_ = MakeDialogueTimer(ctx_.scheduler(), kDelayMs, [this] { TimerDelayTick(); });
    timerResponse_ = MakeDialogueTimer(ctx_.scheduler(), kResponseMs, [this] { TimerResponseTick(); });
}

ParmsGetCurrentDialogue::~ParmsGetCurrentDialogue() {
    timerDelay_->setEnabled(false);
    timerResponse_->setEnabled(false);
    if (ctx_.classCommPrimary) ctx_.classCommPrimary->DeRegisterForAll(this);
}

void ParmsGetCurrentDialogue::Restart(Timer& t) {
    t.setEnabled(false);
    t.setEnabled(true);
}

void ParmsGetCurrentDialogue::CountResend() {
    if (ctx_.mainFrame) ctx_.mainFrame->IncrementTestNumber(true);
}

void ParmsGetCurrentDialogue::Fail(const char* text, const char* title, MsgIcon icon) {
    const std::uint64_t gen = generation_;
    if (ctx_.dialogs()) ctx_.dialogs()->messageBox(text, title, MsgButtons::OK, icon);
    if (loaded_ && gen == generation_) view_.CloseWindow();
}

void ParmsGetCurrentDialogue::Load() {
    if (loaded_) return;
    loaded_ = true;
    ++generation_;
    if (classComm* port = ctx_.classCommPrimary) {
        port->RegisterForRxCrLf(this);
        port->RegisterForSRecord(this);
    }
    dialogueState_ = sIdle;
    parmsFound_ = false;
    resendCount_ = 0;
    for (int i = 0; i < kParameterImageBytes; ++i) parmsImage_[static_cast<std::size_t>(i)] = 0;
    view_.SetPercent(0);
    timerDelay_->setEnabled(true);
}

void ParmsGetCurrentDialogue::Activate() {
    if (ctx_.classCommPrimary) ApplyProgrammingSettings(*ctx_.classCommPrimary);
}

void ParmsGetCurrentDialogue::Cancel() { view_.CloseWindow(); }

void ParmsGetCurrentDialogue::Unload() {
    if (!loaded_) return;
    timerDelay_->setEnabled(false);
    timerResponse_->setEnabled(false);
    loaded_ = false;
    ++generation_;
    if (ctx_.classCommPrimary) ctx_.classCommPrimary->DeRegisterForAll(this);
    // Only the clients still open hear the result; one that registers again meanwhile keeps
    // its registration for the next read.
    for (ParmsClient* c : parmsClients_.Take())
        if (ClientIsOpen(c)) c->UpdateParms(parmsFound_);
    dialogueState_ = sIdle;
}

void ParmsGetCurrentDialogue::StartDataPhase() {
    view_.SetPercent(0);
    stepCount_ = 0;
    stepTotal_ = ImageDumpTracker::kFullBlocks;
    dump_.Start();
    if (ctx_.classCommPrimary) SendCommand(*ctx_.classCommPrimary, "DE");
    dialogueState_ = sAwaitData;
}

void ParmsGetCurrentDialogue::TimerDelayTick() {
    if (!loaded_ || !view_.IsActiveChild()) return;
    timerDelay_->setEnabled(false);
    if (dialogueState_ == sIdle) {
        view_.SetPercent(0);
        if (ctx_.mainFrame) ctx_.mainFrame->IncrementTestNumber(false);
        stepCount_ = 0;
        stepTotal_ = ImageDumpTracker::kFullBlocks;
        if (ctx_.classCommPrimary) SendCommand(*ctx_.classCommPrimary, "?");
        dialogueState_ = sAwaitVersion;
        Restart(*timerResponse_);
        resendCount_ = 0;
    } else if (dialogueState_ == sReadDelay) {
        StartDataPhase();
        Restart(*timerResponse_);
        resendCount_ = 0;
    }
}

void ParmsGetCurrentDialogue::TimerResponseTick() {
    if (!loaded_ || !view_.IsActiveChild()) return;
    timerResponse_->setEnabled(false);
    switch (dialogueState_) {
    case sAwaitVersion:
    case sAwaitReady:
        if (resendCount_ < kMaxResends) {
            ++resendCount_;
            if (ctx_.classCommPrimary) SendCommand(*ctx_.classCommPrimary, "?");
            dialogueState_ = sAwaitVersion;
            timerResponse_->setEnabled(true);
            CountResend();
        } else {
            Fail(kNoVersionText, "", MsgIcon::None);
        }
        break;
    case sAwaitData:
    case sAwaitEnd:
    case sAwaitFinalAck:
        if (resendCount_ < kMaxResends) {
            ++resendCount_;
            StartDataPhase();
            timerResponse_->setEnabled(true);
            CountResend();
        } else {
            Fail(kNoReadText, kErrorTitle, MsgIcon::Critical);
        }
        break;
    default:
        break;
    }
}

void ParmsGetCurrentDialogue::RxCrLfData(const std::string& rxStr) {
    if (!loaded_ || dialogueState_ != sAwaitVersion) return;
    const std::optional<std::string> version = VersionOfLine(rxStr);
    if (!version) return;
    timerResponse_->setEnabled(false);
    if (ctx_.mainFrame) ctx_.mainFrame->SetFirmwareVersionLabel(*version);
    dialogueState_ = sAwaitReady;
    timerResponse_->setEnabled(true);
}

void ParmsGetCurrentDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    classComm* port = ctx_.classCommPrimary;
    if (!loaded_ || !port || rxSRecordIndex < 0 || rxSRecordIndex >= kRxTableSlots) return;
    const SRecordMessage& rec = port->tables().rxSRecordMessages[static_cast<std::size_t>(rxSRecordIndex)];
    if (static_cast<std::int64_t>(rec.address) + rec.dataCount > kParameterImageBytes) return;
    if (rec.recType != kReplyLetter) return;
    const bool ackAtZero = rec.recNum == 8 && rec.address == 0;
    switch (dialogueState_) {
    case sAwaitReady:
        if (ackAtZero) {
            timerResponse_->setEnabled(false);
            port->DeRegisterForRxCrLf(this);
            dialogueState_ = sReadDelay;
            Restart(*timerDelay_);
        }
        break;
    case sAwaitData:
        if (rec.recNum == 1) {
            timerResponse_->setEnabled(false);
            dump_.Take(rec, parmsImage_);
            stepTotal_ = static_cast<std::int16_t>(dump_.blocksExpected());
            stepCount_ = dump_.blocksComplete();
            view_.SetPercent(ProgressPercent(stepCount_, stepTotal_));
            if (stepCount_ >= stepTotal_) dialogueState_ = sAwaitEnd;
            timerResponse_->setEnabled(true);
        } else if (rec.recNum == 9 && stepCount_ >= stepTotal_) {
            Restart(*timerResponse_);
            dialogueState_ = sAwaitFinalAck;
        }
        break;
    case sAwaitEnd:
        if (rec.recNum == 9) {
            Restart(*timerResponse_);
            dialogueState_ = sAwaitFinalAck;
        }
        break;
    case sAwaitFinalAck:
        if (ackAtZero) {
            timerResponse_->setEnabled(false);
            // An image of no known layout was not read: the clients are told so (the decoder
            // has shown "Modem Type is not correct!") and currentParameters stays as it was.
            parmsFound_ = DecodeParameterImage(ctx_.state, ctx_.state.currentParameters, parmsImage_);
            if (loaded_) view_.CloseWindow();
        }
        break;
    default:
        break;
    }
}

}  // namespace k45
