// The offline link test: its timing table, and whole runs against the simulator's test pattern.
#include <gtest/gtest.h>

#include "diagnostics/diag_bench.h"
#include "diagnostics/link_test.h"

namespace k45::test {
namespace {

TEST(LinkTiming, TicksByBaudBlockSizeAndDelay) {
    struct Case {
        std::int32_t baud;
        std::int16_t blockSize;
        std::int32_t delay;
        LinkTiming want;
    };
    const std::vector<Case> cases = {
        {9600, 10, 4, {2390, 3200, 6, 7, 13, 7, true}},
        {1200, 10, 4, {3840, 9938, 9, 21, 30, 21, true}},
        {9600, 10, 20, {2390, 3200, 6, 7, 20, 20, false}},
        {0, 10, 4, {2390, 3200, 6, 7, 13, 7, true}},  // unknown baud: the 9600 row
        {19200, 200, 240, {2290, 10394, 6, 22, 240, 240, false}},
    };
    for (const auto& c : cases) {
        const LinkTiming t = ComputeLinkTiming(c.baud, c.blockSize, c.delay);
        EXPECT_EQ(t.baseMs, c.want.baseMs) << c.baud;
        EXPECT_EQ(t.transferMs, c.want.transferMs) << c.baud;
        EXPECT_EQ(t.baseTicks, c.want.baseTicks) << c.baud;
        EXPECT_EQ(t.transferTicks, c.want.transferTicks) << c.baud;
        EXPECT_EQ(t.responseTicks, c.want.responseTicks) << c.baud;
        EXPECT_EQ(t.blockDelayTicks, c.want.blockDelayTicks) << c.baud;
        EXPECT_EQ(t.fastRestart, c.want.fastRestart) << c.baud;
    }
    EXPECT_EQ(LinkDataBaud(6, 2), 19200);
    EXPECT_EQ(LinkDataBaud(4, 0), 1200);
    EXPECT_EQ(LinkDataBaud(4, 9), 9600);
}

struct HostWriteAt {
    std::int64_t atMs;
    std::string bytes;
};

struct LinkView : LinkTestView {
    bool active = true;
    bool IsActiveChild() const override { return active; }
    void DisplayChanged() override { ++redraws; }
    void FocusStart() override { focus = "Start"; }
    void FocusPause() override { focus = "Pause"; }
    int redraws = 0;
    std::string focus;
};

class LinkTest : public DiagBench {
protected:
    LinkTest() {
        readerView.reader = &reader;
        mainFrame.reader = [this](ParmsClient& client) { RequestFromReader(reader, &client); };
        sim.Activate();
        SetFilterIds(settings, {77});
        SimSettings s = Settings(false);
        s.masterId = 305;
        sim.Start(s);
    }
    ~LinkTest() override {
        link.Unload();
        if (reader.loaded()) reader.Unload();
    }
    void Open(double blocks, std::int16_t delay, std::int16_t size) {
        link.SetLoadSettings({blocks, delay, size});
        link.Load();
        link.Activate();
        ASSERT_TRUE(sched.advanceUntil([&] { return link.linkState() == LinkState::Idle; }, 20000));
    }
    std::vector<HostWriteAt> Requests() const {
        std::vector<HostWriteAt> r;
        for (const auto& c : cable.wireLog(Direction::AtoB))
            if (c.bytes.find("PSUDO") != std::string::npos) r.push_back({c.writtenAtMs, c.bytes});
        return r;
    }

    DiagSettings settings;
    ReaderView readerView;
    ParmsGetCurrentDialogue reader{DialogueLinks::Of(ctx), readerView};
    LinkView view;
    LinkTestEngine link{DialogueLinks::Of(ctx), settings, view};
};

TEST_F(LinkTest, TwentyFiveBlocksGoAsThreeRequestsOfTenAgainstThePattern) {
    Open(25, 4, 10);
    EXPECT_EQ(link.display().localId, "305");
    EXPECT_EQ(link.display().remoteIds, std::vector<std::string>{"77"});
    EXPECT_EQ(link.dataBaud(), 9600);
    EXPECT_EQ(link.display().linkQuality, "0.000 %");
    link.StartClicked();
    ASSERT_TRUE(sched.advanceUntil([&] { return link.linkState() == LinkState::Idle; }, 60000));
    const auto req = Requests();
    ASSERT_EQ(req.size(), 3u);
    EXPECT_EQ(req[0].bytes, "REM0000004DPSUDO0A\r");
    EXPECT_EQ(link.blocksTxed(), 30);
    EXPECT_EQ(link.blocksRxed(), 30);
    EXPECT_EQ(link.display().linkQuality, "100.000 %");
    EXPECT_TRUE(link.display().startEnabled);
    EXPECT_FALSE(link.display().pauseEnabled);
    // A complete block brings the next request at once, not after the 13-tick time-out.
    EXPECT_LT(req[1].atMs - req[0].atMs, 2000);
    EXPECT_TRUE(primary->GetDTR());
}

TEST_F(LinkTest, ALostReplySendsTheNextRequestAfterFourteenTicksAndALimitEndsTheTest) {
    Open(20, 4, 10);
    sim.Stop();
    link.StartClicked();
    ASSERT_TRUE(sched.advanceUntil([&] { return link.linkState() == LinkState::Idle; }, 60000));
    const auto req = Requests();
    ASSERT_EQ(req.size(), 2u);
    EXPECT_EQ(req[1].atMs - req[0].atMs, 7100);
    EXPECT_EQ(link.blocksRxed(), 0);
    EXPECT_EQ(link.display().linkQuality, "0.000 %");
}

TEST_F(LinkTest, StartWaitsForTheDataBaudAndARestartDuringTheReadRuns) {
    link.SetLoadSettings({10, 4, 10});
    link.Load();
    link.Activate();
    EXPECT_FALSE(link.startAvailable());
    link.StartClicked();  // while the parameters are read
    ASSERT_TRUE(sched.advanceUntil([&] { return Requests().size() == 1; }, 20000));
    ASSERT_TRUE(sched.advanceUntil([&] { return link.linkState() == LinkState::Idle; }, 60000));
    EXPECT_EQ(link.blocksRxed(), 10);
}

TEST_F(LinkTest, TheNextLoadStartsWithTheSettingsInUseAtTheUnload) {
    Open(0, 4, 10);
    link.SetNumOfBlocks("30");
    link.SetBlockDelay(300);  // beyond the scale: its end
    link.SetBlockSize(7);
    link.Unload();
    EXPECT_EQ(link.loadSettings().numberOfBlocks, 30);
    EXPECT_EQ(link.loadSettings().blockDelay, 240);
    EXPECT_EQ(link.loadSettings().blockSize, 7);
    link.Load();
    EXPECT_EQ(link.display().numOfBlocks, "30");
    EXPECT_EQ(link.display().blockDelay, 240);
    EXPECT_EQ(link.display().blockSize, 7);
}

TEST_F(LinkTest, AnInvalidRemoteIdIsRefused) {
    Open(0, 4, 10);
    link.TypeRemote("");
    dialogs.expectBox("The Remote ID must be a whole number from 0 to 4294967295.");
    link.StartClicked();
    sched.advance(1000);
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(link.linkState(), LinkState::Idle);
}

// The list is built before the local ID is known, then without it: the box does not keep the
// local unit's own ID, and Start asked for during the read goes to a listed remote.
TEST_F(LinkTest, TheLocalUnitsOwnIdIsNeverTheTarget) {
    SetFilterIds(settings, {305, 1000});
    link.SetLoadSettings({10, 4, 10});
    link.Load();
    link.Activate();
    EXPECT_EQ(link.display().remoteText, "305");  // the local ID is not known yet
    link.StartClicked();                          // while the parameters are read
    ASSERT_TRUE(sched.advanceUntil([&] { return Requests().size() == 1; }, 20000));
    EXPECT_EQ(Requests()[0].bytes, "REM000003E8PSUDO0A\r");
    EXPECT_EQ(link.display().remoteText, "1000");
    ASSERT_TRUE(sched.advanceUntil([&] { return link.linkState() == LinkState::Idle; }, 60000));

    SetFilterIds(settings, {305});  // only the local unit is left
    link.Activate();
    EXPECT_TRUE(link.display().remoteIds.empty());
    EXPECT_EQ(link.display().remoteText, "");
    dialogs.expectBox("The Remote ID must be a whole number from 0 to 4294967295.");
    link.StartClicked();
    sched.advance(1000);
    EXPECT_EQ(Requests().size(), 1u);
    EXPECT_EQ(link.linkState(), LinkState::Idle);
}

TEST_F(LinkTest, PauseDuringATransmissionEndsItWhenTheBlockCompletes) {
    Open(0, 4, 10);
    link.StartClicked();
    ASSERT_TRUE(sched.advanceUntil([&] { return link.linkState() == LinkState::AwaitingPatternLines; }, 5000));
    link.PauseClicked();
    EXPECT_EQ(link.linkState(), LinkState::PausedAwaitingPatternLines);
    EXPECT_TRUE(link.display().startEnabled);
    ASSERT_TRUE(sched.advanceUntil([&] { return link.linkState() == LinkState::Idle; }, 20000));
    EXPECT_EQ(link.blocksRxed(), 10);
    EXPECT_EQ(Requests().size(), 1u);
    link.ClearClicked();
    EXPECT_EQ(link.display().blocksTxed, "0");
    EXPECT_EQ(link.display().linkQuality, "0.000 %");
}

}  // namespace
}  // namespace k45::test

namespace k45::test {
namespace {

TEST_F(LinkTest, PauseBetweenTransmissionsEndsAtOnceAndClearKeepsCountingTheOpenBlock) {
    Open(0, 20, 5);  // 10 s delay: no fast restart
    link.StartClicked();
    ASSERT_TRUE(sched.advanceUntil(
        [&] { return link.linkState() == LinkState::AwaitingPatternLines && link.blocksRxed() == 2; }, 10000));
    link.ClearClicked();  // the rest of the block still counts
    ASSERT_TRUE(sched.advanceUntil([&] { return link.linkState() == LinkState::AwaitingNextRequest; }, 10000));
    EXPECT_EQ(link.blocksTxed(), 0);
    EXPECT_EQ(link.blocksRxed(), 3);
    link.PauseClicked();
    EXPECT_EQ(link.linkState(), LinkState::Idle);
    sched.advance(15000);
    EXPECT_EQ(Requests().size(), 1u);
}

// A request that finds the port closed gets the port's box; the window closes and opens again
// under it. The old request goes no further: the new load waits for its parameters and sends
// nothing of the old test. (A lost device is told once, so the port is closed here instead.)
TEST_F(LinkTest, ARequestWhoseWindowClosedUnderABoxGoesNoFurther) {
    Open(0, 4, 10);
    sim.Stop();
    link.StartClicked();
    ASSERT_EQ(Requests().size(), 1u);
    primary->CloseCommPort();
    dialogs.expectBox("Not Open!!");
    bool reopened = false;
    dialogs.whileShown = [&](const std::string& text) {
        if (text.find("Not Open!!") == std::string::npos) return;
        link.Unload();
        link.Load();
        reopened = true;
    };
    ASSERT_TRUE(sched.advanceUntil([&] { return reopened; }, 10000));
    dialogs.whileShown = nullptr;
    EXPECT_EQ(link.linkState(), LinkState::AwaitingParameters);
    sched.advance(20000);
    EXPECT_EQ(link.linkState(), LinkState::AwaitingParameters);
    EXPECT_EQ(Requests().size(), 1u);
}

}  // namespace
}  // namespace k45::test
