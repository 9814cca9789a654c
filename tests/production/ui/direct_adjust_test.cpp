// The direct value of the production and engineer panels as the operator types it: a value
// beyond the selected adjust's range reaches the panel, which stores and shows it limited.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>

#include "production/panel_bench.h"
#include "production/ui/eng_test_window.h"
#include "production/ui/panel_main_frame.h"
#include "production/ui/prod_test_window.h"
#include "programming/ui/parms_get_current_window.h"

namespace k45::test {
namespace {

void Key(QWidget* w, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

// Selects the box's text and types over it, key by key.
void TypeOver(NumBox* box, const QString& text) {
    box->setFocus(Qt::TabFocusReason);
    box->selectAll();
    for (QChar c : text) Key(box, c == u'-' ? static_cast<int>(Qt::Key_Minus) : static_cast<int>(c.unicode()), QString(c));
}

class DirectAdjust : public PanelBench {
protected:
    DirectAdjust() {
        ctx.mainFrame = &frame;
        ctx.formParmsGetCurrent = &readerWindow;
        frame.readerForm = &readerWindow;
    }
    ~DirectAdjust() override {
        prod.close();
        eng.close();
        readerWindow.close();
        sched.advance(100);
    }
    template <class W>
    void Open(W& w) {
        frame.panel = &w;
        w.show();
        QApplication::setActiveWindow(&w);
        w.Form_Activate();
        ASSERT_TRUE(sched.advanceUntil([&] { return !frame.shown.empty() && !readerWindow.loaded(); }, 20000));
        w.Form_Activate();
        ASSERT_TRUE(sched.advanceUntil(
            [&] { return w.dialogue().parametersTaken() && w.dialogue().dialogState() == TestPanelState::Idle; },
            20000));
    }
    PanelMainFrame frame;
    formParmsGetCurrent readerWindow{ctx};
    formProdTest prod{ctx};
    formEngTest eng{ctx};
};

TEST_F(DirectAdjust, ProductionPanelLimitsATypedValueToTheSelectedAdjust) {
    Open(prod);
    const auto point = static_cast<std::size_t>(prod.comboFreqPair->currentData().toInt());
    ASSERT_LT(point, 3U);
    struct Case {
        int adjust;  // index of optionAdjSelect
        const char* typed;
        bool bySend;  // the Send button, else Enter in the box
        const char* shown;
        std::function<int(const TuneRecord&)> stored;
    };
    const auto power = [point](const TuneRecord& t) { return static_cast<int>(t.powerAdj[point]); };
    const auto rssiCal = [](const TuneRecord& t) { return static_cast<int>(t.rssiCalAdj); };
    const Case cases[] = {
        {4, "300", false, "255", power},
        {4, "300", true, "255", power},
        {4, "-5", false, "0", power},
        {4, "-5", true, "0", power},
        {4, "1000", false, "255", power},
        {5, "200", false, "127", rssiCal},
        {5, "-300", false, "-128", rssiCal},
        {5, "-300", true, "-128", rssiCal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + (c.bySend ? " and Send" : " and Enter") + ", adjust " + std::to_string(c.adjust));
        prod.optionAdjSelect[static_cast<std::size_t>(c.adjust)]->click();
        const std::size_t sent = Sent("T1").size();
        TypeOver(prod.textDirectDac, c.typed);
        EXPECT_EQ(prod.textDirectDac->text().toStdString(), c.typed) << "the box did not take every key";
        if (c.bySend) {
            prod.buttonDirectDac->setFocus(Qt::TabFocusReason);
            prod.buttonDirectDac->click();
        } else {
            Key(prod.textDirectDac, Qt::Key_Return);
        }
        EXPECT_EQ(prod.textDirectDac->text().toStdString(), c.shown);
        EXPECT_EQ(c.stored(prod.dialogue().tuneRecord()), QString(c.shown).toInt());
        EXPECT_TRUE(sched.advanceUntil([&] { return Sent("T1").size() > sent; }, 3000));
        EXPECT_TRUE(sched.advanceUntil([&] { return prod.dialogue().dialogState() == TestPanelState::Idle; }, 3000));
    }
}

TEST_F(DirectAdjust, EngineerPanelLimitsATypedValueToTheSelectedAdjust) {
    Open(eng);
    eng.optionAdjSelect[2]->click();  // front-end
    TypeOver(eng.textDirectDac, "300");
    EXPECT_EQ(eng.textDirectDac->text().toStdString(), "300");
    Key(eng.textDirectDac, Qt::Key_Return);
    EXPECT_EQ(eng.textDirectDac->text().toStdString(), "255");
    EXPECT_EQ(eng.dialogue().tuneRecord().frontEndValue, 255);
}

}  // namespace
}  // namespace k45::test
