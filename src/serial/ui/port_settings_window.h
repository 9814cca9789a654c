#pragma once
// The Port Settings window: port numbers and serial settings of both port objects, and in
// engineering mode the advanced settings both share. Nothing is applied until OK.
// On this platform "Com n" is a device file: the port lists show beside each number the device
// it opens, and the device box of each side chooses it for the selected number (one map for
// every mode, platform/port_devices.h). What the window shows for a port that is open is the
// device it has open. The logic is PortSettingsDialogue; the window holds the controls.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/qt/qt_serial_device.h"
#include "serial/port_settings_dialogue.h"
#include "ui/dialogue_window.h"
#include "wiring/window_interfaces.h"

class QCheckBox;
class QKeyEvent;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QStandardItemModel;
class QTabWidget;

namespace k45 {

struct AppContext;

class formPortSettings : public DialogueWindow<PortSettingsDialogue, PortSettingsView>, public EditorPage {
    Q_OBJECT
public:
    explicit formPortSettings(AppContext& ctx, QWidget* parent = nullptr);

    // EditorPage: shows the port objects' settings again.
    void UpdateChanges() override;

    // One side's lists (0 primary, 1 secondary).
    struct Side {
        QGroupBox* frame = nullptr;
        QComboBox* comboPortNum = nullptr;
        QComboBox* comboBaudRate = nullptr;
        QComboBox* comboDataBits = nullptr;
        QComboBox* comboParity = nullptr;
        QComboBox* comboStopBits = nullptr;
        QComboBox* comboDtrEnable = nullptr;
        QComboBox* comboTxMode = nullptr;
        QComboBox* comboDevice = nullptr;  // the device file of the chosen port number
        QLabel* labelDevice = nullptr;     // whether that device is open, present or missing

        // The seven lists in the order of PortList.
        std::array<QComboBox*, kPortListCount> lists() const {
            return {comboPortNum, comboBaudRate, comboDataBits, comboParity, comboStopBits, comboDtrEnable, comboTxMode};
        }
    };
    std::array<Side, 2> side;
    // The devices present now (Qt SerialPort's enumeration); tests put their own.
    std::function<std::vector<PresentSerialDevice>()> listDevices;
    QLabel* labelDeviceMap = nullptr;  // which file holds the devices
    QTabWidget* tabPortSettings = nullptr;
    QGroupBox* frameAdvancedSettings = nullptr;
    QCheckBox* checkIgnoreDCD = nullptr;
    QDoubleSpinBox* textDcdTimeout = nullptr;
    QDoubleSpinBox* textCtsTimeout = nullptr;
    QSpinBox* textSyncChar = nullptr;
    QSpinBox* textEscChar = nullptr;
    QComboBox* comboDmpBaudrate = nullptr;
    QPushButton* buttonOK = nullptr;
    QPushButton* buttonCancel = nullptr;
    QPushButton* buttonSwap = nullptr;

    // The buttons' handlers: each hands its event to the dialogue.
    void buttonOK_Click() { dialogue_->OK(); }
    void buttonCancel_Click() { dialogue_->Cancel(); }
    void buttonSwap_Click() { dialogue_->Swap(); }

protected:
    void Form_Unload() override;
    // Escape cancels, as in any window with a Cancel button.
    void keyPressEvent(QKeyEvent* e) override;

private:
    // PortSettingsView
    void ShowMode(const std::vector<std::string>& baudRates, const std::vector<std::string>& dataBits,
                  bool engineering) override;
    void ShowChoice(const PortSettingsChoice& choice) override;
    void EnableDcdTimeout(bool on) override;
    void ShowDevice(int sideIndex, const std::string& device, bool available) override;
    void ShowDeviceStatus(int sideIndex, const std::string& status) override;
    void ShowDeviceColumn(const std::vector<std::string>& texts) override;
    void ShowDeviceMapNote(const std::string& text) override;

    void EnableTabFrames();
    void FillPresentDevices(QComboBox* box);
    void FillSide(int index, const char* frameCaption, const char* explanation);

    QStandardItemModel* portNumbers_ = nullptr;  // both port lists: "Com n" and its device
};

}  // namespace k45
