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
    // The user panel has no radio lists: the record's own type and range stand.
    std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> SelectRadio(std::int32_t type,
                                                                                    std::int32_t range) override {
        return {type, range};
    }
    bool HandleKey(QKeyEvent* e);
};

}  // namespace k45
