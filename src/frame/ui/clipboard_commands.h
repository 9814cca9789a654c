#pragma once
// Cut, Copy and Paste of the Edit menu: they act on the text control that has the focus in
// the given child window. A control tagged "RichTextBox" (the terminal panes) is left alone;
// a locked control (property "locked", or read-only) is copied from but never changed.
class QWidget;

namespace k45 {

class Clipboard;

void CopyActiveText(QWidget* window, Clipboard& clipboard);
void CutActiveText(QWidget* window, Clipboard& clipboard);
void PasteActiveText(QWidget* window, Clipboard& clipboard);

}  // namespace k45
