#include "bench/bench_modem.h"

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <fstream>

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
            while (linesLogged_ < modem_->received.size())
                note("from host: " + Printable(modem_->received[linesLogged_++].text));
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
