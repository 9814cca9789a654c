#include "diagnostics/online_diag.h"

#include <algorithm>

#include "diagnostics/diag_save.h"
#include "model/app_state.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"

namespace k45 {

std::int32_t RawOutputBaud(std::int16_t model, std::int16_t baudRate) {
    switch (baudRate) {
        case 0: return (model == 12 || model == 6) ? 4800 : 1200;
        case 1: return (model == 12 || model == 6) ? 9600 : 2400;
        case 2: return model == 12 ? 2400 : model == 6 ? 19200 : 4800;
        default: return 9600;
    }
}

OnlineDiagDialogue::OnlineDiagDialogue(DialogueLinks links, const DiagSettings& settings, OnlineDiagView& view)
    : modes_(links.modes),
      files_(links.files),
      current_(links.records.currentParameters),
      services_(links.services),
      links_(links),
      port_(links.ports.classCommPrimary),
      settings_(settings),
      view_(view),
      timerResponse_(links.services.scheduler->createTimer()) {
    timerResponse_->setInterval(kSilenceMs);
    timerResponse_->setHandler([this] {
        timerResponse_->setEnabled(false);
        framer_.Reset();
    });
}

OnlineDiagDialogue::~OnlineDiagDialogue() {
    if (load_.loaded() && port_) primary_().DeRegisterForAll(this);
}

void OnlineDiagDialogue::Load() {
    if (!port_) return;  // no port object yet: nothing to listen to
    load_.Begin();
    parmsRequested_ = false;
    rawBaudRate_ = 9600;
    parmsState_ = OnlineParmsState::AwaitParameters;
    paused_ = false;
    framer_.Reset();
    primary_().RegisterForRawData(this);
    Clear();
    filterMode_ = IdFilterMode::Off;
    grid_.SetSlotted(false);
    if (loadOptions_.idSelected) SetFilterMode(IdFilterMode::Selected);
    if (loadOptions_.idList) SetFilterMode(IdFilterMode::List);
    if (loadOptions_.slotted) SetSlotted(true);
}

void OnlineDiagDialogue::Activate() {
    if (!load_.loaded() || !port_) return;
    // A refused setting shows its own box, under which the window may close.
    const LoadToken::Value token = load_.Take();
    (void)primary_().OverrideHandshaking(kRawTxMode, false, 0);
    (void)primary_().OverrideSettings({.baudRate = rawBaudRate_});
    if (!load_.Still(token)) return;
    if (primary_().settings().portNumber != lastPortNumber_) {
        lastPortNumber_ = primary_().settings().portNumber;
        parmsRequested_ = false;
    }
    if (!parmsRequested_) {
        RequestCurrentParms();
    } else if (parmsState_ == OnlineParmsState::AwaitActivation) {
        parmsState_ = OnlineParmsState::Listening;
        if (!IsSet(current_.diagGateMode)) {
            services_.dialogs->messageBox("Modem is not Programmed with 'Output Raw Diagnostic Data Only'.",
                                          "Programming Error");
            if (!load_.Still(token)) return;
        }
    }
    FillFilterIdCombo();
}

void OnlineDiagDialogue::RequestCurrentParms() {
    parmsState_ = OnlineParmsState::AwaitParameters;
    parmsRequested_ = true;
    links_.windows().ReadCurrentParameters(*this);
}

void OnlineDiagDialogue::UpdateParms(bool parmsWereFound) {
    if (!load_.loaded()) return;
    if (parmsWereFound && parmsState_ == OnlineParmsState::AwaitParameters) {
        rawBaudRate_ = RawOutputBaud(current_.model, current_.baudRate);
        parmsState_ = OnlineParmsState::AwaitActivation;
        if (view_.IsActiveChild()) Activate();
    } else {
        parmsState_ = OnlineParmsState::Listening;
        rawBaudRate_ = primary_().settings().portSettings.baudRate;
    }
}

void OnlineDiagDialogue::Unload() {
    if (!load_.loaded()) return;
    load_.End();
    timerResponse_->setEnabled(false);
    if (port_) primary_().DeRegisterForAll(this);
}

void OnlineDiagDialogue::RxRawData(const std::string& rxStr) {
    if (!load_.loaded() || paused_ || parmsState_ != OnlineParmsState::Listening) return;
    timerResponse_->setEnabled(false);
    timerResponse_->setEnabled(true);
    gridDirty_ = false;
    framer_.Feed(rxStr, [this](const std::uint8_t* p) { OnPacket(p); });
    if (gridDirty_) view_.GridChanged();
}

void OnlineDiagDialogue::OnPacket(const std::uint8_t* packet) {
    const auto r = DecodeOnlinePacket(packet, settings_.alarmLimits, settings_.filterLimits,
                                      services_.scheduler->wallClockSeconds());
    if (!r) {
        if (modes_.engineerMode) {
            rejected_ += 1;
            testCount_ = std::to_string(rejected_);
            view_.ShowTestCount(testCount_);
        }
        return;
    }
    history_.Add(*r);
    ShowRecord(*r);
}

void OnlineDiagDialogue::ShowRecord(const OnlineDiagRecord& r) {
    if (filterMode_ == IdFilterMode::Off || PassesIdFilter(r, filterMode_, settings_, comboText())) {
        grid_.Display(r);
        gridDirty_ = true;
    }
}

std::string OnlineDiagDialogue::comboText() const {
    if (filterSelected_ < 0 || filterSelected_ >= static_cast<int>(filterEntries_.size())) return std::string();
    return filterEntries_[static_cast<std::size_t>(filterSelected_)];
}

void OnlineDiagDialogue::SetPause(bool paused) {
    paused_ = paused;
    framer_.Reset();
}

void OnlineDiagDialogue::SetFilterMode(IdFilterMode mode) {
    filterMode_ = mode;
    RedisplayHistory();
}

void OnlineDiagDialogue::SetSlotted(bool slotted) {
    grid_.SetSlotted(slotted);
    RedisplayHistory();
}

void OnlineDiagDialogue::SelectFilterEntry(int index) {
    filterSelected_ = (index >= 0 && index < static_cast<int>(filterEntries_.size())) ? index : -1;
    if (filterMode_ == IdFilterMode::Selected) RedisplayHistory();
}

void OnlineDiagDialogue::FillFilterIdCombo() {
    const int noted = filterSelected_;
    filterEntries_ = FilterIdEntries(settings_);
    int sel = noted < 0 ? 0 : noted;
    if (sel >= static_cast<int>(filterEntries_.size())) sel = static_cast<int>(filterEntries_.size()) - 1;
    filterSelected_ = sel;
    view_.ShowFilterEntries(filterEntries_, sel);
    if (sel >= 0 && filterMode_ == IdFilterMode::Selected) RedisplayHistory();
}

void OnlineDiagDialogue::RedisplayHistory() {
    grid_.Clear();
    const int n = history_.count();
    for (int i = 0; i < n; ++i) {
        const OnlineDiagRecord& r = history_.at(i);
        if (filterMode_ == IdFilterMode::Off || PassesIdFilter(r, filterMode_, settings_, comboText())) grid_.Display(r);
        if (n > 1 && (i % 256 == 0 || i == n - 1)) view_.SetProgress(100 * i / (n - 1));
    }
    view_.SetProgress(0);
    grid_.SetTopRow(0);
    view_.GridChanged();
}

void OnlineDiagDialogue::SetGridVisibleRows(int rows) {
    if (std::max(rows, 1) == grid_.visibleRows()) return;
    grid_.SetVisibleRows(rows);
    view_.GridChanged();
}

void OnlineDiagDialogue::Clear() {
    grid_.Clear();
    history_.Clear();
    rejected_ = 0;
    testCount_ = std::to_string(rejected_);
    view_.ShowTestCount(testCount_);
    view_.GridChanged();
}

bool OnlineDiagDialogue::Save(const std::string& path, SaveMode mode, std::string* error) {
    const bool ok = WriteOnlineSaveFile(path, mode, grid_, error, [this](int p) { view_.SetProgress(p); });
    view_.SetProgress(0);
    return ok;
}

void OnlineDiagDialogue::SaveClicked(std::string& saveFileName) {
    Dialogs& dialogs = *services_.dialogs;
    // The file dialog and the boxes run loops of their own, under which the window may close:
    // the grid of another load is never written.
    const LoadToken::Value token = load_.Take();
    const auto chosen = ChooseDiagnosticsFile(dialogs, saveFileName, files_.places.programFolder);
    if (!load_.Still(token)) return;
    if (chosen) {
        if (grid_.rowsUsed() == 0) {
            dialogs.messageBox("There is no Online Diagnostics to save yet!");
        } else if (const auto mode = AskSaveMode(dialogs, *chosen, OnlineExistsQuestion(*chosen))) {
            if (!load_.Still(token)) return;
            std::string error;
            if (!Save(*chosen, *mode, &error)) dialogs.messageBox(error, kSaveDiagsTitle, MsgButtons::OK, MsgIcon::Exclamation);
        }
        if (!load_.Still(token)) return;
    }
    view_.SetProgress(0);
}

}  // namespace k45
