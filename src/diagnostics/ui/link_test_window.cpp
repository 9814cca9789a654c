#include "diagnostics/ui/link_test_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "base/converters.h"
#include "base/ini_routines.h"
#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

QString ShortIdOf(const QString& idText) {
    std::uint32_t id = 0;
    if (!ParseUnitIdItem(idText.toStdString(), id)) return QString();
    return QText(ShortIdText(id));
}

}  // namespace

formLinkTst::formLinkTst(AppContext& ctx, SharedDiagSettings settings, QWidget* parent)
    : DiagDialogueWindow(ctx, "formLinkTst", "Offline Link Test", Placement::Saved, parent, DialogueLinks::Of(ctx),
                         *settings),
      settings_(std::move(settings)) {
    auto* remote = new QGroupBox("Remote Select:", this);
    remote->setObjectName("frameRadioModemSource");
    auto* rl = new QGridLayout(remote);
    textLocalId = new QLineEdit("0", remote);
    textLocalId->setObjectName("textLocalId");
    textLocalId->setReadOnly(true);
    textLocalId->setMaxLength(10);
    textLocalShortId = new QLineEdit(remote);
    textLocalShortId->setObjectName("textLocalShortId");
    textLocalShortId->setReadOnly(true);
    textLocalShortId->setText(ShortIdOf("0"));
    comboFilterIDs = new QComboBox(remote);
    comboFilterIDs->setObjectName("comboFilterIDs");
    comboFilterIDs->setEditable(true);
    comboFilterIDs->setInsertPolicy(QComboBox::NoInsert);
    comboFilterIDs->setMinimumWidth(100);
    textRemoteShortId = new QLineEdit(remote);
    textRemoteShortId->setObjectName("textRemoteShortId");
    textRemoteShortId->setReadOnly(true);
    rl->addWidget(BuddyCaption("&Local ID:", textLocalId), 0, 0);
    rl->addWidget(textLocalId, 0, 1);
    rl->addWidget(new QLabel("Short ID:", remote), 0, 2);
    rl->addWidget(textLocalShortId, 0, 3);
    rl->addWidget(BuddyCaption("&Remote ID:", comboFilterIDs), 1, 0);
    rl->addWidget(comboFilterIDs, 1, 1);
    rl->addWidget(new QLabel("Short ID:", remote), 1, 2);
    rl->addWidget(textRemoteShortId, 1, 3);

    auto* grid = new QGridLayout;
    textNumOfBlocks = NumberBox(ctx.state.locale, this, this, "textNumOfBlocks", 10, 4294967295.0);
    textNumOfBlocks->setCtrlSteps(100, 1000);
    textNumOfBlocks->setText("0");
    scrollBlockSize = kit::HScroll(this, "scrollBlockSize", 1, 200, 10, 150);
    scrollBlockSize->setValue(10);
    labelBlockSize = kit::Label(this, "labelBlockSize", "10");
    scrollBlockDelay = kit::HScroll(this, "scrollBlockDelay", 0, 240, 10);
    labelBlockDelay = kit::Label(this, "labelBlockDelay", "0.00 S");
    labelBlocksTxed = kit::Label(this, "labelBlocksTxed", "0");
    labelBlocksRxed = kit::Label(this, "labelBlocksRxed", "0");
    labelLinkQuality = kit::Label(this, "labelLinkQuality", "100.000 %");
    grid->addWidget(BuddyCaption("# of Bloc&ks to Send:", textNumOfBlocks), 0, 0);
    grid->addWidget(textNumOfBlocks, 0, 1);
    grid->addWidget(BuddyCaption("&Blocks Per Transmission:", scrollBlockSize), 1, 0);
    grid->addWidget(scrollBlockSize, 1, 1);
    grid->addWidget(labelBlockSize, 1, 2);
    grid->addWidget(BuddyCaption("Block &Delay (s):", scrollBlockDelay), 2, 0);
    grid->addWidget(scrollBlockDelay, 2, 1);
    grid->addWidget(labelBlockDelay, 2, 2);
    grid->addWidget(new QLabel("Blocks Tx'ed to Remote:", this), 3, 0);
    grid->addWidget(labelBlocksTxed, 3, 1);
    grid->addWidget(new QLabel("Blocks Rx'ed from Remote:", this), 4, 0);
    grid->addWidget(labelBlocksRxed, 4, 1);
    grid->addWidget(new QLabel("Link Quality:", this), 5, 0);
    grid->addWidget(labelLinkQuality, 5, 1);

    buttonStart = kit::Button(this, "buttonStart", "&Start");
    buttonPause = kit::Button(this, "buttonPause", "P&ause");
    buttonClear = kit::Button(this, "buttonClear", "C&lear");
    buttonClose = kit::Button(this, "buttonClose", "&Close");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(remote);
    layout->addLayout(grid);
    layout->addLayout(CentredButtons({buttonStart, buttonPause, buttonClear, buttonClose}));
    FocusedButtonsAnswerEnter(*this);

    connect(textLocalId, &QLineEdit::textChanged, this, [this](const QString& t) { textLocalShortId->setText(ShortIdOf(t)); });
    connect(comboFilterIDs, &QComboBox::editTextChanged, this, [this](const QString& t) {
        dialogue_->TypeRemote(t.toStdString());
        textRemoteShortId->setText(ShortIdOf(t));
    });
    connect(textNumOfBlocks, &QLineEdit::textChanged, this,
            [this](const QString& t) { dialogue_->SetNumOfBlocks(t.toStdString()); });
    connect(scrollBlockSize, &QScrollBar::valueChanged, this, [this](int v) {
        dialogue_->SetBlockSize(v);
        labelBlockSize->setText(QString::number(v));
    });
    connect(scrollBlockDelay, &QScrollBar::valueChanged, this, [this](int v) {
        dialogue_->SetBlockDelay(v);
        labelBlockDelay->setText(QText(FormatFixed(v * 0.5, 1, ctx_.state.locale)) + " S");
    });
    connect(buttonStart, &QPushButton::clicked, this, [this] { dialogue_->StartClicked(); });
    connect(buttonPause, &QPushButton::clicked, this, [this] { dialogue_->PauseClicked(); });
    connect(buttonClear, &QPushButton::clicked, this, [this] { dialogue_->ClearClicked(); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseForm(); });
}

formLinkTst::~formLinkTst() = default;

void formLinkTst::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    const LocaleInfo& l = ctx_.state.locale;
    LinkTestSettings s = dialogue_->loadSettings();
    ReadIniInto(l, fileName, sectionName, "Blocks", s.numberOfBlocks);
    s.blockDelay = LinkTestSettings{}.blockDelay;
    ReadIniInto(l, fileName, sectionName, "Block Delay", s.blockDelay);
    s.blockSize = LinkTestSettings{}.blockSize;
    ReadIniInto(l, fileName, sectionName, "Block Size", s.blockSize);
    dialogue_->SetLoadSettings(s);
}

void formLinkTst::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!wasLoaded_) return;
    const LocaleInfo& l = ctx_.state.locale;
    const LinkTestSettings& s = dialogue_->loadSettings();
    WriteWindowSetting(l, fileName, sectionName, "Blocks", s.numberOfBlocks);
    WriteWindowSetting(l, fileName, sectionName, "Block Delay", s.blockDelay);
    WriteWindowSetting(l, fileName, sectionName, "Block Size", s.blockSize);
}

void formLinkTst::Form_Load() {
    DiagDialogueWindow::Form_Load();
    const LinkTestDisplay& d = dialogue_->display();
    textNumOfBlocks->setText(QText(d.numOfBlocks));
    scrollBlockDelay->setValue(d.blockDelay);
    scrollBlockSize->setValue(d.blockSize);
    labelBlockDelay->setText(QText(FormatFixed(d.blockDelay * 0.5, 1, ctx_.state.locale)) + " S");
    labelBlockSize->setText(QString::number(d.blockSize));
    DisplayChanged();
}

void formLinkTst::DisplayChanged() {
    const LinkTestDisplay& d = dialogue_->display();
    textLocalId->setText(QText(d.localId));
    comboFilterIDs->blockSignals(true);
    comboFilterIDs->clear();
    for (const auto& id : d.remoteIds) comboFilterIDs->addItem(QText(id));
    comboFilterIDs->setCurrentIndex(d.remoteSelected);
    comboFilterIDs->setEditText(QText(d.remoteText));
    comboFilterIDs->blockSignals(false);
    textRemoteShortId->setText(ShortIdOf(QText(d.remoteText)));
    labelBlocksTxed->setText(QText(d.blocksTxed));
    labelBlocksRxed->setText(QText(d.blocksRxed));
    labelLinkQuality->setText(QText(d.linkQuality));
    buttonStart->setEnabled(dialogue_->startAvailable());
    buttonPause->setEnabled(d.pauseEnabled);
    textNumOfBlocks->setEnabled(d.settingsEnabled);
    scrollBlockSize->setEnabled(d.settingsEnabled);
    scrollBlockDelay->setEnabled(d.settingsEnabled);
}

void formLinkTst::FocusStart() { buttonStart->setFocus(); }
void formLinkTst::FocusPause() { buttonPause->setFocus(); }

}  // namespace k45
