// The link's counters, and the optional file that gets a line of them every
// second (AUDIOLINK_STATS=PATH; truncated at Open, a last line at Close).
//
// Every counter is an atomic written by one audio or network thread and read
// by the writer; all count from Open.
//
// Line format, key=value separated by spaces:
//   t sent received lost late duplicated fec concealed dropped junk stranger
//   foreign overflow jitter_ms depth_ms latency_ms capture_t0 playback_t0
// (t: seconds since Open; *_t0: monotonic ns of the first sample of a file
// or null device, 0 otherwise.)
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <thread>

namespace audiolink {

struct LinkStats {
  std::atomic<uint64_t> sent{0};        // packets sent
  std::atomic<uint64_t> received{0};    // stream packets taken by the jitter buffer
  std::atomic<uint64_t> lost{0};        // missing at their turn
  std::atomic<uint64_t> late{0};        // arrived after their turn
  std::atomic<uint64_t> duplicated{0};  // repeated sequence numbers
  std::atomic<uint64_t> fec{0};         // lost, rebuilt from FEC
  std::atomic<uint64_t> concealed{0};   // frames of loss concealment
  std::atomic<uint64_t> dropped{0};     // frames discarded to bound latency
  std::atomic<uint64_t> junk{0};        // malformed datagrams
  std::atomic<uint64_t> stranger{0};    // datagrams from other addresses
  std::atomic<uint64_t> foreign{0};     // packets of an SSRC not locked onto
  std::atomic<uint64_t> overflow{0};    // packets the playout thread had no room for
  std::atomic<int64_t> jitterUs{0};     // interarrival jitter (RFC 3550)
  std::atomic<int64_t> depthMs{0};      // audio in the jitter buffer
  std::atomic<int64_t> latencyUs{0};    // estimated mouth-to-ear latency
  std::atomic<int64_t> captureStartNs{0};
  std::atomic<int64_t> playbackStartNs{0};
};

struct StatsWriter {
  std::FILE* file = nullptr;
  int64_t openedNs = 0;
  std::atomic<bool> stop{false};
  std::thread thread;
};

// Starts the writer when AUDIOLINK_STATS is set; false when the file cannot
// be opened or the thread not started (the link works on without it).
bool StartStats(StatsWriter* writer, const LinkStats* stats);
// Writes the last line and closes; harmless when not started.
void StopStats(StatsWriter* writer, const LinkStats* stats);

}  // namespace audiolink
