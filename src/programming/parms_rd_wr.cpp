// The read/write dialogue: window life cycle, timers and resends, and the read.
#include "programming/parms_rd_wr.h"

#include "wiring/main_frame.h"
#include "base/utilities.h"
#include "platform/places.h"
#include "platform/scheduler.h"
#include "radio/channel_validation.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"

namespace k45 {

namespace {

constexpr const char* kInvalidModeText = "Invalid Read/Write Mode!!!";
constexpr const char* kInvalidModeTitle = "Parameters Read/Write";

bool IsValidMode(ParmsMode mode) { return !ParmsModeCaption(mode).empty(); }

// labelRdWr(1) while the modem is read.
const char* ReadLabel(ParmsMode mode) {
    switch (mode) {
    case ParmsMode::ReadAll: return "All Parameters...";
    case ParmsMode::WriteCurrent:
    case ParmsMode::WriteDefault: return "Current Parameters...";
    default: return "Programmable Parameters...";
    }
}

}  // namespace

std::string ParmsModeCaption(ParmsMode mode) {
    switch (mode) {
    case ParmsMode::ReadProgrammable: return "Read Programmable Parameters";
    case ParmsMode::WriteProgrammable: return "Write Programmable Parameters";
    case ParmsMode::ReadAll: return "Read All Parameters";
    case ParmsMode::WriteAll: return "Write All Parameters";
    case ParmsMode::WriteCurrent: return "Write Current Parameters";
    case ParmsMode::CloneProgrammable: return "Clone Programmable Parameters";
    case ParmsMode::WriteDefault: return "Write Default Parameters";
    default: return {};
    }
}

ParmsRdWrDialogue::ParmsRdWrDialogue(DialogueLinks links, ParmsRdWrView& view)
    : links_(links),
      view_(view),
      timerDelay_(MakeDialogueTimer(links_.scheduler(), kDelayMs, [this] { TimerDelayTick(); })),
      exchange_(
          links_.scheduler(), kResponseMs, [this] { TimerResponseTick(); }, PrimaryExchangeHooks(links_)),
      read_({links_, *this, *timerDelay_, exchange_, dialogueState_, stepTotal_, stepCount_, transferImage_,
             [this](int percent) { ShowPercent(percent); }}) {}

ParmsRdWrDialogue::~ParmsRdWrDialogue() { DetachDialogue(links_, *this, {timerDelay_.get(), &exchange_.timer()}); }

bool ParmsRdWrDialogue::Active() const { return view_.IsActiveChild(); }

void ParmsRdWrDialogue::ShowPercent(int percent) { view_.SetPercent(percent); }

void ParmsRdWrDialogue::CloseWindow() { view_.CloseWindow(); }

void ParmsRdWrDialogue::Fail(const std::string& text, const std::string& title, MsgIcon icon) {
    const LoadToken::Value token = load_.Take();
    // The dialogue has given up before the box shows: a late answer while it is open sends
    // nothing more and cannot turn the failure into a success.
    timerDelay_->setEnabled(false);
    exchange_.Stop();
    dialogueState_ = ReadWriteState::Idle;
    if (links_.dialogs()) links_.dialogs()->messageBox(text, title, MsgButtons::OK, icon);
    if (load_.Still(token)) CloseWindow();
}

// ---------------------------------------------------------------------------------------------
// Window events

void ParmsRdWrDialogue::Load() {
    if (load_.loaded()) return;
    load_.Begin();
    parmsWereFound_ = false;
    programCompleted_ = false;
    dialogueState_ = ReadWriteState::Idle;
    exchange_.ClearResends();
    readRestarts_ = 0;
    if (!IsValidMode(settings_.parmsMode)) {
        Fail(kInvalidModeText, kInvalidModeTitle, MsgIcon::Critical);
        return;
    }
    view_.SetCaption(ParmsModeCaption(settings_.parmsMode));
    // A port that does not open has said so; the automatic start then ends the dialogue.
    (void)RegisterWithPrimary(links_, *this, true, true);
    transferImage_.fill(0);
    view_.SetPercent(0);
    view_.SetOkEnabled(true);
    if (settings_.autoStart) timerDelay_->setEnabled(true);
}

void ParmsRdWrDialogue::Activate() {
    if (classComm* port = links_.port()) ApplyProgrammingSettings(*port);
}

void ParmsRdWrDialogue::OK() {
    // A press while a dialogue runs would restart the read in the middle of programming.
    if (!load_.loaded() || dialogueState_ != ReadWriteState::Idle) return;
    const LoadToken::Value token = load_.Take();
    timerDelay_->setEnabled(false);
    links_.windows().IncrementTestNumber(false);
    transferImage_.fill(0);
    view_.SetLabels("Reading ", ReadLabel(settings_.parmsMode));
    if (settings_.parmsMode == ParmsMode::WriteProgrammable || settings_.parmsMode == ParmsMode::WriteAll ||
        settings_.parmsMode == ParmsMode::CloneProgrammable) {
        if (!ValidateBeforeRead() || !load_.Still(token)) return;
    }
    readRestarts_ = 0;
    // The port's own message named the device: no request goes out, no modem is blamed.
    if (!RegisterWithPrimary(links_, *this, true, true)) {
        CloseWindow();
        return;
    }
    StartRead();
}

bool ParmsRdWrDialogue::ValidateBeforeRead() {
    WindowServices& windows = links_.windows();
    EditorPage* page = windows.RadioParmsEditor();
    // An open editor checks and stores its own fields (and reports a bad one itself).
    if (page && windows.RadioParmsEditorLoaded()) return page->SaveChanges();
    // A closed parameter editor stores nothing of its own, but it hands an open timing
    // editor's boxes over: they are part of what the operator is writing.
    if (page) page->SaveChanges();
    const std::int16_t index =
        CheckChannelFreqs(links_.modes, links_.files, links_.records, links_.records.mainParameters)
            .Show(MessageShower(links_.dialogs()));
    if (index == -1) return true;
    if (page) {
        windows.OpenRadioParmsEditor();
        page->SelectFrequencyInError(index);
    }
    return false;
}

void ParmsRdWrDialogue::Unload() {
    if (!load_.loaded()) return;
    load_.End();
    settings_ = ParmsRdWrSettings{};
    DetachDialogue(links_, *this, {timerDelay_.get(), &exchange_.timer()});
    // The lists are handed over first, so a window that registers again from its callback
    // keeps its registration.
    for (ParmsClient* c : parmsClients_.Take()) c->UpdateParms(parmsWereFound_);
    for (ProgCompleteClient* c : progCompleteClients_.Take()) c->ProgrammingComplete(programCompleted_);
    if (parmsWereFound_) links_.windows().SetUnitIdLabels(links_.records.mainParameters.serialNumber);
    dialogueState_ = ReadWriteState::Idle;
}

// ---------------------------------------------------------------------------------------------
// The read

void ParmsRdWrDialogue::StartRead() {
    read_.StartData();
    startAddress_ = 0;
    endAddress_ = kParameterImageBytes - 1;
    view_.SetOkEnabled(false);
    if (classComm* port = links_.port()) port->RegisterForRxCrLf(this);
    exchange_.Send([this] {
        if (classComm* port = links_.port()) SendCommand(*port, "?");
    });
    dialogueState_ = ReadWriteState::AwaitVersion;
}

void ParmsRdWrDialogue::RxCrLfData(const std::string& rxStr) {
    if (!load_.loaded() || read_.TakeLine(rxStr)) return;
    if (VersionOfLine(rxStr)) ModemRestarted();
}

void ParmsRdWrDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    const SRecordMessage* found = ReplyRecordWithin(links_.port(), rxSRecordIndex, kParameterImageBytes);
    if (!load_.loaded() || !found) return;
    const SRecordMessage& rec = *found;
    const bool ackAtZero = rec.recNum == 8 && rec.address == 0;
    switch (dialogueState_) {
    case ReadWriteState::AwaitReady:
    case ReadWriteState::AwaitData:
    case ReadWriteState::AwaitEnd:
    case ReadWriteState::AwaitFinalAck:
        if (read_.TakeRecord(rec)) CompleteRead();
        break;
    case ReadWriteState::AwaitBlockAck:
        if (rec.recNum == 8) {
            // A refused block is written only by its resend: an acknowledgement arriving
            // before that is a stray (a late second answer) and proves nothing.
            if (rec.address == 0 && !blockRefused_) {
                exchange_.Stop();
                ++stepCount_;
                ShowPercent(ProgressPercent(stepCount_, stepTotal_));
                RestartTimer(*timerDelay_);
                dialogueState_ = ReadWriteState::AwaitBlockDelay;
            } else if (rec.address != 0) {
                // Refused: the block goes again at the time-out.
                blockRefused_ = true;
                exchange_.Await();
            }
        }
        break;
    case ReadWriteState::AwaitChannelAck:
        if (ackAtZero) {
            exchange_.Send([this] { SendEnd(); });
            dialogueState_ = ReadWriteState::AwaitEndAck;
        }
        break;
    case ReadWriteState::AwaitEndAck:
        if (ackAtZero) CompleteWrite();
        break;
    default:
        break;
    }
}

void ParmsRdWrDialogue::CompleteRead() {
    const LoadToken::Value token = load_.Take();
    switch (settings_.parmsMode) {
    case ParmsMode::ReadProgrammable:
    case ParmsMode::ReadAll: {
        SharedRecords& records = links_.records;
        FilePlaces& files = links_.files;
        // A layout the codecs do not know is a failed read (its message is shown): nothing
        // changes on the host.
        if (const Outcome decoded = DecodeParameterImage(links_.modes, records, records.mainParameters, transferImage_);
            !decoded.ok()) {
            ShowMessage(links_.dialogs(), decoded.problem());
            if (load_.Still(token)) CloseWindow();
            return;
        }
        if (!load_.Still(token)) return;
        if (EditorPage* editor = links_.windows().RadioParmsEditor()) editor->UpdateChanges();
        files.dataFileName = JoinPath(GetDirectoryPart(files.dataFileName, files.places.programFolder), "upload.dat");
        links_.windows().DisplayFilenames();
        if (!settings_.autoStart && links_.dialogs()) {
            links_.dialogs()->messageBox(settings_.parmsMode == ParmsMode::ReadAll ? "Reading All Parameters Complete."
                                                                             : "Reading Parameters Complete.",
                                         "Complete", MsgButtons::OK, MsgIcon::Information);
        }
        if (!load_.Still(token)) return;
        parmsWereFound_ = true;
        CloseWindow();
        return;
    }
    case ParmsMode::WriteProgrammable:
    case ParmsMode::WriteAll:
    case ParmsMode::WriteCurrent:
    case ParmsMode::CloneProgrammable:
    case ParmsMode::WriteDefault:
        MergeAndProgram();
        return;
    default:
        Fail(kInvalidModeText, kInvalidModeTitle, MsgIcon::Critical);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Timers

void ParmsRdWrDialogue::TimerDelayTick() {
    if (!load_.loaded() || !Active()) return;  // stays enabled: the step waits for the window
    timerDelay_->setEnabled(false);
    switch (dialogueState_) {
    case ReadWriteState::Idle:
        // The open just failed at load and said why; trying again would only repeat it.
        if (PrimaryPortClosed(links_)) {
            CloseWindow();
            break;
        }
        OK();
        break;
    case ReadWriteState::AwaitReadDelay:
        exchange_.Send([this] {
            if (classComm* port = links_.port()) SendCommand(*port, "DE");
        });
        dialogueState_ = ReadWriteState::AwaitData;
        break;
    case ReadWriteState::AwaitBlockDelay:
        if (stepCount_ < stepTotal_) {
            SendProgramBlock(stepCount_, ReadWriteState::AwaitBlockAck);
        } else if (channelStepPending_) {
            exchange_.Send([this] { SendChannel(); });
            dialogueState_ = ReadWriteState::AwaitChannelAck;
        } else {
            exchange_.Send([this] { SendEnd(); });
            dialogueState_ = ReadWriteState::AwaitEndAck;
        }
        break;
    default:
        break;
    }
}

void ParmsRdWrDialogue::TimerResponseTick() {
    if (!load_.loaded() || !Active()) return;
    exchange_.Stop();
    const bool portClosed = PrimaryPortClosed(links_);
    switch (dialogueState_) {
    case ReadWriteState::AwaitVersion:
    case ReadWriteState::AwaitReady:
        if (portClosed || !read_.ResendVersionRequest()) Fail(kNoVersionText, {}, MsgIcon::None);
        break;
    case ReadWriteState::AwaitData:
    case ReadWriteState::AwaitEnd:
    case ReadWriteState::AwaitFinalAck:
        // A broken transfer starts the read again, a limited number of times: the count is
        // kept apart from the resends, which sending "DE" starts afresh.
        // The restarted version step carries this time-out in its resend count.
        if (!portClosed && readRestarts_ < kMaxReadRestarts) {
            ++readRestarts_;
            exchange_.ResendBy([this] { StartRead(); });
        } else {
            Fail(kNoReadText, kErrorTitle, MsgIcon::Critical);
        }
        break;
    case ReadWriteState::AwaitBlockAck:
        // Only the block's resend can be acknowledged now.
        if (exchange_.Resend()) blockRefused_ = false;
        else Fail(kNoProgramText, kErrorTitle, MsgIcon::Critical);
        break;
    case ReadWriteState::AwaitChannelAck:
        if (!exchange_.Resend()) Fail(kNoChannelText, kErrorTitle, MsgIcon::Critical);
        break;
    case ReadWriteState::AwaitEndAck:
        if (!exchange_.Resend(ModemExchange::Tally::Silent)) Fail(kNoProgramEndText, kErrorTitle, MsgIcon::Critical);
        break;
    default:
        break;
    }
}

}  // namespace k45
