// RNet firmware (model 4), layout version 3.
#include "params/layout_rows.h"

namespace k45 {
namespace {

using namespace image;
using MP = ModemParameters;

}  // namespace

std::span<const ImageField> image::RNetV03Fields() {
    // Listed in unpack order; the thresholds come back through the calibration part, so last.
    static const auto kFields = JoinRows(
        FactoryHeadRows(),             // 4..28
        RangeAndAdjustRows(29, 36),    // 29..44
        // The frequencies and power levels it sets are overwritten by the image further on.
        std::array{UnpackStep(DefaultChannelsStep)},
        RNetOptionRows(47),            // 47..48
        ChannelBlockRows(49),          // 49..332
        CalibratedTailRows(),          // 365..627
        std::array{
            UnpackOnly(381, Codec::RssiThreshold, Field<&MP::rssiOffThreshold>(), 1, 0),
            UnpackOnly(382, Codec::RssiThreshold, Field<&MP::rssiOnThreshold>(), 1, 0),
        });
    return kFields;
}

void RNetV03PackParms(const ImageCodecContext& ctx, ParameterImage& image, ModemParameters& record) {
    image::PackFields(image::RNetV03Fields(), ctx, image, record);
}

void RNetV03UnpackParms(const ImageCodecContext& ctx, ModemParameters& record, const ParameterImage& image) {
    image::UnpackFields(image::RNetV03Fields(), ctx, record, image);
}

}  // namespace k45
