// The receive jitter buffer: orders packets by sequence number and decides,
// once per frame of playout, what the decoder renders.
//
// Ownership: a JitterBuffer belongs to the playout thread, which alone calls
// these functions; it does no decoding and holds no lock.
//
// Playout rules:
// - A new stream is buffered until its first packet has waited the cushion
//   (minFrames frames), then plays one packet per tick.
// - A missing packet with later ones present is lost: rendered from the next
//   packet's FEC when that one is there, concealed otherwise.
// - With nothing buffered the tick is concealed without moving on, so a late
//   packet still plays (latency grows by a frame); after kConcealFrames such
//   ticks output is silence and the stream is buffered anew when packets come
//   back (a pause: no loss is counted if the sequence goes on).
// - When every tick of a window found more than the cushion plus one frame,
//   one frame is dropped, and above maxFrames at once: latency does not creep
//   when the sender's clock is faster, and a slower one runs into concealment.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rtp.h"

namespace audiolink {

constexpr int kJitterSlots = 64;
constexpr int kConcealFrames = 5;
constexpr int kSeenWindow = 1024;

struct JitterConfig {
  int64_t frameNs;
  int minFrames;     // cushion beyond the frame being played, >= 1
  int maxFrames;     // most frames held, > minFrames, < kJitterSlots
  int windowFrames;  // ticks over which surplus is judged before a drop
};

struct JitterCounters {
  uint64_t received = 0;    // packets stored (not duplicates)
  uint64_t duplicated = 0;  // copies of a sequence number already seen
  uint64_t late = 0;        // arrived after their turn had passed
  uint64_t lost = 0;        // missing at their turn (includes late ones)
  uint64_t fec = 0;         // lost ones rebuilt from the next packet's FEC
  uint64_t concealed = 0;   // frames made up by loss concealment
  uint64_t dropped = 0;     // played-out frames discarded to bound latency
};

struct JitterSlot {
  bool used;
  uint16_t sequence;
  int64_t arrivalNs;
  uint16_t size;
  uint8_t data[kMaxDatagram];
};

enum class Render { kSilence, kDecode, kFec, kConceal };

struct RenderStep {
  Render what;
  // kDecode: the packet to play; kFec: the packet after the lost one. Valid
  // until the next call on the buffer.
  const JitterSlot* slot;
};

struct JitterBuffer {
  JitterConfig config;
  JitterSlot slots[kJitterSlots];
  int stored;
  bool haveNext;  // next is known (a packet of this stream has been seen)
  bool started;   // something of this stream has been played
  bool playing;
  uint16_t next;
  int underruns;
  int windowTicks;
  int windowMin;
  uint16_t seen[kSeenWindow];
  bool seenValid[kSeenWindow];
  int64_t waitNs;  // smoothed time a played packet spent in the buffer
  JitterCounters counters;
};

enum class Inserted { kStored, kDuplicate, kLate };

// Sets up an empty buffer with zero counters.
void JitterInit(JitterBuffer* buffer, const JitterConfig& config);
// Forgets packets and position (a new stream); counters stay.
void JitterReset(JitterBuffer* buffer);
// payload: 1..kMaxDatagram bytes, copied.
Inserted JitterInsert(JitterBuffer* buffer, uint16_t sequence, const uint8_t* payload, size_t size,
                      int64_t arrivalNs);
RenderStep JitterNext(JitterBuffer* buffer, int64_t nowNs);
// Packets held, counted from the next one to play.
int JitterDepth(const JitterBuffer* buffer);

}  // namespace audiolink
