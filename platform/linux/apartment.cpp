// CoInitialize and CoUninitialize: a per-thread count, as COM keeps one.
// Creation is refused on a thread that has not entered COM, so a missing
// CoInitialize shows on Linux as it would on Windows.
#include "apartment.h"

namespace {
thread_local int comEntries = 0;
}

HRESULT CoInitialize(LPVOID) {
  return comEntries++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (comEntries > 0) --comEntries;
}

bool ThreadHasEnteredCom() {
  return comEntries > 0;
}
