#include "params/parameter_image.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/converters.h"
#include "base/utilities.h"
#include "params/startup_defaults.h"
#include "radio/radio_codes.h"
#include "radio/rssi_conversion.h"
#include "radio/synthesizer.h"

namespace k45 {

ImageLayout SelectImageLayout(int eepromVersion, int model) {
    if (eepromVersion == 2 && model == familyRNet) return ImageLayout::RNetV02;
    if (eepromVersion == 3 && model == familyRNet) return ImageLayout::RNetV03;
    if (eepromVersion >= 6 && model == familyPNet) return ImageLayout::PNetV06;
    return ImageLayout::None;
}

namespace {

UserMessage ModemTypeMessage() { return {kModemTypeNotCorrect, {}, MsgButtons::OK, MsgIcon::Exclamation}; }

using PackFn = void (*)(const ImageCodecContext&, ParameterImage&, ModemParameters&);
using UnpackFn = void (*)(const ImageCodecContext&, ModemParameters&, const ParameterImage&);

bool LayoutFunctions(ImageLayout layout, PackFn& pack, UnpackFn& unpack) {
    switch (layout) {
    case ImageLayout::RNetV02: pack = RNetV02PackParms; unpack = RNetV02UnpackParms; return true;
    case ImageLayout::RNetV03: pack = RNetV03PackParms; unpack = RNetV03UnpackParms; return true;
    case ImageLayout::PNetV06: pack = PNetV06PackParms; unpack = PNetV06UnpackParms; return true;
    case ImageLayout::None: break;
    }
    return false;
}

}  // namespace

Outcome EncodeParameterImage(const ModeFlags& modes, const SharedRecords& records, const Services& services,
                             ParameterImage& image, ModemParameters& record) {
    return EncodeParameterImage(modes, records, image, record, LocalNowSeconds(services));
}

Outcome EncodeParameterImage(const ModeFlags& modes, const SharedRecords& records, ParameterImage& image,
                             ModemParameters& record, std::int64_t nowLocal) {
    PackFn pack = nullptr;
    UnpackFn unpack = nullptr;
    if (!LayoutFunctions(SelectImageLayout(record.eepromVersion, record.model), pack, unpack)) return ModemTypeMessage();
    image.fill(0);
    image[0] = static_cast<std::uint8_t>(image::ClampByte(record.eepromVersion));
    image[1] = static_cast<std::uint8_t>(image::ClampByte(record.model));
    image[2] = static_cast<std::uint8_t>(image::ClampByte(record.romMajorVersion));
    image[3] = static_cast<std::uint8_t>(image::ClampByte(record.romMinorVersion));
    pack(ImageCodecContext{modes, records, nowLocal}, image, record);
    return {};
}

Outcome DecodeParameterImage(const ModeFlags& modes, const SharedRecords& records, ModemParameters& record,
                             const ParameterImage& image) {
    ModemParameters scratch = record;
    scratch.eepromVersion = image[0];
    scratch.model = image[1];
    scratch.romMajorVersion = image[2];
    scratch.romMinorVersion = image[3];
    PackFn pack = nullptr;
    UnpackFn unpack = nullptr;
    if (!LayoutFunctions(SelectImageLayout(scratch.eepromVersion, scratch.model), pack, unpack)) return ModemTypeMessage();
    // Unpacking stamps nothing, so it needs no clock.
    unpack(ImageCodecContext{modes, records, 0}, scratch, image);
    record = std::move(scratch);
    return {};
}

namespace image {

int SaturateByte(double v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<int>(RoundHalfEven(v));
}

int ClampByte(std::int64_t v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v); }

int EncodeTimingCode(int t) {
    if (t < 0) t = 0;
    if (t > kMaxTimingValue) t = kMaxTimingValue;
    return static_cast<int>(RoundHalfEven(t * kTimingScale));
}

int DecodeTimingCode(int word) { return static_cast<int>(RoundHalfEven(word / kTimingScale)); }

int EncodePttTimeoutCode(float seconds) {
    const double code = RoundHalfEven(static_cast<double>(seconds) * kPttScale);
    if (!(code > 0)) return 0;
    if (code > 65535) return 65535;
    return static_cast<int>(code);
}

float DecodePttTimeoutCode(int word) {
    const float s = static_cast<float>(word / kPttScale);
    return static_cast<float>(RoundHalfEven(static_cast<double>(s) * 10) / 10);
}

int DeviationCode(const ModemParameters& r) {
    double v = r.masterDeviation;
    if (r.networkType != networkNative)
        v = RoundHalfEven(v * (r.baudRate == 0 ? kDeviationScale0 : kDeviationScale1));
    return SaturateByte(v);
}

int RxGainCode(const ModemParameters& r) {
    double v = r.masterRxGain;
    if (r.networkType != networkNative) v = RoundHalfEven(v * (r.baudRate == 0 ? kGainScale0 : kGainScale1));
    return SaturateByte(v);
}

bool FilterBit(const ModemParameters& r) {
    if (r.networkType != networkNative) return true;
    return (r.channelBandwidth == bandwidthHalf && r.baudRate < 1) ||
           (r.channelBandwidth == bandwidthFull && r.baudRate < 2);
}

Access RssiTempCell() {
    return {[](const ModemParameters& r, int i) {
                return i >= 0 && i < 64 ? static_cast<std::int64_t>(r.calTables.rssiTempTable[i / 8][i % 8]) : 0;
            },
            [](ModemParameters& r, int i, std::int64_t v) {
                return i >= 0 && i < 64 && Store(r.calTables.rssiTempTable[i / 8][i % 8], v);
            }};
}

int CodecWidth(Codec c) {
    switch (c) {
    case Codec::Word16:
    case Codec::PttTimeout:
    case Codec::Timing:
    case Codec::HighBand: return 2;
    case Codec::BandEdges:
    case Codec::Long32:
    case Codec::SetupTime: return 4;
    case Codec::Signature: return 10;
    case Codec::Comment: return 40;
    case Codec::Synth: return 13;
    case Codec::Action: return 0;
    default: return 1;
    }
}

namespace {

constexpr int kSignatureLength = 10;
constexpr int kCommentLength = 40;
constexpr int kSynthLength = kSynthByteCount;
constexpr std::int32_t kBandEdgeUnit = 100000;
constexpr std::int32_t kHighBandSpan = 16000000;
constexpr std::int32_t kHighBandMargin = 5000000;

// Bytes pos .. pos + width - 1 lie inside the parameter memory.
bool Fits(int pos, int width) { return pos >= 0 && width >= 0 && pos + width <= kParameterImageBytes; }

// The low 8 bits of value.
void PutByte(ParameterImage& image, int pos, std::int64_t value) {
    if (Fits(pos, 1)) image[pos] = static_cast<std::uint8_t>(value & 0xFF);
}
void OrBits(ParameterImage& image, int pos, int bits) {
    if (Fits(pos, 1)) image[pos] = static_cast<std::uint8_t>((image[pos] | bits) & 0xFF);
}
int ByteAt(const ParameterImage& image, int pos) { return image[pos]; }
// The low 16 bits of word.
void PutWord(ParameterImage& image, int pos, std::int64_t word) { PutBigEndian(image, pos, 2, word); }
// A value 0..4294967295; any other leaves the bytes as they are.
void PutLong(ParameterImage& image, int pos, std::int64_t v) {
    if (v >= 0 && v <= 0xFFFFFFFFLL) PutBigEndian(image, pos, 4, v);
}

// The radio model's routines as the codecs use them.
namespace radio_bridge {

int RadioCodeOf(const ModemParameters& r) { return EncodeRadioCode(r.radioType, r.channelBandwidth); }
void ApplyRadioCode(ModemParameters& r, int code) { DecodeRadioCode(r, static_cast<std::int16_t>(code)); }
int RangeCodeOf(const ModemParameters& r) { return EncodeRangeCode(r.radioType, r.radioRange); }
std::int32_t RangeOfCode(std::int32_t type, int code) { return DecodeRangeCode(type, static_cast<std::int16_t>(code)); }

bool SynthBytesOf(const ImageCodecContext& ctx, const ModemParameters& r, std::int32_t hz, bool transmit,
                  std::array<std::int16_t, kSynthByteCount>& out) {
    CalcSynthWords(ctx.modes, ctx.records, out, hz, r.radioType, r.radioRange, transmit, IsSet(r.sa7026Synthesizer), r.fcAdj, -1);
    return true;
}

bool FreqOfSynthBytes(const ImageCodecContext&, const ModemParameters& r,
                      const std::array<std::int16_t, kSynthByteCount>& bytes, std::int32_t& hz) {
    hz = SynthWordsToFreq(bytes, r.radioType, r.radioRange, IsSet(r.sa7026Synthesizer));
    return true;
}

bool Interpolate(const ImageCodecContext& ctx, const ModemParameters& r, std::int32_t hz, bool transmit,
                 const std::array<std::int16_t, 3>& triple, int& out) {
    out = InterpolateTuneValue(ctx.records, hz, r.radioType, r.radioRange, transmit, triple);
    return true;
}

bool ThresholdToByte(const ImageCodecContext& ctx, const ModemParameters& r, int code, bool useDefault, int& out) {
    if (code < std::numeric_limits<std::int16_t>::min() || code > std::numeric_limits<std::int16_t>::max()) return false;
    out = RssiDbmToByte(ctx.records, r.calTables, r.radioType, static_cast<std::int16_t>(code), useDefault);
    return true;
}

bool ByteToThreshold(const ImageCodecContext& ctx, const ModemParameters& r, int byte, bool useDefault, int& out) {
    out = RssiByteToDbm(ctx.records, r.calTables, r.radioType, static_cast<std::int16_t>(byte), useDefault);
    return true;
}

}  // namespace radio_bridge

std::int64_t Get(const Access& a, const ModemParameters& r, int i) { return a.get(r, a.base + i); }
void Set(const Access& a, ModemParameters& r, int i, std::int64_t v) {
    if (a.set) a.set(r, a.base + i, v);
}

// Low and high band edges of the record's radio type and range, in Hz.
bool BandEdges(const ImageCodecContext& ctx, const ModemParameters& r, std::int64_t& low, std::int64_t& high) {
    const int type = r.radioType, range = r.radioRange;
    if (!RadioSpecIndexValid(type, range, pointLow)) return false;
    const auto& specs = ctx.records.testDefaults.radioSpecs;
    low = specs[RadioSpecIndex(type, range, pointLow)].rxFrequency;
    high = specs[RadioSpecIndex(type, range, pointHigh)].rxFrequency;
    if (type == 0 && range == 0) {
        if (IsSet(r.highBand)) low = high - kHighBandSpan;
        else high = low + kHighBandSpan;
    }
    return true;
}

void PutBandEdge(ParameterImage& image, int pos, std::int64_t hz) {
    const std::int64_t word = hz / kBandEdgeUnit;
    if (word >= 0 && word <= 0xFFFF) PutWord(image, pos, word);
}

void PackElement(const ImageField& f, int i, const ImageCodecContext& ctx, ParameterImage& image,
                 ModemParameters& r) {
    const int pos = f.offset + i * CodecWidth(f.codec);
    if (!Fits(pos, CodecWidth(f.codec))) return;
    const bool has = f.pack.get != nullptr;
    switch (f.codec) {
    case Codec::Constant: PutByte(image, pos, f.arg); break;
    case Codec::Byte:
        if (has) PutByte(image, pos, ClampByte(Get(f.pack, r, i)));
        break;
    case Codec::SignedByte:
        if (has) PutByte(image, pos, std::clamp<std::int64_t>(Get(f.pack, r, i), -128, 127));  // two's complement
        break;
    case Codec::Bit:
        if (has && Get(f.pack, r, i) != 0) OrBits(image, pos, 1 << f.arg);
        break;
    case Codec::BaudBits:
        if (has) OrBits(image, pos, static_cast<int>(Get(f.pack, r, i) & 3));
        break;
    case Codec::Word16:
        if (has) {
            const std::int64_t v = Get(f.pack, r, i);
            if (v >= std::numeric_limits<std::int32_t>::min() && v <= 0xFFFFFFFFLL) PutWord(image, pos, v);
        }
        break;
    case Codec::Long32:
        if (has) PutLong(image, pos, Get(f.pack, r, i));
        break;
    case Codec::PttTimeout: PutWord(image, pos, EncodePttTimeoutCode(r.pttTimeout)); break;
    case Codec::Timing:
        if (has) PutWord(image, pos, EncodeTimingCode(static_cast<int>(Get(f.pack, r, i))));
        break;
    case Codec::BandEdges: {
        std::int64_t low = 0, high = 0;
        if (BandEdges(ctx, r, low, high)) {
            PutBandEdge(image, pos, low);
            PutBandEdge(image, pos + 2, high);
        }
        break;
    }
    case Codec::HighBand: break;
    case Codec::RadioCode: PutByte(image, pos, ClampByte(radio_bridge::RadioCodeOf(r))); break;
    case Codec::RangeCode: PutByte(image, pos, ClampByte(radio_bridge::RangeCodeOf(r))); break;
    case Codec::Signature: {
        const std::string& sig = ctx.records.parmsSignature;
        for (int k = 0; k < kSignatureLength; ++k) {
            const int code = k < static_cast<int>(sig.size()) ? static_cast<unsigned char>(sig[k]) : 0;
            PutByte(image, pos + k, code);
            r.signature[k] = static_cast<std::int16_t>(code);
        }
        break;
    }
    case Codec::Comment:
        for (int k = 0; k < kCommentLength; ++k)
            PutByte(image, pos + k, k < static_cast<int>(r.comment.size()) ? static_cast<unsigned char>(r.comment[k]) : 0);
        break;
    case Codec::SetupTime:
        r.setupTime = ctx.nowLocal;
        PutLong(image, pos, r.setupTime + kSetupEpochOffset);
        break;
    case Codec::Synth: {
        if (!has) break;
        std::array<std::int16_t, kSynthLength> words{};
        if (radio_bridge::SynthBytesOf(ctx, r, static_cast<std::int32_t>(Get(f.pack, r, i)), f.arg != 0, words))
            for (int k = 0; k < kSynthLength; ++k) PutByte(image, pos + k, ClampByte(words[k]));
        break;
    }
    case Codec::InterpolatedMod: {
        int v = 0;
        if (InRange(r.channels, i) && radio_bridge::Interpolate(ctx, r, r.channels[i].txFrequency, true, r.modAdj, v))
            PutByte(image, pos, ClampByte(v));
        break;
    }
    case Codec::InterpolatedFrontEnd: {
        int v = 0;
        if (InRange(r.channels, i) &&
            radio_bridge::Interpolate(ctx, r, r.channels[i].rxFrequency, false, r.frontEndAdj, v))
            PutByte(image, pos, ClampByte(v));
        break;
    }
    case Codec::PowerSet: {
        int v = 0;
        if (InRange(r.channels, i) && InRange(r.powerAdjust, i) &&
            radio_bridge::Interpolate(ctx, r, r.channels[i].txFrequency, true, r.powerAdj, v))
            PutByte(image, pos, SaturateByte(RoundHalfEven(static_cast<double>(v) / 255.0 * r.powerAdjust[i])));
        break;
    }
    case Codec::RssiThreshold: {
        int v = 0;
        if (has && radio_bridge::ThresholdToByte(ctx, r, static_cast<int>(Get(f.pack, r, i)), f.arg != 0, v))
            PutByte(image, pos, ClampByte(v));
        break;
    }
    case Codec::Action: break;
    }
}

void UnpackElement(const ImageField& f, int i, const ImageCodecContext& ctx, ModemParameters& r,
                   const ParameterImage& image) {
    const int pos = f.offset + i * CodecWidth(f.codec);
    if (!Fits(pos, CodecWidth(f.codec))) return;
    const Access& to = f.unpack;
    switch (f.codec) {
    case Codec::Constant:
    case Codec::Byte: Set(to, r, i, ByteAt(image, pos)); break;
    case Codec::SignedByte: {
        const int b = ByteAt(image, pos);
        Set(to, r, i, b > 127 ? b - 256 : b);
        break;
    }
    case Codec::Bit: Set(to, r, i, (ByteAt(image, pos) >> f.arg) & 1 ? kTrue : kFalse); break;
    case Codec::BaudBits: Set(to, r, i, ByteAt(image, pos) & 3); break;
    case Codec::Word16: Set(to, r, i, BigEndianAt(image, pos, 2)); break;
    case Codec::Long32: Set(to, r, i, BigEndianAt(image, pos, 4)); break;
    case Codec::PttTimeout: r.pttTimeout = DecodePttTimeoutCode(BigEndianAt(image, pos, 2)); break;
    case Codec::Timing: Set(to, r, i, DecodeTimingCode(BigEndianAt(image, pos, 2))); break;
    case Codec::BandEdges: break;
    case Codec::HighBand: {
        r.highBand = kFalse;
        const std::int64_t low = BigEndianAt(image, pos, 2) * kBandEdgeUnit;
        // The edge must fit the 32-bit frequency it stands for.
        if (low > std::numeric_limits<std::int32_t>::max()) break;
        if (r.radioType == 0 && r.radioRange == 0) {
            const std::int64_t lowPoint = ctx.records.testDefaults.radioSpecs[RadioSpecIndex(0, 0, pointLow)].rxFrequency;
            if (low > lowPoint + kHighBandMargin) r.highBand = kTrue;
        }
        break;
    }
    case Codec::RadioCode: radio_bridge::ApplyRadioCode(r, ByteAt(image, pos)); break;
    case Codec::RangeCode: r.radioRange = radio_bridge::RangeOfCode(r.radioType, ByteAt(image, pos)); break;
    case Codec::Signature:
        for (int k = 0; k < kSignatureLength; ++k) r.signature[k] = static_cast<std::int16_t>(ByteAt(image, pos + k));
        break;
    case Codec::Comment: {
        std::string text;
        for (int k = 0; k < kCommentLength; ++k) {
            const char c = static_cast<char>(ByteAt(image, pos + k));
            if (IsPrintableChar(std::string_view(&c, 1))) text += c;
        }
        r.comment = std::move(text);
        break;
    }
    case Codec::SetupTime: r.setupTime = BigEndianAt(image, pos, 4) - kSetupEpochOffset; break;
    case Codec::Synth: {
        std::array<std::int16_t, kSynthLength> words{};
        for (int k = 0; k < kSynthLength; ++k) words[k] = static_cast<std::int16_t>(ByteAt(image, pos + k));
        std::int32_t hz = 0;
        if (radio_bridge::FreqOfSynthBytes(ctx, r, words, hz)) Set(to, r, i, hz);
        break;
    }
    case Codec::InterpolatedMod:
    case Codec::InterpolatedFrontEnd:
    case Codec::PowerSet: Set(to, r, i, ByteAt(image, pos)); break;
    case Codec::RssiThreshold: {
        int code = 0;
        if (to.set && radio_bridge::ByteToThreshold(ctx, r, ByteAt(image, pos), f.arg != 0, code)) Set(to, r, i, code);
        break;
    }
    case Codec::Action:
        if (f.step) f.step(ctx, r);
        break;
    }
}

}  // namespace

void PackFields(std::span<const ImageField> fields, const ImageCodecContext& ctx, ParameterImage& image,
                ModemParameters& record) {
    for (const ImageField& f : fields)
        if (f.packs)
            for (int i = 0; i < f.count; ++i) PackElement(f, i, ctx, image, record);
}

void UnpackFields(std::span<const ImageField> fields, const ImageCodecContext& ctx, ModemParameters& record,
                  const ParameterImage& image) {
    for (const ImageField& f : fields)
        if (f.unpacks)
            for (int i = 0; i < f.count; ++i) UnpackElement(f, i, ctx, record, image);
}

}  // namespace image
}  // namespace k45
