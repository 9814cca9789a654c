#pragma once
// The Engineer Test window (formEngTest): the engineer panel's controls around EngTestDialogue
// and its remote control over the program's local links.
#include <array>
#include <memory>

#include "production/eng_remote.h"
#include "production/eng_test.h"
#include "production/ui/panel_window_support.h"
#include "ui/tool_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace k45 {

class formEngTest : public ProductionWindow, public PortSwapClient, private TestPanelView, private EngRemoteView,
                    private PanelHost {
    Q_OBJECT
public:
    // links: the program's local links (null: no remote control).
    formEngTest(AppContext& ctx, LocalLinks* links, QWidget* parent = nullptr);
    ~formEngTest() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void Form_Activate() override { dlg_.Activate(); }
    void PortsSwapping() override { dlg_.PortsSwapping(); }
    EngTestDialogue& dialogue() { return dlg_; }
    EngRemoteControl& remote() { return remote_; }

    QLineEdit* textRxFreq = nullptr;
    QLineEdit* textTxFreq = nullptr;
    QComboBox* comboRadioType = nullptr;
    QComboBox* comboRadioRange = nullptr;
    QRadioButton* optionSa7025Synth = nullptr;
    QRadioButton* optionSa7026Synth = nullptr;
    QComboBox* comboTransmitMode = nullptr;
    QScrollBar* scrollTxTime = nullptr;
    QLabel* labelTxTime = nullptr;
    DiagnosticsFrame diags;
    std::array<QRadioButton*, 7> optionAdjSelect{};
    QRadioButton* optionCnFcAdjSelect = nullptr;
    std::array<QLabel*, 8> adjustLabels{};
    QLineEdit* textDirectDac = nullptr;
    QPushButton* buttonDirectDac = nullptr;
    QCheckBox* checkTest = nullptr;
    QCheckBox* checkDdeEnable = nullptr;
    QLabel* labelDdeSrc = nullptr;
    QLabel* labelDdeDst = nullptr;
    QLabel* labelTest = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // TestPanelView
    void SetXcvrStatus(const std::string& text) override;
    void SetFrequencyTexts(const std::string& tx, const std::string& rx) override;
    void SetCnFcCaption(const std::string& caption) override;
    void ShowTuneValues(const std::array<std::string, 8>& values) override;
    void ShowDiagnostics(const DiagnosticsTexts& texts) override { ShowDiagnosticsTexts(diags, texts); }
    std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> SelectRadio(std::int32_t type,
                                                                                  std::int32_t range) override;
    void SetSynthesizer(bool sa7026) override;
    void DisableGainAndDeviation() override;
    void SetCnFcEnabled(bool on) override;
    void SelectAdjust(AdjustSelect select) override;
    void SetDirectText(const std::string& text) override;
    void SetTxTimeLabel(const std::string& text, bool scrollEnabled) override;
    // EngRemoteView
    void SetDestination(const std::string& text) override;
    void SetSource(const std::string& text) override;
    void SetLinkStatus(const std::string& text) override;
    void ClearDdeEnable() override;
    void SelectTransmitMode(int mode) override;
    // PanelHost
    bool IsActiveChild() const override { return IsActiveForm(); }
    void StartParameterRead(ParmsClient& client) override { k45::StartParameterRead(ctx_, client); }
    void CloseWindow() override { CloseForm(); }
    bool HandleKey(QKeyEvent* e);

    EngTestDialogue dlg_;
    EngRemoteControl remote_;
    bool wasLoaded_ = false;
};

}  // namespace k45
