#pragma once
// The User Test window (formUserTest): the user test panel's controls around UserTestDialogue.
#include "production/ui/panel_controls.h"
#include "production/ui/panel_window_support.h"
#include "production/user_test.h"
#include "ui/tool_window.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace k45 {

class formUserTest : public ProductionWindow<UserTestDialogue, PanelControls<UserTestView>>, public PortSwapClient {
    Q_OBJECT
public:
    explicit formUserTest(AppContext& ctx, QWidget* parent = nullptr);
    ~formUserTest() override;
    void PortsSwapping() override { dialogue_->PortsSwapping(); }

    QComboBox* comboChannelOverride = nullptr;
    QPushButton* buttonChannelChange = nullptr;
    QLabel* labelChannelWarning = nullptr;
    QLabel* labelSwitchSetting = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void SetChannelWarning(const std::string& text) override;
    void SetSwitchSetting(const std::string& text) override;
    void SelectChannelOverride(int index) override;
    bool HandleKey(QKeyEvent* e);
};

}  // namespace k45
