// The calibration and production windows inside the whole program: each opens the
// current-parameter reader, and when the reader closes the window below it is the active child
// again and sets the radio up at once, with no click from the operator.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "wiring/tool_window_ids.h"
#include "frame/ui/program_bench.h"

namespace k45::test {
namespace {

struct ResumeCase {
    const char* name;
    ToolWindow slot;
    bool showsFrequencies;  // the panels show the frequencies they set the radio to
    friend void PrintTo(const ResumeCase& c, std::ostream* os) { *os << c.name; }
};

class ResumeAfterRead : public ProgramWithModem, public ::testing::WithParamInterface<ResumeCase> {
protected:
    bool TuneRecordSent() const { return !modem->linesStartingWith("T1").empty(); }
    bool ReaderDone() const {
        return !modem->linesStartingWith("DE").empty() && ctx.formParmsGetCurrent && !ctx.formParmsGetCurrent->loaded();
    }
};

TEST_P(ResumeAfterRead, TheWindowIsActiveAgainAndSetsTheRadioUpOnceTheReaderCloses) {
    const ResumeCase& c = GetParam();
    StartProgramWithModem(true, "/ProductionTest", [](ModemParameters& unit) { unit.model = 6; });
    QApplication::setActiveWindow(win.get());
    ToolForm* form = ctx.form(c.slot);
    ASSERT_NE(form, nullptr);
    auto* window = dynamic_cast<QWidget*>(form);
    win->OpenForm(*form);
    ASSERT_TRUE(RunWithEvents([&] { return ReaderDone(); }, 20000)) << c.name;
    EXPECT_FALSE(TuneRecordSent());

    // Nothing but time: the first tune record follows the reader's close within its round trip.
    EXPECT_TRUE(RunWithEvents([&] { return TuneRecordSent(); }, 1000)) << c.name;
    EXPECT_EQ(win->mdiArea()->activeSubWindow(), win->subWindowFor(window));
    EXPECT_EQ(win->ActiveForm(), form);
    if (c.showsFrequencies) {
        auto* tx = window->findChild<QLineEdit*>("textTxFreq");
        ASSERT_NE(tx, nullptr);
        EXPECT_NE(tx->text().toStdString(), "0.000000");
    }
    window->parentWidget()->close();
}

const ResumeCase kResumeCases[] = {
    {"production test", ToolWindow::formProdTest, true},
    {"engineer test", ToolWindow::formEngTest, true},
    {"user test", ToolWindow::formUserTest, true},
    {"power calibration", ToolWindow::formProgPwr, false},
    {"RSSI calibration", ToolWindow::formProgRssi, false},
    {"RSSI temperature compensation", ToolWindow::formTempComp, false},
};

INSTANTIATE_TEST_SUITE_P(Windows, ResumeAfterRead, ::testing::ValuesIn(kResumeCases),
                         [](const ::testing::TestParamInfo<ResumeCase>& i) { return std::to_string(i.index); });

}  // namespace
}  // namespace k45::test
