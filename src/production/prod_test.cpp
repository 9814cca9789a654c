#include "production/prod_test.h"

#include "model/app_state.h"
#include "params/tune_record.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "programming/dialogue_support.h"
#include "programming/parms_rd_wr.h"
#include "radio/radio_codes.h"
#include "radio/synthesizer.h"
#include "tuning/tune_math.h"

namespace k45 {

namespace {

// The test point's radio spec entry; nothing for a type, range or point outside the table.
const RadioSpec* SpecOf(const ProductionTestRecord& test, std::int32_t type, std::int32_t range, int point) {
    if (!RadioTypeValid(type) || !RadioRangeValid(range) || point < 0 || point > 2) return nullptr;
    return &test.radioSpecs[static_cast<std::size_t>(type + 3 * range + 30 * point)];
}

}  // namespace

std::int16_t FreqPairPoint(int index) {
    switch (index) {
    case 1: return 0;
    case 2: return 1;
    case 3: return 2;
    default: return 255;
    }
}

std::int32_t OffsetOfIndex(int index) {
    if (index <= 0 || index > 16) return 0;
    const int j = (index + 1) / 2;
    return (index % 2 == 1 ? -75000 : 75000) * j;
}

ProdTestDialogue::ProdTestDialogue(PanelLinks links, ProdTestView& view) : TestPanelDialogue(links, view), prodView_(view) {}

void ProdTestDialogue::Load() {
    if (load_.loaded()) return;
    sendEnabled_ = false;
    pairSendPending_ = channelSendPending_ = false;
    TestPanelDialogue::Load();
    const ProductionTestRecord& test = links_.records.testParameters;
    diagGroup_ = diagCurrent;
    freqPairIndex_ = 2;
    currentPoint_ = 1;
    channelIndex_ = 0;
    txTime_ = test.txTime < 1 ? 1 : (test.txTime > 60 ? 60 : test.txTime);
    rxOffsetIndex_ = test.rxOffsetIndex >= 0 && test.rxOffsetIndex <= 16 ? test.rxOffsetIndex : 0;
    txOffsetIndex_ = test.txOffsetIndex >= 0 && test.txOffsetIndex <= 16 ? test.txOffsetIndex : 0;
    rxOffsetHz_ = OffsetOfIndex(rxOffsetIndex_);
    txOffsetHz_ = OffsetOfIndex(txOffsetIndex_);
    sa7026_ = IsSet(test.sa7026Synthesizer);
    if (!sa7026_ && adjustSelect_ == adjCnFc) adjustSelect_ = adjRxGain;
    transmitMode_ = txTone;
    selectedType_.reset();
    selectedRange_.reset();
    sendEnabled_ = true;
}

void ProdTestDialogue::TakeParameters() {
    sendEnabled_ = false;
    const int point = FreqPairPoint(freqPairIndex_);
    panelParameters_ = links_.records.currentParameters;
    tuneRecord_.radioType = panelParameters_.radioType;
    tuneRecord_.radioRange = panelParameters_.radioRange;
    if (const RadioSpec* spec = SpecOf(links_.records.testParameters, tuneRecord_.radioType, tuneRecord_.radioRange, point)) {
        tuneRecord_.txFrequency = spec->txFrequency + txOffsetHz_;
        tuneRecord_.rxFrequency = spec->rxFrequency + rxOffsetHz_;
    }
    BuildTuneRecord(links_.records, tuneRecord_, panelParameters_);
    TakeSynthesizer();
    if (panelParameters_.model != 6) view_.DisableGainAndDeviation();
    DisplayTuneValues();
    sendEnabled_ = true;
}

void ProdTestDialogue::SendTuneSetup() {
    if (channelIndex_ == 0) SendPairTuneRecord();
    else SendChannelTuneRecord(channelIndex_ - 1);
}

void ProdTestDialogue::SendPairTuneRecord() { SendVariant(true, 0); }

void ProdTestDialogue::SendChannelTuneRecord(int channel) { SendVariant(false, channel); }

void ProdTestDialogue::SendVariant(bool pair, int channel) {
    const std::int32_t type = selectedType_.value_or(tuneRecord_.radioType);
    const std::int32_t range = selectedRange_.value_or(tuneRecord_.radioRange);
    const int point = FreqPairPoint(freqPairIndex_);
    if (!sendEnabled_ || !MaySend(pair ? pairSendPending_ : channelSendPending_)) return;
    TuneRecord& t = tuneRecord_;
    t.radioType = type;
    t.radioRange = range;
    if (pair) {
        if (const RadioSpec* spec = SpecOf(links_.records.testParameters, type, range, point)) {
            t.txFrequency = spec->txFrequency + txOffsetHz_;
            t.rxFrequency = spec->rxFrequency + rxOffsetHz_;
        }
        if (point >= 0 && point <= 2) {
            const auto p = static_cast<std::size_t>(point);
            t.frontEndValue = t.frontEndAdj[p];
            t.modValue = t.modAdj[p];
            t.powerValue = t.powerAdj[p];
        }
        t.sa7026Synthesizer = ToFlag(sa7026_);
    } else {
        if (channel >= 0 && channel <= 7) {
            const ChannelFrequency& c = panelParameters_.channels[static_cast<std::size_t>(channel)];
            t.txFrequency = c.txFrequency + txOffsetHz_;
            t.rxFrequency = c.rxFrequency + rxOffsetHz_;
        }
        InterpolateCurrentValues(type, range);
    }
    view_.SetFrequencyTexts(FormatHz(t.txFrequency), FormatHz(t.rxFrequency));
    SetDirection();
    std::string caption;
    SelectCnFcAdjust(links_.records, t, &caption, true, true, pair, pair ? point : 0);
    view_.SetCnFcCaption(caption);
    SendTuneAwaiting(TestPanelState::AwaitingAck);
    DisplayTuneValues();
    StartTxMode();
}

void ProdTestDialogue::RunPendingSends() {
    if (pairSendPending_) {
        pairSendPending_ = false;
        SendPairTuneRecord();
    }
    if (channelSendPending_) {
        channelSendPending_ = false;
        SendChannelTuneRecord(channelIndex_ - 1);
    }
}

std::int16_t& ProdTestDialogue::FcEntry(int point) {
    TuneRecord& t = tuneRecord_;
    const auto p = static_cast<std::size_t>(point);
    if (transmitSelected_) return t.txFcModulus == 8 ? t.fcAdj.txFc8[p] : t.fcAdj.txFc5[p];
    return t.rxFcModulus == 8 ? t.fcAdj.rxFc8[p] : t.fcAdj.rxFc5[p];
}

bool ProdTestDialogue::KeyDown(int keyCode, int modifiers) {
    if (const auto step = AdjustStepOfKey(keyCode, modifiers)) {
        const int point = FreqPairPoint(freqPairIndex_);
        if (channelIndex_ != 0 || point < 0 || point > 2) return true;
        TuneRecord& t = tuneRecord_;
        const auto p = static_cast<std::size_t>(point);
        switch (adjustSelect_) {
        case adjRxGain: t.rxGainAdj = AdjustUnsigned(t.rxGainAdj, *step); break;
        case adjTxDeviation: t.masterDeviation = AdjustUnsigned(t.masterDeviation, *step); break;
        case adjFrontEnd: t.frontEndAdj[p] = AdjustUnsigned(t.frontEndValue, *step); break;
        case adjModFlatness: t.modAdj[p] = AdjustUnsigned(t.modValue, *step); break;
        case adjPower: t.powerAdj[p] = AdjustUnsigned(t.powerValue, *step); break;
        case adjRssiCal: t.rssiCalAdj = AdjustSigned(t.rssiCalAdj, *step); break;
        case adjPowerCal: t.powerCalAdj = AdjustUnsigned(t.powerCalAdj, *step); break;
        case adjCnFc: FcEntry(point) = AdjustUnsigned(t.fcOverride, *step); break;
        }
        SendPairTuneRecord();
        return true;
    }
    if ((modifiers & (kShiftBit | kCtrlBit | kAltBit)) != 0) return false;
    switch (keyCode) {
    case keyF2:
        HandOffDacValues();
        return true;
    case keyF3:
        prodView_.OpenPowerCalibration(rxOffsetHz_, txOffsetHz_);
        return true;
    case keyF4:
        prodView_.OpenRssiCalibration(rxOffsetHz_, txOffsetHz_);
        return true;
    case keyF10:
        Save();
        return true;
    default:
        return TestPanelDialogue::KeyDown(keyCode, modifiers);
    }
}

void ProdTestDialogue::DirectValue(std::int32_t value) {
    const int point = FreqPairPoint(freqPairIndex_);
    if (channelIndex_ != 0 || point < 0 || point > 2) return;
    TuneRecord& t = tuneRecord_;
    const auto p = static_cast<std::size_t>(point);
    const std::int16_t v = ClampDirectValue(adjustSelect_, value);
    switch (adjustSelect_) {
    case adjRxGain: t.rxGainAdj = v; break;
    case adjTxDeviation: t.txDeviationAdj = t.masterDeviation = v; break;
    case adjFrontEnd: t.frontEndAdj[p] = v; break;
    case adjModFlatness: t.modAdj[p] = v; break;
    case adjPower: t.powerAdj[p] = v; break;
    case adjRssiCal: t.rssiCalAdj = v; break;
    case adjPowerCal: t.powerCalAdj = v; break;
    case adjCnFc: FcEntry(point) = v; break;
    }
    SendPairTuneRecord();
    view_.SetDirectText(std::to_string(v));
}

void ProdTestDialogue::HandOffDacValues() {
    links_.records.dacValues = DacValuesFromTuneRecord(tuneRecord_);
    links_.windows().OpenDacValuesEditor();
}

void ProdTestDialogue::UpdateDacValues() { TakeDacValues(tuneRecord_, links_.records.dacValues); }

void ProdTestDialogue::Save() {
    std::string caption;
    if (links_.windows().ReadWriteLoaded(&caption)) {
        if (links_.services.dialogs)
            links_.services.dialogs->messageBox("Must close " + caption + " before performing this operation.", "",
                                           MsgButtons::OK, MsgIcon::Critical);
        return;
    }
    // Only parameters this load has read are written back.
    if (!parametersTaken_) return;
    const int point = FreqPairPoint(freqPairIndex_);
    TuneRecord& t = tuneRecord_;
    if (point >= 0 && point <= 2) {
        const auto p = static_cast<std::size_t>(point);
        t.frontEndAdj[p] = t.frontEndValue;
        t.modAdj[p] = t.modValue;
        t.powerAdj[p] = t.powerValue;
        if (IsSet(t.sa7026Synthesizer)) {
            std::int16_t& fc = IsSet(t.txSelected) ? (t.txFcModulus == 8 ? t.fcAdj.txFc8[p] : t.fcAdj.txFc5[p])
                                                   : (t.rxFcModulus == 8 ? t.fcAdj.rxFc8[p] : t.fcAdj.rxFc5[p]);
            fc = t.fcOverride;
        }
    }
    // The tuned deviation goes back, not the 0 of a No Modulation transmission.
    TuneRecord written = t;
    written.txDeviationAdj = t.masterDeviation;
    ApplyTuneRecord(panelParameters_, written);
    links_.records.currentParameters = panelParameters_;
    links_.windows().RestartParmsReadWrite(ParmsMode::WriteCurrent, nullptr);
}

void ProdTestDialogue::RadioTypeSelected(std::int32_t type) {
    selectedType_ = type;
    tuneRecord_.radioType = type;
    SendPairTuneRecord();
}

void ProdTestDialogue::RadioRangeSelected(std::int32_t range) {
    selectedRange_ = range;
    tuneRecord_.radioRange = range;
    SendPairTuneRecord();
}

void ProdTestDialogue::RxOffsetSelected(int index) {
    rxOffsetIndex_ = index;
    rxOffsetHz_ = OffsetOfIndex(index);
    if (!transmitSelected_) SendTuneSetup();
}

void ProdTestDialogue::TxOffsetSelected(int index) {
    txOffsetIndex_ = index;
    txOffsetHz_ = OffsetOfIndex(index);
    if (transmitSelected_) SendTuneSetup();
}

void ProdTestDialogue::ChannelSelected(int index) {
    channelIndex_ = index < 0 || index > 8 ? 0 : index;
    // The response timer keeps running: an open exchange still ends at its time-out.
    SendTuneSetup();
}

void ProdTestDialogue::FreqPairSelected(int index) {
    if (index == 0) {
        prodView_.SelectFreqPair(3);
        FreqPairSelected(3);
        return;
    }
    if (index == 4) {
        prodView_.SelectFreqPair(1);
        FreqPairSelected(1);
        return;
    }
    if (index < 1 || index > 3) return;
    TuneRecord& t = tuneRecord_;
    if (currentPoint_ >= 0 && currentPoint_ <= 2) {
        const auto p = static_cast<std::size_t>(currentPoint_);
        t.frontEndAdj[p] = t.frontEndValue;
        t.modAdj[p] = t.modValue;
        t.powerAdj[p] = t.powerValue;
    }
    freqPairIndex_ = index;
    currentPoint_ = FreqPairPoint(index);
    SendPairTuneRecord();
}

}  // namespace k45
