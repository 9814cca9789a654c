#include "bench/bench_modem.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>

#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>

// The line requests the ioctl below plays, shared with the ends that have no lines.
namespace {
std::mutex linesMutex;
std::map<int, int> lineBits;            // by file descriptor: the RTS and DTR the program set
std::set<std::string> linelessDevices;  // devices whose requests are refused, as the pty does
}  // namespace

namespace k45::test {

namespace {

std::string Printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c >= 0x20 && c < 0x7f) out += static_cast<char>(c);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace

BenchEnd::BenchEnd(std::string name, Kind kind, std::string logPath)
    : name_(std::move(name)), kind_(kind), logPath_(std::move(logPath)) {
    if (!pty_.ok()) return;
    heldSlave_ = ::open(pty_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (kind_ == Kind::Modem) {
        modem_ = std::make_unique<SimulatedModem>(sched_);
        modem_->attach(pty_);
    }
    thread_ = std::thread([this] { serve(); });
}

BenchEnd::~BenchEnd() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    saveLog();
    if (heldSlave_ >= 0) ::close(heldSlave_);
}

void BenchEnd::withModem(const std::function<void(SimulatedModem&)>& f) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (modem_) f(*modem_);
}

std::vector<std::string> BenchEnd::lines() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    if (modem_)
        for (const auto& l : modem_->received) out.push_back(l.text);
    return out;
}

std::string BenchEnd::received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

void BenchEnd::sendToHost(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    note("to host: " + Printable(bytes));
    (void)pty_.writeMaster(bytes);  // a closed far end takes nothing; the log says what was tried
}

void BenchEnd::unplug() {
    std::lock_guard<std::mutex> lock(mutex_);
    note("unplugged");
    pty_.closeMaster();
}

bool BenchEnd::hangUp() {
    std::lock_guard<std::mutex> lock(mutex_);
    const int fd = ::open(pty_.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    const bool done = ::ioctl(fd, TIOCVHANGUP) == 0;
    ::close(fd);
    note(done ? "hung up" : "could not hang up");
    return done;
}

void BenchEnd::withoutControlLines() {
    std::lock_guard<std::mutex> lock(::linesMutex);
    ::linelessDevices.insert(pty_.slavePath());
}

void BenchEnd::answerAlso(std::function<std::string(const std::string& line)> answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    answerAlso_ = std::move(answer);
}

void BenchEnd::note(const std::string& text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8lld ms  ", static_cast<long long>(sched_.nowMs()));
    log_ += stamp + text + "\n";
}

void BenchEnd::saveLog() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (logPath_.empty()) return;
    std::ofstream out(logPath_, std::ios::binary | std::ios::trunc);
    out << name_ << " (" << pty_.slavePath() << ")\n" << log_;
}

void BenchEnd::serve() {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    while (!stop_) {
        int master;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            master = pty_.masterFd();
        }
        pollfd p{master, POLLIN, 0};
        const int ready = master >= 0 ? ::poll(&p, 1, 2) : 0;
        // A slave nobody holds open reports a hang-up at once: do not spin on it.
        if (master < 0 || (ready > 0 && (p.revents & POLLHUP) && !(p.revents & POLLIN)))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));

        std::lock_guard<std::mutex> lock(mutex_);
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (modem_) {
            modem_->servicePty();
            while (linesLogged_ < modem_->received.size()) {
                const std::string line = modem_->received[linesLogged_++].text;
                note("from host: " + Printable(line));
                if (const std::string extra = answerAlso_ ? answerAlso_(line) : std::string(); !extra.empty()) {
                    note("to host: " + Printable(extra));
                    (void)pty_.writeMaster(extra);
                }
            }
            if (sentLogged_ < modem_->sentBytes.size()) {
                note("to host: " + Printable(modem_->sentBytes.substr(sentLogged_)));
                sentLogged_ = modem_->sentBytes.size();
            }
        } else if (pty_.ok()) {
            const std::string bytes = pty_.readMaster();
            if (!bytes.empty()) {
                received_ += bytes;
                note("from host: " + Printable(bytes));
                if (kind_ == Kind::Loopback) (void)pty_.writeMaster(bytes);
                if (cross_) (void)cross_->pty_.writeMaster(bytes);  // a plain write: the other end's lock is not needed
            }
        }
        if (elapsed > sched_.nowMs()) sched_.advance(elapsed - sched_.nowMs());
    }
}

}  // namespace k45::test

// A pseudo-terminal has no modem control lines; the adapters on the bench have. Where the
// device refuses the line requests, they are played here: RTS and DTR keep what the program
// sets, CTS follows RTS (the modem answers a key-up at once), DSR is up and DCD down. The
// program's serial code and the serial library reach the device through this ioctl, which
// stands before the C library's in the test process.

extern "C" int ioctl(int fd, unsigned long request, ...) __THROW {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    using RealIoctl = int (*)(int, unsigned long, ...);
    static const auto real = reinterpret_cast<RealIoctl>(dlsym(RTLD_NEXT, "ioctl"));
    const int result = real(fd, request, arg);
    const bool lines = request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC;
    if (result == 0 || !lines || (errno != ENOTTY && errno != EINVAL) || !arg) return result;
    const int refusal = errno;
    std::lock_guard<std::mutex> lock(linesMutex);
    if (!linelessDevices.empty()) {
        char path[256];
        const std::string fdLink = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t n = ::readlink(fdLink.c_str(), path, sizeof path - 1);
        if (n > 0 && linelessDevices.count(std::string(path, static_cast<std::size_t>(n)))) {
            errno = refusal;
            return result;
        }
    }
    int& bits = lineBits.try_emplace(fd, 0).first->second;
    const int given = *static_cast<int*>(arg) & (TIOCM_RTS | TIOCM_DTR);
    if (request == TIOCMSET) bits = given;
    else if (request == TIOCMBIS) bits |= given;
    else if (request == TIOCMBIC) bits &= ~given;
    else *static_cast<int*>(arg) = bits | ((bits & TIOCM_RTS) ? TIOCM_CTS : 0) | TIOCM_DSR;
    return 0;
}
