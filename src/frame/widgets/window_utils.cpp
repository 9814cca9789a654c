#include "frame/widgets/window_utils.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

#include "frame/utilities.h"

namespace k45 {
namespace {

constexpr double kTwipsPerPixel = 15.0;

QMdiSubWindow* SubWindowOf(QWidget& child) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(&child)) return sub;
    for (QWidget* w = child.parentWidget(); w; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) return sub;
    return nullptr;
}

int ToPixels(int twips) { return static_cast<int>(RoundHalfEven(twips / kTwipsPerPixel)); }

}  // namespace

void CenterForm(const QWidget& parent, QWidget& child) {
    if (QMdiSubWindow* sub = SubWindowOf(child)) {
        // The area the child lives in is the MDI client area when there is one.
        const QWidget* area = sub->mdiArea() ? static_cast<const QWidget*>(sub->mdiArea()) : &parent;
        const FormPosition p = CenterFormPosition(true, 0, 0, area->width() * kTwipsPerPixel,
                                                  area->height() * kTwipsPerPixel, sub->width() * kTwipsPerPixel,
                                                  sub->height() * kTwipsPerPixel);
        sub->move(ToPixels(p.left), ToPixels(p.top));
        return;
    }
    const QRect outer = parent.frameGeometry();
    const QRect own = child.frameGeometry();
    const FormPosition p = CenterFormPosition(false, outer.x() * kTwipsPerPixel, outer.y() * kTwipsPerPixel,
                                              outer.width() * kTwipsPerPixel, outer.height() * kTwipsPerPixel,
                                              own.width() * kTwipsPerPixel, own.height() * kTwipsPerPixel);
    child.move(ToPixels(p.left), ToPixels(p.top));
}

}  // namespace k45
