#include "stats.h"
#include <pthread.h>

#include <cstdlib>
#include <system_error>

#include "clock.h"

namespace audiolink {
namespace {

unsigned long long Get(const std::atomic<uint64_t>& counter) {
  return counter.load(std::memory_order_relaxed);
}

void WriteLine(StatsWriter* writer, const LinkStats* s) {
  std::fprintf(writer->file,
               "t=%.3f sent=%llu received=%llu lost=%llu late=%llu duplicated=%llu fec=%llu "
               "concealed=%llu dropped=%llu junk=%llu stranger=%llu foreign=%llu overflow=%llu "
               "jitter_ms=%.2f depth_ms=%lld latency_ms=%.1f capture_t0=%lld playback_t0=%lld\n",
               (MonotonicNs() - writer->openedNs) / 1e9, Get(s->sent), Get(s->received),
               Get(s->lost), Get(s->late), Get(s->duplicated), Get(s->fec), Get(s->concealed),
               Get(s->dropped), Get(s->junk), Get(s->stranger), Get(s->foreign), Get(s->overflow),
               s->jitterUs.load() / 1000.0, static_cast<long long>(s->depthMs.load()),
               s->latencyUs.load() / 1000.0, static_cast<long long>(s->captureStartNs.load()),
               static_cast<long long>(s->playbackStartNs.load()));
  std::fflush(writer->file);
}

void WriterLoop(StatsWriter* writer, const LinkStats* stats) {
  // Named, so that a look at the threads (and the benchmark) can tell them.
  pthread_setname_np(pthread_self(), "audiolink-stats");
  int64_t due = writer->openedNs;
  while (!writer->stop.load()) {
    due += 1000000000;
    while (!writer->stop.load() && MonotonicNs() < due) SleepUntilNs(MonotonicNs() + 50000000);
    if (!writer->stop.load()) WriteLine(writer, stats);
  }
}

}  // namespace

bool StartStats(StatsWriter* writer, const LinkStats* stats) {
  const char* path = std::getenv("AUDIOLINK_STATS");
  if (path == nullptr || *path == '\0') return true;
  writer->file = std::fopen(path, "w");
  if (writer->file == nullptr) return false;
  writer->openedNs = MonotonicNs();
  writer->stop = false;
  try {
    writer->thread = std::thread(WriterLoop, writer, stats);
  } catch (const std::system_error&) {
    std::fclose(writer->file);
    writer->file = nullptr;
    return false;
  }
  return true;
}

void StopStats(StatsWriter* writer, const LinkStats* stats) {
  if (writer->file == nullptr) return;
  writer->stop = true;
  if (writer->thread.joinable()) writer->thread.join();
  WriteLine(writer, stats);
  std::fclose(writer->file);
  writer->file = nullptr;
}

}  // namespace audiolink
