#include "frame/ui/main_geometry.h"

#include <algorithm>

namespace k45 {

ToolbarLayout LayOutToolbar(const std::vector<TwipsRect>& buttons) {
    std::int32_t maxButtonBottom = 0;
    std::int32_t maxButtonRight = 0;
    for (const TwipsRect& b : buttons) maxButtonBottom = std::max(maxButtonBottom, b.top + b.height);
    for (const TwipsRect& b : buttons) maxButtonRight = std::max(maxButtonRight, b.left + b.width);
    return ToolbarLayout{maxButtonBottom + 30, maxButtonRight + 40};
}

PixelRect ClampToDesktop(PixelRect w, const PixelRect& desktop) {
    if (desktop.width <= 0 || desktop.height <= 0) return w;
    w.width = std::clamp(w.width, 1, desktop.width);
    w.height = std::clamp(w.height, 1, desktop.height);
    w.left = std::clamp(w.left, desktop.left, desktop.left + desktop.width - w.width);
    w.top = std::clamp(w.top, desktop.top, desktop.top + desktop.height - w.height);
    return w;
}

}  // namespace k45
