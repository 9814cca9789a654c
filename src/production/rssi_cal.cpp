#include "production/rssi_cal.h"

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

RssiSampleDialogue::RssiSampleDialogue(PanelLinks links, RssiCalView& view)
    : CalibrationDialogue(links, kResponseMs), view_(view),
      timerDiagnostics_(MakeDialogueTimer(links.services.scheduler, kPollMs, [this] { PollTick(); })) {}

RssiSampleDialogue::~RssiSampleDialogue() { timerDiagnostics_->setEnabled(false); }

void RssiSampleDialogue::Load() {
    if (load_.loaded()) return;
    LoadBase();
    sendPending_ = samplePending_ = false;
    sampleCount_ = 4;
    timerDiagnostics_->setEnabled(true);
}

void RssiSampleDialogue::Unload() {
    if (!load_.loaded()) return;
    timerDiagnostics_->setEnabled(false);
    LeaveRadio();
    UnloadBase();
}

void RssiSampleDialogue::PortsSwapping() {
    if (!load_.loaded()) return;
    sendPending_ = samplePending_ = false;
    LeaveForSwap();
    DropReadingSet();
}

void RssiSampleDialogue::DropReadingSet() {
    if (sampleCount_ < 4) {
        sampleCount_ = 4;
        view_.SetOkEnabled(true);
    }
}

void RssiSampleDialogue::ShowParametersTaken() {
    view_.SetProg("Set Signal Generator to");
    ShowPointLabels();
}

void RssiSampleDialogue::SetReceiveRecord() {
    TuneRecord& t = tuneRecord_;
    SetPointFrequencies();
    const auto p = static_cast<std::size_t>(currentPoint_);
    t.frontEndValue = t.frontEndAdj[p];
    t.modValue = t.modAdj[p];
    t.powerValue = t.powerAdj[p];
    t.synthFrequency = t.rxFrequency;
    t.txSelected = kFalse;
}

std::string RssiSampleDialogue::UnkeyLine() {
    SetReceiveRecord();
    return RecordLine(tuneRecord_);
}

void RssiSampleDialogue::SendPointTuneRecord() {
    if (dialogState_ == CalibrationState::Idle) {
        if (!Active()) return;
        // Behind an owed unkey, or into a closed port: the record goes when an exchange ends
        // once the radio can take it.
        if (exchange_.Ready(false) != RadioExchange::Gate::Go) {
            sendPending_ = true;
            return;
        }
        SetReceiveRecord();
        exchange_.Send(RecordLine(tuneRecord_), RadioExchange::Keying::Unkeys);
        dialogState_ = CalibrationState::AwaitingTuneAck;
        sendPending_ = false;
    } else if (dialogState_ != CalibrationState::AwaitingParameters &&
               dialogState_ != CalibrationState::ParametersReady) {
        sendPending_ = true;
    }
}

void RssiSampleDialogue::RequestSample() {
    if (dialogState_ == CalibrationState::Idle) {
        if (Active()) {
            switch (exchange_.Ready(false)) {
            case RadioExchange::Gate::Refused: return;
            case RadioExchange::Gate::Wait: samplePending_ = true; return;
            case RadioExchange::Gate::Go: break;
            }
            exchange_.Send(CommandLine("AT"));
            dialogState_ = CalibrationState::AwaitingSample;
            samplePending_ = false;
        }
    } else {
        samplePending_ = true;
    }
    if (!exchange_.unkeyUnderWay()) exchange_.Await();
}

void RssiSampleDialogue::CompleteExchange() {
    dialogState_ = CalibrationState::Idle;
    if (sendPending_) {
        sendPending_ = false;
        SendPointTuneRecord();
    }
    if (samplePending_) {
        samplePending_ = false;
        RequestSample();
    }
}

void RssiSampleDialogue::PollTick() {
    // A closed port is not polled (each write would show its own box); an owed unkey goes
    // instead of the poll.
    if (load_.loaded() && dialogState_ == CalibrationState::Idle && Active() && exchange_.PollReady()) RequestSample();
}

void RssiSampleDialogue::ResponseTick() {
    if (!load_.loaded() || !Active()) return;
    exchange_.Stop();
    switch (dialogState_) {
    case CalibrationState::AwaitingTuneAck:
    case CalibrationState::AwaitingSample:
        // Nothing goes again at once: the request is kept for when the exchange ends, and
        // the exchange ends after as many time-outs as a command has resends.
        if (exchange_.CountAnotherTry())
            (dialogState_ == CalibrationState::AwaitingTuneAck ? sendPending_ : samplePending_) = true;
        else CompleteExchange();
        break;
    case CalibrationState::AwaitingSampleEnd:
    case CalibrationState::AwaitingSampleAck: CompleteExchange(); break;
    default:
        break;
    }
}

void RssiSampleDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded()) return;
    const std::optional<RadioReply> reply = exchange_.Take(rxSRecordIndex);
    if (!reply) return;
    const bool ack = reply->kind == RadioReply::Kind::Acknowledged;
    switch (dialogState_) {
    case CalibrationState::AwaitingTuneAck:
    case CalibrationState::AwaitingSampleAck:
        if (!ack) break;
        exchange_.Stop();
        CompleteExchange();
        break;
    case CalibrationState::AwaitingSample:
        // A reply that ends before its block is whole gives no reading: the time-outs decide.
        if (reply->kind == RadioReply::Kind::Data && reply->blockComplete) TakeReading(reply->block);
        break;
    case CalibrationState::AwaitingSampleEnd:
        if (reply->kind == RadioReply::Kind::End) {
            exchange_.Await();
            dialogState_ = CalibrationState::AwaitingSampleAck;
        } else if (ack) {
            exchange_.Stop();
            CompleteExchange();
        }
        break;
    default:
        break;
    }
    if (reply->offAfterWarning) Tell(kTxOffLaterText);
}

void RssiSampleDialogue::TakeReading(std::span<const std::int16_t> block) {
    exchange_.Await();
    dialogState_ = CalibrationState::AwaitingSampleEnd;
    ParseDiagnosticBlock(diagnostics_, block);
    std::int16_t t = diagnostics_.sets[0].values[6];
    const std::int16_t r = diagnostics_.sets[0].values[7];
    const std::string temperature = FormatAdTemperatureC(t);
    view_.SetTemperature(temperature, HexByteText(t));
    view_.SetRssiReading(std::to_string(r), HexByteText(r));
    if (sampleCount_ < 4) {
        rssiSamples_[static_cast<std::size_t>(sampleCount_)] = r;
        ++sampleCount_;
        if (sampleCount_ == 4) {
            view_.SetOkEnabled(true);
            view_.FocusOk();
            TakeAverage(AverageOfFour(rssiSamples_));
        }
    }
}

void RssiSampleDialogue::OK() {
    // Readings are taken only for parameters this window has read.
    if (!load_.loaded() || !parametersTaken_) return;
    sampleCount_ = 0;
    view_.SetOkEnabled(false);
}

// ---- RSSI table calibration

void RssiCalDialogue::Load() {
    if (load_.loaded()) return;
    RssiSampleDialogue::Load();
    levelIndex_ = 0;
    rssiPoints_ = links_.records.testParameters.rssiPoints;
}

void RssiCalDialogue::ShowPointLabels() {
    view_.SetFreq(FormatMHzUnit(tuneRecord_.rxFrequency, links_.files.locale));
    if (levelIndex_ >= 0 && levelIndex_ < kLevels)
        view_.SetLevel(FormatRssiDbm(rssiPoints_.levelCode[static_cast<std::size_t>(levelIndex_)]));
}

void RssiCalDialogue::TakeAverage(std::int16_t average) {
    if (levelIndex_ < 0 || levelIndex_ >= kLevels) return;
    const auto i = static_cast<std::size_t>(levelIndex_);
    std::optional<std::int16_t> previous;
    if (levelIndex_ > 0) previous = rssiPoints_.adReading[i - 1];
    rssiPoints_.adReading[i] = MonotonicReading(average, previous);
    ++levelIndex_;
    if (levelIndex_ < kLevels) ShowPointLabels();
    else EndOfRun();
}

void RssiCalDialogue::EndOfRun() {
    const LoadToken::Value token = load_.Take();
    bool write = false;
    ProductionTestRecord& test = links_.records.testParameters;
    if (Ask("Do you want to Save RSSI Table?")) {
        test.rssiPoints = rssiPoints_;
        BuildRssiTable(links_.modes, links_.files, links_.services, panelParameters_.calTables, test.rssiPoints, true);
        panelParameters_.rssiCalAdj = 0;
        write = true;
    }
    if (Ask("Do you want to Save RSSI Temperature Compensation Table?")) {
        panelParameters_.calTables.rssiTempTable = test.rssiTempComp.compressedTable;
        panelParameters_.calTables.rssiTempTablePresent = kTrue;
        panelParameters_.calTables.rssiTempTableId = test.rssiTempComp.tableId;
        write = true;
    }
    if (!load_.Still(token)) return;
    if (write) WriteBack();
    Close();
}

void RssiCalDialogue::Clear() {
    if (!load_.loaded() || !parametersTaken_) return;
    const LoadToken::Value token = load_.Take();
    if (!Ask("Do you want to Clear (use default) RSSI Curve Settings?") || !load_.Still(token)) return;
    ClearCalibrationTable(panelParameters_.calTables, clearRssiTable);
    WriteBack();
    Close();
}

// ---- RSSI temperature compensation

void TempCompDialogue::Load() {
    if (load_.loaded()) return;
    RssiSampleDialogue::Load();
    levelIndex_ = 0;
    tempIndex_ = 0;
    rssiTempComp_ = links_.records.testParameters.rssiTempComp;
}

void TempCompDialogue::ShowPointLabels() {
    if (levelIndex_ < 0 || levelIndex_ >= kLevels || tempIndex_ < 0 || tempIndex_ >= kTemperatures) return;
    const auto l = static_cast<std::size_t>(levelIndex_), t = static_cast<std::size_t>(tempIndex_);
    view_.SetFreq(FormatMHzUnit(tuneRecord_.rxFrequency, links_.files.locale) + " " +
                  FormatRssiDbm(rssiTempComp_.levelCode[l]));
    view_.SetLevel("Set Temperature Chamber to " + std::to_string(rssiTempComp_.temperature[t]) + " C.");
    view_.SetSavedReading(std::to_string(rssiTempComp_.adReading[l][t]));
}

void TempCompDialogue::TakeAverage(std::int16_t average) {
    if (levelIndex_ < 0 || levelIndex_ >= kLevels || tempIndex_ < 0 || tempIndex_ >= kTemperatures) return;
    const auto l = static_cast<std::size_t>(levelIndex_), t = static_cast<std::size_t>(tempIndex_);
    std::optional<std::int16_t> previous;
    if (levelIndex_ > 0) previous = rssiTempComp_.adReading[l - 1][t];
    rssiTempComp_.adReading[l][t] = MonotonicReading(average, previous);
    Advance();
}

void TempCompDialogue::Advance() {
    if (tempIndex_ >= kTemperatures) return;
    ++levelIndex_;
    if (levelIndex_ < kLevels) {
        ShowPointLabels();
        return;
    }
    levelIndex_ = 0;
    ++tempIndex_;
    if (tempIndex_ < kTemperatures) ShowPointLabels();
    else BuildAndProgramTempComp();
}

void TempCompDialogue::Skip() {
    if (!load_.loaded() || !parametersTaken_) return;
    // Readings already started belong to the point being passed.
    DropReadingSet();
    Advance();
}

void TempCompDialogue::SkipToEnd() {
    if (!load_.loaded() || !parametersTaken_) return;
    BuildAndProgramTempComp();
}

void TempCompDialogue::CancelButton() {
    if (levelIndex_ != 0 || tempIndex_ != 0) {
        const LoadToken::Value token = load_.Take();
        if (Ask("Do you want to Cancel and lose the Data Points taken?")) CloseIfStill(token);
    } else {
        Close();
    }
}

void TempCompDialogue::BuildAndProgramTempComp() {
    const LoadToken::Value token = load_.Take();
    ProductionTestRecord& test = links_.records.testParameters;
    if (Ask("Do you want to Build the RSSI Temperature Compensation Table with the Current Data Points taken (NOT the "
            "Current Test File)?")) {
        rssiTempComp_.tableId = CalDateStampToday(links_.services);
        test.rssiTempComp = rssiTempComp_;
        PrepareTempCompPoints(links_.modes, links_.files, links_.records, panelParameters_.calTables, test, true);
        BuildTempCompTable(links_.modes, links_.files, panelParameters_.calTables, test, true);
    } else if (Ask("Do you want to Build the RSSI Temperature Compensation Table with the Current Test File?")) {
        BuildTempCompTable(links_.modes, links_.files, panelParameters_.calTables, test, true);
    }
    if (Ask("Do you want to Program the RSSI Temperature Compensation Table?")) {
        panelParameters_.calTables.rssiTempTable = test.rssiTempComp.compressedTable;
        panelParameters_.calTables.rssiTempTablePresent = kTrue;
        panelParameters_.calTables.rssiTempTableId = test.rssiTempComp.tableId;
        if (load_.Still(token)) WriteBack();
    }
    CloseIfStill(token);
}

void TempCompDialogue::Clear() {
    if (!load_.loaded() || !parametersTaken_) return;
    const LoadToken::Value token = load_.Take();
    if (!Ask("Do you want to Clear (use default) RSSI Temp Comp Table?") || !load_.Still(token)) return;
    ClearCalibrationTable(panelParameters_.calTables, clearTempCompTable);
    WriteBack();
    Close();
}

}  // namespace k45
