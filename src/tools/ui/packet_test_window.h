#pragma once
// The Packet Test window (formPacketTst): the controls and settings of the packet test; the
// test itself is PacketTestEngine.
#include <string>

#include "tools/packet_test.h"
#include "ui/dialogue_window.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace k45 {

class NumBox;

class formPacketTst : public DialogueWindow<PacketTestEngine, PacketTestView> {
    Q_OBJECT
public:
    explicit formPacketTst(AppContext& ctx, QWidget* parent = nullptr);
    ~formPacketTst() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;

    QGroupBox* frameHostRemote = nullptr;
    QRadioButton* optionHost = nullptr;
    QRadioButton* optionRemote = nullptr;
    QRadioButton* optionHostRemote2Ports = nullptr;
    QRadioButton* optionHostRemote1Port = nullptr;
    QRadioButton* optionHostRemote1Way = nullptr;
    QGroupBox* frameTestType = nullptr;
    QRadioButton* optionSingleTest = nullptr;
    QRadioButton* optionMultipleTest = nullptr;
    QGroupBox* frameStartStop = nullptr;
    QRadioButton* optionStart = nullptr;
    QRadioButton* optionStop = nullptr;
    QRadioButton* optionTesting = nullptr;
    QComboBox* comboNumDataBytes = nullptr;
    QComboBox* comboRateRatio = nullptr;
    QScrollBar* scrollPacketDelay = nullptr;
    QLabel* labelPacketDelay = nullptr;
    NumBox* textNumOfPackets = nullptr;
    QCheckBox* checkAsciiMode = nullptr;
    QCheckBox* checkTurnAroundTest = nullptr;
    QLabel* labelHostPacketsTxed = nullptr;
    QLabel* labelRemotePacketsRxed = nullptr;
    QLabel* labelRemotePacketsTxed = nullptr;
    QLabel* labelHostPacketsRxed = nullptr;
    QLabel* labelHostToRemotePercent = nullptr;
    QLabel* labelRemoteToHostPercent = nullptr;
    QLabel* labelOverallPercent = nullptr;
    QLabel* labelCtsFailuresLabel = nullptr;
    QLabel* labelCtsFailures = nullptr;
    QLabel* labelTestCalculatedTicks = nullptr;
    QLabel* labelTestHostTicks = nullptr;
    QLabel* labelTestTotalTime = nullptr;
    QLabel* labelTestTotalTicks = nullptr;
    QFrame* shapeHostRx = nullptr;
    QFrame* shapeRemoteRx = nullptr;
    QPushButton* buttonStart = nullptr;
    QPushButton* buttonPause = nullptr;
    QPushButton* buttonResume = nullptr;
    QPushButton* buttonClear = nullptr;
    QPushButton* buttonSave = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;

private:
    void ShowCounters(const PacketTestResult& result) override;
    void ShowPercentages(const std::string& hostToRemote, const std::string& remoteToHost,
                         const std::string& overall) override;
    void ShowTiming(const std::string& calculatedTicks, const std::string& hostTicks, const std::string& totalTime,
                    const std::string& totalTicks) override;
    void SetRunning(bool running, bool resumeEnabled) override;
    void SetResumeEnabled(bool on) override;
    void ShowDelay(std::int32_t quarters) override;
    void ShowBytesList(const std::vector<int>& entries, int selected) override;
    void ShowSweepEdit(SweepEdit edit) override;
    void ShowNumberOfPackets(double packets) override;
    void ShowIndicators(bool hostOn, bool remoteOn) override;
    void EnsureEngine();
    void ApplyFlags();

    // The settings until the engine exists (it needs the port objects).
    PacketTestSettings settings_;
    bool wasLoaded_ = false;
};

}  // namespace k45
