// radspecs.cfg: golden built-in table, partial files, key forms, and the overlay at start-up.
#include <gtest/gtest.h>

#include "file_fixture.h"
#include "params/radio_spec_file.h"
#include "params/record_names.h"
#include "params/startup_defaults.h"
#include "platform/profile.h"

namespace k45 {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

class RadioSpecFileTest : public test::FileFixture {
protected:
    // Writes radspecs.cfg and lays it over the built-in table.
    bool LoadText(const std::string& content) {
        WriteFileBytes(RadioSpecFileName(state), content);
        state.testDefaults = state.builtInTestDefaults;
        return LoadRadioSpecs(state, state);
    }
    // Entries that differ from the built-in table.
    std::vector<size_t> ChangedEntries() const {
        std::vector<size_t> out;
        for (size_t i = 0; i < kRadioSpecCount; ++i)
            if (!(state.testDefaults.radioSpecs[i] == state.builtInTestDefaults.radioSpecs[i])) out.push_back(i);
        return out;
    }
};

TEST_F(RadioSpecFileTest, BuiltInTableMatchesGoldenFile) {
    EXPECT_EQ(RadioSpecFileName(state), home.path() + "/radspecs.cfg");
    ASSERT_TRUE(SaveRadioSpecs(state, state));
    test::ExpectMatchesGolden(ReadFileBytes(RadioSpecFileName(state)), "radspecs_builtin.cfg");
}

TEST_F(RadioSpecFileTest, WithoutTheFileTheBuiltInTableStays) {
    EXPECT_FALSE(LoadRadioSpecs(state, state));
    EXPECT_EQ(state.testDefaults, state.builtInTestDefaults);
}

TEST_F(RadioSpecFileTest, PartialFilesChangeOnlyWhatTheyHold) {
    struct Case { const char* content; size_t entry; RadioSpec expected; };
    RadioSpec e40 = state.builtInTestDefaults.radioSpecs[40];
    e40.rxCn = 77;
    RadioSpec e0 = state.builtInTestDefaults.radioSpecs[0];
    e0.rxFrequency = 406012500;
    RadioSpec e0b = e0;
    e0b.rxFrequency = 406012346;
    RadioSpec e89 = state.builtInTestDefaults.radioSpecs[89];
    e89.txFrequency = 961000000;
    e89.txFc5 = -3;
    const Case cases[] = {
        {"[5726 Range 3]\nMid  Rx CN=77\n", 40, e40},
        {"[5716 Range 0]\nLow  Rx Frequency=406.0125\n", 0, e0},
        {"[5716 Range 0]\nLow  Rx Frequency=406.0123456\n", 0, e0b},  // nearest whole Hz
        {"[5796 Range 9]\nHigh Tx Frequency=961\nHigh Tx FC 5=-3\n", 89, e89},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        ASSERT_TRUE(LoadText(c.content));
        EXPECT_EQ(ChangedEntries(), std::vector<size_t>{c.entry});
        EXPECT_EQ(state.testDefaults.radioSpecs[c.entry], c.expected);
    }
}

TEST_F(RadioSpecFileTest, KeysThatAreNotTheTableKeysOrValuesThatDoNotFitChangeNothing) {
    const char* contents[] = {
        "[5716 Range 0]\nLow Rx Frequency=407\n",        // one blank after the point name
        "[5716 Range 0]\nLowRx Frequency=407\n",
        "[5716 Range 10]\nLow  Rx Frequency=407\n",      // no such range
        "[5716 Range 0]\nLow  Rx CN=abc\nMid  Rx CN=40000\nHigh Rx FC 8=\n",
        "[5716 Range 0]\nLow  Rx Frequency=5000\n",      // 5000 MHz does not fit
        "",
    };
    for (const char* c : contents) {
        ASSERT_TRUE(LoadText(c)) << c;
        EXPECT_TRUE(ChangedEntries().empty()) << c;
    }
}

TEST_F(RadioSpecFileTest, SavedFileHoldsThirtySectionsOfTwentyFourKeys) {
    WriteFileBytes(RadioSpecFileName(state), "[5716 Range 2]\nStale=1\n[Other]\nKeep=1\n");
    ASSERT_TRUE(SaveRadioSpecs(state, state));
    IniDocument doc;
    ASSERT_TRUE(doc.load(RadioSpecFileName(state)));
    for (std::int16_t type = 0; type < 3; ++type) {
        for (std::int16_t range = 0; range < 10; ++range) {
            const std::string s = RadioRangeName(type, range);
            const auto keys = doc.keys(s);
            ASSERT_EQ(keys.size(), 24u) << s;
            EXPECT_EQ(keys.front(), "Low  Rx Frequency") << s;
            EXPECT_EQ(keys[2], "Low  Rx CN") << s;
            EXPECT_EQ(keys.back(), "High Tx FC 5") << s;
        }
    }
    EXPECT_FALSE(doc.get("5716 Range 2", "Stale").has_value());
    EXPECT_EQ(doc.get("Other", "Keep", "?"), "1");
    EXPECT_EQ(doc.get("5716 Range 0", "Mid  Rx Frequency", "?"), "418.000000");
    EXPECT_EQ(doc.get("5716 Range 0", "Mid  Tx FC 5", "?"), "123");
}

TEST_F(RadioSpecFileTest, SavingAfterLoadingWritesTheSameFile) {
    // Whole-Hz frequencies that are not whole kHz survive the six decimals of MHz.
    for (size_t i = 0; i < kRadioSpecCount; ++i) {
        state.testDefaults.radioSpecs[i].rxFrequency += static_cast<std::int32_t>(i * 37 + 1);
        state.testDefaults.radioSpecs[i].txCn = static_cast<std::int16_t>(300 - static_cast<int>(i));
    }
    const RadioSpecTable edited = state.testDefaults.radioSpecs;
    ASSERT_TRUE(SaveRadioSpecs(state, state));
    const std::string first = ReadFileBytes(RadioSpecFileName(state));

    state.testDefaults = state.builtInTestDefaults;
    ASSERT_TRUE(LoadRadioSpecs(state, state));
    EXPECT_EQ(state.testDefaults.radioSpecs, edited);
    ASSERT_TRUE(SaveRadioSpecs(state, state));
    EXPECT_EQ(ReadFileBytes(RadioSpecFileName(state)), first);
}

TEST_F(RadioSpecFileTest, StartUpLaysTheFileOverTheDefaultsOnly) {
    WriteFileBytes(RadioSpecFileName(state), "[5716 Range 5]\nLow  Rx FC 8=1\nLow  Rx Frequency=451\n");
    AppState fresh;
    fresh.scheduler = &clock;
    fresh.places = state.places;
    InitDefaultTables(fresh);
    const size_t e = static_cast<size_t>(RadioSpecIndex(0, 5, 0));
    EXPECT_EQ(fresh.testDefaults.radioSpecs[e].rxFc8, 1);
    EXPECT_EQ(fresh.testDefaults.radioSpecs[e].rxFrequency, 451000000);
    EXPECT_EQ(fresh.builtInTestDefaults.radioSpecs[e].rxFc8, 75);
    // The default DAC FC adjusts follow the built-in table, not the file.
    EXPECT_EQ(fresh.testDefaults.defaultDacValues.fcAdj.rxFc8[0], 75);
    ProductionTestRecord rest = fresh.testDefaults;
    rest.radioSpecs = fresh.builtInTestDefaults.radioSpecs;
    EXPECT_EQ(rest, fresh.builtInTestDefaults);
}

}  // namespace
}  // namespace k45
