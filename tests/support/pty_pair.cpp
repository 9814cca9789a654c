#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace k45::test {

PtyPair::PtyPair() {
    const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        error_ = std::string("posix_openpt: ") + std::strerror(errno);
        return;
    }
    char name[128];
    if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
        error_ = std::string("pseudo-terminal set-up: ") + std::strerror(errno);
        ::close(fd);
        return;
    }
    // Raw master side: the bytes pass unchanged in both directions.
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    master_ = fd;
    slavePath_ = name;
}

PtyPair::~PtyPair() { closeMaster(); }

bool PtyPair::writeMaster(const std::string& bytes) {
    if (master_ < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{master_, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0) return false;  // a full pty that never drains
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return false;
        }
    }
    return true;
}

std::string PtyPair::readMaster() {
    std::string bytes;
    if (master_ < 0) return bytes;
    char buf[4096];
    while (true) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) bytes.append(buf, static_cast<std::size_t>(n));
        else if (n < 0 && errno == EINTR) continue;
        else break;  // EAGAIN: nothing more now; EIO: no slave open
    }
    return bytes;
}

void PtyPair::closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

}  // namespace k45::test
