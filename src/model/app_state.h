#pragma once
// Process-wide values of the model layers: mode flags, signature, bit tables, locale,
// folders, the shared records and tables. One instance is created by main (tests create
// their own) and handed to whoever needs it; there are no hidden globals.
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

struct AppState {
    // Mode flags: written only while the command line is taken at start-up.
    bool engineerMode = false;
    bool productionMode = false;
    bool debugTest = false;

    // "QuOrVaLiN" followed by the character of code 0 (10 characters).
    std::string parmsSignature = std::string("QuOrVaLiN") + '\0';
    std::string partNumberText;

    std::array<std::int32_t, 16> bitMask{};
    std::array<std::int16_t, 8> bitMaskRev{};

    LocaleInfo locale;
    Places places;

    std::string dataFileName;
    std::string testFileName;

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

    // Services; set by main or by a test before use.
    Scheduler* scheduler = nullptr;
    Dialogs* dialogs = nullptr;
};

// Fills bitMask and bitMaskRev (first steps of start-up).
inline void BuildBitTables(AppState& s) {
    std::int32_t v = 1;
    for (auto& e : s.bitMask) { e = v; v *= 2; }
    std::int16_t r = 128;
    for (auto& e : s.bitMaskRev) { e = r; r = static_cast<std::int16_t>(r / 2); }
}

}  // namespace k45
