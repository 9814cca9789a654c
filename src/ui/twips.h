#pragma once
// Positions and sizes kept in settings files are twips, 15 to the pixel. The one conversion
// between the two: to the nearest pixel, so a placement saved and restored comes back at the
// pixel it was saved from, and a stored value that is no whole number of pixels moves by less
// than half a pixel whichever side of 0 it lies.
namespace k45 {

inline constexpr int kTwipsPerPixel = 15;

// The nearest pixel, halves to even; a value that is not finite gives 0, and one far outside
// any screen is held at a million pixels either way.
int TwipsToPixels(double twips);
// Exact: every pixel is a whole number of twips.
double PixelsToTwips(int pixels);

}  // namespace k45
