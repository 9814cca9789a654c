#include "production/panel_support.h"

#include <cmath>

#include "base/converters.h"
#include "base/hex_text.h"
#include "base/utilities.h"
#include "programming/dialogue_support.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "tuning/tune_math.h"

namespace k45 {

bool PortChanged(classComm* port, std::int16_t& lastPortNumber) {
    if (!port) return false;
    ApplyProgrammingSettings(*port);
    if (port->settings().portNumber == lastPortNumber) return false;
    lastPortNumber = port->settings().portNumber;
    return true;
}

std::optional<int> AdjustStepOfKey(int keyCode, int modifiers) {
    return AdjustKeyStep(keyCode, (modifiers & kShiftBit) != 0, (modifiers & kCtrlBit) != 0, (modifiers & kAltBit) != 0);
}

std::int16_t ClampDirectValue(AdjustSelect select, std::int32_t value) {
    const int lo = select == adjRssiCal ? -128 : 0;
    const int hi = select == adjRssiCal ? 127 : 255;
    if (value < lo) return static_cast<std::int16_t>(lo);
    if (value > hi) return static_cast<std::int16_t>(hi);
    return static_cast<std::int16_t>(value);
}

std::optional<TxModePlan> PlanTxMode(std::int32_t mode, int txTimeSeconds, int txTimeMaximum) {
    if (mode == txModBalance) {
        TxModePlan p;
        p.command = "BALANCE";
        p.value = static_cast<std::int16_t>(txTimeSeconds);
        p.firstStep = TxModeStep::ValueNext;
        p.displayMs = txTimeSeconds * 1000;
        return p;
    }
    if (mode == txRandomData) {
        TxModePlan p;
        p.command = "PSUDO";
        const double scaled = txTimeMaximum > 0 ? static_cast<double>(txTimeSeconds) / txTimeMaximum * 255.0 : 0.0;
        p.value = static_cast<std::int16_t>(RoundHalfEven(scaled));
        p.firstStep = TxModeStep::LeadInNext;
        p.displayMs = p.value * 72 + 1875;
        return p;
    }
    return std::nullopt;
}

DiagnosticsTexts MakeDiagnosticsTexts(const DiagnosticsRecord& d, DiagGroup group, const LocaleInfo& locale) {
    if (group < diagCurrent || group > diagHigh) group = diagCurrent;
    const DiagValueSet& s = d.sets[static_cast<std::size_t>(group)];
    DiagnosticsTexts t;
    t.batteryVoltage = FormatBatteryVolts(s.values[2], locale);
    t.analogVcc = FormatAnalogVccVolts(s.values[5], locale);
    t.temperature = FormatTemperatureC(s.values[6]);
    t.rssiLevel = FormatNegativeDbm(s.values[7]);
    t.fwdPwr = FormatTenthsWatts(d.sets[2].values[8], locale);
    t.revPwr = FormatTenthsWatts(d.sets[2].values[9], locale);
    t.preambleGood = FormatFixed(d.goodCount, 0, locale);
    t.preambleTotal = FormatFixed(d.totalCount, 0, locale);
    t.preambleDcd = FormatFixed(d.dcdCount, 0, locale);
    t.currentLevel = FormatNegativeDbm(d.sets[0].values[7]);
    t.currentPercent = RssiToPercent(d.sets[0].values[7]);
    return t;
}

std::string HexByteText(std::int16_t value) { return "0x" + ByteToHex2(value & 0xFF); }

}  // namespace k45
