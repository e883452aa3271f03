#include "log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "clock.h"

namespace audiolink {
namespace {

std::mutex logMutex;
std::FILE* logFile = nullptr;
bool logChecked = false;

// Opened once, on first use, and kept for the life of the process: the
// component may be loaded and unloaded, a stray line must never be lost.
std::FILE* LogFile() {
  if (logChecked) return logFile;
  logChecked = true;
  const char* name = std::getenv("AUDIOLINK_LOG");
  if (name == nullptr || *name == '\0') return nullptr;
  if (std::strcmp(name, "stderr") == 0) {
    logFile = stderr;
  } else {
    logFile = std::fopen(name, "a");
  }
  return logFile;
}

}  // namespace

void Log(const char* format, ...) {
  std::lock_guard<std::mutex> hold(logMutex);
  std::FILE* file = LogFile();
  if (file == nullptr) return;
  std::fprintf(file, "audiolink %.3f: ", MonotonicNs() / 1e9);
  va_list arguments;
  va_start(arguments, format);
  std::vfprintf(file, format, arguments);
  va_end(arguments);
  std::fputc('\n', file);
  std::fflush(file);
}

}  // namespace audiolink
