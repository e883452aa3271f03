// RX: a network thread that vets datagrams and queues stream packets, and a
// playout thread that runs the jitter buffer at the playback device's pace.
#include <poll.h>
#include <pthread.h>

#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "clock.h"
#include "hresults.h"
#include "link_state.h"
#include "log.h"

namespace audiolink {
namespace {

struct StreamLock {
  bool locked = false;
  uint32_t ssrc = 0;
  int64_t lastNs = 0;
  // RFC 3550 interarrival jitter, in timestamp units.
  double jitter = 0;
  int64_t lastArrivalNs = 0;
  uint32_t lastTimestamp = 0;
};

bool FromAccepted(const RxOptions& options, const TargetView& target, const Address& from) {
  if (options.accept == Accept::kAnyone) return true;
  if (!target.valid) return false;
  return SameAddress(from, target.address, options.accept == Accept::kTargetAddressAndPort);
}

// What one datagram does to the stream; the packet is queued when it is
// one of ours.
void TakeDatagram(LinkState* link, StreamLock* lock, const uint8_t* data, long size,
                  const Address& from, const TargetView& target, int64_t now) {
  RxState& rx = link->rx;
  LinkStats& stats = link->stats;
  if (!FromAccepted(rx.options, target, from)) {
    stats.stranger.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  RtpPacket packet;
  if (size > kMaxDatagram || !ParseRtp(data, static_cast<size_t>(size), &packet) ||
      packet.payloadType != kOpusPayloadType ||
      opus_packet_get_nb_samples(packet.payload, static_cast<opus_int32>(packet.payloadSize),
                                 kSampleRate) != FrameSamples(rx.options.frameMs)) {
    stats.junk.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  bool newStream = false;
  if (!lock->locked ||
      (packet.ssrc != lock->ssrc && now - lock->lastNs > int64_t{rx.options.relockMs} * 1000000)) {
    if (lock->locked) Log("RX re-locks from SSRC %08x to %08x", lock->ssrc, packet.ssrc);
    *lock = StreamLock{};
    lock->locked = true;
    lock->ssrc = packet.ssrc;
    newStream = true;
  } else if (packet.ssrc != lock->ssrc) {
    stats.foreign.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  if (!newStream) {
    const double transit = static_cast<double>(now - lock->lastArrivalNs) * kSampleRate / 1e9 -
                           static_cast<int32_t>(packet.timestamp - lock->lastTimestamp);
    lock->jitter += (std::abs(transit) - lock->jitter) / 16;
    stats.jitterUs.store(static_cast<int64_t>(lock->jitter * 1e6 / kSampleRate),
                         std::memory_order_relaxed);
  }
  lock->lastNs = now;
  lock->lastArrivalNs = now;
  lock->lastTimestamp = packet.timestamp;
  QueuedPacket* slot = QueueSlot(rx.queue);
  if (slot == nullptr) {
    stats.overflow.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  slot->arrivalNs = now;
  slot->newStream = newStream;
  slot->sequence = packet.sequence;
  slot->size = static_cast<uint16_t>(packet.payloadSize);
  std::memcpy(slot->payload, packet.payload, packet.payloadSize);
  QueuePush(rx.queue);
}

void NetworkLoop(LinkState* link) {
  // Named, so that a look at the threads (and the benchmark) can tell them.
  pthread_setname_np(pthread_self(), "audiolink-rxnet");
  RxState& rx = link->rx;
  StreamLock lock;
  TargetView target;
  uint8_t buffer[kMaxDatagram + 1];
  pollfd wait{link->socket.fd, POLLIN, 0};
  while (!rx.stop.load(std::memory_order_relaxed)) {
    if (poll(&wait, 1, 50) <= 0) continue;
    RefreshTarget(&link->target, &target);
    // A bounded batch, so that a flood cannot keep the thread from stopping.
    for (int i = 0; i < 256; ++i) {
      Address from;
      const long size = ReceiveDatagram(link->socket, buffer, sizeof buffer, &from);
      if (size < 0) break;
      TakeDatagram(link, &lock, buffer, size, from, target, MonotonicNs());
    }
  }
}

void PublishCounters(LinkState* link, const JitterBuffer* jitter, int64_t latencyUs) {
  LinkStats& stats = link->stats;
  const JitterCounters& c = jitter->counters;
  stats.received.store(c.received, std::memory_order_relaxed);
  stats.lost.store(c.lost, std::memory_order_relaxed);
  stats.late.store(c.late, std::memory_order_relaxed);
  stats.duplicated.store(c.duplicated, std::memory_order_relaxed);
  stats.fec.store(c.fec, std::memory_order_relaxed);
  stats.concealed.store(c.concealed, std::memory_order_relaxed);
  stats.dropped.store(c.dropped, std::memory_order_relaxed);
  stats.depthMs.store(JitterDepth(jitter) * int64_t{link->rx.options.frameMs},
                      std::memory_order_relaxed);
  stats.latencyUs.store(latencyUs, std::memory_order_relaxed);
}

void Render(RxState* rx, const RenderStep& step, int16_t* pcm, int frame) {
  int got = -1;
  switch (step.what) {
    case Render::kDecode:
      got = opus_decode(rx->decoder, step.slot->data, step.slot->size, pcm, frame, 0);
      break;
    case Render::kFec:
      got = opus_decode(rx->decoder, step.slot->data, step.slot->size, pcm, frame, 1);
      break;
    case Render::kConceal:
      got = opus_decode(rx->decoder, nullptr, 0, pcm, frame, 0);
      break;
    case Render::kSilence:
      break;
  }
  if (got != frame) std::fill(pcm, pcm + frame, int16_t{0});
}

void PlayoutLoop(LinkState* link) {
  // Named, so that a look at the threads (and the benchmark) can tell them.
  pthread_setname_np(pthread_self(), "audiolink-play");
  RxState& rx = link->rx;
  const int frame = FrameSamples(rx.options.frameMs);
  std::vector<int16_t> pcm(static_cast<size_t>(frame));
  GainRamp ramp;
  while (!rx.stop.load(std::memory_order_relaxed)) {
    const int ready = rx.playback->WaitReady(frame);
    if (ready < 0) {
      Log("playback failed; RX plays nothing until restarted");
      break;
    }
    if (ready == 0) continue;
    const int64_t now = MonotonicNs();
    while (const QueuedPacket* packet = QueueFront(rx.queue)) {
      if (packet->newStream) {
        JitterReset(rx.jitter);
        opus_decoder_ctl(rx.decoder, OPUS_RESET_STATE);
      }
      JitterInsert(rx.jitter, packet->sequence, packet->payload, packet->size, packet->arrivalNs);
      QueuePop(rx.queue);
    }
    Render(&rx, JitterNext(rx.jitter, now), pcm.data(), frame);
    ApplyGain(&ramp, link->speakerVolume, pcm.data(), frame);
    rx.playback->Write(pcm.data(), frame);
    const int64_t latencyNs =
        rx.jitter->waitNs + int64_t{rx.options.frameMs} * 1000000 + rx.playback->DelayNs();
    PublishCounters(link, rx.jitter, latencyNs / 1000);
  }
}

JitterConfig JitterConfigFor(const RxOptions& options) {
  JitterConfig config;
  config.frameNs = int64_t{options.frameMs} * 1000000;
  config.minFrames = (options.minDelayMs + options.frameMs - 1) / options.frameMs;
  if (config.minFrames < 1) config.minFrames = 1;
  config.maxFrames = options.maxDelayMs / options.frameMs;
  if (config.maxFrames > kJitterSlots - 4) config.maxFrames = kJitterSlots - 4;
  if (config.maxFrames < config.minFrames + 1) config.maxFrames = config.minFrames + 1;
  config.windowFrames = 2000 / options.frameMs;
  return config;
}

}  // namespace

HRESULT StartReceive(LinkState* link, int32_t device) {
  if (!link->open) return kNotOpen;
  RxState& rx = link->rx;
  if (rx.running) return S_FALSE;
  rx.options = link->rxOptions;
  const int frame = FrameSamples(rx.options.frameMs);
  const std::string name = PlaybackName(device);
  if (rx.playback != nullptr && name != rx.playbackName) {
    delete rx.playback;
    rx.playback = nullptr;
  }
  if (rx.playback == nullptr) {
    rx.playback = OpenPlayback(name, frame);
    if (rx.playback == nullptr) return kDeviceUnavailable;
    rx.playbackName = name;
  } else {
    rx.playback->Resume();
  }
  link->stats.playbackStartNs = rx.playback->StartNs();
  const HRESULT socket = EnsureSocket(link);
  if (FAILED(socket)) {
    rx.playback->Pause();
    return socket;
  }
  DrainUdpSocket(link->socket);
  QueueClear(rx.queue);
  rx.jitter->config = JitterConfigFor(rx.options);
  JitterReset(rx.jitter);
  opus_decoder_ctl(rx.decoder, OPUS_RESET_STATE);
  rx.stop = false;
  try {
    rx.network = std::thread(NetworkLoop, link);
  } catch (const std::system_error&) {
    rx.playback->Pause();
    return E_OUTOFMEMORY;
  }
  try {
    rx.playout = std::thread(PlayoutLoop, link);
  } catch (const std::system_error&) {
    rx.stop = true;
    rx.network.join();
    rx.playback->Pause();
    return E_OUTOFMEMORY;
  }
  rx.running = true;
  Log("RX started on port %u", static_cast<unsigned>(link->socket.port));
  return S_OK;
}

HRESULT StopReceive(LinkState* link) {
  RxState& rx = link->rx;
  if (!rx.running) return link->open ? S_FALSE : kNotOpen;
  rx.stop = true;
  rx.network.join();
  rx.playout.join();
  rx.running = false;
  rx.playback->Pause();
  Log("RX stopped");
  return S_OK;
}

}  // namespace audiolink
