#pragma once
// The local time of the wall clock: the one place the time zone is applied.
#include <cstdint>
#include <ctime>
#include <optional>

namespace k45 {

class Scheduler;

// Seconds since 1970 (UTC): the scheduler's wall clock, else the system's.
std::int64_t WallClockSeconds(const Scheduler* scheduler);
// The local date and time of a wall-clock second count; nothing when the system cannot convert it.
std::optional<std::tm> LocalTimeOf(std::int64_t wallClockSeconds);
// The local wall clock as seconds since 1970 (the zone's offset at that moment added); the UTC
// seconds when the zone is unknown.
std::int64_t LocalSecondsOf(std::int64_t wallClockSeconds);

}  // namespace k45
