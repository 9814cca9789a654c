#include "params/data_file.h"

#include <array>
#include <filesystem>

#include "base/converters.h"
#include "params/record_file_io.h"
#include "radio/channel_plan.h"

namespace k45 {
namespace {

const std::string kFactory = "Factory Parameters";
const std::string kUser = "User Parameters";

using record_file::RowKey;
using DataReader = record_file::Reader;

// Bandwidth and high band of a loaded file, which older files keep under other keys.
void LoadBandwidthAndHighBand(const DataReader& io, ModemParameters& r) {
    Flag half = ToFlag(r.channelBandwidth == bandwidthHalf);
    ReadFlagValue(io.locale(), io.file(), kUser, "Half Channel", half);
    const std::string bw = ReadIniValue(io.locale(), io.file(), kFactory, "Channel Bandwidth", std::int32_t{-1});
    const std::int32_t value = TextToInt32(bw, io.locale()).value_or(0);
    if (value != -1) r.channelBandwidth = value;
    else r.channelBandwidth = IsSet(half) ? bandwidthHalf : bandwidthFull;

    auto readHighBand = [&](const std::string& section) {
        const std::string t = ReadIniValue(io.locale(), io.file(), section, "High Band", false);
        return TextToBool(t, io.locale()).value_or(false);
    };
    bool high = readHighBand(kFactory);
    if (!high) high = readHighBand(kUser);
    r.highBand = ToFlag(high);
}

// A calibration table section: its presence flag, its date stamp and 8 rows of 8 hex bytes.
template <class Io, class RowOf>
void TransferCalTable(Io& io, const std::string& section, Flag& present, std::int32_t& tableId, RowOf rowOf) {
    io.section(section);
    io.flag(section, section + " Present", present);
    io.number(section, "Table ID", tableId);
    for (int row = 0; row < 8; ++row) io.hexRow(section, RowKey(row), rowOf(row));
}

template <class Io>
void TransferDataFile(Io& io, ModemParameters& r, const SharedRecords* records) {
    record_file::TransferRadioTypes(io);

    io.section(kFactory);
    io.number(kFactory, "EEPROM Version", r.eepromVersion);
    io.number(kFactory, "Model", r.model);
    io.number(kFactory, "ROM Major Version", r.romMajorVersion);
    io.number(kFactory, "ROM Minor Version", r.romMinorVersion);
    io.number(kFactory, "Number of Writes", r.numberOfWrites);
    if constexpr (Io::kLoading) ReadUnitIdValue(io.locale(), io.file(), kFactory, "Serial Number", r.serialNumber);
    else {
        double id = r.serialNumber;  // settings values hold no unsigned 32-bit number; a double holds it whole
        io.number(kFactory, "Serial Number", id);
    }
    if constexpr (Io::kLoading) {
        LoadBandwidthAndHighBand(io, r);
    } else {
        io.number(kFactory, "Channel Bandwidth", r.channelBandwidth);
        io.flag(kFactory, "High Band", r.highBand);
    }
    io.flag(kFactory, "SA7026 Synthesizer", r.sa7026Synthesizer);
    record_file::TransferTypeAndRange(io, kFactory, r.radioType, r.radioRange);
    io.number(kFactory, "Channel Override", r.channelOverride);
    io.number(kFactory, "Master Deviation", r.masterDeviation);
    io.number(kFactory, "Master Power Meter Cal", r.masterPowerMeterCal);
    io.number(kFactory, "Master Rx Gain", r.masterRxGain);

    const record_file::PointTriple adjusts[] = {
        {"Front-End Adj", &r.frontEndAdj}, {"Mod Adj", &r.modAdj},         {"Power Adj", &r.powerAdj},
        {"Rx FC 8 Adj", &r.fcAdj.rxFc8},   {"Rx FC 5 Adj", &r.fcAdj.rxFc5}, {"Tx FC 8 Adj", &r.fcAdj.txFc8},
        {"Tx FC 5 Adj", &r.fcAdj.txFc5},
    };
    record_file::TransferPointTriples(io, adjusts);

    // Channel values the file does not hold come from the default plan of the type and range
    // just read, not from the record as it was.
    if constexpr (Io::kLoading) SetDefaultChannels(*records, r);

    io.section(kUser);
    io.number(kUser, "Network Type", r.networkType);
    {
        std::int16_t baudRate = r.baudRate;
        io.number(kUser, "Baud Rate", baudRate);
        // The rate index selects a column of the per-rate arrays: only 0..3 name one.
        if (baudRate >= 0 && baudRate <= 3) r.baudRate = baudRate;
    }
    io.flag(kUser, "BT 0.5", r.bt05);
    io.flag(kUser, "Nine Data Bits", r.nineDataBits);
    io.flag(kUser, "Repeater Mode", r.repeaterMode);
    io.flag(kUser, "PTT Watchdog", r.pttWatchdog);
    io.flag(kUser, "Diag Gate Mode", r.diagGateMode);
    io.flag(kUser, "Diag Enable", r.diagEnable);
    io.flag(kUser, "Early DCD", r.earlyDcd);
    io.flag(kUser, "Inverted Data", r.invertedData);
    io.flag(kUser, "Two Stop Bits", r.twoStopBits);
    io.flag(kUser, "Dynamic RSSI", r.dynamicRssi);
    io.flag(kUser, "Crystal Timing", r.crystalTiming);
    if constexpr (Io::kLoading) {
        if (IsSet(r.crystalTiming)) r.networkType = networkCrystal;
    }
    io.flag(kUser, "Rx Only", r.rxOnly);
    io.flag(kUser, "Tx Only", r.txOnly);
    io.flag(kUser, "Q-Mast Option", r.qMastOption);
    io.flag(kUser, "R-Net Deviation", r.rNetDeviation);
    if constexpr (Io::kLoading) {
        if (r.networkType != networkCrystal)
            r.networkType = IsSet(r.rNetDeviation) ? networkOlderModems : networkNative;
    }
    io.number(kUser, "Tx Divisor Test", r.txDivisorTest);
    io.number(kUser, "Rx Divisor Test", r.rxDivisorTest);
    io.number(kUser, "Peak Position", r.peakPosition);
    io.number(kUser, "RSSI Off Threshold", r.rssiOffThreshold);
    io.number(kUser, "RSSI On Threshold", r.rssiOnThreshold);
    io.number(kUser, "PTT Timeout", r.pttTimeout);
    io.date(kUser, "Setup Time", r.setupTime);
    io.text(kUser, "Comment", r.comment);

    for (int i = 0; i < 4; ++i) {
        const std::string section = RateSectionName(r.model, i);
        const auto k = static_cast<size_t>(i);
        io.section(section);
        io.number(section, "T1 Time", r.t1Time[k]);
        io.number(section, "Extended T1 Time", r.extendedT1Time[k]);
        io.number(section, "T2 Time", r.t2Time[k]);
        io.number(section, "Extended T2 Time", r.extendedT2Time[k]);
        io.number(section, "Rx Clamp Time", r.rxClampTime[k]);
        io.number(section, "Tx Deviation", r.txDeviation[k]);
        io.number(section, "Rx Gain", r.rxGain[k]);
    }

    for (int n = 1; n <= 8; ++n) {
        const std::string section = "Channel " + std::to_string(n);
        const auto k = static_cast<size_t>(n - 1);
        io.section(section);
        io.frequency(section, "Tx Frequency", r.channels[k].txFrequency);
        io.frequency(section, "Rx Frequency", r.channels[k].rxFrequency);
        io.number(section, "Mod Set", r.modSet[k]);
        io.number(section, "Power Adjust", r.powerAdjust[k]);
        io.number(section, "Power Meter", r.powerMeter[k]);
        io.number(section, "Front-End Adjust", r.frontEndAdjust[k]);
        io.number(section, "Tx Power Set", r.txPowerSet[k]);
    }

    CalTables& c = r.calTables;
    auto rowsOf = [](std::array<std::int16_t, 64>& table) {
        return [t = &table](int row) { return std::span<std::int16_t>(*t).subspan(static_cast<size_t>(8 * row), 8); };
    };
    TransferCalTable(io, "Power Table", c.powerTablePresent, c.powerTableId, rowsOf(c.powerTable));
    TransferCalTable(io, "RSSI Table", c.rssiTablePresent, c.rssiTableId, rowsOf(c.rssiTable));
    TransferCalTable(io, "RSSI Temp Table", c.rssiTempTablePresent, c.rssiTempTableId,
                     [&c](int row) { return std::span<std::int16_t>(c.rssiTempTable[static_cast<size_t>(row)]); });
}

}  // namespace

const char* RateSectionName(std::int16_t model, int rateIndex) {
    static const char* const pnet[4] = {"4800 Baud", "9600 Baud", "19200 Baud", "9600 Baud Native"};
    static const char* const other[4] = {"1200 Baud", "2400 Baud", "4800 Baud", "9600 Baud"};
    if (rateIndex < 0 || rateIndex > 3) return "";
    return model == familyPNet ? pnet[rateIndex] : other[rateIndex];
}

bool DataFileExists(const std::string& fileName) {
    if (fileName.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(fileName, ec);
}

bool ReadFlagValue(const LocaleInfo& locale, const std::string& fileName, const std::string& section,
                   const std::string& key, Flag& target) {
    bool value = IsSet(target);
    if (!ReadIniInto(locale, fileName, section, key, value)) return false;
    target = ToFlag(value);
    return true;
}

bool ReadUnitIdValue(const LocaleInfo& locale, const std::string& fileName, const std::string& section,
                     const std::string& key, std::uint32_t& target) {
    double value = target;
    if (!ReadIniInto(locale, fileName, section, key, value)) return false;
    value = RoundHalfEven(value);
    if (!(value >= 0 && value <= 4294967295.0)) return false;
    target = static_cast<std::uint32_t>(value);
    return true;
}

bool ReadFrequencyValue(const LocaleInfo& locale, const std::string& fileName, const std::string& section,
                        const std::string& key, std::int32_t& hz) {
    const std::string text = ReadIniValue(locale, fileName, section, key, HzToMHz(hz));
    const std::optional<std::int32_t> value = MHzTextToHz(text, locale);
    if (!value) return false;
    hz = *value;
    return true;
}

void ReadHexRow(const std::string& fileName, const std::string& section, const std::string& key,
                std::span<std::int16_t> row) {
    static const LocaleInfo neutral;
    const std::string text = ReadIniValue(neutral, fileName, section, key, std::string());
    if (text.empty()) return;
    // A one-digit item is the high digit of its byte ("B" is B0): its missing second digit
    // counts as 0.
    std::string padded;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const size_t end = comma == std::string::npos ? text.size() : comma;
        padded.append(text, start, end - start);
        if (end - start == 1) padded += '0';
        if (comma == std::string::npos) break;
        padded += ',';
        start = comma + 1;
    }
    SplitToHexByteArray(row, padded, 0);
}

void ReadIntRow(const LocaleInfo& locale, const std::string& fileName, const std::string& section,
                const std::string& key, std::span<std::int16_t> row) {
    const std::string text = ReadIniValue(locale, fileName, section, key, std::string());
    if (text.empty()) return;
    SplitToIntArray(locale, row, text, 0);
}

std::string SingleLineText(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return out;
}

std::string TextValueForFile(const std::string& text) {
    std::string out = SingleLineText(text);
    if (out.empty()) return out;
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool trimmed = blank(out.front()) || blank(out.back());
    const bool quoted = out.size() >= 2 && (out.front() == '"' || out.front() == '\'') && out.back() == out.front();
    if (trimmed || quoted) out = '"' + out + '"';
    return out;
}

bool LoadDataFile(const FilePlaces& files, const SharedRecords& records, ModemParameters& record, const std::string& fileName) {
    return record_file::LoadRecord(files.locale, fileName, record,
                                   [&](auto& io, ModemParameters& r) { TransferDataFile(io, r, &records); });
}

bool SaveDataFile(const FilePlaces& files, const std::string& fileName, const ModemParameters& record,
                  std::string* error) {
    return record_file::SaveRecord(files.locale, fileName, record, error,
                                   [&](auto& io, ModemParameters& r) { TransferDataFile(io, r, nullptr); });
}

}  // namespace k45
