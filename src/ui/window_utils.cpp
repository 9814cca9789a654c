#include "ui/window_utils.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

#include "base/ini_routines.h"
#include "base/utilities.h"
#include "ui/control_kit.h"

namespace k45 {
namespace {

QMdiSubWindow* SubWindowOf(QWidget& child) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(&child)) return sub;
    for (QWidget* w = child.parentWidget(); w; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) return sub;
    return nullptr;
}

}  // namespace

QLabel* BuddyCaption(const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text);
    l->setBuddy(buddy);
    return l;
}

void FocusedButtonsAnswerEnter(QWidget& window) {
    for (QPushButton* b : window.findChildren<QPushButton*>()) b->setAutoDefault(true);
}

void CenterForm(const QWidget& parent, QWidget& child) {
    if (QMdiSubWindow* sub = SubWindowOf(child)) {
        // The area the child lives in is the MDI client area when there is one.
        const QWidget* area = sub->mdiArea() ? static_cast<const QWidget*>(sub->mdiArea()) : &parent;
        const FormPosition p = CenterFormPosition(true, 0, 0, PixelsToTwips(area->width()),
                                                  PixelsToTwips(area->height()), PixelsToTwips(sub->width()),
                                                  PixelsToTwips(sub->height()));
        sub->move(TwipsToPixels(p.left), TwipsToPixels(p.top));
        return;
    }
    const QRect outer = parent.frameGeometry();
    const QRect own = child.frameGeometry();
    const FormPosition p = CenterFormPosition(false, PixelsToTwips(outer.x()), PixelsToTwips(outer.y()),
                                              PixelsToTwips(outer.width()), PixelsToTwips(outer.height()),
                                              PixelsToTwips(own.width()), PixelsToTwips(own.height()));
    child.move(TwipsToPixels(p.left), TwipsToPixels(p.top));
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

OkCloseButtons AddOkCloseRow(QWidget& window, QBoxLayout& layout, const QString& closeName,
                             const QString& closeCaption) {
    OkCloseButtons row{kit::Button(&window, "buttonOK", "&OK"), kit::Button(&window, closeName, closeCaption)};
    row.ok->setDefault(true);
    for (QPushButton* b : {row.ok, row.close}) b->setAutoDefault(true);
    layout.addLayout(CentredButtons({row.ok, row.close}));
    return row;
}

namespace child_window {

QWidget* Placed(QWidget* w) {
    auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    return sub ? static_cast<QWidget*>(sub) : w;
}

void MoveToTwips(QWidget* w, std::int16_t left, std::int16_t top) {
    Placed(w)->move(TwipsToPixels(left), TwipsToPixels(top));
}

void KeepPlacement(QWidget* w, std::int16_t& left, std::int16_t& top) {
    QWidget* p = Placed(w);
    if (p->isMinimized()) return;
    auto twips = [](int px) {
        return static_cast<std::int16_t>(std::clamp(PixelsToTwips(px), double{INT16_MIN}, double{INT16_MAX}));
    };
    left = twips(p->x());
    top = twips(p->y());
}

void Close(QWidget* w) {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget()))
        sub->close();
    else
        w->close();
}

void RestorePlacement(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                      std::int16_t& left, std::int16_t& top) {
    ReadIniInto(locale, fileName, sectionName, "Left", left);
    ReadIniInto(locale, fileName, sectionName, "Top", top);
}

void SavePlacement(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                   std::int16_t left, std::int16_t top) {
    // Saved inside the shutdown batch of the settings file: its commit reports the file.
    (void)WriteIniValue(locale, fileName, sectionName, "Left", left);
    (void)WriteIniValue(locale, fileName, sectionName, "Top", top);
}

}  // namespace child_window

}  // namespace k45
