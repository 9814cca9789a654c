// DAC values editor scenarios: the hand-off through dacValues and the main window's services, the
// refresh rule on activation, Default in production mode, and the box limits.
#include <QPushButton>
#include <memory>
#include <string>
#include <vector>

#include "wiring/tool_window_ids.h"
#include "programming/ui/dac_vals_window.h"
#include "programming/ui/editor_fixture.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

DacValues Numbered(int base) {
    DacValues v;
    auto f = DacValueFields(v);
    for (std::size_t i = 0; i < f.size(); ++i) *f[i] = static_cast<std::int16_t>(base + static_cast<int>(i));
    return v;
}

class DacValsWindow : public EditorFixture {
protected:
    // What the production test panel and the tuning window do after filling dacValues: open the
    // editor through the main window, which then activates it.
    void OpenEditor() {
        ctx.mainFrame->OpenForm(*editor);
        if (editor->loaded()) editor->Form_Activate();
    }
    DacValsWindow() {
        ctx.Register(ToolWindow::formDacVals, *editor);
        ctx.state.dacValues = Numbered(10);
        // What the windows told see: the values as they stand when the main window tells them.
        mainFrame.dacValuesTaken = [this] { taken.push_back(ctx.state.dacValues); };
    }
    std::vector<DacValues> taken;
    std::unique_ptr<formDacVals> editor = std::make_unique<formDacVals>(ctx);
};

TEST_F(DacValsWindow, OkHandsTheValuesBackAndHasTheMainWindowTellTheirWindows) {
    OpenEditor();
    ASSERT_TRUE(editor->loaded());
    const auto boxes = editor->boxes();
    EXPECT_EQ(boxes[0]->text(), "10");
    EXPECT_EQ(boxes[24]->text(), "34");
    editor->textModAdj[1]->setText("200");
    editor->textRssiCalAdj->setText("-128");
    editor->textTxFC5[2]->setText("not a number");
    editor->buttonOK->click();
    DacValues expected = Numbered(10);
    expected.modAdj[1] = 200;
    expected.rssiCalAdj = -128;
    EXPECT_EQ(ctx.state.dacValues, expected);
    EXPECT_EQ(taken, std::vector<DacValues>{expected});
    EXPECT_FALSE(editor->loaded());
}

TEST_F(DacValsWindow, ActivationTakesNewValuesAndKeepsTypedOnesOtherwise) {
    OpenEditor();
    editor->textFrontAdj[0]->setText("123");
    // The panel hands over again with the same values: the typed value stays.
    OpenEditor();
    EXPECT_EQ(editor->textFrontAdj[0]->text(), "123");
    // New values in dacValues: they replace what was typed.
    ctx.state.dacValues = Numbered(50);
    OpenEditor();
    EXPECT_EQ(editor->textFrontAdj[0]->text(), "50");
    EXPECT_EQ(editor->referenceDacValues(), Numbered(50));
    EXPECT_EQ(editor->editDacValues(), Numbered(50));
}

TEST_F(DacValsWindow, CancelAndDefaultLeaveTheSharedValues) {
    OpenEditor();
    EXPECT_TRUE(editor->buttonDefault->isHidden());
    EXPECT_FALSE(editor->buttonDefault->isEnabled());
    editor->buttonCancel->click();

    ctx.state.productionMode = true;
    ctx.state.testParameters.defaultDacValues = Numbered(100);
    OpenEditor();
    EXPECT_FALSE(editor->buttonDefault->isHidden());
    editor->buttonDefault->click();
    EXPECT_EQ(editor->textPwrCalAdj->text(), "124");
    EXPECT_EQ(editor->referenceDacValues(), Numbered(10));
    editor->buttonCancel->click();
    EXPECT_EQ(ctx.state.dacValues, Numbered(10));
    EXPECT_TRUE(taken.empty());

    OpenEditor();
    editor->buttonDefault->click();
    PressKey(editor->textGain, Qt::Key_Return);  // Enter is OK
    EXPECT_EQ(ctx.state.dacValues, Numbered(100));
}

// Enter in a box is OK; on a focused button it presses that button.
TEST_F(DacValsWindow, EnterOnAFocusedButtonPressesThatButton) {
    ctx.state.productionMode = true;
    ctx.state.testParameters.defaultDacValues = Numbered(100);
    struct Case {
        QPushButton* formDacVals::*button;
        bool handedOver;
        bool staysOpen;
    };
    const Case cases[] = {
        {&formDacVals::buttonCancel, false, false},
        {&formDacVals::buttonDefault, false, true},
        {&formDacVals::buttonOK, true, false},
    };
    for (const Case& c : cases) {
        QPushButton* button = editor.get()->*c.button;
        SCOPED_TRACE(button->objectName().toStdString());
        taken.clear();
        ctx.state.dacValues = Numbered(10);
        OpenEditor();
        ShowActive(*editor);
        editor->textGain->setText("77");
        button->setFocus();
        PressKey(button, Qt::Key_Return);
        EXPECT_EQ(editor->loaded(), c.staysOpen);
        EXPECT_EQ(ctx.state.dacValues.rxGainAdj, c.handedOver ? 77 : Numbered(10).rxGainAdj);
        EXPECT_EQ(taken.size(), c.handedOver ? 1u : 0u);
        if (c.staysOpen) {
            EXPECT_EQ(editor->textGain->text(), QString::number(Numbered(100).rxGainAdj));
            editor->buttonCancel->click();
        }
    }
}

// OK by Enter leaves the focus in the box; what is stored is still within the box's limits.
TEST_F(DacValsWindow, EnterStoresValuesWithinTheBoxLimits) {
    ShowActive(*editor);
    editor->textGain->setText("200");
    DropOn(editor->textGain, editor->textRssiCalAdj);  // 200 in a -128..127 box
    editor->textPowerAdj[1]->setText("");               // no number: the field stays
    ASSERT_EQ(editor->textRssiCalAdj->text(), "200");
    PressKey(editor->textRssiCalAdj, Qt::Key_Return);
    EXPECT_FALSE(editor->loaded());
    EXPECT_EQ(ctx.state.dacValues.rssiCalAdj, 127);
    EXPECT_EQ(ctx.state.dacValues.rxGainAdj, 200);
    EXPECT_EQ(ctx.state.dacValues.powerAdj[1], Numbered(10).powerAdj[1]);
}

TEST_F(DacValsWindow, BoxLimits) {
    for (NumBox* b : editor->boxes()) {
        SCOPED_TRACE(b->objectName().toStdString());
        const bool rssi = b == editor->textRssiCalAdj;
        EXPECT_EQ(b->numMax(), rssi ? 127.0 : 255.0);
        EXPECT_EQ(b->numMin().value_or(0), rssi ? -128.0 : 0.0);
        EXPECT_EQ(b->numMaxLength(), rssi ? 4 : 3);
        EXPECT_EQ(b->step(), 1.0);
        EXPECT_EQ(b->pageStep(), 10.0);
    }
}

TEST_F(DacValsWindow, AMinimisedWindowKeepsItsPosition) {
    editor->savedLeft = 1500;
    editor->savedTop = 750;
    OpenEditor();
    EXPECT_EQ(editor->pos(), QPoint(100, 50));
    editor->showMinimized();
    editor->buttonCancel->click();
    EXPECT_EQ(editor->savedLeft, 1500);
    EXPECT_EQ(editor->savedTop, 750);
}

}  // namespace
}  // namespace k45::test
