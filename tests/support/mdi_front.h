#pragma once
// Where the operator's attention is in the main window: the child in front and the keyboard.
#include <QApplication>
#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>

namespace k45::test {

// The topmost sub-window that shows, or null.
inline QMdiSubWindow* FrontSubWindow(const QMdiArea& area) {
    const QList<QMdiSubWindow*> stack = area.subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.crbegin(); it != stack.crend(); ++it)
        if ((*it)->isVisible()) return *it;
    return nullptr;
}

// The keyboard is in w: on w itself or on one of its controls.
inline bool HasKeyboard(const QWidget& w) {
    QWidget* f = QApplication::focusWidget();
    return f && (f == &w || w.isAncestorOf(f));
}

}  // namespace k45::test
