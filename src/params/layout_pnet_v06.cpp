// PNet firmware (model 6), layout version 6 and above.
#include "base/converters.h"
#include "params/layout_rows.h"

namespace k45 {
namespace {

using namespace image;
using MP = ModemParameters;

constexpr Access kNotNative{[](const MP& r, int) -> std::int64_t { return r.networkType != networkNative ? 1 : 0; }, nullptr};
constexpr Access kFilterBit{[](const MP& r, int) -> std::int64_t { return FilterBit(r) ? 1 : 0; }, nullptr};
constexpr Access kDeviationCode{[](const MP& r, int) { return std::int64_t{DeviationCode(r)}; }, nullptr};
constexpr Access kRxGainCode{[](const MP& r, int) { return std::int64_t{RxGainCode(r)}; }, nullptr};
constexpr Access kOffThresholdCode{[](const MP& r, int) { return std::int64_t{DbmToRssiCode(r.rssiOffThreshold)}; },
                                   nullptr};
constexpr Access kOnThresholdCode{[](const MP& r, int) { return std::int64_t{DbmToRssiCode(r.rssiOnThreshold)}; },
                                  nullptr};

// Network type starts as Native; the crystal bit makes it Crystal.
constexpr Access kCrystalBit{nullptr, [](MP& r, int, std::int64_t v) {
                                 r.crystalTiming = ToFlag(v != 0);
                                 r.networkType = v != 0 ? networkCrystal : networkNative;
                                 return true;
                             }};
// Unless Crystal, the older-modem bit decides between older modems and Native.
constexpr Access kOlderModemBit{nullptr, [](MP& r, int, std::int64_t v) {
                                    r.rNetDeviation = ToFlag(v != 0);
                                    if (r.networkType != networkCrystal)
                                        r.networkType = v != 0 ? networkOlderModems : networkNative;
                                    return true;
                                }};
// Rate code 3 is not a rate of this family.
constexpr Access kBaudRate{[](const MP& r, int) { return std::int64_t{r.baudRate}; },
                           [](MP& r, int, std::int64_t v) {
                               r.baudRate = static_cast<std::int16_t>(v == 3 ? 1 : v);
                               return true;
                           }};
// The threshold codes travel in the first entries of the per-rate deviation and gain bytes.
constexpr Access kOffThresholdEntry{nullptr, [](MP& r, int, std::int64_t v) {
                                        r.txDeviation[1] = static_cast<std::int16_t>(v);
                                        r.rssiOffThreshold = DbmToRssiCode(r.txDeviation[1]);
                                        return true;
                                    }};
constexpr Access kOnThresholdEntry{nullptr, [](MP& r, int, std::int64_t v) {
                                       r.rxGain[1] = static_cast<std::int16_t>(v);
                                       r.rssiOnThreshold = DbmToRssiCode(r.rxGain[1]);
                                       return true;
                                   }};

}  // namespace

std::span<const ImageField> image::PNetV06Fields() {
    // Listed in unpack order: the radio code before the range, the range before highBand.
    static const auto kFields = JoinRows(
        FactoryHeadRows(),             // 4..28
        RangeAndAdjustRows(30, 38),    // 30..46
        std::array{
            Both(29, Codec::Byte, Field<&MP::masterDeviation>()),
            Both(37, Codec::Byte, Field<&MP::masterRxGain>()),
            Both(49, Codec::Bit, Field<&MP::earlyDcd>(), 1, 0),
            Both(49, Codec::Bit, Field<&MP::invertedData>(), 1, 1),
            Both(49, Codec::Bit, Field<&MP::twoStopBits>(), 1, 2),
            Both(49, Codec::Bit, Field<&MP::dynamicRssi>(), 1, 3),
            Split(49, Codec::Bit, kIsCrystal, kCrystalBit, 1, 4),
            Both(49, Codec::Bit, Field<&MP::rxOnly>(), 1, 5),
            Both(49, Codec::Bit, Field<&MP::txOnly>(), 1, 6),
            Both(50, Codec::BaudBits, kBaudRate),
            Split(50, Codec::Bit, kFilterBit, Field<&MP::bt05>(), 1, 2),
            Both(50, Codec::Bit, Field<&MP::nineDataBits>(), 1, 3),
            Both(50, Codec::Bit, Field<&MP::repeaterMode>(), 1, 4),
            Both(50, Codec::Bit, Field<&MP::pttWatchdog>(), 1, 5),
            Both(50, Codec::Bit, Field<&MP::diagGateMode>(), 1, 6),
            Both(50, Codec::Bit, Field<&MP::diagEnable>(), 1, 7),
        },
        ChannelBlockRows(51),  // 51..334
        std::array{
            Split(343, Codec::Byte, kDeviationCode, Element<&MP::txDeviation>(0)),
            Split(344, Codec::Byte, kOffThresholdCode, kOffThresholdEntry),
            UnpackOnly(345, Codec::Byte, Element<&MP::txDeviation>(2), 2),
            Split(347, Codec::Byte, kRxGainCode, Element<&MP::rxGain>(0)),
            Split(348, Codec::Byte, kOnThresholdCode, kOnThresholdEntry),
            UnpackOnly(349, Codec::Byte, Element<&MP::rxGain>(2), 2),
            Both(360, Codec::Bit, Field<&MP::qMastOption>(), 1, 0),
            Split(360, Codec::Bit, kNotNative, kOlderModemBit, 1, 1),
            Both(361, Codec::Byte, Field<&MP::txDivisorTest>()),
            Both(362, Codec::Byte, Field<&MP::rxDivisorTest>()),
            Both(363, Codec::Word16, Field<&MP::peakPosition>()),
        },
        CalibratedTailRows());  // 365..627
    return kFields;
}

void PNetV06PackParms(const ImageCodecContext& ctx, ParameterImage& image, ModemParameters& record) {
    image::PackFields(image::PNetV06Fields(), ctx, image, record);
}

void PNetV06UnpackParms(const ImageCodecContext& ctx, ModemParameters& record, const ParameterImage& image) {
    image::UnpackFields(image::PNetV06Fields(), ctx, record, image);
}

}  // namespace k45
