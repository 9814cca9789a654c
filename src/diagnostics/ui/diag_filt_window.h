#pragma once
// The Diagnostic IDs, Alarms and Filters window (formDiagFilt): edits the shared diagnostic
// settings and opens and saves *.dia files. It uses no port. The logic is DiagFiltEditor.
#include <array>
#include <string>

#include "diagnostics/diag_filt_editor.h"
#include "diagnostics/ui/diag_window_support.h"
#include "ui/tool_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace k45 {

class formDiagFilt : public ToolWindowBase {
    Q_OBJECT
public:
    formDiagFilt(AppContext& ctx, SharedDiagSettings settings, QWidget* parent = nullptr);
    ~formDiagFilt() override;

    // Start-up: the file name and the settings from the file; exit: both written back when
    // the window was opened during the run.
    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;

    DiagFiltEditor& editor() { return editor_; }

    QRadioButton* optionAlarmSelect = nullptr;
    QRadioButton* optionFilterSelect = nullptr;
    std::array<NumBox*, 10> limitBoxes{};  // textLoRssi, textHiRssi, ... textHiRevP
    NumBox* textFilterID = nullptr;
    QComboBox* comboFilterIDs = nullptr;
    QLineEdit* textShortId = nullptr;
    QPushButton* buttonAddID = nullptr;
    QPushButton* buttonDeleteID = nullptr;
    QPushButton* buttonOpen = nullptr;
    QPushButton* buttonSave = nullptr;
    QPushButton* buttonSaveAs = nullptr;
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonCancel = nullptr;
    QLabel* labelFilename = nullptr;

protected:
    void Form_Load() override;

private:
    void Refresh();
    void ReadBoxes();

    SharedDiagSettings settings_;
    DiagFiltEditor editor_;
    bool wasLoaded_ = false;
    std::string diaFileName_;
};

}  // namespace k45
