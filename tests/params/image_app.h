#pragma once
// What the image codecs read of the application state: the bit tables, the built-in radio spec
// table (also as the defaults in force) and the default RSSI curves. No test framework here, so
// the benchmarks use it too.
#include "model/app_state.h"
#include "radio/radio_defaults.h"

namespace k45::test {

inline void BuildImageCodecState(AppState& app) {
    InitRadioType5716(app, app.testDefaults);
    InitRadioType5726(app, app.testDefaults);
    InitRadioType5796(app, app.testDefaults);
    app.builtInTestDefaults = app.testDefaults;
    BuildRssiCurve5716(app.rssiCurve5716);
    BuildRssiCurve5726(app.rssiCurve5726);
    BuildRssiCurve5796(app.rssiCurve5796);
}

}  // namespace k45::test
