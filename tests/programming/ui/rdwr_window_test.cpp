// The read/write window on the offscreen platform, driven through its controls against the
// simulated modem in virtual time.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>

#include "wiring/tool_window_ids.h"
#include "platform/profile.h"
#include "programming/ui/mem_read_window.h"
#include "programming/ui/parms_get_current_window.h"
#include "programming/ui/parms_rd_wr_window.h"
#include "programming/ui/ver_reqst_window.h"
#include "programming/window_bench.h"

namespace k45::test {
namespace {

class RdWrWindow : public ProgrammingBench {
protected:
    RdWrWindow() { mainFrame.active = &win; }
    ~RdWrWindow() override { win.close(); }
    // As MDIMain::OpenParmsReadWrite does for a closed window.
    void Open(ParmsMode mode, bool autoStart) {
        win.setAutoStart(autoStart);
        win.setParmsMode(mode);
        win.show();
        win.Form_Activate();
    }
    bool RunToClose() {
        return sched.advanceUntil([this] { return !win.loaded(); }, 60000);
    }
    QString Label(int i) const { return win.labelRdWr[static_cast<std::size_t>(i)]->text(); }

    formParmsRdWr win{ctx};
    RecordingClient client;
};

TEST_F(RdWrWindow, TheToolbarReadShowsItsProgressAndClosesWhenDone) {
    win.RegisterForParms(&client);
    Open(ParmsMode::ReadProgrammable, true);
    EXPECT_EQ(win.windowTitle(), "Read Programmable Parameters");
    EXPECT_EQ(win.Caption(), "Read Programmable Parameters");
    EXPECT_TRUE(win.loaded());
    EXPECT_TRUE(win.buttonOK->isEnabled());
    EXPECT_EQ(Label(0), "Connect serial cable to Unit using");

    ASSERT_TRUE(sched.advanceUntil([&] { return win.dialogue().stepCount() >= 20; }, 10000));
    EXPECT_EQ(Label(0), "Reading ");
    EXPECT_EQ(Label(1), "Programmable Parameters...");
    EXPECT_GE(win.panelPercent->value(), 50);
    EXPECT_LT(win.panelPercent->value(), 100);
    EXPECT_FALSE(win.buttonOK->isEnabled());
    Screenshot(win, "parms_rd_wr_reading");

    ASSERT_TRUE(RunToClose());
    EXPECT_FALSE(win.isVisible());
    EXPECT_EQ(win.panelPercent->value(), 100);
    EXPECT_EQ(ctx.state.mainParameters.comment, "Bench modem");
    EXPECT_EQ(client.parms, std::vector<bool>{true});
    EXPECT_EQ(win.parmsMode(), ParmsMode::Invalid);
    EXPECT_FALSE(win.autoStart());
}

TEST_F(RdWrWindow, OkStartsAWriteAndTheWindowReportsIt) {
    ctx.state.mainParameters.comment = "From the window";
    ctx.state.dataFileName = home.file("caf\xC3\xA9.dat");  // "café.dat"
    win.RegisterForProgComplete(&client);
    Open(ParmsMode::WriteProgrammable, false);
    EXPECT_EQ(win.windowTitle(), "Write Programmable Parameters");
    sched.advance(3000);
    EXPECT_TRUE(hostWrites().empty());
    dialogs.expectBox("Programming Complete!");
    win.buttonOK->click();
    ASSERT_TRUE(sched.advanceUntil([&] { return hostWrites("S1").size() == 3; }, 20000));
    EXPECT_EQ(Label(0), QString::fromUtf8("Writing CAF\xC3\x89.DAT to"));
    EXPECT_EQ(Label(1), "Programmable Parameters...");
    Screenshot(win, "parms_rd_wr_writing");
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("S1").size(), 14u);
    EXPECT_EQ(client.completes, std::vector<bool>{true});
    ModemParameters held;
    ASSERT_TRUE(modem.decodeInto(ctx.state, held));
    EXPECT_EQ(held.comment, "From the window");
}

TEST_F(RdWrWindow, OpenedAgainItStartsFromItsDesignTexts) {
    Open(ParmsMode::ReadProgrammable, true);
    ASSERT_TRUE(RunToClose());
    Open(ParmsMode::WriteAll, false);
    EXPECT_EQ(win.windowTitle(), "Write All Parameters");
    EXPECT_EQ(Label(0), "Connect serial cable to Unit using");
    EXPECT_EQ(Label(1), "Setup Cable and supply power");
    EXPECT_EQ(win.panelPercent->value(), 0);
    EXPECT_TRUE(win.buttonOK->isEnabled());
    win.buttonCancel->click();
    EXPECT_FALSE(win.loaded());
}

TEST_F(RdWrWindow, CancelClosesTheWindowAndTellsTheWaitingWindows) {
    win.RegisterForParms(&client);
    Open(ParmsMode::ReadAll, true);
    ASSERT_TRUE(sched.advanceUntil([&] { return win.dialogue().dialogueState() == ReadWriteState::AwaitData; }, 10000));
    win.buttonCancel->click();
    EXPECT_FALSE(win.loaded());
    EXPECT_FALSE(win.isVisible());
    EXPECT_EQ(client.parms, std::vector<bool>{false});
    sched.advance(5000);
    EXPECT_EQ(hostWrites().size(), 2u);
}

TEST_F(RdWrWindow, TheTimersWaitWhileAnotherWindowIsActive) {
    RecordingEditor other;
    mainFrame.active = &other;
    Open(ParmsMode::ReadProgrammable, true);
    sched.advance(5000);
    EXPECT_TRUE(hostWrites().empty());
    mainFrame.active = &win;
    ASSERT_TRUE(RunToClose());
    EXPECT_EQ(hostWrites("?")[0].atMs, 5500);
}

TEST_F(RdWrWindow, AnInvalidModeClosesTheWindowRightAfterItIsShown) {
    dialogs.expectBox("Invalid Read/Write Mode!!!");
    Open(ParmsMode::Invalid, false);
    QCoreApplication::processEvents();
    EXPECT_FALSE(win.isVisible());
    EXPECT_FALSE(win.loaded());
}

TEST_F(RdWrWindow, ThePlacementIsKeptOnlyWhenTheWindowWasShown) {
    const std::string ini = home.file("K45MR.ini");
    ASSERT_TRUE(ProfileWrite(ini, "Parms Read/Write Window", "Left", "1500"));
    ASSERT_TRUE(ProfileWrite(ini, "Parms Read/Write Window", "Top", "750"));
    win.RestoreFormParameters(ini, "Parms Read/Write Window");
    EXPECT_EQ(win.savedLeft, 1500);
    EXPECT_EQ(win.savedTop, 750);
    win.SaveFormParameters(ini, "Other Section");
    EXPECT_EQ(ProfileRead(ini, "Other Section", "Left", "none"), "none");

    Open(ParmsMode::ReadProgrammable, false);
    EXPECT_EQ(win.pos(), QPoint(100, 50));
    win.move(20, 30);
    win.buttonCancel->click();
    win.SaveFormParameters(ini, "Parms Read/Write Window");
    EXPECT_EQ(ProfileRead(ini, "Parms Read/Write Window", "Left", ""), "300");
    EXPECT_EQ(ProfileRead(ini, "Parms Read/Write Window", "Top", ""), "450");
}

TEST_F(RdWrWindow, InsideTheMainWindowsAreaTheSubWindowClosesWithTheRead) {
    const std::string ini = home.file("K45MR.ini");
    ASSERT_TRUE(ProfileWrite(ini, "Parms Read/Write Window", "Left", "600"));
    ASSERT_TRUE(ProfileWrite(ini, "Parms Read/Write Window", "Top", "300"));
    win.RestoreFormParameters(ini, "Parms Read/Write Window");
    win.setAutoStart(false);
    win.setParmsMode(ParmsMode::ReadAll);
    // As the main window shows a child: in a sub-window of its area.
    QMdiArea area;
    area.resize(640, 360);
    area.show();
    QMdiSubWindow* sub = area.addSubWindow(&win);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->show();
    win.Form_Activate();
    EXPECT_EQ(sub->pos(), QPoint(40, 20));  // the placement is the sub-window's
    EXPECT_EQ(sub->windowTitle(), "Read All Parameters");
    dialogs.expectBox("Reading All Parameters Complete.");
    win.buttonOK->click();
    ASSERT_TRUE(sched.advanceUntil([&] { return win.dialogue().stepCount() >= 12; }, 10000));
    Screenshot(area, "parms_rd_wr_in_main_window");
    ASSERT_TRUE(RunToClose());
    EXPECT_FALSE(sub->isVisible());
    EXPECT_TRUE(win.dialogue().parmsWereFound());
    area.removeSubWindow(&win);
    win.setParent(nullptr);
}

TEST(ProgrammingWindows, AreCreatedByTheirOwnerAndEnteredInTheRegistry) {
    AppContext ctx;  // not wired yet: no scheduler, no ports, no main window
    auto owner = std::make_unique<QWidget>();
    AddProgrammingDialogueWindows(ctx, *owner);
    EXPECT_NE(dynamic_cast<formParmsRdWr*>(ctx.form(ToolWindow::formParmsRdWr)), nullptr);
    EXPECT_NE(dynamic_cast<ParmsRdWrForm*>(ctx.form(ToolWindow::formParmsRdWr)), nullptr);
    EXPECT_NE(dynamic_cast<formVerReqst*>(ctx.form(ToolWindow::formVerReqst)), nullptr);
    EXPECT_NE(dynamic_cast<AutoStartForm*>(ctx.form(ToolWindow::formVerReqst)), nullptr);
    EXPECT_NE(dynamic_cast<formMemRead*>(ctx.form(ToolWindow::formMemRead)), nullptr);
    EXPECT_NE(dynamic_cast<ParmsReader*>(ctx.formParmsGetCurrent.get()), nullptr);
    const ToolForm* windows[] = {ctx.form(ToolWindow::formParmsRdWr), ctx.form(ToolWindow::formVerReqst),
                                 ctx.form(ToolWindow::formMemRead), ctx.formParmsGetCurrent.get()};
    for (const ToolForm* w : windows) {
        EXPECT_EQ(dynamic_cast<const QWidget*>(w)->parentWidget(), owner.get());
        EXPECT_FALSE(w->loaded());
    }
    owner.reset();
    EXPECT_EQ(ctx.form(ToolWindow::formParmsRdWr), nullptr);
    EXPECT_EQ(ctx.form(ToolWindow::formVerReqst), nullptr);
    EXPECT_EQ(ctx.form(ToolWindow::formMemRead), nullptr);
    EXPECT_FALSE(ctx.formParmsGetCurrent);
}

}  // namespace
}  // namespace k45::test
