#pragma once
// The main window: the multiple-document parent of every tool window, with its menus, tool
// bar, version frame and status bar, the start-up and shutdown sequences, the file commands
// and the window openers.
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "wiring/main_frame.h"
#include "frame/ui/help_routines.h"
#include "frame/ui/port_objects.h"
#include "frame/ui/subsystem_hooks.h"

class QAction;
class QFrame;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace k45 {

struct AppContext;
class Clipboard;
struct FileCommand;
struct MenuRow;
enum class MenuMode;

struct MainWindowOptions {
    // The engineering build: engineerMode is on when the command-line words are taken.
    bool engineeringBuild = false;
    // The argument text behind the program name.
    std::string commandLine;
    SubsystemHooks hooks;
    // Makes the serial devices of the two port objects; empty: no port objects (tests).
    SerialDeviceFactory makeDevice;
    // Creates the tool windows as children of the main window (their one owner) and registers
    // them in the context; runs in the main window's constructor. CreateToolWindows
    // (frame/ui/tool_windows.h) in the program.
    std::function<void(AppContext&, QWidget& owner)> createToolWindows;
};

class MDIMain : public QMainWindow, public MainFrame {
    Q_OBJECT
public:
    // First-run outer size: every tool window opens whole in the area below the tool bar.
    static constexpr int kFirstRunWidth = 1024;
    static constexpr int kFirstRunHeight = 768;
    MDIMain(AppContext& ctx, MainWindowOptions options, QWidget* parent = nullptr);
    ~MDIMain() override;

    // ---- Handlers of the window's life.
    // The start-up sequence; runs before the window is first shown.
    void MDIForm_Load();
    // First activation: splash box, then the primary port forced open. Later calls do nothing.
    void MDIForm_Activate();
    // The closing question; false keeps the program running.
    bool MDIForm_QueryUnload();
    // The shutdown sequence: settings written as one batch, port objects released.
    void MDIForm_Unload();

    void RestoreFormParameters(const std::string& fileName, const std::string& sectionName);
    void SaveFormParameters(const std::string& fileName, const std::string& sectionName);

    // ---- MainFrame.
    ToolForm* ActiveForm() const override;
    void DisplayComPorts() override;
    void OpenForm(ToolForm& form) override;
    void ShowForm(ToolForm& form) override;
    void FocusForm(ToolForm& form) override;
    void OpenVersionRequest(bool tmpAutoStart) override;

    // ---- WindowServices: the one place a dialogue's request reaches another window
    // (mdi_main_services.cpp).
    void ReadCurrentParameters(ParmsClient& client) override;
    bool ReadWriteLoaded(std::string* caption) const override;
    void OpenParmsReadWrite(ParmsMode tmpParmsMode, bool tmpAutoStart) override;
    void RestartParmsReadWrite(ParmsMode tmpParmsMode, ProgCompleteClient* client) override;
    EditorPage* RadioParmsEditor() override;
    bool RadioParmsEditorLoaded() const override;
    void OpenRadioParmsEditor() override;
    void OpenDacValuesEditor() override;
    bool OpenPacketTest() override;
    void DacValuesChanged() override;
    void SetFirmwareVersionLabel(const std::string& text) override;
    void SetUnitIdLabels(std::uint32_t longId) override;
    void IncrementTestNumber(bool tmpFlag) override;
    void DisplayFilenames() override;

    // ---- Commands.
    void OpenDataFile();
    void ImportK45DataFile();
    // Both true when the file was written.
    [[nodiscard]] bool SaveDataFile();
    [[nodiscard]] bool SaveDataFileAs();
    void OpenTestFile();
    void SaveTestFile();
    void SaveTestFileAs();
    void ToolbarButtonClick(const std::string& key);
    void ToggleToolBar();
    void HelpContents();
    void ShowAbout();
    void ArrangeWindows(int arrangement);  // 0 cascade, 1 tile horizontally, 2 tile vertically, 3 icons

    // Enables each command whose window or file routine exists (after a window is registered).
    void UpdateCommandStates();
    // The rows the menus and the tool bar are built from (frame/ui/menu_table.h).
    static std::span<const MenuRow> MenuTable();

    // ---- State, for the tests and the tool windows' own tests.
    bool dataModified() const { return dataModified_; }
    void setDataModified(bool on) { dataModified_ = on; }
    bool rememberDataFile() const { return rememberDataFile_; }
    bool rememberTestFile() const { return rememberTestFile_; }
    bool firstActivationDone() const { return firstActivationDone_; }
    PortObjects* ports() const { return ports_.get(); }
    const HelpRoutines& help() const { return help_; }
    QString panelText(int panel) const;  // 1..3
    QAction* action(const QString& name) const;
    QMenu* menu(const QString& name) const;
    QMdiArea* mdiArea() const { return mdiArea_; }
    QMdiSubWindow* subWindowFor(QWidget* w) const;

    // The controls other windows read or write.
    QToolBar* toolbarTest = nullptr;
    QFrame* frameVersion = nullptr;
    QLabel* labelVersion = nullptr;
    QLabel* labelLongId = nullptr;
    QLabel* labelShortID = nullptr;

    // No tool-bar popup: the tool bar follows the "Tool Bar Enable" item alone.
    QMenu* createPopupMenu() override { return nullptr; }

protected:
    bool event(QEvent* e) override;
    // Watches the child windows' sub-windows for their close.
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    QRect normalOuter_;          // outer bounds of the normal state, saved at shutdown
    bool trackingNormal_ = false;  // user moves and sizes update normalOuter_ once framed
    bool fitting_ = false;
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void AddToolButtons();
    void WireRow(const MenuRow& row, QAction* a);
    void RunRow(const MenuRow& row);
    bool ModeHolds(MenuMode mode) const;
    bool RowAvailable(const MenuRow& row) const;
    void ApplyModeMenus();
    void OpenReadWrite(ParmsMode mode);
    void RunClipboardCommand(void (*command)(QWidget*, Clipboard&));
    void LayOutToolbar();
    void RebuildWindowList();
    void OnSubWindowActivated(QMdiSubWindow* sub);
    // Runs the activation handling of a child that became the active one, once it has loaded.
    void ActivateChild(QMdiSubWindow* sub);
    // The active child closed: the next child in the stacking order becomes active.
    void ActivateNextChild(QMdiSubWindow* closed);
    // A window shown or focused from code inside another child's activation handling: that
    // activation finishes after the handler and puts its own window in front, so the window
    // handed over is brought to the front once more right after.
    void KeepInFront(QMdiSubWindow* sub);
    void BringToFront(QMdiSubWindow* sub);
    void OpenTool(int window);  // ToolWindow value
    QWidget* ActiveChildWidget() const;
    bool EditorRefusesFields();
    std::optional<std::string> AskFileName(const FileCommand& command, const std::string& currentName,
                                           const std::string& proposedName);
    void ReportSaveFailure(const std::string& what, const std::string& fileName, const std::string& error);
    void ReportOpenFailure(const std::string& what, const std::string& fileName);
    void SetDefaultsAndLoadFiles();
    // Left/Top/Width/Height are the window's outer bounds, frame included, so the title bar of a
    // restored or first-run window is on screen.
    void ApplyPlacement(int leftPx, int topPx, int widthPx, int heightPx);
    // The frame around the client area; known once the window system has framed the window.
    QMargins FrameMargins() const;
    // Sizes the client area so the outer bounds are normalOuter_ (normal state only).
    void FitFrame();

    AppContext& ctx_;
    MainWindowOptions options_;
    HelpRoutines help_;
    std::unique_ptr<PortObjects> ports_;

    QMdiArea* mdiArea_ = nullptr;
    QLabel* panels_[3] = {nullptr, nullptr, nullptr};
    QWidget* frameSpacer_ = nullptr;
    QMenu* menuWindow_ = nullptr;
    std::vector<std::pair<const MenuRow*, QAction*>> rowActions_;  // every row's menu, item or button
    QMdiSubWindow* lastActivated_ = nullptr;
    QPointer<QMdiSubWindow> closingActive_;  // the active child, between its close and its hiding
    QPointer<QMdiSubWindow> handedOver_;     // brought to the front once the activation in progress ends
    int activating_ = 0;                     // depth of the children's activation handlers running

    bool firstActivationDone_ = false;
    bool activationPosted_ = false;
    bool dataModified_ = false;
    bool rememberDataFile_ = false;
    bool rememberTestFile_ = false;
    bool closing_ = false;
    bool unloaded_ = false;
};

}  // namespace k45
