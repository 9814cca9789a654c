#include "tuning/tune_settings.h"

#include <cmath>
#include <cstdio>
#include <variant>

#include "base/converters.h"
#include "base/ini_routines.h"
#include "base/utilities.h"
#include "platform/profile.h"

namespace k45 {
namespace {

enum class LevelKind { Whole, Plain, OneDecimal, TwoDecimals, ThreeDecimals, Dbm };

struct LevelKey {
    const char* section;
    const char* key;
    LevelKind kind;
    std::variant<std::int16_t TuneLevels::*, float TuneLevels::*> field;
    double defaultValue;  // the dBm keys: the level in dBm
};

// tune.ini in the order its keys are read and written.
const LevelKey kLevelKeys[] = {
    {"Tx Tuning", "TCXO Tolerance (Hz)", LevelKind::Whole, &TuneLevels::tcxoTolerance, 200},
    {"Tx Tuning", "TCXO DC Level (V)", LevelKind::Plain, &TuneLevels::tcxoDcLevel, 2.5},
    {"Tx Tuning", "TCXO DC Level Tolerance(V)", LevelKind::Plain, &TuneLevels::tcxoDcLevelTolerance, 0.5},
    {"Tx Tuning", "Power Cal Tolerance (Watts)", LevelKind::TwoDecimals, &TuneLevels::powerCalTolerance, 0.01},
    {"Tx Tuning", "Power (Watts)", LevelKind::OneDecimal, &TuneLevels::powerOutLevel, 5.0},
    {"Tx Tuning", "Power Tolerance (Watts)", LevelKind::OneDecimal, &TuneLevels::powerOutTolerance, 0.1},
    {"Tx Tuning", "Deviation Wide (kHz)", LevelKind::OneDecimal, &TuneLevels::deviationWide, 4.0},
    {"Tx Tuning", "Deviation Wide Tolerance (Hz)", LevelKind::Whole, &TuneLevels::deviationWideTolerance, 100},
    {"Tx Tuning", "Deviation Narrow (kHz)", LevelKind::OneDecimal, &TuneLevels::deviationNarrow, 2.5},
    {"Tx Tuning", "Deviation Narrow Tolerance (Hz)", LevelKind::Whole, &TuneLevels::deviationNarrowTolerance, 50},
    {"Rx Tuning", "Front End Sig Gen Level (dBm)", LevelKind::Dbm, &TuneLevels::frontEndSigGenLevel, -90},
    {"Rx Tuning", "Rx FC Sig Gen Level (dBm)", LevelKind::Dbm, &TuneLevels::rxFcSigGenLevel, -50},
    {"Rx Tuning", "Rx Gain Audio Gen Level (Vrms)", LevelKind::ThreeDecimals, &TuneLevels::rxGainAudioLevel, 1.414},
    {"Rx Tuning", "Rx Gain Audio Gen Freq (kHz)", LevelKind::OneDecimal, &TuneLevels::rxGainAudioFreq, 1.2},
    {"Rx Tuning", "Rx Gain Sig Gen Level (dBm)", LevelKind::Dbm, &TuneLevels::rxGainSigGenLevel, -80},
    {"Rx Tuning", "Rx Gain Sig Gen Level Wide (kHz)", LevelKind::OneDecimal, &TuneLevels::rxGainSigGenWide, 4.0},
    {"Rx Tuning", "Rx Gain Sig Gen Level Narrow (kHz)", LevelKind::OneDecimal, &TuneLevels::rxGainSigGenNarrow, 2.5},
    {"Rx Tuning", "Rx Gain Test Point Voltage (Vp-p)", LevelKind::OneDecimal, &TuneLevels::rxGainTestPointVoltage, 2.0},
    {"Verification Tests", "RSSI Cal Verify Tolerance (dBm)", LevelKind::Whole, &TuneLevels::rssiVerifyTolerance, 3},
    {"Verification Tests", "RSSI Cal Verify On Tolerance (dBm)", LevelKind::Whole, &TuneLevels::rssiVerifyOnTolerance, 5},
    {"Verification Tests", "RSSI Cal Verify Off Tolerance (dBm)", LevelKind::Whole, &TuneLevels::rssiVerifyOffTolerance, 5},
    {"Verification Tests", "Power Cal Verify (Watts)", LevelKind::OneDecimal, &TuneLevels::powerVerifyLevel, 5.0},
    {"Verification Tests", "Power Cal Verify Tolerance (Watts)", LevelKind::OneDecimal, &TuneLevels::powerVerifyTolerance, 0.2},
};

// tune.ini is read and written in the C notation whatever the user's locale; reading accepts
// either separator because the numeric default makes the text locale-neutral first.
LocaleInfo FileLocale() {
    return LocaleInfo{".", "-"};
}

std::string Plain(float v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
    return buf;
}

std::string LevelText(const TuneLevels& levels, const LevelKey& k) {
    if (const auto p = std::get_if<std::int16_t TuneLevels::*>(&k.field)) {
        const std::int16_t v = levels.*(*p);
        return k.kind == LevelKind::Dbm ? std::to_string(v - 130) : std::to_string(v);
    }
    const float v = levels.*std::get<float TuneLevels::*>(k.field);
    switch (k.kind) {
    case LevelKind::OneDecimal: return FixedText(v, 1);
    case LevelKind::TwoDecimals: return FixedText(v, 2);
    case LevelKind::ThreeDecimals: return FixedText(v, 3);
    default: return Plain(v);
    }
}

}  // namespace

std::string TuneIniPath(const std::string& programFolder) { return programFolder + "/tune.ini"; }

void ReadTuneLevels(TuneLevels& levels, const std::string& tuneIniPath) {
    const LocaleInfo loc = FileLocale();
    for (const LevelKey& k : kLevelKeys) {
        if (k.kind == LevelKind::Dbm) {
            const std::string text = ReadIniValue(loc, tuneIniPath, k.section, k.key,
                                                  FormatRssiValue(static_cast<std::int16_t>(k.defaultValue + 130)));
            if (const auto v = TextToInt16(text, loc))
                levels.*std::get<std::int16_t TuneLevels::*>(k.field) = DbmToRssiCode(*v);
        } else if (const auto p = std::get_if<std::int16_t TuneLevels::*>(&k.field)) {
            const std::string text = ReadIniValue(loc, tuneIniPath, k.section, k.key,
                                                  static_cast<std::int16_t>(k.defaultValue));
            if (const auto v = TextToInt16(text, loc)) levels.*(*p) = *v;
        } else {
            const std::string text = ReadIniValue(loc, tuneIniPath, k.section, k.key,
                                                  static_cast<float>(k.defaultValue));
            if (const auto v = TextToSingle(text, loc)) levels.*std::get<float TuneLevels::*>(k.field) = *v;
        }
    }
}

void RestoreTuneSettings(TuneWindowSettings& s, const LocaleInfo& locale, const std::string& fileName,
                         const std::string& sectionName, const std::string& tuneIniPath) {
    auto readInto = [&](const char* key, std::int16_t& target, std::int16_t defaultValue) {
        const std::string text = ReadIniValue(locale, fileName, sectionName, key, defaultValue);
        if (const auto v = TextToInt16(text, locale)) target = *v;
    };
    readInto("Left", s.windowLeft, s.windowLeft);
    readInto("Top", s.windowTop, s.windowTop);
    for (int i = 0; i < kTuneTestCount; ++i) {
        char key[24];  // room for any int, so the compiler sees no truncation
        std::snprintf(key, sizeof key, "Test_%02d", i);
        s.testSelection[static_cast<std::size_t>(i)] = 1;
        readInto(key, s.testSelection[static_cast<std::size_t>(i)], 1);
    }
    readInto("Rx Freq Offset Index", s.rxOffsetListIndex, s.rxOffsetListIndex);
    readInto("Tx Freq Offset Index", s.txOffsetListIndex, s.txOffsetListIndex);
    readInto("Mod Balance Tx Time", s.modBalanceTxTime, 5);
    ReadTuneLevels(s.levels, tuneIniPath);
}

bool WriteTuneLevels(const TuneLevels& levels, const std::string& tuneIniPath, std::string* error) {
    const LocaleInfo loc = FileLocale();
    ProfileBatch batch(tuneIniPath);
    for (const LevelKey& k : kLevelKeys)
        if (!WriteIniValue(loc, tuneIniPath, k.section, k.key, LevelText(levels, k), error)) return false;
    return batch.commit(error);
}

bool SaveTuneSettings(const TuneWindowSettings& s, const LocaleInfo& locale, const std::string& fileName,
                      const std::string& sectionName, const std::string& tuneIniPath, bool engineerMode,
                      std::string* error) {
    if (!s.wasLoaded) return true;
    {
        ProfileBatch batch(fileName);
        auto write = [&](const std::string& key, std::int16_t v) {
            return WriteIniValue(locale, fileName, sectionName, key, v, error);
        };
        bool ok = write("Left", s.windowLeft) && write("Top", s.windowTop);
        for (int i = 0; ok && i < kTuneTestCount; ++i) {
            char key[24];  // room for any int, so the compiler sees no truncation
            std::snprintf(key, sizeof key, "Test_%02d", i);
            ok = write(key, s.testSelection[static_cast<std::size_t>(i)]);
        }
        ok = ok && write("Rx Freq Offset Index", s.rxOffsetListIndex) &&
             write("Tx Freq Offset Index", s.txOffsetListIndex) && write("Mod Balance Tx Time", s.modBalanceTxTime);
        if (!ok || !batch.commit(error)) return false;
    }
    return !engineerMode || WriteTuneLevels(s.levels, tuneIniPath, error);
}

}  // namespace k45
