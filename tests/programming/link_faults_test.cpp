// What a technician meets on the bench during the modem dialogues: a pulled cable, line noise,
// a damaged record, a modem at the wrong speed, answering twice, restarting or slow, Cancel at
// any step, and a port that will not open. None may hang, crash or report a wrong or partial
// write as done, and the port must serve the next attempt.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "programming/rdwr_bench.h"

namespace k45::test {
namespace {

// Spelt out here: the test checks the texts themselves.
const char* const kWriteFailText = "Unit not responding to Program!";
const char* const kChannelFailText = "Unit not responding to Channel 8 Override!";
const char* const kEndFailText = "Unit not responding to Program Complete!";

class LinkFaults : public ReadWriteBench {
protected:
    LinkFaults() {
        hostRecord = ctx.state.mainParameters;
        hostRecord.comment = "Edited on the host";
        hostRecord.serialNumber = 777;
        hostRecord.channelOverride = 5;
        Reset();
    }
    // A fresh start for a case of a table: the host's and the modem's records as at first,
    // the client listening, no boxes.
    void Reset() {
        ctx.state.mainParameters = hostRecord;
        modem.clearFaults();
        modem.restarted = false;
        modem.replyDelayMs = 5;
        modem.endRecords = 0;
        EXPECT_TRUE(modem.loadRecord(ctx.state, modemRecord, kModemStamp));
        client.parms.clear();
        client.completes.clear();
        dlg.RegisterForParms(&client);
        dlg.RegisterForProgComplete(&client);
        dialogs.boxes.clear();
    }

    void Start(ParmsMode mode) {
        Open(mode, false);
        dlg.OK();
    }
    bool IsRead(ParmsMode mode) const { return mode == ParmsMode::ReadProgrammable || mode == ParmsMode::ReadAll; }
    // The box that ends a successful run of the mode.
    const char* DoneText(ParmsMode mode) const {
        if (mode == ParmsMode::ReadAll) return "Reading All Parameters Complete.";
        return IsRead(mode) ? "Reading Parameters Complete." : "Programming Complete!";
    }
    // The modem holds every byte the write was to send.
    void ExpectModemHoldsTheWrite() const {
        for (std::int32_t a = 0; a <= dlg.endAddress(); ++a)
            ASSERT_EQ(modem.image[static_cast<std::size_t>(a)], dlg.transferImage()[static_cast<std::size_t>(a)] & 0xFF)
                << "byte " << a;
    }
    // What a finished run must show: the done box, the clients told, the data in place.
    void ExpectSuccess(ParmsMode mode) {
        ASSERT_FALSE(dlg.loaded());
        ASSERT_FALSE(dialogs.boxes.empty());
        EXPECT_EQ(dialogs.boxes.back().text, DoneText(mode));
        if (IsRead(mode)) {
            EXPECT_TRUE(dlg.parmsWereFound());
            EXPECT_EQ(ctx.state.mainParameters.serialNumber, modemRecord.serialNumber);
            EXPECT_EQ(ctx.state.mainParameters.comment, modemRecord.comment);
            EXPECT_EQ(ctx.state.mainParameters, ModemHolds(ctx.state.mainParameters));
        } else {
            EXPECT_TRUE(dlg.programCompleted());
            ExpectModemHoldsTheWrite();
            EXPECT_EQ(modem.endRecords, 1);
        }
    }
    // What a failed run must show: no done box, the clients told of the failure, the host's
    // record untouched.
    void ExpectFailure(const ModemParameters& hostBefore) {
        EXPECT_FALSE(dlg.loaded());
        for (const auto& b : dialogs.boxes) EXPECT_NE(b.title, "Complete") << b.text;
        EXPECT_EQ(client.parms, std::vector<bool>{false});
        EXPECT_EQ(client.completes, std::vector<bool>{false});
        EXPECT_EQ(ctx.state.mainParameters, hostBefore);
    }
    // The port serves the next attempt: a read runs to its end.
    void ExpectNextReadWorks() {
        modem.clearFaults();
        modem.restarted = false;
        modem.replyDelayMs = 5;
        dialogs.boxes.clear();
        dialogs.expectBox("Reading Parameters Complete.");
        Start(ParmsMode::ReadProgrammable);
        ASSERT_TRUE(RunToClose());
        EXPECT_TRUE(dlg.parmsWereFound());
        const ModemParameters held = ModemHolds(ctx.state.mainParameters);
        EXPECT_EQ(ctx.state.mainParameters.serialNumber, held.serialNumber);
        EXPECT_EQ(ctx.state.mainParameters.comment, held.comment);
        EXPECT_TRUE(port->GetCommPortOpen());
    }
    // Runs until cond holds while the dialogue runs.
    void RunUntil(const std::function<bool()>& cond) { ASSERT_TRUE(sched.advanceUntil(cond, 60000)); }

    // The host's writes from the mark'th on that start with prefix.
    int WritesSince(std::size_t mark, const std::string& prefix) const {
        const auto w = hostWrites();
        int n = 0;
        for (std::size_t i = mark; i < w.size(); ++i) n += w[i].bytes.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    ModemParameters hostRecord;
};

// Where in a dialogue something happens, for the tables.
struct Moment {
    const char* name;
    ParmsMode mode;
    std::function<bool(const ParmsRdWrDialogue&)> reached;
};

bool DataRecords(const ParmsRdWrDialogue& d, int n) {
    return d.dialogueState() == ReadWriteState::AwaitData && d.stepCount() >= n;
}
bool BlocksAcknowledged(const ParmsRdWrDialogue& d, int n) {
    return d.dialogueState() == ReadWriteState::AwaitBlockAck && d.stepCount() == n;
}

TEST_F(LinkFaults, APulledCableEndsTheDialogueWithItsMessageAndThePortServesTheNextAttempt) {
    struct Case {
        Moment at;
        const char* lastBox;
    };
    const Case cases[] = {
        {{"read, between records", ParmsMode::ReadProgrammable, [](auto& d) { return DataRecords(d, 10); }}, kNoReadText},
        {{"write, a block in flight", ParmsMode::WriteProgrammable, [](auto& d) { return BlocksAcknowledged(d, 5); }},
         kWriteFailText},
        {{"write, at the redirect", ParmsMode::WriteAll,
          [](auto& d) { return d.dialogueState() == ReadWriteState::AwaitChannelAck; }},
         kChannelFailText},
        {{"write, at the end record", ParmsMode::WriteAll,
          [](auto& d) { return d.dialogueState() == ReadWriteState::AwaitEndAck; }},
         kEndFailText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at.name);
        Reset();
        const ModemParameters before = ctx.state.mainParameters;
        // The loss is reported, and the step in progress gives up at its time-out without
        // resending into the closed port.
        dialogs.expectBox("Lost Com Port 1\r\nThe adapter was unplugged.");
        dialogs.expectBox(c.lastBox);
        Start(c.at.mode);
        RunUntil([&] { return c.at.reached(dlg); });
        const std::size_t mark = hostWrites().size();
        cable.a().unplug();
        EXPECT_FALSE(port->GetCommPortOpen());
        ASSERT_TRUE(RunToClose(60000));
        ExpectFailure(before);
        EXPECT_EQ(dialogs.boxes.size(), 2u);
        EXPECT_EQ(hostWrites().size(), mark);
        EXPECT_EQ(mainFrame.counterText, "");

        cable.a().plugIn();
        ExpectNextReadWorks();
    }
}

TEST_F(LinkFaults, AModemThatRestartsDuringTheWriteIsNotReportedAsProgrammed) {
    // After a restart the modem answers every line as it answers "?": the version line, then
    // an acknowledgement that programs nothing.
    struct Case {
        const char* name;
        ParmsMode mode;
        ModemFault fault;
        const char* box;
    };
    const Case cases[] = {
        {"at the fifth block", ParmsMode::WriteProgrammable, {ModemFault::Reset, ModemStep::Program, 0, 1, 4}, kWriteFailText},
        {"at the last block", ParmsMode::WriteAll, {ModemFault::Reset, ModemStep::Program, 0, 1, 19}, kWriteFailText},
        {"at the redirect", ParmsMode::WriteAll, {ModemFault::Reset, ModemStep::Channel}, kChannelFailText},
        {"at the end record", ParmsMode::WriteAll, {ModemFault::Reset, ModemStep::End}, kEndFailText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        const ModemParameters before = ctx.state.mainParameters;
        modem.addFault(c.fault);
        dialogs.expectBox(c.box);
        Start(c.mode);
        ASSERT_TRUE(RunToClose());
        EXPECT_TRUE(modem.restarted);
        ExpectFailure(before);
        EXPECT_EQ(dialogs.boxes.back().title, "Error");
        // Nothing more went out once the restart was seen.
        EXPECT_EQ(modem.received.back().text.substr(0, 2), std::string(c.fault.step == ModemStep::Channel ? "CH"
                                                                       : c.fault.step == ModemStep::End ? "S9" : "S1"));
        ExpectNextReadWorks();
    }
}

TEST_F(LinkFaults, AModemThatAnswersTwiceIsReadAndWrittenOnce) {
    struct Case {
        const char* name;
        ParmsMode mode;
        ModemStep step;
        int repeatMs;
    };
    const Case cases[] = {
        {"version answer at once", ParmsMode::ReadProgrammable, ModemStep::Version, 0},
        {"version answer late", ParmsMode::ReadProgrammable, ModemStep::Version, 700},
        {"whole dump at once", ParmsMode::ReadAll, ModemStep::Dump, 0},
        {"whole dump late", ParmsMode::ReadAll, ModemStep::Dump, 1500},
        {"each block acknowledged twice", ParmsMode::WriteProgrammable, ModemStep::Program, 0},
        {"redirect acknowledged twice", ParmsMode::WriteAll, ModemStep::Channel, 300},
        {"end record acknowledged twice", ParmsMode::WriteAll, ModemStep::End, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        const std::size_t mark = hostWrites().size();
        modem.addFault({ModemFault::Twice, c.step, c.repeatMs, -1});
        dialogs.expectBox(DoneText(c.mode));
        Start(c.mode);
        ASSERT_TRUE(RunToClose());
        ExpectSuccess(c.mode);
        if (!IsRead(c.mode)) {
            EXPECT_EQ(WritesSince(mark, "S1"), c.mode == ParmsMode::WriteAll ? 20 : 14);
        }
        EXPECT_EQ(WritesSince(mark, "?"), 1);
        sched.advance(3000);  // the late copies change nothing
        EXPECT_FALSE(dlg.loaded());
    }
}

TEST_F(LinkFaults, ALateSecondAcknowledgementDoesNotStandInForARefusedBlock) {
    // Block 11 is acknowledged twice, the copy 700 ms late: it arrives after block 12 (the
    // comment, which the write changes) went out and after the modem refused it.
    modem.addFault({ModemFault::Twice, ModemStep::Program, 700, 1, 11});
    modem.addFault({ModemFault::Refuse, ModemStep::Program, 0, 1, 12});
    dialogs.expectBox("Programming Complete!");
    Start(ParmsMode::WriteProgrammable);
    ASSERT_TRUE(RunToClose());
    ExpectModemHoldsTheWrite();
    EXPECT_EQ(hostWrites("S1").size(), 15u);  // block 12 went again
    EXPECT_EQ(mainFrame.counterText, "1");
}

TEST_F(LinkFaults, NoiseAndDamagedRecordsBetweenRepliesAreNeverTakenAsData) {
    // Bytes that reach the host between two replies: a burst of line noise, a reply heard at
    // the wrong baud rate, and records damaged on the line (a wrong checksum; a checksum that
    // fits but a letter gone). A burst without a line end spoils the reply it runs into, which
    // the dialogue then asks for again.
    const std::uint8_t junk[16] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA,
                                   0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    std::string badSum = DataRecord(0x20, junk, 16);
    badSum.back() = badSum.back() == '0' ? '1' : '0';
    std::string badAck = AckRecord();
    badAck.back() = 'E';
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"noise burst with a line end", std::string("\x00\xFF\x13~#@!\x7F\x80", 9) + "\r\n"},
        {"noise burst without a line end", std::string("\x00\xFF\x13~#@!\x7F\x80", 9)},
        {"wrong baud rate", std::string("\xE6\x80\xF8\x00\x9E\x1E\xFE\x78\x86\x00\xF8", 11) + "\r"},
        {"record with a wrong checksum", badSum + "\r\n"},
        {"acknowledgement with a wrong checksum", badAck + "\r\n"},
        {"record without its letter", DataRecord(0x20, junk, 16).substr(0, 1) + DataRecord(0x20, junk, 16).substr(2) + "\r\n"},
    };
    for (const Moment& at : std::vector<Moment>{
             {"read", ParmsMode::ReadAll, [](auto& d) { return DataRecords(d, 5); }},
             {"write", ParmsMode::WriteProgrammable, [](auto& d) { return BlocksAcknowledged(d, 12); }},
         }) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(at.name) + ": " + c.name);
            Reset();
            dialogs.expectBox(DoneText(at.mode));
            Start(at.mode);
            RunUntil([&] { return at.reached(dlg); });
            cable.inject(Direction::BtoA, c.bytes);
            ASSERT_TRUE(RunToClose());
            ExpectSuccess(at.mode);
        }
    }
}

TEST_F(LinkFaults, AModemAtTheWrongBaudRateIsGivenUpOnAndThePortStaysUsable) {
    // Every answer to "?" arrives as garbage.
    modem.addFault({ModemFault::Silence, ModemStep::Version, 0, -1});
    const ModemParameters before = ctx.state.mainParameters;
    dialogs.expectBox(kNoVersionText);
    Start(ParmsMode::ReadProgrammable);
    for (int n = 1; n <= 4; ++n) {
        RunUntil([&] { return static_cast<int>(hostWrites("?").size()) == n; });
        sched.advance(20);
        cable.inject(Direction::BtoA, std::string("\xE6\x80\xF8\x00\x9E\x1E\xFE\r\x86\x00\xF8\x0A\xC3", 13));
    }
    ASSERT_TRUE(RunToClose());
    ExpectFailure(before);
    EXPECT_TRUE(hostWrites("DE").empty());
    EXPECT_EQ(mainFrame.versionCalls, 0);
    ExpectNextReadWorks();
}

TEST_F(LinkFaults, ASlowModemJustInsideTheTimeOutsIsReadAndWrittenWithoutResends) {
    // Each answer leaves the modem this long after the request has arrived: with its wire
    // time it still lands inside the 2000 ms the dialogue waits.
    for (const ParmsMode mode : {ParmsMode::ReadProgrammable, ParmsMode::WriteAll}) {
        SCOPED_TRACE(ParmsModeCaption(mode));
        Reset();
        modem.replyDelayMs = 1800;
        dialogs.expectBox(DoneText(mode));
        Start(mode);
        ASSERT_TRUE(RunToClose(200000));
        ExpectSuccess(mode);
        EXPECT_EQ(mainFrame.counterText, "");
    }
}

TEST_F(LinkFaults, AModemJustTooSlowForTheTimeOutsNeverEndsInAFalseSuccess) {
    // Answers that land after the time-outs cross the resends. Whatever the dialogue makes of
    // them, a read that completes holds the modem's record and a write that fails leaves the
    // host's record alone.
    struct Case {
        ParmsMode mode;
        int delayMs;
        const char* box;
    };
    const Case cases[] = {
        {ParmsMode::ReadProgrammable, 2100, kNoReadText},
        {ParmsMode::WriteProgrammable, 2100, kNoReadText},
        {ParmsMode::ReadProgrammable, 5000, "Reading Parameters Complete."},
        {ParmsMode::WriteAll, 5000, kWriteFailText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ParmsModeCaption(c.mode) + " " + std::to_string(c.delayMs));
        Reset();
        const auto imageBefore = modem.image;
        const ModemParameters before = ctx.state.mainParameters;
        const std::size_t mark = hostWrites().size();
        modem.replyDelayMs = c.delayMs;
        dialogs.expectBox(c.box);
        Start(c.mode);
        ASSERT_TRUE(RunToClose(300000));
        if (std::string(c.box) == DoneText(c.mode)) {
            ExpectSuccess(c.mode);
        } else {
            ExpectFailure(before);
            if (WritesSince(mark, "S1") == 0) {
                EXPECT_EQ(modem.image, imageBefore);
            }
        }
        sched.advance(20000);  // the late answers still on their way change nothing
        EXPECT_EQ(dialogs.boxes.size(), 1u);
        ExpectNextReadWorks();
    }
}

TEST_F(LinkFaults, CancelAtAnyStepEndsQuietlyAndThePortServesTheNextAttempt) {
    const std::vector<Moment> steps = {
        {"version", ParmsMode::WriteAll, [](auto& d) { return d.dialogueState() == ReadWriteState::AwaitVersion; }},
        {"read delay", ParmsMode::WriteAll, [](auto& d) { return d.dialogueState() == ReadWriteState::AwaitReadDelay; }},
        {"data", ParmsMode::WriteAll, [](auto& d) { return DataRecords(d, 20); }},
        {"block in flight", ParmsMode::WriteAll, [](auto& d) { return BlocksAcknowledged(d, 7); }},
        {"between blocks", ParmsMode::WriteAll, [](auto& d) { return d.dialogueState() == ReadWriteState::AwaitBlockDelay; }},
        {"redirect", ParmsMode::WriteAll, [](auto& d) { return d.dialogueState() == ReadWriteState::AwaitChannelAck; }},
        {"end of programming", ParmsMode::WriteAll, [](auto& d) { return d.dialogueState() == ReadWriteState::AwaitEndAck; }},
    };
    for (const Moment& at : steps) {
        SCOPED_TRACE(at.name);
        Reset();
        const ModemParameters before = ctx.state.mainParameters;
        Start(at.mode);
        RunUntil([&] { return at.reached(dlg); });
        const std::size_t mark = hostWrites().size();
        view.CloseWindow();  // Cancel
        sched.advance(10000);
        EXPECT_EQ(hostWrites().size(), mark);  // nothing more goes out
        EXPECT_TRUE(dialogs.boxes.empty());
        ExpectFailure(before);
        EXPECT_TRUE(port->GetCommPortOpen());
        ExpectNextReadWorks();
    }
}

// A port that will not open is the device's fault, not the modem's: one message naming the
// device and the reason, the dialogue over at once, nothing sent, and the next attempt opens it.
TEST_F(LinkFaults, APortInUseOrMissingAtOpenIsReportedOnceAndTheDialogueEndsAtOnce) {
    for (bool autoStart : {true, false}) {
        for (const char* reason : {"Device or resource busy", "No such file or directory"}) {
            SCOPED_TRACE(std::string(reason) + (autoStart ? ", tool-bar start" : ", OK pressed"));
            Reset();
            const ModemParameters before = ctx.state.mainParameters;
            port->CloseCommPort();
            cable.a().refuseOpen(reason);
            const std::size_t mark = hostWrites().size();
            dialogs.answerAllBoxes(MsgAnswer::OK);
            const std::int64_t start = sched.nowMs();
            Open(ParmsMode::ReadProgrammable, autoStart);
            if (!autoStart) dlg.OK();
            ASSERT_TRUE(RunToClose());
            dialogs.stopAnsweringAllBoxes();
            EXPECT_LT(sched.nowMs() - start, ParmsRdWrDialogue::kResponseMs);  // no wait for a reply
            ExpectFailure(before);
            // Opening the window tries the port once; a press of OK is a new try of its own.
            ASSERT_EQ(dialogs.boxes.size(), autoStart ? 1u : 2u);
            for (const auto& box : dialogs.boxes)
                EXPECT_EQ(box.text, std::string("Could Not Open Com Port 1\r\n") + reason);
            EXPECT_EQ(hostWrites().size(), mark);  // nothing reached the line
            cable.a().refuseOpen(std::nullopt);
            ExpectNextReadWorks();
        }
    }
}

}  // namespace
}  // namespace k45::test
