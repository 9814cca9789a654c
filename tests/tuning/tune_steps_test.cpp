// The step screens: exact texts, highlights, adjust and diagnostic labels of every step.
#include <gtest/gtest.h>

#include "base/converters.h"
#include "params/startup_defaults.h"
#include "radio/synthesizer.h"
#include "tuning/tune_steps.h"

namespace k45 {
namespace {

class StepScreens : public ::testing::Test {
protected:
    StepScreens() {
        InitDefaultTables(app);
        ReadTuneLevels(levels, "/nonexistent/tune.ini");  // the defaults
        w.currentPoint = 1;
        w.testPoints[1].rxFrequency = 451000000;
        w.testPoints[1].txFrequency = 456000000;
        w.testPoints[0].rxFrequency = 440000000;
        w.testPoints[0].txFrequency = 445000000;
        w.tuneRecord.radioType = 1;
        w.tuneRecord.radioRange = 0;
        w.tuneRecord.powerValue = 166;
        w.tuneRecord.modValue = 90;
        w.tuneRecord.masterDeviation = 96;
        w.tuneRecord.fcOverride = 12;
        w.tuneRecord.frontEndValue = 127;
        w.tuneRecord.rxGainAdj = 128;
        w.powerCalPoints.powerWatts = {0.5f, 1.0f, 2.0f, 3.0f, 5.0f};
        w.rssiCalPoints.levelCode = {10, 20, 40, 60, 80, 100};
        w.tuneParameters.rssiOffThreshold = 15;
        w.tuneParameters.rssiOnThreshold = 20;
        w.txDeviationTarget = 4.0f;
        w.txDeviationTolerance = 100;
        w.rxGainSigGenDeviation = 4.0f;
        w.modBalanceTxTime = 5;
        w.currentTest = 3;
    }
    TuneScreen Render(int step, const std::string& previous = "old") {
        w.currentStep = step;
        return RenderTuneStep(app, app.locale, w, levels, previous);
    }
    AppState app;
    TuneLevels levels;
    TuneWork w;
};

TEST_F(StepScreens, TextsOfEveryStep) {
    struct Case { int step; const char* title; const char* directions; const char* description; };
    const Case cases[] = {
        {0, "Connect Modem to Computer and Supply Power.",
         "Equipment Need:\r\nPower Supply, 5 Watt RF Pad, Modulation Analyzer, Signal Generator, IFR, .....",
         "When Ready to Proceed with Tx and Rx Tuning,\r\nHit Start/OK to Continue."},
        {1, "Getting Tune Parameters..", "", ""},
        {2, "Transmitter Tuning.",
         "Equipment Needed for Transmitter Tuning:\r\nPower Supply, 5 Watt RF Pad, Modulation Analyzer, ...",
         "Hook Up the Equipment for Tx Tuning.\r\n\r\nHit OK when Ready."},
        {3, "TCXO Frequency Adjust.", "Connect Radio to Modulation Analyzer or Frequency Counter.",
         "Hook Up the Equipment to Adjust the TCXO Frequency.\r\n\r\nHit OK when Ready."},
        {4, "TCXO Frequency Adjust.",
         "Connect Radio to Modulation Analyzer or Frequency Counter.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust TCXO Tx Frequency to 456.000000 MHz, +/- 200 Hz.\r\n\r\nHit OK when Finished."},
        {5, "Power Calibration.", "Connect Radio to Power Meter.",
         "Hook Up the Equipment to Calibrate the Tx Power.\r\nMake sure that R535 is at Max Position.\r\n\r\nHit OK when Ready."},
        {7, "Tx Power Adjust.", "Connect Radio to Power Meter.",
         "Hook Up the Equipment to Adjust the Power Out.\r\nMake sure that R535 is at Max Position.\r\n\r\nHit OK when Ready."},
        {8, "Tx Power Adjust.", "Connect Radio to Power Meter.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust (PgUp/PgDn) the Power Adj for a Tx Power Out of 5.00 W +/- 0.10 W.\r\n\r\nHit OK when Finished."},
        {9, "Mod Flatness Test.",
         "Connect Radio to Modulation Analyzer.  Connect Scope to DC-Coupled Modulation Analyzer Output\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust (PgUp/PgDn) the Mod Adj for Best Square Wave with minimal Rounding and Over-Shoot.\r\n\r\nHit OK to start Transmitting Mod Balance Square Wave."},
        {10, "Mod Flatness Test.",
         "Modem is Transmitting Mod Balance Square Wave for 5 seconds.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust R827 on the RF board for 1.5 V-DC.\r\nAdjust R825 on the RF board for Best Square Wave with minimal Rounding and Over-Shoot.\r\n\r\nPlease Wait Until Done Transmitting......."},
        {11, "Deviation Test.", "Connect Radio to Modulation Analyzer.",
         "Modem will Tx 1200 Hz Tone.\r\n\r\nHit OK when Ready."},
        {12, "Deviation Test.", "Connect Radio to Modulation Analyzer.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust (PgUp/PgDn) the Dev Adj for 4.0 kHz, +/- 100 Hz Peak Deviation.\r\n\r\nHit OK when Finished."},
        {13, "Tx Fractional Compensation Modulus 8 Test.",
         "Connect Radio to Modulation Analyzer (15 kHz low-pass filter).\r\nConnect Modulation output to Oscilloscope.",
         "Modem will Tx Unmodulated.\r\n\r\nHit OK when Ready."},
        {15, "Tx Fractional Compensation Modulus 5 Test.",
         "Connect Radio to Modulation Analyzer (15 kHz low-pass filter).\r\nConnect Modulation output to Oscilloscope.",
         "Modem will Tx Unmodulated.\r\n\r\nHit OK when Ready."},
        {17, "Receiver Tests.", "Connect Signal Generator to Antenna of Radio.",
         "Hook Up the Equipment for the Rx Tests.\r\n\r\nHit OK when Ready."},
        {18, "Auto Front-End Test.", "This feature not yet available.", "Hit OK."},
        {19, "Manual Front-End Test.",
         "Set Signal Generator to 451.000000 MHz and -90 dBm Level to the Antenna Jack.",
         "Adjust (PgUp/PgDn) the Receiver Front-End Adj (if necessary) for Max RSSI Voltage on Pin-12 of the 14-Pin Connector (P1).\r\n\r\nHit OK when Finished."},
        {22, "Rx Gain Test.",
         "Set Audio Generator to 1.414 Vrms, 1.2 kHz sine wave.\r\nSet Signal Generator to 451.000000 MHz, Ext. Mod,-80 dBm and 4.0 kHz deviation to the Antenna Jack.",
         "Adjust (PgUp/PgDn) the Rx Gain Adj for a voltage of 2.00 Vp-p (0.707 Vrms) at TP4.\r\n\r\nHit OK when Finished."},
        {24, "Verify Tests.", "Connect Signal Generator to Antenna of Radio.",
         "Hook Up the Equipment for the Verify Tests.\r\n\r\nHit OK when Ready."},
        {26, "Tx Power Cal Verify.", "Connect Radio to Power Meter.",
         "Hook Up the Equipment to Verify the Power Out.\r\n\r\nHit OK when Ready."},
        {27, "Tx Power Cal Verify.", "Connect Radio to Power Meter.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Verify that the Tx Power Out is 5.0 +/- 0.2 Watts.\r\n\r\nHit OK when Finished."},
        {28, "Rx Power Cal Verify.", "Connect Radio to Power Meter.",
         "Verify the Modem is reading back Forward Power of 5.0 +/- 0.2 Watts.\r\n\r\nHit OK when Finished."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        const TuneScreen s = Render(c.step);
        EXPECT_TRUE(s.rendered);
        EXPECT_EQ(s.title, c.title);
        EXPECT_EQ(s.directions, std::optional<std::string>(c.directions));
        EXPECT_EQ(s.description, std::optional<std::string>(c.description));
    }
}

TEST_F(StepScreens, PowerCalibrationNamesTargetAndResistorByRadio) {
    w.calPointIndex = 2;
    EXPECT_EQ(Render(6).description,
              std::optional<std::string>("Adjust (PgUp/PgDn) the Power Adj for a Tx Power Out of 2.00 W +/- 0.01 W.\r\n\r\nHit OK when Finished."));
    w.calPointIndex = 5;  // outside the points: the description stays
    EXPECT_EQ(Render(6).description, std::nullopt);
    w.tuneRecord.radioType = 2;
    EXPECT_NE(Render(5).description->find("Make sure that R525 is"), std::string::npos);
    w.tuneRecord.radioType = 0;
    EXPECT_NE(Render(7).description->find("Make sure that R535 is"), std::string::npos);
}

TEST_F(StepScreens, ModBalanceDescriptionByPointAndRadio) {
    const std::string wait = "\r\n\r\nPlease Wait Until Done Transmitting.......";
    struct Case { int point; int type; std::string first; };
    const Case cases[] = {
        {0, 1, "Adjustments can be made when Modem is finished Transmitting."},
        {2, 2, "Adjustments can be made when Modem is finished Transmitting."},
        {1, 2, "Adjust R818 on the RF board for 1.5 V-DC.\r\nAdjust (PgUp/PgDn) the Mod Adj for Best Square Wave with minimal Rounding and Over-Shoot."},
        {1, 0, "Adjust R827 on the RF board for 1.5 V-DC.\r\nAdjust R825 on the RF board for Best Square Wave with minimal Rounding and Over-Shoot."},
    };
    for (const Case& c : cases) {
        w.currentPoint = static_cast<std::int16_t>(c.point);
        w.tuneRecord.radioType = c.type;
        EXPECT_EQ(Render(10).description, std::optional<std::string>(c.first + wait)) << c.point << "/" << c.type;
    }
}

TEST_F(StepScreens, RssiStepsNameLevelsAndLed) {
    w.calPointIndex = 2;
    EXPECT_EQ(Render(23).directions,
              std::optional<std::string>("Set Signal Generator to 451.000000 MHz, -90 dBm and No Modulation to the Antenna Jack.\r\nRx Frequency = 451.000000 MHz"));
    EXPECT_EQ(Render(23).description, std::optional<std::string>("Hit OK when Finished."));
    struct Case { int pass; const char* level; const char* led; };
    const Case cases[] = {{0, "-120 dBm", "OFF"}, {1, "-105 dBm", "ON"}, {2, "-120 dBm", "OFF"}};
    for (const Case& c : cases) {
        w.calPointIndex = static_cast<std::int16_t>(c.pass);
        const TuneScreen s = Render(25);
        EXPECT_EQ(s.title, "RSSI Verification Test.");
        EXPECT_EQ(s.directions, "Set Signal Generator to 451.000000 MHz, " + std::string(c.level) +
                                    " and no modulation to the Antenna Jack.");
        EXPECT_EQ(s.description, "Verify the Modem is reading back " + std::string(c.level) +
                                     " +/- 3 dBm.\r\nAnd Verify the Modem's Carrier Detect LED is " + c.led +
                                     " .\r\nHit OK when Finished.");
    }
    w.calPointIndex = 3;
    const TuneScreen s = Render(25);
    EXPECT_EQ(s.title, "RSSI Verification Test.");
    EXPECT_EQ(s.directions, std::nullopt);
    EXPECT_EQ(s.description, std::nullopt);
}

TEST_F(StepScreens, DeviationTargetsFollowTheChosenBandwidthValues) {
    w.txDeviationTarget = levels.deviationNarrow;
    w.txDeviationTolerance = levels.deviationNarrowTolerance;
    EXPECT_EQ(Render(12).description,
              std::optional<std::string>("Adjust (PgUp/PgDn) the Dev Adj for 2.5 kHz, +/- 50 Hz Peak Deviation.\r\n\r\nHit OK when Finished."));
}

TEST_F(StepScreens, FractionalCompensationStepsShowTheTestFrequencyAndSetTheDirection) {
    w.tuneRecord.sa7026Synthesizer = kTrue;
    w.tuneRecord.txSelected = kFalse;
    TuneScreen s = Render(14);
    EXPECT_EQ(w.tuneRecord.txSelected, kTrue);
    std::int16_t m8 = 8;
    const std::int32_t txFc = GetFcTestFreq(app, w.tuneRecord, 456000000, m8);
    EXPECT_EQ(s.directions, "Connect Radio to Modulation Analyzer (15 kHz low-pass filter).\r\n\r\nTx Frequency = " +
                                FormatMHzUnit(txFc, app.locale));
    w.tuneRecord.channelBandwidth = 1;
    s = Render(20);
    EXPECT_EQ(w.tuneRecord.txSelected, kFalse);
    m8 = 8;
    const std::int32_t rxFc = GetFcTestFreq(app, w.tuneRecord, 451000000, m8);
    EXPECT_EQ(s.directions, "Set Signal Generator to " + FormatMHzUnit(rxFc + 10000, app.locale) +
                                " and -50 dBm Level to the Antenna Jack.  No Modulation is Necessary.");
    w.tuneRecord.channelBandwidth = 0;
    EXPECT_EQ(FormatFcSigGenFreq(w.tuneRecord, 451000000, app.locale), "451.020000 MHz");
    w.tuneRecord.channelBandwidth = 1;
    EXPECT_EQ(FormatFcSigGenFreq(w.tuneRecord, 451000000, app.locale), "451.010000 MHz");
    EXPECT_EQ(FormatFcSigGenFreq(w.tuneRecord, 2147480000, app.locale), FormatMHzUnit(2147483647, app.locale));
}

TEST_F(StepScreens, LabelsHighlightsAndIndexes) {
    struct Case {
        int step; int test; TuneGroup group; const char* adj; std::optional<std::string> adjValue; int adjustIndex;
        const char* diag; std::optional<std::string> diagValue; int diagIndex;
    };
    const Case cases[] = {
        {0, -1, groupNone, "xxxx Adj:", "0", 7, "xxxx", "0", 13},
        {2, -1, groupTx, "xxxx Adj:", "0", 7, "xxxx", "0", 13},
        {4, 0, groupNone, "xxxx Adj:", std::nullopt, 7, "xxxx", std::nullopt, 13},
        {5, 1, groupNone, "Power Adj:", "166", 4, "Fwd Pwr:", "0.00 W", 8},
        {6, 1, groupNone, "Power Adj:", "166", 4, "Fwd Pwr:", std::nullopt, 8},
        {9, 3, groupNone, "Modulation Adj:", "90", 3, "xxxx", "0", 13},
        {11, 4, groupNone, "Deviation Adj:", "0", 1, "xxxx", "0", 13},
        {12, 4, groupNone, "Deviation Adj:", "96", 1, "xxxx", std::nullopt, 13},
        {13, 5, groupNone, "Tx FC 8 Adj:", "12", 7, "xxxx", "0", 13},
        {17, -1, groupRx, "xxxx Adj:", "0", 7, "xxxx", "0", 13},
        {18, 7, groupNone, "xxxx Adj:", "127", 7, "xxxx", std::nullopt, 13},
        {19, 8, groupNone, "Front-End Adj:", "127", 2, "RSSI Voltage:", std::nullopt, 7},
        {21, 10, groupNone, "Rx FC 5 Adj:", "12", 7, "RSSI Voltage:", std::nullopt, 7},
        {22, 11, groupNone, "Rx Gain Adj:", "128", 0, "RSSI dBm:", std::nullopt, 7},
        {23, 12, groupNone, "xxxx Adj:", "0", 7, "RSSI A/D:", std::nullopt, 7},
        {24, -1, groupVerify, "xxxx Adj:", "0", 7, "xxxx", "0", 13},
        {28, 14, groupNone, "xxxx Adj:", "0", 7, "Fwd Pwr:", std::nullopt, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        w.adjustIndex = -5;
        w.diagIndex = -5;
        const TuneScreen s = Render(c.step);
        EXPECT_EQ(s.highlightTest, c.test);
        EXPECT_EQ(s.highlightGroup, c.group);
        EXPECT_EQ(s.adjCaption, c.adj);
        EXPECT_EQ(s.adjValue, c.adjValue);
        EXPECT_EQ(w.adjustIndex, c.adjustIndex);
        EXPECT_EQ(s.diagCaption, c.diag);
        EXPECT_EQ(s.diagValue, c.diagValue);
        EXPECT_EQ(w.diagIndex, c.diagIndex);
        EXPECT_EQ(s.testState, std::to_string(c.step));
    }
}

TEST_F(StepScreens, StartScreenEndsTheTestAndAStepOutsideRendersNothing) {
    w.currentTest = 4;
    TuneScreen s = Render(0);
    EXPECT_EQ(w.currentTest, kNoTest);
    EXPECT_EQ(s.testIndex, "15");
    EXPECT_EQ(s.testState, "0");
    w.adjustIndex = 4;
    s = Render(29);
    EXPECT_FALSE(s.rendered);
    EXPECT_EQ(s.highlightTest, -1);
    EXPECT_EQ(s.highlightGroup, groupNone);
    EXPECT_EQ(s.description, std::nullopt);
    EXPECT_EQ(s.testState, "29");
    EXPECT_EQ(w.adjustIndex, 4);
}

TEST(TestPlan, StepsTestsAndAdjustNaming) {
    EXPECT_EQ(TestOfStep(2), -1);
    EXPECT_EQ(TestOfStep(16), 6);
    EXPECT_EQ(TestOfStep(17), -1);
    EXPECT_EQ(TestOfStep(27), 14);
    EXPECT_EQ(TestOfStep(29), -1);
    EXPECT_TRUE(StepNamesAdjustValue(8));
    EXPECT_TRUE(StepNamesAdjustValue(22));
    for (int step : {0, 1, 2, 3, 4, 17, 18, 23, 24, 25, 26, 27, 28, 29}) EXPECT_FALSE(StepNamesAdjustValue(step)) << step;
    EXPECT_EQ(TestGroup(6), groupTx);
    EXPECT_EQ(TestGroup(7), groupRx);
    EXPECT_EQ(TestGroup(13), groupVerify);
    EXPECT_EQ(TestGroup(15), groupNone);
}

}  // namespace
}  // namespace k45
