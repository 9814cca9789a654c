#include "production/ui/temp_comp_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "wiring/app_context.h"

namespace k45 {

formTempComp::formTempComp(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formTempComp", "RSSI Temp Comp", Placement::Saved, parent) {
    QGridLayout* g = PromptAndReadings(this, labelProg, labelFreq, labelLevel, "Getting Current Settings...",
                                       "labelFreqLevel", "labelTempLevel", "");
    labelRssiA2D = ReadingValue(this, "labelRssiA2D", "0");
    labelTemp = ReadingValue(this, "labelTemperature", "0 C");
    labelSavedA2D = ReadingValue(this, "labelSavedA2D", "0");
    ReadingRow(g, 0, kit::Label(this, "labelDiagnostics_0", "RSSI A/D Value:"), labelRssiA2D);
    ReadingRow(g, 1, kit::Label(this, "labelDiagnostics_1", "Temperature:"), labelTemp);
    ReadingRow(g, 2, kit::Label(this, "labelDiagnostics_2", "Saved A/D:"), labelSavedA2D);
    auto* top = static_cast<QVBoxLayout*>(layout());
    buttonOK = kit::Button(this, "buttonOK", "&OK",
                           "Tells Unit to sample the RSSI A/D for the given RSSI / Temperature Point.");
    buttonCancel = kit::Button(this, "buttonCancel", "&Cancel", "Closes this Utility.");
    buttonSkip = kit::Button(this, "buttonSkip", "S&kip", "Skips to next RSSI and/or Temperature Point.");
    buttonSkip->setDefault(true);
    buttonClear = kit::Button(this, "buttonClear", "C&lear", "Clears the Current Temperature Table in the Unit.");
    buttonSkipToEnd =
        kit::Button(this, "buttonSkipToEnd", "&Skip to End", "Skips to End to Build and/or Program Temperature Table.");
    top->addLayout(CentredButtons({buttonOK, buttonCancel, buttonSkip}));
    top->addLayout(CentredButtons({buttonClear, buttonSkipToEnd}));
    connect(buttonOK, &QPushButton::clicked, this, [this] { dialogue_->OK(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { dialogue_->CancelButton(); });
    connect(buttonSkip, &QPushButton::clicked, this, [this] { dialogue_->Skip(); });
    connect(buttonClear, &QPushButton::clicked, this, [this] { dialogue_->Clear(); });
    connect(buttonSkipToEnd, &QPushButton::clicked, this, [this] { dialogue_->SkipToEnd(); });
    actionButtons_ = {buttonClear, buttonSkip, buttonSkipToEnd};
    FocusedButtonsAnswerEnter(*this);
}

formTempComp::~formTempComp() = default;

void formTempComp::Form_Load() {
    ResetPrompt(labelProg, labelFreq, labelLevel, "Getting Current Settings...", "");
    SetOkEnabled(true);
    ProductionWindow::Form_Load();
}

}  // namespace k45
