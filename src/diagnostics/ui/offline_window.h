#pragma once
// The Offline Diagnostics window (formOffLine): the local and remote units' diagnostics and
// network statistics, clearing them, the switch and RSSI read-outs, the test tone and the
// channel-8 redirection. The dialogue is OfflineDiagDialogue.
#include <array>
#include <string>

#include "diagnostics/offline_diag.h"
#include "diagnostics/ui/diag_dialogue_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace k45 {

class formOffLine : public DiagDialogueWindow<OfflineDiagDialogue, OfflineDiagView> {
    Q_OBJECT
public:
    formOffLine(AppContext& ctx, SharedDiagSettings settings, QWidget* parent = nullptr);
    ~formOffLine() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;

    QRadioButton* optionLocal = nullptr;
    QLineEdit* textLocalId = nullptr;
    QRadioButton* optionRemote = nullptr;
    QComboBox* comboRemoteIDs = nullptr;
    QRadioButton* optionRemoteSelected = nullptr;
    QRadioButton* optionRemoteList = nullptr;
    QPushButton* buttonDiagsStatsGet = nullptr;
    QPushButton* buttonDiagsStatsStop = nullptr;
    QComboBox* comboDiagnosticSelect = nullptr;
    std::array<QLabel*, 9> diagLabels{};  // battery, analog Vcc, temperature, RSSI, fwd, rev, good, total, DCD
    QPushButton* buttonClearDiags = nullptr;
    QComboBox* comboRemoteSelect = nullptr;
    std::array<QLabel*, 6> statsLabels{};  // ID truncated, RSSI, temperature, battery, fwd, rev
    QPushButton* buttonClearStats = nullptr;
    QComboBox* comboChannel = nullptr;
    QPushButton* buttonChannelChange = nullptr;
    QLabel* labelChannelWarning = nullptr;
    QLabel* labelSwitchSetting = nullptr;
    QScrollBar* scrollTxTime = nullptr;
    QLabel* labelTxTime = nullptr;
    QPushButton* buttonTxTone = nullptr;
    QLabel* labelCurrentLevel = nullptr;
    QProgressBar* panelCurrentLevel = nullptr;
    QProgressBar* panelProgress = nullptr;
    QPushButton* buttonSave = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;

private:
    void DisplayChanged() override;
    void CountResend() override;
    void EnableRemote(bool on);

    SharedDiagSettings settings_;
    bool watchingArea_ = false;
};

}  // namespace k45
