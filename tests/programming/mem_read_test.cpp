// The memory dump and browser, end to end in virtual time.
#include <gtest/gtest.h>

#include "base/hex_text.h"
#include "programming/mem_read.h"
#include "programming/programming_bench.h"

namespace k45::test {
namespace {

// The first address where the dump differs from the modem's memory; -1 when none does.
template <std::size_t N, std::size_t M>
int FirstDifference(const std::array<std::int16_t, N>& dumped, const std::array<std::uint8_t, M>& memory) {
    for (std::size_t a = 0; a < M; ++a)
        if (dumped[a] != memory[a]) return static_cast<int>(a);
    return -1;
}

class MemoryRead : public ProgrammingBench {
protected:
    MemoryRead() {
        mem.Load();
        mem.Activate();
    }
    bool RunToIdle(std::int64_t limit = 20000) {
        return sched.advanceUntil([this] { return mem.readState() == MemReadState::Idle; }, limit);
    }
    RecordingMemView view;
    MemReadDialogue mem{DialogueLinks::Of(ctx), view};
};

TEST_F(MemoryRead, DumpsTheEepromThenTheRam) {
    EXPECT_TRUE(view.updateEnabled);
    sched.advance(2000);
    EXPECT_TRUE(hostWrites().empty());  // nothing starts by itself
    mem.Update();
    EXPECT_FALSE(view.updateEnabled);
    ASSERT_TRUE(sched.advanceUntil([&] { return mem.readState() == MemReadState::RamRecords; }, 10000));
    ASSERT_TRUE(RunToIdle());
    const auto w = hostWrites();
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].bytes, "DE\r");
    EXPECT_EQ(w[1].bytes, "DA\r");
    for (std::size_t a = 0; a < 640; ++a) ASSERT_EQ(mem.eepromImage()[a], modem.image[a]) << a;
    for (std::size_t a = 0; a < 768; ++a) ASSERT_EQ(mem.ramImage()[a], modem.ram[a]) << a;
    EXPECT_TRUE(view.updateEnabled);
    EXPECT_EQ(view.value, ByteToHex2(modem.image[0]));  // shown after the dump
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(MemoryRead, SteppingWrapsAtTheEndsOfTheSelectedMemory) {
    struct Case { bool eeprom; const char* start; int step; const char* shown; };
    const Case cases[] = {
        {true, "027F", +1, "0000"},  {true, "0000", -1, "027F"},  {false, "02FF", +1, "0000"},
        {false, "0000", -1, "02FF"}, {true, "0275", +16, "0000"}, {true, "0005", -16, "027F"},
        {true, "0010", +16, "0020"}, {false, "027F", +1, "0280"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start) + " " + std::to_string(c.step));
        view.eeprom = c.eeprom;
        view.address = c.start;
        mem.StepAddress(c.step);
        EXPECT_EQ(view.address, c.shown);
    }
}

TEST_F(MemoryRead, ChoosingTheRamWrapsAnAddressBeyondIt) {
    mem.Update();
    ASSERT_TRUE(RunToIdle());
    view.address = "1234";
    view.eeprom = false;
    mem.DisplayMemoryValue();
    EXPECT_EQ(view.address, "0000");
    EXPECT_EQ(view.value, ByteToHex2(modem.ram[0]));
    view.address = "02fe";
    mem.DisplayMemoryValue();
    EXPECT_EQ(view.address, "02FE");
    EXPECT_EQ(view.value, ByteToHex2(modem.ram[766]));
}

TEST_F(MemoryRead, AnEarlyEndRecordStillMovesOnToTheRam) {
    modem.addFault({ModemFault::EarlyEnd, ModemStep::Dump, 30});
    mem.Update();
    ASSERT_TRUE(sched.advanceUntil([&] { return hostWrites("DA").size() == 1; }, 10000));
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(mem.eepromImage()[479], modem.image[479]);
    EXPECT_EQ(mem.eepromImage()[480], 0);  // never arrived: keeps its earlier value
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(MemoryRead, EachMemoryHoldsOnlyItsOwnAnswer) {
    // A modem that answers the EEPROM dump twice sends the copy after "DA" went out, ahead of
    // the RAM answer or late; a record sent twice in a row must not stand in for the last one.
    struct Case {
        const char* name;
        ModemFault fault;
    };
    const Case cases[] = {
        {"eeprom answered twice at once", {ModemFault::Twice, ModemStep::Dump, 0}},
        {"eeprom answered twice late", {ModemFault::Twice, ModemStep::Dump, 1000}},
        {"eeprom record sent twice", {ModemFault::DuplicateRecord, ModemStep::Dump, 5}},
        {"ram answered twice at once", {ModemFault::Twice, ModemStep::DumpRam, 0}},
        {"ram record sent twice", {ModemFault::DuplicateRecord, ModemStep::DumpRam, 5}},
    };
    for (std::size_t a = 624; a < 640; ++a) modem.image[a] = static_cast<std::uint8_t>(a);  // a lost top block shows
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemReadDialogue fresh{DialogueLinks::Of(ctx), view};  // images at 0
        mem.Unload();
        fresh.Load();
        fresh.Activate();
        modem.clearFaults();
        modem.addFault(c.fault);
        const std::size_t mark = hostWrites().size();
        fresh.Update();
        ASSERT_TRUE(sched.advanceUntil([&] { return fresh.readState() == MemReadState::Idle; }, 20000));
        sched.advance(5000);  // late copies change nothing
        EXPECT_EQ(FirstDifference(fresh.eepromImage(), modem.image), -1);
        EXPECT_EQ(FirstDifference(fresh.ramImage(), modem.ram), -1);
        EXPECT_TRUE(dialogs.boxes.empty());
        EXPECT_EQ(hostWrites().size() - mark, 2u);  // "DE" and "DA" once each
        fresh.Unload();
    }
}

TEST_F(MemoryRead, ARamAnswerThatEndsEarlyIsAFailedDump) {
    // The end record comes after 30 of the 48 RAM records: the dump does not pass for complete.
    modem.addFault({ModemFault::EarlyEnd, ModemStep::DumpRam, 30});
    dialogs.expectBox("Unable to Complete Reading of Memory!");
    mem.Update();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(view.updateEnabled);
    EXPECT_EQ(mem.ramImage()[479], modem.ram[479]);  // what arrived stays
    EXPECT_EQ(mem.ramImage()[480], 0);
}

TEST_F(MemoryRead, RamRecordsAreTakenUpToTheLastByteAndNoFurther) {
    mem.Update();
    ASSERT_TRUE(sched.advanceUntil([&] { return mem.readState() == MemReadState::RamRecords; }, 10000));
    // Ahead of the modem's own records, which end with the block at 752 much later.
    const std::uint8_t top[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::uint8_t beyond[16] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                                     0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    cable.inject(Direction::BtoA, DataRecord(752, top, 16) + "\r\n" + DataRecord(760, beyond, 16) + "\r\n");
    sched.advance(150);
    EXPECT_EQ(mem.ramImage()[752], 1);
    EXPECT_EQ(mem.ramImage()[767], 16);
    EXPECT_EQ(mem.ramImage()[768], 0);
    ASSERT_TRUE(RunToIdle());
}

TEST_F(MemoryRead, UpdateIsIgnoredWhileADumpRuns) {
    mem.Update();
    sched.advance(300);
    mem.Update();
    ASSERT_TRUE(RunToIdle());
    EXPECT_EQ(hostWrites("DE").size(), 1u);
}

TEST_F(MemoryRead, SilenceEndsTheDumpWithoutARetry) {
    modem.addFault({ModemFault::StopAfter, ModemStep::DumpRam, 10});
    mem.Update();
    ASSERT_TRUE(sched.advanceUntil(
        [&] { return mem.blocksReceived() == 10 && mem.readState() == MemReadState::RamRecords; }, 10000));
    const std::int64_t last = sched.nowMs();
    dialogs.expectBox("Unable to Complete Reading of Memory!");
    ASSERT_TRUE(RunToIdle());
    EXPECT_LE(sched.nowMs(), last + 1500);
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::None);
    EXPECT_TRUE(view.updateEnabled);
    EXPECT_EQ(mem.ramImage()[159], modem.ram[159]);  // what arrived stays
    sched.advance(10000);
    EXPECT_EQ(hostWrites().size(), 2u);
}

TEST_F(MemoryRead, ALateReadyRecordWhileTheFailureBoxIsOpenSendsNothing) {
    // The EEPROM dump ends without its ready record; that record turns up while the operator
    // still reads the failure box.
    BoxWithEvents box;
    ctx.state.dialogs = &box;
    modem.addFault({ModemFault::NoAck, ModemStep::Dump});
    box.expectBox("Unable to Complete Reading of Memory!");
    bool stateDuringBox = true;
    box.whileShown = [&] {
        cable.b().send(AckRecord() + "\r\n");
        sched.wait(500, true);
        stateDuringBox = mem.readState() == MemReadState::Idle;
    };
    mem.Update();
    ASSERT_TRUE(RunToIdle());
    sched.advance(5000);
    EXPECT_EQ(box.boxes.size(), 1u);
    EXPECT_TRUE(stateDuringBox);
    EXPECT_TRUE(hostWrites("DA").empty());
    EXPECT_EQ(mem.readState(), MemReadState::Idle);
    EXPECT_TRUE(view.updateEnabled);
    box.verify();
}

TEST_F(MemoryRead, ClosingDuringADumpAbandonsItQuietly) {
    mem.Update();
    sched.advance(300);
    mem.Unload();
    sched.advance(10000);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_TRUE(hostWrites("DA").empty());
}

}  // namespace
}  // namespace k45::test
