#include "diagnostics/ui/offline_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "base/ini_routines.h"
#include "wiring/main_frame.h"
#include "platform/qt/qt_text.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

void SetItems(QComboBox* box, const std::vector<std::string>& items, int selected) {
    box->blockSignals(true);
    box->clear();
    for (const auto& i : items) box->addItem(QText(i));
    box->setCurrentIndex(selected);
    box->blockSignals(false);
}

}  // namespace

formOffLine::formOffLine(AppContext& ctx, SharedDiagSettings settings, QWidget* parent)
    : DiagDialogueWindow(ctx, "formOffLine", "Offline Diagnostics", Placement::Saved, parent, DialogueLinks::Of(ctx),
                         *settings),
      settings_(std::move(settings)) {
    // Target choice.
    auto* source = new QGroupBox("Modem Select", this);
    source->setObjectName("frameRadioModemSource");
    auto* sl = new QGridLayout(source);
    optionLocal = new QRadioButton("&Local ID:", source);
    optionLocal->setObjectName("optionLocal");
    optionLocal->setChecked(true);
    textLocalId = new QLineEdit("0", source);
    textLocalId->setObjectName("textLocalId");
    textLocalId->setReadOnly(true);
    textLocalId->setMaxLength(10);
    optionRemote = new QRadioButton("&Remote ID:", source);
    optionRemote->setObjectName("optionRemote");
    comboRemoteIDs = new QComboBox(source);
    comboRemoteIDs->setObjectName("comboRemoteIDs");
    comboRemoteIDs->setEditable(true);
    comboRemoteIDs->setInsertPolicy(QComboBox::NoInsert);
    comboRemoteIDs->setMinimumWidth(100);
    SelectAllOnFocus(comboRemoteIDs);
    sl->addWidget(optionLocal, 0, 0);
    sl->addWidget(textLocalId, 0, 1);
    sl->addWidget(optionRemote, 1, 0);
    sl->addWidget(comboRemoteIDs, 1, 1);
    auto* selection = new QGroupBox("Diagnostic Select:", this);
    selection->setObjectName("frameRemoteSelection");
    auto* rl = new QVBoxLayout(selection);
    optionRemoteSelected = new QRadioButton("Selected Remote ID", selection);
    optionRemoteSelected->setObjectName("optionRemoteSelected");
    optionRemoteSelected->setChecked(true);
    optionRemoteList = new QRadioButton("Remote ID List", selection);
    optionRemoteList->setObjectName("optionRemoteList");
    rl->addWidget(optionRemoteSelected);
    rl->addWidget(optionRemoteList);
    buttonDiagsStatsGet = kit::Button(this, "buttonDiagsStatsGet", "Get &Diags / Stats");
    buttonDiagsStatsStop = kit::Button(this, "buttonDiagsStatsStop", "St&op");
    buttonSave = kit::Button(this, "buttonSave", "Sa&ve");
    buttonClose = kit::Button(this, "buttonClose", "&Close");
    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(source);
    left->addWidget(selection);
    left->addWidget(buttonDiagsStatsGet);
    left->addWidget(buttonDiagsStatsStop);
    left->addStretch();
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addWidget(buttonSave);
    fileButtons->addWidget(buttonClose);
    left->addLayout(fileButtons);

    // Diagnostics. The values stand in styled panels.
    const auto valuePanel = [](QWidget* parent, const char* name) {
        return kit::Value(parent, name, QString(), 70, Qt::AlignLeft | Qt::AlignVCenter, QFrame::StyledPanel);
    };
    auto* diags = new QGroupBox("Diagnostics:", this);
    diags->setObjectName("frameDiags");
    auto* dl = new QGridLayout(diags);
    comboDiagnosticSelect = new QComboBox(diags);
    comboDiagnosticSelect->setObjectName("comboDiagnosticSelect");
    comboDiagnosticSelect->addItems({"Current", "Low", "High"});
    dl->addWidget(BuddyCaption("&Select:", comboDiagnosticSelect), 0, 0);
    dl->addWidget(comboDiagnosticSelect, 0, 1);
    const char* diagCaptions[] = {"Battery Voltage:", "Analog Vcc:",     "Temperature:",    "RSSI Level:",   "Forward Power:",
                                  "Reverse Power:",   "Preamble Good:", "Preamble Total:", "Preamble DCD:"};
    const char* diagNames[] = {"labelBatteryVoltage", "labelAnalogVcc",     "labelTemperature",
                               "labelRssiLevel",      "labelFwdPwr",        "labelRevPwr",
                               "labelPreambleGood",   "labelPreambleTotal", "labelPreambleDCD"};
    for (int i = 0; i < 9; ++i) {
        diagLabels[static_cast<std::size_t>(i)] = valuePanel(diags, diagNames[i]);
        dl->addWidget(new QLabel(diagCaptions[i], diags), i + 1, 0);
        dl->addWidget(diagLabels[static_cast<std::size_t>(i)], i + 1, 1);
    }
    buttonClearDiags = kit::Button(diags, "buttonClearDiags", "Clear D&iags");
    dl->addWidget(buttonClearDiags, 10, 0, 1, 2);
    dl->setVerticalSpacing(2);

    // Network statistics.
    auto* stats = new QGroupBox("Network Statistics", this);
    stats->setObjectName("frameStats");
    auto* tl = new QGridLayout(stats);
    comboRemoteSelect = new QComboBox(stats);
    comboRemoteSelect->setObjectName("comboRemoteSelect");
    comboRemoteSelect->setMinimumWidth(90);
    tl->addWidget(BuddyCaption("Re&mote:", comboRemoteSelect), 0, 0);
    tl->addWidget(comboRemoteSelect, 0, 1);
    const char* statsCaptions[] = {"ID Truncated:",    "RSSI Level:",    "Temperature:",
                                   "Battery Voltage:", "Forward Power:", "Reverse Power:"};
    const char* statsNames[] = {"labelIDTruncated", "labelStatsRssi",     "labelStatsTemp",
                                "labelStatsBatt",   "labelStatsFwdPwr",   "labelStatsRevPwr"};
    for (int i = 0; i < 6; ++i) {
        statsLabels[static_cast<std::size_t>(i)] = valuePanel(stats, statsNames[i]);
        tl->addWidget(new QLabel(statsCaptions[i], stats), i + 1, 0);
        tl->addWidget(statsLabels[static_cast<std::size_t>(i)], i + 1, 1);
    }
    tl->setRowStretch(7, 1);
    buttonClearStats = kit::Button(stats, "buttonClearStats", "Clear S&tats");
    tl->addWidget(buttonClearStats, 10, 0, 1, 2);
    tl->setVerticalSpacing(2);

    auto* upper = new QHBoxLayout;
    upper->addLayout(left);
    upper->addWidget(diags);
    upper->addWidget(stats);

    // Channel, tone, level, progress.
    auto* lower = new QGridLayout;
    comboChannel = new QComboBox(this);
    comboChannel->setObjectName("comboChannel");
    for (int c = 1; c <= 8; ++c) comboChannel->addItem(QString::number(c), c);
    comboChannel->setCurrentIndex(7);
    buttonChannelChange = kit::Button(this, "buttonChannelChange", "Chan&ge Channel 8");
    labelChannelWarning = new QLabel(this);
    labelChannelWarning->setObjectName("labelChannelWarning");
    labelSwitchSetting = new QLabel(this);
    labelSwitchSetting->setObjectName("labelSwitchSetting");
    lower->addWidget(BuddyCaption("Ch&annel:", comboChannel), 0, 0);
    lower->addWidget(comboChannel, 0, 1);
    lower->addWidget(buttonChannelChange, 0, 2);
    lower->addWidget(labelChannelWarning, 1, 0, 1, 3);
    lower->addWidget(labelSwitchSetting, 2, 0, 1, 3);
    scrollTxTime = kit::HScroll(this, "scrollTxTime", 1, 60, 5, 120);
    labelTxTime = new QLabel("1 S", this);
    labelTxTime->setObjectName("labelTxTime");
    buttonTxTone = kit::Button(this, "buttonTxTone", "T&x Tone");
    lower->addWidget(BuddyCaption("T&x Time:", scrollTxTime), 0, 4);
    lower->addWidget(scrollTxTime, 0, 5);
    lower->addWidget(labelTxTime, 0, 6);
    lower->addWidget(buttonTxTone, 0, 7);
    labelCurrentLevel = new QLabel("---- dBm", this);
    labelCurrentLevel->setObjectName("labelCurrentLevel");
    panelCurrentLevel = new QProgressBar(this);
    panelCurrentLevel->setObjectName("panelCurrentLevel");
    panelCurrentLevel->setRange(0, 100);
    panelCurrentLevel->setValue(0);
    lower->addWidget(new QLabel("RSSI", this), 1, 4);
    lower->addWidget(labelCurrentLevel, 1, 5);
    lower->addWidget(panelCurrentLevel, 1, 6, 1, 2);
    panelProgress = new QProgressBar(this);
    panelProgress->setObjectName("panelProgress");
    panelProgress->setRange(0, 100);
    panelProgress->setValue(0);
    lower->addWidget(new QLabel("Progress:", this), 2, 4);
    lower->addWidget(panelProgress, 2, 5, 1, 3);
    lower->setColumnMinimumWidth(3, 12);
    lower->setVerticalSpacing(2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper);
    layout->addLayout(lower);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(4);
    EnableRemote(false);
    FocusedButtonsAnswerEnter(*this);

    connect(optionLocal, &QRadioButton::clicked, this, [this] {
        EnableRemote(false);
        dialogue_->SetLocal(true);
    });
    connect(optionRemote, &QRadioButton::clicked, this, [this] {
        EnableRemote(true);
        dialogue_->SetLocal(false);
    });
    connect(optionRemoteSelected, &QRadioButton::clicked, this, [this] { dialogue_->SetRemoteList(false); });
    connect(optionRemoteList, &QRadioButton::clicked, this, [this] { dialogue_->SetRemoteList(true); });
    connect(comboRemoteIDs, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->SelectRemote(i); });
    connect(comboRemoteIDs, &QComboBox::editTextChanged, this,
            [this](const QString& t) { dialogue_->TypeRemote(t.toStdString()); });
    connect(comboDiagnosticSelect, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->SelectDiagSet(i); });
    connect(comboRemoteSelect, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->SelectStatsEntry(i); });
    connect(comboChannel, QOverload<int>::of(&QComboBox::activated), this,
            [this](int i) { dialogue_->SelectChannel(i); });
    connect(scrollTxTime, &QScrollBar::valueChanged, this, [this](int v) {
        labelTxTime->setText(QString("%1 S").arg(v));
        dialogue_->SetTxTime(v);
    });
    connect(buttonDiagsStatsGet, &QPushButton::clicked, this, [this] { dialogue_->GetDiagsStats(); });
    connect(buttonDiagsStatsStop, &QPushButton::clicked, this, [this] { dialogue_->Stop(); });
    connect(buttonClearDiags, &QPushButton::clicked, this, [this] { dialogue_->ClearDiags(); });
    connect(buttonClearStats, &QPushButton::clicked, this, [this] { dialogue_->ClearStats(); });
    connect(buttonTxTone, &QPushButton::clicked, this, [this] { dialogue_->TxTone(); });
    connect(buttonChannelChange, &QPushButton::clicked, this, [this] { dialogue_->ChangeChannel(); });
    connect(buttonSave, &QPushButton::clicked, this, [this] { dialogue_->SaveClicked(); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseForm(); });
}

formOffLine::~formOffLine() = default;

void formOffLine::EnableRemote(bool on) {
    comboRemoteIDs->setEnabled(on);
    optionRemoteSelected->setEnabled(on);
    optionRemoteList->setEnabled(on);
}

void formOffLine::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    const LocaleInfo& l = ctx_.state.locale;
    OfflineDiagSettings s{.txToneTime = 5, .offlineDiagsFile = ProgramFile(ctx_, "offdiags.txt")};
    ReadIniInto(l, fileName, sectionName, "Tx Tone Time", s.txToneTime);
    ReadIniInto(l, fileName, sectionName, "Offline Diagnostics File", s.offlineDiagsFile);
    dialogue_->setSettings(s);
}

void formOffLine::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!wasLoaded_) return;
    const LocaleInfo& l = ctx_.state.locale;
    const OfflineDiagSettings s = dialogue_->settings();
    WriteWindowSetting(l, fileName, sectionName, "Tx Tone Time", s.txToneTime);
    WriteWindowSetting(l, fileName, sectionName, "Offline Diagnostics File", s.offlineDiagsFile);
}

void formOffLine::Form_Load() {
    DiagDialogueWindow::Form_Load();
    // Leaving for another child window drops a running sequence.
    if (!watchingArea_) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()); sub && sub->mdiArea()) {
            watchingArea_ = true;
            connect(sub->mdiArea(), &QMdiArea::subWindowActivated, this, [this, sub](QMdiSubWindow* w) {
                if (w != sub && loaded()) dialogue_->Deactivate();
            });
        }
    }
    DisplayChanged();
}

void formOffLine::CountResend() {
    if (ctx_.mainFrame) ctx_.mainFrame->IncrementTestNumber(true);
}

void formOffLine::DisplayChanged() {
    const OfflineDisplay& d = dialogue_->display();
    textLocalId->setText(QText(d.localId));
    for (QRadioButton* b : {optionLocal, optionRemote, optionRemoteSelected, optionRemoteList}) b->blockSignals(true);
    (d.optionLocal ? optionLocal : optionRemote)->setChecked(true);
    (d.optionRemoteList ? optionRemoteList : optionRemoteSelected)->setChecked(true);
    for (QRadioButton* b : {optionLocal, optionRemote, optionRemoteSelected, optionRemoteList}) b->blockSignals(false);
    EnableRemote(!d.optionLocal);
    SetItems(comboRemoteIDs, d.remoteIds, d.remoteSelected);
    if (comboRemoteIDs->currentText() != QText(d.remoteText)) {
        comboRemoteIDs->blockSignals(true);
        comboRemoteIDs->setEditText(QText(d.remoteText));
        comboRemoteIDs->blockSignals(false);
    }
    comboDiagnosticSelect->blockSignals(true);
    comboDiagnosticSelect->setCurrentIndex(d.diagSelect);
    comboDiagnosticSelect->blockSignals(false);
    const std::string* diag[] = {&d.battery,    &d.analogVcc,    &d.temperature,   &d.rssiLevel,  &d.fwdPwr,
                                 &d.revPwr,     &d.preambleGood, &d.preambleTotal, &d.preambleDcd};
    for (std::size_t i = 0; i < 9; ++i) diagLabels[i]->setText(QText(*diag[i]));
    std::vector<std::string> statsItems;
    for (const auto& e : d.statsList) statsItems.push_back(e.first);
    SetItems(comboRemoteSelect, statsItems, d.statsSelected);
    const std::string* st[] = {&d.idTruncated, &d.statsRssi, &d.statsTemp, &d.statsBatt, &d.statsFwdPwr, &d.statsRevPwr};
    for (std::size_t i = 0; i < 6; ++i) statsLabels[i]->setText(QText(*st[i]));
    comboChannel->blockSignals(true);
    comboChannel->setCurrentIndex(d.channelIndex);
    comboChannel->blockSignals(false);
    labelChannelWarning->setText(QText(d.channelWarning));
    labelSwitchSetting->setText(QText(d.switchSetting));
    if (scrollTxTime->value() != d.txTime) scrollTxTime->setValue(d.txTime);
    labelTxTime->setText(QString("%1 S").arg(d.txTime));
    labelCurrentLevel->setText(QText(d.currentLevel));
    panelCurrentLevel->setValue(d.levelPercent);
    panelProgress->setValue(d.progress);
}

}  // namespace k45
