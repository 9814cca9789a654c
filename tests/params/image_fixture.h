#pragma once
// Shared set-up of the parameter-image, tune-record and merge tests: an AppState with the bit
// tables, the built-in radio spec table and default RSSI curves, scripted dialogs, a fixed
// clock, and a fully filled record.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>

#include "model/app_state.h"
#include "params/parameter_image.h"
#include "model/records.h"
#include "image_app.h"
#include "support/scripted_dialogs.h"

namespace k45::test {

// 2026-01-15 10:00:00 on the local wall clock.
inline constexpr std::int64_t kFixedNowLocal = 1768471200;

// A record in which every field differs from `from`: flags flip, numbers move by one step,
// cyclic codes (bandwidth, type, range, network type, rate) move to the next valid value.
// As a target it shows which fields an operation left alone; as a source, which it copied.
inline ModemParameters EveryFieldChanged(const ModemParameters& from) {
    auto flip = [](Flag f) { return IsSet(f) ? kFalse : kTrue; };
    auto next = [](auto v, int modulus) { return static_cast<decltype(v)>((v + 1) % modulus); };
    auto bump = [](auto& values) {
        for (auto& v : values) v = static_cast<std::remove_reference_t<decltype(v)>>(v + 1);
    };
    ModemParameters r = from;
    r.channelBandwidth = next(r.channelBandwidth, 3);
    r.highBand = flip(r.highBand);
    r.eepromVersion += 1;
    r.model += 1;
    r.romMajorVersion += 1;
    r.romMinorVersion += 1;
    r.numberOfWrites += 1;
    r.serialNumber += 1;
    r.byte10Value += 1;
    for (auto* column : {&r.fcAdj.rxFc8, &r.fcAdj.rxFc5, &r.fcAdj.txFc8, &r.fcAdj.txFc5}) bump(*column);
    r.sa7026Synthesizer = flip(r.sa7026Synthesizer);
    r.byte25Flag = flip(r.byte25Flag);
    r.rssiCalAdj += 1;
    r.radioType = next(r.radioType, 3);
    r.masterDeviation += 1;
    r.masterPowerMeterCal += 1;
    r.radioRange = next(r.radioRange, 10);
    r.channelOverride += 1;
    r.masterRxGain += 1;
    bump(r.frontEndAdj);
    bump(r.modAdj);
    bump(r.powerAdj);

    r.networkType = next(r.networkType, 3);
    r.baudRate = next(r.baudRate, 4);
    for (Flag* f : {&r.bt05, &r.nineDataBits, &r.repeaterMode, &r.pttWatchdog, &r.diagGateMode, &r.diagEnable,
                    &r.earlyDcd, &r.invertedData, &r.twoStopBits, &r.dynamicRssi, &r.crystalTiming, &r.rxOnly,
                    &r.txOnly, &r.qMastOption, &r.rNetDeviation})
        *f = flip(*f);
    r.pttTimeout += 1;
    for (auto* timing : {&r.t1Time, &r.extendedT1Time, &r.t2Time, &r.extendedT2Time, &r.rxClampTime, &r.txDeviation,
                         &r.rxGain})
        bump(*timing);
    bump(r.signature);
    for (auto& c : r.channels) {
        c.txFrequency += 12500;
        c.rxFrequency += 12500;
    }
    bump(r.modSet);
    bump(r.powerAdjust);
    bump(r.powerMeter);
    r.txDivisorTest += 1;
    r.rxDivisorTest += 1;
    r.peakPosition += 1;
    bump(r.frontEndAdjust);
    bump(r.txPowerSet);
    r.rssiOffThreshold += 1;
    r.rssiOnThreshold += 1;
    r.setupTime += 1;
    r.comment += "~";

    CalTables& c = r.calTables;
    c.rssiTablePresent = flip(c.rssiTablePresent);
    c.rssiTempTablePresent = flip(c.rssiTempTablePresent);
    c.powerTablePresent = flip(c.powerTablePresent);
    c.rssiTableId += 1;
    c.rssiTempTableId += 1;
    c.powerTableId += 1;
    bump(c.rssiTable);
    bump(c.powerTable);
    for (auto& row : c.rssiTempTable) bump(row);
    return r;
}

// Reads an image written as 40 lines of 16 bytes, "oooo: hh hh ..."; '#' starts a comment line.
inline bool ReadHexText(const std::string& path, ParameterImage& image) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos) return false;
        std::istringstream bytes(line.substr(colon + 1));
        int v = 0;
        while (bytes >> std::hex >> v) {
            if (n >= kParameterImageBytes || v < 0 || v > 255) return false;
            image[n++] = static_cast<std::uint8_t>(v);
        }
    }
    return n == kParameterImageBytes;
}

class ImageFixture : public ::testing::Test {
protected:
    void SetUp() override {
        BuildImageCodecState(app);
        app.dialogs = &dialogs;
    }
    void TearDown() override { dialogs.verify(); }

    // A record with a distinct value in every field the layouts carry.
    static ModemParameters FilledRecord(std::int16_t eepromVersion, std::int16_t model) {
        ModemParameters r;
        r.eepromVersion = eepromVersion;
        r.model = model;
        r.romMajorVersion = 2;
        r.romMinorVersion = 7;
        r.numberOfWrites = 1234;
        r.serialNumber = 305419896;  // 0x12345678
        r.fcAdj.rxFc8 = {10, 20, 30};
        r.fcAdj.rxFc5 = {11, 21, 31};
        r.fcAdj.txFc8 = {12, 22, 32};
        r.fcAdj.txFc5 = {13, 23, 33};
        r.sa7026Synthesizer = kFalse;
        r.rssiCalAdj = -3;
        r.radioType = 0;
        r.radioRange = 5;
        r.channelBandwidth = bandwidthHalf;
        r.masterDeviation = 100;
        r.masterPowerMeterCal = 190;
        r.channelOverride = 2;
        r.masterRxGain = 120;
        r.frontEndAdj = {70, 120, 180};
        r.modAdj = {60, 95, 150};
        r.powerAdj = {150, 170, 200};
        r.networkType = networkNative;
        r.baudRate = 1;
        r.earlyDcd = kTrue;
        r.invertedData = kFalse;
        r.twoStopBits = kTrue;
        r.dynamicRssi = kTrue;
        r.rxOnly = kFalse;
        r.txOnly = kTrue;
        r.nineDataBits = kTrue;
        r.repeaterMode = kFalse;
        r.pttWatchdog = kTrue;
        r.diagGateMode = kTrue;
        r.diagEnable = kFalse;
        r.pttTimeout = 12.5f;
        r.t1Time = {30, 31, 28, 27, 99};
        r.extendedT1Time = {60, 61, 40, 41, 99};
        r.t2Time = {7, 4, 2, 3, 99};
        r.extendedT2Time = {16, 8, 4, 5, 99};
        r.rxClampTime = {12, 13, 14, 15, 99};
        for (int k = 0; k < 8; ++k) {
            r.channels[k].txFrequency = 451000000 + k * 1250000;
            r.channels[k].rxFrequency = 452000000 + k * 1250000;
            r.powerAdjust[k] = static_cast<std::int16_t>(255 - 10 * k);
            r.powerMeter[k] = static_cast<std::int16_t>(k + 1);
        }
        r.qMastOption = kTrue;
        r.txDivisorTest = 17;
        r.rxDivisorTest = 19;
        r.peakPosition = 307;
        r.rssiOffThreshold = 15;
        r.rssiOnThreshold = 20;
        r.comment = "Golden image, K45MR test record.";
        r.calTables.rssiTablePresent = kTrue;
        r.calTables.rssiTempTablePresent = kTrue;
        r.calTables.powerTablePresent = kTrue;
        r.calTables.rssiTableId = 9500;
        r.calTables.rssiTempTableId = 9501;
        r.calTables.powerTableId = 9502;
        for (int i = 0; i < 64; ++i) {
            r.calTables.rssiTable[i] = static_cast<std::int16_t>(130 - i);
            r.calTables.powerTable[i] = static_cast<std::int16_t>(3 * i);
            r.calTables.rssiTempTable[i / 8][i % 8] = static_cast<std::int16_t>(i * 4 % 256);
        }
        return r;
    }

    // Packs at the fixed clock; expects a layout to match.
    ParameterImage Pack(ModemParameters& r) {
        ParameterImage image{};
        EXPECT_TRUE(EncodeParameterImage(app, app, image, r, kFixedNowLocal).ok());
        return image;
    }
    ParameterImage Pack(const ModemParameters& r) {
        ModemParameters copy = r;
        return Pack(copy);
    }
    int Word(const ParameterImage& image, int pos) { return image[pos] * 256 + image[pos + 1]; }

    AppState app;
    ScriptedDialogs dialogs;
};

}  // namespace k45::test
