// The exchange every radio-test window shares, on the port object over the null-modem cable
// with the simulated modem in each of its answer forms: acknowledgements and diagnostic blocks,
// the owed unkey and its words, a lost port, two windows on one port and a radio left behind
// on another device.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "programming/programming_bench.h"
#include "programming/radio_exchange.h"
#include "programming/radio_off.h"
#include "serial/modem_commands.h"

namespace k45::test {
namespace {

// A window's side of the exchange: what it was handed and what it did.
struct Window : CommForm {
    Window(Scheduler& sched, classComm*& port)
        : ex(&sched, 500, load,
             {[&port] { return port; }, [] { return true; }, [this] { ++timeOuts; ex.Stop(); },
              [] { return std::string("T0\r"); }, [this] { ++unkeyAcks; }, [this] { ++unkeyGivenUps; return false; },
              {}, [this](const std::string& t) { told.push_back(t); }}) {
        load.Begin();
        ex.Begin();
        port->RegisterForSRecord(this, false);
    }
    ~Window() override { ex.End(); }
    void RxSRecordData(std::int16_t slot) override {
        if (const auto r = ex.Take(slot)) {
            kinds.push_back(r->kind);
            if (r->blockComplete) block.assign(r->block.begin(), r->block.end());
            if (r->kind == RadioReply::Kind::Acknowledged) ex.Stop();
        }
    }
    int Acks() const { return static_cast<int>(std::count(kinds.begin(), kinds.end(), RadioReply::Kind::Acknowledged)); }

    LoadToken load;
    RadioExchange ex;
    std::vector<RadioReply::Kind> kinds;
    std::vector<std::int16_t> block;
    std::vector<std::string> told;
    int timeOuts = 0, unkeyAcks = 0, unkeyGivenUps = 0;
};

class RadioExchangeTest : public ProgrammingBench {
protected:
    classComm* primary = port.get();
    std::string Tune(bool keyed) {
        TuneRecord t{};
        t.radioType = ctx.state.testDefaults.radioType;
        t.radioRange = ctx.state.testDefaults.radioRange;
        t.txSelected = keyed ? kTrue : kFalse;
        return TuneRecordLine(ctx.state, ctx.state, t);
    }
    int Sent(const std::string& prefix) { return static_cast<int>(modem.linesStartingWith(prefix).size()); }
};

TEST_F(RadioExchangeTest, ACommandIsAcknowledgedAndABlockReadInEveryForm) {
    SimulatedModem::DiagBlock block{};
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(100 + i);
    modem.diagBlock = block;
    for (const AnswerForm& f : kAnswerForms) {
        SCOPED_TRACE(f.name);
        modem.answerIn(f);
        Window w{sched, primary};
        ASSERT_TRUE(w.ex.Send(Tune(true), RadioExchange::Keying::Keys));
        sched.advance(400);
        EXPECT_EQ(w.Acks(), 1);
        EXPECT_EQ(w.timeOuts, 0);
        EXPECT_TRUE(w.ex.mayTransmit());
        ASSERT_TRUE(w.ex.Send(Tune(false), RadioExchange::Keying::Unkeys));
        sched.advance(400);
        EXPECT_FALSE(w.ex.mayTransmit());  // the receive record was acknowledged
        ASSERT_TRUE(w.ex.Send(CommandLine("AS")));
        sched.advance(400);
        ASSERT_EQ(w.block.size(), 42u);
        EXPECT_EQ(w.block[0], 100);
        EXPECT_EQ(w.block[41], 141);
        EXPECT_EQ(w.Acks(), 3);
        port->DeRegisterForAll(&w);
    }
}

TEST_F(RadioExchangeTest, ALateReplyToAResendNeverAcknowledgesTheNextCommand) {
    for (const AnswerForm& f : kAnswerForms) {
        SCOPED_TRACE(f.name);
        modem.answerIn(f);
        modem.clearFaults();
        Window w{sched, primary};
        // The first answer just after the time-out, the resend's right behind it.
        modem.replyDelayMs = 520;
        ASSERT_TRUE(w.ex.Send(Tune(false), RadioExchange::Keying::Unkeys));
        sched.advance(500);
        ASSERT_EQ(w.timeOuts, 1);
        ASSERT_TRUE(w.ex.Resend());
        sched.advance(100);
        ASSERT_EQ(w.Acks(), 1);
        // "T0" goes unanswered: the resend's second answer is not its acknowledgement.
        modem.replyDelayMs = 5;
        modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, -1});
        ASSERT_TRUE(w.ex.Send(CommandLine("T0"), RadioExchange::Keying::Unkeys));
        sched.advance(2000);
        EXPECT_EQ(w.Acks(), 1);
        port->DeRegisterForAll(&w);
        sched.advance(3000);
    }
}

TEST_F(RadioExchangeTest, AnUnkeyOwedGoesFirstAndOnlyItsAcknowledgementSaysTheRadioIsOff) {
    Window w{sched, primary};
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1});
    ASSERT_TRUE(w.ex.Send(Tune(true), RadioExchange::Keying::Keys));
    sched.advance(600);
    // The window gives its keyed record up: the unkey goes, and goes unanswered.
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, 4});
    w.ex.GiveUp(false);
    EXPECT_TRUE(w.ex.unkeyUnderWay());
    sched.advance(2100);
    EXPECT_EQ(Sent("T0"), 4);
    EXPECT_EQ(w.told, std::vector<std::string>{kMayTransmitText});
    EXPECT_EQ(w.unkeyGivenUps, 1);
    EXPECT_TRUE(w.ex.unkeyOwed());
    // Every start waits behind the unkey, which goes first; the modem answers it now.
    EXPECT_EQ(w.ex.Ready(false), RadioExchange::Gate::Wait);
    EXPECT_FALSE(w.ex.PollReady());
    sched.advance(100);
    EXPECT_EQ(Sent("T0"), 5);
    EXPECT_EQ(w.unkeyAcks, 1);
    EXPECT_EQ(w.told.back(), kTxOffLaterText);
    EXPECT_FALSE(w.ex.mayTransmit());
    EXPECT_EQ(w.ex.Ready(true), RadioExchange::Gate::Go);
    EXPECT_TRUE(w.ex.PollReady());
    port->DeRegisterForAll(&w);
}

// The radio may transmit from a keyed record until the modem acknowledges an unkeyed one: an
// unkeyed record the modem does not answer is not known to have arrived, and a keyed record's
// acknowledgement unkeys nothing.
TEST_F(RadioExchangeTest, TheRadioMayTransmitUntilAnUnkeyingLineIsAcknowledged) {
    Window w{sched, primary};
    EXPECT_FALSE(w.ex.mayTransmit());
    ASSERT_TRUE(w.ex.Send(Tune(true), RadioExchange::Keying::Keys));
    sched.advance(400);
    EXPECT_TRUE(w.ex.mayTransmit());
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, 1});
    ASSERT_TRUE(w.ex.Send(Tune(false), RadioExchange::Keying::Unkeys));
    sched.advance(400);
    EXPECT_TRUE(w.ex.mayTransmit()) << "an unkeyed record is not known to have arrived";
    w.ex.GiveUp(false);  // "T0", acknowledged at once: nothing more to tell than that
    sched.advance(400);
    EXPECT_FALSE(w.ex.mayTransmit());
    EXPECT_EQ(w.told, std::vector<std::string>{kTxOffText});
    ASSERT_TRUE(w.ex.Send(Tune(true), RadioExchange::Keying::Keys));
    sched.advance(400);
    w.ex.GiveUp(false);
    EXPECT_TRUE(w.ex.unkeyUnderWay());
    ASSERT_TRUE(w.ex.Send(Tune(true), RadioExchange::Keying::Keys));  // the window's own command
    sched.advance(400);
    EXPECT_TRUE(w.ex.unkeyOwed()) << "a keyed record's acknowledgement unkeys nothing";
    port->DeRegisterForAll(&w);
}

// An unkey left unanswered is told once; again only when an operator's action waited behind it.
// A radio that had acknowledged its receive set-up is said to be off every time.
TEST_F(RadioExchangeTest, AnUnansweredUnkeyIsToldOnceUnlessAnActionWaitsBehindIt) {
    Window w{sched, primary};
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, -1});
    w.ex.GiveUp(true);  // a point given up on a radio that is not keyed
    sched.advance(2100);
    EXPECT_EQ(w.told, std::vector<std::string>{kPointLostText});
    ASSERT_TRUE(w.ex.Send(Tune(true), RadioExchange::Keying::Keys));
    sched.advance(400);
    w.ex.GiveUp(false);
    sched.advance(2100);
    EXPECT_EQ(w.told.back(), kMayTransmitText);
    EXPECT_EQ(w.ex.Ready(false), RadioExchange::Gate::Wait);  // the poll or the program's own send
    sched.advance(2100);
    EXPECT_EQ(w.told.size(), 2u);
    EXPECT_EQ(w.ex.Ready(true), RadioExchange::Gate::Wait);  // an operator's action waits behind it
    sched.advance(2100);
    EXPECT_EQ(w.told.size(), 3u);
    EXPECT_EQ(w.told.back(), kMayTransmitText);
    EXPECT_EQ(w.unkeyGivenUps, 4);
    port->DeRegisterForAll(&w);
}

// A lost port is told once per loss, and a radio that may transmit is then owed its unkey and
// counts as told; Close on the lost port tells a keyed radio again, since the window takes the
// promised unkey with it, and says nothing more of an unkeyed one.
TEST_F(RadioExchangeTest, ALostPortIsToldOncePerLossAndAgainAtCloseWhileKeyed) {
    struct Case {
        const char* what;
        bool keyed;
        std::vector<std::string> told;
    };
    const Case cases[] = {
        {"unkeyed", false, {PortClosedText(1, false)}},
        {"keyed", true, {PortClosedText(1, true), PortClosedAtCloseText(1, true)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Window w{sched, primary};
        ASSERT_TRUE(w.ex.Send(Tune(c.keyed), c.keyed ? RadioExchange::Keying::Keys : RadioExchange::Keying::Unkeys));
        sched.advance(400);
        dialogs.expectBox("Lost Com Port 1\r\nThe adapter was unplugged.");
        cable.a().unplug();
        sched.advance(200);
        w.ex.TellPortClosed();
        w.ex.TellPortClosed();
        EXPECT_FALSE(w.ex.LineBack());
        w.ex.TellClosedAtClose();
        EXPECT_EQ(w.told, c.told);
        EXPECT_FALSE(w.ex.unkeyOwed()) << "the unkey left with the window";
        port->DeRegisterForAll(&w);
        cable.a().plugIn();
        ASSERT_TRUE(primary->OpenCommPort());
    }
}

TEST_F(RadioExchangeTest, ALostPortIsToldOnceAndAClosedPortGetsNothingWritten) {
    Window w{sched, primary};
    ASSERT_TRUE(w.ex.Send(Tune(true), RadioExchange::Keying::Keys));
    sched.advance(400);
    dialogs.expectBox("Lost Com Port 1\r\nThe adapter was unplugged.");
    cable.a().unplug();
    sched.advance(200);
    ASSERT_FALSE(primary->GetCommPortOpen());
    const std::size_t before = cable.wireLog(Direction::AtoB).size();
    EXPECT_EQ(w.ex.Ready(true), RadioExchange::Gate::Refused);
    EXPECT_EQ(w.ex.Ready(true), RadioExchange::Gate::Refused);
    EXPECT_FALSE(w.ex.PollReady());
    EXPECT_FALSE(w.ex.Send(CommandLine("AS")));
    EXPECT_EQ(w.told, std::vector<std::string>{PortClosedText(1, true)});
    EXPECT_TRUE(w.ex.unkeyOwed());
    EXPECT_EQ(cable.wireLog(Direction::AtoB).size(), before);
    // Leaving now: the operator hears that the unkey could not be sent.
    w.ex.Leave(true);
    EXPECT_EQ(w.told.back(), PortClosedAtCloseText(1, true));
    EXPECT_FALSE(w.ex.unkeyOwed());
    port->DeRegisterForAll(&w);
}

TEST_F(RadioExchangeTest, TwoWindowsOnOnePortTakeOnlyTheirOwnRepliesAndShareTheRadio) {
    Window a{sched, primary}, b{sched, primary};
    ASSERT_TRUE(a.ex.Send(Tune(true), RadioExchange::Keying::Keys));
    ASSERT_TRUE(b.ex.Send(CommandLine("AR")));
    sched.advance(400);
    EXPECT_EQ(a.Acks(), 1);
    EXPECT_EQ(b.Acks(), 1);
    // A gives up on a keyed record: B may not key the radio before the unkey is acknowledged.
    modem.addFault({ModemFault::Silence, ModemStep::EndTest, 0, 1});
    ASSERT_TRUE(a.ex.Send(Tune(true), RadioExchange::Keying::Keys));
    sched.advance(100);
    a.ex.GiveUp(false);
    EXPECT_TRUE(b.ex.unkeyOwed());
    EXPECT_EQ(b.ex.Ready(true), RadioExchange::Gate::Wait);  // A's unkey is on its way
    sched.advance(50);
    EXPECT_EQ(Sent("T0"), 1);
    sched.advance(600);  // A's resend is answered
    EXPECT_EQ(a.unkeyAcks, 1);
    EXPECT_EQ(b.unkeyAcks, 0);
    EXPECT_EQ(b.Acks(), 1);
    EXPECT_EQ(b.ex.Ready(true), RadioExchange::Gate::Go);
    port->DeRegisterForAll(&a);
    port->DeRegisterForAll(&b);
}

TEST_F(RadioExchangeTest, AnUnkeyOwedToARadioOnAnotherDeviceIsToldAndNotSentToTheNewOne) {
    Window w{sched, primary};
    modem.addFault({ModemFault::Silence, ModemStep::Tune, 0, -1});
    ASSERT_TRUE(w.ex.Send(Tune(true), RadioExchange::Keying::Keys));
    sched.advance(600);
    w.ex.Stop();
    // The port now leads to Com 3's device.
    primary->CloseCommPort();
    CommSettings s = primary->settings();
    s.portNumber = 3;
    primary->setSettings(s);
    cable.a().setPortNumber(3);
    ASSERT_TRUE(primary->OpenCommPort());
    EXPECT_FALSE(w.ex.unkeyOwed());
    EXPECT_EQ(w.ex.Ready(true), RadioExchange::Gate::Go);
    EXPECT_EQ(w.told, std::vector<std::string>{LeftRadioText(3, "Com1")});
    EXPECT_EQ(Sent("T0"), 0);
    port->DeRegisterForAll(&w);
}

}  // namespace
}  // namespace k45::test
