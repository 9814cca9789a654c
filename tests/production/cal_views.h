#pragma once
// The calibration windows' views as the tests read them: the last text of each kind, and every
// RSSI reading shown.
#include <string>
#include <vector>

#include "production/power_cal.h"
#include "production/rssi_cal.h"

namespace k45::test {

struct RecordingPowerView : PowerCalView {
    std::string prog, freq, level, adjust, reading, readingHex;
    bool okEnabled = true;
    bool actionsEnabled = false;
    int okFocus = 0;
    void SetProg(const std::string& t) override { prog = t; }
    void SetFreq(const std::string& t) override { freq = t; }
    void SetLevel(const std::string& t) override { level = t; }
    void SetPowerAdjust(const std::string& d, const std::string&) override { adjust = d; }
    void SetPowerReading(const std::string& d, const std::string& h) override { reading = d, readingHex = h; }
    void SetOkEnabled(bool on) override { okEnabled = on; }
    void FocusOk() override { ++okFocus; }
    void SetActionsEnabled(bool on) override { actionsEnabled = on; }
};

struct RecordingRssiView : RssiCalView {
    std::string prog, freq, level, saved, rssi, temperature;
    std::vector<std::string> readings;  // every RSSI reading shown
    bool okEnabled = true;
    bool actionsEnabled = false;
    int okFocus = 0;
    void SetProg(const std::string& t) override { prog = t; }
    void SetFreq(const std::string& t) override { freq = t; }
    void SetLevel(const std::string& t) override { level = t; }
    void SetSavedReading(const std::string& t) override { saved = t; }
    void SetRssiReading(const std::string& d, const std::string&) override {
        rssi = d;
        readings.push_back(d);
    }
    void SetTemperature(const std::string& t, const std::string&) override { temperature = t; }
    void SetOkEnabled(bool on) override { okEnabled = on; }
    void SetActionsEnabled(bool on) override { actionsEnabled = on; }
    void FocusOk() override { ++okFocus; }
};

}  // namespace k45::test
