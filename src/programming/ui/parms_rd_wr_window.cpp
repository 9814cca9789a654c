#include "programming/ui/parms_rd_wr_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "frame/app_context.h"
#include "frame/main_frame.h"
#include "programming/ui/mem_read_window.h"
#include "programming/ui/parms_get_current_window.h"
#include "programming/ui/ver_reqst_window.h"

namespace k45 {

void AddProgrammingDialogueWindows(AppContext& ctx, std::vector<std::unique_ptr<ToolForm>>& windows) {
    auto add = [&](ToolWindow slot, std::unique_ptr<ToolForm> w) {
        ctx.form(slot) = w.get();
        windows.push_back(std::move(w));
    };
    add(ToolWindow::formParmsRdWr, std::make_unique<formParmsRdWr>(ctx));
    add(ToolWindow::formVerReqst, std::make_unique<formVerReqst>(ctx));
    add(ToolWindow::formMemRead, std::make_unique<formMemRead>(ctx));
    auto reader = std::make_unique<formParmsGetCurrent>(ctx);
    ctx.formParmsGetCurrent = reader.get();
    windows.push_back(std::move(reader));
}

namespace dialogue_window {

bool IsActiveChild(const AppContext& ctx, const ToolForm* form) {
    return !ctx.mainFrame || ctx.mainFrame->ActiveForm() == form;
}

QProgressBar* PercentPanel(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setObjectName("panelPercent");
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setAlignment(Qt::AlignCenter);
    bar->setFormat("%p%");
    return bar;
}

QHBoxLayout* CentredButtons(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons) row->addWidget(b);
    row->addStretch(1);
    return row;
}

}  // namespace dialogue_window

namespace {
constexpr const char* kRdWrCaption = "Read/Write xxxx Parameters";
constexpr const char* kRdWrLabels[] = {"Connect serial cable to Unit using", "Setup Cable and supply power"};
}  // namespace

formParmsRdWr::formParmsRdWr(AppContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), dialogue_(ctx, *this) {
    setObjectName("formParmsRdWr");
    setWindowTitle(kRdWrCaption);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(6);
    for (int i = 0; i < 2; ++i) {
        labelRdWr[i] = new QLabel(kRdWrLabels[i], this);
        labelRdWr[i]->setObjectName(QString("labelRdWr%1").arg(i));
        labelRdWr[i]->setAlignment(Qt::AlignCenter);
        layout->addWidget(labelRdWr[i]);
    }
    panelPercent = dialogue_window::PercentPanel(this);
    layout->addSpacing(4);
    layout->addWidget(panelPercent);
    layout->addSpacing(6);

    buttonOK = new QPushButton("&OK", this);
    buttonOK->setObjectName("buttonOK");
    buttonOK->setDefault(true);
    buttonCancel = new QPushButton("&Cancel", this);
    buttonCancel->setObjectName("buttonCancel");
    layout->addLayout(dialogue_window::CentredButtons({buttonOK, buttonCancel}));
    setMinimumWidth(340);
    FocusedButtonsAnswerEnter(*this);

    connect(buttonOK, &QPushButton::clicked, this, [this] { dialogue_.OK(); });
    connect(buttonCancel, &QPushButton::clicked, this, [this] { CloseWindow(); });
}

formParmsRdWr::~formParmsRdWr() = default;

void formParmsRdWr::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    child_window::RestorePlacement(ctx_.state.locale, fileName, sectionName, savedLeft, savedTop);
}

void formParmsRdWr::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    if (shownThisRun_) child_window::SavePlacement(ctx_.state.locale, fileName, sectionName, savedLeft, savedTop);
}

std::string formParmsRdWr::Caption() const { return windowTitle().toStdString(); }

void formParmsRdWr::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (dialogue_.loaded()) return;
    // Each load starts from the window's design-time texts, as a freshly loaded window does.
    setWindowTitle(kRdWrCaption);
    for (int i = 0; i < 2; ++i) labelRdWr[i]->setText(kRdWrLabels[i]);
    child_window::MoveToTwips(this, savedLeft, savedTop);
    shownThisRun_ = true;
    inShowEvent_ = true;
    dialogue_.Load();
    inShowEvent_ = false;
}

void formParmsRdWr::closeEvent(QCloseEvent* e) {
    if (dialogue_.loaded()) {
        child_window::KeepPlacement(this, savedLeft, savedTop);
        dialogue_.Unload();
    }
    e->accept();
}

bool formParmsRdWr::IsActiveChild() const { return dialogue_window::IsActiveChild(ctx_, this); }

void formParmsRdWr::CloseWindow() {
    // A window cannot close while it is being shown: it closes right after.
    if (inShowEvent_) {
        QTimer::singleShot(0, this, [this] { child_window::Close(this); });
        return;
    }
    child_window::Close(this);
}

void formParmsRdWr::SetCaption(const std::string& text) { setWindowTitle(QString::fromStdString(text)); }

void formParmsRdWr::SetLabels(const std::string& upper, const std::string& lower) {
    // The upper label may name the data file, held as UTF-8 like every path.
    labelRdWr[0]->setText(QString::fromStdString(upper));
    labelRdWr[1]->setText(QString::fromStdString(lower));
}

void formParmsRdWr::SetPercent(int percent) { panelPercent->setValue(percent); }

void formParmsRdWr::SetOkEnabled(bool on) { buttonOK->setEnabled(on); }

}  // namespace k45
