#pragma once
// The parameter editor (formRadioParms): the operator edits a copy of the shared modem
// parameter record on three tabs and gives it back only after every channel frequency passed
// the check. Its UpdateChanges and SaveChanges first call those of the modem timing editor.
#include <array>
#include <cstdint>

#include "wiring/window_interfaces.h"
#include "model/records.h"
#include "ui/tool_window.h"
#include "programming/ui/radio_parms_lists.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

namespace k45 {

struct AppContext;
class NumBox;

class formRadioParms : public ToolWindowBase, public EditorPage {
    Q_OBJECT
public:
    static constexpr int kChannelRows = 4;
    static constexpr int kTopChannelMax = 4;

    explicit formRadioParms(AppContext& ctx, QWidget* parent = nullptr);

    // EditorPage
    void UpdateChanges() override;
    bool SaveChanges() override;
    void SelectFrequencyInError(std::int16_t freqIndex) override;

    // Window fields.
    const ModemParameters& editParameters() const { return editParameters_; }
    int displayTopChannel() const { return displayTopChannel_; }

    // Controls.
    QTabWidget* tabModemRadioParms = nullptr;
    QGroupBox* frameModemParms = nullptr;
    QGroupBox* frameCommunicationParms = nullptr;
    QGroupBox* frameRadioParms = nullptr;
    QGroupBox* frameCarrierDetect = nullptr;
    QWidget* pictureFreq = nullptr;

    NumBox* textLongId = nullptr;
    QLineEdit* textShortId = nullptr;
    QLineEdit* textComment = nullptr;
    QLineEdit* textLastConfigured = nullptr;
    NumBox* textTotalConfigurations = nullptr;
    QCheckBox* checkExtendedT1 = nullptr;
    QCheckBox* checkExtendedT2 = nullptr;
    QCheckBox* checkOnlineDiag = nullptr;
    QCheckBox* checkRawDiag = nullptr;
    QCheckBox* checkQMastOption = nullptr;

    QComboBox* comboBaudRate = nullptr;
    QComboBox* comboDataFormat = nullptr;
    QComboBox* comboNetworkType = nullptr;
    QComboBox* comboDataType = nullptr;
    DataSignalPicture* pictureDataType = nullptr;
    QWidget* shapeDataInversion = nullptr;

    QComboBox* comboRadioType = nullptr;
    QComboBox* comboRadioRange = nullptr;
    QComboBox* comboChanBandwidth = nullptr;
    QGroupBox* frameSa702xSynth = nullptr;
    QRadioButton* optionSa7025Synth = nullptr;
    QRadioButton* optionSa7026Synth = nullptr;
    QGroupBox* frameRxHighLow = nullptr;
    QRadioButton* optionHiRxBand = nullptr;
    QRadioButton* optionLoRxBand = nullptr;
    QComboBox* comboChannelOverride = nullptr;
    QCheckBox* checkPttWatchdog = nullptr;
    QScrollBar* scrollPttWatchdogTime = nullptr;
    QLabel* labelPttWatchdogTime = nullptr;
    QCheckBox* checkRxOnly = nullptr;
    QCheckBox* checkTxOnly = nullptr;
    QLabel* labelWarning = nullptr;

    QScrollBar* scrollRssiOn = nullptr;
    QScrollBar* scrollRssiOff = nullptr;
    QLabel* labelRssiOn = nullptr;
    QLabel* labelRssiOff = nullptr;
    QCheckBox* checkDynamicCarrier = nullptr;

    QScrollBar* scrollFreqChannels = nullptr;
    std::array<QLabel*, kChannelRows> labelFreqChanNum{};
    std::array<NumBox*, kChannelRows> textRxFreq{};
    std::array<NumBox*, kChannelRows> textTxFreq{};
    std::array<NumBox*, kChannelRows> textPwrSetting{};
    QPushButton* buttonDefaultFreqs = nullptr;

    QPushButton* buttonOK = nullptr;
    QPushButton* buttonCancel = nullptr;

    void buttonOK_Click();
    void buttonCancel_Click();
    void buttonDefaultFreqs_Click();

protected:
    void Form_Load() override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* BuildModemTab();
    QWidget* BuildRadioTab();
    QWidget* BuildFrequencyTab();
    void Connect();

    void DisplayParameters();
    void StoreParameters();
    void EnableTabFrames();
    void RebuildRateLists();
    void comboRadioType_Click();
    void comboRadioRange_Click();
    void ApplyTuneRangeRule();
    void scrollFreqChannels_Change(int value);
    bool PageKey(QKeyEvent* e);
    EditorPage* TimingEditor() const;

    ModemParameters editParameters_;
    CommunicationLists lists_;
    bool rateListsEnabled_ = false;
    int displayTopChannel_ = 0;
    int storeTopChannel_ = 0;
};

// Creates the parameter, timing and DAC values editors as children of `owner` (their one
// owner), enters them in the context's tool-window registry, and makes the context's radio
// spec editor opener show that editor.
void AddEditorWindows(AppContext& ctx, QWidget& owner);

}  // namespace k45
