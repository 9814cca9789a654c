#pragma once
// The plain parts of start-up and of the main window: the command-line words and mode
// flags, the part-number and revision texts, the status-bar texts and the default file names.
#include <string>
#include <vector>

#include "model/app_state.h"

namespace k45 {

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

}  // namespace k45
