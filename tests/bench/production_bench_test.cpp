// The production and calibration windows at the bench: opened from the menus and the panel's
// function keys, each reads the unit's parameters through the reader window and then sets the
// radio up; the operator keys the transmitter, trims values and swaps the ports.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <functional>
#include <string>

#include "bench/bench_session.h"
#include "frame/ui/mdi_main.h"
#include "production/ui/prod_test_window.h"
#include "programming/radio_off.h"

namespace k45::test {
namespace {

const BenchOptions kProduction{.engineering = true, .words = {"/ProductionTest"}};
const BenchOptions kEngineering{.engineering = true, .words = {}};

class ProductionOnTheBench : public BenchTest {
protected:
    void PrepareBench(const BenchOptions& options) {
        ASSERT_NO_FATAL_FAILURE(Prepare(options));
        ASSERT_NO_FATAL_FAILURE(LoadUnit(com1(), 123456, "Bench unit"));
    }
    // The window opened by `keys` reads the unit's parameters through the reader window;
    // returns the index of the first line the modem received after the read.
    std::size_t OpenAndRead(const std::string& keys, const std::string& window) {
        const std::size_t before = com1().lines().size();
        Keys(keys);
        WaitFor(window + " to open", [&] { return Shown(window); });
        const std::size_t read = WaitLine(com1(), "DE", before) + 1;
        WaitFor("the reader window to close", [this] { return !Shown("formParmsGetCurrent"); });
        return read;
    }
    // The operator clicks the panel, as one does when it waits after its read (on a label:
    // nothing else changes).
    void ClickPanel() {
        Click([this]() -> QWidget* { return ToolChild<QLabel>("formProdTest", "labelHelp"); });
    }
    formProdTest* Panel() const { return dynamic_cast<formProdTest*>(Tool("formProdTest")); }
    // The panel's exchange has ended (its acknowledgement is in).
    void PanelSettled() {
        WaitFor("the panel's exchange to end", [this] { return Panel()->dialogue().dialogState() == TestPanelState::Idle; });
    }
    // Production Test, its parameters read, the radio set up on Com1.
    void PanelSetUp() {
        const std::size_t read = OpenAndRead("alt+p t", "formProdTest");
        ClickPanel();
        WaitLine(com1(), "T1", read);
        PanelSettled();
    }
};

// ---- each window starts its work once its parameters are read

struct StartCase {
    const char* name;
    bool production;
    const char* window;
    const char* keys;          // opens it (from the menus, or from the set-up panel's keys)
    bool fromPanel;            // Production Test is set up first; `keys` are its function keys
    const char* firstCommand;  // what the window sends first once it has its parameters
    friend void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }
};

class WindowStartsAfterRead : public ProductionOnTheBench, public ::testing::WithParamInterface<StartCase> {};

// The reader window closes and the window that asked for the parameters comes back and sets
// the radio up without waiting for a click.
TEST_P(WindowStartsAfterRead, SendsItsFirstCommandWithoutAClick) {
    const StartCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(PrepareBench(c.production ? kProduction : kEngineering));
    Run([&] {
        if (c.fromPanel) PanelSetUp();
        const std::size_t read = OpenAndRead(c.keys, c.window);
        const std::string window = c.window, first = c.firstCommand;
        WaitFor(window + " to send \"" + first + "\" after its read, with no click", [&] {
            const auto lines = com1().lines();
            for (std::size_t i = read; i < lines.size(); ++i)
                if (lines[i].rfind(first, 0) == 0) return true;
            return false;
        }, 10000);
        EXPECT_EQ(Gui([this] { return ActiveChild(); }), window);
    });
}

const StartCase kStartCases[] = {
    {"ProductionTest", true, "formProdTest", "alt+p t", false, "T1"},
    {"EngineerTest", false, "formEngTest", "alt+n e", false, "T1"},
    {"UserTest", false, "formUserTest", "alt+u u", false, "CSWITCH"},
    {"CalibratePowerTable", true, "formProgPwr", "F3", true, "T1"},
    {"CalibrateRssiTable", true, "formProgRssi", "F4", true, "T1"},
    {"RssiTempComp", false, "formTempComp", "alt+n c", false, "T1"},
};

INSTANTIATE_TEST_SUITE_P(ProductionWindows, WindowStartsAfterRead, ::testing::ValuesIn(kStartCases),
                         [](const ::testing::TestParamInfo<StartCase>& i) { return std::string(i.param.name); });

// ---- Swap Comm Ports with the transmitter keyed

// The radio on Com1 is keyed with a tone; after the swap it has left its test ("T0"), and the
// unit on Com2 is read and set up receiving, its diagnostics polled.
TEST_F(ProductionOnTheBench, SwapPortsEndsTheKeyedTestOnTheOldPortAndSetsUpTheNewOne) {
    ASSERT_NO_FATAL_FAILURE(Prepare({.engineering = true, .words = {"/ProductionTest"}, .com2 = BenchEnd::Kind::Modem}));
    ASSERT_NO_FATAL_FAILURE(LoadUnit(com1(), 123456, "Old radio"));
    ASSERT_NO_FATAL_FAILURE(LoadUnit(com2(), 654321, "New radio"));
    Run([&] {
        PanelSetUp();
        const std::size_t rx = com1().lines().size();
        Keys("F5");
        WaitLine(com1(), "T1", rx);
        WaitFor("Tx'ing in the panel", [this] {
            return ToolChild<QLabel>("formProdTest", "labelXcvrStatus")->text() == "Tx'ing";
        });
        PanelSettled();

        const std::size_t keyed = com1().lines().size();
        Keys("alt+u w");
        WaitFor("Com2 / Com1 in the status bar", [this] { return MainWindow()->panelText(2) == "Com2 / Com1"; });
        WaitLine(com2(), "DE");
        const std::size_t ended = WaitLine(com1(), "T0", keyed, 10000);

        // The panel reads the new unit, and (clicked if it waits) sets it up.
        WaitFor("the reader window to close", [this] { return !Shown("formParmsGetCurrent"); });
        ClickPanel();
        const std::size_t setUp = WaitLine(com2(), "T1");
        const std::size_t polled = WaitLine(com2(), "AS", setUp);
        const auto lines = com2().lines();
        EXPECT_EQ(lines.front(), "?");
        EXPECT_LT(WaitLine(com2(), "DE"), setUp);
        EXPECT_GT(polled, setUp);
        // After the end of its test the old radio hears nothing more.
        EXPECT_EQ(com1().lines().size(), ended + 1);
    });
}

// ---- a pulled adapter with the transmitter keyed

// Keyed with F5, the adapter pulled, then F6: nothing is written into the closed port (no
// "Com Port 1 Not Open!!" per send), and the operator sees the loss and one message that the
// radio may still be transmitting, never that it was turned off; at the exit, one more that the
// unkey could not be sent.
TEST_F(ProductionOnTheBench, APulledAdapterWhileKeyedGivesTheLossAndOneMessageAboutTheRadio) {
    ASSERT_NO_FATAL_FAILURE(PrepareBench(kProduction));
    Run([&] {
        PanelSetUp();
        const std::size_t rx = com1().lines().size();
        Keys("F5");
        WaitLine(com1(), "T1", rx);
        PanelSettled();
        com1().unplug();
        EXPECT_EQ(WaitBox(20000).rfind("Lost Com Port 1", 0), 0u);
        AnswerBox("OK");
        Keys("F6");
        const std::string box = WaitBox(10000);
        EXPECT_EQ(box, PortClosedText(1, true));
        EXPECT_EQ(box.find("turned off"), std::string::npos);
        AnswerBox("OK");
        Keys("F6");
        Keys("F5");
        const std::function<bool()> boxUp = [this] { return ModalBox() != nullptr; };
        bool further = true;
        try {
            WaitFor("a further box", boxUp, 3000);
        } catch (const BenchFailure&) {
            further = false;
        }
        EXPECT_FALSE(further) << "one message about the radio";
        // Leaving the program leaves the radio: the operator hears that its unkey could not be sent.
        ExitProgram({"OK"});
    });
}

// ---- PgUp against the modem in its own answer forms

// The far end answers every command with the end pair and puts its diagnostic data at 4000,
// 4016 and 6000. The panel shows those diagnostics; keyed with F5, PgUp sends a record carrying
// the raised power value, which the modem acknowledges: the radio stays keyed, no unkey follows
// and no message says the modem did not respond.
TEST_F(ProductionOnTheBench, PgUpSendsTheRaisedPowerValueAndTheModemAcknowledgesIt) {
    ASSERT_NO_FATAL_FAILURE(PrepareBench(kProduction));
    com1().withModem([](SimulatedModem& m) {
        ASSERT_EQ(m.ackForm, AckForm::EndPair);
        ASSERT_EQ(m.dataForm, DataForm::MemoryAddresses);
        m.diagBlock[2] = 1;    // the PNet form
        m.diagBlock[7] = 97;   // the current RSSI
        m.diagBlock[28] = 45;  // the high set's forward power
    });
    Run([&] {
        PanelSetUp();
        WaitFor("the modem's diagnostics in the panel", [this] {
            return ToolChild<QLabel>("formProdTest", "labelRssiLevel")->text() == "-97 dBm" &&
                   ToolChild<QLabel>("formProdTest", "labelFwdPwr")->text() == "4.5 W";
        });
        const std::size_t rx = com1().lines().size();
        Keys("F5");
        const std::size_t keyed = WaitLine(com1(), "T1", rx);
        PanelSettled();
        const int power = TuneLineByte(com1().lines()[keyed], kTuneLinePowerByte);
        Keys("Prior");
        const std::size_t raised = WaitLine(com1(), "T1", keyed + 1);
        EXPECT_EQ(TuneLineByte(com1().lines()[raised], kTuneLinePowerByte), (power + 1) % 256);
        PanelSettled();
        EXPECT_EQ(Gui([this] { return ToolChild<QLabel>("formProdTest", "labelPwrAdj")->text().toStdString(); }),
                  std::to_string((power + 1) % 256));
        // Acknowledged: no unkey and no message follow, the radio stays keyed.
        const std::function<bool()> boxUp = [this] { return ModalBox() != nullptr; };
        bool box = true;
        try {
            WaitFor("a message box", boxUp, 3000);
        } catch (const BenchFailure&) {
            box = false;
        }
        EXPECT_FALSE(box);
        for (std::size_t i = raised + 1; i < com1().lines().size(); ++i) EXPECT_NE(com1().lines()[i], "T0");
        EXPECT_EQ(Gui([this] { return ToolChild<QLabel>("formProdTest", "labelXcvrStatus")->text().toStdString(); }),
                  "Tx'ing");
    });
}

// ---- the direct value

// 300 is beyond the power value's range: the box shows 255 and Send programs 255.
TEST_F(ProductionOnTheBench, DirectAdjustBeyondTheRangeSendsTheLargestPowerValue) {
    ASSERT_NO_FATAL_FAILURE(PrepareBench(kProduction));
    Run([&] {
        PanelSetUp();
        EXPECT_TRUE(Gui([this] { return ToolChild<QRadioButton>("formProdTest", "optionAdjSelect_4")->isChecked(); }));
        Click([this]() -> QWidget* { return ToolChild<QLineEdit>("formProdTest", "textDirectDac"); });
        Keys("ctrl+a");
        Type("300");
        const std::size_t typed = com1().lines().size();
        Click([this]() -> QWidget* { return ToolChild<QPushButton>("formProdTest", "buttonDirectDac"); });
        const std::size_t sent = WaitLine(com1(), "T1", typed);
        EXPECT_EQ(TuneLineByte(com1().lines()[sent], kTuneLinePowerByte), 255);
        PanelSettled();
        EXPECT_EQ(Gui([this] { return ToolChild<QLineEdit>("formProdTest", "textDirectDac")->text().toStdString(); }),
                  "255");
        EXPECT_EQ(Gui([this] { return ToolChild<QLabel>("formProdTest", "labelPwrAdj")->text().toStdString(); }), "255");
    });
}

}  // namespace
}  // namespace k45::test
