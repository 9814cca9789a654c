// The calibration and production windows inside the whole program: the main window's Swap Comm
// Ports ends the radio's test on the old primary port before the ports change hands.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include "frame/ui/program_bench.h"
#include "production/ui/eng_test_window.h"
#include "production/ui/prod_test_window.h"
#include "production/ui/user_test_window.h"
#include "wiring/tool_window_ids.h"

namespace k45::test {
namespace {

struct SwapCase {
    const char* name;
    ToolWindow slot;
    // Puts the window's radio in its test (beyond the first "T1"); keyed: the transmitter is on.
    void (*prepare)(QWidget& window);
    bool keyed;
    friend void PrintTo(const SwapCase& c, std::ostream* os) { *os << c.name; }
};

void Key(QWidget& w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
}

void Nothing(QWidget&) {}
void PressF5(QWidget& w) { Key(w, Qt::Key_F5); }
void PressOk(QWidget& w) { w.findChild<QPushButton*>("buttonOK")->click(); }

class PortSwap : public ProgramWithModem, public ::testing::WithParamInterface<SwapCase> {
protected:
    // The radio commands the modem heard ("T1" lines and "T0"), from the index on.
    std::vector<std::string> RadioCommands(std::size_t from = 0) const {
        std::vector<std::string> r;
        for (std::size_t i = from; i < modem->received.size(); ++i) {
            const std::string& l = modem->received[i].text;
            if (l.rfind("T1", 0) == 0 || l == "T0") r.push_back(l);
        }
        return r;
    }
    // The modem's memory was read since the index.
    bool ReadSince(std::size_t from) const {
        for (std::size_t i = from; i < modem->received.size(); ++i)
            if (modem->received[i].text == "DE") return true;
        return false;
    }
    std::string Heard() const {
        std::string s;
        for (const auto& l : modem->received) s += l.text.substr(0, 12) + " | ";
        return s;
    }
};

TEST_P(PortSwap, TheRadioLeavesItsTestOnTheOldPortFirst) {
    const SwapCase& c = GetParam();
    StartProgramWithModem(true, "/ProductionTest", [](ModemParameters& unit) { unit.model = 6; });
    dialogs.answerAllBoxes(MsgAnswer::OK);
    // The program is the active application, so a closing child hands the activation on.
    QApplication::setActiveWindow(win.get());
    ToolForm* form = ctx.form(c.slot);
    ASSERT_NE(form, nullptr);
    auto* window = dynamic_cast<QWidget*>(form);
    // Opened, it reads the modem's parameters; focused again once the reader has closed (the
    // offscreen platform hands the activation on to no child), it sets the radio up.
    win->OpenForm(*form);
    ASSERT_TRUE(RunWithEvents([&] { return ReadSince(0) && !ctx.formParmsGetCurrent->loaded(); }));
    win->OpenForm(*form);
    ASSERT_TRUE(RunWithEvents([&] { return !RadioCommands().empty(); })) << c.name;
    scheduler.advance(200);
    const std::string opening = RadioCommands().front();
    c.prepare(*window);
    ASSERT_TRUE(RunWithEvents([&] { return RadioCommands().size() >= (c.prepare == Nothing ? 1u : 2u); })) << c.name;
    scheduler.advance(200);
    const std::string lastBefore = RadioCommands().back();
    const std::size_t heard = modem->received.size();
    const int endTests = modem->endTests;

    win->action("menuUtilsSwapPorts")->trigger();
    scheduler.advance(100);
    QApplication::processEvents();
    ASSERT_EQ(ctx.ports.classCommPrimary->settings().portNumber, 2);

    const std::vector<std::string> after = RadioCommands(heard);
    ASSERT_FALSE(after.empty()) << c.name;
    if (c.keyed) {
        // The receive record of the keyed one goes first, then the end of the test.
        ASSERT_GE(after.size(), 2u);
        EXPECT_NE(after[0], lastBefore);
        EXPECT_EQ(after[0].substr(0, 2), "T1");
        EXPECT_EQ(after[1], "T0");
    } else {
        EXPECT_EQ(after[0], "T0") << c.name;
    }
    EXPECT_EQ(modem->endTests, endTests + 1);
    EXPECT_TRUE(form->loaded());

    // On the new port the window reads the parameters again, then sets the radio up as at its
    // opening: a transmitter keyed before the swap is not keyed again.
    const std::size_t afterSwap = modem->received.size();
    ASSERT_TRUE(RunWithEvents([&] { return ReadSince(afterSwap) && !ctx.formParmsGetCurrent->loaded(); })) << c.name;
    win->OpenForm(*form);
    ASSERT_TRUE(RunWithEvents([&] { return RadioCommands(afterSwap).size() >= 1; })) << c.name;
    EXPECT_EQ(RadioCommands(afterSwap).front(), opening) << c.name;
    window->parentWidget()->close();
}

const SwapCase kSwapCases[] = {
    {"production test, receiving", ToolWindow::formProdTest, Nothing, false},
    {"production test, transmitting a tone", ToolWindow::formProdTest, PressF5, false},
    {"engineer test", ToolWindow::formEngTest, PressF5, false},
    {"user test", ToolWindow::formUserTest, Nothing, false},
    {"power calibration, keyed", ToolWindow::formProgPwr, PressOk, true},
    {"power calibration, receiving", ToolWindow::formProgPwr, Nothing, false},
    {"RSSI calibration", ToolWindow::formProgRssi, Nothing, false},
    {"RSSI temperature compensation", ToolWindow::formTempComp, Nothing, false},
};

INSTANTIATE_TEST_SUITE_P(Windows, PortSwap, ::testing::ValuesIn(kSwapCases),
                         [](const ::testing::TestParamInfo<SwapCase>& i) { return std::to_string(i.index); });

}  // namespace
}  // namespace k45::test
