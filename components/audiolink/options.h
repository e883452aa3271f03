// What the arguments of SetOptionsA (transmit) and SetOptionsB (receive)
// mean. Every argument has 0 for "the default"; a value out of its range is
// replaced by the default too, and the call then returns S_FALSE.
//
// SetOptionsA(codec, frameMs, bitrateKbps, lossPercent)
//   codec        2 = Opus (the only codec; default)
//   frameMs      10, 20, 40 or 60 (default 20)
//   bitrateKbps  6..256 (default 32)
//   lossPercent  expected loss the in-band FEC is tuned for, 1..50 (default 10)
// SetOptionsB(codec, frameMs, minDelayMs, maxDelayMs, relockMs, accept)
//   codec        2 = Opus (default)
//   frameMs      the frame length expected from the peer; 10, 20, 40 or 60
//                (default 20). Packets of another length are dropped.
//   minDelayMs   safety margin the jitter buffer keeps beyond one frame,
//                0..200 (default 20; 0 means default, so there is always one)
//   maxDelayMs   most audio the buffer holds before it drops, minDelay+frame
//                ..1000 (default 200)
//   relockMs     silence after which RX accepts a new SSRC, 100..10000
//                (default 1000)
//   accept       whose packets RX takes: 0 = only the target's address and
//                port (default), 1 = the target's address, any port, 2 = anyone
//
// Pure functions, callable from any thread.
#pragma once

#include <cstdint>

namespace audiolink {

constexpr int kSampleRate = 48000;
constexpr int kCodecOpus = 2;

struct TxOptions {
  int frameMs = 20;
  int bitrateKbps = 32;
  int lossPercent = 10;
};

enum class Accept { kTargetAddressAndPort = 0, kTargetAddress = 1, kAnyone = 2 };

struct RxOptions {
  int frameMs = 20;
  int minDelayMs = 20;
  int maxDelayMs = 200;
  int relockMs = 1000;
  Accept accept = Accept::kTargetAddressAndPort;
};

// Both return true when every argument was taken as given (or was 0).
bool MakeTxOptions(int32_t codec, int32_t frameMs, int32_t bitrateKbps, int32_t lossPercent,
                   TxOptions* out);
bool MakeRxOptions(int32_t codec, int32_t frameMs, int32_t minDelayMs, int32_t maxDelayMs,
                   int32_t relockMs, int32_t accept, RxOptions* out);

inline int FrameSamples(int frameMs) {
  return kSampleRate / 1000 * frameMs;
}

}  // namespace audiolink
