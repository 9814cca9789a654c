#include "production/ui/calibration_windows.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "platform/qt/qt_text.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

QLabel* Label(QWidget* parent, const char* name, const char* text, bool framed = false) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    if (framed) {
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(60);
    }
    return l;
}

QPushButton* Button(QWidget* parent, const char* name, const char* text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

// The three centred lines that tell the operator what to set and do, above the grid of
// readings the function returns.
QGridLayout* PromptAndReadings(QWidget* w, QLabel*& prog, QLabel*& freq, QLabel*& level, const char* progText,
                               const char* freqName, const char* levelName, const char* levelText) {
    auto* top = new QVBoxLayout(w);
    prog = Label(w, "labelProg", progText);
    freq = Label(w, freqName, "Please Wait");
    level = Label(w, levelName, levelText);
    for (QLabel* l : {prog, freq, level}) {
        l->setAlignment(Qt::AlignCenter);
        top->addWidget(l);
    }
    auto* g = new QGridLayout;
    top->addLayout(g);
    return g;
}

// A row of readings: its caption, the value and, when there is one, the value in hex.
void ReadingRow(QGridLayout* g, int row, QLabel* caption, QLabel* value, QLabel* hex = nullptr) {
    g->addWidget(caption, row, 0);
    g->addWidget(value, row, 1);
    if (hex) g->addWidget(hex, row, 2);
}

void ResetPrompt(QLabel* prog, QLabel* freq, QLabel* level, const char* progText, const char* levelText) {
    prog->setText(progText);
    freq->setText("Please Wait");
    level->setText(levelText);
}

constexpr const char* kDots = "......................";

// OK (the default), Cancel and Clear in a centred row below the rest, wired to the dialogue.
template <class Dialogue>
void OkCancelClear(QWidget* w, Dialogue& dlg, QPushButton*& ok, QPushButton*& cancel, QPushButton*& clear) {
    ok = Button(w, "buttonOK", "&OK");
    ok->setDefault(true);
    cancel = Button(w, "buttonCancel", "&Cancel");
    clear = Button(w, "buttonClear", "C&lear");
    static_cast<QVBoxLayout*>(w->layout())->addLayout(CentredButtons({ok, cancel, clear}));
    QObject::connect(ok, &QPushButton::clicked, w, [&dlg] { dlg.OK(); });
    QObject::connect(cancel, &QPushButton::clicked, w, [&dlg] { dlg.Cancel(); });
    QObject::connect(clear, &QPushButton::clicked, w, [&dlg] { dlg.Clear(); });
}

}  // namespace

// ---- power table

formProgPwr::formProgPwr(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formProgPwr", "Calibrate Power Table", Placement::Saved, parent) {
    QGridLayout* g = PromptAndReadings(this, labelProg, labelFreq, labelLevel, "Getting Modem Settings...", "labelFreq",
                                       "labelLevel", kDots);
    labelPwrAdj = Label(this, "labelPwrAdj", "0", true);
    labelPwrAdjHex = Label(this, "labelPwrAdjHex", "0x00", true);
    labelPwrA2D = Label(this, "labelPwrA2D", "0", true);
    labelPwrA2DHex = Label(this, "labelPwrA2DHex", "0x00", true);
    ReadingRow(g, 0, Label(this, "labelDiagnostics_1", "Power Adjust:"), labelPwrAdj, labelPwrAdjHex);
    ReadingRow(g, 1, Label(this, "labelDiagnostics_0", "Power A/D Value:"), labelPwrA2D, labelPwrA2DHex);
    OkCancelClear(this, dialogue(), buttonOK, buttonCancel, buttonClear);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    installEventFilter(this);
    FocusedButtonsAnswerEnter(*this);
}

formProgPwr::~formProgPwr() = default;

void formProgPwr::Form_Load() {
    ResetPrompt(labelProg, labelFreq, labelLevel, "Getting Modem Settings...", kDots);
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

// ---- RSSI windows

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

formProgRssi::formProgRssi(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formProgRssi", "Calibrate RSSI Table", Placement::Saved, parent) {
    QGridLayout* g = PromptAndReadings(this, labelProg, labelFreq, labelLevel, "Getting Modem Settings...", "labelFreq",
                                       "labelLevel", kDots);
    labelRssiA2D = Label(this, "labelRssiA2D", "0", true);
    labelRssiA2DHex = Label(this, "labelRssiA2DHex", "0x00", true);
    labelTemp = Label(this, "labelTemp", "0 C", true);
    labelTempA2DHex = Label(this, "labelTempA2DHex", "0x00", true);
    ReadingRow(g, 0, Label(this, "labelDiagnostics_0", "RSSI A/D Value:"), labelRssiA2D, labelRssiA2DHex);
    ReadingRow(g, 1, Label(this, "labelDiagnostics_1", "Temperature:"), labelTemp, labelTempA2DHex);
    OkCancelClear(this, dialogue(), buttonOK, buttonCancel, buttonClear);
    actionButtons_ = {buttonClear};
    FocusedButtonsAnswerEnter(*this);
}

formProgRssi::~formProgRssi() = default;

void formProgRssi::Form_Load() {
    ResetPrompt(labelProg, labelFreq, labelLevel, "Getting Modem Settings...", kDots);
    SetOkEnabled(true);
    ProductionWindow::Form_Load();
}

formTempComp::formTempComp(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formTempComp", "RSSI Temp Comp", Placement::Saved, parent) {
    QGridLayout* g = PromptAndReadings(this, labelProg, labelFreq, labelLevel, "Getting Current Settings...",
                                       "labelFreqLevel", "labelTempLevel", "");
    labelRssiA2D = Label(this, "labelRssiA2D", "0", true);
    labelTemp = Label(this, "labelTemperature", "0 C", true);
    labelSavedA2D = Label(this, "labelSavedA2D", "0", true);
    ReadingRow(g, 0, Label(this, "labelDiagnostics_0", "RSSI A/D Value:"), labelRssiA2D);
    ReadingRow(g, 1, Label(this, "labelDiagnostics_1", "Temperature:"), labelTemp);
    ReadingRow(g, 2, Label(this, "labelDiagnostics_2", "Saved A/D:"), labelSavedA2D);
    auto* top = static_cast<QVBoxLayout*>(layout());
    buttonOK = Button(this, "buttonOK", "&OK");
    buttonOK->setToolTip("Tells Unit to sample the RSSI A/D for the given RSSI / Temperature Point.");
    buttonCancel = Button(this, "buttonCancel", "&Cancel");
    buttonCancel->setToolTip("Closes this Utility.");
    buttonSkip = Button(this, "buttonSkip", "S&kip");
    buttonSkip->setToolTip("Skips to next RSSI and/or Temperature Point.");
    buttonSkip->setDefault(true);
    buttonClear = Button(this, "buttonClear", "C&lear");
    buttonClear->setToolTip("Clears the Current Temperature Table in the Unit.");
    buttonSkipToEnd = Button(this, "buttonSkipToEnd", "&Skip to End");
    buttonSkipToEnd->setToolTip("Skips to End to Build and/or Program Temperature Table.");
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
