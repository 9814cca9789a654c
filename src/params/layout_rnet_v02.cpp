// RNet firmware (model 4), layout version 2: no calibration part; ends at byte 460.
#include "params/layout_rows.h"

namespace k45 {
namespace {

using namespace image;
using MP = ModemParameters;

// A modem of this layout holds no calibration.
void ClearCalibration(const ImageCodecContext&, MP& r) { r.calTables = CalTables{}; }

}  // namespace

std::span<const ImageField> image::RNetV02Fields() {
    static const auto kFields = JoinRows(
        FactoryHeadRows(),             // 4..28
        RangeAndAdjustRows(30, 38),    // 30..46
        std::array{UnpackStep(DefaultChannelsStep)},
        RNetOptionRows(63),            // 63..64
        ChannelBlockRows(65),          // 65..348
        ChannelTuneRows(397),          // 397..412
        std::array{
            // Both thresholds go by the radio type's default curve, whatever calibration exists.
            Both(413, Codec::RssiThreshold, Field<&MP::rssiOffThreshold>(), 1, 1),
            Both(414, Codec::RssiThreshold, Field<&MP::rssiOnThreshold>(), 1, 1),
            Both(415, Codec::SetupTime),
            Both(419, Codec::Comment),
            UnpackStep(ClearCalibration),
        });
    return kFields;
}

void RNetV02PackParms(const ImageCodecContext& ctx, ParameterImage& image, ModemParameters& record) {
    image::PackFields(image::RNetV02Fields(), ctx, image, record);
}

void RNetV02UnpackParms(const ImageCodecContext& ctx, ModemParameters& record, const ParameterImage& image) {
    image::UnpackFields(image::RNetV02Fields(), ctx, record, image);
}

}  // namespace k45
