// Files a technician brings from elsewhere: odd file shapes for every reader, and values that do
// not fit their fields. Nothing may crash or be stored out of range; a file that cannot be read
// is reported by the reader's result.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <array>
#include <functional>
#include <vector>
#include <string>

#include "file_fixture.h"
#include "params/data_file.h"
#include "params/k45_import.h"
#include "params/radio_spec_file.h"
#include "params/record_names.h"
#include "params/test_file.h"

namespace k45 {
namespace {

using namespace std::string_literals;
using test::WriteFileBytes;

// Each shape turns a small clean file (CR LF line ends) into what another tool may have left.
struct Shape {
    const char* name;
    std::function<std::string(const std::string&)> apply;
};

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
    return s;
}

const Shape kReadableShapes[] = {
    {"as written", [](const std::string& s) { return s; }},
    {"LF line ends", [](const std::string& s) { return ReplaceAll(s, "\r\n", "\n"); }},
    {"CR-only line ends", [](const std::string& s) { return ReplaceAll(s, "\r\n", "\r"); }},
    {"UTF-8 BOM", [](const std::string& s) { return "\xEF\xBB\xBF" + s; }},
    {"no line end after the last line", [](const std::string& s) { return s.substr(0, s.size() - 2); }},
    {"cut in the middle of a following line", [](const std::string& s) { return s + "[Channel 1]\r\nTx Freq"; }},
    {"NUL bytes and binary garbage around",
     [](const std::string& s) { return "\0\0\xFF\xFE\x01\r\n"s + s + "\x80\x81\0\x9F=\0\r\n\0"s; }},
    {"very long junk line first", [](const std::string& s) { return std::string(1 << 20, 'x') + "\r\n" + s; }},
    {"very long unknown value next to the key",
     [](const std::string& s) { return ReplaceAll(s, "]\r\n", "]\r\nJunk=" + std::string(1 << 20, '9') + "\r\n"); }},
    {"the key again later: the first counts", [](const std::string& s) { return s + s.substr(s.find("]\r\n") + 3, s.find('=') - s.find("]\r\n") - 3) + "=1\r\n"; }},
};

class BadInputTest : public test::FileFixture {
protected:
    // A reader: a clean file holding one key, the load, and whether that key's value arrived.
    struct Reader {
        const char* name;
        std::string file;
        std::string content;
        std::function<bool(BadInputTest&, const std::string&)> load;  // true when the reader accepted the file
        std::function<bool(BadInputTest&)> valueArrived;
        std::function<bool(BadInputTest&)> untouched;
        // A file the operator opens is refused when it holds none of its kind's sections; the
        // radio spec overlay then just changes nothing.
        bool refusesFileWithoutItsSections = true;
    };

    void SetUp() override {
        test::FileFixture::SetUp();
        data = before = DefaultRecord();
        state.testParameters = state.builtInTestDefaults;
        testBefore = state.testParameters;
    }

    std::vector<Reader> Readers() {
        const std::string rangeSection = RadioRangeName(0, 5);
        return {
            {"data file", "t.dat", "[Factory Parameters]\r\nSerial Number=4242\r\n",
             [](BadInputTest& t, const std::string& f) { return LoadDataFile(t.state, t.state, t.data, f); },
             [](BadInputTest& t) { return t.data.serialNumber == 4242; },
             [](BadInputTest& t) { return t.data == t.before; }},
            {"test file", "t.tst", "[Transceiver Parameters]\r\nRx Offset=3\r\n",
             [](BadInputTest& t, const std::string& f) { return LoadTestFile(t.state, t.state.testParameters, f); },
             [](BadInputTest& t) { return t.state.testParameters.rxOffsetIndex == 3; },
             [](BadInputTest& t) { return t.state.testParameters == t.testBefore; }},
            {"radio spec file", "radspecs.cfg", "[" + rangeSection + "]\r\n" + PointName(0) + "Rx Frequency=123.456789\r\n",
             [](BadInputTest& t, const std::string& f) {
                 return LoadRadioSpecFile(t.state.locale, f, t.state.testParameters.radioSpecs);
             },
             [](BadInputTest& t) {
                 return t.state.testParameters.radioSpecs[static_cast<size_t>(RadioSpecIndex(0, 5, 0))].rxFrequency ==
                        123456789;
             },
             [](BadInputTest& t) { return t.state.testParameters == t.testBefore; }, false},
            {"older model's file", "t.k45", "[VX-5180]\r\nID Number=4242\r\n",
             [](BadInputTest& t, const std::string& f) { return ImportK45File(t.state, t.state, t.data, f); },
             [](BadInputTest& t) { return t.data.serialNumber == 4242; },
             [](BadInputTest& t) { return t.data == t.before; }},
        };
    }

    void Reset() {
        data = before;
        state.testParameters = testBefore;
    }

    ModemParameters data, before;
    ProductionTestRecord testBefore;
};

TEST_F(BadInputTest, EveryReaderFindsItsKeyInOddFileShapes) {
    for (const Reader& reader : Readers()) {
        for (const Shape& shape : kReadableShapes) {
            SCOPED_TRACE(std::string(reader.name) + ", " + shape.name);
            Reset();
            WriteFileBytes(path(reader.file), shape.apply(reader.content));
            EXPECT_TRUE(reader.load(*this, path(reader.file)));
            EXPECT_TRUE(reader.valueArrived(*this));
        }
    }
}

TEST_F(BadInputTest, FilesWithoutTheirSectionsAreRefusedAndChangeNothing) {
    struct Case {
        const char* name;
        std::string content;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"only line ends", "\r\n\n\r\r\n"},
        {"binary garbage", "\x7F" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0\x01\0\0\0\xFF\xFF\xFF\xFF"s},
        {"NUL bytes only", std::string(4096, '\0')},
        {"keys outside any section", "Serial Number=4242\r\nRx Offset=3\r\nID Number=4242\r\n"},
        {"headers cut short", "[Factory Parameters\r\nSerial Number=4242\r\n[VX-5180\r\nID Number=4242"},
        {"saved as UTF-16", "\xFF\xFE[\0F\0a\0c\0t\0o\0r\0y\0]\0\r\0\n\0"s},
        {"a file of some other kind", "[Main Window]\r\nLeft=120\r\nSerial Number=4242\r\n"},
    };
    // Fields a pass over a file without its keys would still reset.
    before.channelBandwidth = bandwidthCode2;
    before.highBand = kTrue;
    before.channels[0].txFrequency += 12500;
    for (const Reader& reader : Readers()) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(reader.name) + ", " + c.name);
            Reset();
            WriteFileBytes(path(reader.file), c.content);
            EXPECT_EQ(reader.load(*this, path(reader.file)), !reader.refusesFileWithoutItsSections);
            EXPECT_TRUE(reader.untouched(*this));
        }
    }
}

TEST_F(BadInputTest, FilesThatCannotBeReadAreRefusedAndChangeNothing) {
    for (const Reader& reader : Readers()) {
        SCOPED_TRACE(reader.name);
        Reset();
        const std::string folder = path(std::string("folder-") + reader.file);
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
        EXPECT_FALSE(reader.load(*this, folder)) << "a folder";
        EXPECT_FALSE(reader.load(*this, path("missing-" + std::string(reader.file)))) << "a missing file";
        EXPECT_FALSE(reader.load(*this, "")) << "no name";
        const std::string huge = path(std::string("huge-") + reader.file);
        WriteFileBytes(huge, reader.content);
        ASSERT_EQ(truncate(huge.c_str(), off_t{1} << 36), 0);  // sparse: takes no disk space
        EXPECT_FALSE(reader.load(*this, huge)) << "a file far too large to be one";
        if (geteuid() != 0) {  // permissions do not bind root
            const std::string locked = path(std::string("locked-") + reader.file);
            WriteFileBytes(locked, reader.content);
            chmod(locked.c_str(), 0);
            EXPECT_FALSE(reader.load(*this, locked)) << "an unreadable file";
        }
        EXPECT_TRUE(reader.untouched(*this));
    }
}

// Values as other tools or hands leave them. Each row: the text in the file, and the value the
// field then holds (the default of the field when the text does not fit it).
struct ValueCase {
    const char* text;
    double expected;
};

// The record's fields read through the data file; `field` picks one out as a number.
struct DataField {
    const char* section;
    const char* key;
    std::function<double(const ModemParameters&)> field;
    std::vector<ValueCase> cases;
};

TEST_F(BadInputTest, DataFileValuesThatDoNotFitKeepTheField) {
    const double serial = before.serialNumber, ptt = before.pttTimeout, gain = before.masterRxGain;
    const double setup = static_cast<double>(before.setupTime);
    const double tx1 = before.channels[0].txFrequency, writes = before.numberOfWrites;
    const std::vector<DataField> fields = {
        // The ID number the modem keeps: a whole number 0..4294967295.
        {"Factory Parameters", "Serial Number", [](const ModemParameters& r) { return r.serialNumber; },
         {{"4294967295", 4294967295.0}, {"0", 0}, {"12.5", 12}, {"13,5", 14}, {"4294967296", serial}, {"-1", serial},
          {"1e308", serial}, {"-1e308", serial}, {"1e999", serial}, {"nan", serial}, {"inf", serial},
          {"0x10", serial}, {"", serial}, {"  ", serial}, {"7 2", 7}, {"\xB9\xB2", serial}}},
        {"Factory Parameters", "Number of Writes", [](const ModemParameters& r) { return r.numberOfWrites; },
         {{"2147483647", 2147483647.0}, {"2147483648", writes}, {"99999999999999999999999", writes},
          {"-2147483649", writes}, {"1e308", writes}, {"0x10", writes}, {"", writes}}},
        {"Factory Parameters", "Master Rx Gain", [](const ModemParameters& r) { return r.masterRxGain; },
         {{"-32768", -32768}, {"32767.4", 32767}, {"32767.5", gain}, {"1e5", gain}, {"NaN", gain}, {"1..2", gain},
          {"--1", gain}, {"+-1", gain}, {"1e", gain}, {"e5", gain}, {".", gain}}},
        {"User Parameters", "PTT Timeout", [](const ModemParameters& r) { return r.pttTimeout; },
         {{"2.5", 2.5}, {"2,5", 2.5}, {"1e39", ptt}, {"-1e39", ptt}, {"nan", ptt}, {"infinity", ptt}}},
        {"User Parameters", "Setup Time", [](const ModemParameters& r) { return static_cast<double>(r.setupTime); },
         {{"2/29/2024", 1709164800}, {"2024-02-29", 1709164800}, {"2/29/2025", setup}, {"13/1/2026", setup},
          {"0/1/2026", setup}, {"1/1/99", setup}, {"1/1/10000", setup}, {"29.02.2024", setup},
          {"2024/02/29", setup}, {"3/4/2026 25:00:00", setup}, {"3/4/2026 0:30:00 AM", setup},
          {"3/4/2026 1:02:03 XM", setup}, {"3/4/2026 1:02:03 PM junk", setup}, {"-1/-1/-1", setup},
          {"99999999999/1/2026", setup}, {"", setup}}},
        {"Channel 1", "Tx Frequency", [](const ModemParameters& r) { return r.channels[0].txFrequency; },
         {{"450.0125", 450012500}, {"450,0125", 450012500}, {"2147.483647", 2147483647.0}, {"2147.483648", tx1},
          {"-2147.483649", tx1}, {"1e308", tx1}, {"nan", tx1}, {"0x1C2", tx1}, {"450.0125 MHz", tx1}, {"", tx1}}},
    };
    for (const DataField& f : fields) {
        for (const ValueCase& c : f.cases) {
            SCOPED_TRACE(std::string(f.key) + "=" + c.text);
            Reset();
            WriteFileBytes(path("v.dat"), std::string("[") + f.section + "]\r\n" + f.key + "=" + c.text + "\r\n");
            ASSERT_TRUE(LoadDataFile(state, state, data, path("v.dat")));
            EXPECT_EQ(f.field(data), c.expected);
        }
    }
}

TEST_F(BadInputTest, OlderModelFileValuesThatDoNotFitKeepTheFieldOrItsDefault) {
    const double serial = before.serialNumber;
    struct Field {
        const char* key;
        std::function<double(const ModemParameters&)> field;
        std::vector<ValueCase> cases;
    };
    const std::vector<Field> fields = {
        {"ID Number", [](const ModemParameters& r) { return r.serialNumber; },
         {{"1025", 1025}, {"4294967296", serial}, {"-5", serial}, {"1e308", serial}, {"nan", serial}, {"", serial}}},
        // The code version splits into major and minor numbers that must each fit 16 bits.
        {"Code Version", [](const ModemParameters& r) { return r.romMajorVersion * 100000.0 + r.romMinorVersion; },
         {{"3.0012", 300012}, {"1e308", before.romMajorVersion * 100000.0 + before.romMinorVersion},
          {"-40000", before.romMajorVersion * 100000.0 + before.romMinorVersion}}},
        // A band code that is no 16-bit number is the default code 5, range 5 of a 5716.
        {"Radio Range Code", [](const ModemParameters& r) { return r.radioRange; },
         {{"1e308", 5}, {"nan", 5}, {"-1e308", 5}, {"", 5}}},
        // RSSI levels end at the limits of the threshold codes.
        {"RSSI Low", [](const ModemParameters& r) { return r.rssiOffThreshold; },
         {{"-1e308", 0}, {"1e308", 0}, {"-130", 0}, {"-45", 85}, {"-200", 0}, {"nan", 15}}},
    };
    for (const Field& f : fields) {
        for (const ValueCase& c : f.cases) {
            SCOPED_TRACE(std::string(f.key) + "=" + c.text);
            Reset();
            WriteFileBytes(path("v.k45"), std::string("[VX-5180]\r\n") + f.key + "=" + c.text + "\r\n");
            ASSERT_TRUE(ImportK45File(state, state, data, path("v.k45")));
            EXPECT_EQ(f.field(data), c.expected);
        }
    }
}

TEST_F(BadInputTest, TestFileValuesThatDoNotFitKeepTheField) {
    const ProductionTestRecord& b = testBefore;
    struct Field {
        const char* section;
        const char* key;
        std::function<double(const ProductionTestRecord&)> field;
        std::vector<ValueCase> cases;
    };
    const double rxOffset = b.rxOffsetIndex, txTime = b.txTime;
    const std::string pastLastOffset = std::to_string(kOffsetIndexCount);
    const std::vector<Field> fields = {
        {"Transceiver Parameters", "Rx Offset", [](const ProductionTestRecord& r) { return r.rxOffsetIndex; },
         {{"0", 0}, {"-1", rxOffset}, {pastLastOffset.c_str(), rxOffset}, {"1e308", rxOffset}, {"nan", rxOffset}}},
        {"Tune Adjusts", "Rx Gain Vpp", [](const ProductionTestRecord& r) { return r.rxGainVpp; },
         {{"1,25", 1.25}, {"1e999", b.rxGainVpp}, {"nan", b.rxGainVpp}, {"", b.rxGainVpp}}},
        {"Test Parameters", "Tx Time", [](const ProductionTestRecord& r) { return r.txTime; },
         {{"40000", txTime}, {"-40000", txTime}, {"12", 12}}},
        {"Power Tuning", "Power Point 4", [](const ProductionTestRecord& r) { return r.powerPoints.powerWatts[4]; },
         {{"1e39", b.powerPoints.powerWatts[4]}, {"0.5", 0.5}}},
    };
    for (const Field& f : fields) {
        for (const ValueCase& c : f.cases) {
            SCOPED_TRACE(std::string(f.key) + "=" + c.text);
            Reset();
            WriteFileBytes(path("v.tst"), std::string("[") + f.section + "]\r\n" + f.key + "=" + c.text + "\r\n");
            ASSERT_TRUE(LoadTestFile(state, state.testParameters, path("v.tst")));
            EXPECT_EQ(f.field(state.testParameters), c.expected);
        }
    }
}

// Rows of numbers: items past the row's end, garbage items and huge rows touch nothing beyond
// the row and leave unusable entries as they were.
TEST_F(BadInputTest, RowsWithGarbageOrTooManyItemsStayInsideTheRow) {
    std::string huge;
    for (int i = 0; i < 100000; ++i) huge += "7,";
    struct Case {
        const char* name;
        std::string text;
        std::array<std::int16_t, 6> expected;  // A/D Point 0 of the temperature compensation
    };
    const auto keep = testBefore.rssiTempComp.adReading[0];
    const Case cases[] = {
        {"huge row", huge, {7, 7, 7, 7, 7, 7}},
        {"garbage items", "x,1e308,nan,,\xFF,-40000", keep},
        {"mixed", "1,x,3", {1, keep[1], 3, keep[3], keep[4], keep[5]}},
        {"NUL cuts the value", "1,2\0,3,4"s, {1, 2, keep[2], keep[3], keep[4], keep[5]}},
        {"only delimiters", std::string(5000, ','), keep},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        state.testParameters.rssiTempComp.adReading[1].fill(-5);
        WriteFileBytes(path("r.tst"), "[RSSI Temp Comp]\r\nA/D Point 0=" + c.text + "\r\n");
        ASSERT_TRUE(LoadTestFile(state, state.testParameters, path("r.tst")));
        EXPECT_EQ(state.testParameters.rssiTempComp.adReading[0], c.expected);
        EXPECT_EQ(state.testParameters.rssiTempComp.adReading[1], (std::array<std::int16_t, 6>{-5, -5, -5, -5, -5, -5}));
    }
}

}  // namespace
}  // namespace k45
