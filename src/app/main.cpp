// Entry point of the field (k45mr) and engineering (k45mr-engineering) executables.
#include <QApplication>

#include "frame/ui/program.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
#ifdef K45_ENGINEERING_BUILD
    constexpr bool engineeringBuild = true;
#else
    constexpr bool engineeringBuild = false;
#endif
    return k45::RunProgram(app, engineeringBuild);
}
