#pragma once
// The serial tests run without a window; the real device still needs Qt's event loop.
#include <QCoreApplication>

namespace k45::test {

inline void EnsureApp() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "test_serial";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);  // lives for the whole test run
}

}  // namespace k45::test
