// MultiByteToWideChar for CP_ACP, through iconv.
#include "code_page.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/com.h"

namespace {

std::string CodeSetOfEnvironment() {
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      name = value;
      break;
    }
  }
  if (name == nullptr || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0)
    return "UTF-8";
  locale_t locale = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return "UTF-8";
  std::string codeSet = nl_langinfo_l(CODESET, locale);
  freelocale(locale);
  return codeSet.empty() ? "UTF-8" : codeSet;
}

}  // namespace

const std::string& AnsiCodeSet() {
  static const std::string codeSet = CodeSetOfEnvironment();
  return codeSet;
}

bool DecodeToUtf16(const std::string& codeSet, const char* bytes, size_t length,
                   std::u16string& text) {
  iconv_t converter = iconv_open("UTF-16LE", codeSet.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  text.clear();
  char* in = const_cast<char*>(bytes);
  size_t inLeft = length;
  char16_t chunk[256];
  while (inLeft > 0) {
    char* out = reinterpret_cast<char*>(chunk);
    size_t outLeft = sizeof chunk;
    const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
    text.append(chunk, (sizeof chunk - outLeft) / sizeof(char16_t));
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      // An invalid or incomplete sequence: one replacement for its first byte.
      text.push_back(u'\uFFFD');
      ++in;
      --inLeft;
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(converter);
  return true;
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR source, int sourceBytes, LPWSTR target,
                        int targetUnits) {
  if (codePage != CP_ACP || source == nullptr || targetUnits < 0 ||
      (targetUnits > 0 && target == nullptr))
    return 0;
  // -1: the terminator is converted too.
  const size_t length =
      sourceBytes < 0 ? std::strlen(source) + 1 : static_cast<size_t>(sourceBytes);
  std::u16string text;
  if (!DecodeToUtf16(AnsiCodeSet(), source, length, text)) return 0;
  const int units = static_cast<int>(text.size());
  if (targetUnits == 0) return units;
  // Too small a buffer: fail and leave it untouched, never half-filled.
  if (units > targetUnits) return 0;
  std::memcpy(target, text.data(), text.size() * sizeof(char16_t));
  return units;
}
