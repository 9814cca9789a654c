#include "radio/radio_defaults.h"

#include <initializer_list>

namespace k45 {
namespace {

// One test point as the tables give it: frequency in MHz (Rx and Tx alike), then CN / FC 8 /
// FC 5 for Rx and for Tx.
struct Point {
    std::int32_t mhz;
    std::int16_t rxCn, rxFc8, rxFc5;
    std::int16_t txCn, txFc8, txFc5;
};
struct RangeSpec {
    Point low, mid, high;
};

void StoreRange(ProductionTestRecord& record, int type, int range, const RangeSpec& ranges) {
    const Point* points[3] = {&ranges.low, &ranges.mid, &ranges.high};
    for (int point = 0; point < 3; ++point) {
        const Point& p = *points[point];
        RadioSpec& e = record.radioSpecs[static_cast<size_t>(RadioSpecIndex(type, range, point))];
        e.rxFrequency = p.mhz * 1000000;
        e.rxCn = p.rxCn;
        e.rxFc8 = p.rxFc8;
        e.rxFc5 = p.rxFc5;
        e.txFrequency = p.mhz * 1000000;
        e.txCn = p.txCn;
        e.txFc8 = p.txFc8;
        e.txFc5 = p.txFc5;
    }
}

void Enable(SharedRecords& records, int type, std::initializer_list<int> ranges) {
    records.radioTypeEnabled[static_cast<size_t>(type)] = true;
    auto& flags = records.rangeEnabled[static_cast<size_t>(type)];
    flags.fill(false);
    for (int r : ranges) flags[static_cast<size_t>(r)] = true;
}

// Head of 130s, the falling middle stretch from its first A/D value, then the floor.
void BuildCurve(std::array<std::int16_t, 256>& curve, int firstMiddle, std::initializer_list<std::int16_t> middle,
                std::int16_t floor) {
    curve.fill(floor);
    for (int a = 0; a < firstMiddle; ++a) curve[static_cast<size_t>(a)] = 130;
    size_t a = static_cast<size_t>(firstMiddle);
    for (std::int16_t v : middle) curve[a++] = v;
}

}  // namespace

void InitRadioType5716(SharedRecords& records, ProductionTestRecord& record) {
    Enable(records, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8});
    const RangeSpec range8 = {{496, 136, 76, 120, 126, 77, 120},
                              {504, 138, 77, 121, 128, 78, 125},
                              {512, 141, 78, 121, 131, 78, 124}};
    const RangeSpec ranges[10] = {
        {{406, 96, 72, 122, 86, 72, 122}, {418, 98, 73, 121, 88, 72, 123}, {430, 101, 74, 127, 91, 74, 127}},
        {{380, 96, 76, 120, 86, 75, 119}, {391, 98, 76, 120, 88, 77, 121}, {403, 101, 76, 124, 91, 77, 125}},
        {{403, 136, 74, 119, 126, 74, 121}, {411, 138, 75, 119, 128, 75, 119}, {419, 141, 77, 122, 131, 77, 121}},
        {{419, 136, 75, 121, 126, 75, 120}, {427, 138, 74, 118, 128, 75, 119}, {435, 141, 78, 121, 131, 76, 123}},
        {{435, 136, 74, 121, 126, 74, 121}, {443, 138, 74, 121, 128, 75, 120}, {451, 141, 77, 121, 131, 76, 121}},
        {{450, 96, 75, 120, 86, 75, 120}, {460, 98, 76, 122, 88, 76, 120}, {470, 101, 78, 123, 91, 77, 121}},
        {{464, 136, 77, 123, 126, 77, 124}, {472, 138, 80, 122, 128, 75, 121}, {480, 141, 79, 122, 131, 75, 124}},
        {{480, 136, 76, 120, 126, 73, 122}, {488, 138, 77, 124, 128, 79, 118}, {496, 141, 79, 124, 131, 77, 114}},
        range8,
        range8,
    };
    for (int r = 0; r < 10; ++r) StoreRange(record, 0, r, ranges[r]);
}

void InitRadioType5726(SharedRecords& records, ProductionTestRecord& record) {
    Enable(records, 1, {4, 5, 6, 7, 9});
    const RangeSpec lowRanges = {{132, 91, 67, 107, 78, 66, 105},
                                 {141, 96, 69, 109, 83, 68, 109},
                                 {150, 101, 70, 111, 88, 70, 112}};
    const RangeSpec range5 = {{150, 91, 67, 107, 80, 66, 105},
                              {162, 96, 69, 109, 85, 68, 109},
                              {174, 101, 70, 111, 90, 70, 112}};
    const RangeSpec ranges68 = {{150, 96, 66, 66, 84, 67, 67},
                                {162, 101, 69, 69, 89, 69, 69},
                                {174, 106, 70, 70, 94, 71, 71}};
    const RangeSpec range7 = {{138, 115, 67, 107, 92, 66, 105},
                              {150, 117, 69, 109, 97, 68, 109},
                              {163, 119, 70, 111, 102, 70, 112}};
    const RangeSpec range9 = {{215, 96, 66, 66, 86, 67, 67},
                              {230, 96, 69, 69, 86, 69, 69},
                              {245, 96, 70, 70, 86, 71, 71}};
    for (int r = 0; r <= 4; ++r) StoreRange(record, 1, r, lowRanges);
    StoreRange(record, 1, 5, range5);
    StoreRange(record, 1, 6, ranges68);
    StoreRange(record, 1, 7, range7);
    StoreRange(record, 1, 8, ranges68);
    StoreRange(record, 1, 9, range9);
}

void InitRadioType5796(SharedRecords& records, ProductionTestRecord& record) {
    Enable(records, 2, {4, 5});
    const RangeSpec all = {{928, 100, 75, 107, 110, 75, 105},
                           {944, 102, 76, 109, 112, 76, 109},
                           {960, 105, 78, 111, 115, 77, 112}};
    for (int r = 0; r < 10; ++r) StoreRange(record, 2, r, all);
}

void BuildRssiCurve5716(std::array<std::int16_t, 256>& curve) {
    BuildCurve(curve, 58,
               {129, 128, 126, 125, 124, 123, 121, 120, 120, 119, 118, 117, 116, 116, 115, 115, 114, 114, 113, 113,
                112, 111, 110, 110, 109, 108, 108, 107, 107, 106, 106, 105, 105, 104, 104, 103, 102, 101, 101, 100,
                100, 99,  99,  98,  98,  97,  96,  96,  95,  95,  94,  94,  93,  93,  92,  91,  91,  91,  90,  90,
                89,  88,  88,  87,  87,  86,  85,  84,  84,  83,  82,  82,  81,  80,  80,  79,  79,  78,  78,  77,
                76,  76,  75,  74,  74,  73,  73,  72,  72,  71,  71,  70,  70,  69,  68,  68,  67,  66,  65,  65,
                64,  64,  63,  63,  62,  62,  61,  61,  60,  60,  60,  59,  59,  58,  58,  57,  57,  56,  55,  53,
                52,  50},
               45);
}

void BuildRssiCurve5726(std::array<std::int16_t, 256>& curve) {
    BuildCurve(curve, 44,
               {129, 128, 128, 127, 126, 125, 124, 123, 122, 121, 121, 121, 120, 120, 119, 118, 117, 116, 116, 115,
                114, 114, 113, 112, 112, 111, 111, 110, 109, 109, 108, 108, 108, 107, 107, 106, 106, 105, 104, 103,
                103, 102, 101, 100, 99,  99,  98,  98,  97,  97,  96,  96,  95,  95,  94,  93,  93,  92,  92,  91,
                91,  90,  90,  90,  89,  88,  88,  87,  86,  86,  85,  84,  84,  83,  83,  82,  81,  80,  80,  79,
                78,  77,  76,  75,  75,  74,  74,  73,  73,  72,  72,  71,  70,  70,  69,  69,  68,  67,  66,  65,
                65,  65,  64,  64,  63,  63,  62,  62,  62,  61,  61,  60,  59,  58,  58,  57,  57,  56,  56,  55,
                55,  55,  54,  54,  53,  52,  51,  51,  50,  50,  49,  48,  46},
               45);
}

void BuildRssiCurve5796(std::array<std::int16_t, 256>& curve) {
    BuildCurve(curve, 37,
               {129, 128, 127, 126, 125, 124, 123, 122, 121, 120, 119, 119, 118, 117, 116, 115, 115, 114, 114, 113,
                112, 111, 110, 110, 109, 108, 108, 107, 106, 105, 105, 104, 103, 103, 102, 101, 100, 99,  99,  98,
                98,  97,  97,  96,  96,  95,  95,  94,  93,  93,  92,  92,  91,  91,  90,  90,  89,  89,  88,  88,
                87,  87,  86,  85,  85,  84,  83,  82,  81,  80,  80,  79,  78,  78,  77,  76,  76,  75,  74,  74,
                73,  72,  72,  71,  70,  70,  69,  68,  67,  67,  66,  65,  65,  64,  63,  63,  62,  61,  61,  60,
                60,  59,  58,  58,  57,  56,  56,  55,  54,  54,  53,  53,  52,  52,  51,  51,  51},
               50);
}

}  // namespace k45
