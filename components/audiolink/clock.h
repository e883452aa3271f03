// Monotonic time in nanoseconds, shared by every thread of the component and,
// being CLOCK_MONOTONIC, comparable between processes on one machine.
#pragma once

#include <cstdint>

namespace audiolink {

int64_t MonotonicNs();

// Sleeps until the monotonic clock reads deadline (returns at once if past).
void SleepUntilNs(int64_t deadline);

}  // namespace audiolink
