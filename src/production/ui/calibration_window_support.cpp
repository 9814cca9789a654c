#include "production/ui/calibration_window_support.h"

#include <QGridLayout>
#include <QLabel>

#include "platform/qt/qt_text.h"

namespace k45 {

QGridLayout* PromptAndReadings(QWidget* w, QLabel*& prog, QLabel*& freq, QLabel*& level, const char* progText,
                               const char* freqName, const char* levelName, const char* levelText) {
    auto* top = new QVBoxLayout(w);
    prog = kit::Label(w, "labelProg", progText);
    freq = kit::Label(w, freqName, "Please Wait");
    level = kit::Label(w, levelName, levelText);
    for (QLabel* l : {prog, freq, level}) {
        l->setAlignment(Qt::AlignCenter);
        top->addWidget(l);
    }
    auto* g = new QGridLayout;
    top->addLayout(g);
    return g;
}

void ReadingRow(QGridLayout* g, int row, QLabel* caption, QLabel* value, QLabel* hex) {
    g->addWidget(caption, row, 0);
    g->addWidget(value, row, 1);
    if (hex) g->addWidget(hex, row, 2);
}

void ResetPrompt(QLabel* prog, QLabel* freq, QLabel* level, const char* progText, const char* levelText) {
    prog->setText(progText);
    freq->setText("Please Wait");
    level->setText(levelText);
}

QLabel* ReadingValue(QWidget* parent, const char* name, const char* text) { return kit::Value(parent, name, text, 60); }

void RssiControls::SetProg(const std::string& t) { labelProg->setText(QText(t)); }
void RssiControls::SetFreq(const std::string& t) { labelFreq->setText(QText(t)); }
void RssiControls::SetLevel(const std::string& t) { labelLevel->setText(QText(t)); }
void RssiControls::SetSavedReading(const std::string& t) {
    if (labelSavedA2D) labelSavedA2D->setText(QText(t));
}
void RssiControls::SetRssiReading(const std::string& dec, const std::string& hex) {
    labelRssiA2D->setText(QText(dec));
    if (labelRssiA2DHex) labelRssiA2DHex->setText(QText(hex));
}
void RssiControls::SetTemperature(const std::string& text, const std::string& hex) {
    labelTemp->setText(QText(text));
    if (labelTempA2DHex) labelTempA2DHex->setText(QText(hex));
}
void RssiControls::SetOkEnabled(bool on) {
    okWanted_ = on;
    ShowButtonsEnabled();
}
void RssiControls::SetActionsEnabled(bool on) {
    ready_ = on;
    ShowButtonsEnabled();
}
void RssiControls::ShowButtonsEnabled() {
    buttonOK->setEnabled(ready_ && okWanted_);
    for (QPushButton* b : actionButtons_) b->setEnabled(ready_);
}
void RssiControls::FocusOk() { buttonOK->setFocus(); }

}  // namespace k45
