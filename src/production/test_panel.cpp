#include "production/test_panel.h"

#include "base/converters.h"
#include "model/app_state.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "programming/radio_off.h"
#include "radio/synthesizer.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"

namespace k45 {

TestPanelDialogue::TestPanelDialogue(PanelLinks links, TestPanelView& view)
    : links_(links),
      view_(view),
      exchange_(links.services.scheduler, kResponseMs, load_,
                {.port = [this] { return links_.port(); },
                 .active = [this] { return Active(); },
                 .timedOut = [this] { TimerResponseTick(); },
                 .unkeyLine = [] { return CommandLine("T0"); },
                 .unkeyAcknowledged = [this] { UnkeyAcknowledged(); },
                 // A Close that waited goes on; the sends that waited stay behind the unkey.
                 .unkeyGivenUp = [this] { return dialogState_ == TestPanelState::Idle && EndPendingTest(); },
                 .countResend = [this] { links_.host.CountResend(); },
                 .tell = [this](const std::string& text) { Tell(text); }}),
      timerDiagnostics_(
          MakeDialogueTimer(links.services.scheduler, kDiagnosticsMs, [this] { TimerDiagnosticsTick(); })),
      timerDelayCommunications_(MakeDialogueTimer(links.services.scheduler, kDelayCommunicationsMs,
                                                  [this] { TimerDelayCommunicationsTick(); })),
      timerTxDisplay_(MakeDialogueTimer(links.services.scheduler, kTxDisplayMs, [this] { TimerTxDisplayTick(); })) {}

TestPanelDialogue::~TestPanelDialogue() {
    for (Timer* t :
         {&exchange_.timer(), timerDiagnostics_.get(), timerDelayCommunications_.get(), timerTxDisplay_.get()})
        t->setEnabled(false);
    if (links_.port()) links_.port()->DeRegisterForAll(this);
}

void TestPanelDialogue::Load() {
    if (load_.loaded()) return;
    load_.Begin();
    exchange_.Begin();
    parametersRequested_ = false;
    parametersTaken_ = false;
    transmitSelected_ = false;
    endTestPending_ = false;
    endTestSent_ = false;
    tuneExchange_ = false;
    txModeStep_ = TxModeStep::None;
    if (links_.port()) links_.port()->RegisterForSRecord(this, false);
    dialogState_ = TestPanelState::AwaitingParameters;
    timerDelayCommunications_->setEnabled(false);
    timerTxDisplay_->setEnabled(false);
    timerDiagnostics_->setInterval(kDiagnosticsMs);
    timerDiagnostics_->setEnabled(true);
}

void TestPanelDialogue::Unload() {
    if (!load_.loaded()) return;
    // A radio left in a test by any other way out than the end test is sent "T0" anyway (or
    // the operator hears that it could not be).
    const LoadToken::Value token = load_.Take();
    if (!endTestSent_) exchange_.Leave(true);
    if (!load_.Still(token)) return;
    load_.End();
    exchange_.End();
    for (Timer* t :
         {&exchange_.timer(), timerDiagnostics_.get(), timerDelayCommunications_.get(), timerTxDisplay_.get()})
        t->setEnabled(false);
    if (links_.port()) links_.port()->DeRegisterForAll(this);
}

void TestPanelDialogue::PortsSwapping() {
    if (!load_.loaded()) return;
    const bool closing = endTestPending_ || endTestSent_;
    // The end test sent already: only a radio that may still transmit hears its unkey again.
    const LoadToken::Value token = load_.Take();
    exchange_.Leave(!endTestSent_);
    if (!load_.Still(token)) return;
    // This port's parameters are read again before anything acts on them.
    parametersTaken_ = false;
    txModeStep_ = TxModeStep::None;
    timerDelayCommunications_->setEnabled(false);
    timerTxDisplay_->setEnabled(false);
    transmitSelected_ = false;
    view_.SetXcvrStatus(kRxingText);
    // The exchange left with the radio.
    if (!ReadingParameters()) dialogState_ = TestPanelState::Idle;
    tuneExchange_ = false;
    // The operator's Close was under way: its "T0" has gone out.
    if (closing) {
        endTestPending_ = false;
        links_.host.CloseWindow();
    }
}

void TestPanelDialogue::Activate() {
    if (!load_.loaded()) return;
    if (PortChanged(links_.port(), lastPortNumber_)) parametersRequested_ = false;
    if (parametersRequested_) ActivateReady();
    else ReadCurrentParameters();
}

void TestPanelDialogue::ActivateReady() {
    if (dialogState_ == TestPanelState::ParametersReady) dialogState_ = TestPanelState::Idle;
    SendTuneSetup();
}

void TestPanelDialogue::ReadCurrentParameters() {
    if (!load_.loaded()) return;
    links_.windows().ReadCurrentParameters(*this);
    dialogState_ = TestPanelState::AwaitingParameters;
    parametersRequested_ = true;
    parametersTaken_ = false;
}

void TestPanelDialogue::UpdateParms(bool parmsWereFound) {
    if (!load_.loaded()) return;
    if (parmsWereFound && dialogState_ == TestPanelState::AwaitingParameters) {
        TakeParameters();
        parametersTaken_ = true;
        dialogState_ = TestPanelState::ParametersReady;
        if (Active()) Activate();
    } else {
        CompleteExchange();
    }
}

void TestPanelDialogue::CompleteExchange() {
    dialogState_ = TestPanelState::Idle;
    tuneExchange_ = false;
    RunPendingSends();
    EndPendingTest();
}

bool TestPanelDialogue::EndPendingTest() {
    if (!endTestPending_) return false;
    endTestPending_ = false;
    EndTest();
    return true;
}

void TestPanelDialogue::EndTest() {
    if (!load_.loaded()) return;
    if (dialogState_ == TestPanelState::Idle && !exchange_.LineBack()) {
        // Nothing can reach the modem and the window closes: the operator hears what that
        // leaves of the radio.
        const LoadToken::Value token = load_.Take();
        exchange_.TellClosedAtClose();
        if (!load_.Still(token)) return;
        endTestPending_ = false;
        links_.host.CloseWindow();
    } else if (dialogState_ == TestPanelState::Idle && exchange_.unkeyUnderWay()) {
        // The unkey's own "T0" is on its way: the end test follows it.
        endTestPending_ = true;
    } else if (dialogState_ == TestPanelState::Idle) {
        endTestPending_ = false;
        if (OpenExchange(CommandLine("T0"), EndTestAckState(), RadioExchange::Keying::Unkeys)) endTestSent_ = true;
    } else if (ReadingParameters()) {
        links_.host.CloseWindow();
    } else {
        endTestPending_ = true;
    }
}

void TestPanelDialogue::SetTransmit(bool on) {
    if (!exchange_.LineBack()) {
        exchange_.TellPortClosed();
        return;
    }
    transmitSelected_ = on;
    view_.SetXcvrStatus(on ? kTxingText : kRxingText);
    SendTuneSetup();
}

void TestPanelDialogue::StartTxMode() {
    if (!transmitSelected_) return;
    const auto plan = PlanTxMode(transmitMode_, txTime_, txTimeMaximum_);
    if (!plan) return;
    timerDelayCommunications_->setEnabled(false);
    timerDelayCommunications_->setInterval(kTxModeDelayMs);
    timerDelayCommunications_->setEnabled(true);
    txModeCommand_ = plan->command;
    txModeValue_ = plan->value;
    txModeStep_ = plan->firstStep;
    timerTxDisplay_->setEnabled(false);
    timerTxDisplay_->setInterval(plan->displayMs);
    timerTxDisplay_->setEnabled(true);
    transmitSelected_ = false;
}

bool TestPanelDialogue::MayKey() const {
    return exchange_.lineUp() && !exchange_.unkeyOwed() && !exchange_.unkeyUnderWay();
}

void TestPanelDialogue::TimerDelayCommunicationsTick() {
    timerDelayCommunications_->setEnabled(false);
    if (txModeStep_ == TxModeStep::None) return;
    // A radio owed its unkey is not keyed again by a command that was due: it is dropped.
    if (!MayKey()) {
        txModeStep_ = TxModeStep::None;
        return;
    }
    if (txModeStep_ == TxModeStep::LeadInNext) {
        exchange_.Post(CommandAndByteLine(txModeCommand_, 1), RadioExchange::Keying::Keys);
        timerDelayCommunications_->setInterval(kTxModeSecondDelayMs);
        timerDelayCommunications_->setEnabled(true);
        txModeStep_ = TxModeStep::ValueNext;
    } else {
        exchange_.Post(CommandAndByteLine(txModeCommand_, txModeValue_), RadioExchange::Keying::Keys);
        txModeStep_ = TxModeStep::None;
    }
}

void TestPanelDialogue::TimerTxDisplayTick() {
    timerTxDisplay_->setEnabled(false);
    transmitSelected_ = false;
    view_.SetXcvrStatus(kRxingText);
}

void TestPanelDialogue::TimerDiagnosticsTick() {
    if (!load_.loaded()) return;
    if (dialogState_ != TestPanelState::Idle || !Active()) return;
    // Quiet with the port closed; the owed unkey goes first, whether or not the diagnostics
    // are polled.
    if (!exchange_.PollReady()) return;
    // Sends that waited behind another window's unkey go now that it was acknowledged.
    if (SendsPending() || endTestPending_) {
        CompleteExchange();
        return;
    }
    if (!PollEnabled() || transmitSelected_) return;
    if (OpenExchange(CommandLine("AS"), TestPanelState::AwaitingDiagnostics)) tuneExchange_ = false;
}

void TestPanelDialogue::TimerResponseTick() {
    if (!load_.loaded() || !Active()) return;
    exchange_.Stop();
    if (OwnsState(dialogState_)) {
        OwnTimeout();
        return;
    }
    switch (dialogState_) {
    case TestPanelState::AwaitingDiagnostics:
    case TestPanelState::AwaitingDiagnosticsEnd: CompleteExchange(); break;
    case TestPanelState::AwaitingAck:
        if (tuneExchange_) TuneTimedOut();
        else CompleteExchange();
        break;
    case TestPanelState::AwaitingEndTestAck: EndTestUnanswered(); break;
    default: break;
    }
}

void TestPanelDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded()) return;
    // Only the reply to the panel's own command: a late or crossed reply, the owed unkey's, or
    // another window's passes by.
    const std::optional<RadioReply> reply = exchange_.Take(rxSRecordIndex);
    if (!reply) return;
    if (OwnsState(dialogState_)) {
        TakeOwnReply(*reply);
        return;
    }
    using Kind = RadioReply::Kind;
    switch (dialogState_) {
    case TestPanelState::AwaitingDiagnostics:
        if (reply->kind != Kind::Data || !reply->blockComplete) break;
        exchange_.Await();
        dialogState_ = TestPanelState::AwaitingDiagnosticsEnd;
        ParseDiagnosticBlock(diagnostics_, reply->block);
        DisplayDiagnostics();
        break;
    case TestPanelState::AwaitingDiagnosticsEnd:
        if (reply->kind == Kind::End) {
            exchange_.Await();
            dialogState_ = TestPanelState::AwaitingAck;
        } else if (reply->kind == Kind::Acknowledged) {
            // A reply closed without an end record ends the exchange all the same.
            exchange_.Stop();
            CompleteExchange();
        }
        break;
    case TestPanelState::AwaitingAck:
        if (reply->kind != Kind::Acknowledged) break;
        exchange_.Stop();
        CompleteExchange();
        if (reply->offAfterWarning) Tell(kTxOffLaterText);
        break;
    case TestPanelState::AwaitingEndTestAck:
        if (reply->kind == Kind::Acknowledged) EndTestAnswered(reply->offAfterWarning);
        break;
    default: break;
    }
}

void TestPanelDialogue::TuneTimedOut() {
    if (exchange_.mayTransmit()) GiveUpTransmitting();
    else CompleteExchange();
}

void TestPanelDialogue::GiveUpTransmitting() {
    for (Timer* t : {&exchange_.timer(), timerDelayCommunications_.get(), timerTxDisplay_.get()}) t->setEnabled(false);
    txModeStep_ = TxModeStep::None;
    transmitSelected_ = false;
    // A record sent from now on receives, unless the operator keys again.
    SetDirection();
    view_.SetXcvrStatus(kRxingText);
    dialogState_ = TestPanelState::Idle;
    tuneExchange_ = false;
    exchange_.GiveUp(false);
}

void TestPanelDialogue::UnkeyAcknowledged() {
    txModeStep_ = TxModeStep::None;
    transmitSelected_ = false;
    SetDirection();
    view_.SetXcvrStatus(kRxingText);
    // The parameter read the operator asked for meanwhile goes on.
    if (dialogState_ == TestPanelState::Idle) CompleteExchange();
}

bool TestPanelDialogue::MaySend(bool& pending) {
    if (dialogState_ != TestPanelState::Idle) {
        if (!ReadingParameters()) pending = true;
        return false;
    }
    if (!Active()) return false;
    return RadioLetsSend(pending);
}

bool TestPanelDialogue::RadioLetsSend(bool& pending) {
    switch (exchange_.Ready(true)) {
    case RadioExchange::Gate::Go: pending = false; return true;
    case RadioExchange::Gate::Wait:
        WaitBehindUnkey();
        pending = true;
        return false;
    case RadioExchange::Gate::Refused: return false;
    }
    return false;
}

bool TestPanelDialogue::RadioLetsPost(bool& pending) {
    // With no exchange of the panel's open the gate may send the owed unkey itself.
    if (dialogState_ == TestPanelState::Idle) return RadioLetsSend(pending);
    if (!exchange_.LineBack()) {
        exchange_.TellPortClosed();
        return false;
    }
    if (!exchange_.unkeyOwed() && !exchange_.unkeyUnderWay()) {
        pending = false;
        return true;
    }
    WaitBehindUnkey();
    pending = true;
    return false;
}

void TestPanelDialogue::WaitBehindUnkey() {
    // What waits goes after the unkey as a receive record: only a key pressed again keys.
    txModeStep_ = TxModeStep::None;
    transmitSelected_ = false;
    SetDirection();
    view_.SetXcvrStatus(kRxingText);
}

void TestPanelDialogue::Tell(const std::string& text) {
    if (links_.services.dialogs) links_.services.dialogs->messageBox(text, "", MsgButtons::OK, MsgIcon::Exclamation);
}

void TestPanelDialogue::EndTestAnswered(bool offAfterWarning) {
    exchange_.Stop();
    if (offAfterWarning) {
        const LoadToken::Value token = load_.Take();
        Tell(kTxOffLaterText);
        if (!load_.Still(token)) return;
    }
    links_.host.CloseWindow();
}

void TestPanelDialogue::EndTestUnanswered() {
    if (!LineUp()) {
        EndTestPortLost();
        return;
    }
    const TestPanelState state = dialogState_;
    const LoadToken::Value token = load_.Take();
    if (links_.services.dialogs) links_.services.dialogs->messageBox(kEndTestText, "", MsgButtons::OK, MsgIcon::None);
    // The acknowledgement may have closed the window while the box was open.
    if (load_.Still(token) && dialogState_ == state) links_.host.CloseWindow();
}

void TestPanelDialogue::EndTestPortLost() {
    dialogState_ = TestPanelState::Idle;
    endTestSent_ = false;
    exchange_.TellEndTestPortLost();
}

void TestPanelDialogue::DisplayDiagnostics() {
    if (!ShowsDiagnostics()) return;
    view_.ShowDiagnostics(MakeDiagnosticsTexts(diagnostics_, diagGroup_, links_.files.locale));
}

void TestPanelDialogue::ClearDiagnosticsButton() {
    // Nothing awaits its answer: it goes at once, in any state.
    if (!exchange_.Post(CommandLine("AR"))) exchange_.TellPortClosed();
}

void TestPanelDialogue::DiagnosticSelectChanged(int index) {
    diagGroup_ = index == 1 ? diagLow : index == 2 ? diagHigh : diagCurrent;
    DisplayDiagnostics();
}

void TestPanelDialogue::TransmitModeChanged(std::int32_t mode) {
    transmitMode_ = mode;
    const bool timed = mode == txModBalance || mode == txRandomData;
    view_.SetTxTimeLabel(timed ? std::to_string(txTime_) + " S" : "0 S", timed);
}

void TestPanelDialogue::TxTimeChanged(int seconds) {
    txTime_ = seconds;
    view_.SetTxTimeLabel(std::to_string(seconds) + " S", transmitMode_ == txModBalance || transmitMode_ == txRandomData);
}

bool TestPanelDialogue::KeyDown(int keyCode, int modifiers) {
    if ((modifiers & (kShiftBit | kCtrlBit | kAltBit)) != 0) return false;
    switch (keyCode) {
    case keyF5:
        SetTransmit(true);
        return true;
    case keyF6:
        SetTransmit(false);
        return true;
    case keyF9:
        ReadCurrentParameters();
        return true;
    default:
        return false;
    }
}

bool TestPanelDialogue::OpenExchange(const std::string& line, TestPanelState state, RadioExchange::Keying keying) {
    if (!exchange_.Send(line, keying)) {
        // Nothing is written into a closed port (each write would show its own box).
        exchange_.TellPortClosed();
        return false;
    }
    dialogState_ = state;
    return true;
}

std::string TestPanelDialogue::TuneLine() const { return TuneRecordLine(links_.modes, links_.records, tuneRecord_); }

RadioExchange::Keying TestPanelDialogue::TuneKeying() const {
    return IsSet(tuneRecord_.txSelected) ? RadioExchange::Keying::Keys : RadioExchange::Keying::Unkeys;
}

void TestPanelDialogue::SendTuneAwaiting(TestPanelState state) {
    tuneExchange_ = OpenExchange(TuneLine(), state, TuneKeying());
}

void TestPanelDialogue::PostTune() {
    if (!exchange_.Post(TuneLine(), TuneKeying())) exchange_.TellPortClosed();
}

void TestPanelDialogue::InterpolateCurrentValues(std::int32_t type, std::int32_t range) {
    TuneRecord& t = tuneRecord_;
    const SharedRecords& r = links_.records;
    t.frontEndValue = InterpolateTuneValue(r, t.rxFrequency, type, range, false, t.frontEndAdj);
    t.modValue = InterpolateTuneValue(r, t.txFrequency, type, range, true, t.modAdj);
    t.powerValue = InterpolateTuneValue(r, t.txFrequency, type, range, true, t.powerAdj);
}

void TestPanelDialogue::SetDirection() {
    TuneRecord& t = tuneRecord_;
    t.txSelected = ToFlag(transmitSelected_);
    if (transmitSelected_) {
        t.synthFrequency = t.txFrequency;
        t.txDeviationAdj = transmitMode_ == txNoModulation ? static_cast<std::int16_t>(0) : t.masterDeviation;
    } else {
        t.synthFrequency = t.rxFrequency;
        t.txDeviationAdj = t.masterDeviation;
    }
}

void TestPanelDialogue::TakeSynthesizer() {
    sa7026_ = IsSet(tuneRecord_.sa7026Synthesizer);
    view_.SetSynthesizer(sa7026_);
    if (!sa7026_ && adjustSelect_ == adjCnFc) {
        adjustSelect_ = adjRxGain;
        view_.SelectAdjust(adjustSelect_);
    }
    view_.SetCnFcEnabled(sa7026_);
}

void TestPanelDialogue::Sa7025Clicked() {
    sa7026_ = false;
    if (adjustSelect_ == adjCnFc) {
        adjustSelect_ = adjRxGain;
        view_.SelectAdjust(adjustSelect_);
    }
    view_.SetCnFcEnabled(false);
    SendTuneSetup();
}

void TestPanelDialogue::Sa7026Clicked() {
    sa7026_ = true;
    view_.SetCnFcEnabled(true);
    SendTuneSetup();
}

void TestPanelDialogue::DisplayTuneValues() {
    const TuneRecord& t = tuneRecord_;
    // The modem's own type and range are shown and kept; nothing is reselected by a handler.
    const auto [type, range] = view_.SelectRadio(t.radioType, t.radioRange);
    selectedType_ = type;
    selectedRange_ = range;
    std::int16_t cnFc = t.fcOverride;
    if (!sa7026_)
        cnFc = Sa7025GetCnValue(links_.records, transmitSelected_ ? t.txFrequency : t.rxFrequency, t.radioType,
                                t.radioRange, transmitSelected_);
    view_.ShowTuneValues({std::to_string(t.rxGainAdj), std::to_string(t.txDeviationAdj), std::to_string(t.frontEndValue),
                          std::to_string(t.modValue), std::to_string(t.powerValue), std::to_string(t.rssiCalAdj),
                          std::to_string(t.powerCalAdj), std::to_string(cnFc)});
}

std::string TestPanelDialogue::FormatHz(std::int32_t hz) const { return FormatMHz(hz, links_.files.locale); }

}  // namespace k45
