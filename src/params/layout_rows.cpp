#include "params/layout_rows.h"

#include "radio/channel_plan.h"

namespace k45::image {
namespace {

using MP = ModemParameters;

constexpr Access kAlwaysSet{[](const MP&, int) { return std::int64_t{1}; }, nullptr};
constexpr Access kRNetCrystalBit{nullptr, [](MP& r, int, std::int64_t v) {
                                     r.crystalTiming = ToFlag(v != 0);
                                     r.networkType = v != 0 ? networkCrystal : networkOlderModems;
                                     return true;
                                 }};

}  // namespace

const Access kIsCrystal{[](const MP& r, int) -> std::int64_t { return r.networkType == networkCrystal ? 1 : 0; }, nullptr};

void DefaultChannelsStep(const ImageCodecContext& ctx, ModemParameters& r) { SetDefaultChannels(ctx.records, r); }

std::array<ImageField, 11> FactoryHeadRows() {
    return {
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
    };
}

std::array<ImageField, 8> RangeAndAdjustRows(int meterCal, int adjusts) {
    return {
        Both(meterCal, Codec::Byte, Field<&MP::masterPowerMeterCal>()),
        PackOnly(meterCal + 1, Codec::BandEdges),
        Both(meterCal + 5, Codec::RangeCode),
        UnpackOnly(meterCal + 1, Codec::HighBand),
        Both(meterCal + 6, Codec::Byte, Field<&MP::channelOverride>()),
        Both(adjusts, Codec::Byte, Element<&MP::frontEndAdj>(), 3),
        Both(adjusts + 3, Codec::Byte, Element<&MP::modAdj>(), 3),
        Both(adjusts + 6, Codec::Byte, Element<&MP::powerAdj>(), 3),
    };
}

std::array<ImageField, 14> RNetOptionRows(int base) {
    const int flags = base, options = base + 1;
    return {
        Both(flags, Codec::Bit, Field<&MP::earlyDcd>(), 1, 0),
        Both(flags, Codec::Bit, Field<&MP::invertedData>(), 1, 1),
        Both(flags, Codec::Bit, Field<&MP::twoStopBits>(), 1, 2),
        Both(flags, Codec::Bit, Field<&MP::dynamicRssi>(), 1, 3),
        Split(flags, Codec::Bit, kIsCrystal, kRNetCrystalBit, 1, 4),
        Both(flags, Codec::Bit, Field<&MP::rxOnly>(), 1, 5),
        Both(flags, Codec::Bit, Field<&MP::txOnly>(), 1, 6),
        Both(options, Codec::BaudBits, Field<&MP::baudRate>()),
        UnpackOnly(options, Codec::Bit, Field<&MP::bt05>(), 1, 2),
        Both(options, Codec::Bit, Field<&MP::nineDataBits>(), 1, 3),
        Both(options, Codec::Bit, Field<&MP::repeaterMode>(), 1, 4),
        Both(options, Codec::Bit, Field<&MP::pttWatchdog>(), 1, 5),
        Both(options, Codec::Bit, Field<&MP::diagGateMode>(), 1, 6),
        Both(options, Codec::Bit, Field<&MP::diagEnable>(), 1, 7),
    };
}

std::array<ImageField, 12> ChannelBlockRows(int base) {
    return {
        Both(base, Codec::PttTimeout),
        Both(base + 2, Codec::Timing, Element<&MP::t1Time>(), 4),
        Both(base + 10, Codec::Timing, Element<&MP::extendedT1Time>(), 4),
        Both(base + 18, Codec::Timing, Element<&MP::t2Time>(), 4),
        Both(base + 26, Codec::Timing, Element<&MP::extendedT2Time>(), 4),
        Both(base + 34, Codec::Timing, Element<&MP::rxClampTime>(), 4),
        Both(base + 42, Codec::Signature),
        Both(base + 52, Codec::Synth, ChannelFreq<&ChannelFrequency::txFrequency>(), 8, 1),
        Both(base + 156, Codec::Synth, ChannelFreq<&ChannelFrequency::rxFrequency>(), 8, 0),
        Split(base + 260, Codec::InterpolatedMod, {}, Element<&MP::modSet>(), 8),
        Both(base + 268, Codec::Byte, Element<&MP::powerAdjust>(), 8),
        Both(base + 276, Codec::Byte, Element<&MP::powerMeter>(), 8),
    };
}

std::array<ImageField, 2> ChannelTuneRows(int base) {
    return {
        Split(base, Codec::InterpolatedFrontEnd, {}, Element<&MP::frontEndAdjust>(), 8),
        Split(base + 8, Codec::PowerSet, {}, Element<&MP::txPowerSet>(), 8),
    };
}

std::array<ImageField, 15> CalibratedTailRows() {
    const auto tune = ChannelTuneRows(365);
    return {
        tune[0],
        tune[1],
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
    };
}

}  // namespace k45::image
