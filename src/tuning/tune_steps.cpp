#include "tuning/tune_steps.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "base/converters.h"
#include "radio/cal_tables.h"
#include "radio/synthesizer.h"

namespace k45 {

int TestNumber(TuneTest test) { return static_cast<int>(test); }

TuneTest TestAt(int number) {
    return number >= 0 && number < kTuneTestCount ? static_cast<TuneTest>(number) : TuneTest::None;
}

TuneTest NextInPlan(TuneTest test) { return test == TuneTest::None ? TuneTest::None : TestAt(TestNumber(test) + 1); }

int StepNumber(TuneStep step) { return static_cast<int>(step); }

bool TuneWork::Done(TuneTest test) const {
    return PlanEntry(test) && testDone[static_cast<std::size_t>(TestNumber(test))];
}

void TuneWork::MarkDone(TuneTest test) {
    if (PlanEntry(test)) testDone[static_cast<std::size_t>(TestNumber(test))] = true;
}

// ---- the tests

// clang-format off
const std::array<TunePlanEntry, kTuneTestCount> kTunePlan{{
    {.test = TuneTest::Tcxo, .caption = "TCXO Ad&just", .group = TuneGroup::Tx, .firstStep = TuneStep::TcxoReady,
     .startPoint = 1},
    {.test = TuneTest::PowerCal, .caption = "Power Cal Ad&just", .group = TuneGroup::Tx,
     .firstStep = TuneStep::PowerCalReady, .startPoint = 1,
     .store =
         [](const ResultSave& s) {
             BuildPowerTable(s.modes, s.files, s.services, s.out.calTables, s.work.powerCalPoints, true);
             s.out.masterPowerMeterCal = 200;
         }},
    {.test = TuneTest::PowerOut, .caption = "Power Out Ad&just", .group = TuneGroup::Tx,
     .firstStep = TuneStep::PowerOutReady, .startPoint = 0, .setByDacValues = true,
     .store = [](const ResultSave& s) { s.out.powerAdj = s.work.tuneRecord.powerAdj; }},
    {.test = TuneTest::ModBalance, .caption = "Mod Balance Ad&just", .group = TuneGroup::Tx,
     .firstStep = TuneStep::ModBalanceReady, .startPoint = 1, .setByDacValues = true,
     .store = [](const ResultSave& s) { s.out.modAdj = s.work.tuneRecord.modAdj; }},
    {.test = TuneTest::Deviation, .caption = "Deviation Ad&just", .group = TuneGroup::Tx,
     .firstStep = TuneStep::DeviationReady, .startPoint = 1, .setByDacValues = true,
     .store = [](const ResultSave& s) { s.out.masterDeviation = s.work.tuneRecord.masterDeviation; }},
    {.test = TuneTest::TxFc8, .caption = "Tx FC 8 Ad&just", .group = TuneGroup::Tx, .firstStep = TuneStep::TxFc8Ready,
     .startPoint = 0, .setByDacValues = true,
     .store = [](const ResultSave& s) { s.out.fcAdj.txFc8 = s.work.tuneRecord.fcAdj.txFc8; }},
    {.test = TuneTest::TxFc5, .caption = "Tx FC 5 Ad&just", .group = TuneGroup::Tx, .firstStep = TuneStep::TxFc5Ready,
     .startPoint = 0, .setByDacValues = true,
     .store = [](const ResultSave& s) { s.out.fcAdj.txFc5 = s.work.tuneRecord.fcAdj.txFc5; }},
    {.test = TuneTest::AutoFrontEnd, .caption = "Auto Front-End Ad&just", .group = TuneGroup::Rx,
     .firstStep = TuneStep::AutoFrontEnd, .startPoint = 0},
    {.test = TuneTest::FrontEnd, .caption = "Front-End Ad&just", .group = TuneGroup::Rx,
     .firstStep = TuneStep::FrontEnd, .startPoint = 0, .setByDacValues = true,
     .store = [](const ResultSave& s) { s.out.frontEndAdj = s.work.tuneRecord.frontEndAdj; }},
    {.test = TuneTest::RxFc8, .caption = "Rx FC 8 Ad&just", .group = TuneGroup::Rx, .firstStep = TuneStep::RxFc8,
     .startPoint = 0, .setByDacValues = true,
     .store = [](const ResultSave& s) { s.out.fcAdj.rxFc8 = s.work.tuneRecord.fcAdj.rxFc8; }},
    {.test = TuneTest::RxFc5, .caption = "Rx FC 5 Ad&just", .group = TuneGroup::Rx, .firstStep = TuneStep::RxFc5,
     .startPoint = 0, .setByDacValues = true,
     .store = [](const ResultSave& s) { s.out.fcAdj.rxFc5 = s.work.tuneRecord.fcAdj.rxFc5; }},
    {.test = TuneTest::RxGain, .caption = "Rx Gain Ad&just", .group = TuneGroup::Rx, .firstStep = TuneStep::RxGain,
     .startPoint = 1, .setByDacValues = true,
     .store = [](const ResultSave& s) { s.out.masterRxGain = s.work.tuneRecord.rxGainAdj; }},
    {.test = TuneTest::RssiCal, .caption = "RSSI Cal Ad&just", .group = TuneGroup::Rx, .firstStep = TuneStep::RssiCal,
     .startPoint = 1,
     .store =
         [](const ResultSave& s) {
             BuildRssiTable(s.modes, s.files, s.services, s.out.calTables, s.work.rssiCalPoints, true);
             s.out.rssiCalAdj = 0;
             if (!s.modes.productionMode) return;
             const RssiTempComp& tc = s.testParameters.rssiTempComp;
             s.out.calTables.rssiTempTable = tc.compressedTable;
             s.out.calTables.rssiTempTablePresent = kTrue;
             s.out.calTables.rssiTempTableId = tc.tableId;
         }},
    {.test = TuneTest::RssiVerify, .caption = "RSSI Cal &Verify", .group = TuneGroup::Verify,
     .firstStep = TuneStep::RssiVerify, .startPoint = 1},
    {.test = TuneTest::PowerVerify, .caption = "Power Cal &Verify", .group = TuneGroup::Verify,
     .firstStep = TuneStep::PowerVerifyReady, .startPoint = 1},
}};
// clang-format on

const TunePlanEntry* PlanEntry(TuneTest test) {
    const int n = TestNumber(test);
    return n >= 0 && n < kTuneTestCount ? &kTunePlan[static_cast<std::size_t>(n)] : nullptr;
}

TuneGroup GroupOf(TuneTest test) {
    const TunePlanEntry* e = PlanEntry(test);
    return e ? e->group : TuneGroup::None;
}

bool IsTuningTest(TuneTest test) { return GroupOf(test) < TuneGroup::Verify; }

TuneTest FirstTestOf(TuneGroup group) {
    for (const TunePlanEntry& e : kTunePlan)
        if (e.group == group) return e.test;
    return TuneTest::None;
}

// ---- the steps

namespace {

constexpr const char* kNl = "\r\n";
constexpr const char* kNl2 = "\r\n\r\n";
const std::string kHitReady = std::string(kNl2) + "Hit OK when Ready.";
const std::string kHitFinished = std::string(kNl2) + "Hit OK when Finished.";

std::string Watts(const StepTextParts& c, double v) { return FormatFixed(v, 2, c.locale) + " W"; }
std::string OneDecimal(const StepTextParts& c, double v) { return FormatFixed(v, 1, c.locale); }
std::string TxLine(const StepTextParts& c) { return std::string(kNl2) + "Tx Frequency = " + c.txFreqText; }
// The power resistor to set to its maximum: R525 on the 5796, R535 on the others.
std::string PowerResistor(const StepTextParts& c) { return c.w.tuneRecord.radioType == 2 ? "525" : "535"; }

constexpr StepAdjustLabel kAdjustKept{"xxxx Adj:", AdjShown::Unchanged, TuneAdjust::Fc};
constexpr StepAdjustLabel kPowerAdj{"Power Adj:", AdjShown::Power, TuneAdjust::Power};
constexpr StepAdjustLabel kModAdj{"Modulation Adj:", AdjShown::Mod, TuneAdjust::Mod};
constexpr StepAdjustLabel kTxFc8Adj{"Tx FC 8 Adj:", AdjShown::Fc, TuneAdjust::Fc};
constexpr StepAdjustLabel kTxFc5Adj{"Tx FC 5 Adj:", AdjShown::Fc, TuneAdjust::Fc};
constexpr StepDiagLabel kDiagKept{"xxxx", DiagShown::Unchanged, TuneDiag::None};
constexpr StepDiagLabel kFwdPwrZero{"Fwd Pwr:", DiagShown::Watts, TuneDiag::ForwardPower};
constexpr StepDiagLabel kFwdPwr{"Fwd Pwr:", DiagShown::Unchanged, TuneDiag::ForwardPower};
constexpr StepDiagLabel kRssiVoltage{"RSSI Voltage:", DiagShown::Unchanged, TuneDiag::Rssi};
constexpr StepDiagLabel kRssiDbm{"RSSI dBm:", DiagShown::Unchanged, TuneDiag::Rssi};

void TxFcReadyTexts(const StepTextParts&, TuneScreen& s, const char* modulus) {
    s.title = std::string("Tx Fractional Compensation Modulus ") + modulus + " Test.";
    s.directions = std::string("Connect Radio to Modulation Analyzer (15 kHz low-pass filter).") + kNl +
                   "Connect Modulation output to Oscilloscope.";
    s.description = "Modem will Tx Unmodulated." + kHitReady;
}

void TxFcKeyedTexts(const StepTextParts& c, TuneScreen& s, const char* modulus) {
    s.title = std::string("Tx Fractional Compensation Modulus ") + modulus + " Test.";
    s.directions = "Connect Radio to Modulation Analyzer (15 kHz low-pass filter)." + TxLine(c);
    s.description = "Adjust (PgUp/PgDn) the Tx FC Adj for Minimum Sine Wave on the Oscilloscope." + kHitFinished;
}

void RxFcTexts(const StepTextParts& c, TuneScreen& s, const char* modulus) {
    s.title = std::string("Rx Fractional Compensation Modulus ") + modulus + " Test.";
    s.directions = "Set Signal Generator to " + c.rxFreqText + " and " + FormatRssiDbm(c.levels.rxFcSigGenLevel) +
                   " Level to the Antenna Jack.  " + "No Modulation is Necessary.";
    s.description =
        "Adjust (PgUp/PgDn) the Rx FC Adj (if necessary) for Min RSSI Voltage on Pin-12 of the 14-Pin Connector (P1)." +
        kHitFinished;
}

const std::array<TuneStepRow, kTuneStepCount> kSteps{{
    {
        .step = TuneStep::Start,
        .texts =
            [](const StepTextParts&, TuneScreen& s) {
                s.title = "Connect Modem to Computer and Supply Power.";
                s.directions = std::string("Equipment Need:") + kNl +
                               "Power Supply, 5 Watt RF Pad, Modulation Analyzer, Signal Generator, IFR, .....";
                s.description =
                    std::string("When Ready to Proceed with Tx and Rx Tuning,") + kNl + "Hit Start/OK to Continue.";
            },
        .ok = OkAction::Start,
        .next = NextAction::Nothing,
        .waitsForUnkey = false,
    },
    {
        .step = TuneStep::ReadingParameters,
        .texts =
            [](const StepTextParts&, TuneScreen& s) {
                s.title = "Getting Tune Parameters..";
                s.directions = "";
                s.description = "";
            },
        .next = NextAction::Nothing,
        .waitsForUnkey = false,
    },
    {
        .step = TuneStep::TxIntro,
        .intro = TuneGroup::Tx,
        .texts =
            [](const StepTextParts&, TuneScreen& s) {
                s.title = "Transmitter Tuning.";
                s.directions = std::string("Equipment Needed for Transmitter Tuning:") + kNl +
                               "Power Supply, 5 Watt RF Pad, Modulation Analyzer, ...";
                s.description = "Hook Up the Equipment for Tx Tuning." + kHitReady;
            },
        .ok = OkAction::EnterGroup,
        .next = NextAction::EnterGroup,
        .prev = PrevAction::BeforeGroup,
    },
    {
        .step = TuneStep::TcxoReady,
        .test = TuneTest::Tcxo,
        .texts =
            [](const StepTextParts&, TuneScreen& s) {
                s.title = "TCXO Frequency Adjust.";
                s.directions = "Connect Radio to Modulation Analyzer or Frequency Counter.";
                s.description = "Hook Up the Equipment to Adjust the TCXO Frequency." + kHitReady;
            },
        .ok = OkAction::KeyOn,
        .then = TuneStep::TcxoKeyed,
        .prev = PrevAction::PreviousTest,
    },
    {
        .step = TuneStep::TcxoKeyed,
        .test = TuneTest::Tcxo,
        .adjust = kAdjustKept,
        .diag = kDiagKept,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "TCXO Frequency Adjust.";
                s.directions = "Connect Radio to Modulation Analyzer or Frequency Counter." + TxLine(c);
                s.description = "Adjust TCXO Tx Frequency to " + c.txFreqText + ", +/- " +
                                std::to_string(c.levels.tcxoTolerance) + " Hz." + kHitFinished;
            },
        .keyed = true,
        .ok = OkAction::Finish,
        .prev = PrevAction::Restart,
    },
    {
        .step = TuneStep::PowerCalReady,
        .test = TuneTest::PowerCal,
        .adjust = kPowerAdj,
        .diag = kFwdPwrZero,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Power Calibration.";
                s.directions = "Connect Radio to Power Meter.";
                s.description = std::string("Hook Up the Equipment to Calibrate the Tx Power.") + kNl +
                                "Make sure that R" + PowerResistor(c) + " is at Max Position." + kHitReady;
            },
        .ok = OkAction::KeyAtLowPower,
        .then = TuneStep::PowerCalKeyed,
        .prev = PrevAction::PreviousTest,
    },
    {
        // One pass per calibration point: the operator sets the target power, OK measures it.
        .step = TuneStep::PowerCalKeyed,
        .test = TuneTest::PowerCal,
        .adjust = kPowerAdj,
        .diag = kFwdPwr,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Power Calibration.";
                s.directions = "Connect Radio to Power Meter." + TxLine(c);
                const int i = c.w.calPointIndex;
                if (i < 0 || i >= static_cast<int>(c.w.powerCalPoints.powerWatts.size())) return;
                s.description = "Adjust (PgUp/PgDn) the Power Adj for a Tx Power Out of " +
                                Watts(c, c.w.powerCalPoints.powerWatts[static_cast<std::size_t>(i)]) + " +/- " +
                                Watts(c, c.levels.powerCalTolerance) + "." + kHitFinished;
            },
        .keyed = true,
        .ok = OkAction::MeasurePowerPoint,
        .prev = PrevAction::Restart,
    },
    {
        .step = TuneStep::PowerOutReady,
        .test = TuneTest::PowerOut,
        .adjust = kPowerAdj,
        .diag = kFwdPwrZero,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Tx Power Adjust.";
                s.directions = "Connect Radio to Power Meter.";
                s.description = std::string("Hook Up the Equipment to Adjust the Power Out.") + kNl +
                                "Make sure that R" + PowerResistor(c) + " is at Max Position." + kHitReady;
            },
        .ok = OkAction::KeyOn,
        .then = TuneStep::PowerOutKeyed,
        .prev = PrevAction::PreviousTest,
    },
    {
        .step = TuneStep::PowerOutKeyed,
        .test = TuneTest::PowerOut,
        .adjust = kPowerAdj,
        .diag = kFwdPwr,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Tx Power Adjust.";
                s.directions = "Connect Radio to Power Meter." + TxLine(c);
                s.description = "Adjust (PgUp/PgDn) the Power Adj for a Tx Power Out of " +
                                Watts(c, c.levels.powerOutLevel) + " +/- " + Watts(c, c.levels.powerOutTolerance) +
                                "." + kHitFinished;
            },
        .keyed = true,
        .ok = OkAction::NextPointKeyed,
        .prev = PrevAction::Restart,
    },
    {
        .step = TuneStep::ModBalanceReady,
        .test = TuneTest::ModBalance,
        .adjust = kModAdj,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Mod Flatness Test.";
                s.directions =
                    "Connect Radio to Modulation Analyzer.  Connect Scope to DC-Coupled Modulation Analyzer Output" +
                    TxLine(c);
                s.description =
                    std::string(
                        "Adjust (PgUp/PgDn) the Mod Adj for Best Square Wave with minimal Rounding and Over-Shoot.") +
                    kNl2 + "Hit OK to start Transmitting Mod Balance Square Wave.";
            },
        .ok = OkAction::StartModBalance,
        .then = TuneStep::ModBalanceTransmitting,
        .prev = PrevAction::PreviousTest,
    },
    {
        .step = TuneStep::ModBalanceTransmitting,
        .test = TuneTest::ModBalance,
        .adjust = kModAdj,
        .diag = kDiagKept,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Mod Flatness Test.";
                s.directions = "Modem is Transmitting Mod Balance Square Wave for " +
                               std::to_string(c.w.modBalanceTxTime) + " seconds." + TxLine(c);
                const int type = c.w.tuneRecord.radioType;
                std::string d = c.previousDescription;
                if (c.w.currentPoint == 1 && (type == 0 || type == 1))
                    d = std::string("Adjust R827 on the RF board for 1.5 V-DC.") + kNl +
                        "Adjust R825 on the RF board for Best Square Wave with minimal Rounding and Over-Shoot.";
                else if (c.w.currentPoint == 1 && type == 2)
                    d = std::string("Adjust R818 on the RF board for 1.5 V-DC.") + kNl +
                        "Adjust (PgUp/PgDn) the Mod Adj for Best Square Wave with minimal Rounding and Over-Shoot.";
                else if (c.w.currentPoint == 0 || c.w.currentPoint == 2)
                    d = "Adjustments can be made when Modem is finished Transmitting.";
                s.description = d + kNl2 + "Please Wait Until Done Transmitting.......";
            },
        .keyed = true,
        .ok = OkAction::RepeatModBalance,
        .prev = PrevAction::Restart,
    },
    {
        .step = TuneStep::DeviationReady,
        .test = TuneTest::Deviation,
        .adjust = {"Deviation Adj:", AdjShown::Zero, TuneAdjust::Deviation},
        .texts =
            [](const StepTextParts&, TuneScreen& s) {
                s.title = "Deviation Test.";
                s.directions = "Connect Radio to Modulation Analyzer.";
                s.description = "Modem will Tx 1200 Hz Tone." + kHitReady;
            },
        .ok = OkAction::KeyOn,
        .then = TuneStep::DeviationKeyed,
        .prev = PrevAction::PreviousTest,
    },
    {
        .step = TuneStep::DeviationKeyed,
        .test = TuneTest::Deviation,
        .adjust = {"Deviation Adj:", AdjShown::MasterDeviation, TuneAdjust::Deviation},
        .diag = kDiagKept,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Deviation Test.";
                s.directions = "Connect Radio to Modulation Analyzer." + TxLine(c);
                s.description = "Adjust (PgUp/PgDn) the Dev Adj for " + OneDecimal(c, c.w.txDeviationTarget) +
                                " kHz, +/- " + std::to_string(c.w.txDeviationTolerance) + " Hz Peak Deviation." +
                                kHitFinished;
            },
        .keyed = true,
        .ok = OkAction::Finish,
        .prev = PrevAction::Restart,
    },
    {
        .step = TuneStep::TxFc8Ready,
        .test = TuneTest::TxFc8,
        .adjust = kTxFc8Adj,
        .texts = [](const StepTextParts& c, TuneScreen& s) { TxFcReadyTexts(c, s, "8"); },
        .ok = OkAction::KeyOn,
        .then = TuneStep::TxFc8Keyed,
        .prev = PrevAction::PreviousTest,
    },
    {
        .step = TuneStep::TxFc8Keyed,
        .test = TuneTest::TxFc8,
        .adjust = kTxFc8Adj,
        .diag = kDiagKept,
        .texts = [](const StepTextParts& c, TuneScreen& s) { TxFcKeyedTexts(c, s, "8"); },
        .keyed = true,
        .fcModulus = 8,
        .ok = OkAction::NextPointKeyed,
        .prev = PrevAction::Restart,
    },
    {
        .step = TuneStep::TxFc5Ready,
        .test = TuneTest::TxFc5,
        .adjust = kTxFc5Adj,
        .texts = [](const StepTextParts& c, TuneScreen& s) { TxFcReadyTexts(c, s, "5"); },
        .ok = OkAction::KeyOn,
        .then = TuneStep::TxFc5Keyed,
        .prev = PrevAction::PreviousTest,
    },
    {
        .step = TuneStep::TxFc5Keyed,
        .test = TuneTest::TxFc5,
        .adjust = kTxFc5Adj,
        .diag = kDiagKept,
        .texts = [](const StepTextParts& c, TuneScreen& s) { TxFcKeyedTexts(c, s, "5"); },
        .keyed = true,
        .fcModulus = 5,
        .ok = OkAction::NextPointKeyed,
        .prev = PrevAction::Restart,
    },
    {
        .step = TuneStep::RxIntro,
        .intro = TuneGroup::Rx,
        .texts =
            [](const StepTextParts&, TuneScreen& s) {
                s.title = "Receiver Tests.";
                s.directions = "Connect Signal Generator to Antenna of Radio.";
                s.description = "Hook Up the Equipment for the Rx Tests." + kHitReady;
            },
        .ok = OkAction::EnterGroupReceiving,
        .next = NextAction::EnterGroup,
        .prev = PrevAction::BeforeGroup,
    },
    {
        .step = TuneStep::AutoFrontEnd,
        .test = TuneTest::AutoFrontEnd,
        .adjust = {"xxxx Adj:", AdjShown::FrontEnd, TuneAdjust::Fc},
        .diag = kDiagKept,
        .texts =
            [](const StepTextParts&, TuneScreen& s) {
                s.title = "Auto Front-End Test.";
                s.directions = "This feature not yet available.";
                s.description = "Hit OK.";
            },
        .ok = OkAction::Finish,
        .prev = PrevAction::RestartOrPreviousTest,
    },
    {
        .step = TuneStep::FrontEnd,
        .test = TuneTest::FrontEnd,
        .adjust = {"Front-End Adj:", AdjShown::FrontEnd, TuneAdjust::FrontEnd},
        .diag = kRssiVoltage,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Manual Front-End Test.";
                s.directions = "Set Signal Generator to " + c.rxFreqText + " and " +
                               FormatRssiDbm(c.levels.frontEndSigGenLevel) + " Level to the Antenna Jack.";
                s.description =
                    "Adjust (PgUp/PgDn) the Receiver Front-End Adj (if necessary) for Max RSSI Voltage on "
                    "Pin-12 of the 14-Pin Connector (P1)." +
                    kHitFinished;
            },
        .poll = StepPoll::RxSample,
        .ok = OkAction::NextPointReceiving,
        .prev = PrevAction::RestartOrPreviousTest,
    },
    {
        .step = TuneStep::RxFc8,
        .test = TuneTest::RxFc8,
        .adjust = {"Rx FC 8 Adj:", AdjShown::Fc, TuneAdjust::Fc},
        .diag = kRssiVoltage,
        .texts = [](const StepTextParts& c, TuneScreen& s) { RxFcTexts(c, s, "8"); },
        .fcModulus = 8,
        .poll = StepPoll::RxSample,
        .ok = OkAction::NextPointReceiving,
        .prev = PrevAction::RestartOrPreviousTest,
    },
    {
        .step = TuneStep::RxFc5,
        .test = TuneTest::RxFc5,
        .adjust = {"Rx FC 5 Adj:", AdjShown::Fc, TuneAdjust::Fc},
        .diag = kRssiVoltage,
        .texts = [](const StepTextParts& c, TuneScreen& s) { RxFcTexts(c, s, "5"); },
        .fcModulus = 5,
        .poll = StepPoll::RxSample,
        .ok = OkAction::NextPointReceiving,
        .prev = PrevAction::RestartOrPreviousTest,
    },
    {
        .step = TuneStep::RxGain,
        .test = TuneTest::RxGain,
        .adjust = {"Rx Gain Adj:", AdjShown::RxGain, TuneAdjust::RxGain},
        .diag = kRssiDbm,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                const TuneLevels& lv = c.levels;
                s.title = "Rx Gain Test.";
                s.directions = "Set Audio Generator to " + FormatFixed(lv.rxGainAudioLevel, 3, c.locale) + " Vrms, " +
                               OneDecimal(c, lv.rxGainAudioFreq) + " kHz sine wave." + kNl +
                               "Set Signal Generator to " + c.rxFreqText + ", Ext. Mod," +
                               FormatRssiDbm(lv.rxGainSigGenLevel) + " and " +
                               OneDecimal(c, c.w.rxGainSigGenDeviation) + " kHz deviation to the Antenna Jack.";
                // The peak-to-peak voltage of a sine wave as its RMS voltage.
                s.description =
                    "Adjust (PgUp/PgDn) the Rx Gain Adj for a voltage of " +
                    FormatFixed(lv.rxGainTestPointVoltage, 2, c.locale) + " Vp-p (" +
                    FormatFixed(static_cast<double>(lv.rxGainTestPointVoltage) / std::sqrt(8.0), 3, c.locale) +
                    " Vrms) at TP4." + kHitFinished;
            },
        .ok = OkAction::Finish,
        .prev = PrevAction::RestartOrPreviousTest,
    },
    {
        // One pass per level: the operator sets the generator, OK takes four reads.
        .step = TuneStep::RssiCal,
        .test = TuneTest::RssiCal,
        .diag = {"RSSI A/D:", DiagShown::Unchanged, TuneDiag::Rssi},
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "RSSI Calibration.";
                const int i = c.w.calPointIndex;
                if (i >= 0 && i < static_cast<int>(c.w.rssiCalPoints.levelCode.size()))
                    s.directions = "Set Signal Generator to " + c.rxFreqText + ", " +
                                   FormatRssiDbm(c.w.rssiCalPoints.levelCode[static_cast<std::size_t>(i)]) +
                                   " and No Modulation to the Antenna Jack." + kNl + "Rx Frequency = " + c.rxFreqText;
                s.description = "Hit OK when Finished.";
            },
        .poll = StepPoll::RssiSample,
        .ok = OkAction::TakeRssiReads,
        .prev = PrevAction::RestartOrPreviousTest,
    },
    {
        .step = TuneStep::VerifyIntro,
        .intro = TuneGroup::Verify,
        .texts =
            [](const StepTextParts&, TuneScreen& s) {
                s.title = "Verify Tests.";
                s.directions = "Connect Signal Generator to Antenna of Radio.";
                s.description = "Hook Up the Equipment for the Verify Tests." + kHitReady;
            },
        .ok = OkAction::EnterGroupReceiving,
        .next = NextAction::EnterGroup,
        .prev = PrevAction::BeforeGroup,
    },
    {
        // Three passes: below the off threshold, above the on threshold, below the off again.
        .step = TuneStep::RssiVerify,
        .test = TuneTest::RssiVerify,
        .diag = kRssiDbm,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "RSSI Verification Test.";
                const int pass = c.w.calPointIndex;
                if (pass < 0 || pass > 2) return;
                const bool on = pass == 1;
                const ModemParameters& p = c.w.tuneParameters;
                const std::int16_t level =
                    static_cast<std::int16_t>(on ? p.rssiOnThreshold + c.levels.rssiVerifyOnTolerance
                                                 : p.rssiOffThreshold - c.levels.rssiVerifyOffTolerance);
                s.directions = "Set Signal Generator to " + c.rxFreqText + ", " + FormatRssiDbm(level) +
                               " and no modulation to the Antenna Jack.";
                s.description = "Verify the Modem is reading back " + FormatRssiDbm(level) + " +/- " +
                                std::to_string(c.levels.rssiVerifyTolerance) + " dBm." + kNl +
                                (on ? "And Verify the Modem's Carrier Detect LED is ON ."
                                    : "And Verify the Modem's Carrier Detect LED is OFF .") +
                                kNl + "Hit OK when Finished.";
            },
        .ok = OkAction::NextRssiPass,
        .prev = PrevAction::RestartOrPreviousTest,
    },
    {
        .step = TuneStep::PowerVerifyReady,
        .test = TuneTest::PowerVerify,
        .diag = kFwdPwr,
        .texts =
            [](const StepTextParts&, TuneScreen& s) {
                s.title = "Tx Power Cal Verify.";
                s.directions = "Connect Radio to Power Meter.";
                s.description = "Hook Up the Equipment to Verify the Power Out." + kHitReady;
            },
        .ok = OkAction::KeyShown,
        .then = TuneStep::PowerVerifyKeyed,
        .prev = PrevAction::PreviousTest,
    },
    {
        .step = TuneStep::PowerVerifyKeyed,
        .test = TuneTest::PowerVerify,
        .diag = kFwdPwr,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Tx Power Cal Verify.";
                s.directions = "Connect Radio to Power Meter." + TxLine(c);
                s.description = "Verify that the Tx Power Out is " + OneDecimal(c, c.levels.powerVerifyLevel) +
                                " +/- " + OneDecimal(c, c.levels.powerVerifyTolerance) + " Watts." + kHitFinished;
            },
        .keyed = true,
        .ok = OkAction::ReadForwardPower,
        .prev = PrevAction::Restart,
    },
    {
        .step = TuneStep::PowerVerifyReading,
        .test = TuneTest::PowerVerify,
        .diag = kFwdPwr,
        .texts =
            [](const StepTextParts& c, TuneScreen& s) {
                s.title = "Rx Power Cal Verify.";
                s.directions = "Connect Radio to Power Meter.";
                s.description = "Verify the Modem is reading back Forward Power of " +
                                OneDecimal(c, c.levels.powerVerifyLevel) + " +/- " +
                                OneDecimal(c, c.levels.powerVerifyTolerance) + " Watts." + kHitFinished;
            },
        .ok = OkAction::Finish,
        .prev = PrevAction::Restart,
    },
}};

// A step value no row has: nothing is drawn, and its keys do nothing.
const TuneStepRow kNoStep{.step = TuneStep::Start, .next = NextAction::Nothing, .waitsForUnkey = false};

std::int32_t ClampHz(std::int64_t hz) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(hz, INT32_MIN, INT32_MAX));
}

}  // namespace

const std::array<TuneStepRow, kTuneStepCount>& StepRows() { return kSteps; }

const TuneStepRow& StepRow(TuneStep step) {
    const int n = StepNumber(step);
    return n >= 0 && n < kTuneStepCount ? kSteps[static_cast<std::size_t>(n)] : kNoStep;
}

TuneStep IntroStep(TuneGroup group) {
    for (const TuneStepRow& r : kSteps)
        if (r.intro == group && group != TuneGroup::None) return r.step;
    return TuneStep::Start;
}

bool StepNamesAdjustValue(TuneStep step) { return std::string_view(StepRow(step).adjust.caption) != "xxxx Adj:"; }

std::vector<std::string> StepCaptions() {
    std::vector<std::string> r;
    for (const TuneStepRow& row : kSteps) {
        r.emplace_back(row.adjust.caption);
        r.emplace_back(row.diag.caption);
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
    const TuneStepRow& row = StepRow(w.currentStep);
    if (row.texts) {
        s.rendered = true;
        // The point's frequencies; a point outside 0..2 shows 0 Hz.
        const bool pointOk = w.currentPoint >= 0 && w.currentPoint <= 2;
        const RadioSpec point = pointOk ? w.testPoints[static_cast<std::size_t>(w.currentPoint)] : RadioSpec{};
        const std::int32_t rxHz = ClampHz(std::int64_t{point.rxFrequency} + w.rxOffsetHz);
        const std::int32_t txHz = ClampHz(std::int64_t{point.txFrequency} + w.txOffsetHz);
        StepTextParts parts{w, lv, loc, FormatMHzUnit(rxHz, loc), FormatMHzUnit(txHz, loc), previousDescription};
        // An FC step shows its test frequency, found for the direction it tunes.
        if (row.fcModulus != 0) {
            std::int16_t modulus = row.fcModulus;
            w.tuneRecord.txSelected = ToFlag(row.keyed);
            if (row.keyed) {
                parts.txFreqText = FormatMHzUnit(GetFcTestFreq(modes, w.tuneRecord, txHz, modulus), loc);
            } else {
                const std::int32_t rxFc = GetFcTestFreq(modes, w.tuneRecord, rxHz, modulus);
                parts.rxFreqText = FormatFcSigGenFreq(w.tuneRecord, rxFc, loc);
            }
        }

        s.highlightTest = row.test;
        s.highlightGroup = row.intro;
        s.adjCaption = row.adjust.caption;
        const TuneRecord& t = w.tuneRecord;
        switch (row.adjust.shows) {
        case AdjShown::Zero: s.adjValue = "0"; break;
        case AdjShown::Unchanged: break;
        case AdjShown::Power: s.adjValue = std::to_string(t.powerValue); break;
        case AdjShown::Mod: s.adjValue = std::to_string(t.modValue); break;
        case AdjShown::MasterDeviation: s.adjValue = std::to_string(t.masterDeviation); break;
        case AdjShown::Fc: s.adjValue = std::to_string(t.fcOverride); break;
        case AdjShown::FrontEnd: s.adjValue = std::to_string(t.frontEndValue); break;
        case AdjShown::RxGain: s.adjValue = std::to_string(t.rxGainAdj); break;
        }
        w.adjustIndex = row.adjust.value;
        s.diagCaption = row.diag.caption;
        if (row.diag.shows == DiagShown::Zero) s.diagValue = "0";
        else if (row.diag.shows == DiagShown::Watts) s.diagValue = "0.00 W";
        w.diagIndex = row.diag.value;

        row.texts(parts, s);
        // The start screen ends whatever test was under way.
        if (row.step == TuneStep::Start) w.currentTest = TuneTest::None;
    }
    s.testState = std::to_string(StepNumber(w.currentStep));
    s.testIndex = std::to_string(TestNumber(w.currentTest));
    return s;
}

}  // namespace k45
