#pragma once
// The Engineer Test window (formEngTest): the engineer panel's controls around EngTestDialogue
// and its remote control over the program's local links.
#include <array>
#include <memory>

#include "production/eng_remote.h"
#include "production/eng_test.h"
#include "production/ui/panel_controls.h"
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

class formEngTest : public ProductionWindow<EngTestDialogue, PanelControls<TestPanelView>>,
                    public PortSwapClient,
                    private EngRemoteView {
    Q_OBJECT
public:
    explicit formEngTest(AppContext& ctx, QWidget* parent = nullptr);
    ~formEngTest() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void PortsSwapping() override { dialogue_->PortsSwapping(); }
    EngRemoteControl& remote() { return remote_; }

    QComboBox* comboRadioType = nullptr;
    QComboBox* comboRadioRange = nullptr;
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
    std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> SelectRadio(std::int32_t type,
                                                                                  std::int32_t range) override;
    void SetDestination(const std::string& text) override;
    void SetSource(const std::string& text) override;
    void SetLinkStatus(const std::string& text) override;
    void ClearDdeEnable() override;
    void SelectTransmitMode(int mode) override;
    bool HandleKey(QKeyEvent* e);

    EngRemoteControl remote_;
    bool wasLoaded_ = false;
};

}  // namespace k45
