#include <gtest/gtest.h>

#include "radio/radio_codes.h"

namespace k45 {
namespace {

TEST(RadioCode, EveryTableCodeDecodesToItsRowAndColumnAndEncodesBack) {
    const int table[3][3] = {{20, 200, 140}, {40, 180, 120}, {80, 160, 100}};
    for (int type = 0; type < 3; ++type) {
        for (int bw = 0; bw < 3; ++bw) {
            SCOPED_TRACE(testing::Message() << "type " << type << " bandwidth " << bw);
            ModemParameters rec;
            rec.radioType = 9;
            rec.channelBandwidth = 9;
            DecodeRadioCode(rec, static_cast<std::int16_t>(table[type][bw]));
            EXPECT_EQ(rec.radioType, type);
            EXPECT_EQ(rec.channelBandwidth, bw);
            EXPECT_EQ(EncodeRadioCode(type, bw), table[type][bw]);
        }
    }
}

TEST(RadioCode, UnknownCodesDecodeToType0Half) {
    for (std::int16_t code : {0, 19, 21, 60, 199, 201, 255, -1}) {
        ModemParameters rec;
        rec.radioType = 2;
        rec.channelBandwidth = 0;
        DecodeRadioCode(rec, code);
        EXPECT_EQ(rec.radioType, 0) << code;
        EXPECT_EQ(rec.channelBandwidth, 1) << code;
    }
}

TEST(RadioCode, OddBandwidthsAndTypesFallBackToFirstColumnAndRow) {
    EXPECT_EQ(EncodeRadioCode(1, 3), 40);
    EXPECT_EQ(EncodeRadioCode(2, -1), 80);
    EXPECT_EQ(EncodeRadioCode(7, 1), 200);
    EXPECT_EQ(EncodeRadioCode(-1, 2), 140);
}

struct RangeCase {
    int type;
    int range;
    int code;       // written
    int readBack;   // range decoded from that code
};

class RangeCodeTable : public testing::TestWithParam<RangeCase> {};

TEST_P(RangeCodeTable, EncodesAndReadsBackAsTabled) {
    const RangeCase& c = GetParam();
    EXPECT_EQ(EncodeRangeCode(c.type, c.range), c.code);
    EXPECT_EQ(DecodeRangeCode(c.type, static_cast<std::int16_t>(c.code)), c.readBack);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, RangeCodeTable,
    testing::Values(
        // Type 0 is a bijection over 0..9.
        RangeCase{0, 0, 9, 0}, RangeCase{0, 1, 0, 1}, RangeCase{0, 2, 1, 2}, RangeCase{0, 3, 2, 3},
        RangeCase{0, 4, 3, 4}, RangeCase{0, 5, 5, 5}, RangeCase{0, 6, 6, 6}, RangeCase{0, 7, 7, 7},
        RangeCase{0, 8, 8, 8}, RangeCase{0, 9, 100, 9},
        // Type 1 is lossy.
        RangeCase{1, 0, 10, 4}, RangeCase{1, 3, 10, 4}, RangeCase{1, 4, 10, 4}, RangeCase{1, 5, 11, 5},
        RangeCase{1, 6, 12, 6}, RangeCase{1, 7, 13, 7}, RangeCase{1, 8, 13, 7}, RangeCase{1, 9, 13, 7},
        // Type 2 stores one code for every range.
        RangeCase{2, 0, 16, 5}, RangeCase{2, 4, 16, 5}, RangeCase{2, 9, 16, 5},
        // Out-of-table arguments give 5.
        RangeCase{0, 10, 5, 5}, RangeCase{0, -1, 5, 5}, RangeCase{1, 10, 5, 5}, RangeCase{3, 2, 5, 5}));

TEST(RangeCode, CodesNoEncoderWritesReadAsRange5) {
    EXPECT_EQ(DecodeRangeCode(0, 4), 5);
    EXPECT_EQ(DecodeRangeCode(0, 10), 5);
    EXPECT_EQ(DecodeRangeCode(1, 9), 5);
    EXPECT_EQ(DecodeRangeCode(1, 14), 5);
    EXPECT_EQ(DecodeRangeCode(2, 15), 5);
    EXPECT_EQ(DecodeRangeCode(-1, 9), 5);
    EXPECT_EQ(DecodeRangeCode(3, 16), 5);
}

TEST(RxOffset, PerTypeAndType0ForOthers) {
    EXPECT_EQ(RxFrequencyOffset(0), 52950000);
    EXPECT_EQ(RxFrequencyOffset(1), 21450000);
    EXPECT_EQ(RxFrequencyOffset(2), -87850000);
    EXPECT_EQ(RxFrequencyOffset(5), 52950000);
}

}  // namespace
}  // namespace k45
