// File and null devices, paced by the monotonic clock.
#include <sndfile.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "audio_device.h"
#include "clock.h"
#include "options.h"

namespace audiolink {
namespace {

// Sample positions against the monotonic clock, at the nominal rate scaled
// by AUDIOLINK_CLOCK_PPM.
struct Pace {
  int64_t startNs;
  double samplesPerNs;
};

Pace StartPace() {
  double ppm = 0;
  if (const char* text = std::getenv("AUDIOLINK_CLOCK_PPM")) ppm = std::atof(text);
  if (ppm < -100000 || ppm > 100000) ppm = 0;
  return {MonotonicNs(), kSampleRate * (1 + ppm / 1e6) / 1e9};
}

int64_t DueNs(const Pace& pace, int64_t position) {
  return pace.startNs + static_cast<int64_t>(static_cast<double>(position) / pace.samplesPerNs);
}

int64_t PositionAt(const Pace& pace, int64_t nowNs) {
  return static_cast<int64_t>(static_cast<double>(nowNs - pace.startNs) * pace.samplesPerNs);
}

class ClockedCapture final : public CaptureDevice {
 public:
  ClockedCapture(SNDFILE* file, int channels) : file_(file), channels_(channels) {}
  ~ClockedCapture() override {
    if (file_ != nullptr) sf_close(file_);
  }
  int Read(int16_t* samples, int count) override {
    // A frame is there once its last sample has been "captured".
    const int64_t complete = PositionAt(pace_, MonotonicNs()) - count;
    if (complete > position_ + count) Skip(complete - position_);
    SleepUntilNs(DueNs(pace_, position_ + count));
    Fill(samples, count);
    position_ += count;
    return count;
  }
  void Pause() override {}
  void Resume() override {}
  int64_t StartNs() const override { return pace_.startNs; }

 private:
  void Skip(int64_t samples) {
    if (file_ != nullptr && !ended_) {
      if (sf_seek(file_, position_ + samples, SEEK_SET) < 0) ended_ = true;
    }
    position_ += samples;
  }
  void Fill(int16_t* samples, int count) {
    std::fill(samples, samples + count, int16_t{0});
    if (file_ == nullptr || ended_) return;
    buffer_.resize(static_cast<size_t>(count) * channels_);
    const sf_count_t got = sf_readf_short(file_, buffer_.data(), count);
    if (got < count) ended_ = true;
    for (sf_count_t i = 0; i < got; ++i) {
      int sum = 0;
      for (int c = 0; c < channels_; ++c) sum += buffer_[i * channels_ + c];
      samples[i] = static_cast<int16_t>(sum / channels_);
    }
  }

  SNDFILE* file_;
  int channels_;
  bool ended_ = false;
  Pace pace_ = StartPace();
  int64_t position_ = 0;
  std::vector<int16_t> buffer_;
};

class ClockedPlayback final : public PlaybackDevice {
 public:
  explicit ClockedPlayback(SNDFILE* file) : file_(file) {}
  ~ClockedPlayback() override {
    CatchUp(PositionAt(pace_, MonotonicNs()));
    if (file_ != nullptr) sf_close(file_);
  }
  int WaitReady(int count) override {
    // More than a frame behind (stopped, or starved of the CPU): the time
    // passed is heard as silence.
    const int64_t now = PositionAt(pace_, MonotonicNs());
    if (now > position_ + count) CatchUp(now);
    SleepUntilNs(DueNs(pace_, position_));
    return 1;
  }
  void Write(const int16_t* samples, int count) override {
    if (file_ != nullptr) sf_write_short(file_, samples, count);
    position_ += count;
  }
  void Pause() override {}
  void Resume() override {}
  int64_t DelayNs() const override { return 0; }
  int64_t StartNs() const override { return pace_.startNs; }

 private:
  void CatchUp(int64_t position) {
    static const int16_t silence[960] = {};
    while (position_ < position) {
      const int64_t count = std::min<int64_t>(position - position_, 960);
      Write(silence, static_cast<int>(count));
    }
  }

  SNDFILE* file_;
  Pace pace_ = StartPace();
  int64_t position_ = 0;
};

}  // namespace

CaptureDevice* OpenClockedCapture(const std::string& path, int /*frameSamples*/) {
  if (path.empty()) return new ClockedCapture(nullptr, 1);
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return nullptr;
  if (info.samplerate != kSampleRate || info.channels < 1) {
    sf_close(file);
    return nullptr;
  }
  return new ClockedCapture(file, info.channels);
}

PlaybackDevice* OpenClockedPlayback(const std::string& path, int /*frameSamples*/) {
  if (path.empty()) return new ClockedPlayback(nullptr);
  SF_INFO info{};
  info.samplerate = kSampleRate;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) return nullptr;
  // Keeps the header right after every write, so the file can be read while
  // the link runs or after the process died.
  sf_command(file, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
  return new ClockedPlayback(file);
}

}  // namespace audiolink
