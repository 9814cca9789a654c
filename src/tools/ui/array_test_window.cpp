#include "tools/ui/array_test_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

#include "wiring/app_context.h"
#include "base/converters.h"
#include "base/ini_routines.h"
#include "wiring/tool_window_ids.h"
#include "platform/qt/qt_text.h"
#include "tools/ui/terminal_window.h"
#include "tools/ui/tool_fields.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

formTstArray::formTstArray(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formTstArray", "Array Test", Placement::Saved, parent, MadeByWindow{}) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    labelPacketsTxed = ValueLabel(this, "labelPacketsTxed");
    textNumOfPackets = PacketCountBox(ctx.state.locale, this, "textNumOfPackets");
    comboArrayType = new QComboBox(this);
    comboArrayType->setObjectName("comboArrayType");
    const char* types[] = {"ASCII Pattern", "ASCII Number Pattern", "Binary Pattern", "Random Binary Data"};
    for (int i = 0; i < 4; ++i) comboArrayType->addItem(types[i], i);
    labelPacketSize = ValueLabel(this, "labelPacketSize");
    labelPacketSize->setText("16");
    scrollNumPackets = kit::HScroll(this, "scrollNumPackets", 1, 256, 16);
    labelNumPackets = ValueLabel(this, "labelNumPackets");
    labelNumPackets->setText("1");
    scrollPacketDelay = kit::HScroll(this, "scrollPacketDelay", 0, 120, 10);
    labelPacketDelay = ValueLabel(this, "labelPacketDelay");
    labelPacketDelay->setText("0.00 S");
    checkTestDribbleBit = new QCheckBox("Dribble Bit Test", this);
    checkTestDribbleBit->setObjectName("checkTestDribbleBit");
    checkPause = new QCheckBox("P&ause", this);
    checkPause->setObjectName("checkPause");
    frameComPort = new QGroupBox("Co&m Port:", this);
    frameComPort->setObjectName("frameComPort");
    auto* ports = new QHBoxLayout(frameComPort);
    optionPrimaryCom = new QRadioButton("Primary", frameComPort);
    optionPrimaryCom->setObjectName("optionPrimaryCom");
    optionSecondaryCom = new QRadioButton("Secondary", frameComPort);
    optionSecondaryCom->setObjectName("optionSecondaryCom");
    optionPrimaryCom->setChecked(true);
    ports->addWidget(optionPrimaryCom);
    ports->addWidget(optionSecondaryCom);
    buttonStart = kit::Button(this, "buttonStart", "&Start");
    buttonStop = kit::Button(this, "buttonStop", "St&op");
    buttonClose = kit::Button(this, "buttonClose", "&Close");

    int row = 0;
    grid->addWidget(new QLabel("Packets Tx'ed:", this), row, 0);
    grid->addWidget(labelPacketsTxed, row++, 1);
    grid->addWidget(BuddyCaption("# of Pac&kets to Send:", textNumOfPackets), row, 0);
    grid->addWidget(textNumOfPackets, row++, 1);
    grid->addWidget(BuddyCaption("&Type of Data:", comboArrayType), row++, 0, 1, 2);
    grid->addWidget(comboArrayType, row++, 0, 1, 2);
    grid->addWidget(new QLabel("Packet Size (Bytes):", this), row, 0);
    grid->addWidget(labelPacketSize, row++, 1);
    grid->addWidget(BuddyCaption("# of P&ackets:", scrollNumPackets), row++, 0, 1, 2);
    grid->addWidget(scrollNumPackets, row, 0);
    grid->addWidget(labelNumPackets, row++, 1);
    grid->addWidget(BuddyCaption("Packet &Delay (s):", scrollPacketDelay), row++, 0, 1, 2);
    grid->addWidget(scrollPacketDelay, row, 0);
    grid->addWidget(labelPacketDelay, row++, 1);
    grid->addWidget(checkTestDribbleBit, row, 0);
    grid->addWidget(checkPause, row++, 1);
    grid->addWidget(frameComPort, row++, 0, 1, 2);
    grid->addLayout(CentredButtons({buttonStart, buttonStop, buttonClose}), row, 0, 1, 2);

    connect(comboArrayType, &QComboBox::currentIndexChanged, this, ToDialogue(&ArrayTestEngine::SelectType));
    connect(scrollNumPackets, &QScrollBar::valueChanged, this, ToDialogue(&ArrayTestEngine::SetPacketsPerArrayScroll));
    connect(scrollPacketDelay, &QScrollBar::valueChanged, this, [this](int v) {
        labelPacketDelay->setText(QText(QuarterSecondsText(v)));
        if (dialogue_) dialogue_->SetDelayScroll(v);
    });
    connect(textNumOfPackets, &QLineEdit::textChanged, this, [this] {
        if (dialogue_) dialogue_->SetNumberBox(BoxNumber(*textNumOfPackets));
    });
    connect(checkTestDribbleBit, &QCheckBox::toggled, this, ToDialogue(&ArrayTestEngine::SetDribbleBitTest));
    connect(optionSecondaryCom, &QRadioButton::toggled, this, ToDialogue(&ArrayTestEngine::SelectSecondaryPort));
    connect(buttonStart, &QPushButton::clicked, this, [this] {
        if (!dialogue_) return;
        FindTerminals();
        dialogue_->Start();
    });
    connect(buttonStop, &QPushButton::clicked, this, ToDialogue(&ArrayTestEngine::Stop));
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseForm(); });
}

formTstArray::~formTstArray() = default;

void formTstArray::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    const auto& locale = ctx_.state.locale;
    settings_.dataTypeIndex = ReadInt16(locale, fileName, sectionName, "Data Type", settings_.dataTypeIndex);
    const std::string packets = ReadIniValue(locale, fileName, sectionName, "Packets", settings_.packetsToSend);
    char* end = nullptr;
    const double v = std::strtod(packets.c_str(), &end);
    if (end != packets.c_str() && v >= 0 && v <= 2147483647.0) settings_.packetsToSend = static_cast<std::int32_t>(v);
    settings_.savedPacketsPerArray =
        ReadInt16(locale, fileName, sectionName, "Number of Packets", settings_.savedPacketsPerArray);
    settings_.savedPacketDelay = ReadInt16(locale, fileName, sectionName, "Packet Delay", settings_.savedPacketDelay);
    settings_.useSecondaryPort =
        ReadIniValue(locale, fileName, sectionName, "Secondary Port", settings_.useSecondaryPort) == "True";
}

void formTstArray::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!wasLoaded_) return;
    if (dialogue_) settings_ = dialogue_->settings();
    const auto& locale = ctx_.state.locale;
    WriteWindowSetting(locale, fileName, sectionName, "Data Type", settings_.dataTypeIndex);
    WriteWindowSetting(locale, fileName, sectionName, "Packets", settings_.packetsToSend);
    WriteWindowSetting(locale, fileName, sectionName, "Number of Packets", settings_.savedPacketsPerArray);
    WriteWindowSetting(locale, fileName, sectionName, "Packet Delay", settings_.savedPacketDelay);
    WriteWindowSetting(locale, fileName, sectionName, "Secondary Port", settings_.useSecondaryPort);
}

void formTstArray::Form_Load() {
    if (!dialogue_ && ctx_.ports.classCommPrimary && ctx_.ports.classCommSecondary && ctx_.scheduler())
        MakeDialogue(DialogueLinks::Of(ctx_)).setSettings(settings_);
    if (!dialogue_) return;
    wasLoaded_ = true;
    checkTestDribbleBit->setVisible(ctx_.state.engineerMode);
    checkTestDribbleBit->setEnabled(ctx_.state.engineerMode);
    DialogueWindow::Form_Load();
    const QSignalBlocker b1(comboArrayType), b2(scrollNumPackets), b3(scrollPacketDelay), b4(textNumOfPackets),
        b5(optionSecondaryCom), b6(optionPrimaryCom);
    comboArrayType->setCurrentIndex(dialogue_->dataType());
    scrollNumPackets->setValue(std::clamp<int>(dialogue_->settings().savedPacketsPerArray, 1, 256));
    scrollPacketDelay->setValue(std::clamp<int>(dialogue_->settings().savedPacketDelay, 0, 120));
    labelPacketDelay->setText(QText(QuarterSecondsText(scrollPacketDelay->value())));
    dialogue_->SetPacketsPerArrayScroll(scrollNumPackets->value());
    dialogue_->SetDelayScroll(scrollPacketDelay->value());
    ShowBoxNumber(*textNumOfPackets, dialogue_->settings().packetsToSend);
    (dialogue_->settings().useSecondaryPort ? optionSecondaryCom : optionPrimaryCom)->setChecked(true);
}

void formTstArray::Form_Unload() {
    if (!dialogue_) return;
    ArrayTestSettings s = dialogue_->settings();
    s.savedPacketsPerArray = static_cast<std::int16_t>(scrollNumPackets->value());
    s.savedPacketDelay = static_cast<std::int16_t>(scrollPacketDelay->value());
    dialogue_->setSettings(s);
    DialogueWindow::Form_Unload();
}

void formTstArray::FindTerminals() {
    const ToolWindow order[] = {ToolWindow::formHexPrimary, ToolWindow::formTextPrimary, ToolWindow::formHexSecondary,
                                ToolWindow::formTextSecondary};
    for (std::size_t i = 0; i < 4; ++i) {
        auto* t = ctx_.formAs<formHexText>(order[i]);
        dialogue_->terminals[i] = t && t->hasDialogue() ? &t->dialogue() : nullptr;
    }
}

bool formTstArray::PauseTicked() const { return checkPause->isChecked(); }
void formTstArray::ShowPacketsTxed(std::int32_t count) { labelPacketsTxed->setText(QString::number(count)); }
void formTstArray::ShowPacketSize(int size) { labelPacketSize->setText(QString::number(size)); }
void formTstArray::ShowPacketsPerArray(int count) { labelNumPackets->setText(QString::number(count)); }

void formTstArray::SetRunning(bool running) {
    buttonStart->setEnabled(!running);
    buttonStop->setEnabled(running);
    for (QWidget* w : {static_cast<QWidget*>(scrollNumPackets), static_cast<QWidget*>(scrollPacketDelay),
                       static_cast<QWidget*>(textNumOfPackets), static_cast<QWidget*>(frameComPort),
                       static_cast<QWidget*>(comboArrayType)})
        w->setEnabled(!running);
    if (ctx_.state.engineerMode) checkTestDribbleBit->setEnabled(!running);
    (running ? buttonStop : buttonStart)->setFocus();
}

}  // namespace k45
