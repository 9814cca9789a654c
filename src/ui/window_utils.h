#pragma once
// Window helpers that need widgets.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "ui/twips.h"

class QBoxLayout;
class QHBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;
class QString;
class QWidget;

namespace k45 {

struct LocaleInfo;

// Places child over parent: an MDI child (a QMdiSubWindow, or a widget inside one) a little
// above the centre of the parent's area, any other window centred over the parent. Positions
// that would be negative become 0.
void CenterForm(const QWidget& parent, QWidget& child);

// A caption whose & accelerator moves the focus to `buddy`.
QLabel* BuddyCaption(const QString& text, QWidget* buddy);

// Every push button of the window presses on Enter while it has the focus, as in a dialog box;
// outside one a focused button would only answer the space bar.
void FocusedButtonsAnswerEnter(QWidget& window);

// The progress panel of a dialogue window (panelPercent): 0..100 %, the figure centred,
// starting at 0.
QProgressBar* PercentPanel(QWidget* parent);

// The buttons in a row centred under a window's texts.
QHBoxLayout* CentredButtons(std::initializer_list<QPushButton*> buttons);

// The foot of a small dialogue window: buttonOK ("&OK", the default button) and the button that
// closes the window (its name and caption given), centred under the window's texts; each
// presses on Enter while it has the focus.
struct OkCloseButtons {
    QPushButton* ok = nullptr;
    QPushButton* close = nullptr;
};
OkCloseButtons AddOkCloseRow(QWidget& window, QBoxLayout& layout, const QString& closeName,
                             const QString& closeCaption);

// A child window's placement, kept in twips (ui/twips.h), whether it lives in an MDI sub-window
// or alone.
namespace child_window {
// The MDI sub-window around w, or w itself.
QWidget* Placed(QWidget* w);
// Places the window at a position in twips.
void MoveToTwips(QWidget* w, std::int16_t left, std::int16_t top);
// The window's position in twips (clamped to 16 bits), unless it is minimized: then the
// values stay.
void KeepPlacement(QWidget* w, std::int16_t& left, std::int16_t& top);
// Closes the window (its MDI sub-window when it has one).
void Close(QWidget* w);
// Settings "Left" and "Top" of a window's section.
void RestorePlacement(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                      std::int16_t& left, std::int16_t& top);
void SavePlacement(const LocaleInfo& locale, const std::string& fileName, const std::string& sectionName,
                   std::int16_t left, std::int16_t top);
}  // namespace child_window

}  // namespace k45
