#include "tuning/tune_selection.h"

#include <vector>

#include "base/converters.h"
#include "base/utilities.h"
#include "params/startup_defaults.h"

namespace k45 {

std::int32_t OffsetEntryHz(int index) {
    if (index <= 0 || index >= kOffsetEntryCount) return 0;
    const std::int32_t j = (index + 1) / 2;
    return index % 2 == 1 ? -75000 * j : 75000 * j;
}

std::string OffsetEntryText(int index) {
    const std::int32_t hz = OffsetEntryHz(index);
    if (hz == 0) return "0 kHz";
    return (hz < 0 ? "-" : "+") + std::to_string((hz < 0 ? -hz : hz) / 1000) + " kHz";
}

std::array<bool, kTuneTestCount> TestsAvailable(std::int32_t radioType, bool sa7026) {
    std::array<bool, kTuneTestCount> a{};
    a.fill(true);
    for (int t : {5, 6, 9, 10}) a[static_cast<std::size_t>(t)] = radioType == 1 && sa7026;
    for (int t : {7, 8}) a[static_cast<std::size_t>(t)] = radioType == 1;
    return a;
}

std::string TuneShortIdText(const std::string& longIdText, const LocaleInfo& locale) {
    const auto v = TextToDouble(longIdText, locale);
    return ShortIdText(v && *v >= 0 && *v <= 4294967295.0 ? *v : 0);
}

TuneSelection SelectionFromParameters(const ModemParameters& p, const TuneSelection& before) {
    TuneSelection s = before;
    s.radioType = p.radioType >= 0 && p.radioType <= 2 ? p.radioType : 2;
    s.radioRange = p.radioRange >= 0 && p.radioRange <= 9 ? p.radioRange : 9;
    s.channelBandwidth = p.channelBandwidth == 0 || p.channelBandwidth == 1 ? p.channelBandwidth : 0;
    s.sa7026 = IsSet(p.sa7026Synthesizer);
    s.highRxBand = IsSet(p.highBand);
    s.longId = p.serialNumber;
    return s;
}

bool TestTakesPart(const TuneSelection& s, int test) {
    if (test < 0 || test >= kTuneTestCount) return false;
    return s.ticked[static_cast<std::size_t>(test)] && TestsAvailable(s.radioType, s.sa7026)[static_cast<std::size_t>(test)];
}

std::string FindProductionDefault(bool isTest, const std::string& currentFile, const std::string& programFolder,
                                  std::int32_t radioType, std::int32_t radioRange, std::int32_t channelBandwidth,
                                  bool highRxBand, const std::function<bool(const std::string&)>& exists) {
    const std::int16_t variant = radioType == 0 && radioRange == 0 && highRxBand ? 1 : 0;
    const std::vector<std::string> folders = {
        GetDirectoryPart(currentFile, programFolder) + "/",
        programFolder + (isTest ? "/TST/" : "/DAT/"),
        programFolder + "/",
    };
    for (const std::string& folder : folders) {
        const std::string name = isTest ? MakeTuneTestFileName(folder, radioType, radioRange, channelBandwidth, variant)
                                        : MakeTuneDataFileName(folder, radioType, radioRange, channelBandwidth, variant);
        if (!name.empty() && exists(name)) return name;
    }
    return currentFile;
}

}  // namespace k45
