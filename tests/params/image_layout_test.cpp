// Byte maps of the three layouts and the dispatch between them.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <span>
#include <vector>

#include "image_fixture.h"
#include "params/parameter_image.h"
#include "radio/synthesizer.h"

namespace k45::test {
namespace {

struct LayoutCase {
    const char* name;
    std::int16_t eepromVersion;
    std::int16_t model;
    int index;  // column of the offset tables below
};
const LayoutCase kLayouts[] = {{"PNet V06", 6, 6, 0}, {"RNet V03", 3, 4, 1}, {"RNet V02", 2, 4, 2}};

TEST(ImageDispatch, HeaderPairSelectsTheLayout) {
    struct Case { int version, model; ImageLayout layout; };
    const Case cases[] = {
        {2, 4, ImageLayout::RNetV02}, {3, 4, ImageLayout::RNetV03}, {6, 6, ImageLayout::PNetV06},
        {7, 6, ImageLayout::PNetV06}, {255, 6, ImageLayout::PNetV06}, {5, 6, ImageLayout::None},
        {6, 4, ImageLayout::None},    {2, 6, ImageLayout::None},      {4, 4, ImageLayout::None},
        {0, 0, ImageLayout::None},
    };
    for (const auto& c : cases) EXPECT_EQ(SelectImageLayout(c.version, c.model), c.layout) << c.version << "," << c.model;
}

TEST_F(ImageFixture, UnknownHeaderPacksNothingAndReportsFailure) {
    ModemParameters r = FilledRecord(5, 6);
    const ModemParameters before = r;
    ParameterImage image;
    image.fill(77);
    const Outcome encoded = EncodeParameterImage(app, app, image, r, kFixedNowLocal);
    ASSERT_FALSE(encoded.ok());
    for (int i = 0; i < kParameterImageBytes; ++i) ASSERT_EQ(image[i], 77) << i;
    EXPECT_EQ(r, before);
    // The codec shows nothing itself: the message is for its caller.
    EXPECT_EQ(encoded.problem(), (UserMessage{"Modem Type is not correct!", "", MsgButtons::OK, MsgIcon::Exclamation}));
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(ImageFixture, UnknownHeaderLeavesTheWholeRecordUntouched) {
    ParameterImage image = Pack(FilledRecord(6, 6));
    image[1] = 4;  // (6, 4) is no layout
    ModemParameters r = FilledRecord(3, 4);
    r.comment = "kept";
    const ModemParameters before = r;
    const Outcome decoded = DecodeParameterImage(app, app, r, image);
    ASSERT_FALSE(decoded.ok());
    EXPECT_EQ(decoded.problem().text, "Modem Type is not correct!");
    EXPECT_EQ(r, before);  // header fields included
}

TEST_F(ImageFixture, HeaderAndFixedBytes) {
    for (const auto& l : kLayouts) {
        ModemParameters r = FilledRecord(l.eepromVersion, l.model);
        r.byte10Value = 99;
        r.byte25Flag = kFalse;
        r.bt05 = kTrue;
        const ParameterImage image = Pack(r);
        EXPECT_EQ(image[0], l.eepromVersion) << l.name;
        EXPECT_EQ(image[1], l.model) << l.name;
        EXPECT_EQ(image[2], 2) << l.name;
        EXPECT_EQ(image[3], 7) << l.name;
        EXPECT_EQ(image[10], 8) << l.name;
        EXPECT_EQ(image[25], 1) << l.name;
    }
}

// Bytes every pack leaves at 0, per layout; every other byte from 4 on is some field's.
struct ByteRange { int from, to; };
const std::vector<ByteRange> kReserved[3] = {
    {{23, 23}, {26, 26}, {47, 48}, {335, 342}, {345, 346}, {349, 359}, {427, 428}, {628, 639}},
    {{23, 23}, {26, 26}, {45, 46}, {333, 364}, {427, 428}, {628, 639}},
    {{23, 23}, {26, 26}, {29, 29}, {37, 37}, {47, 62}, {349, 396}, {459, 639}},
};

// Even from a record with every field set.
TEST_F(ImageFixture, ReservedBytesStayZero) {
    const auto& zero = kReserved;
    for (const auto& l : kLayouts) {
        ModemParameters r = FilledRecord(l.eepromVersion, l.model);
        r.rxOnly = kTrue;
        r.bt05 = kTrue;
        const ParameterImage image = Pack(r);
        for (const auto& range : zero[l.index])
            for (int i = range.from; i <= range.to; ++i) EXPECT_EQ(image[i], 0) << l.name << " byte " << i;
    }
}

// The packing rows of each layout table tile the image: no byte is written by two fields (bits
// of one flag byte aside), none outside bytes 4..639, and every byte that is not reserved is
// written by some field. A row at a wrong offset or with a wrong count breaks one of these.
TEST(ImageLayoutTables, PackingRowsTileTheImage) {
    const std::span<const image::ImageField> tables[3] = {image::PNetV06Fields(), image::RNetV03Fields(),
                                                          image::RNetV02Fields()};
    for (const auto& l : kLayouts) {
        enum Use { unused, whole, bits };
        std::vector<Use> use(kParameterImageBytes, unused);
        for (const auto& f : tables[l.index]) {
            if (!f.packs) continue;
            const bool isBits = f.codec == image::Codec::Bit || f.codec == image::Codec::BaudBits;
            const int width = image::CodecWidth(f.codec);
            ASSERT_GT(width, 0) << l.name << " row at " << f.offset;
            const int end = f.offset + f.count * (isBits ? 0 : width) + (isBits ? 1 : 0);
            ASSERT_GE(f.offset, 4) << l.name << " row at " << f.offset;
            ASSERT_LE(end, kParameterImageBytes) << l.name << " row at " << f.offset;
            for (int b = f.offset; b < end; ++b) {
                const Use want = isBits ? bits : whole;
                EXPECT_TRUE(use[b] == unused || (use[b] == bits && want == bits))
                    << l.name << ": byte " << b << " written by two rows (second at " << f.offset << ")";
                use[b] = want;
            }
        }
        std::vector<bool> reserved(kParameterImageBytes, false);
        for (const auto& r : kReserved[l.index])
            for (int b = r.from; b <= r.to; ++b) reserved[b] = true;
        for (int b = 4; b < kParameterImageBytes; ++b)
            EXPECT_EQ(use[b] != unused, !reserved[b]) << l.name << ": byte " << b;
    }
}

// Each layout's unpacking rows read the bytes its packing rows write, but for the high band
// edge and, in PNet, the threshold bytes 381..382 (packed, never read) and the per-rate bytes
// 345..346 and 349..350 (packed as 0, read into the rate arrays).
TEST(ImageLayoutTables, UnpackingRowsReadWhatPackingWrote) {
    const std::span<const image::ImageField> tables[3] = {image::PNetV06Fields(), image::RNetV03Fields(),
                                                          image::RNetV02Fields()};
    const std::vector<ByteRange> packedOnly[3] = {{{33, 34}, {381, 382}}, {{32, 33}}, {{33, 34}}};
    const std::vector<ByteRange> readOnly[3] = {{{345, 346}, {349, 350}}, {}, {}};
    for (const auto& l : kLayouts) {
        std::vector<bool> written(kParameterImageBytes, false), read(kParameterImageBytes, false);
        for (const auto& f : tables[l.index]) {
            if (f.codec == image::Codec::Action) continue;
            const bool isBits = f.codec == image::Codec::Bit || f.codec == image::Codec::BaudBits;
            const int end = f.offset + (isBits ? 1 : f.count * image::CodecWidth(f.codec));
            for (int b = f.offset; b < end && b < kParameterImageBytes; ++b) {
                if (f.packs) written[b] = true;
                if (f.unpacks) read[b] = true;
            }
        }
        std::vector<bool> expected = written;
        for (const auto& r : packedOnly[l.index])
            for (int b = r.from; b <= r.to; ++b) expected[b] = false;
        for (const auto& r : readOnly[l.index])
            for (int b = r.from; b <= r.to; ++b) expected[b] = true;
        for (int b = 4; b < kParameterImageBytes; ++b) EXPECT_EQ(read[b], expected[b]) << l.name << ": byte " << b;
    }
}

// Where a distinctive value of each field lands, per layout (PNet V06, RNet V03, RNet V02).
TEST_F(ImageFixture, FieldOffsetsPerLayout) {
    struct Case {
        const char* field;
        std::function<void(ModemParameters&)> set;
        int offset[3];
        int value;
    };
    const Case cases[] = {
        {"numberOfWrites low byte", [](auto& r) { r.numberOfWrites = 0x1A2B; }, {5, 5, 5}, 0x2B},
        {"serialNumber last byte", [](auto& r) { r.serialNumber = 0x10203040; }, {9, 9, 9}, 0x40},
        {"fcAdj.txFc5 High", [](auto& r) { r.fcAdj.txFc5[2] = 0xC5; }, {22, 22, 22}, 0xC5},
        {"sa7026Synthesizer", [](auto& r) { r.sa7026Synthesizer = kTrue; }, {24, 24, 24}, 1},
        {"rssiCalAdj", [](auto& r) { r.rssiCalAdj = -2; }, {27, 27, 27}, 254},
        {"masterDeviation", [](auto& r) { r.masterDeviation = 0xD1; }, {29, -1, -1}, 0xD1},
        {"masterPowerMeterCal", [](auto& r) { r.masterPowerMeterCal = 0xAB; }, {30, 29, 30}, 0xAB},
        {"channelOverride", [](auto& r) { r.channelOverride = 7; }, {36, 35, 36}, 7},
        {"masterRxGain", [](auto& r) { r.masterRxGain = 0xB2; }, {37, -1, -1}, 0xB2},
        {"frontEndAdj Low", [](auto& r) { r.frontEndAdj[0] = 0xE1; }, {38, 36, 38}, 0xE1},
        {"modAdj Mid", [](auto& r) { r.modAdj[1] = 0xE2; }, {42, 40, 42}, 0xE2},
        {"powerAdj High", [](auto& r) { r.powerAdj[2] = 0xE3; }, {46, 44, 46}, 0xE3},
        {"flags: rxOnly bit 5", [](auto& r) { r.earlyDcd = r.invertedData = r.twoStopBits = r.dynamicRssi = r.txOnly = kFalse;
                                               r.rxOnly = kTrue; }, {49, 47, 63}, 0x20},
        {"flags: diagEnable bit 7", [](auto& r) { r.nineDataBits = r.repeaterMode = r.pttWatchdog = r.diagGateMode = kFalse;
                                                   r.diagEnable = kTrue; r.baudRate = 2; r.networkType = networkNative;
                                                   r.channelBandwidth = bandwidthHalf; }, {50, 48, 64}, 0x82},
        {"pttTimeout low byte", [](auto& r) { r.pttTimeout = 30; }, {52, 50, 66}, 562 & 0xFF},
        {"t1Time(0) high byte", [](auto& r) { r.t1Time[0] = 10; }, {53, 51, 67}, 3072 >> 8},
        {"rxClampTime(3) low byte", [](auto& r) { r.rxClampTime[3] = 5; }, {92, 90, 106}, 1536 & 0xFF},
        {"signature 'Q'", [](auto&) {}, {93, 91, 107}, 'Q'},
        {"signature NUL last", [](auto&) {}, {102, 100, 116}, 0},
        {"powerAdjust(7)", [](auto& r) { r.powerAdjust[7] = 0x77; }, {326, 324, 340}, 0x77},
        {"powerMeter(0)", [](auto& r) { r.powerMeter[0] = 0x5A; }, {327, 325, 341}, 0x5A},
        {"txDivisorTest", [](auto& r) { r.txDivisorTest = 0x33; }, {361, -1, -1}, 0x33},
        {"rxDivisorTest", [](auto& r) { r.rxDivisorTest = 0x34; }, {362, -1, -1}, 0x34},
        {"peakPosition low byte", [](auto& r) { r.peakPosition = 0x0133; }, {364, -1, -1}, 0x33},
        {"qMastOption", [](auto& r) { r.qMastOption = kTrue; r.networkType = networkNative; }, {360, -1, -1}, 1},
        {"comment first", [](auto& r) { r.comment = "Z"; }, {387, 387, 419}, 'Z'},
        {"comment 40th", [](auto& r) { r.comment = std::string(39, 'a') + "Y"; }, {426, 426, 458}, 'Y'},
        {"calibration flags", [](auto& r) { r.calTables.rssiTempTablePresent = kFalse; }, {429, 429, -1}, 0x05},
        {"rssiTableId low byte", [](auto& r) { r.calTables.rssiTableId = 0x1234; }, {431, 431, -1}, 0x34},
        {"rssiTable(63)", [](auto& r) { r.calTables.rssiTable[63] = 0x63; }, {495, 495, -1}, 0x63},
        {"rssiTempTable(2, 5)", [](auto& r) { r.calTables.rssiTempTable[2][5] = 0x25; }, {519, 519, -1}, 0x25},
        {"powerTableId high byte", [](auto& r) { r.calTables.powerTableId = 0x4321; }, {562, 562, -1}, 0x43},
        {"powerTable(63)", [](auto& r) { r.calTables.powerTable[63] = 0x99; }, {627, 627, -1}, 0x99},
    };
    for (const auto& l : kLayouts) {
        for (const auto& c : cases) {
            const int offset = c.offset[l.index];
            if (offset < 0) continue;
            ModemParameters r = FilledRecord(l.eepromVersion, l.model);
            c.set(r);
            EXPECT_EQ(Pack(r)[offset], c.value) << l.name << ": " << c.field << " at " << offset;
        }
    }
}

// The per-channel blocks: synthesizer words, interpolated bytes and power set, per layout.
TEST_F(ImageFixture, ChannelBlockOffsets) {
    const int txSynth[3] = {103, 101, 117}, rxSynth[3] = {207, 205, 221};
    const int modSet[3] = {311, 309, 325}, frontEnd[3] = {365, 365, 397}, powerSet[3] = {373, 373, 405};
    for (const auto& l : kLayouts) {
        ModemParameters r = FilledRecord(l.eepromVersion, l.model);
        r.channels[3].txFrequency = 0;  // an empty channel packs as the synthesizer's zero frequency
        const ParameterImage image = Pack(r);
        const int i = l.index;
        // Channel 8's Tx word ends where the Rx words begin.
        EXPECT_EQ(txSynth[i] + 8 * 13, rxSynth[i]) << l.name;
        for (int k = 0; k < 8; ++k) {
            std::array<std::int16_t, 13> tx{}, rx{};
            for (int b = 0; b < 13; ++b) {
                tx[b] = image[txSynth[i] + 13 * k + b];
                rx[b] = image[rxSynth[i] + 13 * k + b];
            }
            std::array<std::int16_t, 13> words{};
            CalcSynthWords(app, app, words, r.channels[k].txFrequency, r.radioType, r.radioRange, true, false, r.fcAdj, -1);
            EXPECT_EQ(tx, words) << l.name << " Tx channel " << k;
            CalcSynthWords(app, app, words, r.channels[k].rxFrequency, r.radioType, r.radioRange, false, false, r.fcAdj, -1);
            EXPECT_EQ(rx, words) << l.name << " Rx channel " << k;
            EXPECT_EQ(image[modSet[i] + k],
                      InterpolateTuneValue(app, r.channels[k].txFrequency, 0, 5, true, r.modAdj)) << l.name << " " << k;
            EXPECT_EQ(image[frontEnd[i] + k],
                      InterpolateTuneValue(app, r.channels[k].rxFrequency, 0, 5, false, r.frontEndAdj)) << l.name << " " << k;
            const int power = InterpolateTuneValue(app, r.channels[k].txFrequency, 0, 5, true, r.powerAdj);
            EXPECT_EQ(image[powerSet[i] + k], static_cast<int>(std::nearbyint(power / 255.0 * r.powerAdjust[k])))
                << l.name << " " << k;
        }
    }
}

}  // namespace
}  // namespace k45::test
