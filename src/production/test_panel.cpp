#include "production/test_panel.h"

#include <limits>

#include "base/converters.h"
#include "model/app_state.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "radio/synthesizer.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"
#include "programming/radio_off.h"

namespace k45 {

TestPanelDialogue::TestPanelDialogue(PanelLinks links, TestPanelView& view)
    : links_(links),
      view_(view),
      exchange_(links.services.scheduler, kResponseMs, [this] { TimerResponseTick(); },
                {[this] { return links_.port() && links_.port()->GetCommPortOpen(); },
                 [this] { links_.host.CountResend(); }}),
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
    parametersRequested_ = false;
    parametersTaken_ = false;
    transmitSelected_ = false;
    endTestPending_ = false;
    testStarted_ = false;
    endTestSent_ = false;
    tuneExchange_ = false;
    exchange_.ForgetKeying();
    txModeStep_ = 0;
    reply_.Reset();
    if (links_.port()) links_.port()->RegisterForSRecord(this, false);
    dialogState_ = TestPanelState::AwaitingParameters;
    exchange_.Stop();
    timerDelayCommunications_->setEnabled(false);
    timerTxDisplay_->setEnabled(false);
    timerDiagnostics_->setInterval(kDiagnosticsMs);
    timerDiagnostics_->setEnabled(true);
}

void TestPanelDialogue::Unload() {
    if (!load_.loaded()) return;
    // A radio left in a test by any other way out than the end test is sent "T0" anyway.
    if (testStarted_ && !endTestSent_) SendLine("T0");
    testStarted_ = false;
    load_.End();
    for (Timer* t :
         {&exchange_.timer(), timerDiagnostics_.get(), timerDelayCommunications_.get(), timerTxDisplay_.get()})
        t->setEnabled(false);
    if (links_.port()) links_.port()->DeRegisterForAll(this);
}

void TestPanelDialogue::PortsSwapping() {
    if (!load_.loaded()) return;
    const bool closing = endTestPending_ || endTestSent_;
    if (testStarted_ && !endTestSent_) SendLine("T0");
    testStarted_ = false;
    exchange_.Unkeyed();
    // This port's parameters are read again before anything acts on them.
    parametersTaken_ = false;
    txModeStep_ = 0;
    timerDelayCommunications_->setEnabled(false);
    timerTxDisplay_->setEnabled(false);
    transmitSelected_ = false;
    view_.SetXcvrStatus(kRxingText);
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
        if (const auto keyed = exchange_.PortLostAtClose()) Tell(PortClosedAtCloseText(PortNumber(), *keyed));
        if (!load_.Still(token)) return;
        testStarted_ = false;
        endTestPending_ = false;
        links_.host.CloseWindow();
    } else if (dialogState_ == TestPanelState::Idle) {
        exchange_.Send([this] { SendLine("T0"); });
        endTestSent_ = true;
        dialogState_ = EndTestAckState();
        endTestPending_ = false;
    } else if (dialogState_ == TestPanelState::AwaitingParameters || dialogState_ == TestPanelState::ParametersReady) {
        links_.host.CloseWindow();
    } else {
        endTestPending_ = true;
    }
}

void TestPanelDialogue::SetTransmit(bool on) {
    if (!LineUp()) {
        TellPortClosed();
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

void TestPanelDialogue::TimerDelayCommunicationsTick() {
    timerDelayCommunications_->setEnabled(false);
    if (txModeStep_ == 1) {
        SendLineAndByte(txModeCommand_, 1);
        timerDelayCommunications_->setInterval(kTxModeSecondDelayMs);
        timerDelayCommunications_->setEnabled(true);
        txModeStep_ = 2;
    } else if (txModeStep_ == 2) {
        SendLineAndByte(txModeCommand_, txModeValue_);
        txModeStep_ = 0;
    }
}

void TestPanelDialogue::TimerTxDisplayTick() {
    timerTxDisplay_->setEnabled(false);
    transmitSelected_ = false;
    view_.SetXcvrStatus(kRxingText);
}

void TestPanelDialogue::TimerDiagnosticsTick() {
    if (!load_.loaded()) return;
    // A port that closed (device lost) would report itself at every poll, one box after another.
    if (!exchange_.LineBack()) return;
    // The unkey owed goes first, whether or not the diagnostics are polled.
    if (exchange_.unkeyOwed()) {
        if (dialogState_ == TestPanelState::Idle && Active()) SendUnkey();
        return;
    }
    if (!PollEnabled()) return;
    if (dialogState_ == TestPanelState::Idle && !transmitSelected_ && Active()) {
        SendLine("AS");
        reply_.Reset();
        dialogState_ = TestPanelState::AwaitingDiagnostics;
        tuneExchange_ = false;
        exchange_.Await();
    }
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
    case TestPanelState::AwaitingDiagnosticsEnd:
        reply_.Lapse();
        CompleteExchange();
        break;
    case TestPanelState::AwaitingAck:
        if (tuneExchange_) {
            TuneTimedOut();
        } else {
            reply_.Lapse();
            CompleteExchange();
        }
        break;
    case TestPanelState::AwaitingEndTestAck: EndTestUnanswered(); break;
    case TestPanelState::AwaitingUnkeyAck:
        if (!exchange_.Resend(ModemExchange::Tally::Silent)) UnkeyGivenUp();
        break;
    default:
        break;
    }
}

void TestPanelDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded()) return;
    const SRecordMessage* rec =
        ReplyRecordWithin(links_.port(), rxSRecordIndex, std::numeric_limits<std::int32_t>::max());
    if (!rec) return;
    // A command's own acknowledgement is not one that closes a diagnostic reply: a reply that
    // comes after its exchange ended (late, or answering a resend) passes by.
    const bool ofReply = reply_.OfReply(*rec);
    if (OwnsState(dialogState_)) {
        if (!ofReply) TakeOwnRecord(*rec);
        return;
    }
    const bool ack = rec->recNum == 8 && rec->address == 0;
    const bool ownAck = ack && !ofReply;
    switch (dialogState_) {
    case TestPanelState::AwaitingDiagnostics:
        // A reply under way is not cut off: each data record gives it a fresh time-out.
        if (rec->recNum == 1) exchange_.Await();
        if (reply_.Take(*rec) == DiagnosticReply::Status::Complete) {
            exchange_.Await();
            dialogState_ = TestPanelState::AwaitingDiagnosticsEnd;
            ParseDiagnosticBlock(diagnostics_, reply_.block());
            DisplayDiagnostics();
        }
        break;
    case TestPanelState::AwaitingDiagnosticsEnd:
        if (rec->recNum != 9) break;
        exchange_.Await();
        dialogState_ = TestPanelState::AwaitingAck;
        break;
    case TestPanelState::AwaitingAck:
        if (!(tuneExchange_ ? ownAck : ack)) break;
        exchange_.Stop();
        if (tuneExchange_) TuneAcknowledged();
        CompleteExchange();
        break;
    case TestPanelState::AwaitingEndTestAck:
        if (ownAck) EndTestAnswered();
        break;
    case TestPanelState::AwaitingUnkeyAck:
        if (ownAck) UnkeyAnswered();
        break;
    default:
        break;
    }
}

void TestPanelDialogue::TuneTimedOut() {
    if (exchange_.mayTransmit()) GiveUpTransmitting();
    else CompleteExchange();
}

void TestPanelDialogue::GiveUpTransmitting() {
    for (Timer* t : {&exchange_.timer(), timerDelayCommunications_.get(), timerTxDisplay_.get()}) t->setEnabled(false);
    txModeStep_ = 0;
    transmitSelected_ = false;
    view_.SetXcvrStatus(kRxingText);
    exchange_.OweUnkey();
    dialogState_ = TestPanelState::Idle;
    tuneExchange_ = false;
    SendUnkey();
}

void TestPanelDialogue::SendUnkey() {
    if (!exchange_.LineBack()) {
        // The deferred sends stay deferred behind the unkey; a pending close goes on.
        if (!EndPendingTest()) TellPortClosed();
        return;
    }
    exchange_.Send([this] { SendLine("T0"); });
    dialogState_ = TestPanelState::AwaitingUnkeyAck;
    tuneExchange_ = false;
}

void TestPanelDialogue::UnkeyAnswered() {
    exchange_.Stop();
    testStarted_ = false;
    txModeStep_ = 0;
    transmitSelected_ = false;
    view_.SetXcvrStatus(kRxingText);
    const char* text = UnkeyAcknowledgedText(exchange_.UnkeyAcknowledged(), false);
    CompleteExchange();
    Tell(text);
}

// The unkey went unanswered: the operator is told once that the radio may still transmit (again
// when a send was waiting behind it); the deferred sends wait for the next try.
void TestPanelDialogue::UnkeyGivenUp() {
    dialogState_ = TestPanelState::Idle;
    const LoadToken::Value token = load_.Take();
    if (!LineUp()) TellPortClosed();
    else if (exchange_.UnkeyUnanswered()) Tell(kMayTransmitText);
    if (!load_.Still(token)) return;
    if (dialogState_ == TestPanelState::Idle) EndPendingTest();
}

TestPanelDialogue::SendGate TestPanelDialogue::GateSend() {
    if (!exchange_.LineBack()) {
        TellPortClosed();
        return SendGate::Refused;
    }
    if (!exchange_.unkeyOwed()) return SendGate::Go;
    exchange_.UnkeyForAction();
    SendUnkey();
    return SendGate::Deferred;
}

void TestPanelDialogue::TellPortClosed() {
    if (const auto keyed = exchange_.PortLost()) Tell(PortClosedText(PortNumber(), *keyed));
}

int TestPanelDialogue::PortNumber() const { return links_.port() ? links_.port()->settings().portNumber : 0; }

void TestPanelDialogue::Tell(const std::string& text) {
    if (links_.services.dialogs) links_.services.dialogs->messageBox(text, "", MsgButtons::OK, MsgIcon::Exclamation);
}

void TestPanelDialogue::EndTestAnswered() {
    exchange_.Stop();
    testStarted_ = false;
    if (exchange_.UnkeyAcknowledged()) {
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
    if (load_.Still(token) && dialogState_ == state) {
        testStarted_ = false;
        links_.host.CloseWindow();
    }
}

void TestPanelDialogue::EndTestPortLost() {
    dialogState_ = TestPanelState::Idle;
    endTestSent_ = false;
    if (const auto keyed = exchange_.PortLost()) Tell(EndTestPortLostText(PortNumber(), *keyed));
}

void TestPanelDialogue::DisplayDiagnostics() {
    if (!ShowsDiagnostics()) return;
    view_.ShowDiagnostics(MakeDiagnosticsTexts(diagnostics_, diagGroup_, links_.files.locale));
}

void TestPanelDialogue::ClearDiagnosticsButton() {
    if (!LineUp()) {
        TellPortClosed();
        return;
    }
    SendLine("AR");
}

void TestPanelDialogue::DiagnosticSelectChanged(int group) {
    diagGroup_ = group;
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

// Nothing is written into a closed port (each write would show its own box).
void TestPanelDialogue::SendLine(const std::string& command) {
    if (LineUp()) SendCommand(*links_.port(), command);
}

void TestPanelDialogue::SendLineAndByte(const std::string& command, std::int16_t value) {
    if (LineUp()) SendCommandAndByte(*links_.port(), command, value);
}

void TestPanelDialogue::SendTune() {
    if (!LineUp()) return;
    SendTuneRecord(*links_.port(), links_.modes, links_.records, tuneRecord_);
    NoteTuneSent();
    exchange_.SentRecord(IsSet(tuneRecord_.txSelected));
}

void TestPanelDialogue::SendTuneAwaiting(TestPanelState state) {
    exchange_.Send([this] { SendTune(); });
    dialogState_ = state;
    tuneExchange_ = true;
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
