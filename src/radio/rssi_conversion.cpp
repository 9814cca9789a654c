#include "radio/rssi_conversion.h"

#include "radio/radio_internal.h"

namespace k45 {

using namespace radio_internal;

const std::array<std::int16_t, 256>& DefaultRssiCurve(const SharedRecords& records, std::int32_t radioType) {
    if (radioType == 1) return records.rssiCurve5726;
    if (radioType == 2) return records.rssiCurve5796;
    return records.rssiCurve5716;
}

std::int16_t RssiByteToDbm(const SharedRecords& records, const CalTables& calTables, std::int32_t radioType,
                           std::int16_t rssiByte, bool useDefault) {
    int v;
    if (useDefault || !IsSet(calTables.rssiTablePresent)) {
        const int index = rssiByte < 0 ? 0 : rssiByte > 255 ? 255 : rssiByte;
        v = DefaultRssiCurve(records, radioType)[static_cast<size_t>(index)];
    } else {
        double i = RoundHalfEven(rssiByte / 4.0);
        if (i < 0) i = 0;
        if (i > 63) i = 63;
        v = calTables.rssiTable[static_cast<size_t>(i)];
    }
    return static_cast<std::int16_t>(130 - v);
}

std::int16_t RssiDbmToByte(const SharedRecords& records, const CalTables& calTables, std::int32_t radioType,
                           std::int16_t levelCode, bool useDefault) {
    const int c = 130 - levelCode;
    if (useDefault || !IsSet(calTables.rssiTablePresent)) {
        const auto& curve = DefaultRssiCurve(records, radioType);
        if (c > curve[0]) return 0;
        if (c < curve[255]) return 255;
        for (int i = 0; i < 256; ++i)
            if (c >= curve[static_cast<size_t>(i)]) return static_cast<std::int16_t>(i);
        return 0;
    }
    const auto& t = calTables.rssiTable;
    if (c > t[0]) return 0;
    if (c < t[63]) return 252;
    for (int j = 0; j < 64; ++j) {
        const int tj = t[static_cast<size_t>(j)];
        if (c == tj) return static_cast<std::int16_t>(4 * j);
        if (c > tj) {
            // j > 0 here: c > t[0] returned above.
            const int tp = t[static_cast<size_t>(j - 1)];
            const double v = RoundHalfEven(4.0 * (j - 1) + (c - tp) * 4.0 / (tj - tp));
            return ClampByte(v);
        }
    }
    return 0;
}

}  // namespace k45
