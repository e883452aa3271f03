// Word and number reading, with the input cut into pieces of every size and
// read through buffers of every size, so that words, signs and digits fall
// across both kinds of edge.
#include "control/input_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct PieceSource {
  std::string input;
  size_t piece;
  size_t next = 0;
};

int ReadPiece(void* context, unsigned char* buffer, int capacity) {
  PieceSource& source = *static_cast<PieceSource*>(context);
  const size_t count =
      std::min({source.piece, static_cast<size_t>(capacity), source.input.size() - source.next});
  std::memcpy(buffer, source.input.data() + source.next, count);
  source.next += count;
  return static_cast<int>(count);
}

// Reads words; after the word "N" reads a number, as a Set word does.
// Numbers show as "#value" ("#-" when none came), over-long words as
// "<long>".
std::vector<std::string> Tokens(const std::string& input, size_t piece, int capacity) {
  PieceSource source{input, piece};
  std::vector<unsigned char> buffer(static_cast<size_t>(capacity));
  InputReader reader;
  InitReader(reader, ReadPiece, &source, buffer.data(), capacity);
  unsigned char scratch[kMaxWordLength + 1];
  std::vector<std::string> tokens;
  Word word;
  while (ReadWord(reader, scratch, word)) {
    if (word.tooLong) {
      tokens.push_back("<long>");
      continue;
    }
    tokens.emplace_back(reinterpret_cast<const char*>(word.bytes),
                        static_cast<size_t>(word.length));
    if (tokens.back() == "N") {
      int32_t value = 12345;
      tokens.push_back(ReadInteger(reader, value) ? "#" + std::to_string(value) : "#-");
      if (tokens.back() == "#-") {
        EXPECT_EQ(value, 12345) << "value changed without digits";
      }
    }
  }
  return tokens;
}

struct ReaderCase {
  std::string input;
  std::vector<std::string> tokens;
};

void PrintTo(const ReaderCase& c, std::ostream* out) {
  *out << testing::PrintToString(c.input.substr(0, 40));
}

const std::string k1023(1023, 'w');

const ReaderCase kReaderCases[] = {
    {"", {}},
    {" \t\r\n\v\f ", {}},
    {"pause resume", {"pause", "resume"}},
    {"\r\n  pause\t\tresume\r\n", {"pause", "resume"}},
    {"a\vb\fc\td\re\nf g", {"a", "b", "c", "d", "e", "f", "g"}},
    // Neighbours of the white space bytes, and the same bytes with the high
    // bit set, are word bytes.
    // (Long enough to be read eight bytes at a time.)
    {std::string("\x08\x0E\x1F\x21\x00\x7F\x80\xFF\x09 z", 11),
     {std::string("\x08\x0E\x1F\x21\x00\x7F\x80\xFF", 8), "z"}},
    {"\xA0\x89\x8A\x8D\x8C\x8B\x0Bz\x0A\x89\x8A\x8D\x8C\x8B\xA0\x20",
     {"\xA0\x89\x8A\x8D\x8C\x8B", "z", "\x89\x8A\x8D\x8C\x8B\xA0"}},
    {"abcdefg\x20hijklmnopqrstu\x0Cv", {"abcdefg", "hijklmnopqrstu", "v"}},
    {"N 15 x", {"N", "#15", "x"}},
    {"N\n\n -3\n", {"N", "#-3"}},
    {"N +8", {"N", "#8"}},
    {"N 12abc", {"N", "#12", "abc"}},
    {"N pause", {"N", "#-", "pause"}},
    {"N -x", {"N", "#-", "x"}},
    {"N --5", {"N", "#-", "-5"}},
    {"N +", {"N", "#-"}},
    {"N", {"N", "#-"}},
    {"N 4294967311", {"N", "#15"}},
    {"N 2147483648", {"N", "#-2147483648"}},
    {"N -2147483648", {"N", "#-2147483648"}},
    {"N 00000000000000000000000000042", {"N", "#42"}},
    {"N 99999999999999999999999999999", {"N", "#-1610612737"}},
    {std::string("st\0op x", 7), {std::string("st\0op", 5), "x"}},
    {"a\x1A"
     "b c",
     {"a"}},
    {"N 7\x1A"
     "8",
     {"N", "#7"}},
    {"N -\x1A"
     "8",
     {"N", "#-"}},
    {"\x1A pause", {}},
    {k1023 + " x", {k1023, "x"}},
    {k1023 + "w x", {"<long>", "x"}},
    {std::string(5000, 'z') + "stop N 1", {"<long>", "N", "#1"}},
};

class ReaderCases : public testing::TestWithParam<ReaderCase> {};

TEST_P(ReaderCases, SameTokensWhateverThePieces) {
  const ReaderCase& c = GetParam();
  for (size_t piece : {1, 2, 3, 5, 7, 64, 4096, 1 << 20}) {
    for (int capacity : {1, 2, 3, 16, 1024, 65536}) {
      EXPECT_EQ(Tokens(c.input, piece, capacity), c.tokens)
          << "pieces of " << piece << ", buffer of " << capacity;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, ReaderCases, testing::ValuesIn(kReaderCases));

// A source that fails: the input ends there, and stays ended.
TEST(InputReader, ReadErrorEndsTheInputForGood) {
  int calls = 0;
  auto failing = [](void* context, unsigned char*, int) {
    ++*static_cast<int*>(context);
    return -1;
  };
  unsigned char buffer[16], scratch[kMaxWordLength + 1];
  InputReader reader;
  InitReader(reader, failing, &calls, buffer, sizeof buffer);
  Word word;
  int32_t value = 9;
  EXPECT_FALSE(ReadWord(reader, scratch, word));
  EXPECT_FALSE(ReadInteger(reader, value));
  EXPECT_FALSE(ReadWord(reader, scratch, word));
  EXPECT_EQ(value, 9);
  EXPECT_EQ(calls, 1);
}

struct DecimalCase {
  const char* text;
  int32_t value;
};

TEST(ParseDecimal, ReadsLikeAtoiAndWraps) {
  const DecimalCase cases[] = {
      {"70", 70},
      {"x", 0},
      {"-7", -7},
      {" 12", 12},
      {"\t\n 3", 3},
      {"12abc", 12},
      {"+5", 5},
      {"", 0},
      {"-", 0},
      {"- 3", 0},
      {"4294967297", 1},
      {"2147483648", -2147483648},
      {"-2147483648", -2147483648},
      {"99999999999", 1215752191},
  };
  for (const DecimalCase& c : cases)
    EXPECT_EQ(ParseDecimal(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
