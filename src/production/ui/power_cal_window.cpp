#include "production/ui/power_cal_window.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "platform/qt/qt_text.h"
#include "production/ui/calibration_window_support.h"
#include "wiring/app_context.h"

namespace k45 {

formProgPwr::formProgPwr(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formProgPwr", "Calibrate Power Table", Placement::Saved, parent) {
    QGridLayout* g = PromptAndReadings(this, labelProg, labelFreq, labelLevel, "Getting Modem Settings...", "labelFreq",
                                       "labelLevel", kCalibrationDots);
    labelPwrAdj = ReadingValue(this, "labelPwrAdj", "0");
    labelPwrAdjHex = ReadingValue(this, "labelPwrAdjHex", "0x00");
    labelPwrA2D = ReadingValue(this, "labelPwrA2D", "0");
    labelPwrA2DHex = ReadingValue(this, "labelPwrA2DHex", "0x00");
    ReadingRow(g, 0, kit::Label(this, "labelDiagnostics_1", "Power Adjust:"), labelPwrAdj, labelPwrAdjHex);
    ReadingRow(g, 1, kit::Label(this, "labelDiagnostics_0", "Power A/D Value:"), labelPwrA2D, labelPwrA2DHex);
    OkCancelClear(this, dialogue(), buttonOK, buttonCancel, buttonClear);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    installEventFilter(this);
    FocusedButtonsAnswerEnter(*this);
}

formProgPwr::~formProgPwr() = default;

void formProgPwr::Form_Load() {
    ResetPrompt(labelProg, labelFreq, labelLevel, "Getting Modem Settings...", kCalibrationDots);
    SetOkEnabled(true);
    ProductionWindow::Form_Load();
}

bool formProgPwr::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        const int code = PanelKeyCode(*e);
        if (code != 0 && code != keyEnter && dialogue_->KeyDown(code, PanelModifiers(*e))) return true;
    }
    return ToolWindowBase::eventFilter(watched, event);
}

void formProgPwr::SetProg(const std::string& t) { labelProg->setText(QText(t)); }
void formProgPwr::SetFreq(const std::string& t) { labelFreq->setText(QText(t)); }
void formProgPwr::SetLevel(const std::string& t) { labelLevel->setText(QText(t)); }
void formProgPwr::SetPowerAdjust(const std::string& dec, const std::string& hex) {
    labelPwrAdj->setText(QText(dec));
    labelPwrAdjHex->setText(QText(hex));
}
void formProgPwr::SetPowerReading(const std::string& dec, const std::string& hex) {
    labelPwrA2D->setText(QText(dec));
    labelPwrA2DHex->setText(QText(hex));
}
void formProgPwr::SetOkEnabled(bool on) {
    okWanted_ = on;
    ShowButtonsEnabled();
}
void formProgPwr::SetActionsEnabled(bool on) {
    ready_ = on;
    ShowButtonsEnabled();
}
void formProgPwr::ShowButtonsEnabled() {
    buttonOK->setEnabled(ready_ && okWanted_);
    buttonClear->setEnabled(ready_);
}
void formProgPwr::FocusOk() { buttonOK->setFocus(); }

}  // namespace k45
