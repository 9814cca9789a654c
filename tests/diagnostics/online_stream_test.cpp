// The online packet stream: decoding against the limits, the framer over any chunking, the
// history and grid caps, the ID filter and the save lines.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "diagnostics/diag_simulator.h"
#include "diagnostics/online_stream.h"
#include "support/temp_home.h"

namespace k45::test {
namespace {

std::array<std::uint8_t, 9> Packet(int flags, int id, int rssi, int temp, int batt, int fwd = 0, int rev = 0) {
    std::array<std::uint8_t, 9> p{static_cast<std::uint8_t>(flags), static_cast<std::uint8_t>(id),
                                  static_cast<std::uint8_t>(rssi), static_cast<std::uint8_t>(temp),
                                  static_cast<std::uint8_t>(batt), 0, static_cast<std::uint8_t>(fwd),
                                  static_cast<std::uint8_t>(rev), 0};
    int sum = 0;
    for (int i = 0; i < 8; ++i) sum += p[static_cast<std::size_t>(i)];
    p[8] = static_cast<std::uint8_t>((256 - sum % 256) % 256);
    return p;
}

std::string Bytes(const std::array<std::uint8_t, 9>& p) { return std::string(p.begin(), p.end()); }

// Wide-open limits: every packet passes, nothing alarms.
DiagLimits Open() { return {-300, 300, -300, 300, -300, 300, -300, 300, -300, 300}; }

TEST(OnlineDecode, FieldsOfThePacket) {
    struct Case {
        const char* name;
        std::array<std::uint8_t, 9> packet;
        std::int16_t shortId;
        bool plus;
        float dbm, temp, volts;
        std::int16_t fwd, rev;
    };
    const std::vector<Case> cases = {
        {"bits 5 and 6", Packet(96, 255, 85, 20, 120), 1023, false, -85, 20, 12.0f, -1, -1},
        {"plus id 0", Packet(16, 0, 0, 0, 0), 0, true, 0, 0, 0, -1, -1},
        {"temperature 255", Packet(0, 1, 0, 255, 137), 1, false, 0, -1, 13.7f, -1, -1},
        {"temperature 128", Packet(0, 1, 0, 128, 0), 1, false, 0, -128, 0, -1, -1},
        {"power present", Packet(1 + 32, 4, 100, 25, 120, 50, 5), 260, false, -100, 25, 12.0f, 50, 5},
        {"unused bits ignored", Packet(2 + 4 + 8 + 128, 7, 10, 0, 0, 9, 9), 7, false, -10, 0, 0, -1, -1},
    };
    for (const auto& c : cases) {
        const auto r = DecodeOnlinePacket(c.packet.data(), Open(), Open(), 1234);
        ASSERT_TRUE(r) << c.name;
        EXPECT_EQ(r->shortId, c.shortId) << c.name;
        EXPECT_EQ(r->plusId, c.plus) << c.name;
        EXPECT_EQ(-r->rssiRaw, c.dbm) << c.name;
        EXPECT_EQ(r->temperatureRaw > 127 ? r->temperatureRaw - 256 : r->temperatureRaw, c.temp) << c.name;
        EXPECT_FLOAT_EQ(r->batteryRaw / 10.0f, c.volts) << c.name;
        EXPECT_EQ(r->forwardPowerRaw, c.fwd) << c.name;
        EXPECT_EQ(r->reversePowerRaw, c.rev) << c.name;
        EXPECT_EQ(r->alarmFlags, 0) << c.name;
        EXPECT_EQ(r->timeStamp, 1234) << c.name;
    }
}

TEST(OnlineDecode, FilterBoundsIncludedAlarmBoundsStrict) {
    const DiagLimits alarm = DefaultAlarmLimits();   // RSSI -130..-40, temp -70..170, batt 6.5..20, fwd 1.5..6, rev 0..2.5
    const DiagLimits filter = DefaultFilterLimits(); // RSSI -140..-30, temp -80..180, batt 5..22, fwd 0.1..8, rev 0..4.5
    struct Case {
        const char* name;
        std::array<std::uint8_t, 9> packet;
        bool accepted;
        std::int16_t alarms;
    };
    const std::vector<Case> cases = {
        {"rssi on the filter low bound", Packet(0, 1, 140, 20, 120), true, alarmRssiLow},
        {"rssi below the filter", Packet(0, 1, 141, 20, 120), false, 0},
        {"rssi on the alarm low bound", Packet(0, 1, 130, 20, 120), true, 0},
        {"rssi one below the alarm", Packet(0, 1, 131, 20, 120), true, alarmRssiLow},
        {"rssi above the alarm high", Packet(0, 1, 35, 20, 120), true, alarmRssiHigh},
        {"temperature and battery both out: rejected once", Packet(0, 1, 80, 0xAF, 250), false, 0},
        {"battery low alarm", Packet(0, 1, 80, 20, 60), true, alarmBattLow},
        {"battery high alarm", Packet(0, 1, 80, 20, 201), true, alarmBattHigh},
        {"temperature low alarm", Packet(0, 1, 80, 256 - 75, 120), true, alarmTempLow},
        {"power bounds apply when present", Packet(1, 1, 80, 20, 120, 0, 0), false, 0},
        {"power bounds skipped when absent", Packet(0, 1, 80, 20, 120, 0, 200), true, 0},
        {"forward low and reverse high", Packet(1, 1, 80, 20, 120, 10, 30), true, alarmFwdLow | alarmRevHigh},
        {"forward high", Packet(1, 1, 80, 20, 120, 70, 0), true, alarmFwdHigh},
    };
    for (const auto& c : cases) {
        const auto r = DecodeOnlinePacket(c.packet.data(), alarm, filter, 0);
        EXPECT_EQ(r.has_value(), c.accepted) << c.name;
        if (r) {
            EXPECT_EQ(r->alarmFlags, c.alarms) << c.name;
        }
    }
}

TEST(OnlineFramer, FindsEveryPacketOnceWhateverTheChunking) {
    // A stream of 300 packets with garbage bytes between some of them.
    std::string stream;
    std::vector<int> ids;
    std::mt19937 rng(7);
    for (int i = 0; i < 300; ++i) {
        if (i % 7 == 3) stream += std::string(1 + i % 5, static_cast<char>(0x55));
        const auto p = BuildOnlinePacket(i + 1, static_cast<std::int16_t>(i % 100), 20, 120, 3, 1);
        for (auto b : p) stream += static_cast<char>(b);
        ids.push_back((i + 1) % 1024);
    }
    for (int maxChunk : {1, 2, 8, 9, 10, 17, 500, 1023, 1024, 5000}) {
        OnlineFramer framer;
        std::vector<int> seen;
        std::size_t at = 0;
        while (at < stream.size()) {
            const std::size_t n = std::min<std::size_t>(stream.size() - at, 1 + rng() % static_cast<unsigned>(maxChunk));
            framer.Feed(std::string_view(stream).substr(at, n), [&](const std::uint8_t* p) {
                seen.push_back(p[1] + ((p[0] & 32) ? 256 : 0) + ((p[0] & 64) ? 512 : 0));
            });
            at += n;
            EXPECT_LT(framer.pending(), 9);
        }
        EXPECT_EQ(seen, ids) << "chunks up to " << maxChunk;
    }
}

TEST(OnlineFramer, EightBytesWaitAndResetDropsThem) {
    const std::string p = Bytes(Packet(0, 9, 80, 20, 120));
    OnlineFramer framer;
    int n = 0;
    auto count = [&](const std::uint8_t*) { ++n; };
    framer.Feed(p.substr(0, 8), count);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(framer.pending(), 8);
    framer.Feed(p.substr(8), count);
    EXPECT_EQ(n, 1);
    framer.Feed(p.substr(0, 5), count);
    framer.Reset();
    framer.Feed(p.substr(5), count);
    EXPECT_EQ(n, 1);
}

TEST(OnlineHistory, KeepsTheNewest2048OldestFirst) {
    OnlineHistory h;
    for (int i = 0; i < 2049; ++i) {
        OnlineDiagRecord r;
        r.timeStamp = i;
        h.Add(r);
    }
    EXPECT_EQ(h.count(), 2048);
    EXPECT_EQ(h.at(0).timeStamp, 1);
    EXPECT_EQ(h.at(2047).timeStamp, 2048);
    h.Clear();
    EXPECT_EQ(h.count(), 0);
}

OnlineDiagRecord Rec(int id, bool plus, int seq = 0) {
    OnlineDiagRecord r;
    r.shortId = static_cast<std::int16_t>(id);
    r.plusId = plus;
    r.rssiRaw = static_cast<std::int16_t>(seq);
    return r;
}

TEST(OnlineGrid, ScrollModeKeepsTheNewest2048AndTheNewestInView) {
    OnlineGrid g;
    for (int i = 0; i < 17; ++i) g.Display(Rec(1, false, i));
    EXPECT_EQ(g.rowsUsed(), 17);
    EXPECT_EQ(g.topRow(), 0);  // 1, limited to the last row the grid can scroll to
    g.Display(Rec(1, false, 17));
    EXPECT_EQ(g.topRow(), 1);
    for (int i = 18; i < 2049; ++i) g.Display(Rec(1, false, i % 200));
    EXPECT_EQ(g.rowsUsed(), 2048);
    EXPECT_EQ(g.row(0).sequence, 1);
    EXPECT_EQ(g.row(2047).sequence, 2048);
    g.Clear();
    EXPECT_EQ(g.rowsUsed(), 0);
    g.Display(Rec(1, false));
    EXPECT_EQ(OnlineCellText(g.row(0), 13, {".", "-"}), "0");
}

TEST(OnlineGrid, ScrollModeFollowsTheRowsTheGridShows) {
    struct Case {
        int visible;
        int records;
        int top;
    };
    // The grid's real height, not the rows it is created with, decides when scrolling starts.
    const Case cases[] = {{10, 9, 0}, {10, 10, 0}, {10, 30, 20}, {1, 5, 4}, {40, 30, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.visible) + " rows shown, " + std::to_string(c.records) + " records");
        OnlineGrid g;
        g.SetVisibleRows(c.visible);
        for (int i = 0; i < c.records; ++i) g.Display(Rec(1, false, i));
        EXPECT_EQ(g.topRow(), c.top);
        EXPECT_EQ(g.rowCount(), std::max(c.records, c.visible));
    }

    // A grid that grows or shrinks keeps the newest row in view; one scrolled back stays put,
    // and so does the slotted grid.
    OnlineGrid g;
    g.SetVisibleRows(10);
    for (int i = 0; i < 30; ++i) g.Display(Rec(1, false, i));
    g.SetVisibleRows(5);
    EXPECT_EQ(g.topRow(), 25);
    g.SetVisibleRows(40);
    EXPECT_EQ(g.topRow(), 0);
    g.SetVisibleRows(0);  // never fewer than one
    EXPECT_EQ(g.visibleRows(), 1);
    EXPECT_EQ(g.topRow(), 29);
    g.SetTopRow(3);
    g.SetVisibleRows(8);
    EXPECT_EQ(g.topRow(), 3);
    OnlineGrid slotted;
    slotted.SetSlotted(true);
    for (int i = 0; i < 30; ++i) slotted.Display(Rec(i + 1, false));
    slotted.SetVisibleRows(5);
    EXPECT_EQ(slotted.topRow(), 0);
}

// The slotted grid stays where the operator scrolled while its units report, new units
// included; the top row never passes the last one the grid can scroll to.
TEST(OnlineGrid, SlottedModeKeepsTheOperatorsTopRow) {
    OnlineGrid g;
    g.SetSlotted(true);
    g.SetVisibleRows(10);
    for (int i = 0; i < 40; ++i) g.Display(Rec(i + 1, false));
    g.SetTopRow(1000);
    EXPECT_EQ(g.topRow(), 30);
    for (int i = 0; i < 41; ++i) g.Display(Rec(i + 1, false, i));
    EXPECT_EQ(g.rowsUsed(), 41);
    EXPECT_EQ(g.topRow(), 30);
    g.SetVisibleRows(20);
    EXPECT_EQ(g.topRow(), 21);
    g.SetTopRow(-4);
    EXPECT_EQ(g.topRow(), 0);
}

TEST(OnlineGrid, SlottedModeGivesOneRowPerShortIdAndPlusFlag) {
    OnlineGrid g;
    g.SetSlotted(true);
    g.Display(Rec(17, false, 1));
    g.Display(Rec(17, true, 2));
    g.Display(Rec(17, false, 3));
    ASSERT_EQ(g.rowsUsed(), 2);
    EXPECT_EQ(g.row(0).record.rssiRaw, 3);
    EXPECT_EQ(OnlineCellText(g.row(0), 0, {".", "-"}), "=");
    EXPECT_EQ(OnlineCellText(g.row(1), 0, {".", "-"}), ">");
}

TEST(OnlineGrid, CellAndSaveLineTexts) {
    OnlineDiagRecord r = Rec(5, true);
    r.rssiRaw = 131;
    r.temperatureRaw = 250;
    r.batteryRaw = 137;
    r.alarmFlags = alarmRssiLow | alarmBattHigh;
    r.timeStamp = 0;
    const OnlineGrid::Row row{r, 7};
    const LocaleInfo comma{",", "-"};
    const std::vector<std::string> want = {">", "5", "-131", "<", "-6", " ", "13,7", ">", "-", " ", "-", " "};
    for (int c = 0; c < 12; ++c) EXPECT_EQ(OnlineCellText(row, c, comma), want[static_cast<std::size_t>(c)]) << c;
    const std::string line = OnlineSaveLine(row);
    EXPECT_EQ(line.substr(0, 44), ">    5  -131 <    -6    13.7 >    -      -  ");
    EXPECT_EQ(line.size(), 1u + 5 + 6 + 2 + 6 + 2 + 6 + 2 + 5 + 2 + 5 + 2 + 22);
    EXPECT_EQ(OnlineTimeText(r.timeStamp).size(), 20u);
}

TEST(OnlineFilter, ListAndSelectedEntries) {
    DiagSettings s;
    const std::uint32_t ids[] = {5, 1029, 2048, 3};
    for (std::size_t i = 0; i < 4; ++i) s.filterIds[i] = ids[i];
    s.filterIdCount = 4;
    RebuildIdLists(s);
    EXPECT_EQ(FilterIdEntries(s), (std::vector<std::string>{"  3", "  5", "+ 5"}));  // short ID 0 not offered
    EXPECT_TRUE(PassesIdFilter(Rec(5, false), IdFilterMode::List, s, ""));
    EXPECT_TRUE(PassesIdFilter(Rec(0, true), IdFilterMode::List, s, ""));
    EXPECT_FALSE(PassesIdFilter(Rec(3, true), IdFilterMode::List, s, ""));
    EXPECT_FALSE(PassesIdFilter(Rec(5, false), IdFilterMode::Selected, s, "+ 5"));
    EXPECT_TRUE(PassesIdFilter(Rec(5, true), IdFilterMode::Selected, s, "+ 5"));
    EXPECT_TRUE(PassesIdFilter(Rec(9, false), IdFilterMode::List, s, "  9"));
}

TEST(OnlineSave, OverwriteAndAppendBlocks) {
    TempHome home;
    OnlineGrid g;
    g.Display(Rec(1, false));
    g.Display(Rec(2, false));
    std::string error;
    ASSERT_TRUE(WriteOnlineSaveFile(home.file("on.txt"), SaveMode::Create, g, &error));
    ASSERT_TRUE(WriteOnlineSaveFile(home.file("on.txt"), SaveMode::Append, g, &error));
    const std::string text = home.read("on.txt");
    const std::string block = OnlineSaveHeader() + "\r\n" + OnlineSaveLine(g.row(0)) + "\r\n" + OnlineSaveLine(g.row(1)) + "\r\n\r\n";
    EXPECT_EQ(text, block + block);
    ASSERT_TRUE(WriteOnlineSaveFile(home.file("on.txt"), SaveMode::Overwrite, g, &error));
    EXPECT_EQ(home.read("on.txt"), block);
    EXPECT_FALSE(WriteOnlineSaveFile(home.file("no/on.txt"), SaveMode::Create, g, &error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace k45::test
