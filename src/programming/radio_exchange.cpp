#include "programming/radio_exchange.h"

#include <algorithm>

#include "platform/scheduler.h"
#include "programming/radio_off.h"
#include "serial/class_comm.h"
#include "serial/messages.h"
#include "serial/modem_commands.h"

namespace k45 {

namespace {

bool StartsWith(const std::string& s, const char* word) { return s.rfind(word, 0) == 0; }

// A line that puts the modem into a test mode: a tune record or a transmit test.
bool StartsTest(const std::string& line) {
    return StartsWith(line, "T1") || StartsWith(line, "BALANCE") || StartsWith(line, "PSUDO");
}

bool EndsTest(const std::string& line) { return StartsWith(line, "T0"); }

}  // namespace

RadioExchange::RadioExchange(Scheduler* scheduler, int responseMs, LoadToken& load, Hooks hooks)
    : load_(load),
      hooks_(std::move(hooks)),
      responseMs_(responseMs),
      exchange_(scheduler, responseMs, [this] { TimedOut(); },
                {[this] { return lineUp(); }, hooks_.countResend}) {}

RadioExchange::~RadioExchange() { exchange_.Stop(); }

ModemLine* RadioExchange::Line() const {
    classComm* p = hooks_.port ? hooks_.port() : nullptr;
    return p ? &p->modemLine() : nullptr;
}

RadioKeying* RadioExchange::Radio() const {
    ModemLine* l = Line();
    return l ? &l->radio() : nullptr;
}

bool RadioExchange::lineUp() const {
    classComm* p = hooks_.port ? hooks_.port() : nullptr;
    return p && p->GetCommPortOpen();
}

int RadioExchange::PortNumber() const {
    classComm* p = hooks_.port ? hooks_.port() : nullptr;
    return p ? p->settings().portNumber : 0;
}

bool RadioExchange::mayTransmit() const {
    const RadioKeying* r = Radio();
    return r && r->mayTransmit;
}

bool RadioExchange::unkeyOwed() const {
    const RadioKeying* r = Radio();
    return r && r->unkeyOwed;
}

void RadioExchange::Begin() {
    ++command_;
    unkeyUnderWay_ = inTest_ = portTold_ = retellUnkey_ = pointLost_ = false;
    exchange_.Stop();
}

void RadioExchange::End() {
    exchange_.Stop();
    if (RadioKeying* r = Radio(); r && r->unkeyBy == this) r->unkeyBy = nullptr;
    unkeyUnderWay_ = false;
    ++command_;
}

bool RadioExchange::Write(const std::string& line, const ReplyTag& tag) {
    classComm* p = hooks_.port ? hooks_.port() : nullptr;
    // Nothing is written into a closed port (each write would show its own box).
    if (!p || !p->GetCommPortOpen()) return false;
    // A reply may come a little after the time-out that resent its line: what is owed lapses
    // only after two response times of silence.
    return SendModemLine(*p, line, tag, 2 * responseMs_);
}

void RadioExchange::NoteKeying(const std::string& line, Keying keying) {
    if (StartsTest(line)) inTest_ = true;
    RadioKeying* r = Radio();
    if (!r) return;
    if (keying == Keying::Keys) r->mayTransmit = r->lastKeyed = true;
    else if (keying == Keying::Unkeys) r->lastKeyed = false;
}

bool RadioExchange::Send(const std::string& line, Keying keying) {
    if (!lineUp()) return false;
    if (unkeyUnderWay_) {
        // The window's own command takes the line: the unkey is still owed and goes again later.
        unkeyUnderWay_ = false;
        if (RadioKeying* r = Radio(); r && r->unkeyBy == this) r->unkeyBy = nullptr;
    }
    return Start(line, keying);
}

bool RadioExchange::Start(const std::string& line, Keying keying) {
    ++command_;
    line_ = line;
    keying_ = keying;
    const ReplyTag tag{this, command_};
    exchange_.Send([this, tag] {
        if (Write(line_, tag)) NoteKeying(line_, keying_);
    });
    return true;
}

bool RadioExchange::Post(const std::string& line, Keying keying) {
    // Command number 0 is never the window's: the reply answers nothing it awaits, and the
    // open exchange goes on.
    if (!Write(line, ReplyTag{this, 0})) return false;
    NoteKeying(line, keying);
    return true;
}

bool RadioExchange::Resend(ModemExchange::Tally tally) {
    if (!exchange_.CanResend()) {
        // Given up: what went unanswered through every resend is not waited for any more, so
        // the next command is answered by its own reply.
        if (ModemLine* l = Line(); l && exchange_.resends() >= kMaxResends) l->Forget({this, command_});
        return false;
    }
    if (ModemLine* l = Line()) l->SkipUnderWay({this, command_});
    return exchange_.Resend(tally);
}

bool RadioExchange::CountAnotherTry() {
    if (exchange_.resends() >= kMaxResends) {
        if (ModemLine* l = Line()) l->Forget({this, command_});
        return false;
    }
    exchange_.ResendBy([] {}, ModemExchange::Tally::Silent);
    exchange_.Await();
    if (classComm* p = hooks_.port ? hooks_.port() : nullptr) p->modemLine().StillAwaited({this, command_}, p->NowMs());
    return true;
}

std::optional<RadioReply> RadioExchange::Take(std::int16_t slot) {
    classComm* p = hooks_.port ? hooks_.port() : nullptr;
    if (!p || slot < 0 || slot >= kRxTableSlots) return std::nullopt;
    const ReplyPart* part = p->modemLine().PartOf(slot);
    if (!part || part->tag != ReplyTag{this, command_} || part->skipped) return std::nullopt;
    const SRecordMessage& rec = p->tables().rxSRecordMessages[static_cast<std::size_t>(slot)];
    RadioReply reply;
    reply.record = &rec;
    switch (part->kind) {
    case ReplyPart::Kind::Data: {
        if (unkeyUnderWay_) return std::nullopt;
        reply.kind = RadioReply::Kind::Data;
        const int before = part->byteCount - std::max<int>(rec.dataCount, 0);
        if (!part->ended && before < kDiagnosticBlockSize) {
            // A reply that can still bring the block is not cut off by the time-out.
            exchange_.Await();
            if (part->byteCount >= kDiagnosticBlockSize) {
                reply.blockComplete = true;
                reply.block = part->bytes.first(static_cast<std::size_t>(kDiagnosticBlockSize));
            }
        }
        return reply;
    }
    case ReplyPart::Kind::End:
        if (unkeyUnderWay_) return std::nullopt;
        reply.kind = RadioReply::Kind::End;
        return reply;
    case ReplyPart::Kind::Close:
        break;
    }
    if (rec.address != 0) {
        if (unkeyUnderWay_) return std::nullopt;
        reply.kind = RadioReply::Kind::Status;
        return reply;
    }
    if (unkeyUnderWay_) {
        UnkeyAnswered();
        return std::nullopt;
    }
    reply.kind = RadioReply::Kind::Acknowledged;
    if (EndsTest(line_)) inTest_ = false;
    if (RadioKeying* r = Radio(); r && keying_ == Keying::Unkeys && !r->lastKeyed) {
        reply.offAfterWarning = r->unkeyOwed && r->toldMayTransmit;
        *r = RadioKeying{};
    }
    return reply;
}

void RadioExchange::TimedOut() {
    if (!unkeyUnderWay_) {
        if (hooks_.timedOut) hooks_.timedOut();
        return;
    }
    if (hooks_.active && !hooks_.active()) return;  // taken at the first tick after activation
    exchange_.Stop();
    const RadioKeying* r = Radio();
    if (!r || r->unkeyBy != this) {
        // The port leads to another radio now: the unkey is not for it.
        unkeyUnderWay_ = false;
        if (hooks_.unkeyGivenUp) hooks_.unkeyGivenUp();
        return;
    }
    if (!Resend(ModemExchange::Tally::Silent)) UnkeyUnanswered();
}

void RadioExchange::GiveUp(bool pointLost) {
    exchange_.Stop();
    if (ModemLine* l = Line()) l->Forget({this, command_});
    pointLost_ = pointLost;
    if (RadioKeying* r = Radio(); r && r->mayTransmit) r->unkeyOwed = true;
    SendUnkey();
}

void RadioExchange::SendUnkey() {
    if (unkeyUnderWay_) return;
    TellLeftRadio();
    if (!LineBack()) {
        // The sends that waited stay waiting behind the unkey; a Close that waited goes on.
        if (!hooks_.unkeyGivenUp || !hooks_.unkeyGivenUp()) TellPortClosed();
        return;
    }
    RadioKeying* r = Radio();
    if (r && r->unkeyBy && r->unkeyBy != this) return;  // another window's unkey is on its way
    if (r) r->unkeyBy = this;
    unkeyUnderWay_ = true;
    Start(hooks_.unkeyLine ? hooks_.unkeyLine() : std::string("T0\r"), Keying::Unkeys);
}

void RadioExchange::UnkeyAnswered() {
    exchange_.Stop();
    unkeyUnderWay_ = false;
    if (EndsTest(line_)) inTest_ = false;
    bool told = false;
    if (RadioKeying* r = Radio()) {
        told = r->unkeyOwed && r->toldMayTransmit;
        *r = RadioKeying{};
    }
    retellUnkey_ = false;
    const char* text = UnkeyAcknowledgedText(told, pointLost_);
    if (hooks_.unkeyAcknowledged) hooks_.unkeyAcknowledged();
    Tell(text);
}

// The unkey went unanswered: the operator is told once that the radio may still transmit
// (again when an action waits behind it); the sends that waited wait for the next try.
void RadioExchange::UnkeyUnanswered() {
    unkeyUnderWay_ = false;
    RadioKeying* r = Radio();
    if (r && r->unkeyBy == this) r->unkeyBy = nullptr;
    const LoadToken::Value token = load_.Take();
    if (!lineUp()) {
        TellPortClosed();
    } else if (!r || !r->mayTransmit) {
        Tell(UnkeyUnansweredText(false, pointLost_));
    } else if (!r->toldMayTransmit || retellUnkey_) {
        r->toldMayTransmit = true;
        retellUnkey_ = false;
        Tell(UnkeyUnansweredText(true, pointLost_));
    }
    if (!load_.Still(token)) return;
    if (hooks_.unkeyGivenUp) hooks_.unkeyGivenUp();
}

RadioExchange::Gate RadioExchange::Ready(bool operatorAction) {
    TellLeftRadio();
    if (!LineBack()) {
        TellPortClosed();
        return Gate::Refused;
    }
    const RadioKeying* r = Radio();
    const bool owed = r && r->unkeyOwed;
    if (!owed && !unkeyUnderWay_) return Gate::Go;
    if (operatorAction) retellUnkey_ = true;
    SendUnkey();
    return Gate::Wait;
}

bool RadioExchange::PollReady() {
    TellLeftRadio();
    // A port that would not open would report itself at every poll, one box after another.
    if (!LineBack()) return false;
    if (unkeyUnderWay_) return false;
    if (unkeyOwed()) {
        SendUnkey();
        return false;
    }
    return true;
}

void RadioExchange::Leave(bool endTest) {
    TellLeftRadio();
    RadioKeying* r = Radio();
    const bool keyed = r && r->mayTransmit;
    if (lineUp()) {
        if (endTest && inTest_) Post("T0\r", Keying::Unkeys);
        else if (keyed) Post(hooks_.unkeyLine ? hooks_.unkeyLine() : std::string("T0\r"), Keying::Unkeys);
    } else if (keyed) {
        Tell(PortClosedAtCloseText(PortNumber(), true));
    }
    // The unkey went without waiting for its answer, or could not go: nothing more is owed by
    // this window to that radio.
    if (r) *r = RadioKeying{};
    inTest_ = unkeyUnderWay_ = false;
    exchange_.Stop();
}

bool RadioExchange::LineBack() {
    if (!lineUp()) return false;
    portTold_ = false;
    return true;
}

void RadioExchange::TellPortClosed() { TellLoss(PortClosedText); }

void RadioExchange::TellEndTestPortLost() { TellLoss(EndTestPortLostText); }

void RadioExchange::TellLoss(std::string (*text)(int portNumber, bool keyed)) {
    RadioKeying* r = Radio();
    const bool keyed = r && r->mayTransmit;
    if (keyed) r->unkeyOwed = true;
    if (portTold_) return;
    portTold_ = true;
    if (keyed) r->toldMayTransmit = true;
    Tell(text(PortNumber(), keyed));
}

void RadioExchange::TellClosedAtClose() {
    RadioKeying* r = Radio();
    const bool keyed = r && r->mayTransmit;
    // An earlier message promised the unkey, which leaves with the window: told again.
    if (!portTold_ || keyed) Tell(PortClosedAtCloseText(PortNumber(), keyed));
    portTold_ = true;
    if (r) *r = RadioKeying{};
    inTest_ = false;
}

void RadioExchange::TellLeftRadio() {
    if (ModemLine* l = Line())
        if (const auto device = l->TakeLeftRadio()) Tell(LeftRadioText(PortNumber(), *device));
}

void RadioExchange::Tell(const std::string& text) {
    if (hooks_.tell) hooks_.tell(text);
}

}  // namespace k45
