// Import of the older model's *.k45 files.
#include <gtest/gtest.h>

#include <functional>

#include "file_fixture.h"
#include "params/data_file.h"
#include "params/k45_import.h"
#include "radio/channel_plan.h"

namespace k45 {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class K45ImportTest : public test::FileFixture {
protected:
    bool ImportText(ModemParameters& record, const std::string& keys) {
        WriteFileBytes(path("t.k45"), "[VX-5180]\r\n" + keys);
        return ImportK45File(state, state, record, path("t.k45"));
    }
};

TEST_F(K45ImportTest, SampleFileGivesTheGoldenRecord) {
    ModemParameters r = DefaultRecord();
    ASSERT_TRUE(ImportK45File(state, state, r, test::GoldenPath("sample.k45")));

    EXPECT_EQ(r.eepromVersion, 3);
    EXPECT_EQ(r.model, 4);
    EXPECT_EQ(r.romMajorVersion, 3);
    EXPECT_EQ(r.romMinorVersion, 12);
    EXPECT_EQ(r.numberOfWrites, 57);
    EXPECT_EQ(r.serialNumber, 1025);
    EXPECT_EQ(r.radioType, 1);
    EXPECT_EQ(r.channelBandwidth, 1);
    EXPECT_EQ(r.radioRange, 5);  // band code 11 of a 5726
    EXPECT_EQ(r.baudRate, 1);
    EXPECT_EQ(r.networkType, networkOlderModems);
    EXPECT_EQ(r.rssiOffThreshold, 18);
    EXPECT_EQ(r.rssiOnThreshold, 25);
    EXPECT_EQ(r.t1Time, (std::array<std::int16_t, 5>{50, 60, 70, 80, 0}));
    EXPECT_EQ(r.channels[0], (ChannelFrequency{151012500, 156012500}));
    EXPECT_EQ(r.powerAdjust[4], 195);
    EXPECT_EQ(r.powerAdjust[5], 255);  // not in the file: the default plan

    ASSERT_TRUE(SaveDataFile(state, path("import.dat"), r));
    test::ExpectMatchesGolden(ReadFileBytes(path("import.dat")), "sample_k45_import.dat");
}

TEST_F(K45ImportTest, EmptySectionGivesTheDefaultsOfEveryFixedKey) {
    for (std::int16_t model : {std::int16_t{6}, std::int16_t{4}}) {
        SCOPED_TRACE(model);
        ModemParameters r = DefaultRecord(2, 4);
        r.model = model;
        r.channelBandwidth = bandwidthFull;
        r.highBand = r.sa7026Synthesizer = r.bt05 = r.repeaterMode = r.crystalTiming = kTrue;
        r.rxOnly = r.txOnly = r.qMastOption = r.rNetDeviation = r.nineDataBits = r.twoStopBits = kTrue;
        r.pttWatchdog = r.dynamicRssi = kFalse;
        r.networkType = networkCrystal;
        r.t1Time = {1, 2, 3, 4, 5};
        r.comment = "kept";
        const ModemParameters before = r;
        ASSERT_TRUE(ImportText(r, ""));

        EXPECT_EQ(r.radioType, 2);
        EXPECT_EQ(r.channelBandwidth, 0);
        EXPECT_EQ(r.radioRange, 5);
        EXPECT_FALSE(IsSet(r.highBand));
        EXPECT_FALSE(IsSet(r.sa7026Synthesizer));
        EXPECT_EQ(r.networkType, networkNative);
        EXPECT_EQ(r.baudRate, model == 6 ? 1 : 3);
        EXPECT_TRUE(IsSet(r.bt05));
        EXPECT_FALSE(IsSet(r.nineDataBits));
        EXPECT_FALSE(IsSet(r.twoStopBits));
        EXPECT_TRUE(IsSet(r.pttWatchdog));
        EXPECT_TRUE(IsSet(r.dynamicRssi));
        for (Flag f : {r.repeaterMode, r.diagGateMode, r.earlyDcd, r.invertedData, r.crystalTiming, r.rxOnly, r.txOnly,
                       r.qMastOption, r.rNetDeviation})
            EXPECT_FALSE(IsSet(f));
        EXPECT_EQ(r.rssiOffThreshold, 15);
        EXPECT_EQ(r.rssiOnThreshold, 15);

        ModemParameters plan = r;
        SetDefaultChannels(state, plan);
        EXPECT_EQ(r.channels, plan.channels);
        for (auto p : r.powerAdjust) EXPECT_EQ(p, 255);

        // Versions, identity, timing and comment as they were.
        EXPECT_EQ(r.eepromVersion, before.eepromVersion);
        EXPECT_EQ(r.romMajorVersion, before.romMajorVersion);
        EXPECT_EQ(r.romMinorVersion, before.romMinorVersion);
        EXPECT_EQ(r.serialNumber, before.serialNumber);
        EXPECT_EQ(r.t1Time, before.t1Time);
        EXPECT_EQ(r.comment, "kept");
        EXPECT_EQ(r.setupTime, before.setupTime);
        // Fields the import never touches.
        EXPECT_EQ(r.fcAdj, before.fcAdj);
        EXPECT_EQ(r.calTables, before.calTables);
        EXPECT_EQ(r.diagEnable, before.diagEnable);
    }
}

TEST_F(K45ImportTest, RadioTypeCodes) {
    struct Case { const char* code; std::int32_t type, bandwidth; };
    const Case cases[] = {
        {"5716", 0, 0}, {"571612", 0, 1}, {"571620", 0, 2}, {"5726", 1, 0},   {"572620", 1, 2},
        {"5796", 2, 0}, {"579612", 2, 1}, {"5717", 0, 1},   {"5796 12", 0, 1}, {"", 0, 1},
    };
    for (const auto& c : cases) {
        ModemParameters r = DefaultRecord(1, 5);
        ASSERT_TRUE(ImportText(r, std::string("Radio Type Code=") + c.code + "\r\n"));
        EXPECT_EQ(r.radioType, c.type) << c.code;
        EXPECT_EQ(r.channelBandwidth, c.bandwidth) << c.code;
    }
    EXPECT_EQ(RadioTypeCode(2, 1), "579612");
    EXPECT_EQ(RadioTypeCode(7, 2), "571620");
    EXPECT_EQ(RadioTypeCode(1, 3), "5726");
}

TEST_F(K45ImportTest, KeyMapping) {
    struct Case { const char* keys; std::function<void(const ModemParameters&)> check; };
    const Case cases[] = {
        {"Code Version=3.0012", [](const ModemParameters& r) { EXPECT_EQ(r.romMajorVersion, 3); EXPECT_EQ(r.romMinorVersion, 12); }},
        {"Code Version=new", [](const ModemParameters& r) { EXPECT_EQ(r.romMajorVersion, 2); EXPECT_EQ(r.romMinorVersion, 0); }},
        {"Xtal Compatibility=ENABLED\r\nK45M Back Compatibility=ENABLED",
         [](const ModemParameters& r) {
             EXPECT_EQ(r.networkType, networkCrystal);
             EXPECT_TRUE(IsSet(r.crystalTiming));
             EXPECT_TRUE(IsSet(r.rNetDeviation));
         }},
        {"K45M Back Compatibility=ENABLED", [](const ModemParameters& r) { EXPECT_EQ(r.networkType, networkOlderModems); }},
        {"RSSI Low=-140\r\nRSSI High=-40", [](const ModemParameters& r) { EXPECT_EQ(r.rssiOffThreshold, 0); EXPECT_EQ(r.rssiOnThreshold, 85); }},
        {"RSSI Low=-100\r\nRSSI High=100", [](const ModemParameters& r) { EXPECT_EQ(r.rssiOffThreshold, 30); EXPECT_EQ(r.rssiOnThreshold, 30); }},
        {"RSSI Low=low", [](const ModemParameters& r) { EXPECT_EQ(r.rssiOffThreshold, 15); }},
        {"Repeater Mode=enabled\r\nDiagnostic Gateway=ENABLED",
         [](const ModemParameters& r) { EXPECT_FALSE(IsSet(r.repeaterMode)); EXPECT_TRUE(IsSet(r.diagGateMode)); }},
        {"Data Level=NORMAL\r\nTransmitter=DISABLED\r\nReceiver=Enabled",
         [](const ModemParameters& r) {
             EXPECT_FALSE(IsSet(r.invertedData));
             EXPECT_TRUE(IsSet(r.rxOnly));
             EXPECT_TRUE(IsSet(r.txOnly));
         }},
        {"BT Filter=0.3\r\nData Bits=9\r\nData Stop Bits=2",
         [](const ModemParameters& r) {
             EXPECT_FALSE(IsSet(r.bt05));
             EXPECT_TRUE(IsSet(r.nineDataBits));
             EXPECT_TRUE(IsSet(r.twoStopBits));
         }},
        {"Product Model=6\r\nData Baud Rate=4800", [](const ModemParameters& r) { EXPECT_EQ(r.baudRate, 0); }},
        {"Product Model=6\r\nData Baud Rate=19200", [](const ModemParameters& r) { EXPECT_EQ(r.baudRate, 2); }},
        {"Product Model=6\r\nData Baud Rate=1200", [](const ModemParameters& r) { EXPECT_EQ(r.baudRate, 1); }},
        {"Product Model=4\r\nData Baud Rate=1200", [](const ModemParameters& r) { EXPECT_EQ(r.baudRate, 0); }},
        {"Product Model=4\r\nData Baud Rate=2400", [](const ModemParameters& r) { EXPECT_EQ(r.baudRate, 1); }},
        {"Product Model=4\r\nData Baud Rate=300", [](const ModemParameters& r) { EXPECT_EQ(r.baudRate, 1); }},
        {"Product Model=4\r\nData Baud Rate=fast", [](const ModemParameters& r) { EXPECT_EQ(r.baudRate, 3); }},
        // Timing keys carry blanks before them; blanks around key names do not count.
        {"         T1 Time @4800=21\r\nT2 Time @9600=22\r\n   Clamping Time @N9600=23\r\nExtended T1 Time @19200=24",
         [](const ModemParameters& r) {
             EXPECT_EQ(r.t1Time[0], 21);
             EXPECT_EQ(r.t2Time[1], 22);
             EXPECT_EQ(r.rxClampTime[3], 23);
             EXPECT_EQ(r.extendedT1Time[2], 24);
         }},
        {"Product Model=4\r\n         T1 Time @4800 Baud=31\r\n         T1 Time @4800=99",
         [](const ModemParameters& r) { EXPECT_EQ(r.t1Time[2], 31); EXPECT_EQ(r.t1Time[0], 30); }},
        {"Transmit Channel8=455.0125\r\nReceiver Channel8=455.5\r\nTransmit Power Channel8=17",
         [](const ModemParameters& r) {
             EXPECT_EQ(r.channels[7], (ChannelFrequency{455012500, 455500000}));
             EXPECT_EQ(r.powerAdjust[7], 17);
         }},
        {"PTT Timeout Sec=12.5\r\nSetup date was=2003-07-15 09:41:07\r\nComment=  Site B  ",
         [](const ModemParameters& r) {
             EXPECT_EQ(r.pttTimeout, 12.5f);
             EXPECT_EQ(r.setupTime, 1058262067);
             EXPECT_EQ(r.comment, "Site B");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        ModemParameters r = DefaultRecord();
        ASSERT_TRUE(ImportText(r, std::string(c.keys) + "\r\n"));
        c.check(r);
    }
}

TEST_F(K45ImportTest, HighBandFromTheLowestFrequency) {
    struct Case { const char* keys; bool high; };
    const Case cases[] = {
        {"Radio Range Code=9\r\nLowest Frequency=415", true},        // 5716 range 0: 406 + 5 < 415
        {"Radio Range Code=9\r\nLowest Frequency=411", false},       // not above 411
        {"Radio Range Code=9\r\nLowest Frequency=411.000001", true},
        {"Radio Range Code=9", false},                               // default: the range's low end
        {"Radio Range Code=5\r\nLowest Frequency=470", false},       // only range 0 has sub-bands
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        ModemParameters r = DefaultRecord();
        ASSERT_TRUE(ImportText(r, std::string("Radio Type Code=5716\r\n") + c.keys + "\r\n"));
        EXPECT_EQ(IsSet(r.highBand), c.high);
        ModemParameters plan = r;
        SetDefaultChannels(state, plan);
        EXPECT_EQ(r.channels, plan.channels);  // the plan of the sub-band found
    }
}

TEST_F(K45ImportTest, MissingFileImportsNothing) {
    ModemParameters r = DefaultRecord();
    const ModemParameters before = r;
    EXPECT_FALSE(ImportK45File(state, state, r, ""));
    EXPECT_FALSE(ImportK45File(state, state, r, path("none.k45")));
    EXPECT_EQ(r, before);
}

}  // namespace
}  // namespace k45
