#include "production/power_cal.h"

#include <limits>

#include "frame/converters.h"
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
#include "tuning/tune_math.h"

namespace k45 {

PowerCalDialogue::PowerCalDialogue(PanelLinks links, PowerCalView& view)
    : links_(links), view_(view),
      timerResponse_(MakeDialogueTimer(links.services.scheduler, kResponseMs, [this] { TimerTick(); })) {}

PowerCalDialogue::~PowerCalDialogue() {
    timerResponse_->setEnabled(false);
    if (links_.port()) links_.port()->DeRegisterForAll(this);
}

void PowerCalDialogue::Load() {
    if (loaded_) return;
    loaded_ = true;
    parametersRequested_ = transmitSelected_ = sendPending_ = false;
    parametersTaken_ = keyed_ = testStarted_ = false;
    currentPoint_ = 1;
    pointIndex_ = 0;
    if (links_.port()) links_.port()->RegisterForSRecord(this, false);
    dialogState_ = pcAwaitingParameters;
    timerResponse_->setEnabled(false);
    powerPoints_ = links_.records.testParameters.powerPoints;
    reply_.Reset();
}

void PowerCalDialogue::Unload() {
    if (!loaded_) return;
    Unkey();
    loaded_ = false;
    timerResponse_->setEnabled(false);
    if (links_.port()) links_.port()->DeRegisterForAll(this);
}

void PowerCalDialogue::PortsSwapping() {
    if (!loaded_) return;
    Unkey();
    if (testStarted_ && links_.port()) SendCommand(*links_.port(), "T0");
    testStarted_ = false;
    parametersTaken_ = false;
}

void PowerCalDialogue::Close() {
    if (loaded_) links_.host.CloseWindow();
}

void PowerCalDialogue::Unkey() {
    if (!keyed_ || !links_.port()) return;
    // The receive record of the same point; nobody waits for its acknowledgement.
    TuneRecord rx = tuneRecord_;
    rx.txSelected = kFalse;
    rx.synthFrequency = rx.rxFrequency;
    SendTuneRecord(*links_.port(), links_.modes, links_.records, rx);
    keyed_ = false;
    transmitSelected_ = false;
}

void PowerCalDialogue::Activate() {
    if (!loaded_) return;
    if (links_.port()) {
        ApplyProgrammingSettings(*links_.port());
        if (links_.port()->portNumber != lastPortNumber_) {
            lastPortNumber_ = links_.port()->portNumber;
            parametersRequested_ = false;
        }
    }
    if (!parametersRequested_) {
        ReadCurrentParameters();
    } else if (dialogState_ == pcParametersReady) {
        if (panelParameters_.eepromVersion == 2 && panelParameters_.model == 4) {
            if (links_.services.dialogs) links_.services.dialogs->messageBox(kUnsupportedModemText, "", MsgButtons::OK, MsgIcon::None);
            dialogState_ = pcIdle;
            Close();
            return;
        }
        dialogState_ = pcIdle;
        SendPointTuneRecord();
    }
}

void PowerCalDialogue::ReadCurrentParameters() {
    links_.host.StartParameterRead(*this);
    dialogState_ = pcAwaitingParameters;
    parametersRequested_ = true;
}

void PowerCalDialogue::SetPointFrequencies() {
    const TuneRecord& t = tuneRecord_;
    if (!RadioTypeValid(t.radioType) || !RadioRangeValid(t.radioRange)) return;
    const RadioSpec& spec =
        links_.records.testParameters.radioSpecs[static_cast<std::size_t>(t.radioType + 3 * t.radioRange + 30 * currentPoint_)];
    tuneRecord_.txFrequency = spec.txFrequency + txFreqOffset;
    tuneRecord_.rxFrequency = spec.rxFrequency + rxFreqOffset;
}

void PowerCalDialogue::UpdateParms(bool parmsWereFound) {
    if (!loaded_) return;
    if (parmsWereFound && dialogState_ == pcAwaitingParameters) {
        panelParameters_ = links_.records.currentParameters;
        tuneRecord_.radioType = panelParameters_.radioType;
        tuneRecord_.radioRange = panelParameters_.radioRange;
        SetPointFrequencies();
        BuildTuneRecord(links_.records, tuneRecord_, panelParameters_);
        view_.SetProg("Modem will Transmit on");
        view_.SetFreq(FormatMHzUnit(tuneRecord_.txFrequency, links_.files.locale));
        view_.SetLevel("Hit OK to Start Tx'ing");
        parametersTaken_ = true;
        dialogState_ = pcParametersReady;
        if (Active()) Activate();
    } else {
        CompleteExchange();
    }
}

void PowerCalDialogue::SendPointTuneRecord() {
    if (dialogState_ != pcIdle) {
        if (dialogState_ != pcAwaitingParameters && dialogState_ != pcParametersReady) sendPending_ = true;
        return;
    }
    if (!Active()) return;
    TuneRecord& t = tuneRecord_;
    SetPointFrequencies();
    t.frontEndValue = t.frontEndAdj[static_cast<std::size_t>(currentPoint_)];
    t.modValue = t.modAdj[static_cast<std::size_t>(currentPoint_)];
    t.txSelected = ToFlag(transmitSelected_);
    t.synthFrequency = transmitSelected_ ? t.txFrequency : t.rxFrequency;
    timerResponse_->setEnabled(false);
    if (links_.port()) SendTuneRecord(*links_.port(), links_.modes, links_.records, t);
    keyed_ = transmitSelected_;
    testStarted_ = true;
    retryCount_ = 0;
    timerResponse_->setEnabled(true);
    dialogState_ = pcAwaitingAck;
    ShowPowerValue();
    sendPending_ = false;
}

void PowerCalDialogue::ShowPowerValue() {
    view_.SetPowerAdjust(std::to_string(tuneRecord_.powerValue), HexByteText(tuneRecord_.powerValue));
}

void PowerCalDialogue::CompleteExchange() {
    dialogState_ = pcIdle;
    if (sendPending_) {
        sendPending_ = false;
        SendPointTuneRecord();
    }
}

void PowerCalDialogue::OK() {
    // Nothing acts on parameters this window has not read.
    if (!loaded_ || !parametersTaken_) return;
    if (!transmitSelected_) {
        transmitSelected_ = true;
        dialogState_ = pcIdle;
        SendPointTuneRecord();
        if (pointIndex_ < kPoints)
            view_.SetLevel("Adjust Power (Page Up/Dn) for " +
                           FormatFixed(powerPoints_.powerWatts[static_cast<std::size_t>(pointIndex_)], 2, links_.files.locale) +
                           " W");
    } else {
        if (links_.port()) SendCommand(*links_.port(), "AR");
        retryCount_ = 0;
        dialogState_ = pcAwaitingCapture;
        RestartTimer(*timerResponse_);
        view_.SetOkEnabled(false);
    }
}

bool PowerCalDialogue::KeyDown(int keyCode, int modifiers) {
    if (const auto step = AdjustStepOfKey(keyCode, modifiers)) {
        if (parametersTaken_) {
            tuneRecord_.powerValue = AdjustUnsigned(tuneRecord_.powerValue, *step);
            dialogState_ = pcIdle;
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

void PowerCalDialogue::TimerTick() {
    if (!loaded_ || !Active()) return;
    timerResponse_->setEnabled(false);
    const std::int16_t previous = retryCount_;
    auto resendTxOff = [&](std::int32_t state) {
        transmitSelected_ = false;
        dialogState_ = pcIdle;
        SendPointTuneRecord();
        dialogState_ = state;
        retryCount_ = static_cast<std::int16_t>(previous + 1);
    };
    switch (dialogState_) {
    case pcAwaitingAck:
        if (retryCount_ < kMaxResends) {
            dialogState_ = pcIdle;
            SendPointTuneRecord();
            retryCount_ = static_cast<std::int16_t>(previous + 1);
        } else {
            CompleteExchange();
        }
        break;
    case pcAwaitingCapture:
        transmitSelected_ = false;
        dialogState_ = pcIdle;
        SendPointTuneRecord();
        dialogState_ = pcAwaitingTxOffAck;
        break;
    case pcAwaitingTxOffAck:
        if (retryCount_ < kMaxResends) resendTxOff(pcAwaitingTxOffAck);
        else CompleteExchange();
        break;
    case pcAwaitingSample:
        if (retryCount_ < kMaxResends) {
            if (links_.port()) SendCommand(*links_.port(), "AT");
            reply_.Reset();
            ++retryCount_;
            timerResponse_->setEnabled(true);
        } else {
            view_.SetOkEnabled(true);
            view_.FocusOk();
            CompleteExchange();
        }
        break;
    case pcAwaitingSampleEnd:
    case pcAwaitingSampleAck:
        // The reading is in hand; the rest of the reply did not come.
        TakeReading();
        break;
    case pcAwaitingFinalAck:
        if (retryCount_ < kMaxResends) {
            resendTxOff(pcAwaitingFinalAck);
        } else {
            view_.SetOkEnabled(true);
            view_.FocusOk();
            CompleteExchange();
        }
        break;
    default:
        break;
    }
}

void PowerCalDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!loaded_) return;
    const SRecordMessage* rec = ReplyRecordWithin(links_.port(), rxSRecordIndex, std::numeric_limits<std::int32_t>::max());
    if (!rec) return;
    const bool ack = rec->recNum == 8 && rec->address == 0;
    switch (dialogState_) {
    case pcAwaitingAck:
        if (!ack) break;
        timerResponse_->setEnabled(false);
        CompleteExchange();
        break;
    case pcAwaitingTxOffAck:
        if (!ack) break;
        if (links_.port()) SendCommand(*links_.port(), "AT");
        reply_.Reset();
        retryCount_ = 0;
        RestartTimer(*timerResponse_);
        dialogState_ = pcAwaitingSample;
        break;
    case pcAwaitingSample:
        if (rec->recNum != 1) break;
        reply_.Append(*rec);
        if (reply_.Complete()) {
            RestartTimer(*timerResponse_);
            ParseDiagnosticBlock(diagnostics_, reply_.bytes());
            reading_ = diagnostics_.sets[2].values[8];
            view_.SetPowerReading(std::to_string(reading_), HexByteText(reading_));
            view_.SetOkEnabled(true);
            view_.FocusOk();
            dialogState_ = pcAwaitingSampleEnd;
        }
        break;
    case pcAwaitingSampleEnd:
        if (rec->recNum != 9) break;
        RestartTimer(*timerResponse_);
        dialogState_ = pcAwaitingSampleAck;
        break;
    case pcAwaitingSampleAck:
        if (ack) TakeReading();
        break;
    case pcAwaitingFinalAck:
        if (!ack) break;
        timerResponse_->setEnabled(false);
        AskSave();
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
    RestartTimer(*timerResponse_);
    dialogState_ = pcIdle;
    if (pointIndex_ < kPoints) {
        view_.SetLevel("Hit OK to Start Tx'ing");
        SendPointTuneRecord();
        if (dialogState_ == pcIdle) dialogState_ = pcAwaitingAck;
    } else {
        SendPointTuneRecord();
        dialogState_ = pcAwaitingFinalAck;
    }
}

void PowerCalDialogue::AskSave() {
    const bool yes = links_.services.dialogs &&
                     links_.services.dialogs->messageBox("Do you want to Save Power Table?", "", MsgButtons::YesNo,
                                                    MsgIcon::None) == MsgAnswer::Yes;
    if (!loaded_) return;
    if (yes) {
        links_.records.testParameters.powerPoints = powerPoints_;
        BuildPowerTable(links_.modes, links_.files, links_.services, panelParameters_.calTables, powerPoints_, true);
        panelParameters_.masterPowerMeterCal = 200;
        WriteBack();
    }
    dialogState_ = pcIdle;
    Close();
}

void PowerCalDialogue::WriteBack() {
    links_.records.currentParameters = panelParameters_;
    links_.host.WriteCurrentParameters();
}

void PowerCalDialogue::Cancel() {
    Unkey();
    Close();
}

void PowerCalDialogue::Clear() {
    if (!loaded_ || !parametersTaken_) return;
    if (!links_.services.dialogs ||
        links_.services.dialogs->messageBox("Do you want to Clear (use default) Power Curve Settings?", "", MsgButtons::YesNo,
                                       MsgIcon::None) != MsgAnswer::Yes)
        return;
    if (!loaded_) return;
    Unkey();
    ClearCalibrationTable(panelParameters_.calTables, clearPowerTable);
    WriteBack();
    dialogState_ = pcIdle;
    Close();
}

}  // namespace k45
