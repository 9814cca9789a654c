#include "production/ui/prod_test_window.h"

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
#include "wiring/main_frame.h"
#include "wiring/tool_window_ids.h"
#include "model/app_state.h"
#include "ui/combo_fillers.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

QComboBox* Combo(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setMaximumWidth(110);
    return c;
}

}  // namespace

formProdTest::formProdTest(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formProdTest", "Production Test", Placement::Saved, parent) {
    auto [left, right] = PanelColumns(this);

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
    // Display only; they can be dragged onto the direct value.
    BuildFrequencyBoxes(this, ctx.state.locale, false, false);
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
    BuildSynthesizer(this);
    left->addWidget(frameSa702xSynth);

    auto* modes = new QGridLayout;
    comboRxOffset = Combo(this, "comboRxOffset");
    comboTxOffset = Combo(this, "comboTxOffset");
    for (int i = 0; i <= 16; ++i) {
        const int hz = OffsetOfIndex(i);
        const QString text = (hz > 0 ? "+" : "") + QString::number(hz / 1000) + " kHz";
        comboRxOffset->addItem(text, hz);
        comboTxOffset->addItem(text, hz);
    }
    BuildTransmitMode(this, modes, 0);
    modes->addWidget(BuddyCaption("&Rx Offset:", comboRxOffset), 1, 0);
    modes->addWidget(comboRxOffset, 1, 1);
    modes->addWidget(BuddyCaption("&Tx Offset:", comboTxOffset), 1, 2);
    modes->addWidget(comboTxOffset, 1, 3);
    left->addLayout(modes);

    BuildAdjustments(this, ctx.state.locale,
                     "D&irect Adjust:", [this](AdjustSelect a) { dialogue_->AdjustSelectChanged(a); });
    left->addWidget(frameAdjustments);

    // Diagnostics, key help, Close.
    diags = BuildDiagnosticsFrame(this, "Se&lect:", "Diag En:", "Cle&ar", true);
    right->addWidget(diags.frameDiags);
    auto* help = new QGridLayout;
    const char* helpTexts[] = {"Pg Up/Dn:", "Adj Up/Dn x 1", "Ctrl Pg Up/Dn:", "Adj Up/Dn x 10",
                               "F2: Edit DAC Values", "F3: Calibrate Pwr Table", "F4: Calibrate RSSI Table",
                               "F5: Tx on Tx Frequency", "F6: Rx on Rx Frequency", "F7: xxxx xxxx", "F8: xxxx xxxx",
                               "F9: Get Eeprom Settings", "F10: Save Settings"};
    for (int i = 0; i < 13; ++i) {
        help->addWidget(kit::Label(this, "labelHelp", helpTexts[i]), i < 4 ? i / 2 : 2 + (i - 4) / 2,
                        i < 4 ? i % 2 : (i - 4) % 2);
        help->setVerticalSpacing(0);
    }
    right->addLayout(help);
    buttonClose = kit::Button(this, "buttonClose", "&Close");
    right->addLayout(CentredButtons({buttonClose}));
    right->addStretch();

    // Wiring: operator actions only (code selects with the signals blocked).
    connect(comboRadioType, QOverload<int>::of(&QComboBox::activated), this, [this](int) {
        const int type = comboRadioType->currentData().toInt();
        // With a range chosen, the list offers the type's enabled ranges, the first not below
        // the old one selected; that choice runs the range's handler.
        if (comboRadioRange->currentIndex() >= 0) {
            {
                const QSignalBlocker block(comboRadioRange);
                FillRadioRangeCombo(*comboRadioRange, ctx_.state, type);
            }
            if (comboRadioRange->currentIndex() >= 0)
                dialogue_->RadioRangeSelected(comboRadioRange->currentData().toInt());
        }
        dialogue_->RadioTypeSelected(type);
    });
    connect(comboRadioRange, QOverload<int>::of(&QComboBox::activated), this,
            [this](int) { dialogue_->RadioRangeSelected(comboRadioRange->currentData().toInt()); });
    connect(comboRxOffset, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->RxOffsetSelected(i); });
    connect(comboTxOffset, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->TxOffsetSelected(i); });
    connect(comboChannel, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        const bool pair = i == 0;
        comboFreqPair->setEnabled(pair);
        comboRadioType->setEnabled(pair);
        comboRadioRange->setEnabled(pair);
        dialogue_->ChannelSelected(i);
    });
    connect(comboFreqPair, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->FreqPairSelected(i); });
    connect(diags.comboDiagnosticSelect, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->DiagnosticSelectChanged(i); });
    connect(diags.checkDiagEn, &QCheckBox::toggled, this, [this](bool on) { dialogue_->DiagEnabledChanged(on); });
    connect(diags.buttonClearDiag, &QPushButton::clicked, this, [this] { dialogue_->ClearDiagnosticsButton(); });
    connect(comboTransmitMode, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->TransmitModeChanged(comboTransmitMode->itemData(i).toInt()); });
    connect(scrollTxTime, &QScrollBar::valueChanged, this, [this](int v) { dialogue_->TxTimeChanged(v); });
    connect(optionSa7025Synth, &QRadioButton::clicked, this, [this] { dialogue_->Sa7025Clicked(); });
    connect(optionSa7026Synth, &QRadioButton::clicked, this, [this] { dialogue_->Sa7026Clicked(); });
    connect(buttonDirectDac, &QPushButton::clicked, this,
            [this] { dialogue_->DirectValue(textDirectDac->text().toInt()); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { dialogue_->CloseButton(); });
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    FocusedButtonsAnswerEnter(*this);
}

formProdTest::~formProdTest() = default;

void formProdTest::Form_Load() {
    // Keys reach the panel before its controls, also when its frame holds the focus.
    if (parentWidget()) parentWidget()->installEventFilter(this);
    ProductionWindow::Form_Load();
    {
        const QSignalBlocker b1(comboRadioType);
        comboRadioType->clear();
        FillRadioTypeCombo(*comboRadioType, ctx_.state);
        comboRadioType->setCurrentIndex(-1);
    }
    SyncFromDialogue();
}

void formProdTest::SyncFromDialogue() {
    const QSignalBlocker b1(comboChannel), b2(comboFreqPair), b3(comboRxOffset), b4(comboTxOffset),
        b5(comboTransmitMode), b6(scrollTxTime), b7(diags.comboDiagnosticSelect), b8(optionSa7025Synth),
        b9(optionSa7026Synth);
    comboChannel->setCurrentIndex(dialogue_->channelIndex());
    comboFreqPair->setCurrentIndex(dialogue_->freqPairIndex());
    comboRxOffset->setCurrentIndex(dialogue_->rxOffsetIndex());
    comboTxOffset->setCurrentIndex(dialogue_->txOffsetIndex());
    comboTransmitMode->setCurrentIndex(dialogue_->transmitMode());
    scrollTxTime->setValue(dialogue_->txTime());
    diags.comboDiagnosticSelect->setCurrentIndex(0);
    (dialogue_->sa7026Selected() ? optionSa7026Synth : optionSa7025Synth)->setChecked(true);
    optionCnFcAdjSelect->setEnabled(dialogue_->cnFcEnabled());
    SetTxTimeLabel("0 S", false);
    comboFreqPair->setEnabled(true);
    comboRadioType->setEnabled(true);
    comboRadioRange->setEnabled(true);
}

bool formProdTest::HandleKey(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        if (textDirectDac->hasFocus()) {
            dialogue_->DirectValue(textDirectDac->text().toInt());
            return true;
        }
        return false;
    }
    const int code = PanelKeyCode(*e);
    return code != 0 && dialogue_->KeyDown(code, PanelModifiers(*e));
}

bool formProdTest::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
    return ToolWindowBase::eventFilter(watched, event);
}

void formProdTest::keyPressEvent(QKeyEvent* e) {
    if (HandleKey(e)) e->accept();
    else ToolWindowBase::keyPressEvent(e);
}

std::pair<std::optional<std::int32_t>, std::optional<std::int32_t>> formProdTest::SelectRadio(std::int32_t type,
                                                                                            std::int32_t range) {
    // The modem's own type and range are shown as they are: no other entry takes their place
    // (the next send would write it to the modem). A range list refilled for another type that
    // lacks the range offers every range again.
    SelectEntryByData(comboRadioType, type);
    if (comboRadioRange->findData(range) < 0 && range >= 0 && range <= 9) {
        const QSignalBlocker block(comboRadioRange);
        comboRadioRange->clear();
        for (int r = 0; r < 10; ++r) comboRadioRange->addItem(QString::number(r), r);
    }
    SelectEntryByData(comboRadioRange, range);
    return {SelectedData(comboRadioType), SelectedData(comboRadioRange)};
}

void formProdTest::SelectFreqPair(int index) {
    const QSignalBlocker block(comboFreqPair);
    comboFreqPair->setCurrentIndex(index);
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

}  // namespace k45
