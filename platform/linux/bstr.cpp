// BSTR: [uint32 byte length][UTF-16 units][16-bit zero]; the pointer handed
// out points at the first unit.
#include <cstdlib>
#include <cstring>

#include "platform/com.h"

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  size_t units = 0;
  while (text[units] != 0) ++units;
  const uint32_t bytes = static_cast<uint32_t>(units * sizeof(OLECHAR));
  char* block = static_cast<char*>(std::malloc(sizeof bytes + bytes + sizeof(OLECHAR)));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &bytes, sizeof bytes);
  std::memcpy(block + sizeof bytes, text, bytes + sizeof(OLECHAR));
  return reinterpret_cast<BSTR>(block + sizeof bytes);
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(reinterpret_cast<char*>(text) - sizeof(uint32_t));
}
