// The Tune Radio procedure: what Start, OK, Next Test, Prev Test and the adjust keys do on each
// step (by the step's row), the moves between the tests of the plan, the parameter hand-over,
// what a measurement does with its reading, and the result save. What goes to the radio for
// it, and its answers, are the modem dialogue's (tune_dialogue.cpp).
#include <algorithm>
#include <filesystem>
#include <span>

#include "params/data_file.h"
#include "params/modem_defaults.h"
#include "params/test_file.h"
#include "params/tune_record.h"
#include "platform/dialogs.h"
#include "tuning/tune_dialogue.h"
#include "tuning/tune_math.h"

namespace k45 {
namespace {

bool ValidPoint(int p) { return p >= 0 && p <= 2; }

// Stores the reading of point `index`, raised above the previous point's so the table built
// from the readings rises, and moves the index on; false for an index outside the table.
bool StoreRisingReading(std::span<std::int16_t> readings, std::int16_t& index, std::int16_t value) {
    const int i = index;
    if (i < 0 || i >= static_cast<int>(readings.size())) return false;
    const std::optional<std::int16_t> previous =
        i > 0 ? std::optional<std::int16_t>(readings[static_cast<std::size_t>(i - 1)]) : std::nullopt;
    readings[static_cast<std::size_t>(i)] = MonotonicReading(value, previous);
    index = static_cast<std::int16_t>(i + 1);
    return true;
}

}  // namespace

void TuneDialogue::ShowTuneStep() {
    const TuneScreen screen = RenderTuneStep(links_.modes, links_.files.locale, w_, settings_.levels, description_);
    if (screen.description) description_ = *screen.description;
    view_.ShowScreen(screen);
}

// ---- Start and the parameters

void TuneDialogue::Start() {
    w_.testDone.fill(false);
    view_.FocusOk();
    rssiReadCount_ = 4;
    if (!links_.modes.productionMode) {
        ReadCurrentParameters();
        return;
    }
    const LoadToken::Value token = load_.Take();
    const MsgAnswer a = Boxes().messageBox(kOverwriteDefaultsQuestion, "", MsgButtons::YesNo);
    if (!load_.Still(token)) return;
    if (a != MsgAnswer::Yes) {
        ReadCurrentParameters();
        return;
    }
    const TuneSelection sel = view_.Selection();
    SharedRecords& records = links_.records;
    ModemParameters& m = records.mainParameters;
    m.radioType = sel.radioType;
    m.radioRange = sel.radioRange;
    SetDefaultModemParameters(records, links_.services, m);
    LoadProductionDefaults(sel);
    m.radioType = sel.radioType;
    m.radioRange = sel.radioRange;
    m.channelBandwidth = sel.channelBandwidth;
    m.sa7026Synthesizer = ToFlag(sel.sa7026);
    m.highBand = ToFlag(sel.highRxBand);
    m.serialNumber = sel.longId;
    StoreDacValues(m, records.testParameters.defaultDacValues);
    records.currentParameters = m;
    dialogState_ = TuneDialogState::WritingDefaults;
    links_.windows().RestartParmsReadWrite(ParmsMode::WriteDefault, this);
}

void TuneDialogue::LoadProductionDefaults(const TuneSelection& sel) {
    auto exists = [](const std::string& name) {
        std::error_code ec;
        return std::filesystem::is_regular_file(name, ec);
    };
    FilePlaces& files = links_.files;
    SharedRecords& records = links_.records;
    const std::string& folder = files.places.programFolder;
    const std::string testName = FindProductionDefault(true, files.testFileName, folder, sel.radioType, sel.radioRange,
                                                       sel.channelBandwidth, sel.highRxBand, exists);
    if (LoadTestFile(files, records.testParameters, testName)) {
        files.testFileName = testName;
        links_.windows().DisplayFilenames();
    }
    const std::string dataName = FindProductionDefault(false, files.dataFileName, folder, sel.radioType, sel.radioRange,
                                                       sel.channelBandwidth, sel.highRxBand, exists);
    if (LoadDataFile(files, records, records.mainParameters, dataName)) {
        files.dataFileName = dataName;
        links_.windows().DisplayFilenames();
    }
}

void TuneDialogue::ReadCurrentParameters() {
    dialogState_ = TuneDialogState::AwaitingParameters;
    w_.currentStep = TuneStep::ReadingParameters;
    links_.windows().ReadCurrentParameters(*this);
}

void TuneDialogue::ProgrammingComplete(bool programCompleted) {
    if (programCompleted && dialogState_ == TuneDialogState::WritingDefaults) ReadCurrentParameters();
    else CompleteExchange();
}

void TuneDialogue::UpdateParms(bool parmsWereFound) {
    if (!parmsWereFound || dialogState_ != TuneDialogState::AwaitingParameters) {
        CompleteExchange();
        return;
    }
    const SharedRecords& records = links_.records;
    w_.tuneParameters = records.currentParameters;
    BuildTuneRecord(records, w_.tuneRecord, w_.tuneParameters);
    const TuneLevels& lv = settings_.levels;
    if (w_.tuneParameters.channelBandwidth == 0) {
        w_.txDeviationTarget = lv.deviationWide;
        w_.txDeviationTolerance = lv.deviationWideTolerance;
        w_.rxGainSigGenDeviation = lv.rxGainSigGenWide;
    } else {
        w_.txDeviationTarget = lv.deviationNarrow;
        w_.txDeviationTolerance = lv.deviationNarrowTolerance;
        w_.rxGainSigGenDeviation = lv.rxGainSigGenNarrow;
    }
    const ProductionTestRecord& src = links_.modes.productionMode ? records.testParameters : records.testDefaults;
    w_.powerCalPoints = src.powerPoints;
    w_.rssiCalPoints = src.rssiPoints;
    for (int p = 0; p < 3; ++p) {
        // A radio type or range from the modem outside the table gives no test frequencies.
        const bool ok = RadioSpecIndexValid(w_.tuneRecord.radioType, w_.tuneRecord.radioRange, p);
        w_.testPoints[static_cast<std::size_t>(p)] = ok ? src.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(
                                                              w_.tuneRecord.radioType, w_.tuneRecord.radioRange, p))]
                                                        : RadioSpec{};
    }
    view_.ShowSelection(SelectionFromParameters(w_.tuneParameters, view_.Selection()));
    dialogState_ = TuneDialogState::ParametersReady;
    if (Active()) Activate();
}

void TuneDialogue::UpdateDacValues() {
    TakeDacValues(w_.tuneRecord, links_.records.dacValues);
    for (const TunePlanEntry& e : kTunePlan)
        if (e.setByDacValues) w_.MarkDone(e.test);
}

// ---- moving through the plan

TuneTest TuneDialogue::SelectTest(TuneTest test) {
    const TunePlanEntry* e = PlanEntry(test);
    if (!e) {
        w_.currentStep = TuneStep::Start;
        w_.currentPoint = 2;
        return TuneTest::None;
    }
    w_.currentStep = e->firstStep;
    w_.currentPoint = e->startPoint;
    w_.calPointIndex = 0;
    return test;
}

void TuneDialogue::GoToFirstTest() {
    const TuneSelection sel = view_.Selection();
    TuneTest first = TuneTest::None;
    for (int t = 0; t < kTuneTestCount && first == TuneTest::None; ++t)
        if (TestTakesPart(sel, t)) first = TestAt(t);
    w_.currentStep = IntroStep(GroupOf(first));
    if (first == TuneTest::None) CompleteExchange();
    ShowTuneStep();
}

void TuneDialogue::GoToNextTest(TuneTest from) {
    const TuneTest oldTest = w_.currentTest;
    const TuneSelection sel = view_.Selection();
    TuneTest t = TuneTest::None;
    for (int i = std::max(TestNumber(from), 0); i < kTuneTestCount && t == TuneTest::None; ++i)
        if (TestTakesPart(sel, i)) t = TestAt(i);
    w_.currentTest = SelectTest(t);
    // Entering a later group shows its introduction first.
    const TuneGroup group = GroupOf(w_.currentTest);
    if (group == TuneGroup::None) {
        w_.currentStep = TuneStep::Start;
        w_.currentTest = TuneTest::None;
    } else if (GroupOf(oldTest) < group) {
        w_.currentStep = IntroStep(group);
    }
    ShowTuneStep();
    if (IsTuningTest(oldTest) && !IsTuningTest(w_.currentTest)) {
        // The tuning tests are over.
        if (transmitSelected_) Receive();
        const LoadToken::Value token = load_.Take();
        const MsgAnswer a = Boxes().messageBox(kTuningCompleteQuestion, "", MsgButtons::YesNo);
        if (!load_.Still(token)) return;
        if (a == MsgAnswer::Yes) SaveResults();
    } else if (links_.modes.productionMode && w_.currentStep == TuneStep::Start && w_.currentTest == TuneTest::None &&
               oldTest != TuneTest::None) {
        // The procedure ended after a verification test.
        links_.windows().OpenPacketTest();
    }
}

void TuneDialogue::GoToPreviousTest(TuneTest from) {
    const TuneTest oldTest = w_.currentTest;
    bool found = false;
    TuneTest t = from;
    const TuneSelection sel = view_.Selection();
    for (int i = std::min(TestNumber(from), kTuneTestCount) - 1; i >= 0 && !found; --i)
        if (TestTakesPart(sel, i)) {
            t = TestAt(i);
            found = true;
        }
    w_.currentTest = SelectTest(t);
    // Going back across a group boundary first shows the introduction of the group being left
    // (the earlier test already current: a second Prev enters it); Prev on the first ticked test
    // of a group shows that group's introduction.
    const TuneGroup left = std::min(GroupOf(oldTest), TuneGroup::Verify);
    if (GroupOf(w_.currentTest) < left || !found) w_.currentStep = IntroStep(left);
    ShowTuneStep();
}

void TuneDialogue::SaveResults() {
    ModemParameters& p = w_.tuneParameters;
    p.radioType = w_.tuneRecord.radioType;
    p.radioRange = w_.tuneRecord.radioRange;
    const ResultSave save{links_.modes, links_.files, links_.services, links_.records.testParameters, w_, p};
    for (const TunePlanEntry& e : kTunePlan)
        if (e.store && w_.Done(e.test)) e.store(save);
    links_.records.currentParameters = p;
    dialogState_ = TuneDialogState::WritingResults;
    links_.windows().RestartParmsReadWrite(ParmsMode::WriteCurrent, this);
}

void TuneDialogue::Finish() {
    w_.MarkDone(w_.currentTest);
    Skip();
}

void TuneDialogue::Skip() {
    GoToNextTest(NextInPlan(w_.currentTest));
    Receive();
}

void TuneDialogue::Receive() {
    transmitSelected_ = false;
    SendTunePoint(w_.currentPoint);
}

void TuneDialogue::NextPoint(bool keyed) {
    w_.currentPoint = static_cast<std::int16_t>(w_.currentPoint + 1);
    if (w_.currentPoint >= 3) {
        Finish();
        return;
    }
    ShowAndSendPoint(keyed);
}

void TuneDialogue::ShowAndSendPoint(bool keyed) {
    ShowTuneStep();
    transmitSelected_ = keyed;
    SendTunePoint(w_.currentPoint);
}

void TuneDialogue::RestartTest() {
    const TuneTest test = StepRow(w_.currentStep).test;
    const TunePlanEntry* e = PlanEntry(test);
    if (!e) return;
    w_.currentStep = e->firstStep;
    w_.currentTest = test;
    w_.calPointIndex = 0;
    w_.currentPoint = e->startPoint;
}

// ---- the buttons and keys

void TuneDialogue::OK() {
    const TuneStepRow& row = StepRow(w_.currentStep);
    // A step whose exchange cannot run is not taken: nothing moves on, nothing counts as done.
    if (row.waitsForUnkey && !MayAct()) return;
    switch (row.ok) {
    case OkAction::Nothing: break;
    case OkAction::Start: Start(); break;
    case OkAction::EnterGroup: GoToNextTest(FirstTestOf(row.intro)); break;
    case OkAction::EnterGroupReceiving:
        GoToNextTest(FirstTestOf(row.intro));
        Receive();
        break;
    case OkAction::KeyOn:
        // The record first: the keyed screen shows the values it was sent with.
        transmitSelected_ = true;
        w_.currentStep = row.then;
        SendTunePoint(w_.currentPoint);
        ShowTuneStep();
        break;
    case OkAction::KeyAtLowPower:
        w_.currentStep = row.then;
        ShowTuneStep();
        transmitSelected_ = true;
        // A point retaken after a give-up keeps the value the operator had set.
        if (ValidPoint(w_.currentPoint) && w_.calPointIndex == 0)
            w_.tuneRecord.powerAdj[static_cast<std::size_t>(w_.currentPoint)] = 32;
        SendTunePoint(w_.currentPoint);
        break;
    case OkAction::KeyShown:
        w_.currentStep = row.then;
        ShowAndSendPoint(true);
        break;
    case OkAction::Finish: Finish(); break;
    case OkAction::NextPointKeyed: NextPoint(true); break;
    case OkAction::NextPointReceiving: NextPoint(false); break;
    case OkAction::MeasurePowerPoint: ClearDiagnostics(TuneDialogState::PowerPointClearing); break;
    case OkAction::StartModBalance:
        StartModBalance(w_.currentPoint);
        w_.currentStep = row.then;
        ShowTuneStep();
        break;
    case OkAction::RepeatModBalance:
        StartModBalance(w_.currentPoint);
        ShowTuneStep();
        break;
    case OkAction::TakeRssiReads:
        // One dot now, one per data record of the reads.
        rssiReadCount_ = 0;
        description_.assign(1, '.');
        view_.SetDescription(description_);
        break;
    case OkAction::NextRssiPass:
        w_.calPointIndex = static_cast<std::int16_t>(w_.calPointIndex + 1);
        if (w_.calPointIndex >= 3) {
            Finish();
            break;
        }
        ShowTuneStep();
        Receive();
        break;
    case OkAction::ReadForwardPower: ClearDiagnostics(TuneDialogState::PowerVerifyClearing); break;
    }
}

void TuneDialogue::Next() {
    const TuneStepRow& row = StepRow(w_.currentStep);
    if (row.waitsForUnkey && !MayAct()) return;
    switch (row.next) {
    case NextAction::Nothing: break;
    case NextAction::EnterGroup:
        w_.currentTest = FirstTestOf(row.intro);
        GoToNextTest(w_.currentTest);
        break;
    case NextAction::Skip: Skip(); break;
    }
}

void TuneDialogue::Previous() {
    const TuneStepRow& row = StepRow(w_.currentStep);
    if (row.waitsForUnkey && !MayAct()) return;
    switch (row.prev) {
    case PrevAction::Nothing: break;
    case PrevAction::BeforeGroup: GoToPreviousTest(FirstTestOf(row.intro)); break;
    case PrevAction::PreviousTest: GoToPreviousTest(w_.currentTest); break;
    case PrevAction::Restart: RestartTest(); break;
    case PrevAction::RestartOrPreviousTest:
        if (w_.calPointIndex != 0) RestartTest();
        else GoToPreviousTest(w_.currentTest);
        break;
    }
    ShowTuneStep();
    Receive();
}

void TuneDialogue::Close() { EndTest(); }

bool TuneDialogue::KeyDown(int keyCode, bool shift, bool ctrl, bool alt) {
    if (keyCode == kKeyF7) {
        if (!shift && !ctrl && !alt && links_.modes.engineerMode) pollDiagnostics_ = !pollDiagnostics_;
        return false;
    }
    const auto step = AdjustKeyStep(keyCode, shift, ctrl, alt);
    if (!step) return false;
    // A step that names no adjust value changes nothing (its value would reach the save).
    if (!StepNamesAdjustValue(w_.currentStep)) return true;
    if (!MayAct()) return true;
    TuneRecord& t = w_.tuneRecord;
    const int p = w_.currentPoint;
    const bool pointOk = ValidPoint(p);
    const auto at = static_cast<std::size_t>(pointOk ? p : 0);
    bool send = true;
    switch (w_.adjustIndex) {
    case TuneAdjust::RxGain: t.rxGainAdj = AdjustUnsigned(t.rxGainAdj, *step); break;
    case TuneAdjust::Deviation: t.masterDeviation = AdjustUnsigned(t.masterDeviation, *step); break;
    case TuneAdjust::FrontEnd:
        if (!pointOk) return true;
        t.frontEndAdj[at] = AdjustUnsigned(t.frontEndAdj[at], *step);
        break;
    case TuneAdjust::Mod:
        if (!pointOk) return true;
        t.modAdj[at] = AdjustUnsigned(t.modAdj[at], *step);
        t.modValue = t.modAdj[at];
        send = false;  // the next Mod Balance start carries it
        break;
    case TuneAdjust::Power:
        if (!pointOk) return true;
        t.powerAdj[at] = AdjustUnsigned(t.powerAdj[at], *step);
        break;
    case TuneAdjust::RssiCal: t.rssiCalAdj = AdjustSigned(t.rssiCalAdj, *step); break;
    case TuneAdjust::PowerCal: t.powerCalAdj = AdjustUnsigned(t.powerCalAdj, *step); break;
    case TuneAdjust::Fc:
        t.fcOverride = AdjustUnsigned(t.fcOverride, *step);
        // With an SA7026 the override is the stored FC value of the point and direction.
        if (IsSet(t.sa7026Synthesizer) && pointOk) {
            auto& col = transmitSelected_ ? (t.txFcModulus == 8 ? t.fcAdj.txFc8 : t.fcAdj.txFc5)
                                          : (t.rxFcModulus == 8 ? t.fcAdj.rxFc8 : t.fcAdj.rxFc5);
            col[at] = t.fcOverride;
        }
        break;
    default: return true;
    }
    if (send) SendTunePoint(w_.currentPoint);
    ShowAdjustValue();
    return true;
}

void TuneDialogue::ShowAdjustValue() {
    const TuneRecord& t = w_.tuneRecord;
    std::int16_t v;
    switch (w_.adjustIndex) {
    case TuneAdjust::RxGain: v = t.rxGainAdj; break;
    case TuneAdjust::Deviation: v = t.txDeviationAdj; break;
    case TuneAdjust::FrontEnd: v = t.frontEndValue; break;
    case TuneAdjust::Mod: v = t.modValue; break;
    case TuneAdjust::Power: v = t.powerValue; break;
    case TuneAdjust::RssiCal: v = t.rssiCalAdj; break;
    case TuneAdjust::PowerCal: v = t.powerCalAdj; break;
    case TuneAdjust::Fc: v = t.fcOverride; break;
    default: return;
    }
    view_.SetAdjValue(std::to_string(v));
}

// ---- what the readings do

void TuneDialogue::RecordPowerPoint() {
    std::span<std::int16_t> readings = w_.powerCalPoints.adReading;
    if (!StoreRisingReading(readings, w_.calPointIndex, std::max<std::int16_t>(diagnostics_.sets[2].values[8], 0)))
        return;
    if (w_.calPointIndex >= static_cast<int>(readings.size())) {
        Finish();
        return;
    }
    // The next target power, keyed again.
    ShowAndSendPoint(true);
}

void TuneDialogue::RecordRssiRead() {
    if (rssiReadCount_ >= 4) return;
    rssiReads_[static_cast<std::size_t>(rssiReadCount_)] = std::max<std::int16_t>(diagnostics_.sets[0].values[7], 0);
    ++rssiReadCount_;
    if (rssiReadCount_ < 4) return;
    std::span<std::int16_t> readings = w_.rssiCalPoints.adReading;
    if (!StoreRisingReading(readings, w_.calPointIndex, AverageOfFour(rssiReads_))) return;
    if (w_.calPointIndex >= static_cast<int>(readings.size())) Finish();
    else ShowTuneStep();  // the next level
}

void TuneDialogue::ReAdjustQuestion() {
    const LoadToken::Value token = load_.Take();
    const MsgAnswer a = Boxes().messageBox(kReAdjustQuestion, "", MsgButtons::YesNo);
    if (!load_.Still(token)) return;
    if (a == MsgAnswer::Yes) {
        w_.currentStep = TuneStep::ModBalanceReady;  // adjust again, transmit again
        ShowTuneStep();
        return;
    }
    if (w_.currentPoint >= 2) {
        Finish();
        return;
    }
    // The points are taken in the order 1, 0, 2.
    w_.currentPoint = w_.currentPoint == 1 ? 0 : 2;
    w_.tuneRecord.modValue = w_.tuneRecord.modAdj[static_cast<std::size_t>(w_.currentPoint)];
    w_.currentStep = TuneStep::ModBalanceReady;
    ShowTuneStep();
}

}  // namespace k45
