#pragma once
// The Diagnostic IDs, Alarms and Filters editor: the ID list as the window's list box holds it
// (in the order added) and working copies of the two limit sets, applied to the shared settings
// by OK, Save, Save As and the Yes of the closing question; Open replaces the settings at once.
#include <array>
#include <string>
#include <vector>

#include "diagnostics/diag_settings.h"
#include "platform/locale_info.h"

namespace k45 {

class Dialogs;

inline constexpr const char* kDiagFiltCaption = "Diagnostic IDs, Alarms and Filters";

class DiagFiltEditor {
public:
    DiagFiltEditor(DiagSettings& settings, Dialogs& dialogs, const LocaleInfo& locale);

    // The window's load: list from the settings, working copies clamped, the alarm set shown.
    void Load();

    // The ID list box.
    const std::vector<std::string>& ids() const { return ids_; }
    int selected() const { return selected_; }
    const std::string& shortIdText() const { return shortIdText_; }
    const std::string& idEntryText() const { return idEntry_; }
    void SetIdEntryText(const std::string& text) { idEntry_ = text; }
    void SelectId(int index);
    // Add ID (also Enter in the entry box): a whole number 1..4294967295 not yet listed; a full
    // list of 2048 refuses with a message.
    void AddId();
    void DeleteId();

    // The ten boxes show the alarm or the filter set.
    bool alarmsShown() const { return alarmsShown_; }
    const std::array<std::string, 10>& boxes() const { return boxes_; }
    void SetBox(int index, const std::string& text);
    void ShowAlarms();
    void ShowFilters();

    void ApplyChanges();
    // File buttons; diaFileName is the window's current file.
    void OpenClicked(std::string& diaFileName, const std::string& programFolder);
    void SaveClicked(std::string& diaFileName, const std::string& programFolder);
    void SaveAsClicked(std::string& diaFileName, const std::string& programFolder);
    // OK and Cancel close the window from code, which asks before closing.
    void CloseFromCode();

    const DiagLimits& editAlarm() const { return editAlarm_; }
    const DiagLimits& editFilter() const { return editFilter_; }

private:
    void FillIdList();
    void AddIdToList(std::uint32_t id);
    void ShowLimits(const DiagLimits& l);
    void ReadLimits(DiagLimits& l) const;
    void ShowShortId();
    void SaveTo(const std::string& fileName);

    DiagSettings& settings_;
    Dialogs& dialogs_;
    LocaleInfo locale_;
    std::vector<std::string> ids_;
    int selected_ = -1;
    std::string idEntry_;
    std::string shortIdText_;
    bool alarmsShown_ = true;
    std::array<std::string, 10> boxes_;
    DiagLimits editAlarm_;
    DiagLimits editFilter_;
};

}  // namespace k45
