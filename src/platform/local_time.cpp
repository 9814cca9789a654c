#include "platform/local_time.h"

#include "platform/scheduler.h"

namespace k45 {

std::int64_t WallClockSeconds(const Scheduler* scheduler) {
    return scheduler ? scheduler->wallClockSeconds() : static_cast<std::int64_t>(std::time(nullptr));
}

std::optional<std::tm> LocalTimeOf(std::int64_t wallClockSeconds) {
    const std::time_t t = static_cast<std::time_t>(wallClockSeconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return std::nullopt;
    return local;
}

std::int64_t LocalSecondsOf(std::int64_t wallClockSeconds) {
    const std::optional<std::tm> local = LocalTimeOf(wallClockSeconds);
    return local ? wallClockSeconds + local->tm_gmtoff : wallClockSeconds;
}

}  // namespace k45
