// The diagnostic settings and their *.dia file: loading, saving, sorting, clamping.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnostics/diag_settings.h"
#include "support/temp_home.h"

namespace k45::test {
namespace {

const LocaleInfo kDot{".", "-"};
const LocaleInfo kComma{",", "-"};

std::vector<std::uint32_t> Ids(const DiagSettings& s) {
    return {s.filterIds.begin(), s.filterIds.begin() + s.filterIdCount};
}
std::vector<int> Short(const std::array<std::int16_t, 1025>& a, int n) { return {a.begin(), a.begin() + n}; }

DiagSettings Loaded(const std::string& text, const LocaleInfo& locale = kDot) {
    DiagSettings s;
    LoadDiaText(s, locale, text);
    return s;
}

TEST(DiaFile, AFileWithoutSectionsGivesTheDefaultsAndNoIds) {
    const DiagSettings s = Loaded("");
    EXPECT_EQ(s.alarmLimits, DefaultAlarmLimits());
    EXPECT_EQ(s.filterLimits, DefaultFilterLimits());
    EXPECT_EQ(s.filterIdCount, 0);
    EXPECT_EQ(s.shortIdCount, 0);
    EXPECT_EQ(s.shortIdPlusCount, 0);
    for (std::uint32_t id : s.filterIds) EXPECT_EQ(id, 0u);
}

TEST(DiaFile, IdKeysLoadSortedWithTheirShortIdLists) {
    struct Case {
        const char* name;
        std::string filters;
        std::vector<std::uint32_t> ids;
    };
    const std::vector<Case> cases = {
        {"two keys", "Filter IDs 00=3000,5,1029,5\nFilter IDs 01=1024\n", {5, 5, 1024, 1029, 3000}},
        {"single item key", "Filter IDs 00=7\nFilter IDs 01=9,8\n", {7, 8, 9}},
        {"empty keys are not an end mark", "Filter IDs 05=12\n", {12}},
        // Invalid items are skipped and the items after them, in this and later keys, still load.
        {"empty item", "Filter IDs 00=1,,2\nFilter IDs 01=3\n", {1, 2, 3}},
        {"word", "Filter IDs 00=1,abc,2\n", {1, 2}},
        {"negative", "Filter IDs 00=-1,4,-7\n", {4}},
        {"fraction", "Filter IDs 00=2.5,6\n", {6}},
        {"above the 32-bit range", "Filter IDs 00=4294967296,4294967295\n", {4294967295u}},
        {"blanks around items", "Filter IDs 00= 8 , 9\n", {8, 9}},
    };
    for (const auto& c : cases) {
        const DiagSettings s = Loaded("[Filters]\n" + c.filters);
        EXPECT_EQ(Ids(s), c.ids) << c.name;
        EXPECT_EQ(s.filterIds[static_cast<std::size_t>(s.filterIdCount)], 0u) << c.name;
    }
    const DiagSettings s = Loaded("[Filters]\nFilter IDs 00=3000,5,1029,5\nFilter IDs 01=1024\n");
    EXPECT_EQ(Short(s.shortIds, s.shortIdCount), (std::vector<int>{5}));
    EXPECT_EQ(Short(s.shortIdsPlus, s.shortIdPlusCount), (std::vector<int>{0, 5, 952}));
}

TEST(DiaFile, MoreThan2048IdsKeepTheFirst2048InFileOrderAndTheEndMark) {
    std::string text = "[Filters]\n";
    int id = 5000;
    for (int k = 0; k < 70; ++k) {
        text += DiaIdKey(k) + "=";
        for (int i = 0; i < 32; ++i) text += (i ? "," : "") + std::to_string(id--);
        text += "\n";
    }
    const DiagSettings s = Loaded(text);
    ASSERT_EQ(s.filterIdCount, kMaxFilterIds);
    EXPECT_EQ(s.filterIds[0], 5000u - 2047u);
    EXPECT_EQ(s.filterIds[2047], 5000u);
    EXPECT_EQ(s.filterIds[2048], 0u);
}

TEST(DiaFile, LimitsReadEitherSeparatorAndAnUnreadableValueKeepsTheField) {
    const std::string text =
        "[Alarms]\nLow Battery=7.5\nHigh Battery=19,5\nLow RSSI=\nHigh RSSI=abc\n"
        "[Filters]\nLow Forward Power=0.3\n";
    for (const LocaleInfo& locale : {kDot, kComma}) {
        DiagSettings s;
        s.alarmLimits.lowRssi = -111;
        s.alarmLimits.highRssi = -44;
        LoadDiaText(s, locale, text);
        EXPECT_FLOAT_EQ(s.alarmLimits.lowBattery, 7.5f);
        EXPECT_FLOAT_EQ(s.alarmLimits.highBattery, 19.5f);
        EXPECT_EQ(s.alarmLimits.lowRssi, -111);  // present but empty: unchanged
        EXPECT_EQ(s.alarmLimits.highRssi, -44);  // not a number: unchanged
        EXPECT_EQ(s.alarmLimits.lowTemp, -70);   // missing: default
        EXPECT_FLOAT_EQ(s.filterLimits.lowFwdPower, 0.3f);
        EXPECT_EQ(s.filterLimits.highRevPower, 4.5f);
    }
}

TEST(DiaFile, SavingWritesTheExampleLayoutWithDotDecimals) {
    TempHome home;
    DiagSettings s;
    s.alarmLimits = DefaultAlarmLimits();
    s.filterLimits = DefaultFilterLimits();
    s.filterIds[0] = 70000;
    s.filterIds[1] = 5;
    s.filterIds[2] = 1024;
    s.filterIdCount = 3;
    RebuildIdLists(s);
    std::string error;
    ASSERT_TRUE(SaveDiaFile(s, home.file("f.dia"), &error)) << error;
    std::string expected =
        "[Alarms]\r\nLow RSSI=-130\r\nHigh RSSI=-40\r\nLow Temperature=-70\r\nHigh Temperature=170\r\n"
        "Low Battery=6.5\r\nHigh Battery=20\r\nLow Forward Power=1.5\r\nHigh Forward Power=6\r\n"
        "Low Reverse Power=0\r\nHigh Reverse Power=2.5\r\n"
        "[Filters]\r\nLow RSSI=-140\r\nHigh RSSI=-30\r\nLow Temperature=-80\r\nHigh Temperature=180\r\n"
        "Low Battery=5\r\nHigh Battery=22\r\nLow Forward Power=0.1\r\nHigh Forward Power=8\r\n"
        "Low Reverse Power=0\r\nHigh Reverse Power=4.5\r\nFilter IDs 00=5,1024,70000\r\n";
    for (int k = 1; k < 100; ++k) expected += DiaIdKey(k) + "=\r\n";
    EXPECT_EQ(home.read("f.dia"), expected);

    DiagSettings back;
    LoadDiaFile(back, kComma, home.file("f.dia"));  // another locale reads the same values
    EXPECT_EQ(back.alarmLimits, s.alarmLimits);
    EXPECT_EQ(back.filterLimits, s.filterLimits);
    EXPECT_EQ(Ids(back), Ids(s));
}

TEST(DiaFile, LimitsAreWrittenWithAtMostSevenSignificantDigits) {
    struct Case {
        float value;
        const char* dot;
        const char* comma;
    };
    const Case cases[] = {
        {1.0f / 3, "0.3333333", "0,3333333"},
        {-2.0f / 3, "-0.6666667", "-0,6666667"},
        {8.0f - 0.2f, "7.8", "7,8"},  // a clamp step, not exact in binary
        {0.1f, "0.1", "0,1"},
        {-130, "-130", "-130"},
        {6.5f, "6.5", "6,5"},
        {0, "0", "0"},
        {-0.0f, "0", "0"},
        {123456.79f, "123456.8", "123456,8"},
        {0.00001f, "0.00001", "0,00001"},
        {16777216.0f, "16777220", "16777220"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DiaLimitText(c.value, kDot), c.dot) << c.value;
        EXPECT_EQ(DiaLimitText(c.value, kComma), c.comma) << c.value;
    }

    TempHome home;
    DiagSettings s;
    s.alarmLimits = DefaultAlarmLimits();
    s.filterLimits = DefaultFilterLimits();
    s.alarmLimits.lowBattery = 1.0f / 3;
    s.filterLimits.highFwdPower = 8.0f - 0.2f;
    ASSERT_TRUE(SaveDiaFile(s, home.file("f.dia")));
    const std::string file = home.read("f.dia");
    EXPECT_NE(file.find("\r\nLow Battery=0.3333333\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\r\nHigh Forward Power=7.8\r\n"), std::string::npos) << file;
}

TEST(DiaFile, SavingFillsKeysWith32IdsAndEmptiesTheRest) {
    TempHome home;
    // An old file with more keys used than the new list needs, and a key of its own.
    home.write("f.dia", "[Filters]\r\nFilter IDs 05=1,2,3\r\nComment=kept\r\n");
    struct Case {
        int count;
        std::vector<int> perKey;  // IDs in keys 00, 01, ...; the remaining keys are empty
    };
    for (const Case& c : {Case{65, {32, 32, 1}}, Case{0, {}}, Case{2048, std::vector<int>(64, 32)}}) {
        DiagSettings s;
        for (int i = 0; i < c.count; ++i) s.filterIds[static_cast<std::size_t>(i)] = 100 + i;
        s.filterIdCount = static_cast<std::int16_t>(c.count);
        ASSERT_TRUE(SaveDiaFile(s, home.file("f.dia")));
        DiagSettings back;
        LoadDiaFile(back, kDot, home.file("f.dia"));
        EXPECT_EQ(back.filterIdCount, c.count);
        const std::string file = home.read("f.dia");
        EXPECT_NE(file.find("Comment=kept"), std::string::npos);
        for (int k = 0; k < 100; ++k) {
            const std::string key = DiaIdKey(k) + "=";
            const std::size_t at = file.find(key);
            ASSERT_NE(at, std::string::npos) << k;
            const std::string value = file.substr(at + key.size(), file.find("\r\n", at) - at - key.size());
            const int n = value.empty() ? 0 : 1 + static_cast<int>(std::count(value.begin(), value.end(), ','));
            EXPECT_EQ(n, k < static_cast<int>(c.perKey.size()) ? c.perKey[static_cast<std::size_t>(k)] : 0)
                << c.count << " IDs, key " << k;
        }
    }
}

TEST(DiaFile, SavingToAFolderThatDoesNotExistIsReported) {
    TempHome home;
    DiagSettings s;
    std::string error;
    EXPECT_FALSE(SaveDiaFile(s, home.file("missing/f.dia"), &error));
    EXPECT_FALSE(error.empty());
}

TEST(DiaFile, AMissingFileGivesTheDefaults) {
    TempHome home;
    DiagSettings s;
    s.filterIdCount = 3;
    LoadDiaFile(s, kDot, home.file("none.dia"));
    EXPECT_EQ(s.alarmLimits, DefaultAlarmLimits());
    EXPECT_EQ(s.filterIdCount, 0);
}

TEST(ClampLimits, KeepsTheAlarmsInsideTheFilterWindow) {
    struct Case {
        const char* name;
        int low;  // index of the low field; high is low + 1
        float aLow, aHigh, fLow, fHigh;
        float wantALow, wantAHigh, wantFLow, wantFHigh;
    };
    const std::vector<Case> cases = {
        {"rssi out of range", 0, -200, -10, -150, -20, -139, -31, -140, -30},
        {"rssi inside stays", 0, -120, -31, -140, -30, -120, -31, -140, -30},
        {"temperature high equal to the filter", 2, -50, 180, -70, 180, -50, 175, -70, 180},
        {"temperature filter low below range", 2, -75, 100, -80, 180, -65, 100, -70, 180},
        {"forward power", 6, 0.1f, 8, 0.5f, 7, 0.5f, 6.8f, 0.5f, 7},
        {"battery above range", 4, 30, 30, 30, 30, 24, 23, 24, 24},
        {"reverse power below range", 8, -1, -1, -1, -1, 0.2f, -0.2f, 0, 0},
    };
    for (const auto& c : cases) {
        DiagLimits a = DefaultAlarmLimits(), f = DefaultFilterLimits();
        ClampLimits(a, f);  // the defaults settle first
        LimitField(a, c.low) = c.aLow;
        LimitField(a, c.low + 1) = c.aHigh;
        LimitField(f, c.low) = c.fLow;
        LimitField(f, c.low + 1) = c.fHigh;
        ClampLimits(a, f);
        EXPECT_FLOAT_EQ(LimitField(a, c.low), c.wantALow) << c.name;
        EXPECT_FLOAT_EQ(LimitField(a, c.low + 1), c.wantAHigh) << c.name;
        EXPECT_FLOAT_EQ(LimitField(f, c.low), c.wantFLow) << c.name;
        EXPECT_FLOAT_EQ(LimitField(f, c.low + 1), c.wantFHigh) << c.name;
    }
}

TEST(RebuildIdLists, SortsAndKeepsDuplicatesWithDistinctShortIds) {
    DiagSettings s;
    const std::uint32_t ids[] = {2048 + 5, 5, 1029, 5, 1023, 0};
    for (std::size_t i = 0; i < 6; ++i) s.filterIds[i] = ids[i];
    s.filterIdCount = 6;
    RebuildIdLists(s);
    EXPECT_EQ(Ids(s), (std::vector<std::uint32_t>{0, 5, 5, 1023, 1029, 2053}));
    EXPECT_EQ(Short(s.shortIds, s.shortIdCount), (std::vector<int>{0, 5, 1023}));
    EXPECT_EQ(Short(s.shortIdsPlus, s.shortIdPlusCount), (std::vector<int>{5}));
}

}  // namespace
}  // namespace k45::test
