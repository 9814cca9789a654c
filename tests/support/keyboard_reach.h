#pragma once
// The window's own controls (the named ones) that Tab can never reach: an operator without a
// mouse could not use them.
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <set>
#include <string>
#include <vector>

namespace k45::test {

// The window's named controls that Tab is meant to reach (of a set of exclusive choices only
// the chosen one is in the Tab chain; the arrow keys move from it to the others).
inline std::vector<QWidget*> TabControls(const QWidget& window) {
    std::vector<QWidget*> out;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                             qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QLineEdit*>(w);
        if (!control || w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->autoExclusive() && !b->isChecked()) continue;
        out.push_back(w);
    }
    return out;
}

inline std::vector<std::string> ControlsOutOfKeyboardReach(const QWidget& window) {
    std::vector<std::string> out;
    for (QWidget* w : TabControls(window))
        if (!(w->focusPolicy() & Qt::TabFocus)) out.push_back(w->objectName().toStdString());
    return out;
}

// The controls, shown and enabled, that pressing Tab over and over from the window's first
// control never focuses (the walk ends when the focus comes round again or leaves the window).
// The window must be shown.
inline std::vector<std::string> ControlsTabNeverFocuses(QWidget& window) {
    window.activateWindow();
    QApplication::setActiveWindow(window.window());
    QApplication::processEvents();
    QWidget* first = nullptr;
    for (QWidget* w = window.nextInFocusChain(); w && w != &window && !first; w = w->nextInFocusChain())
        if (window.isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) first = w;
    std::set<QWidget*> reached;
    if (first) {
        first->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        for (int i = 0; i < 1000; ++i) {
            QWidget* f = QApplication::focusWidget();
            if (!f || !window.isAncestorOf(f) || !reached.insert(f).second) break;
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QApplication::sendEvent(f, &tab);
            QApplication::processEvents();
        }
    }
    std::vector<std::string> out;
    for (QWidget* w : TabControls(window))
        if (w->isVisible() && w->isEnabled() && !reached.count(w)) out.push_back(w->objectName().toStdString());
    return out;
}

}  // namespace k45::test
