// The Offline Diagnostics dialogue end to end: the current-parameter reader and the dialogue on
// the primary port, the simulator answering on the secondary port, in virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "diagnostics/diag_bench.h"
#include "diagnostics/offline_diag.h"

namespace k45::test {
namespace {

struct OffView : OfflineDiagView {
    bool active = true;
    int closes = 0;
    int resends = 0;
    bool IsActiveChild() const override { return active; }
    void CloseWindow() override { ++closes; }
    void CountResend() override { ++resends; }
    void DisplayChanged() override { ++redraws; }
    int redraws = 0;
};

class OfflineDiag : public DiagBench {
protected:
    OfflineDiag() {
        readerView.reader = &reader;
        mainFrame.reader = [this](ParmsClient& client) { RequestFromReader(reader, &client); };
        sim.Activate();
    }
    ~OfflineDiag() override {
        offline.Unload();
        if (reader.loaded()) reader.Unload();
    }
    // Opens the window with the simulator in an offline test and waits for the idle state.
    void Open(std::uint32_t masterId = 305) {
        SimSettings s = Settings(false);
        s.masterId = masterId;
        s.startId = 1000;
        s.endId = 1014;
        s.starts = {85, 25, 120, 50, 5};
        s.ends = {85, 25, 120, 50, 5};
        sim.Start(s);
        offline.Load();
        offline.Activate();
        ASSERT_TRUE(sched.advanceUntil([&] { return !reader.loaded(); }, 20000));
        ASSERT_TRUE(sched.advanceUntil([&] { return offline.replyState() == OfflineReplyState::Idle; }, 5000));
    }
    // The host's command lines (without CR) from a given point of the wire on.
    std::vector<std::string> Commands(std::size_t from = 0) const { return SplitLines(fromHost().substr(from)); }
    std::vector<std::string> CommandsExceptRssi(std::size_t from = 0) const {
        std::vector<std::string> r;
        for (const auto& c : Commands(from))
            if (c != "RSSI") r.push_back(c);
        return r;
    }
    bool RunIdle(std::int64_t limit = 30000) {
        return sched.advanceUntil(
            [&] {
                return offline.replyState() == OfflineReplyState::Idle &&
                       offline.sequenceMode() == OfflineSequence::None;
            },
            limit);
    }

    DiagSettings settings;
    ReaderView readerView;
    ParmsGetCurrentDialogue reader{DialogueLinks::Of(ctx), readerView};
    OffView view;
    OfflineDiagDialogue offline{DialogueLinks::Of(ctx), settings, view};
};

TEST_F(OfflineDiag, FirstOpeningReadsTheParametersAndAsksTheSwitchOnce) {
    Open(305);
    const OfflineDisplay& d = offline.display();
    EXPECT_EQ(d.localId, "305");
    EXPECT_EQ(d.channelWarning, "Note: Channel 8 is Not redirected to any Channel.");
    EXPECT_EQ(d.channelIndex, 7);
    EXPECT_EQ(d.switchSetting, "DIP Switches (or CS0, CS1 and CS2) are set to Channel 8");
    const auto cmds = Commands();
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "CSWITCH"), 1);
    // The RSSI poll takes over while idle.
    sched.advance(800);
    EXPECT_EQ(Commands().back(), "RSSI");
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(offline.display().currentLevel, "-85 dBm");
    EXPECT_EQ(offline.display().levelPercent, 53);
    // Activating again sends nothing new when the port is unchanged.
    const std::size_t mark = fromHost().size();
    view.active = false;
    offline.Activate();
    sched.advance(2000);
    EXPECT_TRUE(Commands(mark).empty());
}

TEST_F(OfflineDiag, SelectedRemoteGetsDiagnosticsThenStatistics) {
    SetFilterIds(settings, {123, 305, 4000});
    Open(305);
    EXPECT_EQ(offline.display().remoteIds, (std::vector<std::string>{"123", "4000"}));  // not the local ID
    offline.SetLocal(false);
    offline.SelectRemote(0);
    const std::size_t mark = fromHost().size();
    offline.GetDiagsStats();
    ASSERT_TRUE(RunIdle());
    const auto cmds = CommandsExceptRssi(mark);
    ASSERT_GE(cmds.size(), 2u);
    EXPECT_EQ(cmds[0], "REM0000007BAS");
    EXPECT_EQ(cmds[1], "REM0000007BNS");
    const StationEntry& st = offline.stations()[1];
    EXPECT_TRUE(st.diagValid);
    EXPECT_TRUE(st.statsValid);
    EXPECT_EQ(st.stationId, 123);
    EXPECT_EQ(st.statsCount, 16);
    const OfflineDisplay& d = offline.display();
    EXPECT_EQ(d.battery, "12.0 V");
    EXPECT_EQ(d.analogVcc, "5.0 V");
    EXPECT_EQ(d.temperature, "25 C");
    EXPECT_EQ(d.rssiLevel, "-85 dBm");
    EXPECT_EQ(d.preambleGood, "1");
    ASSERT_EQ(d.statsList.size(), 16u);
    EXPECT_EQ(d.statsList[0].first, "  305");
    EXPECT_EQ(d.statsRssi, "-85 dBm");
    // Low and High show their sets of the stored record without a command.
    const std::size_t mark2 = fromHost().size();
    offline.SelectDiagSet(1);
    EXPECT_EQ(offline.display().battery, "12.0 V");
    EXPECT_TRUE(CommandsExceptRssi(mark2).empty());
}

TEST_F(OfflineDiag, AListScanWalksEveryRemoteAndRestoresTheSelection) {
    SetFilterIds(settings, {100, 205, 40000});
    Open(305);
    offline.SetLocal(false);
    offline.SetRemoteList(true);
    offline.SelectRemote(1);
    const std::size_t mark = fromHost().size();
    offline.GetDiagsStats();
    ASSERT_TRUE(RunIdle(60000));
    EXPECT_EQ(CommandsExceptRssi(mark),
              (std::vector<std::string>{"AS", "NS", "REM00000064AS", "REM00000064NS", "REM000000CDAS",
                                        "REM000000CDNS", "REM00009C40AS", "REM00009C40NS"}));
    EXPECT_EQ(offline.display().remoteSelected, 1);
    EXPECT_EQ(offline.display().progress, 0);
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(offline.stations()[static_cast<std::size_t>(k)].diagValid) << k;
    // Each station heard the local unit: its statistics' first entry is the master.
    EXPECT_EQ(offline.stations()[2].masterRssi, 85);
}

TEST_F(OfflineDiag, StopEndsAScanAfterTheOpenExchange) {
    SetFilterIds(settings, {100, 205, 40000});
    Open(305);
    offline.SetLocal(false);
    offline.SetRemoteList(true);
    const std::size_t mark = fromHost().size();
    offline.GetDiagsStats();
    ASSERT_TRUE(sched.advanceUntil([&] { return CommandsExceptRssi(mark).size() == 3; }, 10000));
    offline.Stop();
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(CommandsExceptRssi(mark).size(), 3u);
    EXPECT_EQ(offline.display().remoteSelected, 0);
}

// The end of a scan and a Stop bring the selection back to the unit the scan started on, and
// the displays with it: its own stored results, or "----" for a unit that never answered.
TEST_F(OfflineDiag, TheRestoredSelectionShowsItsOwnUnit) {
    SetFilterIds(settings, {100, 205});
    Open(305);
    offline.SetLocal(false);
    offline.SetRemoteList(true);
    offline.SelectRemote(0);  // 100
    const std::size_t mark = fromHost().size();
    auto sent = [&](const std::string& line) {
        const auto cmds = CommandsExceptRssi(mark);
        return std::find(cmds.begin(), cmds.end(), line) != cmds.end();
    };
    offline.GetDiagsStats();
    // 100 answers its "AS" and falls silent for its "NS"; 205 answers with other values.
    ASSERT_TRUE(sched.advanceUntil([&] { return sent("REM00000064NS"); }, 10000));
    sim.Stop();
    ASSERT_TRUE(sched.advanceUntil([&] { return sent("REM000000CDAS"); }, 10000));
    SimSettings other = Settings(false);
    other.masterId = 305;
    other.startId = 2000;
    other.endId = 2002;
    other.starts = other.ends = {70, 30, 130, 60, 6};
    sim.Start(other);
    ASSERT_TRUE(RunIdle(60000));
    ASSERT_TRUE(offline.stations()[1].diagValid);
    ASSERT_FALSE(offline.stations()[1].statsValid);
    ASSERT_TRUE(offline.stations()[2].statsValid);
    const OfflineDisplay& d = offline.display();
    EXPECT_EQ(d.remoteSelected, 0);
    EXPECT_EQ(d.remoteText, "100");
    EXPECT_EQ(d.battery, "12.0 V");  // 100's, not 205's 13.0 V
    EXPECT_TRUE(d.statsList.empty());
    EXPECT_EQ(d.statsRssi, "---- dBm");

    // Stop while the first remote answers: the last entry, never asked, shows nothing.
    SetFilterIds(settings, {100, 205, 40000});
    offline.Activate();
    offline.SelectRemote(2);
    const std::size_t mark2 = fromHost().size();
    offline.GetDiagsStats();
    ASSERT_TRUE(sched.advanceUntil([&] { return CommandsExceptRssi(mark2).size() == 3; }, 10000));
    offline.Stop();
    ASSERT_TRUE(RunIdle());
    ASSERT_TRUE(offline.stations()[1].diagValid);
    EXPECT_EQ(d.remoteSelected, 2);
    EXPECT_EQ(d.remoteText, "40000");
    EXPECT_EQ(d.battery, "---- V");
    EXPECT_EQ(d.temperature, "---- C");
    EXPECT_EQ(d.preambleGood, "----");
    EXPECT_TRUE(d.statsList.empty());
}

// A closed window keeps nothing of its visit: reopened, it shows and saves no old station.
TEST_F(OfflineDiag, ReopeningStartsWithoutTheStationsOfTheLastVisit) {
    SetFilterIds(settings, {123});
    Open(305);
    offline.GetDiagsStats();
    ASSERT_TRUE(RunIdle());
    offline.SetLocal(false);
    offline.SelectRemote(0);
    offline.GetDiagsStats();
    ASSERT_TRUE(RunIdle());
    ASSERT_TRUE(offline.stations()[0].diagValid);
    ASSERT_TRUE(offline.stations()[1].diagValid);

    offline.Unload();
    offline.Load();
    offline.Activate();
    ASSERT_TRUE(sched.advanceUntil([&] { return !reader.loaded(); }, 20000));
    ASSERT_TRUE(sched.advanceUntil([&] { return offline.replyState() == OfflineReplyState::Idle; }, 5000));
    const OfflineDisplay& d = offline.display();
    EXPECT_TRUE(d.optionLocal);
    EXPECT_EQ(d.remoteIds, std::vector<std::string>{"123"});
    for (const StationEntry& st : offline.stations()) {
        EXPECT_FALSE(st.diagValid);
        EXPECT_FALSE(st.statsValid);
    }
    EXPECT_EQ(d.battery, "---- V");
    offline.SetLocal(false);
    offline.SelectRemote(0);
    EXPECT_EQ(d.battery, "---- V");
    EXPECT_TRUE(d.statsList.empty());
    offline.setSettings({.offlineDiagsFile = home.file("offdiags.txt")});
    dialogs.expectSaveFile(home.file("off.txt"));
    dialogs.expectBox("There is no List of Offline Diagnostics to save yet!");
    offline.SaveClicked();
    EXPECT_FALSE(home.exists("off.txt"));
}

// A remote list rebuilt empty empties the box: Get Diags and Clear Stats for the remote are
// refused with a message instead of going to the unit no longer listed.
TEST_F(OfflineDiag, AnEmptiedRemoteListLeavesNoTarget) {
    SetFilterIds(settings, {100});
    Open(305);
    offline.SetLocal(false);
    offline.SelectRemote(0);
    ASSERT_EQ(offline.display().remoteText, "100");
    SetFilterIds(settings, {});
    offline.Activate();
    EXPECT_TRUE(offline.display().remoteIds.empty());
    EXPECT_EQ(offline.display().remoteText, "");
    dialogs.expectBox("The Remote ID must be a whole number from 0 to 4294967295.");
    dialogs.expectBox("The Remote ID must be a whole number from 0 to 4294967295.");
    const std::size_t mark = fromHost().size();
    offline.GetDiagsStats();
    offline.ClearStats();
    sched.advance(3000);
    EXPECT_TRUE(CommandsExceptRssi(mark).empty());
}

TEST_F(OfflineDiag, ASilentUnitGetsFourLinesAndNoStatistics) {
    SetFilterIds(settings, {77});
    Open(305);
    offline.SetLocal(false);
    offline.SelectRemote(0);
    sim.Stop();
    const std::size_t mark = fromHost().size();
    offline.ClearStats();
    ASSERT_TRUE(RunIdle());
    auto cmds = CommandsExceptRssi(mark);
    EXPECT_EQ(cmds, std::vector<std::string>(4, "REM0000004DNR"));
    const std::size_t mark2 = fromHost().size();
    offline.GetDiagsStats();
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(CommandsExceptRssi(mark2), std::vector<std::string>(4, "REM0000004DAS"));
    EXPECT_FALSE(offline.stations()[1].diagValid);
}

TEST_F(OfflineDiag, ToneChannelAndThePressesMadeWhileBusy) {
    Open(305);
    const std::size_t mark = fromHost().size();
    offline.SetTxTime(5);
    offline.TxTone();
    EXPECT_TRUE(offline.localToneOn());
    // Pressed while the tone exchange is open: they run one after the other.
    offline.TxTone();
    offline.ClearDiags();
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(CommandsExceptRssi(mark), (std::vector<std::string>{"TONE05", "AR", "TONE05"}));
    // No poll while the tone lasts (5375 ms from the last tone).
    const std::size_t mark2 = fromHost().size();
    sched.advance(4000);
    EXPECT_TRUE(Commands(mark2).empty());
    sched.advance(2000);
    EXPECT_FALSE(offline.localToneOn());
    ASSERT_TRUE(RunIdle());
    dialogs.expectBox("Do you want to Re-Direct Channel 8 to Channel 3", MsgAnswer::OK);
    offline.SelectChannel(2);
    const std::size_t mark3 = fromHost().size();
    offline.ChangeChannel();
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(CommandsExceptRssi(mark3), (std::vector<std::string>{"CHANNEL03"}));
    dialogs.expectBox("Do you want to Re-Direct Channel 8", MsgAnswer::Cancel);
    const std::size_t mark4 = fromHost().size();
    offline.ChangeChannel();
    sched.advance(100);
    EXPECT_TRUE(CommandsExceptRssi(mark4).empty());
}

TEST_F(OfflineDiag, AChannelConfirmedWhileAnExchangeStartedWaitsForIt) {
    Open(305);
    // While the question is open the poll starts; the confirmed command follows its reply
    // without a second question.
    struct EventBox : ScriptedDialogs {
        std::function<void()> whileShown;
        MsgAnswer messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                             MsgIcon icon) override {
            if (whileShown) whileShown();
            return ScriptedDialogs::messageBox(text, title, buttons, icon);
        }
    } box;
    box.whileShown = [&] {
        sched.advanceUntil([&] { return offline.replyState() == OfflineReplyState::AwaitingRssi; }, 2000);
    };
    box.expectBox("Do you want to Re-Direct Channel 8 to Channel 8", MsgAnswer::OK);
    ctx.state.dialogs = &box;
    ASSERT_EQ(offline.replyState(), OfflineReplyState::Idle);
    const std::size_t mark = fromHost().size();
    offline.ChangeChannel();
    EXPECT_EQ(offline.replyState(), OfflineReplyState::AwaitingRssi);
    ASSERT_TRUE(RunIdle());
    ctx.state.dialogs = &dialogs;
    EXPECT_EQ(box.boxes.size(), 1u);
    EXPECT_EQ(Commands(mark), (std::vector<std::string>{"RSSI", "CHANNEL08"}));
}

// Clear Diags, Clear Stats, Tx Tone and Change Channel start alike: a remote target needs a
// real ID, a press while busy waits for the open exchange, and the line goes to the remote named.
TEST_F(OfflineDiag, EachUnitCommandNeedsARealRemoteIdAndWaitsWhileBusy) {
    SetFilterIds(settings, {100});
    Open(305);
    offline.SetLocal(false);
    offline.SetTxTime(5);
    struct Case {
        const char* name;
        void (OfflineDiagDialogue::*press)();
        const char* line;
        bool asks;  // the channel question
    };
    const Case cases[] = {
        {"clear diags", &OfflineDiagDialogue::ClearDiags, "REM00000064AR", false},
        {"clear stats", &OfflineDiagDialogue::ClearStats, "REM00000064NR", false},
        {"tx tone", &OfflineDiagDialogue::TxTone, "REM00000064TONE05", false},
        {"change channel", &OfflineDiagDialogue::ChangeChannel, "REM00000064CHANNEL08", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        offline.TypeRemote("12x");
        dialogs.expectBox("The Remote ID must be a whole number from 0 to 4294967295.");
        const std::size_t mark = fromHost().size();
        (offline.*c.press)();
        EXPECT_EQ(offline.replyState(), OfflineReplyState::Idle);  // nothing went out

        offline.TypeRemote("100");
        offline.ClearStats();
        (offline.*c.press)();  // waits for the "NR" exchange
        if (c.asks) dialogs.expectBox("Do you want to Re-Direct Channel 8 to Channel 8", MsgAnswer::OK);
        ASSERT_TRUE(RunIdle());
        EXPECT_EQ(CommandsExceptRssi(mark), (std::vector<std::string>{"REM00000064NR", c.line}));
        EXPECT_FALSE(offline.localToneOn());
    }
}

// A channel confirmed while an exchange started waits; refused then for a remote ID that is no
// number, it is dropped: the next press asks again.
TEST_F(OfflineDiag, AConfirmedChannelRefusedForItsTargetIsNotSentLater) {
    SetFilterIds(settings, {100});
    Open(305);
    offline.SetLocal(false);
    offline.SelectRemote(0);
    struct EventBox : ScriptedDialogs {
        std::function<void()> whileShown;
        MsgAnswer messageBox(const std::string& text, const std::string& title, MsgButtons buttons,
                             MsgIcon icon) override {
            if (whileShown) std::exchange(whileShown, nullptr)();
            return ScriptedDialogs::messageBox(text, title, buttons, icon);
        }
    } box;
    box.whileShown = [&] {
        sched.advanceUntil([&] { return offline.replyState() == OfflineReplyState::AwaitingRssi; }, 2000);
        offline.TypeRemote("12x");
    };
    box.expectBox("Do you want to Re-Direct Channel 8 to Channel 8", MsgAnswer::OK);
    box.expectBox("The Remote ID must be a whole number from 0 to 4294967295.");
    ctx.state.dialogs = &box;
    const std::size_t mark = fromHost().size();
    offline.ChangeChannel();
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(CommandsExceptRssi(mark), std::vector<std::string>{});

    offline.TypeRemote("100");
    box.expectBox("Do you want to Re-Direct Channel 8 to Channel 8", MsgAnswer::Cancel);
    offline.ChangeChannel();
    sched.advance(3000);
    ctx.state.dialogs = &dialogs;
    box.verify();
    EXPECT_EQ(CommandsExceptRssi(mark), std::vector<std::string>{});
}

TEST_F(OfflineDiag, AnInvalidRemoteIdIsRefusedAndATypedOneGetsItsOwnStation) {
    SetFilterIds(settings, {100});
    Open(305);
    offline.SetLocal(false);
    offline.TypeRemote("12x");
    dialogs.expectBox("The Remote ID must be a whole number from 0 to 4294967295.");
    dialogs.expectBox("The Remote ID must be a whole number from 0 to 4294967295.");
    const std::size_t mark = fromHost().size();
    offline.GetDiagsStats();
    offline.ClearDiags();
    sched.advance(100);
    EXPECT_TRUE(CommandsExceptRssi(mark).empty());

    offline.TypeRemote("555");
    offline.GetDiagsStats();
    ASSERT_TRUE(RunIdle());
    EXPECT_EQ(CommandsExceptRssi(mark), (std::vector<std::string>{"REM0000022BAS", "REM0000022BNS"}));
    ASSERT_EQ(offline.stations().size(), 3u);
    EXPECT_TRUE(offline.stations()[2].diagValid);
    EXPECT_EQ(offline.stations()[2].stationId, 555);
    EXPECT_FALSE(offline.stations()[0].diagValid);  // the local unit's entry is untouched
}

// The window's settings go in before the load and come out after the unload: a stored tone
// time the bar cannot take loads as 1 s, the time in use and the file chosen are kept.
TEST_F(OfflineDiag, SettingsCarryTheToneTimeAndTheChosenFileAcrossAVisit) {
    for (const std::int16_t stored : {0, 61}) {
        offline.setSettings({.txToneTime = stored, .offlineDiagsFile = home.file("offdiags.txt")});
        offline.Load();
        EXPECT_EQ(offline.display().txTime, 1) << stored;
        offline.Unload();
    }
    offline.Load();
    offline.SetTxTime(42);
    dialogs.expectSaveFile(home.file("off.txt"));
    dialogs.expectBox("There is no List of Offline Diagnostics to save yet!");
    offline.SaveClicked();
    offline.Unload();
    const OfflineDiagSettings kept = offline.settings();
    EXPECT_EQ(kept.txToneTime, 42);
    EXPECT_EQ(kept.offlineDiagsFile, home.file("off.txt"));
    offline.Load();
    EXPECT_EQ(offline.display().txTime, 42);
}

TEST_F(OfflineDiag, SaveWritesOneLinePerStationWithDiagnostics) {
    SetFilterIds(settings, {100});
    Open(305);
    offline.setSettings({.offlineDiagsFile = home.file("offdiags.txt")});
    dialogs.expectSaveFile(home.file("off.txt"));
    dialogs.expectBox("There is no List of Offline Diagnostics to save yet!");
    offline.SaveClicked();
    EXPECT_FALSE(home.exists("off.txt"));

    offline.GetDiagsStats();
    ASSERT_TRUE(RunIdle());
    dialogs.expectSaveFile(home.file("off.txt"));
    offline.SaveClicked();
    dialogs.expectSaveFile(home.file("off.txt"));
    dialogs.expectBox("Click No to Append Data to End of File.", MsgAnswer::No);
    offline.SaveClicked();
    const auto lines = SplitLines(home.read("off.txt"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], OfflineDiagDialogue::SaveHeader());
    EXPECT_EQ(lines[2], "       305  ---- dBm   12.0 V  5.0 V    25 C   -85 dBm   5.0 W  0.5 W           1           1           1");
    EXPECT_EQ(lines[2].size(), 105u);
    EXPECT_EQ(lines[4], OfflineDiagDialogue::SaveHeader());
    EXPECT_EQ(lines[5], lines[2]);
    EXPECT_EQ(lines[0].size(), 20u);
}

}  // namespace
}  // namespace k45::test

namespace k45::test {
namespace {

// A statistics reply of `entries` entries of 9 bytes, as R1 records of 16 bytes, R9 and R8.
std::string StatsReply(int entries, int flags, int value) {
    std::vector<std::int16_t> bytes;
    for (int e = 0; e < entries; ++e) {
        const std::int16_t entry[9] = {static_cast<std::int16_t>(flags), 0, static_cast<std::int16_t>(e % 200),
                                       static_cast<std::int16_t>(value), static_cast<std::int16_t>(value),
                                       static_cast<std::int16_t>(value), 0, static_cast<std::int16_t>(value),
                                       static_cast<std::int16_t>(value)};
        bytes.insert(bytes.end(), entry, entry + 9);
    }
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
        const std::size_t n = std::min<std::size_t>(16, bytes.size() - at);
        text += SimDataRecordLine(static_cast<std::int32_t>(5000 + at),
                                  std::vector<std::int16_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                                            bytes.begin() + static_cast<std::ptrdiff_t>(at + n)));
    }
    return text + SimEndLine() + SimAckLine();
}

TEST_F(OfflineDiag, StatisticsAreClampedTo33EntriesAndAnAllZeroEntryClearsOnlyItsLabels) {
    Open(305);
    offline.GetDiagsStats();
    // "NS" is on its way: the simulator falls silent and a long reply comes instead.
    ASSERT_TRUE(sched.advanceUntil([&] { return offline.sequenceMode() == OfflineSequence::Statistics; }, 10000));
    sim.Stop();
    sched.advance(5);
    cable.inject(Direction::BtoA, StatsReply(40, 127, 0));
    ASSERT_TRUE(RunIdle());
    const StationEntry& st = offline.stations()[0];
    EXPECT_TRUE(st.statsValid);
    EXPECT_EQ(st.statsCount, kMaxStatsEntries);
    const OfflineDisplay& d = offline.display();
    EXPECT_EQ(d.statsList.size(), static_cast<std::size_t>(kMaxStatsEntries));  // the list stays filled
    EXPECT_EQ(d.statsRssi, "---- dBm");  // the all-zero entry shows nothing
    EXPECT_EQ(d.idTruncated, "----");
}

TEST_F(OfflineDiag, ReactivatingWithTheSameListKeepsTheStoredResults) {
    SetFilterIds(settings, {123});
    Open(305);
    offline.SetLocal(false);
    offline.SelectRemote(0);
    offline.GetDiagsStats();
    ASSERT_TRUE(RunIdle());
    ASSERT_TRUE(offline.stations()[1].diagValid);
    offline.Activate();
    EXPECT_TRUE(offline.stations()[1].diagValid);
    EXPECT_EQ(offline.display().battery, "12.0 V");
    SetFilterIds(settings, {123, 456});  // the ID list changed: the table starts afresh
    offline.Activate();
    EXPECT_FALSE(offline.stations()[1].diagValid);
    EXPECT_EQ(offline.display().battery, "---- V");
}

}  // namespace
}  // namespace k45::test
