#include <gtest/gtest.h>

#include <string>

#include "radio/radio_codes.h"
#include "radio/synthesizer.h"
#include "radio_fixture.h"

namespace k45 {
namespace {

using test::Bytes;
using test::Mirrored;

class SynthWords : public testing::Test {
protected:
    test::RadioWorld w;
    const AppState& app() { return w.app; }

    SynthBytes encode(bool sa7026, std::int32_t f, int type, int range, bool tx, std::int16_t fcOverride = -1,
                      const FcAdjustTable& fc = FcAdjustTable{}) {
        SynthBytes out;
        out.fill(0x5A5);  // every slot must be rewritten
        CalcSynthWords(app(), app(), out, f, type, range, tx, sa7026, fc, fcOverride);
        return out;
    }
    std::int32_t decode(bool sa7026, const SynthBytes& b, int type, int range) {
        return SynthWordsToFreq(b, type, range, sa7026);
    }
    // The registers R0..R12 behind delivered bytes (the mirror is its own inverse).
    static std::array<int, 13> Registers(const SynthBytes& out) {
        std::array<int, 13> in{};
        for (size_t i = 0; i < 13; ++i) in[i] = out[i];
        SynthBytes r = Mirrored(in);
        std::array<int, 13> regs{};
        for (size_t i = 0; i < 13; ++i) regs[i] = r[i];
        return regs;
    }
};

// ---- worked examples: register bytes, delivered bytes and the way back ----

struct WordCase {
    const char* name;
    bool sa7026;
    int type, range;
    bool tx;
    std::int32_t frequency;
    std::int16_t cnOrFc;
    std::array<int, 13> registers;
    std::int32_t decoded;
};

class SynthWordExamples : public SynthWords, public testing::WithParamInterface<WordCase> {};

TEST_P(SynthWordExamples, RegistersMirroredAndDecoded) {
    const WordCase& c = GetParam();
    std::int16_t fcOverride = -1;
    if (c.sa7026)
        fcOverride = c.cnOrFc;
    else
        w.setCn(c.type, c.range, c.tx, c.cnOrFc);
    SynthBytes out = encode(c.sa7026, c.frequency, c.type, c.range, c.tx, fcOverride);
    EXPECT_EQ(out, Mirrored(c.registers));
    EXPECT_EQ(Registers(out), c.registers);
    EXPECT_EQ(decode(c.sa7026, out, c.type, c.range), c.decoded);
}

INSTANTIATE_TEST_SUITE_P(
    Words, SynthWordExamples,
    testing::Values(
        WordCase{"Sa7025Type0Tx", false, 0, 5, true, 450000000, 100,
                 {0x01, 0x00, 0x62, 0x28, 0x80, 0x64, 0x01, 0x90, 0x00, 0x80, 0xA1, 0x5E, 0x22}, 450000000},
        WordCase{"Sa7025Type0Rx", false, 0, 5, false, 450000000, 100,
                 {0x00, 0x00, 0x90, 0x0B, 0x80, 0x64, 0x01, 0x90, 0x00, 0x80, 0xA1, 0x5E, 0x22}, 450000000},
        WordCase{"Sa7025Type1Range6Rx", false, 1, 6, false, 180002500, 90,
                 {0x08, 0x50, 0x98, 0x20, 0x80, 0x5A, 0x02, 0x94, 0x47, 0x80, 0xA3, 0x6B, 0x26}, 180002500},
        WordCase{"Sa7026Type0Tx", true, 0, 5, true, 450000000, 123,
                 {0x01, 0x00, 0x8C, 0xA0, 0x55, 0xEA, 0x7B, 0x80, 0x00, 0x00, 0xC0, 0x00, 0x00}, 450000000},
        WordCase{"Sa7026Type2Range5Rx", true, 2, 5, false, 900000000, 123,
                 {0x02, 0x00, 0xFD, 0xCC, 0x55, 0xEB, 0x7B, 0x86, 0xD4, 0x00, 0xC0, 0x00, 0x00}, 900000000}),
    [](const testing::TestParamInfo<WordCase>& i) { return std::string(i.param.name); });

TEST_F(SynthWords, DeliveredBytesOfTheSa7025Examples) {
    w.setCn(0, 5, true, 100);
    w.setCn(0, 5, false, 100);
    EXPECT_EQ(encode(false, 450000000, 0, 5, true),
              Bytes({0x44, 0x7A, 0x85, 0x01, 0x00, 0x09, 0x80, 0x26, 0x01, 0x14, 0x46, 0x00, 0x80}));
    EXPECT_EQ(encode(false, 450000000, 0, 5, false),
              Bytes({0x44, 0x7A, 0x85, 0x01, 0x00, 0x09, 0x80, 0x26, 0x01, 0xD0, 0x09, 0x00, 0x00}));
}

TEST_F(SynthWords, DeliveredBytesOfTheSa7026Example) {
    EXPECT_EQ(encode(true, 450000000, 0, 5, true, 123),
              Bytes({0x00, 0x00, 0x03, 0x00, 0x00, 0x01, 0xDE, 0x57, 0xAA, 0x05, 0x31, 0x00, 0x80}));
}

// ---- off the grid ----

TEST_F(SynthWords, Sa7025SnapsAnOffGridLoDownToItsGrid) {
    // Type 1, ranges 6..8: 2.5 kHz grid.
    EXPECT_EQ(decode(false, encode(false, 180001000, 1, 6, false), 1, 6), 180000000);
    // Type 1, ranges 0..5: the SA7025 snaps to 6.25 kHz.
    SynthBytes b = encode(false, 220001000, 1, 4, true);
    EXPECT_EQ(decode(false, b, 1, 4), 220000000);
    EXPECT_NE(Registers(b)[12] & 0x02, 0) << "snapped to a modulus-8 grid";
}

TEST_F(SynthWords, Sa7026SnapsType1LowRangesToThe7p5kHzGrid) {
    SynthBytes b = encode(true, 220001000, 1, 4, true, 50);
    EXPECT_EQ(decode(true, b, 1, 4), 219997500);
    EXPECT_NE(Registers(b)[1] & 0x20, 0) << "modulus-5 bit";
}

TEST_F(SynthWords, Sa7026FcColumnFollowsTheUnsnappedLo) {
    FcAdjustTable fc;
    fc.txFc8 = {10, 10, 10};
    fc.txFc5 = {20, 20, 20};
    // Off every grid: the FC 8 value is used although the word carries modulus 5.
    std::array<int, 13> r = Registers(encode(true, 220001000, 1, 4, true, -1, fc));
    EXPECT_EQ(r[6], 10);
    EXPECT_NE(r[1] & 0x20, 0);
    // On the 10 kHz grid only: modulus 5 and the FC 5 value.
    r = Registers(encode(true, 220010000, 1, 4, true, -1, fc));
    EXPECT_EQ(r[6], 20);
    EXPECT_NE(r[1] & 0x20, 0);
}

TEST_F(SynthWords, Sa7026FcOverrideGoesIntoR6Unchanged) {
    FcAdjustTable fc;
    fc.txFc8 = {200, 200, 200};
    for (std::int16_t v : {0, 1, 77, 255})
        EXPECT_EQ(Registers(encode(true, 450000000, 0, 5, true, v, fc))[6], v);
    EXPECT_EQ(Registers(encode(true, 450000000, 0, 5, true, -1, fc))[6], 200);
}

TEST_F(SynthWords, Sa7026FcInterpolatedFromTheAdjustTable) {
    // Type 0 range 5 spans 450/460/470 MHz; 455 MHz lies halfway between Low and Mid.
    FcAdjustTable fc;
    fc.txFc8 = {100, 110, 200};
    EXPECT_EQ(Registers(encode(true, 455000000, 0, 5, true, -1, fc))[6], 105);
    EXPECT_EQ(Sa7026GetFcValue(app(), 465000000, 0, 5, true, fc), 155);
}

// ---- register details ----

TEST_F(SynthWords, Type2R0Bit1FollowsTheChannelFrequencyNotTheLo) {
    for (bool sa7026 : {false, true}) {
        for (bool tx : {false, true}) {
            EXPECT_NE(Registers(encode(sa7026, 943999999, 2, 5, tx))[0] & 0x02, 0);
            EXPECT_EQ(Registers(encode(sa7026, 944000000, 2, 5, tx))[0] & 0x02, 0);
        }
    }
}

TEST_F(SynthWords, PrescalerMode2WithSmallRemainderUsesTheB7Form) {
    // N = 64 x 300 + 3: B = 7, A = 3, M = 300 - 4 - 3 - 7.
    const std::int32_t f = 50000 * (64 * 300 + 3);
    SynthBytes b = encode(false, f, 2, 5, true);
    std::array<int, 13> r = Registers(b);
    EXPECT_EQ(r[3], 0x73);
    EXPECT_EQ(((r[1] & 0x0F) << 8) | r[2], 286);
    EXPECT_EQ(decode(false, b, 2, 5), f);
}

TEST_F(SynthWords, ModulusBitsOfBothChips) {
    // 50 kHz multiple: modulus 8. 10 kHz but not 6.25 kHz multiple: modulus 5.
    EXPECT_NE(Registers(encode(false, 450050000, 0, 5, true))[12] & 0x02, 0);
    EXPECT_EQ(Registers(encode(false, 450010000, 0, 5, true))[12] & 0x02, 0);
    // The SA7026's bit has the opposite polarity.
    EXPECT_EQ(Registers(encode(true, 450050000, 0, 5, true))[1] & 0x20, 0);
    EXPECT_NE(Registers(encode(true, 450010000, 0, 5, true))[1] & 0x20, 0);
}

TEST_F(SynthWords, The2p5kHzGridOfTypes0And2NeedsEngineerMode) {
    for (int type : {0, 2}) {
        const std::int32_t f = type == 0 ? 450002500 : 930002500;
        SCOPED_TRACE(type);
        w.app.engineerMode = false;
        EXPECT_EQ(decode(false, encode(false, f, type, 5, true), type, 5), f - 2500);
        w.app.engineerMode = true;
        SynthBytes b = encode(false, f, type, 5, true);
        EXPECT_EQ(decode(false, b, type, 5), f);
        std::array<int, 13> r = Registers(b);
        EXPECT_EQ(((r[10] & 0x0F) << 8) | r[11], 875) << "reference divider for 20 kHz";
        EXPECT_EQ(decode(true, encode(true, f, type, 5, true), type, 5), f);
    }
}

TEST_F(SynthWords, Type2AuxiliaryDividerRoundsHalfToEven) {
    // 87 400 000 / (4 x 20 000) = 1092.5 -> 1092.
    w.app.engineerMode = true;
    std::array<int, 13> r = Registers(encode(false, 930002500, 2, 5, true));
    EXPECT_EQ(((r[7] & 0x0F) << 8) | r[8], 1092);
    EXPECT_EQ(r[9], 0x00) << "prescale factor 4";
}

TEST_F(SynthWords, CnValueInterpolation) {
    // Type 0 range 5 Tx CN: 86 at 450, 88 at 460, 91 at 470 MHz.
    EXPECT_EQ(Sa7025GetCnValue(app(), 460000000, 0, 5, true), 88);
    EXPECT_EQ(Sa7025GetCnValue(app(), 465000000, 0, 5, true), 90);  // 89.5 -> 90
    EXPECT_EQ(Sa7025GetCnValue(app(), 455000000, 0, 5, true), 87);
    // Extrapolation stops one segment width below Low: 86 - 2 = 84.
    EXPECT_EQ(Sa7025GetCnValue(app(), 440000000, 0, 5, true), 84);
    EXPECT_EQ(Sa7025GetCnValue(app(), 100000000, 0, 5, true), 84);
    // Rx column.
    EXPECT_EQ(Sa7025GetCnValue(app(), 460000000, 0, 5, false), 98);
    // Low and Mid frequencies equal: the rounded mean of their values.
    w.entry(0, 5, 1).txFrequency = 450000000;
    w.entry(0, 5, 0).txCn = 85;
    w.entry(0, 5, 1).txCn = 88;
    EXPECT_EQ(Sa7025GetCnValue(app(), 440000000, 0, 5, true), 86);  // 86.5 -> 86
    // The result is held to 0..255.
    w.entry(0, 5, 2).txCn = 900;
    EXPECT_EQ(Sa7025GetCnValue(app(), 470000000, 0, 5, true), 255);
    EXPECT_EQ(Sa7025GetCnValue(app(), 460000000, 3, 5, true), 0);
    EXPECT_EQ(Sa7025GetCnValue(app(), 460000000, 0, 10, true), 0);
}

TEST_F(SynthWords, InvalidTypeOrRangeGivesZeroWords) {
    SynthBytes zero{};
    EXPECT_EQ(encode(false, 450000000, 3, 5, true), zero);
    EXPECT_EQ(encode(true, 450000000, -1, 5, true), zero);
    EXPECT_EQ(encode(false, 450000000, 0, 10, true), zero);
}

TEST_F(SynthWords, DecodersNeverFailOnArbitraryBytes) {
    SynthBytes zero{};
    EXPECT_EQ(decode(false, zero, 0, 5), 0) << "reference divider 0";
    EXPECT_EQ(decode(true, zero, 0, 5), 0);
    SynthBytes ones;
    ones.fill(0xFF);
    // Every divider field is non-zero: some frequency comes out, without overflow.
    EXPECT_GT(decode(false, ones, 1, 3), 0);
    EXPECT_GT(decode(true, ones, 2, 9), 0);
    // Bytes above 255 count only by their low 8 bits.
    SynthBytes b = encode(false, 450000000, 0, 5, true);
    SynthBytes high = b;
    for (auto& v : high) v = static_cast<std::int16_t>(v | 0x700);
    EXPECT_EQ(decode(false, high, 0, 5), 450000000);
}

TEST_F(SynthWords, MirrorReversesBytesAndBits) {
    std::array<std::int16_t, 3> src{0x01, 0x80, 0x0F}, dst{};
    MirrorSynthBytes(dst, src, 3);
    EXPECT_EQ(dst, (std::array<std::int16_t, 3>{0xF0, 0x01, 0x80}));
    // n is cut to the buffers.
    std::array<std::int16_t, 2> small{};
    MirrorSynthBytes(small, src, 3);
    EXPECT_EQ(small, (std::array<std::int16_t, 2>{0x01, 0x80}));
}

// ---- both chips, every type and range: the decoder inverts the encoder ----

struct GridGroup {
    std::vector<int> steps;  // LO multiples that stay where they are
    int snapSa7025;
    int snapSa7026;
};

GridGroup GroupOf(int type, int range, bool engineer) {
    if (type == 1 && range >= 6 && range <= 8) return {{2500, 4000}, 2500, 2500};
    if (type == 1 && range == 9) return {{6250, 10000, 5000}, 6250, 6250};
    if (type == 1) return {{6250, 10000, 7500, 5000}, 6250, 7500};
    if (engineer) return {{6250, 10000, 5000, 2500}, 6250, 6250};
    return {{6250, 10000, 5000}, 6250, 6250};
}

TEST_F(SynthWords, RoundTripOverEveryTypeRangeAndDirection) {
    for (bool engineer : {false, true}) {
        w.app.engineerMode = engineer;
        for (bool sa7026 : {false, true}) {
            for (int type = 0; type < 3; ++type) {
                for (int range = 0; range < 10; ++range) {
                    const GridGroup g = GroupOf(type, range, engineer);
                    const std::int64_t snap = sa7026 ? g.snapSa7026 : g.snapSa7025;
                    for (bool tx : {false, true}) {
                        const std::int32_t mid = w.entry(type, range, 1).txFrequency;
                        const std::int64_t offset = tx ? 0 : RxFrequencyOffset(type);
                        for (std::int32_t delta : {0, 1000, 2500, 3000, 4000, 5000, 6250, 7500, 8000, 10000, 12500,
                                                   17500, 20000, 37500, 41000, 999999, 1234567}) {
                            const std::int32_t f = mid + delta;
                            SCOPED_TRACE(testing::Message() << "chip " << (sa7026 ? 7026 : 7025) << " type " << type
                                                            << " range " << range << (tx ? " Tx " : " Rx ") << f
                                                            << (engineer ? " engineer" : ""));
                            const SynthBytes b = encode(sa7026, f, type, range, tx);
                            const std::int32_t back = decode(sa7026, b, type, range);
                            const std::int64_t lo = f + offset;
                            bool onGrid = false;
                            for (int s : g.steps) onGrid = onGrid || lo % s == 0;
                            if (onGrid) {
                                EXPECT_EQ(back, f);
                            } else {
                                EXPECT_EQ(back + offset, lo - lo % snap);
                                // The snapped frequency is on the grid and stays where it is.
                                EXPECT_EQ(decode(sa7026, encode(sa7026, back, type, range, tx), type, range), back);
                            }
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace k45
