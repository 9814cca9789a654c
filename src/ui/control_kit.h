#pragma once
// The named controls the windows build over and over: buttons, labels, value panels and scroll
// bars. In a namespace of their own, apart from the windows' local makers.
#include <QFrame>
#include <QString>

class QLabel;
class QPushButton;
class QScrollBar;
class QWidget;

namespace k45::kit {

// A push button with its object name and, when given, its tool tip.
QPushButton* Button(QWidget* parent, const QString& name, const QString& caption, const char* tip = nullptr);
// A label with its object name.
QLabel* Label(QWidget* parent, const QString& name, const QString& text = {});
// A label that shows a value: framed (a sunken panel unless frameStyle says otherwise) and at
// least minWidth pixels wide.
QLabel* Value(QWidget* parent, const QString& name, const QString& text, int minWidth,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter,
              int frameStyle = QFrame::Panel | QFrame::Sunken);
// A horizontal scroll bar min..max moving by 1 and pageStep, at least minWidth pixels wide. It
// takes the keyboard focus, which a scroll bar takes only when asked: Tab reaches it, Right and
// Down move it on by 1, Left and Up back, Page Down and Page Up by a page, Home and End to its
// ends.
QScrollBar* HScroll(QWidget* parent, const QString& name, int min, int max, int pageStep, int minWidth = 0);

}  // namespace k45::kit
