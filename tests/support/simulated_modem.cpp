#include "support/simulated_modem.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "base/hex_text.h"
#include "platform/serial_device.h"
#include "serial/srecord_codec.h"

namespace k45::test {

namespace {

constexpr const char* kCrLf = "\r\n";

int HexNibble(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Hex pairs into bytes; false when a character is no hex digit or a digit is left over.
bool HexBytes(const std::string& text, std::vector<int>& out) {
    if (text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = HexNibble(text[i]), lo = HexNibble(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(hi * 16 + lo);
    }
    return true;
}

}  // namespace

std::string StatusRecord(int status) {
    const int s = status & 0xFF;
    return "R8" + ByteToHex2(2) + ByteToHex2(s) + ByteToHex2(255 - ((2 + s) & 0xFF));
}

std::string AckRecord() { return StatusRecord(0); }

std::string EndRecord() { return "R9" + *MessSRecord(0, std::span<const std::uint8_t>()); }

std::string DataRecord(std::int32_t address, const std::uint8_t* data, int count) {
    return "R1" + *MessSRecord(address, std::span<const std::uint8_t>(data, static_cast<std::size_t>(count)));
}

SimulatedModem::SimulatedModem(VirtualScheduler& scheduler) : sched_(scheduler) {
    for (std::size_t i = 0; i < ram.size(); ++i) ram[i] = static_cast<std::uint8_t>((i * 7 + 3) & 0xFF);
}

SimulatedModem::~SimulatedModem() {
    *alive_ = false;
    if (cable_) cable_->b().detachPeer();
}

void SimulatedModem::attach(NullModemPair& cable) {
    cable_ = &cable;
    cable.b().attachPeer([this](const std::string& bytes) { take(bytes); });
}

void SimulatedModem::attach(PtyPair& pty) { pty_ = &pty; }

std::size_t SimulatedModem::servicePty() {
    if (!pty_) return 0;
    const std::string bytes = pty_->readMaster();
    if (!bytes.empty()) take(bytes);
    return bytes.size();
}

bool SimulatedModem::loadRecord(const AppState& app, const ModemParameters& record, std::int64_t nowLocal) {
    ParameterImage packed{};
    ModemParameters copy = record;
    if (!EncodeParameterImage(app, app, packed, copy, nowLocal).ok()) return false;
    loadImage(packed);
    return true;
}

void SimulatedModem::loadImage(const ParameterImage& packed) { image = packed; }

bool SimulatedModem::decodeInto(const AppState& app, ModemParameters& record) const {
    return DecodeParameterImage(app, app, record, image).ok();
}

std::vector<ReceivedLine> SimulatedModem::linesStartingWith(const std::string& prefix) const {
    std::vector<ReceivedLine> r;
    for (const auto& l : received)
        if (l.text.rfind(prefix, 0) == 0) r.push_back(l);
    return r;
}

void SimulatedModem::take(const std::string& bytes) {
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!lineBuf_.empty()) {
                std::string line;
                line.swap(lineBuf_);
                handleLine(line);
            }
        } else {
            lineBuf_ += c;
        }
    }
}

std::vector<ModemFault> SimulatedModem::faultsFor(ModemStep step) {
    std::vector<ModemFault> active;
    for (auto& f : faults_) {
        if (f.fault.step != step) continue;
        ++f.seen;
        if (f.seen <= f.fault.after) continue;
        if (f.fault.times >= 0 && f.applied >= f.fault.times) continue;
        ++f.applied;
        active.push_back(f.fault);
        if (f.fault.kind == ModemFault::Twice) repeatAfterMs_ = f.fault.arg;
        if (f.fault.kind == ModemFault::Reset) restarted = true;
    }
    return active;
}

namespace {
const ModemFault* Find(const std::vector<ModemFault>& f, ModemFault::Kind kind) {
    for (const auto& x : f)
        if (x.kind == kind) return &x;
    return nullptr;
}
}  // namespace

std::vector<std::string> SimulatedModem::dump(ModemStep, const std::uint8_t* memory, int blocks,
                                              const std::vector<ModemFault>& f) {
    std::vector<int> order;
    for (int b = 0; b < blocks; ++b) order.push_back(b);
    if (Find(f, ModemFault::FirstRecordNotAtZero)) std::rotate(order.begin(), order.begin() + 1, order.end());
    std::vector<std::string> pieces;
    const ModemFault* early = Find(f, ModemFault::EarlyEnd);
    const ModemFault* stop = Find(f, ModemFault::StopAfter);
    const ModemFault* missing = Find(f, ModemFault::MissingRecord);
    const ModemFault* twice = Find(f, ModemFault::DuplicateRecord);
    const ModemFault* bad = Find(f, ModemFault::BadAddress);
    int sent = 0;
    for (int b : order) {
        if (early && sent >= early->arg) break;
        if (stop && sent >= stop->arg) return pieces;
        ++sent;
        if (missing && b == missing->arg) continue;
        std::string rec = DataRecord(b * 16, memory + b * 16, 16);
        if (bad && b == bad->arg) rec = DataRecord(632, memory + b * 16, 16);
        pieces.push_back(rec + kCrLf);
        if (twice && b == twice->arg) pieces.push_back(rec + kCrLf);
    }
    pieces.push_back(EndRecord() + kCrLf);
    if (!Find(f, ModemFault::NoAck)) pieces.push_back(AckRecord() + kCrLf);
    return pieces;
}

void SimulatedModem::handleLine(const std::string& line) {
    received.push_back({line, sched_.nowMs()});
    repeatAfterMs_ = -1;
    const std::string ack = AckRecord() + kCrLf;
    const std::string refusal = StatusRecord(1) + kCrLf;
    const std::string versionLine = (versionText.empty() ? notice : versionText + " " + notice) + kCrLf;
    // After a restart the modem has lost the session: whatever comes, it answers as to "?".
    auto restartAnswer = [&] {
        if (!restarted) return false;
        answer({versionLine, ack});
        return true;
    };
    if (restartAnswer()) return;

    auto simple = [&](ModemStep step) {
        const auto f = faultsFor(step);
        if (restartAnswer()) return false;
        if (Find(f, ModemFault::Silence)) return false;
        if (Find(f, ModemFault::Refuse)) answer({refusal});
        else answer(commandAck(Find(f, ModemFault::NoAck)));
        return true;
    };

    if (line == "?") {
        const auto f = faultsFor(ModemStep::Version);
        if (Find(f, ModemFault::Silence)) return;
        std::vector<std::string> pieces;
        if (Find(f, ModemFault::NoKeyword)) pieces.push_back(versionText + " (c) 2026 K45 Firmware" + kCrLf);
        else pieces.push_back(versionLine);
        if (Find(f, ModemFault::Refuse)) pieces.push_back(refusal);
        else if (!Find(f, ModemFault::NoAck)) pieces.push_back(ack);
        answer(pieces);
    } else if (line == "DE" || line == "DA") {
        const ModemStep step = line == "DE" ? ModemStep::Dump : ModemStep::DumpRam;
        const auto f = faultsFor(step);
        if (Find(f, ModemFault::Silence)) return;
        if (Find(f, ModemFault::Refuse)) {
            answer({refusal});
            return;
        }
        if (step == ModemStep::Dump) answer(dump(step, image.data(), image[0] == 2 ? 29 : 40, f));
        else answer(dump(step, ram.data(), 48, f));
    } else if (line.rfind("S1", 0) == 0) {
        const auto f = faultsFor(ModemStep::Program);
        if (restartAnswer() || Find(f, ModemFault::Silence)) return;
        std::vector<int> b;
        bool good = HexBytes(line.substr(2), b) && b.size() >= 4 && static_cast<int>(b.size()) == b[0] + 1;
        if (good) {
            int sum = 0;
            for (int v : b) sum += v;
            good = (sum & 0xFF) == 0xFF;
        }
        const int address = good ? b[1] * 256 + b[2] : 0;
        const int n = good ? b[0] - 3 : 0;
        if (!good || address + n > static_cast<int>(image.size()) || Find(f, ModemFault::Refuse)) {
            answer({refusal});
            return;
        }
        ProgramRecord rec{address, {}, sched_.nowMs()};
        for (int i = 0; i < n; ++i) {
            image[static_cast<std::size_t>(address + i)] = static_cast<std::uint8_t>(b[static_cast<std::size_t>(3 + i)]);
            rec.data.push_back(static_cast<std::uint8_t>(b[static_cast<std::size_t>(3 + i)]));
        }
        programmed.push_back(std::move(rec));
        answer(commandAck(Find(f, ModemFault::NoAck)));
    } else if (line.rfind("CHANNEL", 0) == 0) {
        if (simple(ModemStep::Channel)) channelCommands.push_back(HexToByte(line.substr(7)));
    } else if (line.rfind("S9", 0) == 0) {
        if (simple(ModemStep::End)) ++endRecords;
    } else {
        if (!handleTuningLine(line)) handlePanelLine(line);
    }
}

// ---- radio tuning

std::vector<std::string> SimulatedModem::commandAck(bool noAck) const {
    std::vector<std::string> pieces;
    if (ackForm == AckForm::EndPair) pieces.push_back(EndRecord() + kCrLf);
    if (!noAck) pieces.push_back(AckRecord() + kCrLf);
    return pieces;
}

std::vector<std::string> SimulatedModem::diagAnswer(const DiagBlock& block) {
    std::vector<std::string> pieces;
    const bool memory = dataForm == DataForm::MemoryAddresses;
    std::vector<int> sizes = diagRecordSizes;
    if (sizes.empty() && splitDiagBlocks) sizes = {16, 16, 10};
    if (sizes.empty() && memory) {
        // The diagnostic values at 4000, the three counters at 6000.
        pieces.push_back(DataRecord(4000, block.data(), 16) + kCrLf);
        pieces.push_back(DataRecord(4016, block.data() + 16, 14) + kCrLf);
        pieces.push_back(DataRecord(6000, block.data() + 30, 12) + kCrLf);
    } else {
        if (sizes.empty()) sizes = {42};
        const int base = memory ? 4000 : 0;
        int at = 0;
        for (int n : sizes) {
            n = std::clamp(n, 0, static_cast<int>(block.size()) - at);
            pieces.push_back(DataRecord(base + at, block.data() + at, n) + kCrLf);
            at += n;
        }
    }
    pieces.push_back(EndRecord() + kCrLf);
    return pieces;
}

bool SimulatedModem::handleTuningLine(const std::string& line) {
    ModemStep step;
    if (line.rfind("T1", 0) == 0) step = ModemStep::Tune;
    else if (line == "AS") step = ModemStep::Diagnostics;
    else if (line == "AT") step = ModemStep::Sample;
    else if (line == "AR") step = ModemStep::Clear;
    else if (line.rfind("BALANCE", 0) == 0) step = ModemStep::Balance;
    else if (line == "T0") step = ModemStep::EndTest;
    else return false;
    const auto f = faultsFor(step);
    if (Find(f, ModemFault::Silence)) return true;
    std::vector<std::string> pieces;
    if (Find(f, ModemFault::Refuse)) {
        answer({StatusRecord(1) + kCrLf});
        return true;
    }
    if (step == ModemStep::Diagnostics) {
        pieces = diagAnswer(diagBlock);
    } else if (step == ModemStep::Sample) {
        DiagBlock block = diagBlock;
        if (!samples.empty()) {
            block = samples.front();
            samples.erase(samples.begin());
        }
        pieces = diagAnswer(block);
    } else if (step == ModemStep::Balance) {
        balanceCommands.push_back(HexToByte(line.substr(7)));
    } else if (step == ModemStep::EndTest) {
        ++endTests;
    }
    const bool diag = step == ModemStep::Diagnostics || step == ModemStep::Sample;
    if (!diag) pieces = commandAck(Find(f, ModemFault::NoAck));
    else if (!Find(f, ModemFault::NoAck)) pieces.push_back(AckRecord() + kCrLf);
    answer(pieces, diag ? nextDiagDelay() : -1, diag ? diagRecordGapMs : 0);
    return true;
}

int SimulatedModem::nextDiagDelay() {
    if (diagDelaysMs.empty()) return diagDelayMs;
    const int d = diagDelaysMs.front();
    diagDelaysMs.erase(diagDelaysMs.begin());
    return d;
}

void SimulatedModem::answer(std::vector<std::string> pieces, int delayMs, int gapMs) {
    if (pieces.empty()) return;
    const std::int64_t start = std::max(sched_.nowMs() + (delayMs >= 0 ? delayMs : replyDelayMs), busyUntilMs_);
    std::weak_ptr<bool> alive = alive_;
    if (repeatAfterMs_ >= 0) {
        std::string whole;
        for (const auto& p : pieces) whole += p;
        sched_.callAt(start + repeatAfterMs_, [this, alive, whole] {
            if (!alive.expired()) send(whole);
        });
        repeatAfterMs_ = -1;
    }
    switch (chunking) {
    case ModemChunking::PerLine:
        if (gapMs > 0) {
            // The data records leave gapMs apart; the end and status records follow the last.
            std::int64_t t = start - gapMs;
            for (const auto& p : pieces) {
                if (p.rfind("R1", 0) == 0 || t < start) t += gapMs;
                sched_.callAt(t, [this, alive, p] {
                    if (!alive.expired()) send(p);
                });
            }
            busyUntilMs_ = t;
            break;
        }
        sched_.callAt(start, [this, alive, pieces] {
            if (alive.expired()) return;
            for (const auto& p : pieces) send(p);
        });
        busyUntilMs_ = start;
        break;
    case ModemChunking::OneChunk: {
        std::string whole;
        for (const auto& p : pieces) whole += p;
        sched_.callAt(start, [this, alive, whole] {
            if (alive.expired()) return;
            if (!cable_) {
                send(whole);
                return;
            }
            // Held on the line until its last byte is off the wire, then handed over at once.
            const PortSettings s = cable_->b().settings();
            const auto wireMs = static_cast<std::int64_t>(
                std::ceil(static_cast<double>(whole.size()) * BitsPerCharacter(s) * 1000.0 / s.baudRate));
            cable_->stall(Direction::BtoA, true);
            send(whole);
            sched_.callAt(sched_.nowMs() + wireMs + 1, [this, alive] {
                if (!alive.expired() && cable_) cable_->stall(Direction::BtoA, false);
            });
        });
        busyUntilMs_ = start;
        break;
    }
    case ModemChunking::Split: {
        std::int64_t t = start;
        for (const auto& p : pieces) {
            const std::string first = p.substr(0, p.size() / 2), rest = p.substr(p.size() / 2);
            sched_.callAt(t, [this, alive, first] {
                if (!alive.expired()) send(first);
            });
            t += splitPauseMs;
            sched_.callAt(t, [this, alive, rest] {
                if (!alive.expired()) send(rest);
            });
        }
        busyUntilMs_ = t;
        break;
    }
    }
}

void SimulatedModem::send(const std::string& bytes) {
    sentBytes += bytes;
    if (cable_) cable_->b().send(bytes);
    else if (pty_) pty_->writeMaster(bytes);
}

}  // namespace k45::test
