#include "support/null_modem.h"

#include <deque>

namespace k45::test {
namespace {

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return (a + b - 1) / b; }

// Time of one byte on the wire as a fraction num/den of a microsecond, exact, so that long
// runs do not drift: start bit, data bits, parity bit, stop bits.
void ByteTime(const PortSettings& s, std::int64_t* num, std::int64_t* den) {
    *num = static_cast<std::int64_t>(BitsPerCharacter(s)) * 1000000;
    *den = static_cast<std::int64_t>(s.baudRate);
}

const int kLineEvent[3] = {commEvCts, commEvDsr, commEvCd};

}  // namespace

// One direction of the cable: the writer's output on the wire and the delivery at the far end.
struct NullModemPair::Line {
    int from = 0;
    int to = 1;
    struct Queued {
        char byte;
        std::size_t chunk;  // index into log
    };
    std::deque<Queued> queue;  // written, not yet off the wire; the front is on the wire when busy
    bool busy = false;
    // The current run of back-to-back bytes: byte j of it ends at start + ceil(j * num / den).
    std::int64_t runStartUs = 0;
    std::int64_t runDone = 0;
    std::int64_t runNum = 0;
    std::int64_t runDen = 1;
    std::string completed;  // off the wire, not yet routed
    std::string splitBuf;
    std::string held;
    std::deque<std::string> pieces;  // waiting for delivery, one per pump
    bool drainPending = false;
    bool cut = false;
    bool stalled = false;
    int split = 0;
    std::vector<WireChunk> log;
    std::int64_t lost = 0;
    std::int64_t pumpAtMs = -1;

    std::int64_t headEndUs() const { return runStartUs + CeilDiv((runDone + 1) * runNum, runDen); }
};

// ---- the pair ----

NullModemPair::NullModemPair(VirtualScheduler& scheduler)
    : scheduler_(scheduler), alive_(std::make_shared<bool>(true)) {
    ends_[0].reset(new NullModemEnd(*this, 0));
    ends_[1].reset(new NullModemEnd(*this, 1));
    lines_[0] = std::make_unique<Line>();
    lines_[1] = std::make_unique<Line>();
    lines_[1]->from = 1;
    lines_[1]->to = 0;
}

NullModemPair::~NullModemPair() = default;

bool NullModemPair::canSend(const Line& l) const {
    const NullModemEnd& from = *ends_[l.from];
    return from.handshaking_ != 2 || from.levelIn(InputLine::Cts);
}

void NullModemPair::settle(Line& l) {
    const std::int64_t now = nowUs();
    const NullModemEnd& from = *ends_[l.from];
    while (true) {
        if (!l.busy) {
            if (l.queue.empty() || !canSend(l)) return;
            l.busy = true;
            l.runStartUs = now;
            l.runDone = 0;
            ByteTime(from.settings_, &l.runNum, &l.runDen);
            WireChunk& c = l.log[l.queue.front().chunk];
            if (c.startUs < 0) c.startUs = now;
            continue;
        }
        const std::int64_t end = l.headEndUs();
        if (end > now) return;
        const Line::Queued q = l.queue.front();
        l.queue.pop_front();
        l.completed += q.byte;
        l.log[q.chunk].endUs = end;
        ++l.runDone;
        if (l.queue.empty() || !canSend(l)) {
            l.busy = false;
            return;
        }
        // The next byte follows at once; new settings start a new run.
        std::int64_t num, den;
        ByteTime(from.settings_, &num, &den);
        if (num != l.runNum || den != l.runDen) {
            l.runStartUs = end;
            l.runDone = 0;
            l.runNum = num;
            l.runDen = den;
        }
        WireChunk& c = l.log[l.queue.front().chunk];
        if (c.startUs < 0) c.startUs = end;
    }
}

void NullModemPair::schedulePump(Line& l, std::int64_t atMs) {
    if (l.pumpAtMs >= 0 && l.pumpAtMs <= atMs) return;
    l.pumpAtMs = atMs;
    std::weak_ptr<bool> alive = alive_;
    scheduler_.callAt(atMs, [this, alive, &l, atMs] {
        if (alive.expired()) return;
        if (l.pumpAtMs == atMs) l.pumpAtMs = -1;
        pump(l);
    });
}

void NullModemPair::kick(Line& l) {
    const std::int64_t nowMs = scheduler_.nowMs();
    if (!l.completed.empty() || !l.pieces.empty() || (l.queue.empty() && l.drainPending))
        schedulePump(l, nowMs);
    else if (l.busy)
        schedulePump(l, CeilDiv(l.headEndUs(), 1000));
}

void NullModemPair::route(Line& l, const std::string& bytes) {
    if (bytes.empty()) return;
    if (l.cut) {
        l.lost += static_cast<std::int64_t>(bytes.size());
    } else if (l.stalled) {
        l.held += bytes;
    } else if (l.split <= 0) {
        l.pieces.push_back(bytes);
    } else {
        l.splitBuf += bytes;
        const std::size_t n = static_cast<std::size_t>(l.split);
        while (l.splitBuf.size() >= n) {
            l.pieces.push_back(l.splitBuf.substr(0, n));
            l.splitBuf.erase(0, n);
        }
    }
}

void NullModemPair::pump(Line& l) {
    settle(l);
    if (!l.completed.empty()) {
        std::string bytes;
        bytes.swap(l.completed);
        route(l, bytes);
    }
    if (!l.busy && !l.splitBuf.empty()) {  // the line is idle: the short last piece goes
        l.pieces.push_back(l.splitBuf);
        l.splitBuf.clear();
    }
    // One piece per pump, so that each piece raises its own receive event.
    if (!l.pieces.empty()) {
        std::string piece = std::move(l.pieces.front());
        l.pieces.pop_front();
        NullModemEnd& to = *ends_[l.to];
        if (!to.open_) {
            l.lost += static_cast<std::int64_t>(piece.size());
        } else if (to.peer_) {
            auto peer = to.peer_;
            peer(piece);
        } else {
            to.input_ += piece;
            if (to.threshold_ > 0 && to.input_.size() >= static_cast<std::size_t>(to.threshold_))
                to.fire(commEvReceive);
        }
    }
    if (l.queue.empty() && l.drainPending) {
        l.drainPending = false;
        NullModemEnd& from = *ends_[l.from];
        if (from.open_) from.fire(commEvSend);
    }
    settle(l);
    kick(l);
}

void NullModemPair::post(NullModemEnd& end, int code) {
    std::weak_ptr<bool> alive = alive_;
    scheduler_.callAt(scheduler_.nowMs(), [alive, &end, code] {
        if (!alive.expired() && end.open_) end.fire(code);
    });
}

void NullModemPair::updateLines() {
    for (auto& e : ends_) {
        for (int k = 0; k < 3; ++k) {
            const bool level = e->levelIn(static_cast<InputLine>(k));
            if (level == e->seen_[k]) continue;
            e->seen_[k] = level;
            if (e->open_) post(*e, kLineEvent[k]);
        }
    }
}

void NullModemPair::mutate(const std::function<void()>& change) {
    settle(*lines_[0]);
    settle(*lines_[1]);
    change();
    updateLines();
    for (auto& l : lines_) {
        settle(*l);
        kick(*l);
    }
}

void NullModemPair::cut(bool on) {
    cut(Direction::AtoB, on);
    cut(Direction::BtoA, on);
}

void NullModemPair::cut(Direction d, bool on) {
    mutate([&] { line(d).cut = on; });
}

void NullModemPair::inject(Direction d, const std::string& bytes) {
    if (bytes.empty()) return;
    mutate([&] {
        Line& l = line(d);
        // Bytes already off the wire came first.
        std::string before;
        before.swap(l.completed);
        route(l, before);
        const std::int64_t now = nowUs();
        l.log.push_back(WireChunk{bytes, scheduler_.nowMs(), now, now, true});
        route(l, bytes);
    });
}

void NullModemPair::split(Direction d, int n) {
    mutate([&] { line(d).split = n > 0 ? n : 0; });
}

void NullModemPair::stall(Direction d, bool on) {
    mutate([&] {
        Line& l = line(d);
        l.stalled = on;
        if (on) return;
        std::string before;
        before.swap(l.completed);
        l.held += before;
        std::string held;
        held.swap(l.held);
        route(l, held);
    });
}

const std::vector<WireChunk>& NullModemPair::wireLog(Direction d) const { return line(d).log; }

std::string NullModemPair::wireBytes(Direction d) const {
    std::string all;
    for (const auto& c : line(d).log) all += c.bytes;
    return all;
}

std::int64_t NullModemPair::lostBytes(Direction d) const { return line(d).lost; }

// ---- one end ----

bool NullModemEnd::levelIn(InputLine line) const {
    const int k = static_cast<int>(line);
    if (forced_[k]) return *forced_[k];
    const NullModemEnd& other = *pair_->ends_[1 - index_];
    if (!other.open_) return false;
    return line == InputLine::Cts ? other.rts_ : other.dtr_;
}

bool NullModemEnd::cts() const { return open_ && levelIn(InputLine::Cts); }
bool NullModemEnd::dsr() const { return open_ && levelIn(InputLine::Dsr); }
bool NullModemEnd::cd() const { return open_ && levelIn(InputLine::Cd); }

void NullModemEnd::fire(int code) {
    if (!handler_) return;
    auto handler = handler_;  // the handler may replace itself
    handler(code);
}

bool NullModemEnd::refuseClosed(const char* what, std::string* error) const {
    if (open_) return false;
    if (error) *error = std::string("Null-modem end ") + (index_ ? "B" : "A") + " is not open (" + what + ").";
    return true;
}

bool NullModemEnd::setSettings(const PortSettings& settings, std::string* error) {
    if (const std::string why = PortSettingsProblem(settings); !why.empty()) {
        if (error) *error = why;
        return false;
    }
    pair_->mutate([&] { settings_ = settings; });
    return true;
}

bool NullModemEnd::open(std::string* error) {
    if (open_) return true;
    if (openRefusal_) {
        if (error) *error = *openRefusal_;
        return false;
    }
    pair_->mutate([&] {
        open_ = true;
        rts_ = dtr_ = break_ = false;
        input_.clear();
        for (int k = 0; k < 3; ++k) seen_[k] = levelIn(static_cast<InputLine>(k));
    });
    return true;
}

void NullModemEnd::close() {
    if (!open_) return;
    pair_->mutate([&] {
        open_ = false;
        rts_ = dtr_ = break_ = false;
        input_.clear();
    });
}

void NullModemEnd::unplug(const std::string& reason) {
    pair_->mutate([&] {
        NullModemPair::Line& l = pair_->lineFrom(index_);
        l.lost += static_cast<std::int64_t>(l.queue.size());
        l.queue.clear();
        l.busy = false;
        l.drainPending = false;
        open_ = false;
        rts_ = dtr_ = break_ = false;
        input_.clear();
    });
    openRefusal_ = "No such file or directory";
    lostReason_ = reason;
    fire(commEventDeviceLost);
}

void NullModemEnd::plugIn() { openRefusal_.reset(); }

void NullModemEnd::setBufferSizes(int /*inputSize*/, int outputSize) {
    if (outputSize > 0) outputBufferSize_ = outputSize;
}

bool NullModemEnd::setRts(bool on, std::string* error) {
    if (refuseClosed("RTS", error)) return false;
    pair_->mutate([&] { rts_ = on; });
    return true;
}

bool NullModemEnd::setDtr(bool on, std::string* error) {
    if (refuseClosed("DTR", error)) return false;
    pair_->mutate([&] { dtr_ = on; });
    return true;
}

bool NullModemEnd::setHandshaking(int mode, std::string* error) {
    if (mode != 0 && mode != 2) {
        if (error) *error = "Handshaking " + std::to_string(mode) + " is not supported (0 none, 2 RTS/CTS).";
        return false;
    }
    pair_->mutate([&] { handshaking_ = mode; });
    return true;
}

bool NullModemEnd::setBreak(bool on, std::string* error) {
    if (refuseClosed("break", error)) return false;
    pair_->mutate([&] {
        NullModemEnd& other = *pair_->ends_[1 - index_];
        if (on && !break_ && !pair_->lineFrom(index_).cut && other.open_) pair_->post(other, commEventBreak);
        break_ = on;
    });
    return true;
}

std::string NullModemEnd::readInput() {
    std::string bytes;
    bytes.swap(input_);
    return bytes;
}

bool NullModemEnd::write(const std::string& bytes, std::string* error) {
    if (refuseClosed("write", error)) return false;
    if (bytes.empty()) return true;
    const int waiting = outputCount();
    if (static_cast<long long>(waiting) + static_cast<long long>(bytes.size()) > outputBufferSize_) {
        if (error)
            *error = "Output buffer full: " + std::to_string(bytes.size()) + " bytes do not fit beside " +
                     std::to_string(waiting) + " of " + std::to_string(outputBufferSize_) + ".";
        return false;
    }
    pair_->mutate([&] {
        NullModemPair::Line& l = pair_->lineFrom(index_);
        l.log.push_back(WireChunk{bytes, pair_->scheduler_.nowMs(), -1, -1, false});
        for (char c : bytes) l.queue.push_back({c, l.log.size() - 1});
        l.drainPending = true;
    });
    return true;
}

int NullModemEnd::outputCount() const {
    NullModemPair::Line& l = pair_->lineFrom(index_);
    pair_->settle(l);  // the bytes leave with the clock, also while nothing is dispatched
    return static_cast<int>(l.queue.size());
}

void NullModemEnd::attachPeer(std::function<void(const std::string&)> onBytes) {
    peer_ = std::move(onBytes);
    open(nullptr);
}

void NullModemEnd::forceInput(InputLine line, std::optional<bool> level) {
    pair_->mutate([&] { forced_[static_cast<int>(line)] = level; });
}

}  // namespace k45::test
