// The write modes of the read/write window, end to end in virtual time: the read, the merge,
// the "S1" blocks, "CHANNEL" and "S9" on the wire, and what the host keeps afterwards.
#include <gtest/gtest.h>

#include "params/merges.h"
#include "programming/rdwr_bench.h"
#include "serial/srecord_codec.h"

namespace k45::test {
namespace {

class WriteDialogue : public ReadWriteBench {
protected:
    WriteDialogue() {
        ctx.state.mainParameters.comment = "Edited on the host";
        ctx.state.mainParameters.serialNumber = 777;
        ctx.state.mainParameters.rssiOnThreshold = 33;
    }
    // Runs a write started with OK, answering "Programming Complete!".
    void Write(ParmsMode mode) {
        Open(mode, false);
        dialogs.expectBox("Programming Complete!");
        dlg.OK();
        ASSERT_TRUE(RunToClose());
    }
    // The "S1" line for the block at address, as the image the dialogue packed holds it.
    std::string ExpectedBlock(std::int32_t address, int count) const {
        std::vector<std::int16_t> data;
        for (int i = 0; i < count; ++i) data.push_back(dlg.transferImage()[static_cast<std::size_t>(address + i)]);
        return "S1" + *MessSRecord(address, std::span<const std::int16_t>(data)) + "\r\n";
    }
};

TEST_F(WriteDialogue, WriteProgrammableSendsFourteenBlocksAndTheEndRecord) {
    const auto imageBefore = modem.image;
    dlg.RegisterForProgComplete(&client);
    Write(ParmsMode::WriteProgrammable);

    const auto s1 = hostWrites("S1");
    ASSERT_EQ(s1.size(), 14u);
    for (int n = 0; n < 13; ++n) EXPECT_EQ(s1[n].bytes, ExpectedBlock(32 * n, 32)) << n;
    EXPECT_EQ(s1[13].bytes, ExpectedBlock(416, 13));
    EXPECT_EQ(s1[13].bytes.substr(0, 8), "S11001A0");  // 13 bytes + 3, address 416
    const auto writes = hostWrites();
    ASSERT_EQ(writes.size(), 2u + 14u + 1u);
    EXPECT_EQ(writes.back().bytes, "S9030000FC\r");
    EXPECT_TRUE(hostWrites("CHANNEL").empty());  // the merge took the host's redirect

    // Each block 500 ms after the acknowledgement of the one before.
    for (int n = 1; n < 14; ++n) {
        EXPECT_GE(s1[n].atMs - s1[n - 1].atMs, 500) << n;
        EXPECT_LT(s1[n].atMs - s1[n - 1].atMs, 700) << n;
    }
    // Progress: 93 after the 13th acknowledgement, 100 after the 14th.
    ASSERT_GE(view.percents.size(), 2u);
    EXPECT_EQ(view.percents[view.percents.size() - 2], 93);
    EXPECT_EQ(view.percents.back(), 100);

    // The modem now holds the host's user part; the rest stays as it was.
    const ModemParameters held = ModemHolds(ModemParameters{});
    EXPECT_EQ(held.comment, "Edited on the host");
    EXPECT_EQ(held.serialNumber, 777);
    EXPECT_EQ(held.rssiOnThreshold, 33);
    for (std::size_t a = 429; a < 640; ++a) EXPECT_EQ(modem.image[a], imageBefore[a]) << a;
    EXPECT_EQ(modem.endRecords, 1);

    EXPECT_EQ(ctx.state.mainParameters.numberOfWrites, 42);  // the modem's count plus one
    EXPECT_EQ(ctx.state.mainParameters.setupTime, dlg.workParameters().setupTime);
    EXPECT_NE(ctx.state.mainParameters.setupTime, 0);
    EXPECT_EQ(editor.updates, 1);
    EXPECT_EQ(client.completes, std::vector<bool>{true});
    EXPECT_EQ(dialogs.boxes.back().title, "Complete");
    EXPECT_EQ(view.labels.back(), (std::pair<std::string, std::string>("Writing DEFAULT.DAT to", "Programmable Parameters...")));
    EXPECT_EQ(ctx.state.dataFileName, home.file("default.dat"));  // a write renames nothing
}

TEST_F(WriteDialogue, WriteAllSendsTwentyBlocksThenTheRedirectThenTheEndRecord) {
    ctx.state.mainParameters.channelOverride = 5;
    Write(ParmsMode::WriteAll);
    const auto s1 = hostWrites("S1");
    ASSERT_EQ(s1.size(), 20u);
    for (int n = 0; n < 20; ++n) EXPECT_EQ(s1[n].bytes, ExpectedBlock(32 * n, 32)) << n;
    const auto writes = hostWrites();
    ASSERT_EQ(writes.size(), 2u + 20u + 2u);
    EXPECT_EQ(writes[22].bytes, "CHANNEL05\r");
    EXPECT_EQ(writes[23].bytes, "S9030000FC\r");
    EXPECT_EQ(modem.channelCommands, std::vector<int>{5});
    // "S9" follows the redirect's acknowledgement at once, without the 500 ms delay.
    EXPECT_LT(writes[23].atMs - writes[22].atMs, 500);
    EXPECT_EQ(ModemHolds(ModemParameters{}).comment, "Edited on the host");
}

TEST_F(WriteDialogue, EachModeMergesWritesAndRedirectsAsItShould) {
    struct Case {
        ParmsMode mode;
        std::size_t blocks;
        bool channel;
        const char* upper;
        const char* lower;
    };
    // The host's redirect (5) differs from the modem's (3); currentParameters keeps 3.
    const Case cases[] = {
        {ParmsMode::WriteProgrammable, 14, false, "Writing DEFAULT.DAT to", "Programmable Parameters..."},
        {ParmsMode::WriteAll, 20, true, "Writing DEFAULT.DAT to", "All Parameters..."},
        {ParmsMode::WriteCurrent, 20, false, "Writing ", "Current Parameters..."},
        {ParmsMode::CloneProgrammable, 14, false, "Cloning Current Parameters to", "Programmable Parameters..."},
        {ParmsMode::WriteDefault, 20, true, "Writing DEFAULT.DAT to", "Default Parameters..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ParmsModeCaption(c.mode));
        ctx.state.mainParameters.channelOverride = 5;
        ctx.state.currentParameters = ctx.state.mainParameters;
        ctx.state.currentParameters.channelOverride = 3;
        ASSERT_TRUE(modem.loadRecord(ctx.state, modemRecord, kModemStamp));
        const std::size_t s1Before = hostWrites("S1").size();
        const std::size_t chBefore = hostWrites("CHANNEL").size();
        Write(c.mode);
        EXPECT_EQ(hostWrites("S1").size() - s1Before, c.blocks);
        EXPECT_EQ(hostWrites("CHANNEL").size() - chBefore, c.channel ? 1u : 0u);
        EXPECT_EQ(view.labels.back(), (std::pair<std::string, std::string>(c.upper, c.lower)));
        EXPECT_TRUE(dlg.programCompleted());
    }
}

TEST_F(WriteDialogue, TheDataFileIsNamedInUpperCase) {
    struct Case { const char* file; const char* shown; };
    const Case cases[] = {
        {"default.dat", "Writing DEFAULT.DAT to"},
        {"Caf\xC3\xA9 \xC3\xBF\xC5\x93\xC5\xA1.dat", "Writing CAF\xC3\x89 \xC5\xB8\xC5\x92\xC5\xA0.DAT to"},
        {"a\xC3\xB7\xC3\x9F\xE2\x82\xAC.dat", "Writing A\xC3\xB7\xC3\x9F\xE2\x82\xAC.DAT to"},  // ÷ ß € stay
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        ctx.state.dataFileName = home.file(c.file);
        Write(ParmsMode::WriteProgrammable);
        EXPECT_EQ(view.labels.back().first, c.shown);
    }
}

TEST_F(WriteDialogue, WriteCurrentRedirectsWhenTheModemDiffersFromTheCurrentParameters) {
    ctx.state.currentParameters = ctx.state.mainParameters;
    ctx.state.currentParameters.channelOverride = 1;
    dlg.RegisterForProgComplete(&client);
    Open(ParmsMode::WriteCurrent, true);  // as the tuning window opens it: no box at the end
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("CHANNEL").size(), 1u);
    EXPECT_EQ(hostWrites("CHANNEL")[0].bytes, "CHANNEL03\r");  // the work record's redirect
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(client.completes, std::vector<bool>{true});
    EXPECT_EQ(ctx.state.currentParameters.channelOverride, 1);  // not touched by the write
}

TEST_F(WriteDialogue, ALayoutTwoModemGetsItsCommentWhole) {
    for (ParmsMode mode : {ParmsMode::WriteProgrammable, ParmsMode::CloneProgrammable}) {
        SCOPED_TRACE(ParmsModeCaption(mode));
        modemRecord.eepromVersion = 2;
        modemRecord.model = familyRNet;
        ASSERT_TRUE(modem.loadRecord(ctx.state, modemRecord, kModemStamp));
        ctx.state.mainParameters.comment = "A comment of forty characters, all kept!";
        ASSERT_EQ(ctx.state.mainParameters.comment.size(), 40u);
        const std::size_t before = hostWrites("S1").size();
        Write(mode);
        const auto s1 = hostWrites("S1");
        ASSERT_EQ(s1.size() - before, 15u);
        EXPECT_EQ(s1.back().bytes, ExpectedBlock(448, 13));  // bytes 448..460
        if (mode == ParmsMode::WriteProgrammable) {
            EXPECT_EQ(ModemHolds(ModemParameters{}).comment, "A comment of forty characters, all kept!");
        }
    }
}

TEST_F(WriteDialogue, AMergeWarningOutsideProductionModeEndsTheWriteWithNothingWritten) {
    ctx.state.mainParameters.channelBandwidth = bandwidthFull;  // the modem has half
    dlg.RegisterForProgComplete(&client);
    Open(ParmsMode::WriteProgrammable, false);
    dialogs.expectBox("Half Channel Settings are NOT Compatible.");
    dlg.OK();
    ASSERT_TRUE(RunToClose());
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, "Programming Alert!");
    EXPECT_EQ(dialogs.boxes[0].buttons, MsgButtons::OK);
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::None);
    EXPECT_EQ(hostWrites().size(), 2u);  // "?" and "DE" only
    EXPECT_TRUE(modem.programmed.empty());
    EXPECT_EQ(client.completes, std::vector<bool>{false});
}

TEST_F(WriteDialogue, InProductionModeTheOperatorDecides) {
    ctx.state.productionMode = true;
    ctx.state.mainParameters.channelBandwidth = bandwidthFull;
    for (MsgAnswer answer : {MsgAnswer::Cancel, MsgAnswer::OK}) {
        SCOPED_TRACE(static_cast<int>(answer));
        dialogs.boxes.clear();
        const std::size_t s1Before = hostWrites("S1").size();
        Open(ParmsMode::WriteProgrammable, false);
        dialogs.expectBox("Half Channel Setting is to be changed.\r\nDo you want to Proceed?", answer);
        if (answer == MsgAnswer::OK) dialogs.expectBox("Programming Complete!");
        dlg.OK();
        ASSERT_TRUE(RunToClose());
        EXPECT_EQ(dialogs.boxes[0].title, "Programming Alert!");
        EXPECT_EQ(dialogs.boxes[0].buttons, MsgButtons::OKCancel);
        EXPECT_EQ(hostWrites("S1").size() - s1Before, answer == MsgAnswer::OK ? 14u : 0u);
        EXPECT_EQ(dlg.programCompleted(), answer == MsgAnswer::OK);
    }
}

TEST_F(WriteDialogue, WriteDefaultAsksOnceForEachMerge) {
    ctx.state.productionMode = true;
    ctx.state.mainParameters.rxOnly = kTrue;
    ctx.state.mainParameters.txOnly = kTrue;
    Open(ParmsMode::WriteDefault, false);
    dialogs.expectBox("Rx Only and Tx Only Options are both Set.", MsgAnswer::OK);
    dialogs.expectBox("Rx Only and Tx Only Options are both Set.", MsgAnswer::OK);
    dialogs.expectBox("Programming Complete!");
    dlg.OK();
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(dialogs.boxes.size(), 3u);
    EXPECT_EQ(hostWrites("S1").size(), 20u);
}

TEST_F(WriteDialogue, TheWriteCountWrapsAt65536) {
    modemRecord.numberOfWrites = 65535;
    ASSERT_TRUE(modem.loadRecord(ctx.state, modemRecord, kModemStamp));
    Write(ParmsMode::WriteProgrammable);
    EXPECT_EQ(ctx.state.mainParameters.numberOfWrites, 0);
}

TEST_F(WriteDialogue, ARefusedBlockIsSentAgainAndCountedUntilTheModemIsGivenUpOn) {
    // The third block is refused every time.
    modem.addFault({ModemFault::Refuse, ModemStep::Program, 0, -1, 2});
    dlg.RegisterForProgComplete(&client);
    Open(ParmsMode::WriteProgrammable, false);
    dialogs.expectBox("Unit not responding to Program!");
    dlg.OK();
    ASSERT_TRUE(RunToClose());
    const auto s1 = hostWrites("S1");
    ASSERT_EQ(s1.size(), 2u + 4u);
    for (int i = 2; i < 6; ++i) EXPECT_EQ(s1[i].bytes, ExpectedBlock(64, 32));
    // 2000 ms after the refusal, which restarted the response timer.
    EXPECT_GT(s1[3].atMs - s1[2].atMs, 2000);
    EXPECT_LT(s1[3].atMs - s1[2].atMs, 2300);
    EXPECT_EQ(mainFrame.counterText, "3");
    EXPECT_EQ(dialogs.boxes.back().title, "Error");
    EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Critical);
    EXPECT_EQ(modem.programmed.size(), 2u);  // what was acknowledged stays written
    EXPECT_EQ(client.completes, std::vector<bool>{false});
    EXPECT_TRUE(hostWrites("S9").empty());
}

TEST_F(WriteDialogue, SilenceAfterABlockOrTheRedirectOrTheEndRecordHasItsOwnMessage) {
    struct Case { ModemStep step; const char* message; const char* resent; bool counted; };
    const Case cases[] = {
        {ModemStep::Program, "Unit not responding to Program!", "S1", true},
        {ModemStep::Channel, "Unit not responding to Channel 8 Override!", "CHANNEL", true},
        {ModemStep::End, "Unit not responding to Program Complete!", "S9", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        modem.clearFaults();
        modem.addFault({ModemFault::Silence, c.step, 0, -1});
        mainFrame.counterText.clear();
        dialogs.boxes.clear();
        const std::size_t before = hostWrites(c.resent).size();
        Open(ParmsMode::WriteAll, false);
        dialogs.expectBox(c.message);
        dlg.OK();
        ASSERT_TRUE(RunToClose());
        EXPECT_EQ(hostWrites(c.resent).size() - before, 4u);  // sent once, resent three times
        EXPECT_EQ(mainFrame.counterText, c.counted ? "3" : "");
        EXPECT_EQ(dialogs.boxes.back().title, "Error");
        EXPECT_FALSE(dlg.programCompleted());
    }
}

// The modem answers late, while the failure box is open: the dialogue has given up and
// takes nothing more, so no block goes out behind the box and no success follows it.
TEST_F(WriteDialogue, ALateAnswerWhileAFailureBoxIsOpenChangesNothing) {
    struct Case { const char* name; ParmsMode mode; ModemFault fault; const char* message; };
    const Case cases[] = {
        {"block", ParmsMode::WriteAll, {ModemFault::NoAck, ModemStep::Program, 0, -1, 3}, "Unit not responding to Program!"},
        {"end record", ParmsMode::WriteAll, {ModemFault::NoAck, ModemStep::End, 0, -1}, "Unit not responding to Program Complete!"},
        {"read", ParmsMode::ReadProgrammable, {ModemFault::NoAck, ModemStep::Dump, 0, -1}, kNoReadText},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoxWithEvents box;
        ctx.state.dialogs = &box;
        modem.clearFaults();
        modem.addFault(c.fault);
        client.parms.clear();
        client.completes.clear();
        const ModemParameters before = ctx.state.mainParameters;
        const std::size_t blocksBefore = hostWrites("S1").size();
        std::size_t blocksAtBox = 0;
        box.whileShown = [&] {
            blocksAtBox = hostWrites("S1").size();
            cable.b().send(AckRecord() + "\r\n");
            sched.wait(1000, true);
        };
        box.expectBox(c.message);
        dlg.RegisterForParms(&client);
        dlg.RegisterForProgComplete(&client);
        Open(c.mode, false);
        dlg.OK();
        ASSERT_TRUE(RunToClose(120000));
        sched.advance(5000);
        EXPECT_EQ(box.boxes.size(), 1u);
        if (c.mode != ParmsMode::ReadProgrammable) {
            EXPECT_GT(blocksAtBox, blocksBefore);
        }
        EXPECT_EQ(hostWrites("S1").size(), blocksAtBox);
        EXPECT_EQ(client.parms, std::vector<bool>{false});
        EXPECT_EQ(client.completes, std::vector<bool>{false});
        EXPECT_FALSE(dlg.parmsWereFound());
        EXPECT_FALSE(dlg.programCompleted());
        EXPECT_EQ(ctx.state.mainParameters, before);
        box.verify();
        ctx.state.dialogs = &dialogs;
    }
}

TEST_F(WriteDialogue, AModemOfUnknownTypeIsNotWritten) {
    modem.image[0] = 5;
    modem.image[1] = 5;
    dlg.RegisterForProgComplete(&client);
    Open(ParmsMode::WriteAll, false);
    dialogs.expectBox("Modem Type is not correct!");
    dlg.OK();
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(hostWrites().size(), 2u);  // the read only
    EXPECT_TRUE(modem.programmed.empty());
    EXPECT_EQ(client.completes, std::vector<bool>{false});
}

TEST_F(WriteDialogue, AnInvalidFrequencyOpensTheEditorAtTheFieldAndNothingIsSent) {
    ctx.state.mainParameters.channels[2].txFrequency = 1000000;
    Open(ParmsMode::WriteProgrammable, false);
    dialogs.expectBox("is out of Working Range (too LOW)!");
    dlg.OK();
    sched.advance(5000);
    EXPECT_TRUE(dlg.loaded());  // the window stays open and idle
    EXPECT_EQ(dlg.dialogueState(), ReadWriteState::Idle);
    EXPECT_TRUE(view.okEnabled);
    EXPECT_TRUE(hostWrites().empty());
    ASSERT_EQ(mainFrame.opened.size(), 1u);
    EXPECT_EQ(mainFrame.opened[0], &editor);
    EXPECT_EQ(editor.selected, std::vector<std::int16_t>{2});
}

TEST_F(WriteDialogue, AnOpenEditorChecksItsOwnFields) {
    editor.isLoaded = true;
    editor.saveResult = false;
    Open(ParmsMode::CloneProgrammable, false);
    dlg.OK();
    sched.advance(5000);
    EXPECT_EQ(editor.saves, 1);
    EXPECT_TRUE(hostWrites().empty());
    EXPECT_TRUE(dlg.loaded());
    // Once the editor accepts, OK starts the read.
    editor.saveResult = true;
    dialogs.expectBox("Programming Complete!");
    dlg.OK();
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(editor.saves, 2);
    EXPECT_EQ(hostWrites("S1").size(), 14u);
}

TEST_F(WriteDialogue, OkDuringProgrammingDoesNotRestartTheRead) {
    Open(ParmsMode::WriteProgrammable, false);
    dialogs.expectBox("Programming Complete!");
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return hostWrites("S1").size() == 5; }, 20000));
    EXPECT_FALSE(view.okEnabled);
    dlg.OK();
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("?").size(), 1u);
    EXPECT_EQ(hostWrites("S1").size(), 14u);
}

TEST_F(WriteDialogue, TheEndRecordFollowsTheRedirectEvenBehindAnotherWindow) {
    ctx.state.mainParameters.channelOverride = 6;
    Open(ParmsMode::WriteAll, false);
    dialogs.expectBox("Programming Complete!");
    dlg.OK();
    ASSERT_TRUE(sched.advanceUntil([&] { return hostWrites("CHANNEL").size() == 1; }, 60000));
    view.active = false;
    ASSERT_TRUE(sched.advanceUntil([&] { return hostWrites("S9").size() == 1; }, 1000));
    ASSERT_TRUE(RunToClose());
    EXPECT_TRUE(dlg.programCompleted());
}

}  // namespace
}  // namespace k45::test
