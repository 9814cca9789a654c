// The numeric text box: what it lets the operator type, its steps, its limits when it is left,
// its lock, and drag copy within one window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QVBoxLayout>
#include <QValidator>

#include "ui/num_box.h"
#include "ui/num_box_drop.h"

namespace k45::test {
namespace {

class NumBoxTest : public ::testing::Test {
protected:
    // Whether the box would take the text as typed (complete or on the way to a valid value).
    static bool Takes(NumBox& box, QString text) {
        int pos = static_cast<int>(text.size());
        return box.validator()->validate(text, pos) != QValidator::Invalid;
    }
    static void Key(NumBox& box, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(&box, &press);
    }
    LocaleInfo locale;
};

TEST_F(NumBoxTest, KeysAreRefusedBeyondWhatTheKindAndMaximumAllow) {
    struct Case {
        int type;
        double min, max;
        const char* format;
        const char* text;
        bool taken;
    };
    const Case cases[] = {
        {NumBox::numUnsigned, 0, 255, "", "255", true},
        {NumBox::numUnsigned, 0, 255, "", "256", false},
        {NumBox::numUnsigned, 0, 255, "", "-1", false},
        {NumBox::numUnsigned, 0, 255, "", "1.5", false},
        {NumBox::numUnsigned, 0, 255, "", "12a", false},
        {NumBox::numSigned, -128, 127, "", "-128", true},
        {NumBox::numSigned, -128, 127, "", "-129", false},
        {NumBox::numSigned, -128, 127, "", "-", true},
        {NumBox::numSigned, -128, 127, "", "128", false},
        {NumBox::numDecimal, 100, 999, "0.000000", "4", true},  // on the way to 450
        {NumBox::numDecimal, 100, 999, "0.000000", "450.0125", true},
        {NumBox::numDecimal, 100, 999, "0.000000", "450.0000001", false},
        {NumBox::numDecimal, 100, 999, "0.000000", "1000", false},
        {NumBox::numDecimal, 100, 999, "0.000000", "450.1.2", false},
        {NumBox::numDecimal, 100, 999, "0.000000", "-450", false},
        {NumBox::numHex, 0, 255, "", "fF", true},
        {NumBox::numHex, 0, 255, "", "100", false},
        {NumBox::numHex, 0, 255, "", "G", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NumBox box(locale);
        box.setNumType(c.type);
        if (c.min != 0) box.setNumMin(c.min);
        box.setNumMax(c.max);
        box.setNumFormat(c.format);
        EXPECT_EQ(Takes(box, c.text), c.taken);
    }
}

TEST_F(NumBoxTest, DecimalBoxUsesTheLocaleSeparator) {
    locale.decimal = ",";
    NumBox box(locale);
    box.setNumType(NumBox::numDecimal);
    box.setNumMin(100);
    box.setNumMax(999);
    box.setNumFormat("0.000000");
    box.setSteps(0.05, 1);
    EXPECT_TRUE(Takes(box, "450,5"));
    EXPECT_FALSE(Takes(box, "450.5"));
    box.setText("450,5");
    Key(box, Qt::Key_Up);
    EXPECT_EQ(box.text(), "450,550000");
}

TEST_F(NumBoxTest, StepsStayWithinTheLimitsAndCtrlUsesItsOwnSteps) {
    NumBox box(locale);
    box.setNumType(NumBox::numDecimal);
    box.setNumMin(100);
    box.setNumMax(999);
    box.setNumFormat("0.000000");
    box.setSteps(0.05, 1);
    box.setText("450.000000");
    Key(box, Qt::Key_Up);
    EXPECT_EQ(box.text(), "450.050000");
    Key(box, Qt::Key_PageDown);
    EXPECT_EQ(box.text(), "449.050000");
    box.setCtrlSteps(10, 100);
    Key(box, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(box.text(), "459.050000");
    box.setText("998.5");
    Key(box, Qt::Key_PageUp);
    EXPECT_EQ(box.text(), "999.000000");
    box.setText("");
    Key(box, Qt::Key_Down);  // an empty box starts from the minimum
    EXPECT_EQ(box.text(), "100.000000");

    NumBox hex(locale);
    hex.setNumType(NumBox::numHex);
    hex.setNumMax(0xFFFF);
    hex.setNumMaxLength(4);
    hex.setSteps(1, 0x10);
    hex.setText("00FF");
    Key(hex, Qt::Key_Up);
    EXPECT_EQ(hex.text(), "100");

    NumBox small(locale);
    small.setNumType(NumBox::numUnsigned);
    small.setNumMax(255);
    small.setText("5");
    Key(small, Qt::Key_PageDown);
    EXPECT_EQ(small.text(), "0");
}

TEST_F(NumBoxTest, LeavingTheBoxBringsANumberWithinItsLimitsAndFormat) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* freq = new NumBox(locale);
    freq->setNumType(NumBox::numDecimal);
    freq->setNumMin(100);
    freq->setNumMax(999);
    freq->setNumFormat("0.000000");
    auto* cn = new NumBox(locale);
    cn->setNumType(NumBox::numUnsigned);
    cn->setNumMax(255);
    auto* other = new QLineEdit;
    for (QWidget* w : std::initializer_list<QWidget*>{freq, cn, other}) layout->addWidget(w);
    window.show();
    QApplication::setActiveWindow(&window);

    auto leave = [&](NumBox* box, const QString& text) {
        box->setFocus();
        box->setText(text);
        other->setFocus();
        return box->text();
    };
    EXPECT_EQ(leave(freq, "45"), "100.000000");
    EXPECT_EQ(leave(freq, "450.0125"), "450.012500");
    EXPECT_EQ(leave(freq, ""), "");
    EXPECT_EQ(leave(cn, "450.000000"), "255");  // a frequency text dropped on a small box
    EXPECT_EQ(leave(cn, "12"), "12");
    EXPECT_EQ(leave(cn, "x"), "x");  // no number: left to the reader
}

TEST_F(NumBoxTest, LockedBoxTakesNoKeysButTakesADrop) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* source = new NumBox(locale);
    auto* locked = new NumBox(locale);
    locked->setNumMax(255);
    locked->setLocked(true);
    layout->addWidget(source);
    layout->addWidget(locked);
    window.show();
    QApplication::setActiveWindow(&window);
    EXPECT_TRUE(locked->isReadOnly());
    EXPECT_TRUE(locked->property("locked").toBool());
    locked->setText("7");
    Key(*locked, Qt::Key_Up);
    EXPECT_EQ(locked->text(), "7");
    source->setText("42");
    DropNumBox(source, locked);
    EXPECT_EQ(locked->text(), "42");
    EXPECT_TRUE(locked->hasFocus());
}

TEST_F(NumBoxTest, DropsFromAnotherWindowOrAVanishedBoxAreRefused) {
    QWidget first, second;
    auto* a = new NumBox(locale, &first);
    auto* b = new NumBox(locale, &second);
    a->setText("1");
    b->setText("2");
    DropNumBox(b, a);
    EXPECT_EQ(a->text(), "1");

    auto* gone = new NumBox(locale, &first);
    gone->setText("3");
    const quintptr id = reinterpret_cast<quintptr>(gone);
    delete gone;
    QMimeData mime;
    mime.setData(NumBox::kMimeType, QByteArray::number(id));
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &mime, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(a, &drop);
    EXPECT_EQ(a->text(), "1");
    EXPECT_FALSE(drop.isAccepted());
}

}  // namespace
}  // namespace k45::test
