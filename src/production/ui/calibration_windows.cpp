#include "production/ui/calibration_windows.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/app_context.h"
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

}  // namespace

// ---- power table

formProgPwr::formProgPwr(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formProgPwr", "Calibrate Power Table", Placement::Saved, parent),
      dlg_(PanelLinks::Of(ctx.state, *this), *this) {
    auto* top = new QVBoxLayout(this);
    labelProg = Label(this, "labelProg", "Getting Modem Settings...");
    labelFreq = Label(this, "labelFreq", "Please Wait");
    labelLevel = Label(this, "labelLevel", "......................");
    for (QLabel* l : {labelProg, labelFreq, labelLevel}) {
        l->setAlignment(Qt::AlignCenter);
        top->addWidget(l);
    }
    auto* g = new QGridLayout;
    auto* cap1 = Label(this, "labelDiagnostics_1", "Power Adjust:");
    labelPwrAdj = Label(this, "labelPwrAdj", "0", true);
    labelPwrAdjHex = Label(this, "labelPwrAdjHex", "0x00", true);
    auto* cap0 = Label(this, "labelDiagnostics_0", "Power A/D Value:");
    labelPwrA2D = Label(this, "labelPwrA2D", "0", true);
    labelPwrA2DHex = Label(this, "labelPwrA2DHex", "0x00", true);
    g->addWidget(cap1, 0, 0);
    g->addWidget(labelPwrAdj, 0, 1);
    g->addWidget(labelPwrAdjHex, 0, 2);
    g->addWidget(cap0, 1, 0);
    g->addWidget(labelPwrA2D, 1, 1);
    g->addWidget(labelPwrA2DHex, 1, 2);
    top->addLayout(g);
    buttonOK = Button(this, "buttonOK", "&OK");
    buttonOK->setDefault(true);
    buttonCancel = Button(this, "buttonCancel", "&Cancel");
    buttonClear = Button(this, "buttonClear", "C&lear");
    top->addLayout(CentredButtons({buttonOK, buttonCancel, buttonClear}));
    connect(buttonOK, &QPushButton::clicked, this, [this] { dlg_.OK(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { dlg_.Cancel(); });
    connect(buttonClear, &QPushButton::clicked, this, [this] { dlg_.Clear(); });
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    installEventFilter(this);
    FocusedButtonsAnswerEnter(*this);
}

formProgPwr::~formProgPwr() = default;

void formProgPwr::Form_Load() {
    labelProg->setText("Getting Modem Settings...");
    labelFreq->setText("Please Wait");
    labelLevel->setText("......................");
    buttonOK->setEnabled(true);
    dlg_.Load();
}

bool formProgPwr::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* e = static_cast<QKeyEvent*>(event);
        const int code = PanelKeyCode(*e);
        if (code != 0 && code != keyEnter && dlg_.KeyDown(code, PanelModifiers(*e))) return true;
    }
    return ToolWindowBase::eventFilter(watched, event);
}

void formProgPwr::SetProg(const std::string& t) { labelProg->setText(Qs(t)); }
void formProgPwr::SetFreq(const std::string& t) { labelFreq->setText(Qs(t)); }
void formProgPwr::SetLevel(const std::string& t) { labelLevel->setText(Qs(t)); }
void formProgPwr::SetPowerAdjust(const std::string& dec, const std::string& hex) {
    labelPwrAdj->setText(Qs(dec));
    labelPwrAdjHex->setText(Qs(hex));
}
void formProgPwr::SetPowerReading(const std::string& dec, const std::string& hex) {
    labelPwrA2D->setText(Qs(dec));
    labelPwrA2DHex->setText(Qs(hex));
}
void formProgPwr::SetOkEnabled(bool on) { buttonOK->setEnabled(on); }
void formProgPwr::FocusOk() { buttonOK->setFocus(); }

// ---- RSSI windows

RssiWindowBase::RssiWindowBase(AppContext& ctx, const char* objectName, const char* caption, QWidget* parent)
    : ProductionWindow(ctx, objectName, caption, Placement::Saved, parent) {}

void RssiWindowBase::SetProg(const std::string& t) { labelProg->setText(Qs(t)); }
void RssiWindowBase::SetFreq(const std::string& t) { labelFreq->setText(Qs(t)); }
void RssiWindowBase::SetLevel(const std::string& t) { labelLevel->setText(Qs(t)); }
void RssiWindowBase::SetSavedReading(const std::string& t) {
    if (labelSavedA2D) labelSavedA2D->setText(Qs(t));
}
void RssiWindowBase::SetRssiReading(const std::string& dec, const std::string& hex) {
    labelRssiA2D->setText(Qs(dec));
    if (labelRssiA2DHex) labelRssiA2DHex->setText(Qs(hex));
}
void RssiWindowBase::SetTemperature(const std::string& text, const std::string& hex) {
    labelTemp->setText(Qs(text));
    if (labelTempA2DHex) labelTempA2DHex->setText(Qs(hex));
}
void RssiWindowBase::SetOkEnabled(bool on) { buttonOK->setEnabled(on); }
void RssiWindowBase::FocusOk() { buttonOK->setFocus(); }

formProgRssi::formProgRssi(AppContext& ctx, QWidget* parent)
    : RssiWindowBase(ctx, "formProgRssi", "Calibrate RSSI Table", parent),
      dlg_(PanelLinks::Of(ctx.state, *this), *this) {
    auto* top = new QVBoxLayout(this);
    labelProg = Label(this, "labelProg", "Getting Modem Settings...");
    labelFreq = Label(this, "labelFreq", "Please Wait");
    labelLevel = Label(this, "labelLevel", "......................");
    for (QLabel* l : {labelProg, labelFreq, labelLevel}) {
        l->setAlignment(Qt::AlignCenter);
        top->addWidget(l);
    }
    auto* g = new QGridLayout;
    labelRssiA2D = Label(this, "labelRssiA2D", "0", true);
    labelRssiA2DHex = Label(this, "labelRssiA2DHex", "0x00", true);
    labelTemp = Label(this, "labelTemp", "0 C", true);
    labelTempA2DHex = Label(this, "labelTempA2DHex", "0x00", true);
    g->addWidget(Label(this, "labelDiagnostics_0", "RSSI A/D Value:"), 0, 0);
    g->addWidget(labelRssiA2D, 0, 1);
    g->addWidget(labelRssiA2DHex, 0, 2);
    g->addWidget(Label(this, "labelDiagnostics_1", "Temperature:"), 1, 0);
    g->addWidget(labelTemp, 1, 1);
    g->addWidget(labelTempA2DHex, 1, 2);
    top->addLayout(g);
    buttonOK = Button(this, "buttonOK", "&OK");
    buttonOK->setDefault(true);
    buttonCancel = Button(this, "buttonCancel", "&Cancel");
    buttonClear = Button(this, "buttonClear", "C&lear");
    top->addLayout(CentredButtons({buttonOK, buttonCancel, buttonClear}));
    connect(buttonOK, &QPushButton::clicked, this, [this] { dlg_.OK(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { dlg_.Cancel(); });
    connect(buttonClear, &QPushButton::clicked, this, [this] { dlg_.Clear(); });
    FocusedButtonsAnswerEnter(*this);
}

formProgRssi::~formProgRssi() = default;

void formProgRssi::Form_Load() {
    labelProg->setText("Getting Modem Settings...");
    labelFreq->setText("Please Wait");
    labelLevel->setText("......................");
    buttonOK->setEnabled(true);
    dlg_.Load();
}

formTempComp::formTempComp(AppContext& ctx, QWidget* parent)
    : RssiWindowBase(ctx, "formTempComp", "RSSI Temp Comp", parent),
      dlg_(PanelLinks::Of(ctx.state, *this), *this) {
    auto* top = new QVBoxLayout(this);
    labelProg = Label(this, "labelProg", "Getting Current Settings...");
    labelFreq = Label(this, "labelFreqLevel", "Please Wait");
    labelLevel = Label(this, "labelTempLevel", "");
    for (QLabel* l : {labelProg, labelFreq, labelLevel}) {
        l->setAlignment(Qt::AlignCenter);
        top->addWidget(l);
    }
    auto* g = new QGridLayout;
    labelRssiA2D = Label(this, "labelRssiA2D", "0", true);
    labelTemp = Label(this, "labelTemperature", "0 C", true);
    labelSavedA2D = Label(this, "labelSavedA2D", "0", true);
    g->addWidget(Label(this, "labelDiagnostics_0", "RSSI A/D Value:"), 0, 0);
    g->addWidget(labelRssiA2D, 0, 1);
    g->addWidget(Label(this, "labelDiagnostics_1", "Temperature:"), 1, 0);
    g->addWidget(labelTemp, 1, 1);
    g->addWidget(Label(this, "labelDiagnostics_2", "Saved A/D:"), 2, 0);
    g->addWidget(labelSavedA2D, 2, 1);
    top->addLayout(g);
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
    connect(buttonOK, &QPushButton::clicked, this, [this] { dlg_.OK(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { dlg_.CancelButton(); });
    connect(buttonSkip, &QPushButton::clicked, this, [this] { dlg_.Skip(); });
    connect(buttonClear, &QPushButton::clicked, this, [this] { dlg_.Clear(); });
    connect(buttonSkipToEnd, &QPushButton::clicked, this, [this] { dlg_.SkipToEnd(); });
    FocusedButtonsAnswerEnter(*this);
}

formTempComp::~formTempComp() = default;

void formTempComp::Form_Load() {
    labelProg->setText("Getting Current Settings...");
    labelFreq->setText("Please Wait");
    labelLevel->setText("");
    buttonOK->setEnabled(true);
    dlg_.Load();
}

}  // namespace k45
