#include "params/k45_import.h"

#include <cmath>
#include <optional>

#include "base/converters.h"
#include "base/ini_routines.h"
#include "base/utilities.h"
#include "params/data_file.h"
#include "params/record_file_io.h"
#include "radio/channel_plan.h"
#include "radio/radio_codes.h"

namespace k45 {
namespace {

const std::string kSection = "VX-5180";

struct TypeCode {
    const char* code;
    std::int32_t radioType;
    std::int32_t channelBandwidth;
};
constexpr TypeCode kTypeCodes[] = {
    {"5716", 0, 0}, {"571612", 0, 1}, {"571620", 0, 2}, {"5726", 1, 0}, {"572612", 1, 1},
    {"572620", 1, 2}, {"5796", 2, 0}, {"579612", 2, 1}, {"579620", 2, 2},
};

class K45Reader {
public:
    K45Reader(const LocaleInfo& locale, const std::string& file) : locale_(locale), file_(file) {}

    template <class T>
    void number(const std::string& key, T& field) {
        ReadIniInto(locale_, file_, kSection, key, field);
    }
    void frequency(const std::string& key, std::int32_t& hz) { ReadFrequencyValue(locale_, file_, kSection, key, hz); }
    // A number read with a fixed default: a text that is no number gives the default.
    double numberOr(const std::string& key, double def) {
        return TextToDouble(ReadIniValue(locale_, file_, kSection, key, def), locale_).value_or(def);
    }
    std::string text(const std::string& key, const std::string& def) {
        return ReadIniValue(locale_, file_, kSection, key, def);
    }
    // Words are compared exactly, letter case included.
    bool textIs(const std::string& key, const std::string& def, const char* word) { return text(key, def) == word; }

    const LocaleInfo& locale() const { return locale_; }
    const std::string& file() const { return file_; }

private:
    const LocaleInfo& locale_;
    const std::string& file_;
};

std::int16_t RssiThresholdCode(double level) {
    // A level far outside the 16-bit range ends at a limit of the threshold anyway.
    const double clamped = std::fmax(-32768.0, std::fmin(32767.0, RoundHalfEven(level)));
    const std::int16_t code = DbmToRssiCode(static_cast<std::int16_t>(clamped));
    return static_cast<std::int16_t>(code < 0 ? 0 : code > 85 ? 85 : code);
}

}  // namespace

std::string RadioTypeCode(std::int32_t radioType, std::int32_t channelBandwidth) {
    std::string code = radioType == 1 ? "5726" : radioType == 2 ? "5796" : "5716";
    if (channelBandwidth == 1) code += "12";
    else if (channelBandwidth == 2) code += "20";
    return code;
}

namespace {

void ImportK45Keys(const FilePlaces& files, const SharedRecords& records, ModemParameters& r, const std::string& fileName) {
    K45Reader io(files.locale, fileName);

    // Identity.
    io.number("EEProm Version", r.eepromVersion);
    io.number("Product Model", r.model);
    {
        double version = r.romMajorVersion + r.romMinorVersion / 10000.0;
        if (ReadIniInto(io.locale(), io.file(), kSection, "Code Version", version)) {
            const double major = std::floor(version);
            const double minor = RoundHalfEven((version - major) * 10000.0);
            if (major >= -32768 && major <= 32767 && minor >= -32768 && minor <= 32767) {
                r.romMajorVersion = static_cast<std::int16_t>(major);
                r.romMinorVersion = static_cast<std::int16_t>(minor);
            }
        }
    }
    io.number("EEProm Writes", r.numberOfWrites);
    ReadUnitIdValue(io.locale(), io.file(), kSection, "ID Number", r.serialNumber);

    // Radio type and bandwidth from one code; anything not in the table is type 0, half band.
    {
        const std::string code = io.text("Radio Type Code", RadioTypeCode(r.radioType, r.channelBandwidth));
        r.radioType = 0;
        r.channelBandwidth = bandwidthHalf;
        for (const TypeCode& t : kTypeCodes) {
            if (code == t.code) {
                r.radioType = t.radioType;
                r.channelBandwidth = t.channelBandwidth;
                break;
            }
        }
    }
    {
        const double bandCode = io.numberOr("Radio Range Code", 5);
        const double rounded = RoundHalfEven(bandCode);
        const auto code = static_cast<std::int16_t>(rounded >= -32768 && rounded <= 32767 ? rounded : 5);
        r.radioRange = DecodeRangeCode(r.radioType, code);
    }

    // High band: a type 0, range 0 radio whose lowest frequency lies more than 5 MHz above the
    // bottom of the range works in the upper sub-band.
    {
        std::int32_t lowRx = 0;
        if (RadioSpecIndexValid(r.radioType, r.radioRange, pointLow))
            lowRx = records.testDefaults.radioSpecs[static_cast<size_t>(RadioSpecIndex(r.radioType, r.radioRange, pointLow))]
                        .rxFrequency;
        const double lowestHz = MHzToWholeHz(io.numberOr("Lowest Frequency", HzToMHz(lowRx)));
        r.highBand = kFalse;
        r.sa7026Synthesizer = kFalse;
        if (r.radioType == 0 && r.radioRange == 0 && static_cast<double>(lowRx) + 5000000.0 < lowestHz)
            r.highBand = kTrue;
    }

    SetDefaultChannels(records, r);
    r.networkType = networkNative;

    {
        const double rate = io.numberOr("Data Baud Rate", 9600);
        if (r.model == familyPNet) {
            r.baudRate = rate == 4800 ? 0 : rate == 19200 ? 2 : 1;
        } else {
            r.baudRate = rate == 1200 ? 0 : rate == 2400 ? 1 : rate == 4800 ? 2 : rate == 9600 ? 3 : 1;
        }
    }
    r.bt05 = ToFlag(io.numberOr("BT Filter", 0.5) == 0.5);
    r.nineDataBits = ToFlag(io.numberOr("Data Bits", 8) == 9);
    r.repeaterMode = ToFlag(io.textIs("Repeater Mode", "DISABLED", "ENABLED"));
    r.pttWatchdog = ToFlag(io.textIs("PTT Watchdog", "ENABLED", "ENABLED"));
    r.diagGateMode = ToFlag(io.textIs("Diagnostic Gateway", "DISABLED", "ENABLED"));
    r.earlyDcd = ToFlag(io.textIs("Extended Turnoff", "DISABLED", "ENABLED"));
    r.invertedData = ToFlag(!io.textIs("Data Level", "NORMAL", "NORMAL"));
    r.twoStopBits = ToFlag(io.numberOr("Data Stop Bits", 1) == 2);
    r.dynamicRssi = ToFlag(io.textIs("Dynamic RSSI", "ENABLED", "ENABLED"));
    if (io.textIs("Xtal Compatibility", "DISABLED", "ENABLED")) {
        r.networkType = networkCrystal;
        r.crystalTiming = kTrue;
    } else {
        r.crystalTiming = kFalse;
    }
    r.rxOnly = ToFlag(!io.textIs("Transmitter", "ENABLED", "ENABLED"));
    r.txOnly = ToFlag(!io.textIs("Receiver", "ENABLED", "ENABLED"));
    r.qMastOption = ToFlag(io.textIs("K45MH Base Configuration", "DISABLED", "ENABLED"));
    if (io.textIs("K45M Back Compatibility", "DISABLED", "ENABLED")) {
        r.rNetDeviation = kTrue;
        if (r.networkType != networkCrystal) r.networkType = networkOlderModems;
    } else {
        r.rNetDeviation = kFalse;
        if (r.networkType != networkCrystal) r.networkType = networkNative;
    }
    r.rssiOffThreshold = RssiThresholdCode(io.numberOr("RSSI Low", -115));
    r.rssiOnThreshold = RssiThresholdCode(io.numberOr("RSSI High", -115));
    io.number("PTT Timeout Sec", r.pttTimeout);
    {
        IniDate d{r.setupTime};
        if (ReadIniInto(io.locale(), io.file(), kSection, "Setup date was", d)) r.setupTime = d.localSeconds;
    }
    io.number("Comment", r.comment);

    static const char* const pnetLabels[4] = {"4800", "9600", "19200", "N9600"};
    static const char* const otherLabels[4] = {"1200 Baud", "2400 Baud", "4800 Baud", "9600 Baud"};
    for (size_t i = 0; i < 4; ++i) {
        const std::string label = r.model == familyPNet ? pnetLabels[i] : otherLabels[i];
        io.number("         T1 Time @" + label, r.t1Time[i]);
        io.number("Extended T1 Time @" + label, r.extendedT1Time[i]);
        io.number("         T2 Time @" + label, r.t2Time[i]);
        io.number("Extended T2 Time @" + label, r.extendedT2Time[i]);
        io.number("   Clamping Time @" + label, r.rxClampTime[i]);
    }

    for (size_t n = 1; n <= 8; ++n) {
        const std::string number = std::to_string(n);
        io.frequency("Transmit Channel" + number, r.channels[n - 1].txFrequency);
        io.frequency("Receiver Channel" + number, r.channels[n - 1].rxFrequency);
        io.number("Transmit Power Channel" + number, r.powerAdjust[n - 1]);
    }
}

}  // namespace

bool ImportK45File(const FilePlaces& files, const SharedRecords& records, ModemParameters& r, const std::string& fileName) {
    // Every fixed key has a default, so only the file's own section tells an older-model file
    // from an empty, binary or unrelated one.
    return record_file::LoadWholeFile(fileName, [&](const IniDocument& doc) {
        if (!doc.hasSection(kSection)) return false;
        ImportK45Keys(files, records, r, fileName);
        return true;
    });
}

}  // namespace k45
