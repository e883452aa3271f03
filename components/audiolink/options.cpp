#include "options.h"

namespace audiolink {
namespace {

bool ValidFrame(int32_t ms) {
  return ms == 10 || ms == 20 || ms == 40 || ms == 60;
}

// Takes value when in [low, high], leaves the default otherwise; 0 is the
// default without being an error.
bool TakeRange(int32_t value, int32_t low, int32_t high, int* field) {
  if (value == 0) return true;
  if (value < low || value > high) return false;
  *field = value;
  return true;
}

}  // namespace

bool MakeTxOptions(int32_t codec, int32_t frameMs, int32_t bitrateKbps, int32_t lossPercent,
                   TxOptions* out) {
  TxOptions options;
  bool exact = codec == 0 || codec == kCodecOpus;
  if (frameMs != 0 && ValidFrame(frameMs)) {
    options.frameMs = frameMs;
  } else if (frameMs != 0) {
    exact = false;
  }
  exact = TakeRange(bitrateKbps, 6, 256, &options.bitrateKbps) && exact;
  exact = TakeRange(lossPercent, 1, 50, &options.lossPercent) && exact;
  *out = options;
  return exact;
}

bool MakeRxOptions(int32_t codec, int32_t frameMs, int32_t minDelayMs, int32_t maxDelayMs,
                   int32_t relockMs, int32_t accept, RxOptions* out) {
  RxOptions options;
  bool exact = codec == 0 || codec == kCodecOpus;
  if (frameMs != 0 && ValidFrame(frameMs)) {
    options.frameMs = frameMs;
  } else if (frameMs != 0) {
    exact = false;
  }
  exact = TakeRange(minDelayMs, 1, 200, &options.minDelayMs) && exact;
  exact = TakeRange(maxDelayMs, options.minDelayMs + options.frameMs, 1000, &options.maxDelayMs) &&
          exact;
  if (options.maxDelayMs < options.minDelayMs + options.frameMs) {
    options.maxDelayMs = options.minDelayMs + options.frameMs;
    exact = false;
  }
  exact = TakeRange(relockMs, 100, 10000, &options.relockMs) && exact;
  if (accept >= 0 && accept <= 2) {
    options.accept = static_cast<Accept>(accept);
  } else {
    exact = false;
  }
  *out = options;
  return exact;
}

}  // namespace audiolink
