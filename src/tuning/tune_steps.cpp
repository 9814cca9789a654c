#include "tuning/tune_steps.h"

#include <vector>

#include <cmath>
#include <string_view>

#include "base/converters.h"
#include "radio/synthesizer.h"

namespace k45 {

const std::array<TunePlanEntry, kTuneTestCount> kTunePlan{{
    {"TCXO Ad&just", groupTx, 3, 1},
    {"Power Cal Ad&just", groupTx, 5, 1},
    {"Power Out Ad&just", groupTx, 7, 0},
    {"Mod Balance Ad&just", groupTx, 9, 1},
    {"Deviation Ad&just", groupTx, 11, 1},
    {"Tx FC 8 Ad&just", groupTx, 13, 0},
    {"Tx FC 5 Ad&just", groupTx, 15, 0},
    {"Auto Front-End Ad&just", groupRx, 18, 0},
    {"Front-End Ad&just", groupRx, 19, 0},
    {"Rx FC 8 Ad&just", groupRx, 20, 0},
    {"Rx FC 5 Ad&just", groupRx, 21, 0},
    {"Rx Gain Ad&just", groupRx, 22, 1},
    {"RSSI Cal Ad&just", groupRx, 23, 1},
    {"RSSI Cal &Verify", groupVerify, 25, 1},
    {"Power Cal &Verify", groupVerify, 26, 1},
}};

TuneGroup TestGroup(int test) {
    if (test < 0 || test >= kTuneTestCount) return groupNone;
    return kTunePlan[static_cast<std::size_t>(test)].group;
}

namespace {

constexpr const char* kNl = "\r\n";
constexpr const char* kNl2 = "\r\n\r\n";

// The adjust and diagnostic labels of one step.
enum class AdjValue { Zero, Unchanged, Power, Mod, Deviation, Fc, FrontEnd, RxGain };
enum class DiagValue { Zero, Unchanged, Watts };
struct StepLabels {
    int highlightTest;
    TuneGroup group;
    const char* adjCaption;
    AdjValue adjValue;
    std::int16_t adjustIndex;
    const char* diagCaption;
    DiagValue diagValue;
    std::int16_t diagIndex;
};

constexpr StepLabels kSteps[kLastStep + 1] = {
    {-1, groupNone, "xxxx Adj:", AdjValue::Zero, 7, "xxxx", DiagValue::Zero, 13},                  // 0
    {-1, groupNone, "xxxx Adj:", AdjValue::Zero, 7, "xxxx", DiagValue::Zero, 13},                  // 1
    {-1, groupTx, "xxxx Adj:", AdjValue::Zero, 7, "xxxx", DiagValue::Zero, 13},                    // 2
    {0, groupNone, "xxxx Adj:", AdjValue::Zero, 7, "xxxx", DiagValue::Zero, 13},                   // 3
    {0, groupNone, "xxxx Adj:", AdjValue::Unchanged, 7, "xxxx", DiagValue::Unchanged, 13},         // 4
    {1, groupNone, "Power Adj:", AdjValue::Power, 4, "Fwd Pwr:", DiagValue::Watts, 8},             // 5
    {1, groupNone, "Power Adj:", AdjValue::Power, 4, "Fwd Pwr:", DiagValue::Unchanged, 8},         // 6
    {2, groupNone, "Power Adj:", AdjValue::Power, 4, "Fwd Pwr:", DiagValue::Watts, 8},             // 7
    {2, groupNone, "Power Adj:", AdjValue::Power, 4, "Fwd Pwr:", DiagValue::Unchanged, 8},         // 8
    {3, groupNone, "Modulation Adj:", AdjValue::Mod, 3, "xxxx", DiagValue::Zero, 13},              // 9
    {3, groupNone, "Modulation Adj:", AdjValue::Mod, 3, "xxxx", DiagValue::Unchanged, 13},         // 10
    {4, groupNone, "Deviation Adj:", AdjValue::Zero, 1, "xxxx", DiagValue::Zero, 13},              // 11
    {4, groupNone, "Deviation Adj:", AdjValue::Deviation, 1, "xxxx", DiagValue::Unchanged, 13},    // 12
    {5, groupNone, "Tx FC 8 Adj:", AdjValue::Fc, 7, "xxxx", DiagValue::Zero, 13},                  // 13
    {5, groupNone, "Tx FC 8 Adj:", AdjValue::Fc, 7, "xxxx", DiagValue::Unchanged, 13},             // 14
    {6, groupNone, "Tx FC 5 Adj:", AdjValue::Fc, 7, "xxxx", DiagValue::Zero, 13},                  // 15
    {6, groupNone, "Tx FC 5 Adj:", AdjValue::Fc, 7, "xxxx", DiagValue::Unchanged, 13},             // 16
    {-1, groupRx, "xxxx Adj:", AdjValue::Zero, 7, "xxxx", DiagValue::Zero, 13},                    // 17
    {7, groupNone, "xxxx Adj:", AdjValue::FrontEnd, 7, "xxxx", DiagValue::Unchanged, 13},          // 18
    {8, groupNone, "Front-End Adj:", AdjValue::FrontEnd, 2, "RSSI Voltage:", DiagValue::Unchanged, 7},  // 19
    {9, groupNone, "Rx FC 8 Adj:", AdjValue::Fc, 7, "RSSI Voltage:", DiagValue::Unchanged, 7},     // 20
    {10, groupNone, "Rx FC 5 Adj:", AdjValue::Fc, 7, "RSSI Voltage:", DiagValue::Unchanged, 7},    // 21
    {11, groupNone, "Rx Gain Adj:", AdjValue::RxGain, 0, "RSSI dBm:", DiagValue::Unchanged, 7},    // 22
    {12, groupNone, "xxxx Adj:", AdjValue::Zero, 7, "RSSI A/D:", DiagValue::Unchanged, 7},         // 23
    {-1, groupVerify, "xxxx Adj:", AdjValue::Zero, 7, "xxxx", DiagValue::Zero, 13},                // 24
    {13, groupNone, "xxxx Adj:", AdjValue::Zero, 7, "RSSI dBm:", DiagValue::Unchanged, 7},         // 25
    {14, groupNone, "xxxx Adj:", AdjValue::Zero, 7, "Fwd Pwr:", DiagValue::Unchanged, 8},          // 26
    {14, groupNone, "xxxx Adj:", AdjValue::Zero, 7, "Fwd Pwr:", DiagValue::Unchanged, 8},          // 27
    {14, groupNone, "xxxx Adj:", AdjValue::Zero, 7, "Fwd Pwr:", DiagValue::Unchanged, 8},          // 28
};

std::int32_t ClampHz(std::int64_t hz) {
    if (hz > 2147483647LL) return 2147483647;
    if (hz < -2147483647LL - 1) return -2147483647 - 1;
    return static_cast<std::int32_t>(hz);
}

}  // namespace

int TestOfStep(int step) {
    if (step < 0 || step > kLastStep) return -1;
    return kSteps[step].highlightTest;
}

bool StepNamesAdjustValue(int step) {
    if (step < 0 || step > kLastStep) return false;
    return std::string_view(kSteps[step].adjCaption) != "xxxx Adj:";
}

std::vector<std::string> StepCaptions() {
    std::vector<std::string> r;
    for (const StepLabels& l : kSteps) {
        r.emplace_back(l.adjCaption);
        r.emplace_back(l.diagCaption);
    }
    return r;
}

std::string FormatFcSigGenFreq(const TuneRecord& record, std::int32_t frequency, const LocaleInfo& locale) {
    const std::int64_t above = record.channelBandwidth == 0 ? 20000 : 10000;
    return FormatMHzUnit(ClampHz(std::int64_t{frequency} + above), locale);
}

TuneScreen RenderTuneStep(const ModeFlags& modes, const LocaleInfo& loc, TuneWork& w, const TuneLevels& lv,
                          const std::string& previousDescription) {
    TuneScreen s;
    auto watts = [&](double v) { return FormatFixed(v, 2, loc) + " W"; };
    auto one = [&](double v) { return FormatFixed(v, 1, loc); };

    // The point's frequencies; a point outside 0..2 shows 0 Hz.
    const bool pointOk = w.currentPoint >= 0 && w.currentPoint <= 2;
    const RadioSpec point = pointOk ? w.testPoints[static_cast<std::size_t>(w.currentPoint)] : RadioSpec{};
    std::int32_t rxHz = ClampHz(std::int64_t{point.rxFrequency} + w.rxOffsetHz);
    std::int32_t txHz = ClampHz(std::int64_t{point.txFrequency} + w.txOffsetHz);
    std::string rxFreqText = FormatMHzUnit(rxHz, loc);
    std::string txFreqText = FormatMHzUnit(txHz, loc);

    const int step = w.currentStep;
    if (step >= 0 && step <= kLastStep) {
        s.rendered = true;
        // The step's own first actions.
        if (step == 14 || step == 16) {
            w.tuneRecord.txSelected = kTrue;
            std::int16_t modulus = step == 14 ? 8 : 5;
            txFreqText = FormatMHzUnit(GetFcTestFreq(modes, w.tuneRecord, txHz, modulus), loc);
        } else if (step == 20 || step == 21) {
            w.tuneRecord.txSelected = kFalse;
            std::int16_t modulus = step == 20 ? 8 : 5;
            rxFreqText = FormatFcSigGenFreq(w.tuneRecord, GetFcTestFreq(modes, w.tuneRecord, rxHz, modulus), loc);
        }

        const StepLabels& l = kSteps[step];
        s.highlightTest = l.highlightTest;
        s.highlightGroup = l.group;
        s.adjCaption = l.adjCaption;
        const TuneRecord& t = w.tuneRecord;
        switch (l.adjValue) {
        case AdjValue::Zero: s.adjValue = "0"; break;
        case AdjValue::Unchanged: break;
        case AdjValue::Power: s.adjValue = std::to_string(t.powerValue); break;
        case AdjValue::Mod: s.adjValue = std::to_string(t.modValue); break;
        case AdjValue::Deviation: s.adjValue = std::to_string(t.masterDeviation); break;
        case AdjValue::Fc: s.adjValue = std::to_string(t.fcOverride); break;
        case AdjValue::FrontEnd: s.adjValue = std::to_string(t.frontEndValue); break;
        case AdjValue::RxGain: s.adjValue = std::to_string(t.rxGainAdj); break;
        }
        w.adjustIndex = l.adjustIndex;
        s.diagCaption = l.diagCaption;
        if (l.diagValue == DiagValue::Zero) s.diagValue = "0";
        else if (l.diagValue == DiagValue::Watts) s.diagValue = "0.00 W";
        w.diagIndex = l.diagIndex;

        const std::string resistor = t.radioType == 2 ? "525" : "535";
        const std::string hitReady = std::string(kNl2) + "Hit OK when Ready.";
        const std::string hitFinished = std::string(kNl2) + "Hit OK when Finished.";
        const std::string txLine = std::string(kNl2) + "Tx Frequency = " + txFreqText;
        switch (step) {
        case 0:
            s.title = "Connect Modem to Computer and Supply Power.";
            s.directions = std::string("Equipment Need:") + kNl +
                           "Power Supply, 5 Watt RF Pad, Modulation Analyzer, Signal Generator, IFR, .....";
            s.description = std::string("When Ready to Proceed with Tx and Rx Tuning,") + kNl + "Hit Start/OK to Continue.";
            w.currentTest = kNoTest;
            break;
        case 1:
            s.title = "Getting Tune Parameters..";
            s.directions = "";
            s.description = "";
            break;
        case 2:
            s.title = "Transmitter Tuning.";
            s.directions = std::string("Equipment Needed for Transmitter Tuning:") + kNl +
                           "Power Supply, 5 Watt RF Pad, Modulation Analyzer, ...";
            s.description = "Hook Up the Equipment for Tx Tuning." + hitReady;
            break;
        case 3:
            s.title = "TCXO Frequency Adjust.";
            s.directions = "Connect Radio to Modulation Analyzer or Frequency Counter.";
            s.description = "Hook Up the Equipment to Adjust the TCXO Frequency." + hitReady;
            break;
        case 4:
            s.title = "TCXO Frequency Adjust.";
            s.directions = "Connect Radio to Modulation Analyzer or Frequency Counter." + txLine;
            s.description = "Adjust TCXO Tx Frequency to " + txFreqText + ", +/- " + std::to_string(lv.tcxoTolerance) +
                            " Hz." + hitFinished;
            break;
        case 5:
            s.title = "Power Calibration.";
            s.directions = "Connect Radio to Power Meter.";
            s.description = std::string("Hook Up the Equipment to Calibrate the Tx Power.") + kNl + "Make sure that R" +
                            resistor + " is at Max Position." + hitReady;
            break;
        case 6:
            s.title = "Power Calibration.";
            s.directions = "Connect Radio to Power Meter." + txLine;
            if (w.calPointIndex >= 0 && w.calPointIndex <= 4)
                s.description = "Adjust (PgUp/PgDn) the Power Adj for a Tx Power Out of " +
                                watts(w.powerCalPoints.powerWatts[static_cast<std::size_t>(w.calPointIndex)]) +
                                " +/- " + watts(lv.powerCalTolerance) + "." + hitFinished;
            break;
        case 7:
            s.title = "Tx Power Adjust.";
            s.directions = "Connect Radio to Power Meter.";
            s.description = std::string("Hook Up the Equipment to Adjust the Power Out.") + kNl + "Make sure that R" +
                            resistor + " is at Max Position." + hitReady;
            break;
        case 8:
            s.title = "Tx Power Adjust.";
            s.directions = "Connect Radio to Power Meter." + txLine;
            s.description = "Adjust (PgUp/PgDn) the Power Adj for a Tx Power Out of " + watts(lv.powerOutLevel) +
                            " +/- " + watts(lv.powerOutTolerance) + "." + hitFinished;
            break;
        case 9:
            s.title = "Mod Flatness Test.";
            s.directions = "Connect Radio to Modulation Analyzer.  Connect Scope to DC-Coupled Modulation Analyzer Output" + txLine;
            s.description = std::string("Adjust (PgUp/PgDn) the Mod Adj for Best Square Wave with minimal Rounding and Over-Shoot.") +
                            kNl2 + "Hit OK to start Transmitting Mod Balance Square Wave.";
            break;
        case 10: {
            s.title = "Mod Flatness Test.";
            s.directions = "Modem is Transmitting Mod Balance Square Wave for " + std::to_string(w.modBalanceTxTime) +
                           " seconds." + txLine;
            std::string d = previousDescription;
            if (w.currentPoint == 1 && (t.radioType == 0 || t.radioType == 1))
                d = std::string("Adjust R827 on the RF board for 1.5 V-DC.") + kNl +
                    "Adjust R825 on the RF board for Best Square Wave with minimal Rounding and Over-Shoot.";
            else if (w.currentPoint == 1 && t.radioType == 2)
                d = std::string("Adjust R818 on the RF board for 1.5 V-DC.") + kNl +
                    "Adjust (PgUp/PgDn) the Mod Adj for Best Square Wave with minimal Rounding and Over-Shoot.";
            else if (w.currentPoint == 0 || w.currentPoint == 2)
                d = "Adjustments can be made when Modem is finished Transmitting.";
            s.description = d + kNl2 + "Please Wait Until Done Transmitting.......";
            break;
        }
        case 11:
            s.title = "Deviation Test.";
            s.directions = "Connect Radio to Modulation Analyzer.";
            s.description = "Modem will Tx 1200 Hz Tone." + hitReady;
            break;
        case 12:
            s.title = "Deviation Test.";
            s.directions = "Connect Radio to Modulation Analyzer." + txLine;
            s.description = "Adjust (PgUp/PgDn) the Dev Adj for " + one(w.txDeviationTarget) + " kHz, +/- " +
                            std::to_string(w.txDeviationTolerance) + " Hz Peak Deviation." + hitFinished;
            break;
        case 13:
        case 15:
            s.title = step == 13 ? "Tx Fractional Compensation Modulus 8 Test." : "Tx Fractional Compensation Modulus 5 Test.";
            s.directions = std::string("Connect Radio to Modulation Analyzer (15 kHz low-pass filter).") + kNl +
                           "Connect Modulation output to Oscilloscope.";
            s.description = "Modem will Tx Unmodulated." + hitReady;
            break;
        case 14:
        case 16:
            s.title = step == 14 ? "Tx Fractional Compensation Modulus 8 Test." : "Tx Fractional Compensation Modulus 5 Test.";
            s.directions = "Connect Radio to Modulation Analyzer (15 kHz low-pass filter)." + txLine;
            s.description = "Adjust (PgUp/PgDn) the Tx FC Adj for Minimum Sine Wave on the Oscilloscope." + hitFinished;
            break;
        case 17:
            s.title = "Receiver Tests.";
            s.directions = "Connect Signal Generator to Antenna of Radio.";
            s.description = "Hook Up the Equipment for the Rx Tests." + hitReady;
            break;
        case 18:
            s.title = "Auto Front-End Test.";
            s.directions = "This feature not yet available.";
            s.description = "Hit OK.";
            break;
        case 19:
            s.title = "Manual Front-End Test.";
            s.directions = "Set Signal Generator to " + rxFreqText + " and " + FormatRssiDbm(lv.frontEndSigGenLevel) +
                           " Level to the Antenna Jack.";
            s.description = "Adjust (PgUp/PgDn) the Receiver Front-End Adj (if necessary) for Max RSSI Voltage on Pin-12 of "
                            "the 14-Pin Connector (P1)." + hitFinished;
            break;
        case 20:
        case 21:
            s.title = step == 20 ? "Rx Fractional Compensation Modulus 8 Test." : "Rx Fractional Compensation Modulus 5 Test.";
            s.directions = "Set Signal Generator to " + rxFreqText + " and " + FormatRssiDbm(lv.rxFcSigGenLevel) +
                           " Level to the Antenna Jack.  " + "No Modulation is Necessary.";
            s.description = "Adjust (PgUp/PgDn) the Rx FC Adj (if necessary) for Min RSSI Voltage on Pin-12 of the 14-Pin "
                            "Connector (P1)." + hitFinished;
            break;
        case 22:
            s.title = "Rx Gain Test.";
            s.directions = "Set Audio Generator to " + FormatFixed(lv.rxGainAudioLevel, 3, loc) + " Vrms, " +
                           one(lv.rxGainAudioFreq) + " kHz sine wave." + kNl + "Set Signal Generator to " + rxFreqText +
                           ", Ext. Mod," + FormatRssiDbm(lv.rxGainSigGenLevel) + " and " + one(w.rxGainSigGenDeviation) +
                           " kHz deviation to the Antenna Jack.";
            s.description = "Adjust (PgUp/PgDn) the Rx Gain Adj for a voltage of " +
                            FormatFixed(lv.rxGainTestPointVoltage, 2, loc) + " Vp-p (" +
                            FormatFixed(static_cast<double>(lv.rxGainTestPointVoltage) / std::sqrt(8.0), 3, loc) +
                            " Vrms) at TP4." + hitFinished;
            break;
        case 23: {
            s.title = "RSSI Calibration.";
            if (w.calPointIndex >= 0 && w.calPointIndex <= 5)
                s.directions = "Set Signal Generator to " + rxFreqText + ", " +
                               FormatRssiDbm(w.rssiCalPoints.levelCode[static_cast<std::size_t>(w.calPointIndex)]) +
                               " and No Modulation to the Antenna Jack." + kNl + "Rx Frequency = " + rxFreqText;
            s.description = "Hit OK when Finished.";
            break;
        }
        case 24:
            s.title = "Verify Tests.";
            s.directions = "Connect Signal Generator to Antenna of Radio.";
            s.description = "Hook Up the Equipment for the Verify Tests." + hitReady;
            break;
        case 25: {
            s.title = "RSSI Verification Test.";
            if (w.calPointIndex < 0 || w.calPointIndex > 2) break;
            const bool on = w.calPointIndex == 1;
            const std::int16_t level = static_cast<std::int16_t>(
                on ? w.tuneParameters.rssiOnThreshold + lv.rssiVerifyOnTolerance
                   : w.tuneParameters.rssiOffThreshold - lv.rssiVerifyOffTolerance);
            s.directions = "Set Signal Generator to " + rxFreqText + ", " + FormatRssiDbm(level) +
                           " and no modulation to the Antenna Jack.";
            s.description = "Verify the Modem is reading back " + FormatRssiDbm(level) + " +/- " +
                            std::to_string(lv.rssiVerifyTolerance) + " dBm." + kNl +
                            (on ? "And Verify the Modem's Carrier Detect LED is ON ." :
                                  "And Verify the Modem's Carrier Detect LED is OFF .") +
                            kNl + "Hit OK when Finished.";
            break;
        }
        case 26:
            s.title = "Tx Power Cal Verify.";
            s.directions = "Connect Radio to Power Meter.";
            s.description = "Hook Up the Equipment to Verify the Power Out." + hitReady;
            break;
        case 27:
            s.title = "Tx Power Cal Verify.";
            s.directions = "Connect Radio to Power Meter." + txLine;
            s.description = "Verify that the Tx Power Out is " + one(lv.powerVerifyLevel) + " +/- " +
                            one(lv.powerVerifyTolerance) + " Watts." + hitFinished;
            break;
        case 28:
            s.title = "Rx Power Cal Verify.";
            s.directions = "Connect Radio to Power Meter.";
            s.description = "Verify the Modem is reading back Forward Power of " + one(lv.powerVerifyLevel) + " +/- " +
                            one(lv.powerVerifyTolerance) + " Watts." + hitFinished;
            break;
        }
    }
    s.testState = std::to_string(w.currentStep);
    s.testIndex = std::to_string(w.currentTest);
    return s;
}

}  // namespace k45
