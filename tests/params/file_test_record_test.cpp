// The test file (*.tst): golden built-in record, round trip, and the loader's rules.
#include <gtest/gtest.h>

#include "file_fixture.h"
#include "params/test_file.h"
#include "platform/profile.h"

namespace k45 {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class TestFileTest : public test::FileFixture {
protected:
    bool LoadText(ProductionTestRecord& record, const std::string& content) {
        WriteFileBytes(path("t.tst"), content);
        return LoadTestFile(state, record, path("t.tst"));
    }

    // A record in which every field that travels differs from the built-in one.
    ProductionTestRecord Unusual() {
        ProductionTestRecord r = state.builtInTestDefaults;
        r.modemModel = familyRNet;
        r.radioType = 2;
        r.radioRange = 4;
        r.sa7026Synthesizer = kTrue;
        r.rxOffsetIndex = 15;
        r.txOffsetIndex = 16;
        DacValues& d = r.defaultDacValues;
        d.frontEndAdj = {1, 2, 3};
        d.modAdj = {4, 5, 6};
        d.powerAdj = {7, 8, 9};
        d.fcAdj = {{11, 12, 13}, {14, 15, 16}, {17, 18, 19}, {20, 21, 22}};
        d.rxGainAdj = 140;
        d.txDeviationAdj = 90;
        d.rssiCalAdj = -7;
        d.powerCalAdj = 210;
        r.rxGainVpp = 1.75;
        r.txTime = 9;
        r.powerPoints.powerWatts = {0.5f, 1.25f, 2.0f, 3.5f, 4.75f};
        r.powerPoints.adReading = {50, 60, 70, 80, 90};
        r.rssiPoints.levelCode = {11, 21, 31, 41, 61, 71};
        r.rssiPoints.adReading = {88, 106, 125, 142, 177, 198};
        RssiTempComp& t = r.rssiTempComp;
        t.tableId = 8000;
        t.levelCode = r.rssiPoints.levelCode;
        t.temperature = {-25, -5, 15, 35, 55, 75};
        for (size_t l = 0; l < 6; ++l)
            for (size_t k = 0; k < 6; ++k) {
                t.adReading[l][k] = static_cast<std::int16_t>(80 + 10 * l + k);
                t.delta[l][k] = static_cast<std::int16_t>(static_cast<int>(k) - static_cast<int>(l));
            }
        for (size_t x = 0; x < 8; ++x)
            for (size_t y = 0; y < 8; ++y) t.compressedTable[x][y] = static_cast<std::int16_t>((x * 8 + y) * 3 & 255);
        for (size_t i = 0; i < r.radioSpecs.size(); ++i) {
            r.radioSpecs[i].rxFrequency = 100000000 + static_cast<std::int32_t>(i) * 1234567;
            r.radioSpecs[i].txFrequency = 200000001 + static_cast<std::int32_t>(i) * 7654321;
        }
        return r;
    }
};

TEST_F(TestFileTest, BuiltInRecordMatchesGoldenFile) {
    ASSERT_TRUE(SaveTestFile(state, path("default.tst"), state.builtInTestDefaults));
    test::ExpectMatchesGolden(ReadFileBytes(path("default.tst")), "builtin_test_record.tst");
}

TEST_F(TestFileTest, RoundTripKeepsEveryFieldThatTravels) {
    const ProductionTestRecord original = Unusual();
    ASSERT_TRUE(SaveTestFile(state, path("u.tst"), original));

    ProductionTestRecord loaded = state.builtInTestDefaults;
    for (auto& e : loaded.radioSpecs) e.rxCn = e.txFc5 = 99;  // CN and FC columns are not in the file
    ASSERT_TRUE(LoadTestFile(state, loaded, path("u.tst")));
    ProductionTestRecord expected = original;
    for (size_t i = 0; i < expected.radioSpecs.size(); ++i) {
        RadioSpec& e = expected.radioSpecs[i];
        const RadioSpec& kept = loaded.radioSpecs[i];
        e.rxCn = kept.rxCn, e.rxFc8 = kept.rxFc8, e.rxFc5 = kept.rxFc5;
        e.txCn = kept.txCn, e.txFc8 = kept.txFc8, e.txFc5 = kept.txFc5;
    }
    EXPECT_EQ(loaded, expected);
    EXPECT_EQ(loaded.radioSpecs[5].rxCn, 99);
}

TEST_F(TestFileTest, MissingFileReadsNothing) {
    ProductionTestRecord r = state.testDefaults;
    EXPECT_FALSE(LoadTestFile(state, r, ""));
    EXPECT_FALSE(LoadTestFile(state, r, path("none.tst")));
    EXPECT_EQ(r, state.testDefaults);
}

TEST_F(TestFileTest, TemperatureCompensationLevelsAreThoseOfTheRssiCalibration) {
    ProductionTestRecord r = Unusual();
    const RssiTempComp before = r.rssiTempComp;
    ASSERT_TRUE(LoadText(r, "[RSSI Calibration]\nRSSI Point 0=12\nRSSI Point 5=72\n"));
    EXPECT_EQ(r.rssiTempComp.levelCode, (std::array<std::int16_t, 6>{12, 21, 31, 41, 61, 72}));
    RssiTempComp rest = r.rssiTempComp;
    rest.levelCode = before.levelCode;
    EXPECT_EQ(rest, before);  // everything else of the section kept

    ASSERT_TRUE(LoadText(r, "[RSSI Calibration]\nRSSI Point 1=22\n[RSSI Temp Comp]\nRSSI Point 1=99\n"));
    EXPECT_EQ(r.rssiPoints.levelCode[1], 22);
    EXPECT_EQ(r.rssiTempComp.levelCode[1], 22);
}

TEST_F(TestFileTest, TypeRangeAndOffsetsAreCheckedBeforeUse) {
    struct Case { const char* content; std::int32_t type, range; std::int16_t rxOffset, txOffset; };
    const Case cases[] = {
        {"Radio Type=5\nRadio Range=10\n", 2, 0, 3, 4},
        {"Radio Type=-2\nRadio Range=-1\n", 1, 7, 3, 4},  // negative: unchanged
        {"Rx Offset=16\nTx Offset=0\n", 1, 7, 16, 0},
        {"Rx Offset=17\nTx Offset=-1\n", 1, 7, 3, 4},     // no such list item: unchanged
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        ProductionTestRecord r = state.builtInTestDefaults;
        r.radioType = 1, r.radioRange = 7, r.rxOffsetIndex = 3, r.txOffsetIndex = 4;
        ASSERT_TRUE(LoadText(r, std::string("[Transceiver Parameters]\n") + c.content));
        EXPECT_EQ(r.radioType, c.type);
        EXPECT_EQ(r.radioRange, c.range);
        EXPECT_EQ(r.rxOffsetIndex, c.rxOffset);
        EXPECT_EQ(r.txOffsetIndex, c.txOffset);
    }
}

TEST_F(TestFileTest, RowsChangeOnlyTheEntriesTheyHold) {
    ProductionTestRecord r = Unusual();
    const ProductionTestRecord before = r;
    ASSERT_TRUE(LoadText(r, "[RSSI Temp Comp]\nA/D Point 2=101,102\nDelta Point 0=5,x,7\n"
                            "[RSSI Temp Table]\nRow01=0A,ff\n"));
    const auto& t = r.rssiTempComp;
    EXPECT_EQ(t.adReading[2], (std::array<std::int16_t, 6>{101, 102, 102, 103, 104, 105}));
    EXPECT_EQ(t.delta[0], (std::array<std::int16_t, 6>{5, before.rssiTempComp.delta[0][1], 7, 3, 4, 5}));
    EXPECT_EQ(t.compressedTable[1][0], 10);
    EXPECT_EQ(t.compressedTable[1][1], 255);
    EXPECT_EQ(t.compressedTable[1][2], before.rssiTempComp.compressedTable[1][2]);
}

TEST_F(TestFileTest, AbsentRangeSectionKeepsItsFrequencies) {
    ProductionTestRecord original = Unusual();
    ASSERT_TRUE(SaveTestFile(state, path("s.tst"), original));
    IniDocument doc;
    ASSERT_TRUE(doc.load(path("s.tst")));
    // Drop the section of type 1, range 4 by renaming its header.
    std::string text = doc.serialize();
    const size_t at = text.find("[5726 Range 4]");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 14, "[Other]");
    WriteFileBytes(path("s.tst"), text);

    ProductionTestRecord r = state.builtInTestDefaults;
    ASSERT_TRUE(LoadTestFile(state, r, path("s.tst")));
    for (int p = 0; p < 3; ++p) {
        const size_t e = static_cast<size_t>(RadioSpecIndex(1, 4, p));
        EXPECT_EQ(r.radioSpecs[e], state.builtInTestDefaults.radioSpecs[e]) << p;
        const size_t other = static_cast<size_t>(RadioSpecIndex(1, 5, p));
        EXPECT_EQ(r.radioSpecs[other].rxFrequency, original.radioSpecs[other].rxFrequency) << p;
    }
}

TEST_F(TestFileTest, KeysUseThePointNamesAndSectionsTheRangeNames) {
    ASSERT_TRUE(SaveTestFile(state, path("k.tst"), state.builtInTestDefaults));
    IniDocument doc;
    ASSERT_TRUE(doc.load(path("k.tst")));
    EXPECT_EQ(doc.keys("5716 Range 3"),
              (std::vector<std::string>{"Low  Rx Frequency", "Low  Tx Frequency", "Mid  Rx Frequency",
                                        "Mid  Tx Frequency", "High Rx Frequency", "High Tx Frequency"}));
    EXPECT_EQ(doc.get("5716 Range 5", "Mid  Rx Frequency", "?"), "460.000000");
    EXPECT_EQ(doc.keys("Front-End DAC Adj"), (std::vector<std::string>{"Low", "Mid", "High"}));
    EXPECT_EQ(doc.get("Power Tuning", "Power Point 0", "?"), "1");
    EXPECT_EQ(doc.get("RSSI Temp Comp", "A/D Point 0", "?"), "81,83,85,87,88,89");
}

}  // namespace
}  // namespace k45
