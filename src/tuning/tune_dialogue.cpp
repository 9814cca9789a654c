#include "tuning/tune_dialogue.h"

#include <algorithm>
#include <filesystem>
#include <span>

#include "frame/converters.h"
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
#include "tuning/radio_off.h"
#include "tuning/tune_math.h"

namespace k45 {
namespace {

constexpr std::uint16_t kReplyLetter = 'R';
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

TuneDialogue::TuneDialogue(DialogueLinks links, TuneWindowSettings& settings, TuneLinks& windows, TuneView& view)
    : modes_(links.modes), files_(links.files), records_(links.records), services_(links.services),
      primary_(links.services.classCommPrimary), sched_(*links.services.scheduler), dialogs_(*links.services.dialogs),
      settings_(settings), view_(view), links_(windows), mainFrame_(links.mainFrame()) {
    timerResponse_ = sched_.createTimer();
    timerResponse_->setInterval(kResponseMs);
    timerResponse_->setHandler([this] { TimerResponseTick(); });
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
    if (loaded_ && primary_) primary_->DeRegisterForAll(this);
}

// ---- window events

void TuneDialogue::Load() {
    loaded_ = true;
    ++generation_;
    settings_.wasLoaded = true;
    tunePending = false;
    endTestPending = false;
    endTestDone_ = false;
    testMode_ = false;
    mayTransmit_ = lastTuneKeyed_ = false;
    w.currentPoint = 2;
    dialogState = TuneDialogState::Idle;
    w.currentStep = 0;
    ShowTuneStep();
    w.adjustIndex = 7;
    w.diagIndex = 13;
    if (primary_) primary_->RegisterForSRecord(this, false);
    view_.ShowSelection(SelectionFromParameters(records_.mainParameters, view_.Selection()));
    SelectRxOffset(settings_.rxOffsetListIndex);
    SelectTxOffset(settings_.txOffsetListIndex);
    w.modBalanceTxTime = settings_.modBalanceTxTime;
    pollDiagnostics = true;
    replyBytes.fill(0);
    replyCount = 0;
    timerDiagnostics_->setEnabled(true);
}

void TuneDialogue::Activate() {
    if (primary_) {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)primary_->OverrideHandshaking(7, false, 0);
        (void)primary_->OverrideSettings({.baudRate = 9600});
    }
    if (dialogState == TuneDialogState::ParametersReady && w.currentStep == 1) {
        dialogState = TuneDialogState::Idle;
        GoToFirstTest();
        records_.dacValues = DacValuesFromTuneRecord(w.tuneRecord);
        links_.OpenDacValues();
    }
}

void TuneDialogue::Unload() {
    if (!loaded_) return;
    // Nothing may leave the radio keyed or in test mode: the close box, shutdown and every
    // other close that did not end the test send "T0" once without waiting for it.
    if (testMode_ && !endTestDone_) SendEndTestNow();
    loaded_ = false;
    ++generation_;
    const TuneSelection sel = view_.Selection();
    for (int i = 0; i < kTuneTestCount; ++i)
        settings_.testSelection[static_cast<std::size_t>(i)] = sel.ticked[static_cast<std::size_t>(i)] ? 1 : 0;
    if (primary_) primary_->DeRegisterForAll(this);
    settings_.modBalanceTxTime = sel.txTime;
    for (Timer* t : {timerResponse_.get(), timerDiagnostics_.get(), timerDelayCommunications_.get(), timerTxTimeout_.get()})
        t->setEnabled(false);
}

void TuneDialogue::PortsSwapping() {
    if (loaded_ && testMode_) SendEndTestNow();
}

void TuneDialogue::SendEndTestNow() {
    SendCommandLine("T0");
    testMode_ = false;
    mayTransmit_ = false;
}

void TuneDialogue::SelectRxOffset(int index) {
    if (index < 0 || index >= kOffsetEntryCount) {
        settings_.rxOffsetListIndex = -1;
        return;
    }
    settings_.rxOffsetListIndex = static_cast<std::int16_t>(index);
    w.rxOffsetHz = OffsetEntryHz(index);
}

void TuneDialogue::SelectTxOffset(int index) {
    if (index < 0 || index >= kOffsetEntryCount) {
        settings_.txOffsetListIndex = -1;
        return;
    }
    settings_.txOffsetListIndex = static_cast<std::int16_t>(index);
    w.txOffsetHz = OffsetEntryHz(index);
}

// ---- procedure

void TuneDialogue::ShowTuneStep() {
    const TuneScreen screen = RenderTuneStep(modes_, files_.locale, w, settings_.levels, description_);
    if (screen.description) description_ = *screen.description;
    view_.ShowScreen(screen);
}

void TuneDialogue::Start() {
    w.testDone.fill(false);
    view_.FocusOk();
    rssiReadCount = 4;
    if (!modes_.productionMode) {
        ReadCurrentParameters();
        return;
    }
    const std::uint64_t gen = generation_;
    const MsgAnswer a = dialogs_.messageBox(kOverwriteDefaultsQuestion, "", MsgButtons::YesNo);
    if (!Still(gen)) return;
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
    const DacValues& d = records_.testParameters.defaultDacValues;
    m.frontEndAdj = d.frontEndAdj;
    m.modAdj = d.modAdj;
    m.powerAdj = d.powerAdj;
    m.fcAdj = d.fcAdj;
    m.masterRxGain = d.rxGainAdj;
    m.masterDeviation = d.txDeviationAdj;
    m.rssiCalAdj = d.rssiCalAdj;
    m.masterPowerMeterCal = d.powerCalAdj;
    records_.currentParameters = m;
    dialogState = TuneDialogState::WritingDefaults;
    links_.WriteParameters(kWriteDefault, *this);
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
        if (mainFrame_) mainFrame_->DisplayFilenames();
    }
    const std::string dataName = FindProductionDefault(false, files_.dataFileName, folder, sel.radioType, sel.radioRange,
                                                       sel.channelBandwidth, sel.highRxBand, exists);
    if (LoadDataFile(files_, records_, records_.mainParameters, dataName)) {
        files_.dataFileName = dataName;
        if (mainFrame_) mainFrame_->DisplayFilenames();
    }
}

void TuneDialogue::ReadCurrentParameters() {
    dialogState = TuneDialogState::AwaitingParameters;
    w.currentStep = 1;
    links_.ReadCurrentParameters(*this);
}

void TuneDialogue::ProgrammingComplete(bool programCompleted) {
    if (programCompleted && dialogState == TuneDialogState::WritingDefaults) ReadCurrentParameters();
    else CompleteExchange();
}

void TuneDialogue::UpdateParms(bool parmsWereFound) {
    if (!parmsWereFound || dialogState != TuneDialogState::AwaitingParameters) {
        CompleteExchange();
        return;
    }
    w.tuneParameters = records_.currentParameters;
    BuildTuneRecord(records_, w.tuneRecord, w.tuneParameters);
    const TuneLevels& lv = settings_.levels;
    if (w.tuneParameters.channelBandwidth == 0) {
        w.txDeviationTarget = lv.deviationWide;
        w.txDeviationTolerance = lv.deviationWideTolerance;
        w.rxGainSigGenDeviation = lv.rxGainSigGenWide;
    } else {
        w.txDeviationTarget = lv.deviationNarrow;
        w.txDeviationTolerance = lv.deviationNarrowTolerance;
        w.rxGainSigGenDeviation = lv.rxGainSigGenNarrow;
    }
    const ProductionTestRecord& src = modes_.productionMode ? records_.testParameters : records_.testDefaults;
    w.powerCalPoints = src.powerPoints;
    w.rssiCalPoints = src.rssiPoints;
    for (int p = 0; p < 3; ++p) {
        // A radio type or range from the modem outside the table gives no test frequencies.
        const bool ok = RadioSpecIndexValid(w.tuneRecord.radioType, w.tuneRecord.radioRange, p);
        w.testPoints[static_cast<std::size_t>(p)] =
            ok ? src.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(w.tuneRecord.radioType, w.tuneRecord.radioRange, p))]
               : RadioSpec{};
    }
    view_.ShowSelection(SelectionFromParameters(w.tuneParameters, view_.Selection()));
    dialogState = TuneDialogState::ParametersReady;
    if (Active()) Activate();
}

void TuneDialogue::UpdateDacValues() {
    TakeDacValues(w.tuneRecord, records_.dacValues);
    for (int t : {2, 3, 4, 5, 6, 8, 9, 10, 11}) w.testDone[static_cast<std::size_t>(t)] = true;
}

std::int32_t TuneDialogue::SelectTest(std::int32_t test) {
    if (test < 0 || test >= kTuneTestCount) {
        w.currentStep = 0;
        w.currentPoint = 2;
        return kNoTest;
    }
    const TunePlanEntry& e = kTunePlan[static_cast<std::size_t>(test)];
    w.currentStep = e.firstStep;
    w.currentPoint = static_cast<std::int16_t>(e.startPoint);
    w.calPointIndex = 0;
    return test;
}

void TuneDialogue::GoToFirstTest() {
    const TuneSelection sel = view_.Selection();
    int first = -1;
    for (int t = 0; t < kTuneTestCount && first < 0; ++t)
        if (TestTakesPart(sel, t)) first = t;
    if (first >= 0 && first <= 6) w.currentStep = 2;
    else if (first >= 7 && first <= 12) w.currentStep = 17;
    else if (first >= 13) w.currentStep = 24;
    else {
        w.currentStep = 0;
        CompleteExchange();
    }
    ShowTuneStep();
}

void TuneDialogue::GoToNextTest(std::int32_t fromTest) {
    const std::int32_t oldTest = w.currentTest;
    const TuneSelection sel = view_.Selection();
    std::int32_t t = kNoTest;
    for (std::int32_t i = std::max<std::int32_t>(fromTest, 0); i < kTuneTestCount; ++i)
        if (TestTakesPart(sel, i)) {
            t = i;
            break;
        }
    w.currentTest = SelectTest(t);
    if (oldTest < 7 && w.currentTest >= 7 && w.currentTest <= 12) w.currentStep = 17;
    else if (oldTest < 13 && w.currentTest >= 13 && w.currentTest <= 14) w.currentStep = 24;
    else if (w.currentTest >= kNoTest) {
        w.currentStep = 0;
        w.currentTest = kNoTest;
    }
    ShowTuneStep();
    if (w.currentTest >= 13 && oldTest < 13) {
        if (transmitSelected) {
            transmitSelected = false;
            SendTunePoint(w.currentPoint);
        }
        const std::uint64_t gen = generation_;
        const MsgAnswer a = dialogs_.messageBox(kTuningCompleteQuestion, "", MsgButtons::YesNo);
        if (!Still(gen)) return;
        if (a == MsgAnswer::Yes) SaveResults();
    } else if (modes_.productionMode && w.currentStep == 0 && w.currentTest == kNoTest && oldTest < kNoTest) {
        links_.OpenPacketTest();
    }
}

void TuneDialogue::SaveResults() {
    ModemParameters& p = w.tuneParameters;
    const TuneRecord& r = w.tuneRecord;
    const auto done = [&](int t) { return w.testDone[static_cast<std::size_t>(t)]; };
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
        BuildRssiTable(modes_, files_, services_, p.calTables, w.rssiCalPoints, true);
        p.rssiCalAdj = 0;
        if (modes_.productionMode) {
            const RssiTempComp& tc = records_.testParameters.rssiTempComp;
            p.calTables.rssiTempTable = tc.compressedTable;
            p.calTables.rssiTempTablePresent = kTrue;
            p.calTables.rssiTempTableId = tc.tableId;
        }
    }
    if (done(1)) {
        BuildPowerTable(modes_, files_, services_, p.calTables, w.powerCalPoints, true);
        p.masterPowerMeterCal = 200;
    }
    records_.currentParameters = p;
    dialogState = TuneDialogState::WritingResults;
    links_.WriteParameters(kWriteCurrent, *this);
}

void TuneDialogue::GoToPreviousTest(std::int32_t fromTest) {
    const std::int32_t oldTest = w.currentTest;
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
    w.currentTest = SelectTest(t);
    const bool inTuning = w.currentTest >= 0 && w.currentTest <= 12;
    const bool inTx = w.currentTest >= 0 && w.currentTest <= 6;
    if (oldTest >= 13 && (inTuning || !found)) w.currentStep = 24;
    else if (oldTest >= 7 && (inTx || !found)) w.currentStep = 17;
    else if (oldTest >= 0 && !found) w.currentStep = 2;
    ShowTuneStep();
}

// ---- buttons

void TuneDialogue::Finish() {
    if (w.currentTest >= 0 && w.currentTest < kTuneTestCount) w.testDone[static_cast<std::size_t>(w.currentTest)] = true;
    Skip();
}

void TuneDialogue::Skip() {
    GoToNextTest(w.currentTest + 1);
    transmitSelected = false;
    SendTunePoint(w.currentPoint);
}

void TuneDialogue::KeyOn() {
    transmitSelected = true;
    w.currentStep += 1;
    SendTunePoint(w.currentPoint);
    ShowTuneStep();
}

void TuneDialogue::NextPoint(bool keyed) {
    w.currentPoint = static_cast<std::int16_t>(w.currentPoint + 1);
    if (w.currentPoint >= 3) {
        Finish();
        return;
    }
    ShowTuneStep();
    transmitSelected = keyed;
    SendTunePoint(w.currentPoint);
}

void TuneDialogue::RestartTest() {
    const int t = TestOfStep(w.currentStep);
    if (t < 0) return;
    const TunePlanEntry& e = kTunePlan[static_cast<std::size_t>(t)];
    w.currentStep = e.firstStep;
    w.currentTest = t;
    w.calPointIndex = 0;
    w.currentPoint = static_cast<std::int16_t>(e.startPoint);
}

void TuneDialogue::PrevAsStep18() {
    if (w.calPointIndex != 0) RestartTest();
    else GoToPreviousTest(w.currentTest);
}

void TuneDialogue::OK() {
    switch (w.currentStep) {
    case 0: Start(); break;
    case 2: GoToNextTest(0); break;
    case 3: case 7: case 11: case 13: case 15: KeyOn(); break;
    case 4: case 12: case 18: case 22: case 28: Finish(); break;
    case 5:
        w.currentStep = 6;
        ShowTuneStep();
        transmitSelected = true;
        // A point retaken after a give-up keeps the value the operator had set.
        if (ValidPoint(w.currentPoint) && w.calPointIndex == 0)
            w.tuneRecord.powerAdj[static_cast<std::size_t>(w.currentPoint)] = 32;
        SendTunePoint(w.currentPoint);
        break;
    case 6: ClearDiagnostics(TuneDialogState::PowerPointClearing); break;
    case 8: case 14: case 16: NextPoint(true); break;
    case 9:
        StartModBalance(w.currentPoint);
        w.currentStep = 10;
        ShowTuneStep();
        break;
    case 10:
        StartModBalance(w.currentPoint);
        ShowTuneStep();
        break;
    case 17:
        GoToNextTest(7);
        transmitSelected = false;
        SendTunePoint(w.currentPoint);
        break;
    case 19: case 20: case 21: NextPoint(false); break;
    case 23:
        rssiReadCount = 0;
        description_ = ".";
        view_.SetDescription(description_);
        break;
    case 24:
        GoToNextTest(13);
        transmitSelected = false;
        SendTunePoint(w.currentPoint);
        break;
    case 25:
        w.calPointIndex = static_cast<std::int16_t>(w.calPointIndex + 1);
        if (w.calPointIndex >= 3) {
            Finish();
            break;
        }
        ShowTuneStep();
        transmitSelected = false;
        SendTunePoint(w.currentPoint);
        break;
    case 26:
        w.currentStep = 27;
        ShowTuneStep();
        transmitSelected = true;
        SendTunePoint(w.currentPoint);
        break;
    case 27: ClearDiagnostics(TuneDialogState::PowerVerifyClearing); break;
    default: break;
    }
}

void TuneDialogue::Next() {
    switch (w.currentStep) {
    case 0: case 1: break;
    case 2:
        w.currentTest = 0;
        GoToNextTest(0);
        break;
    case 17:
        w.currentTest = 7;
        GoToNextTest(7);
        break;
    case 24:
        w.currentTest = 13;
        GoToNextTest(13);
        break;
    default:
        if (w.currentStep >= 3 && w.currentStep <= kLastStep) Skip();
        break;
    }
}

void TuneDialogue::Previous() {
    switch (w.currentStep) {
    case 2: GoToPreviousTest(0); break;
    case 3: case 5: case 7: case 9: case 11: case 13: case 15: case 26: GoToPreviousTest(w.currentTest); break;
    case 4: case 6: case 8: case 10: case 12: case 14: case 16: case 27: case 28: RestartTest(); break;
    case 17: GoToPreviousTest(7); break;
    case 18: case 19: case 20: case 21: case 22: case 23: case 25: PrevAsStep18(); break;
    case 24: GoToPreviousTest(13); break;
    default: break;
    }
    ShowTuneStep();
    transmitSelected = false;
    SendTunePoint(w.currentPoint);
}

void TuneDialogue::Close() { EndTest(); }

bool TuneDialogue::KeyDown(int keyCode, bool shift, bool ctrl, bool alt) {
    if (keyCode == kKeyF7) {
        if (!shift && !ctrl && !alt && modes_.engineerMode) pollDiagnostics = !pollDiagnostics;
        return false;
    }
    const auto step = AdjustKeyStep(keyCode, shift, ctrl, alt);
    if (!step) return false;
    // A step that names no adjust value changes nothing (its value would reach the save).
    if (!StepNamesAdjustValue(w.currentStep)) return true;
    TuneRecord& t = w.tuneRecord;
    const int p = w.currentPoint;
    const bool pointOk = ValidPoint(p);
    const auto at = static_cast<std::size_t>(pointOk ? p : 0);
    bool send = true;
    switch (w.adjustIndex) {
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
            auto& col = transmitSelected ? (t.txFcModulus == 8 ? t.fcAdj.txFc8 : t.fcAdj.txFc5)
                                         : (t.rxFcModulus == 8 ? t.fcAdj.rxFc8 : t.fcAdj.rxFc5);
            col[at] = t.fcOverride;
        }
        break;
    default: return true;
    }
    if (send) SendTunePoint(w.currentPoint);
    ShowAdjustValue();
    return true;
}

// ---- the modem dialogue

void TuneDialogue::SendTunePoint(std::int16_t point) {
    if (dialogState != TuneDialogState::Idle) {
        tunePending = true;
        return;
    }
    if (!Active() || !ValidPoint(point)) return;
    TuneRecord& t = w.tuneRecord;
    const RadioSpec& spec = w.testPoints[static_cast<std::size_t>(point)];
    const auto sum = [](std::int32_t a, std::int32_t b) {
        const std::int64_t v = std::int64_t{a} + b;
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    t.txFrequency = sum(spec.txFrequency, w.txOffsetHz);
    t.rxFrequency = sum(spec.rxFrequency, w.rxOffsetHz);
    t.frontEndValue = t.frontEndAdj[static_cast<std::size_t>(point)];
    t.modValue = t.modAdj[static_cast<std::size_t>(point)];
    t.powerValue = t.powerAdj[static_cast<std::size_t>(point)];
    t.sa7026Synthesizer = ToFlag(view_.Selection().sa7026);
    t.txSelected = ToFlag(transmitSelected);
    if (transmitSelected) {
        if (w.currentStep == 14 || w.currentStep == 16) {
            std::int16_t modulus = w.currentStep == 14 ? 8 : 5;
            t.txFrequency = GetFcTestFreq(modes_, t, t.txFrequency, modulus);
            t.txDeviationAdj = 0;
        } else {
            t.txDeviationAdj = t.masterDeviation;
        }
        t.synthFrequency = t.txFrequency;
    } else {
        if (w.currentStep == 20 || w.currentStep == 21) {
            std::int16_t modulus = w.currentStep == 20 ? 8 : 5;
            t.rxFrequency = GetFcTestFreq(modes_, t, t.rxFrequency, modulus);
        }
        t.txDeviationAdj = t.masterDeviation;
        t.synthFrequency = t.rxFrequency;
    }
    SelectCnFcAdjust(records_, t, nullptr, false, true, true, point);
    timerResponse_->setEnabled(false);
    SendTune();
    testMode_ = true;
    retryCount = 0;
    timerResponse_->setEnabled(true);
    dialogState = TuneDialogState::AwaitingTuneAck;
    ShowAdjustValue();
    tunePending = false;
}

void TuneDialogue::CompleteExchange() {
    dialogState = TuneDialogState::Idle;
    if (tunePending) {
        tunePending = false;
        SendTunePoint(w.currentPoint);
    }
    if (endTestPending) {
        endTestPending = false;
        EndTest();
    }
}

void TuneDialogue::EndTest() {
    if (dialogState != TuneDialogState::Idle) {
        endTestPending = true;
        return;
    }
    timerResponse_->setEnabled(false);
    SendCommandLine("T0");
    retryCount = 0;
    timerResponse_->setEnabled(true);
    dialogState = TuneDialogState::AwaitingEndTestAck;
    endTestPending = false;
}

void TuneDialogue::SendCommandLine(const std::string& command) {
    if (primary_) SendCommand(*primary_, command);
}

void TuneDialogue::SendTune() {
    if (primary_) SendTuneRecord(*primary_, modes_, records_, w.tuneRecord);
    lastTuneKeyed_ = IsSet(w.tuneRecord.txSelected);
    if (lastTuneKeyed_) mayTransmit_ = true;
}

void TuneDialogue::StartModBalance(std::int16_t point) {
    transmitSelected = true;
    dialogState = TuneDialogState::Idle;
    SendTunePoint(point);
    Rearm(*timerDelayCommunications_);
    delayedCommand = "BALANCE";
    delayedCommandByte = std::clamp<std::int16_t>(view_.Selection().txTime, 1, 60);
    settings_.modBalanceTxTime = delayedCommandByte;
    w.modBalanceTxTime = delayedCommandByte;
    timerTxTimeout_->setEnabled(false);
    timerTxTimeout_->setInterval(delayedCommandByte * 1100 + 500);
    timerTxTimeout_->setEnabled(true);
}

void TuneDialogue::TimerDelayTick() {
    timerDelayCommunications_->setEnabled(false);
    if (primary_) SendCommandAndByte(*primary_, delayedCommand, delayedCommandByte);
    testMode_ = true;
    mayTransmit_ = true;
    retryCount = 0;
}

void TuneDialogue::TimerTxTimeoutTick() {
    timerTxTimeout_->setEnabled(false);
    transmitSelected = false;
    SendTunePoint(w.currentPoint);
    // Only a tune record that went out can bring the re-adjust question; otherwise the
    // exchange would wait for an acknowledgement that never comes.
    if (w.currentStep == 10 && dialogState == TuneDialogState::AwaitingTuneAck)
        dialogState = TuneDialogState::AwaitingBalanceEndAck;
}

void TuneDialogue::ClearDiagnostics(TuneDialogState clearing) {
    SendCommandLine("AR");
    retryCount = 0;
    AwaitNext(clearing);
}

void TuneDialogue::TimerDiagnosticsTick() {
    if (!pollDiagnostics || transmitSelected || !Active()) return;
    // A port that would not open would report itself at every poll, one box after another.
    if (!primary_ || !primary_->GetCommPortOpen()) return;
    // Samples start only from Idle like the poll, so they never swallow the reply of an open
    // exchange (an "R8" of "T0" would otherwise be lost and the window never close).
    if (dialogState != TuneDialogState::Idle) return;
    if (w.currentStep == 23) {
        SendCommandLine("AT");
        dialogState = TuneDialogState::AwaitingRssiSample;
    } else if (w.currentStep >= 19 && w.currentStep <= 21) {
        SendCommandLine("AT");
        dialogState = TuneDialogState::AwaitingRxSample;
    } else {
        SendCommandLine("AS");
        dialogState = TuneDialogState::AwaitingDiagnostics;
    }
    replyCount = 0;
    Rearm(*timerResponse_);
}

void TuneDialogue::Append(const SRecordMessage& rec) {
    const int n = std::clamp<int>(rec.dataCount, 0, static_cast<int>(rec.data.size()));
    for (int i = 0; i < n; ++i) {
        if (replyCount >= static_cast<int>(replyBytes.size())) break;  // beyond index 128: dropped
        replyBytes[static_cast<std::size_t>(replyCount)] = rec.data[static_cast<std::size_t>(i)];
        ++replyCount;
    }
}

bool TuneDialogue::BlockComplete(const SRecordMessage& rec) {
    Append(rec);
    if (replyCount < kBlockBytes) return false;
    ParseDiagnosticBlock(diagnostics, std::span<const std::int16_t>(replyBytes.data(), static_cast<std::size_t>(replyCount)));
    return true;
}

void TuneDialogue::AwaitNext(TuneDialogState next) {
    Rearm(*timerResponse_);
    dialogState = next;
}

void TuneDialogue::RxSRecordData(std::int16_t rxSRecordIndex) {
    if (!loaded_ || !primary_ || rxSRecordIndex < 0 || rxSRecordIndex >= kRxTableSlots) return;
    const SRecordMessage& rec = primary_->tables().rxSRecordMessages[static_cast<std::size_t>(rxSRecordIndex)];
    if (rec.recType != kReplyLetter) return;
    const bool data = rec.recNum == 1, end = rec.recNum == 9, ack = rec.recNum == 8 && rec.address == 0;
    switch (dialogState) {
    case TuneDialogState::AwaitingTuneAck:
        if (!ack) return;
        timerResponse_->setEnabled(false);
        if (!lastTuneKeyed_) mayTransmit_ = false;
        CompleteExchange();
        break;
    case TuneDialogState::AwaitingBalanceEndAck:
        if (!ack) return;
        timerResponse_->setEnabled(false);
        if (!lastTuneKeyed_) mayTransmit_ = false;
        dialogState = TuneDialogState::Idle;
        ReAdjustQuestion();
        break;
    case TuneDialogState::AwaitingDiagnostics:
        if (!data || !BlockComplete(rec)) return;
        ShowDiagnostics(diagnostics);
        AwaitNext(TuneDialogState::AwaitingReplyEnd);
        break;
    case TuneDialogState::AwaitingReplyEnd:
        if (!end) return;
        AwaitNext(TuneDialogState::AwaitingReplyAck);
        break;
    case TuneDialogState::AwaitingReplyAck:
        if (!ack) return;
        timerResponse_->setEnabled(false);
        CompleteExchange();
        break;
    case TuneDialogState::AwaitingEndTestAck:
        if (!ack) return;
        timerResponse_->setEnabled(false);
        testMode_ = false;
        mayTransmit_ = false;
        endTestDone_ = true;
        view_.CloseWindow();
        break;
    case TuneDialogState::AwaitingPowerTuneAck:
        if (!ack) return;
        if (!lastTuneKeyed_) mayTransmit_ = false;
        SendCommandLine("AT");
        replyCount = 0;
        retryCount = 0;
        AwaitNext(TuneDialogState::AwaitingPowerSample);
        break;
    case TuneDialogState::AwaitingPowerSample:
        if (!data || !BlockComplete(rec)) return;
        AwaitNext(TuneDialogState::AwaitingPowerSampleAck);
        break;
    case TuneDialogState::AwaitingPowerSampleAck:
        if (!ack) return;
        timerResponse_->setEnabled(false);
        CompleteExchange();
        RecordPowerPoint();
        break;
    case TuneDialogState::AwaitingRssiSample:
        if (!data) return;
        if (BlockComplete(rec)) AwaitNext(TuneDialogState::AwaitingRssiSampleAck);
        if (rssiReadCount < 4) {
            description_ += ".";
            view_.SetDescription(description_);
        }
        break;
    case TuneDialogState::AwaitingRssiSampleAck:
        if (!ack) return;
        timerResponse_->setEnabled(false);
        CompleteExchange();
        view_.SetTemperature(FormatAdTemperatureC(diagnostics.sets[0].values[6]));
        view_.SetDiagValue(std::to_string(diagnostics.sets[0].values[7]));
        RecordRssiRead();
        break;
    case TuneDialogState::AwaitingRxSample:
        if (!data || !BlockComplete(rec)) return;
        view_.SetDiagValue(FormatAdVolts(diagnostics.sets[0].values[7], 0.6666667f, files_.locale));
        AwaitNext(TuneDialogState::AwaitingReplyEnd);
        break;
    default:
        break;
    }
}

void TuneDialogue::RecordPowerPoint() {
    std::span<std::int16_t> readings = w.powerCalPoints.adReading;
    if (!StoreRisingReading(readings, w.calPointIndex, std::max<std::int16_t>(diagnostics.sets[2].values[8], 0))) return;
    if (w.calPointIndex >= static_cast<int>(readings.size())) {
        Finish();
        return;
    }
    ShowTuneStep();
    transmitSelected = true;
    SendTunePoint(w.currentPoint);
}

void TuneDialogue::RecordRssiRead() {
    if (rssiReadCount >= 4) return;
    rssiReads[static_cast<std::size_t>(rssiReadCount)] = std::max<std::int16_t>(diagnostics.sets[0].values[7], 0);
    ++rssiReadCount;
    if (rssiReadCount < 4) return;
    std::span<std::int16_t> readings = w.rssiCalPoints.adReading;
    if (!StoreRisingReading(readings, w.calPointIndex, AverageOfFour(rssiReads))) return;
    if (w.calPointIndex >= static_cast<int>(readings.size())) Finish();
    else ShowTuneStep();
}

void TuneDialogue::ReAdjustQuestion() {
    const std::uint64_t gen = generation_;
    const MsgAnswer a = dialogs_.messageBox(kReAdjustQuestion, "", MsgButtons::YesNo);
    if (!Still(gen)) return;
    if (a == MsgAnswer::Yes) {
        w.currentStep = 9;
        ShowTuneStep();
        return;
    }
    if (w.currentPoint >= 2) {
        Finish();
        return;
    }
    w.currentPoint = w.currentPoint == 1 ? 0 : 2;
    w.tuneRecord.modValue = w.tuneRecord.modAdj[static_cast<std::size_t>(w.currentPoint)];
    w.currentStep = 9;
    ShowTuneStep();
}

void TuneDialogue::TimerResponseTick() {
    if (!Active()) return;  // taken at the first tick after the window is active again
    timerResponse_->setEnabled(false);
    const bool canResend = retryCount < kMaxResends;
    switch (dialogState) {
    case TuneDialogState::AwaitingTuneAck:
    case TuneDialogState::AwaitingBalanceEndAck:
        if (canResend && !transmitSelected) {
            ++retryCount;
            SendTune();
            timerResponse_->setEnabled(true);
        } else if (mayTransmit_) {
            GiveUpTransmitting(kTxOffText);
        } else {
            CompleteExchange();
        }
        break;
    case TuneDialogState::AwaitingEndTestAck:
        if (canResend) {
            ++retryCount;
            SendCommandLine("T0");
            timerResponse_->setEnabled(true);
        } else {
            const std::uint64_t gen = generation_;
            dialogs_.messageBox(kNoEndTestText, "", MsgButtons::OK);
            if (!Still(gen)) return;
            endTestDone_ = true;  // "T0" was tried four times
            view_.CloseWindow();
        }
        break;
    case TuneDialogState::PowerPointClearing:
        if (canResend && !transmitSelected) {
            ++retryCount;
            SendCommandLine("AR");
            timerResponse_->setEnabled(true);
        } else {
            dialogState = TuneDialogState::Idle;
            transmitSelected = false;
            SendTunePoint(w.currentPoint);
            dialogState = TuneDialogState::AwaitingPowerTuneAck;
        }
        break;
    case TuneDialogState::AwaitingPowerTuneAck:
        if (canResend) {
            const std::int16_t kept = static_cast<std::int16_t>(retryCount + 1);
            dialogState = TuneDialogState::Idle;
            transmitSelected = false;
            SendTunePoint(w.currentPoint);
            retryCount = kept;
            dialogState = TuneDialogState::AwaitingPowerTuneAck;
        } else {
            GiveUpPowerPoint();
        }
        break;
    case TuneDialogState::AwaitingPowerSample:
        if (canResend) {
            ++retryCount;
            SendCommandLine("AT");
            replyCount = 0;
            timerResponse_->setEnabled(true);
        } else {
            GiveUpPowerPoint();
        }
        break;
    case TuneDialogState::AwaitingPowerSampleAck:
        // The sample is in but was never acknowledged: it is not taken as a point.
        GiveUpPowerPoint();
        break;
    case TuneDialogState::PowerVerifyClearing:
        if (canResend && !transmitSelected) {
            ++retryCount;
            SendCommandLine("AR");
            timerResponse_->setEnabled(true);
        } else {
            CompleteExchange();
            w.currentStep = 28;
            ShowTuneStep();
            transmitSelected = false;
            SendTunePoint(w.currentPoint);
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

void TuneDialogue::GiveUpPowerPoint() { GiveUpTransmitting(kPointNotTakenText); }

void TuneDialogue::GiveUpTransmitting(const char* text) {
    for (Timer* t : {timerResponse_.get(), timerDelayCommunications_.get(), timerTxTimeout_.get()}) t->setEnabled(false);
    transmitSelected = false;
    SendEndTestNow();
    if (KeyedStep(w.currentStep)) {
        const int t = TestOfStep(w.currentStep);
        if (t >= 0) w.currentStep = kTunePlan[static_cast<std::size_t>(t)].firstStep;
        ShowTuneStep();
    }
    CompleteExchange();
    dialogs_.messageBox(text, "", MsgButtons::OK, MsgIcon::Exclamation);
}

void TuneDialogue::ShowDiagnostics(const DiagnosticsRecord& record) {
    const auto& v = record.sets[0].values;
    const LocaleInfo& loc = files_.locale;
    switch (w.diagIndex) {
    case 0: case 1: case 3: case 4: case 5:
        view_.SetDiagValue(FormatAnalogVccVolts(v[static_cast<std::size_t>(w.diagIndex)], loc));
        break;
    case 2: view_.SetDiagValue(FormatBatteryVolts(v[2], loc)); break;
    case 6: view_.SetDiagValue(FormatTemperatureC(v[6])); break;
    case 7: view_.SetDiagValue(FormatNegativeDbm(v[7])); break;
    case 8: case 9: view_.SetDiagValue(FormatTenthsWatts(v[static_cast<std::size_t>(w.diagIndex)], loc)); break;
    default: break;
    }
    view_.SetBatteryVoltage(FormatBatteryVolts(v[2], loc));
    view_.SetTemperature(FormatTemperatureC(v[6]));
}

void TuneDialogue::ShowAdjustValue() {
    const TuneRecord& t = w.tuneRecord;
    std::int16_t v;
    switch (w.adjustIndex) {
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
