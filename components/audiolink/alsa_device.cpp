// ALSA capture and playback, 48 kHz mono 16-bit, blocking, with xrun
// recovery. ALSA's own error messages go to our log, never to stderr.
#include <alsa/asoundlib.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "audio_device.h"
#include "log.h"
#include "options.h"

namespace audiolink {
namespace {

void QuietAlsaError(const char* file, int line, const char* function, int error, const char* format,
                    ...) {
  char text[256];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  Log("alsa %s:%d %s: %s (%d)", file, line, function, text, error);
}

void SilenceAlsa() {
  static std::once_flag once;
  std::call_once(once, [] { snd_lib_error_set_handler(QuietAlsaError); });
}

snd_pcm_t* OpenPcm(const std::string& name, snd_pcm_stream_t stream, int frameSamples) {
  SilenceAlsa();
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, name.c_str(), stream, 0) < 0) return nullptr;
  // Three frames of device buffer: enough against scheduling hiccups,
  // little latency.
  const unsigned latencyUs = static_cast<unsigned>(frameSamples) * 3 * 1000000u / kSampleRate;
  if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kSampleRate, 1,
                         latencyUs) < 0) {
    snd_pcm_close(pcm);
    return nullptr;
  }
  return pcm;
}

// Waits for the device; true when it is ready. Recovers from xruns.
bool WaitPcm(snd_pcm_t* pcm, bool* failed) {
  const int ready = snd_pcm_wait(pcm, 100);
  if (ready > 0) return true;
  if (ready < 0 && snd_pcm_recover(pcm, ready, 1) < 0) *failed = true;
  return false;
}

class AlsaCapture final : public CaptureDevice {
 public:
  explicit AlsaCapture(snd_pcm_t* pcm) : pcm_(pcm) { snd_pcm_start(pcm_); }
  ~AlsaCapture() override { snd_pcm_close(pcm_); }
  int Read(int16_t* samples, int count) override {
    bool failed = false;
    if (!WaitPcm(pcm_, &failed)) return failed ? -1 : 0;
    const snd_pcm_sframes_t got =
        snd_pcm_readi(pcm_, samples, static_cast<snd_pcm_uframes_t>(count));
    if (got == count) return count;
    if (got < 0 && snd_pcm_recover(pcm_, static_cast<int>(got), 1) < 0) return -1;
    if (got < 0) snd_pcm_start(pcm_);
    return 0;
  }
  void Pause() override { snd_pcm_drop(pcm_); }
  void Resume() override {
    snd_pcm_prepare(pcm_);
    snd_pcm_start(pcm_);
  }
  int64_t StartNs() const override { return 0; }

 private:
  snd_pcm_t* pcm_;
};

class AlsaPlayback final : public PlaybackDevice {
 public:
  AlsaPlayback(snd_pcm_t* pcm, int frameSamples) : pcm_(pcm), silence_(frameSamples) { Prime(); }
  ~AlsaPlayback() override { snd_pcm_close(pcm_); }
  int WaitReady(int /*count*/) override {
    bool failed = false;
    if (WaitPcm(pcm_, &failed)) return 1;
    return failed ? -1 : 0;
  }
  void Write(const int16_t* samples, int count) override {
    snd_pcm_sframes_t written =
        snd_pcm_writei(pcm_, samples, static_cast<snd_pcm_uframes_t>(count));
    if (written < 0 && snd_pcm_recover(pcm_, static_cast<int>(written), 1) == 0) {
      Prime();
      snd_pcm_writei(pcm_, samples, static_cast<snd_pcm_uframes_t>(count));
    }
  }
  void Pause() override { snd_pcm_drop(pcm_); }
  void Resume() override {
    snd_pcm_prepare(pcm_);
    Prime();
  }
  int64_t DelayNs() const override {
    snd_pcm_sframes_t frames = 0;
    if (snd_pcm_delay(pcm_, &frames) < 0 || frames < 0) return 0;
    return frames * int64_t{1000000000} / kSampleRate;
  }
  int64_t StartNs() const override { return 0; }

 private:
  // One frame of silence ahead, so the first real frame does not underrun.
  void Prime() {
    snd_pcm_writei(pcm_, silence_.data(), static_cast<snd_pcm_uframes_t>(silence_.size()));
  }

  snd_pcm_t* pcm_;
  std::vector<int16_t> silence_;
};

}  // namespace

CaptureDevice* OpenAlsaCapture(const std::string& name, int frameSamples) {
  snd_pcm_t* pcm = OpenPcm(name, SND_PCM_STREAM_CAPTURE, frameSamples);
  return pcm != nullptr ? new AlsaCapture(pcm) : nullptr;
}

PlaybackDevice* OpenAlsaPlayback(const std::string& name, int frameSamples) {
  snd_pcm_t* pcm = OpenPcm(name, SND_PCM_STREAM_PLAYBACK, frameSamples);
  return pcm != nullptr ? new AlsaPlayback(pcm, frameSamples) : nullptr;
}

std::string AlsaDeviceName(int32_t index, bool capture) {
  SilenceAlsa();
  void** hints = nullptr;
  if (snd_device_name_hint(-1, "pcm", &hints) < 0) return std::string();
  std::string found;
  int32_t seen = 0;
  for (void** hint = hints; *hint != nullptr && found.empty(); ++hint) {
    char* name = snd_device_name_get_hint(*hint, "NAME");
    char* direction = snd_device_name_get_hint(*hint, "IOID");
    // No IOID means both directions.
    const bool fits =
        direction == nullptr || std::strcmp(direction, capture ? "Input" : "Output") == 0;
    if (name != nullptr && fits && seen++ == index) found = name;
    std::free(name);
    std::free(direction);
  }
  snd_device_name_free_hint(hints);
  return found;
}

}  // namespace audiolink
