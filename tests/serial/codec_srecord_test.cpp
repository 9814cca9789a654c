// S-records: the body builder byte for byte, the decoder on whole, split and broken input.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "codec_bytes.h"
#include "serial/srecord_codec.h"

namespace k45 {
namespace {

struct Rec {
    int recType = 0;
    int recNum = 0;
    int dataCount = 0;
    int address = 0;
    std::vector<int> data;
    bool operator==(const Rec&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rec& r) {
    os << "{" << static_cast<char>(r.recType) << r.recNum << " count " << r.dataCount << " addr " << r.address
       << " data";
    for (int v : r.data) os << ' ' << v;
    return os << '}';
}

class SRecordRx {
public:
    explicit SRecordRx(int firstSlot = 0) : tables(std::make_unique<RxMessageTables>()), dec(*tables, firstSlot) {}

    void feed(const std::string& chunk) {
        DecodeInBatches(
            chunk, [&](std::string_view c, std::size_t& p) { return dec.decode(c, p); },
            [&](const DecodeResult& r) {
                for (int n = 0; n < r.count; ++n) {
                    const SRecordMessage& m = tables->rxSRecordMessages[static_cast<std::size_t>(dec.firstSlot() + r.ringIndex(n))];
                    Rec rec{m.recType, m.recNum, m.dataCount, m.address, {}};
                    for (int i = 0; i < m.dataCount; ++i) rec.data.push_back(m.data[static_cast<std::size_t>(i)]);
                    got.push_back(rec);
                }
            });
    }

    std::unique_ptr<RxMessageTables> tables;
    SRecordDecoder dec;
    std::vector<Rec> got;
};

std::string Body(std::int32_t addr, const std::vector<std::uint8_t>& data) {
    auto b = MessSRecord(addr, std::span<const std::uint8_t>(data));
    EXPECT_TRUE(b.has_value()) << addr;
    return b.value_or("");
}

// ---- builder ----

TEST(SRecordBuild, WorkedExamples) {
    EXPECT_EQ(Body(0, {}), "030000FC");
    EXPECT_EQ(Body(32773, {}), "03800577");
    EXPECT_EQ(Body(256, {18, 52}), "0501001234B3");
    EXPECT_EQ(Body(65535, {1}), "0500FFFF01FB");
    EXPECT_EQ("S9" + Body(0, {}), "S9030000FC");
}

TEST(SRecordBuild, AddressWidthFollowsWhereTheDataEnd) {
    EXPECT_EQ(Body(65535, {}).substr(0, 6), "03FFFF");  // 2-byte address
    EXPECT_EQ(Body(65535, {1}).substr(0, 8), "0500FFFF");  // 3-byte address
    EXPECT_EQ(Body(65500, std::vector<std::uint8_t>(35, 0)).substr(0, 6), "26FFDC");  // ends at 65535: 2 bytes
    EXPECT_EQ(Body(65500, std::vector<std::uint8_t>(36, 0)).substr(0, 8), "2800FFDC");
}

TEST(SRecordBuild, RefusesDataThatDoNotFitOneRecord) {
    const std::vector<std::uint8_t> max16(252, 0xAA), over16(253, 0xAA), max24(251, 0xAA), over24(252, 0xAA);
    const std::string b = Body(0, max16);
    EXPECT_EQ(b.size(), 2u + 4u + 2u * 252u + 2u);
    EXPECT_EQ(b.substr(0, 2), "FF");
    EXPECT_FALSE(MessSRecord(0, std::span<const std::uint8_t>(over16)).has_value());
    const std::vector<std::uint8_t> msg300(300, 1);
    EXPECT_FALSE(MessSRecord(0, std::span<const std::uint8_t>(msg300)).has_value());
    EXPECT_TRUE(MessSRecord(0x10000, std::span<const std::uint8_t>(max24)).has_value());
    EXPECT_FALSE(MessSRecord(0x10000, std::span<const std::uint8_t>(over24)).has_value());

    const std::vector<std::uint8_t> one{1}, two{1, 2};
    EXPECT_EQ(MessSRecord(16777215, std::span<const std::uint8_t>(one)).value_or(""), "05FFFFFF01FC");
    EXPECT_FALSE(MessSRecord(16777215, std::span<const std::uint8_t>(two)).has_value());
    EXPECT_FALSE(MessSRecord(16777216, std::span<const std::uint8_t>()).has_value());
    EXPECT_FALSE(MessSRecord(-1, std::span<const std::uint8_t>()).has_value());

    const std::vector<std::int16_t> good{18, 52}, bad{18, 256}, negative{-1};
    EXPECT_EQ(MessSRecord(256, std::span<const std::int16_t>(good)).value_or(""), "0501001234B3");
    EXPECT_FALSE(MessSRecord(256, std::span<const std::int16_t>(bad)).has_value());
    EXPECT_FALSE(MessSRecord(256, std::span<const std::int16_t>(negative)).has_value());
}

TEST(SRecordBuild, BodiesReadBackThroughTheDecoder) {
    SRecordRx rx;
    std::vector<std::uint8_t> data(252);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    rx.feed("S1" + Body(0x1234, data) + "\r\n");
    rx.feed("S2" + Body(0x123456, {9, 8, 7}) + "\r\n");
    ASSERT_EQ(rx.got.size(), 2u);
    EXPECT_EQ(rx.got[0], (Rec{'S', 1, 252, 0x1234, std::vector<int>(data.begin(), data.end())}));
    EXPECT_EQ(rx.got[1], (Rec{'S', 2, 3, 0x123456, {9, 8, 7}}));

    // A 2-byte-address body read back as type 8: status A / 256, then one data byte A mod 256.
    rx.feed("R8" + Body(0x8007, {}) + "\r\n");
    ASSERT_EQ(rx.got.size(), 3u);
    EXPECT_EQ(rx.got[2], (Rec{'R', 8, 1, 0x80, {7}}));
}

// ---- decoder ----

struct DecodeCase {
    const char* name;
    std::string input;
    std::vector<Rec> want;
};

class SRecordDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(SRecordDecode, Decodes) {
    SRecordRx rx;
    rx.feed(GetParam().input);
    EXPECT_EQ(rx.got, GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SRecordDecode,
    ::testing::Values(
        DecodeCase{"Ack", "R80200FD\r\n", {{'R', 8, 0, 0, {}}}},
        DecodeCase{"StatusWithData", "R803800775\r\n", {{'R', 8, 1, 128, {7}}}},
        DecodeCase{"End", "R9030000FC\r\n", {{'R', 9, 0, 0, {}}}},
        DecodeCase{"EndBadChecksum", "R9030000FD\r\n", {}},
        DecodeCase{"LowerCaseHex", "R9030000fc", {{'R', 9, 0, 0, {}}}},
        DecodeCase{"LowerCaseLetter", "r9030000FC", {}},
        DecodeCase{"AbandonedThenNext", "R1G R80200FD", {{'R', 8, 0, 0, {}}}},
        DecodeCase{"LetterInFront", "XR80200FD", {{'R', 8, 0, 0, {}}}},
        DecodeCase{"NoTerminatorNeeded", "R80200FDR9030000FC", {{'R', 8, 0, 0, {}}, {'R', 9, 0, 0, {}}}},
        // Count 01 with a 2-byte address: the checksum comes after the address bytes.
        DecodeCase{"CountBelowOverhead", "R1011234B8", {{'R', 1, -2, 0x1234, {}}}},
        DecodeCase{"TabAbandons", "R8020\t0FD\r\n", {}},
        DecodeCase{"CrAbandons", "R802\r00FD", {}},
        DecodeCase{"ThreeByteAddress", "R2050123450190", {{'R', 2, 1, 0x012345, {1}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SRecordDecodeStream, SplitAtEveryPositionGivesTheSameRecords) {
    std::string stream = "Version 1.0 Copyright\r\n";
    stream += "R80200FD\r\n";
    stream += "R1" + Body(0x0100, {0x12, 0x34, 0xAB, 0xCD, 0xEF}) + "\r\n";
    stream += "R1\x01" "0300\r\n";  // broken
    stream += "R803800775\r\n";
    stream += "R9030000FC\r";

    SRecordRx whole;
    whole.feed(stream);
    ASSERT_EQ(whole.got.size(), 4u);
    EXPECT_EQ(whole.got[1], (Rec{'R', 1, 5, 0x0100, {0x12, 0x34, 0xAB, 0xCD, 0xEF}}));
    test::FeedCutAtEveryPosition<SRecordRx>(stream, [&](const SRecordRx& split, std::size_t i) {
        EXPECT_EQ(split.got, whole.got) << "split at " << i;
    });
    SRecordRx byChar;
    for (char c : stream) byChar.feed(std::string(1, c));
    EXPECT_EQ(byChar.got, whole.got);
}

TEST(SRecordDecodeStream, FortyRecordsInOneChunkAreAllDelivered) {
    std::string chunk;
    for (int i = 0; i < 40; ++i) chunk += "R1" + Body(i * 16, {static_cast<std::uint8_t>(i)}) + "\r\n";
    SRecordRx rx(kSecondaryFirstSlot);
    rx.feed(chunk);
    ASSERT_EQ(rx.got.size(), 40u);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(rx.got[static_cast<std::size_t>(i)], (Rec{'R', 1, 1, i * 16, {i}}));
    EXPECT_EQ(rx.dec.ringIndex(), 8);
}

TEST(SRecordDecodeStream, StopsRightAfterTheThirtySecondRecord) {
    auto tables = std::make_unique<RxMessageTables>();
    SRecordDecoder dec(*tables);
    std::string chunk;
    for (int i = 0; i < 33; ++i) chunk += "R80200FD";
    std::size_t pos = 0;
    const DecodeResult r = dec.decode(chunk, pos);
    EXPECT_EQ(r.packed(), 32 * 256 + 0);
    EXPECT_EQ(pos, 32u * 8u);
    const DecodeResult rest = dec.decode(chunk, pos);
    EXPECT_EQ(rest.packed(), 1 * 256 + 0);
    EXPECT_EQ(pos, chunk.size());
}

}  // namespace
}  // namespace k45
