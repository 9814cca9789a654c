// The main window's geometry: the tool-bar layout in twips and the placement kept on the desktop.
#include <gtest/gtest.h>

#include "frame/ui/main_geometry.h"

namespace k45 {
namespace {

TEST(ToolbarLayoutTest, HeightAndVersionFrameFollowTheButtons) {
    ToolbarLayout none = LayOutToolbar({});
    EXPECT_EQ(none.height, 30);
    EXPECT_EQ(none.frameVersionLeft, 40);
    // Buttons of different heights and a taller one further left.
    ToolbarLayout l = LayOutToolbar({{0, 30, 900, 330}, {900, 30, 900, 400}, {1800, 30, 700, 330}});
    EXPECT_EQ(l.height, 430 + 30);
    EXPECT_EQ(l.frameVersionLeft, 2500 + 40);
}

TEST(Placement, ClampedToTheVisibleDesktop) {
    const PixelRect desk{0, 0, 800, 600};
    struct Case { PixelRect in, out; };
    const Case cases[] = {
        {{10, 20, 300, 200}, {10, 20, 300, 200}},       // inside: unchanged
        {{-50, -40, 300, 200}, {0, 0, 300, 200}},       // off the top left
        {{700, 500, 300, 200}, {500, 400, 300, 200}},   // off the bottom right
        {{100, 100, 2000, 1500}, {0, 0, 800, 600}},     // larger than the desktop
        {{5000, 5000, 0, -3}, {799, 599, 1, 1}},        // garbled size and position
    };
    for (const Case& c : cases) {
        PixelRect r = ClampToDesktop(c.in, desk);
        EXPECT_EQ(r.left, c.out.left);
        EXPECT_EQ(r.top, c.out.top);
        EXPECT_EQ(r.width, c.out.width);
        EXPECT_EQ(r.height, c.out.height);
    }
    // A desktop off the origin (second screen to the right).
    PixelRect r = ClampToDesktop({0, 0, 100, 100}, {1920, 0, 1280, 1024});
    EXPECT_EQ(r.left, 1920);
}

}  // namespace
}  // namespace k45
