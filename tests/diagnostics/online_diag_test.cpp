// The Online Diagnostics dialogue end to end: the simulator streams packets on the secondary
// port, the dialogue listens on the primary, in virtual time.
#include <gtest/gtest.h>

#include "diagnostics/diag_bench.h"
#include "diagnostics/online_diag.h"

namespace k45::test {
namespace {

struct OnlineView : OnlineDiagView {
    bool active = true;
    int requests = 0;  // the reads asked of the main window, and the client of the last
    ParmsClient* client = nullptr;
    std::string count = "0";
    std::vector<std::string> entries;
    int selected = -2;
    int redraws = 0;
    bool IsActiveChild() const override { return active; }
    void ShowTestCount(const std::string& t) override { count = t; }
    void ShowFilterEntries(const std::vector<std::string>& e, int s) override {
        entries = e;
        selected = s;
    }
    void GridChanged() override { ++redraws; }
    void SetProgress(int p) override { progress = p; }
    int progress = 0;
};

class OnlineDiag : public DiagBench {
protected:
    OnlineDiag() {
        settings.alarmLimits = DefaultAlarmLimits();
        settings.filterLimits = DefaultFilterLimits();
        ctx.state.currentParameters.model = 6;
        ctx.state.currentParameters.baudRate = 1;
        ctx.state.currentParameters.diagGateMode = kTrue;
        mainFrame.reader = [this](ParmsClient& c) {
            ++view.requests;
            view.client = &c;
        };
    }
    ~OnlineDiag() override { online.Unload(); }
    // Opens the window and lets the reader report.
    void OpenAndRead(bool found = true) {
        online.Load();
        online.Activate();
        ASSERT_EQ(view.requests, 1);
        view.client->UpdateParms(found);
    }
    SimSettings Stream(int packets, std::uint32_t startId, std::uint32_t endId) {
        SimSettings s = Settings(true);
        s.packetsToSend = packets;
        s.startId = startId;
        s.endId = endId;
        s.starts = {80, 20, 120, 30, 5};
        s.ends = {80, 20, 120, 30, 5};
        return s;
    }

    DiagSettings settings;
    OnlineView view;
    OnlineDiagDialogue online{DialogueLinks::Of(ctx), settings, view};
};

TEST_F(OnlineDiag, PacketsAreDroppedUntilTheParametersAreCompared) {
    online.Load();
    online.Activate();
    EXPECT_EQ(online.parmsState(), OnlineParmsState::AwaitParameters);
    sim.Start(Stream(5, 1, 5));
    sched.advance(200);
    EXPECT_EQ(online.history().count(), 0);
    view.active = false;
    view.client->UpdateParms(true);
    EXPECT_EQ(online.parmsState(), OnlineParmsState::AwaitActivation);  // waits for the next activation
    view.active = true;
    online.Activate();
    EXPECT_EQ(online.parmsState(), OnlineParmsState::Listening);
    EXPECT_EQ(primary->GetWorkingBaudRate(), 9600);
    EXPECT_EQ(primary->GetWorkingTxMode(), 1);
    sim.Start(Stream(5, 1, 5));
    sched.advance(200);
    EXPECT_EQ(online.history().count(), 5);
    EXPECT_EQ(online.grid().rowsUsed(), 5);
}

TEST_F(OnlineDiag, RawRateByModelAndTheGateWarningOnce) {
    struct Case {
        std::int16_t model, baud;
        std::int32_t rate;
    };
    for (const Case c : {Case{6, 2, 19200}, Case{4, 2, 4800}, Case{12, 2, 2400}, Case{6, 7, 9600}, Case{4, 0, 1200}})
        EXPECT_EQ(RawOutputBaud(c.model, c.baud), c.rate) << c.model << "/" << c.baud;

    ctx.state.currentParameters.model = 6;
    ctx.state.currentParameters.baudRate = 2;
    ctx.state.currentParameters.diagGateMode = kFalse;
    dialogs.expectBox("Modem is not Programmed with 'Output Raw Diagnostic Data Only'.");
    OpenAndRead();
    EXPECT_EQ(primary->GetWorkingBaudRate(), 19200);
    online.Activate();  // no second warning, no second read
    EXPECT_EQ(view.requests, 1);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].title, "Programming Error");
}

TEST_F(OnlineDiag, ACancelledReadListensAtTheConfiguredRateWithoutWarning) {
    CommSettings comm = primary->settings();
    comm.portSettings.baudRate = 4800;
    primary->setSettings(comm);
    OpenAndRead(false);
    EXPECT_EQ(online.parmsState(), OnlineParmsState::Listening);
    EXPECT_EQ(online.rawBaudRate(), 4800);
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(OnlineDiag, FiltersAlarmsAndSlotsOfGeneratedPackets) {
    SetFilterIds(settings, {2, 3, 1026});
    OpenAndRead();
    SimSettings s = Stream(12, 1, 4);  // IDs 1, 2, 3, 4, 1, 2, ...
    s.starts[simRssi] = 131;           // every other packet below the alarm low bound
    s.ends[simRssi] = 132;
    sim.Start(s);
    sched.advance(500);
    ASSERT_EQ(online.history().count(), 12);
    EXPECT_EQ(online.grid().rowsUsed(), 12);
    EXPECT_EQ(OnlineCellText(online.grid().row(0), 3, {".", "-"}), "<");

    online.SetFilterMode(IdFilterMode::List);
    EXPECT_EQ(online.grid().rowsUsed(), 6);  // short IDs 2 and 3 (1026 is short ID 2 with the plus flag)
    online.SetSlotted(true);
    EXPECT_EQ(online.grid().rowsUsed(), 2);
    EXPECT_EQ(view.entries, (std::vector<std::string>{"  2", "  3", "+ 2"}));
    online.SetFilterMode(IdFilterMode::Selected);
    online.SelectFilterEntry(1);
    ASSERT_EQ(online.grid().rowsUsed(), 1);
    EXPECT_EQ(online.grid().row(0).record.shortId, 3);
    online.SetFilterMode(IdFilterMode::Off);
    EXPECT_EQ(online.grid().rowsUsed(), 4);  // slotted: one row per unit
}

TEST_F(OnlineDiag, SilenceOver300MsLosesAHalfPacketAndPauseDropsEverything) {
    OpenAndRead();
    const auto p = BuildOnlinePacket(7, 80, 20, 120, 30, 5);
    const std::string bytes(p.begin(), p.end());
    cable.inject(Direction::BtoA, bytes.substr(0, 4));
    sched.advance(100);
    cable.inject(Direction::BtoA, bytes.substr(4));
    sched.advance(100);
    EXPECT_EQ(online.history().count(), 1);
    cable.inject(Direction::BtoA, bytes.substr(0, 4));
    sched.advance(400);
    cable.inject(Direction::BtoA, bytes.substr(4));
    sched.advance(100);
    EXPECT_EQ(online.history().count(), 1);
    online.SetPause(true);
    cable.inject(Direction::BtoA, bytes);
    sched.advance(100);
    online.SetPause(false);
    EXPECT_EQ(online.history().count(), 1);
    cable.inject(Direction::BtoA, bytes);
    sched.advance(100);
    EXPECT_EQ(online.history().count(), 2);
}

TEST_F(OnlineDiag, RejectedPacketsAreCountedOnlyInEngineeringMode) {
    OpenAndRead();
    const auto bad = BuildOnlinePacket(7, 200, 20, 120, 30, 5);  // -200 dBm: outside the filter
    const std::string bytes(bad.begin(), bad.end());
    cable.inject(Direction::BtoA, bytes + bytes);
    sched.advance(100);
    EXPECT_EQ(online.testCount(), "0");
    ctx.state.engineerMode = true;
    cable.inject(Direction::BtoA, bytes + bytes);
    sched.advance(100);
    EXPECT_EQ(online.testCount(), "2");
    EXPECT_EQ(view.count, "2");
    EXPECT_EQ(online.history().count(), 0);
    online.Clear();
    EXPECT_EQ(view.count, "0");
}

TEST_F(OnlineDiag, SaveAsksForAnExistingFileAndSaysWhenTheGridIsEmpty) {
    OpenAndRead();
    std::string saveName = home.file("ondiags.txt");
    dialogs.expectSaveFile(home.file("a.txt"));
    dialogs.expectBox("There is no Online Diagnostics to save yet!");
    online.SaveClicked(saveName);
    EXPECT_EQ(saveName, home.file("a.txt"));
    EXPECT_FALSE(home.exists("a.txt"));

    sim.Start(Stream(3, 1, 3));
    sched.advance(200);
    dialogs.expectSaveFile(home.file("a.txt"));
    online.SaveClicked(saveName);
    const std::string first = home.read("a.txt");
    dialogs.expectSaveFile(home.file("a.txt"));
    dialogs.expectBox("already exists!", MsgAnswer::No);
    online.SaveClicked(saveName);
    EXPECT_EQ(home.read("a.txt"), first + first);
    dialogs.expectSaveFile(home.file("a.txt"));
    dialogs.expectBox("Click No to Append data to end of file.", MsgAnswer::Cancel);
    online.SaveClicked(saveName);
    EXPECT_EQ(home.read("a.txt"), first + first);
    EXPECT_EQ(dialogs.fileRequests.back().title, "Save Diagnostics Text File As");
    EXPECT_EQ(dialogs.fileRequests.back().fileName, "a.txt");
}

// A box runs a loop of its own, in which the window may close, or close and open again: the
// dialogue goes no further with what the box interrupted.
TEST_F(OnlineDiag, AWindowClosedUnderABoxIsNotCarriedOn) {
    ctx.state.currentParameters.diagGateMode = kFalse;
    dialogs.expectBox("Modem is not Programmed with 'Output Raw Diagnostic Data Only'.");
    dialogs.whileShown = [&](const std::string&) { online.Unload(); };
    online.Load();
    online.Activate();
    view.selected = -2;
    view.client->UpdateParms(true);
    EXPECT_FALSE(online.loaded());
    EXPECT_EQ(view.selected, -2) << "the filter list of a closed window was filled";

    // The save question of a window that then closed and opened again: the new load's empty
    // grid never replaces the file.
    dialogs.whileShown = nullptr;
    view.requests = 0;
    ctx.state.currentParameters.diagGateMode = kTrue;
    OpenAndRead();
    sim.Start(Stream(3, 1, 3));
    sched.advance(200);
    ASSERT_EQ(online.grid().rowsUsed(), 3);
    std::string saveName = home.file("ondiags.txt");
    dialogs.expectSaveFile(home.file("a.txt"));
    online.SaveClicked(saveName);
    const std::string saved = home.read("a.txt");
    dialogs.expectSaveFile(home.file("a.txt"));
    dialogs.expectBox("already exists!", MsgAnswer::Yes);
    dialogs.whileShown = [&](const std::string&) {
        online.Unload();
        online.Load();
    };
    online.SaveClicked(saveName);
    dialogs.whileShown = nullptr;
    EXPECT_EQ(home.read("a.txt"), saved);
}

}  // namespace
}  // namespace k45::test
