#pragma once
// Window helpers that need widgets.
class QWidget;

namespace k45 {

// Places child over parent: an MDI child (a QMdiSubWindow, or a widget inside one) a little
// above the centre of the parent's area, any other window centred over the parent. Positions
// that would be negative become 0.
void CenterForm(const QWidget& parent, QWidget& child);

}  // namespace k45
