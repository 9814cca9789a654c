#include "params/merges.h"

namespace k45 {
namespace {

constexpr const char* kCrLf = "\r\n";
constexpr int kRateSections = 4;  // element 4 of the per-rate arrays is never merged
constexpr int kModelPNet = 6;

template <typename A>
void CopyFirst(A& target, const A& source, int n) {
    for (int i = 0; i < n; ++i) target[i] = source[i];
}

void CopyTiming(ModemParameters& t, const ModemParameters& s) {
    CopyFirst(t.t1Time, s.t1Time, kRateSections);
    CopyFirst(t.extendedT1Time, s.extendedT1Time, kRateSections);
    CopyFirst(t.t2Time, s.t2Time, kRateSections);
    CopyFirst(t.extendedT2Time, s.extendedT2Time, kRateSections);
    CopyFirst(t.rxClampTime, s.rxClampTime, kRateSections);
}

void CopyOptionFlags(ModemParameters& t, const ModemParameters& s) {
    t.bt05 = s.bt05;
    t.nineDataBits = s.nineDataBits;
    t.repeaterMode = s.repeaterMode;
    t.pttWatchdog = s.pttWatchdog;
    t.diagGateMode = s.diagGateMode;
    t.diagEnable = s.diagEnable;
    t.earlyDcd = s.earlyDcd;
    t.invertedData = s.invertedData;
    t.twoStopBits = s.twoStopBits;
    t.dynamicRssi = s.dynamicRssi;
    t.crystalTiming = s.crystalTiming;
    t.rxOnly = s.rxOnly;
    t.txOnly = s.txOnly;
}

// The user-level block shared by the user, clone and all merges.
void CopyUserLevel(ModemParameters& t, const ModemParameters& s) {
    t.channelOverride = s.channelOverride;
    t.networkType = s.networkType;
    CopyOptionFlags(t, s);
    t.pttTimeout = s.pttTimeout;
    t.channels = s.channels;
    t.modSet = s.modSet;
    t.powerAdjust = s.powerAdjust;
    t.powerMeter = s.powerMeter;
    t.qMastOption = s.qMastOption;
    t.rNetDeviation = s.rNetDeviation;
    t.rssiOffThreshold = s.rssiOffThreshold;
    t.rssiOnThreshold = s.rssiOnThreshold;
}

// Hardware, tune and calibration values.
void CopyFactory(ModemParameters& t, const ModemParameters& s) {
    t.channelBandwidth = s.channelBandwidth;
    t.highBand = s.highBand;
    t.sa7026Synthesizer = s.sa7026Synthesizer;
    t.radioType = s.radioType;
    t.radioRange = s.radioRange;
    StoreDacValues(t, DacValuesOf(s));
    t.calTables = s.calTables;
}

bool SameEeprom(const ModemParameters& t, const ModemParameters& s) { return t.eepromVersion == s.eepromVersion; }

}  // namespace

std::string MergeWarnings(const ModemParameters& target, const ModemParameters& source, bool productionMode) {
    std::string text;
    auto line = [&](const char* pm, const char* field) {
        text += productionMode ? pm : field;
        text += kCrLf;
    };
    if (target.channelBandwidth != source.channelBandwidth)
        line("Half Channel Setting is to be changed.", "Half Channel Settings are NOT Compatible.");
    if (target.radioType != source.radioType)
        line("Radio Type Setting is to be changed.", "Radio Type Settings are NOT Compatible.");
    if (target.radioRange != source.radioRange)
        line("Radio Range Setting is to be changed.", "Radio Range Settings are NOT Compatible.");
    if (IsSet(source.rxOnly) && IsSet(source.txOnly))
        line("Rx Only and Tx Only Options are both Set.", "Rx Only and Tx Only Options are both Set.");
    return text;
}

std::int16_t MapCloneBaudRate(std::int16_t targetModel, std::int16_t sourceModel, std::int16_t sourceBaudRate) {
    if (targetModel == sourceModel) return sourceBaudRate;
    if (targetModel == kModelPNet) return sourceBaudRate >= 3 ? 1 : 0;
    return sourceBaudRate >= 1 ? 3 : 2;
}

std::string MergeUserParameters(ModemParameters& t, const ModemParameters& s, bool productionMode) {
    std::string text = MergeWarnings(t, s, productionMode);
    const bool same = SameEeprom(t, s);
    if (productionMode) {
        t.channelBandwidth = s.channelBandwidth;
        t.highBand = s.highBand;
        t.numberOfWrites = s.numberOfWrites;
        t.sa7026Synthesizer = s.sa7026Synthesizer;
        t.radioType = s.radioType;
        t.radioRange = s.radioRange;
        if (same) CopyTiming(t, s);
    }
    t.serialNumber = s.serialNumber;
    if (same) t.baudRate = s.baudRate;
    CopyUserLevel(t, s);
    t.comment = s.comment;
    return text;
}

std::string MergeCloneParameters(ModemParameters& t, const ModemParameters& s, bool productionMode) {
    std::string text = MergeWarnings(t, s, productionMode);
    if (productionMode) {
        t.channelBandwidth = s.channelBandwidth;
        t.highBand = s.highBand;
        if (SameEeprom(t, s)) CopyTiming(t, s);
    }
    t.baudRate = MapCloneBaudRate(t.model, s.model, s.baudRate);
    CopyUserLevel(t, s);
    return text;
}

std::string MergeFactoryParameters(ModemParameters& t, const ModemParameters& s, bool productionMode) {
    std::string text = MergeWarnings(t, s, productionMode);
    CopyFactory(t, s);
    return text;
}

std::string MergeAllParameters(ModemParameters& t, const ModemParameters& s, bool productionMode) {
    std::string text = MergeWarnings(t, s, productionMode);
    const bool same = SameEeprom(t, s);
    CopyFactory(t, s);
    t.numberOfWrites = s.numberOfWrites;
    t.serialNumber = s.serialNumber;
    t.byte10Value = s.byte10Value;
    t.byte25Flag = s.byte25Flag;
    CopyUserLevel(t, s);
    if (same) {
        t.baudRate = s.baudRate;
        CopyTiming(t, s);
    }
    for (int i = 0; i < 10; ++i) t.signature[i] = s.signature[i];
    CopyFirst(t.txDeviation, s.txDeviation, kRateSections);
    CopyFirst(t.rxGain, s.rxGain, kRateSections);
    t.txDivisorTest = s.txDivisorTest;
    t.rxDivisorTest = s.rxDivisorTest;
    t.peakPosition = s.peakPosition;
    t.frontEndAdjust = s.frontEndAdjust;
    t.txPowerSet = s.txPowerSet;
    t.comment = s.comment;
    return text;
}

}  // namespace k45
