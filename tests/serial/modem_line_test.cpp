// Which line a received record answers: both acknowledgement forms, data at any address in
// arrival order, late and crossed replies, replies that show an earlier one lost, the lapse of
// what went unanswered, and the radio left behind on another device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/modem_line.h"
#include "serial/srecord_codec.h"

namespace k45 {
namespace {

// Records as the decoder leaves them in the table.
SRecordMessage Record(int type, std::int32_t address, std::vector<std::uint8_t> data = {}) {
    SRecordMessage r;
    r.recType = 'R';
    r.recNum = static_cast<std::uint16_t>(type);
    r.address = address;
    r.dataCount = static_cast<std::int16_t>(data.size());
    for (std::size_t i = 0; i < data.size(); ++i) r.data[i] = data[i];
    return r;
}
SRecordMessage Ack() { return Record(8, 0); }
SRecordMessage End() { return Record(9, 0); }
SRecordMessage Data(std::int32_t address, int count, std::uint8_t first = 0) {
    std::vector<std::uint8_t> d;
    for (int i = 0; i < count; ++i) d.push_back(static_cast<std::uint8_t>(first + i));
    return Record(1, address, d);
}

struct LineRig {
    ModemLine line;
    std::int64_t now = 0;
    int slot = 0;
    int a = 0, b = 0;  // two owners
    ReplyTag Tag(const int& owner, std::uint64_t command) const { return {&owner, command}; }
    void Send(const std::string& text, const ReplyTag& tag, int lapseMs = 500) { line.Sent(text, tag, lapseMs, now); }
    ReplyPart Take(const SRecordMessage& r) {
        slot = (slot + 1) % kRxTableSlots;
        return line.Take(slot, r, now);
    }
    // The tags of the closing records of a stream, in order.
    std::vector<ReplyTag> Closes(const std::vector<SRecordMessage>& records) {
        std::vector<ReplyTag> tags;
        for (const auto& r : records)
            if (const ReplyPart p = Take(r); p.kind == ReplyPart::Kind::Close) tags.push_back(p.tag);
        return tags;
    }
};

TEST(ModemLine, ACommandIsAnsweredByItsClosingRecordInEitherForm) {
    struct Case {
        const char* form;
        std::vector<SRecordMessage> reply;
    };
    const Case cases[] = {{"end pair", {End(), Ack()}}, {"bare", {Ack()}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        LineRig r;
        r.Send("T1000\r", r.Tag(r.a, 1));
        r.Send("T0\r", r.Tag(r.a, 2));
        std::vector<SRecordMessage> both = c.reply;
        both.insert(both.end(), c.reply.begin(), c.reply.end());
        EXPECT_EQ(r.Closes(both), (std::vector<ReplyTag>{r.Tag(r.a, 1), r.Tag(r.a, 2)}));
    }
}

TEST(ModemLine, DataIsTakenInArrivalOrderAtAnyAddressAndInAnySplit) {
    struct Case {
        const char* form;
        std::vector<SRecordMessage> data;
    };
    const Case cases[] = {
        {"memory addresses", {Data(4000, 16, 0), Data(4016, 14, 16), Data(6000, 12, 30)}},
        {"offsets from 0", {Data(0, 16, 0), Data(16, 16, 16), Data(32, 10, 32)}},
        {"one record", {Data(0, 42, 0)}},
        {"descending addresses", {Data(9000, 20, 0), Data(100, 22, 20)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        LineRig r;
        r.Send("AS\r", r.Tag(r.a, 1));
        ReplyPart last;
        for (const auto& d : c.data) last = r.Take(d);
        ASSERT_EQ(last.byteCount, 42);
        for (int i = 0; i < 42; ++i) EXPECT_EQ(last.bytes[static_cast<std::size_t>(i)], i);
        EXPECT_EQ(last.tag, r.Tag(r.a, 1));
        EXPECT_EQ(r.Take(End()).tag, r.Tag(r.a, 1));
        EXPECT_EQ(r.Take(Ack()).kind, ReplyPart::Kind::Close);
    }
}

TEST(ModemLine, TheSecondReplyToAResendAnswersTheResendNotTheNextCommand) {
    // A dialogue's lines lapse after twice its response time: a resend at the time-out keeps the
    // first line owed.
    LineRig r;
    r.Send("T1000\r", r.Tag(r.a, 1), 1000);
    r.now = 500;
    r.Send("T1000\r", r.Tag(r.a, 1), 1000);  // the resend, before the late first reply
    r.now = 560;
    EXPECT_EQ(r.Closes({End(), Ack()}), std::vector<ReplyTag>{r.Tag(r.a, 1)});
    r.Send("T0\r", r.Tag(r.a, 2), 1000);
    EXPECT_EQ(r.Closes({End(), Ack(), End(), Ack()}), (std::vector<ReplyTag>{r.Tag(r.a, 1), r.Tag(r.a, 2)}));
}

TEST(ModemLine, AReplyWithDataCannotAnswerACommandThatAnswersWithout) {
    LineRig r;
    // A record that lost its answer, then a poll: the poll's data passes the record by.
    r.Send("T1000\r", r.Tag(r.a, 1));
    r.Send("AS\r", r.Tag(r.a, 2));
    EXPECT_EQ(r.Take(Data(4000, 16)).tag, r.Tag(r.a, 2));
    // A data reply nobody asked for is a stray, and what is owed stays owed.
    LineRig s;
    s.Send("T1000\r", s.Tag(s.a, 1));
    EXPECT_EQ(s.Take(Data(4000, 16)).tag, ReplyTag{});
    EXPECT_EQ(s.Closes({End(), Ack(), End(), Ack()}), (std::vector<ReplyTag>{ReplyTag{}, s.Tag(s.a, 1)}));
    // A poll the modem did not answer, then a record: the record's acknowledgement is its own.
    LineRig p;
    p.Send("AS\r", p.Tag(p.a, 1));
    p.Send("T1000\r", p.Tag(p.a, 2));
    EXPECT_EQ(p.Closes({End(), Ack()}), std::vector<ReplyTag>{p.Tag(p.a, 2)});
    // With nothing but requests for data owed, a reply without data is the oldest one's.
    LineRig q;
    q.Send("AS\r", q.Tag(q.a, 1));
    q.Send("AT\r", q.Tag(q.a, 2));
    EXPECT_EQ(q.Take(Record(8, 1)).tag, q.Tag(q.a, 1));
    // A value carried in the closing record answers the request for it.
    LineRig v;
    v.Send("T1000\r", v.Tag(v.a, 1));
    v.Send("CSWITCH\r", v.Tag(v.a, 2));
    EXPECT_EQ(v.Take(Record(8, 0, {7})).tag, v.Tag(v.a, 2));
}

TEST(ModemLine, RepeatedDataOrDataAfterTheEndStartsTheNextReply) {
    struct Case {
        const char* what;
        std::vector<SRecordMessage> first;  // the first reply, its close lost
    };
    const Case cases[] = {
        {"a record repeated", {Data(4000, 16), Data(4016, 14)}},
        {"the end came, the close did not", {Data(4000, 16), Data(4016, 14), Data(6000, 12), End()}},
        {"the end came twice", {End()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LineRig r;
        r.Send("AT\r", r.Tag(r.a, 1));
        r.Send("AT\r", r.Tag(r.a, 2));
        for (const auto& x : c.first) r.Take(x);
        const ReplyPart next = c.first.size() == 1 ? r.Take(End()) : r.Take(Data(4000, 16));
        EXPECT_EQ(next.tag, r.Tag(r.a, 2));
        EXPECT_LE(next.byteCount, 16);
    }
}

TEST(ModemLine, WhatWentUnansweredLapsesAfterItsSilenceAndAtAReset) {
    LineRig r;
    r.Send("T1000\r", r.Tag(r.a, 1), 500);
    r.now = 499;
    r.Send("AS\r", r.Tag(r.b, 1), 500);  // the line is busy: nothing lapses yet
    r.now = 998;
    EXPECT_EQ(r.Take(Ack()).tag, r.Tag(r.a, 1));
    r.now = 1600;  // 600 ms without a record or a line
    EXPECT_EQ(r.Take(Ack()).tag, ReplyTag{});
    // A sender that still waits keeps its line owed past the silence.
    r.Send("AT\r", r.Tag(r.b, 2), 500);
    r.now = 2000;
    r.line.StillAwaited(r.Tag(r.b, 2), r.now);
    r.now = 2400;
    EXPECT_EQ(r.Take(Ack()).tag, r.Tag(r.b, 2));
    r.Send("T0\r", r.Tag(r.a, 2));
    r.line.Reset();
    EXPECT_EQ(r.Take(Ack()).tag, ReplyTag{});
}

TEST(ModemLine, ASkippedReplyIsMarkedToItsEnd) {
    LineRig r;
    r.Send("AT\r", r.Tag(r.a, 1));
    r.Take(Data(4000, 16));
    r.line.SkipUnderWay(r.Tag(r.a, 1));
    EXPECT_TRUE(r.Take(Data(4016, 14)).skipped);
    EXPECT_TRUE(r.Take(Ack()).skipped);
    r.Send("AT\r", r.Tag(r.a, 1));
    EXPECT_FALSE(r.Take(Data(4000, 16)).skipped);
}

TEST(ModemLine, ARadioThatMayTransmitIsLeftBehindWhenThePortLeadsToAnotherDevice) {
    ModemLine line;
    line.DeviceOpened("/dev/ttyUSB0");
    line.radio().mayTransmit = true;
    line.DeviceOpened("/dev/ttyUSB0");  // the same device again keeps its radio
    EXPECT_TRUE(line.radio().mayTransmit);
    EXPECT_FALSE(line.TakeLeftRadio());
    line.DeviceOpened("/dev/ttyUSB1");
    EXPECT_FALSE(line.radio().mayTransmit);
    EXPECT_EQ(line.TakeLeftRadio(), "/dev/ttyUSB0");
    EXPECT_FALSE(line.TakeLeftRadio());  // told once
    line.DeviceOpened("/dev/ttyUSB2");   // nothing keyed on the last one
    EXPECT_FALSE(line.TakeLeftRadio());
}

TEST(ModemLine, OnlyTheRequestsForDataAwaitDataInTheirReply) {
    for (const char* line : {"AS\r", "AT\r", "DE\r", "DA\r", "NS\r", "RSSI\r", "CSWITCH\r", "REM0000ABCDAS\r"})
        EXPECT_TRUE(ReplyCarriesData(line)) << line;
    for (const char* line : {"T1000\r", "T0\r", "AR\r", "?\r", "CHANNEL03\r", "BALANCE05\r", "S1030000FC\r\n"})
        EXPECT_FALSE(ReplyCarriesData(line)) << line;
}

}  // namespace
}  // namespace k45
