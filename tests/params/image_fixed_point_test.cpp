// An image read from a modem and packed again: a modem's own image comes back byte for byte, and
// memory holding channel words no frequency fits settles in a few packs.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "image_fixture.h"
#include "params/parameter_image.h"
#include "radio/synthesizer.h"

namespace k45::test {
namespace {

class ImageFixedPoint : public ImageFixture {
protected:
    // Reads into a record whose every field differs from the image's, so nothing of the target
    // can leak into what is packed again.
    ModemParameters Read(const ParameterImage& image) {
        ModemParameters r = EveryFieldChanged(FilledRecord(6, 6));
        EXPECT_TRUE(DecodeParameterImage(app, app, r, image).ok());
        return r;
    }
    static ParameterImage Load(const std::string& path) {
        ParameterImage image{};
        EXPECT_TRUE(ReadHexText(path, image)) << path;
        return image;
    }
};

TEST_F(ImageFixedPoint, ModemImageReadAndPackedAgainIsTheSameImage) {
    for (const char* name : {"image_pnet_v06.hex", "image_rnet_v03.hex", "image_rnet_v02.hex"}) {
        const ParameterImage modem = Load(std::string(K45_TEST_DATA_DIR) + "/" + name);
        const ParameterImage again = Pack(Read(modem));
        for (int i = 0; i < kParameterImageBytes; ++i) EXPECT_EQ(again[i], modem[i]) << name << " byte " << i;
    }
}

// Found by fuzzing: memory whose Tx slots hold receive words with the LO below the Rx offset.
// They read as negative Tx frequencies, which no word carries (its count cannot go below 0), so
// the words a pack writes read back as another frequency; packing again moves on until the
// channel reads as no frequency (0 Hz). Only those words change, and from there on nothing does.
struct Finding {
    const char* fixture;
    int txWords;                  // offset of channel 1's Tx word in the layout
    std::vector<int> lost;        // channels (0..7) whose Tx frequency is lost
    int packsToSettle;
};
const Finding kFindings[] = {
    // Channels 2 and 3 pack as words no frequency of 32 bits fits.
    {"image_uncarried_channels.hex", 103, {1, 2}, 2},
    // Channel 4 packs as words for 56.7 MHz on the 5 kHz grid; at 56.7 MHz the 6.25 kHz grid
    // comes first, where the SA7025's prescaler cannot divide so low a count.
    {"image_prescaler_wrap.hex", 117, {3}, 3},
};

TEST_F(ImageFixedPoint, ChannelWordsNoFrequencyFitsSettleOnNoFrequency) {
    for (const Finding& f : kFindings) {
        const ParameterImage memory = Load(std::string(K45_TEST_DATA_DIR) + "/../params/fixtures/" + f.fixture);
        const ModemParameters record = Read(memory);
        for (int k : f.lost) EXPECT_LT(record.channels[k].txFrequency, 0) << f.fixture << " channel " << k + 1;

        const ParameterImage first = Pack(record);
        ParameterImage image = first;
        int packs = 1;
        for (ParameterImage next = Pack(Read(image)); next != image && packs <= 5; next = Pack(Read(image))) {
            image = next;
            ++packs;
        }
        EXPECT_EQ(packs, f.packsToSettle) << f.fixture;

        const ModemParameters settled = Read(image);
        for (int k : f.lost) EXPECT_EQ(settled.channels[k].txFrequency, 0) << f.fixture << " channel " << k + 1;
        for (int i = 0; i < kParameterImageBytes; ++i) {
            const int word = i >= f.txWords ? (i - f.txWords) / kSynthByteCount : -1;
            const bool inLostWord = i < f.txWords + 8 * kSynthByteCount &&
                                    std::find(f.lost.begin(), f.lost.end(), word) != f.lost.end();
            if (!inLostWord) {
                EXPECT_EQ(image[i], first[i]) << f.fixture << " byte " << i;
            }
        }
        EXPECT_TRUE(Read(Pack(settled)) == settled) << f.fixture;
    }
}

}  // namespace
}  // namespace k45::test
