#include "params/startup_defaults.h"

#include "params/radio_spec_file.h"
#include "platform/local_time.h"
#include "radio/cal_tables.h"
#include "radio/radio_defaults.h"

namespace k45 {
namespace {

// Offsets of the built-in temperature-compensation readings from the RSSI calibration reading,
// by level point and temperature point (-30, -10, 10, 30, 50, 70 C).
constexpr std::int16_t kTempCompOffsets[6][6] = {
    {-6, -4, -2, 0, 1, 2},  {-6, -4, -2, 0, 1, 2}, {-6, -4, -2, 0, 1, 2},
    {-9, -6, -3, 0, 1, 2},  {-12, -8, -4, 0, 2, 4}, {-12, -8, -4, 0, 2, 4},
};

std::string TuneFileName(const std::string& folder, std::int32_t radioType, std::int32_t radioRange,
                         const std::string& bandwidthDigit, std::int16_t subBand, const char* extension) {
    const char* prefix = "7061-";
    if (radioType == 1) prefix = "7021-";
    else if (radioType == 2) prefix = "7091-";
    return folder + prefix + std::to_string(radioRange) + bandwidthDigit + std::to_string(subBand) + extension;
}

}  // namespace

std::int64_t LocalNowSeconds(const Services& services) { return LocalSecondsOf(WallClockSeconds(services.scheduler)); }

void SetBuiltInTestValues(ProductionTestRecord& r, std::int32_t tableId) {
    r.modemModel = familyPNet;
    r.radioType = 0;
    r.radioRange = 5;
    r.sa7026Synthesizer = kFalse;
    r.rxOffsetIndex = 0;
    r.txOffsetIndex = 0;
    r.rxGainVpp = 2.0;
    r.txTime = 6;

    DacValues& d = r.defaultDacValues;
    d.frontEndAdj = {74, 127, 190};
    d.modAdj = {65, 90, 165};
    d.powerAdj = {160, 166, 176};
    d.rxGainAdj = 128;
    d.txDeviationAdj = 96;
    d.rssiCalAdj = 0;
    d.powerCalAdj = 200;

    r.powerPoints.powerWatts = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
    r.powerPoints.adReading = {55, 66, 73, 79, 83};

    r.rssiPoints.levelCode = {10, 20, 30, 40, 60, 70};
    r.rssiPoints.adReading = {87, 105, 124, 141, 176, 197};

    RssiTempComp& t = r.rssiTempComp;
    t.tableId = tableId;
    t.levelCode = r.rssiPoints.levelCode;
    t.temperature = {-30, -10, 10, 30, 50, 70};
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 6; ++j)
            t.adReading[i][j] = static_cast<std::int16_t>(r.rssiPoints.adReading[i] + kTempCompOffsets[i][j]);
}

void FcAdjustFromRadioSpecs(const std::array<RadioSpec, kRadioSpecCount>& specs, std::int32_t radioType,
                            std::int32_t radioRange, FcAdjustTable& fc) {
    for (int point = 0; point < 3; ++point) {
        if (!RadioSpecIndexValid(radioType, radioRange, point)) return;
        const RadioSpec& e = specs[static_cast<size_t>(RadioSpecIndex(radioType, radioRange, point))];
        const auto p = static_cast<size_t>(point);
        fc.rxFc8[p] = e.rxFc8;
        fc.rxFc5[p] = e.rxFc5;
        fc.txFc8[p] = e.txFc8;
        fc.txFc5[p] = e.txFc5;
    }
}

void InitDefaultTables(const ModeFlags& modes, const FilePlaces& files, SharedRecords& records,
                       const Services& services) {
    records.restrictedBands.assign(1, RestrictedBand{406000000, 406100000, 50000});

    ProductionTestRecord& b = records.builtInTestDefaults;
    SetBuiltInTestValues(b, CalDateStampToday(services));

    // The tables built here only give the built-in record its delta grid and compressed table;
    // the scratch record itself is dropped.
    CalTables scratch;
    BuildPowerTable(modes, files, services, scratch, b.powerPoints, true);
    BuildRssiTable(modes, files, services, scratch, b.rssiPoints, true);
    PrepareTempCompPoints(modes, files, records, scratch, b, true);
    BuildTempCompTable(modes, files, scratch, b, true);

    InitRadioType5716(records, b);
    InitRadioType5726(records, b);
    InitRadioType5796(records, b);

    // Default FC adjusts from the built-in radio spec entries of the record's own type and range.
    FcAdjustFromRadioSpecs(b.radioSpecs, b.radioType, b.radioRange, b.defaultDacValues.fcAdj);

    records.testDefaults = b;
    // Without a readable radspecs.cfg the built-in specs stay in force.
    (void)LoadRadioSpecs(files, records);
}

void CopyDefaultTestRecord(const SharedRecords& records, ProductionTestRecord& record) { record = records.testDefaults; }

std::string MakeTuneDataFileName(const std::string& folder, std::int32_t radioType, std::int32_t radioRange,
                                 std::int32_t channelBandwidth, std::int16_t subBand) {
    const char* digit = "3";
    if (channelBandwidth == 2) digit = "0";
    else if (channelBandwidth == 1) digit = "1";
    return TuneFileName(folder, radioType, radioRange, digit, subBand, ".dat");
}

std::string MakeTuneTestFileName(const std::string& folder, std::int32_t radioType, std::int32_t radioRange,
                                 std::int32_t, std::int16_t subBand) {
    return TuneFileName(folder, radioType, radioRange, "x", subBand, ".tst");
}

}  // namespace k45
