#pragma once
// The production parameter editor (formProdFreqs, "Edit Production Parameters"): the test
// frequencies of every radio type, range and point, the default tune values, the advanced
// settings and the RSSI temperature-compensation points of testParameters, edited in a
// private copy that OK and the test-file saves store back.
//
// While a record is being shown the selection handlers store nothing, and the frequency boxes
// always store into the type and range they show, so a newly loaded record is never mixed
// with the boxes of the previous one.
#include <array>
#include <cstdint>

#include "wiring/window_interfaces.h"
#include "model/records.h"
#include "ui/tool_window.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

namespace k45 {

class NumBox;

class formProdFreqs : public ToolWindowBase, public EditorPage {
public:
    explicit formProdFreqs(AppContext& ctx, QWidget* parent = nullptr);
    ~formProdFreqs() override;

    // EditorPage: the main window's test-file menus (only while the window is open).
    void UpdateChanges() override;
    bool SaveChanges() override;

    const ProductionTestRecord& editTestParameters() const { return edit_; }

    QTabWidget* tabProductionFreqs = nullptr;
    QGroupBox* frameFrequencySettings = nullptr;
    QGroupBox* frameAdvancedSettings = nullptr;
    QGroupBox* frameRssi = nullptr;
    QComboBox* comboRadioType = nullptr;
    QComboBox* comboRadioRange = nullptr;
    QComboBox* comboRxOffset = nullptr;
    QComboBox* comboTxOffset = nullptr;
    QRadioButton* optionSa7025Synth = nullptr;
    QRadioButton* optionSa7026Synth = nullptr;
    std::array<NumBox*, 3> textRxFreq{};
    std::array<NumBox*, 3> textTxFreq{};
    std::array<QLabel*, 3> labelDefaultTune{};
    std::array<std::array<NumBox*, 3>, 3> textDefault{};  // [column][point]: textDefault_0.._2
    QScrollBar* scrollTuneParms = nullptr;
    NumBox* textGainAdj = nullptr;
    NumBox* textDevAdj = nullptr;
    NumBox* textRssiCalAdj = nullptr;
    NumBox* textPwrCalAdj = nullptr;
    NumBox* textRxGainVpp = nullptr;
    QScrollBar* scrollTxTime = nullptr;
    QLabel* labelTxTime = nullptr;
    QComboBox* comboRssiDbmPoint = nullptr;
    QComboBox* comboRssiTempPoint = nullptr;
    QScrollBar* scrollRssiDbmValue = nullptr;
    QLabel* labelRssiDbmValue = nullptr;
    NumBox* textRssiTemp = nullptr;
    NumBox* textRssiA2D = nullptr;
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonCancel = nullptr;

protected:
    void Form_Load() override;

private:
    void DisplayTestParameters();
    void StoreTestParameters();
    void ShowFrequencies();
    void StoreFrequencies();
    void EnableTabFrames();
    void RadioTypeClicked();
    void RadioRangeClicked();
    void RssiPointClicked();
    void TempPointClicked();
    void TuneGridMoved();
    void FillRanges(std::int32_t type, int keepRange);
    void StoreWhole(NumBox* box, std::int16_t& field) const;

    ProductionTestRecord edit_;
    std::int32_t shownRadioType_ = 0;
    std::int32_t shownRadioRange_ = 0;
    int firstTuneParm_ = 0;
    int shownFirstTuneParm_ = 0;
    int shownRssiPoint_ = 0;
    int shownTempPoint_ = 0;
    bool displaying_ = false;  // the handlers store nothing while a record is being shown
};

}  // namespace k45
