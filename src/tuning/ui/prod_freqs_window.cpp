#include "tuning/ui/prod_freqs_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "base/converters.h"
#include "base/utilities.h"
#include "platform/qt/qt_text.h"
#include "tuning/tune_selection.h"
#include "tuning/ui/captioned_grid.h"
#include "ui/combo_fillers.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"
#include "wiring/app_context.h"

namespace k45 {
namespace {

const char* const kTuneParmCaptions[7] = {"Pwr", "Mod", "Front", "RxFC8", "RxFC5", "TxFC8", "TxFC5"};

std::array<std::int16_t, 3>& TuneParm(DacValues& d, int k) {
    switch (k) {
    case 0: return d.powerAdj;
    case 1: return d.modAdj;
    case 2: return d.frontEndAdj;
    case 3: return d.fcAdj.rxFc8;
    case 4: return d.fcAdj.rxFc5;
    case 5: return d.fcAdj.txFc8;
    default: return d.fcAdj.txFc5;
    }
}

QString Num(int v) { return QString::number(v); }

}  // namespace

formProdFreqs::formProdFreqs(AppContext& ctx, QWidget* parent)
    : ToolWindowBase(ctx, "formProdFreqs", "Edit Production Parameters", Placement::Saved, parent) {
    const LocaleInfo& loc = ctx_.state.locale;
    auto box = [&](const char* name, int type, double min, double max, int length) {
        auto* b = new NumBox(loc);
        b->setObjectName(name);
        b->setNumType(type);
        b->setNumMin(min);
        b->setNumMax(max);
        b->setNumMaxLength(length);
        b->setSteps(1, 10);
        b->setDragGroup(this);
        b->setMaximumWidth(90);
        b->setAlignment(Qt::AlignRight);
        return b;
    };

    // ---- tab 0
    frameFrequencySettings = new QGroupBox("Frequency Settings:");
    comboRadioType = new QComboBox;
    comboRadioType->setObjectName("comboRadioType");
    comboRadioRange = new QComboBox;
    comboRadioRange->setObjectName("comboRadioRange");
    for (int r = 0; r <= 9; ++r) comboRadioRange->addItem(Num(r), r);
    comboRxOffset = new QComboBox;
    comboRxOffset->setObjectName("comboRxOffset");
    comboTxOffset = new QComboBox;
    comboTxOffset->setObjectName("comboTxOffset");
    for (int i = 0; i < kOffsetEntryCount; ++i) {
        comboRxOffset->addItem(QText(OffsetEntryText(i)));
        comboTxOffset->addItem(QText(OffsetEntryText(i)));
    }
    auto* synth = new QGroupBox("Synthesi&zer");
    optionSa7025Synth = new QRadioButton("SA7025");
    optionSa7026Synth = new QRadioButton("SA7026 SA8026");
    optionSa7025Synth->setObjectName("optionSa7025Synth");
    optionSa7026Synth->setObjectName("optionSa7026Synth");
    optionSa7025Synth->setChecked(true);
    auto* sl = new QVBoxLayout(synth);
    sl->addWidget(optionSa7025Synth);
    sl->addWidget(optionSa7026Synth);
    auto* top = new QGridLayout;
    AddCaptioned(*top, 0, 0, "Ra&dio:", comboRadioType);
    AddCaptioned(*top, 1, 0, "Ran&ge:", comboRadioRange);
    AddCaptioned(*top, 0, 2, "&Rx Offset:", comboRxOffset);
    AddCaptioned(*top, 1, 2, "&Tx Offset:", comboTxOffset);
    top->addWidget(synth, 0, 4, 2, 1);

    auto* freqs = new QGridLayout;
    freqs->addWidget(new QLabel("Test Frequencies"), 0, 0, 1, 3);
    freqs->addWidget(new QLabel("Chan"), 1, 0);
    freqs->addWidget(new QLabel("Rx Frequency"), 1, 1);
    freqs->addWidget(new QLabel("Tx Frequency:"), 1, 2);
    const char* const rows[3] = {"&Low:", "&Mid:", "&High:"};
    for (int p = 0; p < 3; ++p) {
        const auto i = static_cast<std::size_t>(p);
        textRxFreq[i] = box(("textRxFreq" + std::to_string(p)).c_str(), NumBox::numDecimal, 100, 999, 10);
        textTxFreq[i] = box(("textTxFreq" + std::to_string(p)).c_str(), NumBox::numDecimal, 100, 999, 10);
        for (NumBox* b : {textRxFreq[i], textTxFreq[i]}) {
            b->setNumFormat("0.000000");
            b->setSteps(0.01, 0.1);
            b->setCtrlSteps(1, 10);
        }
        AddCaptioned(*freqs, p + 2, 0, rows[p], textRxFreq[i]);
        freqs->addWidget(textTxFreq[i], p + 2, 2);
    }
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("Default Tune Values"), 0, 0, 1, 3);
    for (int c = 0; c < 3; ++c) {
        const auto ci = static_cast<std::size_t>(c);
        labelDefaultTune[ci] = new QLabel(kTuneParmCaptions[c]);
        grid->addWidget(labelDefaultTune[ci], 1, c, Qt::AlignHCenter);
        for (int p = 0; p < 3; ++p) {
            textDefault[ci][static_cast<std::size_t>(p)] =
                box(("textDefault_" + std::to_string(c) + "_" + std::to_string(p)).c_str(), NumBox::numUnsigned, 0, 255, 3);
            grid->addWidget(textDefault[ci][static_cast<std::size_t>(p)], p + 2, c);
        }
    }
    scrollTuneParms = kit::HScroll(nullptr, "scrollTuneParms", 0, 4, 2);
    grid->addWidget(scrollTuneParms, 5, 0, 1, 3);
    auto* lower = new QHBoxLayout;
    lower->addLayout(freqs);
    lower->addSpacing(16);
    lower->addLayout(grid);
    auto* f0 = new QVBoxLayout(frameFrequencySettings);
    f0->addLayout(top);
    f0->addLayout(lower);
    f0->addStretch();

    // ---- tab 1
    frameAdvancedSettings = new QGroupBox("Advanced Settings:");
    textGainAdj = box("textGainAdj", NumBox::numUnsigned, 0, 255, 3);
    textDevAdj = box("textDevAdj", NumBox::numUnsigned, 0, 255, 3);
    textRssiCalAdj = box("textRssiCalAdj", NumBox::numSigned, -128, 127, 4);
    textPwrCalAdj = box("textPwrCalAdj", NumBox::numUnsigned, 0, 255, 3);
    textRxGainVpp = box("textRxGainVpp", NumBox::numDecimal, 0, 5, 3);
    textRxGainVpp->setNumFormat("0.0");
    textRxGainVpp->setSteps(0.1, 1.0);
    scrollTxTime = kit::HScroll(nullptr, "scrollTxTime", 1, 60, 5);
    labelTxTime = new QLabel("1 S");
    auto* a = new QGridLayout(frameAdvancedSettings);
    AddCaptioned(*a, 0, 0, "&Rx Gain:", textGainAdj);
    AddCaptioned(*a, 0, 2, "RSSI C&al Adj:", textRssiCalAdj);
    AddCaptioned(*a, 1, 0, "&Tx Deviation:", textDevAdj);
    AddCaptioned(*a, 1, 2, "Power Ca&l Adj:", textPwrCalAdj);
    AddCaptioned(*a, 2, 0, "R&x Gain Vpp:", textRxGainVpp);
    a->addWidget(BuddyCaption("Tx Ti&me:", scrollTxTime), 3, 0);
    a->addWidget(scrollTxTime, 3, 1, 1, 2);
    a->addWidget(labelTxTime, 3, 3);
    a->setRowStretch(4, 1);

    // ---- tab 2
    frameRssi = new QGroupBox("RSSI Temperature Compensation:");
    comboRssiDbmPoint = new QComboBox;
    comboRssiDbmPoint->setObjectName("comboRssiDbmPoint");
    comboRssiTempPoint = new QComboBox;
    comboRssiTempPoint->setObjectName("comboRssiTempPoint");
    scrollRssiDbmValue = kit::HScroll(nullptr, "scrollRssiDbmValue", 0, 90, 10, 160);
    labelRssiDbmValue = new QLabel("-130 dBm");
    textRssiTemp = box("textRssiTemp", NumBox::numSigned, -80, 200, 3);
    textRssiA2D = box("textRssiA2D", NumBox::numUnsigned, 0, 255, 3);
    auto* r = new QGridLayout(frameRssi);
    AddCaptioned(*r, 0, 0, "R&SSI Test Point:", comboRssiDbmPoint);
    AddCaptioned(*r, 1, 0, "RSSI (d&Bm) Value:", scrollRssiDbmValue);
    r->addWidget(labelRssiDbmValue, 1, 2);
    AddCaptioned(*r, 2, 0, "&Temp Test Point:", comboRssiTempPoint);
    AddCaptioned(*r, 2, 2, "Te&mperature (C):", textRssiTemp);
    r->addWidget(new QLabel("C"), 2, 4);
    AddCaptioned(*r, 3, 0, "RSSI &A/D Value:", textRssiA2D);
    r->setRowStretch(4, 1);

    tabProductionFreqs = new QTabWidget;
    tabProductionFreqs->setObjectName("tabProductionFreqs");
    tabProductionFreqs->addTab(frameFrequencySettings, "Fre&quencies");
    tabProductionFreqs->addTab(frameAdvancedSettings, "Ad&vanced");
    tabProductionFreqs->addTab(frameRssi, "RSS&I Info");
    buttonOK = new QPushButton("&OK");
    buttonOK->setObjectName("buttonOK");
    buttonCancel = new QPushButton("&Cancel");
    buttonCancel->setObjectName("buttonCancel");
    auto* v = new QVBoxLayout(this);
    v->addWidget(tabProductionFreqs);
    v->addLayout(CentredButtons({buttonOK, buttonCancel}));

    connect(comboRadioType, &QComboBox::currentIndexChanged, this, [this] { RadioTypeClicked(); });
    connect(comboRadioRange, &QComboBox::currentIndexChanged, this, [this] { RadioRangeClicked(); });
    connect(comboRssiDbmPoint, &QComboBox::currentIndexChanged, this, [this] { RssiPointClicked(); });
    connect(comboRssiTempPoint, &QComboBox::currentIndexChanged, this, [this] { TempPointClicked(); });
    connect(scrollTuneParms, &QScrollBar::valueChanged, this, [this] { TuneGridMoved(); });
    connect(tabProductionFreqs, &QTabWidget::currentChanged, this, [this] {
        if (displaying_) return;
        StoreTestParameters();
        DisplayTestParameters();
    });
    connect(scrollTxTime, &QScrollBar::valueChanged, this, [this](int p) { labelTxTime->setText(Num(p) + " S"); });
    connect(scrollRssiDbmValue, &QScrollBar::valueChanged, this,
            [this](int p) { labelRssiDbmValue->setText(QText(FormatRssiDbm(static_cast<std::int16_t>(p)))); });
    connect(buttonOK, &QPushButton::clicked, this, [this] {
        SaveChanges();
        CloseForm();
    });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { CloseForm(); });
    FocusedButtonsAnswerEnter(*this);
}

formProdFreqs::~formProdFreqs() = default;

void formProdFreqs::Form_Load() {
    displaying_ = true;
    edit_ = ctx_.state.testParameters;
    scrollTuneParms->setValue(0);
    firstTuneParm_ = shownFirstTuneParm_ = 0;
    tabProductionFreqs->setCurrentIndex(0);
    shownRssiPoint_ = shownTempPoint_ = 0;
    comboRssiDbmPoint->clear();
    comboRssiTempPoint->clear();
    for (int i = 0; i < 6; ++i) {
        comboRssiDbmPoint->addItem("Point " + Num(i + 1));
        comboRssiTempPoint->addItem("Point " + Num(i + 1));
    }
    comboRssiDbmPoint->setCurrentIndex(0);
    comboRssiTempPoint->setCurrentIndex(0);
    comboRadioType->clear();
    FillRadioTypeCombo(*comboRadioType, ctx_.state);
    displaying_ = false;
    DisplayTestParameters();
}

void formProdFreqs::UpdateChanges() {
    if (!loaded()) return;
    edit_ = ctx_.state.testParameters;
    DisplayTestParameters();
}

bool formProdFreqs::SaveChanges() {
    if (!loaded()) return false;
    StoreTestParameters();
    edit_.rssiPoints.levelCode = edit_.rssiTempComp.levelCode;
    ctx_.state.testParameters = edit_;
    return true;
}

void formProdFreqs::FillRanges(std::int32_t type, int keepRange) {
    comboRadioRange->clear();
    FillRadioRangeCombo(*comboRadioRange, ctx_.state, type);
    // The range kept when offered, else the next higher offered range, else the highest.
    int index = -1;
    for (int i = 0; i < comboRadioRange->count() && index < 0; ++i)
        if (comboRadioRange->itemData(i).toInt() >= keepRange) index = i;
    if (index < 0) index = comboRadioRange->count() - 1;
    comboRadioRange->setCurrentIndex(index);
}

void formProdFreqs::DisplayTestParameters() {
    const bool was = displaying_;
    displaying_ = true;
    int ti = comboRadioType->findData(edit_.radioType);
    comboRadioType->setCurrentIndex(ti >= 0 ? ti : comboRadioType->count() - 1);
    FillRanges(comboRadioType->currentData().toInt(), edit_.radioRange);
    // The boxes show (and later store into) the record's own entries when it names valid ones.
    const bool own = RadioSpecIndexValid(edit_.radioType, edit_.radioRange, 0);
    shownRadioType_ = own ? edit_.radioType : comboRadioType->currentData().toInt();
    shownRadioRange_ = own ? edit_.radioRange : comboRadioRange->currentData().toInt();
    if (edit_.rxOffsetIndex >= 0 && edit_.rxOffsetIndex < kOffsetEntryCount) comboRxOffset->setCurrentIndex(edit_.rxOffsetIndex);
    if (edit_.txOffsetIndex >= 0 && edit_.txOffsetIndex < kOffsetEntryCount) comboTxOffset->setCurrentIndex(edit_.txOffsetIndex);
    (IsSet(edit_.sa7026Synthesizer) ? optionSa7026Synth : optionSa7025Synth)->setChecked(true);
    ShowFrequencies();
    for (int c = 0; c < 3; ++c) {
        const int k = firstTuneParm_ + c;
        labelDefaultTune[static_cast<std::size_t>(c)]->setText(kTuneParmCaptions[k]);
        const auto& values = TuneParm(edit_.defaultDacValues, k);
        for (int p = 0; p < 3; ++p)
            textDefault[static_cast<std::size_t>(c)][static_cast<std::size_t>(p)]->setText(Num(values[static_cast<std::size_t>(p)]));
    }
    const DacValues& d = edit_.defaultDacValues;
    textGainAdj->setText(Num(d.rxGainAdj));
    textDevAdj->setText(Num(d.txDeviationAdj));
    textRssiCalAdj->setText(Num(d.rssiCalAdj));
    textPwrCalAdj->setText(Num(d.powerCalAdj));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", edit_.rxGainVpp);
    QString vpp = buf;
    vpp.replace('.', QText(ctx_.state.locale.decimal));
    textRxGainVpp->setText(vpp);
    if (edit_.txTime >= 1 && edit_.txTime <= 60) scrollTxTime->setValue(edit_.txTime);
    labelTxTime->setText(Num(scrollTxTime->value()) + " S");
    const auto p = static_cast<std::size_t>(std::clamp(comboRssiDbmPoint->currentIndex(), 0, 5));
    const auto t = static_cast<std::size_t>(std::clamp(comboRssiTempPoint->currentIndex(), 0, 5));
    const RssiTempComp& tc = edit_.rssiTempComp;
    if (tc.levelCode[p] >= 0 && tc.levelCode[p] <= 90) scrollRssiDbmValue->setValue(tc.levelCode[p]);
    labelRssiDbmValue->setText(QText(FormatRssiDbm(static_cast<std::int16_t>(scrollRssiDbmValue->value()))));
    textRssiTemp->setText(Num(tc.temperature[t]));
    textRssiA2D->setText(Num(tc.adReading[p][t]));
    EnableTabFrames();
    displaying_ = was;
}

void formProdFreqs::ShowFrequencies() {
    if (!RadioSpecIndexValid(shownRadioType_, shownRadioRange_, 0)) return;
    for (int p = 0; p < 3; ++p) {
        const RadioSpec& s = edit_.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(shownRadioType_, shownRadioRange_, p))];
        textRxFreq[static_cast<std::size_t>(p)]->setText(QText(FormatMHz(s.rxFrequency, ctx_.state.locale)));
        textTxFreq[static_cast<std::size_t>(p)]->setText(QText(FormatMHz(s.txFrequency, ctx_.state.locale)));
    }
}

void formProdFreqs::StoreFrequencies() {
    if (!RadioSpecIndexValid(shownRadioType_, shownRadioRange_, 0)) return;
    auto hz = [&](NumBox* b, std::int32_t& field) {
        if (const auto v = MHzTextToHz(b->limitedText().toStdString(), ctx_.state.locale)) field = *v;
    };
    for (int p = 0; p < 3; ++p) {
        RadioSpec& s = edit_.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(shownRadioType_, shownRadioRange_, p))];
        hz(textRxFreq[static_cast<std::size_t>(p)], s.rxFrequency);
        hz(textTxFreq[static_cast<std::size_t>(p)], s.txFrequency);
    }
}

void formProdFreqs::StoreWhole(NumBox* box, std::int16_t& field) const {
    if (const auto v = TextToInt16(box->limitedText().toStdString(), ctx_.state.locale)) field = *v;
}

void formProdFreqs::StoreTestParameters() {
    StoreFrequencies();
    if (comboRadioType->currentIndex() >= 0) edit_.radioType = comboRadioType->currentData().toInt();
    if (comboRadioRange->currentIndex() >= 0) edit_.radioRange = comboRadioRange->currentData().toInt();
    shownRadioType_ = edit_.radioType;
    shownRadioRange_ = edit_.radioRange;
    edit_.rxOffsetIndex = static_cast<std::int16_t>(comboRxOffset->currentIndex());
    edit_.txOffsetIndex = static_cast<std::int16_t>(comboTxOffset->currentIndex());
    edit_.sa7026Synthesizer = ToFlag(optionSa7026Synth->isChecked());
    for (int c = 0; c < 3; ++c) {
        auto& values = TuneParm(edit_.defaultDacValues, shownFirstTuneParm_ + c);
        for (int p = 0; p < 3; ++p)
            StoreWhole(textDefault[static_cast<std::size_t>(c)][static_cast<std::size_t>(p)], values[static_cast<std::size_t>(p)]);
    }
    DacValues& d = edit_.defaultDacValues;
    StoreWhole(textGainAdj, d.rxGainAdj);
    StoreWhole(textDevAdj, d.txDeviationAdj);
    StoreWhole(textRssiCalAdj, d.rssiCalAdj);
    StoreWhole(textPwrCalAdj, d.powerCalAdj);
    if (const auto v = TextToDouble(textRxGainVpp->limitedText().toStdString(), ctx_.state.locale)) edit_.rxGainVpp = *v;
    edit_.txTime = static_cast<std::int16_t>(scrollTxTime->value());
    const int p = comboRssiDbmPoint->currentIndex(), t = comboRssiTempPoint->currentIndex();
    RssiTempComp& tc = edit_.rssiTempComp;
    if (p >= 0 && p < 6) tc.levelCode[static_cast<std::size_t>(p)] = static_cast<std::int16_t>(scrollRssiDbmValue->value());
    if (t >= 0 && t < 6) StoreWhole(textRssiTemp, tc.temperature[static_cast<std::size_t>(t)]);
    if (p >= 0 && p < 6 && t >= 0 && t < 6) StoreWhole(textRssiA2D, tc.adReading[static_cast<std::size_t>(p)][static_cast<std::size_t>(t)]);
}

void formProdFreqs::EnableTabFrames() {
    const int tab = tabProductionFreqs->currentIndex();
    frameFrequencySettings->setEnabled(tab == 0);
    frameAdvancedSettings->setEnabled(tab == 1);
    frameRssi->setEnabled(tab == 2);
}

void formProdFreqs::RadioTypeClicked() {
    if (displaying_ || comboRadioRange->currentIndex() < 0) return;
    StoreFrequencies();
    displaying_ = true;
    FillRanges(comboRadioType->currentData().toInt(), comboRadioRange->currentData().toInt());
    displaying_ = false;
    shownRadioType_ = comboRadioType->currentData().toInt();
    shownRadioRange_ = comboRadioRange->currentData().toInt();
    ShowFrequencies();
}

void formProdFreqs::RadioRangeClicked() {
    if (displaying_ || comboRadioType->currentIndex() < 0 || comboRadioRange->currentIndex() < 0) return;
    StoreFrequencies();
    shownRadioType_ = comboRadioType->currentData().toInt();
    shownRadioRange_ = comboRadioRange->currentData().toInt();
    ShowFrequencies();
}

void formProdFreqs::RssiPointClicked() {
    const int p = comboRssiDbmPoint->currentIndex(), t = comboRssiTempPoint->currentIndex();
    if (displaying_ || p < 0) return;
    RssiTempComp& tc = edit_.rssiTempComp;
    const auto sp = static_cast<std::size_t>(shownRssiPoint_);
    tc.levelCode[sp] = static_cast<std::int16_t>(scrollRssiDbmValue->value());
    if (t >= 0) StoreWhole(textRssiA2D, tc.adReading[sp][static_cast<std::size_t>(t)]);
    if (tc.levelCode[static_cast<std::size_t>(p)] >= 0 && tc.levelCode[static_cast<std::size_t>(p)] <= 90)
        scrollRssiDbmValue->setValue(tc.levelCode[static_cast<std::size_t>(p)]);
    if (t >= 0) textRssiA2D->setText(Num(tc.adReading[static_cast<std::size_t>(p)][static_cast<std::size_t>(t)]));
    shownRssiPoint_ = p;
}

void formProdFreqs::TempPointClicked() {
    const int p = comboRssiDbmPoint->currentIndex(), t = comboRssiTempPoint->currentIndex();
    if (displaying_ || t < 0 || p < 0) return;
    RssiTempComp& tc = edit_.rssiTempComp;
    const auto st = static_cast<std::size_t>(shownTempPoint_);
    StoreWhole(textRssiTemp, tc.temperature[st]);
    StoreWhole(textRssiA2D, tc.adReading[static_cast<std::size_t>(p)][st]);
    textRssiTemp->setText(Num(tc.temperature[static_cast<std::size_t>(t)]));
    textRssiA2D->setText(Num(tc.adReading[static_cast<std::size_t>(p)][static_cast<std::size_t>(t)]));
    shownTempPoint_ = t;
}

void formProdFreqs::TuneGridMoved() {
    if (displaying_) return;
    firstTuneParm_ = scrollTuneParms->value();
    StoreTestParameters();
    DisplayTestParameters();
    shownFirstTuneParm_ = firstTuneParm_;
}

}  // namespace k45
