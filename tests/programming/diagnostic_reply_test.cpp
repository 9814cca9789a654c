// The assembler of a diagnostic reply's block: records placed by their address, a block taken
// only when every byte came once from one reply, and the rest of an abandoned reply skipped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "programming/diagnostic_reply.h"
#include "serial/messages.h"

namespace k45 {
namespace {

using Status = DiagnosticReply::Status;

// One event at the assembler: a data record of reply 'A' or 'B' (its bytes tell the replies
// and positions apart), an end or acknowledgement record, or a new request (Reset).
struct Step {
    enum Kind { Data, End, Ack, Reset } kind;
    char reply = 'A';
    int address = 0;
    int count = 0;
};
Step D(char reply, int address, int count) { return {Step::Data, reply, address, count}; }
const Step kEnd{Step::End};
const Step kAck{Step::Ack};
const Step kReset{Step::Reset};

std::uint8_t ByteOf(char reply, int position) { return static_cast<std::uint8_t>((reply == 'A' ? 0 : 100) + position); }

SRecordMessage Record(const Step& s) {
    SRecordMessage rec;
    rec.recType = 'R';
    rec.recNum = s.kind == Step::Data ? 1 : s.kind == Step::End ? 9 : 8;
    rec.address = s.address;
    rec.dataCount = static_cast<std::int16_t>(s.count);
    for (int i = 0; i < s.count && i < kSRecordDataSlots; ++i)
        rec.data[static_cast<std::size_t>(i)] = ByteOf(s.reply, s.address + i);
    return rec;
}

struct Case {
    const char* what;
    std::vector<Step> steps;
    Status status;
    char from = 0;  // a complete block holds exactly this reply's bytes
};

TEST(DiagnosticReply, ABlockIsTakenOnlyWhenEveryByteCameOnceFromOneReply) {
    // clang-format off
    const Case cases[] = {
        {"one record of 42 bytes", {D('A', 0, 42)}, Status::Complete, 'A'},
        {"16 + 16 + 10 in order", {D('A', 0, 16), D('A', 16, 16), D('A', 32, 10)}, Status::Complete, 'A'},
        {"out of order by address", {D('A', 32, 10), D('A', 0, 16), D('A', 16, 16)}, Status::Complete, 'A'},
        {"three 16-byte records: the first 42 bytes", {D('A', 0, 16), D('A', 16, 16), D('A', 32, 16)},
         Status::Complete, 'A'},
        {"an acknowledgement in between is no data", {D('A', 0, 16), kAck, D('A', 16, 26)}, Status::Complete, 'A'},
        {"a record beyond the block only", {D('A', 0, 42), D('A', 48, 16)}, Status::Complete, 'A'},
        {"two records still missing", {D('A', 0, 16)}, Status::Collecting},
        {"a record twice", {D('A', 0, 16), D('A', 0, 16), D('A', 16, 16), D('A', 32, 10)}, Status::Refused},
        {"records that overlap", {D('A', 0, 16), D('A', 8, 16), D('A', 24, 18)}, Status::Refused},
        {"a gap, then the end", {D('A', 0, 16), D('A', 32, 10), kEnd}, Status::Refused},
        {"the end before the block is whole", {D('A', 0, 16), D('A', 16, 16), kEnd}, Status::Refused},
        {"data after the end", {D('A', 0, 16), kEnd, D('A', 16, 26)}, Status::Refused},
        {"a record with a negative address", {D('A', -16, 16), D('A', 0, 42)}, Status::Refused},
        {"the head of a second reply mixed in", {D('A', 0, 16), D('A', 16, 16), D('B', 0, 16), D('B', 16, 16),
         D('B', 32, 10)}, Status::Refused},
        // A resend while a reply is under way: its tail is skipped, up to its end...
        {"the tail of an abandoned reply, then the next reply", {D('A', 0, 16), kReset, D('A', 16, 16),
         D('A', 32, 10), kEnd, D('B', 0, 16), D('B', 16, 16), D('B', 32, 10)}, Status::Complete, 'B'},
        // ... or to the next reply's first record, when the abandoned one's end never came.
        {"an abandoned reply without its end", {D('A', 0, 16), kReset, D('A', 16, 16), D('B', 0, 16),
         D('B', 16, 16), D('B', 32, 10)}, Status::Complete, 'B'},
        {"two resends while the first reply is under way", {D('A', 0, 16), kReset, D('A', 16, 16), kReset,
         D('A', 32, 10), kEnd, D('B', 0, 42)}, Status::Complete, 'B'},
        {"a short reply and a new request", {D('A', 0, 16), kEnd, kReset, D('B', 0, 16), D('B', 16, 26)},
         Status::Complete, 'B'},
        {"data after the end, then a new request", {D('A', 0, 16), kEnd, D('A', 16, 16), kReset, D('A', 32, 10),
         D('B', 0, 42)}, Status::Complete, 'B'},
        {"a taken block, then a new request", {D('A', 0, 42), kReset, D('B', 0, 16), D('B', 16, 26)},
         Status::Complete, 'B'},
        {"a new request before any record", {kReset, D('A', 16, 16), D('A', 0, 16), D('A', 32, 10)},
         Status::Complete, 'A'},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DiagnosticReply reply;
        Status last = Status::Collecting;
        for (const Step& s : c.steps) {
            if (s.kind == Step::Reset) {
                reply.Reset();
                last = reply.status();
                continue;
            }
            last = reply.Take(Record(s));
        }
        EXPECT_EQ(last, c.status);
        EXPECT_EQ(reply.status(), c.status);
        EXPECT_EQ(reply.complete(), c.status == Status::Complete);
        if (c.status != Status::Complete) continue;
        EXPECT_EQ(reply.count(), DiagnosticReply::kBlockSize);
        ASSERT_EQ(reply.block().size(), static_cast<std::size_t>(DiagnosticReply::kBlockSize));
        for (int i = 0; i < DiagnosticReply::kBlockSize; ++i)
            EXPECT_EQ(reply.block()[static_cast<std::size_t>(i)], ByteOf(c.from, i)) << "byte " << i;
    }
}

TEST(DiagnosticReply, TheCountIsTheBytesOfTheBlockInHandAndResetStartsAgain) {
    DiagnosticReply reply;
    EXPECT_EQ(reply.Take(Record(D('A', 16, 16))), Status::Collecting);
    EXPECT_EQ(reply.count(), 16);
    EXPECT_EQ(reply.Take(Record(D('A', 32, 16))), Status::Collecting);
    EXPECT_EQ(reply.count(), 26);  // the bytes beyond the block are not counted
    reply.Reset();
    EXPECT_EQ(reply.count(), 0);
    EXPECT_EQ(reply.status(), Status::Collecting);
}

// Which records belong to a diagnostic reply, whatever the dialogue awaits: the data and end
// records, and the one acknowledgement that follows them; a bare acknowledgement does not.
TEST(DiagnosticReply, AnAcknowledgementBelongsToAReplyOnlyAfterItsDataOrEnd) {
    struct Case {
        const char* what;
        std::vector<Step> steps;
        std::vector<bool> ofReply;  // per step (Reset steps excepted)
    };
    // clang-format off
    const Case cases[] = {
        {"a bare acknowledgement", {kAck, kAck}, {false, false}},
        {"a whole reply, then a bare acknowledgement", {D('A', 0, 42), kEnd, kAck, kAck}, {true, true, true, false}},
        {"a reply in records", {D('A', 0, 16), D('A', 16, 26), kEnd, kAck}, {true, true, true, true}},
        {"an end without data", {kEnd, kAck, kAck}, {true, true, false}},
        {"a reply cut short by a new request", {D('A', 0, 16), kReset, kAck}, {true, false}},
        {"two replies back to back", {D('A', 0, 42), kEnd, kAck, D('B', 0, 42), kEnd, kAck, kAck},
         {true, true, true, true, true, true, false}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DiagnosticReply reply;
        std::vector<bool> seen;
        for (const Step& s : c.steps) {
            if (s.kind == Step::Reset) reply.Reset();
            else seen.push_back(reply.OfReply(Record(s)));
        }
        EXPECT_EQ(seen, c.ofReply);
    }
    DiagnosticReply lapsed;
    EXPECT_TRUE(lapsed.OfReply(Record(D('A', 0, 16))));
    lapsed.Lapse();  // the reply went silent
    EXPECT_FALSE(lapsed.OfReply(Record(kAck)));
}

}  // namespace
}  // namespace k45
