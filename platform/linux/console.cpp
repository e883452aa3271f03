// Standard input and output over read(2) and write(2).
#include "platform/console.h"

#include <unistd.h>

#include <cerrno>

int ReadStandardInput(void* buffer, int capacity) {
  for (;;) {
    const ssize_t got = read(STDIN_FILENO, buffer, static_cast<size_t>(capacity));
    if (got >= 0) return static_cast<int>(got);
    if (errno != EINTR) return -1;
  }
}

void WriteStandardOutput(const void* bytes, int count) {
  const char* next = static_cast<const char*>(bytes);
  while (count > 0) {
    const ssize_t put = write(STDOUT_FILENO, next, static_cast<size_t>(count));
    if (put < 0) {
      if (errno == EINTR) continue;
      return;
    }
    next += put;
    count -= static_cast<int>(put);
  }
}
