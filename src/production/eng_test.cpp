#include "production/eng_test.h"

#include "base/converters.h"
#include "model/app_state.h"
#include "params/tune_record.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "radio/synthesizer.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"
#include "tuning/tune_math.h"

namespace k45 {

EngTestDialogue::EngTestDialogue(PanelLinks links, TestPanelView& view) : TestPanelDialogue(links, view) {}

void EngTestDialogue::Load() {
    if (load_.loaded()) return;
    // Pending sends of an earlier load belong to a dialogue that has ended.
    tuneSendPending_ = adjustSendPending_ = gainSendPending_ = deviationSendPending_ = false;
    TestPanelDialogue::Load();
    txText_ = FormatHz(links_.records.engineerFrequencies.txFrequency);
    rxText_ = FormatHz(links_.records.engineerFrequencies.rxFrequency);
    view_.SetFrequencyTexts(txText_, rxText_);
    diagGroup_ = diagCurrent;
    txTime_ = 6;
    transmitMode_ = txTone;
}

void EngTestDialogue::Unload() {
    if (!load_.loaded()) return;
    if (const auto rx = MHzTextToHz(rxText_, links_.files.locale)) links_.records.engineerFrequencies.rxFrequency = *rx;
    if (const auto tx = MHzTextToHz(txText_, links_.files.locale)) links_.records.engineerFrequencies.txFrequency = *tx;
    TestPanelDialogue::Unload();
}

void EngTestDialogue::ReadFrequencyTexts() {
    if (const auto tx = MHzTextToHz(txText_, links_.files.locale)) tuneRecord_.txFrequency = *tx;
    if (const auto rx = MHzTextToHz(rxText_, links_.files.locale)) tuneRecord_.rxFrequency = *rx;
}

void EngTestDialogue::TakeParameters() {
    const ModemParameters& p = links_.records.currentParameters;
    if (p.model != 6) view_.DisableGainAndDeviation();
    ReadFrequencyTexts();
    BuildTuneRecord(links_.records, tuneRecord_, p);
    TakeSynthesizer();
    DisplayTuneValues();
}

void EngTestDialogue::SendFrequencyTuneRecord() {
    const std::int32_t type = selectedType_.value_or(0);
    const std::int32_t range = selectedRange_.value_or(0);
    if (!MaySend(tuneSendPending_)) return;
    TuneRecord& t = tuneRecord_;
    t.radioType = type;
    t.radioRange = range;
    ReadFrequencyTexts();
    txText_ = FormatHz(t.txFrequency);
    rxText_ = FormatHz(t.rxFrequency);
    view_.SetFrequencyTexts(txText_, rxText_);
    InterpolateCurrentValues(type, range);
    t.sa7026Synthesizer = ToFlag(sa7026_);
    SetDirection();
    std::string caption;
    SelectCnFcAdjust(links_.records, t, &caption, true, false, false, 0);
    view_.SetCnFcCaption(caption);
    SendTuneAwaiting(TestPanelState::AwaitingAck);
    DisplayTuneValues();
    StartTxMode();
}

void EngTestDialogue::RunPendingSends() {
    // The adjust sends first: a full send would interpolate the adjusted values anew.
    if (gainSendPending_) {
        gainSendPending_ = false;
        SendPot(true);
    }
    if (deviationSendPending_) {
        deviationSendPending_ = false;
        SendPot(false);
    }
    if (adjustSendPending_) {
        adjustSendPending_ = false;
        SendAdjustedRecord();
    }
    if (tuneSendPending_) {
        tuneSendPending_ = false;
        SendFrequencyTuneRecord();
    }
}

void EngTestDialogue::SendAdjustedRecord() {
    if (RadioLetsPost(adjustSendPending_)) PostTune();
}

void EngTestDialogue::SendPot(bool gain) {
    if (!RadioLetsPost(gain ? gainSendPending_ : deviationSendPending_)) return;
    const TuneRecord& t = tuneRecord_;
    exchange_.Post(gain ? CommandAndByteLine("POTGAIN", t.rxGainAdj) : CommandAndByteLine("POTDEV", t.masterDeviation));
}

void EngTestDialogue::Adjust(int step) {
    TuneRecord& t = tuneRecord_;
    switch (adjustSelect_) {
    case adjRxGain:
        t.rxGainAdj = AdjustUnsigned(t.rxGainAdj, step);
        SendPot(true);
        break;
    case adjTxDeviation:
        t.masterDeviation = AdjustUnsigned(t.masterDeviation, step);
        SendPot(false);
        break;
    case adjFrontEnd: t.frontEndValue = AdjustUnsigned(t.frontEndValue, step); SendAdjustedRecord(); break;
    case adjModFlatness: t.modValue = AdjustUnsigned(t.modValue, step); SendAdjustedRecord(); break;
    case adjPower: t.powerValue = AdjustUnsigned(t.powerValue, step); SendAdjustedRecord(); break;
    case adjRssiCal: t.rssiCalAdj = AdjustSigned(t.rssiCalAdj, step); SendAdjustedRecord(); break;
    case adjPowerCal: t.powerCalAdj = AdjustUnsigned(t.powerCalAdj, step); SendAdjustedRecord(); break;
    case adjCnFc: t.fcOverride = AdjustUnsigned(t.fcOverride, step); SendAdjustedRecord(); break;
    }
    DisplayTuneValues();
}

bool EngTestDialogue::KeyDown(int keyCode, int modifiers) {
    const int m = modifiers & (kShiftBit | kCtrlBit | kAltBit);
    if (const auto step = AdjustStepOfKey(keyCode, m)) {
        // Nothing is sent for parameters this load has not read.
        if (parametersTaken_) Adjust(*step);
        return true;
    }
    if (m != 0) return false;
    switch (keyCode) {
    case keyF5:
    case keyF6:
    case keyF9:
        return TestPanelDialogue::KeyDown(keyCode, 0);
    case keyF7:
        SetTransmit(true);
        // With the port closed, or an unkey owed that goes first, no balance keys the radio.
        if (!LineUp() || exchange_.unkeyOwed() || exchange_.unkeyUnderWay()) return true;
        timerDelayCommunications_->setEnabled(false);
        timerDelayCommunications_->setInterval(kTxModeDelayMs);
        timerDelayCommunications_->setEnabled(true);
        txModeCommand_ = "BALANCE";
        txModeValue_ = 8;
        txModeStep_ = TxModeStep::ValueNext;
        transmitSelected_ = false;
        return true;
    case keyF8:
        if (!(controllerF8 && controllerF8())) SendFrequencyTuneRecord();
        return true;
    default:
        return false;
    }
}

void EngTestDialogue::DirectAdjust(std::int32_t value) {
    if (!parametersTaken_) return;
    TuneRecord& t = tuneRecord_;
    const std::int16_t v = ClampDirectValue(adjustSelect_, value);
    switch (adjustSelect_) {
    case adjRxGain: t.rxGainAdj = v; break;
    case adjTxDeviation: t.txDeviationAdj = t.masterDeviation = v; break;
    case adjFrontEnd: t.frontEndValue = v; break;
    case adjModFlatness: t.modValue = v; break;
    case adjPower: t.powerValue = v; break;
    case adjRssiCal: t.rssiCalAdj = v; break;
    case adjPowerCal: t.powerCalAdj = v; break;
    case adjCnFc: t.fcOverride = v; break;
    }
    if (adjustSelect_ == adjRxGain || adjustSelect_ == adjTxDeviation) SendFrequencyTuneRecord();
    else SendAdjustedRecord();
    view_.SetDirectText(std::to_string(v));
    DisplayTuneValues();
}

void EngTestDialogue::TestChecked(bool on) {
    if (links_.port()) links_.port()->SetDtrSignal(on);
}

void EngTestDialogue::SetBothFrequencies(std::int32_t hz) {
    txText_ = rxText_ = FormatHz(hz);
    view_.SetFrequencyTexts(txText_, rxText_);
}

bool EngTestDialogue::RemoteAdjust(int n, std::int32_t v) {
    if (!parametersTaken_ || !load_.loaded()) return false;
    TuneRecord& t = tuneRecord_;
    const auto low = static_cast<std::int16_t>(v & 255);
    switch (n) {
    case 0: t.rxGainAdj = low; SendFrequencyTuneRecord(); break;
    case 1: t.txDeviationAdj = t.masterDeviation = low; SendFrequencyTuneRecord(); break;
    case 2: t.frontEndValue = low; SendAdjustedRecord(); break;
    case 3: t.modValue = low; SendAdjustedRecord(); break;
    case 4: t.powerValue = low; SendAdjustedRecord(); break;
    case 5: {
        std::int32_t r = v;
        if (r < -128) r += 256;
        else if (r > 127) r -= 256;
        // A value one wrap cannot bring into a signed byte is refused.
        if (r < -128 || r > 127) return false;
        t.rssiCalAdj = static_cast<std::int16_t>(r);
        SendAdjustedRecord();
        break;
    }
    case 6: t.powerCalAdj = low; SendAdjustedRecord(); break;
    default: break;
    }
    return true;
}

void EngTestDialogue::RequestStatus(const std::string& command) {
    // In any state: an exchange that was open is given up. The owed unkey is not: it goes first.
    if (exchange_.unkeyUnderWay()) return;
    if (exchange_.unkeyOwed()) {
        if (dialogState_ == TestPanelState::Idle) (void)exchange_.Ready(false);
        return;
    }
    if (OpenExchange(CommandLine(command), TestPanelState::AwaitingDiagnostics)) tuneExchange_ = false;
}

void EngTestDialogue::SetPollInterval(int ms) {
    timerDiagnostics_->setEnabled(false);
    timerDiagnostics_->setInterval(ms);
    if (load_.loaded()) timerDiagnostics_->setEnabled(true);
}

}  // namespace k45
