#include "radio/channel_plan.h"

#include "radio/radio_codes.h"
#include "radio/radio_internal.h"

namespace k45 {

using namespace radio_internal;

namespace {
constexpr std::int64_t kChannelStep = 1000000;
constexpr std::int64_t kFirstStepOffset = 25000;
constexpr std::int16_t kPowerLevel = 255;
}  // namespace

void SetDefaultChannels(const SharedRecords& records, ModemParameters& record) {
    if (!RadioTypeValid(record.radioType)) {
        record.radioType = 0;
        record.radioRange = 5;
    }
    const std::int32_t type = record.radioType;
    const std::int32_t range = record.radioRange;
    const RadioSpec* tLow = SpecEntry(records.testDefaults, type, range, pointLow);
    const RadioSpec* tHigh = SpecEntry(records.testDefaults, type, range, pointHigh);
    const RadioSpec* bLow = SpecEntry(records.builtInTestDefaults, type, range, pointLow);
    const RadioSpec* bMid = SpecEntry(records.builtInTestDefaults, type, range, pointMid);
    const RadioSpec* bHigh = SpecEntry(records.builtInTestDefaults, type, range, pointHigh);
    const bool known = tLow && tHigh && bLow && bMid && bHigh;
    auto& ch = record.channels;

    std::int64_t rxLow = 0, rxHigh = 0, txLow = 0;
    if (known) {
        rxLow = tLow->rxFrequency;
        rxHigh = tHigh->rxFrequency;
        txLow = tLow->txFrequency;
        if (type == 0 && range == 0) {
            if (IsSet(record.highBand))
                rxLow = rxHigh - 16000000;
            else
                rxHigh = rxLow + 16000000;
            txLow = rxLow;
            StoreIfFits(ch[2].rxFrequency, rxHigh - 200000);
            StoreIfFits(ch[2].txFrequency, std::int64_t{bHigh->txFrequency} - 100000);
            StoreIfFits(ch[1].rxFrequency, static_cast<std::int64_t>(RoundHalfEven((rxLow + rxHigh) / 2.0)) + 200000);
            StoreIfFits(ch[1].txFrequency, std::int64_t{bMid->txFrequency} + 100000);
            StoreIfFits(ch[0].rxFrequency, rxLow + 300000);
            StoreIfFits(ch[0].txFrequency, std::int64_t{bLow->txFrequency} + 200000);
        } else {
            StoreIfFits(ch[2].rxFrequency, std::int64_t{bHigh->rxFrequency} - 200000);
            StoreIfFits(ch[2].txFrequency, std::int64_t{bHigh->txFrequency} - 100000);
            StoreIfFits(ch[1].rxFrequency, std::int64_t{bMid->rxFrequency} + 200000);
            StoreIfFits(ch[1].txFrequency, std::int64_t{bMid->txFrequency} + 100000);
            StoreIfFits(ch[0].rxFrequency, std::int64_t{bLow->rxFrequency} + 200000);
            StoreIfFits(ch[0].txFrequency, std::int64_t{bLow->txFrequency} + 100000);
        }
    }
    for (int n = 4; n <= 8; ++n) {
        if (known) {
            const std::int64_t add = kChannelStep + kFirstStepOffset + kChannelStep * (n - 4);
            StoreIfFits(ch[static_cast<size_t>(n - 1)].rxFrequency, rxLow + add);
            StoreIfFits(ch[static_cast<size_t>(n - 1)].txFrequency, txLow + add);
        }
    }
    record.powerAdjust.fill(kPowerLevel);
}

}  // namespace k45
