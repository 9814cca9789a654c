// Pack then unpack, per layout: every field that travels both ways comes back; the derived
// per-channel and per-rate bytes come back as what the pack computed; the rest keeps the
// target's values. Also the golden images, one per layout.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "image_fixture.h"
#include "params/parameter_image.h"

namespace k45::test {
namespace {

// Names each differing field, so a failure says what went wrong.
void ExpectSameRecord(const ModemParameters& a, const ModemParameters& b, const std::string& where) {
#define K45_SAME(f) EXPECT_TRUE(a.f == b.f) << where << ": field " #f " differs"
    K45_SAME(channelBandwidth); K45_SAME(highBand); K45_SAME(eepromVersion); K45_SAME(model);
    K45_SAME(romMajorVersion); K45_SAME(romMinorVersion); K45_SAME(numberOfWrites); K45_SAME(serialNumber);
    K45_SAME(byte10Value); K45_SAME(fcAdj); K45_SAME(sa7026Synthesizer); K45_SAME(byte25Flag);
    K45_SAME(rssiCalAdj); K45_SAME(radioType); K45_SAME(masterDeviation); K45_SAME(masterPowerMeterCal);
    K45_SAME(radioRange); K45_SAME(channelOverride); K45_SAME(masterRxGain); K45_SAME(frontEndAdj);
    K45_SAME(modAdj); K45_SAME(powerAdj); K45_SAME(networkType); K45_SAME(baudRate); K45_SAME(bt05);
    K45_SAME(nineDataBits); K45_SAME(repeaterMode); K45_SAME(pttWatchdog); K45_SAME(diagGateMode);
    K45_SAME(diagEnable); K45_SAME(earlyDcd); K45_SAME(invertedData); K45_SAME(twoStopBits);
    K45_SAME(dynamicRssi); K45_SAME(crystalTiming); K45_SAME(rxOnly); K45_SAME(txOnly); K45_SAME(pttTimeout);
    K45_SAME(t1Time); K45_SAME(extendedT1Time); K45_SAME(t2Time); K45_SAME(extendedT2Time);
    K45_SAME(rxClampTime); K45_SAME(signature); K45_SAME(channels); K45_SAME(modSet); K45_SAME(powerAdjust);
    K45_SAME(powerMeter); K45_SAME(txDeviation); K45_SAME(rxGain); K45_SAME(qMastOption);
    K45_SAME(rNetDeviation); K45_SAME(txDivisorTest); K45_SAME(rxDivisorTest); K45_SAME(peakPosition);
    K45_SAME(frontEndAdjust); K45_SAME(txPowerSet); K45_SAME(rssiOffThreshold); K45_SAME(rssiOnThreshold);
    K45_SAME(setupTime); K45_SAME(comment); K45_SAME(calTables);
#undef K45_SAME
    EXPECT_TRUE(a == b) << where;  // catches a field added to the record but not listed above
}

class ImageRoundTrip : public ImageFixture {
protected:
    // A target whose every field differs from FilledRecord's; the header selects the layout.
    static ModemParameters OtherRecord(std::int16_t eepromVersion, std::int16_t model) {
        ModemParameters r = EveryFieldChanged(FilledRecord(eepromVersion, model));
        r.eepromVersion = eepromVersion;
        r.model = model;
        return r;
    }
};

struct Layout {
    const char* name;
    std::int16_t eepromVersion, model;
    int modSet, frontEnd, powerSet;
    const char* golden;
};
const Layout kLayouts[] = {
    {"PNet V06", 6, 6, 311, 365, 373, "image_pnet_v06.hex"},
    {"RNet V03", 3, 4, 309, 365, 373, "image_rnet_v03.hex"},
    {"RNet V02", 2, 4, 325, 397, 405, "image_rnet_v02.hex"},
};

TEST_F(ImageRoundTrip, KeepsEveryFieldThatTravels) {
    for (const auto& l : kLayouts) {
        for (bool sa7026 : {false, true}) {
            for (std::int16_t network : {networkOlderModems, networkCrystal, networkNative}) {
                const std::string where = std::string(l.name) + (sa7026 ? " SA7026" : " SA7025") + " network " +
                                          std::to_string(network);
                ModemParameters source = FilledRecord(l.eepromVersion, l.model);
                source.sa7026Synthesizer = ToFlag(sa7026);
                source.networkType = network;
                source.crystalTiming = ToFlag(network == networkCrystal);
                const ParameterImage image = Pack(source);  // source now holds the stamp and signature
                ModemParameters decoded = OtherRecord(l.eepromVersion, l.model);
                const ModemParameters target = decoded;
                ASSERT_TRUE(DecodeParameterImage(app, app, decoded, image).ok());

                ModemParameters expected = source;
                // Derived on the way out, read into fields of their own on the way back.
                for (int k = 0; k < 8; ++k) {
                    expected.modSet[k] = image[l.modSet + k];
                    expected.frontEndAdjust[k] = image[l.frontEnd + k];
                    expected.txPowerSet[k] = image[l.powerSet + k];
                }
                expected.signature[10] = target.signature[10];  // never written
                expected.byte10Value = 8;
                expected.byte25Flag = kTrue;
                // The fifth rate section never travels.
                for (auto m : {&ModemParameters::t1Time, &ModemParameters::extendedT1Time, &ModemParameters::t2Time,
                               &ModemParameters::extendedT2Time, &ModemParameters::rxClampTime,
                               &ModemParameters::txDeviation, &ModemParameters::rxGain})
                    (expected.*m)[4] = (target.*m)[4];
                if (l.model == 6) {
                    expected.bt05 = ToFlag(image::FilterBit(source));
                    expected.rNetDeviation = ToFlag(network != networkNative);
                    expected.txDeviation = {static_cast<std::int16_t>(image::DeviationCode(source)),
                                            static_cast<std::int16_t>(130 - source.rssiOffThreshold), 0, 0,
                                            target.txDeviation[4]};
                    expected.rxGain = {static_cast<std::int16_t>(image::RxGainCode(source)),
                                       static_cast<std::int16_t>(130 - source.rssiOnThreshold), 0, 0,
                                       target.rxGain[4]};
                } else {
                    expected.bt05 = kFalse;
                    if (network == networkNative) expected.networkType = networkOlderModems;
                    for (auto m : {&ModemParameters::masterDeviation, &ModemParameters::masterRxGain,
                                   &ModemParameters::txDivisorTest, &ModemParameters::rxDivisorTest})
                        expected.*m = target.*m;
                    expected.txDeviation = target.txDeviation;
                    expected.rxGain = target.rxGain;
                    expected.qMastOption = target.qMastOption;
                    expected.rNetDeviation = target.rNetDeviation;
                    expected.peakPosition = target.peakPosition;
                }
                if (l.eepromVersion == 2) expected.calTables = CalTables{};
                ExpectSameRecord(decoded, expected, where);
            }
        }
    }
}

// Golden images: 40 lines of 16 bytes, "oooo: hh hh ..."; '#' starts a comment line.
std::string ToHexText(const ParameterImage& image, const std::string& title) {
    std::ostringstream out;
    out << "# " << title << "\n";
    out << std::hex << std::uppercase << std::setfill('0');
    for (int row = 0; row < kParameterImageBytes / 16; ++row) {
        out << std::setw(4) << row * 16 << ":";
        for (int k = 0; k < 16; ++k) out << ' ' << std::setw(2) << image[row * 16 + k];
        out << "\n";
    }
    return out.str();
}

TEST_F(ImageRoundTrip, GoldenImages) {
    for (const auto& l : kLayouts) {
        ModemParameters r = FilledRecord(l.eepromVersion, l.model);
        const ParameterImage image = Pack(r);
        const std::string path = std::string(K45_TEST_DATA_DIR) + "/" + l.golden;
        const std::string title = std::string(l.name) + " parameter image of the fixed test record";
        if (std::getenv("K45_UPDATE_GOLDEN")) {
            std::ofstream(path) << ToHexText(image, title);
            continue;
        }
        ParameterImage golden{};
        ASSERT_TRUE(ReadHexText(path, golden)) << path;
        for (int i = 0; i < kParameterImageBytes; ++i) EXPECT_EQ(image[i], golden[i]) << l.name << " byte " << i;
        // The golden image unpacks to the record it came from.
        ModemParameters back = OtherRecord(l.eepromVersion, l.model);
        ASSERT_TRUE(DecodeParameterImage(app, app, back, golden).ok());
        EXPECT_EQ(back.channels, r.channels) << l.name;
        EXPECT_EQ(back.comment, r.comment) << l.name;
        EXPECT_EQ(back.setupTime, kFixedNowLocal) << l.name;
    }
}

}  // namespace
}  // namespace k45::test
