#pragma once
// The bench of the window scenario tests: the dialogue bench, and pictures of the windows
// written as PNG files when K45_SCREENSHOT_DIR names a folder.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QWidget>
#include <cstdlib>

#include "programming/programming_bench.h"

namespace k45::test {

// Grabs the window; saves it as <name>.png in K45_SCREENSHOT_DIR when that is set.
inline void Screenshot(QWidget& w, const char* name) {
    w.resize(w.size().expandedTo(w.sizeHint()));
    const QPixmap pm = w.grab();
    EXPECT_FALSE(pm.isNull()) << name;
    EXPECT_GE(pm.width(), 250) << name;
    if (const char* dir = std::getenv("K45_SCREENSHOT_DIR")) {
        EXPECT_TRUE(pm.save(QString("%1/%2.png").arg(dir, name))) << name;
    }
}

// A key press as the operator types it, to the widget that has it.
inline void PressKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods);
    QCoreApplication::sendEvent(w, &release);
}

}  // namespace k45::test
