#pragma once
// The Port Settings window: port numbers and serial settings of both port objects, and in
// engineering mode the advanced settings both share. Nothing is applied until OK.
// On this platform "Com n" is a device file: the port lists show beside each number the device
// it opens, and the device box of each side chooses it for the selected number (one map for
// every mode, platform/port_devices.h). What the window shows for a port that is open is the
// device it has open.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "wiring/window_interfaces.h"
#include "platform/port_devices.h"
#include "platform/qt/qt_serial_device.h"
#include "ui/tool_window.h"

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
class classComm;

class formPortSettings : public ToolWindowBase, public EditorPage {
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
    };
    std::array<Side, 2> side;
    // The devices present now (Qt SerialPort's enumeration); tests put their own.
    std::function<std::vector<PresentSerialDevice>()> listDevices;
    // Whether a path can be opened as a port (platform/port_devices.h); tests put their own.
    std::function<PortDeviceState(const std::string&)> checkDevice;
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


    void buttonOK_Click();
    void buttonCancel_Click();
    void buttonSwap_Click();

protected:
    void Form_Load() override;
    void Form_Unload() override;
    // Escape cancels, as in any window with a Cancel button.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void DisplaySettings();
    void EnableTabFrames();
    // Shows the chosen port number's device in the side's device box and status line.
    void ShowDevice(Side& s);
    void DeviceEdited(Side& s, const QString& text);
    void ShowDeviceStatus(Side& s);
    void ShowDeviceColumn();
    void FillPresentDevices(QComboBox* box);
    std::string OpenDeviceOf(int portNumber) const;
    // A port object that wants this number open but does not have it open (a lost device, a
    // reopen that failed).
    bool WantedClosed(int portNumber) const;
    // For each open port whose device OK would change to one that cannot be opened: asks
    // before leaving the device in use. False when the operator keeps it.
    bool ConfirmUnusableDevices();
    std::string MapFile() const;
    void checkIgnoreDCD_Click();
    void FillSide(Side& s, int tab, const char* frameCaption, const char* explanation);
    static void SelectByNumber(QComboBox* combo, double value);
    static void SelectByFirstLetter(QComboBox* combo, char letter);

    QStandardItemModel* portNumbers_ = nullptr;  // both port lists: "Com n" and its device
    std::map<int, std::string> devices_;         // the device each number opens after OK
    std::map<int, std::string> storedDevices_;   // what the map file holds now
};

}  // namespace k45
