#pragma once
// The array test window (formTstArray): its controls and settings; the test is ArrayTestEngine.
#include <cstdint>
#include <string>

#include "tools/array_test.h"
#include "ui/dialogue_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace k45 {

struct AppContext;
class NumBox;

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

    ArrayTestSettings settings_;  // until the engine exists (it needs the port objects)
    bool wasLoaded_ = false;
};

}  // namespace k45
