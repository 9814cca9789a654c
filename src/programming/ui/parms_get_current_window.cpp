#include "programming/ui/parms_get_current_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "frame/app_context.h"
#include "frame/utilities.h"
#include "programming/ui/parms_rd_wr_window.h"

namespace k45 {

formParmsGetCurrent::formParmsGetCurrent(AppContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), dialogue_(ctx, *this) {
    setObjectName("formParmsGetCurrent");
    setWindowTitle("Read Current Parameters");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setSpacing(8);
    labelGetSettings = new QLabel("Reading Current Parameters...", this);
    labelGetSettings->setObjectName("labelGetSettings");
    labelGetSettings->setAlignment(Qt::AlignCenter);
    layout->addWidget(labelGetSettings);
    panelPercent = dialogue_window::PercentPanel(this);
    layout->addWidget(panelPercent);
    buttonCancel = new QPushButton("&Cancel", this);
    buttonCancel->setObjectName("buttonCancel");
    buttonCancel->setDefault(true);  // Enter and Esc both press it
    layout->addLayout(dialogue_window::CentredButtons({buttonCancel}));
    setMinimumWidth(300);

    connect(buttonCancel, &QPushButton::clicked, this, [this] { dialogue_.Cancel(); });
}

formParmsGetCurrent::~formParmsGetCurrent() = default;

void formParmsGetCurrent::CenterOverMainWindow() {
    QWidget* placed = child_window::Placed(this);
    auto* sub = qobject_cast<QMdiSubWindow*>(placed);
    if (!sub || !sub->mdiArea()) return;
    constexpr double kTwips = 15.0;
    const QWidget* area = sub->mdiArea();
    const FormPosition p = CenterFormPosition(true, 0, 0, area->width() * kTwips, area->height() * kTwips,
                                              sub->width() * kTwips, sub->height() * kTwips);
    sub->move(static_cast<int>(RoundHalfEven(p.left / kTwips)), static_cast<int>(RoundHalfEven(p.top / kTwips)));
}

void formParmsGetCurrent::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (dialogue_.loaded()) return;
    CenterOverMainWindow();
    dialogue_.Load();
}

void formParmsGetCurrent::closeEvent(QCloseEvent* e) {
    dialogue_.Unload();
    e->accept();
}

void formParmsGetCurrent::keyPressEvent(QKeyEvent* e) {
    const bool plain = e->modifiers() == Qt::NoModifier || e->modifiers() == Qt::KeypadModifier;
    if (plain && (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        buttonCancel->click();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool formParmsGetCurrent::IsActiveChild() const { return dialogue_window::IsActiveChild(ctx_, this); }

void formParmsGetCurrent::CloseWindow() { child_window::Close(this); }

void formParmsGetCurrent::Unload() {
    if (dialogue_.loaded()) CloseWindow();
}

void formParmsGetCurrent::SetPercent(int percent) { panelPercent->setValue(percent); }

}  // namespace k45
