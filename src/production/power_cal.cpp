#include "production/power_cal.h"

#include <limits>

#include "base/converters.h"
#include "model/app_state.h"
#include "params/tune_record.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "radio/cal_tables.h"
#include "radio/radio_codes.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"
#include "programming/radio_off.h"
#include "tuning/tune_math.h"

namespace k45 {

PowerCalDialogue::PowerCalDialogue(PanelLinks links, PowerCalView& view)
    : CalibrationDialogue(links, kResponseMs), view_(view) {}

void PowerCalDialogue::Load() {
    if (load_.loaded()) return;
    LoadBase();
    transmitSelected_ = sendPending_ = false;
    pointLost_ = false;
    exchange_.ForgetKeying();
    pointIndex_ = 0;
    powerPoints_ = links_.records.testParameters.powerPoints;
    reply_.Reset();
}

void PowerCalDialogue::Unload() {
    if (!load_.loaded()) return;
    Unkey();
    UnloadBase();
}

void PowerCalDialogue::PortsSwapping() {
    if (!load_.loaded()) return;
    Unkey();
    EndRadioTest();
}

void PowerCalDialogue::Unkey() {
    if (exchange_.mayTransmit()) SendReceiveRecord();
}

void PowerCalDialogue::SendReceiveRecord() {
    // The receive record of the same point; nobody waits for its acknowledgement.
    TuneRecord rx = tuneRecord_;
    rx.txSelected = kFalse;
    rx.synthFrequency = rx.rxFrequency;
    if (links_.port()) SendRecord(rx);
    exchange_.Unkeyed();
    transmitSelected_ = false;
}

void PowerCalDialogue::ShowParametersTaken() {
    view_.SetProg("Modem will Transmit on");
    view_.SetFreq(FormatMHzUnit(tuneRecord_.txFrequency, links_.files.locale));
    view_.SetLevel("Hit OK to Start Tx'ing");
}

void PowerCalDialogue::SendPointTuneRecord() {
    if (dialogState_ != CalibrationState::Idle) {
        if (dialogState_ != CalibrationState::AwaitingParameters && dialogState_ != CalibrationState::ParametersReady)
            sendPending_ = true;
        return;
    }
    if (!Active()) return;
    if (!exchange_.LineBack()) {
        TellPortClosed();
        return;
    }
    // A radio that may be transmitting gets its owed unkey before anything else.
    if (exchange_.unkeyOwed()) {
        sendPending_ = true;
        exchange_.UnkeyForAction();
        SendUnkey();
        return;
    }
    TuneRecord& t = tuneRecord_;
    SetPointFrequencies();
    t.frontEndValue = t.frontEndAdj[static_cast<std::size_t>(currentPoint_)];
    t.modValue = t.modAdj[static_cast<std::size_t>(currentPoint_)];
    t.txSelected = ToFlag(transmitSelected_);
    t.synthFrequency = transmitSelected_ ? t.txFrequency : t.rxFrequency;
    exchange_.Send([this] { SendRecord(tuneRecord_); });
    exchange_.SentRecord(transmitSelected_);
    dialogState_ = CalibrationState::AwaitingTuneAck;
    ShowPowerValue();
    sendPending_ = false;
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
    if (!exchange_.LineBack()) {
        TellPortClosed();
        return;
    }
    if (exchange_.unkeyOwed()) {
        // The unkey goes first; the operator hears how it went and presses OK again.
        transmitSelected_ = false;
        if (dialogState_ == CalibrationState::Idle) {
            exchange_.UnkeyForAction();
            SendUnkey();
        }
        return;
    }
    if (!transmitSelected_) {
        transmitSelected_ = true;
        dialogState_ = CalibrationState::Idle;
        SendPointTuneRecord();
        if (pointIndex_ < kPoints)
            view_.SetLevel("Adjust Power (Page Up/Dn) for " +
                           FormatFixed(powerPoints_.powerWatts[static_cast<std::size_t>(pointIndex_)], 2, links_.files.locale) +
                           " W");
    } else {
        exchange_.Send([this] {
            if (links_.port()) SendCommand(*links_.port(), "AR");
        });
        dialogState_ = CalibrationState::AwaitingCapture;
        view_.SetOkEnabled(false);
    }
}

bool PowerCalDialogue::KeyDown(int keyCode, int modifiers) {
    if (const auto step = AdjustStepOfKey(keyCode, modifiers)) {
        if (parametersTaken_) {
            tuneRecord_.powerValue = AdjustUnsigned(tuneRecord_.powerValue, *step);
            dialogState_ = CalibrationState::Idle;
            SendPointTuneRecord();
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
    // The tune record is built again for each resend; none is counted in the status bar.
    constexpr auto silent = ModemExchange::Tally::Silent;
    auto resendTxOff = [&](CalibrationState state) {
        exchange_.ResendBy(
            [this] {
                transmitSelected_ = false;
                dialogState_ = CalibrationState::Idle;
                SendPointTuneRecord();
            },
            silent);
        dialogState_ = state;
    };
    switch (dialogState_) {
    case CalibrationState::AwaitingTuneAck:
        if (exchange_.CanResend()) {
            exchange_.ResendBy(
                [this] {
                    dialogState_ = CalibrationState::Idle;
                    SendPointTuneRecord();
                },
                silent);
        } else if (exchange_.mayTransmit()) {
            GiveUpTransmitting(false);
        } else {
            CompleteExchange();
        }
        break;
    case CalibrationState::AwaitingCapture:
        if (!exchange_.lineUp()) {
            GiveUpTransmitting(true);
            break;
        }
        transmitSelected_ = false;
        dialogState_ = CalibrationState::Idle;
        SendPointTuneRecord();
        dialogState_ = CalibrationState::AwaitingTxOffAck;
        break;
    case CalibrationState::AwaitingTxOffAck:
        if (exchange_.CanResend()) resendTxOff(CalibrationState::AwaitingTxOffAck);
        else GiveUpTransmitting(true);
        break;
    case CalibrationState::AwaitingSample:
        if (!exchange_.Resend(silent)) GiveUpTransmitting(true);
        break;
    case CalibrationState::AwaitingSampleEnd:
    case CalibrationState::AwaitingSampleAck:
        // The reading is in hand; the rest of the reply did not come.
        reply_.Lapse();
        TakeReading();
        break;
    case CalibrationState::AwaitingFinalAck:
        if (exchange_.CanResend()) resendTxOff(CalibrationState::AwaitingFinalAck);
        else GiveUpTransmitting(false);
        break;
    case CalibrationState::AwaitingUnkeyAck:
        if (!exchange_.Resend(silent)) UnkeyGivenUp();
        break;
    default:
        break;
    }
}

void PowerCalDialogue::GiveUpTransmitting(bool pointLost) {
    exchange_.Stop();
    transmitSelected_ = false;
    pointLost_ = pointLost;
    exchange_.OweUnkey();
    if (pointIndex_ < kPoints) view_.SetLevel("Hit OK to Start Tx'ing");
    view_.SetOkEnabled(true);
    view_.FocusOk();
    dialogState_ = CalibrationState::Idle;
    SendUnkey();
}

void PowerCalDialogue::SendUnkey() {
    if (!exchange_.LineBack()) {
        TellPortClosed();
        return;
    }
    exchange_.Send([this] {
        TuneRecord rx = tuneRecord_;
        rx.txSelected = kFalse;
        rx.synthFrequency = rx.rxFrequency;
        SendRecord(rx);
    });
    exchange_.SentRecord(false);
    dialogState_ = CalibrationState::AwaitingUnkeyAck;
}

void PowerCalDialogue::UnkeyAnswered() {
    exchange_.Stop();
    const char* text = UnkeyAcknowledgedText(exchange_.UnkeyAcknowledged(), pointLost_);
    CompleteExchange();
    Tell(text);
}

// The unkey went unanswered: the operator is told once that the radio may still transmit (again
// when an action waits behind it); the deferred send waits for the next try.
void PowerCalDialogue::UnkeyGivenUp() {
    dialogState_ = CalibrationState::Idle;
    if (!exchange_.lineUp()) TellPortClosed();
    else if (const auto keyed = exchange_.UnkeyUnanswered()) Tell(UnkeyUnansweredText(*keyed, pointLost_));
}

void PowerCalDialogue::TellPortClosed() {
    if (const auto keyed = exchange_.PortLost()) Tell(PortClosedText(PortNumber(), *keyed));
}

int PowerCalDialogue::PortNumber() const { return links_.port() ? links_.port()->settings().portNumber : 0; }

void PowerCalDialogue::Tell(const std::string& text) {
    if (links_.services.dialogs) links_.services.dialogs->messageBox(text, "", MsgButtons::OK, MsgIcon::Exclamation);
}

void PowerCalDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded()) return;
    const SRecordMessage* rec = ReplyRecordWithin(links_.port(), rxSRecordIndex, std::numeric_limits<std::int32_t>::max());
    if (!rec) return;
    const bool ack = rec->recNum == 8 && rec->address == 0;
    // A command's own acknowledgement is not one that closes a diagnostic reply: a resend that
    // crossed the "AT" reply is answered a second time, after the point was taken.
    const bool ownAck = !reply_.OfReply(*rec) && ack;
    switch (dialogState_) {
    case CalibrationState::AwaitingTuneAck:
        if (!ownAck) break;
        exchange_.Stop();
        exchange_.RecordAcknowledged();
        CompleteExchange();
        break;
    case CalibrationState::AwaitingTxOffAck:
        if (!ownAck) break;
        exchange_.Unkeyed();
        exchange_.Send([this] {
            if (links_.port()) SendCommand(*links_.port(), "AT");
            reply_.Reset();
        });
        dialogState_ = CalibrationState::AwaitingSample;
        break;
    case CalibrationState::AwaitingSample:
        // Each data record gives the reply a fresh time-out, so one under way is not cut off
        // by a resend; the point is read only from a block whole from one reply.
        if (rec->recNum == 1) exchange_.Await();
        if (reply_.Take(*rec) == DiagnosticReply::Status::Complete) {
            exchange_.Await();
            ParseDiagnosticBlock(diagnostics_, reply_.block());
            reading_ = diagnostics_.sets[2].values[8];
            view_.SetPowerReading(std::to_string(reading_), HexByteText(reading_));
            view_.SetOkEnabled(true);
            view_.FocusOk();
            dialogState_ = CalibrationState::AwaitingSampleEnd;
        }
        break;
    case CalibrationState::AwaitingSampleEnd:
        if (rec->recNum != 9) break;
        exchange_.Await();
        dialogState_ = CalibrationState::AwaitingSampleAck;
        break;
    case CalibrationState::AwaitingSampleAck:
        if (ack) TakeReading();
        break;
    case CalibrationState::AwaitingFinalAck:
        if (!ownAck) break;
        exchange_.Stop();
        exchange_.Unkeyed();
        AskSave();
        break;
    case CalibrationState::AwaitingUnkeyAck:
        if (ownAck) UnkeyAnswered();
        break;
    default:
        break;
    }
}

void PowerCalDialogue::TakeReading() {
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
    if (pointIndex_ < kPoints) {
        view_.SetLevel("Hit OK to Start Tx'ing");
        SendPointTuneRecord();
        if (dialogState_ == CalibrationState::Idle) dialogState_ = CalibrationState::AwaitingTuneAck;
    } else {
        SendPointTuneRecord();
        dialogState_ = CalibrationState::AwaitingFinalAck;
    }
}

void PowerCalDialogue::AskSave() {
    const LoadToken::Value token = load_.Take();
    const bool yes = links_.services.dialogs &&
                     links_.services.dialogs->messageBox("Do you want to Save Power Table?", "", MsgButtons::YesNo,
                                                    MsgIcon::None) == MsgAnswer::Yes;
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
    Unkey();
    Close();
}

void PowerCalDialogue::Clear() {
    if (!load_.loaded() || !parametersTaken_) return;
    const LoadToken::Value token = load_.Take();
    if (!links_.services.dialogs ||
        links_.services.dialogs->messageBox("Do you want to Clear (use default) Power Curve Settings?", "", MsgButtons::YesNo,
                                       MsgIcon::None) != MsgAnswer::Yes)
        return;
    if (!load_.Still(token)) return;
    Unkey();
    ClearCalibrationTable(panelParameters_.calTables, clearPowerTable);
    WriteBack();
    dialogState_ = CalibrationState::Idle;
    Close();
}

}  // namespace k45
