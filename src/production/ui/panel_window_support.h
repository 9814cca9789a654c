#pragma once
// What the production windows share: the diagnostics group of the test panels, the
// translation of Qt keys into the panels' key codes, the openers of the current-parameter
// reader and of the read/write window, and the creation of the windows.
#include <QString>
#include <cstdint>
#include <string>

#include "production/panel_support.h"
#include "ui/tool_window.h"

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
class ParmsClient;

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

// The base of the production windows. The main window may make a window its active child
// before the window loaded (its activation then finds nothing loaded): a window that loads
// while it is the active child activates once it is on screen.
// It is also what the dialogues ask of their window (PanelHost).
class ProductionWindow : public ToolWindowBase, protected PanelHost {
protected:
    using ToolWindowBase::ToolWindowBase;
    void showEvent(QShowEvent* e) override;

    bool IsActiveChild() const override { return IsActiveForm(); }
    void StartParameterRead(ParmsClient& client) override;
    void CloseWindow() override { CloseForm(); }
    bool ReadWriteLoaded(std::string* caption) const override;
    void WriteCurrentParameters() override;
    // A resend counted in the main window's status bar.
    void CountResend() override;
};

// What the production panel sets on a calibration window before showing it.
class FreqOffsetForm {
public:
    virtual ~FreqOffsetForm() = default;
    virtual void SetFreqOffsets(std::int32_t rxFreqOffset, std::int32_t txFreqOffset) = 0;
};

// Unloads a busy reader, registers the client and shows the reader.
void StartParameterRead(AppContext& ctx, ParmsClient& client);
bool ReadWriteWindowLoaded(const AppContext& ctx, std::string* caption);
// Closes a loaded read/write window and opens it to write currentParameters by itself.
void OpenWriteCurrentParameters(AppContext& ctx);

// Creates the production windows and enters them in the registry.
void AddProductionWindows(AppContext& ctx, QWidget& owner);

}  // namespace k45
