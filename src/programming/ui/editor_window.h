#pragma once
// What the editor windows share beyond the child-window placement helpers.
class QHBoxLayout;
class QPushButton;
class QWidget;

namespace k45 {

// The editors' "&OK" and "&Cancel" buttons (object names buttonOK and buttonCancel), at the
// right end of a row; a leading widget, when given, stands at its left end.
QHBoxLayout* OkCancelRow(QPushButton*& ok, QPushButton*& cancel, QWidget* leading = nullptr);

}  // namespace k45
