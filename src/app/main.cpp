// Entry point of the field (k45mr) and engineering (k45mr-engineering) executables.
#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "frame/ui/program.h"

namespace {

bool Set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// Without a display Qt aborts with a message about plugins that tells a technician nothing.
bool DisplayAvailable() {
    if (Set("QT_QPA_PLATFORM")) return true;  // offscreen, vnc, ... chosen on purpose
    return Set("DISPLAY") || Set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    if (!DisplayAvailable()) {
        std::fprintf(stderr,
                     "%s: no graphical display. The program opens a window: start it from a desktop session, "
                     "or set DISPLAY (X11) or WAYLAND_DISPLAY, or run it under a virtual X server "
                     "(for example: xvfb-run %s).\n",
                     argv[0], argv[0]);
        return 1;
    }
    QApplication app(argc, argv);
#ifdef K45_ENGINEERING_BUILD
    constexpr bool engineeringBuild = true;
#else
    constexpr bool engineeringBuild = false;
#endif
    return k45::RunProgram(app, engineeringBuild);
}
