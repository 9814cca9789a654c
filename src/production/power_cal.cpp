#include "production/power_cal.h"

#include "base/converters.h"
#include "model/app_state.h"
#include "params/tune_record.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "programming/radio_off.h"
#include "radio/cal_tables.h"
#include "radio/radio_codes.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"
#include "tuning/tune_math.h"

namespace k45 {

namespace {
constexpr const char* kHitOkText = "Hit OK to Start Tx'ing";
}

PowerCalDialogue::PowerCalDialogue(PanelLinks links, PowerCalView& view)
    : CalibrationDialogue(links, kResponseMs), view_(view) {}

void PowerCalDialogue::Load() {
    if (load_.loaded()) return;
    LoadBase();
    transmitSelected_ = sendPending_ = recordUnsent_ = finalPending_ = false;
    pointIndex_ = 0;
    powerPoints_ = links_.records.testParameters.powerPoints;
}

void PowerCalDialogue::Unload() {
    if (!load_.loaded()) return;
    LeaveRadio();
    UnloadBase();
}

void PowerCalDialogue::PortsSwapping() {
    if (!load_.loaded()) return;
    transmitSelected_ = sendPending_ = recordUnsent_ = finalPending_ = false;
    LeaveForSwap();
}

std::string PowerCalDialogue::UnkeyLine() {
    TuneRecord rx = tuneRecord_;
    rx.txSelected = kFalse;
    rx.synthFrequency = rx.rxFrequency;
    return RecordLine(rx);
}

void PowerCalDialogue::UnkeyAcknowledged() {
    transmitSelected_ = false;
    CompleteExchange();
}

// The radio behind the port now was never keyed by the operator: the record sent once its
// parameters are read is a receive record.
void PowerCalDialogue::PortMoved() {
    if (!transmitSelected_) return;
    transmitSelected_ = false;
    if (pointIndex_ < kPoints) view_.SetLevel(kHitOkText);
    view_.SetOkEnabled(true);
}

void PowerCalDialogue::ShowParametersTaken() {
    view_.SetProg("Modem will Transmit on");
    view_.SetFreq(FormatMHzUnit(tuneRecord_.txFrequency, links_.files.locale));
    view_.SetLevel(kHitOkText);
}

void PowerCalDialogue::SendPointTuneRecord() {
    if (dialogState_ != CalibrationState::Idle) {
        if (dialogState_ != CalibrationState::AwaitingParameters && dialogState_ != CalibrationState::ParametersReady)
            sendPending_ = true;
        return;
    }
    SendRecordNow(false);
}

bool PowerCalDialogue::SendRecordNow(bool operatorAction) {
    if (!Active()) return false;
    switch (exchange_.Ready(operatorAction)) {
    case RadioExchange::Gate::Refused: return false;
    case RadioExchange::Gate::Wait:
        // The owed unkey goes first; the record follows it unkeyed: a radio given up is keyed
        // again only by the operator.
        sendPending_ = true;
        if (transmitSelected_) {
            transmitSelected_ = false;
            if (pointIndex_ < kPoints) view_.SetLevel(kHitOkText);
            view_.SetOkEnabled(true);
        }
        return false;
    case RadioExchange::Gate::Go: break;
    }
    TuneRecord& t = tuneRecord_;
    SetPointFrequencies();
    t.frontEndValue = t.frontEndAdj[static_cast<std::size_t>(currentPoint_)];
    t.modValue = t.modAdj[static_cast<std::size_t>(currentPoint_)];
    t.txSelected = ToFlag(transmitSelected_);
    t.synthFrequency = transmitSelected_ ? t.txFrequency : t.rxFrequency;
    exchange_.Send(RecordLine(t), transmitSelected_ ? RadioExchange::Keying::Keys : RadioExchange::Keying::Unkeys);
    dialogState_ = CalibrationState::AwaitingTuneAck;
    if (finalPending_ && !transmitSelected_) {
        finalPending_ = false;
        dialogState_ = CalibrationState::AwaitingFinalAck;
    }
    recordUnsent_ = false;
    ShowPowerValue();
    sendPending_ = false;
    return true;
}

void PowerCalDialogue::ShowPowerValue() {
    view_.SetPowerAdjust(std::to_string(tuneRecord_.powerValue), HexByteText(tuneRecord_.powerValue));
}

void PowerCalDialogue::CompleteExchange() {
    dialogState_ = CalibrationState::Idle;
    if (sendPending_) {
        sendPending_ = false;
        SendPointTuneRecord();
    }
}

void PowerCalDialogue::OK() {
    // Nothing acts on parameters this window has not read.
    if (!load_.loaded() || !parametersTaken_) return;
    switch (exchange_.Ready(true)) {
    case RadioExchange::Gate::Refused: return;
    case RadioExchange::Gate::Wait:
        // The unkey goes first; the operator hears how it went and presses OK again.
        transmitSelected_ = false;
        if (exchange_.unkeyUnderWay()) dialogState_ = CalibrationState::Idle;
        return;
    case RadioExchange::Gate::Go: break;
    }
    if (!transmitSelected_) {
        transmitSelected_ = true;
        dialogState_ = CalibrationState::Idle;
        SendRecordNow(true);
        if (pointIndex_ < kPoints)
            view_.SetLevel("Adjust Power (Page Up/Dn) for " +
                           FormatFixed(powerPoints_.powerWatts[static_cast<std::size_t>(pointIndex_)], 2, links_.files.locale) +
                           " W");
    } else {
        if (!exchange_.Send(CommandLine("AR"))) return;
        dialogState_ = CalibrationState::AwaitingCapture;
        view_.SetOkEnabled(false);
    }
}

bool PowerCalDialogue::KeyDown(int keyCode, int modifiers) {
    if (const auto step = AdjustStepOfKey(keyCode, modifiers)) {
        if (parametersTaken_) {
            tuneRecord_.powerValue = AdjustUnsigned(tuneRecord_.powerValue, *step);
            ShowPowerValue();
            dialogState_ = CalibrationState::Idle;
            SendRecordNow(true);
        }
        return true;
    }
    if (keyCode == keyF9 && (modifiers & (kShiftBit | kCtrlBit | kAltBit)) == 0) {
        ReadCurrentParameters();
        return true;
    }
    return false;
}

void PowerCalDialogue::ResponseTick() {
    if (!load_.loaded() || !Active()) return;
    exchange_.Stop();
    switch (dialogState_) {
    case CalibrationState::AwaitingTuneAck:
    case CalibrationState::AwaitingFinalAck:
        if (recordUnsent_) {
            // The record could not go in the background: it goes now.
            dialogState_ = CalibrationState::Idle;
            SendRecordNow(false);
        } else if (!exchange_.Resend()) {
            if (dialogState_ == CalibrationState::AwaitingFinalAck || exchange_.mayTransmit())
                GiveUpTransmitting(false);
            else CompleteExchange();
        }
        break;
    case CalibrationState::AwaitingCapture:
        transmitSelected_ = false;
        dialogState_ = CalibrationState::Idle;
        if (SendRecordNow(false)) dialogState_ = CalibrationState::AwaitingTxOffAck;
        else GiveUpTransmitting(true);
        break;
    case CalibrationState::AwaitingTxOffAck:
    case CalibrationState::AwaitingSample:
        if (!exchange_.Resend()) GiveUpTransmitting(true);
        break;
    case CalibrationState::AwaitingSampleEnd:
    case CalibrationState::AwaitingSampleAck:
        // The reading is in hand; the rest of the reply did not come.
        StorePoint();
        break;
    default:
        break;
    }
}

void PowerCalDialogue::GiveUpTransmitting(bool pointLost) {
    transmitSelected_ = false;
    recordUnsent_ = false;
    if (pointIndex_ < kPoints) view_.SetLevel(kHitOkText);
    view_.SetOkEnabled(true);
    view_.FocusOk();
    dialogState_ = CalibrationState::Idle;
    exchange_.GiveUp(pointLost);
}

void PowerCalDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded()) return;
    const std::optional<RadioReply> reply = exchange_.Take(rxSRecordIndex);
    if (!reply) return;
    const bool ack = reply->kind == RadioReply::Kind::Acknowledged;
    switch (dialogState_) {
    case CalibrationState::AwaitingTuneAck:
        if (!ack) break;
        exchange_.Stop();
        CompleteExchange();
        break;
    case CalibrationState::AwaitingTxOffAck:
        if (!ack) break;
        if (exchange_.Send(CommandLine("AT"))) dialogState_ = CalibrationState::AwaitingSample;
        else GiveUpTransmitting(true);
        break;
    case CalibrationState::AwaitingSample:
        // A reply that ends before its block is whole gives no reading: the time-out asks again.
        if (reply->kind == RadioReply::Kind::Data && reply->blockComplete) TakeReading(reply->block);
        break;
    case CalibrationState::AwaitingSampleEnd:
        if (reply->kind == RadioReply::Kind::End) {
            exchange_.Await();
            dialogState_ = CalibrationState::AwaitingSampleAck;
        } else if (ack) {
            StorePoint();
        }
        break;
    case CalibrationState::AwaitingSampleAck:
        if (ack) StorePoint();
        break;
    case CalibrationState::AwaitingFinalAck:
        if (!ack) break;
        exchange_.Stop();
        if (reply->offAfterWarning) Tell(kTxOffLaterText);
        AskSave();
        return;
    default:
        break;
    }
    if (reply->offAfterWarning) Tell(kTxOffLaterText);
}

void PowerCalDialogue::TakeReading(std::span<const std::int16_t> block) {
    exchange_.Await();
    ParseDiagnosticBlock(diagnostics_, block);
    reading_ = diagnostics_.sets[2].values[8];
    view_.SetPowerReading(std::to_string(reading_), HexByteText(reading_));
    view_.SetOkEnabled(true);
    view_.FocusOk();
    dialogState_ = CalibrationState::AwaitingSampleEnd;
}

void PowerCalDialogue::StorePoint() {
    if (pointIndex_ < kPoints) {
        const auto i = static_cast<std::size_t>(pointIndex_);
        std::optional<std::int16_t> previous;
        if (pointIndex_ > 0) previous = powerPoints_.adReading[i - 1];
        powerPoints_.adReading[i] = MonotonicReading(reading_, previous);
        ++pointIndex_;
    }
    transmitSelected_ = false;
    // Restarted first, so that a record not sent in the background goes at the next tick.
    exchange_.Await();
    dialogState_ = CalibrationState::Idle;
    const bool last = pointIndex_ >= kPoints;
    if (!last) view_.SetLevel(kHitOkText);
    finalPending_ = last;
    if (SendRecordNow(false)) return;
    if (!Active()) {
        recordUnsent_ = true;
        dialogState_ = last ? CalibrationState::AwaitingFinalAck : CalibrationState::AwaitingTuneAck;
    }
}

void PowerCalDialogue::AskSave() {
    const LoadToken::Value token = load_.Take();
    const bool yes = Ask("Do you want to Save Power Table?");
    if (!load_.Still(token)) return;
    if (yes) {
        links_.records.testParameters.powerPoints = powerPoints_;
        BuildPowerTable(links_.modes, links_.files, links_.services, panelParameters_.calTables, powerPoints_, true);
        panelParameters_.masterPowerMeterCal = 200;
        WriteBack();
    }
    dialogState_ = CalibrationState::Idle;
    Close();
}

void PowerCalDialogue::Cancel() {
    if (!load_.loaded()) return;
    LeaveRadio();
    Close();
}

void PowerCalDialogue::Clear() {
    if (!load_.loaded() || !parametersTaken_) return;
    const LoadToken::Value token = load_.Take();
    if (!Ask("Do you want to Clear (use default) Power Curve Settings?") || !load_.Still(token)) return;
    LeaveRadio();
    ClearCalibrationTable(panelParameters_.calTables, clearPowerTable);
    WriteBack();
    dialogState_ = CalibrationState::Idle;
    Close();
}

}  // namespace k45
