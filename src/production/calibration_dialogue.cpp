#include "production/calibration_dialogue.h"

#include "params/tune_record.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "programming/parms_rd_wr.h"
#include "radio/radio_codes.h"
#include "serial/class_comm.h"
#include "serial/modem_commands.h"

namespace k45 {

CalibrationDialogue::CalibrationDialogue(PanelLinks links, int responseMs)
    : links_(links),
      exchange_(links.services.scheduler, responseMs, load_,
                {.port = [this] { return links_.port(); },
                 .active = [this] { return Active(); },
                 .timedOut = [this] { ResponseTick(); },
                 .unkeyLine = [this] { return UnkeyLine(); },
                 .unkeyAcknowledged = [this] { UnkeyAcknowledged(); },
                 // Nothing of these windows waits for the unkey to go on: their sends stay
                 // deferred behind it.
                 .unkeyGivenUp = [] { return false; },
                 .countResend = {},
                 .tell = [this](const std::string& text) { Tell(text); }}) {}

CalibrationDialogue::~CalibrationDialogue() {
    exchange_.Stop();
    if (links_.port()) links_.port()->DeRegisterForAll(this);
}

void CalibrationDialogue::LoadBase() {
    load_.Begin();
    exchange_.Begin();
    parametersRequested_ = false;
    SetParametersTaken(false);
    currentPoint_ = 1;
    if (links_.port()) links_.port()->RegisterForSRecord(this, false);
    dialogState_ = CalibrationState::AwaitingParameters;
}

void CalibrationDialogue::UnloadBase() {
    load_.End();
    exchange_.End();
    if (links_.port()) links_.port()->DeRegisterForAll(this);
}

void CalibrationDialogue::Activate() {
    if (!load_.loaded()) return;
    if (PortChanged(links_.port(), lastPortNumber_)) {
        parametersRequested_ = false;
        PortMoved();
    }
    if (!parametersRequested_) {
        ReadCurrentParameters();
    } else if (dialogState_ == CalibrationState::ParametersReady) {
        dialogState_ = CalibrationState::Idle;
        if (panelParameters_.eepromVersion == 2 && panelParameters_.model == 4) {
            const LoadToken::Value token = load_.Take();
            if (links_.services.dialogs)
                links_.services.dialogs->messageBox(kUnsupportedModemText, "", MsgButtons::OK, MsgIcon::None);
            CloseIfStill(token);
            return;
        }
        SendPointTuneRecord();
    }
}

void CalibrationDialogue::ReadCurrentParameters() {
    links_.windows().ReadCurrentParameters(*this);
    dialogState_ = CalibrationState::AwaitingParameters;
    parametersRequested_ = true;
}

void CalibrationDialogue::SetPointFrequencies() {
    const TuneRecord& t = tuneRecord_;
    if (!RadioTypeValid(t.radioType) || !RadioRangeValid(t.radioRange)) return;
    const RadioSpec& spec =
        links_.records.testParameters.radioSpecs[static_cast<std::size_t>(t.radioType + 3 * t.radioRange + 30 * currentPoint_)];
    tuneRecord_.txFrequency = spec.txFrequency + settings_.txFreqOffset;
    tuneRecord_.rxFrequency = spec.rxFrequency + settings_.rxFreqOffset;
}

void CalibrationDialogue::UpdateParms(bool parmsWereFound) {
    if (!load_.loaded()) return;
    if (parmsWereFound && dialogState_ == CalibrationState::AwaitingParameters) {
        panelParameters_ = links_.records.currentParameters;
        tuneRecord_.radioType = panelParameters_.radioType;
        tuneRecord_.radioRange = panelParameters_.radioRange;
        SetPointFrequencies();
        BuildTuneRecord(links_.records, tuneRecord_, panelParameters_);
        ShowParametersTaken();
        SetParametersTaken(true);
        dialogState_ = CalibrationState::ParametersReady;
        if (Active()) Activate();
    } else {
        CompleteExchange();
    }
}

std::string CalibrationDialogue::RecordLine(const TuneRecord& record) const {
    return TuneRecordLine(links_.modes, links_.records, record);
}

void CalibrationDialogue::LeaveForSwap() {
    const bool inTest = exchange_.inTest();
    exchange_.Leave(false);
    // The unkey went first; "T0" then takes the radio out of its test as well.
    if (inTest && exchange_.lineUp()) exchange_.Post(CommandLine("T0"), RadioExchange::Keying::Unkeys);
    dialogState_ = CalibrationState::Idle;
    SetParametersTaken(false);
}

void CalibrationDialogue::SetParametersTaken(bool taken) {
    parametersTaken_ = taken;
    ShowActionsEnabled(taken);
}

void CalibrationDialogue::Close() {
    if (load_.loaded()) links_.host.CloseWindow();
}

void CalibrationDialogue::CloseIfStill(LoadToken::Value token) {
    if (load_.Still(token)) links_.host.CloseWindow();
}

void CalibrationDialogue::WriteBack() {
    links_.records.currentParameters = panelParameters_;
    links_.windows().RestartParmsReadWrite(ParmsMode::WriteCurrent, nullptr);
}

bool CalibrationDialogue::Ask(const std::string& question) {
    return links_.services.dialogs &&
           links_.services.dialogs->messageBox(question, "", MsgButtons::YesNo, MsgIcon::None) == MsgAnswer::Yes;
}

void CalibrationDialogue::Tell(const std::string& text) {
    if (links_.services.dialogs) links_.services.dialogs->messageBox(text, "", MsgButtons::OK, MsgIcon::Exclamation);
}

}  // namespace k45
