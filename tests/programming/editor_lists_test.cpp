// The parameter editor's list rules: rate lists per family, network type and bandwidth; the
// reselection after a rebuild; the data format and data type positions. (The radio type and
// range refill is tested with the list fillers it uses.)
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "programming/editor_rate_lists.h"
#include "programming/editor_values.h"

namespace k45 {
namespace {

using Entries = std::vector<std::string>;

struct RateCase {
    std::int16_t model;
    int network;
    std::int32_t bandwidth;
    Entries baud;
    Entries dataType;
};

TEST(EditorRateLists, EntriesPerFamilyNetworkAndBandwidth) {
    const RateCase cases[] = {
        {6, 2, 0, {"4800", "9600", "19200"}, {"Enhanced Only"}},
        {6, 2, 1, {"4800", "9600"}, {"Enhanced Only"}},
        {6, 1, 0, {"4800", "9600"}, {"Enhanced", "Compatible"}},
        {6, 0, 1, {"4800"}, {"Enhanced", "Compatible"}},
        {4, 2, 0, {"1200", "2400", "4800", "9600"}, {"Enhanced", "Compatible"}},
        {4, 0, 1, {"1200", "2400", "4800"}, {"Enhanced", "Compatible"}},
        // A bandwidth code other than half counts as full.
        {6, 2, 2, {"4800", "9600", "19200"}, {"Enhanced Only"}},
        {4, 0, -1, {"1200", "2400", "4800", "9600"}, {"Enhanced", "Compatible"}},
    };
    for (const RateCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "model " << c.model << " network " << c.network << " bw " << c.bandwidth);
        const RateListContent l = RateListsFor(c.model, c.network, c.bandwidth);
        EXPECT_EQ(l.baudRates, c.baud);
        EXPECT_EQ(l.dataTypes, c.dataType);
        if (c.model == 6) {
            EXPECT_EQ(l.networkTypes, (Entries{"K-45M/VX5180", "Crystal", "K-45MR Native"}));
            EXPECT_TRUE(l.networkTypeEnabled);
        } else {
            EXPECT_TRUE(l.networkTypes.empty());
            EXPECT_FALSE(l.networkTypeEnabled);
        }
    }
}

TEST(EditorRateLists, WidestContentHoldsEveryPositionUpToThree) {
    const RateListContent w = WidestRateLists();
    EXPECT_EQ(w.baudRates, (Entries{"4800", "9600", "19200", "XXXXX"}));
    EXPECT_EQ(w.dataTypes, (Entries{"Enhanced", "Compatible"}));
    EXPECT_EQ(w.networkTypes.size(), 3u);
}

TEST(EditorRateLists, ReselectionKeepsAPositionOnlyWhereItExists) {
    EXPECT_EQ(ReselectedPosition(2, 3), 2);
    EXPECT_EQ(ReselectedPosition(2, 2), 1);   // falls to the last entry
    EXPECT_EQ(ReselectedPosition(-1, 4), 0);  // nothing selected counts as 0
    EXPECT_EQ(ReselectedPosition(5, 1), 0);
    EXPECT_EQ(ReselectedPosition(0, 0), -1);  // an empty list selects nothing
}

TEST(EditorRateLists, DataFormatPositionsBothWays) {
    struct Case {
        Flag nine, two;
        int position;
    };
    const Case cases[] = {{kFalse, kFalse, 0}, {kFalse, kTrue, 1}, {kTrue, kFalse, 2}, {kTrue, kTrue, 3}};
    for (const Case& c : cases) {
        EXPECT_EQ(DataFormatPosition(c.nine, c.two), c.position);
        Flag nine = 7, two = 7;
        ReadDataFormatPosition(c.position, nine, two);
        EXPECT_EQ(nine, c.nine);
        EXPECT_EQ(two, c.two);
    }
    // Any non-zero flag reads as set; any other position clears both.
    EXPECT_EQ(DataFormatPosition(1, 5), 3);
    Flag nine = kTrue, two = kTrue;
    ReadDataFormatPosition(7, nine, two);
    EXPECT_EQ(nine, kFalse);
    EXPECT_EQ(two, kFalse);
}

TEST(EditorRateLists, DataTypeReadsCompatibleForEveryPositionButZero) {
    EXPECT_EQ(DataTypePosition(kTrue), 1);
    EXPECT_EQ(DataTypePosition(kFalse), 0);
    EXPECT_EQ(InvertedDataOfPosition(0), kFalse);
    EXPECT_EQ(InvertedDataOfPosition(1), kTrue);
    EXPECT_EQ(InvertedDataOfPosition(2), kTrue);
}

}  // namespace
}  // namespace k45
