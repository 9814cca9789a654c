// The version request window on the offscreen platform against the simulated modem.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "programming/dialogue_support.h"
#include "programming/ui/ver_reqst_window.h"
#include "programming/window_bench.h"

namespace k45::test {
namespace {

class VerWindow : public ProgrammingBench {
protected:
    VerWindow() { mainFrame.active = &win; }
    ~VerWindow() override { win.close(); }
    void Open() {
        win.setAutoStart(true);  // Edit > Version and the tool-bar button
        win.show();
        win.Form_Activate();
    }
    QString Label(int i) const { return win.labelRead[static_cast<std::size_t>(i)]->text(); }
    formVerReqst win{ctx};
};

TEST_F(VerWindow, ShowsTheModemsVersionAndNotice) {
    EXPECT_EQ(win.windowTitle(), "Version Request");
    Open();
    EXPECT_EQ(Label(0), "Put modem in setup mode.");
    EXPECT_EQ(Label(1), "Connect cable and supply power.");
    sched.advance(100);
    EXPECT_EQ(Label(0), "Reading Modem's Version");
    EXPECT_EQ(Label(1), "");
    sched.advance(500);
    EXPECT_EQ(Label(0), "K45MR V6.02");
    EXPECT_EQ(Label(1), "Copyright (c) 2026 K45 Firmware");
    EXPECT_EQ(mainFrame.versionLabel, "K45MR V6.02");
    Screenshot(win, "ver_reqst");
    // OK asks again.
    modem.versionText = "K45MR V6.03";
    win.buttonOK->click();
    sched.advance(500);
    EXPECT_EQ(Label(0), "K45MR V6.03");
    EXPECT_EQ(hostWrites("?").size(), 2u);
    win.buttonClose->click();
    EXPECT_FALSE(win.loaded());
    EXPECT_FALSE(win.isVisible());
    EXPECT_FALSE(win.autoStart());
    // Opened again, it does not show the last answer.
    Open();
    EXPECT_EQ(Label(0), "Put modem in setup mode.");
    EXPECT_EQ(Label(1), "Connect cable and supply power.");
}

TEST_F(VerWindow, SilenceClosesTheWindowAfterTheMessage) {
    modem.addFault({ModemFault::Silence, ModemStep::Version, 0, -1});
    dialogs.expectBox(kNoVersionText);
    Open();
    ASSERT_TRUE(sched.advanceUntil([&] { return !win.loaded(); }, 10000));
    EXPECT_EQ(sched.nowMs(), 6100);
    EXPECT_FALSE(win.isVisible());
    EXPECT_EQ(mainFrame.counterText, "3");
}

}  // namespace
}  // namespace k45::test
