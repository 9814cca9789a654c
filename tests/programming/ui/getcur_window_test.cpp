// The current-parameter reader window with client windows, on the offscreen platform.
#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "programming/ui/parms_get_current_window.h"
#include "programming/window_bench.h"

namespace k45::test {
namespace {

class GetCurrentWindow : public ProgrammingBench {
protected:
    GetCurrentWindow() {
        mainFrame.active = &win;
        ctx.formParmsGetCurrent = &win;
    }
    ~GetCurrentWindow() override { win.close(); }
    // What a client window does to ask for the present parameters.
    void Request(RecordingClient& c) {
        auto* reader = dynamic_cast<ParmsReader*>(ctx.formParmsGetCurrent.get());
        ASSERT_NE(reader, nullptr);
        if (ctx.formParmsGetCurrent->loaded()) reader->Unload();
        reader->RegisterForParms(&c);
        win.show();
        win.Form_Activate();
    }
    formParmsGetCurrent win{ctx};
    RecordingClient tune, linkTest;
};

TEST_F(GetCurrentWindow, ReadsAndClosesItself) {
    EXPECT_EQ(win.windowTitle(), "Read Current Parameters");
    EXPECT_EQ(win.labelGetSettings->text(), "Reading Current Parameters...");
    Request(tune);
    ASSERT_TRUE(sched.advanceUntil([&] { return win.dialogue().stepCount() >= 16; }, 10000));
    EXPECT_GE(win.panelPercent->value(), 40);
    EXPECT_LT(win.panelPercent->value(), 100);
    Screenshot(win, "parms_get_current");
    ASSERT_TRUE(sched.advanceUntil([&] { return !win.loaded(); }, 10000));
    EXPECT_FALSE(win.isVisible());
    EXPECT_EQ(tune.parms, std::vector<bool>{true});
    EXPECT_EQ(ctx.state.currentParameters.comment, "Bench modem");
}

TEST_F(GetCurrentWindow, ASecondClientEndsTheRunningReadFirst) {
    Request(tune);
    ASSERT_TRUE(sched.advanceUntil([&] { return win.dialogue().dialogueState() == ReadWriteState::AwaitData; }, 10000));
    Request(linkTest);
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
    EXPECT_TRUE(win.loaded());
    ASSERT_TRUE(sched.advanceUntil([&] { return !win.loaded(); }, 10000));
    EXPECT_EQ(linkTest.parms, std::vector<bool>{true});
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
}

TEST_F(GetCurrentWindow, CancelAndEscapeEndTheRead) {
    Request(tune);
    sched.advance(1000);
    win.buttonCancel->click();
    EXPECT_FALSE(win.isVisible());
    EXPECT_EQ(tune.parms, std::vector<bool>{false});
    Request(tune);
    sched.advance(1000);
    PressKey(&win, Qt::Key_Escape);
    EXPECT_FALSE(win.loaded());
    EXPECT_EQ(tune.parms, (std::vector<bool>{false, false}));
}

}  // namespace
}  // namespace k45::test
