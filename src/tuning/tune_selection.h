#pragma once
// The radio selection of the Tune Radio window as plain rules: the offset lists, which tests
// the radio type and synthesizer allow, the short-ID display, the selection shown for a
// parameter record, and the production default files looked for by name.
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "model/records.h"
#include "platform/locale_info.h"
#include "tuning/tune_settings.h"

namespace k45 {

inline constexpr int kOffsetEntryCount = 17;
// Entry i of the Rx/Tx offset lists: 0, then -75 kHz x j at 2j - 1 and +75 kHz x j at 2j.
std::int32_t OffsetEntryHz(int index);
std::string OffsetEntryText(int index);  // "0 kHz", "-75 kHz", "+75 kHz", ...

// Tests 5, 6, 9, 10 need the 5726 with an SA7026; 7, 8 the 5726; the rest every radio.
std::array<bool, kTuneTestCount> TestsAvailable(std::int32_t radioType, bool sa7026);

// The short ID shown for the long ID box's text: "+ " and the short ID for a long ID of 1024
// or more, else two blanks and the short ID; text that is no number counts as 0.
std::string TuneShortIdText(const std::string& longIdText, const LocaleInfo& locale);

// What the window's selection controls hold (ItemData of the selected entries).
struct TuneSelection {
    std::int32_t radioType = 0;
    std::int32_t radioRange = 0;
    std::int32_t channelBandwidth = 0;
    bool highRxBand = false;
    bool sa7026 = false;
    double longId = 0;
    std::int16_t txTime = 5;                     // scrollTxTime
    std::array<bool, kTuneTestCount> ticked{};  // check boxes ticked (Value 1)
};

// The selection a parameter record selects: a type or range no entry carries gives the last
// entry (type 2, range 9), a bandwidth no entry carries the first (0). Ticks and Tx time stay.
TuneSelection SelectionFromParameters(const ModemParameters& p, const TuneSelection& before);

// Ticked and enabled.
bool TestTakesPart(const TuneSelection& s, int test);

// The production default test (isTest) or data file for the selection: the named file beside
// the current file, in the program folder's TST/ (DAT/) folder, then in the program folder;
// the first that exists, else the current file itself.
std::string FindProductionDefault(bool isTest, const std::string& currentFile, const std::string& programFolder,
                                  std::int32_t radioType, std::int32_t radioRange, std::int32_t channelBandwidth,
                                  bool highRxBand, const std::function<bool(const std::string&)>& exists);

}  // namespace k45
