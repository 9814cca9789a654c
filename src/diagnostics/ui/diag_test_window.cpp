#include "diagnostics/ui/diag_test_window.h"

#include "platform/qt/qt_text.h"
#include "serial/class_comm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

#include "diagnostics/ui/diag_window_support.h"
#include "wiring/app_context.h"
#include "base/converters.h"
#include "base/ini_routines.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

constexpr const char* kIdNames[3] = {"textMasterID", "textStartRemoteID", "textEndRemoteID"};
constexpr const char* kIdCaptions[3] = {"Master I&D:", "Start Remote I&D:", "End Remote I&D:"};
constexpr const char* kShortNames[3] = {"textShortMasterID", "textShortStartRemoteID", "textShortEndRemoteID"};
constexpr const char* kIdKeys[3] = {"Master ID", "Start ID", "End ID"};
constexpr const char* kValueNames[10] = {"textStartRssi", "textEndRssi",  "textStartTemp", "textEndTemp",
                                         "textStartBatt", "textEndBatt",  "textStartFwdP", "textEndFwdP",
                                         "textStartRevP", "textEndRevP"};
constexpr const char* kValueCaptions[10] = {"Start RSSI:", "End RSSI:",     "Start Temp:",    "End Temp:",
                                            "Start Batt:", "End Batt:",     "Start Fwd Pwr:", "End Fwd Pwr:",
                                            "Start Rev Pwr:", "End Rev Pwr:"};
constexpr const char* kValueKeys[10] = {"Start RSSI", "End RSSI",      "Start Temp",    "End Temp",
                                        "Start Batt", "End Batt",      "Start Fwd Pwr", "End Fwd Pwr",
                                        "Start Rev Pwr", "End Rev Pwr"};

QString ShortOf(const QString& text) {
    std::uint32_t id = 0;
    if (!ParseUnitIdItem(text.toStdString(), id)) id = 0;
    return QText(ShortIdText(id));
}

// An ID key is read as any number is; only a whole number in the ID range is taken.
void ReadIdInto(const LocaleInfo& l, const std::string& fileName, const std::string& sectionName, const char* key,
                std::uint32_t& id) {
    double v = id;
    if (ReadIniInto(l, fileName, sectionName, key, v) && v >= 0 && v <= kMaxUnitId && v == std::floor(v))
        id = static_cast<std::uint32_t>(v);
}

}  // namespace

formDiagTst::formDiagTst(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formDiagTst", "Online/Offline Diagnostics Test", Placement::Saved, parent,
                     DialogueLinks::Of(ctx), *ctx.state.scheduler) {
    auto* test = new QGroupBox("&Test:", this);
    test->setObjectName("frameTestSelect");
    auto* tl = new QVBoxLayout(test);
    optionOnline = new QRadioButton("Online", test);
    optionOnline->setObjectName("optionOnline");
    optionOnline->setChecked(true);
    optionOffline = new QRadioButton("Offline", test);
    optionOffline->setObjectName("optionOffline");
    tl->addWidget(optionOnline);
    tl->addWidget(optionOffline);
    auto* port = new QGroupBox("Co&m Port:", this);
    port->setObjectName("frameComPort");
    auto* pl = new QVBoxLayout(port);
    optionPrimaryComm = new QRadioButton("Primary", port);
    optionPrimaryComm->setObjectName("optionPrimaryComm");
    optionPrimaryComm->setChecked(true);
    optionSecondaryComm = new QRadioButton("Secondary", port);
    optionSecondaryComm->setObjectName("optionSecondaryComm");
    pl->addWidget(optionPrimaryComm);
    pl->addWidget(optionSecondaryComm);
    checkPause = new QCheckBox("P&ause", this);
    checkPause->setObjectName("checkPause");
    auto* frames = new QHBoxLayout;
    frames->addWidget(test);
    frames->addWidget(port);
    frames->addWidget(checkPause);

    auto* grid = new QGridLayout;
    comboPacketDelay = new QComboBox(this);
    comboPacketDelay->setObjectName("comboPacketDelay");
    for (int k = 0; k <= 40; ++k) {
        char text[16];
        std::snprintf(text, sizeof text, "%.3f", k * 0.125);
        comboPacketDelay->addItem(text, k * 125);
    }
    textNumOfPackets = NumberBox(ctx.state.locale, this, this, "textNumOfPackets", 10, 2147483647.0);
    grid->addWidget(BuddyCaption("Diag &Delay (s):", comboPacketDelay), 0, 0);
    grid->addWidget(comboPacketDelay, 0, 1);
    grid->addWidget(BuddyCaption("Pac&kets to Send:", textNumOfPackets), 0, 2);
    grid->addWidget(textNumOfPackets, 0, 3);
    for (int i = 0; i < 3; ++i) {
        idBoxes[static_cast<std::size_t>(i)] = NumberBox(ctx.state.locale, this, this, kIdNames[i], 10, 4294967295.0);
        shortIdBoxes[static_cast<std::size_t>(i)] = new QLineEdit(this);
        shortIdBoxes[static_cast<std::size_t>(i)]->setObjectName(kShortNames[i]);
        shortIdBoxes[static_cast<std::size_t>(i)]->setReadOnly(true);
        shortIdBoxes[static_cast<std::size_t>(i)]->setMaximumWidth(60);
        grid->addWidget(BuddyCaption(kIdCaptions[i], idBoxes[static_cast<std::size_t>(i)]), 1 + i, 0);
        grid->addWidget(idBoxes[static_cast<std::size_t>(i)], 1 + i, 1);
        grid->addWidget(shortIdBoxes[static_cast<std::size_t>(i)], 1 + i, 2);
        QLineEdit* shortBox = shortIdBoxes[static_cast<std::size_t>(i)];
        connect(idBoxes[static_cast<std::size_t>(i)], &QLineEdit::textChanged, this,
                [shortBox](const QString& t) { shortBox->setText(ShortOf(t)); });
    }
    for (int i = 0; i < 10; ++i) {
        auto* box = NumberBox(ctx.state.locale, this, this, kValueNames[i], 3, 255.0);
        box->setMaximumWidth(60);
        valueBoxes[static_cast<std::size_t>(i)] = box;
        grid->addWidget(new QLabel(kValueCaptions[i], this), 4 + i / 2, (i % 2) * 2);
        grid->addWidget(box, 4 + i / 2, (i % 2) * 2 + 1);
    }
    labelPacketsTxed = kit::Label(this, "labelPacketsTxed", "0");
    grid->addWidget(new QLabel("Packets Tx'ed:", this), 9, 0);
    grid->addWidget(labelPacketsTxed, 9, 1);

    buttonStart = kit::Button(this, "buttonStart", "&Start");
    buttonStop = kit::Button(this, "buttonStop", "St&op");
    buttonClear = kit::Button(this, "buttonClear", "C&lear");
    buttonClose = kit::Button(this, "buttonClose", "&Close");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addLayout(grid);
    layout->addLayout(CentredButtons({buttonStart, buttonStop, buttonClear, buttonClose}));
    FocusedButtonsAnswerEnter(*this);

    connect(optionPrimaryComm, &QRadioButton::clicked, this, [this] { SelectPort(false); });
    connect(optionSecondaryComm, &QRadioButton::clicked, this, [this] { SelectPort(true); });
    connect(buttonStart, &QPushButton::clicked, this, [this] {
        if (dialogue().state().testState != SimTestState::Idle) return;
        dialogue().Start(ReadBoxes());
        if (dialogue().state().testState != SimTestState::Idle) {
            Lock(true);
            buttonStop->setFocus();
        }
    });
    connect(buttonStop, &QPushButton::clicked, this, [this] { dialogue().Stop(); });
    connect(buttonClear, &QPushButton::clicked, this, [this] { dialogue().Clear(); });
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseForm(); });
}

formDiagTst::~formDiagTst() {
    // The ports the program has now: ones it has replaced since are gone with their lists.
    dialogue().DeRegisterAll();
}

void formDiagTst::SelectPort(bool secondary) { dialogue().SelectPort(secondary); }

bool formDiagTst::PauseTicked() const { return checkPause->isChecked(); }

void formDiagTst::ShowPacketsSent(double count) { labelPacketsTxed->setText(QText(WholeText(count))); }

void formDiagTst::TestStopped() {
    Lock(false);
    buttonStart->setFocus();
}

void formDiagTst::Lock(bool running) {
    buttonStart->setEnabled(!running);
    buttonStop->setEnabled(running);
    comboPacketDelay->setEnabled(!running);
    textNumOfPackets->setEnabled(!running);
    for (auto* b : idBoxes) b->setEnabled(!running);
    for (auto* b : valueBoxes) b->setEnabled(!running);
    for (auto* o : {optionOnline, optionOffline, optionPrimaryComm, optionSecondaryComm}) o->setEnabled(!running);
}

SimSettings formDiagTst::ReadBoxes() const {
    const SimState& st = dialogue().state();
    SimSettings s;
    s.online = optionOnline->isChecked();
    s.packetDelay = comboPacketDelay->currentIndex() >= 0
                        ? static_cast<std::int16_t>(comboPacketDelay->currentData().toInt())
                        : st.packetDelay;
    // A box that does not hold a number keeps the field's value.
    std::uint32_t v = 0;
    s.packetsToSend = ParseUnitIdItem(textNumOfPackets->text().toStdString(), v) && v <= 2147483647U
                          ? static_cast<std::int32_t>(v)
                          : st.packetsToSend;
    const std::uint32_t ids[3] = {st.masterId, st.startId, st.endId};
    std::uint32_t out[3];
    for (int i = 0; i < 3; ++i)
        out[i] = ParseUnitIdItem(idBoxes[static_cast<std::size_t>(i)]->text().toStdString(), v) ? v : ids[i];
    s.masterId = out[0];
    s.startId = out[1];
    s.endId = out[2];
    // A value box is read as it leaves itself: a dropped ID beyond 255 is brought within the box.
    for (int c = 0; c < 5; ++c) {
        const SimChannel& ch = st.channels[static_cast<std::size_t>(c)];
        s.starts[static_cast<std::size_t>(c)] =
            ParseUnitIdItem(valueBoxes[static_cast<std::size_t>(2 * c)]->limitedText().toStdString(), v)
                ? static_cast<std::int16_t>(v)
                : ch.start;
        s.ends[static_cast<std::size_t>(c)] =
            ParseUnitIdItem(valueBoxes[static_cast<std::size_t>(2 * c + 1)]->limitedText().toStdString(), v)
                ? static_cast<std::int16_t>(v)
                : ch.end;
    }
    return s;
}

void formDiagTst::ShowFields() {
    const SimState& st = dialogue().state();
    comboPacketDelay->setCurrentIndex(packetDelayIndex_ >= 0 && packetDelayIndex_ <= 40 ? packetDelayIndex_ : -1);
    textNumOfPackets->setText(QString::number(st.packetsToSend));
    const std::uint32_t ids[3] = {st.masterId, st.startId, st.endId};
    for (int i = 0; i < 3; ++i) idBoxes[static_cast<std::size_t>(i)]->setText(QString::number(ids[i]));
    for (int c = 0; c < 5; ++c) {
        valueBoxes[static_cast<std::size_t>(2 * c)]->setText(QString::number(st.channels[static_cast<std::size_t>(c)].start));
        valueBoxes[static_cast<std::size_t>(2 * c + 1)]->setText(QString::number(st.channels[static_cast<std::size_t>(c)].end));
    }
}

void formDiagTst::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::RestoreFormParameters(fileName, sectionName);
    const LocaleInfo& l = ctx_.state.locale;
    SimState& st = dialogue().state();
    ReadIniInto(l, fileName, sectionName, "Packet Delay", packetDelayIndex_);
    ReadIniInto(l, fileName, sectionName, "Packets", st.packetsToSend);
    ReadIniInto(l, fileName, sectionName, "Secondary Port", secondaryPort_);
    ReadIniInto(l, fileName, sectionName, "Offline Test", offlineTest_);
    std::uint32_t* ids[3] = {&st.masterId, &st.startId, &st.endId};
    for (int i = 0; i < 3; ++i) ReadIdInto(l, fileName, sectionName, kIdKeys[i], *ids[i]);
    for (int c = 0; c < 5; ++c) {
        ReadIniInto(l, fileName, sectionName, kValueKeys[2 * c], st.channels[static_cast<std::size_t>(c)].start);
        ReadIniInto(l, fileName, sectionName, kValueKeys[2 * c + 1], st.channels[static_cast<std::size_t>(c)].end);
    }
}

void formDiagTst::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!wasLoaded_) return;
    const LocaleInfo& l = ctx_.state.locale;
    const SimState& st = dialogue().state();
    WriteWindowSetting(l, fileName, sectionName, "Packet Delay", packetDelayIndex_);
    WriteWindowSetting(l, fileName, sectionName, "Packets", st.packetsToSend);
    WriteWindowSetting(l, fileName, sectionName, "Secondary Port", secondaryPort_);
    WriteWindowSetting(l, fileName, sectionName, "Offline Test", offlineTest_);
    const std::uint32_t ids[3] = {st.masterId, st.startId, st.endId};
    for (int i = 0; i < 3; ++i) WriteWindowSetting(l, fileName, sectionName, kIdKeys[i], std::to_string(ids[i]));
    for (int c = 0; c < 5; ++c) {
        WriteWindowSetting(l, fileName, sectionName, kValueKeys[2 * c], st.channels[static_cast<std::size_t>(c)].start);
        WriteWindowSetting(l, fileName, sectionName, kValueKeys[2 * c + 1], st.channels[static_cast<std::size_t>(c)].end);
    }
}

void formDiagTst::Form_Load() {
    wasLoaded_ = true;
    DialogueWindow::Form_Load();
    Lock(false);
    SelectPort(false);
    labelPacketsTxed->setText("0");
    ShowFields();
    optionSecondaryComm->setChecked(secondaryPort_);
    optionPrimaryComm->setChecked(!secondaryPort_);
    if (secondaryPort_) SelectPort(true);
    optionOffline->setChecked(offlineTest_);
    optionOnline->setChecked(!offlineTest_);
}

void formDiagTst::Form_Unload() {
    packetDelayIndex_ = static_cast<std::int16_t>(comboPacketDelay->currentIndex());
    const SimSettings s = ReadBoxes();
    SimState& st = dialogue().state();
    st.packetsToSend = s.packetsToSend;
    st.masterId = s.masterId;
    st.startId = s.startId;
    st.endId = s.endId;
    for (int c = 0; c < 5; ++c) {
        st.channels[static_cast<std::size_t>(c)].start = s.starts[static_cast<std::size_t>(c)];
        st.channels[static_cast<std::size_t>(c)].end = s.ends[static_cast<std::size_t>(c)];
    }
    secondaryPort_ = optionSecondaryComm->isChecked();
    offlineTest_ = optionOffline->isChecked();
    DialogueWindow::Form_Unload();
}

}  // namespace k45
