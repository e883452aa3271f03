// The ANSI code page of Linux: the code set of the user's locale.
#pragma once

#include <string>

// The code set that LC_ALL, LC_CTYPE or LANG (the first one set) names, as
// iconv knows it. "UTF-8" when none is set, when the locale is C or POSIX,
// or when the named locale is not installed. Read once; the program's own C
// locale is never changed.
const std::string& AnsiCodeSet();

// Decodes length bytes in codeSet into UTF-16. A byte that does not begin a
// valid sequence becomes U+FFFD and decoding goes on after it. False only
// when iconv does not know codeSet.
bool DecodeToUtf16(const std::string& codeSet, const char* bytes, size_t length,
                   std::u16string& text);
