#include "base/utilities.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <ctime>
#include <memory>
#include <vector>

#include "support/virtual_scheduler.h"

using namespace k45;

namespace {
const LocaleInfo kPoint{".", "-"};
const LocaleInfo kComma{",", "-"};
}  // namespace

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {2.4999, 2}, {2.5001, 3}, {-7.6, -8}, {1e300, 1e300},
    };
    for (auto [in, out] : cases) {
        SCOPED_TRACE(in);
        EXPECT_EQ(RoundHalfEven(in), out);
        EXPECT_FALSE(std::signbit(RoundHalfEven(in)) && out == 0);  // no "-0" in texts built from it
    }
}

TEST(Paths, PartsAcceptBothSeparators) {
    struct Case { const char* path; const char* dir; const char* name; };
    const Case cases[] = {
        {"C:\\data\\unit.dat", "C:\\data", "unit.dat"},
        {"/home/op/unit.dat", "/home/op", "unit.dat"},
        {"C:\\data/sub\\x.dat", "C:\\data/sub", "x.dat"},
        {"unit.dat", "/opt/k45", "unit.dat"},   // no folder: the program folder
        {"\\unit.dat", "", "unit.dat"},
        {"/", "", ""},
        {"", "/opt/k45", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetDirectoryPart(c.path, "/opt/k45"), c.dir);
        EXPECT_EQ(GetFileNamePart(c.path), c.name);
    }
}

TEST(Paths, NamesAndText) {
    using namespace std::string_literals;
    EXPECT_EQ(StripTrailingNull("  name.dat\0"s), "name.dat");
    EXPECT_EQ(StripTrailingNull("name.dat\0\0"s), "name.dat\0"s);  // only the last one goes
    EXPECT_EQ(StripTrailingNull(" a b "), "a b");
    EXPECT_EQ(StripTrailingNull(""), "");

    struct Ext { const char* path; const char* ext; const char* result; };
    const Ext ext[] = {
        {"C:\\data\\default.dat", "k45", "default.k45"},
        {"C:\\a.b\\unit.tar.gz", "dat", "unit.dat"},     // the first "." of the name counts
        {"/home/a.b/unit.tar.gz", "dat", "unit.dat"},
        {"C:\\data\\unit", "dat", "unitdat"},
        {"C:\\data\\", "k45", "k45"},
    };
    for (const Ext& e : ext) {
        SCOPED_TRACE(e.path);
        EXPECT_EQ(ChangeExtension(e.path, e.ext), e.result);
    }

    EXPECT_EQ(TextBeforeBar("App|Topic"), "App");
    EXPECT_EQ(TextBeforeBar("App"), "App");
    EXPECT_EQ(TextBeforeBar("|Topic"), "");
}

TEST(NumberText, ConversionsUnderTheLocale) {
    struct Case { const char* text; const LocaleInfo* locale; std::optional<double> number; std::optional<int> int16; };
    const Case cases[] = {
        {"12", &kPoint, 12, 12},
        {" -3 ", &kPoint, -3, -3},
        {"+5", &kPoint, 5, 5},
        {"2.5", &kPoint, 2.5, 2},         // halves to even
        {"3.5", &kPoint, 3.5, 4},
        {"-2.5", &kPoint, -2.5, -2},
        {"1E+3", &kPoint, 1000, 1000},
        {"1e-1", &kPoint, 0.1, 0},
        {".5", &kPoint, 0.5, 0},
        {"32767.4", &kPoint, 32767.4, 32767},
        {"40000", &kPoint, 40000, std::nullopt},   // does not fit: refused
        {"-32768", &kPoint, -32768, -32768},
        {"1,5", &kComma, 1.5, 2},
        {"1.5", &kComma, std::nullopt, std::nullopt},  // not this locale's notation
        {"1,5", &kPoint, std::nullopt, std::nullopt},
        {"abc", &kPoint, std::nullopt, std::nullopt},
        {"", &kPoint, std::nullopt, std::nullopt},
        {"-", &kPoint, std::nullopt, std::nullopt},
        {"1.2.3", &kPoint, std::nullopt, std::nullopt},
        {"1E", &kPoint, std::nullopt, std::nullopt},
        {"1E999", &kPoint, std::nullopt, std::nullopt},
        {"0x10", &kPoint, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextToDouble(c.text, *c.locale), c.number);
        const auto i = TextToInt16(c.text, *c.locale);
        EXPECT_EQ(i.has_value(), c.int16.has_value());
        if (i && c.int16) {
            EXPECT_EQ(*i, *c.int16);
        }
    }
    EXPECT_EQ(TextToInt32("2147483647", kPoint), 2147483647);
    EXPECT_EQ(TextToInt32("2147483648", kPoint), std::nullopt);
    EXPECT_EQ(TextToSingle("1E39", kPoint), std::nullopt);
    EXPECT_EQ(TextToSingle("0,25", kComma), 0.25f);
    LocaleInfo unicodeMinus{",", "\xE2\x88\x92"};
    EXPECT_EQ(TextToDouble("\xE2\x88\x92" "2,5", unicodeMinus), -2.5);
}

TEST(NumberText, Booleans) {
    const std::pair<const char*, std::optional<bool>> cases[] = {
        {"True", true}, {"false", false}, {" TRUE ", true}, {"-1", true}, {"0", false}, {"yes", std::nullopt}, {"", std::nullopt},
    };
    for (auto [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(TextToBool(text, kPoint), value);
    }
}

namespace {
struct SplitCase {
    const char* text;
    int size;
    int start;
    std::vector<int> expected;  // whole array after the split; the array starts filled with -7
    int next;
};

template <class Split>
void RunSplitCases(const std::vector<SplitCase>& cases, Split split) {
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " from " + std::to_string(c.start));
        std::vector<std::int16_t> target(static_cast<size_t>(c.size), -7);
        EXPECT_EQ(split(std::span<std::int16_t>(target), c.text, c.start), c.next);
        EXPECT_EQ(std::vector<int>(target.begin(), target.end()), c.expected);
    }
}
}  // namespace

TEST(Lists, SplitToIntArray) {
    RunSplitCases(
        {
            {"1,2,3", 4, 0, {1, 2, 3, -7}, 3},
            {"7", 7, 5, {-7, -7, -7, -7, -7, 7, -7}, 6},
            {"", 3, 0, {-7, -7, -7}, 0},
            {"1,2,3", 2, 0, {1, 2}, 2},              // stops once past the end
            {"1,x,3", 3, 0, {1, -7, 3}, 3},          // not a number: element unchanged
            {"1,", 3, 0, {1, -7, -7}, 2},            // trailing delimiter: an empty last item
            {"2.5,3.5,-0.5", 3, 0, {2, 4, 0}, 3},
            {"40000,5", 2, 0, {-7, 5}, 2},           // out of range: refused
            {"1,2", 2, 5, {-7, -7}, 6},              // start past the end: nothing stored
            {"1,2,3", 3, -1, {2, 3, -7}, 2},
        },
        [](std::span<std::int16_t> t, const char* text, int start) { return SplitToIntArray(kPoint, t, text, start); });
}

TEST(Lists, SplitToHexByteArray) {
    RunSplitCases(
        {
            {"0A,ff,1", 3, 0, {10, 255, 1}, 3},
            {"1,", 2, 0, {1, 0}, 2},                 // the empty last item stores 0
            {",", 2, 0, {0, 0}, 2},
            {"zz,1FF", 2, 0, {0, 31}, 2},
        },
        [](std::span<std::int16_t> t, const char* text, int start) { return SplitToHexByteArray(t, text, start); });
}

TEST(Lists, SplitToDoubleArrayInEachLocale) {
    std::array<double, 4> v{9, 9, 9, 9};
    EXPECT_EQ(SplitToDoubleArray(kPoint, v, "1.25,-2,abc,", 0), 4);
    EXPECT_EQ(v, (std::array<double, 4>{1.25, -2, 9, 9}));
    v = {9, 9, 9, 9};
    EXPECT_EQ(SplitToDoubleArray(kComma, v, "1,25;2;1.5", 0, ";"), 3);
    EXPECT_EQ(v, (std::array<double, 4>{1.25, 2, 9, 9}));
}

TEST(Lists, Join) {
    const std::array<std::int16_t, 3> ints{1, 2, 3};
    EXPECT_EQ(JoinIntArray(ints, 3, 0), "1,2,3");
    EXPECT_EQ(JoinIntArray(ints, 5, 0), "1,2,3");   // cut at the array's end
    EXPECT_EQ(JoinIntArray(ints, 0, 0), "");
    EXPECT_EQ(JoinIntArray(ints, -2, 0), "");
    EXPECT_EQ(JoinIntArray(ints, 2, 1, ";"), "2;3");
    EXPECT_EQ(JoinIntArray(ints, 3, -1), "1,2");
    EXPECT_EQ(JoinIntArray(std::array<std::int16_t, 2>{-5, -32768}, 2, 0), "-5,-32768");

    EXPECT_EQ(JoinHexByteArray(std::array<std::int16_t, 2>{10, 255}, 2, 0), "0A,FF");
    EXPECT_EQ(JoinDoubleArray(std::array<double, 5>{1.5, 2.5, -0.4, 1e6, -3.6}, 5, 0), "2,2,0,1000000,-4");
}

TEST(Lists, JoinThenSplitGivesTheArrayBack) {
    const std::array<std::int16_t, 6> ints{0, -1, 32767, -32768, 255, 12};
    std::array<std::int16_t, 6> back{};
    EXPECT_EQ(SplitToIntArray(kComma, back, JoinIntArray(ints, 6, 0), 0), 6);
    EXPECT_EQ(back, ints);
    const std::array<std::int16_t, 4> bytes{0, 1, 171, 255};
    std::array<std::int16_t, 4> backBytes{};
    EXPECT_EQ(SplitToHexByteArray(backBytes, JoinHexByteArray(bytes, 4, 0), 0), 4);
    EXPECT_EQ(backBytes, bytes);
}

TEST(Packing, BigEndianWordsAndLongs) {
    struct Case { bool isLong; double value; int index; std::vector<int> expected; int next; };
    const Case cases[] = {
        {false, 4660, 0, {18, 52, -7, -7, -7}, 2},
        {false, -1, 0, {255, 255, -7, -7, -7}, 2},
        {false, 65535, 1, {-7, 255, 255, -7, -7}, 3},
        {false, -32768, 0, {128, 0, -7, -7, -7}, 2},
        {false, 70000, 0, {-7, -7, -7, -7, -7}, 2},      // does not fit: refused
        {false, -32769, 0, {-7, -7, -7, -7, -7}, 2},
        {false, 4660, 4, {-7, -7, -7, -7, 18}, 6},      // the byte past the end is skipped
        {false, 4660, -1, {52, -7, -7, -7, -7}, 1},
        {true, 4294967295.0, 0, {255, 255, 255, 255, -7}, 4},
        {true, 305419896, 1, {-7, 18, 52, 86, 120}, 5},
        {true, -2, 0, {255, 255, 255, 254, -7}, 4},
        {true, -2147483648.0, 0, {128, 0, 0, 0, -7}, 4},
        {true, 255.5, 0, {0, 0, 1, 0, -7}, 4},          // rounded to 256 first
        {true, 4294967296.0, 0, {-7, -7, -7, -7, -7}, 4},
        {true, -2147483649.0, 0, {-7, -7, -7, -7, -7}, 4},
        {true, NAN, 0, {-7, -7, -7, -7, -7}, 4},
        {true, 305419896, 3, {-7, -7, -7, 18, 52}, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " at " + std::to_string(c.index));
        std::array<std::int16_t, 5> t;
        t.fill(-7);
        const int next = c.isLong ? PutLongBigEndian(t, c.value, c.index)
                                  : PutWordBigEndian(t, static_cast<std::int32_t>(c.value), c.index);
        EXPECT_EQ(next, c.next);
        EXPECT_EQ(std::vector<int>(t.begin(), t.end()), c.expected);
    }
}

TEST(Packing, GetLongBigEndianIsNeverNegative) {
    EXPECT_EQ(GetLongBigEndian(std::array<std::int16_t, 4>{255, 255, 255, 255}, 0), 4294967295.0);
    EXPECT_EQ(GetLongBigEndian(std::array<std::int16_t, 5>{0, 18, 52, 86, 120}, 1), 305419896.0);
    EXPECT_EQ(GetLongBigEndian(std::array<std::int16_t, 2>{0x12, 0x34}, 0), 305397760.0);  // missing bytes count 0
    EXPECT_EQ(GetLongBigEndian(std::array<std::int16_t, 2>{0x12, 0x34}, -2), 4660.0);
    EXPECT_EQ(GetLongBigEndian(std::array<std::int16_t, 4>{-1, 0x1FF, 0, 0}, 0), 4294901760.0);  // bytes masked
    std::array<std::int16_t, 4> t{};
    for (double v : {0.0, 1.0, 305419896.0, 2147483648.0, 4294967295.0}) {
        PutLongBigEndian(t, v, 0);
        EXPECT_EQ(GetLongBigEndian(t, 0), v);
    }
}

TEST(Packing, BigEndianFieldsOfByteBuffers) {
    struct Case {
        int index;
        int width;
        std::int64_t value;
        std::vector<int> expected;
        std::int64_t readBack;
    };
    const Case cases[] = {
        {0, 2, 0x1234, {0x12, 0x34, 7, 7}, 0x1234},
        {1, 2, 0x12345, {7, 0x23, 0x45, 7}, 0x2345},  // the low 16 bits
        {0, 2, -1, {255, 255, 7, 7}, 0xFFFF},
        {0, 4, 4294967295LL, {255, 255, 255, 255}, 4294967295LL},  // never negative
        {0, 4, 0x12345678, {0x12, 0x34, 0x56, 0x78}, 0x12345678},
        {3, 2, 0x1234, {7, 7, 7, 7}, 0},  // not wholly inside: untouched, reads 0
        {-1, 2, 0x1234, {7, 7, 7, 7}, 0},
        {0, 5, 0x1234, {7, 7, 7, 7}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + " width " + std::to_string(c.width));
        std::array<std::uint8_t, 4> t;
        t.fill(7);
        PutBigEndian(t, c.index, c.width, c.value);
        EXPECT_EQ(std::vector<int>(t.begin(), t.end()), c.expected);
        EXPECT_EQ(BigEndianAt(t, c.index, c.width), c.readBack);
    }
}

TEST(CharacterClasses, FirstCharacterByCode) {
    struct Case { std::string text; bool printable, lower, upper, digit, hex; };
    const Case cases[] = {
        {"~", true, false, false, false, false},
        {" ", true, false, false, false, false},
        {"\t", false, false, false, false, false},
        {"\r", true, false, false, false, false},
        {"\n", true, false, false, false, false},
        {"", false, false, false, false, false},
        {"a1", true, true, false, false, true},
        {"f", true, true, false, false, true},
        {"G", true, false, true, false, false},
        {"F", true, false, true, false, true},
        {"7x", true, false, false, true, true},
        {"\x7F", false, false, false, false, false},
        {"\xE9", false, false, false, false, false},   // no locale order: e-acute is not lower case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.text.empty() ? -1 : static_cast<unsigned char>(c.text[0])));
        EXPECT_EQ(IsPrintableChar(c.text), c.printable);
        EXPECT_EQ(IsLowerChar(c.text), c.lower);
        EXPECT_EQ(IsUpperChar(c.text), c.upper);
        EXPECT_EQ(IsDigitChar(c.text), c.digit);
        EXPECT_EQ(IsHexDigitChar(c.text), c.hex);
    }
}

TEST(Centring, PositionsInTwips) {
    struct Case { bool mdi; double pl, pt, pw, ph, cw, ch; int left, top; };
    const Case cases[] = {
        {true, 500, 500, 12000, 9000, 6000, 4000, 3000, 1875},   // MDI: parent position ignored
        {true, 0, 0, 6000, 4000, 12000, 9000, 0, 0},             // larger than the parent
        {true, 0, 0, 6001, 4003, 6000, 4000, 0, 1},              // halves dropped, then 0.75
        {false, 1000, 500, 12000, 9000, 6000, 4000, 4000, 3000},
        {false, -3000, 0, 12000, 9000, 6000, 4000, 0, 2500},
        {false, 32000, 0, 12000, 9000, 6000, 4000, 35000, 2500},  // wide desktops: no 16-bit limit
        {false, NAN, 0, 12000, 9000, 6000, 4000, 0, 2500},
    };
    for (const Case& c : cases) {
        const FormPosition p = CenterFormPosition(c.mdi, c.pl, c.pt, c.pw, c.ph, c.cw, c.ch);
        EXPECT_EQ(p.left, c.left);
        EXPECT_EQ(p.top, c.top);
    }
}

namespace {
class WaitTest : public ::testing::Test {
protected:
    test::VirtualScheduler clock;
    int fired = 0;
    std::unique_ptr<Timer> timer = clock.createTimer();
    void SetUp() override {
        timer->setInterval(100);
        timer->setHandler([this] { ++fired; });
        timer->setEnabled(true);
    }
};
}  // namespace

TEST_F(WaitTest, LastsTheRequestedTimeAndYieldsOnlyWhenAsked) {
    const std::pair<float, std::int64_t> durations[] = {{0.005f, 5}, {0.02f, 20}, {0.1f, 100}, {0.2f, 200}, {0.0071f, 8}};
    for (auto [seconds, ms] : durations) {
        const std::int64_t start = clock.nowMs();
        WaitSeconds(clock, seconds, false);
        EXPECT_EQ(clock.nowMs() - start, ms) << seconds;
    }
    EXPECT_EQ(fired, 0);  // without yielding nothing else ran
    clock.advance(0);
    const int before = fired;
    WaitSeconds(clock, 0.25f, true);
    EXPECT_EQ(fired - before, 2);  // the timer ran inside the wait
}

TEST_F(WaitTest, NothingToWaitFor) {
    for (float s : {0.0f, -1.0f, NAN}) {
        const std::int64_t start = clock.nowMs();
        WaitSeconds(clock, s, false);
        EXPECT_EQ(clock.nowMs(), start);
    }
}

TEST_F(WaitTest, GoesOnThroughMidnight) {
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 0;
    tm.tm_mday = 16;
    tm.tm_isdst = -1;
    const std::int64_t midnight = std::mktime(&tm);
    clock.setWallClock(midnight - 1 - clock.nowMs() / 1000);
    clock.advance(800);
    ASSERT_NEAR(clock.secondsSinceMidnight(), 86399.8, 1e-6);
    WaitSeconds(clock, 0.5f, true);
    EXPECT_NEAR(clock.secondsSinceMidnight(), 0.3, 1e-6);
}
