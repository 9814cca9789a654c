#pragma once
// The Online/Offline Diagnostics Test window (formDiagTst): the operator's panel of the modem
// simulator (DiagSimulator) on the primary or the secondary port.
#include <array>
#include <string>

#include "diagnostics/diag_simulator.h"
#include "ui/dialogue_window.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace k45 {

class NumBox;

class formDiagTst : public DialogueWindow<DiagSimulator, DiagSimulatorView> {
    Q_OBJECT
public:
    explicit formDiagTst(AppContext& ctx, QWidget* parent = nullptr);
    ~formDiagTst() override;

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName) override;
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName) override;

    QRadioButton* optionOnline = nullptr;
    QRadioButton* optionOffline = nullptr;
    QRadioButton* optionPrimaryComm = nullptr;
    QRadioButton* optionSecondaryComm = nullptr;
    QCheckBox* checkPause = nullptr;
    QComboBox* comboPacketDelay = nullptr;
    NumBox* textNumOfPackets = nullptr;
    std::array<NumBox*, 3> idBoxes{};          // textMasterID, textStartRemoteID, textEndRemoteID
    std::array<QLineEdit*, 3> shortIdBoxes{};  // textShortMasterID, ...
    std::array<NumBox*, 10> valueBoxes{};      // textStartRssi, textEndRssi, ... textEndRevP
    QLabel* labelPacketsTxed = nullptr;
    QPushButton* buttonStart = nullptr;
    QPushButton* buttonStop = nullptr;
    QPushButton* buttonClear = nullptr;
    QPushButton* buttonClose = nullptr;

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    bool PauseTicked() const override;
    void ShowPacketsSent(double count) override;
    void TestStopped() override;
    void Lock(bool running);
    void ShowFields();
    SimSettings ReadBoxes() const;
    void SelectPort(bool secondary);

    bool wasLoaded_ = false;
    std::int16_t packetDelayIndex_ = 0;
    bool secondaryPort_ = false;
    bool offlineTest_ = false;
};

}  // namespace k45
