#pragma once
// The modem's 640-byte parameter memory and its codecs. Each layout is a table of fields
// (offset, encoding, record field) run by one generic pack and one generic unpack.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <type_traits>
#include <utility>

#include "model/app_state.h"
#include "model/records.h"
#include "platform/message_box.h"

namespace k45 {

inline constexpr int kParameterImageBytes = 640;
// The modem's parameter memory byte for byte; multi-byte values big-endian.
using ParameterImage = std::array<std::uint8_t, kParameterImageBytes>;

enum class ImageLayout { None, RNetV02, RNetV03, PNetV06 };

// The layout the header pair selects: (2, 4) RNet V02, (3, 4) RNet V03, (6 or more, 6) PNet V06.
ImageLayout SelectImageLayout(int eepromVersion, int model);

inline constexpr const char* kModemTypeNotCorrect = "Modem Type is not correct!";

// What the codecs need besides the record: the signature, the radio spec table of
// testDefaults and the RSSI curves (records), engineerMode for the synthesizer grid (modes),
// and the present local date and time for the setup stamp.
struct ImageCodecContext {
    const ModeFlags& modes;
    const SharedRecords& records;
    std::int64_t nowLocal;  // seconds since 1970-01-01 of the local wall clock
};

// Packs `record` into `image` with the layout its eepromVersion and model select. The record's
// signature and setupTime (stamped with the present local time, LocalNowSeconds, or nowLocal)
// are updated as the layouts do. When no layout matches, leaves the image untouched and returns
// "Modem Type is not correct!" for the caller to show: there is nothing to send.
Outcome EncodeParameterImage(const ModeFlags& modes, const SharedRecords& records, const Services& services,
                             ParameterImage& image, ModemParameters& record);
Outcome EncodeParameterImage(const ModeFlags& modes, const SharedRecords& records, ParameterImage& image,
                             ModemParameters& record, std::int64_t nowLocal);

// Unpacks `image` into `record` with the layout its header selects. When no layout matches,
// leaves the record untouched (header fields included) and returns "Modem Type is not
// correct!" for the caller to show.
Outcome DecodeParameterImage(const ModeFlags& modes, const SharedRecords& records, ModemParameters& record,
                             const ParameterImage& image);

// Setup stamp in the image: seconds since 1969-12-31 20:00:00 of the local wall clock.
inline constexpr std::int64_t kSetupEpochOffset = 4 * 3600;

// Layout operations (called by the dispatch: the image is cleared and the header written
// before a pack; the header fields are set before an unpack).
void PNetV06PackParms(const ImageCodecContext& ctx, ParameterImage& image, ModemParameters& record);
void PNetV06UnpackParms(const ImageCodecContext& ctx, ModemParameters& record, const ParameterImage& image);
void RNetV03PackParms(const ImageCodecContext& ctx, ParameterImage& image, ModemParameters& record);
void RNetV03UnpackParms(const ImageCodecContext& ctx, ModemParameters& record, const ParameterImage& image);
void RNetV02PackParms(const ImageCodecContext& ctx, ParameterImage& image, ModemParameters& record);
void RNetV02UnpackParms(const ImageCodecContext& ctx, ModemParameters& record, const ParameterImage& image);

// Field encodings shared by the layouts.
namespace image {

// The single-precision values of the layouts' decimal scale factors.
inline constexpr double kTimingScale = static_cast<double>(307.2f);
inline constexpr double kDeviationScale0 = static_cast<double>(0.8f);
inline constexpr double kGainScale0 = static_cast<double>(1.32f);
inline constexpr double kGainScale1 = static_cast<double>(1.8f);
inline constexpr double kDeviationScale1 = 0.625;
inline constexpr double kPttScale = 18.75;
// Largest timing value whose code fits 16 bits.
inline constexpr int kMaxTimingValue = 213;

int SaturateByte(double v);                 // rounded to 0..255; NaN gives 0
int ClampByte(std::int64_t v);              // 0..255
int EncodeTimingCode(int t);                // t clamped to 0..213, times 307.2 single, rounded
int DecodeTimingCode(int word);
int EncodePttTimeoutCode(float seconds);    // seconds x 18.75 rounded, clamped to 0..65535
float DecodePttTimeoutCode(int word);       // to tenths of a second
int DeviationCode(const ModemParameters& r);
int RxGainCode(const ModemParameters& r);
bool FilterBit(const ModemParameters& r);

// How a field travels. Multi-byte encodings are big-endian.
enum class Codec : std::uint8_t {
    Constant,        // pack: `arg`; unpack: the byte
    Byte,            // saturated to 0..255
    SignedByte,      // -128..127 as two's complement, saturated
    Bit,             // bit `arg` of a flag byte; unpack gives -1 or 0
    BaudBits,        // bits 0..1: value And 3
    Word16,          // low 16 bits
    Long32,          // 0..4294967295
    PttTimeout,
    Timing,
    BandEdges,       // pack only: low and high band edge words at offset, offset + 2
    HighBand,        // unpack only: highBand from the low edge word at offset
    RadioCode,
    RangeCode,
    Signature,       // 10 bytes of the parameter signature
    Comment,         // 40 bytes
    SetupTime,       // 4 bytes, stamped with the present time on pack
    Synth,           // 13 bytes per channel; `arg` 1 Tx, 0 Rx
    InterpolatedMod,       // modAdj at the channel's Tx frequency
    InterpolatedFrontEnd,  // frontEndAdj at the channel's Rx frequency
    PowerSet,              // powerAdj at the Tx frequency, scaled by powerAdjust / 255
    RssiThreshold,   // RSSI A/D byte of a threshold code; `arg` 1 uses the default curve
    Action,          // unpack only: a step on the record
};

// Every field the tables reach is a whole number (the PTT time-out, the one floating field, has
// its own codec), so values travel as integers.
using Getter = std::int64_t (*)(const ModemParameters&, int element);
using Setter = bool (*)(ModemParameters&, int element, std::int64_t value);
using Step = void (*)(const ImageCodecContext&, ModemParameters&);

// A record field (or array) seen as numbers. `base` is added to the element index.
struct Access {
    Getter get = nullptr;
    Setter set = nullptr;
    int base = 0;
};

struct ImageField {
    int offset = 0;
    Codec codec = Codec::Byte;
    int count = 1;    // elements, laid out back to back
    int arg = 0;
    Access pack;      // no getter: the codec's own source (fixed fields), or nothing packed
    Access unpack;    // no setter: the codec's own target (fixed fields), or nothing read
    Step step = nullptr;
    bool packs = true;
    bool unpacks = true;
};

// Bytes one element of the encoding takes.
int CodecWidth(Codec c);

void PackFields(std::span<const ImageField> fields, const ImageCodecContext& ctx, ParameterImage& image,
                ModemParameters& record);
void UnpackFields(std::span<const ImageField> fields, const ImageCodecContext& ctx, ModemParameters& record,
                  const ParameterImage& image);

// The layout tables, for the codecs and for tests of the byte maps.
std::span<const ImageField> PNetV06Fields();
std::span<const ImageField> RNetV03Fields();
std::span<const ImageField> RNetV02Fields();

// Stores v into a field of type T when it fits; otherwise the field keeps its value.
template <typename T>
bool Store(T& target, std::int64_t v) {
    static_assert(std::is_integral_v<T>);
    if (!std::in_range<T>(v)) return false;
    target = static_cast<T>(v);
    return true;
}

template <typename A>
constexpr bool InRange(const A& a, int i) { return i >= 0 && static_cast<std::size_t>(i) < a.size(); }

// Accessors for the tables.
template <auto M>
constexpr Access Field() {
    return {[](const ModemParameters& r, int) { return static_cast<std::int64_t>(r.*M); },
            [](ModemParameters& r, int, std::int64_t v) { return Store(r.*M, v); }};
}
template <auto M>
constexpr Access Element(int base = 0) {
    return {[](const ModemParameters& r, int i) { return InRange(r.*M, i) ? static_cast<std::int64_t>((r.*M)[i]) : 0; },
            [](ModemParameters& r, int i, std::int64_t v) { return InRange(r.*M, i) && Store((r.*M)[i], v); }, base};
}
template <auto M>
constexpr Access FcColumn() {
    return {[](const ModemParameters& r, int i) { return InRange(r.fcAdj.*M, i) ? static_cast<std::int64_t>((r.fcAdj.*M)[i]) : 0; },
            [](ModemParameters& r, int i, std::int64_t v) { return InRange(r.fcAdj.*M, i) && Store((r.fcAdj.*M)[i], v); }};
}
template <auto M>
constexpr Access CalField() {
    return {[](const ModemParameters& r, int) { return static_cast<std::int64_t>(r.calTables.*M); },
            [](ModemParameters& r, int, std::int64_t v) { return Store(r.calTables.*M, v); }};
}
template <auto M>
constexpr Access CalElement() {
    return {[](const ModemParameters& r, int i) { return InRange(r.calTables.*M, i) ? static_cast<std::int64_t>((r.calTables.*M)[i]) : 0; },
            [](ModemParameters& r, int i, std::int64_t v) { return InRange(r.calTables.*M, i) && Store((r.calTables.*M)[i], v); }};
}
// Temperature-compensation cell (i / 8, i % 8): row by row.
Access RssiTempCell();
template <auto M>
constexpr Access ChannelFreq() {
    return {[](const ModemParameters& r, int i) { return InRange(r.channels, i) ? static_cast<std::int64_t>(r.channels[i].*M) : 0; },
            [](ModemParameters& r, int i, std::int64_t v) { return InRange(r.channels, i) && Store(r.channels[i].*M, v); }};
}

// Row builders: the same field both ways, pack only, unpack only, or a different source and target.
constexpr ImageField Both(int offset, Codec c, Access a = {}, int count = 1, int arg = 0) {
    return {offset, c, count, arg, a, a, nullptr, true, true};
}
constexpr ImageField PackOnly(int offset, Codec c, Access a = {}, int count = 1, int arg = 0) {
    return {offset, c, count, arg, a, {}, nullptr, true, false};
}
constexpr ImageField UnpackOnly(int offset, Codec c, Access a = {}, int count = 1, int arg = 0) {
    return {offset, c, count, arg, {}, a, nullptr, false, true};
}
constexpr ImageField Split(int offset, Codec c, Access from, Access to, int count = 1, int arg = 0) {
    return {offset, c, count, arg, from, to, nullptr, true, true};
}
constexpr ImageField UnpackStep(Step step) { return {0, Codec::Action, 1, 0, {}, {}, step, false, true}; }

}  // namespace image
}  // namespace k45
