// The OK row of the small dialogue windows: its two buttons and the key that presses them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "ui/window_utils.h"

namespace k45::test {
namespace {

TEST(OkCloseRow, EnterPressesTheFocusedButtonOnly) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* text = new QLineEdit(&window);
    layout->addWidget(text);
    const OkCloseButtons row = AddOkCloseRow(window, *layout, "buttonCancel", "&Cancel");
    EXPECT_EQ(row.ok->objectName(), "buttonOK");
    EXPECT_EQ(row.ok->text(), "&OK");
    EXPECT_EQ(row.close->objectName(), "buttonCancel");
    EXPECT_EQ(row.close->text(), "&Cancel");
    EXPECT_TRUE(row.ok->isDefault());
    EXPECT_FALSE(row.close->isDefault());
    EXPECT_EQ(row.ok->parentWidget(), &window);
    window.show();
    QApplication::setActiveWindow(&window);

    int oks = 0, closes = 0;
    QObject::connect(row.ok, &QPushButton::clicked, [&] { ++oks; });
    QObject::connect(row.close, &QPushButton::clicked, [&] { ++closes; });
    auto enter = [](QWidget* w) {
        w->setFocus();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    };
    enter(row.close);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(oks, 0);
    enter(row.ok);
    EXPECT_EQ(oks, 1);
    EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace k45::test
