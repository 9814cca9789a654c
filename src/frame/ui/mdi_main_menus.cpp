// The main window's menus and tool bar: the table they are built from, and the rules that show
// and enable each row.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QToolBar>
#include <cmath>
#include <span>
#include <vector>

#include "wiring/app_context.h"
#include "wiring/tool_window_ids.h"
#include "frame/ui/clipboard_commands.h"
#include "frame/ui/help_routines.h"
#include "frame/ui/mdi_main.h"
#include "frame/ui/menu_table.h"
#include "frame/ui/swap_ports.h"
#include "platform/clipboard.h"
#include "platform/qt/qt_text.h"

namespace k45 {

// Every menu entry and tool-bar button, in order. A window of a later subsystem needs no
// change here: its row names its slot and enables itself once the window is registered (see
// menu_table.h). A row for a new command is added where it appears in its menu.
std::span<const MenuRow> MDIMain::MenuTable() {
    using enum MenuMode;
    using enum MenuNeeds;
    using W = ToolWindow;
    static constexpr MenuRow rows[] = {
        Menu("menuFile", "&File", kHelpIdFile),
        Item("menuFileOpen", "&Open Data File", [](MDIMain& m) { m.OpenDataFile(); }).Needing(LoadDataFile),
        // The save commands report a failed save themselves.
        Item("menuFileSave", "&Save Data File", [](MDIMain& m) { (void)m.SaveDataFile(); }).Needing(SaveDataFile),
        Item("menuFileSaveAs", "Save Data File &As", [](MDIMain& m) { (void)m.SaveDataFileAs(); }).Needing(SaveDataFile),
        Separator("menuFileBar0"),
        Item("menuFileOpenK45", "Open &K45 Data File", [](MDIMain& m) { m.ImportK45DataFile(); })
            .Needing(ImportK45File),
        Separator("menuFileBar1"),
        Item("menuFileExit", "E&xit", [](MDIMain& m) { m.close(); }),

        Menu("menuEdit", "&Edit", kHelpIdEdit),
        // The parameter editors mark the data modified, shown or only focused.
        Opener("menuEditSetup", "&Setup Modem/Radio Parameters", W::formRadioParms).Modifying(),
        Opener("menuEditModemTiming", "Edit &Modem Timing", W::formMdmTimes).Modifying().In(Production),
        Separator("menuEditBar0"),
        Opener("menuEditVersion", "Version Re&quest", W::formVerReqst, [](MDIMain& m) { m.OpenVersionRequest(true); }),
        Separator("menuEditBar1"),
        // The read/write window in one of its modes.
        Opener("menuEditWrite", "&Write Programmable Parameters", W::formParmsRdWr,
               [](MDIMain& m) { m.OpenReadWrite(ParmsMode::WriteProgrammable); }),
        Opener("menuEditRead", "&Read Programmable Parameters", W::formParmsRdWr,
               [](MDIMain& m) { m.OpenReadWrite(ParmsMode::ReadProgrammable); }).Modifying(),
        Opener("menuEditReadAll", "Rea&d All Parameters", W::formParmsRdWr,
               [](MDIMain& m) { m.OpenReadWrite(ParmsMode::ReadAll); }).Modifying().In(Production),
        Opener("menuEditWriteAll", "Writ&e All Parameters", W::formParmsRdWr,
               [](MDIMain& m) { m.OpenReadWrite(ParmsMode::WriteAll); }).In(Production),
        Separator("menuEditBar2"),
        Opener("menuEditClone", "C&lone Programmable Parameters", W::formParmsRdWr,
               [](MDIMain& m) { m.OpenReadWrite(ParmsMode::CloneProgrammable); }),
        Separator("menuEditBar3"),
        Item("menuEditCut", "Cut (&X)", [](MDIMain& m) { m.RunClipboardCommand(CutActiveText); })
            .Key(Qt::CTRL | Qt::Key_X),
        Item("menuEditCopy", "Copy (&C)", [](MDIMain& m) { m.RunClipboardCommand(CopyActiveText); })
            .Key(Qt::CTRL | Qt::Key_C),
        Item("menuEditPaste", "Paste (&V)", [](MDIMain& m) { m.RunClipboardCommand(PasteActiveText); })
            .Key(Qt::CTRL | Qt::Key_V),

        Menu("menuUtils", "&Utilities", kHelpIdUtilities),
        Item("menuUtilsToolBar", "Tool &Bar Enable", [](MDIMain& m) { m.ToggleToolBar(); }).Checked(),
        Separator("menuUtilsBar0"),
        Opener("menuUtilsPort", "&Port Settings", W::formPortSettings),
        Item("menuUtilsSwapPorts", "S&wap Comm Ports", [](MDIMain& m) { SwapCommPorts(m.ctx_); }).Needing(BothPorts),
        Opener("menuUtilsPortStats", "Port S&tatistics", W::formComStats),
        Separator("menuUtilsBar1"),
        Opener("menuUtilsLinkTst", "Offline &Link Test", W::formLinkTst),
        Opener("menuUtilsOffLineDiags", "Offline &Diagnostics", W::formOffLine),
        Opener("menuUtilsOnLineDiags", "Online D&iagnostics", W::formOnLine),
        Opener("menuUtilsDiagFilter", "Dia&gnostic IDs, Alarms and Filters", W::formDiagFilt),
        Separator("menuUtilsBar2"),
        Opener("menuUtilsUserTest", "&User Test", W::formUserTest),
        Opener("menuUtilsPacketTest", "Pac&ket Test", W::formPacketTst),
        Opener("menuUtilsArrayTest", "Arra&y Test", W::formTstArray),
        Separator("menuUtilsBar3"),
        // A terminal submenu is usable when either of its windows is.
        SubMenu("menuUtilsText", "&ASCII Terminal"),
        Opener("menuUtilsTextPrimary", "&Primary", W::formTextPrimary),
        Opener("menuUtilsTextSecondary", "&Secondary", W::formTextSecondary),
        EndSubMenu(),
        SubMenu("menuUtilsHex", "&Hex Terminal"),
        Opener("menuUtilsHexPrimary", "&Primary", W::formHexPrimary),
        Opener("menuUtilsHexSecondary", "&Secondary", W::formHexSecondary),
        EndSubMenu(),

        Menu("menuTest", "&Production Test", kHelpIdProductionTest).In(Production),
        Opener("menuTestSelect", "Production &Test", W::formProdTest),
        Opener("menuTestEdit", "&Edit Production Parameters", W::formProdFreqs),
        Separator("menuTestBar0"),
        Opener("menuTestTune", "Tune &Radio", W::formTune),
        Separator("menuTestBar1"),
        Opener("menuTestPacketTest", "&Packet Test", W::formPacketTst),
        Separator("menuTestBar2"),
        Item("menuTestOpen", "&Open Test File", [](MDIMain& m) { m.OpenTestFile(); }).Needing(LoadTestFile),
        Item("menuTestSave", "&Save Test File", [](MDIMain& m) { m.SaveTestFile(); }).Needing(SaveTestFile),
        Item("menuTestSaveAs", "Save Test File &As", [](MDIMain& m) { m.SaveTestFileAs(); }).Needing(SaveTestFile),

        Menu("menuEng", "E&ngineer", kHelpIdEngineer).In(Engineer),
        Opener("menuEngTest", "&Engineer Test", W::formEngTest),
        Opener("menuEngTempComp", "RSSI Temp &Comp", W::formTempComp),
        Separator("menuEngBar0"),
        Opener("menuEngMemory", "&Read Memory", W::formMemRead),
        Opener("menuEngPacketTest", "&Packet Test", W::formPacketTst),
        Opener("menuEngArrayTest", "&Array Test", W::formTstArray),
        Opener("menuEngDiagTest", "&Diag Test", W::formDiagTst),
        Separator("menuEngBar1"),
        Opener("menuEngPortTest", "Port &Test", W::formPortTest),

        // Four arrangements, then the list of open child windows (built when the menu opens).
        Menu("menuWindow", "&Window", kHelpIdWindow),
        Item("menuWindowArrange", "&Cascade", [](MDIMain& m) { m.ArrangeWindows(0); }).Index(0),
        Item("menuWindowArrange", "Tile &Horizontally", [](MDIMain& m) { m.ArrangeWindows(1); }).Index(1),
        Item("menuWindowArrange", "&Tile Vertically", [](MDIMain& m) { m.ArrangeWindows(2); }).Index(2),
        Item("menuWindowArrange", "Arrange &Icons", [](MDIMain& m) { m.ArrangeWindows(3); }).Index(3),

        Menu("menuHelp", "&Help", kHelpIdHelp),
        Item("menuHelpContents", "Help &Contents", [](MDIMain& m) { m.HelpContents(); }).Key(Qt::Key_F1),
        Separator("menuHelpBar0"),
        Item("menuHelpAbout", "&About", [](MDIMain& m) { m.ShowAbout(); }),

        ToolButton("toolbarTestParms", "Parms", "Setup Modem/Radio Parameters", 0, W::formRadioParms,
                   [](MDIMain& m) { m.ToolbarButtonClick("Parms"); }),
        ToolButton("toolbarTestRead", "Read", "Read Programmable Parameters", 1, W::formParmsRdWr,
                   [](MDIMain& m) { m.ToolbarButtonClick("Read"); }),
        ToolButton("toolbarTestWrite", "Write", "Write Programmable Parameters", 2, W::formParmsRdWr,
                   [](MDIMain& m) { m.ToolbarButtonClick("Write"); }),
        ToolButton("toolbarTestClone", "Clone", "Clone Programmable Parameters", 3, W::formParmsRdWr,
                   [](MDIMain& m) { m.ToolbarButtonClick("Clone"); }),
    };
    return rows;
}

namespace {

// 16 x 16 images of the four tool-bar buttons.
QIcon ToolbarImage(int index) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(30, 50, 100), fill(250, 250, 235), accent(40, 130, 60), red(190, 50, 40);
    auto chip = [&](QRectF r) {
        p.setPen(QPen(ink, 1));
        p.setBrush(QColor(60, 100, 170));
        p.drawRect(r);
    };
    auto arrow = [&](QPointF from, QPointF to, const QColor& c) {
        p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(from, to);
        QPointF d = to - from;
        const qreal len = std::hypot(d.x(), d.y());
        if (len <= 0) return;
        d /= len;
        const QPointF n(-d.y(), d.x());
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({to + d * 1.5, to - d * 3 + n * 3, to - d * 3 - n * 3}));
    };
    switch (index) {
    case 0:  // Parms: a sheet of settings
        p.setPen(QPen(ink, 1));
        p.setBrush(fill);
        p.drawRect(QRectF(2.5, 1.5, 11, 13));
        for (int y = 4; y <= 12; y += 3) {
            p.drawLine(QPointF(4.5, y + 0.5), QPointF(11.5, y + 0.5));
            p.setBrush(accent);
            p.drawEllipse(QPointF(5.5 + (y % 4) * 1.5, y + 0.5), 1.3, 1.3);
            p.setBrush(fill);
        }
        break;
    case 1:  // Read: from the modem into the computer
        chip(QRectF(1.5, 1.5, 13, 5));
        arrow(QPointF(8, 7), QPointF(8, 13), accent);
        break;
    case 2:  // Write: from the computer into the modem
        chip(QRectF(1.5, 9.5, 13, 5));
        arrow(QPointF(8, 2), QPointF(8, 8), red);
        break;
    default:  // Clone: one modem to another
        chip(QRectF(0.5, 1.5, 7, 5));
        chip(QRectF(8.5, 9.5, 7, 5));
        arrow(QPointF(4, 7.5), QPointF(10, 9), accent);
        break;
    }
    return QIcon(pm);
}

}  // namespace


void MDIMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    QMenu* current = nullptr;
    QMenu* outer = nullptr;  // the menu around the current submenu
    for (const MenuRow& row : MenuTable()) {
        QAction* a = nullptr;
        switch (row.kind) {
        case MenuRowKind::Menu:
            current = bar->addMenu(QText(row.caption));
            current->setObjectName(row.name);
            current->setProperty("helpContextId", row.helpContextId);
            a = current->menuAction();
            break;
        case MenuRowKind::SubMenu:
            outer = current;
            current = current->addMenu(QText(row.caption));
            current->setObjectName(row.name);
            a = current->menuAction();
            break;
        case MenuRowKind::EndSubMenu:
            current = outer;
            continue;
        case MenuRowKind::Separator:
            current->addSeparator()->setObjectName(row.name);
            continue;
        case MenuRowKind::Item: a = current->addAction(QText(row.caption)); break;
        case MenuRowKind::ToolButton:
            continue;  // AddToolButtons
        }
        a->setObjectName(row.name);
        if (row.kind == MenuRowKind::Item) WireRow(row, a);
        rowActions_.emplace_back(&row, a);
    }
    menuWindow_ = menu("menuWindow");
    connect(menuWindow_, &QMenu::aboutToShow, this, [this] { RebuildWindowList(); });
}

void MDIMain::AddToolButtons() {
    for (const MenuRow& row : MenuTable()) {
        if (row.kind != MenuRowKind::ToolButton) continue;
        QAction* a = toolbarTest->addAction(ToolbarImage(row.image), QText(row.caption));
        a->setObjectName(row.name);
        a->setToolTip(QText(row.toolTip));
        a->setData(QText(row.caption));
        WireRow(row, a);
        rowActions_.emplace_back(&row, a);
    }
}

void MDIMain::WireRow(const MenuRow& row, QAction* a) {
    if (row.shortcut.key() != Qt::Key_unknown) a->setShortcut(QKeySequence(row.shortcut));
    if (row.checkable) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    if (row.index >= 0) a->setProperty("index", row.index);
    connect(a, &QAction::triggered, this, [this, &row] { RunRow(row); });
}

void MDIMain::RunRow(const MenuRow& row) {
    if (row.handler) row.handler(*this);
    else if (row.window) OpenTool(static_cast<int>(*row.window));
    if (row.modifies) dataModified_ = true;
}

void MDIMain::OpenReadWrite(ParmsMode mode) {
    // The "All" modes start from the edited record.
    if (mode == ParmsMode::ReadAll || mode == ParmsMode::WriteAll) ctx_.state.currentParameters = ctx_.state.mainParameters;
    OpenParmsReadWrite(mode, false);
}

void MDIMain::RunClipboardCommand(void (*command)(QWidget*, Clipboard&)) {
    if (ctx_.state.clipboard) command(ActiveChildWidget(), *ctx_.state.clipboard);
}

bool MDIMain::ModeHolds(MenuMode mode) const {
    switch (mode) {
    case MenuMode::Engineer: return ctx_.state.engineerMode;
    case MenuMode::Production: return ctx_.state.productionMode;
    case MenuMode::Always: break;
    }
    return true;
}

bool MDIMain::RowAvailable(const MenuRow& row) const {
    if (row.window && !ctx_.form(*row.window)) return false;
    const SubsystemHooks& h = options_.hooks;
    switch (row.needs) {
    case MenuNeeds::LoadDataFile: return bool(h.loadDataFile);
    case MenuNeeds::SaveDataFile: return bool(h.saveDataFile);
    case MenuNeeds::ImportK45File: return bool(h.importK45File);
    case MenuNeeds::LoadTestFile: return bool(h.loadTestFile);
    case MenuNeeds::SaveTestFile: return bool(h.saveTestFile);
    case MenuNeeds::BothPorts: return ctx_.ports.classCommPrimary && ctx_.ports.classCommSecondary;
    case MenuNeeds::Nothing: break;
    }
    return true;
}

void MDIMain::ApplyModeMenus() {
    for (const auto& [row, a] : rowActions_) {
        if (row->mode == MenuMode::Always) continue;
        const bool on = ModeHolds(row->mode);
        a->setVisible(on);
        a->setEnabled(on);
    }
    UpdateCommandStates();
}

void MDIMain::UpdateCommandStates() {
    for (const auto& [row, a] : rowActions_)
        if (row->kind == MenuRowKind::Item || row->kind == MenuRowKind::ToolButton)
            a->setEnabled(RowAvailable(*row) && ModeHolds(row->mode));
    // A submenu is usable when any of its entries is.
    for (const auto& [row, a] : rowActions_) {
        if (row->kind != MenuRowKind::SubMenu) continue;
        bool any = false;
        for (QAction* entry : a->menu()->actions()) any = any || entry->isEnabled();
        a->setEnabled(any);
    }
}

}  // namespace k45
