// The parameter image decoder of each layout (the last input byte picks it; the header is set
// to select it) from arbitrary memory contents, read in order so that a seed made from a real
// image decodes as that image. Must hold: decoding succeeds, the record's indexes are in range,
// and an image packed from a record whose channel frequencies its synthesizer words carry, read
// back and packed again, is the same image and the same record.
//
// A record read from arbitrary memory need not be such a record: its channel frequencies may lie
// off the synthesizer's grid, or be frequencies no word carries (a Tx slot holding a receive word
// whose LO lies below the Rx offset reads as a negative Tx frequency; a count below what the
// SA7025's prescaler can divide wraps its main count). Packing moves such a frequency to the one
// its words read back as, and the bytes derived from the frequencies follow it; a few packs
// settle every channel (at the latest on 0 Hz, which words whose frequency exceeds 32 bits read
// as). From there the fixed point must hold.
#include <array>

#include "fuzz_support.h"
#include "params/modem_defaults.h"
#include "params/parameter_image.h"
#include "radio/synthesizer.h"

using namespace k45;

namespace {

constexpr std::int64_t kNow = 1768471200;
// Packs after which every channel frequency must have settled.
constexpr int kPacksToSettle = 4;

// The frequency reads back from its words unchanged.
bool WordsCarry(const AppState& state, const ModemParameters& r, std::int32_t hz, bool transmit) {
    SynthBytes words{};
    const bool sa7026 = IsSet(r.sa7026Synthesizer);
    CalcSynthWords(state, state, words, hz, r.radioType, r.radioRange, transmit, sa7026, r.fcAdj, -1);
    return SynthWordsToFreq(words, r.radioType, r.radioRange, sa7026) == hz;
}

bool ChannelsCarried(const AppState& state, const ModemParameters& r) {
    for (const ChannelFrequency& c : r.channels)
        if (!WordsCarry(state, r, c.txFrequency, true) || !WordsCarry(state, r, c.rxFrequency, false)) return false;
    return true;
}

ParameterImage Pack(const AppState& state, const ModemParameters& record) {
    ModemParameters r = record;
    ParameterImage image{};
    FUZZ_CHECK(EncodeParameterImage(state, state, image, r, kNow).ok());
    return image;
}

ModemParameters Unpack(const AppState& state, const ParameterImage& image) {
    ModemParameters r;
    SetDefaultModemParameters(state, state, r);
    FUZZ_CHECK(DecodeParameterImage(state, state, r, image).ok());
    FUZZ_CHECK(RadioSpecIndexValid(r.radioType, r.radioRange, pointLow));
    return r;
}

// The RSSI thresholds convert through the image's own RSSI calibration table, which random
// memory fills with a curve that need not be one-to-one; they are left out of the comparison.
void CheckFixedPoint(ParameterImage later, const ParameterImage& earlier, ModemParameters laterRecord,
                     const ModemParameters& earlierRecord) {
    for (int i : {381, 382}) later[static_cast<size_t>(i)] = earlier[static_cast<size_t>(i)];
    laterRecord.rssiOffThreshold = earlierRecord.rssiOffThreshold;
    laterRecord.rssiOnThreshold = earlierRecord.rssiOnThreshold;
    FUZZ_CHECK(later == earlier);
    FUZZ_CHECK(laterRecord == earlierRecord);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static fuzz::Program program;
    const AppState& state = program.state;
    FuzzedDataProvider in(bytes, size);
    static const int kHeaders[3][2] = {{2, familyRNet}, {3, familyRNet}, {6, familyPNet}};
    const int layout = in.ConsumeIntegralInRange<int>(0, 2);
    const std::vector<std::uint8_t> memory = in.ConsumeBytes<std::uint8_t>(kParameterImageBytes);
    ParameterImage image{};
    std::copy(memory.begin(), memory.end(), image.begin());
    image[0] = static_cast<std::uint8_t>(layout == 2 ? std::max<int>(6, image[0]) : kHeaders[layout][0]);
    image[1] = static_cast<std::uint8_t>(kHeaders[layout][1]);

    const ModemParameters record = Unpack(state, image);
    FUZZ_CHECK(record.comment.size() <= 40);

    ModemParameters settled = record;
    int packs = 0;
    while (!ChannelsCarried(state, settled)) {
        FUZZ_CHECK(++packs <= kPacksToSettle);
        settled = Unpack(state, Pack(state, settled));
    }
    const ParameterImage packed = Pack(state, settled);
    const ModemParameters loaded = Unpack(state, packed);
    const ParameterImage repacked = Pack(state, loaded);
    CheckFixedPoint(repacked, packed, Unpack(state, repacked), loaded);
    return 0;
}
