#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>
#include <gtest/gtest.h>

#include "ui/window_utils.h"

using namespace k45;

TEST(CenterForm, MdiChildSitsAboveCentreOfTheArea) {
    QWidget main;
    QMdiArea area(&main);
    area.resize(800, 600);  // 12000 x 9000 twips
    auto* inner = new QWidget;
    QMdiSubWindow* sub = area.addSubWindow(inner);
    sub->resize(400, 200);
    CenterForm(main, *inner);
    EXPECT_EQ(sub->pos(), QPoint(200, 150));  // (9000 - 3000) / 2 x 0.75 = 2250 twips

    sub->resize(1000, 900);  // larger than the area
    CenterForm(main, *sub);
    EXPECT_EQ(sub->pos(), QPoint(0, 0));
}

TEST(CenterForm, OtherWindowsCentreOverTheParent) {
    QWidget parent;
    parent.setGeometry(100, 50, 800, 600);
    QWidget child;
    child.resize(400, 200);
    CenterForm(parent, child);
    EXPECT_EQ(child.pos(), QPoint(300, 250));

    parent.move(-700, 0);
    CenterForm(parent, child);
    EXPECT_EQ(child.pos().x(), 0);
}
