#include "tuning/tune_dialogue.h"

#include <algorithm>
#include <filesystem>
#include <span>

#include "base/converters.h"
#include "params/data_file.h"
#include "params/modem_defaults.h"
#include "params/test_file.h"
#include "params/tune_record.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "radio/cal_tables.h"
#include "radio/synthesizer.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"
#include "programming/radio_off.h"
#include "tuning/tune_math.h"

namespace k45 {
namespace {

constexpr std::int32_t kWriteCurrent = 5;
constexpr std::int32_t kWriteDefault = 7;

void Rearm(Timer& t) {
    t.setEnabled(false);
    t.setEnabled(true);
}

bool ValidPoint(int p) { return p >= 0 && p <= 2; }

// Steps shown while the transmitter is keyed; each test's first step keys it.
bool KeyedStep(int step) {
    switch (step) {
    case 4: case 6: case 8: case 10: case 12: case 14: case 16: case 27: return true;
    default: return false;
    }
}

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

TuneDialogue::TuneDialogue(DialogueLinks links, TuneView& view)
    : modes_(links.modes),
      files_(links.files),
      records_(links.records),
      services_(links.services),
      primary_(links.ports.classCommPrimary),
      sched_(*links.services.scheduler),
      dialogs_(*links.services.dialogs),
      view_(view),
      links_(links),
      exchange_(&sched_, kResponseMs, load_,
                {.port = [this] { return primary_; },
                 .active = [this] { return Active(); },
                 .timedOut = [this] { TimerResponseTick(); },
                 .unkeyLine = [] { return CommandLine("T0"); },
                 .unkeyAcknowledged =
                     [this] {
                         BackToKeyStep();
                         CompleteExchange();
                     },
                 .unkeyGivenUp = [this] { return EndPendingTest(); },
                 .countResend = {},
                 .tell = [this](const std::string& text) { Tell(text); }}) {
    timerDiagnostics_ = sched_.createTimer();
    timerDiagnostics_->setInterval(kDiagnosticsMs);
    timerDiagnostics_->setHandler([this] { TimerDiagnosticsTick(); });
    timerDelayCommunications_ = sched_.createTimer();
    timerDelayCommunications_->setInterval(kDelayMs);
    timerDelayCommunications_->setHandler([this] { TimerDelayTick(); });
    timerTxTimeout_ = sched_.createTimer();
    timerTxTimeout_->setInterval(1500);
    timerTxTimeout_->setHandler([this] { TimerTxTimeoutTick(); });
}

TuneDialogue::~TuneDialogue() {
    if (load_.loaded() && primary_) primary_->DeRegisterForAll(this);
}

// ---- window events

void TuneDialogue::Load() {
    load_.Begin();
    settings_.wasLoaded = true;
    tunePending_ = false;
    endTestPending_ = false;
    endTestDone_ = false;
    // A new load starts unkeyed: the radio of an earlier load was left at its unload.
    transmitSelected_ = false;
    rssiReadCount_ = 0;
    exchange_.Begin();
    w_.currentPoint = 2;
    dialogState_ = TuneDialogState::Idle;
    w_.currentStep = 0;
    ShowTuneStep();
    w_.adjustIndex = 7;
    w_.diagIndex = 13;
    if (primary_) primary_->RegisterForSRecord(this, false);
    view_.ShowSelection(SelectionFromParameters(records_.mainParameters, view_.Selection()));
    SelectRxOffset(settings_.rxOffsetListIndex);
    SelectTxOffset(settings_.txOffsetListIndex);
    w_.modBalanceTxTime = settings_.modBalanceTxTime;
    pollDiagnostics_ = true;
    replyCount_ = 0;
    timerDiagnostics_->setEnabled(true);
}

void TuneDialogue::Activate() {
    if (primary_) {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)primary_->OverrideHandshaking(7, false, 0);
        (void)primary_->OverrideSettings({.baudRate = 9600});
    }
    if (dialogState_ == TuneDialogState::ParametersReady && w_.currentStep == 1) {
        dialogState_ = TuneDialogState::Idle;
        GoToFirstTest();
        records_.dacValues = DacValuesFromTuneRecord(w_.tuneRecord);
        links_.windows().OpenDacValuesEditor();
    }
}

void TuneDialogue::Unload() {
    if (!load_.loaded()) return;
    // Nothing may leave the radio keyed or in test mode without a word: the close box, shutdown
    // and every other close that did not end the test send "T0" once without waiting for it,
    // or tell that it could not be sent.
    if (!endTestDone_) exchange_.Leave(true);
    load_.End();
    const TuneSelection sel = view_.Selection();
    for (int i = 0; i < kTuneTestCount; ++i)
        settings_.testSelection[static_cast<std::size_t>(i)] = sel.ticked[static_cast<std::size_t>(i)] ? 1 : 0;
    if (primary_) primary_->DeRegisterForAll(this);
    settings_.modBalanceTxTime = sel.txTime;
    exchange_.End();
    for (Timer* t : {timerDiagnostics_.get(), timerDelayCommunications_.get(), timerTxTimeout_.get()})
        t->setEnabled(false);
}

void TuneDialogue::PortsSwapping() {
    if (!load_.loaded()) return;
    const LoadToken::Value token = load_.Take();
    exchange_.Leave(true);
    if (!load_.Still(token)) return;
    // Nothing of the radio left behind goes on: no "BALANCE" keys the radio behind the port
    // next, the step shows receive, and an exchange under way ends (its reply cannot come).
    timerDelayCommunications_->setEnabled(false);
    timerTxTimeout_->setEnabled(false);
    BackToKeyStep();
    if (dialogState_ >= TuneDialogState::AwaitingTuneAck) {
        tunePending_ = false;
        CompleteExchange();
    }
}

void TuneDialogue::SelectRxOffset(int index) {
    if (index < 0 || index >= kOffsetEntryCount) {
        settings_.rxOffsetListIndex = -1;
        return;
    }
    settings_.rxOffsetListIndex = static_cast<std::int16_t>(index);
    w_.rxOffsetHz = OffsetEntryHz(index);
}

void TuneDialogue::SelectTxOffset(int index) {
    if (index < 0 || index >= kOffsetEntryCount) {
        settings_.txOffsetListIndex = -1;
        return;
    }
    settings_.txOffsetListIndex = static_cast<std::int16_t>(index);
    w_.txOffsetHz = OffsetEntryHz(index);
}

// ---- procedure

void TuneDialogue::ShowTuneStep() {
    const TuneScreen screen = RenderTuneStep(modes_, files_.locale, w_, settings_.levels, description_);
    if (screen.description) description_ = *screen.description;
    view_.ShowScreen(screen);
}

void TuneDialogue::Start() {
    w_.testDone.fill(false);
    view_.FocusOk();
    rssiReadCount_ = 4;
    if (!modes_.productionMode) {
        ReadCurrentParameters();
        return;
    }
    const LoadToken::Value token = load_.Take();
    const MsgAnswer a = dialogs_.messageBox(kOverwriteDefaultsQuestion, "", MsgButtons::YesNo);
    if (!load_.Still(token)) return;
    if (a != MsgAnswer::Yes) {
        ReadCurrentParameters();
        return;
    }
    const TuneSelection sel = view_.Selection();
    ModemParameters& m = records_.mainParameters;
    m.radioType = sel.radioType;
    m.radioRange = sel.radioRange;
    SetDefaultModemParameters(records_, services_, m);
    LoadProductionDefaults(sel);
    m.radioType = sel.radioType;
    m.radioRange = sel.radioRange;
    m.channelBandwidth = sel.channelBandwidth;
    m.sa7026Synthesizer = ToFlag(sel.sa7026);
    m.highBand = ToFlag(sel.highRxBand);
    m.serialNumber = sel.longId;
    StoreDacValues(m, records_.testParameters.defaultDacValues);
    records_.currentParameters = m;
    dialogState_ = TuneDialogState::WritingDefaults;
    links_.windows().RestartParmsReadWrite(kWriteDefault, this);
}

void TuneDialogue::LoadProductionDefaults(const TuneSelection& sel) {
    auto exists = [](const std::string& name) {
        std::error_code ec;
        return std::filesystem::is_regular_file(name, ec);
    };
    const std::string& folder = files_.places.programFolder;
    const std::string testName = FindProductionDefault(true, files_.testFileName, folder, sel.radioType, sel.radioRange,
                                                       sel.channelBandwidth, sel.highRxBand, exists);
    if (LoadTestFile(files_, records_.testParameters, testName)) {
        files_.testFileName = testName;
        links_.windows().DisplayFilenames();
    }
    const std::string dataName = FindProductionDefault(false, files_.dataFileName, folder, sel.radioType, sel.radioRange,
                                                       sel.channelBandwidth, sel.highRxBand, exists);
    if (LoadDataFile(files_, records_, records_.mainParameters, dataName)) {
        files_.dataFileName = dataName;
        links_.windows().DisplayFilenames();
    }
}

void TuneDialogue::ReadCurrentParameters() {
    dialogState_ = TuneDialogState::AwaitingParameters;
    w_.currentStep = 1;
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
    w_.tuneParameters = records_.currentParameters;
    BuildTuneRecord(records_, w_.tuneRecord, w_.tuneParameters);
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
    const ProductionTestRecord& src = modes_.productionMode ? records_.testParameters : records_.testDefaults;
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
    TakeDacValues(w_.tuneRecord, records_.dacValues);
    for (int t : {2, 3, 4, 5, 6, 8, 9, 10, 11}) w_.testDone[static_cast<std::size_t>(t)] = true;
}

std::int32_t TuneDialogue::SelectTest(std::int32_t test) {
    if (test < 0 || test >= kTuneTestCount) {
        w_.currentStep = 0;
        w_.currentPoint = 2;
        return kNoTest;
    }
    const TunePlanEntry& e = kTunePlan[static_cast<std::size_t>(test)];
    w_.currentStep = e.firstStep;
    w_.currentPoint = static_cast<std::int16_t>(e.startPoint);
    w_.calPointIndex = 0;
    return test;
}

void TuneDialogue::GoToFirstTest() {
    const TuneSelection sel = view_.Selection();
    int first = -1;
    for (int t = 0; t < kTuneTestCount && first < 0; ++t)
        if (TestTakesPart(sel, t)) first = t;
    if (first >= 0 && first <= 6) w_.currentStep = 2;
    else if (first >= 7 && first <= 12) w_.currentStep = 17;
    else if (first >= 13) w_.currentStep = 24;
    else {
        w_.currentStep = 0;
        CompleteExchange();
    }
    ShowTuneStep();
}

void TuneDialogue::GoToNextTest(std::int32_t fromTest) {
    const std::int32_t oldTest = w_.currentTest;
    const TuneSelection sel = view_.Selection();
    std::int32_t t = kNoTest;
    for (std::int32_t i = std::max<std::int32_t>(fromTest, 0); i < kTuneTestCount; ++i)
        if (TestTakesPart(sel, i)) {
            t = i;
            break;
        }
    w_.currentTest = SelectTest(t);
    if (oldTest < 7 && w_.currentTest >= 7 && w_.currentTest <= 12) w_.currentStep = 17;
    else if (oldTest < 13 && w_.currentTest >= 13 && w_.currentTest <= 14) w_.currentStep = 24;
    else if (w_.currentTest >= kNoTest) {
        w_.currentStep = 0;
        w_.currentTest = kNoTest;
    }
    ShowTuneStep();
    if (w_.currentTest >= 13 && oldTest < 13) {
        if (transmitSelected_) {
            transmitSelected_ = false;
            SendTunePoint(w_.currentPoint);
        }
        const LoadToken::Value token = load_.Take();
        const MsgAnswer a = dialogs_.messageBox(kTuningCompleteQuestion, "", MsgButtons::YesNo);
        if (!load_.Still(token)) return;
        if (a == MsgAnswer::Yes) SaveResults();
    } else if (modes_.productionMode && w_.currentStep == 0 && w_.currentTest == kNoTest && oldTest < kNoTest) {
        links_.windows().OpenPacketTest();
    }
}

void TuneDialogue::SaveResults() {
    ModemParameters& p = w_.tuneParameters;
    const TuneRecord& r = w_.tuneRecord;
    const auto done = [&](int t) { return w_.testDone[static_cast<std::size_t>(t)]; };
    p.radioType = r.radioType;
    p.radioRange = r.radioRange;
    if (done(11)) p.masterRxGain = r.rxGainAdj;
    if (done(4)) p.masterDeviation = r.masterDeviation;
    if (done(8)) p.frontEndAdj = r.frontEndAdj;
    if (done(3)) p.modAdj = r.modAdj;
    if (done(2)) p.powerAdj = r.powerAdj;
    if (done(9)) p.fcAdj.rxFc8 = r.fcAdj.rxFc8;
    if (done(10)) p.fcAdj.rxFc5 = r.fcAdj.rxFc5;
    if (done(5)) p.fcAdj.txFc8 = r.fcAdj.txFc8;
    if (done(6)) p.fcAdj.txFc5 = r.fcAdj.txFc5;
    if (done(12)) {
        BuildRssiTable(modes_, files_, services_, p.calTables, w_.rssiCalPoints, true);
        p.rssiCalAdj = 0;
        if (modes_.productionMode) {
            const RssiTempComp& tc = records_.testParameters.rssiTempComp;
            p.calTables.rssiTempTable = tc.compressedTable;
            p.calTables.rssiTempTablePresent = kTrue;
            p.calTables.rssiTempTableId = tc.tableId;
        }
    }
    if (done(1)) {
        BuildPowerTable(modes_, files_, services_, p.calTables, w_.powerCalPoints, true);
        p.masterPowerMeterCal = 200;
    }
    records_.currentParameters = p;
    dialogState_ = TuneDialogState::WritingResults;
    links_.windows().RestartParmsReadWrite(kWriteCurrent, this);
}

void TuneDialogue::GoToPreviousTest(std::int32_t fromTest) {
    const std::int32_t oldTest = w_.currentTest;
    bool found = false;
    std::int32_t t = fromTest;
    if (fromTest != 0) {
        const TuneSelection sel = view_.Selection();
        for (std::int32_t i = std::min<std::int32_t>(fromTest, kTuneTestCount) - 1; i >= 0; --i)
            if (TestTakesPart(sel, i)) {
                t = i;
                found = true;
                break;
            }
    }
    w_.currentTest = SelectTest(t);
    const bool inTuning = w_.currentTest >= 0 && w_.currentTest <= 12;
    const bool inTx = w_.currentTest >= 0 && w_.currentTest <= 6;
    if (oldTest >= 13 && (inTuning || !found)) w_.currentStep = 24;
    else if (oldTest >= 7 && (inTx || !found)) w_.currentStep = 17;
    else if (oldTest >= 0 && !found) w_.currentStep = 2;
    ShowTuneStep();
}

// ---- buttons

void TuneDialogue::Finish() {
    if (w_.currentTest >= 0 && w_.currentTest < kTuneTestCount)
        w_.testDone[static_cast<std::size_t>(w_.currentTest)] = true;
    Skip();
}

void TuneDialogue::Skip() {
    GoToNextTest(w_.currentTest + 1);
    transmitSelected_ = false;
    SendTunePoint(w_.currentPoint);
}

void TuneDialogue::KeyOn() {
    transmitSelected_ = true;
    w_.currentStep += 1;
    SendTunePoint(w_.currentPoint);
    ShowTuneStep();
}

void TuneDialogue::NextPoint(bool keyed) {
    w_.currentPoint = static_cast<std::int16_t>(w_.currentPoint + 1);
    if (w_.currentPoint >= 3) {
        Finish();
        return;
    }
    ShowTuneStep();
    transmitSelected_ = keyed;
    SendTunePoint(w_.currentPoint);
}

void TuneDialogue::RestartTest() {
    const int t = TestOfStep(w_.currentStep);
    if (t < 0) return;
    const TunePlanEntry& e = kTunePlan[static_cast<std::size_t>(t)];
    w_.currentStep = e.firstStep;
    w_.currentTest = t;
    w_.calPointIndex = 0;
    w_.currentPoint = static_cast<std::int16_t>(e.startPoint);
}

void TuneDialogue::PrevAsStep18() {
    if (w_.calPointIndex != 0) RestartTest();
    else GoToPreviousTest(w_.currentTest);
}

void TuneDialogue::OK() {
    // A step whose exchange cannot run is not taken: nothing moves on, nothing counts as done.
    if (w_.currentStep >= 2 && !MayAct()) return;
    switch (w_.currentStep) {
    case 0: Start(); break;
    case 2: GoToNextTest(0); break;
    case 3: case 7: case 11: case 13: case 15: KeyOn(); break;
    case 4: case 12: case 18: case 22: case 28: Finish(); break;
    case 5:
        w_.currentStep = 6;
        ShowTuneStep();
        transmitSelected_ = true;
        // A point retaken after a give-up keeps the value the operator had set.
        if (ValidPoint(w_.currentPoint) && w_.calPointIndex == 0)
            w_.tuneRecord.powerAdj[static_cast<std::size_t>(w_.currentPoint)] = 32;
        SendTunePoint(w_.currentPoint);
        break;
    case 6: ClearDiagnostics(TuneDialogState::PowerPointClearing); break;
    case 8: case 14: case 16: NextPoint(true); break;
    case 9:
        StartModBalance(w_.currentPoint);
        w_.currentStep = 10;
        ShowTuneStep();
        break;
    case 10:
        StartModBalance(w_.currentPoint);
        ShowTuneStep();
        break;
    case 17:
        GoToNextTest(7);
        transmitSelected_ = false;
        SendTunePoint(w_.currentPoint);
        break;
    case 19: case 20: case 21: NextPoint(false); break;
    case 23:
        rssiReadCount_ = 0;
        description_ = ".";
        view_.SetDescription(description_);
        break;
    case 24:
        GoToNextTest(13);
        transmitSelected_ = false;
        SendTunePoint(w_.currentPoint);
        break;
    case 25:
        w_.calPointIndex = static_cast<std::int16_t>(w_.calPointIndex + 1);
        if (w_.calPointIndex >= 3) {
            Finish();
            break;
        }
        ShowTuneStep();
        transmitSelected_ = false;
        SendTunePoint(w_.currentPoint);
        break;
    case 26:
        w_.currentStep = 27;
        ShowTuneStep();
        transmitSelected_ = true;
        SendTunePoint(w_.currentPoint);
        break;
    case 27: ClearDiagnostics(TuneDialogState::PowerVerifyClearing); break;
    default: break;
    }
}

void TuneDialogue::Next() {
    if (w_.currentStep >= 2 && !MayAct()) return;
    switch (w_.currentStep) {
    case 0: case 1: break;
    case 2:
        w_.currentTest = 0;
        GoToNextTest(0);
        break;
    case 17:
        w_.currentTest = 7;
        GoToNextTest(7);
        break;
    case 24:
        w_.currentTest = 13;
        GoToNextTest(13);
        break;
    default:
        if (w_.currentStep >= 3 && w_.currentStep <= kLastStep) Skip();
        break;
    }
}

void TuneDialogue::Previous() {
    if (w_.currentStep >= 2 && !MayAct()) return;
    switch (w_.currentStep) {
    case 2: GoToPreviousTest(0); break;
    case 3:
    case 5:
    case 7:
    case 9:
    case 11:
    case 13:
    case 15:
    case 26: GoToPreviousTest(w_.currentTest); break;
    case 4: case 6: case 8: case 10: case 12: case 14: case 16: case 27: case 28: RestartTest(); break;
    case 17: GoToPreviousTest(7); break;
    case 18: case 19: case 20: case 21: case 22: case 23: case 25: PrevAsStep18(); break;
    case 24: GoToPreviousTest(13); break;
    default: break;
    }
    ShowTuneStep();
    transmitSelected_ = false;
    SendTunePoint(w_.currentPoint);
}

void TuneDialogue::Close() { EndTest(); }

bool TuneDialogue::KeyDown(int keyCode, bool shift, bool ctrl, bool alt) {
    if (keyCode == kKeyF7) {
        if (!shift && !ctrl && !alt && modes_.engineerMode) pollDiagnostics_ = !pollDiagnostics_;
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
    case 0: t.rxGainAdj = AdjustUnsigned(t.rxGainAdj, *step); break;
    case 1: t.masterDeviation = AdjustUnsigned(t.masterDeviation, *step); break;
    case 2:
        if (!pointOk) return true;
        t.frontEndAdj[at] = AdjustUnsigned(t.frontEndAdj[at], *step);
        break;
    case 3:
        if (!pointOk) return true;
        t.modAdj[at] = AdjustUnsigned(t.modAdj[at], *step);
        t.modValue = t.modAdj[at];
        send = false;
        break;
    case 4:
        if (!pointOk) return true;
        t.powerAdj[at] = AdjustUnsigned(t.powerAdj[at], *step);
        break;
    case 5: t.rssiCalAdj = AdjustSigned(t.rssiCalAdj, *step); break;
    case 6: t.powerCalAdj = AdjustUnsigned(t.powerCalAdj, *step); break;
    case 7:
        t.fcOverride = AdjustUnsigned(t.fcOverride, *step);
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

// ---- the modem dialogue

void TuneDialogue::SendTunePoint(std::int16_t point) {
    if (dialogState_ != TuneDialogState::Idle) {
        tunePending_ = true;
        return;
    }
    if (!Active() || !ValidPoint(point)) return;
    switch (exchange_.Ready(false)) {
    case RadioExchange::Gate::Refused: return;
    case RadioExchange::Gate::Wait:
        // The owed unkey goes first; the record follows its acknowledgement.
        tunePending_ = true;
        return;
    case RadioExchange::Gate::Go: break;
    }
    TuneRecord& t = w_.tuneRecord;
    const RadioSpec& spec = w_.testPoints[static_cast<std::size_t>(point)];
    const auto sum = [](std::int32_t a, std::int32_t b) {
        const std::int64_t v = std::int64_t{a} + b;
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    t.txFrequency = sum(spec.txFrequency, w_.txOffsetHz);
    t.rxFrequency = sum(spec.rxFrequency, w_.rxOffsetHz);
    t.frontEndValue = t.frontEndAdj[static_cast<std::size_t>(point)];
    t.modValue = t.modAdj[static_cast<std::size_t>(point)];
    t.powerValue = t.powerAdj[static_cast<std::size_t>(point)];
    t.sa7026Synthesizer = ToFlag(view_.Selection().sa7026);
    t.txSelected = ToFlag(transmitSelected_);
    if (transmitSelected_) {
        if (w_.currentStep == 14 || w_.currentStep == 16) {
            std::int16_t modulus = w_.currentStep == 14 ? 8 : 5;
            t.txFrequency = GetFcTestFreq(modes_, t, t.txFrequency, modulus);
            t.txDeviationAdj = 0;
        } else {
            t.txDeviationAdj = t.masterDeviation;
        }
        t.synthFrequency = t.txFrequency;
    } else {
        if (w_.currentStep == 20 || w_.currentStep == 21) {
            std::int16_t modulus = w_.currentStep == 20 ? 8 : 5;
            t.rxFrequency = GetFcTestFreq(modes_, t, t.rxFrequency, modulus);
        }
        t.txDeviationAdj = t.masterDeviation;
        t.synthFrequency = t.rxFrequency;
    }
    SelectCnFcAdjust(records_, t, nullptr, false, true, true, point);
    exchange_.Send(TuneRecordLine(modes_, records_, t),
                   transmitSelected_ ? RadioExchange::Keying::Keys : RadioExchange::Keying::Unkeys);
    dialogState_ = TuneDialogState::AwaitingTuneAck;
    ShowAdjustValue();
    tunePending_ = false;
}

void TuneDialogue::CompleteExchange() {
    dialogState_ = TuneDialogState::Idle;
    if (tunePending_) {
        tunePending_ = false;
        SendTunePoint(w_.currentPoint);
    }
    EndPendingTest();
}

bool TuneDialogue::EndPendingTest() {
    if (!endTestPending_) return false;
    endTestPending_ = false;
    EndTest();
    return true;
}

void TuneDialogue::EndTest() {
    if (dialogState_ != TuneDialogState::Idle) {
        endTestPending_ = true;
        return;
    }
    if (!exchange_.LineBack()) {
        // Nothing can reach the modem and the window closes: the operator hears what that
        // leaves of the radio.
        const LoadToken::Value token = load_.Take();
        exchange_.TellClosedAtClose();
        if (!load_.Still(token)) return;
        endTestDone_ = true;
        view_.CloseWindow();
        return;
    }
    // "T0" is the unkey too: one under way is set aside for it.
    exchange_.Send(CommandLine("T0"), RadioExchange::Keying::Unkeys);
    dialogState_ = TuneDialogState::AwaitingEndTestAck;
    endTestPending_ = false;
}

void TuneDialogue::StartModBalance(std::int16_t point) {
    transmitSelected_ = true;
    dialogState_ = TuneDialogState::Idle;
    SendTunePoint(point);
    Rearm(*timerDelayCommunications_);
    delayedCommand_ = "BALANCE";
    delayedCommandByte_ = std::clamp<std::int16_t>(view_.Selection().txTime, 1, 60);
    settings_.modBalanceTxTime = delayedCommandByte_;
    w_.modBalanceTxTime = delayedCommandByte_;
    timerTxTimeout_->setEnabled(false);
    timerTxTimeout_->setInterval(delayedCommandByte_ * 1100 + 500);
    timerTxTimeout_->setEnabled(true);
}

void TuneDialogue::TimerDelayTick() {
    timerDelayCommunications_->setEnabled(false);
    // A radio owed its unkey is not keyed again behind it.
    if (exchange_.unkeyOwed() || exchange_.unkeyUnderWay()) return;
    if (!exchange_.Post(CommandAndByteLine(delayedCommand_, delayedCommandByte_), RadioExchange::Keying::Keys)) return;
    exchange_.ClearResends();
}

void TuneDialogue::TimerTxTimeoutTick() {
    timerTxTimeout_->setEnabled(false);
    transmitSelected_ = false;
    SendTunePoint(w_.currentPoint);
    // Only a tune record that went out can bring the re-adjust question; otherwise the
    // exchange would wait for an acknowledgement that never comes.
    if (w_.currentStep == 10 && dialogState_ == TuneDialogState::AwaitingTuneAck)
        dialogState_ = TuneDialogState::AwaitingBalanceEndAck;
}

void TuneDialogue::ClearDiagnostics(TuneDialogState clearing) {
    if (exchange_.Send(CommandLine("AR"))) dialogState_ = clearing;
}

void TuneDialogue::Request(const char* command, TuneDialogState next) {
    if (!exchange_.Send(CommandLine(command))) return;
    replyCount_ = 0;
    dialogState_ = next;
}

void TuneDialogue::TimerDiagnosticsTick() {
    if (!Active()) return;
    // Samples start only from Idle like the poll, so they never cut off an open exchange (the
    // end test's acknowledgement would otherwise never be taken and the window never close).
    if (dialogState_ != TuneDialogState::Idle) return;
    // Quiet with the port closed; the unkey owed goes instead, whether or not diagnostics are
    // polled.
    if (!exchange_.PollReady()) return;
    if (!pollDiagnostics_ || transmitSelected_) return;
    if (w_.currentStep == 23) Request("AT", TuneDialogState::AwaitingRssiSample);
    else if (w_.currentStep >= 19 && w_.currentStep <= 21) Request("AT", TuneDialogState::AwaitingRxSample);
    else Request("AS", TuneDialogState::AwaitingDiagnostics);
}

bool TuneDialogue::BlockComplete(const RadioReply& reply) {
    if (reply.kind != RadioReply::Kind::Data) return false;
    replyCount_ = static_cast<std::int16_t>(
        std::min<int>(replyCount_ + std::max<int>(reply.record->dataCount, 0), kReplyDataBytes));
    if (!reply.blockComplete) return false;
    ParseDiagnosticBlock(diagnostics_, reply.block);
    return true;
}

void TuneDialogue::AwaitNext(TuneDialogState next) {
    exchange_.Await();
    dialogState_ = next;
}

void TuneDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!load_.loaded()) return;
    // Only records of the reply to this window's command come through; the owed unkey's are
    // the exchange's own.
    const std::optional<RadioReply> reply = exchange_.Take(rxSRecordIndex);
    if (!reply) return;
    using Kind = RadioReply::Kind;
    const bool ack = reply->kind == Kind::Acknowledged;
    switch (dialogState_) {
    case TuneDialogState::AwaitingTuneAck:
        if (!ack) return;
        exchange_.Stop();
        CompleteExchange();
        break;
    case TuneDialogState::AwaitingBalanceEndAck:
        if (!ack) return;
        exchange_.Stop();
        dialogState_ = TuneDialogState::Idle;
        ReAdjustQuestion();
        break;
    case TuneDialogState::AwaitingDiagnostics:
        if (!BlockComplete(*reply)) return;
        ShowDiagnostics(diagnostics_);
        AwaitNext(TuneDialogState::AwaitingReplyEnd);
        break;
    case TuneDialogState::AwaitingReplyEnd:
        if (reply->kind == Kind::End) {
            AwaitNext(TuneDialogState::AwaitingReplyAck);
        } else if (ack) {
            // A reply closed without its end record is over all the same.
            exchange_.Stop();
            CompleteExchange();
        }
        break;
    case TuneDialogState::AwaitingReplyAck:
        if (!ack) return;
        exchange_.Stop();
        CompleteExchange();
        break;
    case TuneDialogState::AwaitingEndTestAck: {
        if (!ack) return;
        exchange_.Stop();
        endTestDone_ = true;
        if (reply->offAfterWarning) {
            const LoadToken::Value token = load_.Take();
            Tell(kTxOffLaterText);
            if (!load_.Still(token)) return;
        }
        view_.CloseWindow();
        break;
    }
    case TuneDialogState::AwaitingPowerTuneAck:
        if (!ack) return;
        Request("AT", TuneDialogState::AwaitingPowerSample);
        break;
    case TuneDialogState::AwaitingPowerSample:
        if (!BlockComplete(*reply)) return;
        AwaitNext(TuneDialogState::AwaitingPowerSampleAck);
        break;
    case TuneDialogState::AwaitingPowerSampleAck:
        if (!ack) return;
        exchange_.Stop();
        CompleteExchange();
        RecordPowerPoint();
        break;
    case TuneDialogState::AwaitingRssiSample:
        if (BlockComplete(*reply)) AwaitNext(TuneDialogState::AwaitingRssiSampleAck);
        if (reply->kind == Kind::Data && rssiReadCount_ < 4) {
            description_ += ".";
            view_.SetDescription(description_);
        }
        break;
    case TuneDialogState::AwaitingRssiSampleAck:
        if (!ack) return;
        exchange_.Stop();
        CompleteExchange();
        view_.SetTemperature(FormatAdTemperatureC(diagnostics_.sets[0].values[6]));
        view_.SetDiagValue(std::to_string(diagnostics_.sets[0].values[7]));
        RecordRssiRead();
        break;
    case TuneDialogState::AwaitingRxSample:
        if (!BlockComplete(*reply)) return;
        view_.SetDiagValue(FormatAdVolts(diagnostics_.sets[0].values[7], 0.6666667f, files_.locale));
        AwaitNext(TuneDialogState::AwaitingReplyEnd);
        break;
    default:
        break;
    }
}

void TuneDialogue::RecordPowerPoint() {
    std::span<std::int16_t> readings = w_.powerCalPoints.adReading;
    if (!StoreRisingReading(readings, w_.calPointIndex, std::max<std::int16_t>(diagnostics_.sets[2].values[8], 0)))
        return;
    if (w_.calPointIndex >= static_cast<int>(readings.size())) {
        Finish();
        return;
    }
    ShowTuneStep();
    transmitSelected_ = true;
    SendTunePoint(w_.currentPoint);
}

void TuneDialogue::RecordRssiRead() {
    if (rssiReadCount_ >= 4) return;
    rssiReads_[static_cast<std::size_t>(rssiReadCount_)] = std::max<std::int16_t>(diagnostics_.sets[0].values[7], 0);
    ++rssiReadCount_;
    if (rssiReadCount_ < 4) return;
    std::span<std::int16_t> readings = w_.rssiCalPoints.adReading;
    if (!StoreRisingReading(readings, w_.calPointIndex, AverageOfFour(rssiReads_))) return;
    if (w_.calPointIndex >= static_cast<int>(readings.size())) Finish();
    else ShowTuneStep();
}

void TuneDialogue::ReAdjustQuestion() {
    const LoadToken::Value token = load_.Take();
    const MsgAnswer a = dialogs_.messageBox(kReAdjustQuestion, "", MsgButtons::YesNo);
    if (!load_.Still(token)) return;
    if (a == MsgAnswer::Yes) {
        w_.currentStep = 9;
        ShowTuneStep();
        return;
    }
    if (w_.currentPoint >= 2) {
        Finish();
        return;
    }
    w_.currentPoint = w_.currentPoint == 1 ? 0 : 2;
    w_.tuneRecord.modValue = w_.tuneRecord.modAdj[static_cast<std::size_t>(w_.currentPoint)];
    w_.currentStep = 9;
    ShowTuneStep();
}

void TuneDialogue::TimerResponseTick() {
    if (!Active()) return;  // taken at the first tick after the window is active again
    exchange_.Stop();
    // The procedure's resends are not counted in the status bar.
    constexpr auto silent = ModemExchange::Tally::Silent;
    switch (dialogState_) {
    case TuneDialogState::AwaitingTuneAck:
    case TuneDialogState::AwaitingBalanceEndAck:
        if (!transmitSelected_ && exchange_.Resend(silent)) break;
        if (exchange_.mayTransmit()) GiveUp(false);
        else CompleteExchange();
        break;
    case TuneDialogState::AwaitingEndTestAck:
        if (!exchange_.lineUp()) {
            // Not the unit's fault: the window stays, and a radio that may transmit is owed its
            // unkey.
            dialogState_ = TuneDialogState::Idle;
            exchange_.TellEndTestPortLost();
            break;
        }
        if (!exchange_.Resend(silent)) {
            const LoadToken::Value token = load_.Take();
            dialogs_.messageBox(kNoEndTestText, "", MsgButtons::OK);
            if (!load_.Still(token)) return;
            endTestDone_ = true;  // "T0" was tried four times
            view_.CloseWindow();
        }
        break;
    case TuneDialogState::PowerPointClearing:
        if (!exchange_.lineUp()) {
            GiveUp(true);
            break;
        }
        if (transmitSelected_ || !exchange_.Resend(silent)) {
            dialogState_ = TuneDialogState::Idle;
            transmitSelected_ = false;
            SendTunePoint(w_.currentPoint);
            if (dialogState_ == TuneDialogState::AwaitingTuneAck) dialogState_ = TuneDialogState::AwaitingPowerTuneAck;
        }
        break;
    case TuneDialogState::AwaitingPowerTuneAck:
    case TuneDialogState::AwaitingPowerSample:
        if (!exchange_.Resend(silent)) GiveUp(true);
        break;
    case TuneDialogState::AwaitingPowerSampleAck:
        // The sample is in but was never acknowledged: it is not taken as a point.
        GiveUp(true);
        break;
    case TuneDialogState::PowerVerifyClearing:
        if (transmitSelected_ || !exchange_.Resend(silent)) {
            CompleteExchange();
            w_.currentStep = 28;
            ShowTuneStep();
            transmitSelected_ = false;
            SendTunePoint(w_.currentPoint);
        }
        break;
    case TuneDialogState::AwaitingDiagnostics:
    case TuneDialogState::AwaitingReplyEnd:
    case TuneDialogState::AwaitingReplyAck:
    case TuneDialogState::AwaitingRssiSample:
    case TuneDialogState::AwaitingRssiSampleAck:
    case TuneDialogState::AwaitingRxSample:
        CompleteExchange();
        break;
    default:
        break;
    }
}

void TuneDialogue::GiveUp(bool pointLost) {
    timerDelayCommunications_->setEnabled(false);
    timerTxTimeout_->setEnabled(false);
    BackToKeyStep();
    dialogState_ = TuneDialogState::Idle;
    exchange_.GiveUp(pointLost);
}

void TuneDialogue::BackToKeyStep() {
    transmitSelected_ = false;
    if (!KeyedStep(w_.currentStep)) return;
    const int t = TestOfStep(w_.currentStep);
    if (t >= 0) w_.currentStep = kTunePlan[static_cast<std::size_t>(t)].firstStep;
    ShowTuneStep();
}

bool TuneDialogue::MayAct() {
    // With an unkey owed, it goes instead; the operator hears how it went and acts again.
    return exchange_.Ready(true) == RadioExchange::Gate::Go;
}

void TuneDialogue::Tell(const std::string& text) {
    dialogs_.messageBox(text, "", MsgButtons::OK, MsgIcon::Exclamation);
}

void TuneDialogue::ShowDiagnostics(const DiagnosticsRecord& record) {
    const auto& v = record.sets[0].values;
    const LocaleInfo& loc = files_.locale;
    switch (w_.diagIndex) {
    case 0:
    case 1:
    case 3:
    case 4:
    case 5: view_.SetDiagValue(FormatAnalogVccVolts(v[static_cast<std::size_t>(w_.diagIndex)], loc)); break;
    case 2: view_.SetDiagValue(FormatBatteryVolts(v[2], loc)); break;
    case 6: view_.SetDiagValue(FormatTemperatureC(v[6])); break;
    case 7: view_.SetDiagValue(FormatNegativeDbm(v[7])); break;
    case 8:
    case 9: view_.SetDiagValue(FormatTenthsWatts(v[static_cast<std::size_t>(w_.diagIndex)], loc)); break;
    default: break;
    }
    view_.SetBatteryVoltage(FormatBatteryVolts(v[2], loc));
    view_.SetTemperature(FormatTemperatureC(v[6]));
}

void TuneDialogue::ShowAdjustValue() {
    const TuneRecord& t = w_.tuneRecord;
    std::int16_t v;
    switch (w_.adjustIndex) {
    case 0: v = t.rxGainAdj; break;
    case 1: v = t.txDeviationAdj; break;
    case 2: v = t.frontEndValue; break;
    case 3: v = t.modValue; break;
    case 4: v = t.powerValue; break;
    case 5: v = t.rssiCalAdj; break;
    case 6: v = t.powerCalAdj; break;
    case 7: v = t.fcOverride; break;
    default: return;
    }
    view_.SetAdjValue(std::to_string(v));
}

}  // namespace k45
