#include "ui/tool_window.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>

#include "wiring/app_context.h"
#include "wiring/main_frame.h"
#include "ui/window_utils.h"

namespace k45 {

ToolWindowBase::ToolWindowBase(AppContext& ctx, const char* objectName, const char* caption, Placement placement,
                               QWidget* parent)
    // A window of its own until the main window puts it in a sub-window: it is not shown with
    // its owner, and it takes the size and margins of a window, as designed.
    : QWidget(parent, Qt::Window), ctx_(ctx), placement_(placement) {
    setObjectName(objectName);
    setWindowTitle(caption);
}

ToolWindowBase::~ToolWindowBase() = default;

void ToolWindowBase::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    if (placement_ == Placement::Saved)
        child_window::RestorePlacement(ctx_.state.locale, fileName, sectionName, savedLeft, savedTop);
}

void ToolWindowBase::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    if (placement_ == Placement::Saved && shownThisRun_)
        child_window::SavePlacement(ctx_.state.locale, fileName, sectionName, savedLeft, savedTop);
}

void ToolWindowBase::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (loaded_) return;
    if (placement_ == Placement::Saved) {
        child_window::MoveToTwips(this, savedLeft, savedTop);
        shownThisRun_ = true;
    } else {
        CentreInArea();
    }
    KeepReadable();
    loaded_ = true;
    loading_ = true;
    Form_Load();
    loading_ = false;
}

void ToolWindowBase::closeEvent(QCloseEvent* e) {
    if (loaded_) {
        if (placement_ == Placement::Saved) child_window::KeepPlacement(this, savedLeft, savedTop);
        loaded_ = false;
        Form_Unload();
    }
    e->accept();
}

void ToolWindowBase::CloseForm() {
    // A window cannot close while it is being shown: it closes right after.
    if (loading_) {
        QTimer::singleShot(0, this, [this] { child_window::Close(this); });
        return;
    }
    child_window::Close(this);
}

bool ToolWindowBase::IsActiveForm() const { return !ctx_.mainFrame || ctx_.mainFrame->ActiveForm() == this; }

void ToolWindowBase::KeepReadable() {
    auto* sub = qobject_cast<QMdiSubWindow*>(child_window::Placed(this));
    if (!sub || !sub->mdiArea()) return;
    // Tiling and cascading must not squeeze the controls over each other: the size a window
    // opens at is the least at which it is readable.
    sub->setMinimumSize(sub->size());
    // A window reaching past the area's right or bottom edge is brought in as far as it can go,
    // so its buttons show; one larger than the area keeps its top-left corner in view.
    const QSize area = sub->mdiArea()->viewport()->size();
    const int x = std::clamp(sub->x(), 0, std::max(0, area.width() - sub->width()));
    const int y = std::clamp(sub->y(), 0, std::max(0, area.height() - sub->height()));
    if (x != sub->x() || y != sub->y()) sub->move(x, y);
}

void ToolWindowBase::CentreInArea() {
    auto* sub = qobject_cast<QMdiSubWindow*>(child_window::Placed(this));
    if (sub && sub->mdiArea()) CenterForm(*sub->mdiArea(), *this);
}

}  // namespace k45
