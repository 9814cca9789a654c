#include "diagnostics/diag_simulator.h"

#include <cstdio>

#include "base/converters.h"
#include "base/hex_text.h"
#include "base/utilities.h"
#include "model/app_state.h"
#include "params/parameter_image.h"
#include "platform/dialogs.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"
#include "serial/srecord_codec.h"

namespace k45 {

namespace {

constexpr std::int32_t kTxMode = 7;
constexpr const char* kCrLf = "\r\n";
constexpr const char* kPattern = "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789";

std::int16_t Low8(std::int32_t v) { return static_cast<std::int16_t>(v & 255); }

}  // namespace

void SimChannel::Step() {
    current = static_cast<std::int16_t>(current + 1);
    if (current > end) current = start;
}

void SimState::StepId() {
    // Back to the start past the end (never round through 0 after the last ID).
    currentId = currentId >= endId ? startId : currentId + 1;
}

void SimState::StepChannels() {
    for (auto& c : channels) c.Step();
}

std::string SimAckLine() { return std::string("R80200FD") + kCrLf; }
std::string SimEndLine() { return std::string("R9030000FC") + kCrLf; }

std::string SimDataRecordLine(std::int32_t address, const std::vector<std::int16_t>& bytes) {
    const auto body = MessSRecord(address, std::span<const std::int16_t>(bytes));
    return "R1" + body.value_or(std::string()) + kCrLf;
}

std::string SimValueRecordLine(std::int16_t value) {
    const int v = value & 255;
    return "R803" + ByteToHex2(0) + ByteToHex2(v) + ByteToHex2((255 - (3 + v)) & 255) + kCrLf;
}

std::string SimVersionLine() { return std::string("K-45MR: V2.00  Copyright(C) 2026 K45 Modem Makers") + kCrLf; }

std::string SimPatternHeaderLine() {
    return std::string(10, ' ') + "ASCII DATA TEST" + std::string(5, ' ') + "K45 Test Pattern V1" +
           std::string(21, ' ') + kCrLf + kCrLf;
}

std::string SimPatternLine(std::int16_t number) {
    char buf[16];
    std::snprintf(buf, sizeof buf, " %03d  ", static_cast<int>(number));
    return buf + std::string(kPattern) + kCrLf;
}

std::array<std::int16_t, kOnlinePacketSize> BuildOnlinePacket(std::uint32_t longId, std::int16_t rssi, std::int16_t temp,
                                                             std::int16_t batt, std::int16_t fwd, std::int16_t rev) {
    const LongIdParts id = SplitLongId(longId);
    std::array<std::int16_t, kOnlinePacketSize> p{};
    p[0] = static_cast<std::int16_t>(1 + (id.isLong ? 16 : 0) + ((id.shortId & 256) ? 32 : 0) + ((id.shortId & 512) ? 64 : 0));
    p[1] = Low8(id.shortId);
    p[2] = Low8(rssi);
    p[3] = Low8(temp);
    p[4] = Low8(batt);
    p[5] = 0;
    p[6] = Low8(fwd);
    p[7] = Low8(rev);
    int sum = 0;
    for (int i = 0; i < 8; ++i) sum = (sum - p[static_cast<std::size_t>(i)]) & 255;
    p[8] = static_cast<std::int16_t>(sum);
    return p;
}

DiagSimulator::DiagSimulator(DialogueLinks links, Scheduler& scheduler, DiagSimulatorView& view)
    : app_{links.modes, links.records, links.services, links.services.dialogs},
      ports_(links.ports),
      view_(view),
      timerTestTx_(scheduler.createTimer()),
      timerActive_(scheduler.createTimer()) {
    timerTestTx_->setHandler([this] { SendOnlinePacket(); });
    timerActive_->setInterval(kSimWaitMs);
    timerActive_->setHandler([this] { SendOnlinePacket(); });
}

// The window takes it off the ports it has then: the ones chosen earlier may be gone.
DiagSimulator::~DiagSimulator() = default;

void DiagSimulator::SelectPort(bool useSecondary) {
    classComm* chosen = useSecondary ? ports_.classCommSecondary : ports_.classCommPrimary;
    classComm* other = useSecondary ? ports_.classCommPrimary : ports_.classCommSecondary;
    if (other) other->DeRegisterForAll(this);
    port_ = chosen;
    if (port_) {
        port_->RegisterForTxComplete(this);
        port_->RegisterForRxCrLf(this);
    }
}

void DiagSimulator::DeRegisterAll() {
    for (classComm* p : {ports_.classCommPrimary, ports_.classCommSecondary})
        if (p) p->DeRegisterForAll(this);
    port_ = nullptr;
}

void DiagSimulator::Load() {
    load_.Begin();
    state_.testState = SimTestState::Idle;
    state_.packetsSent = 0;
}

void DiagSimulator::Unload() {
    load_.End();
    state_.testState = SimTestState::Idle;
    timerTestTx_->setEnabled(false);
    timerActive_->setEnabled(false);
    DeRegisterAll();
}

void DiagSimulator::Activate() {
    if (port_) {
        // A refused setting has shown its own box; the exchange goes on regardless.
        (void)port_->RestoreHandshaking();
        (void)port_->RestoreSettings(false);
    }
    if (timerTestTx_->enabled()) {
        timerTestTx_->setEnabled(false);
        timerTestTx_->setEnabled(true);
    }
    state_.simParameters = app_.records.mainParameters;
    // The dump reports the same unit the statistics call the master.
    state_.simParameters.serialNumber = state_.masterId;
}

void DiagSimulator::ResetSimulation() {
    state_.currentId = state_.startId;
    for (auto& c : state_.channels) c.current = c.start;
    state_.packetsSent = 0;
    state_.patternLinesLeft = 0;  // lines owed to an earlier request are dropped
    state_.simParameters.serialNumber = state_.masterId;
    ShowCount();
}

void DiagSimulator::Start(const SimSettings& s) {
    if (state_.testState != SimTestState::Idle) return;
    state_.packetDelay = s.packetDelay;
    timerTestTx_->setInterval(s.packetDelay);
    state_.packetsToSend = s.packetsToSend;
    state_.masterId = s.masterId;
    state_.startId = s.startId;
    state_.endId = s.endId;
    for (std::size_t i = 0; i < state_.channels.size(); ++i) {
        state_.channels[i].start = s.starts[i];
        state_.channels[i].end = s.ends[i];
    }
    ResetSimulation();
    if (s.online) {
        state_.testState = SimTestState::Online;
        SendOnlinePacket();
        if (state_.testState == SimTestState::Online && state_.packetDelay != 0) timerTestTx_->setEnabled(true);
    } else {
        state_.testState = SimTestState::Offline;
    }
}

void DiagSimulator::Stop() {
    if (state_.testState == SimTestState::Idle) return;
    state_.testState = SimTestState::Idle;
    state_.patternLinesLeft = 0;
    timerTestTx_->setEnabled(false);
    timerActive_->setEnabled(false);
    view_.TestStopped();
}

void DiagSimulator::Clear() { ResetSimulation(); }

bool DiagSimulator::waitTimerOn() const { return timerActive_->enabled(); }

void DiagSimulator::ShowCount() { view_.ShowPacketsSent(state_.packetsSent); }

void DiagSimulator::Send(const std::string& text) {
    if (port_) port_->SendString(text, kTxMode);
}

void DiagSimulator::SendOnlinePacket() {
    if (state_.testState != SimTestState::Online) return;
    if (!view_.IsActiveChild() || view_.PauseTicked()) {
        timerActive_->setEnabled(true);
        return;
    }
    if ((state_.packetsToSend > 0 && state_.packetsSent >= state_.packetsToSend) || state_.packetsSent >= kSimCountLimit) {
        Stop();
        return;
    }
    state_.packetsSent += 1;
    ShowCount();
    timerActive_->setEnabled(false);
    const auto& ch = state_.channels;
    const auto packet = BuildOnlinePacket(state_.currentId, ch[simRssi].current, ch[simTemp].current,
                                          ch[simBatt].current, ch[simFwdPwr].current, ch[simRevPwr].current);
    if (port_) port_->SendBuffer(packet.data(), kOnlinePacketSize, kTxMode);
    state_.StepId();
    state_.StepChannels();
}

void DiagSimulator::TxComplete() {
    if (state_.testState == SimTestState::Offline) {
        if (state_.patternLinesLeft != 0) {
            state_.patternLinesLeft = static_cast<std::int16_t>(state_.patternLinesLeft - 1);
            Send(SimPatternLine(static_cast<std::int16_t>(state_.patternLinesLeft + 1)));
        }
    } else if (state_.testState == SimTestState::Online && state_.packetDelay == 0) {
        SendOnlinePacket();
    }
}

bool DiagSimulator::ReplyAllowed(bool alsoOnline) {
    if (view_.PauseTicked()) return false;
    if (alsoOnline ? state_.testState == SimTestState::Idle : state_.testState != SimTestState::Offline) return false;
    timerActive_->setEnabled(false);
    return true;
}

bool DiagSimulator::CountReply() {
    if (state_.packetsSent >= kSimCountLimit) {
        Stop();
        return false;
    }
    state_.packetsSent += 1;
    ShowCount();
    return true;
}

void DiagSimulator::SendEndReplies() {
    if (!ReplyAllowed(true)) return;
    Send(SimEndLine());
    Send(SimAckLine());
}

void DiagSimulator::AnswerDiagnostics() {
    if (!ReplyAllowed(false) || !CountReply()) return;
    auto& ch = state_.channels;
    std::vector<std::int16_t> bytes;
    for (int set = 0; set < 3; ++set) {
        const std::int16_t values[10] = {30, 20, Low8(ch[simBatt].current), 50, 0, 50, Low8(ch[simTemp].current),
                                         Low8(ch[simRssi].current), Low8(ch[simFwdPwr].current),
                                         Low8(ch[simRevPwr].current)};
        bytes.insert(bytes.end(), values, values + 10);
    }
    state_.StepChannels();
    std::vector<std::int16_t> counters(12, 0);
    for (int i = 0; i < 3; ++i) PutLongBigEndian(counters, state_.packetsSent, 4 * i);
    Send(SimDataRecordLine(4000, {bytes.begin(), bytes.begin() + 16}));
    Send(SimDataRecordLine(4016, {bytes.begin() + 16, bytes.end()}));
    Send(SimDataRecordLine(6000, counters));
    SendEndReplies();
}

void DiagSimulator::AnswerNetworkStats() {
    if (!ReplyAllowed(false) || !CountReply()) return;
    std::vector<std::int16_t> bytes;
    for (int e = 0; e < 16; ++e) {
        const LongIdParts id = SplitLongId(e == 0 ? state_.masterId : state_.currentId);
        const auto& ch = state_.channels;
        const std::int16_t entry[9] = {static_cast<std::int16_t>(id.isLong ? 255 : 127),
                                       static_cast<std::int16_t>(id.shortId / 256),
                                       Low8(id.shortId),
                                       Low8(ch[simRssi].current),
                                       Low8(ch[simTemp].current),
                                       Low8(ch[simBatt].current),
                                       0,
                                       Low8(ch[simFwdPwr].current),
                                       Low8(ch[simRevPwr].current)};
        bytes.insert(bytes.end(), entry, entry + 9);
        state_.StepChannels();
        if (e > 0) state_.StepId();
    }
    for (int r = 0; r < 9; ++r)
        Send(SimDataRecordLine(5000 + 16 * r, {bytes.begin() + 16 * r, bytes.begin() + 16 * (r + 1)}));
    SendEndReplies();
}

void DiagSimulator::AnswerVersion() {
    if (!ReplyAllowed(false)) return;
    Send(SimVersionLine());
    Send(SimAckLine());
}

void DiagSimulator::AnswerParameterDump() {
    if (!ReplyAllowed(true)) return;
    ParameterImage image{};
    ModemParameters record = state_.simParameters;
    if (const Outcome encoded = EncodeParameterImage(app_, app_, app_, image, record); !encoded.ok()) {
        const LoadToken::Value token = load_.Take();
        ShowMessage(app_.dialogs, encoded.problem());
        // The panel may have closed, or closed and opened again, under the box.
        if (!load_.Still(token)) return;
        // No layout: the header alone, as the modem would hold it.
        image.fill(0);
        image[0] = static_cast<std::uint8_t>(image::ClampByte(record.eepromVersion));
        image[1] = static_cast<std::uint8_t>(image::ClampByte(record.model));
        image[2] = static_cast<std::uint8_t>(image::ClampByte(record.romMajorVersion));
        image[3] = static_cast<std::uint8_t>(image::ClampByte(record.romMinorVersion));
    }
    for (int r = 0; r < 40; ++r)
        Send(SimDataRecordLine(16 * r, {image.begin() + 16 * r, image.begin() + 16 * (r + 1)}));
    SendEndReplies();
}

void DiagSimulator::AnswerRssi() {
    if (!ReplyAllowed(false)) return;
    Send(SimValueRecordLine(state_.channels[simRssi].current));
    state_.channels[simRssi].Step();
}

void DiagSimulator::AnswerChannelSwitch() {
    if (!ReplyAllowed(false)) return;
    Send(SimValueRecordLine(7));
}

void DiagSimulator::StartTestPattern(std::int16_t count) {
    if (!ReplyAllowed(false)) return;
    Send(SimAckLine());
    Send(SimPatternHeaderLine());
    state_.patternLinesLeft = count;
}

void DiagSimulator::RxCrLfData(const std::string& rxStr) {
    if (state_.testState == SimTestState::Idle) return;
    const std::size_t cr = rxStr.find('\r');
    std::string command = cr == std::string::npos ? std::string() : rxStr.substr(0, cr);
    const std::size_t rem = command.find("REM");
    if (rem != std::string::npos && command.size() >= rem + 11) command = command.substr(rem + 11);

    struct Word {
        const char* text;
        void (DiagSimulator::*answer)();
    };
    static const Word kWords[] = {
        {"AR", &DiagSimulator::SendEndReplies},     {"AS", &DiagSimulator::AnswerDiagnostics},
        {"NR", &DiagSimulator::SendEndReplies},     {"NS", &DiagSimulator::AnswerNetworkStats},
        {"AT", &DiagSimulator::AnswerDiagnostics},  {"?", &DiagSimulator::AnswerVersion},
        {"DE", &DiagSimulator::AnswerParameterDump}, {"RSSI", &DiagSimulator::AnswerRssi},
        {"CSWITCH", &DiagSimulator::AnswerChannelSwitch}, {"T0", &DiagSimulator::SendEndReplies},
    };
    for (const Word& w : kWords) {
        if (command == w.text) {
            (this->*w.answer)();
            return;
        }
    }
    const std::size_t psudo = command.find("PSUDO");
    if (psudo != std::string::npos) StartTestPattern(HexToByte(command.substr(psudo + 5, 2)));
    auto begins = [&](const char* word) { return command.rfind(word, 0) == 0; };
    if (begins("CHANNEL")) SendEndReplies();
    if (begins("BALANCE")) SendEndReplies();
    if (begins("TONE")) SendEndReplies();
    if (begins("T1") || begins("S1") || begins("S9")) SendEndReplies();
}

}  // namespace k45
