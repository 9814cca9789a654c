// The version request, end to end in virtual time.
#include <gtest/gtest.h>

#include "programming/programming_bench.h"
#include "programming/dialogue_support.h"
#include "programming/ver_reqst.h"

namespace k45::test {
namespace {

struct RecordingVerView : VerReqstView {
    bool active = true;
    std::function<void()> onClose;
    std::string upper = "Put modem in setup mode.";
    std::string lower = "Connect cable and supply power.";
    bool IsActiveChild() const override { return active; }
    void CloseWindow() override {
        if (onClose) onClose();
    }
    void SetLabels(const std::string& u, const std::string& l) override {
        upper = u;
        lower = l;
    }
};

class VersionRequest : public ProgrammingBench {
protected:
    VersionRequest() { view.onClose = [this] { dlg.Unload(); }; }
    void Open(bool autoStart) {
        dlg.setSettings({.autoStart = autoStart});
        dlg.Load();
        dlg.Activate();
    }
    RecordingVerView view;
    VerReqstDialogue dlg{DialogueLinks::Of(ctx), view};
};

TEST_F(VersionRequest, ShowsTheVersionAndTheNotice) {
    Open(true);
    sched.advance(99);
    EXPECT_TRUE(hostWrites().empty());
    sched.advance(1);
    ASSERT_EQ(hostWrites().size(), 1u);
    EXPECT_EQ(hostWrites()[0].bytes, "?\r");
    EXPECT_EQ(hostWrites()[0].atMs, 100);
    EXPECT_EQ(view.upper, "Reading Modem's Version");
    EXPECT_EQ(view.lower, "");
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.requestState() == VerRequestState::Idle; }, 1000));
    EXPECT_EQ(view.upper, "K45MR V6.02");
    EXPECT_EQ(view.lower, "Copyright (c) 2026 K45 Firmware");
    EXPECT_EQ(mainFrame.versionLabel, "K45MR V6.02");
    sched.advance(10000);
    EXPECT_TRUE(dlg.loaded());  // the window stays open with the answer
    EXPECT_EQ(hostWrites().size(), 1u);
    EXPECT_TRUE(mainFrame.counterCalls.empty());
}

TEST_F(VersionRequest, ALineThatStartsWithTheKeywordGivesAnEmptyVersion) {
    modem.versionText = "";
    modem.notice = "Copyright 2026";
    Open(true);
    sched.advance(1000);
    EXPECT_EQ(view.upper, "");
    EXPECT_EQ(view.lower, "Copyright 2026");
    EXPECT_EQ(mainFrame.versionLabel, "");
    EXPECT_EQ(mainFrame.versionCalls, 1);
}

TEST_F(VersionRequest, SilenceResendsThreeTimesThenCloses) {
    modem.addFault({ModemFault::Silence, ModemStep::Version, 0, -1});
    mainFrame.counterText = "7";  // left by an earlier dialogue: the request does not clear it
    dialogs.expectBox(kNoVersionText);
    Open(true);
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 20000));
    EXPECT_EQ(sched.nowMs(), 6100);
    const auto q = hostWrites("?");
    ASSERT_EQ(q.size(), 4u);
    EXPECT_EQ(q[0].atMs, 100);
    EXPECT_EQ(q[1].atMs, 1600);
    EXPECT_EQ(q[2].atMs, 3100);
    EXPECT_EQ(q[3].atMs, 4600);
    EXPECT_EQ(mainFrame.counterText, "10");
    EXPECT_EQ(dialogs.boxes[0].buttons, MsgButtons::OK);
    EXPECT_EQ(dialogs.boxes[0].icon, MsgIcon::None);
    EXPECT_EQ(view.upper, "Reading Modem's Version");
}

TEST_F(VersionRequest, ASecondOkStartsTheCountAfresh) {
    modem.addFault({ModemFault::Silence, ModemStep::Version, 0, -1});
    Open(false);
    sched.advance(500);
    EXPECT_TRUE(hostWrites().empty());  // no request without OK
    dlg.OK();
    sched.advance(3100);  // two resends
    EXPECT_EQ(dlg.resendCount(), 2);
    dlg.OK();
    EXPECT_EQ(dlg.resendCount(), 0);
    dialogs.expectBox(kNoVersionText);
    ASSERT_TRUE(sched.advanceUntil([&] { return !dlg.loaded(); }, 20000));
    EXPECT_EQ(hostWrites("?").size(), 3u + 4u);
}

TEST_F(VersionRequest, LinesWithoutTheKeywordAreIgnored) {
    modem.addFault({ModemFault::NoKeyword, ModemStep::Version});
    Open(true);
    sched.advance(1000);
    EXPECT_EQ(dlg.requestState(), VerRequestState::AwaitingVersion);
    EXPECT_EQ(view.upper, "Reading Modem's Version");
    sched.advance(1000);  // the time-out runs on and resends
    EXPECT_EQ(hostWrites("?").size(), 2u);
    ASSERT_TRUE(sched.advanceUntil([&] { return dlg.requestState() == VerRequestState::Idle; }, 1000));
    EXPECT_EQ(view.upper, "K45MR V6.02");
}

TEST_F(VersionRequest, ResendsWaitForTheWindowToBeActive) {
    modem.addFault({ModemFault::Silence, ModemStep::Version, 0, 1});
    Open(true);
    sched.advance(200);
    view.active = false;
    sched.advance(10000);
    EXPECT_EQ(hostWrites("?").size(), 1u);
    view.active = true;
    sched.advance(1500);
    EXPECT_EQ(hostWrites("?").size(), 2u);
    sched.advance(500);
    EXPECT_EQ(view.upper, "K45MR V6.02");
}

}  // namespace
}  // namespace k45::test
