#include "production/ui/eng_test_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "base/ini_routines.h"
#include "model/app_state.h"
#include "platform/qt/qt_text.h"
#include "ui/combo_fillers.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"

namespace k45 {

formEngTest::formEngTest(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formEngTest", "Engineer Test", Placement::Saved, parent),
      remote_(dialogue(), DialogueLinks::Of(ctx), *this) {
    auto [left, right] = PanelColumns(this);

    auto* g = new QGridLayout;
    BuildFrequencyBoxes(this, ctx.state.locale, true, true);
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

    BuildSynthesizer(this);
    left->addWidget(frameSa702xSynth);

    auto* m = new QGridLayout;
    BuildTransmitMode(this, m, 0);
    left->addLayout(m);

    BuildAdjustments(this, ctx.state.locale,
                     "&Direct Adjust:", [this](AdjustSelect a) { dialogue_->AdjustSelectChanged(a); });
    left->addWidget(frameAdjustments);

    diags = BuildDiagnosticsFrame(this, "&Select:", "Di&ag En:", "C&lear", false);
    right->addWidget(diags.frameDiags);
    auto* dde = new QGridLayout;
    checkTest = new QCheckBox("Test &1", this);
    checkTest->setObjectName("checkTest");
    checkTest->setChecked(true);
    checkDdeEnable = new QCheckBox("&DDE En:", this);
    checkDdeEnable->setObjectName("checkDdeEnable");
    labelDdeDst = kit::Label(this, "labelDdeDst", "Destination");
    labelDdeSrc = kit::Label(this, "labelDdeSrc", "Source");
    labelTest = kit::Label(this, "labelTest");
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
    for (int i = 0; i < 6; ++i) help->addWidget(kit::Label(this, "labelHelp", helpTexts[i]), i / 2, i % 2);
    right->addLayout(help);
    buttonClose = kit::Button(this, "buttonClose", "&Close");
    right->addLayout(CentredButtons({buttonClose}));
    right->addStretch();

    auto edited = [this] {
        dialogue_->FrequencyTextsEdited(textTxFreq->text().toStdString(), textRxFreq->text().toStdString());
    };
    // Typed, dropped or brought into range on leaving the box: the next send reads it.
    connect(textTxFreq, &QLineEdit::textChanged, this, edited);
    connect(textRxFreq, &QLineEdit::textChanged, this, edited);
    connect(comboRadioType, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { dialogue_->RadioTypeChosen(comboRadioType->currentData().toInt()); });
    connect(comboRadioRange, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { dialogue_->RadioRangeChosen(comboRadioRange->currentData().toInt()); });
    connect(optionSa7025Synth, &QRadioButton::clicked, this, [this] { dialogue_->Sa7025Clicked(); });
    connect(optionSa7026Synth, &QRadioButton::clicked, this, [this] { dialogue_->Sa7026Clicked(); });
    connect(comboTransmitMode, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->TransmitModeChanged(i); });
    connect(scrollTxTime, &QScrollBar::valueChanged, this, [this](int v) { dialogue_->TxTimeChanged(v); });
    connect(diags.comboDiagnosticSelect, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->DiagnosticSelectChanged(i); });
    connect(diags.checkDiagEn, &QCheckBox::toggled, this, [this](bool on) { dialogue_->DiagEnabledChanged(on); });
    connect(diags.buttonClearDiag, &QPushButton::clicked, this, [this] { dialogue_->ClearDiagnosticsButton(); });
    connect(buttonDirectDac, &QPushButton::clicked, this,
            [this] { dialogue_->DirectAdjust(textDirectDac->text().toInt()); });
    connect(checkTest, &QCheckBox::clicked, this, [this](bool on) { dialogue_->TestChecked(on); });
    connect(checkDdeEnable, &QCheckBox::clicked, this, [this](bool on) { remote_.DdeEnableClicked(on); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { dialogue_->CloseButton(); });
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
    WriteWindowSetting(ctx_.state.locale, fileName, sectionName, "Rx Freq", f.rxFrequency);
    WriteWindowSetting(ctx_.state.locale, fileName, sectionName, "Tx Freq", f.txFrequency);
}

void formEngTest::Form_Load() {
    wasLoaded_ = true;
    if (parentWidget()) parentWidget()->installEventFilter(this);
    ProductionWindow::Form_Load();
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
    DialogueWindow::Form_Unload();
    remote_.Stop();
    const QSignalBlocker block(checkDdeEnable);
    checkDdeEnable->setChecked(false);
}

bool formEngTest::HandleKey(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && textDirectDac->hasFocus()) {
        dialogue_->DirectAdjust(textDirectDac->text().toInt());
        return true;
    }
    const int code = PanelKeyCode(*e);
    return code != 0 && code != keyEnter && dialogue_->KeyDown(code, PanelModifiers(*e));
}

bool formEngTest::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
    return ToolWindowBase::eventFilter(watched, event);
}

std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> formEngTest::SelectRadio(std::int32_t type,
                                                                                           std::int32_t range) {
    SelectEntryByData(comboRadioType, type);
    SelectEntryByData(comboRadioRange, range);
    return {SelectedData(comboRadioType), SelectedData(comboRadioRange)};
}

void formEngTest::SetDestination(const std::string& text) { labelDdeDst->setText(QText(text)); }
void formEngTest::SetSource(const std::string& text) { labelDdeSrc->setText(QText(text)); }
void formEngTest::SetLinkStatus(const std::string& text) { labelTest->setText(QText(text)); }

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
