#pragma once
// RSSI A/D bytes <-> RSSI level codes (dBm + 130), through the calibrated RSSI table when the
// record has one (and the default is not asked for), else the default curve of the radio type.
#include <array>
#include <cstdint>

#include "model/app_state.h"
#include "model/records.h"

namespace k45 {

// The default curve of a radio type: type 1 rssiCurve5726, type 2 rssiCurve5796, else 5716.
const std::array<std::int16_t, 256>& DefaultRssiCurve(const SharedRecords& records, std::int32_t radioType);

std::int16_t RssiByteToDbm(const SharedRecords& records, const CalTables& calTables, std::int32_t radioType,
                           std::int16_t rssiByte, bool useDefault);
// 0..255 (0..252 through the calibrated table).
std::int16_t RssiDbmToByte(const SharedRecords& records, const CalTables& calTables, std::int32_t radioType,
                           std::int16_t levelCode, bool useDefault);

}  // namespace k45
