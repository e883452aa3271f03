// Standard input and output over ReadFile and WriteFile on the standard
// handles: raw bytes, with none of the C runtime's text-mode translation
// (the command reader does its own 0x1A and white-space handling).
#include "platform/console.h"

#include <windows.h>

int ReadStandardInput(void* buffer, int capacity) {
  DWORD got = 0;
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, static_cast<DWORD>(capacity), &got,
                nullptr)) {
    // The writer's end of a pipe closed: the end of the input, not an error.
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
  }
  return static_cast<int>(got);
}

void WriteStandardOutput(const void* bytes, int count) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  const char* next = static_cast<const char*>(bytes);
  while (count > 0) {
    DWORD put = 0;
    if (!WriteFile(output, next, static_cast<DWORD>(count), &put, nullptr) || put == 0) return;
    next += put;
    count -= static_cast<int>(put);
  }
}
