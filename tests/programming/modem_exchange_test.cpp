// The exchange every modem dialogue runs: sends and their times, resends up to the limit, the
// line and the status-bar count, resends made by restarting a step, and the load token.
#include <gtest/gtest.h>

#include <optional>
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

TEST(ModemExchange, TheRadioMayTransmitFromAKeyedRecordUntilAnUnkeyedOneIsAcknowledged) {
    ExchangeRig r;
    EXPECT_FALSE(r.ex.mayTransmit());
    r.ex.SentRecord(true);
    r.ex.RecordAcknowledged();
    EXPECT_TRUE(r.ex.mayTransmit()) << "a keyed record's acknowledgement leaves it keyed";
    r.ex.SentRecord(false);
    EXPECT_TRUE(r.ex.mayTransmit()) << "an unkeyed record is not known to have arrived";
    r.ex.RecordAcknowledged();
    EXPECT_FALSE(r.ex.mayTransmit());
    r.ex.SentRecord(true);
    r.ex.Unkeyed();
    EXPECT_FALSE(r.ex.mayTransmit());
}

// The unkey owed to a radio that may transmit is done only by the modem's acknowledgement of an
// unkey ("T0" or a receive record); the operator who was told the radio may still transmit is
// to hear that it is off, the one who was not hears nothing more.
TEST(ModemExchange, AnOwedUnkeyStaysOwedUntilTheModemAcknowledgesOne) {
    ExchangeRig r;
    r.ex.OweUnkey();
    EXPECT_FALSE(r.ex.unkeyOwed()) << "nothing is owed to a radio that is not keyed";
    r.ex.SentRecord(true);
    r.ex.RecordAcknowledged();
    r.ex.OweUnkey();
    EXPECT_TRUE(r.ex.unkeyOwed());
    r.ex.ToldMayTransmit();
    r.ex.SentRecord(false);
    EXPECT_TRUE(r.ex.unkeyOwed()) << "sending the unkey is not enough";
    EXPECT_TRUE(r.ex.mayTransmit());
    EXPECT_TRUE(r.ex.RecordAcknowledged()) << "the operator was told: the acknowledgement is told too";
    EXPECT_FALSE(r.ex.unkeyOwed());
    EXPECT_FALSE(r.ex.mayTransmit());
    EXPECT_FALSE(r.ex.toldMayTransmit());

    r.ex.SentRecord(true);
    r.ex.OweUnkey();
    EXPECT_FALSE(r.ex.UnkeyAcknowledged()) << "an unkey acknowledged at once needs no second word";
    EXPECT_FALSE(r.ex.unkeyOwed());

    r.ex.SentRecord(true);
    r.ex.OweUnkey();
    r.ex.SentRecord(true);
    EXPECT_FALSE(r.ex.RecordAcknowledged()) << "a keyed record's acknowledgement unkeys nothing";
    EXPECT_TRUE(r.ex.unkeyOwed());
    r.lineUp = false;
    EXPECT_FALSE(r.ex.lineUp());
    EXPECT_FALSE(r.ex.CanResend());
}

// A lost port is told once per loss, and a radio that may transmit is then owed its unkey and
// counts as told; a Close on the lost port tells a keyed radio again, since the window takes the
// promised unkey with it.
TEST(ModemExchange, ALostPortIsToldOncePerLossAndAgainAtCloseWhileKeyed) {
    ExchangeRig r;
    r.lineUp = false;
    EXPECT_EQ(r.ex.PortLost(), std::optional<bool>(false));
    EXPECT_EQ(r.ex.PortLost(), std::nullopt);
    EXPECT_EQ(r.ex.PortLostAtClose(), std::nullopt) << "nothing was promised of an unkeyed radio";
    EXPECT_FALSE(r.ex.LineBack());
    EXPECT_EQ(r.ex.PortLost(), std::nullopt) << "still the same loss";

    r.lineUp = true;
    EXPECT_TRUE(r.ex.LineBack());
    r.ex.SentRecord(true);
    r.lineUp = false;
    EXPECT_EQ(r.ex.PortLost(), std::optional<bool>(true)) << "a new loss";
    EXPECT_TRUE(r.ex.unkeyOwed());
    EXPECT_TRUE(r.ex.toldMayTransmit());
    EXPECT_EQ(r.ex.PortLost(), std::nullopt);
    EXPECT_EQ(r.ex.PortLostAtClose(), std::optional<bool>(true));

    r.ex.ForgetKeying();
    EXPECT_EQ(r.ex.PortLost(), std::optional<bool>(false)) << "a new load hears of the loss";
}

// An owed unkey left unanswered is told once; again only when an operator's action waited
// behind it. A radio that had acknowledged its receive set-up is said to be off every time.
TEST(ModemExchange, AnUnansweredUnkeyIsToldOnceUnlessAnActionWaitsBehindIt) {
    ExchangeRig r;
    EXPECT_EQ(r.ex.UnkeyUnanswered(), std::optional<bool>(false));
    EXPECT_EQ(r.ex.UnkeyUnanswered(), std::optional<bool>(false));
    r.ex.SentRecord(true);
    r.ex.OweUnkey();
    EXPECT_EQ(r.ex.UnkeyUnanswered(), std::optional<bool>(true));
    EXPECT_EQ(r.ex.UnkeyUnanswered(), std::nullopt);
    r.ex.UnkeyForAction();
    EXPECT_EQ(r.ex.UnkeyUnanswered(), std::optional<bool>(true));
    EXPECT_EQ(r.ex.UnkeyUnanswered(), std::nullopt);
    r.ex.UnkeyForAction();
    EXPECT_TRUE(r.ex.UnkeyAcknowledged());
    r.ex.SentRecord(true);
    r.ex.OweUnkey();
    EXPECT_EQ(r.ex.UnkeyUnanswered(), std::optional<bool>(true)) << "a radio keyed again is told of again";
    EXPECT_EQ(r.ex.UnkeyUnanswered(), std::nullopt) << "the answered unkey took the waiting action with it";
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
