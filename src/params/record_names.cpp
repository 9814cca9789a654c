#include "params/record_names.h"

namespace k45 {

std::string RadioRangeName(std::int16_t radioType, std::int16_t radioRange) {
    const char* typeName = nullptr;
    switch (radioType) {
        case 0: typeName = "5716"; break;
        case 1: typeName = "5726"; break;
        case 2: typeName = "5796"; break;
        default: return "UnKnown";
    }
    return std::string(typeName) + " Range " + std::to_string(radioRange);
}

std::string PointName(std::int16_t point) {
    switch (point) {
        case 0: return "Low  ";
        case 1: return "Mid  ";
        case 2: return "High ";
        default: return "UnKnown";
    }
}

int OffsetIndexKHz(int index) {
    if (index <= 0 || index >= kOffsetIndexCount) return 0;
    if (index % 2 == 1) return -75 * (index + 1) / 2;
    return 75 * index / 2;
}

std::string OffsetIndexText(int index) {
    if (index < 0 || index >= kOffsetIndexCount) return "";
    const int khz = OffsetIndexKHz(index);
    if (khz > 0) return "+" + std::to_string(khz) + " kHz";
    return std::to_string(khz) + " kHz";
}

}  // namespace k45
