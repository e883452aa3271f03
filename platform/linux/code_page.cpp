// MultiByteToWideChar for CP_ACP, through iconv.
#include "code_page.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/com.h"

namespace {

bool IsUtf8Name(const char* name) {
  std::string folded;
  for (; *name != '\0' && *name != '@'; ++name) {
    if (*name != '-' && *name != '_') folded += static_cast<char>(std::tolower(*name));
  }
  return folded == "utf8";
}

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
  // A name that says its code set ("de_DE.UTF-8") needs no locale loaded.
  const char* dot = std::strchr(name, '.');
  if (dot != nullptr && IsUtf8Name(dot + 1)) return "UTF-8";
  locale_t locale = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return "UTF-8";
  std::string codeSet = nl_langinfo_l(CODESET, locale);
  freelocale(locale);
  return codeSet.empty() ? "UTF-8" : codeSet;
}

// UTF-8 by hand: the usual case, without iconv's module loading at start-up.
// Same replacements as below: one U+FFFD for the first byte of anything
// invalid (overlong, surrogate, past U+10FFFF, cut short), then on.
void DecodeUtf8(const unsigned char* bytes, size_t length, std::u16string& text) {
  size_t at = 0;
  while (at < length) {
    const unsigned char lead = bytes[at];
    if (lead < 0x80) {
      text.push_back(lead);
      ++at;
      continue;
    }
    size_t extra = 0;
    char32_t code = 0;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      code = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      code = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    }
    bool valid = extra > 0 && at + extra < length;
    for (size_t i = 1; valid && i <= extra; ++i) {
      const unsigned char next = bytes[at + i];
      const unsigned char min = i == 1 ? low : 0x80, max = i == 1 ? high : 0xBF;
      if (next < min || next > max) valid = false;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid) {
      text.push_back(u'\uFFFD');
      ++at;
      continue;
    }
    if (code >= 0x10000) {
      text.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(code));
    }
    at += extra + 1;
  }
}

}  // namespace

const std::string& AnsiCodeSet() {
  static const std::string codeSet = CodeSetOfEnvironment();
  return codeSet;
}

bool DecodeToUtf16(const std::string& codeSet, const char* bytes, size_t length,
                   std::u16string& text) {
  if (codeSet == "UTF-8") {
    text.clear();
    DecodeUtf8(reinterpret_cast<const unsigned char*>(bytes), length, text);
    return true;
  }
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
