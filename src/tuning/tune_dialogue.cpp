// The Tune Radio window's events and its modem dialogue: what goes to the radio for the
// procedure (tune records, polls and samples, "AR", "BALANCE", the end test), through the
// window's RadioExchange, and what each answer or time-out does in the dialogue's state. What
// the procedure does with a reading is in tune_procedure.cpp.
#include <algorithm>

#include "base/converters.h"
#include "params/tune_record.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "programming/radio_off.h"
#include "radio/synthesizer.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"
#include "tuning/tune_dialogue.h"
#include "tuning/tune_math.h"

namespace k45 {
namespace {

// From the first record of an exchange with the modem until the exchange completes.
bool AwaitsModem(TuneDialogState state) {
    switch (state) {
    case TuneDialogState::Idle:
    case TuneDialogState::WritingDefaults:
    case TuneDialogState::WritingResults:
    case TuneDialogState::AwaitingParameters:
    case TuneDialogState::ParametersReady: return false;
    default: return true;
    }
}

bool ValidPoint(int p) { return p >= 0 && p <= 2; }

}  // namespace

TuneDialogue::TuneDialogue(DialogueLinks links, TuneView& view)
    : links_(links),
      view_(view),
      exchange_(links_.scheduler(), kResponseMs, load_,
                {.port = [this] { return Primary(); },
                 .active = [this] { return Active(); },
                 .timedOut = [this] { TimerResponseTick(); },
                 .unkeyLine = [] { return CommandLine("T0"); },
                 .unkeyAcknowledged =
                     [this] {
                         BackToKeyStep();
                         CompleteExchange();
                     },
                 .unkeyGivenUp = [this] { return EndPendingTest(); },
                 .countResend = {},
                 .tell = [this](const std::string& text) { Tell(text); }}) {
    timerDiagnostics_ = MakeDialogueTimer(links_.scheduler(), kDiagnosticsMs, [this] { TimerDiagnosticsTick(); });
    timerDelayCommunications_ = MakeDialogueTimer(links_.scheduler(), kDelayMs, [this] { TimerDelayTick(); });
    timerTxTimeout_ = MakeDialogueTimer(links_.scheduler(), 1500, [this] { TimerTxTimeoutTick(); });
}

TuneDialogue::~TuneDialogue() {
    if (load_.loaded() && Primary()) Primary()->DeRegisterForAll(this);
}

// ---- window events

void TuneDialogue::Load() {
    load_.Begin();
    settings_.wasLoaded = true;
    tunePending_ = false;
    endTestPending_ = false;
    endTestDone_ = false;
    // A new load starts unkeyed: the radio of an earlier load was left at its unload.
    transmitSelected_ = false;
    rssiReadCount_ = 0;
    exchange_.Begin();
    w_.currentPoint = 2;
    dialogState_ = TuneDialogState::Idle;
    w_.currentStep = TuneStep::Start;
    ShowTuneStep();
    w_.adjustIndex = TuneAdjust::Fc;
    w_.diagIndex = TuneDiag::None;
    if (Primary()) Primary()->RegisterForSRecord(this, false);
    view_.ShowSelection(SelectionFromParameters(links_.records.mainParameters, view_.Selection()));
    SelectRxOffset(settings_.rxOffsetListIndex);
    SelectTxOffset(settings_.txOffsetListIndex);
    w_.modBalanceTxTime = settings_.modBalanceTxTime;
    pollDiagnostics_ = true;
    replyCount_ = 0;
    timerDiagnostics_->setEnabled(true);
}

void TuneDialogue::Activate() {
    if (classComm* port = Primary()) {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)port->OverrideHandshaking(7, false, 0);
        (void)port->OverrideSettings({.baudRate = 9600});
    }
    // Start has just read the modem's parameters: the tests begin, and the adjust values go to
    // the DAC values editor.
    if (dialogState_ == TuneDialogState::ParametersReady && w_.currentStep == TuneStep::ReadingParameters) {
        dialogState_ = TuneDialogState::Idle;
        GoToFirstTest();
        links_.records.dacValues = DacValuesFromTuneRecord(w_.tuneRecord);
        links_.windows().OpenDacValuesEditor();
    }
}

void TuneDialogue::Unload() {
    if (!load_.loaded()) return;
    // Nothing may leave the radio keyed or in test mode without a word: the close box, shutdown
    // and every other close that did not end the test send "T0" once without waiting for it,
    // or tell that it could not be sent.
    if (!endTestDone_) exchange_.Leave(true);
    load_.End();
    const TuneSelection sel = view_.Selection();
    for (int i = 0; i < kTuneTestCount; ++i)
        settings_.testSelection[static_cast<std::size_t>(i)] = sel.ticked[static_cast<std::size_t>(i)] ? 1 : 0;
    if (Primary()) Primary()->DeRegisterForAll(this);
    settings_.modBalanceTxTime = sel.txTime;
    exchange_.End();
    for (Timer* t : {timerDiagnostics_.get(), timerDelayCommunications_.get(), timerTxTimeout_.get()})
        t->setEnabled(false);
}

void TuneDialogue::PortsSwapping() {
    if (!load_.loaded()) return;
    const LoadToken::Value token = load_.Take();
    exchange_.Leave(true);
    if (!load_.Still(token)) return;
    // Nothing of the radio left behind goes on: no "BALANCE" keys the radio behind the port
    // next, the step shows receive, and an exchange under way ends (its reply cannot come).
    timerDelayCommunications_->setEnabled(false);
    timerTxTimeout_->setEnabled(false);
    BackToKeyStep();
    if (AwaitsModem(dialogState_)) {
        tunePending_ = false;
        CompleteExchange();
    }
}

void TuneDialogue::SelectRxOffset(int index) {
    if (index < 0 || index >= kOffsetEntryCount) {
        settings_.rxOffsetListIndex = -1;
        return;
    }
    settings_.rxOffsetListIndex = static_cast<std::int16_t>(index);
    w_.rxOffsetHz = OffsetEntryHz(index);
}

void TuneDialogue::SelectTxOffset(int index) {
    if (index < 0 || index >= kOffsetEntryCount) {
        settings_.txOffsetListIndex = -1;
        return;
    }
    settings_.txOffsetListIndex = static_cast<std::int16_t>(index);
    w_.txOffsetHz = OffsetEntryHz(index);
}

// ---- the modem dialogue

void TuneDialogue::SendTunePoint(std::int16_t point) {
    if (dialogState_ != TuneDialogState::Idle) {
        tunePending_ = true;
        return;
    }
    if (!Active() || !ValidPoint(point)) return;
    switch (exchange_.Ready(false)) {
    case RadioExchange::Gate::Refused: return;
    case RadioExchange::Gate::Wait:
        // The owed unkey goes first; the record follows its acknowledgement.
        tunePending_ = true;
        return;
    case RadioExchange::Gate::Go: break;
    }
    TuneRecord& t = w_.tuneRecord;
    const RadioSpec& spec = w_.testPoints[static_cast<std::size_t>(point)];
    const auto sum = [](std::int32_t a, std::int32_t b) {
        const std::int64_t v = std::int64_t{a} + b;
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    t.txFrequency = sum(spec.txFrequency, w_.txOffsetHz);
    t.rxFrequency = sum(spec.rxFrequency, w_.rxOffsetHz);
    t.frontEndValue = t.frontEndAdj[static_cast<std::size_t>(point)];
    t.modValue = t.modAdj[static_cast<std::size_t>(point)];
    t.powerValue = t.powerAdj[static_cast<std::size_t>(point)];
    t.sa7026Synthesizer = ToFlag(view_.Selection().sa7026);
    t.txSelected = ToFlag(transmitSelected_);
    // An FC step tunes on its test frequency, in the direction it tunes (and keyed, without
    // deviation).
    const TuneStepRow& row = StepRow(w_.currentStep);
    std::int16_t modulus = row.fcModulus;
    const bool fcStep = modulus != 0 && row.keyed == transmitSelected_;
    if (transmitSelected_) {
        if (fcStep) t.txFrequency = GetFcTestFreq(links_.modes, t, t.txFrequency, modulus);
        t.txDeviationAdj = fcStep ? 0 : t.masterDeviation;
        t.synthFrequency = t.txFrequency;
    } else {
        if (fcStep) t.rxFrequency = GetFcTestFreq(links_.modes, t, t.rxFrequency, modulus);
        t.txDeviationAdj = t.masterDeviation;
        t.synthFrequency = t.rxFrequency;
    }
    SelectCnFcAdjust(links_.records, t, nullptr, false, true, true, point);
    exchange_.Send(TuneRecordLine(links_.modes, links_.records, t),
                   transmitSelected_ ? RadioExchange::Keying::Keys : RadioExchange::Keying::Unkeys);
    dialogState_ = TuneDialogState::AwaitingTuneAck;
    ShowAdjustValue();
    tunePending_ = false;
}

void TuneDialogue::CompleteExchange() {
    dialogState_ = TuneDialogState::Idle;
    if (tunePending_) {
        tunePending_ = false;
        SendTunePoint(w_.currentPoint);
    }
    EndPendingTest();
}

bool TuneDialogue::EndPendingTest() {
    if (!endTestPending_) return false;
    endTestPending_ = false;
    EndTest();
    return true;
}

void TuneDialogue::EndTest() {
    if (dialogState_ != TuneDialogState::Idle) {
        endTestPending_ = true;
        return;
    }
    if (!exchange_.LineBack()) {
        // Nothing can reach the modem and the window closes: the operator hears what that
        // leaves of the radio.
        const LoadToken::Value token = load_.Take();
        exchange_.TellClosedAtClose();
        if (!load_.Still(token)) return;
        endTestDone_ = true;
        view_.CloseWindow();
        return;
    }
    // "T0" is the unkey too: one under way is set aside for it.
    exchange_.Send(CommandLine("T0"), RadioExchange::Keying::Unkeys);
    dialogState_ = TuneDialogState::AwaitingEndTestAck;
    endTestPending_ = false;
}

void TuneDialogue::StartModBalance(std::int16_t point) {
    transmitSelected_ = true;
    dialogState_ = TuneDialogState::Idle;
    SendTunePoint(point);
    RestartTimer(*timerDelayCommunications_);
    delayedCommand_ = "BALANCE";
    delayedCommandByte_ = std::clamp<std::int16_t>(view_.Selection().txTime, 1, 60);
    settings_.modBalanceTxTime = delayedCommandByte_;
    w_.modBalanceTxTime = delayedCommandByte_;
    timerTxTimeout_->setEnabled(false);
    timerTxTimeout_->setInterval(delayedCommandByte_ * 1100 + 500);
    timerTxTimeout_->setEnabled(true);
}

void TuneDialogue::TimerDelayTick() {
    timerDelayCommunications_->setEnabled(false);
    // A radio owed its unkey is not keyed again behind it.
    if (exchange_.unkeyOwed() || exchange_.unkeyUnderWay()) return;
    if (!exchange_.Post(CommandAndByteLine(delayedCommand_, delayedCommandByte_), RadioExchange::Keying::Keys)) return;
    exchange_.ClearResends();
}

void TuneDialogue::TimerTxTimeoutTick() {
    timerTxTimeout_->setEnabled(false);
    transmitSelected_ = false;
    SendTunePoint(w_.currentPoint);
    // Only a tune record that went out can bring the re-adjust question; otherwise the
    // exchange would wait for an acknowledgement that never comes.
    if (w_.currentStep == TuneStep::ModBalanceTransmitting && dialogState_ == TuneDialogState::AwaitingTuneAck)
        dialogState_ = TuneDialogState::AwaitingBalanceEndAck;
}

void TuneDialogue::ClearDiagnostics(TuneDialogState clearing) {
    if (exchange_.Send(CommandLine("AR"))) dialogState_ = clearing;
}

void TuneDialogue::Request(const char* command, TuneDialogState next) {
    if (!exchange_.Send(CommandLine(command))) return;
    replyCount_ = 0;
    dialogState_ = next;
}

void TuneDialogue::TimerDiagnosticsTick() {
    if (!Active()) return;
    // Samples start only from Idle like the poll, so they never cut off an open exchange (the
    // end test's acknowledgement would otherwise never be taken and the window never close).
    if (dialogState_ != TuneDialogState::Idle) return;
    // Quiet with the port closed; the unkey owed goes instead, whether or not diagnostics are
    // polled.
    if (!exchange_.PollReady()) return;
    if (!pollDiagnostics_ || transmitSelected_) return;
    switch (StepRow(w_.currentStep).poll) {
    case StepPoll::Diagnostics: Request("AS", TuneDialogState::AwaitingDiagnostics); break;
    case StepPoll::RxSample: Request("AT", TuneDialogState::AwaitingRxSample); break;
    case StepPoll::RssiSample: Request("AT", TuneDialogState::AwaitingRssiSample); break;
    }
}

bool TuneDialogue::BlockComplete(const RadioReply& reply) {
    if (reply.kind != RadioReply::Kind::Data) return false;
    replyCount_ = static_cast<std::int16_t>(
        std::min<int>(replyCount_ + std::max<int>(reply.record->dataCount, 0), kReplyDataBytes));
    if (!reply.blockComplete) return false;
    ParseDiagnosticBlock(diagnostics_, reply.block);
    return true;
}

void TuneDialogue::AwaitNext(TuneDialogState next) {
    exchange_.Await();
    dialogState_ = next;
}

void TuneDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded()) return;
    // Only records of the reply to this window's command come through; the owed unkey's are
    // the exchange's own.
    const std::optional<RadioReply> reply = exchange_.Take(rxSRecordIndex);
    if (!reply) return;
    using Kind = RadioReply::Kind;
    const bool ack = reply->kind == Kind::Acknowledged;
    switch (dialogState_) {
    case TuneDialogState::AwaitingTuneAck:
        if (!ack) return;
        exchange_.Stop();
        CompleteExchange();
        break;
    case TuneDialogState::AwaitingBalanceEndAck:
        if (!ack) return;
        exchange_.Stop();
        dialogState_ = TuneDialogState::Idle;
        ReAdjustQuestion();
        break;
    case TuneDialogState::AwaitingDiagnostics:
        if (!BlockComplete(*reply)) return;
        ShowDiagnostics(diagnostics_);
        AwaitNext(TuneDialogState::AwaitingReplyEnd);
        break;
    case TuneDialogState::AwaitingReplyEnd:
        if (reply->kind == Kind::End) {
            AwaitNext(TuneDialogState::AwaitingReplyAck);
        } else if (ack) {
            // A reply closed without its end record is over all the same.
            exchange_.Stop();
            CompleteExchange();
        }
        break;
    case TuneDialogState::AwaitingReplyAck:
        if (!ack) return;
        exchange_.Stop();
        CompleteExchange();
        break;
    case TuneDialogState::AwaitingEndTestAck: {
        if (!ack) return;
        exchange_.Stop();
        endTestDone_ = true;
        if (reply->offAfterWarning) {
            const LoadToken::Value token = load_.Take();
            Tell(kTxOffLaterText);
            if (!load_.Still(token)) return;
        }
        view_.CloseWindow();
        break;
    }
    case TuneDialogState::AwaitingPowerTuneAck:
        if (!ack) return;
        Request("AT", TuneDialogState::AwaitingPowerSample);
        break;
    case TuneDialogState::AwaitingPowerSample:
        if (!BlockComplete(*reply)) return;
        AwaitNext(TuneDialogState::AwaitingPowerSampleAck);
        break;
    case TuneDialogState::AwaitingPowerSampleAck:
        if (!ack) return;
        exchange_.Stop();
        CompleteExchange();
        RecordPowerPoint();
        break;
    case TuneDialogState::AwaitingRssiSample:
        if (BlockComplete(*reply)) AwaitNext(TuneDialogState::AwaitingRssiSampleAck);
        if (reply->kind == Kind::Data && rssiReadCount_ < 4) {
            description_ += ".";
            view_.SetDescription(description_);
        }
        break;
    case TuneDialogState::AwaitingRssiSampleAck:
        if (!ack) return;
        exchange_.Stop();
        CompleteExchange();
        view_.SetTemperature(FormatAdTemperatureC(diagnostics_.sets[0].values[6]));
        view_.SetDiagValue(std::to_string(diagnostics_.sets[0].values[7]));
        RecordRssiRead();
        break;
    case TuneDialogState::AwaitingRxSample:
        if (!BlockComplete(*reply)) return;
        view_.SetDiagValue(FormatAdVolts(diagnostics_.sets[0].values[7], 0.6666667f, links_.files.locale));
        AwaitNext(TuneDialogState::AwaitingReplyEnd);
        break;
    default:
        break;
    }
}

void TuneDialogue::TimerResponseTick() {
    if (!Active()) return;  // taken at the first tick after the window is active again
    exchange_.Stop();
    // The procedure's resends are not counted in the status bar.
    constexpr auto silent = ModemExchange::Tally::Silent;
    switch (dialogState_) {
    case TuneDialogState::AwaitingTuneAck:
    case TuneDialogState::AwaitingBalanceEndAck:
        if (!transmitSelected_ && exchange_.Resend(silent)) break;
        if (exchange_.mayTransmit()) GiveUp(false);
        else CompleteExchange();
        break;
    case TuneDialogState::AwaitingEndTestAck:
        if (!exchange_.lineUp()) {
            // Not the unit's fault: the window stays, and a radio that may transmit is owed its
            // unkey.
            dialogState_ = TuneDialogState::Idle;
            exchange_.TellEndTestPortLost();
            break;
        }
        if (!exchange_.Resend(silent)) {
            const LoadToken::Value token = load_.Take();
            Boxes().messageBox(kNoEndTestText, "", MsgButtons::OK);
            if (!load_.Still(token)) return;
            endTestDone_ = true;  // "T0" was tried four times
            view_.CloseWindow();
        }
        break;
    case TuneDialogState::PowerPointClearing:
        if (!exchange_.lineUp()) {
            GiveUp(true);
            break;
        }
        if (transmitSelected_ || !exchange_.Resend(silent)) {
            dialogState_ = TuneDialogState::Idle;
            transmitSelected_ = false;
            SendTunePoint(w_.currentPoint);
            if (dialogState_ == TuneDialogState::AwaitingTuneAck) dialogState_ = TuneDialogState::AwaitingPowerTuneAck;
        }
        break;
    case TuneDialogState::AwaitingPowerTuneAck:
    case TuneDialogState::AwaitingPowerSample:
        if (!exchange_.Resend(silent)) GiveUp(true);
        break;
    case TuneDialogState::AwaitingPowerSampleAck:
        // The sample is in but was never acknowledged: it is not taken as a point.
        GiveUp(true);
        break;
    case TuneDialogState::PowerVerifyClearing:
        if (transmitSelected_ || !exchange_.Resend(silent)) {
            CompleteExchange();
            w_.currentStep = TuneStep::PowerVerifyReading;
            ShowAndSendPoint(false);
        }
        break;
    case TuneDialogState::AwaitingDiagnostics:
    case TuneDialogState::AwaitingReplyEnd:
    case TuneDialogState::AwaitingReplyAck:
    case TuneDialogState::AwaitingRssiSample:
    case TuneDialogState::AwaitingRssiSampleAck:
    case TuneDialogState::AwaitingRxSample:
        CompleteExchange();
        break;
    default:
        break;
    }
}

void TuneDialogue::GiveUp(bool pointLost) {
    timerDelayCommunications_->setEnabled(false);
    timerTxTimeout_->setEnabled(false);
    BackToKeyStep();
    dialogState_ = TuneDialogState::Idle;
    exchange_.GiveUp(pointLost);
}

void TuneDialogue::BackToKeyStep() {
    transmitSelected_ = false;
    const TuneStepRow& row = StepRow(w_.currentStep);
    if (!row.keyed) return;
    if (const TunePlanEntry* e = PlanEntry(row.test)) w_.currentStep = e->firstStep;
    ShowTuneStep();
}

bool TuneDialogue::MayAct() {
    // With an unkey owed, it goes instead; the operator hears how it went and acts again.
    return exchange_.Ready(true) == RadioExchange::Gate::Go;
}

void TuneDialogue::Tell(const std::string& text) { Boxes().messageBox(text, "", MsgButtons::OK, MsgIcon::Exclamation); }

void TuneDialogue::ShowDiagnostics(const DiagnosticsRecord& record) {
    const auto& v = record.sets[0].values;
    const LocaleInfo& loc = links_.files.locale;
    const auto shown = [&] { return v[static_cast<std::size_t>(w_.diagIndex)]; };
    switch (w_.diagIndex) {
    case TuneDiag::Rssi: view_.SetDiagValue(FormatNegativeDbm(shown())); break;
    case TuneDiag::ForwardPower: view_.SetDiagValue(FormatTenthsWatts(shown(), loc)); break;
    case TuneDiag::None: break;
    }
    view_.SetBatteryVoltage(FormatBatteryVolts(v[2], loc));
    view_.SetTemperature(FormatTemperatureC(v[6]));
}

}  // namespace k45
