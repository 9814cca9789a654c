#include <gtest/gtest.h>

#include "radio/radio_defaults.h"
#include "radio_fixture.h"

namespace k45 {
namespace {

TEST(RadioDefaults, EnabledTypesAndRanges) {
    AppState app;
    app.rangeEnabled[0][9] = true;  // set before: the initialiser clears what its type does not offer
    ProductionTestRecord rec;
    InitRadioType5716(app, rec);
    InitRadioType5726(app, rec);
    InitRadioType5796(app, rec);
    EXPECT_EQ(app.radioTypeEnabled, (std::array<bool, 3>{true, true, true}));
    EXPECT_EQ(app.rangeEnabled[0], (std::array<bool, 10>{true, true, true, true, true, true, true, true, true, false}));
    EXPECT_EQ(app.rangeEnabled[1], (std::array<bool, 10>{false, false, false, false, true, true, true, true, false, true}));
    EXPECT_EQ(app.rangeEnabled[2], (std::array<bool, 10>{false, false, false, false, true, true, false, false, false, false}));
}

TEST(RadioDefaults, SpecEntriesOfEachType) {
    AppState app;
    ProductionTestRecord rec;
    ProductionTestRecord untouched;
    InitRadioType5726(app, rec);
    // Only type 1's 30 entries were written.
    for (int i = 0; i < kRadioSpecCount; ++i) {
        if (i % 3 != 1) {
            EXPECT_EQ(rec.radioSpecs[static_cast<size_t>(i)], untouched.radioSpecs[static_cast<size_t>(i)]) << i;
        }
    }
    InitRadioType5716(app, rec);
    InitRadioType5796(app, rec);

    const RadioSpec& mid00 = rec.radioSpecs[30];
    EXPECT_EQ(mid00, (RadioSpec{418000000, 98, 73, 121, 418000000, 88, 72, 123}));
    EXPECT_EQ(rec.radioSpecs[RadioSpecIndex(0, 5, 2)], (RadioSpec{470000000, 101, 78, 123, 470000000, 91, 77, 121}));
    EXPECT_EQ(rec.radioSpecs[RadioSpecIndex(1, 5, 0)], (RadioSpec{150000000, 91, 67, 107, 150000000, 80, 66, 105}));
    EXPECT_EQ(rec.radioSpecs[RadioSpecIndex(1, 7, 2)], (RadioSpec{163000000, 119, 70, 111, 163000000, 102, 70, 112}));
    EXPECT_EQ(rec.radioSpecs[RadioSpecIndex(1, 9, 1)], (RadioSpec{230000000, 96, 69, 69, 230000000, 86, 69, 69}));
    EXPECT_EQ(rec.radioSpecs[RadioSpecIndex(2, 4, 1)], (RadioSpec{944000000, 102, 76, 109, 944000000, 112, 76, 109}));
    for (int p = 0; p < 3; ++p) {
        auto at = [&](int t, int r) { return rec.radioSpecs[static_cast<size_t>(RadioSpecIndex(t, r, p))]; };
        EXPECT_EQ(at(0, 9), at(0, 8));
        EXPECT_EQ(at(1, 8), at(1, 6));
        for (int r = 0; r < 4; ++r) EXPECT_EQ(at(1, r), at(1, 4));
        for (int r = 0; r < 10; ++r) EXPECT_EQ(at(2, r), at(2, 5));
        for (int t = 0; t < 3; ++t)
            for (int r = 0; r < 10; ++r) {
                EXPECT_GT(at(t, r).rxFrequency, 100000000);
                EXPECT_EQ(at(t, r).rxFrequency, at(t, r).txFrequency);
            }
    }
}

TEST(RadioDefaults, RssiCurves) {
    std::array<std::int16_t, 256> c5716{}, c5726{}, c5796{};
    c5716.fill(-1);
    BuildRssiCurve5716(c5716);
    BuildRssiCurve5726(c5726);
    BuildRssiCurve5796(c5796);
    EXPECT_EQ(c5716[0], 130);
    EXPECT_EQ(c5716[57], 130);
    EXPECT_EQ(c5716[58], 129);
    EXPECT_EQ(c5716[179], 50);
    EXPECT_EQ(c5716[180], 45);
    EXPECT_EQ(c5716[255], 45);
    EXPECT_EQ(c5726[43], 130);
    EXPECT_EQ(c5726[44], 129);
    EXPECT_EQ(c5726[176], 46);
    EXPECT_EQ(c5726[177], 45);
    EXPECT_EQ(c5796[36], 130);
    EXPECT_EQ(c5796[37], 129);
    EXPECT_EQ(c5796[153], 51);
    EXPECT_EQ(c5796[154], 50);
    EXPECT_EQ(c5796[255], 50);
    for (const auto* c : {&c5716, &c5726, &c5796})
        for (size_t a = 1; a < 256; ++a) EXPECT_LE((*c)[a], (*c)[a - 1]) << a;
}

}  // namespace
}  // namespace k45
