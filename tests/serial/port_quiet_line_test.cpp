// The end of a receive burst on a device that counts its waiting bytes: the rest below the
// raised threshold is taken once the line has been quiet for four characters' time, not at the
// second tick; while bytes keep coming the burst goes on.
#include <gtest/gtest.h>

#include "serial/port_fixture.h"
#include "support/null_modem.h"

namespace k45::test {
namespace {

struct QuietLine : ::testing::Test {
    VirtualScheduler sched;
    ScriptedDialogs dialogs;
    AppState app;
    std::unique_ptr<RxMessageTables> tables = std::make_unique<RxMessageTables>();
    NullModemPair cable{sched};
    std::unique_ptr<Timer> timer = sched.createTimer();
    std::unique_ptr<classComm> port;
    std::vector<std::pair<std::int64_t, std::string>> chunks;  // time, raw chunk

    struct Raw : CommForm {
        QuietLine* t;
        explicit Raw(QuietLine* owner) : t(owner) {}
        void RxRawData(const std::string& s) override { t->chunks.emplace_back(t->sched.nowMs(), s); }
    } window{this};

    QuietLine() {
        app.scheduler = &sched;
        app.dialogs = &dialogs;
        port = std::make_unique<classComm>(app, app.locale, sched, dialogs, *tables);
        port->InitCommCtrl(&cable.a(), 0, 1, timer.get());
        port->ForceCommPortOpen(1, {.baudRate = 9600});
        port->RegisterForRawData(&window);
    }
    // Two events 30 ms apart, after a quiet second, start a burst.
    void StartBurst() {
        sched.advance(1000);
        cable.inject(Direction::BtoA, "A");
        sched.advance(30);
        cable.inject(Direction::BtoA, "B");
        sched.advance(1);
        ASSERT_EQ(chunks.size(), 2u);
    }
    std::string Received() const {
        std::string all;
        for (const auto& c : chunks) all += c.second;
        return all;
    }
};

TEST_F(QuietLine, TheRestOfABurstIsTakenWhenTheLineFallsQuiet) {
    // A burst raises the threshold to 192 at 9600 baud; then 50 bytes below the threshold
    // arrive one by one, as off the wire, and the line falls quiet.
    ASSERT_NO_FATAL_FAILURE(StartBurst());
    ASSERT_EQ(cable.a().receiveThreshold(), 192);
    const std::string rest(50, 'r');
    for (char c : rest) {
        sched.advance(1);
        cable.inject(Direction::BtoA, std::string(1, c));
    }
    const std::int64_t quietFrom = sched.nowMs();
    sched.advance(200);
    EXPECT_EQ(Received(), "AB" + rest);
    ASSERT_EQ(chunks.size(), 3u);
    // Four characters at 9600 baud are 4.2 ms: checked every 5 ms, two equal counts.
    EXPECT_LE(chunks[2].first - quietFrom, 10) << "the rest waited for the tick";
    EXPECT_EQ(cable.a().receiveThreshold(), 1);
}

TEST_F(QuietLine, BytesStillComingKeepTheBurstGoing) {
    ASSERT_NO_FATAL_FAILURE(StartBurst());
    // A byte every 3 ms (slower than the wire, faster than four characters' time): the line is
    // never quiet and the threshold never reached, so only the tick may end the burst.
    for (int i = 0; i < 12; ++i) {
        sched.advance(3);
        cable.inject(Direction::BtoA, "x");
        ASSERT_EQ(chunks.size(), 2u) << "taken while bytes were still coming, at byte " << i;
    }
    sched.advance(200);
    EXPECT_EQ(Received(), "AB" + std::string(12, 'x'));
    EXPECT_EQ(cable.a().receiveThreshold(), 1);
}

}  // namespace
}  // namespace k45::test
