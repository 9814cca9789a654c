// The control kit's horizontal scroll bar: Tab reaches it and the keys move it the way they
// point.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include "ui/control_kit.h"

namespace k45::test {
namespace {

TEST(ControlKit, AHorizontalScrollBarTakesTheFocusAndMovesTheWayTheKeysPoint) {
    QScrollBar* bar = kit::HScroll(nullptr, "scrollTest", 0, 90, 10, 140);
    EXPECT_EQ(bar->objectName(), "scrollTest");
    EXPECT_EQ(bar->orientation(), Qt::Horizontal);
    EXPECT_TRUE(bar->focusPolicy() & Qt::TabFocus);
    EXPECT_EQ(bar->minimumWidth(), 140);
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        int value;  // from 40
    };
    // clang-format off
    const Case cases[] = {
        {Qt::Key_Right, Qt::NoModifier, 41}, {Qt::Key_Right, Qt::KeypadModifier, 41}, {Qt::Key_Left, Qt::NoModifier, 39},
        {Qt::Key_Down, Qt::NoModifier, 41},  {Qt::Key_Up, Qt::NoModifier, 39},
        {Qt::Key_PageDown, Qt::NoModifier, 50}, {Qt::Key_PageUp, Qt::NoModifier, 30},
        {Qt::Key_Home, Qt::NoModifier, 0},   {Qt::Key_End, Qt::NoModifier, 90},
    };
    // clang-format on
    int changes = 0;
    QObject::connect(bar, &QScrollBar::valueChanged, [&] { ++changes; });
    for (const Case& c : cases) {
        bar->setValue(40);
        changes = 0;
        QKeyEvent press(QEvent::KeyPress, c.key, c.mods);
        QApplication::sendEvent(bar, &press);
        EXPECT_EQ(bar->value(), c.value) << c.key;
        EXPECT_EQ(changes, 1) << c.key;
    }
    // At its ends it stays.
    bar->setValue(90);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(bar, &right);
    EXPECT_EQ(bar->value(), 90);
    delete bar;
}

}  // namespace
}  // namespace k45::test
