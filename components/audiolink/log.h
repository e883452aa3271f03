// Opt-in diagnostics. Nothing is written anywhere unless AUDIOLINK_LOG names
// a file to append to, or is "stderr". Callable from any thread; not meant
// for per-frame use.
#pragma once

namespace audiolink {

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace audiolink
