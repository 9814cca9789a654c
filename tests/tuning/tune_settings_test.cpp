// The tuning window's settings section and tune.ini: defaults, either decimal separator on
// read, "." on write, written only when the window was opened and tune.ini only in
// engineering mode.
#include <gtest/gtest.h>

#include "support/temp_home.h"
#include "tuning/tune_settings.h"

namespace k45::test {
namespace {

class TuneSettingsFiles : public ::testing::Test {
protected:
    std::string Ini() const { return home.file("K45MR.ini"); }
    std::string Tune() const { return TuneIniPath(home.path()); }
    void Restore(TuneWindowSettings& s, const LocaleInfo& loc = LocaleInfo{}) {
        RestoreTuneSettings(s, loc, Ini(), "Tune Test Window", Tune());
    }
    TempHome home;
};

TEST_F(TuneSettingsFiles, NoFilesGiveTheDefaults) {
    TuneWindowSettings s;
    Restore(s);
    for (auto t : s.testSelection) EXPECT_EQ(t, 1);
    EXPECT_EQ(s.rxOffsetListIndex, 0);
    EXPECT_EQ(s.modBalanceTxTime, 5);
    const TuneLevels& l = s.levels;
    EXPECT_EQ(l.tcxoTolerance, 200);
    EXPECT_FLOAT_EQ(l.powerCalTolerance, 0.01f);
    EXPECT_FLOAT_EQ(l.rxGainAudioLevel, 1.414f);
    EXPECT_EQ(l.frontEndSigGenLevel, 40);
    EXPECT_EQ(l.rxFcSigGenLevel, 80);
    EXPECT_EQ(l.rxGainSigGenLevel, 50);
    EXPECT_EQ(l.deviationNarrowTolerance, 50);
    EXPECT_FLOAT_EQ(l.powerVerifyTolerance, 0.2f);
    EXPECT_FALSE(home.exists("tune.ini"));
}

TEST_F(TuneSettingsFiles, EngineeringSaveCreatesTuneIniInTableOrderWithDotDecimals) {
    TuneWindowSettings s;
    Restore(s);
    s.wasLoaded = true;
    const LocaleInfo comma{",", "-"};
    ASSERT_TRUE(SaveTuneSettings(s, comma, Ini(), "Tune Test Window", Tune(), true));
    const std::string text = home.read("tune.ini");
    const std::string expected =
        "[Tx Tuning]\r\nTCXO Tolerance (Hz)=200\r\nTCXO DC Level (V)=2.5\r\nTCXO DC Level Tolerance(V)=0.5\r\n"
        "Power Cal Tolerance (Watts)=0.01\r\nPower (Watts)=5.0\r\nPower Tolerance (Watts)=0.1\r\n"
        "Deviation Wide (kHz)=4.0\r\nDeviation Wide Tolerance (Hz)=100\r\nDeviation Narrow (kHz)=2.5\r\n"
        "Deviation Narrow Tolerance (Hz)=50\r\n"
        "[Rx Tuning]\r\nFront End Sig Gen Level (dBm)=-90\r\nRx FC Sig Gen Level (dBm)=-50\r\n"
        "Rx Gain Audio Gen Level (Vrms)=1.414\r\nRx Gain Audio Gen Freq (kHz)=1.2\r\nRx Gain Sig Gen Level (dBm)=-80\r\n"
        "Rx Gain Sig Gen Level Wide (kHz)=4.0\r\nRx Gain Sig Gen Level Narrow (kHz)=2.5\r\n"
        "Rx Gain Test Point Voltage (Vp-p)=2.0\r\n"
        "[Verification Tests]\r\nRSSI Cal Verify Tolerance (dBm)=3\r\nRSSI Cal Verify On Tolerance (dBm)=5\r\n"
        "RSSI Cal Verify Off Tolerance (dBm)=5\r\nPower Cal Verify (Watts)=5.0\r\nPower Cal Verify Tolerance (Watts)=0.2\r\n";
    EXPECT_EQ(text, expected);
    TuneWindowSettings back;
    Restore(back, comma);
    EXPECT_EQ(back.levels, s.levels);
}

TEST_F(TuneSettingsFiles, HandEditedValuesReadWithEitherSeparatorAndRewriteInTheirFormat) {
    home.write("tune.ini",
               "[Rx Tuning]\r\nFront End Sig Gen Level (dBm)=95\r\nRx Gain Audio Gen Level (Vrms)=1,4142\r\n"
               "[Tx Tuning]\r\nTCXO Tolerance (Hz)=200.4\r\nPower (Watts)=abc\r\nMy Own Key=7\r\n");
    TuneWindowSettings s;
    Restore(s);
    EXPECT_EQ(s.levels.frontEndSigGenLevel, 35);  // 95 and -95 alike
    EXPECT_FLOAT_EQ(s.levels.rxGainAudioLevel, 1.4142f);
    EXPECT_EQ(s.levels.tcxoTolerance, 200);
    EXPECT_FLOAT_EQ(s.levels.powerOutLevel, 0.0f);  // no number: the value held before
    s.wasLoaded = true;
    ASSERT_TRUE(SaveTuneSettings(s, LocaleInfo{}, Ini(), "Tune Test Window", Tune(), false));
    EXPECT_NE(home.read("tune.ini").find("1,4142"), std::string::npos);  // not rewritten
    ASSERT_TRUE(SaveTuneSettings(s, LocaleInfo{}, Ini(), "Tune Test Window", Tune(), true));
    const std::string text = home.read("tune.ini");
    EXPECT_NE(text.find("Front End Sig Gen Level (dBm)=-95\r\n"), std::string::npos);
    EXPECT_NE(text.find("Rx Gain Audio Gen Level (Vrms)=1.414\r\n"), std::string::npos);
    EXPECT_NE(text.find("TCXO Tolerance (Hz)=200\r\n"), std::string::npos);
    EXPECT_NE(text.find("My Own Key=7\r\n"), std::string::npos);
}

TEST_F(TuneSettingsFiles, WindowSectionKeysAndNothingWrittenWhenNeverOpened) {
    home.write("K45MR.ini", "[Tune Test Window]\r\nLeft=300\r\nTest_07=0\r\nRx Freq Offset Index=16\r\n"
                            "Mod Balance Tx Time=x\r\n");
    TuneWindowSettings s;
    s.modBalanceTxTime = 9;
    Restore(s);
    EXPECT_EQ(s.windowLeft, 300);
    EXPECT_EQ(s.testSelection[7], 0);
    EXPECT_EQ(s.testSelection[8], 1);
    EXPECT_EQ(s.rxOffsetListIndex, 16);
    EXPECT_EQ(s.modBalanceTxTime, 9);  // no number: kept

    TuneWindowSettings missing;
    missing.modBalanceTxTime = 9;
    home.write("K45MR.ini", "[Tune Test Window]\r\nLeft=1\r\n");
    Restore(missing);
    EXPECT_EQ(missing.modBalanceTxTime, 5);  // missing: 5, not the value held

    const std::string before = home.read("K45MR.ini");
    ASSERT_TRUE(SaveTuneSettings(missing, LocaleInfo{}, Ini(), "Tune Test Window", Tune(), true));
    EXPECT_EQ(home.read("K45MR.ini"), before);
    EXPECT_FALSE(home.exists("tune.ini"));

    missing.wasLoaded = true;
    missing.testSelection[3] = 0;
    ASSERT_TRUE(SaveTuneSettings(missing, LocaleInfo{}, Ini(), "Tune Test Window", Tune(), false));
    const std::string after = home.read("K45MR.ini");
    EXPECT_NE(after.find("Test_03=0\r\n"), std::string::npos);
    EXPECT_NE(after.find("Test_14=1\r\n"), std::string::npos);
    EXPECT_NE(after.find("Mod Balance Tx Time=5\r\n"), std::string::npos);
    EXPECT_FALSE(home.exists("tune.ini"));
}

}  // namespace
}  // namespace k45::test
