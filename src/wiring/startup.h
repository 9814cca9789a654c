#pragma once
// The plain parts of start-up and of the main window: the command-line words and mode
// flags, the part-number and revision texts, the status-bar texts, the tool-bar layout and
// window placement in twips.
#include <cstdint>
#include <string>
#include <vector>

#include "model/app_state.h"

namespace k45 {

inline constexpr int kTwipsPerPixel = 15;

// The command line as the words it holds: split at runs of spaces only (any other
// character, a tab included, belongs to a word).
std::vector<std::string> SplitCommandLineWords(const std::string& commandLine);

// The argument text behind the program name, arguments joined with one space.
std::string CommandLineText(const std::vector<std::string>& arguments);

// Takes the words from left to right against the flags as they stand ("/FieldTest",
// "/DebugTest", "/ProductionTest" and their "-" forms; anything else is ignored).
void ApplyCommandLineWords(ModeFlags& modes, const std::string& commandLine);

// Clears the three flags, turns engineerMode on for the engineering build, then takes the
// command-line words.
void SetModeFlags(ModeFlags& modes, bool engineeringBuild, const std::string& commandLine);

// The part number followed by "#" (engineerMode), "1" (productionMode) or "0".
std::string MakePartNumberText(const std::string& partNumber, const ModeFlags& modes);

// "Revision 3.02.07": major, minor and revision with the formats "0", "00", "00".
std::string RevisionText(int major, int minor, int revision);

// Status-bar panel 1 after one more resend: the number the text begins with, plus one.
std::string NextTestNumberText(const std::string& panelText);
// Status-bar panel 2.
std::string ComPortsText(int primaryPort, int secondaryPort);

// Default data and test file of the program folder.
std::string DefaultDataFileName(const FilePlaces& files);
std::string DefaultTestFileName(const FilePlaces& files);

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

// Twips <-> pixels at 15 twips per pixel (to the nearest pixel, halves to even).
int TwipsToPixels(double twips);
double PixelsToTwips(int pixels);

}  // namespace k45
