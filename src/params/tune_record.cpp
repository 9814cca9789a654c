#include "params/tune_record.h"

#include "radio/radio_codes.h"
#include "radio/synthesizer.h"

namespace k45 {

void BuildTuneRecord(const SharedRecords& records, TuneRecord& tune, const ModemParameters& parms) {
    tune.channelBandwidth = parms.channelBandwidth;
    tune.highBand = parms.highBand;
    tune.sa7026Synthesizer = parms.sa7026Synthesizer;
    static_cast<DacValues&>(tune) = DacValuesOf(parms);
    tune.masterDeviation = parms.masterDeviation;
    tune.model = parms.model;
    tune.eepromVersion = parms.eepromVersion;
    tune.radioType = parms.radioType;
    tune.radioRange = parms.radioRange;
    tune.synthFrequency = tune.rxFrequency;
    tune.txSelected = kFalse;

    const std::int32_t type = parms.radioType, range = parms.radioRange;
    // The interpolations need a radio spec table entry; without one their targets keep their values.
    if (!RadioTypeValid(type) || !RadioRangeValid(range)) return;
    tune.frontEndValue = InterpolateTuneValue(records, tune.rxFrequency, type, range, false, parms.frontEndAdj);
    tune.modValue = InterpolateTuneValue(records, tune.txFrequency, type, range, true, parms.modAdj);
    tune.powerValue = InterpolateTuneValue(records, tune.txFrequency, type, range, true, parms.powerAdj);
    const std::int16_t modulus = GetFractionalModulus(tune.rxFrequency, type, range, false);
    tune.fcOverride = InterpolateTuneValue(records, tune.rxFrequency, type, range, false,
                                           modulus == 8 ? parms.fcAdj.rxFc8 : parms.fcAdj.rxFc5);
}

void ApplyTuneRecord(ModemParameters& parms, const TuneRecord& tune) {
    parms.sa7026Synthesizer = tune.sa7026Synthesizer;
    StoreDacValues(parms, tune);
    parms.model = tune.model;
    parms.radioType = tune.radioType;
    parms.radioRange = tune.radioRange;
}

}  // namespace k45
