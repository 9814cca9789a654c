#include "diagnostics/diag_filt_editor.h"

#include <algorithm>
#include <filesystem>

#include "base/converters.h"
#include "base/ini_routines.h"
#include "base/save_file.h"
#include "base/utilities.h"
#include "platform/dialogs.h"

namespace k45 {

namespace {

// The alarm/filter files' dialog: data files shown first, ".dia" added to a name without one.
FileDialogRequest DiaRequest(const char* title) {
    return FileDialogRequest{title, "All Files (*.*)|*.*|Data Files (*.dia)|*.dia", {}, {}, "dia", 2};
}

}  // namespace

DiagFiltEditor::DiagFiltEditor(DiagSettings& settings, Dialogs& dialogs, const LocaleInfo& locale)
    : settings_(settings), dialogs_(dialogs), locale_(locale) {}

void DiagFiltEditor::Load() {
    FillIdList();
    editAlarm_ = settings_.alarmLimits;
    editFilter_ = settings_.filterLimits;
    ClampLimits(editAlarm_, editFilter_);
    alarmsShown_ = true;
    ShowLimits(editAlarm_);
}

void DiagFiltEditor::FillIdList() {
    const int remembered = selected_;
    ids_.clear();
    for (int i = 0; i < settings_.filterIdCount; ++i) AddIdToList(settings_.filterIds[static_cast<std::size_t>(i)]);
    const int n = static_cast<int>(ids_.size());
    int sel = remembered < 0 ? 0 : remembered;
    if (sel >= n) sel = n - 1;
    SelectId(sel);
    idEntry_ = sel >= 0 ? std::to_string(settings_.filterIds[static_cast<std::size_t>(sel)]) : std::string();
}

void DiagFiltEditor::AddIdToList(std::uint32_t id) {
    auto find = [&] {
        for (std::size_t i = 0; i < ids_.size(); ++i) {
            std::uint32_t v = 0;
            if (ParseUnitIdItem(ids_[i], v) && v == id) return static_cast<int>(i);
        }
        return -1;
    };
    if (id != 0 && find() < 0) ids_.push_back(std::to_string(id));
    const int at = find();
    if (at >= 0) SelectId(at);
}

void DiagFiltEditor::SelectId(int index) {
    selected_ = (index >= 0 && index < static_cast<int>(ids_.size())) ? index : -1;
    ShowShortId();
}

void DiagFiltEditor::ShowShortId() {
    std::uint32_t v = 0;
    if (selected_ < 0 || !ParseUnitIdItem(ids_[static_cast<std::size_t>(selected_)], v)) return;
    shortIdText_ = ShortIdText(v);
}

void DiagFiltEditor::AddId() {
    std::uint32_t id = 0;
    if (!ParseUnitIdItem(idEntry_, id)) return;
    const bool listed = std::any_of(ids_.begin(), ids_.end(), [&](const std::string& s) {
        std::uint32_t v = 0;
        return ParseUnitIdItem(s, v) && v == id;
    });
    // The settings hold at most 2048 IDs; the list must not offer more.
    if (!listed && id != 0 && static_cast<int>(ids_.size()) >= kMaxFilterIds) {
        dialogs_.messageBox("The ID List is full: it holds at most 2048 IDs.", kDiagFiltCaption, MsgButtons::OK,
                            MsgIcon::Exclamation);
        return;
    }
    AddIdToList(id);
}

void DiagFiltEditor::DeleteId() {
    if (selected_ < 0) return;
    const int remembered = selected_;
    ids_.erase(ids_.begin() + selected_);
    const int n = static_cast<int>(ids_.size());
    SelectId(remembered < n ? remembered : n - 1);
}

void DiagFiltEditor::SetBox(int index, const std::string& text) {
    if (index >= 0 && index < 10) boxes_[static_cast<std::size_t>(index)] = text;
}

void DiagFiltEditor::ShowLimits(const DiagLimits& l) {
    for (int i = 0; i < 10; ++i) boxes_[static_cast<std::size_t>(i)] = DiaLimitText(LimitField(l, i), locale_);
}

void DiagFiltEditor::ReadLimits(DiagLimits& l) const {
    for (int i = 0; i < 10; ++i)
        if (const auto v = TextToSingle(boxes_[static_cast<std::size_t>(i)], locale_)) LimitField(l, i) = *v;
}

void DiagFiltEditor::ShowAlarms() {
    if (alarmsShown_) return;
    ReadLimits(editFilter_);
    ClampLimits(editAlarm_, editFilter_);
    alarmsShown_ = true;
    ShowLimits(editAlarm_);
}

void DiagFiltEditor::ShowFilters() {
    if (!alarmsShown_) return;
    ReadLimits(editAlarm_);
    ClampLimits(editAlarm_, editFilter_);
    alarmsShown_ = false;
    ShowLimits(editFilter_);
}

void DiagFiltEditor::ApplyChanges() {
    settings_.filterIds.fill(0);
    int n = 0;
    for (const auto& s : ids_) {
        std::uint32_t v = 0;
        if (n < kMaxFilterIds && ParseUnitIdItem(s, v)) settings_.filterIds[static_cast<std::size_t>(n++)] = v;
    }
    settings_.filterIdCount = static_cast<std::int16_t>(n);
    RebuildIdLists(settings_);
    ReadLimits(alarmsShown_ ? editAlarm_ : editFilter_);
    ClampLimits(editAlarm_, editFilter_);
    settings_.alarmLimits = editAlarm_;
    settings_.filterLimits = editFilter_;
}

void DiagFiltEditor::SaveTo(const std::string& fileName) {
    std::string error;
    if (!SaveDiaFile(settings_, fileName, &error))
        dialogs_.messageBox("The alarm/filter file could not be saved.\r\n" + error, kDiagFiltCaption, MsgButtons::OK,
                            MsgIcon::Exclamation);
}

void DiagFiltEditor::OpenClicked(std::string& diaFileName, const std::string& programFolder) {
    const auto chosen =
        dialogs_.openFile(ProposingFile(DiaRequest("Open Alarm/Filter File"), diaFileName, programFolder));
    if (!chosen || chosen->empty()) return;
    diaFileName = *chosen;
    LoadDiaFile(settings_, locale_, diaFileName);
    FillIdList();
    ClampLimits(settings_.alarmLimits, settings_.filterLimits);
    editAlarm_ = settings_.alarmLimits;
    editFilter_ = settings_.filterLimits;
    ShowLimits(alarmsShown_ ? editAlarm_ : editFilter_);
}

void DiagFiltEditor::SaveClicked(std::string& diaFileName, const std::string& programFolder) {
    std::error_code ec;
    if (diaFileName.empty() || !std::filesystem::exists(diaFileName, ec)) {
        SaveAsClicked(diaFileName, programFolder);
        return;
    }
    ApplyChanges();
    ShowLimits(alarmsShown_ ? editAlarm_ : editFilter_);
    SaveTo(diaFileName);
}

void DiagFiltEditor::SaveAsClicked(std::string& diaFileName, const std::string& programFolder) {
    if (!ChooseSaveFile(dialogs_, DiaRequest("Save Alarm/Filter File"), diaFileName, programFolder)) return;
    ApplyChanges();
    ShowLimits(alarmsShown_ ? editAlarm_ : editFilter_);
    SaveTo(diaFileName);
}

void DiagFiltEditor::CloseFromCode() {
    if (dialogs_.messageBox("Save Data before closing?", kDiagFiltCaption, MsgButtons::YesNo, MsgIcon::Question) ==
        MsgAnswer::Yes)
        ApplyChanges();
}

}  // namespace k45
