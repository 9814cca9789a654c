#include "programming/modem_exchange.h"

#include "platform/scheduler.h"
#include "programming/dialogue_support.h"

namespace k45 {

ModemExchange::ModemExchange(Scheduler* scheduler, int responseMs, std::function<void()> onTimeOut, Hooks hooks)
    : timer_(MakeDialogueTimer(scheduler, responseMs, std::move(onTimeOut))), hooks_(std::move(hooks)) {}

ModemExchange::~ModemExchange() { timer_->setEnabled(false); }

void ModemExchange::Send(std::function<void()> command) {
    timer_->setEnabled(false);
    last_ = std::move(command);
    if (last_) last_();
    resends_ = 0;
    timer_->setEnabled(true);
}

void ModemExchange::Await() { RestartTimer(*timer_); }

void ModemExchange::Stop() { timer_->setEnabled(false); }

bool ModemExchange::CanResend() const { return resends_ < kMaxResends && lineUp(); }

bool ModemExchange::Resend(Tally tally) {
    if (!CanResend()) return false;
    ++resends_;
    if (last_) last_();
    RestartTimer(*timer_);
    Tell(tally);
    return true;
}

void ModemExchange::ResendBy(const std::function<void()>& step, Tally tally) {
    const auto count = static_cast<std::int16_t>(resends_ + 1);
    step();
    resends_ = count;
    Tell(tally);
}

void ModemExchange::Tell(Tally tally) {
    if (tally == Tally::Counted && hooks_.countResend) hooks_.countResend();
}

}  // namespace k45
