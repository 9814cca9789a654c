#pragma once
// The tuning window's settings: its section of the settings file (position, ticked tests,
// offsets, Mod Balance time) and tune.ini in the program folder (signal-generator levels,
// targets and tolerances the step screens quote). tune.ini is written with "." decimals and
// read with either separator; it is written only in engineering mode.
#include <array>
#include <cstdint>
#include <string>

#include "platform/locale_info.h"

namespace k45 {

inline constexpr int kTuneTestCount = 15;

struct TuneLevels {
    // "Tx Tuning"
    std::int16_t tcxoTolerance = 0;
    float tcxoDcLevel = 0;
    float tcxoDcLevelTolerance = 0;
    float powerCalTolerance = 0;
    float powerOutLevel = 0;
    float powerOutTolerance = 0;
    float deviationWide = 0;
    std::int16_t deviationWideTolerance = 0;
    float deviationNarrow = 0;
    std::int16_t deviationNarrowTolerance = 0;
    // "Rx Tuning" (the dBm keys held as RSSI codes, dBm + 130)
    std::int16_t frontEndSigGenLevel = 0;
    std::int16_t rxFcSigGenLevel = 0;
    float rxGainAudioLevel = 0;
    float rxGainAudioFreq = 0;
    std::int16_t rxGainSigGenLevel = 0;
    float rxGainSigGenWide = 0;
    float rxGainSigGenNarrow = 0;
    float rxGainTestPointVoltage = 0;
    // "Verification Tests"
    std::int16_t rssiVerifyTolerance = 0;
    std::int16_t rssiVerifyOnTolerance = 0;
    std::int16_t rssiVerifyOffTolerance = 0;
    float powerVerifyLevel = 0;
    float powerVerifyTolerance = 0;
    bool operator==(const TuneLevels&) const = default;
};

struct TuneWindowSettings {
    bool wasLoaded = false;
    std::int16_t windowLeft = 0;
    std::int16_t windowTop = 0;
    std::array<std::int16_t, kTuneTestCount> testSelection{};
    std::int16_t rxOffsetListIndex = 0;
    std::int16_t txOffsetListIndex = 0;
    std::int16_t modBalanceTxTime = 0;
    TuneLevels levels;
};

// The program folder's tune.ini.
std::string TuneIniPath(const std::string& programFolder);

// Reads the window section and tune.ini into s. A missing key gives its default; a value
// that does not convert leaves the variable as it was.
void RestoreTuneSettings(TuneWindowSettings& s, const LocaleInfo& locale, const std::string& fileName,
                         const std::string& sectionName, const std::string& tuneIniPath);
// Reads only tune.ini (as at start-up).
void ReadTuneLevels(TuneLevels& levels, const std::string& tuneIniPath);

// Writes nothing unless the window was loaded during the run; tune.ini only in engineering
// mode. False, with the reason, when a write failed.
[[nodiscard]] bool SaveTuneSettings(const TuneWindowSettings& s, const LocaleInfo& locale, const std::string& fileName,
                                    const std::string& sectionName, const std::string& tuneIniPath, bool engineerMode,
                                    std::string* error = nullptr);
// Writes every known key of tune.ini in its format ("." decimals); other keys survive.
[[nodiscard]] bool WriteTuneLevels(const TuneLevels& levels, const std::string& tuneIniPath, std::string* error = nullptr);

}  // namespace k45
