// Where audio comes from and goes to: ALSA devices, WAV files and "null".
//
// Device names (AUDIOLINK_CAPTURE / AUDIOLINK_PLAYBACK, or by index):
//   an ALSA PCM name ("default", "hw:0", "plughw:1,0", ...),
//   file:PATH.wav  a WAV file, read or written in real time (48 kHz mono
//                  16-bit is written; a 48 kHz file of any channel count and
//                  sample format is read, mixed to mono, silence after its end),
//   null           silence in, nothing out, paced like a device.
// File and null devices run on the monotonic clock, sped up or slowed by
// AUDIOLINK_CLOCK_PPM parts per million (to try clock drift). A file source
// is a live microphone: time it spends stopped is skipped; a file sink is a
// live speaker: time stopped is written as silence, so the file's timeline
// is the wall clock's from the first start to Close.
//
// Ownership: Open* returns a device the caller deletes (deleting closes it,
// a file sink first writing silence up to the present). Each device is used
// from one thread at a time: the caller's for open/pause/resume/delete while
// its audio thread is not running, that thread otherwise.
#pragma once

#include <cstdint>
#include <string>

namespace audiolink {

class CaptureDevice {
 public:
  virtual ~CaptureDevice() = default;
  // Blocks until count samples are there (at most about 100 ms): returns
  // count, 0 if none came yet, negative if the device failed for good.
  virtual int Read(int16_t* samples, int count) = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  // Monotonic time of sample 0, for clocked devices; 0 for ALSA.
  virtual int64_t StartNs() const = 0;
};

class PlaybackDevice {
 public:
  virtual ~PlaybackDevice() = default;
  // Blocks until a frame of count samples is due (at most about 100 ms):
  // 1 when due, 0 if not yet, negative if the device failed for good.
  virtual int WaitReady(int count) = 0;
  virtual void Write(const int16_t* samples, int count) = 0;
  virtual void Pause() = 0;
  virtual void Resume() = 0;
  // Audio written but not yet heard.
  virtual int64_t DelayNs() const = 0;
  virtual int64_t StartNs() const = 0;
};

// The name a device index stands for: -1 the environment variable's value or
// "default", n >= 0 the n-th ALSA PCM device of that direction. Empty when
// there is no such device.
std::string CaptureName(int32_t index);
std::string PlaybackName(int32_t index);

// Null when the device cannot be opened.
CaptureDevice* OpenCapture(const std::string& name, int frameSamples);
PlaybackDevice* OpenPlayback(const std::string& name, int frameSamples);

// Clocked devices (file and null), and ALSA; used by OpenCapture/OpenPlayback.
CaptureDevice* OpenClockedCapture(const std::string& path, int frameSamples);
PlaybackDevice* OpenClockedPlayback(const std::string& path, int frameSamples);
CaptureDevice* OpenAlsaCapture(const std::string& name, int frameSamples);
PlaybackDevice* OpenAlsaPlayback(const std::string& name, int frameSamples);
std::string AlsaDeviceName(int32_t index, bool capture);

}  // namespace audiolink
