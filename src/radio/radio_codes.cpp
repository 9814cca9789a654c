#include "radio/radio_codes.h"

namespace k45 {
namespace {

// Rows: radio type; columns: channel bandwidth 0, 1, 2.
constexpr std::int16_t kRadioCodes[3][3] = {{20, 200, 140}, {40, 180, 120}, {80, 160, 100}};
constexpr std::int16_t kBandCodesType0[10] = {9, 0, 1, 2, 3, 5, 6, 7, 8, 100};

}  // namespace

std::int16_t EncodeRadioCode(std::int32_t radioType, std::int32_t channelBandwidth) {
    int row = (radioType == 1 || radioType == 2) ? radioType : 0;
    int column = channelBandwidth == 2 ? 2 : channelBandwidth == 1 ? 1 : 0;
    return kRadioCodes[row][column];
}

void DecodeRadioCode(ModemParameters& record, std::int16_t radioCode) {
    for (int type = 0; type < 3; ++type) {
        for (int bw = 0; bw < 3; ++bw) {
            if (kRadioCodes[type][bw] == radioCode) {
                record.radioType = type;
                record.channelBandwidth = bw;
                return;
            }
        }
    }
    record.radioType = 0;
    record.channelBandwidth = bandwidthHalf;
}

std::int16_t EncodeRangeCode(std::int32_t radioType, std::int32_t radioRange) {
    switch (radioType) {
    case 0:
        return RadioRangeValid(radioRange) ? kBandCodesType0[radioRange] : 5;
    case 1:
        if (!RadioRangeValid(radioRange)) return 5;
        if (radioRange <= 4) return 10;
        if (radioRange == 5) return 11;
        if (radioRange == 6) return 12;
        return 13;
    case 2:
        return 16;
    default:
        return 5;
    }
}

std::int16_t DecodeRangeCode(std::int32_t radioType, std::int16_t bandCode) {
    if (radioType == 0) {
        for (int range = 0; range < 10; ++range)
            if (kBandCodesType0[range] == bandCode) return static_cast<std::int16_t>(range);
    } else if (radioType == 1) {
        if (bandCode >= 10 && bandCode <= 13) return static_cast<std::int16_t>(bandCode - 6);
    } else if (radioType == 2) {
        if (bandCode == 16) return 5;
    }
    return 5;
}

std::int32_t RxFrequencyOffset(std::int32_t radioType) {
    switch (radioType) {
    case 1: return 21450000;
    case 2: return -87850000;
    default: return 52950000;
    }
}

}  // namespace k45
