#include "wav_tools.h"

#include <sndfile.h>

#include <cmath>

bool WriteToneWav(const std::string& path, double hertz, double amplitude, double seconds) {
  SF_INFO info{};
  info.samplerate = kRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return false;
  const size_t count = static_cast<size_t>(seconds * kRate);
  std::vector<int16_t> samples(count);
  for (size_t i = 0; i < count; ++i) {
    samples[i] = static_cast<int16_t>(
        std::lround(amplitude * std::sin(2 * M_PI * hertz * static_cast<double>(i) / kRate)));
  }
  const bool written = sf_write_short(file, samples.data(), static_cast<sf_count_t>(count)) ==
                       static_cast<sf_count_t>(count);
  sf_close(file);
  return written;
}

std::vector<int16_t> ReadWav(const std::string& path) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return {};
  std::vector<int16_t> samples(static_cast<size_t>(info.frames * info.channels));
  sf_read_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
  return samples;
}

double ToneAmplitude(const std::vector<int16_t>& samples, size_t begin, size_t count,
                     double hertz) {
  if (begin >= samples.size() || count == 0) return 0;
  if (begin + count > samples.size()) count = samples.size() - begin;
  const double coefficient = 2 * std::cos(2 * M_PI * hertz / kRate);
  double previous = 0, before = 0;
  for (size_t i = 0; i < count; ++i) {
    const double current = samples[begin + i] + coefficient * previous - before;
    before = previous;
    previous = current;
  }
  const double power = previous * previous + before * before - coefficient * previous * before;
  return 2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(count);
}

std::vector<double> ToneLevels(const std::vector<int16_t>& samples, double hertz,
                               size_t windowSamples) {
  std::vector<double> levels;
  for (size_t begin = 0; begin + windowSamples <= samples.size(); begin += windowSamples) {
    levels.push_back(ToneAmplitude(samples, begin, windowSamples, hertz));
  }
  return levels;
}

double Rms(const std::vector<int16_t>& samples, size_t begin, size_t count) {
  if (begin >= samples.size() || count == 0) return 0;
  if (begin + count > samples.size()) count = samples.size() - begin;
  double sum = 0;
  for (size_t i = begin; i < begin + count; ++i)
    sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(count));
}
