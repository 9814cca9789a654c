#include "params/test_file.h"

#include <array>

#include "params/record_file_io.h"

namespace k45 {
namespace {

const std::string kTransceiver = "Transceiver Parameters";
const std::string kTuneAdjusts = "Tune Adjusts";
const std::string kTestParameters = "Test Parameters";
const std::string kPowerTuning = "Power Tuning";
const std::string kRssiCalibration = "RSSI Calibration";
const std::string kTempComp = "RSSI Temp Comp";
const std::string kTempTable = "RSSI Temp Table";

// A stored value that names no table entry or list item (a negative type or range, an offset
// index outside the list) leaves the field as it was.
template <class Io, class T>
void NumberIf(Io& io, const std::string& section, const std::string& key, T& field, T low, T high) {
    T value = field;
    io.number(section, key, value);
    if (value >= low && value <= high) field = value;
}

template <class Io>
void TransferTestFile(Io& io, ProductionTestRecord& r) {
    record_file::TransferRadioTypes(io);

    io.section(kTransceiver);
    record_file::TransferTypeAndRange(io, kTransceiver, r.radioType, r.radioRange);
    io.number(kTransceiver, "Modem Model", r.modemModel);
    io.flag(kTransceiver, "SA7026 Synthesizer", r.sa7026Synthesizer);
    const auto lastOffset = static_cast<std::int16_t>(kOffsetIndexCount - 1);
    NumberIf(io, kTransceiver, "Rx Offset", r.rxOffsetIndex, std::int16_t{0}, lastOffset);
    NumberIf(io, kTransceiver, "Tx Offset", r.txOffsetIndex, std::int16_t{0}, lastOffset);

    DacValues& d = r.defaultDacValues;
    const record_file::PointTriple adjusts[] = {
        {"Front-End DAC Adj", &d.frontEndAdj}, {"Mod DAC Adj", &d.modAdj},         {"Power DAC Adj", &d.powerAdj},
        {"Rx FC 8 Adj", &d.fcAdj.rxFc8},       {"Rx FC 5 Adj", &d.fcAdj.rxFc5}, {"Tx FC 8 Adj", &d.fcAdj.txFc8},
        {"Tx FC 5 Adj", &d.fcAdj.txFc5},
    };
    record_file::TransferPointTriples(io, adjusts);

    io.section(kTuneAdjusts);
    io.number(kTuneAdjusts, "Rx Gain", d.rxGainAdj);
    io.number(kTuneAdjusts, "Tx Dev", d.txDeviationAdj);
    io.number(kTuneAdjusts, "RSSI Cal", d.rssiCalAdj);
    io.number(kTuneAdjusts, "Power Cal", d.powerCalAdj);
    io.number(kTuneAdjusts, "Rx Gain Vpp", r.rxGainVpp);

    io.section(kTestParameters);
    io.number(kTestParameters, "Tx Time", r.txTime);

    io.section(kPowerTuning);
    for (size_t n = 0; n < 5; ++n) {
        io.number(kPowerTuning, "Power Point " + std::to_string(n), r.powerPoints.powerWatts[n]);
        io.number(kPowerTuning, "A/D Point " + std::to_string(n), r.powerPoints.adReading[n]);
    }

    io.section(kRssiCalibration);
    for (size_t n = 0; n < 6; ++n) {
        io.number(kRssiCalibration, "RSSI Point " + std::to_string(n), r.rssiPoints.levelCode[n]);
        io.number(kRssiCalibration, "A/D Point " + std::to_string(n), r.rssiPoints.adReading[n]);
    }

    RssiTempComp& t = r.rssiTempComp;
    io.section(kTempComp);
    io.number(kTempComp, "Table ID", t.tableId);
    for (size_t n = 0; n < 6; ++n) {
        io.number(kTempComp, "RSSI Point " + std::to_string(n), t.levelCode[n]);
        // The levels of the temperature compensation are those of the RSSI calibration.
        if constexpr (Io::kLoading) t.levelCode[n] = r.rssiPoints.levelCode[n];
    }
    for (size_t n = 0; n < 6; ++n) io.number(kTempComp, "Temp Point " + std::to_string(n), t.temperature[n]);
    for (size_t l = 0; l < 6; ++l) io.intRow(kTempComp, "A/D Point " + std::to_string(l), t.adReading[l]);
    for (size_t l = 0; l < 6; ++l) io.intRow(kTempComp, "Delta Point " + std::to_string(l), t.delta[l]);

    io.section(kTempTable);
    for (size_t row = 0; row < 8; ++row)
        io.hexRow(kTempTable, record_file::RowKey(static_cast<int>(row)), t.compressedTable[row]);

    record_file::TransferRadioSpecs(io, r.radioSpecs, false);
}

}  // namespace

bool LoadTestFile(const FilePlaces& files, ProductionTestRecord& record, const std::string& fileName) {
    return record_file::LoadRecord(files.locale, fileName, record,
                                   [](auto& io, ProductionTestRecord& r) { TransferTestFile(io, r); });
}

bool SaveTestFile(const FilePlaces& files, const std::string& fileName, const ProductionTestRecord& record,
                  std::string* error) {
    return record_file::SaveRecord(files.locale, fileName, record, error,
                                   [](auto& io, ProductionTestRecord& r) { TransferTestFile(io, r); });
}

}  // namespace k45
