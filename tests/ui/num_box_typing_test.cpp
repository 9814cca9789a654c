// The numeric text box as the operator types into it: key by key over a selection, then Tab.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

#include "ui/num_box.h"

namespace k45::test {
namespace {

struct BoxKind {
    int type;
    double min, max;
    const char* format;
    int maxLength;
};

class NumBoxTyping : public ::testing::Test {
protected:
    // A shown window with the box and a second box after it, so that Tab leaves the box.
    NumBox& Make(const BoxKind& k, const QString& text) {
        window_ = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window_.get());
        box_ = new NumBox(locale_, window_.get());
        box_->setNumType(k.type);
        box_->setNumMin(k.min);
        box_->setNumMax(k.max);
        if (*k.format) box_->setNumFormat(k.format);
        box_->setNumMaxLength(k.maxLength);
        box_->setText(text);
        layout->addWidget(box_);
        layout->addWidget(new NumBox(locale_, window_.get()));
        window_->show();
        QApplication::setActiveWindow(window_.get());
        box_->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        return *box_;
    }
    static int KeyOf(QChar c) {
        if (c == u'-') return Qt::Key_Minus;
        if (c == u'.') return Qt::Key_Period;
        return c.unicode();
    }
    static void Key(QWidget* w, int key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(w, &release);
    }
    // Types the text over the whole selected content and leaves the box with Tab.
    QString TypeOverAllAndTab(const QString& typed) {
        box_->selectAll();
        for (QChar c : typed) Key(box_, KeyOf(c), QString(c));
        const QString typedText = box_->text();
        Key(QApplication::focusWidget(), Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_NE(QApplication::focusWidget(), box_) << "Tab did not leave the box";
        EXPECT_EQ(typedText, typed) << "the keys were not all taken";
        return box_->text();
    }

    LocaleInfo locale_;
    std::unique_ptr<QWidget> window_;
    NumBox* box_ = nullptr;
};

TEST_F(NumBoxTyping, AValueTypedOverTheSelectionReplacesIt) {
    // The limit boxes of the diagnostics settings, a signed box of a programming editor, and
    // unsigned and decimal boxes for contrast.
    const BoxKind rssi{NumBox::numSigned, -140, -30, "", 4};
    const BoxKind temp{NumBox::numSigned, -80, 180, "", 3};
    const BoxKind rssiCal{NumBox::numSigned, -128, 127, "", 4};
    const BoxKind unsignedByte{NumBox::numUnsigned, 0, 255, "", 3};
    const BoxKind battery{NumBox::numDecimal, 0, 24, "00.0", 4};
    const BoxKind offset{NumBox::numDecimal, -10, 10, "0.0", 5};
    struct Case {
        BoxKind kind;
        const char* before;
        const char* typed;
        const char* after;
    };
    // clang-format off
    const Case cases[] = {
        {rssi, "-130", "-125", "-125"},
        {rssi, "-40", "-35", "-35"},
        {rssi, "-130", "-140", "-140"},
        {temp, "-70", "-65", "-65"},
        {temp, "-70", "-5", "-5"},
        {temp, "170", "150", "150"},
        {temp, "170", "-80", "-80"},
        {rssiCal, "0", "-12", "-12"},
        {rssiCal, "5", "-128", "-128"},
        {unsignedByte, "200", "17", "17"},
        {battery, "06.5", "12.5", "12.5"},
        {offset, "2.0", "-3.5", "-3.5"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " <- " + c.typed);
        Make(c.kind, c.before);
        EXPECT_EQ(TypeOverAllAndTab(c.typed).toStdString(), c.after);
    }
}

TEST_F(NumBoxTyping, ANegativeValueIsTypedAfterTheCursorToo) {
    // An emptied box, and a box whose content the cursor is behind.
    NumBox& box = Make({NumBox::numSigned, -140, -30, "", 4}, "-130");
    box.clear();
    for (QChar c : QString("-99")) Key(&box, KeyOf(c), QString(c));
    EXPECT_EQ(box.text(), "-99");
    Key(&box, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(box.text(), "-99");
}

TEST_F(NumBoxTyping, ABoxLimitedByItsWindowTakesValuesPastItsLimitsUntilItIsLeft) {
    const BoxKind direct{NumBox::numSigned, -128, 255, "", 4};
    struct Case {
        const char* typed;
        const char* taken;  // what the box holds before it is left
        const char* left;   // after Tab
    };
    // clang-format off
    const Case cases[] = {
        {"300", "300", "255"},
        {"-300", "-300", "-128"},
        {"9999", "9999", "255"},
        {"12345", "1234", "255"},  // the length still holds
        {"1x2", "12", "12"},       // and the kind
        {"-5", "-5", "-5"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        NumBox& box = Make(direct, "0");
        box.setTypedPastLimits(true);
        box.selectAll();
        for (QChar ch : QString(c.typed)) Key(&box, KeyOf(ch), QString(ch));
        EXPECT_EQ(box.text().toStdString(), c.taken);
        EXPECT_EQ(box.limitedText().toStdString(), c.left);
        Key(&box, Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(box.text().toStdString(), c.left);
    }
}

}  // namespace
}  // namespace k45::test
