#pragma once
// The process-wide state, in parts with one purpose each. A function takes the parts it uses;
// AppState holds them all (one instance, created by main; tests create their own) and passes
// as any of its parts. There are no hidden globals.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"
#include "platform/locale_info.h"
#include "platform/places.h"

namespace k45 {

class Scheduler;
class Dialogs;
class Clipboard;
class HelpViewer;
class LocalLinks;

// Mode flags: written only while the command line is taken at start-up, with the part-number
// text that shows them.
struct ModeFlags {
    bool engineerMode = false;
    bool productionMode = false;
    bool debugTest = false;
    std::string partNumberText;
};

// Where files are (program and temporary folders, the data and test file in use) and the
// locale numbers are read and written with.
struct FilePlaces {
    LocaleInfo locale;
    Places places;
    std::string dataFileName;
    std::string testFileName;
};

// The records and tables the windows and dialogues share.
struct SharedRecords {
    // "QuOrVaLiN" followed by the character of code 0 (10 characters).
    std::string parmsSignature = std::string("QuOrVaLiN") + '\0';

    ModemParameters mainParameters;
    ModemParameters currentParameters;
    ProductionTestRecord testParameters;
    ProductionTestRecord testDefaults;
    ProductionTestRecord builtInTestDefaults;
    DacValues dacValues;
    RadioSpec engineerFrequencies;
    std::vector<RestrictedBand> restrictedBands;

    std::array<bool, 3> radioTypeEnabled{};
    std::array<std::array<bool, 10>, 3> rangeEnabled{};

    std::array<std::int16_t, 256> rssiCurve5716{};
    std::array<std::int16_t, 256> rssiCurve5726{};
    std::array<std::int16_t, 256> rssiCurve5796{};
};

// Services: set by main or by a test before use; null where a test needs none.
struct Services {
    Scheduler* scheduler = nullptr;
    Dialogs* dialogs = nullptr;
    Clipboard* clipboard = nullptr;
    HelpViewer* helpViewer = nullptr;
    // Links between programs (the terminals' partners); null where a test needs none.
    LocalLinks* localLinks = nullptr;
};

struct AppState : ModeFlags, FilePlaces, SharedRecords, Services {};

}  // namespace k45
