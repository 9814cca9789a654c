// Radio tuning at the production bench: the technician opens Tune Radio from the Production
// Test menu, starts it, steps through the ticked tests with the mouse and the page keys, and
// the tuned values reach the modem's memory.
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <initializer_list>

#include "bench/bench_session.h"
#include "frame/ui/mdi_main.h"
#include "params/startup_defaults.h"
#include "programming/radio_off.h"
#include "support/temp_home.h"
#include "tuning/tune_print.h"
#include "tuning/tune_test_samples.h"
#include "tuning/ui/tune_window.h"

namespace k45::test {
namespace {

class TuningOnTheBench : public BenchTest {
protected:
    // A production bench; the settings tick only the tests named (the window's saved selection).
    void PrepareProduction(std::initializer_list<TuneTest> ticked) {
        ASSERT_NO_FATAL_FAILURE(Prepare({.engineering = true, .words = {"/ProductionTest"}}));
        ASSERT_NO_FATAL_FAILURE(LoadUnit(com1(), 123456, "Bench unit"));
        std::string section = "[Tune Test Window]\r\n";
        for (int t = 0; t < 15; ++t) {
            const bool on = std::find(ticked.begin(), ticked.end(), TestAt(t)) != ticked.end();
            section += "Test_" + std::string(t < 10 ? "0" : "") + std::to_string(t) + "=" + (on ? "1" : "0") + "\r\n";
        }
        for (const char* file : {"K45MR.ini", "config/K45MR.ini"}) std::ofstream(HomeFile(file), std::ios::app) << section;
    }

    formTune* Tune() const { return dynamic_cast<formTune*>(Tool("formTune")); }
    // On the program's thread.
    TuneStep StepShown() const { return Tune()->dialogue().work().currentStep; }
    std::string Title() { return Gui([this] { return Tune()->labelTestTitle->text().toStdString(); }); }
    template <class W>
    void ClickTune(W* formTune::*widget) {
        Click([this, widget]() -> QWidget* { return Tune() ? Tune()->*widget : nullptr; });
    }
    // The next "T1" keys the transmitter with this power value, and the modem acknowledges it.
    void Keyed(int power) {
        const std::size_t at = WaitLine(com1(), "T1", seen_);
        seen_ = at + 1;
        EXPECT_EQ(TuneLineByte(com1().lines()[at], kTuneLinePowerByte), power);
        Settled();
    }
    // The page keys, one "T1" each; the last carries the trimmed value.
    void Trim(const std::string& keys, int power) {
        std::size_t n = 1;
        for (char c : keys) n += c == ' ';
        Keys(keys);
        std::size_t at = seen_;
        for (std::size_t i = 0; i < n; ++i) at = WaitLine(com1(), "T1", at) + 1;
        seen_ = at;
        EXPECT_EQ(TuneLineByte(com1().lines()[at - 1], kTuneLinePowerByte), power);
        Settled();
    }
    void Settled() {
        WaitFor("the tuning exchange to end", [this] {
            const TuneDialogue& d = Tune()->dialogue();
            return d.dialogState() == TuneDialogState::Idle && !d.tunePending();
        });
    }
    // Production Test > Tune Radio, Start, and No to the defaults: Start reads the modem's
    // parameters through the reader window.
    void StartWithoutDefaults() {
        Keys("alt+p r");
        WaitFor("the Tune Radio window", [this] { return ActiveChild() == "formTune"; });
        ClickTune(&formTune::buttonStart);
        EXPECT_NE(WaitBox().find("Do you want to Over-Write Program Parameters"), std::string::npos);
        AnswerBox("&No");
        seen_ = WaitLine(com1(), "DE") + 1;
        WaitFor("the reader to close", [this] { return !Shown("formParmsGetCurrent"); });
    }

    // The DAC values window shown with the adjust values (a click on Tune Radio if it has not
    // gone on by itself).
    void ShowDacValues() {
        if (!Within(3000, [this] { return Shown("formDacVals"); })) ClickTune(&formTune::labelTestTitle);
        WaitFor("the DAC values window", [this] { return Shown("formDacVals"); });
    }
    // Whether pred holds within ms (no failure when it does not).
    bool Within(int ms, const std::function<bool()>& pred) {
        try {
            WaitFor("", pred, ms);
            return true;
        } catch (const BenchFailure&) {
            return false;
        }
    }

    // Start, the DAC values window closed unchanged: the Tx intro screen. The window hands its
    // adjust values to the DAC values window (the operator clicks it if it has not gone on by
    // itself).
    void ToTheTxIntro() {
        StartWithoutDefaults();
        ShowDacValues();
        WindowMenu("formDacVals");
        Click([this]() -> QWidget* { return ToolChild<QPushButton>("formDacVals", "buttonCancel"); });
        WaitFor("the DAC values window to close", [this] { return !Shown("formDacVals"); });
        EXPECT_EQ(Title(), "Transmitter Tuning.");
    }
    // On from the Tx intro to the TCXO test's first screen, the modem settled.
    void ToTheTcxoScreen() {
        ToTheTxIntro();
        ClickTune(&formTune::buttonOK);
        WaitFor("the TCXO screen", [this] { return StepShown() == TuneStep::TcxoReady; });
        Settled();
    }
    // The lines the modem received from `from` on, each cut to its first two characters.
    std::vector<std::string> Heads(std::size_t from) {
        std::vector<std::string> r;
        const auto lines = com1().lines();
        for (std::size_t i = from; i < lines.size(); ++i) r.push_back(lines[i].substr(0, 2));
        return r;
    }

    // The same without the polls.
    std::vector<std::string> Exchanges(std::size_t from) {
        std::vector<std::string> r = Heads(from);
        std::erase(r, "AS");
        return r;
    }

    // File > Exit while the radio may be transmitting behind a lost port: the operator hears
    // that its unkey could not be sent, and the program ends.
    void ExitTold(const std::string& box) {
        Keys("alt+f x");
        EXPECT_EQ(WaitBox(10000), box);
        AnswerBox("OK");
        try {
            WaitFor("the program to end", [] { return false; });
        } catch (const BenchFailure& e) {
            if (std::string(e.what()) != "the program has ended") throw;
        }
    }

    std::size_t seen_ = 0;  // modem lines already looked at
};

// Power Out Adjust alone, at the three test points with the transmitter keyed: the page keys
// trim the power live ("T1" after every key), and Yes to the save writes the trimmed values
// into the modem's memory in "S1" records, the rest of its parameters as they were.
TEST_F(TuningOnTheBench, APowerOutRunWritesTheTrimmedValuesToTheModem) {
    ASSERT_NO_FATAL_FAILURE(PrepareProduction({TuneTest::PowerOut}));
    const ModemParameters before = UnitIn(com1());
    Run([&] {
        ToTheTxIntro();

        ClickTune(&formTune::buttonOK);
        WaitFor("the Power Out screen", [this] { return StepShown() == TuneStep::PowerOutReady; });
        EXPECT_EQ(Title(), "Tx Power Adjust.");
        ClickTune(&formTune::buttonOK);
        Keyed(before.powerAdj[0]);
        // Low point: two up; Mid: one down; High: ten up.
        const std::array<int, 3> expected = {(before.powerAdj[0] + 2) & 0xFF, (before.powerAdj[1] + 255) & 0xFF,
                                             (before.powerAdj[2] + 10) & 0xFF};
        Trim("Prior Prior", expected[0]);
        ClickTune(&formTune::buttonOK);
        Keyed(before.powerAdj[1]);
        Trim("Next", expected[1]);
        ClickTune(&formTune::buttonOK);
        Keyed(before.powerAdj[2]);
        Trim("ctrl+Prior", expected[2]);

        // The last point ends the tuning tests: saved, the values go to the modem in mode 5
        // (read, merge, write).
        const std::size_t saved = com1().lines().size();
        ClickTune(&formTune::buttonOK);
        EXPECT_EQ(WaitBox(), "Tuning Complete!  Do you want to Save the Parameters?");
        AnswerBox("&Yes");
        WaitLine(com1(), "DE", saved);
        WaitLine(com1(), "S9", saved, 60000);
        WaitFor("the read/write window to close", [this] { return !Shown("formParmsRdWr"); });
        std::size_t records = 0;
        for (const auto& l : com1().lines()) records += l.rfind("S1", 0) == 0;
        EXPECT_GT(records, 0u);
        const ModemParameters after = UnitIn(com1());
        for (std::size_t p = 0; p < 3; ++p) EXPECT_EQ(after.powerAdj[p], expected[p]) << "point " << p;
        EXPECT_EQ(after.serialNumber, 123456u);
        EXPECT_EQ(after.comment, "Bench unit");
        EXPECT_EQ(after.modAdj, before.modAdj);
        EXPECT_EQ(after.frontEndAdj, before.frontEndAdj);
        EXPECT_EQ(Title(), "Connect Modem to Computer and Supply Power.");
    });
}

// TCXO Adjust and the first power point against the modem in its own answer forms (every command
// answered with the end pair, the sample in data records at 4000, 4016 and 6000): the keyed
// record is acknowledged and the radio unkeyed when the test is done; the point's "AR", receive
// record and "AT" sample store the point and key the radio for the next one. Nothing is resent,
// no unkey is owed, no message comes.
TEST_F(TuningOnTheBench, TcxoAdjustAndAPowerPointAgainstTheModemsOwnAnswers) {
    ASSERT_NO_FATAL_FAILURE(PrepareProduction({TuneTest::Tcxo, TuneTest::PowerCal}));
    const ModemParameters unit = UnitIn(com1());
    bool ownForms = false;
    com1().withModem([&](SimulatedModem& m) {
        ownForms = m.ackForm == AckForm::EndPair && m.dataForm == DataForm::MemoryAddresses;
        m.samples = {TuneBlock(60, 77)};
    });
    ASSERT_TRUE(ownForms);
    Run([&] {
        ToTheTcxoScreen();
        const std::size_t from = com1().lines().size();
        ClickTune(&formTune::buttonOK);
        Keyed(unit.powerAdj[1]);
        EXPECT_EQ(Gui([this] { return StepShown(); }), TuneStep::TcxoKeyed);
        EXPECT_TRUE(Gui([this] { return Tune()->dialogue().transmitSelected(); }));
        ClickTune(&formTune::buttonOK);  // done: the receive record
        WaitFor("the Power Cal screen", [this] { return StepShown() == TuneStep::PowerCalReady; });
        Settled();
        seen_ = com1().lines().size();
        EXPECT_EQ(Exchanges(from), (std::vector<std::string>{"T1", "T1"}));
        EXPECT_TRUE(Gui([this] { return Tune()->dialogue().work().Done(TuneTest::Tcxo); }));

        ClickTune(&formTune::buttonOK);  // keyed at the first target power
        Keyed(32);
        Trim("Prior", 33);
        const std::size_t point = com1().lines().size();
        ClickTune(&formTune::buttonOK);
        WaitFor("the first power point", [this] { return Tune()->dialogue().work().calPointIndex == 1; });
        Settled();
        EXPECT_EQ(Gui([this] { return Tune()->dialogue().work().powerCalPoints.adReading[0]; }), 77);
        EXPECT_EQ(Exchanges(point), (std::vector<std::string>{"AR", "T1", "AT", "T1"}));
        EXPECT_EQ(TuneLineByte(com1().lines().back(), kTuneLinePowerByte), 33);
        EXPECT_EQ(Gui([this] { return StepShown(); }), TuneStep::PowerCalKeyed);
        const std::vector<std::string> all = Heads(from);
        EXPECT_EQ(std::count(all.begin(), all.end(), "T0"), 0);
        EXPECT_FALSE(Within(2500, [this] { return ModalBox() != nullptr; }));
    });
}

// TCXO keyed while the modem falls silent, to the "T0" too: the window says the radio may still
// be transmitting, never that it was turned off. When the modem answers again the owed "T0"
// goes before anything else, and only its acknowledgement says the transmitter is off.
TEST_F(TuningOnTheBench, AModemSilentToTheUnkeyIsToldAsMaybeTransmittingAndUnkeyedWhenItAnswers) {
    ASSERT_NO_FATAL_FAILURE(PrepareProduction({TuneTest::Tcxo}));
    Run([&] {
        ToTheTcxoScreen();
        com1().withModem([](SimulatedModem& m) {
            for (ModemStep s : {ModemStep::Tune, ModemStep::Diagnostics, ModemStep::EndTest})
                m.addFault({ModemFault::Silence, s, 0, -1});
        });
        const std::size_t from = com1().lines().size();
        ClickTune(&formTune::buttonOK);
        const std::string box = WaitBox(20000);
        EXPECT_EQ(box, kMayTransmitText);
        EXPECT_EQ(box.find("turned off"), std::string::npos);
        std::vector<std::string> heads = Heads(from);
        // A poll that fell due just before the click goes first (the modem leaves it unanswered);
        // the keyed record waits for its time-out.
        heads.erase(heads.begin(),
                    std::find_if(heads.begin(), heads.end(), [](const std::string& h) { return h != "AS"; }));
        ASSERT_GE(heads.size(), 5u);
        EXPECT_EQ(std::vector<std::string>(heads.begin(), heads.begin() + 5),
                  (std::vector<std::string>{"T1", "T0", "T0", "T0", "T0"}));
        AnswerBox("OK");
        WaitFor("the window back on the step that keys", [this] { return StepShown() == TuneStep::TcxoReady; });

        const std::size_t back = com1().lines().size();
        com1().withModem([](SimulatedModem& m) { m.clearFaults(); });
        EXPECT_EQ(WaitBox(20000), kTxOffLaterText);
        AnswerBox("OK");
        int answered = 0;
        com1().withModem([&](SimulatedModem& m) { answered = m.endTests; });
        EXPECT_GE(answered, 1);
        // Nothing but the owed unkey went before the modem acknowledged one.
        const std::vector<std::string> after = Heads(back);
        const auto firstOther =
            std::find_if(after.begin(), after.end(), [](const std::string& h) { return h != "T0"; });
        EXPECT_GT(firstOther - after.begin(), 0);
        for (auto it = firstOther; it != after.end(); ++it) EXPECT_NE(*it, "T1");
        EXPECT_FALSE(Within(2500, [this] { return ModalBox() != nullptr; })) << "one box each";
    });
}

// TCXO keyed, then the adapter pulled: OK sends nothing (no "Com Port 1 Not Open!!" box per
// send), the loss and one message about the radio are all the operator sees, and the step is
// not counted as done: no "Tuning Complete", however often OK is pressed. Leaving the program
// then says that the unkey could not be sent.
TEST_F(TuningOnTheBench, APulledAdapterAtAKeyedStepGivesTwoBoxesAndTakesNoStep) {
    ASSERT_NO_FATAL_FAILURE(PrepareProduction({TuneTest::Tcxo}));
    Run([&] {
        ToTheTcxoScreen();
        ClickTune(&formTune::buttonOK);
        WaitFor("the keyed TCXO step", [this] { return StepShown() == TuneStep::TcxoKeyed; });
        Settled();
        const std::size_t sent = com1().received().size();
        com1().unplug();
        EXPECT_EQ(WaitBox(20000).rfind("Lost Com Port 1", 0), 0u);
        AnswerBox("OK");
        ClickTune(&formTune::buttonOK);
        EXPECT_EQ(WaitBox(10000), PortClosedText(1, true));
        AnswerBox("OK");
        for (int i = 0; i < 2; ++i) {
            ClickTune(&formTune::buttonOK);
            EXPECT_FALSE(Within(2500, [this] { return ModalBox() != nullptr; })) << "press " << i;
        }
        EXPECT_EQ(Gui([this] { return StepShown(); }), TuneStep::TcxoKeyed);
        EXPECT_FALSE(Gui([this] { return Tune()->dialogue().work().Done(TuneTest::Tcxo); }));
        EXPECT_EQ(com1().received().size(), sent);
        ExitTold("Com Port 1 is not open! The radio may still be transmitting: the unkey could not be sent.");
        EXPECT_EQ(com1().received().size(), sent);
    });
}

// The reader window closes and Tune Radio goes on by itself: the first ticked group's intro
// screen, and its adjust values handed to the DAC values window.
TEST_F(TuningOnTheBench, GoesOnAfterStartsReadWithoutAClick) {
    ASSERT_NO_FATAL_FAILURE(PrepareProduction({TuneTest::PowerOut}));
    Run([&] {
        StartWithoutDefaults();
        WaitFor("Tune Radio to go on to the Tx intro and the DAC values window, with no click", [this] {
            return Tune()->labelTestTitle->text() == "Transmitter Tuning." && Shown("formDacVals");
        }, 10000);
    });
}

// The DAC values window the hand-over opens comes to the front, active: the operator's keys
// reach it (Escape closes it).
TEST_F(TuningOnTheBench, HandsOverToTheDacValuesWindowInFront) {
    ASSERT_NO_FATAL_FAILURE(PrepareProduction({TuneTest::PowerOut}));
    Run([&] {
        StartWithoutDefaults();
        ShowDacValues();  // going on by itself is the scenario above
        WaitFor("the DAC values window to come to the front, active", [this] {
            QWidget* ok = ToolChild<QWidget>("formDacVals", "buttonOK");
            QWidget* hit = ok ? QApplication::widgetAt(ok->mapToGlobal(ok->rect().center())) : nullptr;
            return ActiveChild() == "formDacVals" && hit && (hit == ok || ok->isAncestorOf(hit));
        }, 10000);
        Keys("Escape");
        WaitFor("Escape to close the DAC values window", [this] { return !Shown("formDacVals"); }, 10000);
    });
}

}  // namespace
}  // namespace k45::test
