#pragma once
// The numeric boxes of the communication tool windows, on the shared NumBox: the
// packet count boxes of the packet and array tests, the port test's toggle delay and the
// terminal's DMP device digit. Each box drags itself and takes the drop of another box of its
// window, as the numeric boxes of the other windows do. Also the value labels and buttons the
// array test and the port statistics share.
class QLabel;
class QPushButton;
class QString;
class QWidget;

namespace k45 {

struct LocaleInfo;
class NumBox;

// Whole numbers 0..4294967295, at most 10 digits; arrow 1, page 10, Ctrl+arrow 100,
// Ctrl+page 1000.
NumBox* PacketCountBox(const LocaleInfo& locale, QWidget* window, const char* name);
// Seconds 0.001..5 shown as "0.0000", at most 6 characters; arrow 0.001, page 0.01,
// Ctrl+arrow 0.1, Ctrl+page 1.
NumBox* ToggleTimeBox(const LocaleInfo& locale, QWidget* window, const char* name);
// One digit 0..9.
NumBox* DigitBox(const LocaleInfo& locale, QWidget* window, const char* name);

// The box's number; 0 for a text that holds none (an empty box).
double BoxNumber(const NumBox& box);
// Shows a number in the box's own form without running its change handlers.
void ShowBoxNumber(NumBox& box, double value);

// A counter: a sunken, right-aligned value label showing "0", at least 80 pixels wide.
QLabel* ValueLabel(QWidget* parent, const QString& name, const char* tip = nullptr);

}  // namespace k45
