// The read of the read/write window, end to end in virtual time: dialogue, port object,
// null-modem cable and simulated modem.
#include <gtest/gtest.h>

#include "programming/rdwr_bench.h"
#include "serial/srecord_codec.h"
#include "version_info.h"

namespace k45::test {
namespace {

using ReadDialogue = ReadWriteBench;

TEST_F(ReadDialogue, ToolbarReadTakesTheImageIntoMainParametersAndRenamesTheDataFile) {
    const ModemParameters before = ctx.state.mainParameters;
    const ModemParameters expected = ModemHolds(before);
    dlg.RegisterForParms(&client);
    Open(ParmsMode::ReadProgrammable, true);
    EXPECT_EQ(view.caption, "Read Programmable Parameters");

    const std::int64_t readyAt = RunToState(ReadWriteState::AwaitReadDelay);
    ASSERT_TRUE(RunToClose());

    const auto writes = hostWrites();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].bytes, "?\r");
    EXPECT_EQ(writes[0].atMs, 500);
    EXPECT_EQ(writes[1].bytes, "DE\r");
    EXPECT_EQ(writes[1].atMs, readyAt + 500);

    EXPECT_EQ(ctx.state.mainParameters, expected);
    EXPECT_EQ(ctx.state.mainParameters.serialNumber, 305419896);
    EXPECT_EQ(ctx.state.mainParameters.comment, "Bench modem");
    EXPECT_EQ(ctx.state.dataFileName, home.file("upload.dat"));
    EXPECT_FALSE(home.exists("upload.dat"));
    EXPECT_EQ(mainFrame.displayFilenamesCalls, 1);
    EXPECT_EQ(mainFrame.versionLabel, "K45MR V6.02");
    EXPECT_EQ(mainFrame.longId, 305419896);
    EXPECT_EQ(editor.updates, 1);
    EXPECT_TRUE(dialogs.boxes.empty());  // the tool bar's read shows no "Complete" box
    EXPECT_EQ(client.parms, std::vector<bool>{true});
    EXPECT_EQ(dlg.stepCount(), 40);
    EXPECT_EQ(view.percents.back(), 100);
    EXPECT_EQ(view.labels.front(), (std::pair<std::string, std::string>("Reading ", "Programmable Parameters...")));
    EXPECT_EQ(mainFrame.counterText, "");
    EXPECT_EQ(LinesOf(modem.sentBytes, "R1").size(), 40u);
}

TEST_F(ReadDialogue, MenuReadsShowTheirCompletionBox) {
    struct Case { ParmsMode mode; const char* caption; const char* label; const char* box; };
    const Case cases[] = {
        {ParmsMode::ReadProgrammable, "Read Programmable Parameters", "Programmable Parameters...", "Reading Parameters Complete."},
        {ParmsMode::ReadAll, "Read All Parameters", "All Parameters...", "Reading All Parameters Complete."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        view.labels.clear();
        dialogs.boxes.clear();
        const std::size_t written = hostWrites().size();
        Open(c.mode, false);
        EXPECT_EQ(view.caption, c.caption);
        EXPECT_TRUE(view.okEnabled);
        sched.advance(5000);
        EXPECT_EQ(hostWrites().size(), written);  // nothing goes out before OK
        dialogs.expectBox(c.box);
        dlg.OK();
        EXPECT_FALSE(view.okEnabled);
        ASSERT_TRUE(RunToClose());
        ASSERT_EQ(dialogs.boxes.size(), 1u);
        EXPECT_EQ(dialogs.boxes[0].title, "Complete");
        EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::Information);
        EXPECT_EQ(view.labels.front().second, c.label);
        EXPECT_TRUE(dlg.parmsWereFound());
    }
}

TEST_F(ReadDialogue, ALayoutTwoModemCompletesAfter29Records) {
    modemRecord.eepromVersion = 2;
    modemRecord.model = familyRNet;
    ASSERT_TRUE(modem.loadRecord(ctx.state, modemRecord, kModemStamp));
    ASSERT_EQ(modem.image[0], 2);
    Open(ParmsMode::ReadProgrammable, true);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(dlg.stepTotal(), 29);
    EXPECT_EQ(dlg.stepCount(), 29);
    EXPECT_TRUE(dlg.parmsWereFound());
    EXPECT_EQ(ctx.state.mainParameters.eepromVersion, 2);
    EXPECT_EQ(ctx.state.mainParameters.model, familyRNet);
    EXPECT_EQ(ctx.state.mainParameters.comment, "Bench modem");
    EXPECT_EQ(hostWrites("DE").size(), 1u);
}

TEST_F(ReadDialogue, NoAnswerSendsTheVersionRequestFourTimesThenGivesUp) {
    modem.addFault({ModemFault::Silence, ModemStep::Version, 0, -1});
    dlg.RegisterForParms(&client);
    dialogs.expectBox(kNoVersionText);
    Open(ParmsMode::ReadProgrammable, true);
    ASSERT_TRUE(RunToClose());
    const auto q = hostWrites("?");
    ASSERT_EQ(q.size(), 4u);
    EXPECT_EQ(q[0].atMs, 500);
    EXPECT_EQ(q[1].atMs, 2500);
    EXPECT_EQ(q[2].atMs, 4500);
    EXPECT_EQ(q[3].atMs, 6500);
    EXPECT_EQ(sched.nowMs(), 8500);
    EXPECT_EQ(mainFrame.counterText, "3");
    EXPECT_EQ(dialogs.boxes[0].title, version::programTitle);  // no title of its own
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::None);
    EXPECT_EQ(client.parms, std::vector<bool>{false});
    EXPECT_TRUE(hostWrites("DE").empty());
}

TEST_F(ReadDialogue, VersionTextIsTheTextBeforeTheBlankInFrontOfTheKeyword) {
    struct Case { const char* line; std::optional<std::string> version; };
    const Case cases[] = {
        {"K45 V6.02 Copyright (c) 2026\r\n", "K45 V6.02"},
        {"Copyright (c) 2026\r\n", ""},
        {"X Copyright\r\n", "X"},
        {"XCopyright\r\n", ""},
        {"K45 V6.02 copyright (c) 2026\r\n", std::nullopt},
        {"a Copyright b Copyright\r\n", "a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(VersionOfLine(c.line), c.version);
    }
    EXPECT_EQ(NoticeOfLine("K45 V6.02 Copyright (c) 2026\r\n"), "Copyright (c) 2026");
}

TEST_F(ReadDialogue, AVersionLineWithoutTheKeywordIsNotAnAnswer) {
    modem.addFault({ModemFault::NoKeyword, ModemStep::Version});
    Open(ParmsMode::ReadProgrammable, true);
    ASSERT_TRUE(RunToClose());
    const auto q = hostWrites("?");
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].atMs, 2500);  // the first answer was ignored: the time-out resent "?"
    EXPECT_TRUE(dlg.parmsWereFound());
    EXPECT_EQ(mainFrame.counterText, "1");
    EXPECT_EQ(mainFrame.versionCalls, 1);
}

TEST_F(ReadDialogue, ATimeOutBehindAnotherWindowWaitsAndIsNotCounted) {
    modem.addFault({ModemFault::Silence, ModemStep::Version, 0, 1});
    Open(ParmsMode::ReadProgrammable, true);
    sched.advance(600);
    ASSERT_EQ(hostWrites("?").size(), 1u);
    view.active = false;
    sched.advance(10000);
    EXPECT_EQ(hostWrites("?").size(), 1u);
    EXPECT_EQ(mainFrame.counterText, "");
    view.active = true;
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("?").size(), 2u);
    EXPECT_EQ(mainFrame.counterText, "1");
    EXPECT_TRUE(dlg.parmsWereFound());
}

TEST_F(ReadDialogue, TheDelayedStartWaitsForTheWindowToBeActive) {
    view.active = false;
    Open(ParmsMode::ReadProgrammable, true);
    sched.advance(3000);
    EXPECT_TRUE(hostWrites().empty());
    view.active = true;
    sched.advance(500);
    ASSERT_EQ(hostWrites("?").size(), 1u);
    EXPECT_EQ(hostWrites("?")[0].atMs, 3500);
}

TEST_F(ReadDialogue, AnEarlyEndRecordIsIgnoredAndTheReadStartsAgain) {
    modem.addFault({ModemFault::EarlyEnd, ModemStep::Dump, 30});
    Open(ParmsMode::ReadProgrammable, true);
    RunToState(ReadWriteState::AwaitData);
    sched.advanceUntil([&] { return dlg.stepCount() == 30; }, 10000);
    const std::int64_t lastRecord = sched.nowMs();
    ASSERT_TRUE(sched.advanceUntil([&] { return hostWrites("?").size() == 2; }, 5000));
    const std::int64_t restart = hostWrites("?")[1].atMs;
    // The end record did not stop the response timer: 2000 ms after the last record.
    EXPECT_GE(restart, lastRecord + 1900);
    EXPECT_LE(restart, lastRecord + 2000);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("DE").size(), 2u);
    EXPECT_EQ(mainFrame.counterText, "1");
    EXPECT_TRUE(dlg.parmsWereFound());
    EXPECT_EQ(mainFrame.versionCalls, 2);  // the version line is taken again after the restart
}

TEST_F(ReadDialogue, ATransferThatKeepsBreakingOffEndsAfterThreeRestarts) {
    // The modem answers the version request each time but never finishes the dump.
    modem.addFault({ModemFault::StopAfter, ModemStep::Dump, 10, -1});
    const ModemParameters before = ctx.state.mainParameters;
    dlg.RegisterForParms(&client);
    dialogs.expectBox(kNoReadText);
    Open(ParmsMode::ReadProgrammable, true);
    ASSERT_TRUE(RunToClose(120000));
    EXPECT_EQ(hostWrites("DE").size(), 4u);  // the first dump and three restarts
    EXPECT_EQ(hostWrites("?").size(), 4u);
    EXPECT_EQ(dialogs.boxes[0].title, "Error");
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::Critical);
    EXPECT_EQ(mainFrame.counterText, "3");
    EXPECT_EQ(ctx.state.mainParameters, before);
    EXPECT_EQ(client.parms, std::vector<bool>{false});
}

TEST_F(ReadDialogue, ARestartedReadCarriesItsTimeOutIntoTheVersionStep) {
    // The dump breaks off once; after that the modem no longer answers the version request.
    // The restart itself is the first of the three resends, so "?" goes out only twice more.
    modem.addFault({ModemFault::StopAfter, ModemStep::Dump, 10});
    modem.addFault({ModemFault::Silence, ModemStep::Version, 0, -1, 1});
    dlg.RegisterForParms(&client);
    dialogs.expectBox(kNoVersionText);
    Open(ParmsMode::ReadProgrammable, true);
    RunToState(ReadWriteState::AwaitData);
    ASSERT_TRUE(sched.advanceUntil([&] { return hostWrites("?").size() == 2; }, 10000));
    EXPECT_EQ(dlg.resendCount(), 1);
    const std::int64_t restart = hostWrites("?")[1].atMs;
    ASSERT_TRUE(RunToClose());
    const auto q = hostWrites("?");
    ASSERT_EQ(q.size(), 4u);
    EXPECT_EQ(q[2].atMs, restart + 2000);
    EXPECT_EQ(q[3].atMs, restart + 4000);
    EXPECT_EQ(sched.nowMs(), restart + 6000);
    EXPECT_EQ(hostWrites("DE").size(), 1u);
    EXPECT_EQ(mainFrame.counterText, "3");
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, kNoVersionText);
    EXPECT_EQ(client.parms, std::vector<bool>{false});
}

TEST_F(ReadDialogue, ARecordThatArrivesTwiceCountsOnce) {
    // 40 records arrive, but one of them twice and another not at all: the image has a hole,
    // so the read is not complete and starts again.
    modem.addFault({ModemFault::DuplicateRecord, ModemStep::Dump, 5});
    modem.addFault({ModemFault::MissingRecord, ModemStep::Dump, 7});
    const ModemParameters expected = ModemHolds(ctx.state.mainParameters);
    Open(ParmsMode::ReadProgrammable, true);
    RunToState(ReadWriteState::AwaitData);
    sched.advance(2500);
    EXPECT_EQ(dlg.stepCount(), 39);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("DE").size(), 2u);
    EXPECT_EQ(ctx.state.mainParameters, expected);
}

TEST_F(ReadDialogue, ADuplicatedRecordDoesNotEndTheTransferEarly) {
    modem.addFault({ModemFault::DuplicateRecord, ModemStep::Dump, 0});
    const ModemParameters expected = ModemHolds(ctx.state.mainParameters);
    Open(ParmsMode::ReadProgrammable, true);
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("DE").size(), 1u);
    EXPECT_EQ(dlg.stepCount(), 40);
    EXPECT_EQ(ctx.state.mainParameters, expected);
}

TEST_F(ReadDialogue, TheRecordCountIsDecidedWhenTheRecordAtAddressZeroArrives) {
    struct Case { std::int16_t eeprom; std::int16_t model; int blocks; };
    const Case cases[] = {{6, familyPNet, 40}, {2, familyRNet, 29}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blocks);
        modem.clearFaults();
        modem.addFault({ModemFault::FirstRecordNotAtZero, ModemStep::Dump});
        modemRecord.eepromVersion = c.eeprom;
        modemRecord.model = c.model;
        ASSERT_TRUE(modem.loadRecord(ctx.state, modemRecord, kModemStamp));
        const ModemParameters expected = ModemHolds(ctx.state.mainParameters);
        const std::size_t dumps = hostWrites("DE").size();
        Open(ParmsMode::ReadProgrammable, true);
        ASSERT_TRUE(RunToClose());
        EXPECT_EQ(hostWrites("DE").size(), dumps + 1);
        EXPECT_EQ(dlg.stepTotal(), c.blocks);
        EXPECT_EQ(ctx.state.mainParameters, expected);
    }
}

TEST_F(ReadDialogue, ARecordReachingPastTheImageIsIgnored) {
    modemRecord.eepromVersion = 2;
    modemRecord.model = familyRNet;
    ASSERT_TRUE(modem.loadRecord(ctx.state, modemRecord, kModemStamp));
    Open(ParmsMode::ReadProgrammable, true);
    RunToState(ReadWriteState::AwaitData);
    const std::uint8_t fill[16] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA,
                                   0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    const std::uint8_t bad[16] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                                  0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    cable.inject(Direction::BtoA, DataRecord(624, fill, 16) + "\r\n" + DataRecord(632, bad, 16) + "\r\n");
    ASSERT_TRUE(RunToClose());
    EXPECT_TRUE(dlg.parmsWereFound());
    for (int a = 624; a < 640; ++a) EXPECT_EQ(dlg.transferImage()[static_cast<std::size_t>(a)], 0xAA) << a;
}

TEST_F(ReadDialogue, AnImageOfNoKnownLayoutIsAFailedRead) {
    modem.image[0] = 9;
    modem.image[1] = 9;
    const ModemParameters before = ctx.state.mainParameters;
    const std::string fileBefore = ctx.state.dataFileName;
    dlg.RegisterForParms(&client);
    dialogs.expectBox("Modem Type is not correct!");
    Open(ParmsMode::ReadProgrammable, false);
    dlg.OK();
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(dialogs.boxes.size(), 1u);  // no "Complete" box
    EXPECT_EQ(ctx.state.mainParameters, before);
    EXPECT_EQ(ctx.state.dataFileName, fileBefore);
    EXPECT_FALSE(dlg.parmsWereFound());
    EXPECT_EQ(client.parms, std::vector<bool>{false});
    EXPECT_EQ(mainFrame.unitIdCalls, 0);
    EXPECT_EQ(mainFrame.displayFilenamesCalls, 0);
}

TEST_F(ReadDialogue, RepliesInOneChunkOrInPiecesReadTheSame) {
    const ModemChunking kinds[] = {ModemChunking::OneChunk, ModemChunking::Split};
    for (ModemChunking k : kinds) {
        SCOPED_TRACE(static_cast<int>(k));
        modem.chunking = k;
        ctx.state.mainParameters = ModemParameters{};
        const ModemParameters expected = ModemHolds(ctx.state.mainParameters);
        const std::size_t asked = hostWrites("?").size();
        Open(ParmsMode::ReadProgrammable, true);
        ASSERT_TRUE(RunToClose());
        EXPECT_TRUE(dlg.parmsWereFound());
        EXPECT_EQ(hostWrites("?").size(), asked + 1);
        EXPECT_EQ(ctx.state.mainParameters, expected);
    }
}

TEST_F(ReadDialogue, CancelDuringTheTransferChangesNothing) {
    const ModemParameters before = ctx.state.mainParameters;
    const std::string fileBefore = ctx.state.dataFileName;
    dlg.RegisterForParms(&client);
    dlg.RegisterForProgComplete(&client);
    Open(ParmsMode::ReadProgrammable, true);
    RunToState(ReadWriteState::AwaitData);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.stepCount() >= 10; }, 5000));
    view.CloseWindow();  // Cancel
    EXPECT_FALSE(dlg.loaded());
    sched.advance(5000);
    EXPECT_EQ(ctx.state.mainParameters, before);
    EXPECT_EQ(ctx.state.dataFileName, fileBefore);
    EXPECT_EQ(client.parms, std::vector<bool>{false});
    EXPECT_EQ(client.completes, std::vector<bool>{false});
    EXPECT_EQ(hostWrites().size(), 2u);
}

TEST_F(ReadDialogue, OkDoesNotRestartARunningRead) {
    Open(ParmsMode::ReadProgrammable, false);
    dialogs.expectBox("Reading Parameters Complete.");
    dlg.OK();
    RunToState(ReadWriteState::AwaitData);
    EXPECT_FALSE(view.okEnabled);
    dlg.OK();
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("?").size(), 1u);
    EXPECT_EQ(hostWrites("DE").size(), 1u);
}

TEST_F(ReadDialogue, AnInvalidModeClosesTheWindowAtOnce) {
    dialogs.expectBox("Invalid Read/Write Mode!!!");
    Open(ParmsMode::Invalid, true);
    EXPECT_FALSE(dlg.loaded());
    EXPECT_EQ(dialogs.boxes[0].title, "Parameters Read/Write");
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::Critical);
    sched.advance(3000);
    EXPECT_TRUE(hostWrites().empty());
}

TEST_F(ReadDialogue, ProgressRoundsHalvesToEven) {
    EXPECT_EQ(ProgressPercent(1, 40), 2);  // 2.5
    EXPECT_EQ(ProgressPercent(3, 40), 8);  // 7.5
    EXPECT_EQ(ProgressPercent(1, 8), 12);  // 12.5
    EXPECT_EQ(ProgressPercent(23, 40), 57);  // 23 / 40 x 100 is 57.49999... in binary
    EXPECT_EQ(ProgressPercent(29, 29), 100);
    EXPECT_EQ(ProgressPercent(41, 40), 100);
    EXPECT_EQ(ProgressPercent(1, 0), 0);
}

}  // namespace
}  // namespace k45::test

namespace k45::test {
namespace {

// Each fault of the modem once: the read gets over it by a resend or a restart, and the
// status bar counts what it took.
TEST_F(ReadDialogue, EachFaultOnceIsOvercomeByAResendOrARestart) {
    struct Case {
        const char* name;
        ModemFault fault;
        std::size_t versionRequests;
        std::size_t dumps;
        const char* counter;
    };
    const Case cases[] = {
        {"silent version", {ModemFault::Silence, ModemStep::Version}, 2, 1, "1"},
        {"refused version", {ModemFault::Refuse, ModemStep::Version}, 2, 1, "1"},
        {"no ready record", {ModemFault::NoAck, ModemStep::Version}, 2, 1, "1"},
        {"silent dump", {ModemFault::Silence, ModemStep::Dump}, 2, 2, "1"},
        {"refused dump", {ModemFault::Refuse, ModemStep::Dump}, 2, 2, "1"},
        {"dump stops", {ModemFault::StopAfter, ModemStep::Dump, 25}, 2, 2, "1"},
        {"no final acknowledgement", {ModemFault::NoAck, ModemStep::Dump}, 2, 2, "1"},
        {"missing record", {ModemFault::MissingRecord, ModemStep::Dump, 39}, 2, 2, "1"},
        {"record past the image", {ModemFault::BadAddress, ModemStep::Dump, 0}, 2, 2, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modem.clearFaults();
        modem.addFault(c.fault);
        mainFrame.counterText.clear();
        ctx.state.mainParameters = ModemParameters{};
        const std::size_t q0 = hostWrites("?").size(), d0 = hostWrites("DE").size();
        Open(ParmsMode::ReadProgrammable, true);
        ASSERT_TRUE(RunToClose());
        EXPECT_TRUE(dlg.parmsWereFound());
        EXPECT_EQ(hostWrites("?").size() - q0, c.versionRequests);
        EXPECT_EQ(hostWrites("DE").size() - d0, c.dumps);
        EXPECT_EQ(mainFrame.counterText, c.counter);
        EXPECT_EQ(ctx.state.mainParameters, ModemHolds(ModemParameters{}));
    }
}

}  // namespace
}  // namespace k45::test
