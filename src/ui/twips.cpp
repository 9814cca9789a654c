#include "ui/twips.h"

#include <algorithm>
#include <cmath>

#include "base/utilities.h"

namespace k45 {

int TwipsToPixels(double twips) {
    if (!std::isfinite(twips)) return 0;
    // Far outside any screen; keeps the conversion defined for a garbled settings value.
    const double px = std::clamp(RoundHalfEven(twips / kTwipsPerPixel), -1000000.0, 1000000.0);
    return static_cast<int>(px);
}

double PixelsToTwips(int pixels) { return static_cast<double>(pixels) * kTwipsPerPixel; }

}  // namespace k45
