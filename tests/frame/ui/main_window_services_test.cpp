// What the main window does for the dialogues and windows that ask it: here, telling the windows
// that take the DAC values of new ones.
#include <string>
#include <vector>

#include "main_window_harness.h"
#include "wiring/tool_window_ids.h"
#include "wiring/window_interfaces.h"

namespace k45::test {
namespace {

using ServicesTest = MainWindowTest;

// Stands in for the production test panel and the tuning window.
struct DacClient : ToolForm, DacValuesClient {
    DacClient(std::string n, std::vector<std::string>& log) : name(std::move(n)), calls(log) {}
    bool loaded() const override { return isLoaded; }
    void UpdateDacValues() override { calls.push_back(name); }
    std::string name;
    std::vector<std::string>& calls;
    bool isLoaded = true;
};

TEST_F(ServicesTest, NewDacValuesReachTheProductionPanelThenTheTuningWindowWhileLoaded) {
    Start();
    std::vector<std::string> calls;
    DacClient prodTest{"formProdTest", calls};
    DacClient tune{"formTune", calls};
    // Without either window nobody is told.
    win->DacValuesChanged();
    EXPECT_TRUE(calls.empty());

    ctx.Register(ToolWindow::formProdTest, prodTest);
    ctx.Register(ToolWindow::formTune, tune);
    struct Case {
        bool prodLoaded, tuneLoaded;
        std::vector<std::string> told;
    };
    const Case cases[] = {
        {true, true, {"formProdTest", "formTune"}},
        {false, true, {"formTune"}},
        {true, false, {"formProdTest"}},
        {false, false, {}},
    };
    for (const Case& c : cases) {
        calls.clear();
        prodTest.isLoaded = c.prodLoaded;
        tune.isLoaded = c.tuneLoaded;
        win->DacValuesChanged();
        EXPECT_EQ(calls, c.told) << c.prodLoaded << c.tuneLoaded;
    }
}

}  // namespace
}  // namespace k45::test
