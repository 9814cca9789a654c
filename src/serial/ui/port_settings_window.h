#pragma once
// The Port Settings window: port numbers and serial settings of both port objects, and in
// engineering mode the advanced settings both share. Nothing is applied until OK.
#include <array>
#include <cstdint>

#include "frame/window_interfaces.h"
#include "ui/tool_window.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
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
        QLabel* labelDevice = nullptr;  // the device file the chosen port number opens
    };
    // The device path port n opens and whether it is there, so an adapter's port can be found.
    void ShowDevice(Side& s);
    std::array<Side, 2> side;
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

private:
    void DisplaySettings();
    void EnableTabFrames();
    void checkIgnoreDCD_Click();
    void FillSide(Side& s, int tab, const char* frameCaption, const char* explanation);
    static void SelectByNumber(QComboBox* combo, double value);
    static void SelectByFirstLetter(QComboBox* combo, char letter);

};

}  // namespace k45
