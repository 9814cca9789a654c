// The data file (*.dat): golden default file, round trips, and the loader's rules.
#include <gtest/gtest.h>

#include "file_fixture.h"
#include "params/data_file.h"
#include "platform/profile.h"
#include "radio/channel_plan.h"

namespace k45 {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class DataFileTest : public test::FileFixture {
protected:
    // Writes content to a data file and loads it over record.
    bool LoadText(ModemParameters& record, const std::string& content) {
        WriteFileBytes(path("t.dat"), content);
        return LoadDataFile(state, state, record, path("t.dat"));
    }

    // A record in which every field that travels differs from its default.
    ModemParameters Unusual() {
        ModemParameters r = DefaultRecord(1, 7);
        r.channelBandwidth = bandwidthCode2;
        r.highBand = kTrue;
        r.eepromVersion = 3;
        r.model = familyRNet;
        r.romMajorVersion = 5;
        r.romMinorVersion = 1234;
        r.numberOfWrites = 123456;
        r.serialNumber = 4294967295.0;
        r.fcAdj = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
        r.sa7026Synthesizer = kTrue;
        r.channelOverride = 3;
        r.masterDeviation = 101;
        r.masterPowerMeterCal = 202;
        r.masterRxGain = 133;
        r.frontEndAdj = {21, 22, 23};
        r.modAdj = {24, 25, 26};
        r.powerAdj = {27, 28, 29};
        r.networkType = networkOlderModems;
        r.rNetDeviation = kTrue;
        r.baudRate = 3;
        r.bt05 = kTrue;
        r.nineDataBits = kTrue;
        r.repeaterMode = kTrue;
        r.pttWatchdog = kFalse;
        r.diagGateMode = kTrue;
        r.diagEnable = kFalse;
        r.earlyDcd = kTrue;
        r.invertedData = kTrue;
        r.twoStopBits = kTrue;
        r.dynamicRssi = kFalse;
        r.rxOnly = kTrue;
        r.qMastOption = kTrue;
        r.txDivisorTest = 11;
        r.rxDivisorTest = -12;
        r.peakPosition = 70000;
        r.rssiOffThreshold = 33;
        r.rssiOnThreshold = 44;
        r.pttTimeout = 2.5f;
        r.setupTime = test::kFixedSetupTime + 86400 * 40 - 3600 * 13;
        r.comment = "Unit 7 caf\xE9 \"north\" = mast";
        for (size_t i = 0; i < 4; ++i) {
            const auto v = static_cast<std::int16_t>(10 * i);
            r.t1Time[i] = static_cast<std::int16_t>(v + 1);
            r.extendedT1Time[i] = static_cast<std::int16_t>(v + 2);
            r.t2Time[i] = static_cast<std::int16_t>(v + 3);
            r.extendedT2Time[i] = static_cast<std::int16_t>(v + 4);
            r.rxClampTime[i] = static_cast<std::int16_t>(v + 5);
            r.txDeviation[i] = static_cast<std::int16_t>(v + 6);
            r.rxGain[i] = static_cast<std::int16_t>(v + 7);
        }
        for (size_t n = 0; n < 8; ++n) {
            const auto k = static_cast<std::int32_t>(n);
            r.channels[n] = {150012345 + 1000001 * k, 151000007 + 999999 * k};
            r.modSet[n] = static_cast<std::int16_t>(60 + k);
            r.powerAdjust[n] = static_cast<std::int16_t>(200 + k);
            r.powerMeter[n] = static_cast<std::int16_t>(k);
            r.frontEndAdjust[n] = static_cast<std::int16_t>(70 + k);
            r.txPowerSet[n] = static_cast<std::int16_t>(150 + k);
        }
        CalTables& c = r.calTables;
        c.powerTablePresent = kTrue;
        c.rssiTablePresent = kTrue;
        c.rssiTempTablePresent = kTrue;
        c.powerTableId = 9000;
        c.rssiTableId = 9001;
        c.rssiTempTableId = 9002;
        for (size_t i = 0; i < 64; ++i) {
            c.powerTable[i] = static_cast<std::int16_t>((i * 7 + 3) & 255);
            c.rssiTable[i] = static_cast<std::int16_t>(130 - i);
            c.rssiTempTable[i / 8][i % 8] = static_cast<std::int16_t>((i * 37) & 255);
        }
        return r;
    }

    // The fields a data file does not keep, set apart from the defaults.
    static void SetUntravelled(ModemParameters& r) {
        r.byte10Value = 77;
        r.byte25Flag = kFalse;
        r.rssiCalAdj = -5;
        r.signature.fill(42);
        r.t1Time[4] = 91;
        r.extendedT1Time[4] = 92;
        r.t2Time[4] = 93;
        r.extendedT2Time[4] = 94;
        r.rxClampTime[4] = 95;
        r.txDeviation[4] = 96;
        r.rxGain[4] = 97;
    }
    static void CopyUntravelled(const ModemParameters& from, ModemParameters& to) {
        to.byte10Value = from.byte10Value;
        to.byte25Flag = from.byte25Flag;
        to.rssiCalAdj = from.rssiCalAdj;
        to.signature = from.signature;
        to.t1Time[4] = from.t1Time[4];
        to.extendedT1Time[4] = from.extendedT1Time[4];
        to.t2Time[4] = from.t2Time[4];
        to.extendedT2Time[4] = from.extendedT2Time[4];
        to.rxClampTime[4] = from.rxClampTime[4];
        to.txDeviation[4] = from.txDeviation[4];
        to.rxGain[4] = from.rxGain[4];
    }
};

TEST_F(DataFileTest, DefaultRecordMatchesGoldenFile) {
    ASSERT_TRUE(SaveDataFile(state, path("default.dat"), DefaultRecord()));
    test::ExpectMatchesGolden(ReadFileBytes(path("default.dat")), "default_record.dat");
}

TEST_F(DataFileTest, GoldenFileLoadsAsTheDefaultRecord) {
    ModemParameters loaded = DefaultRecord(2, 4);
    SetUntravelled(loaded);
    const ModemParameters before = loaded;
    ASSERT_TRUE(LoadDataFile(state, state, loaded, test::GoldenPath("default_record.dat")));
    ModemParameters expected = DefaultRecord();
    CopyUntravelled(before, expected);
    EXPECT_EQ(loaded, expected);
}

TEST_F(DataFileTest, RoundTripKeepsEveryFieldThatTravels) {
    for (const char* decimal : {".", ","}) {
        SCOPED_TRACE(decimal);
        state.locale.decimal = decimal;
        const ModemParameters original = Unusual();
        ASSERT_TRUE(SaveDataFile(state, path("u.dat"), original));

        ModemParameters loaded = DefaultRecord();
        SetUntravelled(loaded);
        const ModemParameters before = loaded;
        ASSERT_TRUE(LoadDataFile(state, state, loaded, path("u.dat")));
        ModemParameters expected = original;
        CopyUntravelled(before, expected);
        EXPECT_EQ(loaded, expected);
    }
}

TEST_F(DataFileTest, FileWrittenUnderOneDecimalSeparatorReadsUnderTheOther) {
    const ModemParameters original = Unusual();
    state.locale.decimal = ",";
    ASSERT_TRUE(SaveDataFile(state, path("c.dat"), original));
    const std::string text = ReadFileBytes(path("c.dat"));
    EXPECT_NE(text.find("Tx Frequency=150,012345\r\n"), std::string::npos);
    EXPECT_NE(text.find("PTT Timeout=2,5\r\n"), std::string::npos);

    state.locale.decimal = ".";
    ModemParameters loaded = DefaultRecord();
    ASSERT_TRUE(LoadDataFile(state, state, loaded, path("c.dat")));
    EXPECT_EQ(loaded.channels, original.channels);
    EXPECT_EQ(loaded.pttTimeout, 2.5f);
    EXPECT_EQ(loaded.serialNumber, original.serialNumber);
}

TEST_F(DataFileTest, MissingFileOrEmptyNameReadsNothing) {
    ModemParameters r = Unusual();
    const ModemParameters before = r;
    EXPECT_FALSE(LoadDataFile(state, state, r, ""));
    EXPECT_FALSE(LoadDataFile(state, state, r, path("nothing.dat")));
    EXPECT_FALSE(LoadDataFile(state, state, r, home.path()));  // a folder is no data file
    EXPECT_EQ(r, before);
}

TEST_F(DataFileTest, TypeAndRangeAloneGiveTheDefaultPlanOfThatRange) {
    ModemParameters r = DefaultRecord();
    r.powerAdjust.fill(12);
    ModemParameters expected = r;
    ASSERT_TRUE(LoadText(r, "[Factory Parameters]\r\nRadio Type=1\r\nRadio Range=3\r\n"));
    expected.radioType = 1;
    expected.radioRange = 3;
    SetDefaultChannels(state, expected);
    EXPECT_EQ(r, expected);
    for (auto p : r.powerAdjust) EXPECT_EQ(p, 255);
}

TEST_F(DataFileTest, RadioTypeAndRangeAreReducedAndNegativesIgnored) {
    struct Case { const char* type; const char* range; std::int32_t expType, expRange; };
    const Case cases[] = {
        {"4", "12", 1, 2},  {"2", "9", 2, 9},     {"-1", "-3", 0, 5},   // negative: unchanged
        {"x", "", 0, 5},    {"2.5", "9.5", 2, 0}, {"-4", "11", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " / " + c.range);
        ModemParameters r = DefaultRecord(0, 5);
        ASSERT_TRUE(LoadText(r, std::string("[Factory Parameters]\nRadio Type=") + c.type + "\nRadio Range=" +
                                    c.range + "\n"));
        EXPECT_EQ(r.radioType, c.expType);
        EXPECT_EQ(r.radioRange, c.expRange);
        ModemParameters plan = r;
        SetDefaultChannels(state, plan);
        EXPECT_EQ(r.channels, plan.channels);
    }
}

TEST_F(DataFileTest, BandwidthAndHighBandFromCurrentAndOlderKeys) {
    struct Case {
        const char* content;
        std::int32_t bandwidthBefore;
        Flag highBefore;
        std::int32_t bandwidth;
        Flag high;
    };
    const Case cases[] = {
        {"[User Parameters]\nHalf Channel=True\n", 0, kFalse, 1, kFalse},
        {"[User Parameters]\nHalf Channel=True\n[Factory Parameters]\nChannel Bandwidth=0\n", 1, kFalse, 0, kFalse},
        // No key (the file holds another section): half channel follows the record; high band false.
        {"[Channel 1]\n", 1, kTrue, 1, kFalse},
        {"[Channel 1]\n", 0, kFalse, 0, kFalse},
        {"[Channel 1]\n", 2, kFalse, 0, kFalse},
        {"[Factory Parameters]\nChannel Bandwidth=abc\n", 1, kFalse, 0, kFalse},
        {"[Factory Parameters]\nChannel Bandwidth=2\n", 0, kFalse, 2, kFalse},
        {"[User Parameters]\nHalf Channel=false\n", 1, kFalse, 0, kFalse},
        {"[Factory Parameters]\nHigh Band=True\n", 1, kFalse, 1, kTrue},
        {"[User Parameters]\nHigh Band=true\n", 1, kFalse, 1, kTrue},
        {"[Factory Parameters]\nHigh Band=False\n[User Parameters]\nHigh Band=-1\n", 1, kFalse, 1, kTrue},
        {"[Factory Parameters]\nHigh Band=maybe\n", 1, kTrue, 1, kFalse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        ModemParameters r = DefaultRecord();
        r.channelBandwidth = c.bandwidthBefore;
        r.highBand = c.highBefore;
        ASSERT_TRUE(LoadText(r, c.content));
        EXPECT_EQ(r.channelBandwidth, c.bandwidth);
        EXPECT_EQ(IsSet(r.highBand), IsSet(c.high));
    }
}

TEST_F(DataFileTest, NetworkTypeFollowsCrystalTimingAndRNetDeviation) {
    struct Case { const char* network; const char* crystal; const char* rnet; std::int16_t expected; };
    const Case cases[] = {
        {"2", "False", "True", 0}, {"1", "False", "True", 1}, {"1", "False", "False", 1},
        {"0", "False", "False", 2}, {"2", "True", "False", 1}, {"2", "False", "False", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.network) + c.crystal + c.rnet);
        ModemParameters r = DefaultRecord();
        ASSERT_TRUE(LoadText(r, std::string("[User Parameters]\nNetwork Type=") + c.network + "\nCrystal Timing=" +
                                    c.crystal + "\nR-Net Deviation=" + c.rnet + "\n"));
        EXPECT_EQ(r.networkType, c.expected);
    }
}

TEST_F(DataFileTest, ValuesThatDoNotConvertLeaveTheirFields) {
    ModemParameters r = DefaultRecord();
    const ModemParameters before = r;
    ASSERT_TRUE(LoadText(r,
                         "[Factory Parameters]\nModel=six\nNumber of Writes=99999999999\nMaster Rx Gain=40000\n"
                         "[User Parameters]\nBaud Rate=4\nBT 0.5=yes\nPeak Position=\nSetup Time=31/31/2020\n"
                         "PTT Timeout=fast\n[Channel 1]\nTx Frequency=9999\nRx Frequency=abc\n"));
    EXPECT_EQ(r.model, before.model);
    EXPECT_EQ(r.numberOfWrites, before.numberOfWrites);
    EXPECT_EQ(r.masterRxGain, before.masterRxGain);
    EXPECT_EQ(r.baudRate, before.baudRate);  // only rate indexes 0..3 exist
    EXPECT_EQ(r.bt05, before.bt05);
    EXPECT_EQ(r.peakPosition, before.peakPosition);
    EXPECT_EQ(r.setupTime, before.setupTime);
    EXPECT_EQ(r.pttTimeout, before.pttTimeout);
    EXPECT_EQ(r.channels[0].txFrequency, before.channels[0].txFrequency);  // 9999 MHz does not fit
    EXPECT_EQ(r.channels[0].rxFrequency, before.channels[0].rxFrequency);
}

TEST_F(DataFileTest, DatesReadInBothForms) {
    struct Case { const char* text; std::int64_t expected; };
    const Case cases[] = {
        {"3/4/2026 1:02:03 PM", test::kFixedSetupTime},
        {"2026-03-04 13:02:03", test::kFixedSetupTime},
        {"12/31/1999 11:59:59 PM", 946684799},
    };
    for (const auto& c : cases) {
        ModemParameters r = DefaultRecord();
        ASSERT_TRUE(LoadText(r, std::string("[User Parameters]\nSetup Time=") + c.text + "\n"));
        EXPECT_EQ(r.setupTime, c.expected) << c.text;
    }
}

TEST_F(DataFileTest, FrequenciesGoToTheNearestHertz) {
    ModemParameters r = DefaultRecord();
    ASSERT_TRUE(LoadText(r, "[Channel 3]\nTx Frequency=406.0125\nRx Frequency=450.0123456\n"
                            "[Channel 4]\nTx Frequency=450.0000005\nRx Frequency=  451,5  \n"));
    EXPECT_EQ(r.channels[2].txFrequency, 406012500);
    EXPECT_EQ(r.channels[2].rxFrequency, 450012346);
    EXPECT_EQ(r.channels[3].txFrequency, 450000000);  // a half goes to the even neighbour
    EXPECT_EQ(r.channels[3].rxFrequency, 451500000);  // either separator reads
}

TEST_F(DataFileTest, HexRowsOverwriteFromTheFirstEntry) {
    ModemParameters r = DefaultRecord();
    for (size_t i = 0; i < 64; ++i) r.calTables.powerTable[i] = 200;
    r.calTables.rssiTempTable[7].fill(9);
    ASSERT_TRUE(LoadText(r, "[Power Table]\nRow03=4A,B,1\nRow04=\nRow05=zz,5G,ff,00,01,02,03,04,05,06\n"
                            "[RSSI Temp Table]\nRow07=10,20\n"));
    const auto& p = r.calTables.powerTable;
    EXPECT_EQ(p[24], 74);
    EXPECT_EQ(p[25], 176);  // a missing second digit counts as 0
    EXPECT_EQ(p[26], 16);
    for (size_t i = 27; i < 40; ++i) EXPECT_EQ(p[i], 200) << i;  // rest of row 3, empty row 4
    const std::int16_t row5[8] = {0, 80, 255, 0, 1, 2, 3, 4};   // items past the eighth ignored
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(p[40 + i], row5[i]) << i;
    for (size_t i = 48; i < 64; ++i) EXPECT_EQ(p[i], 200) << i;
    EXPECT_EQ(r.calTables.rssiTempTable[7][0], 16);
    EXPECT_EQ(r.calTables.rssiTempTable[7][1], 32);
    EXPECT_EQ(r.calTables.rssiTempTable[7][2], 9);
}

TEST_F(DataFileTest, RateSectionsAreNamedByTheModelRead) {
    ModemParameters r = DefaultRecord();
    r.t1Time = {1, 2, 3, 4, 5};
    ASSERT_TRUE(LoadText(r, "[Factory Parameters]\nModel=4\n[4800 Baud]\nT1 Time=11\n[9600 Baud]\nT1 Time=12\n"
                            "[19200 Baud]\nT1 Time=13\n[9600 Baud Native]\nT1 Time=14\n"));
    EXPECT_EQ(r.t1Time, (std::array<std::int16_t, 5>{1, 2, 11, 12, 5}));

    IniDocument doc;
    ModemParameters pnet = DefaultRecord();
    ASSERT_TRUE(SaveDataFile(state, path("pnet.dat"), pnet));
    ASSERT_TRUE(doc.load(path("pnet.dat")));
    for (const char* s : {"4800 Baud", "9600 Baud", "19200 Baud", "9600 Baud Native"}) EXPECT_TRUE(doc.hasSection(s)) << s;
    EXPECT_FALSE(doc.hasSection("1200 Baud"));

    pnet.model = familyRNet;
    ASSERT_TRUE(SaveDataFile(state, path("rnet.dat"), pnet));
    ASSERT_TRUE(doc.load(path("rnet.dat")));
    for (const char* s : {"1200 Baud", "2400 Baud", "4800 Baud", "9600 Baud"}) EXPECT_TRUE(doc.hasSection(s)) << s;
    EXPECT_FALSE(doc.hasSection("9600 Baud Native"));
}

TEST_F(DataFileTest, SavingKeepsOtherSectionsAndDropsKeysItDoesNotWrite) {
    WriteFileBytes(path("k.dat"), "[Notes]\r\nWho=bench 3\r\n[User Parameters]\r\nHalf Channel=True\r\nOld=1\r\n");
    ASSERT_TRUE(SaveDataFile(state, path("k.dat"), DefaultRecord()));
    IniDocument doc;
    ASSERT_TRUE(doc.load(path("k.dat")));
    EXPECT_EQ(doc.get("Notes", "Who", "?"), "bench 3");
    EXPECT_FALSE(doc.get("User Parameters", "Half Channel").has_value());
    EXPECT_FALSE(doc.get("User Parameters", "Old").has_value());
    EXPECT_EQ(doc.get("User Parameters", "Comment", "?"), "Comment.");
}

TEST_F(DataFileTest, CommentReadsBackAsItWasWritten) {
    // Reading takes blanks and a matching pair of quotes off a value; the saver must protect them.
    struct Case { const char* comment; const char* line; };
    const Case cases[] = {
        {"Site B", "Comment=Site B\r\n"},
        {"  Site B  ", "Comment=\"  Site B  \"\r\n"},
        {"\tTab", "Comment=\"\tTab\"\r\n"},
        {"\"north\"", "Comment=\"\"north\"\"\r\n"},
        {"'x'", "Comment=\"'x'\"\r\n"},
        {"\"north\" mast", "Comment=\"north\" mast\r\n"},
        {"\"", "Comment=\"\r\n"},
        {"", "Comment=\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.comment);
        ModemParameters r = DefaultRecord();
        r.comment = c.comment;
        ASSERT_TRUE(SaveDataFile(state, path("q.dat"), r));
        EXPECT_NE(ReadFileBytes(path("q.dat")).find(c.line), std::string::npos);
        ModemParameters loaded = DefaultRecord();
        ASSERT_TRUE(LoadDataFile(state, state, loaded, path("q.dat")));
        EXPECT_EQ(loaded.comment, c.comment);
    }
}

TEST_F(DataFileTest, CommentWithLineEndsStaysOnOneLine) {
    ModemParameters r = DefaultRecord();
    r.comment = std::string("line 1\r\n[Channel 1]\nTx Frequency=1\0x", 36);
    ASSERT_TRUE(SaveDataFile(state, path("c.dat"), r));
    ModemParameters loaded = DefaultRecord();
    ASSERT_TRUE(LoadDataFile(state, state, loaded, path("c.dat")));
    EXPECT_EQ(loaded.comment, "line 1  [Channel 1] Tx Frequency=1 x");
    EXPECT_EQ(loaded.channels, r.channels);
}

}  // namespace
}  // namespace k45
