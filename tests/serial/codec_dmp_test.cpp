// DMP frames: the builder byte for byte, the decoder on whole, split and broken input, single
// control characters and the simulated receive mode.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "codec_bytes.h"
#include "serial/dmp_codec.h"

namespace k45 {
namespace {

using test::Bytes;
using test::ToBytes;
using test::Wire;

struct Msg {
    std::optional<std::uint32_t> unitId = 0;
    int portIndex = 0;
    int funcCode = 0;
    bool dleFlag = false;
    std::string data;
    bool operator==(const Msg&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Msg& m) {
    return os << "{unit " << (m.unitId ? std::to_string(*m.unitId) : "none") << " port " << m.portIndex << " func " << m.funcCode << " dle "
              << m.dleFlag << " data " << ::testing::PrintToString(m.data) << "}";
}

class DmpRx {
public:
    explicit DmpRx(int firstSlot = 0) : tables(std::make_unique<RxMessageTables>()), dec(*tables, firstSlot) {}

    void feed(const std::string& chunk) {
        DecodeInBatches(
            chunk, [&](std::string_view c, std::size_t& p) { return dec.decode(c, p, settings); },
            [&](const DecodeResult& r) {
                for (int n = 0; n < r.count; ++n) {
                    const DmpMessage& m = tables->rxDmpMessages[static_cast<std::size_t>(dec.firstSlot() + r.ringIndex(n))];
                    got.push_back(Msg{m.unitId, m.portIndex, m.funcCode, m.dleFlag, m.data});
                }
            });
    }

    std::unique_ptr<RxMessageTables> tables;
    DmpDecoder dec;
    DmpSettings settings;
    std::vector<Msg> got;
};

std::string Build(std::string_view data, std::optional<std::uint32_t> id = 0, int func = 's', int port = 0) {
    auto f = MessDmp(data, id, func, port);
    EXPECT_TRUE(f.has_value());
    return f.value_or("");
}

// Closes a hand-made frame with its check character.
std::string WithCheck(const Bytes& frame) {
    int x = 0;
    for (int b : frame) x ^= b;
    Bytes all = frame;
    all.push_back(x);
    return Wire(all);
}

// ---- builder ----

TEST(DmpBuild, WorkedExamplesByteForByte) {
    EXPECT_EQ(ToBytes(Build("AB", 4660, 's', 0)),
              (Bytes{0x01, 0x41, 0x42, 0x43, 0x44, 0x2E, 0x30, 0x73, 0x02, 0x41, 0x42, 0x0D, 0x04, 0x60}));
    EXPECT_EQ(ToBytes(Build(Wire({0x04, 'X'}), 4660, 's', 0)),
              (Bytes{0x01, 0x41, 0x42, 0x43, 0x44, 0x2E, 0x30, 0x73, 0x10, 0x02, 0x04, 0x58, 0x10, 0x04, 0x32}));
    EXPECT_EQ(ToBytes(Build("", 0, 'r', -1)), (Bytes{0x01, 0x50, 0x72, 0x02, 0x04, 0x25}));
}

TEST(DmpBuild, PortOutsideRangeWritesNoPortButKeepsStx) {
    for (int port : {-1, 10, 32767}) {
        const Bytes b = ToBytes(Build("", 0, 'r', port));
        EXPECT_EQ(b, (Bytes{0x01, 0x50, 0x72, 0x02, 0x04, 0x25})) << port;
    }
    // A negative unit ID writes no letters.
    EXPECT_EQ(ToBytes(Build("", std::nullopt, 'r', -1)), (Bytes{0x01, 0x72, 0x02, 0x04, 0x75}));
}

TEST(DmpBuild, DleTransparencyEscapesControlCharacters) {
    const std::string data = Wire({0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x10, 0x13, 0x15, 'z'});
    const std::string frame = Build(data, 1, 'q', 3);
    // SOH "A" "." "3" "q" DLE STX, then each data character, with DLE before the escaped ones.
    const Bytes want = {0x01, 'A', '.', '3', 'q', 0x10, 0x02, 0x10, 0x00, 0x10, 0x01, 0x10, 0x02, 0x03, 0x04,
                        0x10, 0x05, 0x10, 0x06, 0x10, 0x10, 0x10, 0x13, 0x10, 0x15, 'z', 0x10, 0x04};
    const Bytes got = ToBytes(frame);
    ASSERT_EQ(got.size(), want.size() + 1);
    EXPECT_EQ(Bytes(got.begin(), got.end() - 1), want);

    DmpRx rx;
    rx.feed(frame);
    ASSERT_EQ(rx.got.size(), 1u);
    EXPECT_EQ(rx.got[0], (Msg{1, 3, 'q', true, data}));
}

TEST(DmpBuild, RefusesUnitIdsAndFunctionsThatDoNotFit) {
    EXPECT_TRUE(MessDmp("x", 4294967295u).has_value());
    EXPECT_FALSE(MessDmp("x", 1, 256).has_value());
    EXPECT_FALSE(MessDmp("x", 1, -1).has_value());
}

TEST(DmpBuild, UnitOfAnEnteredNumber) {
    const struct {
        double number;
        bool ok;
        std::optional<std::uint32_t> unit;
    } cases[] = {
        {0, true, 0u},
        {4660, true, 4660u},
        {4294967295.0, true, 4294967295u},
        {-1, true, std::nullopt},  // no letters
        {4294967296.0, false, std::nullopt},
        {12.5, false, std::nullopt},
        {std::nan(""), false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        std::optional<std::uint32_t> unit = 77u;
        EXPECT_EQ(DmpUnitOfNumber(c.number, &unit), c.ok);
        EXPECT_EQ(unit, c.ok ? c.unit : std::optional<std::uint32_t>(77u));
    }
}

// ---- decoder ----

TEST(DmpDecode, WorkedExamplesDecode) {
    DmpRx rx;
    rx.feed(Build("AB", 4660, 's', 0));
    rx.feed(Build(Wire({0x04, 'X'}), 4660, 's', 0));
    rx.feed(Build("", 0, 'r', -1));
    ASSERT_EQ(rx.got.size(), 3u);
    EXPECT_EQ(rx.got[0], (Msg{4660, 0, 115, false, "AB\r"}));
    EXPECT_EQ(rx.got[1], (Msg{4660, 0, 115, true, Wire({0x04, 'X'})}));
    EXPECT_EQ(rx.got[2], (Msg{0, -1, 114, false, ""}));
}

TEST(DmpDecode, SingleControlCharactersAreMessagesOfTheirOwn) {
    DmpRx rx;
    rx.feed(Wire({0x05, 'x', 0x06, 0x15, 0x13, 0x07}));
    ASSERT_EQ(rx.got.size(), 4u);
    const int codes[] = {5, 6, 21, 19};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(rx.got[i], (Msg{std::nullopt, -1, codes[i], false, ""}));
    EXPECT_TRUE(DmpNeedsAck(5));
    EXPECT_FALSE(DmpNeedsAck(21));
    for (int f : {'q', 's', 't', 'g'}) EXPECT_TRUE(DmpNeedsAck(f)) << static_cast<char>(f);
    for (int f : {int{'r'}, int{'a'}, 6}) EXPECT_FALSE(DmpNeedsAck(f)) << f;
}

struct BadCase {
    const char* name;
    std::string input;
    int messages;
};

class DmpBroken : public ::testing::TestWithParam<BadCase> {};

TEST_P(DmpBroken, AbandonsOrDropsTheFrame) {
    DmpRx rx;
    rx.feed(GetParam().input);
    EXPECT_EQ(static_cast<int>(rx.got.size()), GetParam().messages);
}

std::string BadCheck() {
    std::string f = WithCheck({0x01, 'A', 'q', 0x02, 'h', 'i', 0x0D, 0x04});
    f.back() = static_cast<char>(f.back() ^ 0x40);
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DmpBroken,
    ::testing::Values(
        BadCase{"GoodCheckQ", WithCheck({0x01, 'A', 'q', 0x02, 'h', 'i', 0x0D, 0x04}), 1},
        BadCase{"WrongCheck", BadCheck(), 0},
        BadCase{"EightLetters", WithCheck({0x01, 'O', 'O', 'O', 'O', 'O', 'O', 'O', 'O', 's', 0x04}), 1},
        BadCase{"NineLetters", WithCheck({0x01, 'A', 'A', 'A', 'A', 'A', 'A', 'A', 'A', 'A', 's', 0x04}), 0},
        BadCase{"DleWithoutTransparency", WithCheck({0x01, 'A', 's', 0x02, 'a', 0x10, 'b', 0x04}), 0},
        BadCase{"PortNotADigit", WithCheck({0x01, 'A', '.', 'x', 's', 0x04}), 0},
        BadCase{"UpperFunctionAfterPort", WithCheck({0x01, 'A', '.', '1', 'S', 0x04}), 0},
        BadCase{"JunkAfterFunction", WithCheck({0x01, 'A', 's', 'x', 0x02, 0x04}), 0},
        // An SOH in the header abandons the frame without starting one; the rest is ignored.
        BadCase{"SohInHeader", Wire({0x01, 'A', 0x01}) + WithCheck({'B', 's', 0x04}), 0},
        BadCase{"Garbage", "hello " + Wire({0x02, 0x04, 0x10, 0xFF}), 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DmpDecode, LettersAndPortRead) {
    DmpRx rx;
    rx.feed(WithCheck({0x01, 'O', 'O', 'O', 'O', 'O', 'O', 'O', 'O', '.', '9', 't', 0x04}));
    rx.feed(WithCheck({0x01, 's', 0x02, 'd', 0x04}));  // no letters
    rx.feed(WithCheck({0x01, 'A', 'P', 'g', 0x04}));
    ASSERT_EQ(rx.got.size(), 3u);
    EXPECT_EQ(rx.got[0], (Msg{4294967295.0, 9, 't', false, ""}));
    EXPECT_EQ(rx.got[1], (Msg{0, -1, 's', false, "d"}));
    EXPECT_EQ(rx.got[2], (Msg{16, -1, 'g', false, ""}));
}

TEST(DmpDecode, DleTransparencyKeepsDleAndBareEotAsData) {
    DmpRx rx;
    // The check leaves out the three prefix DLEs and covers the data DLE.
    rx.feed(Wire({0x01, 'A', 's', 0x10, 0x02, 'a', 0x10, 0x10, 0x04, 'b', 0x10, 0x04, 0x22}));
    ASSERT_EQ(rx.got.size(), 1u);
    EXPECT_EQ(rx.got[0].data, Wire({'a', 0x10, 0x04, 'b'}));
    EXPECT_TRUE(rx.got[0].dleFlag);
}

TEST(DmpDecode, DataLimitIs1025Characters) {
    for (int len : {1024, 1025, 1026}) {
        Bytes frame = {0x01, 'A', 'r', 0x02};
        frame.insert(frame.end(), static_cast<std::size_t>(len), 'd');
        frame.push_back(0x04);
        DmpRx rx;
        rx.feed(WithCheck(frame));
        EXPECT_EQ(rx.got.size(), len <= 1025 ? 1u : 0u) << len;
        if (!rx.got.empty()) {
            EXPECT_EQ(rx.got[0].data.size(), static_cast<std::size_t>(len));
        }
    }
    // The limit holds wherever the chunks are cut.
    for (int len : {1025, 1026}) {
        Bytes frame = {0x01, 'A', 'r', 0x02};
        frame.insert(frame.end(), static_cast<std::size_t>(len), 'd');
        frame.push_back(0x04);
        const std::string wire = WithCheck(frame) + Wire({0x15});
        // Cuts in the header, through the data, around the limit and in the tail; every
        // position would cost minutes under the sanitizers for nothing more.
        std::vector<std::size_t> cuts;
        for (std::size_t i = 1; i < wire.size(); ++i)
            if (i < 10 || i % 61 == 0 || (i > 1020 && i < 1036) || i + 10 > wire.size()) cuts.push_back(i);
        for (std::size_t i : cuts) {
            DmpRx rx;
            rx.feed(wire.substr(0, i));
            rx.feed(wire.substr(i));
            ASSERT_EQ(rx.got.size(), len == 1025 ? 2u : 1u) << len << " split at " << i;
            EXPECT_EQ(rx.got.back().funcCode, 21);
        }
    }
    // The builder's CR counts too: 1024 characters of data arrive as 1025.
    DmpRx rx;
    rx.feed(Build(std::string(1024, 'd')) + Build(std::string(1025, 'd')));
    ASSERT_EQ(rx.got.size(), 1u);
    EXPECT_EQ(rx.got[0].data.size(), 1025u);
}

TEST(DmpDecode, SimulatedModeTakesTheChunkAsOneMessage) {
    DmpRx rx;
    const std::string start = Wire({0x01, 'A', 's', 0x02, 'h'});
    rx.feed(start);  // a frame in progress stays pending across simulated chunks
    rx.settings = DmpSettings{true, 115};
    rx.feed("12345");
    rx.feed(Wire({0x06}));
    rx.settings = DmpSettings{};
    const std::string full = WithCheck({0x01, 'A', 's', 0x02, 'h', 'i', 0x04});
    rx.feed(full.substr(start.size()));
    ASSERT_EQ(rx.got.size(), 3u);
    EXPECT_EQ(rx.got[0], (Msg{1, 1, 115, false, "12345"}));
    EXPECT_EQ(rx.got[1], (Msg{1, 1, 115, false, Wire({0x06})}));
    EXPECT_EQ(rx.got[2], (Msg{1, -1, 's', false, "hi"}));
}

TEST(DmpDecode, SplitAtEveryPositionGivesTheSameMessages) {
    std::string stream = "noise" + Build("AB", 4660, 's', 0) + Wire({0x05});
    stream += Build(Wire({0x04, 'X', 0x10, 0x00}), 305419896, 'q', 7);
    stream += WithCheck({0x01, 'A', 's', 0x02, 'a', 0x10, 'b', 0x04});  // abandoned
    stream += Build("", 0, 'r', -1) + Wire({0x15});

    DmpRx whole;
    whole.feed(stream);
    ASSERT_EQ(whole.got.size(), 5u);
    EXPECT_EQ(whole.got[2], (Msg{305419896, 7, 'q', true, Wire({0x04, 'X', 0x10, 0x00})}));
    test::FeedCutAtEveryPosition<DmpRx>(stream, [&](const DmpRx& split, std::size_t i) {
        EXPECT_EQ(split.got, whole.got) << "split at " << i;
    });
}

TEST(DmpDecode, MoreThan32MessagesInOneChunkAreAllDelivered) {
    std::string chunk;
    for (int i = 0; i < 70; ++i) chunk += Build(std::to_string(i), i, 's', i % 10);
    DmpRx rx(kSecondaryFirstSlot);
    rx.feed(chunk);
    ASSERT_EQ(rx.got.size(), 70u);
    for (int i = 0; i < 70; ++i)
        EXPECT_EQ(rx.got[static_cast<std::size_t>(i)], (Msg{static_cast<double>(i), i % 10, 's', false, std::to_string(i) + "\r"}));
    EXPECT_EQ(rx.tables->rxDmpMessages[0].funcCode, 0);  // the primary half is untouched
}

}  // namespace
}  // namespace k45
