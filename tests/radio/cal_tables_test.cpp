#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "platform/profile.h"
#include "radio/cal_tables.h"
#include "radio/rssi_conversion.h"
#include "radio_fixture.h"
#include "support/temp_home.h"

namespace k45 {
namespace {

// Runs a test in UTC so that local dates are known.
class UtcZone {
public:
    UtcZone() {
        if (const char* tz = std::getenv("TZ")) old_ = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~UtcZone() {
        if (old_) setenv("TZ", old_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

class CalTablesTest : public testing::Test {
protected:
    UtcZone utc;
    test::RadioWorld w;
    test::TempHome temp;
    CalTables cal;

    void SetUp() override {
        w.app.places.tempFolder = temp.path();
        w.scheduler.setWallClock(949320000);  // 2000-01-31 12:00 UTC
    }
    std::string trace(const std::string& file, const std::string& section, const std::string& key) {
        return ProfileRead(temp.file(file), section, key, "<missing>");
    }
};

// ---- date stamps ----

TEST_F(CalTablesTest, DateStampsCountLocalDaysFrom2000) {
    EXPECT_EQ(CalDateStamp(946684800), 0);              // 2000-01-01 00:00
    EXPECT_EQ(CalDateStamp(946684800 + 86399), 0);      // the same day's last second
    EXPECT_EQ(CalDateStamp(949320000), 30);             // 2000-01-31
    EXPECT_EQ(CalDateStamp(978307200 + 3600), 366);     // 2001-01-01
    EXPECT_EQ(CalDateStamp(946684800 - 1), -1);
    EXPECT_EQ(CalDateStampToday(w.app), 30);
}

// ---- power table ----

PowerCalPoints ExamplePowerPoints() {
    PowerCalPoints p;
    p.powerWatts = {6.0f, 0.5f, 4.0f, 1.0f, 2.0f};
    p.adReading = {170, 40, 130, 60, 90};
    return p;
}

TEST_F(CalTablesTest, PowerTableFromUnsortedPoints) {
    const PowerCalPoints points = ExamplePowerPoints();
    BuildPowerTable(w.app, w.app, w.app, cal, points, true);
    EXPECT_EQ(cal.powerTablePresent, kTrue);
    EXPECT_EQ(cal.powerTableId, 30);
    const std::array<std::int16_t, 8> firstRow{0, 0, 0, 0, 0, 0, 1, 2};
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(cal.powerTable[i], firstRow[i]) << i;
    for (size_t i = 50; i < 64; ++i) EXPECT_EQ(cal.powerTable[i], 75) << i;
    EXPECT_EQ(cal.powerTable[49], 74);  // 7.3 .. 7.45 W
    // A/D 40 is 0.5 W exactly: entry 10 (A/D 40..43) averages 0.5375 W.
    EXPECT_EQ(cal.powerTable[10], 5);
    EXPECT_EQ(points, ExamplePowerPoints()) << "the caller's points keep their order";
    EXPECT_EQ(cal.rssiTablePresent, kFalse);
    EXPECT_TRUE(w.dialogs.boxes.empty());
}

TEST_F(CalTablesTest, PowerCurveValuesInTheTrace) {
    w.app.debugTest = true;
    BuildPowerTable(w.app, w.app, w.app, cal, ExamplePowerPoints(), true);
    auto curveAt = [&](int a) {
        std::string row = trace("pwr_tbl.ini", "Power Table", "Row0" + std::string(1, "0123456789ABCDEF"[a / 16]));
        return row.substr(static_cast<size_t>(a % 16) * 4, 3);
    };
    EXPECT_EQ(curveAt(40), "005");
    EXPECT_EQ(curveAt(60), "010");
    EXPECT_EQ(curveAt(150), "050");
    EXPECT_EQ(curveAt(20), "000");
    EXPECT_EQ(curveAt(0), "000");
    EXPECT_EQ(curveAt(200), "075");
    EXPECT_EQ(curveAt(255), "075");
    EXPECT_EQ(trace("pwr_tbl.ini", "Compressed Power Table", "Row00"), "00,00,00,00,00,00,01,02");
    EXPECT_EQ(trace("pwr_tbl.ini", "Compressed Power Table", "Row07"), "75,75,75,75,75,75,75,75");
    EXPECT_EQ(trace("pwr_tbl.ini", "Raw Power Pts", "Power Pt 0"), "6.00");
    EXPECT_EQ(trace("pwr_tbl.ini", "Raw Power Pts", "A/D Pt 1"), "040");
    EXPECT_EQ(trace("pwr_tbl.ini", "Sorted Power Pts", "Power Pt 0"), "0.50");
    EXPECT_EQ(trace("pwr_tbl.ini", "Sorted Power Pts", "A/D Pt 4"), "170");
}

TEST_F(CalTablesTest, PowerTableEqualReadingsGiveFullPower) {
    PowerCalPoints p;
    p.powerWatts = {1, 2, 3, 4, 5};
    p.adReading = {50, 50, 100, 150, 200};
    BuildPowerTable(w.app, w.app, w.app, cal, p, true);
    for (size_t i = 0; i < 12; ++i) EXPECT_EQ(cal.powerTable[i], 75) << i;  // A/D 0..47
    EXPECT_EQ(cal.powerTable[13], 21);  // A/D 52..55: 2.04 .. 2.1 W

    p.adReading = {80, 80, 80, 80, 80};
    BuildPowerTable(w.app, w.app, w.app, cal, p, true);
    for (std::int16_t v : cal.powerTable) EXPECT_EQ(v, 75);
}

TEST_F(CalTablesTest, PowerSegmentsFollowTheSortedOrderEvenWhenReadingsFall) {
    w.app.debugTest = true;
    PowerCalPoints p;
    p.powerWatts = {6, 4, 2, 1, 0.5f};
    p.adReading = {0, 50, 100, 150, 200};
    BuildPowerTable(w.app, w.app, w.app, cal, p, true);
    // Sorted: (0.5, 200), (1, 150), (2, 100), (4, 50), (6, 0). A/D 100 lies on the line of the first
    // two sorted points (1.5 W), A/D 180 on the line of the last two (below 0, so 0).
    const std::string row6 = trace("pwr_tbl.ini", "Power Table", "Row06");  // A/D 96..111
    EXPECT_EQ(row6.substr(4 * 4, 3), "015");
    const std::string rowB = trace("pwr_tbl.ini", "Power Table", "Row0B");  // A/D 176..191
    EXPECT_EQ(rowB.substr(4 * 4, 3), "000");
}

TEST_F(CalTablesTest, PowerCompressionRoundsHalvesToEven) {
    // All points on p = a / 8 + 1/16 W: entry 0 averages 0.25 W, entry 1 0.75 W, entry 2 1.25 W.
    PowerCalPoints p;
    p.powerWatts = {0.0625f, 1.0625f, 2.0625f, 3.0625f, 4.0625f};
    p.adReading = {0, 8, 16, 24, 32};
    BuildPowerTable(w.app, w.app, w.app, cal, p, true);
    EXPECT_EQ(cal.powerTable[0], 2);
    EXPECT_EQ(cal.powerTable[1], 8);
    EXPECT_EQ(cal.powerTable[2], 12);
}

TEST_F(CalTablesTest, NoTraceWithoutDebugMode) {
    BuildPowerTable(w.app, w.app, w.app, cal, ExamplePowerPoints(), true);
    RssiCalPoints r;
    BuildRssiTable(w.app, w.app, w.app, cal, r, true);
    ProductionTestRecord rec;
    PrepareTempCompPoints(w.app, w.app, w.app, cal, rec, true);
    BuildTempCompTable(w.app, w.app, cal, rec, true);
    EXPECT_FALSE(temp.exists("pwr_tbl.ini"));
    EXPECT_FALSE(temp.exists("rssi_tbl.ini"));
    EXPECT_FALSE(temp.exists("temp_tbl.ini"));
    // Nor when the caller does not ask for one.
    w.app.debugTest = true;
    BuildPowerTable(w.app, w.app, w.app, cal, ExamplePowerPoints(), false);
    EXPECT_FALSE(temp.exists("pwr_tbl.ini"));
}

TEST_F(CalTablesTest, TraceKeepsOtherContentAndEmptiesOnlyTheTableSections) {
    w.app.debugTest = true;
    temp.write("pwr_tbl.ini",
               "[Notes]\r\nkeep=me\r\n[Raw Power Pts]\r\nOld=1\r\n[Power Table]\r\nRow10=stale\r\n");
    w.app.locale.decimal = ",";
    BuildPowerTable(w.app, w.app, w.app, cal, ExamplePowerPoints(), true);
    EXPECT_EQ(trace("pwr_tbl.ini", "Notes", "keep"), "me");
    EXPECT_EQ(trace("pwr_tbl.ini", "Raw Power Pts", "Old"), "1");
    EXPECT_EQ(trace("pwr_tbl.ini", "Power Table", "Row10"), "<missing>");
    EXPECT_EQ(trace("pwr_tbl.ini", "Raw Power Pts", "Power Pt 1"), "0,50");
}

TEST_F(CalTablesTest, AFailedTraceStillBuildsTheTableAndIsTold) {
    w.app.debugTest = true;
    w.app.places.tempFolder = temp.file("no/such/folder");
    std::string error;
    BuildPowerTable(w.app, w.app, w.app, cal, ExamplePowerPoints(), true, &error);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(cal.powerTablePresent, kTrue);
    EXPECT_EQ(cal.powerTable[63], 75);
}

// ---- RSSI table ----

RssiCalPoints ExampleRssiPoints() {
    RssiCalPoints p;
    p.levelCode = {10, 30, 50, 70, 20, 60};
    p.adReading = {20, 60, 100, 150, 40, 120};
    return p;
}

TEST_F(CalTablesTest, RssiTableFromUnsortedPoints) {
    w.app.debugTest = true;
    const RssiCalPoints points = ExampleRssiPoints();
    BuildRssiTable(w.app, w.app, w.app, cal, points, true);
    EXPECT_EQ(cal.rssiTablePresent, kTrue);
    EXPECT_EQ(cal.rssiTableId, 30);
    EXPECT_EQ(cal.rssiTable[0], 129);
    EXPECT_EQ(cal.rssiTable[1], 127);
    EXPECT_EQ(cal.rssiTable[2], 125);
    for (size_t i = 49; i < 64; ++i) EXPECT_EQ(cal.rssiTable[i], 45) << i;
    EXPECT_EQ(points, ExampleRssiPoints());
    EXPECT_EQ(cal.powerTablePresent, kFalse);

    EXPECT_EQ(trace("rssi_tbl.ini", "Raw RSSI Table", "Row00").substr(0, 31), "000,000,001,002,002,002,003,004");
    EXPECT_EQ(trace("rssi_tbl.ini", "Raw RSSI Table", "Row0C").substr(0, 15), "084,084,085,085");
    EXPECT_EQ(trace("rssi_tbl.ini", "RSSI Table", "Row00").substr(0, 11), "130,130,129");
    EXPECT_EQ(trace("rssi_tbl.ini", "Compressed and Converted RSSI Table", "Row00").substr(0, 11), "129,127,125");
    EXPECT_EQ(trace("rssi_tbl.ini", "Raw RSSI Pts", "RSSI Pt 1"), "030 -> -100");
    EXPECT_EQ(trace("rssi_tbl.ini", "Sorted RSSI Pts", "RSSI Pt 1"), "020 -> -110");
    EXPECT_EQ(trace("rssi_tbl.ini", "Sorted RSSI Pts", "A/D Pt 1"), "040");
}

TEST_F(CalTablesTest, RssiEqualNeighbouringReadingsGiveTheStrongestLevel) {
    RssiCalPoints p;
    p.levelCode = {10, 20, 30, 40, 50, 60};
    // Points 0 and 1 share a reading: A/D 0..60 lie on their segment.
    p.adReading = {60, 60, 100, 150, 200, 250};
    BuildRssiTable(w.app, w.app, w.app, cal, p, true);
    for (size_t i = 0; i < 15; ++i) EXPECT_EQ(cal.rssiTable[i], 45) << i;
    EXPECT_EQ(cal.rssiTable[15], 94) << "85, 20, 20, 21 averaged";
    // Points 4 and 5 share a reading: A/D above it lie on their segment.
    p.adReading = {0, 50, 100, 150, 200, 200};
    BuildRssiTable(w.app, w.app, w.app, cal, p, true);
    EXPECT_EQ(cal.rssiTable[50], 54) << "50, 85, 85, 85 averaged";
    for (size_t i = 51; i < 64; ++i) EXPECT_EQ(cal.rssiTable[i], 45) << i;
}

TEST_F(CalTablesTest, RssiCompressionRoundsHalvesToEven) {
    // Curve 2, 2, 3, 3 at A/D 0..3: average 2.5 -> 2.
    RssiCalPoints p;
    p.levelCode = {2, 5, 8, 11, 14, 17};
    p.adReading = {0, 9, 18, 27, 36, 45};
    BuildRssiTable(w.app, w.app, w.app, cal, p, true);
    EXPECT_EQ(cal.rssiTable[0], 128);
    // Curve 1, 2, 2, 2 at A/D 0..3: average 1.75 -> 2.
    p.levelCode = {2, 3, 4, 5, 6, 7};
    p.adReading = {3, 7, 11, 15, 19, 23};
    BuildRssiTable(w.app, w.app, w.app, cal, p, true);
    EXPECT_EQ(cal.rssiTable[0], 128);
}

TEST_F(CalTablesTest, RssiSegmentsFollowTheSortedOrderEvenWhenReadingsFall) {
    w.app.debugTest = true;
    RssiCalPoints p;
    p.levelCode = {70, 60, 50, 30, 20, 10};
    p.adReading = {20, 40, 60, 100, 120, 150};
    BuildRssiTable(w.app, w.app, w.app, cal, p, true);
    // Sorted by level: readings 150, 120, 100, 60, 40, 20. A/D 130 is above every reading from the
    // second on, so it takes the line through the last two points: (130 - 40) x 10 / -20 + 60 = 15.
    EXPECT_EQ(trace("rssi_tbl.ini", "Raw RSSI Table", "Row08").substr(2 * 4, 3), "015");
}

// ---- temperature compensation ----

TEST(TemperatureSensorCode, ConvertsAndClamps) {
    struct Case { std::int16_t t; std::int16_t code; };
    for (Case c : {Case{-63, 0}, Case{-62, 1}, Case{-30, 38}, Case{-10, 61}, Case{0, 73}, Case{10, 84},
                   Case{25, 102}, Case{45, 125}, Case{70, 154}, Case{85, 172}, Case{156, 255}, Case{157, 255},
                   Case{-32768, 0}, Case{32767, 255}})
        EXPECT_EQ(TemperatureToSensorCode(c.t), c.code) << c.t;
}

class TempComp : public CalTablesTest {
protected:
    ProductionTestRecord rec;

    // Six temperatures, each level read at A/D 20 + 40 L, with one delta per temperature.
    void ExamplePoints(const std::array<std::int16_t, 6>& deltas) {
        RssiTempComp& p = rec.rssiTempComp;
        p.tableId = 1234;
        p.levelCode = {10, 20, 30, 40, 50, 60};
        p.temperature = {-30, -10, 10, 25, 45, 70};
        for (size_t l = 0; l < 6; ++l)
            for (size_t t = 0; t < 6; ++t) {
                p.adReading[l][t] = static_cast<std::int16_t>(20 + 40 * l);
                p.delta[l][t] = deltas[t];
            }
    }
    int element(int x, int y) { return cal.rssiTempTable[static_cast<size_t>(x)][static_cast<size_t>(y)]; }
};

TEST_F(TempComp, FilledGridOfTheExample) {
    w.app.debugTest = true;
    ExamplePoints({-6, -4, -2, 0, 2, 4});
    const RssiTempComp before = rec.rssiTempComp;
    BuildTempCompTable(w.app, w.app, cal, rec, true);
    const std::string expected =
        "-006,-006,-006,-004,-003,-002, 000,+002,+003,+004,+004,+004,+004,+004,+004,+004";
    for (int r = 0; r < 16; ++r)
        EXPECT_EQ(trace("temp_tbl.ini", "Delta RSSI Temp Table", "Row0" + std::string(1, "0123456789ABCDEF"[r])),
                  expected)
            << r;
    // Packed: column 0 covers bins 2 and 3, column 7 bins 9 and 10.
    EXPECT_EQ(element(7, 0), 0xFA);
    EXPECT_EQ(element(0, 0), 0x02);
    for (int x = 1; x < 7; ++x) EXPECT_EQ(element(x, 0), 0xE2) << x;
    EXPECT_EQ(element(7, 1), 0xFC);  // -4
    EXPECT_EQ(element(0, 1), 0x01);
    EXPECT_EQ(element(1, 1), 0xF1);
    EXPECT_EQ(element(7, 7), 4);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(element(x, 7), 0) << x;
    EXPECT_EQ(element(6, 7), 2);

    EXPECT_EQ(cal.rssiTempTablePresent, kTrue);
    EXPECT_EQ(cal.rssiTempTableId, 1234);
    EXPECT_EQ(rec.rssiTempComp.compressedTable, cal.rssiTempTable);
    RssiTempComp unchanged = rec.rssiTempComp;
    unchanged.compressedTable = before.compressedTable;
    EXPECT_EQ(unchanged, before) << "only the compressed table of the test record is written";
    EXPECT_EQ(trace("temp_tbl.ini", "Compressed RSSI Temp Table", "Row07"), "FA,FC,FD,FE,00,02,03,04");
    EXPECT_EQ(trace("temp_tbl.ini", "RSSI Temp Table", "Row00").substr(0, 11), "FA,FA,FA,FC");
}

TEST_F(TempComp, IncompleteGridTraceMarksEmptyAndMeasuredZeros) {
    w.app.debugTest = true;
    ExamplePoints({-6, -4, -2, 0, 2, 4});
    BuildTempCompTable(w.app, w.app, cal, rec, true);
    // A/D bin 1 (reading 20) holds the six temperature bins 2, 3, 5, 6, 7, 9; the zero of bin 6 was
    // measured, the others are empty. (Values are read from the file as written.)
    const std::string file = temp.read("temp_tbl.ini");
    EXPECT_NE(file.find("[Incomplete Delta RSSI Temp Table]\r\nRow00= 000, 000, 000"), std::string::npos);
    EXPECT_NE(file.find("\r\nRow01= 000, 000,-006,-004, 000,-002,+000,+002, 000,+004, 000, 000, 000, 000, 000, 000\r\n"),
              std::string::npos);
    // After its column pass, row 0 has taken the values of bin 1 in the measured columns.
    EXPECT_NE(file.find("[Columns Delta RSSI Temp Table]\r\nRow00= 000, 000,-006,-004, 000,-002,+000,+002, 000,+004"),
              std::string::npos);
}

TEST_F(TempComp, ColumnFillStepsFromTheRoundedCellBelow) {
    // All temperatures in one bin; measured A/D bins 0 (delta 0) and 3 (delta 1).
    RssiTempComp& p = rec.rssiTempComp;
    p.temperature = {25, 25, 25, 25, 25, 25};
    for (size_t l = 0; l < 6; ++l)
        for (size_t t = 0; t < 6; ++t) {
            p.adReading[l][t] = l < 3 ? 5 : 50;
            p.delta[l][t] = l < 3 ? 0 : 1;
        }
    BuildTempCompTable(w.app, w.app, cal, rec, true);
    // Bin 2 is 0 (one straight line would give 1), bin 4 and up 1; every column alike.
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(element(7, y), 0);
        EXPECT_EQ(element(0, y), 0x00);
        EXPECT_EQ(element(1, y), 0x00) << "A/D bin 2";
        EXPECT_EQ(element(2, y), 0x10) << "A/D bin 4";
        EXPECT_EQ(element(3, y), 0x00);
    }
}

class TempCompAverage : public TempComp, public testing::WithParamInterface<std::array<int, 3>> {};

TEST_P(TempCompAverage, TwoPointsInACellAreAveraged) {
    const auto [a, b, mean] = GetParam();
    RssiTempComp& p = rec.rssiTempComp;
    p.temperature = {25, 25, 85, 85, 85, 85};  // bins 6 and 10
    for (size_t l = 0; l < 6; ++l)
        for (size_t t = 0; t < 6; ++t) {
            p.adReading[l][t] = l == 0 ? 5 : 250;
            p.delta[l][t] = 0;
        }
    p.delta[0][0] = static_cast<std::int16_t>(a);
    p.delta[0][1] = static_cast<std::int16_t>(b);
    BuildTempCompTable(w.app, w.app, cal, rec, true);
    EXPECT_EQ(element(7, 4), mean) << "start byte of the column of bin 6";
}

INSTANTIATE_TEST_SUITE_P(Pairs, TempCompAverage,
                         testing::Values(std::array<int, 3>{3, 4, 4}, std::array<int, 3>{3, 6, 4},
                                         std::array<int, 3>{1, 2, 2}, std::array<int, 3>{-3, -4, 252}));

TEST_F(TempComp, ReadingsOutsideTheAdRangeAreLeftOut) {
    RssiTempComp& p = rec.rssiTempComp;
    p.temperature = {25, 25, 25, 25, 25, 25};
    for (size_t l = 0; l < 6; ++l)
        for (size_t t = 0; t < 6; ++t) {
            p.adReading[l][t] = 5;
            p.delta[l][t] = 10;
        }
    for (size_t t = 0; t < 6; ++t) {
        p.adReading[1][t] = 300;
        p.delta[1][t] = 100;
        p.adReading[2][t] = -20;
        p.delta[2][t] = -100;
    }
    BuildTempCompTable(w.app, w.app, cal, rec, true);
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(element(7, y), 10) << y;
        for (int x = 0; x < 7; ++x) EXPECT_EQ(element(x, y), y == 7 && x == 6 ? 2 : 0) << x << "," << y;
    }
}

TEST_F(TempComp, NoReadingInRangeLeavesAZeroGrid) {
    RssiTempComp& p = rec.rssiTempComp;
    for (auto& row : p.adReading) row.fill(400);
    for (auto& row : p.delta) row.fill(9);
    BuildTempCompTable(w.app, w.app, cal, rec, true);
    EXPECT_EQ(element(7, 0), 0);
    EXPECT_EQ(element(6, 7), 2);
    EXPECT_EQ(cal.rssiTempTablePresent, kTrue);
}

TEST_F(TempComp, PrepareSortsPointsAndComputesDeltas) {
    w.app.debugTest = true;
    rec.radioType = 1;
    RssiTempComp& p = rec.rssiTempComp;
    p.tableId = 77;
    p.levelCode = {30, 10, 50, 20, 40, 60};
    p.temperature = {25, -30, 70, 0, 45, -10};
    for (size_t l = 0; l < 6; ++l)
        for (size_t t = 0; t < 6; ++t) p.adReading[l][t] = static_cast<std::int16_t>(100 + 10 * l + t);
    p.compressedTable[3][3] = 42;
    PrepareTempCompPoints(w.app, w.app, w.app, cal, rec, true);

    const std::array<size_t, 6> levelFrom{1, 3, 0, 4, 2, 5};
    const std::array<size_t, 6> tempFrom{1, 5, 3, 0, 4, 2};
    EXPECT_EQ(p.levelCode, (std::array<std::int16_t, 6>{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(p.temperature, (std::array<std::int16_t, 6>{-30, -10, 0, 25, 45, 70}));
    for (size_t l = 0; l < 6; ++l) {
        // No calibrated table: the expected readings come from the 5726 curve.
        const int expected = RssiDbmToByte(w.app, cal, 1, p.levelCode[l], true);
        for (size_t t = 0; t < 6; ++t) {
            EXPECT_EQ(p.adReading[l][t], 100 + 10 * levelFrom[l] + tempFrom[t]);
            EXPECT_EQ(p.delta[l][t], expected - p.adReading[l][t]);
        }
    }
    EXPECT_EQ(p.delta[0][0], 56 - 111) << "level 10 (-120 dBm) is A/D 56 on the 5726 curve";
    EXPECT_EQ(p.tableId, 77);
    EXPECT_EQ(p.compressedTable[3][3], 42);

    EXPECT_EQ(trace("temp_tbl.ini", "Raw RSSI Pts", "Temp Pt 0"), "+25 -> 102 -> 0x66");
    EXPECT_NE(temp.read("temp_tbl.ini").find("\r\nTemp Pt 3= 00 -> 073 -> 0x49\r\n"), std::string::npos);
    EXPECT_EQ(trace("temp_tbl.ini", "Sorted RSSI Pts", "Temp Pt 0"), "-30 -> 038 -> 0x26");
    EXPECT_EQ(trace("temp_tbl.ini", "Raw RSSI Pts", "RSSI Pt 0"), "030 -> -100");
    EXPECT_EQ(trace("temp_tbl.ini", "Sorted RSSI Pts", "A/D Pt 0"), "111,115,113,110,114,112");
    EXPECT_EQ(trace("temp_tbl.ini", "Delta RSSI Pts", "Delta Pt 0"), "-055,-059,-057,-054,-058,-056");

    // Prepare and build are written as two batches into one file; the build keeps the points.
    BuildTempCompTable(w.app, w.app, cal, rec, true);
    EXPECT_EQ(trace("temp_tbl.ini", "Raw RSSI Pts", "Temp Pt 0"), "+25 -> 102 -> 0x66");
    EXPECT_NE(trace("temp_tbl.ini", "Compressed RSSI Temp Table", "Row00"), "<missing>");
}

TEST_F(TempComp, PrepareUsesTheCalibratedTableWhenPresent) {
    for (size_t i = 0; i < 64; ++i) cal.rssiTable[i] = static_cast<std::int16_t>(130 - i);
    cal.rssiTablePresent = kTrue;
    rec.rssiTempComp.levelCode = {10, 11, 12, 13, 14, 15};
    PrepareTempCompPoints(w.app, w.app, w.app, cal, rec, true);
    EXPECT_EQ(rec.rssiTempComp.delta[0][0], 40) << "level 10 is c 120, entry 10, A/D 40";
    EXPECT_EQ(rec.rssiTempComp.delta[5][2], 60);
}

// ---- packing ----

class Packing : public CalTablesTest {
protected:
    TempCompGrid grid{};
    ProductionTestRecord rec;
    int element(int x, int y) { return cal.rssiTempTable[static_cast<size_t>(x)][static_cast<size_t>(y)]; }
    void pack() { PackTempCompTable(w.app, w.app, grid, cal, rec, true); }
};

TEST_F(Packing, ZeroGridAndConstantGrid) {
    cal.rssiTempTable[0][0] = 99;
    pack();
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y) EXPECT_EQ(element(x, y), x == 6 && y == 7 ? 2 : 0);
    for (auto& row : grid) row.fill(-3);
    pack();
    for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(element(7, y), 253);
        for (int x = 0; x < 7; ++x) EXPECT_EQ(element(x, y), x == 6 && y == 7 ? 2 : 0);
    }
    EXPECT_EQ(rec.rssiTempComp.compressedTable, cal.rssiTempTable);
    EXPECT_EQ(cal.rssiTempTablePresent, kFalse) << "packing leaves the flag to the builder";
}

TEST_F(Packing, StepsAreClampedAndTheRunningValueLags) {
    grid[0][2] = 0;
    grid[0][3] = 20;
    grid[2][2] = 0;
    grid[2][3] = 20;
    pack();
    EXPECT_EQ(element(0, 0), 0x07);
    EXPECT_EQ(element(1, 0), 0x97) << "back by 7 to 0, then up by 7 again";
}

TEST_F(Packing, CellsAreHeldToASignedByte) {
    grid[0][4] = 200;
    grid[0][5] = -300;
    grid[0][3] = 0;
    grid[0][2] = 0;
    pack();
    EXPECT_EQ(element(7, 2), 127) << "start byte of the column of bin 4";
    EXPECT_EQ(element(7, 3), 128) << "-300 counts as -128";
    // Column 1 (bins 3, 4) steps from 0 towards 127: +7 in the low nibble.
    EXPECT_EQ(element(0, 1), 0x07);
}

TEST_F(Packing, OddBinsAndTheTopBinsAreNotEncoded) {
    for (size_t t = 0; t < 16; ++t) {
        grid[1][t] = 50;
        grid[14][t] = 50;
        grid[15][t] = 50;
    }
    pack();
    for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y) EXPECT_EQ(element(x, y), x == 6 && y == 7 ? 2 : 0);
}

// ---- clearing ----

TEST(ClearTable, EachKindClearsOnlyItsTable) {
    CalTables full;
    full.rssiTablePresent = full.rssiTempTablePresent = full.powerTablePresent = kTrue;
    full.rssiTableId = 1;
    full.rssiTempTableId = 2;
    full.powerTableId = 3;
    full.rssiTable.fill(4);
    for (auto& row : full.rssiTempTable) row.fill(5);
    full.powerTable.fill(6);

    CalTables t = full;
    ClearCalibrationTable(t, 1);
    CalTables expected = full;
    expected.rssiTempTablePresent = kFalse;
    expected.rssiTempTableId = 0;
    for (auto& row : expected.rssiTempTable) row.fill(0);
    EXPECT_EQ(t, expected);

    t = full;
    ClearCalibrationTable(t, 0);
    expected = full;
    expected.rssiTablePresent = kFalse;
    expected.rssiTableId = 0;
    expected.rssiTable.fill(0);
    EXPECT_EQ(t, expected);

    t = full;
    ClearCalibrationTable(t, 2);
    expected = full;
    expected.powerTablePresent = kFalse;
    expected.powerTableId = 0;
    expected.powerTable.fill(0);
    EXPECT_EQ(t, expected);

    for (std::int16_t kind : {-1, 3, 5}) {
        t = full;
        ClearCalibrationTable(t, kind);
        EXPECT_EQ(t, full) << kind;
    }
}

}  // namespace
}  // namespace k45
