#pragma once
// A radio model world for tests: bit tables, the built-in radio spec tables (also as the
// defaults in force), the built-in restricted band, the default RSSI curves, scripted dialogs
// and a virtual clock.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "model/app_state.h"
#include "radio/radio_defaults.h"
#include "support/scripted_dialogs.h"
#include "support/virtual_scheduler.h"

namespace k45::test {

struct RadioWorld {
    AppState app;
    ScriptedDialogs dialogs;
    VirtualScheduler scheduler;

    RadioWorld() {
        InitRadioType5716(app, app.builtInTestDefaults);
        InitRadioType5726(app, app.builtInTestDefaults);
        InitRadioType5796(app, app.builtInTestDefaults);
        app.testDefaults = app.builtInTestDefaults;
        app.restrictedBands = {RestrictedBand{406000000, 406100000, 50000}};
        BuildRssiCurve5716(app.rssiCurve5716);
        BuildRssiCurve5726(app.rssiCurve5726);
        BuildRssiCurve5796(app.rssiCurve5796);
        app.dialogs = &dialogs;
        app.scheduler = &scheduler;
    }

    RadioSpec& entry(int type, int range, int point) {
        return app.testDefaults.radioSpecs[static_cast<size_t>(RadioSpecIndex(type, range, point))];
    }

    // Makes the CN value of a type and range the same at all three points.
    void setCn(int type, int range, bool tx, std::int16_t cn) {
        for (int p = 0; p < 3; ++p) (tx ? entry(type, range, p).txCn : entry(type, range, p).rxCn) = cn;
    }
};

// Register bytes R0..R12 as the modem receives them: byte order and bit order reversed.
inline std::array<std::int16_t, 13> Mirrored(const std::array<int, 13>& r) {
    std::array<std::int16_t, 13> out{};
    for (int k = 0; k < 13; ++k) {
        int v = r[static_cast<size_t>(12 - k)], rev = 0;
        for (int b = 0; b < 8; ++b)
            if (v & (1 << b)) rev |= 0x80 >> b;
        out[static_cast<size_t>(k)] = static_cast<std::int16_t>(rev);
    }
    return out;
}

inline std::array<std::int16_t, 13> Bytes(const std::array<int, 13>& b) {
    std::array<std::int16_t, 13> out{};
    for (size_t i = 0; i < 13; ++i) out[i] = static_cast<std::int16_t>(b[i]);
    return out;
}

}  // namespace k45::test
