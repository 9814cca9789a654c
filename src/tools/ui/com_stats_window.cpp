#include "tools/ui/com_stats_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_text.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"
#include "tools/ui/tool_fields.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"
#include "wiring/app_context.h"

namespace k45 {

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
        c.baudRate = ValueLabel(c.frame, QString("label%1BaudRate").arg(id));
        c.bytesTxed = ValueLabel(c.frame, QString("label%1BytesTxed").arg(id), "Total Number of Bytes Transmitted");
        c.bytesRxed = ValueLabel(c.frame, QString("label%1BytesRxed").arg(id), "Total Number of Bytes Recieved");
        c.framingErrors =
            ValueLabel(c.frame, QString("label%1FramingErrors").arg(id), "Total Number of Framing Errors");
        QLabel* values[] = {c.baudRate, c.bytesTxed, c.bytesRxed, c.framingErrors};
        for (int i = 0; i < 4; ++i) {
            g->addWidget(new QLabel(captions[i], c.frame), i, 0);
            g->addWidget(values[i], i, 1);
        }
        c.dribbleDescription = new QLabel("Dribble Bytes:", c.frame);
        c.dribbleDescription->setObjectName(QString("label%1DribbleBytesDescription").arg(id));
        c.dribbleBytes = ValueLabel(c.frame, QString("label%1DribbleBytes").arg(id), "Total Number of Dribble Bits");
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
        c.clear = kit::Button(c.frame, "", "C&lear Stats", nullptr);
        c.clear->setObjectName(QString("buttonClear%1").arg(id));
        c.clear->setToolTip(QString("Clear the Statistics for %1 Port").arg(who));
        g->addWidget(c.clear, 6, 0, 1, 2, Qt::AlignHCenter);
        frames->addWidget(c.frame);
    };
    build(primary, "Primary Port - Com1", "Primary", "Primary");
    build(secondary, "Secondary Port - Com2", "Secondary", "Secondary");
    top->addLayout(frames);
    buttonClose = kit::Button(this, "buttonClose", "&Close", "Close the Window");
    top->addLayout(CentredButtons({buttonClose}));

    for (PortControls* c : {&primary, &secondary}) {
        const bool isPrimary = c == &primary;
        for (QCheckBox* box : c->lines) connect(box, &QCheckBox::clicked, this, [this] { Poll(); });  // indicators only
        connect(c->clear, &QPushButton::clicked, this, [this, isPrimary] {
            classComm* port = isPrimary ? ctx_.ports.classCommPrimary : ctx_.ports.classCommSecondary;
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
    c.baudRate->setText(QText(s.baudRate));
    c.bytesTxed->setText(QText(s.bytesTxed));
    c.bytesRxed->setText(QText(s.bytesRxed));
    c.framingErrors->setText(QText(s.framingErrors));
    c.dribbleBytes->setText(QText(s.dribbleBytes));
    const bool levels[] = {s.dcd, s.dsr, s.cts, s.rts, s.dtr};
    for (std::size_t i = 0; i < 5; ++i) {
        const QSignalBlocker block(c.lines[i]);
        c.lines[i]->setChecked(levels[i]);
    }
}

void formComStats::Poll() {
    for (PortControls* c : {&primary, &secondary}) {
        const bool isPrimary = c == &primary;
        classComm* port = isPrimary ? ctx_.ports.classCommPrimary : ctx_.ports.classCommSecondary;
        if (!port) continue;
        const PortStatsSnapshot s = ReadPortStats(*port, isPrimary);
        std::int16_t& last = isPrimary ? lastPrimaryPort_ : lastSecondaryPort_;
        if (port->settings().portNumber != last) {
            c->frame->setTitle(QText(s.caption));
            last = port->settings().portNumber;
        }
        Show(*c, s);
    }
}

}  // namespace k45
