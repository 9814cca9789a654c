// RNet firmware (model 4), layout version 2: no calibration part; ends at byte 460.
#include "params/parameter_image.h"
#include "radio/channel_plan.h"

namespace k45 {
namespace {

using namespace image;
using MP = ModemParameters;

constexpr Access kAlwaysSet{[](const MP&, int) { return 1.0; }, nullptr};
constexpr Access kIsCrystal{[](const MP& r, int) { return r.networkType == networkCrystal ? 1.0 : 0.0; }, nullptr};
constexpr Access kCrystalBit{nullptr, [](MP& r, int, double v) {
                                 r.crystalTiming = ToFlag(v != 0);
                                 r.networkType = v != 0 ? networkCrystal : networkOlderModems;
                                 return true;
                             }};

void DefaultChannels(const ImageCodecContext& ctx, MP& r) { SetDefaultChannels(ctx.app, r); }
// A modem of this layout holds no calibration.
void ClearCalibration(const ImageCodecContext&, MP& r) { r.calTables = CalTables{}; }

}  // namespace

std::span<const ImageField> image::RNetV02Fields() {
    static const ImageField kFields[] = {
        Both(4, Codec::Word16, Field<&MP::numberOfWrites>()),
        Both(6, Codec::Long32, Field<&MP::serialNumber>()),
        Split(10, Codec::Constant, {}, Field<&MP::byte10Value>(), 1, 8),
        Both(11, Codec::Byte, FcColumn<&FcAdjustTable::rxFc8>(), 3),
        Both(14, Codec::Byte, FcColumn<&FcAdjustTable::txFc8>(), 3),
        Both(17, Codec::Byte, FcColumn<&FcAdjustTable::rxFc5>(), 3),
        Both(20, Codec::Byte, FcColumn<&FcAdjustTable::txFc5>(), 3),
        Both(24, Codec::Bit, Field<&MP::sa7026Synthesizer>(), 1, 0),
        Split(25, Codec::Bit, kAlwaysSet, Field<&MP::byte25Flag>(), 1, 0),
        Both(27, Codec::SignedByte, Field<&MP::rssiCalAdj>()),
        Both(28, Codec::RadioCode),
        Both(30, Codec::Byte, Field<&MP::masterPowerMeterCal>()),
        PackOnly(31, Codec::BandEdges),
        Both(35, Codec::RangeCode),
        UnpackOnly(31, Codec::HighBand),
        Both(36, Codec::Byte, Field<&MP::channelOverride>()),
        Both(38, Codec::Byte, Element<&MP::frontEndAdj>(), 3),
        Both(41, Codec::Byte, Element<&MP::modAdj>(), 3),
        Both(44, Codec::Byte, Element<&MP::powerAdj>(), 3),
        UnpackStep(DefaultChannels),
        Both(63, Codec::Bit, Field<&MP::earlyDcd>(), 1, 0),
        Both(63, Codec::Bit, Field<&MP::invertedData>(), 1, 1),
        Both(63, Codec::Bit, Field<&MP::twoStopBits>(), 1, 2),
        Both(63, Codec::Bit, Field<&MP::dynamicRssi>(), 1, 3),
        Split(63, Codec::Bit, kIsCrystal, kCrystalBit, 1, 4),
        Both(63, Codec::Bit, Field<&MP::rxOnly>(), 1, 5),
        Both(63, Codec::Bit, Field<&MP::txOnly>(), 1, 6),
        Both(64, Codec::BaudBits, Field<&MP::baudRate>()),
        UnpackOnly(64, Codec::Bit, Field<&MP::bt05>(), 1, 2),
        Both(64, Codec::Bit, Field<&MP::nineDataBits>(), 1, 3),
        Both(64, Codec::Bit, Field<&MP::repeaterMode>(), 1, 4),
        Both(64, Codec::Bit, Field<&MP::pttWatchdog>(), 1, 5),
        Both(64, Codec::Bit, Field<&MP::diagGateMode>(), 1, 6),
        Both(64, Codec::Bit, Field<&MP::diagEnable>(), 1, 7),
        Both(65, Codec::PttTimeout),
        Both(67, Codec::Timing, Element<&MP::t1Time>(), 4),
        Both(75, Codec::Timing, Element<&MP::extendedT1Time>(), 4),
        Both(83, Codec::Timing, Element<&MP::t2Time>(), 4),
        Both(91, Codec::Timing, Element<&MP::extendedT2Time>(), 4),
        Both(99, Codec::Timing, Element<&MP::rxClampTime>(), 4),
        Both(107, Codec::Signature),
        Both(117, Codec::Synth, ChannelFreq<&ChannelFrequency::txFrequency>(), 8, 1),
        Both(221, Codec::Synth, ChannelFreq<&ChannelFrequency::rxFrequency>(), 8, 0),
        Split(325, Codec::InterpolatedMod, {}, Element<&MP::modSet>(), 8),
        Both(333, Codec::Byte, Element<&MP::powerAdjust>(), 8),
        Both(341, Codec::Byte, Element<&MP::powerMeter>(), 8),
        Split(397, Codec::InterpolatedFrontEnd, {}, Element<&MP::frontEndAdjust>(), 8),
        Split(405, Codec::PowerSet, {}, Element<&MP::txPowerSet>(), 8),
        // Both thresholds go by the radio type's default curve, whatever calibration exists.
        Both(413, Codec::RssiThreshold, Field<&MP::rssiOffThreshold>(), 1, 1),
        Both(414, Codec::RssiThreshold, Field<&MP::rssiOnThreshold>(), 1, 1),
        Both(415, Codec::SetupTime),
        Both(419, Codec::Comment),
        UnpackStep(ClearCalibration),
    };
    return kFields;
}

void RNetV02PackParms(const ImageCodecContext& ctx, ParameterImage& image, ModemParameters& record) {
    image::PackFields(image::RNetV02Fields(), ctx, image, record);
}

void RNetV02UnpackParms(const ImageCodecContext& ctx, ModemParameters& record, const ParameterImage& image) {
    image::UnpackFields(image::RNetV02Fields(), ctx, record, image);
}

}  // namespace k45
