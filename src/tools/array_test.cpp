#include "tools/array_test.h"

#include <algorithm>

#include "platform/scheduler.h"
#include "serial/class_comm.h"
#include "tools/terminal_render.h"

namespace k45 {

namespace {

constexpr std::int32_t kCountLimit = 2147483647;

std::string AsciiPacket() {
    std::string p = "000 ";
    for (char c = 'A'; c <= 'Z'; ++c) p += c;
    for (char c = 'a'; c <= 'z'; ++c) p += c;
    return p + "\r\n";
}

std::string NumberPacket() {
    static const char* digits = "0123456789ABCDEF";
    std::string p = "000 ";
    for (int d = 0; d < 16; ++d) {
        p += digits[d];
        p += digits[d];
        p += ' ';
    }
    return p + "\r\n";
}

}  // namespace

int BuildArrayPattern(std::int32_t type, std::array<std::int16_t, kArrayBufferSize>& buffer) {
    if (type == arrayAsciiPattern || type == arrayAsciiNumberPattern) {
        const std::string packet = type == arrayAsciiPattern ? AsciiPacket() : NumberPacket();
        const std::size_t size = packet.size();
        for (std::size_t i = 0; i + size <= 4095; i += size) {
            for (std::size_t k = 0; k < size; ++k) buffer[i + k] = static_cast<unsigned char>(packet[k]);
        }
        return static_cast<int>(size);
    }
    if (type == arrayBinaryPattern) {
        for (int p = 0; p < 256; ++p)
            for (int k = 0; k < 16; ++k) buffer[static_cast<std::size_t>(p * 16 + k)] = static_cast<std::int16_t>(17 * k);
    }
    return 16;
}

ArrayTestEngine::ArrayTestEngine(DialogueLinks links)
    : links_(links),
      primary_(*links.ports.classCommPrimary),
      secondary_(*links.ports.classCommSecondary),
      scheduler_(*links.services.scheduler),
      flags_(links.modes) {
    timerTx_ = scheduler_.createTimer();
    timerActive_ = scheduler_.createTimer();
    timerTx_->setEnabled(false);
    timerActive_->setEnabled(false);
    timerActive_->setInterval(250);
    timerTx_->setHandler([this] {
        if (!Present()) return;
        delayElapsed_ = true;
        if (txDone_) SendNextArray();
    });
    timerActive_->setHandler([this] {
        if (Present()) SendNextArray();
    });
}

ArrayTestEngine::~ArrayTestEngine() {
    if (Present()) Unload();
    else Abandon();
}

void ArrayTestEngine::Abandon() {
    testRunning_ = false;
    timerTx_->setEnabled(false);
    timerActive_->setEnabled(false);
    view_ = nullptr;
}

void ArrayTestEngine::Load(ArrayTestView& view) {
    view_ = &view;
    testRunning_ = false;
    view_->SetRunning(false);
    if (settings_.useSecondaryPort) {
        secondary_.RegisterForTxComplete(this);
        secondary_.RegisterForCtsTimeout(this);
    } else {
        primary_.RegisterForTxComplete(this);
        primary_.RegisterForCtsTimeout(this);
    }
    asciiPacketSize_ = BuildArrayPattern(arrayAsciiPattern, txArray_);
    numberPacketSize_ = BuildArrayPattern(arrayAsciiNumberPattern, txArray_);
    packetsTxed_ = 0;
    view_->ShowPacketsTxed(0);
    SelectType(settings_.dataTypeIndex);
    numberBox_ = settings_.packetsToSend;
    SetPacketsPerArrayScroll(std::clamp<int>(settings_.savedPacketsPerArray, 1, 256));
    SetDelayScroll(std::clamp<int>(settings_.savedPacketDelay, 0, 120));
    random_.seed(static_cast<std::uint32_t>(scheduler_.wallClockSeconds()));
}

void ArrayTestEngine::Unload() {
    if (!view_) return;
    testRunning_ = false;
    timerTx_->setEnabled(false);
    timerActive_->setEnabled(false);
    settings_.dataTypeIndex = static_cast<std::int16_t>(dataType_);
    settings_.savedPacketsPerArray = static_cast<std::int16_t>(scrollPackets_);
    settings_.savedPacketDelay = static_cast<std::int16_t>(scrollDelay_);
    settings_.packetsToSend =
        numberBox_ > kCountLimit ? settings_.packetsToSend : static_cast<std::int32_t>(numberBox_);
    primary_.DeRegisterForAll(this);
    secondary_.DeRegisterForAll(this);
    view_ = nullptr;
}

void ArrayTestEngine::Activate() {
    if (!view_) return;
    // A refused setting has shown its own box; the exchange goes on regardless.
    (void)Port().RestoreHandshaking();
    (void)Port().RestoreSettings(false);
    if (timerTx_->enabled()) {
        timerTx_->setEnabled(false);
        timerTx_->setEnabled(true);
    }
}

void ArrayTestEngine::SelectType(int index) {
    index = std::clamp(index, 0, 3);
    settings_.dataTypeIndex = static_cast<std::int16_t>(index);
    dataType_ = index;
    packetSize_ = index == arrayAsciiPattern ? asciiPacketSize_ : index == arrayAsciiNumberPattern ? numberPacketSize_ : 16;
    if (view_) view_->ShowPacketSize(packetSize_);
    maxPacketsPerArray_ = kArrayBufferSize / packetSize_;
    SetPacketsPerArrayScroll(scrollPackets_);
}

void ArrayTestEngine::SetPacketsPerArrayScroll(int value) {
    scrollPackets_ = std::clamp(value, 1, 256);
    packetsPerArray_ = std::min(scrollPackets_, maxPacketsPerArray_);
    if (view_) view_->ShowPacketsPerArray(packetsPerArray_);
}

void ArrayTestEngine::SetDelayScroll(int quarters) { scrollDelay_ = std::clamp(quarters, 0, 120); }

void ArrayTestEngine::SelectSecondaryPort(bool secondary) {
    if (testRunning_ || secondary == settings_.useSecondaryPort) return;
    settings_.useSecondaryPort = secondary;
    if (!view_) return;
    (secondary ? primary_ : secondary_).DeRegisterForAll(this);
    Port().RegisterForTxComplete(this);
    Port().RegisterForCtsTimeout(this);
}

void ArrayTestEngine::Start() {
    if (!view_ || testRunning_) return;
    testRunning_ = true;
    packetDelayMs_ = scrollDelay_ * 250;
    timerTx_->setInterval(std::max(1, packetDelayMs_));
    if (numberBox_ <= kCountLimit) settings_.packetsToSend = static_cast<std::int32_t>(numberBox_);
    view_->SetRunning(true);
    packetsTxed_ = 0;
    BuildArrayPattern(dataType_, txArray_);
    SendNextArray();
    if (testRunning_ && packetDelayMs_ != 0) timerTx_->setEnabled(true);
}

void ArrayTestEngine::Stop() {
    if (!testRunning_) return;
    testRunning_ = false;
    if (view_) view_->SetRunning(false);
    timerTx_->setEnabled(false);
    timerActive_->setEnabled(false);
}

void ArrayTestEngine::TxComplete() {
    txDone_ = true;
    if (packetDelayMs_ == 0 || delayElapsed_) SendNextArray();
}

void ArrayTestEngine::SendNextArray() {
    if (!testRunning_ || !view_) return;
    if (!view_->IsActiveChild() || view_->PauseTicked()) {
        timerActive_->setEnabled(true);
        return;
    }
    if (packetsTxed_ >= kCountLimit || (settings_.packetsToSend > 0 && packetsTxed_ >= settings_.packetsToSend)) {
        Stop();
        return;
    }
    timerActive_->setEnabled(false);
    txDone_ = false;
    delayElapsed_ = false;
    const int bytes = packetSize_ * packetsPerArray_;
    // Numbers go into the packets first; the count takes them only once the array is sent.
    std::int32_t count = packetsTxed_;
    auto next = [&] {
        if (count < kCountLimit) ++count;
    };
    for (int k = 0; k < packetsPerArray_; ++k) {
        const std::size_t at = static_cast<std::size_t>(k * packetSize_);
        if (dataType_ == arrayAsciiPattern || dataType_ == arrayAsciiNumberPattern) {
            const std::string number = ThreeDigits(count % 1000);
            for (int i = 0; i < 3; ++i) txArray_[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(number[static_cast<std::size_t>(i)]);
        } else if (dataType_ == arrayBinaryPattern) {
            txArray_[at] = static_cast<std::int16_t>(count & 255);
        }
        next();
    }
    if (dataType_ == arrayRandomBinary) {
        std::uniform_int_distribution<int> draw(1, 255);
        for (int i = 0; i < bytes; ++i) txArray_[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(draw(random_));
    }
    if (flags_.engineerMode && dribbleBitTest_)
        for (TerminalCore* t : terminals)
            if (t && t->loaded()) t->RxSpecial("\r\n\r\n");
    classComm& port = Port();
    const bool wasOpen = port.GetCommPortOpen();
    port.SendBuffer(txArray_.data(), bytes, port.settings().txModeValue);
    if (!wasOpen || !port.GetCommPortOpen()) {
        // The port object has said why; nothing went out, so nothing is counted.
        Stop();
        return;
    }
    packetsTxed_ = count;
    if (view_) view_->ShowPacketsTxed(packetsTxed_);
}

}  // namespace k45
