#include "app/target_text.h"

#include <cstdlib>
#include <cstring>

BSTR MakeTargetString(const char* text) {
  const size_t bytes = std::strlen(text);
  // One unit per byte at most, and the terminator: the buffer starts zeroed,
  // so a failed conversion leaves an empty text, never an unterminated one.
  WCHAR* buffer = static_cast<WCHAR*>(std::calloc(bytes + 1, sizeof(WCHAR)));
  MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, buffer, static_cast<int>(bytes + 1));
  BSTR target = SysAllocString(buffer);
  std::free(buffer);
  return target;
}
