#pragma once
// The rows the main window builds its menus and its tool bar from (MDIMain::MenuTable, in
// mdi_main_menus.cpp): one row an entry, in the order they appear. A row holds the caption
// with its & accelerator, the shortcut, the handler, the tool window it opens or needs, and
// the rules that show and enable it; MDIMain::UpdateCommandStates and ApplyModeMenus apply
// the rules to every row alike.
//
// A command that opens a tool window names the window's registry slot. Such a row is disabled
// while the slot is empty and enables itself when the window is registered; without a handler
// of its own it opens the window (focus it when loaded, show it otherwise).
#include <QKeyCombination>
#include <optional>

#include "wiring/tool_window_ids.h"

namespace k45 {

class MDIMain;

enum class MenuRowKind {
    Menu,        // a menu of the menu bar; the rows up to the next Menu are its entries
    SubMenu,     // a submenu of the current menu; its entries follow, up to EndSubMenu
    EndSubMenu,
    Item,
    Separator,
    ToolButton,  // a button of the tool bar (not in a menu)
};

// When a row is shown: always, or only in one mode (hidden and disabled in the others).
enum class MenuMode { Always, Engineer, Production };

// What a row needs, besides its window, to be enabled.
enum class MenuNeeds { Nothing, LoadDataFile, SaveDataFile, ImportK45File, LoadTestFile, SaveTestFile, BothPorts };

using MenuHandler = void (*)(MDIMain&);

struct MenuRow {
    MenuRowKind kind = MenuRowKind::Item;
    const char* name = "";     // object name of the menu, action or button
    const char* caption = "";  // with its & accelerator; a tool button's text
    MenuHandler handler = nullptr;
    std::optional<ToolWindow> window;  // the window it opens or needs
    MenuMode mode = MenuMode::Always;
    MenuNeeds needs = MenuNeeds::Nothing;
    QKeyCombination shortcut = Qt::Key_unknown;
    bool checkable = false;  // a check mark, on at start
    int helpContextId = 0;   // of a menu, for F1
    const char* toolTip = "";  // of a tool button
    int image = -1;          // of a tool button
    int index = -1;          // "index" property of an action (the window arrangements)
    bool modifies = false;   // running it marks the data modified


    constexpr MenuRow In(MenuMode m) const { MenuRow r = *this; r.mode = m; return r; }
    constexpr MenuRow Needing(MenuNeeds n) const { MenuRow r = *this; r.needs = n; return r; }
    constexpr MenuRow Key(QKeyCombination k) const { MenuRow r = *this; r.shortcut = k; return r; }
    constexpr MenuRow Checked() const { MenuRow r = *this; r.checkable = true; return r; }
    constexpr MenuRow Index(int i) const { MenuRow r = *this; r.index = i; return r; }
    constexpr MenuRow Modifying() const { MenuRow r = *this; r.modifies = true; return r; }
};

constexpr MenuRow Row(MenuRowKind kind, const char* name, const char* caption = "", MenuHandler handler = nullptr) {
    MenuRow r;
    r.kind = kind;
    r.name = name;
    r.caption = caption;
    r.handler = handler;
    return r;
}
constexpr MenuRow Menu(const char* name, const char* caption, int helpContextId) {
    MenuRow r = Row(MenuRowKind::Menu, name, caption);
    r.helpContextId = helpContextId;
    return r;
}
constexpr MenuRow SubMenu(const char* name, const char* caption) { return Row(MenuRowKind::SubMenu, name, caption); }
constexpr MenuRow EndSubMenu() { return Row(MenuRowKind::EndSubMenu, ""); }
constexpr MenuRow Separator(const char* name) { return Row(MenuRowKind::Separator, name); }
constexpr MenuRow Item(const char* name, const char* caption, MenuHandler handler) {
    return Row(MenuRowKind::Item, name, caption, handler);
}
// Opens `window` (or runs `handler`, when given, once the window is registered).
constexpr MenuRow Opener(const char* name, const char* caption, ToolWindow window, MenuHandler handler = nullptr) {
    MenuRow r = Row(MenuRowKind::Item, name, caption, handler);
    r.window = window;
    return r;
}
constexpr MenuRow ToolButton(const char* name, const char* caption, const char* toolTip, int image, ToolWindow window,
                             MenuHandler handler) {
    MenuRow r = Row(MenuRowKind::ToolButton, name, caption, handler);
    r.window = window;
    r.toolTip = toolTip;
    r.image = image;
    return r;
}

}  // namespace k45
