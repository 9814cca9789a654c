#pragma once
// The Tune Radio window (formTune): the radio selection, the 15 test boxes in their three
// groups, the step screen and the live adjust and diagnostic values. The procedure and the
// modem dialogue are TuneDialogue; the window holds the controls and hands it the buttons,
// keys and callbacks. Also here: the function that makes the tuning windows.
#include <array>
#include <memory>

#include "tuning/tune_dialogue.h"
#include "tuning/tune_settings.h"
#include "ui/dialogue_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace k45 {

class NumBox;

// Creates the Tune Radio window and the production parameter editor as children of `owner`
// and enters them in ctx's registry.
void AddTuningWindows(AppContext& ctx, QWidget& owner);

// No Q_OBJECT: the window declares no signals or slots of its own (lambdas are connected).
class formTune : public DialogueWindow<TuneDialogue, TuneView>, public DacValuesClient, public PortSwapClient {
public:
    explicit formTune(AppContext& ctx, QWidget* parent = nullptr);
    ~formTune() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void PortsSwapping() override { dialogue_->PortsSwapping(); }

    void UpdateDacValues() override { dialogue_->UpdateDacValues(); }

    QComboBox* comboRadioType = nullptr;
    QComboBox* comboRadioRange = nullptr;
    QComboBox* comboChanBandwidth = nullptr;
    NumBox* textLongId = nullptr;
    QLineEdit* textShortId = nullptr;
    QComboBox* comboRxOffset = nullptr;
    QComboBox* comboTxOffset = nullptr;
    QWidget* pictureSa702xSynth = nullptr;
    QRadioButton* optionSa7025Synth = nullptr;
    QRadioButton* optionSa7026Synth = nullptr;
    QWidget* pictureRxHighLow = nullptr;
    QRadioButton* optionLoRxBand = nullptr;
    QRadioButton* optionHiRxBand = nullptr;
    QScrollBar* scrollTxTime = nullptr;
    QLabel* labelTxTime = nullptr;
    QGroupBox* frameTxTuneTests = nullptr;
    QGroupBox* frameRxTuneTests = nullptr;
    QGroupBox* frameVerifyTuneTests = nullptr;
    std::array<QCheckBox*, kTuneTestCount> checkTests{};
    QLabel* labelTestTitle = nullptr;
    QLabel* labelTestDirections = nullptr;
    QLabel* labelTestDescription = nullptr;
    QGroupBox* frameDiags = nullptr;
    QLabel* labelCurrentAdj = nullptr;
    QLabel* labelCurrentAdjValue = nullptr;
    QLabel* labelCurrentDiag = nullptr;
    QLabel* labelCurrentDiagValue = nullptr;
    QLabel* labelTemperature = nullptr;
    QLabel* labelBatteryVoltage = nullptr;
    QLabel* labelTestState = nullptr;
    QLabel* labelTestIndex = nullptr;
    QPushButton* buttonStart = nullptr;
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonNext = nullptr;
    QPushButton* buttonPrevious = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // TuneView
    TuneSelection Selection() const override;
    void ShowSelection(const TuneSelection& s) override;
    void ShowScreen(const TuneScreen& screen) override;
    void SetDescription(const std::string& text) override;
    void SetAdjValue(const std::string& text) override;
    void SetDiagValue(const std::string& text) override;
    void SetTemperature(const std::string& text) override;
    void SetBatteryVoltage(const std::string& text) override;
    void FocusOk() override;

    void RadioTypeChanged();
    void UpdateAvailability();
};

}  // namespace k45
