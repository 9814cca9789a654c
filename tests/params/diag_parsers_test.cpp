// The diagnostic block of "AS"/"AT" in both forms, and the "NS" remote-unit entries.
#include <gtest/gtest.h>

#include <vector>

#include "params/diag_parsers.h"

namespace k45 {
namespace {

std::vector<std::int16_t> Block(int thirdByte) {
    std::vector<std::int16_t> b(42);
    for (int s = 0; s < 3; ++s)
        for (int k = 0; k < 10; ++k) b[s * 10 + k] = static_cast<std::int16_t>(100 + 10 * s + k);
    b[2] = static_cast<std::int16_t>(thirdByte);
    const int counters[12] = {0, 0, 1, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00};
    for (int i = 0; i < 12; ++i) b[30 + i] = static_cast<std::int16_t>(counters[i]);
    return b;
}

DiagnosticsRecord Prefilled() {
    DiagnosticsRecord r;
    for (auto& s : r.sets) s.values.fill(9);
    return r;
}

TEST(DiagnosticBlock, PNetFormTakesEveryByte) {
    DiagnosticsRecord r = Prefilled();
    ParseDiagnosticBlock(r, Block(55));
    for (int s = 0; s < 3; ++s)
        for (int k = 0; k < 10; ++k)
            EXPECT_EQ(r.sets[s].values[k], s == 0 && k == 2 ? 55 : 100 + 10 * s + k) << s << "," << k;
    EXPECT_EQ(r.sets[3].values, Prefilled().sets[3].values);
    EXPECT_EQ(r.goodCount, 258);
    EXPECT_EQ(r.totalCount, 4294967295.0);  // unsigned
    EXPECT_EQ(r.dcdCount, 16777216);
}

TEST(DiagnosticBlock, RNetFormWhenTheThirdByteIsZero) {
    DiagnosticsRecord r = Prefilled();
    ParseDiagnosticBlock(r, Block(0));
    for (int s = 0; s < 3; ++s) {
        const auto& v = r.sets[s].values;
        EXPECT_EQ(v[2], 100 + 10 * s) << s;  // battery from the set's first byte
        for (int k : {0, 1, 3, 4}) EXPECT_EQ(v[k], -1) << s << "," << k;
        for (int k = 5; k < 10; ++k) EXPECT_EQ(v[k], 100 + 10 * s + k) << s << "," << k;
    }
    EXPECT_EQ(r.sets[3].values, Prefilled().sets[3].values);
    EXPECT_EQ(r.totalCount, 4294967295.0);
}

TEST(DiagnosticBlock, ShortBufferLeavesWhatItCannotRead) {
    DiagnosticsRecord r = Prefilled();
    r.dcdCount = 5;
    std::vector<std::int16_t> b = Block(55);
    b.resize(25);
    ParseDiagnosticBlock(r, b);
    EXPECT_EQ(r.sets[2].values[4], 124);
    EXPECT_EQ(r.sets[2].values[5], 9);
    EXPECT_EQ(r.dcdCount, 5);
    DiagnosticsRecord empty = Prefilled();
    ParseDiagnosticBlock(empty, {});
    EXPECT_EQ(empty, Prefilled());
}

TEST(RemoteStats, Entries) {
    // flags, id hi, id lo, rssi, temperature, battery, value6, forward, reverse
    const std::vector<std::int16_t> data = {
        0x00, 1, 2, 3, 4, 5, 6, 7, 8,              // nothing reported
        0x81, 0x80, 0x01, 85, 200, 120, 9, 10, 11, // id only, truncated
        0x7F, 0x12, 0x34, 85, 200, 120, 9, 10, 11, // everything, not truncated
        0x2B, 0x00, 0x05, 70, 1, 2, 3, 4, 5,       // id, rssi, battery, forward power
        0xAA, 0xFF, 0xFF, 1, 2, 3, 4, 5, 6,        // no id: bit 7 is not read
        1, 2, 3, 4,                                // a partial entry: ignored by the count
    };
    std::vector<RemoteStatsEntry> e(33);
    ParseOfflineRecords(e, data, static_cast<int>(data.size() / 9));
    EXPECT_EQ(e[0], (RemoteStatsEntry{-1, -1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(e[1], (RemoteStatsEntry{1, 32769, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(e[2], (RemoteStatsEntry{0, 0x1234, 85, 200, 120, 9, 10, 11}));
    EXPECT_EQ(e[3], (RemoteStatsEntry{0, 5, 70, -1, 2, -1, 4, -1}));
    EXPECT_EQ(e[4], (RemoteStatsEntry{-1, -1, 1, -1, 3, -1, 5, -1}));
    EXPECT_EQ(e[5], RemoteStatsEntry{});
}

TEST(RemoteStats, FortyBytesDecodeFourEntries) {
    std::vector<std::int16_t> data(40, 0);
    for (int i = 0; i < 4; ++i) data[i * 9] = 0x01;
    data[36] = 0x01;  // would be a fifth entry
    std::vector<RemoteStatsEntry> e(33);
    for (auto& x : e) x.remoteId = 999;
    ParseOfflineRecords(e, data, static_cast<int>(data.size() / 9));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(e[i].remoteId, 0) << i;
    EXPECT_EQ(e[4].remoteId, 999);
}

TEST(RemoteStats, EntriesBeyondTheListAreNotStored) {
    std::vector<std::int16_t> data(34 * 9, 0);
    for (int i = 0; i < 34; ++i) {
        data[i * 9] = 0x01;
        data[i * 9 + 2] = static_cast<std::int16_t>(i);
    }
    std::vector<RemoteStatsEntry> list(34);
    list[33].remoteId = 4321;
    ParseOfflineRecords(std::span(list).first(33), data, 34);
    for (int i = 0; i < 33; ++i) EXPECT_EQ(list[i].remoteId, i);
    EXPECT_EQ(list[33].remoteId, 4321);
}

TEST(RemoteStats, CountBeyondTheDataReadsNothingPastIt) {
    const std::vector<std::int16_t> data = {0x03, 0x00, 0x07, 66, 1};  // five of nine bytes
    std::vector<RemoteStatsEntry> e(3);
    for (auto& x : e) x.battery = 42;
    ParseOfflineRecords(e, data, 3);
    EXPECT_EQ(e[0].remoteId, 7);
    EXPECT_EQ(e[0].rssi, 66);
    EXPECT_EQ(e[0].battery, -1);  // its bit is clear
    EXPECT_EQ(e[1].battery, 42);
    EXPECT_EQ(e[2].battery, 42);
}

}  // namespace
}  // namespace k45
