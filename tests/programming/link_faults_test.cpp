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

}  // namespace
}  // namespace k45::test
