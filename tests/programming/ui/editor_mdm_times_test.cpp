// Modem timing editor scenarios: what OK gives back, what Cancel drops, the calls through the
// parameter editor, the limit of its boxes and drag copy into the locked divisors.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "wiring/tool_window_ids.h"
#include "programming/ui/editor_fixture.h"
#include "programming/ui/mdm_times_window.h"
#include "ui/num_box.h"

namespace k45::test {
namespace {

class MdmTimesWindow : public EditorFixture {
protected:
    MdmTimesWindow() { ctx.Register(ToolWindow::formMdmTimes, *timing); }
    ModemParameters& main() { return ctx.state.mainParameters; }
    std::unique_ptr<formMdmTimes> timing = std::make_unique<formMdmTimes>(ctx);
};

TEST_F(MdmTimesWindow, OkGivesBackExactlyTheTimingValues) {
    main().t1Time[4] = 11;
    main().rxClampTime[4] = 12;
    ShowActive(*timing);
    EXPECT_EQ(timing->textT1Time[0]->text(), QString::number(main().t1Time[0]));
    EXPECT_EQ(timing->textRxdClampTime[3]->text(), QString::number(main().rxClampTime[3]));
    ModemParameters expected = main();
    for (int c = 0; c < kModemTimeColumns; ++c)
        for (int r = 0; r < kModemTimeRows; ++r) {
            const auto v = static_cast<std::int16_t>(10 * c + r + 1);
            timing->column(c)[static_cast<std::size_t>(r)]->setText(QString::number(v));
            *ModemTimeEntry(expected, c, r) = v;
        }
    DropOn(timing->textT1Time[1], timing->textTxDivisor);  // the only way into a locked box
    expected.txDivisorTest = 2;
    // Changed behind the editor: not a timing field, so it stays.
    main().comment = "changed meanwhile";
    expected.comment = "changed meanwhile";
    timing->buttonOK->click();
    EXPECT_FALSE(timing->loaded());
    EXPECT_EQ(main(), expected);
    EXPECT_EQ(main().t1Time[4], 11);
    EXPECT_EQ(main().rxClampTime[4], 12);
}

TEST_F(MdmTimesWindow, CancelDropsTheEditsAndTheNextLoadShowsTheRecord) {
    const ModemParameters before = main();
    ShowActive(*timing);
    timing->textT2Time[2]->setText("99");
    timing->buttonCancel->click();
    EXPECT_EQ(main(), before);
    main().t2Time[2] = 17;
    ShowActive(*timing);
    EXPECT_EQ(timing->textT2Time[2]->text(), "17");
}

TEST_F(MdmTimesWindow, UpdateAndSaveActOnlyWhileLoaded) {
    const ModemParameters before = main();
    EXPECT_FALSE(timing->SaveChanges());
    timing->UpdateChanges();
    EXPECT_EQ(main(), before);
    EXPECT_EQ(timing->textT1Time[0]->text(), "");

    ShowActive(*timing);
    timing->textExtendedT1Time[0]->setText("5");
    main().extendedT1Time[0] = 44;  // a data file was opened
    timing->UpdateChanges();
    EXPECT_EQ(timing->textExtendedT1Time[0]->text(), "44");
    timing->textExtendedT1Time[0]->setText("45");
    EXPECT_TRUE(timing->SaveChanges());
    EXPECT_EQ(main().extendedT1Time[0], 45);
    EXPECT_TRUE(timing->loaded());
}

TEST_F(MdmTimesWindow, BoxesHoldNoMoreThanThePackableMaximum) {
    ShowActive(*timing);
    NumBox* box = timing->textT1Time[0];
    EXPECT_EQ(box->numMax(), 213.0);
    QString text = "214";
    int pos = 3;
    EXPECT_EQ(box->validator()->validate(text, pos), QValidator::Invalid);
    text = "213";
    EXPECT_EQ(box->validator()->validate(text, pos), QValidator::Acceptable);
    box->setText("210");
    PressKey(box, Qt::Key_PageUp);
    EXPECT_EQ(box->text(), "213");
    for (NumBox* b : {timing->textTxDivisor, timing->textRxDivisor}) {
        EXPECT_EQ(b->numMax(), 255.0);
        EXPECT_TRUE(b->locked());
    }
}

TEST_F(MdmTimesWindow, DivisorAboveTheTimingLimitSurvivesFocusAndOk) {
    main().txDivisorTest = 255;
    main().rxDivisorTest = 240;
    ShowActive(*timing);
    timing->textRxDivisor->setFocus();
    timing->textT1Time[0]->setFocus();
    EXPECT_EQ(timing->textRxDivisor->text(), "240");
    timing->buttonOK->click();
    EXPECT_EQ(main().txDivisorTest, 255);
    EXPECT_EQ(main().rxDivisorTest, 240);
}

// A divisor dragged onto a time box may exceed what a time can hold; OK (also by its access
// key, which leaves the focus in the box) stores the time box's maximum.
TEST_F(MdmTimesWindow, ADroppedValueIsStoredWithinTheTimeLimit) {
    main().txDivisorTest = 255;
    ShowActive(*timing);
    DropOn(timing->textTxDivisor, timing->textExtendedT2Time[2]);
    ASSERT_EQ(timing->textExtendedT2Time[2]->text(), "255");
    ASSERT_TRUE(timing->textExtendedT2Time[2]->hasFocus());
    timing->buttonOK_Click();
    EXPECT_EQ(main().extendedT2Time[2], kModemTimeMax);
    EXPECT_EQ(main().txDivisorTest, 255);
}

TEST_F(MdmTimesWindow, RowCaptionsDoNotFollowTheModel) {
    main().model = familyRNet;
    ShowActive(*timing);
    QStringList captions;
    for (QLabel* l : timing->frameModemTimes->findChildren<QLabel*>())
        if (l->buddy()) captions << l->text();
    EXPECT_EQ(captions, (QStringList{"&4800:", "&9600:", "&19200:", "9&600 Native:"}));
    timing->textT1Time[3]->setText("21");
    timing->buttonOK->click();
    EXPECT_EQ(main().t1Time[3], 21);
}

}  // namespace
}  // namespace k45::test
