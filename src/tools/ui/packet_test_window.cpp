#include "tools/ui/packet_test_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cstdlib>

#include "wiring/app_context.h"
#include "base/converters.h"
#include "base/ini_routines.h"
#include "platform/places.h"
#include "platform/qt/qt_text.h"
#include "tools/array_test.h"
#include "tools/ui/terminal_window.h"
#include "tools/ui/tool_fields.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

QRadioButton* Option(QWidget* parent, const char* name, const char* caption) {
    auto* o = new QRadioButton(caption, parent);
    o->setObjectName(name);
    return o;
}

QFrame* Indicator(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFixedSize(14, 14);
    f->setFrameStyle(QFrame::Box | QFrame::Plain);
    f->setAutoFillBackground(true);
    f->setStyleSheet("background-color: black;");
    return f;
}

double ReadDouble(const LocaleInfo& locale, const std::string& file, const std::string& section, const char* key,
                  double current) {
    const std::string text = ReadIniValue(locale, file, section, key, current);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return end == text.c_str() ? current : v;
}

}  // namespace

formPacketTst::formPacketTst(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formPacketTst", "Packet Test", Placement::Saved, parent, MadeByWindow{}) {
    auto* top = new QGridLayout(this);
    top->setContentsMargins(8, 8, 8, 8);

    frameHostRemote = new QGroupBox("H&ost / Remote:", this);
    frameHostRemote->setObjectName("frameHostRemote");
    auto* modes = new QVBoxLayout(frameHostRemote);
    optionHost = Option(frameHostRemote, "optionHost", "Host (Primary Port)");
    optionRemote = Option(frameHostRemote, "optionRemote", "Remote (Primary Port)");
    optionHostRemote2Ports = Option(frameHostRemote, "optionHostRemote2Ports", "Host / Remote (1 Computer / 2 Ports)");
    optionHostRemote1Port = Option(frameHostRemote, "optionHostRemote1Port", "Host / Remote (1 Port Using Y-Cable) ");
    optionHostRemote1Way = Option(frameHostRemote, "optionHostRemote1Way", "Host to Remote (1 Way Only / 2 Ports)");
    for (QRadioButton* o : {optionHost, optionRemote, optionHostRemote2Ports, optionHostRemote1Port, optionHostRemote1Way})
        modes->addWidget(o);
    optionHost->setChecked(true);

    auto* inputs = new QGridLayout;
    comboNumDataBytes = new QComboBox(this);
    comboNumDataBytes->setObjectName("comboNumDataBytes");
    for (int v : {4, 8, 16, 32, 64, 128, 256}) comboNumDataBytes->addItem(QString::number(v), v);
    comboRateRatio = new QComboBox(this);
    comboRateRatio->setObjectName("comboRateRatio");
    for (int v : {1, 2, 4, 8, 16}) comboRateRatio->addItem(QString::number(v), v);
    scrollPacketDelay = kit::HScroll(this, "scrollPacketDelay", 0, 40, 10, 120);
    labelPacketDelay = new QLabel("0.00 S", this);
    labelPacketDelay->setObjectName("labelPacketDelay");
    textNumOfPackets = PacketCountBox(ctx.state.locale, this, "textNumOfPackets");
    inputs->addWidget(BuddyCaption("&Bytes of Data / Packet:", comboNumDataBytes), 0, 0);
    inputs->addWidget(comboNumDataBytes, 0, 1);
    inputs->addWidget(BuddyCaption("ComPort / Network &Ratio:", comboRateRatio), 1, 0);
    inputs->addWidget(comboRateRatio, 1, 1);
    inputs->addWidget(BuddyCaption("Packet &Delay (s):", scrollPacketDelay), 2, 0);
    auto* delay = new QHBoxLayout;
    delay->addWidget(scrollPacketDelay, 1);
    delay->addWidget(labelPacketDelay);
    inputs->addLayout(delay, 2, 1);
    inputs->addWidget(BuddyCaption("# of Pac&kets to Send:", textNumOfPackets), 3, 0);
    inputs->addWidget(textNumOfPackets, 3, 1);

    frameTestType = new QGroupBox("Test Type", this);
    frameTestType->setObjectName("frameTestType");
    auto* type = new QHBoxLayout(frameTestType);
    optionSingleTest = Option(frameTestType, "optionSingleTest", "Single");
    optionMultipleTest = Option(frameTestType, "optionMultipleTest", "Multiple");
    type->addWidget(optionSingleTest);
    type->addWidget(optionMultipleTest);
    optionSingleTest->setChecked(true);
    frameStartStop = new QGroupBox("Start/Stop", this);
    frameStartStop->setObjectName("frameStartStop");
    auto* ss = new QHBoxLayout(frameStartStop);
    optionStart = Option(frameStartStop, "optionStart", "Start");
    optionStop = Option(frameStartStop, "optionStop", "Stop");
    optionTesting = Option(frameStartStop, "optionTesting", "Testing");
    for (QRadioButton* o : {optionStart, optionStop, optionTesting}) ss->addWidget(o);
    optionStart->setChecked(true);
    frameStartStop->hide();
    frameStartStop->setEnabled(false);
    checkAsciiMode = new QCheckBox("ASCII Mode", this);
    checkAsciiMode->setObjectName("checkAsciiMode");
    checkTurnAroundTest = new QCheckBox("Turn Around Test", this);
    checkTurnAroundTest->setObjectName("checkTurnAroundTest");

    auto* counts = new QGridLayout;
    // The counts and figures: right-aligned in sunken panels.
    const auto valuePanel = [this](const char* name, const char* text) {
        return kit::Value(this, name, text, 90, Qt::AlignRight | Qt::AlignVCenter);
    };
    labelHostPacketsTxed = valuePanel("labelHostPacketsTxed", "0");
    labelRemotePacketsRxed = valuePanel("labelRemotePacketsRxed", "0");
    labelRemotePacketsTxed = valuePanel("labelRemotePacketsTxed", "0");
    labelHostPacketsRxed = valuePanel("labelHostPacketsRxed", "0");
    labelHostToRemotePercent = valuePanel("labelHostToRemotePercent", "0.000 %");
    labelRemoteToHostPercent = valuePanel("labelRemoteToHostPercent", "0.000 %");
    labelOverallPercent = valuePanel("labelOverallPercent", "0.000 %");
    labelCtsFailuresLabel = new QLabel("CTS Failures:", this);
    labelCtsFailuresLabel->setObjectName("labelCtsFailuresLabel");
    labelCtsFailures = valuePanel("labelCtsFailures", "0");
    shapeHostRx = Indicator(this, "shapeHostRx");
    shapeRemoteRx = Indicator(this, "shapeRemoteRx");
    const std::pair<const char*, QLabel*> rows[] = {
        {"Host Packets Tx'ed:", labelHostPacketsTxed},   {"Remote Packets Rx'ed:", labelRemotePacketsRxed},
        {"Remote Packets Tx'ed:", labelRemotePacketsTxed}, {"Host Packets Rx'ed:", labelHostPacketsRxed},
        {"Host To Remote %:", labelHostToRemotePercent}, {"Remote To Host %:", labelRemoteToHostPercent},
        {"Overall %:", labelOverallPercent},
    };
    int row = 0;
    for (const auto& [caption, label] : rows) {
        counts->addWidget(new QLabel(caption, this), row, 0);
        counts->addWidget(label, row, 1);
        ++row;
    }
    counts->addWidget(shapeRemoteRx, 1, 2);
    counts->addWidget(shapeHostRx, 3, 2);
    counts->addWidget(labelCtsFailuresLabel, row, 0);
    counts->addWidget(labelCtsFailures, row, 1);
    ++row;
    labelTestCalculatedTicks = valuePanel("labelTestCalculatedTicks", "0");
    labelTestHostTicks = valuePanel("labelTestHostTicks", "0");
    labelTestTotalTime = valuePanel("labelTestTotalTime", "0");
    labelTestTotalTicks = valuePanel("labelTestTotalTicks", "0");
    auto* timing = new QHBoxLayout;
    for (QLabel* l : {labelTestCalculatedTicks, labelTestHostTicks, labelTestTotalTime, labelTestTotalTicks}) {
        l->setMinimumWidth(40);
        timing->addWidget(l);
    }
    counts->addLayout(timing, row, 0, 1, 3);

    buttonStart = kit::Button(this, "buttonStart", "&Start");
    buttonStart->setDefault(true);
    buttonPause = kit::Button(this, "buttonPause", "P&ause");
    buttonResume = kit::Button(this, "buttonResume", "&Resume");
    buttonClear = kit::Button(this, "buttonClear", "C&lear");
    buttonSave = kit::Button(this, "buttonSave", "Sa&ve");
    buttonClose = kit::Button(this, "buttonClose", "&Close");
    buttonPause->setEnabled(false);
    buttonResume->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {buttonStart, buttonPause, buttonResume, buttonClear, buttonSave, buttonClose})
        buttons->addWidget(b);

    auto* left = new QVBoxLayout;
    left->addWidget(frameHostRemote);
    left->addLayout(inputs);
    left->addWidget(frameTestType);
    left->addWidget(frameStartStop);
    auto* flagsRow = new QHBoxLayout;
    flagsRow->addWidget(checkAsciiMode);
    flagsRow->addWidget(checkTurnAroundTest);
    left->addLayout(flagsRow);
    left->addStretch(1);
    top->addLayout(left, 0, 0);
    top->addLayout(counts, 0, 1, Qt::AlignTop);
    top->addLayout(buttons, 1, 0, 1, 2);

    const std::pair<QRadioButton*, PacketTestMode> options[] = {
        {optionHost, PacketTestMode::Host}, {optionRemote, PacketTestMode::Remote}, {optionHostRemote2Ports, PacketTestMode::TwoPorts},
        {optionHostRemote1Port, PacketTestMode::YCable}, {optionHostRemote1Way, PacketTestMode::OneWay}};
    for (const auto& [o, mode] : options) {
        const PacketTestMode m = mode;
        connect(o, &QRadioButton::toggled, this, [this, m](bool on) {
            if (on && dialogue_) dialogue_->SelectOption(m);
        });
    }
    connect(optionSingleTest, &QRadioButton::toggled, this, [this](bool on) {
        frameStartStop->setVisible(!on);
        frameStartStop->setEnabled(!on);
        if (dialogue_) dialogue_->SelectSingle(on);
    });
    connect(optionStart, &QRadioButton::toggled, this, [this](bool on) {
        if (on && dialogue_) dialogue_->SelectSweepEdit(SweepEdit::start);
    });
    connect(optionStop, &QRadioButton::toggled, this, [this](bool on) {
        if (on && dialogue_) dialogue_->SelectSweepEdit(SweepEdit::stop);
    });
    connect(optionTesting, &QRadioButton::toggled, this, [this](bool on) {
        if (on && dialogue_) dialogue_->SelectSweepEdit(SweepEdit::testing);
    });
    connect(comboNumDataBytes, &QComboBox::activated, this, ToDialogue(&PacketTestEngine::SelectBytesIndex));
    connect(comboRateRatio, &QComboBox::currentIndexChanged, this, ToDialogue(&PacketTestEngine::SelectRatioIndex));
    connect(scrollPacketDelay, &QScrollBar::valueChanged, this, ToDialogue(&PacketTestEngine::SetDelay));
    connect(textNumOfPackets, &QLineEdit::textChanged, this, [this] {
        if (dialogue_) dialogue_->SetNumberBox(BoxNumber(*textNumOfPackets));
    });
    connect(checkAsciiMode, &QCheckBox::toggled, this, ToDialogue(&PacketTestEngine::SetAsciiMode));
    connect(checkTurnAroundTest, &QCheckBox::toggled, this, ToDialogue(&PacketTestEngine::SetTurnAround));
    connect(buttonStart, &QPushButton::clicked, this, ToDialogue(&PacketTestEngine::Start));
    connect(buttonPause, &QPushButton::clicked, this, ToDialogue(&PacketTestEngine::Pause));
    connect(buttonResume, &QPushButton::clicked, this, ToDialogue(&PacketTestEngine::Resume));
    connect(buttonClear, &QPushButton::clicked, this, ToDialogue(&PacketTestEngine::Clear));
    connect(buttonSave, &QPushButton::clicked, this, [this] {
        if (dialogue_ && ctx_.dialogs()) dialogue_->Save(*ctx_.dialogs(), ctx_.state.places.programFolder);
    });
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseForm(); });
}

formPacketTst::~formPacketTst() = default;

void formPacketTst::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    const auto& locale = ctx_.state.locale;
    PacketTestSettings& s = settings_;
    s.numberOfPackets = ReadDouble(locale, fileName, sectionName, "Packets", s.numberOfPackets);
    // Any number may stand in the file; the engine takes only a mode the operator can select.
    s.savedMode = static_cast<PacketTestMode>(
        ReadInt16(locale, fileName, sectionName, "Mode", static_cast<std::int16_t>(s.savedMode)));
    s.dataBytesIndex = ReadInt16(locale, fileName, sectionName, "Data Bytes", s.dataBytesIndex);
    s.dataBytesStartIndex = ReadInt16(locale, fileName, sectionName, "Data Bytes Start", s.dataBytesStartIndex);
    s.dataBytesStopIndex = ReadInt16(locale, fileName, sectionName, "Data Bytes Stop", s.dataBytesStopIndex);
    s.ratioIndex = ReadInt16(locale, fileName, sectionName, "ComPort/Network Ratio", s.ratioIndex);
    s.packetDelaySetting = ReadInt16(locale, fileName, sectionName, "Packet Delay", s.packetDelaySetting);
    s.packetDelayStart = ReadInt16(locale, fileName, sectionName, "Packet Delay Start", s.packetDelayStart);
    s.packetDelayStop = ReadInt16(locale, fileName, sectionName, "Packet Delay Stop", s.packetDelayStop);
    s.packetTestFile = ReadIniValue(locale, fileName, sectionName, "Packet Test File",
                                    JoinPath(ctx_.state.places.programFolder, "PacktTst.txt"));
    s.timeFactor = 1.5f;
    if (ctx_.state.engineerMode)
        s.timeFactor = static_cast<float>(ReadDouble(locale, fileName, sectionName, "Time Factor", s.timeFactor));
}

void formPacketTst::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!wasLoaded_) return;
    if (dialogue_) settings_ = dialogue_->settings();
    const auto& locale = ctx_.state.locale;
    const PacketTestSettings& s = settings_;
    WriteWindowSetting(locale, fileName, sectionName, "Packets", s.numberOfPackets);
    WriteWindowSetting(locale, fileName, sectionName, "Mode", static_cast<std::int16_t>(s.savedMode));
    WriteWindowSetting(locale, fileName, sectionName, "Data Bytes", s.dataBytesIndex);
    WriteWindowSetting(locale, fileName, sectionName, "Data Bytes Start", s.dataBytesStartIndex);
    WriteWindowSetting(locale, fileName, sectionName, "Data Bytes Stop", s.dataBytesStopIndex);
    WriteWindowSetting(locale, fileName, sectionName, "ComPort/Network Ratio", s.ratioIndex);
    WriteWindowSetting(locale, fileName, sectionName, "Packet Delay", s.packetDelaySetting);
    WriteWindowSetting(locale, fileName, sectionName, "Packet Delay Start", s.packetDelayStart);
    WriteWindowSetting(locale, fileName, sectionName, "Packet Delay Stop", s.packetDelayStop);
    WriteWindowSetting(locale, fileName, sectionName, "Packet Test File", s.packetTestFile);
    if (ctx_.state.engineerMode) WriteWindowSetting(locale, fileName, sectionName, "Time Factor", s.timeFactor);
}

void formPacketTst::EnsureEngine() {
    if (dialogue_ || !ctx_.ports.classCommPrimary || !ctx_.ports.classCommSecondary || !ctx_.scheduler()) return;
    MakeDialogue(DialogueLinks::Of(ctx_)).setSettings(settings_);
}

void formPacketTst::ApplyFlags() {
    const bool eng = ctx_.state.engineerMode;
    const bool dbg = eng && ctx_.state.debugTest;
    for (QWidget* w : {static_cast<QWidget*>(checkAsciiMode), static_cast<QWidget*>(frameTestType),
                       static_cast<QWidget*>(labelCtsFailuresLabel), static_cast<QWidget*>(labelCtsFailures)}) {
        w->setVisible(eng);
        w->setEnabled(eng);
    }
    for (QWidget* w : {static_cast<QWidget*>(checkTurnAroundTest), static_cast<QWidget*>(labelTestCalculatedTicks),
                       static_cast<QWidget*>(labelTestHostTicks), static_cast<QWidget*>(labelTestTotalTime),
                       static_cast<QWidget*>(labelTestTotalTicks)}) {
        w->setVisible(dbg);
        w->setEnabled(dbg);
    }
    if (!eng) child_window::Placed(this)->adjustSize();
}

void formPacketTst::Form_Load() {
    EnsureEngine();
    if (!dialogue_) return;
    wasLoaded_ = true;
    {
        const QSignalBlocker b1(optionSingleTest), b2(optionStart), b3(checkAsciiMode), b4(checkTurnAroundTest);
        optionSingleTest->setChecked(true);
        optionStart->setChecked(true);
        checkAsciiMode->setChecked(false);
        checkTurnAroundTest->setChecked(false);
        frameStartStop->hide();
        frameStartStop->setEnabled(false);
    }
    DialogueWindow::Form_Load();
    {
        const QSignalBlocker b(comboRateRatio);
        comboRateRatio->setCurrentIndex(dialogue_->settings().ratioIndex);
    }
    QRadioButton* selected = optionHost;
    switch (dialogue_->option()) {
    case PacketTestMode::Remote: selected = optionRemote; break;
    case PacketTestMode::TwoPorts: selected = optionHostRemote2Ports; break;
    case PacketTestMode::YCable: selected = optionHostRemote1Port; break;
    case PacketTestMode::OneWay: selected = optionHostRemote1Way; break;
    default: break;
    }
    {
        const QSignalBlocker b(selected);
        selected->setChecked(true);
    }
    ApplyFlags();
}

// ---- PacketTestView ----

void formPacketTst::ShowCounters(const PacketTestResult& r) {
    auto whole = [](double v) { return QString::number(v, 'f', 0); };
    labelHostPacketsTxed->setText(whole(r.hostTx));
    labelHostPacketsRxed->setText(whole(r.hostRx));
    labelRemotePacketsTxed->setText(whole(r.remoteTx));
    labelRemotePacketsRxed->setText(whole(r.remoteRx));
    labelCtsFailures->setText(whole(r.ctsFailures));
}

void formPacketTst::ShowPercentages(const std::string& a, const std::string& b, const std::string& c) {
    labelHostToRemotePercent->setText(QText(a));
    labelRemoteToHostPercent->setText(QText(b));
    labelOverallPercent->setText(QText(c));
}

void formPacketTst::ShowTiming(const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
    labelTestCalculatedTicks->setText(QText(a));
    labelTestHostTicks->setText(QText(b));
    labelTestTotalTime->setText(QText(c));
    labelTestTotalTicks->setText(QText(d));
}

void formPacketTst::SetRunning(bool running, bool resumeEnabled) {
    buttonStart->setEnabled(!running);
    buttonPause->setEnabled(running);
    buttonResume->setEnabled(!running && resumeEnabled);
    const bool eng = ctx_.state.engineerMode;
    const bool multiple = optionMultipleTest->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(textNumOfPackets), static_cast<QWidget*>(comboNumDataBytes),
                       static_cast<QWidget*>(comboRateRatio), static_cast<QWidget*>(scrollPacketDelay),
                       static_cast<QWidget*>(frameHostRemote), static_cast<QWidget*>(buttonSave)})
        w->setEnabled(!running);
    if (eng) {
        checkAsciiMode->setEnabled(!running);
        frameTestType->setEnabled(!running);
        if (multiple) frameStartStop->setEnabled(!running);
    }
    if (eng && ctx_.state.debugTest) checkTurnAroundTest->setEnabled(!running);
    if (running) buttonPause->setFocus();
    else if (resumeEnabled) buttonResume->setFocus();
    else buttonStart->setFocus();
}

void formPacketTst::SetResumeEnabled(bool on) { buttonResume->setEnabled(on); }

void formPacketTst::ShowDelay(std::int32_t quarters) {
    const QSignalBlocker b(scrollPacketDelay);
    scrollPacketDelay->setValue(quarters);
    labelPacketDelay->setText(QText(QuarterSecondsText(quarters)));
}

void formPacketTst::ShowBytesList(const std::vector<int>& entries, int selected) {
    const QSignalBlocker b(comboNumDataBytes);
    bool same = comboNumDataBytes->count() == static_cast<int>(entries.size());
    for (int i = 0; same && i < comboNumDataBytes->count(); ++i)
        same = comboNumDataBytes->itemData(i).toInt() == entries[static_cast<std::size_t>(i)];
    if (!same) {
        comboNumDataBytes->clear();
        for (int v : entries) comboNumDataBytes->addItem(QString::number(v), v);
    }
    comboNumDataBytes->setCurrentIndex(selected);
}

void formPacketTst::ShowSweepEdit(SweepEdit edit) {
    QRadioButton* o = edit == SweepEdit::start ? optionStart : edit == SweepEdit::stop ? optionStop : optionTesting;
    const QSignalBlocker b(o);
    o->setChecked(true);
}

void formPacketTst::ShowNumberOfPackets(double packets) {
    ShowBoxNumber(*textNumOfPackets, packets);
}

void formPacketTst::ShowIndicators(bool hostOn, bool remoteOn) {
    shapeHostRx->setStyleSheet(hostOn ? "background-color: #00ff00;" : "background-color: black;");
    shapeRemoteRx->setStyleSheet(remoteOn ? "background-color: #00ff00;" : "background-color: black;");
}

}  // namespace k45
