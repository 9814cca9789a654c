#include "production/ui/eng_test_window.h"

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
#include "frame/ini_routines.h"
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

void SelectByData(QComboBox* c, int data) {
    const QSignalBlocker block(c);
    const int i = c->findData(data);
    c->setCurrentIndex(i >= 0 ? i : c->count() - 1);
}

}  // namespace

formEngTest::formEngTest(AppContext& ctx, LocalLinks* links, QWidget* parent)
    : ProductionWindow(ctx, "formEngTest", "Engineer Test", Placement::Saved, parent),
      dlg_(PanelLinks::Of(ctx.state, *this), *this),
      remote_(dlg_, links, ctx.state.dialogs, ctx.state.locale, *this) {
    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    top->addLayout(left);
    top->addLayout(right);

    auto* g = new QGridLayout;
    textRxFreq = new QLineEdit(this);
    textRxFreq->setObjectName("textRxFreq");
    textRxFreq->setMaxLength(10);
    textTxFreq = new QLineEdit(this);
    textTxFreq->setObjectName("textTxFreq");
    textTxFreq->setMaxLength(10);
    comboRadioType = new QComboBox(this);
    comboRadioType->setObjectName("comboRadioType");
    const char* types[3] = {"5716", "5726", "5796"};
    for (int t = 0; t < 3; ++t) comboRadioType->addItem(types[t], t);
    comboRadioType->setCurrentIndex(-1);
    comboRadioRange = new QComboBox(this);
    comboRadioRange->setObjectName("comboRadioRange");
    for (int r = 0; r < 10; ++r) comboRadioRange->addItem(QString::number(r), r);
    comboRadioRange->setCurrentIndex(-1);
    g->addWidget(BuddyCaption("&Rx Freq:", textRxFreq), 0, 0);
    g->addWidget(textRxFreq, 0, 1);
    g->addWidget(BuddyCaption("&Tx Freq:", textTxFreq), 0, 2);
    g->addWidget(textTxFreq, 0, 3);
    g->addWidget(BuddyCaption("Ra&dio:", comboRadioType), 1, 0);
    g->addWidget(comboRadioType, 1, 1);
    g->addWidget(BuddyCaption("Ran&ge:", comboRadioRange), 1, 2);
    g->addWidget(comboRadioRange, 1, 3);
    left->addLayout(g);

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

    auto* m = new QGridLayout;
    comboTransmitMode = new QComboBox(this);
    comboTransmitMode->setObjectName("comboTransmitMode");
    const char* modeNames[4] = {"Tone", "Mod Balance", "Random Data", "No Modulation"};
    for (int i = 0; i < 4; ++i) comboTransmitMode->addItem(modeNames[i], i);
    scrollTxTime = new QScrollBar(Qt::Horizontal, this);
    scrollTxTime->setObjectName("scrollTxTime");
    scrollTxTime->setRange(1, 60);
    scrollTxTime->setPageStep(5);
    scrollTxTime->setMinimumWidth(80);
    labelTxTime = new QLabel("0 S", this);
    labelTxTime->setObjectName("labelTxTime");
    m->addWidget(BuddyCaption("Tx Mo&de:", comboTransmitMode), 0, 0);
    m->addWidget(comboTransmitMode, 0, 1);
    m->addWidget(BuddyCaption("T&x Time:", scrollTxTime), 0, 2);
    m->addWidget(scrollTxTime, 0, 3);
    m->addWidget(labelTxTime, 0, 4);
    left->addLayout(m);

    auto* adj = new QGroupBox("Adjustments:", this);
    adj->setObjectName("frameAdjustments");
    auto* al = new QGridLayout(adj);
    al->setVerticalSpacing(2);
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
        value->setMinimumWidth(30);
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
    textDirectDac->setMaximumWidth(70);
    textDirectDac->setValidator(new QIntValidator(-128, 255, textDirectDac));
    buttonDirectDac = new QPushButton("&Send", adj);
    buttonDirectDac->setObjectName("buttonDirectDac");
    al->addWidget(BuddyCaption("&Direct Adjust:", textDirectDac), 4, 0);
    al->addWidget(textDirectDac, 4, 1);
    al->addWidget(buttonDirectDac, 4, 2);
    left->addWidget(adj);

    diags = BuildDiagnosticsFrame(this, "&Select:", "Di&ag En:", "C&lear", false);
    right->addWidget(diags.frameDiags);
    auto* dde = new QGridLayout;
    checkTest = new QCheckBox("Test &1", this);
    checkTest->setObjectName("checkTest");
    checkTest->setChecked(true);
    checkDdeEnable = new QCheckBox("&DDE En:", this);
    checkDdeEnable->setObjectName("checkDdeEnable");
    labelDdeDst = new QLabel("Destination", this);
    labelDdeDst->setObjectName("labelDdeDst");
    labelDdeSrc = new QLabel("Source", this);
    labelDdeSrc->setObjectName("labelDdeSrc");
    labelTest = new QLabel("", this);
    labelTest->setObjectName("labelTest");
    dde->addWidget(checkTest, 0, 0);
    dde->addWidget(checkDdeEnable, 0, 1);
    dde->addWidget(labelDdeDst, 1, 0);
    dde->addWidget(labelDdeSrc, 1, 1);
    dde->addWidget(labelTest, 2, 0, 1, 2);
    right->addLayout(dde);
    auto* help = new QGridLayout;
    help->setVerticalSpacing(0);
    const char* helpTexts[] = {"Pg Up/Dn:", "Adj Up/Dn x 1", "Ctrl Pg Up/Dn:", "Adj Up/Dn x 10", "F5: Tx on Tx Freq",
                               "F6: Rx on Rx Freq"};
    for (int i = 0; i < 6; ++i) {
        auto* l = new QLabel(helpTexts[i], this);
        l->setObjectName("labelHelp");
        help->addWidget(l, i / 2, i % 2);
    }
    right->addLayout(help);
    buttonClose = new QPushButton("&Close", this);
    buttonClose->setObjectName("buttonClose");
    right->addLayout(CentredButtons({buttonClose}));
    right->addStretch();

    auto edited = [this] { dlg_.FrequencyTextsEdited(textTxFreq->text().toStdString(), textRxFreq->text().toStdString()); };
    connect(textTxFreq, &QLineEdit::textEdited, this, edited);
    connect(textRxFreq, &QLineEdit::textEdited, this, edited);
    connect(comboRadioType, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { dlg_.RadioTypeChosen(comboRadioType->currentData().toInt()); });
    connect(comboRadioRange, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { dlg_.RadioRangeChosen(comboRadioRange->currentData().toInt()); });
    connect(optionSa7025Synth, &QRadioButton::clicked, this, [this] { dlg_.Sa7025Clicked(); });
    connect(optionSa7026Synth, &QRadioButton::clicked, this, [this] { dlg_.Sa7026Clicked(); });
    connect(comboTransmitMode, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dlg_.TransmitModeChanged(i); });
    connect(scrollTxTime, &QScrollBar::valueChanged, this, [this](int v) { dlg_.TxTimeChanged(v); });
    connect(diags.comboDiagnosticSelect, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dlg_.DiagnosticSelectChanged(i); });
    connect(diags.checkDiagEn, &QCheckBox::toggled, this, [this](bool on) { dlg_.DiagEnabledChanged(on); });
    connect(diags.buttonClearDiag, &QPushButton::clicked, this, [this] { dlg_.ClearDiagnosticsButton(); });
    connect(buttonDirectDac, &QPushButton::clicked, this, [this] { dlg_.DirectAdjust(textDirectDac->text().toInt()); });
    connect(checkTest, &QCheckBox::clicked, this, [this](bool on) { dlg_.TestChecked(on); });
    connect(checkDdeEnable, &QCheckBox::clicked, this, [this](bool on) { remote_.DdeEnableClicked(on); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { dlg_.CloseButton(); });
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    FocusedButtonsAnswerEnter(*this);
}

formEngTest::~formEngTest() = default;

void formEngTest::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    RadioSpec& f = ctx_.state.engineerFrequencies;
    ReadIniInto(ctx_.state.locale, fileName, sectionName, "Rx Freq", f.rxFrequency);
    ReadIniInto(ctx_.state.locale, fileName, sectionName, "Tx Freq", f.txFrequency);
}

void formEngTest::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!wasLoaded_) return;
    const RadioSpec& f = ctx_.state.engineerFrequencies;
    WriteIniValue(ctx_.state.locale, fileName, sectionName, "Rx Freq", f.rxFrequency);
    WriteIniValue(ctx_.state.locale, fileName, sectionName, "Tx Freq", f.txFrequency);
}

void formEngTest::Form_Load() {
    wasLoaded_ = true;
    if (parentWidget()) parentWidget()->installEventFilter(this);
    dlg_.Load();
    {
        const QSignalBlocker b1(comboTransmitMode), b2(scrollTxTime), b3(diags.comboDiagnosticSelect);
        comboTransmitMode->setCurrentIndex(0);
        scrollTxTime->setValue(6);
        diags.comboDiagnosticSelect->setCurrentIndex(0);
    }
    SetTxTimeLabel("0 S", false);
    std::string error;
    remote_.Start(&error);  // without the topic the panel still works locally
}

void formEngTest::Form_Unload() {
    dlg_.Unload();
    remote_.Stop();
    const QSignalBlocker block(checkDdeEnable);
    checkDdeEnable->setChecked(false);
}

bool formEngTest::HandleKey(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && textDirectDac->hasFocus()) {
        dlg_.DirectAdjust(textDirectDac->text().toInt());
        return true;
    }
    const int code = PanelKeyCode(*e);
    return code != 0 && code != keyEnter && dlg_.KeyDown(code, PanelModifiers(*e));
}

bool formEngTest::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
    return ToolWindowBase::eventFilter(watched, event);
}

void formEngTest::SetXcvrStatus(const std::string& text) { diags.labelXcvrStatus->setText(Qs(text)); }

void formEngTest::SetFrequencyTexts(const std::string& tx, const std::string& rx) {
    textTxFreq->setText(Qs(tx));
    textRxFreq->setText(Qs(rx));
}

void formEngTest::SetCnFcCaption(const std::string& caption) { optionCnFcAdjSelect->setText(Qs(caption)); }

void formEngTest::ShowTuneValues(const std::array<std::string, 8>& values) {
    for (std::size_t i = 0; i < 8; ++i) adjustLabels[i]->setText(Qs(values[i]));
}

std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> formEngTest::SelectRadio(std::int32_t type,
                                                                                           std::int32_t range) {
    SelectByData(comboRadioType, type);
    SelectByData(comboRadioRange, range);
    return {comboRadioType->currentData().toInt(), comboRadioRange->currentData().toInt()};
}

void formEngTest::SetSynthesizer(bool sa7026) {
    const QSignalBlocker b1(optionSa7025Synth), b2(optionSa7026Synth);
    (sa7026 ? optionSa7026Synth : optionSa7025Synth)->setChecked(true);
}

void formEngTest::DisableGainAndDeviation() {
    optionAdjSelect[0]->setEnabled(false);
    optionAdjSelect[1]->setEnabled(false);
}

void formEngTest::SetCnFcEnabled(bool on) { optionCnFcAdjSelect->setEnabled(on); }

void formEngTest::SelectAdjust(AdjustSelect select) {
    QRadioButton* o = select == adjCnFc ? optionCnFcAdjSelect : optionAdjSelect[static_cast<std::size_t>(select)];
    const QSignalBlocker block(o);
    o->setChecked(true);
}

void formEngTest::SetDirectText(const std::string& text) { textDirectDac->setText(Qs(text)); }

void formEngTest::SetTxTimeLabel(const std::string& text, bool scrollEnabled) {
    labelTxTime->setText(Qs(text));
    scrollTxTime->setEnabled(scrollEnabled);
}

void formEngTest::SetDestination(const std::string& text) { labelDdeDst->setText(Qs(text)); }
void formEngTest::SetSource(const std::string& text) { labelDdeSrc->setText(Qs(text)); }
void formEngTest::SetLinkStatus(const std::string& text) { labelTest->setText(Qs(text)); }

void formEngTest::ClearDdeEnable() {
    const QSignalBlocker block(checkDdeEnable);
    checkDdeEnable->setChecked(false);
}

void formEngTest::SelectTransmitMode(int mode) {
    const QSignalBlocker block(comboTransmitMode);
    comboTransmitMode->setCurrentIndex(mode);
    const bool timed = mode == txModBalance || mode == txRandomData;
    scrollTxTime->setEnabled(timed);
}

}  // namespace k45
