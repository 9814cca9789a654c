// The parameter image decoder of each layout (the last input byte picks it; the header is set
// to select it) from arbitrary memory contents. Must hold: decoding succeeds, the record's
// indexes are in range, and a packed record read back and packed again gives the same record
// and the same image.
#include "fuzz_support.h"
#include "params/modem_defaults.h"
#include "params/parameter_image.h"

using namespace k45;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static fuzz::Program program;
    const AppState& state = program.state;
    FuzzedDataProvider in(bytes, size);
    static const int kHeaders[3][2] = {{2, familyRNet}, {3, familyRNet}, {6, familyPNet}};
    const int layout = in.ConsumeIntegralInRange<int>(0, 2);
    ParameterImage image{};
    for (int i = 0; i < kParameterImageBytes && in.remaining_bytes() > 0; ++i) image[static_cast<size_t>(i)] = in.ConsumeIntegral<std::uint8_t>();
    image[0] = static_cast<std::int16_t>(layout == 2 ? std::max<int>(6, image[0]) : kHeaders[layout][0]);
    image[1] = static_cast<std::int16_t>(kHeaders[layout][1]);

    ModemParameters record;
    SetDefaultModemParameters(state, state, record);
    FUZZ_CHECK(DecodeParameterImage(state, state, record, image).ok());
    FUZZ_CHECK(RadioSpecIndexValid(record.radioType, record.radioRange, pointLow));
    FUZZ_CHECK(record.comment.size() <= 40);

    // Some bytes are read as the modem holds them but written from other fields (fixed
    // values, interpolated rows, computed bits): once packed, the record and its image are a
    // fixed point of unpack and pack.
    ParameterImage packed{};
    FUZZ_CHECK(EncodeParameterImage(state, state, packed, record, 1768471200).ok());
    for (int i = 0; i < kParameterImageSize; ++i) FUZZ_CHECK(packed[static_cast<size_t>(i)] >= 0 && packed[static_cast<size_t>(i)] <= 255);
    ModemParameters loaded;
    SetDefaultModemParameters(state, state, loaded);
    FUZZ_CHECK(DecodeParameterImage(state, state, loaded, packed).ok());
    FUZZ_CHECK(RadioSpecIndexValid(loaded.radioType, loaded.radioRange, pointLow));
    ParameterImage repacked{};
    FUZZ_CHECK(EncodeParameterImage(state, state, repacked, loaded, 1768471200).ok());
    ModemParameters again;
    SetDefaultModemParameters(state, state, again);
    FUZZ_CHECK(DecodeParameterImage(state, state, again, repacked).ok());
    // The RSSI thresholds convert through the image's own RSSI calibration table, which random
    // memory fills with a curve that need not be one-to-one; everything else is a fixed point.
    for (int i : {381, 382}) repacked[static_cast<size_t>(i)] = packed[static_cast<size_t>(i)];
    again.rssiOffThreshold = loaded.rssiOffThreshold;
    again.rssiOnThreshold = loaded.rssiOnThreshold;
    FUZZ_CHECK(repacked == packed);
    FUZZ_CHECK(again == loaded);
    return 0;
}
