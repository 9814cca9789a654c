#include "frame/ui/program.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QStringList>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include "wiring/startup.h"
#include "frame/ui/mdi_main.h"
#include "frame/ui/subsystem_hooks.h"
#include "frame/ui/tool_windows.h"

namespace k45 {

Program::Program(bool engineeringBuild, const std::vector<std::string>& arguments, const std::string& executablePath)
    : engineeringBuild_(engineeringBuild), commandLine_(CommandLineText(arguments)) {
    ctx_.state.places = DiscoverPlaces(executablePath);
    ctx_.state.scheduler = &scheduler_;
    ctx_.state.dialogs = &dialogs_;
    ctx_.state.clipboard = &clipboard_;
    ctx_.state.helpViewer = &helpViewer_;
    ctx_.state.localLinks = &links_;
}

Program::~Program() { mainWindow_.reset(); }

void Program::Main() {
    ctx_.state.locale = ReadUserLocale();

    MainWindowOptions options;
    options.engineeringBuild = engineeringBuild_;
    options.commandLine = commandLine_;
    options.hooks = DefaultSubsystemHooks();
    options.createToolWindows = CreateToolWindows;
    options.makeDevice = RealSerialDevices(ctx_.state);
    mainWindow_ = std::make_unique<MDIMain>(ctx_, std::move(options));
    dialogs_.setMainWindow(mainWindow_.get());
    mainWindow_->MDIForm_Load();
    mainWindow_->show();
}

namespace {

// A termination request (session end, kill, Ctrl+C) closes the main window the ordinary way:
// the closing question and the shutdown sequence run. The handler only writes a byte; the
// event loop does the rest.
int signalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}

void CloseOnTerminationSignals(MDIMain* window, QObject* owner) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner, [window] {
        char c;
        [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &c, 1);
        if (window) window->close();
    });
    struct sigaction sa {};
    sa.sa_handler = OnTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

}  // namespace

int RunProgram(QApplication& app, bool engineeringBuild) {
    std::vector<std::string> arguments;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) arguments.push_back(args[i].toStdString());
    Program program(engineeringBuild, arguments, QCoreApplication::applicationFilePath().toStdString());
    program.Main();
    CloseOnTerminationSignals(program.mainWindow(), &app);
    return app.exec();
}

}  // namespace k45
