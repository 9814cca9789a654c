// Radio selection rules: offsets, test availability, short ID, default files by name.
#include <gtest/gtest.h>

#include <set>

#include "tuning/tune_selection.h"

namespace k45 {
namespace {

TEST(TuneSelectionRules, OffsetEntries) {
    EXPECT_EQ(OffsetEntryHz(0), 0);
    EXPECT_EQ(OffsetEntryHz(1), -75000);
    EXPECT_EQ(OffsetEntryHz(2), 75000);
    EXPECT_EQ(OffsetEntryHz(15), -600000);
    EXPECT_EQ(OffsetEntryHz(16), 600000);
    EXPECT_EQ(OffsetEntryHz(17), 0);
    EXPECT_EQ(OffsetEntryText(0), "0 kHz");
    EXPECT_EQ(OffsetEntryText(3), "-150 kHz");
    EXPECT_EQ(OffsetEntryText(16), "+600 kHz");
}

TEST(TuneSelectionRules, TestAvailabilityMatrix) {
    const std::set<int> fc{5, 6, 9, 10}, frontEnd{7, 8};
    struct Case { int type; bool sa7026; bool fcOn; bool feOn; };
    const Case cases[] = {{1, true, true, true}, {1, false, false, true}, {0, true, false, false},
                          {2, false, false, false}, {0, false, false, false}};
    for (const Case& c : cases) {
        const auto a = TestsAvailable(c.type, c.sa7026);
        for (int t = 0; t < kTuneTestCount; ++t) {
            const bool want = fc.count(t) ? c.fcOn : frontEnd.count(t) ? c.feOn : true;
            EXPECT_EQ(a[static_cast<std::size_t>(t)], want) << c.type << c.sa7026 << " test " << t;
        }
    }
    TuneSelection s;
    s.ticked.fill(true);
    s.radioType = 1;
    s.sa7026 = false;
    EXPECT_FALSE(TestTakesPart(s, 5));  // disabled keeps its tick but does not run
    EXPECT_TRUE(s.ticked[5]);
    s.sa7026 = true;
    EXPECT_TRUE(TestTakesPart(s, 5));
    s.ticked[5] = false;
    EXPECT_FALSE(TestTakesPart(s, 5));
    EXPECT_FALSE(TestTakesPart(s, 15));
}

TEST(TuneSelectionRules, ShortIdDisplay) {
    const LocaleInfo loc;
    EXPECT_EQ(TuneShortIdText("1023", loc), "  1023");
    EXPECT_EQ(TuneShortIdText("1024", loc), "+ 0");
    EXPECT_EQ(TuneShortIdText("4294967295", loc), "+ 1023");
    EXPECT_EQ(TuneShortIdText("", loc), "  0");
    EXPECT_EQ(TuneShortIdText("abc", loc), "  0");
}

TEST(TuneSelectionRules, SelectionFromParametersFallsBack) {
    ModemParameters p;
    p.radioType = 7;
    p.radioRange = -1;
    p.channelBandwidth = 2;
    p.sa7026Synthesizer = kTrue;
    p.serialNumber = 77;
    TuneSelection before;
    before.txTime = 33;
    const TuneSelection s = SelectionFromParameters(p, before);
    EXPECT_EQ(s.radioType, 2);
    EXPECT_EQ(s.radioRange, 9);
    EXPECT_EQ(s.channelBandwidth, 0);
    EXPECT_TRUE(s.sa7026);
    EXPECT_EQ(s.longId, 77);
    EXPECT_EQ(s.txTime, 33);
}

TEST(TuneSelectionRules, ProductionDefaultFilesByName) {
    std::set<std::string> files;
    auto exists = [&](const std::string& n) { return files.count(n) > 0; };
    struct Case { int type, range, bw; bool hi; const char* data; const char* test; };
    const Case cases[] = {
        {0, 0, 0, true, "7061-031.dat", "7061-0x1.tst"},
        {0, 3, 0, true, "7061-330.dat", "7061-3x0.tst"},
        {0, 3, 0, false, "7061-330.dat", "7061-3x0.tst"},
        {1, 2, 1, false, "7021-210.dat", "7021-2x0.tst"},
        {2, 9, 2, false, "7091-900.dat", "7091-9x0.tst"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        files = {std::string("/p/DAT/") + c.data, std::string("/p/") + c.test};
        EXPECT_EQ(FindProductionDefault(false, "/p/cur/x.dat", "/p", c.type, c.range, c.bw, c.hi, exists),
                  std::string("/p/DAT/") + c.data);
        EXPECT_EQ(FindProductionDefault(true, "/p/cur/x.tst", "/p", c.type, c.range, c.bw, c.hi, exists),
                  std::string("/p/") + c.test);
    }
    // Beside the current file first; none anywhere: the current file itself.
    files = {"/p/cur/7061-3x0.tst", "/p/TST/7061-3x0.tst"};
    EXPECT_EQ(FindProductionDefault(true, "/p/cur/x.tst", "/p", 0, 3, 0, false, exists), "/p/cur/7061-3x0.tst");
    files.clear();
    EXPECT_EQ(FindProductionDefault(true, "/p/cur/x.tst", "/p", 0, 3, 0, false, exists), "/p/cur/x.tst");
}

}  // namespace
}  // namespace k45
