// Tune Radio inside the whole program after Start: when the current-parameter reader closes
// over it, Tune Radio is the active child again; activated, it starts its tests and hands the
// adjust values to the DAC values editor, which comes to the front, active, with the keyboard,
// also when the operator's click activated Tune Radio. The editor's OK gives the activation
// back to Tune Radio.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include "wiring/tool_window_ids.h"
#include "frame/ui/program_bench.h"
#include "programming/ui/dac_vals_window.h"
#include "support/mdi_front.h"
#include "tuning/tune_print.h"
#include "tuning/ui/tune_window.h"

namespace k45::test {
namespace {

struct HandOverCase {
    const char* name;
    bool editorOpen;      // the editor is open, behind, before Start
    bool workedElsewhere;  // during the read the operator works in another window, and clicks
                           // Tune Radio after it
    friend void PrintTo(const HandOverCase& c, std::ostream* os) { *os << c.name; }
};

class TuneHandOver : public ProgramWithModem, public ::testing::WithParamInterface<HandOverCase> {
protected:
    formTune& Tune() { return *dynamic_cast<formTune*>(ctx.form(ToolWindow::formTune)); }
    formDacVals& Dac() { return *dynamic_cast<formDacVals*>(ctx.form(ToolWindow::formDacVals)); }
    QMdiSubWindow* Active() const { return win->mdiArea()->activeSubWindow(); }
    QMdiSubWindow* Front() const { return FrontSubWindow(*win->mdiArea()); }
};

TEST_P(TuneHandOver, TheDacValuesEditorComesToTheFrontActive) {
    const HandOverCase& c = GetParam();
    StartProgramWithModem(true, "");
    QApplication::setActiveWindow(win.get());
    if (c.editorOpen) win->OpenForm(Dac());
    win->OpenForm(Tune());
    QApplication::processEvents();
    for (QCheckBox* box : Tune().checkTests) box->setChecked(false);
    Tune().checkTests[2]->setChecked(true);
    Tune().buttonStart->click();
    QApplication::processEvents();
    ASSERT_TRUE(ctx.formParmsGetCurrent && ctx.formParmsGetCurrent->loaded());
    ToolForm* stats = ctx.form(ToolWindow::formComStats);
    if (c.workedElsewhere) {
        // Another window opened, and the reader brought back to finish (from the Window menu).
        ASSERT_NE(stats, nullptr);
        win->OpenForm(*stats);
        win->FocusForm(*ctx.formParmsGetCurrent.get());
    }

    ASSERT_TRUE(RunWithEvents([&] { return !ctx.formParmsGetCurrent->loaded(); }, 20000));
    TuneDialogue& dlg = Tune().dialogue();
    if (c.workedElsewhere) {
        // The window above Tune Radio takes the activation; Tune Radio waits for the click.
        EXPECT_EQ(win->ActiveForm(), stats);
        EXPECT_EQ(dlg.dialogState(), TuneDialogState::ParametersReady);
        Tune().checkTests[0]->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
    }
    EXPECT_EQ(dlg.dialogState(), TuneDialogState::Idle);
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TxIntro);  // of the first ticked test
    ASSERT_TRUE(Dac().loaded());
    QMdiSubWindow* dacSub = win->subWindowFor(&Dac());
    EXPECT_EQ(Active(), dacSub);
    EXPECT_EQ(Front(), dacSub);
    EXPECT_EQ(win->ActiveForm(), &Dac());
    EXPECT_TRUE(HasKeyboard(Dac()));
    EXPECT_EQ(Dac().editDacValues().powerAdj, dlg.work().tuneRecord.powerAdj);

    // OK hands the values back, and Tune Radio is the active child once more.
    Dac().buttonOK->click();
    QApplication::processEvents();
    EXPECT_FALSE(Dac().loaded());
    EXPECT_EQ(Active(), win->subWindowFor(&Tune()));
    EXPECT_EQ(win->ActiveForm(), &Tune());
    EXPECT_EQ(dlg.work().currentStep, TuneStep::TxIntro);
}

const HandOverCase kHandOverCases[] = {
    {"LeftAlone", false, false},
    {"LeftAloneEditorOpen", true, false},
    {"ClickedBack", false, true},
    {"ClickedBackEditorOpen", true, true},
};

INSTANTIATE_TEST_SUITE_P(Ways, TuneHandOver, ::testing::ValuesIn(kHandOverCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace k45::test
