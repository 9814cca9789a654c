// Port statistics follow the traffic and the lines; the port test sets, pulses and toggles
// the lines on timers.
#include "tools/port_tools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/tools_bench.h"

namespace k45::test {
namespace {

struct Listener : CommForm {};

TEST_F(ToolsBench, PortStatisticsFollowTrafficAndLines) {
    PortStatsSnapshot closed = ReadPortStats(*secondary, false);
    EXPECT_EQ(closed.caption, "Secondary Port - Com2");
    EXPECT_FALSE(closed.open);
    EXPECT_EQ(closed.bytesRxed, "0");

    Listener a, b;
    primary->RegisterForRawData(&a);
    secondary->RegisterForRawData(&b);
    primary->SendString(std::string(100, 'x'), 1);
    primary->SetRtsSignal(true);
    sched.advance(500);
    const PortStatsSnapshot p = ReadPortStats(*primary, true);
    const PortStatsSnapshot s = ReadPortStats(*secondary, false);
    EXPECT_EQ(p.caption, "Primary Port - Com1");
    EXPECT_TRUE(p.open);
    EXPECT_EQ(p.baudRate, "9600");
    EXPECT_EQ(p.bytesTxed, "100");
    EXPECT_EQ(s.bytesRxed, "100");
    EXPECT_TRUE(p.rts);
    EXPECT_TRUE(s.cts);
    EXPECT_FALSE(s.dsr);
    EXPECT_TRUE(secondary->ClearCommStats());
    EXPECT_EQ(ReadPortStats(*secondary, false).bytesRxed, "0");
    primary->DeRegisterForAll(&a);
    secondary->DeRegisterForAll(&b);
}

struct RecordingPortTestView : PortTestView {
    std::vector<int> panel;
    bool boxes[4] = {false, false, false, false};
    int modes[2] = {-1, -1};
    std::vector<int> dotColors;
    void ShowLineBox(int line, bool on) override { boxes[line] = on; }
    void ShowModeIndex(bool primary, int index) override { modes[primary ? 0 : 1] = index; }
    void ShowPanel(int percent) override { panel.push_back(percent); }
    void DrawDot(double x, double y, int color) override {
        EXPECT_GE(x, 0.0);
        EXPECT_LT(x, 1.0);
        EXPECT_GE(y, 0.0);
        EXPECT_LT(y, 1.0);
        dotColors.push_back(color);
    }
};

class PortTestBench : public ToolsBench {
protected:
    PortTestEngine engine{Links()};
    RecordingPortTestView view;
};

TEST_F(PortTestBench, OpeningSwitchesTheLinesOffAndShowsTheModes) {
    CommSettings comm = primary->settings();
    comm.txModeValue = 3;
    primary->setSettings(comm);
    comm = secondary->settings();
    comm.txModeValue = 8;
    secondary->setSettings(comm);
    engine.Load(view);
    engine.Activate();
    EXPECT_EQ(view.modes[0], 1);
    EXPECT_EQ(view.modes[1], 3);
    EXPECT_EQ(primary->GetWorkingTxMode(), 3);
    // The DMP-mode port shows the nearest entry and keeps its mode until one is chosen.
    EXPECT_EQ(secondary->GetWorkingTxMode(), 8);
    EXPECT_FALSE(primary->GetRTS());
    EXPECT_FALSE(primary->GetDTR());
    engine.SelectMode(false, 0);
    EXPECT_EQ(secondary->GetWorkingTxMode(), 1);

    struct Case {
        std::int32_t mode;
        int index;
    };
    for (const Case c : {Case{0, 0}, Case{1, 0}, Case{2, 1}, Case{5, 2}, Case{6, 3}, Case{7, 3}, Case{8, 3}, Case{9, 0},
                         Case{12, 0}})
        EXPECT_EQ(PortTestModeIndex(c.mode), c.index) << c.mode;
}

TEST_F(PortTestBench, ContinuousTogglingAlternatesTheLineAndStepsThePanel) {
    engine.Load(view);
    engine.Activate();
    engine.SetToggleDelay(0.25);
    engine.SetContinuous(true);
    engine.LineBoxClicked(primaryRts, true);
    EXPECT_TRUE(view.boxes[primaryRts]);
    EXPECT_TRUE(engine.toggling(primaryRts));
    std::vector<bool> cts;
    for (int i = 0; i < 4; ++i) {
        sched.advance(250);
        cts.push_back(secondary->GetCommPortOpen() ? cable.b().cts() : cable.b().cts());
    }
    EXPECT_EQ(cts, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(view.panel, (std::vector<int>{0, 1, 2, 3}));
    // A second line doubles the panel's speed.
    engine.ToggleClicked(secondaryDtr);
    sched.advance(1000);
    EXPECT_EQ(view.panel.size(), 4u + 8u);

    engine.SetContinuous(false);
    EXPECT_FALSE(engine.toggling(primaryRts));
    EXPECT_FALSE(engine.toggling(secondaryDtr));
    EXPECT_FALSE(view.boxes[primaryRts]);
    EXPECT_FALSE(view.boxes[secondaryDtr]);
    EXPECT_FALSE(primary->GetRTS());
    EXPECT_FALSE(secondary->GetDTR());
}

TEST_F(PortTestBench, ASinglePulseInvertsTheLineForTheDelayOnATimer) {
    engine.Load(view);
    engine.Activate();
    engine.LineBoxClicked(primaryDtr, true);
    ASSERT_TRUE(primary->GetDTR());
    engine.SetToggleDelay(0.1);
    engine.ToggleClicked(primaryDtr);  // returns at once: nothing waits
    EXPECT_FALSE(primary->GetDTR());
    sched.advance(99);
    EXPECT_FALSE(primary->GetDTR());
    sched.advance(1);
    EXPECT_TRUE(primary->GetDTR());
    // With the line off the pulse is positive.
    engine.ToggleClicked(secondaryRts);
    EXPECT_TRUE(secondary->GetRTS());
    sched.advance(100);
    EXPECT_FALSE(secondary->GetRTS());
}

TEST_F(PortTestBench, DelayLimitsAndTheDotDrawingOnATimer) {
    engine.Load(view);
    engine.SetToggleDelay(0.001);
    EXPECT_EQ(engine.toggleIntervalMs(), 1);
    engine.SetToggleDelay(5);
    EXPECT_EQ(engine.toggleIntervalMs(), 5000);
    engine.SetToggleDelay(6);
    EXPECT_EQ(engine.toggleIntervalMs(), 5000);

    engine.TestClicked();
    sched.advance(10);
    ASSERT_FALSE(view.dotColors.empty());
    EXPECT_EQ(view.dotColors.front(), 1);
    engine.TestClicked();
    sched.advance(10);
    EXPECT_EQ(view.dotColors.back(), 2);
    engine.Unload();
    const std::size_t drawn = view.dotColors.size();
    sched.advance(100);
    EXPECT_EQ(view.dotColors.size(), drawn);
    EXPECT_EQ(PaletteColor(1).b, 128);
    EXPECT_EQ(PaletteColor(7).r, 192);
    EXPECT_EQ(PaletteColor(14).g, 255);
}

}  // namespace
}  // namespace k45::test
