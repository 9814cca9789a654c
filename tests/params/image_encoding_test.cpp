// Field encodings as the layouts apply them: scaled codes, flag bits, band edges, thresholds,
// comment and time stamp, and the saturation of values that do not fit.
#include <gtest/gtest.h>

#include <ctime>

#include "image_fixture.h"
#include "params/parameter_image.h"
#include "radio/rssi_conversion.h"
#include "support/virtual_scheduler.h"

namespace k45::test {
namespace {

constexpr std::int16_t kPNet[] = {6, 6};
constexpr std::int16_t kV03[] = {3, 4};
constexpr std::int16_t kV02[] = {2, 4};

TEST_F(ImageFixture, DeviationAndRxGainCodes) {
    struct Case { std::int16_t network, baud, deviation, gain; int devCode, gainCode; };
    const Case cases[] = {
        {networkNative, 1, 100, 50, 100, 50},
        {networkNative, 0, 100, 50, 100, 50},
        {networkOlderModems, 0, 100, 50, 80, 66},   // x 0.8 single, x 1.32 single
        {networkOlderModems, 1, 100, 50, 62, 90},   // 62.5 to even; x 1.8 single
        {networkCrystal, 2, 100, 50, 62, 90},
        {networkOlderModems, 0, 5, 5, 4, 7},        // 4.0000001 and 6.6000003
        {networkOlderModems, 1, 3, 0, 2, 0},        // 1.875 -> 2
        // Codes that do not fit a byte saturate instead of wrapping.
        {networkNative, 1, 300, 400, 255, 255},
        {networkOlderModems, 0, 400, 200, 255, 255},
        {networkOlderModems, 1, 250, 150, 156, 255},
        {networkNative, 1, -7, -1, 0, 0},
    };
    for (const auto& c : cases) {
        ModemParameters r = FilledRecord(6, 6);
        r.networkType = c.network;
        r.baudRate = c.baud;
        r.masterDeviation = c.deviation;
        r.masterRxGain = c.gain;
        const ParameterImage image = Pack(r);
        EXPECT_EQ(image[343], c.devCode) << c.network << "/" << c.baud << " deviation " << c.deviation;
        EXPECT_EQ(image[347], c.gainCode) << c.network << "/" << c.baud << " gain " << c.gain;
        EXPECT_EQ(image[29], image::SaturateByte(c.deviation));  // the master value itself
        ModemParameters out = FilledRecord(6, 6);
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.txDeviation[0], c.devCode);
        EXPECT_EQ(out.rxGain[0], c.gainCode);
    }
}

TEST_F(ImageFixture, RssiThresholdCodesTravelInTheRateBytes) {
    struct Case { std::int16_t threshold; int code; std::int16_t back; };
    const Case cases[] = {
        {40, 90, 40}, {15, 115, 15}, {0, 130, 0}, {130, 0, 130},
        {-5, 125, 5},     // a dBm value stored by mistake comes back as a code
        {200, 0, 130},    // 130 - 200 saturates to 0
        {-200, 0, 130},
    };
    for (const auto& c : cases) {
        ModemParameters r = FilledRecord(6, 6);
        r.rssiOffThreshold = c.threshold;
        r.rssiOnThreshold = c.threshold;
        const ParameterImage image = Pack(r);
        EXPECT_EQ(image[344], c.code) << c.threshold;
        EXPECT_EQ(image[348], c.code) << c.threshold;
        EXPECT_EQ(image[345], 0);
        EXPECT_EQ(image[349], 0);
        ModemParameters out = FilledRecord(6, 6);
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.txDeviation[1], c.code);
        EXPECT_EQ(out.rxGain[1], c.code);
        EXPECT_EQ(out.rssiOffThreshold, c.back) << c.threshold;
        EXPECT_EQ(out.rssiOnThreshold, c.back) << c.threshold;
    }
}

TEST_F(ImageFixture, PttTimeoutScaling) {
    struct Case { float seconds; int word; float back; };
    const Case cases[] = {
        {30.0f, 562, 30.0f},   // 562.5 to even
        {2.0f, 38, 2.0f},      // 37.5 to even
        {2.5f, 47, 2.5f},      // 46.875
        {0.0f, 0, 0.0f},
        {12.5f, 234, 12.5f},
        {0.33f, 6, 0.3f},      // tenths of a second come back
        {3495.2f, 65535, 3495.2f},
        {5000.0f, 65535, 3495.2f},  // too long for 16 bits: saturated
        {-1.0f, 0, 0.0f},
    };
    for (const auto& c : cases) {
        ModemParameters r = FilledRecord(6, 6);
        r.pttTimeout = c.seconds;
        const ParameterImage image = Pack(r);
        EXPECT_EQ(Word(image, 51), c.word) << c.seconds;
        ModemParameters out;
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_FLOAT_EQ(out.pttTimeout, c.back) << c.seconds;
    }
}

TEST_F(ImageFixture, TimingScalingAndLimit) {
    struct Case { std::int16_t t; int word; std::int16_t back; };
    const Case cases[] = {
        {10, 3072, 10}, {5, 1536, 5}, {30, 9216, 30}, {1, 307, 1}, {0, 0, 0},
        {213, 65434, 213},
        {214, 65434, 213},    // would not fit 16 bits: packs as 213
        {30000, 65434, 213},
        {-3, 0, 0},
    };
    for (const auto& c : cases) {
        ModemParameters r = FilledRecord(3, 4);
        r.t2Time[2] = c.t;
        const ParameterImage image = Pack(r);
        EXPECT_EQ(Word(image, 67 + 4), c.word) << c.t;
        ModemParameters out = FilledRecord(3, 4);
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.t2Time[2], c.back) << c.t;
        EXPECT_EQ(out.t2Time[4], 99);  // the fifth section does not travel
    }
}

TEST_F(ImageFixture, FilterBitOfPNet) {
    struct Case { std::int16_t network; std::int32_t bandwidth; std::int16_t baud; bool set; };
    const Case cases[] = {
        {networkNative, bandwidthFull, 0, true},  {networkNative, bandwidthFull, 1, true},
        {networkNative, bandwidthFull, 2, false}, {networkNative, bandwidthFull, 3, false},
        {networkNative, bandwidthHalf, 0, true},  {networkNative, bandwidthHalf, 1, false},
        {networkNative, bandwidthHalf, 2, false}, {networkNative, bandwidthCode2, 0, false},
        {networkOlderModems, bandwidthHalf, 2, true}, {networkCrystal, bandwidthFull, 2, true},
    };
    for (const auto& c : cases) {
        ModemParameters r = FilledRecord(6, 6);
        r.networkType = c.network;
        r.channelBandwidth = c.bandwidth;
        r.baudRate = c.baud;
        r.bt05 = c.set ? kFalse : kTrue;  // the record's own flag is not what travels
        const ParameterImage image = Pack(r);
        EXPECT_EQ((image[50] >> 2) & 1, c.set ? 1 : 0) << c.network << "/" << c.bandwidth << "/" << c.baud;
        ModemParameters out;
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.bt05, ToFlag(c.set));
    }
}

TEST_F(ImageFixture, RNetFilterBitIsReadButNeverWritten) {
    for (auto layout : {kV03, kV02}) {
        const int flagsB = layout[0] == 3 ? 48 : 64;
        ModemParameters r = FilledRecord(layout[0], layout[1]);
        r.bt05 = kTrue;
        ParameterImage image = Pack(r);
        EXPECT_EQ(image[flagsB] & 0x04, 0);
        ModemParameters out = FilledRecord(layout[0], layout[1]);
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.bt05, kFalse);
        image[flagsB] |= 0x04;
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.bt05, kTrue);
    }
}

TEST_F(ImageFixture, NetworkTypeRoundTrips) {
    struct Case { const std::int16_t* layout; std::int16_t in; std::int16_t out; Flag crystal; Flag rnet; };
    const Case cases[] = {
        {kPNet, networkOlderModems, networkOlderModems, kFalse, kTrue},
        {kPNet, networkCrystal, networkCrystal, kTrue, kTrue},
        {kPNet, networkNative, networkNative, kFalse, kFalse},
        // RNet layouts know older modems and crystal only; rNetDeviation does not travel.
        {kV03, networkNative, networkOlderModems, kFalse, kTrue},
        {kV03, networkCrystal, networkCrystal, kTrue, kTrue},
        {kV03, networkOlderModems, networkOlderModems, kFalse, kTrue},
        {kV02, networkNative, networkOlderModems, kFalse, kTrue},
        {kV02, networkCrystal, networkCrystal, kTrue, kTrue},
    };
    for (const auto& c : cases) {
        ModemParameters r = FilledRecord(c.layout[0], c.layout[1]);
        r.networkType = c.in;
        r.crystalTiming = c.in == networkCrystal ? kFalse : kTrue;  // plays no part in packing
        const ParameterImage image = Pack(r);
        ModemParameters out = FilledRecord(c.layout[0], c.layout[1]);
        out.rNetDeviation = kTrue;
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.networkType, c.out) << c.layout[0] << ": " << c.in;
        EXPECT_EQ(out.crystalTiming, c.crystal) << c.layout[0] << ": " << c.in;
        EXPECT_EQ(out.rNetDeviation, c.rnet) << c.layout[0] << ": " << c.in;
    }
}

TEST_F(ImageFixture, RateCodeBits) {
    struct Case { const std::int16_t* layout; std::int16_t baud; int bits; std::int16_t back; };
    const Case cases[] = {
        {kPNet, 0, 0, 0}, {kPNet, 2, 2, 2},
        {kPNet, 3, 3, 1},  // not a PNet rate: read back as 9600
        {kV03, 3, 3, 3}, {kV02, 3, 3, 3},
        {kV03, 5, 1, 1},   // only the two low bits travel
    };
    for (const auto& c : cases) {
        ModemParameters r = FilledRecord(c.layout[0], c.layout[1]);
        r.baudRate = c.baud;
        const int flagsB = c.layout[0] == 6 ? 50 : c.layout[0] == 3 ? 48 : 64;
        const ParameterImage image = Pack(r);
        EXPECT_EQ(image[flagsB] & 3, c.bits) << c.layout[0] << ": " << c.baud;
        ModemParameters out;
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.baudRate, c.back) << c.layout[0] << ": " << c.baud;
    }
}

TEST_F(ImageFixture, SignedByteAndByteSaturation) {
    struct Case { std::int16_t value; int byte; std::int16_t back; };
    const Case cases[] = {{-1, 255, -1}, {-128, 128, -128}, {127, 127, 127}, {0, 0, 0},
                          {-200, 128, -128}, {300, 127, 127}};
    for (const auto& c : cases) {
        ModemParameters r = FilledRecord(3, 4);
        r.rssiCalAdj = c.value;
        r.channelOverride = c.value;  // a plain byte: saturated to 0..255
        const ParameterImage image = Pack(r);
        EXPECT_EQ(image[27], c.byte) << c.value;
        EXPECT_EQ(image[35], c.value < 0 ? 0 : c.value > 255 ? 255 : c.value) << c.value;
        ModemParameters out;
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.rssiCalAdj, c.back) << c.value;
    }
}

TEST_F(ImageFixture, DerivedAndTableBytesSaturate) {
    for (auto layout : {kPNet, kV03, kV02}) {
        const int powerSet = layout[0] == 2 ? 405 : 373;
        ModemParameters r = FilledRecord(layout[0], layout[1]);
        r.powerAdjust[0] = 1000;  // scales the interpolated power past a byte
        r.powerAdjust[1] = -20;
        r.fcAdj.rxFc8[0] = 400;
        r.calTables.powerTable[5] = 256;
        r.calTables.rssiTable[6] = -1;
        const ParameterImage image = Pack(r);
        EXPECT_EQ(image[powerSet], 255) << layout[0];
        EXPECT_EQ(image[powerSet + 1], 0) << layout[0];
        EXPECT_EQ(image[11], 255) << layout[0];
        if (layout[0] == 2) continue;
        EXPECT_EQ(image[564 + 5], 255) << layout[0];
        EXPECT_EQ(image[432 + 6], 0) << layout[0];
    }
}

TEST_F(ImageFixture, CountersAndTableIdsKeepTheirLowSixteenBits) {
    ModemParameters r = FilledRecord(6, 6);
    r.numberOfWrites = 70000;
    r.calTables.powerTableId = 70000;
    r.peakPosition = 65536 + 307;
    const ParameterImage image = Pack(r);
    EXPECT_EQ(Word(image, 4), 4464);
    EXPECT_EQ(Word(image, 562), 4464);
    EXPECT_EQ(Word(image, 363), 307);
    ModemParameters out;
    ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
    EXPECT_EQ(out.numberOfWrites, 4464);
    EXPECT_EQ(out.calTables.powerTableId, 4464);
}

TEST_F(ImageFixture, SerialNumberAsFourBytes) {
    // The record's type holds every ID the four bytes can carry, and no other.
    struct Case { std::uint32_t id; int b[4]; bool packed; };
    const Case cases[] = {
        {4294967295u, {255, 255, 255, 255}, true},
        {1024, {0, 0, 4, 0}, true},
        {0, {0, 0, 0, 0}, true},
    };
    for (const auto& c : cases) {
        ModemParameters r = FilledRecord(6, 6);
        r.serialNumber = c.id;
        const ParameterImage image = Pack(r);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(image[6 + k], c.b[k]) << c.id << " byte " << k;
        if (!c.packed) continue;
        ModemParameters out;
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.serialNumber, c.id);
    }
}

TEST_F(ImageFixture, CommentBytes) {
    for (auto layout : {kPNet, kV03, kV02}) {
        const int at = layout[0] == 2 ? 419 : 387;
        ModemParameters r = FilledRecord(layout[0], layout[1]);
        r.comment = std::string(40, 'x') + "12345";  // 45 characters: cut at 40
        ParameterImage image = Pack(r);
        ModemParameters out;
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.comment, std::string(40, 'x'));
        EXPECT_EQ(r.comment.size(), 45u);  // the record keeps its text

        r.comment = "Hello";
        image = Pack(r);
        for (int k = 5; k < 40; ++k) EXPECT_EQ(image[at + k], 0);

        // A 0 byte ends nothing; a tab and a byte above "~" are dropped.
        const int bytes[] = {'A', 'B', 0, 'C', '\t', 'D', 0xE9, '\r', '\n', '~'};
        for (int k = 0; k < 40; ++k) image[at + k] = 0;
        for (int k = 0; k < 10; ++k) image[at + k] = static_cast<std::uint8_t>(bytes[k]);
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.comment, "ABCD\r\n~");
    }
    // Windows-1252 text travels as its bytes.
    ModemParameters r = FilledRecord(6, 6);
    r.comment = "Caf\xE9";
    EXPECT_EQ(Pack(r)[390], 0xE9);
}

TEST_F(ImageFixture, SetupTimeStampUnsignedAfter2038) {
    struct Case { std::int64_t nowLocal; std::uint32_t stamp; };
    const Case cases[] = {
        {kFixedNowLocal, static_cast<std::uint32_t>(kFixedNowLocal + 14400)},
        {-14400, 0},                              // 1969-12-31 20:00:00
        {2147483647, 2147498047u},                // 2038-01-19 03:14:07
        {4102444800, 4102459200u},                // 2100-01-01
    };
    for (auto layout : {kPNet, kV03, kV02}) {
        const int at = layout[0] == 2 ? 415 : 383;
        for (const auto& c : cases) {
            ModemParameters r = FilledRecord(layout[0], layout[1]);
            r.setupTime = 0;
            ParameterImage image{};
            ASSERT_TRUE(EncodeParameterImage(app, app, image, r, c.nowLocal).ok());
            EXPECT_EQ(r.setupTime, c.nowLocal);
            const std::uint32_t got = (static_cast<std::uint32_t>(image[at]) << 24) |
                                      (static_cast<std::uint32_t>(image[at + 1]) << 16) |
                                      (static_cast<std::uint32_t>(image[at + 2]) << 8) |
                                      static_cast<std::uint32_t>(image[at + 3]);
            EXPECT_EQ(got, c.stamp) << layout[0] << ": " << c.nowLocal;
            ModemParameters out;
            ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
            EXPECT_EQ(out.setupTime, c.nowLocal);
        }
    }
}

TEST_F(ImageFixture, SetupTimeComesFromTheScheduler) {
    VirtualScheduler clock;
    clock.setWallClock(1768471200);
    app.scheduler = &clock;
    ModemParameters r = FilledRecord(6, 6);
    ParameterImage image{};
    ASSERT_TRUE(EncodeParameterImage(app, app, app, image, r).ok());
    // The stamp is the local wall clock of the scheduler's instant.
    const std::time_t t = 1768471200;
    std::tm local{};
    localtime_r(&t, &local);
    EXPECT_EQ(r.setupTime, 1768471200 + local.tm_gmtoff);
}

TEST_F(ImageFixture, SignatureIsTheParameterSignature) {
    for (auto layout : {kPNet, kV03, kV02}) {
        const int at = layout[0] == 6 ? 93 : layout[0] == 3 ? 91 : 107;
        ModemParameters r = FilledRecord(layout[0], layout[1]);
        r.signature.fill(33);
        const ParameterImage image = Pack(r);
        const std::string expected = std::string("QuOrVaLiN") + '\0';
        for (int k = 0; k < 10; ++k) {
            EXPECT_EQ(image[at + k], static_cast<unsigned char>(expected[k])) << k;
            EXPECT_EQ(r.signature[k], static_cast<unsigned char>(expected[k])) << k;
        }
        EXPECT_EQ(r.signature[10], 33);  // entry 10 is never written
        ModemParameters out;
        out.signature.fill(5);
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        for (int k = 0; k < 10; ++k) EXPECT_EQ(out.signature[k], static_cast<unsigned char>(expected[k]));
        EXPECT_EQ(out.signature[10], 5);
    }
}

TEST_F(ImageFixture, BandEdges) {
    const auto& specs = app.testDefaults.radioSpecs;
    auto rx = [&](int type, int range, int point) { return specs[RadioSpecIndex(type, range, point)].rxFrequency; };
    struct Case { int type, range; bool highBand; std::int64_t low, high; bool readsHigh; };
    const Case cases[] = {
        {0, 5, false, rx(0, 5, 0), rx(0, 5, 2), false},
        {1, 3, false, rx(1, 3, 0), rx(1, 3, 2), false},
        {2, 9, true, rx(2, 9, 0), rx(2, 9, 2), false},
        {0, 0, false, rx(0, 0, 0), rx(0, 0, 0) + 16000000, false},
        {0, 0, true, rx(0, 0, 2) - 16000000, rx(0, 0, 2), rx(0, 0, 2) - 16000000 > rx(0, 0, 0) + 5000000},
        {3, 0, false, 0, 0, false},   // no table entry: both edges 0
        {0, 10, false, 0, 0, false},
    };
    for (auto layout : {kPNet, kV03, kV02}) {
        const int at = layout[0] == 3 ? 30 : 31;
        for (const auto& c : cases) {
            ModemParameters r = FilledRecord(layout[0], layout[1]);
            r.radioType = c.type;
            r.radioRange = c.range;
            r.highBand = ToFlag(c.highBand);
            const ParameterImage image = Pack(r);
            EXPECT_EQ(Word(image, at), c.low / 100000) << layout[0] << ": " << c.type << "/" << c.range;
            EXPECT_EQ(Word(image, at + 2), c.high / 100000) << layout[0] << ": " << c.type << "/" << c.range;
            ModemParameters out = FilledRecord(layout[0], layout[1]);
            out.highBand = ToFlag(!c.readsHigh);
            ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
            EXPECT_EQ(out.highBand, ToFlag(c.readsHigh)) << layout[0] << ": " << c.type << "/" << c.range;
        }
    }
    EXPECT_GT(rx(0, 0, 2) - 16000000, rx(0, 0, 0) + 5000000) << "the high band case should read back as high band";
}

TEST_F(ImageFixture, HighBandNeedsALowEdgeThatFitsThirtyTwoBits) {
    ModemParameters r = FilledRecord(6, 6);
    r.radioType = 0;
    r.radioRange = 0;
    r.highBand = kTrue;
    ParameterImage image = Pack(r);
    ModemParameters out;
    ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
    EXPECT_EQ(out.highBand, kTrue);
    image[31] = 21475 >> 8;  // 21475 x 100000 Hz overflows 32 bits
    image[32] = 21475 & 0xFF;
    ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
    EXPECT_EQ(out.highBand, kFalse);
    image[31] = 21474 >> 8;
    image[32] = 21474 & 0xFF;
    ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
    EXPECT_EQ(out.highBand, kTrue);
}

TEST_F(ImageFixture, RadioAndRangeCodes) {
    struct Case { int type, range; std::int32_t bandwidth; int radioCode, bandCode; int typeBack, rangeBack; };
    const Case cases[] = {
        {0, 0, 0, 20, 9, 0, 0},   {0, 1, 1, 200, 0, 0, 1},  {0, 4, 2, 140, 3, 0, 4},
        {0, 5, 1, 200, 5, 0, 5},  {0, 9, 1, 200, 100, 0, 9},
        {1, 0, 1, 180, 10, 1, 4}, {1, 4, 0, 40, 10, 1, 4},  {1, 5, 1, 180, 11, 1, 5},
        {1, 6, 2, 120, 12, 1, 6}, {1, 7, 1, 180, 13, 1, 7}, {1, 9, 1, 180, 13, 1, 7},
        {2, 0, 1, 160, 16, 2, 5}, {2, 9, 0, 80, 16, 2, 5},
    };
    for (auto layout : {kPNet, kV03, kV02}) {
        const int rangeAt = layout[0] == 3 ? 34 : 35;
        for (const auto& c : cases) {
            ModemParameters r = FilledRecord(layout[0], layout[1]);
            r.radioType = c.type;
            r.radioRange = c.range;
            r.channelBandwidth = c.bandwidth;
            const ParameterImage image = Pack(r);
            EXPECT_EQ(image[28], c.radioCode) << c.type << "/" << c.range;
            EXPECT_EQ(image[rangeAt], c.bandCode) << c.type << "/" << c.range;
            ModemParameters out;
            ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
            EXPECT_EQ(out.radioType, c.typeBack);
            EXPECT_EQ(out.radioRange, c.rangeBack) << c.type << "/" << c.range;
            EXPECT_EQ(out.channelBandwidth, c.bandwidth);
        }
    }
}

TEST_F(ImageFixture, RssiThresholdBytes) {
    // PNet and RNet V03 use the calibrated table when present; RNet V02 always the default curve.
    for (auto layout : {kPNet, kV03, kV02}) {
        const int at = layout[0] == 2 ? 413 : 381;
        const bool useDefault = layout[0] == 2;
        for (bool calibrated : {false, true}) {
            ModemParameters r = FilledRecord(layout[0], layout[1]);
            r.calTables.rssiTablePresent = ToFlag(calibrated);
            r.rssiOffThreshold = 25;
            r.rssiOnThreshold = 45;
            const ParameterImage image = Pack(r);
            EXPECT_EQ(image[at], RssiDbmToByte(app, r.calTables, 0, 25, useDefault)) << layout[0] << " " << calibrated;
            EXPECT_EQ(image[at + 1], RssiDbmToByte(app, r.calTables, 0, 45, useDefault)) << layout[0] << " " << calibrated;
            if (layout[0] == 6) continue;  // PNet takes its thresholds from the code bytes
            ModemParameters out = FilledRecord(layout[0], layout[1]);
            out.calTables.rssiTablePresent = ToFlag(!calibrated);
            ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
            std::int16_t offByte = image[at], onByte = image[at + 1];
            EXPECT_EQ(out.rssiOffThreshold, RssiByteToDbm(app, r.calTables, 0, offByte, useDefault));
            EXPECT_EQ(out.rssiOnThreshold, RssiByteToDbm(app, r.calTables, 0, onByte, useDefault));
        }
    }
    // The calibrated table makes a difference where the layout uses it.
    ModemParameters a = FilledRecord(3, 4), b = a;
    b.calTables.rssiTablePresent = kFalse;
    EXPECT_NE(Pack(a)[381], Pack(b)[381]);
    a = FilledRecord(2, 4);
    b = a;
    b.calTables.rssiTablePresent = kFalse;
    EXPECT_EQ(Pack(a)[413], Pack(b)[413]);
}

TEST_F(ImageFixture, RNetV02UnpackEmptiesTheCalibrationPart) {
    ModemParameters r = FilledRecord(2, 4);
    const ParameterImage image = Pack(r);
    ModemParameters out = FilledRecord(2, 4);
    ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
    EXPECT_EQ(out.calTables, CalTables{});
}

TEST_F(ImageFixture, FieldsALayoutDoesNotCarryKeepTheirValues) {
    ModemParameters source = FilledRecord(6, 6);
    for (auto layout : {kV03, kV02}) {
        source.eepromVersion = layout[0];
        source.model = layout[1];
        const ParameterImage image = Pack(source);
        // Every field apart from the source's, so a field the unpack wrote would show.
        ModemParameters out = EveryFieldChanged(source);
        out.eepromVersion = layout[0];
        out.model = layout[1];
        const ModemParameters before = out;
        ASSERT_TRUE(DecodeParameterImage(app, app, out, image).ok());
        EXPECT_EQ(out.masterDeviation, before.masterDeviation);
        EXPECT_EQ(out.masterRxGain, before.masterRxGain);
        EXPECT_EQ(out.txDeviation, before.txDeviation);
        EXPECT_EQ(out.rxGain, before.rxGain);
        EXPECT_EQ(out.qMastOption, before.qMastOption);
        EXPECT_EQ(out.rNetDeviation, before.rNetDeviation);
        EXPECT_EQ(out.txDivisorTest, before.txDivisorTest);
        EXPECT_EQ(out.rxDivisorTest, before.rxDivisorTest);
        EXPECT_EQ(out.peakPosition, before.peakPosition);
        EXPECT_EQ(out.t1Time[4], before.t1Time[4]);
        EXPECT_EQ(out.rxClampTime[4], before.rxClampTime[4]);
    }
}

}  // namespace
}  // namespace k45::test
