// RNet firmware (model 4), layout version 3.
#include "params/parameter_image.h"
#include "radio/channel_plan.h"

namespace k45 {
namespace {

using namespace image;
using MP = ModemParameters;

constexpr Access kAlwaysSet{[](const MP&, int) { return 1.0; }, nullptr};
constexpr Access kIsCrystal{[](const MP& r, int) { return r.networkType == networkCrystal ? 1.0 : 0.0; }, nullptr};
// This family knows older-modem and crystal network types only.
constexpr Access kCrystalBit{nullptr, [](MP& r, int, double v) {
                                 r.crystalTiming = ToFlag(v != 0);
                                 r.networkType = v != 0 ? networkCrystal : networkOlderModems;
                                 return true;
                             }};

// The frequencies and power levels it sets are overwritten by the image further on.
void DefaultChannels(const ImageCodecContext& ctx, MP& r) { SetDefaultChannels(ctx.app, r); }

}  // namespace

std::span<const ImageField> image::RNetV03Fields() {
    // Listed in unpack order; the thresholds come back through the calibration part, so last.
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
        Both(29, Codec::Byte, Field<&MP::masterPowerMeterCal>()),
        PackOnly(30, Codec::BandEdges),
        Both(34, Codec::RangeCode),
        UnpackOnly(30, Codec::HighBand),
        Both(35, Codec::Byte, Field<&MP::channelOverride>()),
        Both(36, Codec::Byte, Element<&MP::frontEndAdj>(), 3),
        Both(39, Codec::Byte, Element<&MP::modAdj>(), 3),
        Both(42, Codec::Byte, Element<&MP::powerAdj>(), 3),
        UnpackStep(DefaultChannels),
        Both(47, Codec::Bit, Field<&MP::earlyDcd>(), 1, 0),
        Both(47, Codec::Bit, Field<&MP::invertedData>(), 1, 1),
        Both(47, Codec::Bit, Field<&MP::twoStopBits>(), 1, 2),
        Both(47, Codec::Bit, Field<&MP::dynamicRssi>(), 1, 3),
        Split(47, Codec::Bit, kIsCrystal, kCrystalBit, 1, 4),
        Both(47, Codec::Bit, Field<&MP::rxOnly>(), 1, 5),
        Both(47, Codec::Bit, Field<&MP::txOnly>(), 1, 6),
        Both(48, Codec::BaudBits, Field<&MP::baudRate>()),
        UnpackOnly(48, Codec::Bit, Field<&MP::bt05>(), 1, 2),
        Both(48, Codec::Bit, Field<&MP::nineDataBits>(), 1, 3),
        Both(48, Codec::Bit, Field<&MP::repeaterMode>(), 1, 4),
        Both(48, Codec::Bit, Field<&MP::pttWatchdog>(), 1, 5),
        Both(48, Codec::Bit, Field<&MP::diagGateMode>(), 1, 6),
        Both(48, Codec::Bit, Field<&MP::diagEnable>(), 1, 7),
        Both(49, Codec::PttTimeout),
        Both(51, Codec::Timing, Element<&MP::t1Time>(), 4),
        Both(59, Codec::Timing, Element<&MP::extendedT1Time>(), 4),
        Both(67, Codec::Timing, Element<&MP::t2Time>(), 4),
        Both(75, Codec::Timing, Element<&MP::extendedT2Time>(), 4),
        Both(83, Codec::Timing, Element<&MP::rxClampTime>(), 4),
        Both(91, Codec::Signature),
        Both(101, Codec::Synth, ChannelFreq<&ChannelFrequency::txFrequency>(), 8, 1),
        Both(205, Codec::Synth, ChannelFreq<&ChannelFrequency::rxFrequency>(), 8, 0),
        Split(309, Codec::InterpolatedMod, {}, Element<&MP::modSet>(), 8),
        Both(317, Codec::Byte, Element<&MP::powerAdjust>(), 8),
        Both(325, Codec::Byte, Element<&MP::powerMeter>(), 8),
        Split(365, Codec::InterpolatedFrontEnd, {}, Element<&MP::frontEndAdjust>(), 8),
        Split(373, Codec::PowerSet, {}, Element<&MP::txPowerSet>(), 8),
        PackOnly(381, Codec::RssiThreshold, Field<&MP::rssiOffThreshold>(), 1, 0),
        PackOnly(382, Codec::RssiThreshold, Field<&MP::rssiOnThreshold>(), 1, 0),
        Both(383, Codec::SetupTime),
        Both(387, Codec::Comment),
        Both(429, Codec::Bit, CalField<&CalTables::rssiTablePresent>(), 1, 0),
        Both(429, Codec::Bit, CalField<&CalTables::rssiTempTablePresent>(), 1, 1),
        Both(429, Codec::Bit, CalField<&CalTables::powerTablePresent>(), 1, 2),
        Both(430, Codec::Word16, CalField<&CalTables::rssiTableId>()),
        Both(432, Codec::Byte, CalElement<&CalTables::rssiTable>(), 64),
        Both(496, Codec::Word16, CalField<&CalTables::rssiTempTableId>()),
        Both(498, Codec::Byte, RssiTempCell(), 64),
        Both(562, Codec::Word16, CalField<&CalTables::powerTableId>()),
        Both(564, Codec::Byte, CalElement<&CalTables::powerTable>(), 64),
        UnpackOnly(381, Codec::RssiThreshold, Field<&MP::rssiOffThreshold>(), 1, 0),
        UnpackOnly(382, Codec::RssiThreshold, Field<&MP::rssiOnThreshold>(), 1, 0),
    };
    return kFields;
}

void RNetV03PackParms(const ImageCodecContext& ctx, ParameterImage& image, ModemParameters& record) {
    image::PackFields(image::RNetV03Fields(), ctx, image, record);
}

void RNetV03UnpackParms(const ImageCodecContext& ctx, ModemParameters& record, const ParameterImage& image) {
    image::UnpackFields(image::RNetV03Fields(), ctx, record, image);
}

}  // namespace k45
