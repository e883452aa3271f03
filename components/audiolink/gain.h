// Volume: the value 0..100 of SetSpeakerVolume / SetMicrophoneVolume and the
// gain it stands for.
//
// Curve: gain = (volume / 50)^2, so 0 is silence, 50 leaves the signal as it
// is, 25 is -12 dB, 100 is +12 dB (samples that overflow are clipped). The
// square follows loudness more evenly than a linear taper and is monotonic.
//
// Ramp: a GainRamp belongs to one audio thread. Each frame it reads the
// volume the caller last published (an atomic, no lock) and moves from the
// gain it ended the previous frame on to the new one linearly across the
// frame, so a change is complete within the frame that sees it, with no step.
#pragma once

#include <atomic>
#include <cstdint>

namespace audiolink {

constexpr int kDefaultVolume = 50;

// Clamps to 0..100.
int ClampVolume(int32_t volume);
float VolumeGain(int volume);

struct GainRamp {
  float current = 1.0f;
  bool started = false;
};

// Scales samples[0..count) in place, reading the target from volume.
void ApplyGain(GainRamp* ramp, const std::atomic<int>& volume, int16_t* samples, int count);

}  // namespace audiolink
