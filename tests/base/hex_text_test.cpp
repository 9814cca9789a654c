#include "base/hex_text.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

using namespace k45;

TEST(HexText, NumbersToFixedWidthText) {
    struct Case { std::int32_t value; const char* b2; const char* w4; const char* l6; };
    const Case cases[] = {
        {0, "00", "0000", "000000"},
        {10, "0A", "000A", "00000A"},
        {255, "FF", "00FF", "0000FF"},
        {256, "00", "0100", "000100"},     // low 8 bits only
        {300, "2C", "012C", "00012C"},
        {4660, "34", "1234", "001234"},
        {65536, "00", "0000", "010000"},
        {16777215, "FF", "FFFF", "FFFFFF"},
        {-1, "0F", "000F", "00000F"},     // truncation toward zero, not two's complement
        {-300, "E4", "0FE4", "000FE4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ByteToHex2(c.value), c.b2);
        EXPECT_EQ(WordToHex4(c.value), c.w4);
        EXPECT_EQ(Long24ToHex6(c.value), c.l6);
    }
}

TEST(HexText, LongToHex8) {
    struct Case { std::uint32_t value; const char* text; };
    const Case cases[] = {
        {0, "00000000"},          {1024, "00000400"},      {4294967295u, "FFFFFFFF"},
        {305419896, "12345678"},  {0xA0B0C0D0u, "A0B0C0D0"},
        // A negative int arrives as its two's complement.
        {static_cast<std::uint32_t>(-1), "FFFFFFFF"},
        {static_cast<std::uint32_t>(INT32_MIN), "80000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(LongToHex8(c.value), c.text);
    }
}

TEST(HexText, TextToNumbersPadsAndCountsNonDigitsAsZero) {
    struct Case { const char* text; int digit; int byte; std::int32_t word; std::uint32_t lng; };
    const Case cases[] = {
        {"", 0, 0, 0, 0},
        {"A", 10, 10, 10, 10},            // read as "0A"
        {"ff", 15, 255, 255, 255},
        {"1G", 1, 16, 16, 16},            // "G" counts as 0
        {"g", 0, 0, 0, 0},
        {"ABC", 10, 171, 2748, 2748},
        {"12345", 1, 18, 4660, 74565},    // characters after the width are ignored
        {"FFFFFFFF", 15, 255, 65535, 4294967295u},
        {"123456789", 1, 18, 4660, 305419896},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(HexDigitValue(c.text), c.digit);
        EXPECT_EQ(HexToByte(c.text), c.byte);
        EXPECT_EQ(HexToWord(c.text), c.word);
        EXPECT_EQ(HexToLong(c.text), c.lng);
    }
}

TEST(HexText, StringToHexText) {
    EXPECT_EQ(StringToHexText("AB"), "41 42 ");
    EXPECT_EQ(StringToHexText(""), "");
    EXPECT_EQ(StringToHexText(std::string("\xFF\0\r", 3)), "FF 00 0D ");
}

TEST(HexText, ParseHexBytes) {
    struct Case { const char* text; std::vector<int> bytes; };
    const Case cases[] = {
        {"12 34", {18, 52}},      {"1234", {18, 52}},     {"123", {18, 3}},
        {"1 2,3", {1, 2, 3}},     {"1,,2", {1, 2}},       {"0x1F", {1, 15}},
        {"", {}},                 {"a  b", {10, 11}},     {"zz", {}},
        {"ABCDEF0", {0xAB, 0xCD, 0xEF, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::array<std::int16_t, 8> target;
        target.fill(-7);
        const int next = ParseHexBytes(target, c.text, 0);
        ASSERT_EQ(next, static_cast<int>(c.bytes.size()));
        for (size_t i = 0; i < target.size(); ++i)
            EXPECT_EQ(target[i], i < c.bytes.size() ? c.bytes[i] : -7) << "at " << i;
    }
}

TEST(HexText, ParseHexBytesCountsButNeverStoresOutsideTheArray) {
    std::array<std::int16_t, 2> target{-7, -7};
    EXPECT_EQ(ParseHexBytes(target, "01 02 03", 1), 4);
    EXPECT_EQ(target[0], -7);
    EXPECT_EQ(target[1], 1);
    EXPECT_EQ(ParseHexBytes(target, "AA BB", -1), 1);
    EXPECT_EQ(target[0], 0xBB);
    EXPECT_EQ(ParseHexBytes(std::span<std::int16_t>(), "AA", 5), 6);
}

TEST(HexText, UnitIdLetters) {
    struct Case { std::uint32_t id; const char* letters; };
    const Case cases[] = {
        {4660, "ABCD"}, {16, "AP"}, {0, "P"}, {4294967295u, "OOOOOOOO"}, {1024, "DPP"}, {0x80000001u, "HPPPPPPA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(UnitIdToLetters(c.id), c.letters);
        EXPECT_EQ(NibblesToLong(c.letters), c.id);
    }
    EXPECT_EQ(NibblesToLong("AAAAAAAAA"), 286331153u);  // only the first eight count
    EXPECT_EQ(NibblesToLong(""), 0u);
}

// A station number typed or computed as a floating value gives letters only when it is a unit
// ID; anything else gives none rather than the letters of some wrapped value.
TEST(HexText, UnitIdLettersOfAFloatingNumber) {
    struct Case { double id; const char* letters; };
    const Case cases[] = {
        {4660.0, "ABCD"}, {0.0, "P"}, {4294967295.0, "OOOOOOOO"},
        {-1.0, ""}, {-0.5, ""}, {4294967296.0, ""}, {1e300, ""}, {12.5, ""},
        {NAN, ""}, {INFINITY, ""}, {-INFINITY, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(UnitIdToLetters(c.id), c.letters);
    }
    EXPECT_EQ(UnitIdToLetters(16.0f), "AP");
    EXPECT_EQ(UnitIdToLetters(4294967296.0f), "");
    EXPECT_EQ(UnitIdToLetters(-3.0f), "");
}
