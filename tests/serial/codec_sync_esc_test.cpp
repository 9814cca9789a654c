// Sync/escape and RS485 frames: builders byte for byte, decoders on whole, split, broken and
// overlong input.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "codec_bytes.h"
#include "serial/sync_esc_codec.h"

namespace k45 {
namespace {

using test::Bytes;
using test::ToBytes;
using test::Wire;

std::vector<std::uint8_t> U8(const Bytes& b) { return {b.begin(), b.end()}; }

struct Frame {
    int opCode = 0;
    int dst = -1;
    int src = -1;
    Bytes data;
    bool operator==(const Frame&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Frame& f) {
    os << "{op " << f.opCode << " dst " << f.dst << " src " << f.src << " data";
    for (int v : f.data) os << ' ' << v;
    return os << '}';
}

// Decoders of both kinds fed chunk by chunk; every completed frame is copied out at once,
// as a window would during its callback.
class SyncEscRx {
public:
    explicit SyncEscRx(int firstSlot = 0)
        : tables(std::make_unique<RxMessageTables>()), plain(*tables, firstSlot), rs485(*tables, firstSlot) {}

    void feed(const std::string& chunk) {
        DecodeInBatches(
            chunk, [&](std::string_view c, std::size_t& p) { return plain.decode(c, p, settings); },
            [&](const DecodeResult& r) {
                dribble += r.dribble;
                ++batches;
                for (int n = 0; n < r.count; ++n) {
                    const auto& m = tables->rxSyncEscMessages[static_cast<std::size_t>(plain.firstSlot() + r.ringIndex(n))];
                    Frame f{m.opCode, -1, -1, {}};
                    f.data.assign(m.data.begin(), m.data.begin() + m.length);
                    frames.push_back(f);
                }
            });
        DecodeInBatches(
            chunk, [&](std::string_view c, std::size_t& p) { return rs485.decode(c, p, settings); },
            [&](const DecodeResult& r) {
                rsDribble += r.dribble;
                for (int n = 0; n < r.count; ++n) {
                    const auto& m = tables->rxRs485Messages[static_cast<std::size_t>(rs485.firstSlot() + r.ringIndex(n))];
                    Frame f{m.opCode, m.dstAddr, m.srcAddr, {}};
                    f.data.assign(m.data.begin(), m.data.begin() + m.length);
                    rsFrames.push_back(f);
                }
            });
    }

    std::unique_ptr<RxMessageTables> tables;
    SyncEscDecoder plain;
    Rs485Decoder rs485;
    SyncEscSettings settings;
    std::vector<Frame> frames, rsFrames;
    int dribble = 0, rsDribble = 0, batches = 0;
};

std::string Plain(const SyncEscSettings& s, const Bytes& message) {
    auto f = MessSyncEsc(s, std::span<const std::uint8_t>(U8(message)));
    EXPECT_TRUE(f.has_value());
    return f.value_or("");
}

// ---- builders ----

struct BuildCase {
    const char* name;
    bool extended;
    int dst;  // -1: plain
    Bytes message;
    Bytes frame;
};

class SyncEscBuild : public ::testing::TestWithParam<BuildCase> {};

TEST_P(SyncEscBuild, WritesTheFrameByteForByte) {
    const BuildCase& c = GetParam();
    SyncEscSettings s;
    s.extendedLength = c.extended;
    const auto msg = U8(c.message);
    auto frame = c.dst < 0 ? MessSyncEsc(s, std::span<const std::uint8_t>(msg))
                           : MessSyncEscRS485(s, c.dst, std::span<const std::uint8_t>(msg));
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(ToBytes(*frame), c.frame);
    EXPECT_LE(frame->size(), MaxSyncEscFrameLength(s, c.message.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Examples, SyncEscBuild,
    ::testing::Values(
        BuildCase{"DataWithSync", false, -1, {0x10, 0x01, 0xBA}, {0xBA, 0x04, 0x10, 0x01, 0xDA, 0xBA, 0x31}},
        BuildCase{"OpcodeAlone", false, -1, {0x10}, {0xBA, 0x02, 0x10, 0xEE}},
        BuildCase{"Rs485ToUnit5", false, 5, {0x10, 0, 0, 0, 0, 0x01},
                  {0xBA, 0x07, 0x10, 0x00, 0x05, 0xFF, 0xFE, 0x01, 0xE6}},
        BuildCase{"TwoByteLen", true, -1, {0x10, 0x01}, {0xBA, 0x00, 0x03, 0x10, 0x01, 0xEC}},
        // An escaped value in the checksum and an ESC in the data.
        BuildCase{"EscInData", false, -1, {0x00, 0xDA}, {0xBA, 0x03, 0x00, 0xDA, 0xDA, 0x23}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SyncEscBuild, LenEqualToSyncIsEscaped) {
    SyncEscSettings s;
    const Bytes message(185, 0x01);  // LEN 186 = BA
    const std::string frame = Plain(s, message);
    ASSERT_GE(frame.size(), 3u);
    EXPECT_EQ(ToBytes(frame.substr(0, 3)), (Bytes{0xBA, 0xDA, 0xBA}));

    SyncEscRx rx;
    rx.feed(frame);
    ASSERT_EQ(rx.frames.size(), 1u);
    EXPECT_EQ(rx.frames[0].data, Bytes(184, 0x01));
    EXPECT_EQ(rx.dribble, 0);
}

TEST(SyncEscBuild, RefusesWhatTheFrameCannotCarry) {
    SyncEscSettings s;
    const std::vector<std::uint8_t> max254(254, 7), over255(255, 7), none;
    auto ok = MessSyncEsc(s, std::span<const std::uint8_t>(max254));
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(static_cast<unsigned char>((*ok)[1]), 255);  // LEN 255, the largest one byte holds
    EXPECT_FALSE(MessSyncEsc(s, std::span<const std::uint8_t>(over255)).has_value());
    EXPECT_FALSE(MessSyncEsc(s, std::span<const std::uint8_t>(none)).has_value());
    EXPECT_EQ(MaxSyncEscMessageLength(s), 254);

    s.extendedLength = true;
    EXPECT_EQ(MaxSyncEscMessageLength(s), 16383);
    const std::vector<std::uint8_t> big(16383, 0xBA), bigger(16384, 1);
    auto frame = MessSyncEsc(s, std::span<const std::uint8_t>(big));
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(frame->size(), 1u + 2u + 2u * big.size() + 1u);  // SYNC, LEN 40 00, data all escaped, CHK 7A
    EXPECT_FALSE(MessSyncEsc(s, std::span<const std::uint8_t>(bigger)).has_value());

    const std::vector<std::uint8_t> rsShort{0x10, 0, 0, 0};
    const std::vector<std::uint8_t> rsOk{0x10, 0, 0, 0, 0};
    s.extendedLength = false;
    EXPECT_FALSE(MessSyncEscRS485(s, 5, std::span<const std::uint8_t>(rsShort)).has_value());
    EXPECT_TRUE(MessSyncEscRS485(s, 65535, std::span<const std::uint8_t>(rsOk)).has_value());
    EXPECT_FALSE(MessSyncEscRS485(s, 65536, std::span<const std::uint8_t>(rsOk)).has_value());
    EXPECT_FALSE(MessSyncEscRS485(s, -1, std::span<const std::uint8_t>(rsOk)).has_value());

    const std::vector<std::int16_t> wide{0x10, 256};
    const std::vector<std::int16_t> negative{0x10, -1};
    const std::vector<std::int16_t> fine{0x10, 0x01, 0xBA};
    EXPECT_FALSE(MessSyncEsc(s, std::span<const std::int16_t>(wide)).has_value());
    EXPECT_FALSE(MessSyncEsc(s, std::span<const std::int16_t>(negative)).has_value());
    EXPECT_EQ(ToBytes(MessSyncEsc(s, std::span<const std::int16_t>(fine)).value_or("")),
              (Bytes{0xBA, 0x04, 0x10, 0x01, 0xDA, 0xBA, 0x31}));
}

TEST(SyncEscBuild, SenderFramesPlaceOpcodeAddressesAndData) {
    SyncEscSettings s;
    // Opcode-only: the opcode and one 0 byte in plain form; opcode and placeholders in RS485.
    EXPECT_EQ(ToBytes(FrameOpcodeOnly(s, 0x10).value_or("")), (Bytes{0xBA, 0x03, 0x10, 0x00, 0xED}));
    EXPECT_EQ(ToBytes(FrameOpcodeOnly(s, 0x10, 5).value_or("")),
              (Bytes{0xBA, 0x06, 0x10, 0x00, 0x05, 0xFF, 0xFE, 0xE8}));
    const std::vector<std::uint8_t> one{0x01};
    EXPECT_EQ(ToBytes(FrameOpcodeAndData(s, 0x10, one, 5).value_or("")),
              (Bytes{0xBA, 0x07, 0x10, 0x00, 0x05, 0xFF, 0xFE, 0x01, 0xE6}));
    const std::vector<std::uint8_t> twoBytes{0x01, 0xBA};
    EXPECT_EQ(ToBytes(FrameOpcodeAndData(s, 0x10, twoBytes).value_or("")),
              (Bytes{0xBA, 0x04, 0x10, 0x01, 0xDA, 0xBA, 0x31}));
    const std::vector<std::uint8_t> tooMany(250, 0);  // opcode + 4 + 250 > 254
    EXPECT_FALSE(FrameOpcodeAndData(s, 0x10, tooMany, 0).has_value());
    EXPECT_TRUE(FrameOpcodeAndData(s, 0x10, tooMany).has_value());
}

struct CompCase {
    int sync, esc, bits, wantSync, wantEsc;
};

TEST(SyncEscChars, CompensatedValuesStayDistinctInsideTheDataWidth) {
    const CompCase cases[] = {
        {186, 218, 8, 186, 218}, {186, 218, 7, 58, 90}, {186, 218, 6, 58, 26},
        {186, 218, 5, 27, 25},   {186, 218, 4, 11, 9},   {100, 100, 8, 101, 99}, {255, 255, 8, 255, 254},
        {0, 256, 8, 1, 0},       {31, 63, 5, 31, 30},
    };
    for (const auto& c : cases) {
        SyncEscSettings s{c.sync, c.esc, c.bits, false};
        EXPECT_EQ(GetCompensatedSyncChar(s), c.wantSync) << c.sync << "/" << c.esc << " at " << c.bits;
        EXPECT_EQ(GetCompensatedEscChar(s), c.wantEsc) << c.sync << "/" << c.esc << " at " << c.bits;
    }
}

// Narrow lines: bytes are masked to the data width before escaping, and the frame built in
// that width decodes again.
TEST(SyncEscBuild, NarrowDataWidthsMaskBytesBeforeEscaping) {
    struct Case {
        int dataBits;
        Bytes message;
        Bytes wire;
        Frame decoded;
    };
    const Case cases[] = {
        // SYNC 3A, ESC 5A: 0xBA is 0x3A on a 7-bit line, so it goes out escaped.
        {7, {0x10, 0xBA}, {0x3A, 0x03, 0x10, 0x5A, 0x3A, 0x33}, Frame{0x10, -1, -1, {0x3A}}},
        // SYNC 0B, ESC 09.
        {4, {0x10, 0x0B}, {0x0B, 0x03, 0x00, 0x09, 0x0B, 0x02}, Frame{0, -1, -1, {0x0B}}},
    };
    for (const Case& c : cases) {
        SyncEscSettings s;
        s.dataBits = c.dataBits;
        const std::string frame = Plain(s, c.message);
        EXPECT_EQ(ToBytes(frame), c.wire) << c.dataBits;
        SyncEscRx rx;
        rx.settings = s;
        rx.feed(frame);
        ASSERT_EQ(rx.frames.size(), 1u) << c.dataBits;
        EXPECT_EQ(rx.frames[0], c.decoded) << c.dataBits;
        EXPECT_EQ(rx.dribble, 0) << c.dataBits;
    }
}

// ---- decoders ----

TEST(SyncEscDecode, WorkedExamples) {
    SyncEscRx rx;
    rx.feed(Wire({0xBA, 0x04, 0x10, 0x01, 0xDA, 0xBA, 0x31}));
    ASSERT_EQ(rx.frames.size(), 1u);
    EXPECT_EQ(rx.frames[0], (Frame{16, -1, -1, {1, 186}}));
    EXPECT_EQ(rx.dribble, 0);

    rx.feed(Wire({0xBA, 0x04, 0x10, 0x01, 0xDA, 0xBA, 0x32}));  // bad checksum
    EXPECT_EQ(rx.frames.size(), 1u);
    EXPECT_EQ(rx.dribble, 0);

    rx.feed("text" + Wire({0xBA, 0x02, 0x10, 0xEE}));
    ASSERT_EQ(rx.frames.size(), 2u);
    EXPECT_EQ(rx.frames[1], (Frame{16, -1, -1, {}}));
    EXPECT_EQ(rx.dribble, 4);

    rx.settings.extendedLength = true;
    rx.feed(Wire({0xBA, 0x00, 0x03, 0x10, 0x01, 0xEC}));
    ASSERT_EQ(rx.frames.size(), 3u);
    EXPECT_EQ(rx.frames[2], (Frame{16, -1, -1, {1}}));
}

TEST(SyncEscDecode, Rs485FrameCarriesBothAddresses) {
    SyncEscRx rx;
    rx.feed(Wire({0xBA, 0x07, 0x10, 0x00, 0x05, 0xFF, 0xFE, 0x01, 0xE6}));
    ASSERT_EQ(rx.rsFrames.size(), 1u);
    EXPECT_EQ(rx.rsFrames[0], (Frame{16, 5, 65534, {1}}));
    const auto& slot = rx.tables->rxRs485Messages[0];
    EXPECT_FALSE(Rs485ForHost(slot));  // from the host itself

    Rs485Message m;
    m.srcAddr = 5;
    for (int dst : {65534, 65535}) {
        m.dstAddr = dst;
        EXPECT_TRUE(Rs485ForHost(m)) << dst;
    }
    m.dstAddr = 7;
    EXPECT_FALSE(Rs485ForHost(m));
}

struct GarbageCase {
    const char* name;
    Bytes input;
    int frames;
    int dribble;
};

class SyncEscGarbage : public ::testing::TestWithParam<GarbageCase> {};

TEST_P(SyncEscGarbage, CountsStrayBytesOncePerEvent) {
    const GarbageCase& c = GetParam();
    SyncEscRx rx;
    rx.feed(Wire(c.input));
    EXPECT_EQ(static_cast<int>(rx.frames.size()), c.frames);
    EXPECT_EQ(rx.dribble, c.dribble);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SyncEscGarbage,
    ::testing::Values(
        // A second SYNC abandons the frame in progress and starts a new one.
        GarbageCase{"SyncInsideFrame", {0xBA, 0x04, 0x10, 0xBA, 0x02, 0x10, 0xEE}, 1, 1},
        // ESC followed by a plain byte abandons the frame; bytes up to the next SYNC count.
        GarbageCase{"BadEscape", {0xBA, 0x03, 0x10, 0xDA, 0x41, 0x01, 0x02, 0xBA, 0x02, 0x10, 0xEE}, 1, 3},
        GarbageCase{"LenOne", {0xBA, 0x01, 0x10, 0xBA, 0x02, 0x10, 0xEE}, 1, 2},
        GarbageCase{"LenZero", {0xBA, 0x00}, 0, 1},
        GarbageCase{"EscWhileHunting", {0xDA, 0xBA, 0x02, 0x10, 0xEE}, 1, 1},
        GarbageCase{"BadChecksumNotCounted", {0xBA, 0x02, 0x10, 0xEF, 0xBA, 0x02, 0x10, 0xEE}, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SyncEscDecode, Rs485LenBelowSixIsRefused) {
    SyncEscRx rx;
    rx.feed(Wire({0xBA, 0x05, 0x10, 0x00}));
    EXPECT_TRUE(rx.rsFrames.empty());
    EXPECT_EQ(rx.rsDribble, 1 + 2);  // the LEN, then the two bytes behind it while hunting
}

TEST(SyncEscDecode, SplitAtEveryPositionGivesTheSameFrames) {
    SyncEscSettings s;
    std::string stream = "xx";
    stream += Plain(s, {0x10, 0x01, 0xBA});
    stream += Plain(s, {0xDA, 0xBA, 0xDA, 0x00, 0xFF});
    stream += Wire({0xBA, 0x07, 0x10, 0x00, 0x05, 0xFF, 0xFE, 0x01, 0xE6});
    const std::vector<std::uint8_t> rsMsg{0x22, 0, 0, 0, 0, 0xBA, 0xDA};
    stream += MessSyncEscRS485(s, 0xBADA, std::span<const std::uint8_t>(rsMsg)).value_or("");

    SyncEscRx whole;
    whole.feed(stream);
    ASSERT_EQ(whole.frames.size(), 4u);  // the RS485 frames read as plain ones too
    // The second plain frame happens to read as an RS485 frame without data.
    ASSERT_EQ(whole.rsFrames.size(), 3u);
    EXPECT_EQ(whole.rsFrames[0], (Frame{0xDA, 0xBADA, 0x00FF, {}}));
    EXPECT_EQ(whole.rsFrames[2], (Frame{0x22, 0xBADA, 65534, {0xBA, 0xDA}}));

    test::FeedCutAtEveryPosition<SyncEscRx>(stream, [&](const SyncEscRx& split, std::size_t i) {
        EXPECT_EQ(split.frames, whole.frames) << "split at " << i;
        EXPECT_EQ(split.rsFrames, whole.rsFrames) << "split at " << i;
        EXPECT_EQ(split.dribble, whole.dribble) << "split at " << i;
        EXPECT_EQ(split.rsDribble, whole.rsDribble) << "split at " << i;
    });
    SyncEscRx byByte;
    for (char c : stream) byByte.feed(std::string(1, c));
    EXPECT_EQ(byByte.frames, whole.frames);
    EXPECT_EQ(byByte.rsFrames, whole.rsFrames);
}

TEST(SyncEscDecode, OverlongFrameIsDroppedAndCountedOnce) {
    SyncEscSettings s;
    s.extendedLength = true;
    // 10241 data bytes fit a slot; 10242 do not.
    std::vector<std::uint8_t> fits(10242, 0x55), over(10243, 0x55);
    fits[10241] = 0xBA;  // last data byte, escaped on the wire
    over[100] = 0xBA;    // an escaped SYNC inside the dropped frame starts nothing
    const std::string good = MessSyncEsc(s, std::span<const std::uint8_t>(fits)).value_or("");
    const std::string bad = MessSyncEsc(s, std::span<const std::uint8_t>(over)).value_or("");
    ASSERT_FALSE(good.empty());
    ASSERT_FALSE(bad.empty());

    SyncEscRx rx;
    rx.settings = s;
    rx.feed(bad + good + bad);
    ASSERT_EQ(rx.frames.size(), 1u);
    EXPECT_EQ(rx.frames[0].data.size(), 10241u);
    EXPECT_EQ(rx.frames[0].data.back(), 0xBA);
    EXPECT_EQ(rx.dribble, 2);
    EXPECT_EQ(rx.tables->rxSyncEscMessages[0].length, 10241);
}

TEST(SyncEscDecode, MoreThan32FramesInOneChunkAreAllDelivered) {
    SyncEscSettings s;
    std::string chunk;
    for (int i = 0; i < 75; ++i) chunk += Plain(s, {i, i, 255 - i});
    for (int firstSlot : {kPrimaryFirstSlot, kSecondaryFirstSlot}) {
        SyncEscRx rx(firstSlot);
        rx.feed(chunk);
        ASSERT_EQ(rx.frames.size(), 75u);
        for (int i = 0; i < 75; ++i) EXPECT_EQ(rx.frames[static_cast<std::size_t>(i)], (Frame{i, -1, -1, {i, 255 - i}}));
        EXPECT_EQ(rx.batches, 3);  // 32 + 32 + 11
        EXPECT_EQ(rx.plain.ringIndex(), 75 % 32);
    }
}

TEST(SyncEscDecode, PortsFillTheirOwnHalfOfTheTable) {
    auto tables = std::make_unique<RxMessageTables>();
    SyncEscDecoder primary(*tables, kPrimaryFirstSlot), secondary(*tables, kSecondaryFirstSlot);
    SyncEscSettings s;
    std::size_t p = 0, q = 0;
    const std::string a = Plain(s, {0x01}), b = Plain(s, {0x02});
    EXPECT_EQ(primary.decode(a, p, s).packed(), 256 + 0);
    EXPECT_EQ(secondary.decode(b, q, s).packed(), 256 + 0);
    EXPECT_EQ(tables->rxSyncEscMessages[0].opCode, 1);
    EXPECT_EQ(tables->rxSyncEscMessages[32].opCode, 2);
    EXPECT_EQ(tables->rxSyncEscMessages[64].opCode, 0);

    SyncEscDecoder wild(*tables, 40);  // would run past the table: falls back to 0
    EXPECT_EQ(wild.firstSlot(), 0);
}

}  // namespace
}  // namespace k45
