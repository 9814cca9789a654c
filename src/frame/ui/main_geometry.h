#pragma once
// The main window's own geometry: the tool-bar layout worked out in twips, and its placement
// kept within the visible desktop.
#include <cstdint>
#include <vector>

namespace k45 {

// Tool-bar layout in twips: the bar is 30 twips taller than its lowest button bottom, the
// version frame starts 40 twips right of its rightmost button edge.
struct TwipsRect {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
};
struct ToolbarLayout {
    std::int32_t height = 0;
    std::int32_t frameVersionLeft = 0;
};
ToolbarLayout LayOutToolbar(const std::vector<TwipsRect>& buttons);

// A window placement kept within the visible desktop (pixels): a window larger than the
// desktop shrinks to it, one outside it moves back inside.
struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;
};
PixelRect ClampToDesktop(PixelRect window, const PixelRect& desktop);

}  // namespace k45
