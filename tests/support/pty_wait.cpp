#include "support/pty_wait.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

namespace k45::test {

std::string ReadMasterWhileEventsRun(PtyPair& pty, std::size_t want, int limitMs) {
    std::string got = pty.readMaster();
    if (got.size() >= want) return got;
    QEventLoop loop;
    QTimer check, deadline;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        got += pty.readMaster();
        if (got.size() >= want) loop.quit();
    });
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    check.start(2);
    deadline.start(limitMs);
    loop.exec();
    return got;
}

}  // namespace k45::test
