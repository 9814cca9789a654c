// Port object: the transmit path (DCD hold, keyed sends with the CTS waits, chunked output),
// transmit timing and the framed-message senders.
#include <algorithm>
#include <climits>
#include <cmath>

#include "base/utilities.h"
#include "platform/scheduler.h"
#include "platform/serial_device.h"
#include "serial/class_comm_internal.h"
#include "serial/tx_modes.h"

namespace k45 {

namespace {
const char* const kCtsTimeoutText = "CTS Timeout.  Make sure RTS and CTS are connected.";
const char* const kDcdTimeoutText = "DCD Timeout.  Can Not Transmit Data while Receiving Data (DCD is active).";
}  // namespace

std::int32_t classComm::SecondsToTicks(double seconds) const {
    const double t = RoundHalfEven(seconds * 20.0);
    // A wait shorter than one tick still lasts one: a count of 0 would mean no wait at all
    // and leave held text in the queue.
    if (!(t >= 1)) return 1;
    return t > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(t);
}

void classComm::BusyWait(double seconds) {
    const int ms = static_cast<int>(std::lround(seconds * 1000.0));
    if (ms > 0) scheduler_.wait(ms, false);
}

std::string classComm::TakeTxQueue() {
    std::string q;
    q.swap(txQueue_);
    return q;
}

// ---------------------------------------------------------------------------------------

std::int32_t classComm::SendString(const std::string& tmpStr, std::int32_t tmpTxMode) {
    if (!GetCommPortOpen()) {
        // A lost device has said so once; the sends of the windows still using it add nothing.
        // A port that has moved to another device since says it is not open.
        if (!LossToldForDevice()) ShowPortError("Com Port " + std::to_string(settings_.portNumber) + " Not Open!!");
        return 0;
    }
    if (tmpStr.empty()) return 0;
    if (!workingIgnoreDcd_ && dcdState_) {
        dcdWaitTicks_ = SecondsToTicks(settings_.dcdTimeoutTime);
        AppendTxQueue(tmpStr);
        dcdWaitTxMode_ = tmpTxMode;
        return 0;
    }
    if (!IsKeyedTxMode(tmpTxMode)) return OutputChunk(tmpStr);
    if (!rtsState_ && ctsState_) {
        ctsBusyTicks_ = SecondsToTicks(settings_.ctsTimeoutTime);
        AppendTxQueue(tmpStr);
        return 0;
    }
    return SendKeyed(tmpStr);
}

void classComm::EndKeying() {
    // Unkeying is best effort: a device without the lines keeps its levels, read back here.
    (void)commCtrl_->setRts(false, nullptr);
    rtsState_ = commCtrl_->rts();
    (void)commCtrl_->setHandshaking(TxModeTable(workingTxMode_).handshaking, nullptr);
    keyedSendActive_ = false;
}

std::int32_t classComm::SendKeyed(const std::string& text) {
    ctsBusyTicks_ = 0;
    if (!GetCommPortOpen()) return 0;
    std::string error;
    bool ok = commCtrl_->setRts(true, &error);
    rtsState_ = commCtrl_->rts();
    ok = commCtrl_->setHandshaking(2, &error) && ok;
    if (!ok) {
        ResetPort();
        EndKeying();
        return 0;
    }
    keyedSendActive_ = true;
    if (commCtrl_->cts()) {
        ctsWaitTicks_ = 0;
        ctsBusyTicks_ = 0;
        return OutputChunk(text);
    }
    ctsWaitTicks_ = SecondsToTicks(settings_.ctsTimeoutTime);
    AppendTxQueue(text);
    return 0;
}

std::int32_t classComm::OutputChunk(const std::string& text) {
    std::string all = TakeTxQueue();
    all += text;
    if (!GetCommPortOpen()) return 0;
    const long long waiting = commCtrl_->outputCount();
    const long long room = static_cast<long long>(txChunkSize_) - waiting;
    const size_t n = room <= 0 ? 0 : std::min(all.size(), static_cast<size_t>(room));
    if (n < all.size()) AppendTxQueue(all.substr(n));
    if (n == 0) return 0;
    all.resize(n);
    std::string error;
    if (!commCtrl_->write(all, &error)) {
        // The refused part is lost and not counted as sent.
        ShowPortError("Could Not Send Data For Com Port " + std::to_string(settings_.portNumber) + "\r\n" + error);
        return 0;
    }
    AddTxBytes(static_cast<std::int32_t>(n));
    return static_cast<std::int32_t>(n);
}

void classComm::DropHeldOutput() {
    ClearTxQueue();
    dcdWaitTicks_ = 0;
    ctsWaitTicks_ = 0;
    ctsBusyTicks_ = 0;
}

bool classComm::FlushTxQueue() {
    ctsWaitTicks_ = 0;
    ctsBusyTicks_ = 0;
    if (txQueue_.empty()) return true;
    std::string q = TakeTxQueue();
    OutputChunk(q);
    return false;
}

void classComm::EndOfSendStep() {
    if (!FlushTxQueue()) return;
    if (IsKeyedTxMode(workingTxMode_) || keyedSendActive_) {
        int count = 1;
        int polls = 0;
        int firstCount = -1;
        while (count > 0 && polls < 200) {
            count = commCtrl_->outputCount();
            if (polls == 0) firstCount = count;
            ++polls;
            BusyWait(0.005);
        }
        if (polls == 1 && firstCount == 0) BusyWait(GetTurnaroundDelay());
        EndKeying();
    }
    ProcessTxComplete();
}

void classComm::CtsChangeStep() {
    if (ctsWaitTicks_ > 0 && ctsState_) {
        if (FlushTxQueue()) {
            BusyWait(GetTurnaroundDelay());
            EndKeying();
        }
    }
    if (ctsBusyTicks_ > 0 && !ctsState_) SendKeyed(TakeTxQueue());
}

void classComm::DcdChangeStep() {
    if (dcdWaitTicks_ != 0 && !dcdState_) {
        dcdWaitTicks_ = 0;
        SendString(TakeTxQueue(), dcdWaitTxMode_);
    }
}

void classComm::TickWaitSteps() {
    if (dcdWaitTicks_ != 0) {
        if (dcdState_) {
            if (--dcdWaitTicks_ <= 0) {
                dcdWaitTicks_ = 0;
                ClearTxQueue();
                ShowPortError(kDcdTimeoutText);
            }
        } else {
            dcdWaitTicks_ = 0;
            SendString(TakeTxQueue(), dcdWaitTxMode_);
        }
    }
    if (!comPortOpen_) return;
    if (ctsWaitTicks_ != 0) {
        if (ctsState_) {
            if (FlushTxQueue()) {
                BusyWait(GetTurnaroundDelay());
                EndKeying();
            }
        } else if (--ctsWaitTicks_ <= 0) {
            ctsWaitTicks_ = 0;
            EndKeying();
            ClearTxQueue();
            ShowPortError(kCtsTimeoutText);
            ResetPort();
            Deliver(listCtsTimeout, [](CommForm& w) { w.TxCtsTimeout(); });
        }
    }
    if (!comPortOpen_) return;
    if (ctsBusyTicks_ != 0) {
        if (ctsState_) {
            if (--ctsBusyTicks_ <= 0) {
                ctsBusyTicks_ = 0;
                ClearTxQueue();
                ResetPort();
                ShowPortError(kCtsTimeoutText);
            }
        } else {
            SendKeyed(TakeTxQueue());
        }
    }
}

// ---------------------------------------------------------------------------------------
// Timing

double classComm::GetBytesPerSecond() const {
    const PortSettings& s = comPortOpen_ ? working_ : settings_.portSettings;
    const int bits = BitsPerCharacter(s);
    return bits > 0 ? static_cast<double>(s.baudRate) / bits : 0.0;
}

std::int32_t classComm::GetTxChunkSize() const {
    double m = RoundHalfEven(GetBytesPerSecond() * 0.92 * 10.0);
    const double step = m < 100 ? 5 : m < 1000 ? 25 : m < 2500 ? 50 : 250;
    m = std::floor(m / step) * step;
    const int s = commCtrl_ ? commCtrl_->outputBufferSize() : kCommBufferSize;
    if (m > s) {
        m = s - (s % 250);
        if (m == 0) m = s;
    }
    return static_cast<std::int32_t>(m);
}

std::int32_t classComm::GetMaxBytes2Tx() const {
    const double m = RoundHalfEven(GetBytesPerSecond() * 9.2);
    const int s = commCtrl_ ? commCtrl_->outputBufferSize() : kCommBufferSize;
    return m > s ? s : static_cast<std::int32_t>(m);
}

float classComm::GetTurnaroundDelay() const {
    if (working_.baudRate <= 110) return 0.2f;
    if (working_.baudRate <= 4800) return 0.1f;
    return 0.075f;
}

std::int16_t classComm::GetTxTimeInTicks(std::int16_t tmpBytesSent) const {
    const double bps = GetBytesPerSecond();
    // Computed in 32 bits: counts above 1638 do not wrap.
    long long ticks = bps > 0 ? static_cast<long long>(std::floor(tmpBytesSent * 20.0 / bps)) : 0;
    if (tmpBytesSent < 150) ticks += 2;
    else if (tmpBytesSent < 220) ticks += 1;
    return static_cast<std::int16_t>(std::clamp<long long>(ticks, INT16_MIN, INT16_MAX));
}

// ---------------------------------------------------------------------------------------
// Senders

std::int32_t classComm::SendBuffer(const std::int16_t* buf, std::int32_t length, std::int32_t tmpTxMode) {
    std::string text;
    if (buf && length > 0) {
        text.resize(static_cast<size_t>(length));
        for (std::int32_t i = 0; i < length; ++i) text[static_cast<size_t>(i)] = static_cast<char>(buf[i] & 0xFF);
    }
    return SendString(text, tmpTxMode);
}

void classComm::SendCharacter(std::int16_t dataChar, std::int32_t tmpTxMode) {
    SendString(std::string(1, static_cast<char>(dataChar & 0xFF)), tmpTxMode);
}

void classComm::SendBreak(std::int16_t action) {
    if (!comPortOpen_ || !commCtrl_) return;
    std::string error;
    if (!commCtrl_->setBreak(action != 0, &error))
        ShowPortError("Could Not Send Break For Com Port " + std::to_string(settings_.portNumber) + "\r\n" + error);
}

std::int32_t classComm::SendFrame(const std::optional<std::string>& frame, std::int32_t tmpTxMode) {
    if (!frame) return -1;
    return SendString(*frame, tmpTxMode);
}

std::int32_t classComm::SendOpcodeOnlyMessage(std::int16_t tmpOpCode, std::int32_t tmpTxMode, std::int32_t dstAddr) {
    return SendFrame(FrameOpcodeOnly(CodecSettings(), static_cast<std::uint8_t>(tmpOpCode & 0xFF), dstAddr), tmpTxMode);
}

std::int32_t classComm::SendOpcodeAndBytes(std::int16_t opCode, std::span<const std::uint8_t> data,
                                           std::int32_t tmpTxMode, std::int32_t dstAddr) {
    return SendFrame(FrameOpcodeAndData(CodecSettings(), static_cast<std::uint8_t>(opCode & 0xFF), data, dstAddr),
                     tmpTxMode);
}

std::int32_t classComm::SendOpcodeAndByteMessage(std::int16_t tmpOpCode, std::int16_t tmpData, std::int32_t tmpTxMode,
                                                 std::int32_t dstAddr) {
    const std::uint8_t d[1] = {static_cast<std::uint8_t>(tmpData & 0xFF)};
    return SendOpcodeAndBytes(tmpOpCode, d, tmpTxMode, dstAddr);
}

std::int32_t classComm::SendOpcodeAndIntegerMessage(std::int16_t tmpOpCode, std::int32_t tmpData,
                                                    std::int32_t tmpTxMode, std::int32_t dstAddr) {
    std::int16_t w[2] = {};
    PutWordBigEndian(w, tmpData & 0xFFFF, 0);  // the low 16 bits go out
    const std::uint8_t d[2] = {static_cast<std::uint8_t>(w[0]), static_cast<std::uint8_t>(w[1])};
    return SendOpcodeAndBytes(tmpOpCode, d, tmpTxMode, dstAddr);
}

std::int32_t classComm::SendOpcodeAndLongMessage(std::int16_t tmpOpCode, double tmpData, std::int32_t tmpTxMode,
                                                 std::int32_t dstAddr) {
    std::int16_t w[4] = {};
    PutLongBigEndian(w, tmpData, 0);
    std::uint8_t d[4];
    for (int i = 0; i < 4; ++i) d[i] = static_cast<std::uint8_t>(w[i]);
    return SendOpcodeAndBytes(tmpOpCode, d, tmpTxMode, dstAddr);
}

std::int32_t classComm::SendOpcodeAndDataMessage(std::int16_t tmpOpCode, const std::int16_t* tmpData,
                                                 std::int16_t dataLen, std::int32_t tmpTxMode, std::int32_t dstAddr) {
    std::vector<std::uint8_t> d(dataLen > 0 ? static_cast<size_t>(dataLen) : 0);
    for (size_t i = 0; i < d.size(); ++i) d[i] = static_cast<std::uint8_t>(tmpData ? (tmpData[i] & 0xFF) : 0);
    return SendOpcodeAndBytes(tmpOpCode, d, tmpTxMode, dstAddr);
}

// ---------------------------------------------------------------------------------------
// Builders with this port's settings

std::optional<std::string> classComm::MessSyncEsc(std::span<const std::int16_t> message) const {
    return k45::MessSyncEsc(CodecSettings(), message);
}

std::optional<std::string> classComm::MessSyncEscRS485(std::int32_t dstAddr,
                                                       std::span<const std::int16_t> message) const {
    return k45::MessSyncEscRS485(CodecSettings(), dstAddr, message);
}

std::optional<std::string> classComm::MessSRecord(std::int32_t tmpAddr, std::span<const std::int16_t> data) const {
    return k45::MessSRecord(tmpAddr, data);
}

std::optional<std::string> classComm::MessDmp(std::string_view srcStr, std::optional<std::uint32_t> srcID, int srcFunc,
                                              int srcPort) const {
    return k45::MessDmp(srcStr, srcID, srcFunc, srcPort);
}

std::int16_t classComm::GetCompensatedSyncChar() const {
    return static_cast<std::int16_t>(k45::GetCompensatedSyncChar(CodecSettings()));
}

std::int16_t classComm::GetCompensatedEscChar() const {
    return static_cast<std::int16_t>(k45::GetCompensatedEscChar(CodecSettings()));
}

}  // namespace k45
