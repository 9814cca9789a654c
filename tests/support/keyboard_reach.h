#pragma once
// The window's own controls (the named ones) that Tab can never reach: an operator without a
// mouse could not use them.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <string>
#include <vector>

namespace k45::test {

inline std::vector<std::string> ControlsOutOfKeyboardReach(const QWidget& window) {
    std::vector<std::string> out;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) ||
                             qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QLineEdit*>(w);
        if (!control || w->objectName().isEmpty() || w->objectName().startsWith("qt_")) continue;
        // Of a set of exclusive choices only the chosen one is in the Tab chain; the arrow keys
        // move from it to the others.
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->autoExclusive() && !b->isChecked()) continue;
        if (!(w->focusPolicy() & Qt::TabFocus)) out.push_back(w->objectName().toStdString());
    }
    return out;
}

}  // namespace k45::test
