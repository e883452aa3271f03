#include "jitter_buffer.h"

#include <cstring>

namespace audiolink {
namespace {

JitterSlot& SlotOf(JitterBuffer* buffer, uint16_t sequence) {
  return buffer->slots[sequence % kJitterSlots];
}

bool Holds(JitterBuffer* buffer, uint16_t sequence) {
  const JitterSlot& slot = SlotOf(buffer, sequence);
  return slot.used && slot.sequence == sequence;
}

void Free(JitterBuffer* buffer, JitterSlot* slot) {
  slot->used = false;
  --buffer->stored;
}

void ClearSlots(JitterBuffer* buffer) {
  for (JitterSlot& slot : buffer->slots) slot.used = false;
  buffer->stored = 0;
}

// Distance from next to the nearest packet held; requires stored > 0.
int NearestAhead(JitterBuffer* buffer) {
  for (int d = 0; d < kJitterSlots; ++d) {
    if (Holds(buffer, static_cast<uint16_t>(buffer->next + d))) return d;
  }
  return 0;
}

void StartWindow(JitterBuffer* buffer) {
  buffer->windowTicks = 0;
  buffer->windowMin = kJitterSlots;
}

// Plays out nothing of the frame at next: used to trim latency.
void DropOldest(JitterBuffer* buffer) {
  const int gap = NearestAhead(buffer);
  buffer->counters.lost += static_cast<uint64_t>(gap);
  buffer->next = static_cast<uint16_t>(buffer->next + gap);
  Free(buffer, &SlotOf(buffer, buffer->next));
  buffer->next = static_cast<uint16_t>(buffer->next + 1);
  ++buffer->counters.dropped;
}

bool Seen(const JitterBuffer* buffer, uint16_t sequence) {
  const int index = sequence % kSeenWindow;
  return buffer->seenValid[index] && buffer->seen[index] == sequence;
}

void MarkSeen(JitterBuffer* buffer, uint16_t sequence) {
  const int index = sequence % kSeenWindow;
  buffer->seenValid[index] = true;
  buffer->seen[index] = sequence;
}

// The oldest arrival among the packets held; requires stored > 0.
int64_t OldestArrival(const JitterBuffer* buffer) {
  int64_t oldest = INT64_MAX;
  for (const JitterSlot& slot : buffer->slots) {
    if (slot.used && slot.arrivalNs < oldest) oldest = slot.arrivalNs;
  }
  return oldest;
}

}  // namespace

void JitterInit(JitterBuffer* buffer, const JitterConfig& config) {
  buffer->config = config;
  buffer->counters = JitterCounters{};
  JitterReset(buffer);
}

void JitterReset(JitterBuffer* buffer) {
  ClearSlots(buffer);
  buffer->haveNext = false;
  buffer->started = false;
  buffer->playing = false;
  buffer->next = 0;
  buffer->underruns = 0;
  buffer->waitNs = 0;
  StartWindow(buffer);
  std::memset(buffer->seenValid, 0, sizeof buffer->seenValid);
}

Inserted JitterInsert(JitterBuffer* buffer, uint16_t sequence, const uint8_t* payload, size_t size,
                      int64_t arrivalNs) {
  if (Seen(buffer, sequence)) {
    ++buffer->counters.duplicated;
    return Inserted::kDuplicate;
  }
  MarkSeen(buffer, sequence);
  if (!buffer->haveNext) {
    buffer->haveNext = true;
    buffer->next = sequence;
  }
  int ahead = static_cast<int16_t>(static_cast<uint16_t>(sequence - buffer->next));
  if (ahead < 0 && !buffer->started) {
    // Reordered ahead of the first packet of the stream: start earlier, as
    // long as everything held still fits.
    bool fits = -ahead < kJitterSlots;
    for (const JitterSlot& slot : buffer->slots) {
      if (slot.used && static_cast<uint16_t>(slot.sequence - sequence) >= kJitterSlots) {
        fits = false;
      }
    }
    if (fits) {
      buffer->next = sequence;
      ahead = 0;
    }
  }
  if (ahead < 0) {
    ++buffer->counters.late;
    return Inserted::kLate;
  }
  ++buffer->counters.received;
  if (ahead >= kJitterSlots) {
    // A jump beyond anything the buffer can hold: start over from here.
    ClearSlots(buffer);
    buffer->next = sequence;
    buffer->started = false;
    buffer->playing = false;
  }
  JitterSlot& slot = SlotOf(buffer, sequence);
  slot.used = true;
  slot.sequence = sequence;
  slot.arrivalNs = arrivalNs;
  slot.size = static_cast<uint16_t>(size);
  std::memcpy(slot.data, payload, size);
  ++buffer->stored;
  return Inserted::kStored;
}

int JitterDepth(const JitterBuffer* buffer) {
  return buffer->stored;
}

RenderStep JitterNext(JitterBuffer* buffer, int64_t nowNs) {
  const JitterConfig& config = buffer->config;
  if (!buffer->playing) {
    if (buffer->stored == 0) return {Render::kSilence, nullptr};
    if (nowNs - OldestArrival(buffer) < config.frameNs * config.minFrames) {
      return {Render::kSilence, nullptr};
    }
    // Packets skipped over while nothing played are gone for good.
    const int gap = NearestAhead(buffer);
    if (buffer->started) buffer->counters.lost += static_cast<uint64_t>(gap);
    buffer->next = static_cast<uint16_t>(buffer->next + gap);
    buffer->playing = true;
    buffer->started = true;
    buffer->underruns = 0;
    StartWindow(buffer);
  }

  while (buffer->stored > config.maxFrames) DropOldest(buffer);
  if (buffer->stored < buffer->windowMin) buffer->windowMin = buffer->stored;
  if (++buffer->windowTicks >= config.windowFrames) {
    const bool surplus = buffer->windowMin > config.minFrames + 1;
    StartWindow(buffer);
    if (surplus) DropOldest(buffer);
  }

  const uint16_t next = buffer->next;
  JitterSlot& current = SlotOf(buffer, next);
  if (buffer->stored > 0 && Holds(buffer, next)) {
    Free(buffer, &current);
    buffer->next = static_cast<uint16_t>(next + 1);
    buffer->underruns = 0;
    const int64_t waited = nowNs - current.arrivalNs;
    buffer->waitNs += (waited - buffer->waitNs) / 8;
    return {Render::kDecode, &current};
  }
  if (buffer->stored > 0) {
    ++buffer->counters.lost;
    buffer->next = static_cast<uint16_t>(next + 1);
    buffer->underruns = 0;
    const uint16_t after = static_cast<uint16_t>(next + 1);
    if (Holds(buffer, after)) {
      ++buffer->counters.fec;
      return {Render::kFec, &SlotOf(buffer, after)};
    }
    ++buffer->counters.concealed;
    return {Render::kConceal, nullptr};
  }
  if (++buffer->underruns <= kConcealFrames) {
    ++buffer->counters.concealed;
    return {Render::kConceal, nullptr};
  }
  buffer->playing = false;
  return {Render::kSilence, nullptr};
}

}  // namespace audiolink
