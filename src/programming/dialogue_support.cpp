#include "programming/dialogue_support.h"

#include "wiring/main_frame.h"
#include "base/utilities.h"
#include "platform/scheduler.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"
#include "serial/tx_modes.h"

namespace k45 {

namespace {

class IdleTimer : public Timer {
public:
    void setInterval(int ms) override { interval_ = ms; }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override { enabled_ = on; }
    bool enabled() const override { return enabled_; }
    void setHandler(std::function<void()>) override {}

private:
    int interval_ = 0;
    bool enabled_ = false;
};

}  // namespace

std::unique_ptr<Timer> MakeDialogueTimer(Scheduler* scheduler, int intervalMs, std::function<void()> handler) {
    std::unique_ptr<Timer> t = scheduler ? scheduler->createTimer() : std::make_unique<IdleTimer>();
    t->setInterval(intervalMs);
    t->setHandler(std::move(handler));
    return t;
}

void RestartTimer(Timer& t) {
    t.setEnabled(false);
    t.setEnabled(true);
}

void DetachDialogue(const DialogueLinks& links, CommForm& form, std::initializer_list<Timer*> timers) {
    for (Timer* t : timers)
        if (t) t->setEnabled(false);
    if (classComm* port = links.port()) port->DeRegisterForAll(&form);
}

bool PrimaryPortClosed(const DialogueLinks& links) { return links.port() && !links.port()->GetCommPortOpen(); }

bool RegisterWithPrimary(const DialogueLinks& links, CommForm& form, bool crLf, bool sRecord) {
    classComm* port = links.port();
    if (!port) return true;
    // The first list opens the port; the next only when that worked.
    if (crLf) port->RegisterForRxCrLf(&form);
    if (sRecord && (!crLf || port->GetCommPortOpen())) port->RegisterForSRecord(&form);
    return port->GetCommPortOpen();
}

void CountResend(const DialogueLinks& links) { links.windows().IncrementTestNumber(true); }

ModemExchange::Hooks PrimaryExchangeHooks(const DialogueLinks& links) {
    return {[links] { return !PrimaryPortClosed(links); }, [links] { CountResend(links); }};
}

const SRecordMessage* ReplyRecordWithin(classComm* port, std::int16_t rxSRecordIndex, std::int64_t extent) {
    if (!port || rxSRecordIndex < 0 || rxSRecordIndex >= kRxTableSlots) return nullptr;
    const SRecordMessage& rec = port->tables().rxSRecordMessages[static_cast<std::size_t>(rxSRecordIndex)];
    if (rec.address < 0 || static_cast<std::int64_t>(rec.address) + rec.dataCount > extent) return nullptr;
    if (rec.recType != kReplyLetter) return nullptr;
    return &rec;
}

void ApplyProgrammingSettings(classComm& port) {
    // A refusal has shown its message; the dialogue then finds no modem and ends on its time-out.
    (void)port.OverrideHandshaking(kProgrammingTxMode, false, 0);
    (void)port.OverrideSettings(kProgrammingPortSettings);
}

std::optional<std::string> VersionOfLine(const std::string& line) {
    const auto p = line.find("Copyright");
    if (p == std::string::npos) return std::nullopt;
    // The blank in front of the keyword is not part of the version.
    return line.substr(0, p >= 1 ? p - 1 : 0);
}

std::string NoticeOfLine(const std::string& line) {
    const auto p = line.find("Copyright");
    std::string notice = p == std::string::npos ? line : line.substr(p);
    while (!notice.empty() && (notice.back() == '\r' || notice.back() == '\n')) notice.pop_back();
    return notice;
}

int ProgressPercent(std::int64_t count, std::int64_t total) {
    if (total <= 0 || count <= 0) return 0;
    // Divided first, as the windows always have: 23 of 40 gives 57.49999... and so 57.
    const double v = RoundHalfEven(static_cast<double>(count) / static_cast<double>(total) * 100.0);
    return v >= 100 ? 100 : static_cast<int>(v);
}

void ImageDumpTracker::Start() {
    arrived_.fill(false);
    expected_ = kFullBlocks;
    decided_ = false;
}

bool ImageDumpTracker::Take(const SRecordMessage& record, std::span<std::uint8_t> image) {
    const std::int64_t first = record.address;
    const std::int64_t count = record.dataCount;
    if (first < 0 || first + std::max<std::int64_t>(count, 0) > kImageBytes) return false;
    if (image.size() < static_cast<std::size_t>(kImageBytes)) return false;
    for (std::int64_t i = 0; i < count && i < kSRecordDataSlots; ++i) {
        const auto at = static_cast<std::size_t>(first + i);
        image[at] = record.data[static_cast<std::size_t>(i)];
        arrived_[at] = true;
    }
    if (!decided_ && arrived_[0]) {
        decided_ = true;
        expected_ = image[0] == 2 ? kVersion2Blocks : kFullBlocks;
    }
    return true;
}

int ImageDumpTracker::blocksComplete() const {
    int done = 0;
    for (int b = 0; b < expected_; ++b) {
        bool whole = true;
        for (int i = 0; i < kBlockBytes && whole; ++i) whole = arrived_[static_cast<std::size_t>(b * kBlockBytes + i)];
        if (whole) ++done;
    }
    return done;
}

void ImageReadSteps::StartData() {
    if (o_.showPercent) o_.showPercent(0);
    o_.stepCount = 0;
    o_.stepTotal = ImageDumpTracker::kFullBlocks;
    dump_.Start();
}

bool ImageReadSteps::TakeLine(const std::string& line) {
    if (o_.state != ReadWriteState::AwaitVersion) return false;
    const std::optional<std::string> version = VersionOfLine(line);
    if (!version) return false;
    o_.exchange.Stop();
    o_.links.windows().SetFirmwareVersionLabel(*version);
    o_.state = ReadWriteState::AwaitReady;
    o_.exchange.Await();
    return true;
}

bool ImageReadSteps::TakeRecord(const SRecordMessage& rec) {
    const bool ackAtZero = rec.recNum == 8 && rec.address == 0;
    switch (o_.state) {
    case ReadWriteState::AwaitReady:
        if (ackAtZero) {
            o_.exchange.Stop();
            if (classComm* port = o_.links.port()) port->DeRegisterForRxCrLf(&o_.form);
            o_.state = ReadWriteState::AwaitReadDelay;
            RestartTimer(o_.timerDelay);
        }
        return false;
    case ReadWriteState::AwaitData:
        if (rec.recNum == 1) {
            // A record outside the image is not part of the dump: it neither counts nor keeps
            // the read waiting.
            if (!dump_.Take(rec, o_.image)) return false;
            o_.exchange.Stop();
            o_.stepTotal = static_cast<std::int16_t>(dump_.blocksExpected());
            o_.stepCount = dump_.blocksComplete();
            if (o_.showPercent) o_.showPercent(ProgressPercent(o_.stepCount, o_.stepTotal));
            if (o_.stepCount >= o_.stepTotal) o_.state = ReadWriteState::AwaitEnd;
            o_.exchange.Await();
        } else if (rec.recNum == 9 && o_.stepCount >= o_.stepTotal) {
            o_.exchange.Await();
            o_.state = ReadWriteState::AwaitFinalAck;
        }
        return false;
    case ReadWriteState::AwaitEnd:
        if (rec.recNum == 9) {
            o_.exchange.Await();
            o_.state = ReadWriteState::AwaitFinalAck;
        }
        return false;
    case ReadWriteState::AwaitFinalAck:
        if (!ackAtZero) return false;
        o_.exchange.Stop();
        return true;
    default:
        return false;
    }
}

bool ImageReadSteps::ResendVersionRequest() {
    if (!o_.exchange.Resend()) return false;
    o_.state = ReadWriteState::AwaitVersion;
    return true;
}

}  // namespace k45
