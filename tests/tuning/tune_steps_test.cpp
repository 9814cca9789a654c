// The step screens: exact texts, highlights, adjust and diagnostic labels of every step.
#include <gtest/gtest.h>

#include "base/converters.h"
#include "params/startup_defaults.h"
#include "radio/synthesizer.h"
#include "tuning/tune_print.h"
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
        w.currentTest = TuneTest::ModBalance;
    }
    TuneScreen Render(TuneStep step, const std::string& previous = "old") {
        w.currentStep = step;
        return RenderTuneStep(app, app.locale, w, levels, previous);
    }
    AppState app;
    TuneLevels levels;
    TuneWork w;
};

TEST_F(StepScreens, TextsOfEveryStep) {
    struct Case { TuneStep step; const char* title; const char* directions; const char* description; };
    const Case cases[] = {
        {TuneStep::Start, "Connect Modem to Computer and Supply Power.",
         "Equipment Need:\r\nPower Supply, 5 Watt RF Pad, Modulation Analyzer, Signal Generator, IFR, .....",
         "When Ready to Proceed with Tx and Rx Tuning,\r\nHit Start/OK to Continue."},
        {TuneStep::ReadingParameters, "Getting Tune Parameters..", "", ""},
        {TuneStep::TxIntro, "Transmitter Tuning.",
         "Equipment Needed for Transmitter Tuning:\r\nPower Supply, 5 Watt RF Pad, Modulation Analyzer, ...",
         "Hook Up the Equipment for Tx Tuning.\r\n\r\nHit OK when Ready."},
        {TuneStep::TcxoReady, "TCXO Frequency Adjust.", "Connect Radio to Modulation Analyzer or Frequency Counter.",
         "Hook Up the Equipment to Adjust the TCXO Frequency.\r\n\r\nHit OK when Ready."},
        {TuneStep::TcxoKeyed, "TCXO Frequency Adjust.",
         "Connect Radio to Modulation Analyzer or Frequency Counter.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust TCXO Tx Frequency to 456.000000 MHz, +/- 200 Hz.\r\n\r\nHit OK when Finished."},
        {TuneStep::PowerCalReady, "Power Calibration.", "Connect Radio to Power Meter.",
         "Hook Up the Equipment to Calibrate the Tx Power.\r\nMake sure that R535 is at Max Position.\r\n\r\nHit OK when Ready."},
        {TuneStep::PowerOutReady, "Tx Power Adjust.", "Connect Radio to Power Meter.",
         "Hook Up the Equipment to Adjust the Power Out.\r\nMake sure that R535 is at Max Position.\r\n\r\nHit OK when Ready."},
        {TuneStep::PowerOutKeyed, "Tx Power Adjust.", "Connect Radio to Power Meter.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust (PgUp/PgDn) the Power Adj for a Tx Power Out of 5.00 W +/- 0.10 W.\r\n\r\nHit OK when Finished."},
        {TuneStep::ModBalanceReady, "Mod Flatness Test.",
         "Connect Radio to Modulation Analyzer.  Connect Scope to DC-Coupled Modulation Analyzer Output\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust (PgUp/PgDn) the Mod Adj for Best Square Wave with minimal Rounding and Over-Shoot.\r\n\r\nHit OK to start Transmitting Mod Balance Square Wave."},
        {TuneStep::ModBalanceTransmitting, "Mod Flatness Test.",
         "Modem is Transmitting Mod Balance Square Wave for 5 seconds.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust R827 on the RF board for 1.5 V-DC.\r\nAdjust R825 on the RF board for Best Square Wave with minimal Rounding and Over-Shoot.\r\n\r\nPlease Wait Until Done Transmitting......."},
        {TuneStep::DeviationReady, "Deviation Test.", "Connect Radio to Modulation Analyzer.",
         "Modem will Tx 1200 Hz Tone.\r\n\r\nHit OK when Ready."},
        {TuneStep::DeviationKeyed, "Deviation Test.", "Connect Radio to Modulation Analyzer.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Adjust (PgUp/PgDn) the Dev Adj for 4.0 kHz, +/- 100 Hz Peak Deviation.\r\n\r\nHit OK when Finished."},
        {TuneStep::TxFc8Ready, "Tx Fractional Compensation Modulus 8 Test.",
         "Connect Radio to Modulation Analyzer (15 kHz low-pass filter).\r\nConnect Modulation output to Oscilloscope.",
         "Modem will Tx Unmodulated.\r\n\r\nHit OK when Ready."},
        {TuneStep::TxFc5Ready, "Tx Fractional Compensation Modulus 5 Test.",
         "Connect Radio to Modulation Analyzer (15 kHz low-pass filter).\r\nConnect Modulation output to Oscilloscope.",
         "Modem will Tx Unmodulated.\r\n\r\nHit OK when Ready."},
        {TuneStep::RxIntro, "Receiver Tests.", "Connect Signal Generator to Antenna of Radio.",
         "Hook Up the Equipment for the Rx Tests.\r\n\r\nHit OK when Ready."},
        {TuneStep::AutoFrontEnd, "Auto Front-End Test.", "This feature not yet available.", "Hit OK."},
        {TuneStep::FrontEnd, "Manual Front-End Test.",
         "Set Signal Generator to 451.000000 MHz and -90 dBm Level to the Antenna Jack.",
         "Adjust (PgUp/PgDn) the Receiver Front-End Adj (if necessary) for Max RSSI Voltage on Pin-12 of the 14-Pin Connector (P1).\r\n\r\nHit OK when Finished."},
        {TuneStep::RxGain, "Rx Gain Test.",
         "Set Audio Generator to 1.414 Vrms, 1.2 kHz sine wave.\r\nSet Signal Generator to 451.000000 MHz, Ext. Mod,-80 dBm and 4.0 kHz deviation to the Antenna Jack.",
         "Adjust (PgUp/PgDn) the Rx Gain Adj for a voltage of 2.00 Vp-p (0.707 Vrms) at TP4.\r\n\r\nHit OK when Finished."},
        {TuneStep::VerifyIntro, "Verify Tests.", "Connect Signal Generator to Antenna of Radio.",
         "Hook Up the Equipment for the Verify Tests.\r\n\r\nHit OK when Ready."},
        {TuneStep::PowerVerifyReady, "Tx Power Cal Verify.", "Connect Radio to Power Meter.",
         "Hook Up the Equipment to Verify the Power Out.\r\n\r\nHit OK when Ready."},
        {TuneStep::PowerVerifyKeyed, "Tx Power Cal Verify.", "Connect Radio to Power Meter.\r\n\r\nTx Frequency = 456.000000 MHz",
         "Verify that the Tx Power Out is 5.0 +/- 0.2 Watts.\r\n\r\nHit OK when Finished."},
        {TuneStep::PowerVerifyReading, "Rx Power Cal Verify.", "Connect Radio to Power Meter.",
         "Verify the Modem is reading back Forward Power of 5.0 +/- 0.2 Watts.\r\n\r\nHit OK when Finished."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(StepNumber(c.step));
        const TuneScreen s = Render(c.step);
        EXPECT_TRUE(s.rendered);
        EXPECT_EQ(s.title, c.title);
        EXPECT_EQ(s.directions, std::optional<std::string>(c.directions));
        EXPECT_EQ(s.description, std::optional<std::string>(c.description));
    }
}

TEST_F(StepScreens, PowerCalibrationNamesTargetAndResistorByRadio) {
    w.calPointIndex = 2;
    EXPECT_EQ(Render(TuneStep::PowerCalKeyed).description,
              std::optional<std::string>("Adjust (PgUp/PgDn) the Power Adj for a Tx Power Out of 2.00 W +/- 0.01 W.\r\n\r\nHit OK when Finished."));
    w.calPointIndex = 5;  // outside the points: the description stays
    EXPECT_EQ(Render(TuneStep::PowerCalKeyed).description, std::nullopt);
    w.tuneRecord.radioType = 2;
    EXPECT_NE(Render(TuneStep::PowerCalReady).description->find("Make sure that R525 is"), std::string::npos);
    w.tuneRecord.radioType = 0;
    EXPECT_NE(Render(TuneStep::PowerOutReady).description->find("Make sure that R535 is"), std::string::npos);
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
        EXPECT_EQ(Render(TuneStep::ModBalanceTransmitting).description, std::optional<std::string>(c.first + wait)) << c.point << "/" << c.type;
    }
}

TEST_F(StepScreens, RssiStepsNameLevelsAndLed) {
    w.calPointIndex = 2;
    EXPECT_EQ(Render(TuneStep::RssiCal).directions,
              std::optional<std::string>("Set Signal Generator to 451.000000 MHz, -90 dBm and No Modulation to the Antenna Jack.\r\nRx Frequency = 451.000000 MHz"));
    EXPECT_EQ(Render(TuneStep::RssiCal).description, std::optional<std::string>("Hit OK when Finished."));
    struct Case { int pass; const char* level; const char* led; };
    const Case cases[] = {{0, "-120 dBm", "OFF"}, {1, "-105 dBm", "ON"}, {2, "-120 dBm", "OFF"}};
    for (const Case& c : cases) {
        w.calPointIndex = static_cast<std::int16_t>(c.pass);
        const TuneScreen s = Render(TuneStep::RssiVerify);
        EXPECT_EQ(s.title, "RSSI Verification Test.");
        EXPECT_EQ(s.directions, "Set Signal Generator to 451.000000 MHz, " + std::string(c.level) +
                                    " and no modulation to the Antenna Jack.");
        EXPECT_EQ(s.description, "Verify the Modem is reading back " + std::string(c.level) +
                                     " +/- 3 dBm.\r\nAnd Verify the Modem's Carrier Detect LED is " + c.led +
                                     " .\r\nHit OK when Finished.");
    }
    w.calPointIndex = 3;
    const TuneScreen s = Render(TuneStep::RssiVerify);
    EXPECT_EQ(s.title, "RSSI Verification Test.");
    EXPECT_EQ(s.directions, std::nullopt);
    EXPECT_EQ(s.description, std::nullopt);
}

TEST_F(StepScreens, DeviationTargetsFollowTheChosenBandwidthValues) {
    w.txDeviationTarget = levels.deviationNarrow;
    w.txDeviationTolerance = levels.deviationNarrowTolerance;
    EXPECT_EQ(Render(TuneStep::DeviationKeyed).description,
              std::optional<std::string>("Adjust (PgUp/PgDn) the Dev Adj for 2.5 kHz, +/- 50 Hz Peak Deviation.\r\n\r\nHit OK when Finished."));
}

TEST_F(StepScreens, FractionalCompensationStepsShowTheTestFrequencyAndSetTheDirection) {
    w.tuneRecord.sa7026Synthesizer = kTrue;
    w.tuneRecord.txSelected = kFalse;
    TuneScreen s = Render(TuneStep::TxFc8Keyed);
    EXPECT_EQ(w.tuneRecord.txSelected, kTrue);
    std::int16_t m8 = 8;
    const std::int32_t txFc = GetFcTestFreq(app, w.tuneRecord, 456000000, m8);
    EXPECT_EQ(s.directions, "Connect Radio to Modulation Analyzer (15 kHz low-pass filter).\r\n\r\nTx Frequency = " +
                                FormatMHzUnit(txFc, app.locale));
    w.tuneRecord.channelBandwidth = 1;
    s = Render(TuneStep::RxFc8);
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
        TuneStep step; TuneTest test; TuneGroup group; const char* adj; std::optional<std::string> adjValue; TuneAdjust adjustIndex;
        const char* diag; std::optional<std::string> diagValue; TuneDiag diagIndex;
    };
    const Case cases[] = {
        {TuneStep::Start, TuneTest::None, TuneGroup::None, "xxxx Adj:", "0", TuneAdjust::Fc, "xxxx", "0", TuneDiag::None},
        {TuneStep::TxIntro, TuneTest::None, TuneGroup::Tx, "xxxx Adj:", "0", TuneAdjust::Fc, "xxxx", "0", TuneDiag::None},
        {TuneStep::TcxoKeyed, TuneTest::Tcxo, TuneGroup::None, "xxxx Adj:", std::nullopt, TuneAdjust::Fc, "xxxx", std::nullopt, TuneDiag::None},
        {TuneStep::PowerCalReady, TuneTest::PowerCal, TuneGroup::None, "Power Adj:", "166", TuneAdjust::Power, "Fwd Pwr:", "0.00 W", TuneDiag::ForwardPower},
        {TuneStep::PowerCalKeyed, TuneTest::PowerCal, TuneGroup::None, "Power Adj:", "166", TuneAdjust::Power, "Fwd Pwr:", std::nullopt, TuneDiag::ForwardPower},
        {TuneStep::ModBalanceReady, TuneTest::ModBalance, TuneGroup::None, "Modulation Adj:", "90", TuneAdjust::Mod, "xxxx", "0", TuneDiag::None},
        {TuneStep::DeviationReady, TuneTest::Deviation, TuneGroup::None, "Deviation Adj:", "0", TuneAdjust::Deviation, "xxxx", "0", TuneDiag::None},
        {TuneStep::DeviationKeyed, TuneTest::Deviation, TuneGroup::None, "Deviation Adj:", "96", TuneAdjust::Deviation, "xxxx", std::nullopt, TuneDiag::None},
        {TuneStep::TxFc8Ready, TuneTest::TxFc8, TuneGroup::None, "Tx FC 8 Adj:", "12", TuneAdjust::Fc, "xxxx", "0", TuneDiag::None},
        {TuneStep::RxIntro, TuneTest::None, TuneGroup::Rx, "xxxx Adj:", "0", TuneAdjust::Fc, "xxxx", "0", TuneDiag::None},
        {TuneStep::AutoFrontEnd, TuneTest::AutoFrontEnd, TuneGroup::None, "xxxx Adj:", "127", TuneAdjust::Fc, "xxxx", std::nullopt, TuneDiag::None},
        {TuneStep::FrontEnd, TuneTest::FrontEnd, TuneGroup::None, "Front-End Adj:", "127", TuneAdjust::FrontEnd, "RSSI Voltage:", std::nullopt, TuneDiag::Rssi},
        {TuneStep::RxFc5, TuneTest::RxFc5, TuneGroup::None, "Rx FC 5 Adj:", "12", TuneAdjust::Fc, "RSSI Voltage:", std::nullopt, TuneDiag::Rssi},
        {TuneStep::RxGain, TuneTest::RxGain, TuneGroup::None, "Rx Gain Adj:", "128", TuneAdjust::RxGain, "RSSI dBm:", std::nullopt, TuneDiag::Rssi},
        {TuneStep::RssiCal, TuneTest::RssiCal, TuneGroup::None, "xxxx Adj:", "0", TuneAdjust::Fc, "RSSI A/D:", std::nullopt, TuneDiag::Rssi},
        {TuneStep::VerifyIntro, TuneTest::None, TuneGroup::Verify, "xxxx Adj:", "0", TuneAdjust::Fc, "xxxx", "0", TuneDiag::None},
        {TuneStep::PowerVerifyReading, TuneTest::PowerVerify, TuneGroup::None, "xxxx Adj:", "0", TuneAdjust::Fc, "Fwd Pwr:", std::nullopt, TuneDiag::ForwardPower},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(StepNumber(c.step));
        // Another value before, so the step is seen to set it.
        w.adjustIndex = c.adjustIndex == TuneAdjust::Fc ? TuneAdjust::RxGain : TuneAdjust::Fc;
        w.diagIndex = c.diagIndex == TuneDiag::None ? TuneDiag::Rssi : TuneDiag::None;
        const TuneScreen s = Render(c.step);
        EXPECT_EQ(s.highlightTest, c.test);
        EXPECT_EQ(s.highlightGroup, c.group);
        EXPECT_EQ(s.adjCaption, c.adj);
        EXPECT_EQ(s.adjValue, c.adjValue);
        EXPECT_EQ(w.adjustIndex, c.adjustIndex);
        EXPECT_EQ(s.diagCaption, c.diag);
        EXPECT_EQ(s.diagValue, c.diagValue);
        EXPECT_EQ(w.diagIndex, c.diagIndex);
    }
}

TEST_F(StepScreens, StartScreenEndsTheTestAndAStepOutsideRendersNothing) {
    w.currentTest = TuneTest::Deviation;
    TuneScreen s = Render(TuneStep::Start);
    EXPECT_EQ(w.currentTest, TuneTest::None);
    EXPECT_EQ(s.testIndex, "15");
    EXPECT_EQ(s.testState, "0");
    w.adjustIndex = TuneAdjust::Power;
    s = Render(static_cast<TuneStep>(kTuneStepCount));
    EXPECT_FALSE(s.rendered);
    EXPECT_EQ(s.highlightTest, TuneTest::None);
    EXPECT_EQ(s.highlightGroup, TuneGroup::None);
    EXPECT_EQ(s.description, std::nullopt);
    EXPECT_EQ(s.testState, "29");
    EXPECT_EQ(w.adjustIndex, TuneAdjust::Power);
}

// The engineering display shows a step's and a test's number: each keeps the number it had.
TEST_F(StepScreens, StepsAndTestsShowTheirNumbers) {
    struct Case { TuneStep step; TuneTest test; const char* state; const char* index; };
    const Case cases[] = {
        {TuneStep::ReadingParameters, TuneTest::Tcxo, "1", "0"},
        {TuneStep::TcxoKeyed, TuneTest::Tcxo, "4", "0"},
        {TuneStep::ModBalanceTransmitting, TuneTest::ModBalance, "10", "3"},
        {TuneStep::RxIntro, TuneTest::AutoFrontEnd, "17", "7"},
        {TuneStep::RssiCal, TuneTest::RssiCal, "23", "12"},
        {TuneStep::PowerVerifyReading, TuneTest::PowerVerify, "28", "14"},
    };
    for (const Case& c : cases) {
        w.currentTest = c.test;
        const TuneScreen s = Render(c.step);
        EXPECT_EQ(s.testState, c.state);
        EXPECT_EQ(s.testIndex, c.index);
    }
}

TEST(TestPlan, StepsTestsGroupsAndAdjustNaming) {
    EXPECT_EQ(StepRow(TuneStep::TxIntro).test, TuneTest::None);
    EXPECT_EQ(StepRow(TuneStep::TxFc5Keyed).test, TuneTest::TxFc5);
    EXPECT_EQ(StepRow(TuneStep::RxIntro).test, TuneTest::None);
    EXPECT_EQ(StepRow(TuneStep::PowerVerifyKeyed).test, TuneTest::PowerVerify);
    EXPECT_EQ(StepRow(static_cast<TuneStep>(kTuneStepCount)).test, TuneTest::None);
    EXPECT_TRUE(StepNamesAdjustValue(TuneStep::PowerOutKeyed));
    EXPECT_TRUE(StepNamesAdjustValue(TuneStep::RxGain));
    for (TuneStep step : {TuneStep::Start, TuneStep::ReadingParameters, TuneStep::TxIntro, TuneStep::TcxoReady,
                          TuneStep::TcxoKeyed, TuneStep::RxIntro, TuneStep::AutoFrontEnd, TuneStep::RssiCal,
                          TuneStep::VerifyIntro, TuneStep::RssiVerify, TuneStep::PowerVerifyReady,
                          TuneStep::PowerVerifyKeyed, TuneStep::PowerVerifyReading, static_cast<TuneStep>(kTuneStepCount)})
        EXPECT_FALSE(StepNamesAdjustValue(step)) << StepNumber(step);
    EXPECT_EQ(GroupOf(TuneTest::TxFc5), TuneGroup::Tx);
    EXPECT_EQ(GroupOf(TuneTest::AutoFrontEnd), TuneGroup::Rx);
    EXPECT_EQ(GroupOf(TuneTest::RssiVerify), TuneGroup::Verify);
    EXPECT_EQ(GroupOf(TuneTest::None), TuneGroup::None);
    EXPECT_TRUE(IsTuningTest(TuneTest::RssiCal));
    EXPECT_FALSE(IsTuningTest(TuneTest::RssiVerify));
    EXPECT_FALSE(IsTuningTest(TuneTest::None));
    EXPECT_EQ(IntroStep(TuneGroup::Rx), TuneStep::RxIntro);
    EXPECT_EQ(IntroStep(TuneGroup::None), TuneStep::Start);
    EXPECT_EQ(FirstTestOf(TuneGroup::Verify), TuneTest::RssiVerify);
    EXPECT_EQ(NextInPlan(TuneTest::PowerVerify), TuneTest::None);
    EXPECT_EQ(NextInPlan(TuneTest::None), TuneTest::None);
}

// Every step the plan names belongs to its test, and a keyed screen goes back to its test's
// first step when the radio is given up: that step keys the radio again with OK.
TEST(TestPlan, EachTestStartsOnItsOwnStepAndKeyedScreensFollowAStepThatKeys) {
    for (const TunePlanEntry& e : kTunePlan) {
        SCOPED_TRACE(e.caption);
        EXPECT_EQ(StepRow(e.firstStep).test, e.test);
        EXPECT_FALSE(StepRow(e.firstStep).keyed);
    }
    for (const TuneStepRow& row : StepRows()) {
        if (!row.keyed) continue;
        SCOPED_TRACE(StepNumber(row.step));
        const TuneStepRow& first = StepRow(PlanEntry(row.test)->firstStep);
        EXPECT_EQ(StepRow(first.then).step, row.step);
        EXPECT_NE(first.ok, OkAction::Finish);
    }
}

}  // namespace
}  // namespace k45
