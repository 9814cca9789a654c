// The main window: its controls, menus and tool bar, placement, status bar, openers,
// activation and closing.
#include "frame/ui/mdi_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QMoveEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <cmath>

#include "wiring/app_context.h"
#include "base/converters.h"
#include "base/ini_routines.h"
#include "wiring/startup.h"
#include "wiring/tool_window_ids.h"
#include "frame/ui/form_splash.h"
#include "frame/ui/main_geometry.h"
#include "frame/ui/identity_texts.h"
#include "platform/dialogs.h"
#include "platform/qt/qt_text.h"
#include "platform/scheduler.h"
#include "serial/tx_modes.h"
#include "ui/control_kit.h"
#include "ui/twips.h"
#include "version_info.h"

namespace k45 {

MDIMain::MDIMain(AppContext& ctx, MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx), options_(std::move(options)), help_(ctx) {
    setObjectName("MDIMain");
    if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(QIcon(ProgramPicture(64)));
    mdiArea_ = new QMdiArea(this);
    mdiArea_->setObjectName("mdiArea");
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, &MDIMain::OnSubWindowActivated);

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    // First-run placement: large enough for every tool window to open whole in the area.
    ApplyPlacement(0, 0, kFirstRunWidth, kFirstRunHeight);
    ctx_.mainFrame = this;
    if (options_.createToolWindows) options_.createToolWindows(ctx_, *this);
    UpdateCommandStates();
}

MDIMain::~MDIMain() {
    // The tool windows are this window's children and go with it (their registry slots empty
    // themselves). The area reports activations while it is taken down; this window is gone
    // by then.
    closing_ = true;
    disconnect(mdiArea_, nullptr, this, nullptr);
    if (ctx_.mainFrame == this) ctx_.mainFrame = nullptr;
    // Tool windows let go of the port objects as they go: they go first, while the ports live.
    QList<QPointer<QWidget>> toolWindows;
    for (QWidget* w : findChildren<QWidget*>())
        if (dynamic_cast<ToolForm*>(w)) toolWindows.append(w);
    for (const QPointer<QWidget>& w : toolWindows) delete w.data();
    ports_.reset();
    ctx_.ports.classCommPrimary = nullptr;
    ctx_.ports.classCommSecondary = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Controls

void MDIMain::CreateToolBar() {
    toolbarTest = new QToolBar("Tool Bar", this);
    toolbarTest->setObjectName("toolbarTest");
    toolbarTest->setMovable(false);
    toolbarTest->setFloatable(false);
    toolbarTest->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbarTest->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, toolbarTest);

    AddToolButtons();

    frameSpacer_ = new QWidget(toolbarTest);
    frameSpacer_->setObjectName("frameVersionSpacer");
    toolbarTest->addWidget(frameSpacer_);

    frameVersion = new QFrame(toolbarTest);
    frameVersion->setObjectName("frameVersion");
    frameVersion->setFrameShape(QFrame::StyledPanel);
    frameVersion->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(frameVersion);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    auto caption = [&](const char* text, int row, int col) {
        grid->addWidget(kit::Label(frameVersion, "labelVersionGeneral", QText(text)), row, col, Qt::AlignRight);
    };
    auto value = [&](const char* name, int row, int col, int span, int minWidth) {
        QLabel* l = kit::Value(frameVersion, name, {}, minWidth, Qt::AlignLeft | Qt::AlignVCenter, QFrame::NoFrame);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(l, row, col, 1, span);
        return l;
    };
    caption("Firmware:", 0, 0);
    labelVersion = value("labelVersion", 0, 1, 3, 220);
    caption("Long ID:", 1, 0);
    labelLongId = value("labelLongId", 1, 1, 1, 90);
    caption("Short ID:", 1, 2);
    labelShortID = value("labelShortID", 1, 3, 1, 60);
    toolbarTest->addWidget(frameVersion);
}

void MDIMain::CreateStatusBar() {
    QStatusBar* bar = new QStatusBar(this);
    bar->setObjectName("statusBarInfo");
    bar->setSizeGripEnabled(true);
    setStatusBar(bar);
    const char* initial[] = {"", "Com1 / Com2", "default.dat"};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = kit::Value(bar, QString("statusBarInfoPanel%1").arg(i + 1), QText(initial[i]), 0);
        panels_[i]->setContentsMargins(4, 0, 4, 0);
    }
    panels_[0]->setMinimumWidth(60);
    panels_[1]->setMinimumWidth(120);
    ShowPortDevicesOnHover(*panels_[1], ctx_);
    bar->addWidget(panels_[0]);
    bar->addWidget(panels_[1]);
    bar->addWidget(panels_[2], 1);
}

QAction* MDIMain::action(const QString& name) const { return findChild<QAction*>(name); }

QMenu* MDIMain::menu(const QString& name) const { return findChild<QMenu*>(name); }

QString MDIMain::panelText(int panel) const {
    if (panel < 1 || panel > 3) return {};
    return panels_[panel - 1]->text();
}

// ---------------------------------------------------------------------------------------------
// Tool-bar layout

void MDIMain::LayOutToolbar() {
    // The bar is as high as its lowest button plus a margin, and the version frame starts
    // a little right of its rightmost button (in twips, as the rest of the placement).
    toolbarTest->ensurePolished();
    if (toolbarTest->layout()) toolbarTest->layout()->activate();
    std::vector<TwipsRect> buttons;
    for (QAction* a : toolbarTest->actions()) {
        if (a->objectName().startsWith("toolbarTest")) {
            QWidget* w = toolbarTest->widgetForAction(a);
            if (!w) continue;
            QRect g = w->geometry();
            if (g.isEmpty()) g = QRect(g.topLeft(), w->sizeHint());
            buttons.push_back({static_cast<std::int32_t>(PixelsToTwips(g.left())),
                               static_cast<std::int32_t>(PixelsToTwips(g.top())),
                               static_cast<std::int32_t>(PixelsToTwips(g.width())),
                               static_cast<std::int32_t>(PixelsToTwips(g.height()))});
        }
    }
    const ToolbarLayout l = ::k45::LayOutToolbar(buttons);
    std::int32_t maxRight = 0;
    for (const TwipsRect& b : buttons) maxRight = std::max(maxRight, b.left + b.width);
    frameSpacer_->setFixedWidth(std::max(0, TwipsToPixels(l.frameVersionLeft - maxRight)));
    const int frameHeight = frameVersion->sizeHint().height();
    // Never lower than the buttons need: a larger font would cut their captions.
    const int buttonsHeight = toolbarTest->layout() ? toolbarTest->layout()->sizeHint().height() : 0;
    toolbarTest->setFixedHeight(std::max({TwipsToPixels(l.height), frameHeight + 4, buttonsHeight}));
}

// ---------------------------------------------------------------------------------------------
// Placement

void MDIMain::ApplyPlacement(int leftPx, int topPx, int widthPx, int heightPx) {
    PixelRect r{leftPx, topPx, widthPx, heightPx};
    QScreen* screen = QGuiApplication::screenAt(QPoint(leftPx + widthPx / 2, topPx + heightPx / 2));
    if (!screen) screen = QGuiApplication::screenAt(QPoint(leftPx, topPx));
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect a = screen->availableGeometry();
        r = ClampToDesktop(r, PixelRect{a.left(), a.top(), a.width(), a.height()});
    }
    normalOuter_ = QRect(r.left, r.top, r.width, r.height);
    FitFrame();
}

QMargins MDIMain::FrameMargins() const {
    if (!isVisible()) return {};
    const QRect f = frameGeometry();
    const QRect g = geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(), f.bottom() - g.bottom());
}

void MDIMain::FitFrame() {
    if (normalOuter_.isEmpty() || (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return;
    const QMargins m = FrameMargins();
    fitting_ = true;
    // move() places the frame's corner; the client area is what remains inside the frame.
    move(normalOuter_.topLeft());
    resize(std::max(1, normalOuter_.width() - m.left() - m.right()),
           std::max(1, normalOuter_.height() - m.top() - m.bottom()));
    fitting_ = false;
}

void MDIMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // A child shown while this window was hidden has just loaded with it.
    if (QMdiSubWindow* sub = mdiArea_->currentSubWindow(); sub && sub->isVisible()) ActivateChild(sub);
    if (trackingNormal_) return;
    // A window manager frames the window some time after it is mapped: fit again then, and only
    // afterwards take moves and sizes as the operator's.
    FitFrame();
    QTimer::singleShot(100, this, [this] { FitFrame(); });
    QTimer::singleShot(400, this, [this] {
        FitFrame();
        trackingNormal_ = true;
    });
}

void MDIMain::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    if (trackingNormal_ && !fitting_ && isVisible() && windowState() == Qt::WindowNoState) normalOuter_ = frameGeometry();
}

void MDIMain::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (trackingNormal_ && !fitting_ && isVisible() && windowState() == Qt::WindowNoState) normalOuter_ = frameGeometry();
}

void MDIMain::RestoreFormParameters(const std::string& fileName, const std::string& sectionName) {
    const LocaleInfo& loc = ctx_.state.locale;
    bool maximized = false;
    ReadIniInto(loc, fileName, sectionName, "Maximized", maximized);
    const QRect g = normalOuter_;
    float left = static_cast<float>(PixelsToTwips(g.left()));
    float top = static_cast<float>(PixelsToTwips(g.top()));
    float width = static_cast<float>(PixelsToTwips(g.width()));
    float height = static_cast<float>(PixelsToTwips(g.height()));
    ReadIniInto(loc, fileName, sectionName, "Left", left);
    ReadIniInto(loc, fileName, sectionName, "Top", top);
    ReadIniInto(loc, fileName, sectionName, "Width", width);
    ReadIniInto(loc, fileName, sectionName, "Height", height);
    // A maximized window takes the stored bounds as its normal bounds.
    ApplyPlacement(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
    if (maximized) setWindowState(windowState() | Qt::WindowMaximized);

    QAction* toolBar = action("menuUtilsToolBar");
    bool marked = toolBar->isChecked();
    ReadIniInto(loc, fileName, sectionName, "Tool Bar Enable", marked);
    toolBar->setChecked(marked);
    toolbarTest->setEnabled(marked);
    toolbarTest->setVisible(marked);
}

void MDIMain::SaveFormParameters(const std::string& fileName, const std::string& sectionName) {
    // Saved inside the shutdown batch of the settings file: its commit reports the file.
    auto put = [&](const char* key, const IniValue& value) {
        (void)WriteIniValue(ctx_.state.locale, fileName, sectionName, key, value);
    };
    const Qt::WindowStates state = windowState();
    // A window minimized from the maximized state keeps both bits; minimized counts as not
    // maximized.
    const bool maximized = (state & Qt::WindowMaximized) && !(state & Qt::WindowMinimized);
    put("Maximized", maximized);
    // The normal outer bounds, also of a maximized or minimized window.
    const QRect g = normalOuter_;
    if (state & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) setWindowState(Qt::WindowNoState);
    put("Left", static_cast<float>(PixelsToTwips(g.left())));
    put("Top", static_cast<float>(PixelsToTwips(g.top())));
    put("Width", static_cast<float>(PixelsToTwips(g.width())));
    put("Height", static_cast<float>(PixelsToTwips(g.height())));
    put("Tool Bar Enable", action("menuUtilsToolBar")->isChecked());
}

void MDIMain::ToggleToolBar() {
    // The action has already toggled its own check mark.
    const bool marked = action("menuUtilsToolBar")->isChecked();
    toolbarTest->setEnabled(marked);
    toolbarTest->setVisible(marked);
}

// ---------------------------------------------------------------------------------------------
// Status bar and version frame

void MDIMain::IncrementTestNumber(bool tmpFlag) {
    panels_[0]->setText(tmpFlag ? QText(NextTestNumberText(panels_[0]->text().toStdString())) : QString());
}

void MDIMain::DisplayComPorts() {
    if (!ctx_.ports.classCommPrimary || !ctx_.ports.classCommSecondary) return;
    panels_[1]->setText(QText(ComPortsText(ctx_.ports.classCommPrimary->settings().portNumber,
                                           ctx_.ports.classCommSecondary->settings().portNumber)));
}

void MDIMain::DisplayFilenames() {
    // The names as they are: on Linux a name in other letters names another file, or none.
    const AppState& s = ctx_.state;
    QString text = QText(s.dataFileName);
    if (s.productionMode) text += "   |   " + QText(s.testFileName);
    panels_[2]->setText(text);
}

void MDIMain::SetFirmwareVersionLabel(const std::string& text) { labelVersion->setText(Latin1Text(text)); }

void MDIMain::SetUnitIdLabels(std::uint32_t longId) {
    labelLongId->setText(QText(LongIdText(longId, ctx_.state.locale)));
    labelShortID->setText(QText(ShortIdText(longId)));
}

// ---------------------------------------------------------------------------------------------
// Child windows

QMdiSubWindow* MDIMain::subWindowFor(QWidget* w) const {
    if (!w) return nullptr;
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (sub->widget() == w) return sub;
    return nullptr;
}

QWidget* MDIMain::ActiveChildWidget() const {
    QMdiSubWindow* sub = mdiArea_->currentSubWindow();
    if (!sub || !sub->isVisible()) return nullptr;
    return sub->widget();
}

ToolForm* MDIMain::ActiveForm() const { return dynamic_cast<ToolForm*>(ActiveChildWidget()); }

void MDIMain::ShowForm(ToolForm& form) {
    auto* w = dynamic_cast<QWidget*>(&form);
    if (!w) return;
    QMdiSubWindow* sub = subWindowFor(w);
    if (!sub) {
        sub = mdiArea_->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->installEventFilter(this);
        // The window's own size, not the area's default; the window may place itself on load.
        // One that never sized itself takes what its controls need, not a default window size.
        const QSize own =
            (w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint()).expandedTo(w->minimumSizeHint());
        sub->resize(sub->sizeHint().expandedTo(own + (sub->sizeHint() - w->sizeHint())));
    }
    // A window shown again is activated afresh.
    if (lastActivated_ == sub) lastActivated_ = nullptr;
    if (activating_ == 0) handedOver_ = nullptr;
    w->show();
    sub->show();
    mdiArea_->setActiveSubWindow(sub);
    // Before its activation: a window its activation hands over to must win.
    KeepInFront(sub);
    // The area made the window active as it showed, before it loaded (a hidden main window
    // loads it when it shows).
    if (sub->isVisible() && mdiArea_->currentSubWindow() == sub) ActivateChild(sub);
}

void MDIMain::FocusForm(ToolForm& form) {
    auto* w = dynamic_cast<QWidget*>(&form);
    QMdiSubWindow* sub = subWindowFor(w);
    if (!sub) return;
    if (sub->isMinimized()) sub->showNormal();
    if (activating_ == 0) handedOver_ = nullptr;
    mdiArea_->setActiveSubWindow(sub);
    // Its activation may have handed over to another window, which keeps the keyboard.
    if (mdiArea_->activeSubWindow() == sub) w->setFocus();
    KeepInFront(sub);
}

void MDIMain::KeepInFront(QMdiSubWindow* sub) {
    // Shown from code outside any activation, the window is in front already, and an earlier
    // hand-over gives way to it; one handed over by its own activation is kept in front.
    if (activating_ == 0) return;
    handedOver_ = sub;
    QTimer::singleShot(0, this, [this, target = QPointer<QMdiSubWindow>(sub)] {
        if (target && target == handedOver_) BringToFront(target);
    });
}

void MDIMain::BringToFront(QMdiSubWindow* sub) {
    handedOver_ = nullptr;
    if (closing_ || !sub->isVisible()) return;
    sub->raise();
    mdiArea_->setActiveSubWindow(sub);
    // The keyboard goes to the window in front: to the control it last had, else its first.
    QWidget* w = sub->widget();
    QWidget* focus = QApplication::focusWidget();
    if (!w || (focus && w->isAncestorOf(focus))) return;
    auto takes = [w](QWidget* c) {
        return c && w->isAncestorOf(c) && c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus);
    };
    QWidget* target = w->focusWidget();
    for (QWidget* c = w->nextInFocusChain(); !takes(target) && c && c != w; c = c->nextInFocusChain())
        if (takes(c)) target = c;
    (takes(target) ? target : w)->setFocus(Qt::ActiveWindowFocusReason);
}

void MDIMain::OpenForm(ToolForm& form) {
    if (form.loaded()) FocusForm(form);
    else ShowForm(form);
}

void MDIMain::OpenTool(int window) {
    if (window < 0 || window >= kToolWindowCount) return;
    if (ToolForm* f = ctx_.form(static_cast<ToolWindow>(window))) OpenForm(*f);
}

void MDIMain::OnSubWindowActivated(QMdiSubWindow* sub) { ActivateChild(sub); }

void MDIMain::ActivateChild(QMdiSubWindow* sub) {
    // Only a change of active child counts; the program regaining the focus does not.
    if (!sub || closing_ || sub == lastActivated_) return;
    auto* f = dynamic_cast<ToolForm*>(sub->widget());
    // A child is activated once it has loaded: its work starts from what its load set up.
    if (f && !f->loaded()) return;
    lastActivated_ = sub;
    if (f) {
        ++activating_;
        f->Form_Activate();
        --activating_;
    }
}

bool MDIMain::eventFilter(QObject* watched, QEvent* e) {
    auto* sub = qobject_cast<QMdiSubWindow*>(watched);
    if (sub && sub->mdiArea() == mdiArea_) {
        // The sub-window is still the active child when its close begins; it has handed the
        // activation on by the time it hides.
        if (e->type() == QEvent::Close) {
            closingActive_ = sub == mdiArea_->currentSubWindow() ? sub : nullptr;
        } else if (e->type() == QEvent::Hide && !e->spontaneous() && sub == closingActive_) {
            closingActive_ = nullptr;
            ActivateNextChild(sub);
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void MDIMain::ActivateNextChild(QMdiSubWindow* closed) {
    if (closing_) return;
    const QList<QMdiSubWindow*> stack = mdiArea_->subWindowList(QMdiArea::StackingOrder);
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        QMdiSubWindow* next = *it;
        if (next == closed || !next->isVisible()) continue;
        mdiArea_->setActiveSubWindow(next);
        return;
    }
}

void MDIMain::OpenVersionRequest(bool tmpAutoStart) {
    ToolForm* form = ctx_.form(ToolWindow::formVerReqst);
    if (!form) return;
    if (form->loaded()) {
        FocusForm(*form);
        return;
    }
    if (auto* v = dynamic_cast<AutoStartForm*>(form)) v->setAutoStart(tmpAutoStart);
    ShowForm(*form);
}

void MDIMain::ToolbarButtonClick(const std::string& key) {
    if (key == "Parms") {
        ToolForm* form = ctx_.form(ToolWindow::formRadioParms);
        if (!form) return;
        if (form->loaded()) {
            FocusForm(*form);
        } else {
            ShowForm(*form);
            dataModified_ = true;
        }
    } else if (key == "Read") {
        OpenParmsReadWrite(ParmsMode::ReadProgrammable, true);
        dataModified_ = true;
    } else if (key == "Write") {
        OpenParmsReadWrite(ParmsMode::WriteProgrammable, false);
    } else if (key == "Clone") {
        OpenParmsReadWrite(ParmsMode::CloneProgrammable, false);
    }
}

// ---------------------------------------------------------------------------------------------
// Activation and closing

bool MDIMain::event(QEvent* e) {
    // The first activation comes with the first showing, whether or not the window system
    // gives the window the focus. It runs after the event, not inside it: the splash box runs
    // a loop of its own.
    if ((e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) && !firstActivationDone_ &&
        !activationPosted_) {
        activationPosted_ = true;
        QTimer::singleShot(0, this, [this] { MDIForm_Activate(); });
    }
    return QMainWindow::event(e);
}

void MDIMain::MDIForm_Activate() {
    if (firstActivationDone_) return;
    firstActivationDone_ = true;
    if (ctx_.dialogs()) {
        ctx_.dialogs()->runModal("formSplash", [this] {
            FormSplash splash(ctx_, this);
            return splash.exec();
        });
    }
    if (ctx_.scheduler()) ctx_.scheduler()->processEvents();
    if (ctx_.ports.classCommPrimary)
        ctx_.ports.classCommPrimary->ForceCommPortOpen(kProgrammingTxMode, kProgrammingPortSettings);
}

bool MDIMain::MDIForm_QueryUnload() {
    if (!dataModified_ || !ctx_.dialogs()) return true;
    switch (ctx_.dialogs()->messageBox("Save Data before closing?", "Save Data", MsgButtons::YesNoCancel,
                                       MsgIcon::Question)) {
    case MsgAnswer::Yes:
        // Closing without the data the operator asked to keep would lose it: a save that did
        // not happen keeps the program open.
        return SaveDataFileAs();
    case MsgAnswer::No:
        rememberDataFile_ = false;
        return true;
    default:
        return false;
    }
}

void MDIMain::closeEvent(QCloseEvent* e) {
    if (unloaded_) {
        e->accept();
        return;
    }
    if (!MDIForm_QueryUnload()) {
        e->ignore();
        return;
    }
    closing_ = true;
    // Each child closes itself and keeps its placement for its settings saver.
    for (QMdiSubWindow* sub : mdiArea_->subWindowList())
        if (sub->isVisible()) sub->close();
    MDIForm_Unload();
    e->accept();
}

}  // namespace k45
