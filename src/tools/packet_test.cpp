#include "tools/packet_test.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>

#include "base/converters.h"
#include "base/save_file.h"
#include "base/utilities.h"
#include "platform/dialogs.h"
#include "platform/local_time.h"
#include "platform/places.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"

namespace k45 {

namespace {

constexpr int kTickMs = 125;
constexpr std::size_t kPacketBufferSize = 10240;

double Quotient(double numerator, double divisor) { return divisor == 0 ? 0.0 : numerator / divisor; }

}  // namespace

std::int32_t NearestEven(double x) {
    const double r = RoundHalfEven(x);
    if (r > 2147483647.0) return 2147483647;
    if (r < -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(r);
}

std::int32_t GetResponseTicks(std::int32_t i) {
    std::int32_t r;
    if (i <= 4) r = 12;
    else if (i <= 16) r = 2 * i;
    else r = NearestEven(1.25 * i);
    return std::min(r, 65535);
}

std::string PercentText(double numerator, double divisor) {
    return FixedText(Quotient(numerator, divisor) * 100.0, 3) + " %";
}

std::vector<int> BytesPerPacketList(bool engineerMode, bool single, int dataBits) {
    long maxBytes = 1L << (engineerMode ? 2 * dataBits : dataBits);
    if (maxBytes > 10000) maxBytes = 10000;
    int first, last;
    bool steps50 = false;
    if (engineerMode && single) {
        first = 8;
        last = 10000;
        steps50 = true;
        if (maxBytes < 100) maxBytes -= maxBytes % 10;
        else if (maxBytes < 1000) maxBytes -= maxBytes % 50;
        else maxBytes -= maxBytes % 1000;
    } else {
        first = engineerMode ? 8 : 4;
        last = engineerMode ? 8192 : 256;
        long p = 1;
        while (p * 2 <= maxBytes) p *= 2;
        maxBytes = p;
    }
    last = static_cast<int>(std::min<long>(last, maxBytes));
    std::vector<int> list;
    for (int value = first; value <= last;) {
        list.push_back(value);
        if (steps50 && value >= 32) value = (value + 50) / 50 * 50;
        else value *= 2;
    }
    return list;
}

bool IsPacketOption(PacketTestMode mode) {
    switch (mode) {
        case PacketTestMode::Remote:
        case PacketTestMode::Host:
        case PacketTestMode::YCable:
        case PacketTestMode::TwoPorts:
        case PacketTestMode::OneWay: return true;
        default: return false;
    }
}

PacketTestMode StoppingModeOf(PacketTestMode running) {
    switch (running) {
        case PacketTestMode::Host: return PacketTestMode::HostStopping;
        case PacketTestMode::YCable: return PacketTestMode::YCableStopping;
        case PacketTestMode::TwoPorts: return PacketTestMode::TwoPortsStopping;
        case PacketTestMode::OneWay: return PacketTestMode::OneWayStopping;
        default: return running;
    }
}

bool IsStoppingMode(PacketTestMode mode) {
    return mode == PacketTestMode::HostStopping || mode == PacketTestMode::YCableStopping ||
           mode == PacketTestMode::TwoPortsStopping || mode == PacketTestMode::OneWayStopping;
}

bool UsesSecondaryPort(PacketTestMode mode) {
    return mode == PacketTestMode::TwoPorts || mode == PacketTestMode::TwoPortsStopping ||
           mode == PacketTestMode::OneWay || mode == PacketTestMode::OneWayStopping;
}

PacketPacing ComputePacketPacing(int packetBytes, double bpsP, double bpsS, double timeFactor,
                                 std::int32_t packetDelayQuarters, int ratio, PacketTestMode mode) {
    PacketPacing p;
    double tP = bpsP > 0 ? packetBytes / (bpsP * 0.125) : 0;
    double tS = bpsS > 0 ? packetBytes / (bpsS * 0.125) : 0;
    const bool oneLeg = mode == PacketTestMode::YCable || mode == PacketTestMode::OneWay;
    const bool twoPorts = mode == PacketTestMode::TwoPorts;
    p.calculatedTicksShown = oneLeg ? NearestEven(tP) : twoPorts ? NearestEven(tP + tS) : NearestEven(2 * tP);
    tP *= timeFactor;
    tS *= timeFactor;
    std::int32_t calc = oneLeg ? NearestEven(tP) : twoPorts ? NearestEven(tP + tS) : NearestEven(2 * tP);
    calc = std::clamp(calc, 1, 65535);
    p.calcTicks = calc;
    p.hostIntervalTicks = packetDelayQuarters * 2;
    p.remoteDelayTicks = 0;
    p.sendOnReply = false;
    if (p.hostIntervalTicks < 1) {
        p.sendOnReply = true;
        p.hostIntervalTicks = 1;
    }
    if (p.hostIntervalTicks < calc) {
        p.sendOnReply = true;
        p.hostIntervalTicks = calc;
    }
    p.remoteDelayTicks = NearestEven((p.hostIntervalTicks - calc) / 2.0);
    if (!p.sendOnReply && p.remoteDelayTicks <= 0) p.remoteDelayTicks = NearestEven(p.hostIntervalTicks / 2.0);
    p.remoteDelayTicks = std::clamp(p.remoteDelayTicks, 0, 32768);
    const double r = ratio < 1 ? 1.0 : ratio > 1 ? ratio * 0.9 : 1.0;
    p.hostIntervalTicks = NearestEven(r * p.hostIntervalTicks);
    return p;
}

std::string FormatResultLine(const PacketTestResult& r, bool engineerMode) {
    std::string line = RightAligned(std::to_string(r.bytesPerPacket), 12);
    line += RightAligned(FixedText(r.packetDelay * 0.25, 2), 13);
    line += RightAligned(WholeText(r.hostTx), 12);
    line += RightAligned(WholeText(r.remoteRx), 12);
    line += RightAligned(WholeText(r.remoteTx), 12);
    line += RightAligned(WholeText(r.hostRx), 12);
    if (engineerMode) {
        line += RightAligned(FixedText(Quotient(r.remoteRx, r.hostTx) * 100.0, 3), 9);
        line += RightAligned(FixedText(Quotient(r.hostRx, r.remoteTx) * 100.0, 3), 9);
        line += RightAligned(FixedText(Quotient(r.hostRx, r.hostTx) * 100.0, 3), 10);
    }
    return line;
}

std::string ResultFileHeader(bool engineerMode, const std::string& hhmmss, const std::string& mmddyyyy,
                             const PortDescription& host, const PortDescription& remote) {
    auto port = [](const PortDescription& p) {
        return std::to_string(p.baudRate) + "/" + std::to_string(p.dataBits) + p.parityStr + std::to_string(p.stopBits);
    };
    const std::string columns = "Bytes/Packet  PacketDelay      HostTx    RemoteRx    RemoteTx      HostRx";
    if (!engineerMode) return columns + "\r\n";
    std::string h;
    h += "Time       " + hhmmss + "\r\n";
    h += "Date       " + mmddyyyy + "\r\n";
    h += "HostPort   " + port(host) + "\r\n";
    h += "RemotePort " + port(remote) + "\r\n";
    h += "HostHS     " + std::to_string(host.txModeValue) + "\r\n";
    h += "RemoteHS   " + std::to_string(remote.txModeValue) + "\r\n";
    h += columns + "    HtoR%    RtoH%  Overall%\r\n";
    return h;
}

// ---- engine ----

PacketTestEngine::PacketTestEngine(DialogueLinks links)
    : links_(links),
      primary_(*links.ports.classCommPrimary),
      secondary_(*links.ports.classCommSecondary),
      scheduler_(*links.services.scheduler),
      flags_(links.modes) {
    timerTestTx_ = scheduler_.createTimer();
    timerTestRx_ = scheduler_.createTimer();
    timerResponse_ = scheduler_.createTimer();
    timerLED_ = scheduler_.createTimer();
    for (Timer* t : {timerTestTx_.get(), timerTestRx_.get(), timerResponse_.get(), timerLED_.get()}) {
        t->setInterval(kTickMs);
        t->setEnabled(false);
    }
    timerTestTx_->setHandler([this] {
        if (Present()) TxTick();
    });
    timerTestRx_->setHandler([this] {
        if (Present()) RemoteTick();
    });
    timerResponse_->setHandler([this] {
        if (Present()) ResponseTick();
    });
    timerLED_->setHandler([this] {
        if (Present()) IndicatorTick();
    });
}

PacketTestEngine::~PacketTestEngine() {
    if (Present()) Unload();
    else Abandon();
}

void PacketTestEngine::Abandon() {
    StopTimers();
    timerLED_->setEnabled(false);
    testMode_ = PacketTestMode::Idle;
    view_ = nullptr;
}

bool PacketTestEngine::ActiveChild() const { return view_ && view_->IsActiveChild(); }

int PacketTestEngine::SelectedBytes() const {
    if (bytesList_.empty()) return 4;
    return bytesList_[static_cast<std::size_t>(std::clamp(bytesSelected_, 0, static_cast<int>(bytesList_.size()) - 1))];
}

// A test asked to stop ends at its next packet: timers off, the sweep step kept.
bool PacketTestEngine::EndIfStopping() {
    if (!IsStoppingMode(testMode_)) return false;
    testMode_ = PacketTestMode::Idle;
    StopTimers();
    if (!single_) StoreStep();
    return true;
}

// A port the running test uses has closed under it (an unplugged adapter): the port object
// has said so once. The test ends where it stands, its counts as they were at the loss, rather
// than sending into the closed port (a box per packet) and counting packets that never left.
// It ends paused, so Resume goes on once the port is back.
bool PacketTestEngine::EndIfPortLost() {
    if (testMode_ == PacketTestMode::Idle || testMode_ == PacketTestMode::ResumeSearch) return false;
    const bool usesSecondary = UsesSecondaryPort(testMode_);
    if (primary_.GetCommPortOpen() && (!usesSecondary || secondary_.GetCommPortOpen())) return false;
    StopTest(true);
    testMode_ = PacketTestMode::Idle;
    StopTimers();
    return true;
}

// Registering again opens a port that was lost since (or says why it cannot).
void PacketTestEngine::RegisterPorts(bool secondaryToo) {
    primary_.RegisterForDecodedData(this);
    primary_.RegisterForCtsChange(this);
    primary_.RegisterForCtsTimeout(this);
    if (!secondaryToo) return;
    secondary_.RegisterForDecodedData(this);
    secondary_.RegisterForCtsChange(this);
    secondary_.RegisterForCtsTimeout(this);
}

bool PacketTestEngine::HostSends() const {
    return testMode_ == PacketTestMode::Host || testMode_ == PacketTestMode::YCable || testMode_ == PacketTestMode::TwoPorts || testMode_ == PacketTestMode::OneWay;
}

bool PacketTestEngine::MayStart() const { return testMode_ == PacketTestMode::Idle || IsStoppingMode(testMode_); }

void PacketTestEngine::Load(PacketTestView& view) {
    view_ = &view;
    random_.seed(static_cast<std::uint32_t>(scheduler_.wallClockSeconds()));
    testMode_ = PacketTestMode::Idle;
    resultsValid_ = false;
    results_.clear();
    listReady_ = false;
    listSingleShown_ = false;
    listMaxShown_ = 0;
    Clear();
    RegisterPorts(false);
    numberBox_ = settings_.numberOfPackets;
    view_->ShowNumberOfPackets(numberBox_);
    SelectRatioIndex(settings_.ratioIndex);
    SetDelay(std::clamp<std::int32_t>(settings_.packetDelaySetting, 0, 40));
    option_ = IsPacketOption(settings_.savedMode) ? settings_.savedMode : PacketTestMode::Host;
    listReady_ = true;
    lastPrimaryRxBytes_ = primary_.GetRxBytes();
    lastSecondaryRxBytes_ = secondary_.GetRxBytes();
    hostTxData_.assign(kPacketBufferSize, 0);
    remoteTxData_.assign(kPacketBufferSize, 0);
    timerLED_->setEnabled(true);
}

void PacketTestEngine::Unload() {
    if (!view_) return;
    testMode_ = PacketTestMode::Idle;
    primary_.DeRegisterForAll(this);
    secondary_.DeRegisterForAll(this);
    StopTimers();
    timerLED_->setEnabled(false);
    settings_.numberOfPackets = numberBox_;
    settings_.savedMode = option_;
    results_.clear();
    hostTxData_.clear();
    remoteTxData_.clear();
    view_ = nullptr;
}

std::int32_t PacketTestEngine::Handshake(const classComm& port) const {
    const std::int32_t m = port.settings().txModeValue;
    if (m == 4 || m == 5) return 4;
    if (m == 2 || m == 3) return 2;
    return 0;
}

void PacketTestEngine::Activate() {
    if (!view_) return;
    primaryHandshake_ = Handshake(primary_);
    secondaryHandshake_ = Handshake(secondary_);
    // A refused setting has shown its own box; the exchange goes on regardless.
    (void)primary_.OverrideHandshaking(primaryHandshake_);
    (void)secondary_.OverrideHandshaking(secondaryHandshake_);
    (void)primary_.RestoreSettings(flags_.engineerMode);
    (void)secondary_.RestoreSettings(flags_.engineerMode);
    FillBytesPerPacketList();
}

void PacketTestEngine::FillBytesPerPacketList() {
    const int dataBits =
        std::min(primary_.settings().portSettings.dataBits, secondary_.settings().portSettings.dataBits);
    const auto list = BytesPerPacketList(flags_.engineerMode, single_, dataBits);
    const int maxBytes = list.empty() ? 0 : list.back();
    int wanted = single_
                     ? settings_.dataBytesIndex
                     : (sweepEdit_ == SweepEdit::stop ? settings_.dataBytesStopIndex : settings_.dataBytesStartIndex);
    if (!listReady_ || (single_ == listSingleShown_ && maxBytes == listMaxShown_)) return;
    listSingleShown_ = single_;
    listMaxShown_ = maxBytes;
    bytesList_ = list;
    if (wanted < 0) wanted = 0;
    if (wanted >= static_cast<int>(bytesList_.size())) wanted = static_cast<int>(bytesList_.size()) - 1;
    if (view_) view_->ShowBytesList(bytesList_, wanted);
    SelectBytesIndex(wanted);
}

void PacketTestEngine::SelectOption(PacketTestMode option) {
    if (!IsPacketOption(option)) return;
    option_ = option;
    FillBytesPerPacketList();
}

void PacketTestEngine::SelectSingle(bool single) {
    single_ = single;
    if (single) {
        FillBytesPerPacketList();
        SetDelay(settings_.packetDelaySetting);
    } else {
        ShowStoredResult();
        FillBytesPerPacketList();
        SetDelay(sweepEdit_ == SweepEdit::stop ? settings_.packetDelayStop : settings_.packetDelayStart);
    }
    if (view_) view_->SetResumeEnabled(false);
}

void PacketTestEngine::SelectSweepEdit(SweepEdit edit) {
    sweepEdit_ = edit;
    if (edit == SweepEdit::testing) return;
    const int index = edit == SweepEdit::start ? settings_.dataBytesStartIndex : settings_.dataBytesStopIndex;
    const int entry = std::min(index, static_cast<int>(bytesList_.size()) - 1);
    if (view_) view_->ShowBytesList(bytesList_, entry);
    SelectBytesIndex(entry);
    SetDelay(edit == SweepEdit::start ? settings_.packetDelayStart : settings_.packetDelayStop);
}

void PacketTestEngine::SelectBytesIndex(int index) {
    bytesSelected_ = std::clamp(index, 0, std::max(0, static_cast<int>(bytesList_.size()) - 1));
    packetBytes_ = SelectedBytes();
    ShowStoredResult();
    if (!MayStart()) return;
    if (single_) settings_.dataBytesIndex = static_cast<std::int16_t>(bytesSelected_);
    else if (sweepEdit_ == SweepEdit::start) settings_.dataBytesStartIndex = static_cast<std::int16_t>(bytesSelected_);
    else if (sweepEdit_ == SweepEdit::stop) settings_.dataBytesStopIndex = static_cast<std::int16_t>(bytesSelected_);
}

void PacketTestEngine::SelectRatioIndex(int index) {
    static const int ratios[] = {1, 2, 4, 8, 16};
    index = std::clamp(index, 0, 4);
    settings_.ratioIndex = static_cast<std::int16_t>(index);
    ratio_ = ratios[index];
}

void PacketTestEngine::SetDelay(std::int32_t quarters) {
    quarters = std::clamp(quarters, 0, 40);
    packetDelayQuarters_ = quarters;
    if (view_) view_->ShowDelay(quarters);
    ShowStoredResult();
    if (!MayStart()) return;
    if (single_) settings_.packetDelaySetting = static_cast<std::int16_t>(quarters);
    else if (sweepEdit_ == SweepEdit::start) settings_.packetDelayStart = static_cast<std::int16_t>(quarters);
    else if (sweepEdit_ == SweepEdit::stop) settings_.packetDelayStop = static_cast<std::int16_t>(quarters);
}

void PacketTestEngine::ShowCounters() {
    if (view_) view_->ShowCounters(currentResult_);
}

void PacketTestEngine::ShowPercentages() {
    if (!view_) return;
    const auto& r = currentResult_;
    view_->ShowPercentages(PercentText(r.remoteRx, r.hostTx), PercentText(r.hostRx, r.remoteTx),
                           PercentText(r.hostRx, r.hostTx));
}

void PacketTestEngine::Clear() {
    currentResult_.hostTx = currentResult_.remoteRx = currentResult_.remoteTx = currentResult_.hostRx = 0;
    currentResult_.ctsFailures = 0;
    if (!view_) return;
    view_->ShowCounters(currentResult_);
    view_->ShowPercentages("0.000 %", "0.000 %", "0.000 %");
    view_->ShowTiming("0", "0", "0", "0");
    view_->SetResumeEnabled(false);
}

void PacketTestEngine::StopTimers() {
    timerTestTx_->setEnabled(false);
    timerTestRx_->setEnabled(false);
    timerResponse_->setEnabled(false);
}

// ---- Start, Resume, the sweep ----

void PacketTestEngine::Start() {
    if (!view_ || !MayStart()) return;
    Clear();
    if (single_) {
        currentBytesIndex_ = settings_.dataBytesIndex;
        currentDelay_ = settings_.packetDelaySetting;
    } else {
        sweepEdit_ = SweepEdit::testing;
        view_->ShowSweepEdit(sweepEdit_);
        if (numberBox_ == 0) {
            numberBox_ = 100000;
            view_->ShowNumberOfPackets(numberBox_);
        }
        if (settings_.packetDelayStop < settings_.packetDelayStart)
            settings_.packetDelayStop = settings_.packetDelayStart;
        currentDelay_ = sweepDelayFirst_ = settings_.packetDelayStart;
        sweepDelayLast_ = settings_.packetDelayStop;
        SetDelay(currentDelay_);
        if (settings_.dataBytesStopIndex < settings_.dataBytesStartIndex)
            settings_.dataBytesStopIndex = settings_.dataBytesStartIndex;
        currentBytesIndex_ = sweepBytesFirst_ = settings_.dataBytesStartIndex;
        sweepBytesLast_ = settings_.dataBytesStopIndex;
        const int entry = std::min(currentBytesIndex_, static_cast<int>(bytesList_.size()) - 1);
        view_->ShowBytesList(bytesList_, entry);
        SelectBytesIndex(entry);
        resultsValid_ = true;
        results_.clear();
        sweepPackets_ = numberBox_;
    }
    view_->SetRunning(true, false);
    RegisterPorts(UsesSecondaryPort(option_));
    if (UsesSecondaryPort(option_)) {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)secondary_.OverrideHandshaking(secondaryHandshake_);
        (void)secondary_.RestoreSettings(flags_.engineerMode);
    }
    StartTest();
}

void PacketTestEngine::Resume() {
    if (!view_ || !MayStart()) return;
    if (single_) {
        currentBytesIndex_ = settings_.dataBytesIndex;
        currentDelay_ = settings_.packetDelaySetting;
    } else {
        testMode_ = PacketTestMode::ResumeSearch;
        sweepEdit_ = SweepEdit::testing;
        view_->ShowSweepEdit(sweepEdit_);
        bool found = false;
        for (std::int32_t d = sweepDelayFirst_; d <= sweepDelayLast_ && !found; ++d) {
            for (int b = sweepBytesFirst_; b <= sweepBytesLast_ && !found; ++b) {
                const PacketTestResult* cell = StoredResult(d, b);
                const double sent = cell ? cell->hostTx : 0;
                if (sent < sweepPackets_) {
                    found = true;
                    currentResult_ = cell ? *cell : PacketTestResult{};
                    currentDelay_ = d;
                    currentBytesIndex_ = b;
                }
            }
        }
        if (!found) {
            testMode_ = PacketTestMode::Idle;
            return;
        }
        if (numberBox_ == 0) {
            numberBox_ = 100000;
            view_->ShowNumberOfPackets(numberBox_);
        }
        SetDelay(currentDelay_);
        const int entry = std::min(currentBytesIndex_, static_cast<int>(bytesList_.size()) - 1);
        view_->ShowBytesList(bytesList_, entry);
        SelectBytesIndex(entry);
        ShowCounters();
        ShowPercentages();
    }
    view_->SetRunning(true, false);
    RegisterPorts(UsesSecondaryPort(option_));
    StartTest();
}

void PacketTestEngine::StoreStep() {
    currentResult_.packetDelay = currentDelay_;
    currentResult_.bytesPerPacket =
        bytesList_.empty() ? 0 : bytesList_[static_cast<std::size_t>(std::clamp(currentBytesIndex_, 0, static_cast<int>(bytesList_.size()) - 1))];
    if (resultsValid_ && currentDelay_ >= sweepDelayFirst_ && currentDelay_ <= sweepDelayLast_ &&
        currentBytesIndex_ >= sweepBytesFirst_ && currentBytesIndex_ <= sweepBytesLast_)
        results_[{currentDelay_, currentBytesIndex_}] = currentResult_;
}

const PacketTestResult* PacketTestEngine::StoredResult(std::int32_t delay, int bytesIndex) const {
    const auto it = results_.find({delay, bytesIndex});
    return it == results_.end() ? nullptr : &it->second;
}

void PacketTestEngine::ShowStoredResult() {
    if (single_ || !view_) return;
    PacketTestResult shown;
    if (resultsValid_ && packetDelayQuarters_ >= sweepDelayFirst_ && packetDelayQuarters_ <= sweepDelayLast_ &&
        bytesSelected_ >= sweepBytesFirst_ && bytesSelected_ <= sweepBytesLast_) {
        if (const auto* cell = StoredResult(packetDelayQuarters_, bytesSelected_)) shown = *cell;
    }
    view_->ShowCounters(shown);
    view_->ShowPercentages(PercentText(shown.remoteRx, shown.hostTx), PercentText(shown.hostRx, shown.remoteTx),
                           PercentText(shown.hostRx, shown.hostTx));
}

void PacketTestEngine::StepAdvance() {
    StoreStep();
    ++currentBytesIndex_;
    if (currentBytesIndex_ > sweepBytesLast_) {
        ++currentDelay_;
        if (currentDelay_ > sweepDelayLast_) {
            --currentDelay_;
            --currentBytesIndex_;
            StopTest(false);
            return;
        }
        currentBytesIndex_ = sweepBytesFirst_;
    }
    Clear();
    SetDelay(currentDelay_);
    const int entry = std::min(currentBytesIndex_, static_cast<int>(bytesList_.size()) - 1);
    if (view_) view_->ShowBytesList(bytesList_, entry);
    SelectBytesIndex(entry);
    StartTest();
}

// ---- the engine ----

void PacketTestEngine::StartTest() {
    const std::int32_t maskP = (1 << primary_.settings().portSettings.dataBits) - 1;
    const std::int32_t maskS = (1 << secondary_.settings().portSettings.dataBits) - 1;
    remoteReplyOpcode_ = static_cast<std::int16_t>(maskP & 0xC8);
    // Each opcode is computed from the port that receives it: host packets arrive on the
    // secondary port only in the two-port and one-way modes.
    const bool secondaryReceives = UsesSecondaryPort(option_);
    hostPacketOpcode_ = static_cast<std::int16_t>((secondaryReceives ? maskS : maskP) & 0xC9);
    settings_.numberOfPackets = numberBox_;
    packetBytes_ = SelectedBytes();
    pacing_ = ComputePacketPacing(packetBytes_, primary_.GetBytesPerSecond(), secondary_.GetBytesPerSecond(),
                                  settings_.timeFactor, packetDelayQuarters_, ratio_, option_);
    if (view_)
        view_->ShowTiming(std::to_string(pacing_.calculatedTicksShown), std::to_string(pacing_.hostIntervalTicks),
                          "0.00", "0");
    testMode_ = option_;
    if (testMode_ == PacketTestMode::Remote) return;
    SendHostPacket();
}

void PacketTestEngine::SendHostPacket() {
    ShowPercentages();
    if (EndIfStopping()) return;
    if (EndIfPortLost()) return;
    if (!HostSends()) return;
    if (ActiveChild()) {
        auto& r = currentResult_;
        if (r.hostTx >= kPacketCounterLimit) {
            StopTest(false);
            return;
        }
        const double limit = single_ ? settings_.numberOfPackets : sweepPackets_;
        if (limit > 0 && r.hostTx >= limit) {
            if (single_) StopTest(false);
            else StepAdvance();
            return;
        }
        const int letter = 65 + static_cast<int>(std::fmod(r.hostTx, 26.0));
        r.hostTx += 1;
        ShowCounters();
        int n = packetBytes_ - (flags_.engineerMode ? 5 : 4);
        if (n < 0) n = 0;
        n = std::min<int>(n, static_cast<int>(hostTxData_.size()));
        const std::int16_t sync = primary_.GetCompensatedSyncChar();
        const std::int16_t esc = primary_.GetCompensatedEscChar();
        std::uniform_int_distribution<int> draw(0, (1 << primary_.settings().portSettings.dataBits) - 1);
        for (int i = 0; i < n; ++i) {
            int value = asciiMode_ ? letter : draw(random_);
            if (value == sync || value == esc) {
                if (i < n - 1) --n;
                else value = 0;
            }
            hostTxData_[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(value);
        }
        hostTxLength_ = static_cast<std::int16_t>(n);
        // Its size is within a frame's limits; a frame refused anyway shows as a lost packet.
        (void)primary_.SendOpcodeAndDataMessage(hostPacketOpcode_, hostTxData_.data(), hostTxLength_, primaryHandshake_);
        if (turnAround_) primary_.SendString(std::string(static_cast<std::size_t>(packetBytes_), 'U'), primaryHandshake_);
        sendTime_ = static_cast<float>(scheduler_.secondsSinceMidnight());
    }
    timerTestTx_->setEnabled(false);
    txTicksLeft_ = pacing_.hostIntervalTicks;
    timerTestTx_->setEnabled(true);
    replyReceived_ = false;
    timerResponse_->setEnabled(false);
    responseTicksLeft_ = GetResponseTicks(pacing_.hostIntervalTicks);
    timerResponse_->setEnabled(true);
}

void PacketTestEngine::RxDecodedData(std::uint16_t rxOpCode, std::int16_t rxLength,
                                     std::span<const std::uint8_t> rxData) {
    if (EndIfPortLost()) return;
    const bool host = rxOpCode == static_cast<std::uint16_t>(hostPacketOpcode_);
    const bool reply = rxOpCode == static_cast<std::uint16_t>(remoteReplyOpcode_);
    switch (testMode_) {
        case PacketTestMode::Remote:
            if (host) HandleRemotePacket(rxData, rxLength);
            break;
        case PacketTestMode::Host:
        case PacketTestMode::HostStopping:
            if (reply) CheckHostReply(rxData, rxLength);
            break;
        case PacketTestMode::YCable:
        case PacketTestMode::YCableStopping:
        case PacketTestMode::OneWay:
        case PacketTestMode::OneWayStopping:
            if (host) CheckHostReply(rxData, rxLength);
            break;
        case PacketTestMode::TwoPorts:
        case PacketTestMode::TwoPortsStopping:
            if (host) HandleRemotePacket(rxData, rxLength);
            else if (reply) CheckHostReply(rxData, rxLength);
            break;
        default:
            break;
    }
}

void PacketTestEngine::CheckHostReply(std::span<const std::uint8_t> rxData, std::int16_t rxLength) {
    replyReceived_ = true;
    auto& r = currentResult_;
    if (r.hostRx >= kPacketCounterLimit) {
        StopTest(false);
        return;
    }
    // Good only when as long as the packet and equal in every value.
    bool good = rxLength == hostTxLength_ && static_cast<std::size_t>(rxLength) <= rxData.size();
    for (int i = 0; good && i < rxLength; ++i)
        good = rxData[static_cast<std::size_t>(i)] == hostTxData_[static_cast<std::size_t>(i)];
    if (good) {
        r.hostRx += 1;
        ShowCounters();
        const float replyTime = static_cast<float>(scheduler_.secondsSinceMidnight()) - sendTime_;
        sendTime_ = replyTime;
        if (view_)
            view_->ShowTiming(std::to_string(pacing_.calculatedTicksShown), std::to_string(pacing_.hostIntervalTicks),
                              FixedText(replyTime, 2), std::to_string(NearestEven(replyTime / 0.125)));
    }
    ShowPercentages();
    if (EndIfStopping()) return;
    if (HostSends()) {
        timerResponse_->setEnabled(false);
        if (pacing_.sendOnReply) {
            timerTestTx_->setEnabled(false);
            SendHostPacket();
        } else if (txTicksLeft_ == 0) {
            txTicksLeft_ = 1;
        }
    }
}

void PacketTestEngine::HandleRemotePacket(std::span<const std::uint8_t> rxData, std::int16_t rxLength) {
    auto& r = currentResult_;
    r.remoteRx += 1;
    ShowCounters();
    if (r.remoteRx >= kPacketCounterLimit) {
        StopTest(false);
        return;
    }
    if (!ActiveChild()) return;
    const int n = std::clamp<int>(rxLength, 0, static_cast<int>(std::min(rxData.size(), remoteTxData_.size())));
    for (int i = 0; i < n; ++i) remoteTxData_[static_cast<std::size_t>(i)] = rxData[static_cast<std::size_t>(i)];
    remoteReplyLength_ = static_cast<std::int16_t>(n);
    timerTestRx_->setEnabled(false);
    if (pacing_.remoteDelayTicks != 0) {
        remoteDelayTicksLeft_ = pacing_.remoteDelayTicks;
        timerTestRx_->setEnabled(true);
    } else {
        SendRemoteReply();
    }
}

void PacketTestEngine::SendRemoteReply() {
    if (testMode_ == PacketTestMode::Remote || testMode_ == PacketTestMode::TwoPorts || testMode_ == PacketTestMode::TwoPortsStopping)
        SendRemotePacket();
}

void PacketTestEngine::SendRemotePacket() {
    if (!ActiveChild() || EndIfPortLost()) return;
    auto& r = currentResult_;
    r.remoteTx += 1;
    ShowCounters();
    if (r.remoteTx >= kPacketCounterLimit) {
        StopTest(false);
        return;
    }
    classComm& port = testMode_ == PacketTestMode::Remote ? primary_ : secondary_;
    const std::int32_t hs = testMode_ == PacketTestMode::Remote ? primaryHandshake_ : secondaryHandshake_;
    // Its size is within a frame's limits; a frame refused anyway shows as a lost packet.
    (void)port.SendOpcodeAndDataMessage(remoteReplyOpcode_, remoteTxData_.data(), remoteReplyLength_, hs);
    if (turnAround_)
        port.SendString(std::string(static_cast<std::size_t>(remoteReplyLength_ + (flags_.engineerMode ? 5 : 4)), 'U'), hs);
}

void PacketTestEngine::TxTick() {
    if (txTicksLeft_ == 0) return;
    if (--txTicksLeft_ == 0 && replyReceived_) SendHostPacket();
}

void PacketTestEngine::ResponseTick() {
    if (responseTicksLeft_ == 0) return;
    if (--responseTicksLeft_ == 0) SendHostPacket();
}

void PacketTestEngine::RemoteTick() {
    if (remoteDelayTicksLeft_ == 0) return;
    if (--remoteDelayTicksLeft_ == 0) {
        timerTestRx_->setEnabled(false);
        SendRemoteReply();
    }
}

void PacketTestEngine::StopTest(bool paused) {
    if (testMode_ == PacketTestMode::Idle) return;
    switch (testMode_) {
        case PacketTestMode::Remote:
            testMode_ = PacketTestMode::Idle;
            StopTimers();
            break;
        case PacketTestMode::Host:
        case PacketTestMode::YCable:
        case PacketTestMode::OneWay:
            testMode_ = StoppingModeOf(testMode_);
            timerTestRx_->setEnabled(false);
            break;
        case PacketTestMode::TwoPorts:
            testMode_ = StoppingModeOf(testMode_);
            break;
        default:
            break;
    }
    if (!single_) StoreStep();
    if (view_) view_->SetRunning(false, paused);
}

void PacketTestEngine::RxCtsChange(bool ctsFlag) {
    if (ctsFlag || primaryHandshake_ == 2 || testMode_ == PacketTestMode::Idle || testMode_ == PacketTestMode::ResumeSearch) return;
    if (currentResult_.ctsFailures >= kPacketCounterLimit) return;
    currentResult_.ctsFailures += 1;
    ShowCounters();
}

void PacketTestEngine::TxCtsTimeout() { StopTest(true); }

void PacketTestEngine::IndicatorTick() {
    if (!view_) return;
    // A remote waiting for packets has no send of its own to notice a loss at.
    EndIfPortLost();
    auto blink = [](double now, double& last, bool& led) {
        if (now != last) {
            last = now;
            led = !led;
        } else {
            led = false;
        }
    };
    if (option_ == PacketTestMode::Remote) {
        blink(primary_.GetRxBytes(), lastSecondaryRxBytes_, remoteLed_);
        hostLed_ = false;
    } else {
        blink(primary_.GetRxBytes(), lastPrimaryRxBytes_, hostLed_);
        blink(secondary_.GetRxBytes(), lastSecondaryRxBytes_, remoteLed_);
    }
    view_->ShowIndicators(hostLed_, remoteLed_);
}

// ---- the result file ----

void PacketTestEngine::Save(Dialogs& dialogs, const std::string& programFolder) {
    if (settings_.packetTestFile.empty()) settings_.packetTestFile = JoinPath(programFolder, "PacktTst.txt");
    constexpr const char* kTitle = "Save Packet Test File As";
    if (!ChooseSaveFile(dialogs, TextFileRequest(kTitle), settings_.packetTestFile, programFolder)) return;
    const std::optional<FileSaveMode> mode =
        AskOverwriteOrAppend(dialogs, settings_.packetTestFile,
                             settings_.packetTestFile +
                                 " already exists!\r\nClick Yes to Over-Write.\r\n"
                                 "Click No to Append data to end of file.\r\nClick Cancel to do nothing.",
                             kTitle);
    if (!mode) return;
    const bool append = *mode == FileSaveMode::Append;
    const std::tm local = LocalTimeOf(scheduler_.wallClockSeconds()).value_or(std::tm{});
    char hhmmss[16], date[16];
    std::strftime(hhmmss, sizeof hhmmss, "%H:%M:%S", &local);
    std::strftime(date, sizeof date, "%m/%d/%Y", &local);
    auto describe = [](const classComm& p) {
        return PortDescription{p.settings().portSettings.baudRate, p.settings().portSettings.dataBits,
                               std::string(1, p.settings().portSettings.parity), p.settings().portSettings.stopBits,
                               p.settings().txModeValue};
    };
    std::string text = ResultFileHeader(flags_.engineerMode, hhmmss, date, describe(primary_), describe(secondary_));
    if (!single_ && resultsValid_) {
        for (int b = sweepBytesFirst_; b <= sweepBytesLast_; ++b)
            for (std::int32_t d = sweepDelayFirst_; d <= sweepDelayLast_; ++d)
                if (const auto* cell = StoredResult(d, b); cell && cell->bytesPerPacket != 0)
                    text += FormatResultLine(*cell, flags_.engineerMode) + "\r\n";
    } else {
        PacketTestResult r = currentResult_;
        r.packetDelay = currentDelay_;
        r.bytesPerPacket = bytesList_.empty() ? 0 : bytesList_[static_cast<std::size_t>(std::clamp(currentBytesIndex_, 0, static_cast<int>(bytesList_.size()) - 1))];
        text += FormatResultLine(r, flags_.engineerMode) + "\r\n";
    }
    // The closing line is CR LF written as a line of its own: two empty lines end the block.
    text += "\r\n\r\n";
    std::ofstream out(settings_.packetTestFile,
                      append ? std::ios::binary | std::ios::app : std::ios::binary | std::ios::trunc);
    if (out) out << text;
    if (out) out.close();
    // A result that did not reach the file is said so, not passed over.
    if (!out)
        dialogs.messageBox("Could not write " + settings_.packetTestFile, "Save Packet Test File As", MsgButtons::OK,
                           MsgIcon::Exclamation);
}

}  // namespace k45
