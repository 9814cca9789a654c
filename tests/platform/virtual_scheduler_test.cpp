#include "support/virtual_scheduler.h"

#include <gtest/gtest.h>

using k45::test::VirtualScheduler;

TEST(VirtualScheduler, TimersFireInOrderAndRestartWhenEnabled) {
    VirtualScheduler s;
    std::vector<std::pair<char, std::int64_t>> log;
    auto a = s.createTimer();
    auto b = s.createTimer();
    a->setInterval(50);
    a->setHandler([&] { log.push_back({'a', s.nowMs()}); });
    b->setInterval(120);
    b->setHandler([&] { log.push_back({'b', s.nowMs()}); b->setEnabled(false); });
    a->setEnabled(true);
    b->setEnabled(true);
    s.advance(150);
    std::vector<std::pair<char, std::int64_t>> want{{'a', 50}, {'a', 100}, {'b', 120}, {'a', 150}};
    EXPECT_EQ(log, want);
    a->setEnabled(false);
    a->setEnabled(true);  // restarts the countdown from 150
    log.clear();
    s.advance(60);
    EXPECT_EQ(log, (std::vector<std::pair<char, std::int64_t>>{{'a', 200}}));
}

TEST(VirtualScheduler, WaitWithAndWithoutDispatch) {
    VirtualScheduler s;
    int fired = 0;
    s.callAt(100, [&] { ++fired; });
    s.wait(200, false);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(s.nowMs(), 200);
    s.processEvents();
    EXPECT_EQ(fired, 1);
    s.callAt(250, [&] { ++fired; });
    s.wait(100, true);
    EXPECT_EQ(fired, 2);
}
