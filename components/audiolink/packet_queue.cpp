#include "packet_queue.h"

namespace audiolink {

QueuedPacket* QueueSlot(PacketQueue* queue) {
  const uint32_t tail = queue->tail.load(std::memory_order_relaxed);
  if (tail - queue->head.load(std::memory_order_acquire) >= PacketQueue::kCapacity) return nullptr;
  return &queue->items[tail % PacketQueue::kCapacity];
}

void QueuePush(PacketQueue* queue) {
  queue->tail.store(queue->tail.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

const QueuedPacket* QueueFront(PacketQueue* queue) {
  const uint32_t head = queue->head.load(std::memory_order_relaxed);
  if (head == queue->tail.load(std::memory_order_acquire)) return nullptr;
  return &queue->items[head % PacketQueue::kCapacity];
}

void QueuePop(PacketQueue* queue) {
  queue->head.store(queue->head.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

void QueueClear(PacketQueue* queue) {
  queue->head.store(0);
  queue->tail.store(0);
}

}  // namespace audiolink
