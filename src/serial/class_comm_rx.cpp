// Port object: serial events, the 50 ms tick, receive bursts and the dispatch of received
// chunks to the decoders and the registered windows.
#include "platform/scheduler.h"
#include "platform/serial_device.h"
#include "serial/class_comm_internal.h"
#include "serial/class_comm_zmodem.h"

namespace k45 {

SyncEscSettings classComm::CodecSettings() const {
    SyncEscSettings s;
    s.syncChar = settings_.syncChar;
    s.escChar = settings_.escChar;
    s.dataBits = working_.dataBits > 0 ? working_.dataBits : settings_.portSettings.dataBits;
    s.extendedLength = extendedLengthMode_;
    return s;
}

void classComm::commCtrl_OnComm(int eventCode) {
    if (!comPortOpen_ || !commCtrl_) return;
    switch (eventCode) {
    case commEvSend:
        EndOfSendStep();
        break;
    case commEvReceive:
        ReceiveStep();
        break;
    case commEvCts:
        LineChangeStep(listCtsChange);
        CtsChangeStep();
        break;
    case commEvDsr:
        LineChangeStep(listDsrChange);
        break;
    case commEvCd:
        LineChangeStep(listDcdChange);
        DcdChangeStep();
        break;
    case commEventBreak:
        Deliver(listBreak, [](CommForm& w) { w.RxBreakSignal(); });
        break;
    case commEventFrame:
    case commEventRxParity:
        AddFramingErrors(1);
        break;
    case commEventDeviceLost:
        DeviceLost();
        break;
    default:
        break;
    }
}

// An unplugged adapter: the port is closed at once so nothing more is written to a dead
// device; registered windows stay registered, and the next registration or open reopens it.
// Nothing of the lost session outlives it: a burst's raised threshold would otherwise hold
// back every short reply once the device is back. The loss is shown once: until the device
// has opened again and proved usable, neither another loss (also one inside the box, or right
// after a reopen that the device allowed for a moment) nor the windows' attempts to reopen it
// add a box. The state is taken before the box, whose event loop runs everything else.
void classComm::DeviceLost() {
    const std::string reason = commCtrl_->deviceLostReason();
    const bool shown = LossToldForDevice();
    lossTold_ = true;
    lostPortNumber_ = settings_.portNumber;
    lostDevice_ = commCtrl_->deviceName();
    lossReopenedMs_ = -1;
    keyedSendActive_ = false;
    rxBurstTicks_ = 0;
    lastRxTime_ = 0;
    commCtrl_->setReceiveThreshold(1);
    DropHeldOutput();
    ClearCommStats();
    modemLine_.Reset();
    if (commCtrl_->isOpen()) commCtrl_->close();
    comPortOpen_ = false;
    if (!shown)
        ReportError("Lost Com Port ", reason.empty() ? std::string("The device is no longer present.") : reason);
}

void classComm::ReceiveStep() {
    const float t = static_cast<float>(scheduler_.secondsSinceMidnight());
    if (rxBurstTicks_ != 0) {
        rxBurstTicks_ = 2;
    } else if (t - lastRxTime_ < 0.1f) {
        rxBurstTicks_ = 2;
        const double threshold = RoundHalfEven(bytesPerSecond_ / 5.0);
        commCtrl_->setReceiveThreshold(threshold < 1 ? 1 : static_cast<int>(std::min(threshold, 1e9)));
    }
    lastRxTime_ = t;
    const std::string chunk = commCtrl_->readInput();
    if (rxBurstTicks_ != 0) StartQuietCheck();
    TakeReceived(chunk);
}

void classComm::StartQuietCheck() {
    if (!quietTimer_ || commCtrl_->inputCount() < 0) return;  // the device cannot tell: the tick ends the burst
    // Four characters' time at the working speed, at least a millisecond.
    const double ms = bytesPerSecond_ > 0 ? 4000.0 / bytesPerSecond_ : 50.0;
    quietCount_ = -1;
    quietTimer_->setInterval(std::max(1, static_cast<int>(std::ceil(ms))));
    quietTimer_->setEnabled(false);
    quietTimer_->setEnabled(true);
}

// Bytes below the raised threshold raise no event: when their count has not moved for one
// check, nothing more is coming and the burst ends now, as its tick would end it.
void classComm::QuietCheck() {
    if (!comPortOpen_ || !commCtrl_ || rxBurstTicks_ == 0) {
        quietTimer_->setEnabled(false);
        return;
    }
    const int waiting = commCtrl_->inputCount();
    if (waiting > 0 && waiting == quietCount_) {
        quietTimer_->setEnabled(false);
        const std::string chunk = commCtrl_->readInput();
        rxBurstTicks_ = 0;
        commCtrl_->setReceiveThreshold(1);
        TakeReceived(chunk);
        return;
    }
    quietCount_ = waiting;
}

// A chunk read from the device: counted, then for a running Zmodem upload or the dispatch.
void classComm::TakeReceived(const std::string& chunk) {
    if (!chunk.empty()) DeviceProvedUsable();
    AddRxBytes(static_cast<std::int32_t>(chunk.size()));
    if (zmodem_ && zmodem_->running())
        zmodem_->feedInput(chunk);
    else
        ProcessRx(chunk);
}

void classComm::LineChangeStep(int list) {
    bool level = false;
    bool* cache = nullptr;
    switch (list) {
    case listCtsChange:
        level = commCtrl_->cts();
        cache = &ctsState_;
        break;
    case listDsrChange:
        level = commCtrl_->dsr();
        cache = &dsrState_;
        break;
    default:
        level = commCtrl_->cd();
        cache = &dcdState_;
        break;
    }
    const bool changed = level != *cache;
    // The cache takes the level before the windows hear of it, so a tick that runs while a
    // window yields does not report the same change again.
    *cache = level;
    if (!changed) return;
    switch (list) {
    case listCtsChange:
        Deliver(list, [level](CommForm& w) { w.RxCtsChange(level); });
        break;
    case listDsrChange:
        Deliver(list, [level](CommForm& w) { w.RxDsrChange(level); });
        break;
    default:
        Deliver(list, [level](CommForm& w) { w.RxDcdChange(level); });
        break;
    }
}

void classComm::timerCtrl_Timer() {
    if (!GetCommPortOpen() || !commCtrl_) return;
    if (lossReopenedMs_ >= 0 && NowMs() - lossReopenedMs_ >= kLossSettleMs) DeviceProvedUsable();
    if (rxBurstTicks_ != 0) {
        --rxBurstTicks_;
        if (rxBurstTicks_ <= 0) {
            const std::string chunk = commCtrl_->readInput();
            rxBurstTicks_ = 0;
            commCtrl_->setReceiveThreshold(1);
            quietTimer_->setEnabled(false);
            TakeReceived(chunk);
        }
    }
    if (!comPortOpen_) return;
    LineChangeStep(listCtsChange);
    if (!comPortOpen_) return;
    LineChangeStep(listDcdChange);
    if (!comPortOpen_) return;
    LineChangeStep(listDsrChange);
    if (!comPortOpen_) return;
    TickWaitSteps();
    if (zmodem_ && comPortOpen_) {
        std::string out = zmodem_->takeOutput();
        if (!out.empty()) {
            std::string error;
            if (commCtrl_->write(out, &error)) AddTxBytes(static_cast<std::int32_t>(out.size()));
        }
        if (zmodemStatus_ == ZmodemStatus::Running) {
            int r = zmodem_->poll();
            if (r != 1) {
                zmodemStatus_ = (r == 0) ? ZmodemStatus::Done : ZmodemStatus::Failed;
                zmodem_.reset();
            }
        }
    }
}

void classComm::ProcessRx(const std::string& rxStr) {
    if (rxStr.empty()) return;
    if (dispatching_) {
        // A window yielded during a dispatch: this chunk waits its turn, so no decoder sees
        // it before the chunk being dispatched.
        pendingRx_.push_back(rxStr);
        return;
    }
    dispatching_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{dispatching_};
    DispatchChunk(rxStr);
    while (!pendingRx_.empty()) {
        std::string next = std::move(pendingRx_.front());
        pendingRx_.pop_front();
        DispatchChunk(next);
    }
}

// One sync/escape kind (plain or RS485) over a chunk: stray bytes are counted, and each
// completed frame's slot is handed to `each`. The port's characters are taken afresh for every
// decode call, so a window that changes them during a delivery is followed at once.
template <class Decoder, class Message, class Each>
void classComm::DecodeFrameKind(std::string_view chunk, Decoder& decoder, std::array<Message, kRxTableSlots>& table,
                                Each&& each) {
    DecodeInBatches(
        chunk, [&](std::string_view c, std::size_t& p) { return decoder.decode(c, p, CodecSettings()); },
        [&](const DecodeResult& r) {
            AddDribbleBytes(r.dribble);
            for (int n = 0; n < r.count; ++n) each(table[static_cast<size_t>(firstSlot_ + r.ringIndex(n))]);
        });
}

void classComm::DispatchChunk(const std::string& rxStr) {
    Deliver(listRaw, [&rxStr](CommForm& w) { w.RxRawData(rxStr); });
    const std::string_view chunk(rxStr);

    if (!lists_[listDecoded].empty()) {
        DecodeFrameKind(chunk, syncEscDecoder_, tables_.rxSyncEscMessages, [&](SyncEscMessage& m) {
            Deliver(listDecoded, [&m](CommForm& w) {
                w.RxDecodedData(m.opCode, m.length, std::span<const std::uint8_t>(m.data));
            });
        });
    }
    if (!lists_[listRs485].empty()) {
        DecodeFrameKind(chunk, rs485Decoder_, tables_.rxRs485Messages, [&](Rs485Message& m) {
            if (!Rs485ForHost(m)) return;
            Deliver(listRs485, [&m](CommForm& w) {
                w.RxDecodedDataRS485(m.opCode, m.length, std::span<const std::uint8_t>(m.data), m.srcAddr);
            });
        });
    }
    if (!lists_[listDmp].empty()) {
        DecodeInBatches(
            chunk,
            [&](std::string_view c, std::size_t& p) {
                return dmpDecoder_.decode(c, p, DmpSettings{simulatedDmpProtocol_, simulatedDmpFunction_});
            },
            [&](const DecodeResult& r) {
                for (int n = 0; n < r.count; ++n) {
                    const int slot = firstSlot_ + r.ringIndex(n);
                    if (!simulatedDmpProtocol_ && DmpNeedsAck(tables_.rxDmpMessages[static_cast<size_t>(slot)].funcCode))
                        SendCharacter(6, workingTxMode_);
                    Deliver(listDmp, [slot](CommForm& w) { w.RxDmpData(static_cast<std::int16_t>(slot)); });
                }
            });
    }
    if (!lists_[listCrLf].empty()) {
        DecodeInBatches(
            chunk, [&](std::string_view c, std::size_t& p) { return crLfDecoder_.decode(c, p); },
            [&](const DecodeResult& r) {
                for (int n = 0; n < r.count; ++n) {
                    const std::string line = crLfDecoder_.line(r.ringIndex(n)) + "\r\n";
                    Deliver(listCrLf, [&line](CommForm& w) { w.RxCrLfData(line); });
                }
            });
    }
    if (!lists_[listSRecord].empty()) {
        DecodeInBatches(
            chunk, [&](std::string_view c, std::size_t& p) { return sRecordDecoder_.decode(c, p); },
            [&](const DecodeResult& r) {
                for (int n = 0; n < r.count; ++n) {
                    const int slot = firstSlot_ + r.ringIndex(n);
                    (void)modemLine_.Take(slot, tables_.rxSRecordMessages[static_cast<size_t>(slot)],
                                          scheduler_.nowMs());
                    Deliver(listSRecord, [slot](CommForm& w) { w.RxSRecordData(static_cast<std::int16_t>(slot)); });
                }
            });
    }
}

void classComm::ProcessTxComplete() {
    Deliver(listTxComplete, [](CommForm& w) { w.TxComplete(); });
}

}  // namespace k45
