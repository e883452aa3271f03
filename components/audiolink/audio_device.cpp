#include "audio_device.h"

#include <cstdlib>

#include "log.h"

namespace audiolink {
namespace {

std::string NameFor(int32_t index, const char* variable, bool capture) {
  if (index >= 0) return AlsaDeviceName(index, capture);
  if (index < -1) return std::string();
  const char* configured = std::getenv(variable);
  if (configured != nullptr && *configured != '\0') return configured;
  return "default";
}

bool IsFile(const std::string& name) {
  return name.rfind("file:", 0) == 0;
}

}  // namespace

std::string CaptureName(int32_t index) {
  return NameFor(index, "AUDIOLINK_CAPTURE", true);
}
std::string PlaybackName(int32_t index) {
  return NameFor(index, "AUDIOLINK_PLAYBACK", false);
}

CaptureDevice* OpenCapture(const std::string& name, int frameSamples) {
  CaptureDevice* device = nullptr;
  if (name == "null") {
    device = OpenClockedCapture(std::string(), frameSamples);
  } else if (IsFile(name)) {
    device = OpenClockedCapture(name.substr(5), frameSamples);
  } else if (!name.empty()) {
    device = OpenAlsaCapture(name, frameSamples);
  }
  Log("capture '%s' %s", name.c_str(), device != nullptr ? "opened" : "cannot be opened");
  return device;
}

PlaybackDevice* OpenPlayback(const std::string& name, int frameSamples) {
  PlaybackDevice* device = nullptr;
  if (name == "null") {
    device = OpenClockedPlayback(std::string(), frameSamples);
  } else if (IsFile(name)) {
    device = OpenClockedPlayback(name.substr(5), frameSamples);
  } else if (!name.empty()) {
    device = OpenAlsaPlayback(name, frameSamples);
  }
  Log("playback '%s' %s", name.c_str(), device != nullptr ? "opened" : "cannot be opened");
  return device;
}

}  // namespace audiolink
