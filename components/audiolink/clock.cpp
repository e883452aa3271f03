#include "clock.h"

#include <cerrno>
#include <ctime>

namespace audiolink {

int64_t MonotonicNs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

void SleepUntilNs(int64_t deadline) {
  timespec at;
  at.tv_sec = deadline / 1000000000;
  at.tv_nsec = deadline % 1000000000;
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
  }
}

}  // namespace audiolink
