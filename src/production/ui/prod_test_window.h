#pragma once
// The Production Test window (formProdTest): the production test panel's controls around
// ProdTestDialogue.
#include <array>

#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"
#include "production/prod_test.h"
#include "production/ui/panel_controls.h"
#include "production/ui/panel_window_support.h"
#include "ui/tool_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace k45 {

class formProdTest : public ProductionWindow<ProdTestDialogue, PanelControls<ProdTestView>>,
                     public DacValuesClient,
                     public PortSwapClient {
    Q_OBJECT
public:
    explicit formProdTest(AppContext& ctx, QWidget* parent = nullptr);
    ~formProdTest() override;

    void UpdateDacValues() override { dialogue_->UpdateDacValues(); }
    void PortsSwapping() override { dialogue_->PortsSwapping(); }

    QComboBox* comboRxOffset = nullptr;
    QComboBox* comboTxOffset = nullptr;
    QComboBox* comboChannel = nullptr;
    QComboBox* comboFreqPair = nullptr;
    QComboBox* comboRadioType = nullptr;
    QComboBox* comboRadioRange = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // ProdTestView
    std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> SelectRadio(std::int32_t type,
                                                                                  std::int32_t range) override;
    void SelectFreqPair(int index) override;
    void OpenPowerCalibration(std::int32_t rxOffsetHz, std::int32_t txOffsetHz) override;
    void OpenRssiCalibration(std::int32_t rxOffsetHz, std::int32_t txOffsetHz) override;

    bool HandleKey(QKeyEvent* e);
    void SyncFromDialogue();
    void OpenCalibration(ToolWindow which, std::int32_t rx, std::int32_t tx);
};

}  // namespace k45
