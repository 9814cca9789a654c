#pragma once
// The Online Diagnostics window (formOnLine): the grid of decoded packets with its filter and
// display options. The dialogue is OnlineDiagDialogue.
#include <array>
#include <string>

#include "diagnostics/online_diag.h"
#include "diagnostics/ui/diag_dialogue_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;

namespace k45 {

class OnlineGridModel;

class formOnLine : public DiagDialogueWindow<OnlineDiagDialogue, OnlineDiagView> {
    Q_OBJECT
public:
    formOnLine(AppContext& ctx, SharedDiagSettings settings, QWidget* parent = nullptr);
    ~formOnLine() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;

    QRadioButton* optionIdOff = nullptr;
    QRadioButton* optionIdList = nullptr;
    QRadioButton* optionIdSelected = nullptr;
    QComboBox* comboFilterIDs = nullptr;
    QRadioButton* optionDisplayScroll = nullptr;
    QRadioButton* optionDisplaySlot = nullptr;
    QTableView* gridRxData = nullptr;
    QCheckBox* checkPause = nullptr;
    QLabel* labelTestCount = nullptr;
    QProgressBar* panelProgress = nullptr;
    QPushButton* buttonClear = nullptr;
    QPushButton* buttonSave = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void ShowTestCount(const std::string& text) override;
    void ShowFilterEntries(const std::vector<std::string>& entries, int selected) override;
    void GridChanged() override;
    void SetProgress(int percent) override;
    void ApplyColumnWidths();
    void FitGridWidth();
    // Tells the dialogue the whole rows the grid shows at its present height.
    void FollowGridHeight();

    SharedDiagSettings settings_;
    OnlineGridModel* model_ = nullptr;
    std::array<int, 14> columnWidths_{};
    std::string saveFileName_;
    // The grid is being redrawn from the dialogue: its scroll bar's moves are not the operator's.
    bool showingGrid_ = false;
};

}  // namespace k45
