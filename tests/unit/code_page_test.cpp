// The ANSI code page on Linux: bytes of a code set to UTF-16.
#include <gtest/gtest.h>

#include <string>

#include "../../platform/linux/code_page.h"
#include "platform/com.h"

namespace {

TEST(CodePage, DecodesEachCodeSetAndReplacesInvalidBytes) {
  const struct {
    const char* codeSet;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"UTF-8", "abc", u"abc"},
      {"UTF-8", "\xC3\xA9", u"\u00E9"},
      {"UTF-8", "a\xF0\x9F\x98\x80", u"a\U0001F600"},
      {"UTF-8", "a\xE9z", u"a\uFFFDz"},
      {"UTF-8", "\xC3", u"\uFFFD"},
      {"UTF-8", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"UTF-8", "\xE2\x82", u"\uFFFD\uFFFD"},
      {"UTF-8", "\xC0\xAFx", u"\uFFFD\uFFFDx"},
      {"UTF-8", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"UTF-8", "\xF4\x8F\xBF\xBF\xEF\xBF\xBD", u"\U0010FFFF\uFFFD"},
      {"UTF-8", "\xE0\x9F\xBF\xE0\xA0\x80", u"\uFFFD\uFFFD\uFFFD\u0800"},
      {"CP1252", "\xE9\x80", u"\u00E9\u20AC"},
      {"ISO-8859-1", "\xE9\xFF", u"\u00E9\u00FF"},
      {"ANSI_X3.4-1968", "a\xE9", u"a\uFFFD"},
  };
  for (const auto& c : cases) {
    std::u16string text;
    EXPECT_TRUE(DecodeToUtf16(c.codeSet, c.bytes.data(), c.bytes.size(), text));
    EXPECT_EQ(text, c.text) << c.codeSet << " " << c.bytes;
  }
  std::u16string text;
  EXPECT_FALSE(DecodeToUtf16("NO-SUCH-CODE-SET", "a", 1, text));
}

TEST(CodePage, MultiByteToWideCharCountsAndNeverOverflows) {
  // The test process has no locale variables of its own choosing, but ASCII
  // is the same in every code set.
  WCHAR buffer[8];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "abc", -1, buffer, 8), 4);
  EXPECT_EQ(std::u16string(buffer, 4), std::u16string(u"abc\0", 4));
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "abc", 2, buffer, 8), 2);

  std::fill(std::begin(buffer), std::end(buffer), u'#');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "abcdefghij", -1, buffer, 8), 0);
  EXPECT_EQ(buffer[0], u'#') << "a too small buffer is left untouched";
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, "abc", -1, nullptr, 8), 0);
}

}  // namespace
