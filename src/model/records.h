#pragma once
// The records every layer shares: the modem parameter record, the production test record
// and their parts. Plain values, copied whole. Flags are 16-bit: true is -1, false 0, and any
// non-zero value reads as true.
#include <array>
#include <cstdint>
#include <string>

namespace k45 {

using Flag = std::int16_t;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;
inline constexpr Flag ToFlag(bool b) { return b ? kTrue : kFalse; }
inline constexpr bool IsSet(Flag f) { return f != 0; }

enum ChannelBandwidth : std::int32_t { bandwidthFull = 0, bandwidthHalf = 1, bandwidthCode2 = 2 };
enum NetworkType : std::int16_t { networkOlderModems = 0, networkCrystal = 1, networkNative = 2 };
enum FirmwareFamily : std::int16_t { familyRNet = 4, familyPNet = 6 };
enum SpecPoint : int { pointLow = 0, pointMid = 1, pointHigh = 2 };

struct ChannelFrequency {
    std::int32_t txFrequency = 0;
    std::int32_t rxFrequency = 0;
    bool operator==(const ChannelFrequency&) const = default;
};

struct FcAdjustTable {
    std::array<std::int16_t, 3> rxFc8{};
    std::array<std::int16_t, 3> rxFc5{};
    std::array<std::int16_t, 3> txFc8{};
    std::array<std::int16_t, 3> txFc5{};
    bool operator==(const FcAdjustTable&) const = default;
};

struct CalTables {
    Flag rssiTablePresent = kFalse;
    Flag rssiTempTablePresent = kFalse;
    Flag powerTablePresent = kFalse;
    std::int32_t rssiTableId = 0;
    std::array<std::int16_t, 64> rssiTable{};
    std::int32_t rssiTempTableId = 0;
    std::array<std::array<std::int16_t, 8>, 8> rssiTempTable{};
    std::int32_t powerTableId = 0;
    std::array<std::int16_t, 64> powerTable{};
    bool operator==(const CalTables&) const = default;
};

struct ModemParameters {
    // Factory part.
    std::int32_t channelBandwidth = bandwidthHalf;
    Flag highBand = kFalse;
    std::int16_t eepromVersion = 6;
    std::int16_t model = familyPNet;
    std::int16_t romMajorVersion = 2;
    std::int16_t romMinorVersion = 0;
    std::int32_t numberOfWrites = 0;
    std::uint32_t serialNumber = 1;
    std::int16_t byte10Value = 8;
    FcAdjustTable fcAdj;
    Flag sa7026Synthesizer = kFalse;
    Flag byte25Flag = kTrue;
    std::int16_t rssiCalAdj = 0;
    std::int32_t radioType = 0;
    std::int16_t masterDeviation = 96;
    std::int16_t masterPowerMeterCal = 200;
    std::int32_t radioRange = 0;
    std::int16_t channelOverride = 0;
    std::int16_t masterRxGain = 128;
    std::array<std::int16_t, 3> frontEndAdj{74, 127, 190};
    std::array<std::int16_t, 3> modAdj{65, 90, 165};
    std::array<std::int16_t, 3> powerAdj{160, 166, 176};

    // User part.
    std::int16_t networkType = networkNative;
    std::int16_t baudRate = 1;
    Flag bt05 = kFalse;
    Flag nineDataBits = kFalse;
    Flag repeaterMode = kFalse;
    Flag pttWatchdog = kTrue;
    Flag diagGateMode = kFalse;
    Flag diagEnable = kTrue;
    Flag earlyDcd = kFalse;
    Flag invertedData = kFalse;
    Flag twoStopBits = kFalse;
    Flag dynamicRssi = kTrue;
    Flag crystalTiming = kFalse;
    Flag rxOnly = kFalse;
    Flag txOnly = kFalse;
    float pttTimeout = 30;
    std::array<std::int16_t, 5> t1Time{30, 30, 28, 28, 0};
    std::array<std::int16_t, 5> extendedT1Time{60, 60, 40, 40, 0};
    std::array<std::int16_t, 5> t2Time{7, 4, 2, 4, 0};
    std::array<std::int16_t, 5> extendedT2Time{16, 8, 4, 8, 0};
    std::array<std::int16_t, 5> rxClampTime{12, 12, 14, 14, 0};
    std::array<std::int16_t, 11> signature{};
    std::array<ChannelFrequency, 8> channels{};
    std::array<std::int16_t, 8> modSet{65, 65, 65, 65, 65, 65, 65, 65};
    std::array<std::int16_t, 8> powerAdjust{255, 255, 255, 255, 255, 255, 255, 255};
    std::array<std::int16_t, 8> powerMeter{};
    std::array<std::int16_t, 5> txDeviation{96, 96, 96, 96, 0};
    std::array<std::int16_t, 5> rxGain{128, 128, 128, 128, 0};
    Flag qMastOption = kFalse;
    Flag rNetDeviation = kFalse;
    std::int16_t txDivisorTest = 0;
    std::int16_t rxDivisorTest = 0;
    std::int32_t peakPosition = 307;
    std::array<std::int16_t, 8> frontEndAdjust{74, 74, 74, 74, 74, 74, 74, 74};
    std::array<std::int16_t, 8> txPowerSet{160, 160, 160, 160, 160, 160, 160, 160};
    std::int16_t rssiOffThreshold = 15;
    std::int16_t rssiOnThreshold = 20;
    // Local date and time of the last configuration, as seconds since 1970-01-01 00:00:00
    // of the local wall clock (no time zone applied: what the operator saw).
    std::int64_t setupTime = 0;
    // Windows-1252 bytes; the modem keeps 40 characters.
    std::string comment = "Comment.";

    // Calibration part.
    CalTables calTables;

    bool operator==(const ModemParameters&) const = default;
};

struct RadioSpec {
    std::int32_t rxFrequency = 0;
    std::int16_t rxCn = 0;
    std::int16_t rxFc8 = 0;
    std::int16_t rxFc5 = 0;
    std::int32_t txFrequency = 0;
    std::int16_t txCn = 0;
    std::int16_t txFc8 = 0;
    std::int16_t txFc5 = 0;
    bool operator==(const RadioSpec&) const = default;
};

inline constexpr int kRadioSpecCount = 90;
// Entry index of the radio spec table: type + 3 x range + 30 x point.
inline constexpr int RadioSpecIndex(int type, int range, int point) { return type + 3 * range + 30 * point; }
inline constexpr bool RadioSpecIndexValid(int type, int range, int point) {
    return type >= 0 && type <= 2 && range >= 0 && range <= 9 && point >= 0 && point <= 2;
}

// The DAC adjustment values: the 25 values of the DAC window, the test file's defaults, and the
// part of a tune record the windows hand each other (copied as one). The parameter record keeps
// them under its own names: DacValuesOf and StoreDacValues below.
struct DacValues {
    std::array<std::int16_t, 3> frontEndAdj{};
    std::array<std::int16_t, 3> modAdj{};
    std::array<std::int16_t, 3> powerAdj{};
    FcAdjustTable fcAdj;
    std::int16_t rxGainAdj = 0;
    std::int16_t txDeviationAdj = 0;
    std::int16_t rssiCalAdj = 0;
    std::int16_t powerCalAdj = 0;
    bool operator==(const DacValues&) const = default;
};

struct PowerCalPoints {
    std::array<float, 5> powerWatts{};
    std::array<std::int16_t, 5> adReading{};
    bool operator==(const PowerCalPoints&) const = default;
};

struct RssiCalPoints {
    std::array<std::int16_t, 6> levelCode{};
    std::array<std::int16_t, 6> adReading{};
    bool operator==(const RssiCalPoints&) const = default;
};

struct RssiTempComp {
    std::int32_t tableId = 0;
    std::array<std::int16_t, 6> levelCode{};
    std::array<std::int16_t, 6> temperature{};
    std::array<std::array<std::int16_t, 6>, 6> adReading{};  // [level][temperature]
    std::array<std::array<std::int16_t, 6>, 6> delta{};      // [level][temperature]
    std::array<std::array<std::int16_t, 8>, 8> compressedTable{};
    bool operator==(const RssiTempComp&) const = default;
};

struct ProductionTestRecord {
    std::int16_t modemModel = familyPNet;
    std::int32_t radioType = 0;
    std::int32_t radioRange = 0;
    Flag sa7026Synthesizer = kFalse;
    std::array<RadioSpec, kRadioSpecCount> radioSpecs{};
    std::int16_t rxOffsetIndex = 0;
    std::int16_t txOffsetIndex = 0;
    DacValues defaultDacValues;
    double rxGainVpp = 0;
    std::int16_t txTime = 0;
    PowerCalPoints powerPoints;
    RssiCalPoints rssiPoints;
    RssiTempComp rssiTempComp;
    bool operator==(const ProductionTestRecord&) const = default;
};

struct RestrictedBand {
    std::int32_t lowFrequency = 0;
    std::int32_t highFrequency = 0;
    std::int32_t guardOffset = 0;
    bool operator==(const RestrictedBand&) const = default;
};

// Its DAC adjustments (frontEndAdj .. powerCalAdj) are the DacValues it derives from.
struct TuneRecord : DacValues {
    std::int32_t txFrequency = 0;
    std::int32_t rxFrequency = 0;
    std::int32_t channelBandwidth = 0;
    Flag highBand = kFalse;
    Flag sa7026Synthesizer = kFalse;
    std::int16_t masterDeviation = 0;
    std::int16_t txFcModulus = 8;
    std::int16_t rxFcModulus = 8;
    std::int32_t synthFrequency = 0;
    Flag txSelected = kFalse;
    std::int16_t model = 0;
    std::int16_t eepromVersion = 0;
    std::int32_t radioType = 0;
    std::int32_t radioRange = 0;
    std::int16_t frontEndValue = 0;
    std::int16_t modValue = 0;
    std::int16_t powerValue = 0;
    std::int16_t fcOverride = -1;
    bool operator==(const TuneRecord&) const = default;
};

// The parameter record's DAC adjustments: masterRxGain, masterDeviation and masterPowerMeterCal
// are its names for rxGainAdj, txDeviationAdj and powerCalAdj.
inline DacValues DacValuesOf(const ModemParameters& p) {
    DacValues d;
    d.frontEndAdj = p.frontEndAdj;
    d.modAdj = p.modAdj;
    d.powerAdj = p.powerAdj;
    d.fcAdj = p.fcAdj;
    d.rxGainAdj = p.masterRxGain;
    d.txDeviationAdj = p.masterDeviation;
    d.rssiCalAdj = p.rssiCalAdj;
    d.powerCalAdj = p.masterPowerMeterCal;
    return d;
}
inline void StoreDacValues(ModemParameters& p, const DacValues& d) {
    p.frontEndAdj = d.frontEndAdj;
    p.modAdj = d.modAdj;
    p.powerAdj = d.powerAdj;
    p.fcAdj = d.fcAdj;
    p.masterRxGain = d.rxGainAdj;
    p.masterDeviation = d.txDeviationAdj;
    p.rssiCalAdj = d.rssiCalAdj;
    p.masterPowerMeterCal = d.powerCalAdj;
}

}  // namespace k45
