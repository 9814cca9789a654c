#pragma once
// What the diagnostics windows share: the shared diagnostic settings, text conversions and
// boxes for unit IDs and counts.
#include <QString>
#include <memory>
#include <string>

#include "diagnostics/diag_settings.h"

class QComboBox;
class QWidget;

namespace k45 {

struct AppContext;
struct LocaleInfo;
class NumBox;

// The diagnostic settings every diagnostics window reads; formDiagFilt edits them.
using SharedDiagSettings = std::shared_ptr<DiagSettings>;

// A numeric box for a whole number without sign, at most maxLength digits and maxValue (unit IDs:
// 10 digits; counts up to 2147483647 are limited by the box). Boxes given the same window as
// dragGroup copy their text to each other by drag and drop.
NumBox* NumberBox(const LocaleInfo& locale, QWidget* dragGroup, QWidget* parent, const char* name, int maxLength,
                  double maxValue);

// An editable combo box whose whole text is selected whenever it gets the focus, so that a typed
// ID replaces the one shown. A list without typing has no text to select.
void SelectAllOnFocus(QComboBox* combo);

// The settings of a window: "Left"/"Top" are the base's; these read and write a key.
std::string ProgramFile(const AppContext& ctx, const std::string& name);

}  // namespace k45
