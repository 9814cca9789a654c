// Section and key names of the radio spec table, the offset list and the tune file names.
#include <gtest/gtest.h>

#include "params/record_names.h"
#include "params/startup_defaults.h"

namespace k45 {
namespace {

TEST(RecordNames, RadioRangeNames) {
    struct Case { int type, range; const char* name; };
    const Case cases[] = {
        {0, 0, "5716 Range 0"}, {0, 9, "5716 Range 9"}, {1, 3, "5726 Range 3"},
        {2, 9, "5796 Range 9"}, {1, 10, "5726 Range 10"},  // no limit on the range
        {3, 0, "UnKnown"},      {-1, 4, "UnKnown"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RadioRangeName(static_cast<std::int16_t>(c.type), static_cast<std::int16_t>(c.range)), c.name)
            << c.type << "," << c.range;
}

TEST(RecordNames, PointNamesAreFiveCharacters) {
    EXPECT_EQ(PointName(0), "Low  ");
    EXPECT_EQ(PointName(1), "Mid  ");
    EXPECT_EQ(PointName(2), "High ");
    EXPECT_EQ(PointName(3), "UnKnown");
    EXPECT_EQ(PointName(-1), "UnKnown");
    for (std::int16_t p = 0; p < 3; ++p) EXPECT_EQ((PointName(p) + "Rx Frequency").size(), 17u);
}

TEST(RecordNames, OffsetList) {
    struct Case { int index; int khz; const char* text; };
    const Case cases[] = {
        {0, 0, "0 kHz"},      {1, -75, "-75 kHz"},   {2, 75, "+75 kHz"},  {3, -150, "-150 kHz"},
        {4, 150, "+150 kHz"}, {15, -600, "-600 kHz"}, {16, 600, "+600 kHz"},
        {17, 0, ""},          {-1, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OffsetIndexKHz(c.index), c.khz) << c.index;
        EXPECT_EQ(OffsetIndexText(c.index), c.text) << c.index;
    }
}

TEST(TuneFileNames, DataAndTestNames) {
    struct Case { std::string folder; int type, range, bandwidth, subBand; const char* dat; const char* tst; };
    const Case cases[] = {
        {"/p/", 0, 5, 0, 0, "/p/7061-530.dat", "/p/7061-5x0.tst"},
        {"/p/", 2, 9, 1, 0, "/p/7091-910.dat", "/p/7091-9x0.tst"},
        {"/p/", 1, 3, 0, 0, "/p/7021-330.dat", "/p/7021-3x0.tst"},
        {"/p/", 0, 0, 2, 1, "/p/7061-001.dat", "/p/7061-0x1.tst"},
        {"/p/", 7, 4, 5, 0, "/p/7061-430.dat", "/p/7061-4x0.tst"},  // unknown type and bandwidth
        {"", 1, 5, 1, 0, "7021-510.dat", "7021-5x0.tst"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeTuneDataFileName(c.folder, c.type, c.range, c.bandwidth, static_cast<std::int16_t>(c.subBand)), c.dat);
        EXPECT_EQ(MakeTuneTestFileName(c.folder, c.type, c.range, c.bandwidth, static_cast<std::int16_t>(c.subBand)), c.tst);
    }
}

}  // namespace
}  // namespace k45
