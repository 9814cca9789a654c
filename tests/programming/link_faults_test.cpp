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

    void Start(std::int16_t mode) {
        Open(mode, false);
        dlg.OK();
    }
    bool IsRead(std::int16_t mode) const { return mode == parmsReadProgrammable || mode == parmsReadAll; }
    // The box that ends a successful run of the mode.
    const char* DoneText(std::int16_t mode) const {
        return IsRead(mode) ? "Reading Parameters Complete." : "Programming Complete!";
    }
    // The modem holds every byte the write was to send.
    void ExpectModemHoldsTheWrite() const {
        for (std::int32_t a = 0; a <= dlg.endAddress(); ++a)
            ASSERT_EQ(modem.image[static_cast<std::size_t>(a)], dlg.transferImage()[static_cast<std::size_t>(a)] & 0xFF)
                << "byte " << a;
    }
    // What a finished run must show: the done box, the clients told, the data in place.
    void ExpectSuccess(std::int16_t mode) {
        ASSERT_FALSE(dlg.loaded());
        ASSERT_FALSE(dialogs.boxes.empty());
        EXPECT_EQ(dialogs.boxes.back().text, DoneText(mode));
        if (IsRead(mode)) {
            EXPECT_TRUE(dlg.parmsWereFound());
            EXPECT_EQ(ctx.state.mainParameters.serialNumber, modemRecord.serialNumber);
            EXPECT_EQ(ctx.state.mainParameters.comment, modemRecord.comment);
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
        Start(parmsReadProgrammable);
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
    std::int16_t mode;
    std::function<bool(const ParmsRdWrDialogue&)> reached;
};

bool DataRecords(const ParmsRdWrDialogue& d, int n) {
    return d.dialogueState() == rwAwaitData && d.stepCount() == n;
}
bool BlocksAcknowledged(const ParmsRdWrDialogue& d, int n) {
    return d.dialogueState() == rwAwaitBlockAck && d.stepCount() == n;
}

TEST_F(LinkFaults, APulledCableEndsTheDialogueWithItsMessageAndThePortServesTheNextAttempt) {
    struct Case {
        Moment at;
        const char* lastBox;
    };
    const Case cases[] = {
        {{"read, between records", parmsReadProgrammable, [](auto& d) { return DataRecords(d, 10); }}, kNoVersionText},
        {{"write, between blocks", parmsWriteProgrammable, [](auto& d) { return BlocksAcknowledged(d, 5); }},
         kWriteFailText},
        {{"write, at the redirect", parmsWriteAll, [](auto& d) { return d.dialogueState() == rwAwaitChannelAck; }},
         kChannelFailText},
        {{"write, at the end record", parmsWriteAll, [](auto& d) { return d.dialogueState() == rwAwaitEndAck; }},
         kEndFailText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at.name);
        Reset();
        const ModemParameters before = ctx.state.mainParameters;
        dialogs.expectBox("Lost Com Port 1");
        dialogs.answerAllBoxes(MsgAnswer::OK);
        Start(c.at.mode);
        RunUntil([&] { return c.at.reached(dlg); });
        cable.a().unplug();
        EXPECT_FALSE(port->GetCommPortOpen());
        ASSERT_TRUE(RunToClose(60000));
        ExpectFailure(before);
        ASSERT_FALSE(dialogs.boxes.empty());
        EXPECT_EQ(dialogs.boxes.back().text, c.lastBox);
        for (std::size_t i = 1; i + 1 < dialogs.boxes.size(); ++i)
            EXPECT_EQ(dialogs.boxes[i].title, "Com Port Error") << dialogs.boxes[i].text;
        dialogs.stopAnsweringAllBoxes();

        cable.a().plugIn();
        ExpectNextReadWorks();
    }
}

TEST_F(LinkFaults, AModemThatRestartsDuringTheWriteIsNotReportedAsProgrammed) {
    // After a restart the modem answers every line as it answers "?": the version line, then
    // an acknowledgement that programs nothing.
    struct Case {
        const char* name;
        std::int16_t mode;
        ModemFault fault;
        const char* box;
    };
    const Case cases[] = {
        {"at the fifth block", parmsWriteProgrammable, {ModemFault::Reset, ModemStep::Program, 0, 1, 4}, kWriteFailText},
        {"at the last block", parmsWriteAll, {ModemFault::Reset, ModemStep::Program, 0, 1, 19}, kWriteFailText},
        {"at the redirect", parmsWriteAll, {ModemFault::Reset, ModemStep::Channel}, kChannelFailText},
        {"at the end record", parmsWriteAll, {ModemFault::Reset, ModemStep::End}, kEndFailText},
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
        std::int16_t mode;
        ModemStep step;
        int repeatMs;
    };
    const Case cases[] = {
        {"version answer at once", parmsReadProgrammable, ModemStep::Version, 0},
        {"version answer late", parmsReadProgrammable, ModemStep::Version, 700},
        {"whole dump at once", parmsReadAll, ModemStep::Dump, 0},
        {"whole dump late", parmsReadAll, ModemStep::Dump, 1500},
        {"each block acknowledged twice", parmsWriteProgrammable, ModemStep::Program, 0},
        {"redirect acknowledged twice", parmsWriteAll, ModemStep::Channel, 300},
        {"end record acknowledged twice", parmsWriteAll, ModemStep::End, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reset();
        const std::size_t mark = hostWrites().size();
        modem.addFault({ModemFault::Twice, c.step, c.repeatMs, -1});
        dialogs.expectBox(DoneText(c.mode) == std::string("Reading Parameters Complete.") && c.mode == parmsReadAll
                              ? "Reading All Parameters Complete."
                              : DoneText(c.mode));
        Start(c.mode);
        ASSERT_TRUE(RunToClose());
        if (IsRead(c.mode)) {
            EXPECT_TRUE(dlg.parmsWereFound());
            EXPECT_EQ(ctx.state.mainParameters.serialNumber, modemRecord.serialNumber);
            EXPECT_EQ(ctx.state.mainParameters.comment, modemRecord.comment);
        } else {
            EXPECT_TRUE(dlg.programCompleted());
            ExpectModemHoldsTheWrite();
            EXPECT_EQ(modem.endRecords, 1);
            EXPECT_EQ(WritesSince(mark, "S1"), c.mode == parmsWriteAll ? 20 : 14);
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
    Start(parmsWriteProgrammable);
    ASSERT_TRUE(RunToClose());
    ExpectModemHoldsTheWrite();
    EXPECT_EQ(hostWrites("S1").size(), 15u);  // block 12 went again
    EXPECT_EQ(mainFrame.counterText, "1");
}

}  // namespace
}  // namespace k45::test
