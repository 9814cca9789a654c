#include "tuning/ui/tune_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"
#include "serial/class_comm.h"
#include "tuning/tune_math.h"
#include "tuning/tune_selection.h"
#include "tuning/ui/captioned_grid.h"
#include "tuning/ui/prod_freqs_window.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

void AddTuningWindows(AppContext& ctx, QWidget& owner) {
    ctx.Register(ToolWindow::formTune, *new formTune(ctx, &owner));
    ctx.Register(ToolWindow::formProdFreqs, *new formProdFreqs(ctx, &owner));
}

namespace {

QString Lines(const std::string& text) {
    QString s = QText(text);
    s.replace("\r\n", "\n");
    return s;
}

void SelectByData(QComboBox* combo, int value, bool lastWhenMissing) {
    int index = combo->findData(value);
    if (index < 0) index = lastWhenMissing ? combo->count() - 1 : 0;
    combo->setCurrentIndex(index);
}

}  // namespace

formTune::formTune(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formTune", "Tune Radio", Placement::Saved, parent, DialogueLinks::Of(ctx)) {
    // ---- radio selection
    comboRadioType = new QComboBox;
    comboRadioType->setObjectName("comboRadioType");
    const char* const types[3] = {"5716", "5726", "5796"};
    for (int t = 0; t < 3; ++t) comboRadioType->addItem(types[t], t);
    comboRadioRange = new QComboBox;
    comboRadioRange->setObjectName("comboRadioRange");
    for (int r = 0; r <= 9; ++r) comboRadioRange->addItem(QString::number(r), r);
    comboChanBandwidth = new QComboBox;
    comboChanBandwidth->setObjectName("comboChanBandwidth");
    comboChanBandwidth->addItem("25.0 kHz", 0);
    comboChanBandwidth->addItem("12.5 kHz", 1);
    textLongId = new NumBox(ctx_.state.locale);
    textLongId->setObjectName("textLongId");
    textLongId->setNumType(NumBox::numUnsigned);
    textLongId->setNumMax(4294967295.0);
    textLongId->setNumMaxLength(10);
    textLongId->setSteps(1, 10);
    textLongId->setDragGroup(this);
    textShortId = new QLineEdit("  0");
    textShortId->setObjectName("textShortId");
    textShortId->setReadOnly(true);
    textShortId->setMaxLength(6);
    textShortId->setProperty("locked", true);
    textShortId->setMaximumWidth(70);
    comboRxOffset = new QComboBox;
    comboRxOffset->setObjectName("comboRxOffset");
    comboTxOffset = new QComboBox;
    comboTxOffset->setObjectName("comboTxOffset");
    for (int i = 0; i < kOffsetEntryCount; ++i) {
        comboRxOffset->addItem(QText(OffsetEntryText(i)), OffsetEntryHz(i));
        comboTxOffset->addItem(QText(OffsetEntryText(i)), OffsetEntryHz(i));
    }
    pictureSa702xSynth = new QWidget;
    optionSa7025Synth = new QRadioButton("SA7025");
    optionSa7025Synth->setObjectName("optionSa7025Synth");
    optionSa7026Synth = new QRadioButton("SA7026 SA8026");
    optionSa7026Synth->setObjectName("optionSa7026Synth");
    optionSa7025Synth->setChecked(true);
    auto* synthLayout = new QHBoxLayout(pictureSa702xSynth);
    synthLayout->setContentsMargins(0, 0, 0, 0);
    synthLayout->addWidget(optionSa7025Synth);
    synthLayout->addWidget(optionSa7026Synth);
    pictureRxHighLow = new QWidget;
    optionLoRxBand = new QRadioButton("Low Rx");
    optionLoRxBand->setObjectName("optionLoRxBand");
    optionHiRxBand = new QRadioButton("High Rx");
    optionHiRxBand->setObjectName("optionHiRxBand");
    optionLoRxBand->setChecked(true);
    auto* bandLayout = new QHBoxLayout(pictureRxHighLow);
    bandLayout->setContentsMargins(0, 0, 0, 0);
    bandLayout->addWidget(optionLoRxBand);
    bandLayout->addWidget(optionHiRxBand);
    scrollTxTime = kit::HScroll(nullptr, "scrollTxTime", 1, 60, 5);
    scrollTxTime->setValue(5);
    labelTxTime = new QLabel("5 S");

    auto* sel = new QGridLayout;
    sel->setVerticalSpacing(2);
    AddCaptioned(*sel, 0, 0, "Ra&dio:", comboRadioType);
    AddCaptioned(*sel, 0, 2, "Ran&ge:", comboRadioRange);
    AddCaptioned(*sel, 0, 4, "Ch&annel:", comboChanBandwidth);
    sel->addWidget(pictureRxHighLow, 0, 6, 1, 2);
    AddCaptioned(*sel, 1, 0, "&ID Number:", textLongId);
    sel->addWidget(new QLabel("Short ID:"), 1, 2);
    sel->addWidget(textShortId, 1, 3);
    AddCaptioned(*sel, 1, 4, "&Rx Offset:", comboRxOffset);
    AddCaptioned(*sel, 1, 6, "&Tx Offset:", comboTxOffset);
    sel->addWidget(pictureSa702xSynth, 2, 0, 1, 4);
    auto* txTime = new QHBoxLayout;
    txTime->addWidget(scrollTxTime, 1);
    txTime->addWidget(labelTxTime);
    sel->addWidget(BuddyCaption("Mod Balance T&x Time:", scrollTxTime), 2, 4);
    sel->addLayout(txTime, 2, 5, 1, 3);

    // ---- test boxes
    frameTxTuneTests = new QGroupBox("Tx Tuning:");
    frameRxTuneTests = new QGroupBox("Rx Tuning:");
    frameVerifyTuneTests = new QGroupBox("Verification Tests:");
    auto* txL = new QVBoxLayout(frameTxTuneTests);
    auto* rxL = new QVBoxLayout(frameRxTuneTests);
    auto* vL = new QVBoxLayout(frameVerifyTuneTests);
    for (int t = 0; t < kTuneTestCount; ++t) {
        const TunePlanEntry& test = kTunePlan[static_cast<std::size_t>(t)];
        auto* c = new QCheckBox(test.caption);
        c->setObjectName(QString("checkTests%1").arg(t));
        checkTests[static_cast<std::size_t>(t)] = c;
        // Room for the bold caption of the test in progress: the window keeps its size.
        const QFont plain = c->font();
        QFont bold = plain;
        bold.setBold(true);
        bold.setUnderline(true);
        c->setFont(bold);
        c->setMinimumWidth(c->sizeHint().width());
        c->setFont(plain);
        (test.group == TuneGroup::Tx ? txL : test.group == TuneGroup::Rx ? rxL : vL)->addWidget(c);
    }
    for (auto* l : {txL, rxL, vL}) {
        l->setSpacing(0);
        l->setContentsMargins(4, 2, 4, 2);
        l->addStretch();
    }

    // ---- step screen and live values
    labelTestTitle = new QLabel("Test ");
    QFont bold = labelTestTitle->font();
    bold.setBold(true);
    labelTestTitle->setFont(bold);
    labelTestDirections = new QLabel("Directions ");
    labelTestDescription = new QLabel("Descriptions");
    for (QLabel* l : {labelTestTitle, labelTestDirections, labelTestDescription}) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    labelTestDirections->setMinimumHeight(30);
    labelTestDescription->setMinimumHeight(58);
    frameDiags = new QGroupBox("Diagnostics:");
    labelCurrentAdj = new QLabel("xxxx Adj:");
    labelCurrentAdjValue = new QLabel("0");
    labelCurrentDiag = new QLabel("xxxx:");
    labelCurrentDiagValue = new QLabel("0");
    labelTemperature = new QLabel("0 C");
    labelBatteryVoltage = new QLabel("0.0 V");
    labelTestState = new QLabel("0");
    labelTestIndex = new QLabel("0");
    // Wide enough for the caption of every step: the window keeps its size from step to step.
    int captionWidth = 0;
    for (const std::string& c : StepCaptions()) {
        labelCurrentAdj->setText(QText(c));
        captionWidth = std::max(captionWidth, labelCurrentAdj->sizeHint().width());
    }
    labelCurrentAdj->setText("xxxx Adj:");
    labelCurrentAdj->setMinimumWidth(captionWidth);
    labelCurrentDiag->setMinimumWidth(captionWidth);
    auto* dg = new QGridLayout(frameDiags);
    dg->setContentsMargins(4, 2, 4, 2);
    dg->setVerticalSpacing(2);
    dg->addWidget(labelCurrentAdj, 0, 0);
    dg->addWidget(labelCurrentAdjValue, 0, 1);
    dg->addWidget(labelCurrentDiag, 0, 2);
    dg->addWidget(labelCurrentDiagValue, 0, 3);
    dg->addWidget(new QLabel("Temperature:"), 1, 0);
    dg->addWidget(labelTemperature, 1, 1);
    dg->addWidget(new QLabel("Battery Voltage:"), 1, 2);
    dg->addWidget(labelBatteryVoltage, 1, 3);
    dg->addWidget(labelTestState, 0, 4);
    dg->addWidget(labelTestIndex, 1, 4);

    buttonStart = new QPushButton("&Start");
    buttonOK = new QPushButton("&OK");
    buttonNext = new QPushButton("Ne&xt Test");
    buttonPrevious = new QPushButton("Pre&v Test");
    buttonClose = new QPushButton("&Close");
    buttonStart->setObjectName("buttonStart");
    buttonOK->setObjectName("buttonOK");
    buttonNext->setObjectName("buttonNext");
    buttonPrevious->setObjectName("buttonPrevious");
    buttonClose->setObjectName("buttonClose");

    auto* groups = new QHBoxLayout;
    groups->addWidget(frameTxTuneTests);
    groups->addWidget(frameRxTuneTests);
    auto* third = new QVBoxLayout;
    third->addWidget(frameVerifyTuneTests);
    third->addWidget(frameDiags);
    groups->addLayout(third, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {buttonStart, buttonOK, buttonNext, buttonPrevious, buttonClose}) buttons->addWidget(b);
    auto* top = new QVBoxLayout(this);
    top->setSpacing(4);
    top->setContentsMargins(6, 6, 6, 6);
    top->addLayout(sel);
    top->addLayout(groups);
    top->addWidget(labelTestTitle);
    top->addWidget(labelTestDirections);
    top->addWidget(labelTestDescription, 1);
    top->addLayout(buttons);

    // ---- wiring
    connect(comboRadioType, &QComboBox::currentIndexChanged, this, [this] { RadioTypeChanged(); });
    connect(comboRadioRange, &QComboBox::currentIndexChanged, this, [this] {
        const int type = comboRadioType->currentData().toInt(), range = comboRadioRange->currentData().toInt();
        pictureRxHighLow->setVisible(type == 0 && range == 0);
    });
    connect(optionSa7025Synth, &QRadioButton::toggled, this, [this] { UpdateAvailability(); });
    connect(comboRxOffset, &QComboBox::currentIndexChanged, this, [this](int i) { dialogue_->SelectRxOffset(i); });
    connect(comboTxOffset, &QComboBox::currentIndexChanged, this, [this](int i) { dialogue_->SelectTxOffset(i); });
    connect(scrollTxTime, &QScrollBar::valueChanged, this, [this](int v) { labelTxTime->setText(QString("%1 S").arg(v)); });
    connect(textLongId, &QLineEdit::textChanged, this, [this](const QString& t) {
        textShortId->setText(QText(TuneShortIdText(t.toStdString(), ctx_.state.locale)));
    });
    connect(buttonStart, &QPushButton::clicked, this, [this] { dialogue_->Start(); });
    connect(buttonOK, &QPushButton::clicked, this, [this] { dialogue_->OK(); });
    connect(buttonNext, &QPushButton::clicked, this, [this] { dialogue_->Next(); });
    connect(buttonPrevious, &QPushButton::clicked, this, [this] { dialogue_->Previous(); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { dialogue_->Close(); });
    FocusedButtonsAnswerEnter(*this);
    // The adjust keys and F7 act wherever the focus is in the window.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    installEventFilter(this);
    RadioTypeChanged();
}

formTune::~formTune() = default;

void formTune::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    TuneWindowSettings s = dialogue_->settings();
    s.windowLeft = savedLeft;
    s.windowTop = savedTop;
    RestoreTuneSettings(s, ctx_.state.locale, fileName, sectionName, TuneIniPath(ctx_.state.places.programFolder));
    dialogue_->setSettings(s);
}

void formTune::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    TuneWindowSettings s = dialogue_->settings();
    s.windowLeft = savedLeft;
    s.windowTop = savedTop;
    std::string error;
    if (!SaveTuneSettings(s, ctx_.state.locale, fileName, sectionName, TuneIniPath(ctx_.state.places.programFolder),
                          ctx_.state.engineerMode, &error) &&
        ctx_.dialogs())
        ctx_.dialogs()->messageBox("The tuning settings could not be saved.\r\n" + error, {}, MsgButtons::OK,
                                   MsgIcon::Exclamation);
}

void formTune::Form_Load() {
    const TuneWindowSettings settings = dialogue_->settings();
    for (int i = 0; i < kTuneTestCount; ++i)
        checkTests[static_cast<std::size_t>(i)]->setChecked(settings.testSelection[static_cast<std::size_t>(i)] == 1);
    DialogueWindow::Form_Load();
    labelTestState->setVisible(ctx_.state.engineerMode);
    labelTestIndex->setVisible(ctx_.state.engineerMode);
    const bool production = ctx_.state.productionMode;
    textLongId->setLocked(!production);
    for (QWidget* w : std::initializer_list<QWidget*>{comboRadioType, comboRadioRange, comboChanBandwidth,
                                                      optionLoRxBand, optionHiRxBand})
        w->setEnabled(production);
    // A saved index outside the lists selects nothing (the offset keeps its value).
    const auto entry = [](std::int16_t index) { return index >= 0 && index < kOffsetEntryCount ? index : -1; };
    comboRxOffset->setCurrentIndex(entry(settings.rxOffsetListIndex));
    comboTxOffset->setCurrentIndex(entry(settings.txOffsetListIndex));
    scrollTxTime->setValue(settings.modBalanceTxTime);
    labelTxTime->setText(QString("%1 S").arg(scrollTxTime->value()));
}

void formTune::Form_Unload() {
    DialogueWindow::Form_Unload();
    TuneWindowSettings s = dialogue_->settings();
    s.windowLeft = savedLeft;
    s.windowTop = savedTop;
    s.rxOffsetListIndex = static_cast<std::int16_t>(comboRxOffset->currentIndex());
    s.txOffsetListIndex = static_cast<std::int16_t>(comboTxOffset->currentIndex());
    dialogue_->setSettings(s);
}

bool formTune::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && loaded()) {
        auto* k = static_cast<QKeyEvent*>(event);
        int code = 0;
        if (k->key() == Qt::Key_PageUp) code = kKeyPageUp;
        else if (k->key() == Qt::Key_PageDown) code = kKeyPageDown;
        else if (k->key() == Qt::Key_F7) code = kKeyF7;
        if (code) {
            const auto m = k->modifiers();
            if (dialogue_->KeyDown(code, m & Qt::ShiftModifier, m & Qt::ControlModifier, m & Qt::AltModifier))
                return true;
        }
    }
    return ToolWindowBase::eventFilter(watched, event);
}

void formTune::RadioTypeChanged() {
    const int type = comboRadioType->currentData().toInt(), range = comboRadioRange->currentData().toInt();
    pictureRxHighLow->setVisible(type == 0 && range == 0);
    UpdateAvailability();
}

void formTune::UpdateAvailability() {
    const auto a = TestsAvailable(comboRadioType->currentData().toInt(), optionSa7026Synth->isChecked());
    for (int t = 0; t < kTuneTestCount; ++t) checkTests[static_cast<std::size_t>(t)]->setEnabled(a[static_cast<std::size_t>(t)]);
}

TuneSelection formTune::Selection() const {
    TuneSelection s;
    s.radioType = comboRadioType->currentIndex() >= 0 ? comboRadioType->currentData().toInt() : 0;
    s.radioRange = comboRadioRange->currentIndex() >= 0 ? comboRadioRange->currentData().toInt() : 0;
    s.channelBandwidth = comboChanBandwidth->currentIndex() >= 0 ? comboChanBandwidth->currentData().toInt() : 0;
    s.highRxBand = optionHiRxBand->isChecked();
    s.sa7026 = optionSa7026Synth->isChecked();
    s.longId = textLongId->value().value_or(0);
    s.txTime = static_cast<std::int16_t>(scrollTxTime->value());
    for (int t = 0; t < kTuneTestCount; ++t) s.ticked[static_cast<std::size_t>(t)] = checkTests[static_cast<std::size_t>(t)]->isChecked();
    return s;
}

void formTune::ShowSelection(const TuneSelection& s) {
    SelectByData(comboRadioType, s.radioType, true);
    SelectByData(comboRadioRange, s.radioRange, true);
    SelectByData(comboChanBandwidth, s.channelBandwidth, false);
    (s.sa7026 ? optionSa7026Synth : optionSa7025Synth)->setChecked(true);
    (s.highRxBand ? optionHiRxBand : optionLoRxBand)->setChecked(true);
    textLongId->setText(QString::number(s.longId, 'f', 0));
    RadioTypeChanged();
}

void formTune::ShowScreen(const TuneScreen& screen) {
    auto setFont = [](QWidget* w, bool underline, bool boldFace) {
        QFont f = w->font();
        f.setUnderline(underline);
        f.setBold(boldFace);
        w->setFont(f);
    };
    const std::pair<QGroupBox*, TuneGroup> frames[3] = {{frameTxTuneTests, TuneGroup::Tx},
                                                        {frameRxTuneTests, TuneGroup::Rx},
                                                        {frameVerifyTuneTests, TuneGroup::Verify}};
    for (const auto& [frame, group] : frames) {
        // The frame's title only: its boxes set their own fonts below.
        QFont f = frame->font();
        f.setUnderline(screen.highlightGroup == group);
        frame->setFont(f);
    }
    for (int t = 0; t < kTuneTestCount; ++t) {
        const bool current = screen.highlightTest == TestAt(t);
        setFont(checkTests[static_cast<std::size_t>(t)], current, current);
    }
    if (screen.rendered) {
        labelCurrentAdj->setText(QText(screen.adjCaption));
        if (screen.adjValue) labelCurrentAdjValue->setText(QText(*screen.adjValue));
        labelCurrentDiag->setText(QText(screen.diagCaption));
        if (screen.diagValue) labelCurrentDiagValue->setText(QText(*screen.diagValue));
        labelTestTitle->setText(QText(screen.title));
        if (screen.directions) labelTestDirections->setText(Lines(*screen.directions));
        if (screen.description) labelTestDescription->setText(Lines(*screen.description));
    }
    labelTestState->setText(QText(screen.testState));
    labelTestIndex->setText(QText(screen.testIndex));
}

void formTune::SetDescription(const std::string& text) { labelTestDescription->setText(Lines(text)); }
void formTune::SetAdjValue(const std::string& text) { labelCurrentAdjValue->setText(QText(text)); }
void formTune::SetDiagValue(const std::string& text) { labelCurrentDiagValue->setText(QText(text)); }
void formTune::SetTemperature(const std::string& text) { labelTemperature->setText(QText(text)); }
void formTune::SetBatteryVoltage(const std::string& text) { labelBatteryVoltage->setText(QText(text)); }
void formTune::FocusOk() { buttonOK->setFocus(); }

}  // namespace k45
