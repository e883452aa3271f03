#include "gain.h"

#include <cmath>

namespace audiolink {

int ClampVolume(int32_t volume) {
  return volume < 0 ? 0 : volume > 100 ? 100 : volume;
}

float VolumeGain(int volume) {
  const float relative = static_cast<float>(ClampVolume(volume)) / 50.0f;
  return relative * relative;
}

void ApplyGain(GainRamp* ramp, const std::atomic<int>& volume, int16_t* samples, int count) {
  const float target = VolumeGain(volume.load(std::memory_order_relaxed));
  // The first frame after a start has nothing to ramp from.
  const float from = ramp->started ? ramp->current : target;
  ramp->started = true;
  ramp->current = target;
  if (from == 1.0f && target == 1.0f) return;
  const float step = count > 0 ? (target - from) / static_cast<float>(count) : 0.0f;
  for (int i = 0; i < count; ++i) {
    const float gain = from + step * static_cast<float>(i + 1);
    const float value = std::nearbyint(static_cast<float>(samples[i]) * gain);
    samples[i] = static_cast<int16_t>(value > 32767.0f    ? 32767.0f
                                      : value < -32768.0f ? -32768.0f
                                                          : value);
  }
}

}  // namespace audiolink
