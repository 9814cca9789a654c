#include "params/test_file.h"

#include <array>

#include "frame/converters.h"
#include "frame/ini_routines.h"
#include "frame/utilities.h"
#include "frame/hex_text.h"
#include "params/data_file.h"
#include "params/record_names.h"
#include "platform/profile.h"

namespace k45 {
namespace {

const std::string kRadioTypes = "Radio Types";
const std::string kTransceiver = "Transceiver Parameters";
const std::string kTuneAdjusts = "Tune Adjusts";
const std::string kTestParameters = "Test Parameters";
const std::string kPowerTuning = "Power Tuning";
const std::string kRssiCalibration = "RSSI Calibration";
const std::string kTempComp = "RSSI Temp Comp";
const std::string kTempTable = "RSSI Temp Table";

// One pass over the file's keys in file order, shared by the loader and the saver.
class TestReader {
public:
    static constexpr bool kLoading = true;
    TestReader(const LocaleInfo& locale, const std::string& file) : locale_(locale), file_(file) {}

    void section(const std::string&) {}
    template <class T>
    void number(const std::string& section, const std::string& key, T& field) {
        ReadIniInto(locale_, file_, section, key, field);
    }
    void flag(const std::string& section, const std::string& key, Flag& field) {
        ReadFlagValue(locale_, file_, section, key, field);
    }
    void frequency(const std::string& section, const std::string& key, std::int32_t& hz) {
        ReadFrequencyValue(locale_, file_, section, key, hz);
    }
    void intRow(const std::string& section, const std::string& key, std::span<std::int16_t> row) {
        ReadIntRow(locale_, file_, section, key, row);
    }
    void hexRow(const std::string& section, const std::string& key, std::span<std::int16_t> row) {
        ReadHexRow(file_, section, key, row);
    }

    const LocaleInfo& locale() const { return locale_; }
    const std::string& file() const { return file_; }

private:
    const LocaleInfo& locale_;
    const std::string& file_;
};

class TestWriter {
public:
    static constexpr bool kLoading = false;
    TestWriter(const LocaleInfo& locale, const std::string& file) : locale_(locale), file_(file) {}

    void section(const std::string& section) { WriteIniSection(file_, section); }
    template <class T>
    void number(const std::string& section, const std::string& key, T& field) {
        WriteIniValue(locale_, file_, section, key, IniValue(field));
    }
    void flag(const std::string& section, const std::string& key, Flag& field) {
        WriteIniValue(locale_, file_, section, key, IniValue(IsSet(field)));
    }
    void frequency(const std::string& section, const std::string& key, std::int32_t& hz) {
        WriteIniValue(locale_, file_, section, key, IniValue(FormatMHz(hz, locale_)));
    }
    void intRow(const std::string& section, const std::string& key, std::span<std::int16_t> row) {
        WriteIniValue(locale_, file_, section, key, IniValue(JoinIntArray(row, static_cast<int>(row.size()), 0)));
    }
    void hexRow(const std::string& section, const std::string& key, std::span<std::int16_t> row) {
        WriteIniValue(locale_, file_, section, key, IniValue(JoinHexByteArray(row, static_cast<int>(row.size()), 0)));
    }

private:
    const LocaleInfo& locale_;
    const std::string& file_;
};

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
    if constexpr (!Io::kLoading) {
        io.section(kRadioTypes);
        std::int16_t codes[3] = {0, 1, 2};
        io.number(kRadioTypes, "5716", codes[0]);
        io.number(kRadioTypes, "5726", codes[1]);
        io.number(kRadioTypes, "5796", codes[2]);
    }

    io.section(kTransceiver);
    if constexpr (Io::kLoading) {
        std::int32_t type = r.radioType, range = r.radioRange;
        io.number(kTransceiver, "Radio Type", type);
        io.number(kTransceiver, "Radio Range", range);
        if (type >= 0) r.radioType = type % 3;
        if (range >= 0) r.radioRange = range % 10;
    } else {
        io.number(kTransceiver, "Radio Type", r.radioType);
        io.number(kTransceiver, "Radio Range", r.radioRange);
    }
    io.number(kTransceiver, "Modem Model", r.modemModel);
    io.flag(kTransceiver, "SA7026 Synthesizer", r.sa7026Synthesizer);
    const auto lastOffset = static_cast<std::int16_t>(kOffsetIndexCount - 1);
    NumberIf(io, kTransceiver, "Rx Offset", r.rxOffsetIndex, std::int16_t{0}, lastOffset);
    NumberIf(io, kTransceiver, "Tx Offset", r.txOffsetIndex, std::int16_t{0}, lastOffset);

    DacValues& d = r.defaultDacValues;
    const std::pair<const char*, std::array<std::int16_t, 3>*> adjusts[] = {
        {"Front-End DAC Adj", &d.frontEndAdj}, {"Mod DAC Adj", &d.modAdj},         {"Power DAC Adj", &d.powerAdj},
        {"Rx FC 8 Adj", &d.fcAdj.rxFc8},       {"Rx FC 5 Adj", &d.fcAdj.rxFc5}, {"Tx FC 8 Adj", &d.fcAdj.txFc8},
        {"Tx FC 5 Adj", &d.fcAdj.txFc5},
    };
    for (const auto& [name, values] : adjusts) {
        const std::string section = name;
        io.section(section);
        for (std::int16_t p = 0; p < 3; ++p) io.number(section, PointName(p), (*values)[static_cast<size_t>(p)]);
    }

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
        io.hexRow(kTempTable, "Row" + ByteToHex2(static_cast<std::int32_t>(row)), t.compressedTable[row]);

    for (std::int16_t type = 0; type < 3; ++type) {
        for (std::int16_t range = 0; range < 10; ++range) {
            const std::string section = RadioRangeName(type, range);
            io.section(section);
            for (std::int16_t p = 0; p < 3; ++p) {
                RadioSpec& e = r.radioSpecs[static_cast<size_t>(RadioSpecIndex(type, range, p))];
                io.frequency(section, PointName(p) + "Rx Frequency", e.rxFrequency);
                io.frequency(section, PointName(p) + "Tx Frequency", e.txFrequency);
            }
        }
    }
}

}  // namespace

bool LoadTestFile(const AppState& state, ProductionTestRecord& record, const std::string& fileName) {
    if (!DataFileExists(fileName)) return false;
    ProfileBatch batch(fileName);
    if (batch.loadFailed()) return false;
    TestReader reader(state.locale, fileName);
    TransferTestFile(reader, record);
    return true;
}

bool SaveTestFile(const AppState& state, const std::string& fileName, const ProductionTestRecord& record,
                  std::string* error) {
    ProfileBatch batch(fileName);
    if (batch.loadFailed()) {
        if (error) *error = batch.loadError();
        return false;
    }
    ProductionTestRecord copy = record;
    TestWriter writer(state.locale, fileName);
    TransferTestFile(writer, copy);
    return batch.commit(error);
}

}  // namespace k45
