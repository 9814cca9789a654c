#pragma once
// The Offline Diagnostics window (formOffLine): the local and remote units' diagnostics and
// network statistics, clearing them, the switch and RSSI read-outs, the test tone and the
// channel-8 redirection. The dialogue is OfflineDiagDialogue.
#include <array>
#include <string>

#include "diagnostics/offline_diag.h"
#include "diagnostics/ui/diag_window_support.h"
#include "ui/tool_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace k45 {

class formOffLine : public ToolWindowBase, public ParmsClient, private OfflineDiagView {
    Q_OBJECT
public:
    formOffLine(AppContext& ctx, SharedDiagSettings settings, QWidget* parent = nullptr);
    ~formOffLine() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void Form_Activate() override;
    void UpdateParms(bool parmsWereFound) override { dialogue_.UpdateParms(parmsWereFound); }

    OfflineDiagDialogue& dialogue() { return dialogue_; }
    std::int16_t txToneTime() const { return txToneTime_; }
    const std::string& offlineDiagsFile() const { return offlineDiagsFile_; }

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
    void Form_Unload() override;

private:
    bool IsActiveChild() const override { return IsActiveForm(); }
    void RequestCurrentParameters(ParmsClient* client) override;
    void DisplayChanged() override;
    void CloseWindow() override { CloseForm(); }
    void CountResend() override;
    void EnableRemote(bool on);

    SharedDiagSettings settings_;
    OfflineDiagDialogue dialogue_;
    bool wasLoaded_ = false;
    bool watchingArea_ = false;
    std::int16_t txToneTime_ = 5;
    std::string offlineDiagsFile_;
};

}  // namespace k45
