// Hands received packets from the network thread to the playout thread
// without a lock: a single-producer, single-consumer ring.
//
// The network thread alone calls QueueSlot/QueuePush, the playout thread
// alone QueueFront/QueuePop; QueueClear only while neither runs.
#pragma once

#include <atomic>
#include <cstdint>

#include "rtp.h"

namespace audiolink {

struct QueuedPacket {
  int64_t arrivalNs;
  bool newStream;  // first packet after a (re-)lock onto an SSRC
  uint16_t sequence;
  uint16_t size;
  uint8_t payload[kMaxDatagram];
};

struct PacketQueue {
  static constexpr uint32_t kCapacity = 128;
  QueuedPacket items[kCapacity];
  std::atomic<uint32_t> head{0};  // next to read
  std::atomic<uint32_t> tail{0};  // next to write
};

// The slot to fill, or null when the ring is full.
QueuedPacket* QueueSlot(PacketQueue* queue);
// Publishes the slot QueueSlot gave.
void QueuePush(PacketQueue* queue);
// The oldest packet, or null when empty; valid until QueuePop.
const QueuedPacket* QueueFront(PacketQueue* queue);
void QueuePop(PacketQueue* queue);
void QueueClear(PacketQueue* queue);

}  // namespace audiolink
