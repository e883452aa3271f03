// Everything one AudioLink object holds, and who may touch what.
//
// The caller's thread (the apartment's) alone runs the interface methods and
// owns the plain fields. While a direction runs, its threads read what that
// direction needs (devices, codec, socket, options copied at start) and
// nobody else touches those; what the caller may change meanwhile reaches
// them through atomics: the volumes, and the target, published under a
// mutex with a generation counter the threads poll without locking.
#pragma once

#include <opus/opus.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "audio_device.h"
#include "gain.h"
#include "jitter_buffer.h"
#include "options.h"
#include "packet_queue.h"
#include "stats.h"
#include "target.h"
#include "udp_socket.h"

namespace audiolink {

constexpr uint16_t kDefaultPort = 6666;

struct SharedTarget {
  std::mutex mutex;
  bool valid = false;
  Address address{};
  std::atomic<uint32_t> generation{0};
};

// A thread's copy of the target, renewed when the generation moves.
struct TargetView {
  uint32_t generation = ~0u;
  bool valid = false;
  Address address{};
};
void RefreshTarget(SharedTarget* shared, TargetView* view);

struct TxState {
  bool running = false;
  std::atomic<bool> stop{false};
  std::thread thread;
  TxOptions options;  // the copy the thread uses
  OpusEncoder* encoder = nullptr;
  CaptureDevice* capture = nullptr;
  std::string captureName;
  // RTP stream, the thread's while it runs; they go on across stop/start.
  uint32_t ssrc = 0;
  uint16_t sequence = 0;
  uint32_t timestamp = 0;
  int64_t stoppedNs = 0;
};

struct RxState {
  bool running = false;
  std::atomic<bool> stop{false};
  std::thread network;
  std::thread playout;
  RxOptions options;
  OpusDecoder* decoder = nullptr;
  PlaybackDevice* playback = nullptr;
  std::string playbackName;
  PacketQueue* queue = nullptr;
  JitterBuffer* jitter = nullptr;
};

struct LinkState {
  bool open = false;
  TxOptions txOptions;
  RxOptions rxOptions;
  uint16_t localPort = kDefaultPort;
  SharedTarget target;
  std::atomic<int> speakerVolume{kDefaultVolume};
  std::atomic<int> microphoneVolume{kDefaultVolume};
  UdpSocket socket;
  TxState tx;
  RxState rx;
  LinkStats stats;
  StatsWriter statsWriter;
};

// Opens the socket on localPort, or reopens it when the port has changed
// and no direction runs.
HRESULT EnsureSocket(LinkState* link);

// tx_path.cpp
HRESULT StartTransmit(LinkState* link, int32_t device);
HRESULT StopTransmit(LinkState* link);
// rx_path.cpp
HRESULT StartReceive(LinkState* link, int32_t device);
HRESULT StopReceive(LinkState* link);

}  // namespace audiolink
