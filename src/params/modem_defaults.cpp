#include "params/modem_defaults.h"

#include "params/startup_defaults.h"
#include "radio/cal_tables.h"
#include "radio/channel_plan.h"

namespace k45 {

void SetDefaultModemParameters(const SharedRecords& records, const Services& services, ModemParameters& r) {
    r.eepromVersion = 6;
    r.model = familyPNet;
    r.romMajorVersion = 2;
    r.romMinorVersion = 0;
    r.numberOfWrites = 0;
    r.serialNumber = 1;
    r.byte10Value = 8;
    r.channelBandwidth = bandwidthHalf;
    r.highBand = kFalse;

    r.sa7026Synthesizer = kFalse;
    r.byte25Flag = kTrue;
    r.rssiCalAdj = 0;
    r.masterDeviation = 96;
    r.masterPowerMeterCal = 200;
    r.channelOverride = 0;
    r.masterRxGain = 128;
    r.frontEndAdj = {74, 127, 190};
    r.modAdj = {65, 90, 165};
    r.powerAdj = {160, 166, 176};

    // From the built-in table, not the one radspecs.cfg was laid over.
    FcAdjustFromRadioSpecs(records.builtInTestDefaults.radioSpecs, r.radioType, r.radioRange, r.fcAdj);

    r.networkType = networkNative;
    r.baudRate = 1;
    r.bt05 = kFalse;
    r.nineDataBits = kFalse;
    r.repeaterMode = kFalse;
    r.pttWatchdog = kTrue;
    r.diagGateMode = kFalse;
    r.diagEnable = kTrue;
    r.earlyDcd = kFalse;
    r.invertedData = kFalse;
    r.twoStopBits = kFalse;
    r.dynamicRssi = kTrue;
    r.crystalTiming = kFalse;
    r.rxOnly = kFalse;
    r.txOnly = kFalse;
    r.pttTimeout = 30;

    // Rate indexes 0..3 only: entry 4 names no rate.
    const std::int16_t t1[4] = {30, 30, 28, 28}, ext1[4] = {60, 60, 40, 40}, t2[4] = {7, 4, 2, 4},
                       ext2[4] = {16, 8, 4, 8}, clamp[4] = {12, 12, 14, 14};
    for (size_t i = 0; i < 4; ++i) {
        r.t1Time[i] = t1[i];
        r.extendedT1Time[i] = ext1[i];
        r.t2Time[i] = t2[i];
        r.extendedT2Time[i] = ext2[i];
        r.rxClampTime[i] = clamp[i];
    }

    for (size_t i = 0; i < 10; ++i)
        r.signature[i] = i < records.parmsSignature.size()
                             ? static_cast<std::int16_t>(static_cast<unsigned char>(records.parmsSignature[i]))
                             : std::int16_t{0};

    SetDefaultChannels(records, r);

    for (size_t n = 0; n < 8; ++n) {
        r.modSet[n] = 65;
        r.powerMeter[n] = 0;
    }
    for (size_t i = 0; i < 4; ++i) {
        r.txDeviation[i] = 96;
        r.rxGain[i] = 128;
    }
    r.qMastOption = kFalse;
    r.rNetDeviation = kFalse;
    r.txDivisorTest = 0;
    r.rxDivisorTest = 0;
    r.peakPosition = 307;
    for (size_t n = 0; n < 8; ++n) {
        r.frontEndAdjust[n] = 74;
        r.txPowerSet[n] = 160;
    }
    r.rssiOffThreshold = 15;
    r.rssiOnThreshold = 20;

    r.setupTime = LocalNowSeconds(services);
    r.comment = "Comment.";

    ClearCalibrationTable(r.calTables, clearPowerTable);
    ClearCalibrationTable(r.calTables, clearRssiTable);
    ClearCalibrationTable(r.calTables, clearTempCompTable);
}

}  // namespace k45
