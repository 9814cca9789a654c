#include "production/ui/rssi_cal_window.h"

#include <QGridLayout>
#include <QLabel>

#include "wiring/app_context.h"

namespace k45 {

formProgRssi::formProgRssi(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formProgRssi", "Calibrate RSSI Table", Placement::Saved, parent) {
    QGridLayout* g = PromptAndReadings(this, labelProg, labelFreq, labelLevel, "Getting Modem Settings...", "labelFreq",
                                       "labelLevel", kCalibrationDots);
    labelRssiA2D = ReadingValue(this, "labelRssiA2D", "0");
    labelRssiA2DHex = ReadingValue(this, "labelRssiA2DHex", "0x00");
    labelTemp = ReadingValue(this, "labelTemp", "0 C");
    labelTempA2DHex = ReadingValue(this, "labelTempA2DHex", "0x00");
    ReadingRow(g, 0, kit::Label(this, "labelDiagnostics_0", "RSSI A/D Value:"), labelRssiA2D, labelRssiA2DHex);
    ReadingRow(g, 1, kit::Label(this, "labelDiagnostics_1", "Temperature:"), labelTemp, labelTempA2DHex);
    OkCancelClear(this, dialogue(), buttonOK, buttonCancel, buttonClear);
    actionButtons_ = {buttonClear};
    FocusedButtonsAnswerEnter(*this);
}

formProgRssi::~formProgRssi() = default;

void formProgRssi::Form_Load() {
    ResetPrompt(labelProg, labelFreq, labelLevel, "Getting Modem Settings...", kCalibrationDots);
    SetOkEnabled(true);
    ProductionWindow::Form_Load();
}

}  // namespace k45
