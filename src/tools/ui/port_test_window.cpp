#include "tools/ui/port_test_window.h"

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
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "tools/ui/tool_fields.h"
#include "ui/control_kit.h"
#include "ui/num_box.h"
#include "ui/window_utils.h"

namespace k45 {

namespace {

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
            auto* toggle =
                kit::Button(frame, QString("buttonToggle%1%2").arg(names[p], line % 2 ? "RTS" : "DTR"), "Toggle");
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
    buttonTest = kit::Button(this, "buttonTest", "Test");
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
    if (!dialogue_ && ctx_.ports.classCommPrimary && ctx_.ports.classCommSecondary && ctx_.scheduler())
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
