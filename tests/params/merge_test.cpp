// Write-time merges: warning texts in and outside production mode, what each merge copies,
// the layout-version conditions and the clone's rate mapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "image_fixture.h"
#include "params/merges.h"

namespace k45 {
namespace {

using MergeFn = std::string (*)(ModemParameters&, const ModemParameters&, bool);
struct Merge { const char* name; MergeFn fn; };
const Merge kMerges[] = {{"User", MergeUserParameters}, {"Clone", MergeCloneParameters},
                         {"Factory", MergeFactoryParameters}, {"All", MergeAllParameters}};

// The record as read from a modem.
ModemParameters ModemRecord() {
    ModemParameters r;
    r.eepromVersion = 6;
    r.model = 6;
    r.romMajorVersion = 3;
    r.romMinorVersion = 1;
    r.serialNumber = 1000;
    r.numberOfWrites = 10;
    r.radioType = 0;
    r.radioRange = 5;
    r.comment = "modem";
    r.setupTime = 111;
    r.signature.fill(7);
    // Only one of the pair, so a source with both flipped still sets just one.
    r.rxOnly = kTrue;
    r.t1Time = {30, 30, 28, 28, 50};
    r.txDeviation = {96, 96, 96, 96, 51};
    for (int k = 0; k < 8; ++k) r.channels[k] = {450000000 + k * 12500, 460000000 + k * 12500};
    return r;
}

// A source differing from ModemRecord in every field but the layout version and model, which
// decide the rate and timing copies and the clone's rate mapping.
ModemParameters EditedRecord() {
    ModemParameters r = test::EveryFieldChanged(ModemRecord());
    r.eepromVersion = ModemRecord().eepromVersion;
    r.model = ModemRecord().model;
    return r;
}

TEST(Merges, EqualRecordsGiveNoWarningAndNoChange) {
    for (bool pm : {false, true})
        for (const auto& m : kMerges) {
            ModemParameters target = ModemRecord();
            const ModemParameters source = ModemRecord();
            EXPECT_EQ(m.fn(target, source, pm), "") << m.name;
            EXPECT_EQ(target, source) << m.name;
        }
}

TEST(Merges, WarningTexts) {
    struct Case { bool bandwidth, type, range, rxTx, pm; const char* text; };
    const Case cases[] = {
        {true, true, true, false, false,
         "Half Channel Settings are NOT Compatible.\r\nRadio Type Settings are NOT Compatible.\r\n"
         "Radio Range Settings are NOT Compatible.\r\n"},
        {true, true, true, false, true,
         "Half Channel Setting is to be changed.\r\nRadio Type Setting is to be changed.\r\n"
         "Radio Range Setting is to be changed.\r\n"},
        {false, false, false, true, false, "Rx Only and Tx Only Options are both Set.\r\n"},
        {false, false, false, true, true, "Rx Only and Tx Only Options are both Set.\r\n"},
        {false, true, false, true, false,
         "Radio Type Settings are NOT Compatible.\r\nRx Only and Tx Only Options are both Set.\r\n"},
        {false, false, true, false, true, "Radio Range Setting is to be changed.\r\n"},
    };
    for (const auto& c : cases)
        for (const auto& m : kMerges) {
            ModemParameters target = ModemRecord();
            ModemParameters source = ModemRecord();
            if (c.bandwidth) source.channelBandwidth = bandwidthFull;
            if (c.type) source.radioType = 1;
            if (c.range) source.radioRange = 2;
            if (c.rxTx) source.rxOnly = source.txOnly = kTrue;
            EXPECT_EQ(m.fn(target, source, c.pm), c.text) << m.name << " pm " << c.pm;
        }
}

TEST(Merges, OnlyTheSourceRxTxPairCounts) {
    ModemParameters target = ModemRecord();
    target.rxOnly = target.txOnly = kTrue;
    EXPECT_EQ(MergeAllParameters(target, ModemRecord(), false), "");
}

// Which fields each merge takes from the source (version fields, setupTime and element 4 never).
TEST(Merges, CopyTable) {
    struct Row {
        const char* field;
        bool (*same)(const ModemParameters&, const ModemParameters&);
        // copied by User, Clone, Factory, All; outside and in production mode
        bool copied[2][4];
    };
#define K45_F(f) #f, [](const ModemParameters& a, const ModemParameters& b) { return a.f == b.f; }
    const Row rows[] = {
        {K45_F(channelBandwidth), {{false, false, true, true}, {true, true, true, true}}},
        {K45_F(highBand), {{false, false, true, true}, {true, true, true, true}}},
        {K45_F(numberOfWrites), {{false, false, false, true}, {true, false, false, true}}},
        {K45_F(serialNumber), {{true, false, false, true}, {true, false, false, true}}},
        {K45_F(byte10Value), {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(fcAdj), {{false, false, true, true}, {false, false, true, true}}},
        {K45_F(sa7026Synthesizer), {{false, false, true, true}, {true, false, true, true}}},
        {K45_F(byte25Flag), {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(rssiCalAdj), {{false, false, true, true}, {false, false, true, true}}},
        {K45_F(radioType), {{false, false, true, true}, {true, false, true, true}}},
        {K45_F(radioRange), {{false, false, true, true}, {true, false, true, true}}},
        {K45_F(masterDeviation), {{false, false, true, true}, {false, false, true, true}}},
        {K45_F(masterPowerMeterCal), {{false, false, true, true}, {false, false, true, true}}},
        {K45_F(channelOverride), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(masterRxGain), {{false, false, true, true}, {false, false, true, true}}},
        {K45_F(frontEndAdj), {{false, false, true, true}, {false, false, true, true}}},
        {K45_F(modAdj), {{false, false, true, true}, {false, false, true, true}}},
        {K45_F(powerAdj), {{false, false, true, true}, {false, false, true, true}}},
        {K45_F(networkType), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(baudRate), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(bt05), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(nineDataBits), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(repeaterMode), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(pttWatchdog), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(diagGateMode), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(diagEnable), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(earlyDcd), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(invertedData), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(twoStopBits), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(dynamicRssi), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(crystalTiming), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(rxOnly), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(txOnly), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(pttTimeout), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(t1Time[0]), {{false, false, false, true}, {true, true, false, true}}},
        {K45_F(extendedT1Time[1]), {{false, false, false, true}, {true, true, false, true}}},
        {K45_F(t2Time[2]), {{false, false, false, true}, {true, true, false, true}}},
        {K45_F(extendedT2Time[3]), {{false, false, false, true}, {true, true, false, true}}},
        {K45_F(rxClampTime[3]), {{false, false, false, true}, {true, true, false, true}}},
        {"signature(0..9)",
         [](const ModemParameters& a, const ModemParameters& b) {
             return std::equal(a.signature.begin(), a.signature.begin() + 10, b.signature.begin());
         },
         {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(channels), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(modSet), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(powerAdjust), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(powerMeter), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(txDeviation[3]), {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(rxGain[0]), {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(qMastOption), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(rNetDeviation), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(txDivisorTest), {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(rxDivisorTest), {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(peakPosition), {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(frontEndAdjust), {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(txPowerSet), {{false, false, false, true}, {false, false, false, true}}},
        {K45_F(rssiOffThreshold), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(rssiOnThreshold), {{true, true, false, true}, {true, true, false, true}}},
        {K45_F(comment), {{true, false, false, true}, {true, false, false, true}}},
        {K45_F(calTables), {{false, false, true, true}, {false, false, true, true}}},
        // Never merged.
        {K45_F(signature[10]), {{false, false, false, false}, {false, false, false, false}}},
        {K45_F(romMajorVersion), {{false, false, false, false}, {false, false, false, false}}},
        {K45_F(romMinorVersion), {{false, false, false, false}, {false, false, false, false}}},
        {K45_F(setupTime), {{false, false, false, false}, {false, false, false, false}}},
        {K45_F(t1Time[4]), {{false, false, false, false}, {false, false, false, false}}},
        {K45_F(rxClampTime[4]), {{false, false, false, false}, {false, false, false, false}}},
        {K45_F(txDeviation[4]), {{false, false, false, false}, {false, false, false, false}}},
        {K45_F(rxGain[4]), {{false, false, false, false}, {false, false, false, false}}},
    };
#undef K45_F
    const ModemParameters source = [] {
        ModemParameters s = EditedRecord();
        s.romMajorVersion = 9;
        s.romMinorVersion = 9;
        return s;
    }();
    for (int pm = 0; pm < 2; ++pm)
        for (int m = 0; m < 4; ++m) {
            ModemParameters target = ModemRecord();
            ASSERT_FALSE(rows[0].same(target, source));
            kMerges[m].fn(target, source, pm == 1);
            for (const auto& row : rows) {
                const bool copied = row.same(target, source);
                EXPECT_EQ(copied, row.copied[pm][m]) << kMerges[m].name << " pm " << pm << ": " << row.field;
            }
        }
}

TEST(Merges, HardwareSettingsByMode) {
    ModemParameters source = ModemRecord();
    source.channelBandwidth = bandwidthFull;
    source.highBand = kTrue;
    source.radioType = 1;
    source.radioRange = 3;
    source.sa7026Synthesizer = kTrue;
    auto hardware = [](const ModemParameters& r) {
        return std::tuple(r.channelBandwidth, r.highBand, r.radioType, r.radioRange, r.sa7026Synthesizer);
    };
    ModemParameters target = ModemRecord();
    MergeUserParameters(target, source, false);
    EXPECT_EQ(hardware(target), hardware(ModemRecord()));
    target = ModemRecord();
    MergeUserParameters(target, source, true);
    EXPECT_EQ(hardware(target), hardware(source));
    for (bool pm : {false, true}) {
        target = ModemRecord();
        MergeFactoryParameters(target, source, pm);
        EXPECT_EQ(hardware(target), hardware(source));
        target = ModemRecord();
        MergeAllParameters(target, source, pm);
        EXPECT_EQ(hardware(target), hardware(source));
    }
    // The clone keeps the target's type, range and synthesizer even in production mode.
    target = ModemRecord();
    EXPECT_EQ(MergeCloneParameters(target, source, true),
              "Half Channel Setting is to be changed.\r\nRadio Type Setting is to be changed.\r\n"
              "Radio Range Setting is to be changed.\r\n");
    EXPECT_EQ(target.channelBandwidth, bandwidthFull);
    EXPECT_EQ(target.highBand, kTrue);
    EXPECT_EQ(target.radioType, 0);
    EXPECT_EQ(target.radioRange, 5);
    EXPECT_EQ(target.sa7026Synthesizer, kFalse);
}

TEST(Merges, RateAndTimingNeedTheSameLayoutVersion) {
    ModemParameters source = EditedRecord();
    source.eepromVersion = 7;
    for (bool pm : {false, true}) {
        for (auto fn : {MergeUserParameters, MergeAllParameters, MergeCloneParameters}) {
            ModemParameters target = ModemRecord();
            fn(target, source, pm);
            EXPECT_EQ(target.t1Time, ModemRecord().t1Time);
            EXPECT_EQ(target.rxClampTime, ModemRecord().rxClampTime);
            if (fn != MergeCloneParameters) {
                EXPECT_EQ(target.baudRate, ModemRecord().baudRate);
            }
            EXPECT_EQ(target.eepromVersion, 6);
        }
    }
}

// The image is packed in the layout of the modem's own firmware, whatever the source says.
TEST(Merges, VersionFieldsAreNeverMerged) {
    ModemParameters source = test::EveryFieldChanged(ModemRecord());
    for (bool pm : {false, true})
        for (const auto& m : kMerges) {
            ModemParameters target = ModemRecord();
            m.fn(target, source, pm);
            EXPECT_EQ(target.eepromVersion, ModemRecord().eepromVersion) << m.name << " pm " << pm;
            EXPECT_EQ(target.model, ModemRecord().model) << m.name << " pm " << pm;
            EXPECT_EQ(target.romMajorVersion, ModemRecord().romMajorVersion) << m.name << " pm " << pm;
            EXPECT_EQ(target.romMinorVersion, ModemRecord().romMinorVersion) << m.name << " pm " << pm;
            EXPECT_EQ(target.setupTime, ModemRecord().setupTime) << m.name << " pm " << pm;
        }
}

TEST(Merges, CloneRateMapping) {
    struct Case { std::int16_t targetModel, sourceModel, rate, mapped; };
    const Case cases[] = {
        {4, 4, 3, 3}, {6, 6, 2, 2}, {6, 6, 3, 3},  // same model: unchanged
        {6, 4, 3, 1}, {6, 4, 2, 0}, {6, 4, 0, 0}, {6, 4, 7, 1},
        {4, 6, 1, 3}, {4, 6, 2, 3}, {4, 6, 0, 2},
    };
    for (const auto& c : cases) {
        ModemParameters target = ModemRecord();
        target.model = c.targetModel;
        target.eepromVersion = c.targetModel == 6 ? 6 : 3;
        ModemParameters source = ModemRecord();
        source.model = c.sourceModel;
        source.eepromVersion = 2;  // the mapping looks at the model, not the layout version
        source.baudRate = c.rate;
        MergeCloneParameters(target, source, false);
        EXPECT_EQ(target.baudRate, c.mapped) << c.sourceModel << "->" << c.targetModel << " code " << c.rate;
    }
}

TEST(Merges, WriteDefaultAsksTwiceOnlyForTheRxTxPair) {
    ModemParameters source = ModemRecord();
    source.radioType = 2;
    ModemParameters target = ModemRecord();
    EXPECT_EQ(MergeUserParameters(target, source, true), "Radio Type Setting is to be changed.\r\n");
    EXPECT_EQ(target.radioType, 2);
    EXPECT_EQ(MergeFactoryParameters(target, source, true), "");

    source.rxOnly = source.txOnly = kTrue;
    target = ModemRecord();
    MergeUserParameters(target, source, true);
    EXPECT_EQ(MergeFactoryParameters(target, source, true), "Rx Only and Tx Only Options are both Set.\r\n");
}

}  // namespace
}  // namespace k45
