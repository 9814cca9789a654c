// Radio spec editor scenarios: switching type and range stores first, Reset, the two exit
// questions, OK writing testDefaults and radspecs.cfg, and the modal opener.
#include <QComboBox>
#include <QPushButton>
#include <memory>

#include <sys/stat.h>

#include "base/converters.h"
#include "params/radio_spec_file.h"
#include "programming/ui/editor_fixture.h"
#include "programming/ui/rad_specs_window.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

class RadSpecsWindow : public EditorFixture {
protected:
    std::unique_ptr<formRadSpecs> Open() {
        auto w = std::make_unique<formRadSpecs>(ctx);
        w->show();
        return w;
    }
    const RadioSpec& Entry(const ProductionTestRecord& r, int type, int range, int point) {
        return r.radioSpecs[static_cast<std::size_t>(RadioSpecIndex(type, range, point))];
    }
};

TEST_F(RadSpecsWindow, OpensOnTheFirstListedTypeAndRange) {
    auto w = Open();
    EXPECT_EQ(w->comboRadioType->currentText(), "5716");
    EXPECT_EQ(w->comboRadioRange->currentText(), "0");
    EXPECT_EQ(Entries(w->comboRadioRange).size(), 9);  // 5716 offers ranges 0..8
    const RadioSpec& low = Entry(ctx.state.testDefaults, 0, 0, 0);
    EXPECT_EQ(w->textRxFreq[0]->text().toStdString(), FormatMHz(low.rxFrequency, {}));
    EXPECT_EQ(w->textTxFC5[0]->text(), QString::number(low.txFc5));

    // With the first type not offered, the first offered one is shown.
    ctx.state.radioTypeEnabled[0] = false;
    auto w2 = Open();
    EXPECT_EQ(w2->comboRadioType->currentText(), "5726");
    EXPECT_EQ(w2->comboRadioRange->currentText(), "4");
    EXPECT_EQ(w2->shownType(), 1);
    EXPECT_EQ(w2->shownRange(), 4);
    EXPECT_EQ(w2->textRxFreq[2]->text().toStdString(), FormatMHz(Entry(ctx.state.testDefaults, 1, 4, 2).rxFrequency, {}));
}

TEST_F(RadSpecsWindow, SwitchingRangeStoresTheBoxesFirst) {
    auto w = Open();
    w->comboRadioRange->setCurrentIndex(w->comboRadioRange->findText("5"));
    w->textRxCN[1]->setText("77");
    w->textTxFreq[2]->setText("471.5");
    w->comboRadioRange->setCurrentIndex(w->comboRadioRange->findText("6"));
    EXPECT_EQ(Entry(w->editDefaults(), 0, 5, 1).rxCn, 77);
    EXPECT_EQ(Entry(w->editDefaults(), 0, 5, 2).txFrequency, 471500000);
    w->comboRadioRange->setCurrentIndex(w->comboRadioRange->findText("5"));
    EXPECT_EQ(w->textRxCN[1]->text(), "77");
    EXPECT_EQ(w->textTxFreq[2]->text(), "471.500000");
    // Nothing reaches testDefaults before OK.
    EXPECT_NE(Entry(ctx.state.testDefaults, 0, 5, 1).rxCn, 77);
}

TEST_F(RadSpecsWindow, ChangingTheTypeKeepsOrMovesTheRange) {
    auto w = Open();
    w->comboRadioRange->setCurrentIndex(w->comboRadioRange->findText("5"));
    w->textRxFC8[0]->setText("9");
    w->comboRadioType->setCurrentIndex(w->comboRadioType->findText("5726"));
    EXPECT_EQ(w->comboRadioRange->currentText(), "5");  // offered: kept
    EXPECT_EQ(Entry(w->editDefaults(), 0, 5, 0).rxFc8, 9);
    EXPECT_EQ(w->textRxFreq[0]->text().toStdString(), FormatMHz(Entry(ctx.state.testDefaults, 1, 5, 0).rxFrequency, {}));
    w->comboRadioRange->setCurrentIndex(w->comboRadioRange->findText("9"));
    w->comboRadioType->setCurrentIndex(w->comboRadioType->findText("5796"));
    EXPECT_EQ(w->comboRadioRange->currentText(), "5");  // none higher: the highest offered
    w->comboRadioType->setCurrentIndex(w->comboRadioType->findText("5716"));
    w->comboRadioRange->setCurrentIndex(w->comboRadioRange->findText("1"));
    w->comboRadioType->setCurrentIndex(w->comboRadioType->findText("5726"));
    EXPECT_EQ(w->comboRadioRange->currentText(), "4");  // the next higher offered
}

TEST_F(RadSpecsWindow, OkWritesTestDefaultsAndTheFile) {
    const ProductionTestRecord testParameters = ctx.state.testParameters;
    auto w = Open();
    w->comboRadioRange->setCurrentIndex(w->comboRadioRange->findText("3"));
    w->textTxCN[2]->setText("201");
    w->textRxFreq[0]->setText("420.0125");
    // First answered Cancel: the window stays with its edits.
    dialogs.expectBox("Exit and save any changes?", MsgAnswer::Cancel);
    w->buttonOK->click();
    EXPECT_TRUE(w->loaded());
    EXPECT_EQ(w->textTxCN[2]->text(), "201");
    EXPECT_FALSE(home.exists("radspecs.cfg"));
    dialogs.expectBox("Exit and save any changes?", MsgAnswer::OK);
    w->buttonOK->click();
    EXPECT_EQ(dialogs.boxes.back().title, "Exit");
    EXPECT_EQ(dialogs.boxes.back().buttons, MsgButtons::OKCancel);
    EXPECT_FALSE(w->loaded());
    EXPECT_EQ(Entry(ctx.state.testDefaults, 0, 3, 2).txCn, 201);
    EXPECT_EQ(Entry(ctx.state.testDefaults, 0, 3, 0).rxFrequency, 420012500);
    EXPECT_EQ(ctx.state.testParameters, testParameters);
    // The file holds the whole table in force.
    RadioSpecTable fromFile{};
    ASSERT_TRUE(LoadRadioSpecFile(ctx.state.locale, RadioSpecFileName(ctx.state), fromFile));
    EXPECT_EQ(fromFile, ctx.state.testDefaults.radioSpecs);
}

TEST_F(RadSpecsWindow, ResetThenCancelChangesNothing) {
    ctx.state.testDefaults.radioSpecs[0].rxCn = 1;  // as if radspecs.cfg differed from the built-in table
    const ProductionTestRecord before = ctx.state.testDefaults;
    auto w = Open();
    w->buttonReset->click();
    EXPECT_EQ(w->textRxCN[0]->text(), QString::number(ctx.state.builtInTestDefaults.radioSpecs[0].rxCn));
    dialogs.expectBox("Exit without saving any changes?", MsgAnswer::Cancel);
    w->buttonCancel->click();
    EXPECT_TRUE(w->loaded());
    dialogs.expectBox("Exit without saving any changes?", MsgAnswer::OK);
    w->buttonCancel->click();
    EXPECT_FALSE(w->loaded());
    EXPECT_EQ(ctx.state.testDefaults, before);
    EXPECT_FALSE(home.exists("radspecs.cfg"));
}

TEST_F(RadSpecsWindow, ResetThenOkWritesTheBuiltInTableForEveryEntry) {
    for (RadioSpec& e : ctx.state.testDefaults.radioSpecs) e.txFc5 = 1;
    auto w = Open();
    w->buttonReset->click();
    dialogs.expectBox("Exit and save any changes?", MsgAnswer::OK);
    w->buttonOK->click();
    EXPECT_EQ(ctx.state.testDefaults.radioSpecs, ctx.state.builtInTestDefaults.radioSpecs);
    RadioSpecTable fromFile{};
    ASSERT_TRUE(LoadRadioSpecFile(ctx.state.locale, RadioSpecFileName(ctx.state), fromFile));
    EXPECT_EQ(fromFile, ctx.state.builtInTestDefaults.radioSpecs);
}

TEST_F(RadSpecsWindow, AFailedWriteIsReported) {
    // A folder where the file should be: the write cannot replace it.
    ASSERT_EQ(::mkdir(home.file("radspecs.cfg").c_str(), 0700), 0);
    auto w = Open();
    w->textTxCN[0]->setText("3");
    dialogs.expectBox("Exit and save any changes?", MsgAnswer::OK);
    dialogs.expectBox("Could not save the radio spec file");
    w->buttonOK->click();
    EXPECT_EQ(dialogs.boxes.back().icon, MsgIcon::Critical);
    EXPECT_EQ(Entry(ctx.state.testDefaults, 0, 0, 0).txCn, 3);  // kept in memory
    EXPECT_FALSE(w->loaded());
}

TEST_F(RadSpecsWindow, EscIsCancelWithItsQuestion) {
    auto w = Open();
    dialogs.expectBox("Exit without saving any changes?", MsgAnswer::Cancel);
    PressKey(w->textRxCN[0], Qt::Key_Escape);
    EXPECT_TRUE(w->loaded());
    EXPECT_TRUE(w->isVisible());
}

TEST_F(RadSpecsWindow, CloseBoxAsksNothingAndDropsTheEdits) {
    const ProductionTestRecord before = ctx.state.testDefaults;
    auto w = Open();
    w->textRxCN[0]->setText("250");
    w->close();
    EXPECT_FALSE(w->loaded());
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(ctx.state.testDefaults, before);
}

// Enter on the focused Cancel button asks Cancel's question, not OK's.
TEST_F(RadSpecsWindow, EnterOnAFocusedButtonPressesThatButton) {
    const ProductionTestRecord before = ctx.state.testDefaults;
    auto w = Open();
    QApplication::setActiveWindow(w.get());
    w->textRxCN[0]->setText("7");
    w->buttonCancel->setFocus();
    dialogs.expectBox("Exit without saving any changes?", MsgAnswer::OK);
    PressKey(w->buttonCancel, Qt::Key_Return);
    EXPECT_FALSE(w->loaded());
    EXPECT_EQ(ctx.state.testDefaults, before);
}

// A value typed on the way to a longer one, or a dropped text beyond the box's maximum, is
// stored as the box would show it after losing the focus, also when Enter presses OK at once.
TEST_F(RadSpecsWindow, EnterStoresValuesWithinTheBoxLimits) {
    auto w = Open();
    const RadioSpec before = Entry(ctx.state.testDefaults, 0, 0, 1);
    w->textRxFreq[0]->setText("4");                 // below the 100 MHz minimum
    DropOn(w->textTxFreq[2], w->textTxCN[0]);       // a frequency text in a 0..255 box
    DropOn(w->textTxFC5[1], w->textRxFC8[1]);       // an ordinary value
    w->textRxCN[1]->setText("");                    // no number: the field stays
    dialogs.expectBox("Exit and save any changes?", MsgAnswer::OK);
    PressKey(w->textTxCN[0], Qt::Key_Return);
    EXPECT_FALSE(w->loaded());
    EXPECT_EQ(Entry(ctx.state.testDefaults, 0, 0, 0).rxFrequency, 100000000);
    EXPECT_EQ(Entry(ctx.state.testDefaults, 0, 0, 0).txCn, 255);
    EXPECT_EQ(Entry(ctx.state.testDefaults, 0, 0, 1).rxFc8, before.txFc5);
    EXPECT_EQ(Entry(ctx.state.testDefaults, 0, 0, 1).rxCn, before.rxCn);
}

TEST_F(RadSpecsWindow, DropCopiesAnyBoxText) {
    auto w = Open();
    DropOn(w->textRxFreq[1], w->textTxCN[0]);
    EXPECT_EQ(w->textTxCN[0]->text(), w->textRxFreq[1]->text());
}

TEST_F(RadSpecsWindow, TheAboutBoxOpenerShowsItModally) {
    bool ran = false;
    dialogs.onModal("formRadSpecs", [&] {
        ran = true;
        return 0;
    });
    ShowRadSpecsEditor(ctx);
    EXPECT_TRUE(ran);
    EXPECT_EQ(dialogs.modalsShown, std::vector<std::string>{"formRadSpecs"});
}

}  // namespace
}  // namespace k45::test
