#pragma once
// The array test (formTstArray), port statistics (formComStats) and port test (formPortTest)
// windows, and the function that creates every window of the communication tools.
#include <array>
#include <memory>
#include <string>

#include "tools/array_test.h"
#include "tools/port_tools.h"
#include "tools/terminal_core.h"
#include "ui/dialogue_window.h"
#include "ui/tool_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace k45 {

struct AppContext;
class NumBox;

// Creates the four terminals, the packet test, the array test, port statistics and the port
// test as children of owner and registers them.
void AddToolsWindows(AppContext& ctx, QWidget& owner);

class formTstArray : public DialogueWindow<ArrayTestEngine, ArrayTestView> {
    Q_OBJECT
public:
    explicit formTstArray(AppContext& ctx, QWidget* parent = nullptr);
    ~formTstArray() override;
    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;

    QLabel* labelPacketsTxed = nullptr;
    NumBox* textNumOfPackets = nullptr;
    QComboBox* comboArrayType = nullptr;
    QLabel* labelPacketSize = nullptr;
    QScrollBar* scrollNumPackets = nullptr;
    QLabel* labelNumPackets = nullptr;
    QScrollBar* scrollPacketDelay = nullptr;
    QLabel* labelPacketDelay = nullptr;
    QCheckBox* checkTestDribbleBit = nullptr;
    QCheckBox* checkPause = nullptr;
    QGroupBox* frameComPort = nullptr;
    QRadioButton* optionPrimaryCom = nullptr;
    QRadioButton* optionSecondaryCom = nullptr;
    QPushButton* buttonStart = nullptr;
    QPushButton* buttonStop = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    bool PauseTicked() const override;
    void ShowPacketsTxed(std::int32_t count) override;
    void ShowPacketSize(int size) override;
    void ShowPacketsPerArray(int count) override;
    void SetRunning(bool running) override;
    void FindTerminals();

    std::int16_t dataTypeIndex_ = 0, savedPacketsPerArray_ = 0, savedPacketDelay_ = 0;
    std::int32_t packetsToSend_ = 0;
    bool useSecondaryPort_ = false;
    bool wasLoaded_ = false;
};

class formComStats : public ToolWindowBase {
    Q_OBJECT
public:
    explicit formComStats(AppContext& ctx, QWidget* parent = nullptr);
    ~formComStats() override;
    // One poll (the 50 ms timer's tick).
    void Poll();

    struct PortControls {
        QGroupBox* frame = nullptr;
        QLabel* baudRate = nullptr;
        QLabel* bytesTxed = nullptr;
        QLabel* bytesRxed = nullptr;
        QLabel* framingErrors = nullptr;
        QLabel* dribbleDescription = nullptr;
        QLabel* dribbleBytes = nullptr;
        std::array<QCheckBox*, 5> lines{};  // DCD, DSR, CTS, RTS, DTR
        QPushButton* clear = nullptr;
    };
    PortControls primary, secondary;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    void Show(PortControls& c, const PortStatsSnapshot& s);
    std::unique_ptr<Timer> timerPolling_;
    std::int16_t lastPrimaryPort_ = 0, lastSecondaryPort_ = 0;
};

class formPortTest : public DialogueWindow<PortTestEngine, PortTestView> {
    Q_OBJECT
public:
    explicit formPortTest(AppContext& ctx, QWidget* parent = nullptr);
    ~formPortTest() override;

    std::array<QComboBox*, 2> comboTxMode{};        // primary, secondary
    std::array<QCheckBox*, 4> checkLine{};          // by PortTestLine
    std::array<QPushButton*, 4> buttonToggle{};     // by PortTestLine
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
