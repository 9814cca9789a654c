#include "bench/bench_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "frame/ui/mdi_main.h"
#include "frame/ui/port_objects.h"
#include "frame/ui/program.h"
#include "params/modem_defaults.h"
#include "params/startup_defaults.h"
#include "serial/class_comm.h"

#ifndef K45_BENCH_ARTIFACTS
#define K45_BENCH_ARTIFACTS "bench-artifacts"
#endif

namespace k45::test {

namespace {

pid_t Spawn(const std::vector<std::string>& args, const std::string& display, int keepFd = -1) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    // A test that crashes leaves no X server or window manager behind.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(0);
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    const int devnull = open("/dev/null", O_RDWR);
    dup2(devnull, 0);
    dup2(devnull, 1);
    dup2(devnull, 2);
    for (int fd = 3; fd < 256; ++fd)
        if (fd != keepFd) close(fd);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

void Stop(int& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 200 && waitpid(pid, &status, WNOHANG) == 0; ++i) usleep(10000);
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    pid = -1;
}

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

std::string SafeName(std::string s) {
    for (char& c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    return s;
}

// The program's built-in tables, to pack and unpack the modems' images.
struct DefaultTables {
    DefaultTables() {
        state.scheduler = &clock;
        state.places.programFolder = home.path();
        state.places.tempFolder = home.path();
        state.places.configFolder = home.path();
        InitDefaultTables(state);
    }
    VirtualScheduler clock;
    TempHome home;
    AppState state;
};

}  // namespace

XSession* BenchTest::x_ = nullptr;

XSession::XSession() {
    int fds[2];
    if (pipe(fds) != 0) {
        error_ = "pipe failed";
        return;
    }
    // The screen is larger than the main window's first-run size, as a bench PC's is.
    xPid_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                   "-noreset"},
                  "", fds[1]);
    close(fds[1]);
    std::string number;
    char c;
    // Xvfb writes its display number once it accepts clients; a missing Xvfb closes the pipe.
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
        error_ = "Xvfb did not start (scripts/setup.sh installs it)";
        Stop(xPid_);
        return;
    }
    const std::string display = ":" + number;
    wmPid_ = Spawn({"openbox", "--sm-disable"}, display);
    // The window manager is up once it has claimed the screen.
    for (int i = 0; i < 1000; ++i) {
        if (Output("DISPLAY=" + display + " xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") !=
            std::string::npos) {
            display_ = display;
            return;
        }
        usleep(10000);
    }
    error_ = "the window manager (openbox) did not start";
}

XSession::~XSession() {
    Stop(wmPid_);
    Stop(xPid_);
}

int BenchTest::Scaled(int ms) {
    const char* s = std::getenv("K45_BENCH_TIME_SCALE");
    const double scale = s && *s ? std::atof(s) : 1.0;
    return static_cast<int>(ms * (scale > 0 ? scale : 1.0));
}

void BenchTest::SetUp() {
    if (!x_) {
        x_ = new XSession;  // kept for the process: one X server serves its tests one after the other
        std::atexit([] { delete x_; });
    }
    ASSERT_TRUE(x_->ok()) << x_->error();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    artifacts_ = std::string(K45_BENCH_ARTIFACTS) + "/" + SafeName(std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(artifacts_);
    std::filesystem::create_directories(artifacts_);
}

void BenchTest::TearDown() {
    com1_.reset();
    com2_.reset();
}

void BenchTest::Prepare(const BenchOptions& options) {
    options_ = options;
    com1_ = std::make_unique<BenchEnd>("Com1", options.com1, artifacts_ + "/com1.log");
    com2_ = std::make_unique<BenchEnd>("Com2", options.com2, artifacts_ + "/com2.log");
    ASSERT_TRUE(com1_->ok()) << com1_->error();
    ASSERT_TRUE(com2_->ok()) << com2_->error();
    if (!options.com1ControlLines) com1_->withoutControlLines();
    if (!options.com2ControlLines) com2_->withoutControlLines();
    // The settings name a link to each far end's device, so a far end can be plugged in again.
    for (int n : {1, 2}) {
        const std::string link = home_.file("ttyCom" + std::to_string(n));
        std::filesystem::remove(link);
        std::filesystem::create_symlink((n == 1 ? com1_ : com2_)->devicePath(), link);
    }
    const std::string map = "[Com Port Devices]\r\nCom1=" + home_.file("ttyCom1") + "\r\nCom2=" +
                            home_.file("ttyCom2") + "\r\n";
    home_.write("K45MR.ini", map);
    std::filesystem::create_directories(home_.file("config"));
    std::ofstream(home_.file("config/K45MR.ini"), std::ios::binary) << map;
}

void BenchTest::Replug(int port, BenchEnd::Kind kind) {
    auto& end = port == 1 ? com1_ : com2_;
    end->saveLog();
    const std::string name = "com" + std::to_string(port) + "-" + std::to_string(++replugs_);
    end = std::make_unique<BenchEnd>("Com" + std::to_string(port), kind, artifacts_ + "/" + name + ".log");
    if (!end->ok()) throw BenchFailure("no new pseudo-terminal: " + end->error());
    if (!(port == 1 ? options_.com1ControlLines : options_.com2ControlLines)) end->withoutControlLines();
    const std::string link = home_.file("ttyCom" + std::to_string(port));
    std::filesystem::remove(link);
    std::filesystem::create_symlink(end->devicePath(), link);
}

ModemParameters BenchTest::UnitIn(BenchEnd& end) {
    DefaultTables d;
    AppState& state = d.state;
    ModemParameters unit;
    bool decoded = false;
    end.withModem([&](SimulatedModem& m) { decoded = m.decodeInto(state, unit); });
    if (!decoded) throw BenchFailure("the modem's image does not decode");
    return unit;
}

void BenchTest::LoadUnit(BenchEnd& end, std::int32_t serialNumber, const std::string& comment,
                         const std::function<void(ModemParameters&)>& shape) {
    DefaultTables d;
    AppState& state = d.state;
    ModemParameters unit;
    SetDefaultModemParameters(state, state, unit);
    unit.serialNumber = serialNumber;
    unit.comment = comment;
    if (shape) shape(unit);
    bool loaded = false;
    end.withModem([&](SimulatedModem& m) { loaded = m.loadRecord(state, unit, d.clock.wallClockSeconds()); });
    ASSERT_TRUE(loaded);
}

void BenchTest::Post(std::function<void()> f) {
    QMetaObject::invokeMethod(
        qApp, [this, f = std::move(f)] { if (!ended_) f(); }, Qt::QueuedConnection);
}

void BenchTest::Run(const std::function<void()>& scenario) {
    ASSERT_TRUE(com1_) << "Prepare first";
    setenv("DISPLAY", x_->display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("K45MR_HOME", home_.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home_.file("config").c_str(), 1);
    std::vector<std::string> args = {options_.engineering ? "k45mr-engineering" : "k45mr"};
    for (const auto& w : options_.words) args.push_back(w);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    int argc = static_cast<int>(argv.size());
    argv.push_back(nullptr);

    QApplication app(argc, argv.data());
    ended_ = false;
    failure_.clear();
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [this] { ended_ = true; });

    std::thread driver([&] {
        try {
            // Start-up ends with the splash gone and the primary port forced open.
            WaitFor("the main window after start-up", [&] {
                MDIMain* m = MainWindow();
                return m && m->isVisible() && !QApplication::activeModalWidget() && m->ports() &&
                       m->ports()->primary().GetCommPortOpen();
            }, 60000);
            FocusMainWindow();
            scenario();
        } catch (const BenchFailure& e) {
            Fail(e.what());
        } catch (const std::exception& e) {
            Fail(std::string("exception: ") + e.what());
        }
        EndProgram(!failure_.empty());
    });
    RunProgram(app, options_.engineering);
    ended_ = true;
    driver.join();
    com1_->saveLog();
    com2_->saveLog();
    if (!failure_.empty())
        ADD_FAILURE() << failure_ << "\n  screenshot: " << artifacts_ << "/failure.png\n  far ends' logs: "
                      << com1_->logPath() << ", " << com2_->logPath();
}

void BenchTest::Fail(const std::string& what) {
    failure_ = what;
    try {
        const std::string shot = artifacts_ + "/failure.png";
        Gui([&] {
            if (QScreen* s = QGuiApplication::primaryScreen()) s->grabWindow(0).save(QString::fromStdString(shot));
            return 0;
        });
    } catch (const BenchFailure&) {
        // The program has gone: no screenshot to take.
    }
}

void BenchTest::EndProgram(bool failed) {
    if (ended_) return;
    if (failed) {
        Post([] { QCoreApplication::exit(1); });
        return;
    }
    // As the operator ends it: the main window's close runs the shutdown.
    Post([this] { if (MDIMain* m = MainWindow()) m->close(); });
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Scaled(30000));
    while (!ended_ && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::string box;
        try {
            box = Gui([this]() -> std::string {
                auto* b = qobject_cast<QMessageBox*>(ModalBox());
                return b ? b->text().toStdString() : std::string();
            });
        } catch (const BenchFailure&) {
            break;
        }
        if (!box.empty()) {
            Fail("a box at shutdown: \"" + box + "\"");
            Post([] { QCoreApplication::exit(1); });
            return;
        }
    }
    if (!ended_) {
        Fail("the program did not shut down");
        Post([] { QCoreApplication::exit(1); });
    }
}

void BenchTest::ExitProgram(const std::vector<std::string>& answers) {
    Keys("alt+f x");
    for (const auto& a : answers) {
        (void)WaitBox(10000);
        AnswerBox(a);
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Scaled(30000));
    while (!ended_) {
        if (std::chrono::steady_clock::now() > until) throw BenchFailure("the program did not end after File > Exit");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void BenchTest::WaitFor(const std::string& what, const std::function<bool()>& pred, int limitMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Scaled(limitMs));
    while (!Gui(pred)) {
        if (std::chrono::steady_clock::now() > until)
            throw BenchFailure("waited " + std::to_string(Scaled(limitMs)) + " ms for " + what);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::size_t BenchTest::WaitLine(BenchEnd& end, const std::string& prefix, std::size_t after, int limitMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(Scaled(limitMs));
    while (true) {
        const auto lines = end.lines();
        for (std::size_t i = after; i < lines.size(); ++i)
            if (lines[i].rfind(prefix, 0) == 0) return i;
        if (ended_) throw BenchFailure("the program ended before \"" + prefix + "\" reached the modem");
        if (std::chrono::steady_clock::now() > until)
            throw BenchFailure("waited " + std::to_string(Scaled(limitMs)) + " ms for \"" + prefix +
                               "\" to reach the modem");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string BenchTest::WaitBox(int limitMs) {
    std::string text;
    WaitFor("a message box", [&] {
        auto* b = qobject_cast<QMessageBox*>(ModalBox());
        if (b && b->isVisible()) text = b->text().toStdString();
        return b && b->isVisible();
    }, limitMs);
    return text;
}

void BenchTest::AnswerBox(const std::string& buttonText) {
    // By keyboard, as a box is mostly answered: Return for its default button, Escape for
    // Cancel, Alt and the mnemonic for the others.
    const QString wanted = QString::fromStdString(buttonText).remove('&');
    std::string keys, seen;
    QWidget* box = nullptr;
    WaitFor("a box with a button \"" + buttonText + "\"", [&] {
        auto* b = qobject_cast<QMessageBox*>(ModalBox());
        if (!b || !b->isActiveWindow()) return false;
        seen.clear();
        for (QAbstractButton* button : b->buttons()) {
            const QString text = button->text();
            seen += " \"" + text.toStdString() + "\"";
            if (QString(text).remove('&') != wanted) continue;
            const int amp = text.indexOf('&');
            if (button == static_cast<QAbstractButton*>(b->defaultButton())) keys = "Return";
            else if (b->buttonRole(button) == QMessageBox::RejectRole) keys = "Escape";
            else if (amp >= 0 && amp + 1 < text.size()) keys = "alt+" + text.mid(amp + 1, 1).toLower().toStdString();
            else if (b->buttonRole(button) == QMessageBox::AcceptRole) keys = "Return";
            box = b;
            return true;
        }
        return false;
    }, 10000);
    if (keys.empty()) throw BenchFailure("no key answers \"" + buttonText + "\" on the box; it has" + seen);
    Keys(keys);
    try {
        WaitFor("the box to close after \"" + buttonText + "\"", [this, box] { return ModalBox() != box; }, 10000);
    } catch (const BenchFailure&) {
        if (!ended_) throw;  // the answer ended the program (the last box of the shutdown)
    }
}

void BenchTest::RunTool(const std::vector<std::string>& args) {
    std::string command = "DISPLAY=" + x_->display();
    for (const auto& a : args) command += " '" + a + "'";
    if (std::system(command.c_str()) != 0) throw BenchFailure("failed: " + command);
}

void BenchTest::Keys(const std::string& keys) {
    std::vector<std::string> args = {"xdotool", "key", "--delay", "40"};
    std::size_t start = 0;
    while (start < keys.size()) {
        const std::size_t blank = keys.find(' ', start);
        args.push_back(keys.substr(start, blank - start));
        if (blank == std::string::npos) break;
        start = blank + 1;
    }
    RunTool(args);
}

void BenchTest::Type(const std::string& text) { RunTool({"xdotool", "type", "--delay", "40", "--", text}); }

void BenchTest::Click(const std::function<QWidget*()>& find) {
    // The window manager places and activates a new window a moment after it is shown: click
    // once the widget's window is active and has stayed where it is. A widget that another
    // window covers is not clicked: the click would land on that window.
    QPoint at, last(-1, -1);
    WaitFor("a widget to click (shown, enabled, uncovered)", [&] {
        QWidget* w = find();
        if (!w || !w->isVisible() || !w->isEnabled() || !w->window()->isActiveWindow()) return false;
        // A check box or an option button takes a click on its box or its caption only, not on
        // the rest of its row: it is clicked on its box.
        const bool boxed = qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w);
        const QPoint now =
            w->mapToGlobal(boxed ? QPoint(std::min(w->width(), w->height()) / 2, w->height() / 2) : w->rect().center());
        QWidget* hit = QApplication::widgetAt(now);
        if (!hit || (hit != w && !w->isAncestorOf(hit))) return false;
        const bool settled = now == last;
        last = now;
        at = now;
        return settled;
    }, 10000);
    // A move to where the pointer already is never completes: xdotool's --sync would wait for it.
    if (Gui([] { return QCursor::pos(); }) == at) RunTool({"xdotool", "click", "1"});
    else RunTool({"xdotool", "mousemove", "--sync", std::to_string(at.x()), std::to_string(at.y()), "click", "1"});
}

void BenchTest::WindowMenu(const std::string& objectName) {
    // The menu lists the open windows in the order they were made, numbered from 1.
    const int entry = Gui([&] {
        int n = 0;
        for (QMdiSubWindow* sub : MainWindow()->mdiArea()->subWindowList()) {
            if (!sub->isVisible()) continue;
            ++n;
            if (sub->widget() && sub->widget()->objectName().toStdString() == objectName) return n;
        }
        return 0;
    });
    if (entry < 1 || entry > 9) throw BenchFailure("no entry for " + objectName + " in the Window menu");
    Keys("alt+w " + std::to_string(entry));
    WaitFor(objectName + " to come to the front", [&] { return ActiveChild() == objectName; }, 10000);
}

void BenchTest::FocusMainWindow() {
    if (!mainWindowId_) mainWindowId_ = Gui([this] { return static_cast<unsigned long>(MainWindow()->winId()); });
    RunTool({"xdotool", "windowactivate", "--sync", std::to_string(mainWindowId_)});
    WaitFor("the main window to take the focus", [this] { return MainWindow()->isActiveWindow(); }, 10000);
}

MDIMain* BenchTest::MainWindow() const {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<MDIMain*>(w)) return m;
    return nullptr;
}

QWidget* BenchTest::Tool(const std::string& objectName) const {
    MDIMain* m = MainWindow();
    return m ? m->findChild<QWidget*>(QString::fromStdString(objectName)) : nullptr;
}

std::string BenchTest::ActiveChild() const {
    MDIMain* m = MainWindow();
    QMdiSubWindow* sub = m ? m->mdiArea()->activeSubWindow() : nullptr;
    return sub && sub->widget() ? sub->widget()->objectName().toStdString() : std::string();
}

bool BenchTest::Shown(const std::string& objectName) const {
    QWidget* w = Tool(objectName);
    return w && w->isVisible();
}

QWidget* BenchTest::ModalBox() const { return QApplication::activeModalWidget(); }

}  // namespace k45::test
