#pragma once
// The far ends of the program's serial ports on the bench: a pseudo-terminal whose slave the
// program opens as a real device, and on its master either the simulated modem or a plain peer
// (loop-back, a cable to another port, or silence). A thread of its own serves the master in
// real time, so the far end keeps answering while the program's window is busy or shows a box.
// The device has the modem control lines of an adapter, which a pseudo-terminal lacks: RTS and
// DTR take what the program sets, CTS follows RTS, DSR is up, DCD down (bench_modem.cpp);
// an end made withoutControlLines is a bare pseudo-terminal, as a network serial bridge is.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/pty_pair.h"
#include "support/simulated_modem.h"
#include "support/virtual_scheduler.h"

namespace k45::test {

// Data byte `index` of a "T1" tune line as the modem received it (after its count and address).
inline int TuneLineByte(const std::string& line, int index) {
    return std::stoi(line.substr(8 + 2 * static_cast<std::size_t>(index), 2), nullptr, 16);
}
// The byte of a model 6 unit's tune line that carries the power value: after 13 synthesizer
// bytes, 8, Rx gain, Tx deviation, front-end and modulation.
inline constexpr int kTuneLinePowerByte = 18;

class BenchEnd {
public:
    enum class Kind { Modem, Loopback, Silent };

    // name: the log's name ("Com1"). The log file is written when the end is destroyed and
    // whenever saveLog is called.
    BenchEnd(std::string name, Kind kind, std::string logPath);
    ~BenchEnd();
    BenchEnd(const BenchEnd&) = delete;
    BenchEnd& operator=(const BenchEnd&) = delete;

    bool ok() const { return pty_.ok(); }
    std::string error() const { return pty_.error(); }
    const std::string& devicePath() const { return pty_.slavePath(); }
    const std::string& logPath() const { return logPath_; }

    // Runs f on the simulated modem with the serving thread held (Kind::Modem only).
    void withModem(const std::function<void(SimulatedModem&)>& f);
    // The lines the modem has received so far, in order.
    std::vector<std::string> lines();
    // Everything the host wrote to this end so far (every kind).
    std::string received();
    // Bytes written to the host from the test (a peer's message, an online packet, garbage).
    void sendToHost(const std::string& bytes);
    // Joins this end to another: what the host writes here arrives at the other's host.
    void crossTo(BenchEnd* other) { cross_ = other; }
    // The far end goes away (an adapter pulled): the program's device sees a hang-up.
    void unplug();
    // The device hangs up under the program (its reads fail) but stays, for a moment, as a
    // pseudo-terminal may after its far end went: it opens again, and fails at its first read
    // once unplug follows. False when this user may not hang up a terminal.
    bool hangUp();
    // The device has no modem control lines: the program's RTS and DTR requests are refused.
    void withoutControlLines();
    // Units the modem does not play (remote units behind it, commands it does not know): every
    // line the modem receives is offered to answer, and the bytes it returns, if any, go to the
    // host at once, besides the modem's own answer. Kind::Modem only; answer runs on the serving
    // thread and must not call this end.
    void answerAlso(std::function<std::string(const std::string& line)> answer);

    void saveLog();

private:
    void serve();
    void note(const std::string& text);

    std::string name_;
    Kind kind_;
    std::string logPath_;
    PtyPair pty_;
    // The end holds its device's number for as long as it lives: once unplugged, the device file
    // stays gone instead of naming another program's pseudo-terminal that takes the number.
    int heldSlave_ = -1;
    VirtualScheduler sched_;  // the modem's replies leave on this clock, driven by real time
    std::unique_ptr<SimulatedModem> modem_;
    std::mutex mutex_;
    std::string received_;
    std::string log_;
    std::size_t linesLogged_ = 0;
    std::size_t sentLogged_ = 0;
    BenchEnd* cross_ = nullptr;
    std::function<std::string(const std::string&)> answerAlso_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace k45::test
