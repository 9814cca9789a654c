// The exchange every modem dialogue runs: sends and their times, resends up to the limit, the
// line and the status-bar count, resends made by restarting a step, and the load token.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/scheduler.h"
#include "programming/modem_exchange.h"
#include "support/virtual_scheduler.h"

namespace k45 {
namespace {

struct ExchangeRig {
    test::VirtualScheduler sched;
    std::vector<std::string> log;  // "<ms> <what>"
    bool lineUp = true;
    int counted = 0;
    ModemExchange ex{&sched, 500, [this] { TimedOut(); }, {[this] { return lineUp; }, [this] { ++counted; }}};
    // What the dialogue does at a time-out; the default resends until it must give up.
    std::function<void()> onTimeOut = [this] {
        ex.Stop();
        if (!ex.Resend()) Note("give up");
    };

    void TimedOut() { onTimeOut(); }
    void Note(const std::string& what) { log.push_back(std::to_string(sched.nowMs()) + " " + what); }
    std::function<void()> Command(const std::string& name) {
        return [this, name] { Note(name); };
    }
};

TEST(ModemExchange, ResendsTheLastCommandThreeTimesAFullResponseTimeApartThenGivesUp) {
    ExchangeRig r;
    r.sched.advance(100);
    r.ex.Send(r.Command("?"));
    r.sched.advance(5000);
    EXPECT_EQ(r.log, (std::vector<std::string>{"100 ?", "600 ?", "1100 ?", "1600 ?", "2100 give up"}));
    EXPECT_EQ(r.ex.resends(), kMaxResends);
    EXPECT_EQ(r.counted, kMaxResends);
    EXPECT_FALSE(r.ex.timer().enabled());
}

TEST(ModemExchange, ANewSendStartsAFreshCountAndAwaitMovesTheTimeOut) {
    ExchangeRig r;
    r.ex.Send(r.Command("T1"));
    r.sched.advance(1000);  // two resends of "T1"
    ASSERT_EQ(r.ex.resends(), 2);
    r.ex.Send(r.Command("AS"));
    EXPECT_EQ(r.ex.resends(), 0);
    r.sched.advance(400);
    r.ex.Await();  // a record of the reply came: the next is awaited a full time from now
    r.sched.advance(499);
    EXPECT_EQ(r.log.back(), "1000 AS");
    r.sched.advance(1);
    EXPECT_EQ(r.log.back(), "1900 AS");
    r.ex.Stop();
    r.sched.advance(5000);
    EXPECT_EQ(r.log.back(), "1900 AS");
}

TEST(ModemExchange, NothingIsResentIntoALineThatIsDown) {
    ExchangeRig r;
    r.ex.Send(r.Command("DE"));
    r.lineUp = false;
    EXPECT_FALSE(r.ex.CanResend());
    r.sched.advance(500);
    EXPECT_EQ(r.log, (std::vector<std::string>{"0 DE", "500 give up"}));
    EXPECT_EQ(r.counted, 0);
}

TEST(ModemExchange, SilentResendsAreNotCountedInTheStatusBar) {
    ExchangeRig r;
    r.onTimeOut = [&r] {
        r.ex.Stop();
        if (!r.ex.Resend(ModemExchange::Tally::Silent)) r.Note("give up");
    };
    r.ex.Send(r.Command("S9"));
    r.sched.advance(2000);
    EXPECT_EQ(r.log.back(), "2000 give up");
    EXPECT_EQ(r.ex.resends(), kMaxResends);
    EXPECT_EQ(r.counted, 0);
}

// A step that starts its exchange itself (a read begun again, a tune record rebuilt) would
// clear the count with its Send: a resend made that way keeps counting, and the step's command
// is the one resent next.
TEST(ModemExchange, AResendMadeByRestartingAStepKeepsTheCount) {
    ExchangeRig r;
    r.onTimeOut = [&r] {
        r.ex.Stop();
        if (!r.ex.CanResend()) return r.Note("give up");
        r.ex.ResendBy([&r] { r.ex.Send(r.Command("step")); });
    };
    r.ex.Send(r.Command("first"));
    r.sched.advance(5000);
    EXPECT_EQ(r.log, (std::vector<std::string>{"0 first", "500 step", "1000 step", "1500 step", "2000 give up"}));
    EXPECT_EQ(r.counted, kMaxResends);
}

TEST(LoadToken, ATokenTakenBeforeABoxHoldsOnlyForTheSameLoad) {
    LoadToken load;
    EXPECT_FALSE(load.Still(load.Take()));
    load.Begin();
    const LoadToken::Value token = load.Take();
    EXPECT_TRUE(load.Still(token));
    load.End();  // the window closed while the box was up
    EXPECT_FALSE(load.Still(token));
    load.Begin();  // and was opened again
    EXPECT_TRUE(load.loaded());
    EXPECT_FALSE(load.Still(token));
    EXPECT_TRUE(load.Still(load.Take()));
}

}  // namespace
}  // namespace k45
