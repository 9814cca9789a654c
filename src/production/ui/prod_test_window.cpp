#include "production/ui/prod_test_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "frame/app_context.h"
#include "frame/main_frame.h"
#include "model/app_state.h"
#include "ui/combo_fillers.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

constexpr const char* kAdjustCaptions[7] = {"Rx Gain Ad&j:",      "Tx Deviation Ad&j:", "Front-End Ad&j:",
                                            "Mod Flatness Ad&j:", "Power Ad&j:",        "RSSI Cal Ad&j:",
                                            "Power Cal Ad&j:"};
constexpr const char* kAdjustLabelNames[8] = {"labelGainAdj", "labelDevAdj",     "labelFrontEndAdj", "labelModAdj",
                                              "labelPwrAdj",  "labelRssiCalAdj", "labelPwrCalAdj",   "labelCnFcAdj"};

QComboBox* Combo(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setMaximumWidth(110);
    return c;
}

void SelectByData(QComboBox* c, int data) {
    const QSignalBlocker block(c);
    const int i = c->findData(data);
    c->setCurrentIndex(i >= 0 ? i : c->count() - 1);
}

}  // namespace

formProdTest::formProdTest(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formProdTest", "Production Test", Placement::Saved, parent),
      dlg_(PanelLinks::Of(ctx.state, *this), *this) {
    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    top->addLayout(left);
    top->addLayout(right);

    // Radio and frequencies.
    auto* radio = new QGridLayout;
    comboChannel = Combo(this, "comboChannel");
    comboChannel->addItem("Freq Pair", 8);
    for (int c = 0; c < 8; ++c) comboChannel->addItem(QString::number(c + 1), c);
    comboFreqPair = Combo(this, "comboFreqPair");
    comboFreqPair->addItem("  ", 255);
    comboFreqPair->addItem("LOW", 0);
    comboFreqPair->addItem("MID", 1);
    comboFreqPair->addItem("HIGH", 2);
    comboFreqPair->addItem("  ", 255);
    comboRadioType = Combo(this, "comboRadioType");
    comboRadioRange = Combo(this, "comboRadioRange");
    for (int r = 0; r < 10; ++r) comboRadioRange->addItem(QString::number(r), r);
    textRxFreq = new QLineEdit("0.000000", this);
    textRxFreq->setObjectName("textRxFreq");
    textRxFreq->setReadOnly(true);
    textTxFreq = new QLineEdit("0.000000", this);
    textTxFreq->setObjectName("textTxFreq");
    textTxFreq->setReadOnly(true);
    textRxFreq->setMaximumWidth(110);
    textTxFreq->setMaximumWidth(110);
    radio->addWidget(BuddyCaption("C&hannel:", comboChannel), 0, 0);
    radio->addWidget(comboChannel, 0, 1);
    radio->addWidget(BuddyCaption("Fre&q Pair:", comboFreqPair), 0, 2);
    radio->addWidget(comboFreqPair, 0, 3);
    radio->addWidget(BuddyCaption("Ra&dio:", comboRadioType), 1, 0);
    radio->addWidget(comboRadioType, 1, 1);
    radio->addWidget(BuddyCaption("Ran&ge:", comboRadioRange), 1, 2);
    radio->addWidget(comboRadioRange, 1, 3);
    radio->addWidget(new QLabel("Rx Freq:", this), 2, 0);
    radio->addWidget(textRxFreq, 2, 1);
    radio->addWidget(new QLabel("Tx Freq:", this), 2, 2);
    radio->addWidget(textTxFreq, 2, 3);
    left->addLayout(radio);

    // Synthesizer, transmit mode, offsets.
    auto* synth = new QGroupBox("Synthesi&zer", this);
    synth->setObjectName("frameSa702xSynth");
    auto* sl = new QHBoxLayout(synth);
    optionSa7025Synth = new QRadioButton("SA7025", synth);
    optionSa7025Synth->setObjectName("optionSa7025Synth");
    optionSa7025Synth->setChecked(true);
    optionSa7026Synth = new QRadioButton("SA7026 SA8026", synth);
    optionSa7026Synth->setObjectName("optionSa7026Synth");
    sl->addWidget(optionSa7025Synth);
    sl->addWidget(optionSa7026Synth);
    left->addWidget(synth);

    auto* modes = new QGridLayout;
    comboTransmitMode = Combo(this, "comboTransmitMode");
    const char* modeNames[4] = {"Tone", "Mod Balance", "Random Data", "No Modulation"};
    for (int m = 0; m < 4; ++m) comboTransmitMode->addItem(modeNames[m], m);
    comboRxOffset = Combo(this, "comboRxOffset");
    comboTxOffset = Combo(this, "comboTxOffset");
    for (int i = 0; i <= 16; ++i) {
        const int hz = OffsetOfIndex(i);
        const QString text = (hz > 0 ? "+" : "") + QString::number(hz / 1000) + " kHz";
        comboRxOffset->addItem(text, hz);
        comboTxOffset->addItem(text, hz);
    }
    scrollTxTime = new QScrollBar(Qt::Horizontal, this);
    scrollTxTime->setObjectName("scrollTxTime");
    scrollTxTime->setRange(1, 60);
    scrollTxTime->setSingleStep(1);
    scrollTxTime->setPageStep(5);
    scrollTxTime->setMinimumWidth(90);
    labelTxTime = new QLabel("1 S", this);
    labelTxTime->setObjectName("labelTxTime");
    modes->addWidget(BuddyCaption("Tx Mo&de:", comboTransmitMode), 0, 0);
    modes->addWidget(comboTransmitMode, 0, 1);
    modes->addWidget(BuddyCaption("T&x Time:", scrollTxTime), 0, 2);
    modes->addWidget(scrollTxTime, 0, 3);
    modes->addWidget(labelTxTime, 0, 4);
    modes->addWidget(BuddyCaption("&Rx Offset:", comboRxOffset), 1, 0);
    modes->addWidget(comboRxOffset, 1, 1);
    modes->addWidget(BuddyCaption("&Tx Offset:", comboTxOffset), 1, 2);
    modes->addWidget(comboTxOffset, 1, 3);
    left->addLayout(modes);

    // Adjustments.
    auto* adj = new QGroupBox("Adjustments:", this);
    adj->setObjectName("frameAdjustments");
    auto* al = new QGridLayout(adj);
    for (int i = 0; i < 8; ++i) {
        QRadioButton* option = nullptr;
        if (i < 7) {
            option = optionAdjSelect[static_cast<std::size_t>(i)] = new QRadioButton(kAdjustCaptions[i], adj);
            option->setObjectName(QString("optionAdjSelect_%1").arg(i));
        } else {
            option = optionCnFcAdjSelect = new QRadioButton("Rx CN Ad&j:", adj);
            option->setObjectName("optionCnFcAdjSelect");
            option->setEnabled(false);
        }
        auto* value = adjustLabels[static_cast<std::size_t>(i)] = new QLabel("0", adj);
        value->setObjectName(kAdjustLabelNames[i]);
        value->setMinimumWidth(36);
        al->addWidget(option, i % 4, (i / 4) * 2);
        al->addWidget(value, i % 4, (i / 4) * 2 + 1);
        connect(option, &QRadioButton::toggled, this, [this, i](bool on) {
            if (on) dlg_.AdjustSelectChanged(static_cast<AdjustSelect>(i));
        });
    }
    optionAdjSelect[4]->setChecked(true);
    textDirectDac = new QLineEdit(adj);
    textDirectDac->setObjectName("textDirectDac");
    textDirectDac->setMaxLength(4);
    textDirectDac->setValidator(new QIntValidator(-128, 255, textDirectDac));
    textDirectDac->setMaximumWidth(70);
    buttonDirectDac = new QPushButton("&Send", adj);
    buttonDirectDac->setObjectName("buttonDirectDac");
    al->addWidget(BuddyCaption("D&irect Adjust:", textDirectDac), 4, 0);
    al->addWidget(textDirectDac, 4, 1);
    al->addWidget(buttonDirectDac, 4, 2);
    left->addWidget(adj);

    // Diagnostics, key help, Close.
    diags = BuildDiagnosticsFrame(this, "Se&lect:", "Diag En:", "Cle&ar", true);
    right->addWidget(diags.frameDiags);
    auto* help = new QGridLayout;
    const char* helpTexts[] = {"Pg Up/Dn:", "Adj Up/Dn x 1", "Ctrl Pg Up/Dn:", "Adj Up/Dn x 10",
                               "F2: Edit DAC Values", "F3: Calibrate Pwr Table", "F4: Calibrate RSSI Table",
                               "F5: Tx on Tx Frequency", "F6: Rx on Rx Frequency", "F7: xxxx xxxx", "F8: xxxx xxxx",
                               "F9: Get Eeprom Settings", "F10: Save Settings"};
    for (int i = 0; i < 13; ++i) {
        auto* l = new QLabel(helpTexts[i], this);
        l->setObjectName("labelHelp");
        help->addWidget(l, i < 4 ? i / 2 : 2 + (i - 4) / 2, i < 4 ? i % 2 : (i - 4) % 2);
        help->setVerticalSpacing(0);
    }
    right->addLayout(help);
    buttonClose = new QPushButton("&Close", this);
    buttonClose->setObjectName("buttonClose");
    right->addLayout(CentredButtons({buttonClose}));
    right->addStretch();

    // Wiring: operator actions only (code selects with the signals blocked).
    connect(comboRadioType, QOverload<int>::of(&QComboBox::activated), this, [this](int) {
        const int type = comboRadioType->currentData().toInt();
        if (comboRadioRange->currentIndex() >= 0) {
            const int before = comboRadioRange->currentData().toInt();
            {
                const QSignalBlocker block(comboRadioRange);
                FillRadioRangeCombo(*comboRadioRange, ctx_.state, type);
            }
            if (comboRadioRange->currentData().toInt() != before || true)
                dlg_.RadioRangeSelected(comboRadioRange->currentData().toInt());
        }
        dlg_.RadioTypeSelected(type);
    });
    connect(comboRadioRange, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { dlg_.RadioRangeSelected(comboRadioRange->currentData().toInt()); });
    connect(comboRxOffset, QOverload<int>::of(&QComboBox::activated), this, [this](int i) { dlg_.RxOffsetSelected(i); });
    connect(comboTxOffset, QOverload<int>::of(&QComboBox::activated), this, [this](int i) { dlg_.TxOffsetSelected(i); });
    connect(comboChannel, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        const bool pair = i == 0;
        comboFreqPair->setEnabled(pair);
        comboRadioType->setEnabled(pair);
        comboRadioRange->setEnabled(pair);
        dlg_.ChannelSelected(i);
    });
    connect(comboFreqPair, QOverload<int>::of(&QComboBox::activated), this, [this](int i) { dlg_.FreqPairSelected(i); });
    connect(diags.comboDiagnosticSelect, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dlg_.DiagnosticSelectChanged(i); });
    connect(diags.checkDiagEn, &QCheckBox::toggled, this, [this](bool on) { dlg_.DiagEnabledChanged(on); });
    connect(diags.buttonClearDiag, &QPushButton::clicked, this, [this] { dlg_.ClearDiagnosticsButton(); });
    connect(comboTransmitMode, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dlg_.TransmitModeChanged(comboTransmitMode->itemData(i).toInt()); });
    connect(scrollTxTime, &QScrollBar::valueChanged, this, [this](int v) { dlg_.TxTimeChanged(v); });
    connect(optionSa7025Synth, &QRadioButton::clicked, this, [this] { dlg_.Sa7025Clicked(); });
    connect(optionSa7026Synth, &QRadioButton::clicked, this, [this] { dlg_.Sa7026Clicked(); });
    connect(buttonDirectDac, &QPushButton::clicked, this, [this] { dlg_.DirectValue(textDirectDac->text().toInt()); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { dlg_.CloseButton(); });
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    FocusedButtonsAnswerEnter(*this);
}

formProdTest::~formProdTest() = default;

void formProdTest::Form_Load() {
    // Keys reach the panel before its controls, also when its frame holds the focus.
    if (parentWidget()) parentWidget()->installEventFilter(this);
    dlg_.Load();
    {
        const QSignalBlocker b1(comboRadioType);
        comboRadioType->clear();
        FillRadioTypeCombo(*comboRadioType, ctx_.state);
        comboRadioType->setCurrentIndex(-1);
    }
    SyncFromDialogue();
}

void formProdTest::Form_Unload() { dlg_.Unload(); }

void formProdTest::SyncFromDialogue() {
    const QSignalBlocker b1(comboChannel), b2(comboFreqPair), b3(comboRxOffset), b4(comboTxOffset),
        b5(comboTransmitMode), b6(scrollTxTime), b7(diags.comboDiagnosticSelect), b8(optionSa7025Synth),
        b9(optionSa7026Synth);
    comboChannel->setCurrentIndex(dlg_.channelIndex());
    comboFreqPair->setCurrentIndex(dlg_.freqPairIndex());
    comboRxOffset->setCurrentIndex(dlg_.rxOffsetIndex());
    comboTxOffset->setCurrentIndex(dlg_.txOffsetIndex());
    comboTransmitMode->setCurrentIndex(dlg_.transmitMode());
    scrollTxTime->setValue(dlg_.txTime());
    diags.comboDiagnosticSelect->setCurrentIndex(0);
    (dlg_.sa7026Selected() ? optionSa7026Synth : optionSa7025Synth)->setChecked(true);
    optionCnFcAdjSelect->setEnabled(dlg_.cnFcEnabled());
    SetTxTimeLabel("0 S", false);
    comboFreqPair->setEnabled(true);
    comboRadioType->setEnabled(true);
    comboRadioRange->setEnabled(true);
}

bool formProdTest::HandleKey(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (textDirectDac->hasFocus()) {
            dlg_.DirectValue(textDirectDac->text().toInt());
            return true;
        }
        return false;
    }
    const int code = PanelKeyCode(*e);
    return code != 0 && dlg_.KeyDown(code, PanelModifiers(*e));
}

bool formProdTest::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
    return ToolWindowBase::eventFilter(watched, event);
}

void formProdTest::keyPressEvent(QKeyEvent* e) {
    if (HandleKey(e)) e->accept();
    else ToolWindowBase::keyPressEvent(e);
}

void formProdTest::SetXcvrStatus(const std::string& text) { diags.labelXcvrStatus->setText(Qs(text)); }

void formProdTest::SetFrequencyTexts(const std::string& tx, const std::string& rx) {
    textTxFreq->setText(Qs(tx));
    textRxFreq->setText(Qs(rx));
}

void formProdTest::SetCnFcCaption(const std::string& caption) { optionCnFcAdjSelect->setText(Qs(caption)); }

void formProdTest::ShowTuneValues(const std::array<std::string, 8>& values) {
    for (std::size_t i = 0; i < 8; ++i) adjustLabels[i]->setText(Qs(values[i]));
}

std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> formProdTest::SelectRadio(std::int32_t type,
                                                                                            std::int32_t range) {
    SelectByData(comboRadioType, type);
    {
        // The modem's own range stays: the list offers the type's ranges with it selected.
        const QSignalBlocker block(comboRadioRange);
        FillRadioRangeCombo(*comboRadioRange, ctx_.state, comboRadioType->currentData().toInt());
    }
    SelectByData(comboRadioRange, range);
    std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> r;
    if (comboRadioType->currentIndex() >= 0) r.first = comboRadioType->currentData().toInt();
    if (comboRadioRange->currentIndex() >= 0) r.second = comboRadioRange->currentData().toInt();
    return r;
}

void formProdTest::SetSynthesizer(bool sa7026) {
    const QSignalBlocker b1(optionSa7025Synth), b2(optionSa7026Synth);
    (sa7026 ? optionSa7026Synth : optionSa7025Synth)->setChecked(true);
}

void formProdTest::DisableGainAndDeviation() {
    optionAdjSelect[0]->setEnabled(false);
    optionAdjSelect[1]->setEnabled(false);
}

void formProdTest::SetCnFcEnabled(bool on) { optionCnFcAdjSelect->setEnabled(on); }

void formProdTest::SelectAdjust(AdjustSelect select) {
    QRadioButton* o = select == adjCnFc ? optionCnFcAdjSelect : optionAdjSelect[static_cast<std::size_t>(select)];
    const QSignalBlocker block(o);
    o->setChecked(true);
}

void formProdTest::SetDirectText(const std::string& text) { textDirectDac->setText(Qs(text)); }

void formProdTest::SetTxTimeLabel(const std::string& text, bool scrollEnabled) {
    labelTxTime->setText(Qs(text));
    scrollTxTime->setEnabled(scrollEnabled);
}

void formProdTest::SelectFreqPair(int index) {
    const QSignalBlocker block(comboFreqPair);
    comboFreqPair->setCurrentIndex(index);
}

void formProdTest::OpenDacValues() {
    if (ToolForm* f = ctx_.form(ToolWindow::formDacVals))
        if (ctx_.mainFrame) ctx_.mainFrame->OpenForm(*f);
}

void formProdTest::OpenCalibration(ToolWindow which, std::int32_t rx, std::int32_t tx) {
    ToolForm* f = ctx_.form(which);
    if (!f) return;
    if (f->loaded())
        if (auto* w = dynamic_cast<QWidget*>(f)) child_window::Close(w);
    if (auto* o = dynamic_cast<FreqOffsetForm*>(f)) o->SetFreqOffsets(rx, tx);
    if (ctx_.mainFrame) ctx_.mainFrame->ShowForm(*f);
}

void formProdTest::OpenPowerCalibration(std::int32_t rx, std::int32_t tx) { OpenCalibration(ToolWindow::formProgPwr, rx, tx); }

void formProdTest::OpenRssiCalibration(std::int32_t rx, std::int32_t tx) { OpenCalibration(ToolWindow::formProgRssi, rx, tx); }

void formProdTest::CountResend() {
    if (ctx_.mainFrame) ctx_.mainFrame->IncrementTestNumber(true);
}

}  // namespace k45
