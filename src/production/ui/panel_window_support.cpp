#include "production/ui/panel_window_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"

namespace k45 {

DiagnosticsFrame BuildDiagnosticsFrame(QWidget* parent, const char* selectCaption, const char* diagEnCaption,
                                       const char* clearCaption, bool levelBar) {
    DiagnosticsFrame f;
    f.frameDiags = new QGroupBox("Diagnostics:", parent);
    f.frameDiags->setObjectName("frameDiags");
    auto* g = new QGridLayout(f.frameDiags);
    f.comboDiagnosticSelect = new QComboBox(f.frameDiags);
    f.comboDiagnosticSelect->setObjectName("comboDiagnosticSelect");
    g->setVerticalSpacing(2);
    for (int i = 0; i < 3; ++i) f.comboDiagnosticSelect->addItem(i == 0 ? "Current" : i == 1 ? "Low" : "High", i);
    g->addWidget(BuddyCaption(selectCaption, f.comboDiagnosticSelect), 0, 0);
    g->addWidget(f.comboDiagnosticSelect, 0, 1);
    if (diagEnCaption) {
        f.checkDiagEn = new QCheckBox(diagEnCaption, f.frameDiags);
        f.checkDiagEn->setObjectName("checkDiagEn");
        f.checkDiagEn->setChecked(true);
        g->addWidget(f.checkDiagEn, 0, 2);
    }
    f.buttonClearDiag = kit::Button(f.frameDiags, "buttonClearDiag", clearCaption);
    g->addWidget(f.buttonClearDiag, 0, 3);
    f.buttonClearDiag->setMaximumWidth(70);
    struct Row { QLabel** target; const char* name; const char* caption; const char* text; };
    const Row rows[] = {
        {&f.labelRssiLevel, "labelRssiLevel", "RSSI Level:", "-130 dBm"},
        {&f.labelFwdPwr, "labelFwdPwr", "Forward Power:", "0.0 W"},
        {&f.labelBatteryVoltage, "labelBatteryVoltage", "Battery Voltage:", "0.0 V"},
        {&f.labelRevPwr, "labelRevPwr", "Reverse Power:", "0.0 W"},
        {&f.labelTemperature, "labelTemperature", "Temperature:", "0 C"},
        {&f.labelAnalogVcc, "labelAnalogVcc", "Analog Vcc:", "0.0 V"},
        {&f.labelPreambleGood, "labelPreambleGood", "Preamble Good:", "0"},
        {&f.labelPreambleTotal, "labelPreambleTotal", "Preamble Total:", "0"},
        {&f.labelPreambleDCD, "labelPreambleDCD", "Preamble DCD:", "0"},
        {&f.labelXcvrStatus, "labelXcvrStatus", "XCVR Status:", "Rx'ing"},
    };
    int i = 0;
    for (const Row& r : rows) {
        *r.target = kit::Value(f.frameDiags, r.name, r.text, 58);
        g->addWidget(new QLabel(r.caption, f.frameDiags), 1 + i / 2, (i % 2) * 2);
        g->addWidget(*r.target, 1 + i / 2, (i % 2) * 2 + 1);
        ++i;
    }
    if (levelBar) {
        f.labelCurrentLevel = kit::Value(f.frameDiags, "labelCurrentLevel", "---- dBm", 58);
        f.panelCurrentLevel = new QProgressBar(f.frameDiags);
        f.panelCurrentLevel->setObjectName("panelCurrentLevel");
        f.panelCurrentLevel->setRange(0, 100);
        f.panelCurrentLevel->setValue(0);
        g->addWidget(kit::Label(f.frameDiags, "labelTitleLevel", "RSSI"), 7, 0);
        g->addWidget(f.labelCurrentLevel, 7, 1);
        g->addWidget(f.panelCurrentLevel, 7, 2, 1, 2);
    }
    return f;
}

void ShowDiagnosticsTexts(const DiagnosticsFrame& f, const DiagnosticsTexts& t) {
    f.labelBatteryVoltage->setText(QText(t.batteryVoltage));
    f.labelAnalogVcc->setText(QText(t.analogVcc));
    f.labelTemperature->setText(QText(t.temperature));
    f.labelRssiLevel->setText(QText(t.rssiLevel));
    f.labelFwdPwr->setText(QText(t.fwdPwr));
    f.labelRevPwr->setText(QText(t.revPwr));
    f.labelPreambleGood->setText(QText(t.preambleGood));
    f.labelPreambleTotal->setText(QText(t.preambleTotal));
    f.labelPreambleDCD->setText(QText(t.preambleDcd));
    if (f.labelCurrentLevel) f.labelCurrentLevel->setText(QText(t.currentLevel));
    if (f.panelCurrentLevel) f.panelCurrentLevel->setValue(t.currentPercent);
}

int PanelKeyCode(const QKeyEvent& e) {
    switch (e.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return keyEnter;
    case Qt::Key_PageUp: return keyPageUp;
    case Qt::Key_PageDown: return keyPageDown;
    case Qt::Key_F2: return keyF2;
    case Qt::Key_F3: return keyF3;
    case Qt::Key_F4: return keyF4;
    case Qt::Key_F5: return keyF5;
    case Qt::Key_F6: return keyF6;
    case Qt::Key_F7: return keyF7;
    case Qt::Key_F8: return keyF8;
    case Qt::Key_F9: return keyF9;
    case Qt::Key_F10: return keyF10;
    default: return 0;
    }
}

int PanelModifiers(const QKeyEvent& e) {
    int m = 0;
    if (e.modifiers() & Qt::ShiftModifier) m |= kShiftBit;
    if (e.modifiers() & Qt::ControlModifier) m |= kCtrlBit;
    if (e.modifiers() & Qt::AltModifier) m |= kAltBit;
    return m;
}

}  // namespace k45
