// CR/LF lines: cutting received text into printable lines, whole, split and broken.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec_bytes.h"
#include "serial/crlf_codec.h"

namespace k45 {
namespace {

class LineRx {
public:
    void feed(const std::string& chunk) {
        DecodeInBatches(
            chunk, [&](std::string_view c, std::size_t& p) { return dec.decode(c, p); },
            [&](const DecodeResult& r) {
                ++batches;
                for (int n = 0; n < r.count; ++n) got.push_back(dec.line(r.ringIndex(n)));
            });
    }

    CrLfDecoder dec;
    std::vector<std::string> got;
    int batches = 0;
};

using Lines = std::vector<std::string>;

struct LineCase {
    const char* name;
    std::vector<std::string> chunks;
    Lines want;
};

class CrLfDecode : public ::testing::TestWithParam<LineCase> {};

TEST_P(CrLfDecode, CutsLines) {
    LineRx rx;
    for (const auto& c : GetParam().chunks) rx.feed(c);
    EXPECT_EQ(rx.got, GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CrLfDecode,
    ::testing::Values(
        LineCase{"CrLfAndCr", {"ABC\r\nDEF\r"}, {"ABC", "DEF"}},
        LineCase{"EmptyLinesSkipped", {"\r\n\r\n"}, {}},
        LineCase{"LfAlone", {"one\ntwo\n\rthree\r\r"}, {"one", "two", "three"}},
        LineCase{"SplitLine", {"AB", "C\n"}, {"ABC"}},
        LineCase{"Unterminated", {"no end"}, {}},
        LineCase{"TabAbandons", {"AB\tCD\r\n"}, {"CD"}},
        LineCase{"HighByteAbandons", {"AB\xE9" "CD\r\n"}, {"CD"}},
        LineCase{"RecordIsALine", {"R80200FD\r\n"}, {"R80200FD"}},
        LineCase{"BlanksKept", {"  x y  \r"}, {"  x y  "}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CrLfDecodeLimits, LineOf8192IsDeliveredOneLongerIsNot) {
    LineRx rx;
    const std::string max(8192, 'a');
    rx.feed(max + "\r");
    ASSERT_EQ(rx.got.size(), 1u);
    EXPECT_EQ(rx.got[0], max);

    // The 8193rd character abandons the line; the characters after it start a new one.
    rx.feed(std::string(8193, 'b') + "tail\r\n");
    ASSERT_EQ(rx.got.size(), 2u);
    EXPECT_EQ(rx.got[1], "tail");

    // The same when the line arrives in pieces.
    LineRx pieces;
    for (int i = 0; i < 8; ++i) pieces.feed(std::string(1024, 'c'));
    pieces.feed("d");
    pieces.feed("ef\n");
    ASSERT_EQ(pieces.got.size(), 1u);
    EXPECT_EQ(pieces.got[0], "ef");
}

TEST(CrLfDecodeLimits, SplitAtEveryPositionGivesTheSameLines) {
    const std::string stream = "K45MR v3.20 Copyright 2026\r\nR80200FD\r\n\x07junk\r\nlast line\rpartial";
    LineRx whole;
    whole.feed(stream);
    ASSERT_EQ(whole.got, (Lines{"K45MR v3.20 Copyright 2026", "R80200FD", "junk", "last line"}));
    test::FeedCutAtEveryPosition<LineRx>(stream, [&](const LineRx& split, std::size_t i) {
        EXPECT_EQ(split.got, whole.got) << "split at " << i;
    });
}

TEST(CrLfDecodeLimits, FortyLinesInOneChunkAreAllDeliveredInBatches) {
    std::string chunk;
    Lines want;
    for (int i = 0; i < 40; ++i) {
        want.push_back("line " + std::to_string(i));
        chunk += want.back() + "\r\n";
    }
    LineRx rx;
    rx.feed(chunk);
    EXPECT_EQ(rx.got, want);
    EXPECT_EQ(rx.batches, 2);
    EXPECT_EQ(rx.dec.ringIndex(), 8);
    EXPECT_EQ(rx.dec.line(7 + 32), "line 39");  // ring indices wrap
}

}  // namespace
}  // namespace k45
