#pragma once
// The Tune Radio procedure as data. Each test of the plan is one row: its caption, group, first
// step and start point, and what the result save stores of it. Each step is one row: what the
// step shows (its labels and texts), how the radio stands while it is shown (keyed or not, what
// the diagnostics tick asks, the FC test frequency in place of the point's), and what OK, Next
// Test, Prev Test and the adjust keys do there. The dialogue acts on the rows; RenderTuneStep
// makes the screen of one row.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/app_state.h"
#include "model/records.h"
#include "tuning/tune_settings.h"

namespace k45 {

// The tests in plan order (a test's number is its place: the "Test_" keys, the check boxes and
// the engineering display). None, number 15, is no test, as on the start screen.
enum class TuneTest : std::int32_t {
    Tcxo,
    PowerCal,
    PowerOut,
    ModBalance,
    Deviation,
    TxFc8,
    TxFc5,
    AutoFrontEnd,
    FrontEnd,
    RxFc8,
    RxFc5,
    RxGain,
    RssiCal,
    RssiVerify,
    PowerVerify,
    None,
};

// The steps, each named by what it is; its number (shown in engineering mode) is its place.
// "Ready" is a test's hook-up screen, "Keyed" the screen shown with the transmitter keyed.
enum class TuneStep : std::int32_t {
    Start,
    ReadingParameters,
    TxIntro,
    TcxoReady,
    TcxoKeyed,
    PowerCalReady,
    PowerCalKeyed,
    PowerOutReady,
    PowerOutKeyed,
    ModBalanceReady,
    ModBalanceTransmitting,
    DeviationReady,
    DeviationKeyed,
    TxFc8Ready,
    TxFc8Keyed,
    TxFc5Ready,
    TxFc5Keyed,
    RxIntro,
    AutoFrontEnd,
    FrontEnd,
    RxFc8,
    RxFc5,
    RxGain,
    RssiCal,
    VerifyIntro,
    RssiVerify,
    PowerVerifyReady,
    PowerVerifyKeyed,
    PowerVerifyReading,
};
inline constexpr int kTuneStepCount = 29;

// The groups in plan order; None (no test) comes after them all.
enum class TuneGroup { Tx, Rx, Verify, None };

// The tune-record value the adjust keys change and the adjust value display shows.
enum class TuneAdjust : std::int16_t { RxGain, Deviation, FrontEnd, Mod, Power, RssiCal, PowerCal, Fc };
// The value of the diagnostics' Current set the live display shows (its place in the set).
enum class TuneDiag : std::int16_t { Rssi = 7, ForwardPower = 8, None = 13 };

int TestNumber(TuneTest test);
// The test at a place of the plan; None outside it.
TuneTest TestAt(int number);
// The next test of the plan; None after the last.
TuneTest NextInPlan(TuneTest test);
TuneGroup GroupOf(TuneTest test);
// Transmitter and receiver tuning, before the verification tests.
bool IsTuningTest(TuneTest test);
int StepNumber(TuneStep step);

// The window's variables that the procedure, the dialogue and the step screens share.
struct TuneWork {
    TuneStep currentStep = TuneStep::Start;
    TuneTest currentTest = TuneTest::Tcxo;  // the start screen makes it None
    std::int16_t currentPoint = 2;
    std::int16_t calPointIndex = 0;
    std::array<bool, kTuneTestCount> testDone{};  // by test number
    ModemParameters tuneParameters;
    TuneRecord tuneRecord;
    std::array<RadioSpec, 3> testPoints{};
    PowerCalPoints powerCalPoints;
    RssiCalPoints rssiCalPoints;
    float txDeviationTarget = 0;
    std::int16_t txDeviationTolerance = 0;
    float rxGainSigGenDeviation = 0;
    std::int32_t rxOffsetHz = 0;
    std::int32_t txOffsetHz = 0;
    std::int16_t modBalanceTxTime = 0;
    TuneAdjust adjustIndex = TuneAdjust::Fc;
    TuneDiag diagIndex = TuneDiag::None;

    bool Done(TuneTest test) const;
    void MarkDone(TuneTest test);
};

// ---- the tests

// What the result save works with: the tuned values, and where the tables and the production
// temperature table come from.
struct ResultSave {
    const ModeFlags& modes;
    const FilePlaces& files;
    const Services& services;
    const ProductionTestRecord& testParameters;
    const TuneWork& work;
    ModemParameters& out;
};
using StoreResult = void (*)(const ResultSave&);

struct TunePlanEntry {
    TuneTest test;
    const char* caption;  // the check box's caption
    TuneGroup group;
    TuneStep firstStep;
    std::int16_t startPoint;
    // The DAC values editor's OK sets the test's values: it counts as done from then on.
    bool setByDacValues = false;
    // What the result save takes into the parameters once the test is done (nothing: null).
    StoreResult store = nullptr;
};

// Tests in plan order.
extern const std::array<TunePlanEntry, kTuneTestCount> kTunePlan;
// The plan's row of a test; null for None.
const TunePlanEntry* PlanEntry(TuneTest test);
// The first test of a group in plan order.
TuneTest FirstTestOf(TuneGroup group);

// ---- the steps

// One screen. A value left empty (nullopt) keeps what its control shows.
struct TuneScreen {
    bool rendered = false;  // a step of the procedure; otherwise only the highlights are cleared
    TuneTest highlightTest = TuneTest::None;
    TuneGroup highlightGroup = TuneGroup::None;
    std::string adjCaption;
    std::optional<std::string> adjValue;
    std::string diagCaption;
    std::optional<std::string> diagValue;
    std::string title;
    std::optional<std::string> directions;
    std::optional<std::string> description;
    std::string testState;  // labelTestState
    std::string testIndex;  // labelTestIndex
};

// What a value label shows when the step is drawn (Unchanged: what the live display wrote).
enum class AdjShown { Zero, Unchanged, Power, Mod, MasterDeviation, Fc, FrontEnd, RxGain };
enum class DiagShown { Zero, Unchanged, Watts };

struct StepAdjustLabel {
    const char* caption;
    AdjShown shows;
    TuneAdjust value;  // the value the adjust keys change and the display shows from now on
};
struct StepDiagLabel {
    const char* caption;
    DiagShown shows;
    TuneDiag value;  // the diagnostic value shown live from now on
};

// What a step's texts are made of: the window's variables, the tune.ini levels and the point's
// frequency texts (an FC step's test frequency already in place).
struct StepTextParts {
    const TuneWork& w;
    const TuneLevels& levels;
    const LocaleInfo& locale;
    std::string rxFreqText;
    std::string txFreqText;
    const std::string& previousDescription;  // what labelTestDescription shows
};
// Sets the step's title, directions and description.
using StepTexts = void (*)(const StepTextParts&, TuneScreen&);

// What the diagnostics tick asks on a step (while idle, not keyed and polling).
enum class StepPoll {
    Diagnostics,  // "AS": the live display
    RxSample,     // "AT": the RSSI voltage of the Rx steps
    RssiSample,   // "AT": RSSI calibration reads
};

// What OK does on a step.
enum class OkAction {
    Nothing,
    Start,                // the start screen: Start
    EnterGroup,           // a group's introduction: its first ticked test
    EnterGroupReceiving,  // the same, then the receive record of the point
    KeyOn,                // the keyed record, then the keyed screen (`then`)
    KeyAtLowPower,        // the keyed screen (`then`), then the keyed record with Power Adj 32
    KeyShown,             // the keyed screen (`then`), then the keyed record
    Finish,               // the test done; the next ticked test, receiving
    NextPointKeyed,       // the next test point keyed; after the third the test is done
    NextPointReceiving,   // the same, receiving
    MeasurePowerPoint,    // "AR" while keyed, then the point's sample
    StartModBalance,      // the Mod Balance transmission, on its transmitting screen (`then`)
    RepeatModBalance,     // the transmission again; the re-adjust question moves the test on
    TakeRssiReads,        // the next four samples make the level
    NextRssiPass,         // the next of the three passes; the third finishes the test
    ReadForwardPower,     // "AR" while keyed; its time-out shows the reading screen, receiving
};
// What Next Test does on a step.
enum class NextAction {
    Nothing,
    EnterGroup,  // a group's introduction: its first ticked test, skipping the introduction
    Skip,        // the next ticked test, receiving; the test is not done
};
// What Prev Test does on a step; then, on every step, the screen and the receive record.
enum class PrevAction {
    Nothing,
    BeforeGroup,            // a group's introduction: the last ticked test before the group
    PreviousTest,           // the last ticked test before this one, or this group's introduction
    Restart,                // the test's first step at its start point
    RestartOrPreviousTest,  // Restart at a later level or pass, else PreviousTest
};

struct TuneStepRow {
    TuneStep step;
    TuneTest test = TuneTest::None;     // the test the step belongs to
    TuneGroup intro = TuneGroup::None;  // the group it introduces
    // What it shows. The adjust keys act only on a step whose adjust label names a value.
    StepAdjustLabel adjust{"xxxx Adj:", AdjShown::Zero, TuneAdjust::Fc};
    StepDiagLabel diag{"xxxx", DiagShown::Zero, TuneDiag::None};
    StepTexts texts = nullptr;
    // How the radio stands while it is shown.
    bool keyed = false;          // its test keyed the transmitter for it
    std::int16_t fcModulus = 0;  // 8 or 5: the FC test frequency replaces the point's Tx
                                 // frequency (keyed) or Rx frequency (receiving)
    StepPoll poll = StepPoll::Diagnostics;
    // What its keys do.
    OkAction ok = OkAction::Nothing;
    TuneStep then = TuneStep::Start;  // the screen OK leads to within the test
    NextAction next = NextAction::Skip;
    PrevAction prev = PrevAction::Nothing;
    bool waitsForUnkey = true;  // OK, Next and Prev wait behind an unkey owed to the radio
};

// The row of a step; an inert row (no texts, keys that do nothing) for a value no step has.
const TuneStepRow& StepRow(TuneStep step);
// Every step in order.
const std::array<TuneStepRow, kTuneStepCount>& StepRows();
// The introduction step of a group (Start for None).
TuneStep IntroStep(TuneGroup group);
// PgUp and PgDn change a value on the step.
bool StepNamesAdjustValue(TuneStep step);

// The adjust and diagnostic captions of every step (the window sizes its labels for them).
std::vector<std::string> StepCaptions();

// Renders w.currentStep; sets adjustIndex and diagIndex, currentTest (None) on the start screen
// and tuneRecord.txSelected on the FC steps (keyed or not). previousDescription is what
// labelTestDescription shows (the Mod Balance transmitting screen appends to it when no case
// of its own applies).
TuneScreen RenderTuneStep(const ModeFlags& modes, const LocaleInfo& locale, TuneWork& w, const TuneLevels& levels,
                          const std::string& previousDescription);

// The signal-generator frequency of the Rx FC steps: 20 kHz above for a 25 kHz channel
// (bandwidth 0), 10 kHz above otherwise.
std::string FormatFcSigGenFreq(const TuneRecord& record, std::int32_t frequency, const LocaleInfo& locale);

}  // namespace k45
