#pragma once
// The test plan of the Tune Radio window and its step screens. ShowTuneStep's rendering is a
// pure function here: from the window's variables it makes the texts and highlights of one
// screen (RenderTuneStep); the window only puts them on its controls.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/app_state.h"
#include "model/records.h"
#include "tuning/tune_settings.h"

namespace k45 {

enum TuneGroup : int { groupNone = -1, groupTx = 0, groupRx = 1, groupVerify = 2 };

inline constexpr int kNoTest = 15;
inline constexpr int kLastStep = 28;

struct TunePlanEntry {
    const char* caption;  // the check box's caption
    TuneGroup group;
    int firstStep;
    int startPoint;
};

// Tests 0..14 in plan order.
extern const std::array<TunePlanEntry, kTuneTestCount> kTunePlan;
// The group of a test (groupNone outside 0..14).
TuneGroup TestGroup(int test);

// The test a step belongs to (-1 for the start, read and group intro steps and outside 0..28).
int TestOfStep(int step);
// The step names an adjust value for PgUp and PgDn (its adjust label is not "xxxx Adj:").
bool StepNamesAdjustValue(int step);

// The adjust and diagnostic captions of every step (the window sizes its labels for them).
std::vector<std::string> StepCaptions();

// The window's variables that the procedure, the dialogue and the step screens share.
struct TuneWork {
    std::int32_t currentStep = 0;
    std::int32_t currentTest = 0;
    std::int16_t currentPoint = 2;
    std::int16_t calPointIndex = 0;
    std::array<bool, kTuneTestCount> testDone{};
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
    std::int16_t adjustIndex = 7;
    std::int16_t diagIndex = 13;
};

// One screen. A value left empty (nullopt) keeps what its control shows.
struct TuneScreen {
    bool rendered = false;  // steps 0..28; otherwise only the highlights are cleared
    int highlightTest = -1;
    TuneGroup highlightGroup = groupNone;
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

// Renders w.currentStep; sets adjustIndex and diagIndex, currentTest (15) on step 0 and
// tuneRecord.txSelected on steps 14, 16 (True), 20 and 21 (False). previousDescription is
// what labelTestDescription shows (step 10 appends to it when no case of the step applies).
TuneScreen RenderTuneStep(const ModeFlags& modes, const LocaleInfo& locale, TuneWork& w, const TuneLevels& levels,
                          const std::string& previousDescription);

// The signal-generator frequency of the Rx FC steps: 20 kHz above for a 25 kHz channel
// (bandwidth 0), 10 kHz above otherwise.
std::string FormatFcSigGenFreq(const TuneRecord& record, std::int32_t frequency, const LocaleInfo& locale);

}  // namespace k45
