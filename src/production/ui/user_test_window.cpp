#include "production/ui/user_test_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"

namespace k45 {

formUserTest::formUserTest(AppContext& ctx, QWidget* parent)
    : ProductionWindow(ctx, "formUserTest", "User Test", Placement::Saved, parent) {
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    auto* g = new QGridLayout;
    comboChannelOverride = new QComboBox(this);
    comboChannelOverride->setObjectName("comboChannelOverride");
    comboChannelOverride->addItem("Disabled", 0);
    for (int c = 1; c <= 8; ++c) comboChannelOverride->addItem(QString::number(c), c);
    buttonChannelChange = kit::Button(this, "buttonChannelChange", "Chan&ge Channel 8");
    g->addWidget(BuddyCaption("Ch&annel:", comboChannelOverride), 0, 0);
    g->addWidget(comboChannelOverride, 0, 1);
    g->addWidget(buttonChannelChange, 0, 2, 1, 2);
    labelChannelWarning = kit::Label(this, "labelChannelWarning");
    labelSwitchSetting =
        kit::Label(this, "labelSwitchSetting", "DIP Switches (or CS0, CS1 and CS2) are set to Channel 8");
    g->addWidget(labelChannelWarning, 1, 0, 1, 4);
    g->addWidget(labelSwitchSetting, 2, 0, 1, 4);
    // Display only: they can be dragged, nothing here takes a drop.
    BuildFrequencyBoxes(this, ctx.state.locale, false, false);
    g->addWidget(new QLabel("Tx Frequency:", this), 3, 0);
    g->addWidget(textTxFreq, 3, 1);
    g->addWidget(new QLabel("Rx Frequency:", this), 3, 2);
    g->addWidget(textRxFreq, 3, 3);
    BuildTransmitMode(this, g, 4);
    top->addLayout(g);
    diags = BuildDiagnosticsFrame(this, "&Select:", nullptr, "C&lear", true);
    top->addWidget(diags.frameDiags);
    auto* help = new QHBoxLayout;
    for (const char* t : {"F5: Goto Tx", "F6: Goto Rx"}) help->addWidget(kit::Label(this, "labelHelp", t));
    buttonClose = kit::Button(this, "buttonClose", "&Close");
    help->addStretch();
    help->addWidget(buttonClose);
    top->addLayout(help);

    connect(comboChannelOverride, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->ChannelOverrideSelected(i); });
    connect(buttonChannelChange, &QPushButton::clicked, this, [this] { dialogue_->ChannelChangeButton(); });
    connect(comboTransmitMode, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->TransmitModeChanged(i); });
    connect(scrollTxTime, &QScrollBar::valueChanged, this, [this](int v) { dialogue_->TxTimeChanged(v); });
    connect(diags.comboDiagnosticSelect, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->DiagnosticSelectChanged(i); });
    connect(diags.buttonClearDiag, &QPushButton::clicked, this, [this] { dialogue_->ClearButton(); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { dialogue_->CloseButton(); });
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
    setFocusPolicy(Qt::StrongFocus);
    FocusedButtonsAnswerEnter(*this);
}

formUserTest::~formUserTest() = default;

void formUserTest::Form_Load() {
    // Keys reach the panel before its controls, also when its frame holds the focus.
    if (parentWidget()) parentWidget()->installEventFilter(this);
    ProductionWindow::Form_Load();
    const QSignalBlocker b1(comboTransmitMode), b2(scrollTxTime), b3(comboChannelOverride),
        b4(diags.comboDiagnosticSelect);
    scrollTxTime->setValue(dialogue_->txTime());
    comboTransmitMode->setCurrentIndex(0);
    SetTxTimeLabel("0 S", false);
    comboChannelOverride->setCurrentIndex(0);
    diags.comboDiagnosticSelect->setCurrentIndex(0);
}

bool formUserTest::HandleKey(QKeyEvent* e) {
    const int code = PanelKeyCode(*e);
    return code != 0 && code != keyEnter && dialogue_->KeyDown(code, PanelModifiers(*e));
}

bool formUserTest::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
    return ToolWindowBase::eventFilter(watched, event);
}

void formUserTest::keyPressEvent(QKeyEvent* e) {
    if (HandleKey(e)) e->accept();
    else ToolWindowBase::keyPressEvent(e);
}

void formUserTest::SetChannelWarning(const std::string& text) { labelChannelWarning->setText(QText(text)); }
void formUserTest::SetSwitchSetting(const std::string& text) { labelSwitchSetting->setText(QText(text)); }

void formUserTest::SelectChannelOverride(int index) {
    const QSignalBlocker block(comboChannelOverride);
    comboChannelOverride->setCurrentIndex(index);
}

}  // namespace k45
