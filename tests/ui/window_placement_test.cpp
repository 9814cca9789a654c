// Twips and pixels, and where a window goes: the one conversion, the child placement kept in
// twips, and the centring of a window over its parent or in the main window's area.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QWidget>
#include <cmath>
#include <cstdint>

#include "ui/tool_window.h"
#include "ui/twips.h"
#include "ui/window_utils.h"
#include "wiring/app_context.h"

namespace k45::test {
namespace {

TEST(Twips, ToTheNearestPixel) {
    struct Case {
        double twips;
        int pixels;
    };
    // clang-format off
    const Case cases[] = {
        {1500, 100},
        {1000, 67}, {-1000, -67}, {1004, 67}, {1012, 67}, {-1012, -67},  // between pixels: the nearer one
        {7.5, 0}, {22.5, 2}, {-7.5, 0},                                   // half a pixel: the even one
        {32767, 2184}, {-32768, -2185},                                   // the ends of the stored range
        {1e30, 1000000}, {-1e30, -1000000}, {std::nan(""), 0}, {INFINITY, 0},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(TwipsToPixels(c.twips), c.pixels) << c.twips;
    EXPECT_EQ(PixelsToTwips(100), 1500.0);
    EXPECT_EQ(PixelsToTwips(-3), -45.0);
}

TEST(Twips, EveryPixelComesBackFromItsTwips) {
    for (int px = -5000; px <= 5000; ++px) ASSERT_EQ(TwipsToPixels(PixelsToTwips(px)), px);
}

// The settings keep "Left" and "Top" as 16-bit twips: a window saved where it stands opens there
// again, and a stored value that is no whole pixel settles on the nearest one at the first save.
TEST(ChildPlacement, SavedAndRestoredItComesBackAtTheSamePixel) {
    QMdiArea area;
    area.resize(800, 600);
    auto* inner = new QWidget;
    QMdiSubWindow* sub = area.addSubWindow(inner);
    sub->resize(100, 80);
    for (const QPoint at : {QPoint(0, 0), QPoint(1, 7), QPoint(333, 2), QPoint(-4, -9), QPoint(2184, 1000)}) {
        sub->move(at);
        std::int16_t left = 0, top = 0;
        child_window::KeepPlacement(inner, left, top);
        EXPECT_EQ(left, at.x() * 15);
        sub->move(500, 500);
        child_window::MoveToTwips(inner, left, top);
        EXPECT_EQ(sub->pos(), at);
    }

    child_window::MoveToTwips(inner, 1000, -1000);
    EXPECT_EQ(sub->pos(), QPoint(67, -67));
    std::int16_t left = 0, top = 0;
    child_window::KeepPlacement(inner, left, top);
    EXPECT_EQ(left, 1005);
    EXPECT_EQ(top, -1005);
    child_window::MoveToTwips(inner, left, top);
    EXPECT_EQ(sub->pos(), QPoint(67, -67));

    // Beyond what 16 bits hold: the largest position they do.
    sub->move(3000, 10);
    child_window::KeepPlacement(inner, left, top);
    EXPECT_EQ(left, 32767);
}

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

// A tool window that keeps no placement loads where CenterForm puts an MDI child.
TEST(CenterForm, AWindowCentredInTheAreaLoadsWhereCenterFormPutsIt) {
    AppContext ctx;
    QMdiArea area;
    area.resize(800, 600);
    auto* win = new ToolWindowBase(ctx, "formCentred", "Centred", ToolWindowBase::Placement::CentredInArea);
    win->setMinimumSize(1, 1);
    QMdiSubWindow* sub = area.addSubWindow(win);
    sub->resize(400, 200);
    ASSERT_FALSE(win->loaded());
    area.show();  // shows the sub-window, which loads the window
    ASSERT_TRUE(win->loaded());
    EXPECT_EQ(sub->pos(), QPoint(200, 150));
}

}  // namespace
}  // namespace k45::test
