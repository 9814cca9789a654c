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
      exchange_(links.services.scheduler, responseMs, [this] { ResponseTick(); },
                {[this] { return links_.port() && links_.port()->GetCommPortOpen(); }, {}}) {}

CalibrationDialogue::~CalibrationDialogue() {
    exchange_.Stop();
    if (links_.port()) links_.port()->DeRegisterForAll(this);
}

void CalibrationDialogue::LoadBase() {
    load_.Begin();
    parametersRequested_ = testStarted_ = false;
    SetParametersTaken(false);
    currentPoint_ = 1;
    if (links_.port()) links_.port()->RegisterForSRecord(this, false);
    dialogState_ = CalibrationState::AwaitingParameters;
    exchange_.Stop();
}

void CalibrationDialogue::UnloadBase() {
    load_.End();
    exchange_.Stop();
    if (links_.port()) links_.port()->DeRegisterForAll(this);
}

void CalibrationDialogue::Activate() {
    if (!load_.loaded()) return;
    if (PortChanged(links_.port(), lastPortNumber_)) parametersRequested_ = false;
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

// Nothing is written into a closed port (each write would show its own box).
void CalibrationDialogue::SendRecord(const TuneRecord& record) {
    if (!exchange_.lineUp()) return;
    SendTuneRecord(*links_.port(), links_.modes, links_.records, record);
    testStarted_ = true;
}

void CalibrationDialogue::EndRadioTest() {
    if (testStarted_ && exchange_.lineUp()) SendCommand(*links_.port(), "T0");
    testStarted_ = false;
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
    links_.windows().RestartParmsReadWrite(parmsWriteCurrent, nullptr);
}

bool CalibrationDialogue::Ask(const std::string& question) {
    return links_.services.dialogs &&
           links_.services.dialogs->messageBox(question, "", MsgButtons::YesNo, MsgIcon::None) == MsgAnswer::Yes;
}

}  // namespace k45
