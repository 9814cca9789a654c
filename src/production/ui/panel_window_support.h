#pragma once
// What the production windows share: their window host, the diagnostics group of the test
// panels, the translation of Qt keys into the panels' key codes and the creation of the windows.
#include <QString>
#include <cstdint>
#include <string>

#include "production/panel_support.h"
#include "production/test_panel.h"
#include "programming/dialogue_support.h"
#include "ui/dialogue_window.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace k45 {

struct AppContext;

struct DiagnosticsFrame {
    QGroupBox* frameDiags = nullptr;
    QComboBox* comboDiagnosticSelect = nullptr;
    QCheckBox* checkDiagEn = nullptr;  // the production and engineer panels
    QPushButton* buttonClearDiag = nullptr;
    QLabel* labelBatteryVoltage = nullptr;
    QLabel* labelAnalogVcc = nullptr;
    QLabel* labelTemperature = nullptr;
    QLabel* labelRssiLevel = nullptr;
    QLabel* labelFwdPwr = nullptr;
    QLabel* labelRevPwr = nullptr;
    QLabel* labelPreambleGood = nullptr;
    QLabel* labelPreambleTotal = nullptr;
    QLabel* labelPreambleDCD = nullptr;
    QLabel* labelXcvrStatus = nullptr;
    QLabel* labelCurrentLevel = nullptr;      // with the level bar
    QProgressBar* panelCurrentLevel = nullptr;
};
DiagnosticsFrame BuildDiagnosticsFrame(QWidget* parent, const char* selectCaption, const char* diagEnCaption,
                                       const char* clearCaption, bool levelBar);
void ShowDiagnosticsTexts(const DiagnosticsFrame& f, const DiagnosticsTexts& t);

// The panels' key code of a Qt key (0 for keys they do not use) and the modifier bits.
int PanelKeyCode(const QKeyEvent& e);
int PanelModifiers(const QKeyEvent& e);

// The production windows on the window host: a panel or calibration dialogue, which asks its
// window about the window itself besides its view (PanelHost, answered here).
template <class Dialogue, class View>
class ProductionWindow : public DialogueWindow<Dialogue, View>, protected PanelHost {
protected:
    ProductionWindow(AppContext& ctx, const char* objectName, const char* caption, ToolWindowBase::Placement placement,
                     QWidget* parent)
        : DialogueWindow<Dialogue, View>(ctx, objectName, caption, placement, parent, MadeByWindow{}) {
        // Made here, where the window is a PanelHost already.
        this->MakeDialogue(PanelLinks{DialogueLinks::Of(ctx), *this}, static_cast<View&>(*this));
    }

    bool IsActiveChild() const override { return this->IsActiveForm(); }
    void CloseWindow() override { this->CloseForm(); }
    void CountResend() override { k45::CountResend(DialogueLinks::Of(this->ctx_)); }
};

// What the production panel sets on a calibration window before showing it.
class FreqOffsetForm {
public:
    virtual ~FreqOffsetForm() = default;
    virtual void SetFreqOffsets(std::int32_t rxFreqOffset, std::int32_t txFreqOffset) = 0;
};

// Creates the production windows and enters them in the registry.
void AddProductionWindows(AppContext& ctx, QWidget& owner);

}  // namespace k45
