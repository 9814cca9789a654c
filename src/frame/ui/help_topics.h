#pragma once
// Which help topic F1 shows: one table from a window's object name to its context id, and from
// a window's controls (or the frames and pages holding them) to the context ids of the parts
// with a topic of their own. The help file holds the topic of context id c at the anchor
// "ctx<c>" (QtHelpViewer). No window sets an id itself; a "helpContextId" property on a window
// or control still overrides the table.
#include <span>
#include <string_view>
#include <vector>

class QWidget;

namespace k45 {

struct WindowHelp {
    const char* windowName;  // the window's object name
    int contextId;
};

struct ControlHelp {
    const char* windowName;
    const char* controlName;  // a control, frame or page of that window; a final '*' matches any ending
    int contextId;
};

// Topics that belong to no window: the serial ports, and where each mode keeps its settings.
inline constexpr int kHelpIdSerialPorts = 900;
inline constexpr int kHelpIdSettingsFiles = 910;

std::span<const WindowHelp> WindowHelpTable();
std::span<const ControlHelp> ControlHelpTable();

// 0 when the window or control has no topic of its own.
int WindowContextId(std::string_view windowName);
int ControlContextId(std::string_view windowName, std::string_view controlName);

// Every context id the program shows: the menus', the general topics' and the tables'.
std::vector<int> AllHelpContextIds();

// The topic of a window with the given control focused (null: none): the id of the control or
// of the nearest frame or page around it that has one, else the window's own; 0 when neither
// has one.
int HelpContextFor(const QWidget& window, const QWidget* control);

}  // namespace k45
