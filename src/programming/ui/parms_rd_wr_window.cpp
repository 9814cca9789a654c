#include "programming/ui/parms_rd_wr_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "wiring/tool_window_ids.h"
#include "platform/qt/qt_text.h"
#include "programming/ui/mem_read_window.h"
#include "programming/ui/parms_get_current_window.h"
#include "programming/ui/ver_reqst_window.h"
#include "ui/control_kit.h"
#include "ui/window_utils.h"

namespace k45 {

void AddProgrammingDialogueWindows(AppContext& ctx, QWidget& owner) {
    ctx.Register(ToolWindow::formParmsRdWr, *new formParmsRdWr(ctx, &owner));
    ctx.Register(ToolWindow::formVerReqst, *new formVerReqst(ctx, &owner));
    ctx.Register(ToolWindow::formMemRead, *new formMemRead(ctx, &owner));
    ctx.formParmsGetCurrent = new formParmsGetCurrent(ctx, &owner);
}

namespace {
constexpr const char* kRdWrCaption = "Read/Write xxxx Parameters";
constexpr const char* kRdWrLabels[] = {"Connect serial cable to Unit using", "Setup Cable and supply power"};
}  // namespace

formParmsRdWr::formParmsRdWr(AppContext& ctx, QWidget* parent)
    : DialogueWindow(ctx, "formParmsRdWr", kRdWrCaption, Placement::Saved, parent, DialogueLinks::Of(ctx)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(6);
    for (int i = 0; i < 2; ++i) {
        labelRdWr[i] = kit::Label(this, QString("labelRdWr%1").arg(i), kRdWrLabels[i]);
        labelRdWr[i]->setAlignment(Qt::AlignCenter);
        layout->addWidget(labelRdWr[i]);
    }
    panelPercent = PercentPanel(this);
    layout->addSpacing(4);
    layout->addWidget(panelPercent);
    layout->addSpacing(6);

    const OkCloseButtons row = AddOkCloseRow(*this, *layout, "buttonCancel", "&Cancel");
    buttonOK = row.ok;
    buttonCancel = row.close;
    setMinimumWidth(340);

    connect(buttonOK, &QPushButton::clicked, this, [this] { dialogue_->OK(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { CloseWindow(); });
}

formParmsRdWr::~formParmsRdWr() = default;

std::string formParmsRdWr::Caption() const { return windowTitle().toStdString(); }

void formParmsRdWr::setAutoStart(bool on) {
    ParmsRdWrSettings s = dialogue_->settings();
    s.autoStart = on;
    dialogue_->setSettings(s);
}

void formParmsRdWr::setParmsMode(ParmsMode mode) {
    ParmsRdWrSettings s = dialogue_->settings();
    s.parmsMode = mode;
    dialogue_->setSettings(s);
}

void formParmsRdWr::Form_Load() {
    // Each load starts from the window's design-time texts, as a freshly loaded window does.
    setWindowTitle(kRdWrCaption);
    for (int i = 0; i < 2; ++i) labelRdWr[i]->setText(kRdWrLabels[i]);
    DialogueWindow::Form_Load();
}

void formParmsRdWr::SetCaption(const std::string& text) { setWindowTitle(QText(text)); }

void formParmsRdWr::SetLabels(const std::string& upper, const std::string& lower) {
    // The upper label may name the data file, held as UTF-8 like every path.
    labelRdWr[0]->setText(QText(upper));
    labelRdWr[1]->setText(QText(lower));
}

void formParmsRdWr::SetPercent(int percent) { panelPercent->setValue(percent); }

void formParmsRdWr::SetOkEnabled(bool on) { buttonOK->setEnabled(on); }

}  // namespace k45
