#pragma once
// The port test window (formPortTest): the lines of both ports pulsed and toggled on timers
// (PortTestEngine) and the dots it draws.
#include <array>

#include "tools/port_tools.h"
#include "ui/dialogue_window.h"

class QCheckBox;
class QComboBox;
class QProgressBar;
class QPushButton;
class QWidget;

namespace k45 {

struct AppContext;
class NumBox;

class formPortTest : public DialogueWindow<PortTestEngine, PortTestView> {
    Q_OBJECT
public:
    explicit formPortTest(AppContext& ctx, QWidget* parent = nullptr);
    ~formPortTest() override;

    std::array<QComboBox*, 2> comboTxMode{};     // primary, secondary
    std::array<QCheckBox*, 4> checkLine{};       // by PortTestLine
    std::array<QPushButton*, 4> buttonToggle{};  // by PortTestLine
    NumBox* textToggleTime = nullptr;
    QCheckBox* checkContinuousToggling = nullptr;
    QProgressBar* panelTest = nullptr;
    QPushButton* buttonTest = nullptr;
    QWidget* drawingArea = nullptr;

protected:
    void Form_Load() override;

private:
    void ShowLineBox(int line, bool on) override;
    void ShowModeIndex(bool primary, int index) override;
    void ShowPanel(int percent) override;
    void DrawDot(double x, double y, int colorIndex) override;
};

}  // namespace k45
