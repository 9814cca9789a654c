#include "tools/ui/tool_windows_misc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cstdlib>

#include "frame/app_context.h"
#include "frame/ini_routines.h"
#include "platform/scheduler.h"
#include "programming/ui/num_box.h"
#include "serial/class_comm.h"
#include "tools/ui/packet_test_window.h"
#include "tools/ui/terminal_window.h"
#include "tools/ui/tool_fields.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* tip = nullptr) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (tip) b->setToolTip(tip);
    return b;
}

QLabel* Value(QWidget* parent, const QString& name, const char* tip = nullptr) {
    auto* l = new QLabel("0", parent);
    l->setObjectName(name);
    l->setMinimumWidth(80);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (tip) l->setToolTip(tip);
    return l;
}

// The shared numbering of the four terminals lives as long as the program's windows.
struct TerminalCountersHolder : QObject {
    using QObject::QObject;
    TerminalCounters counters;
};

// The port test's drawing surface: dots stay until the window closes.
class DotCanvas : public QWidget {
public:
    using QWidget::QWidget;
    void Dot(double x, double y, const QColor& color) {
        if (image_.size() != size()) {
            QImage grown(size(), QImage::Format_RGB32);
            grown.fill(palette().color(QPalette::Window));
            QPainter p(&grown);
            p.drawImage(0, 0, image_);
            image_ = grown;
        }
        const int px = static_cast<int>(x * width());
        const int py = static_cast<int>(y * height());
        if (px >= 0 && py >= 0 && px < image_.width() && py < image_.height()) image_.setPixelColor(px, py, color);
        update(px, py, 1, 1);
    }
    void Clear() {
        image_ = QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!image_.isNull()) p.drawImage(0, 0, image_);
    }

private:
    QImage image_;
};

}  // namespace

void AddToolsWindows(AppContext& ctx, QWidget& owner) {
    auto* holder = new TerminalCountersHolder(&owner);
    const std::pair<ToolWindow, std::int32_t> terminals[] = {
        {ToolWindow::formTextPrimary, terminalTextPrimary},
        {ToolWindow::formTextSecondary, terminalTextSecondary},
        {ToolWindow::formHexPrimary, terminalHexPrimary},
        {ToolWindow::formHexSecondary, terminalHexSecondary},
    };
    for (const auto& [slot, kind] : terminals) ctx.Register(slot, *new formHexText(ctx, holder->counters, kind, &owner));
    ctx.Register(ToolWindow::formPacketTst, *new formPacketTst(ctx, &owner));
    ctx.Register(ToolWindow::formTstArray, *new formTstArray(ctx, &owner));
    ctx.Register(ToolWindow::formComStats, *new formComStats(ctx, &owner));
    ctx.Register(ToolWindow::formPortTest, *new formPortTest(ctx, &owner));
}

// ---------------- array test ----------------

formTstArray::formTstArray(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formTstArray", "Array Test", Placement::Saved, parent, MadeByWindow{}) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 8);
    labelPacketsTxed = Value(this, "labelPacketsTxed");
    textNumOfPackets = PacketCountBox(ctx.state.locale, this, "textNumOfPackets");
    comboArrayType = new QComboBox(this);
    comboArrayType->setObjectName("comboArrayType");
    const char* types[] = {"ASCII Pattern", "ASCII Number Pattern", "Binary Pattern", "Random Binary Data"};
    for (int i = 0; i < 4; ++i) comboArrayType->addItem(types[i], i);
    labelPacketSize = Value(this, "labelPacketSize");
    labelPacketSize->setText("16");
    scrollNumPackets = new QScrollBar(Qt::Horizontal, this);
    scrollNumPackets->setObjectName("scrollNumPackets");
    scrollNumPackets->setFocusPolicy(Qt::StrongFocus);  // a scroll bar takes no focus unless asked: the arrow keys move it
    scrollNumPackets->setRange(1, 256);
    scrollNumPackets->setPageStep(16);
    labelNumPackets = Value(this, "labelNumPackets");
    labelNumPackets->setText("1");
    scrollPacketDelay = new QScrollBar(Qt::Horizontal, this);
    scrollPacketDelay->setObjectName("scrollPacketDelay");
    scrollPacketDelay->setFocusPolicy(Qt::StrongFocus);  // a scroll bar takes no focus unless asked: the arrow keys move it
    scrollPacketDelay->setRange(0, 120);
    scrollPacketDelay->setPageStep(10);
    labelPacketDelay = Value(this, "labelPacketDelay");
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
    buttonStart = Button(this, "buttonStart", "&Start");
    buttonStop = Button(this, "buttonStop", "St&op");
    buttonClose = Button(this, "buttonClose", "&Close");

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
        labelPacketDelay->setText(QString::fromStdString(DelayText(v)));
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
    dataTypeIndex_ = ReadInt16(locale, fileName, sectionName, "Data Type", dataTypeIndex_);
    const std::string packets = ReadIniValue(locale, fileName, sectionName, "Packets", packetsToSend_);
    char* end = nullptr;
    const double v = std::strtod(packets.c_str(), &end);
    if (end != packets.c_str() && v >= 0 && v <= 2147483647.0) packetsToSend_ = static_cast<std::int32_t>(v);
    savedPacketsPerArray_ = ReadInt16(locale, fileName, sectionName, "Number of Packets", savedPacketsPerArray_);
    savedPacketDelay_ = ReadInt16(locale, fileName, sectionName, "Packet Delay", savedPacketDelay_);
    useSecondaryPort_ = ReadIniValue(locale, fileName, sectionName, "Secondary Port", useSecondaryPort_) == "True";
}

void formTstArray::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    ToolWindowBase::SaveFormParameters(fileName, sectionName);
    if (!wasLoaded_) return;
    if (dialogue_) {
        dataTypeIndex_ = dialogue_->dataTypeIndex;
        packetsToSend_ = dialogue_->packetsToSend;
        savedPacketsPerArray_ = dialogue_->savedPacketsPerArray;
        savedPacketDelay_ = dialogue_->savedPacketDelay;
        useSecondaryPort_ = dialogue_->useSecondaryPort;
    }
    const auto& locale = ctx_.state.locale;
    WriteWindowSetting(locale, fileName, sectionName, "Data Type", dataTypeIndex_);
    WriteWindowSetting(locale, fileName, sectionName, "Packets", packetsToSend_);
    WriteWindowSetting(locale, fileName, sectionName, "Number of Packets", savedPacketsPerArray_);
    WriteWindowSetting(locale, fileName, sectionName, "Packet Delay", savedPacketDelay_);
    WriteWindowSetting(locale, fileName, sectionName, "Secondary Port", useSecondaryPort_);
}

void formTstArray::Form_Load() {
    if (!dialogue_ && ctx_.state.classCommPrimary && ctx_.state.classCommSecondary && ctx_.scheduler()) {
        ArrayTestEngine& e = MakeDialogue(DialogueLinks::Of(ctx_));
        e.dataTypeIndex = dataTypeIndex_;
        e.packetsToSend = packetsToSend_;
        e.savedPacketsPerArray = savedPacketsPerArray_;
        e.savedPacketDelay = savedPacketDelay_;
        e.useSecondaryPort = useSecondaryPort_;
    }
    if (!dialogue_) return;
    wasLoaded_ = true;
    checkTestDribbleBit->setVisible(ctx_.state.engineerMode);
    checkTestDribbleBit->setEnabled(ctx_.state.engineerMode);
    DialogueWindow::Form_Load();
    const QSignalBlocker b1(comboArrayType), b2(scrollNumPackets), b3(scrollPacketDelay), b4(textNumOfPackets),
        b5(optionSecondaryCom), b6(optionPrimaryCom);
    comboArrayType->setCurrentIndex(dialogue_->dataType());
    scrollNumPackets->setValue(std::clamp<int>(dialogue_->savedPacketsPerArray, 1, 256));
    scrollPacketDelay->setValue(std::clamp<int>(dialogue_->savedPacketDelay, 0, 120));
    labelPacketDelay->setText(QString::fromStdString(DelayText(scrollPacketDelay->value())));
    dialogue_->SetPacketsPerArrayScroll(scrollNumPackets->value());
    dialogue_->SetDelayScroll(scrollPacketDelay->value());
    ShowBoxNumber(*textNumOfPackets, dialogue_->packetsToSend);
    (dialogue_->useSecondaryPort ? optionSecondaryCom : optionPrimaryCom)->setChecked(true);
    dialogue_->Activate();
}

void formTstArray::Form_Unload() {
    if (!dialogue_) return;
    dialogue_->savedPacketsPerArray = static_cast<std::int16_t>(scrollNumPackets->value());
    dialogue_->savedPacketDelay = static_cast<std::int16_t>(scrollPacketDelay->value());
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

// ---------------- port statistics ----------------

formComStats::formComStats(AppContext& ctx, QWidget* parent)
    : ToolWindowBase(ctx, "formComStats", "Port Statistics", Placement::Saved, parent) {
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(8, 8, 8, 8);
    auto* frames = new QHBoxLayout;
    auto build = [this, frames](PortControls& c, const char* title, const char* id, const char* who) {
        c.frame = new QGroupBox(title, this);
        c.frame->setObjectName(QString("frame%1Port").arg(id));
        auto* g = new QGridLayout(c.frame);
        const char* captions[] = {"Baud Rate:", "Bytes Tx'ed:", "Bytes Rx'ed:", "Framing Errors:"};
        c.baudRate = Value(c.frame, QString("label%1BaudRate").arg(id));
        c.bytesTxed = Value(c.frame, QString("label%1BytesTxed").arg(id), "Total Number of Bytes Transmitted");
        c.bytesRxed = Value(c.frame, QString("label%1BytesRxed").arg(id), "Total Number of Bytes Recieved");
        c.framingErrors = Value(c.frame, QString("label%1FramingErrors").arg(id), "Total Number of Framing Errors");
        QLabel* values[] = {c.baudRate, c.bytesTxed, c.bytesRxed, c.framingErrors};
        for (int i = 0; i < 4; ++i) {
            g->addWidget(new QLabel(captions[i], c.frame), i, 0);
            g->addWidget(values[i], i, 1);
        }
        c.dribbleDescription = new QLabel("Dribble Bytes:", c.frame);
        c.dribbleDescription->setObjectName(QString("label%1DribbleBytesDescription").arg(id));
        c.dribbleBytes = Value(c.frame, QString("label%1DribbleBytes").arg(id), "Total Number of Dribble Bits");
        g->addWidget(c.dribbleDescription, 4, 0);
        g->addWidget(c.dribbleBytes, 4, 1);
        const char* lines[] = {"DCD", "DSR", "CTS", "RTS", "DTR"};
        const char* objectParts[] = {"Dcd", "Dsr", "Cts", "Rts", "Dtr"};
        const char* tips[] = {"Data Carrier Detect Status", "Data Set Ready Status", "Clear To Send Status",
                              "Request To Send Status", "Data Terminal Ready Status"};
        auto* row = new QHBoxLayout;
        for (int i = 0; i < 5; ++i) {
            c.lines[static_cast<std::size_t>(i)] = new QCheckBox(lines[i], c.frame);
            c.lines[static_cast<std::size_t>(i)]->setObjectName(QString("check%1%2").arg(objectParts[i], id));
            c.lines[static_cast<std::size_t>(i)]->setToolTip(tips[i]);
            row->addWidget(c.lines[static_cast<std::size_t>(i)]);
        }
        g->addLayout(row, 5, 0, 1, 2);
        c.clear = Button(c.frame, "", "C&lear Stats", nullptr);
        c.clear->setObjectName(QString("buttonClear%1").arg(id));
        c.clear->setToolTip(QString("Clear the Statistics for %1 Port").arg(who));
        g->addWidget(c.clear, 6, 0, 1, 2, Qt::AlignHCenter);
        frames->addWidget(c.frame);
    };
    build(primary, "Primary Port - Com1", "Primary", "Primary");
    build(secondary, "Secondary Port - Com2", "Secondary", "Secondary");
    top->addLayout(frames);
    buttonClose = Button(this, "buttonClose", "&Close", "Close the Window");
    top->addLayout(CentredButtons({buttonClose}));

    for (PortControls* c : {&primary, &secondary}) {
        const bool isPrimary = c == &primary;
        for (QCheckBox* box : c->lines)
            connect(box, &QCheckBox::clicked, this, [this] { Poll(); });  // indicators only
        connect(c->clear, &QPushButton::clicked, this, [this, isPrimary] {
            classComm* port = isPrimary ? ctx_.state.classCommPrimary : ctx_.state.classCommSecondary;
            if (port) port->ClearCommStats();
            Poll();
        });
    }
    connect(buttonClose, &QPushButton::clicked, this, [this] { CloseForm(); });
}

formComStats::~formComStats() = default;

void formComStats::Form_Load() {
    lastPrimaryPort_ = lastSecondaryPort_ = 0;
    for (PortControls* c : {&primary, &secondary}) {
        c->dribbleDescription->setVisible(ctx_.state.engineerMode);
        c->dribbleBytes->setVisible(ctx_.state.engineerMode);
    }
    if (!timerPolling_ && ctx_.scheduler()) {
        timerPolling_ = ctx_.scheduler()->createTimer();
        timerPolling_->setInterval(50);
        timerPolling_->setHandler([this] { Poll(); });
    }
    if (timerPolling_) timerPolling_->setEnabled(true);
    Poll();
}

void formComStats::Form_Unload() {
    if (timerPolling_) timerPolling_->setEnabled(false);
}

void formComStats::Show(PortControls& c, const PortStatsSnapshot& s) {
    c.frame->setEnabled(s.open);
    c.baudRate->setText(QString::fromStdString(s.baudRate));
    c.bytesTxed->setText(QString::fromStdString(s.bytesTxed));
    c.bytesRxed->setText(QString::fromStdString(s.bytesRxed));
    c.framingErrors->setText(QString::fromStdString(s.framingErrors));
    c.dribbleBytes->setText(QString::fromStdString(s.dribbleBytes));
    const bool levels[] = {s.dcd, s.dsr, s.cts, s.rts, s.dtr};
    for (std::size_t i = 0; i < 5; ++i) {
        const QSignalBlocker block(c.lines[i]);
        c.lines[i]->setChecked(levels[i]);
    }
}

void formComStats::Poll() {
    for (PortControls* c : {&primary, &secondary}) {
        const bool isPrimary = c == &primary;
        classComm* port = isPrimary ? ctx_.state.classCommPrimary : ctx_.state.classCommSecondary;
        if (!port) continue;
        const PortStatsSnapshot s = ReadPortStats(*port, isPrimary);
        std::int16_t& last = isPrimary ? lastPrimaryPort_ : lastSecondaryPort_;
        if (port->portNumber != last) {
            c->frame->setTitle(QString::fromStdString(s.caption));
            last = port->portNumber;
        }
        Show(*c, s);
    }
}

// ---------------- port test ----------------

formPortTest::formPortTest(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formPortTest", "Port Test", Placement::Saved, parent, MadeByWindow{}) {
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(8, 8, 8, 8);
    auto* frames = new QHBoxLayout;
    const char* names[] = {"Primary", "Secondary"};
    for (int p = 0; p < 2; ++p) {
        auto* frame = new QGroupBox(QString("%1 Port").arg(names[p]), this);
        frame->setObjectName(QString("frame%1Port").arg(names[p]));
        auto* g = new QGridLayout(frame);
        auto* combo = new QComboBox(frame);
        combo->setObjectName(QString("combo%1TxMode").arg(names[p]));
        for (const auto& e : kPortTestModes) combo->addItem(e.text, e.txMode);
        comboTxMode[static_cast<std::size_t>(p)] = combo;
        g->addWidget(BuddyCaption("Mo&de:", combo), 0, 0, 1, 2);
        g->addWidget(combo, 1, 0, 1, 2);
        const int rts = p == 0 ? primaryRts : secondaryRts;
        const int dtr = p == 0 ? primaryDtr : secondaryDtr;
        int row = 2;
        for (int line : {rts, dtr}) {
            auto* box = new QCheckBox(line % 2 ? "RTS Test" : "DTR Test", frame);
            box->setObjectName(QString("check%1%2").arg(names[p], line % 2 ? "RTS" : "DTR"));
            auto* toggle = new QPushButton("Toggle", frame);
            toggle->setObjectName(QString("buttonToggle%1%2").arg(names[p], line % 2 ? "RTS" : "DTR"));
            checkLine[static_cast<std::size_t>(line)] = box;
            buttonToggle[static_cast<std::size_t>(line)] = toggle;
            g->addWidget(box, row, 0);
            g->addWidget(toggle, row++, 1);
            connect(box, &QCheckBox::clicked, this, [this, line](bool on) {
                if (dialogue_) dialogue_->LineBoxClicked(line, on);
            });
            connect(toggle, &QPushButton::clicked, this, [this, line] {
                if (dialogue_) dialogue_->ToggleClicked(line);
            });
        }
        connect(combo, &QComboBox::activated, this, [this, p](int index) {
            if (dialogue_) dialogue_->SelectMode(p == 0, index);
        });
        frames->addWidget(frame);
    }
    top->addLayout(frames);
    auto* row = new QHBoxLayout;
    textToggleTime = ToggleTimeBox(ctx.state.locale, this, "textToggleTime");
    row->addWidget(BuddyCaption("Toggle Delay (s):", textToggleTime));
    row->addWidget(textToggleTime);
    checkContinuousToggling = new QCheckBox("Continuous Toggling", this);
    checkContinuousToggling->setObjectName("checkContinuousToggling");
    row->addWidget(checkContinuousToggling);
    top->addLayout(row);
    panelTest = PercentPanel(this);
    panelTest->setObjectName("panelTest");
    top->addWidget(panelTest);
    buttonTest = new QPushButton("Test", this);
    buttonTest->setObjectName("buttonTest");
    top->addWidget(buttonTest, 0, Qt::AlignHCenter);
    drawingArea = new DotCanvas(this);
    drawingArea->setObjectName("drawingArea");
    drawingArea->setMinimumHeight(60);
    top->addWidget(drawingArea, 1);

    connect(textToggleTime, &QLineEdit::textChanged, this, [this] {
        if (dialogue_) dialogue_->SetToggleDelay(BoxNumber(*textToggleTime));
    });
    connect(checkContinuousToggling, &QCheckBox::toggled, this, ToDialogue(&PortTestEngine::SetContinuous));
    connect(buttonTest, &QPushButton::clicked, this, ToDialogue(&PortTestEngine::TestClicked));
}

formPortTest::~formPortTest() = default;

void formPortTest::Form_Load() {
    if (!dialogue_ && ctx_.state.classCommPrimary && ctx_.state.classCommSecondary && ctx_.scheduler())
        MakeDialogue(DialogueLinks::Of(ctx_));
    if (!dialogue_) return;
    static_cast<DotCanvas*>(drawingArea)->Clear();
    {
        const QSignalBlocker block(checkContinuousToggling);
        checkContinuousToggling->setChecked(false);
    }
    dialogue_->SetContinuous(false);
    dialogue_->SetToggleDelay(BoxNumber(*textToggleTime));
    DialogueWindow::Form_Load();
}

void formPortTest::ShowLineBox(int line, bool on) {
    QCheckBox* box = checkLine[static_cast<std::size_t>(line)];
    const QSignalBlocker block(box);
    box->setChecked(on);
}

void formPortTest::ShowModeIndex(bool primary, int index) {
    QComboBox* combo = comboTxMode[primary ? 0 : 1];
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index);
}

void formPortTest::ShowPanel(int percent) { panelTest->setValue(percent); }

void formPortTest::DrawDot(double x, double y, int colorIndex) {
    const Rgb c = PaletteColor(colorIndex);
    static_cast<DotCanvas*>(drawingArea)->Dot(x, y, QColor(c.r, c.g, c.b));
}

}  // namespace k45
