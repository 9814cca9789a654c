#pragma once
// The parameter editor (formRadioParms): the operator edits a copy of the shared modem
// parameter record on three tabs and gives it back only after every channel frequency passed
// the check. Its UpdateChanges and SaveChanges first call those of the modem timing editor.
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "frame/window_interfaces.h"
#include "model/records.h"
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

class formRadioParms : public QWidget, public ToolForm, public EditorPage {
    Q_OBJECT
public:
    static constexpr int kChannelRows = 4;
    static constexpr int kTopChannelMax = 4;

    explicit formRadioParms(AppContext& ctx, QWidget* parent = nullptr);

    // ToolForm
    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    bool loaded() const override { return loaded_; }
    // EditorPage
    void UpdateChanges() override;
    bool SaveChanges() override;
    void SelectFrequencyInError(std::int16_t freqIndex) override;

    // Window fields.
    std::int16_t savedLeft = 0;
    std::int16_t savedTop = 0;
    const ModemParameters& editParameters() const { return editParameters_; }
    int displayTopChannel() const { return displayTopChannel_; }
    int storeTopChannel() const { return storeTopChannel_; }

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
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* BuildModemTab();
    QWidget* BuildRadioTab();
    QWidget* BuildFrequencyTab();
    void Connect();

    void Form_Load();
    void Form_Unload();
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

    AppContext& ctx_;
    ModemParameters editParameters_;
    CommunicationLists lists_;
    bool loaded_ = false;
    bool shownThisRun_ = false;
    bool rateListsEnabled_ = false;
    int displayTopChannel_ = 0;
    int storeTopChannel_ = 0;
};

// Creates the window objects of the parameter, timing and DAC values editors, enters them in
// the context's tool-window registry and appends them to windows (which the caller keeps for
// the whole run), and makes the context's radio spec editor opener show that editor.
void AddEditorWindows(AppContext& ctx, std::vector<std::unique_ptr<ToolForm>>& windows);

}  // namespace k45
