#include "control/input_reader.h"

#include <bit>
#include <cstring>

namespace {

constexpr unsigned char kEndOfText = 0x1A;

struct ByteClasses {
  bool space[256] = {};
  ByteClasses() {
    for (int c = 0x09; c <= 0x0D; ++c) space[c] = true;
    space[0x20] = true;
  }
};
const ByteClasses classes;

inline bool IsSpace(unsigned char c) {
  return classes.space[c];
}
inline bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = kOnes * 0x80;

// The white space among eight bytes, loaded low byte first: the high bit of
// each byte that is strictly between 0x08 and 0x0E or between 0x1F and 0x21.
// Exact for every byte (no borrow crosses a byte), so both the white space
// and the rest can be counted off with one load.
inline uint64_t SpaceMarks(uint64_t bytes) {
  const uint64_t low = bytes & (kOnes * 0x7F);
  const uint64_t control = ((kOnes * (127 + 0x0E)) - low) & (low + kOnes * (127 - 0x08));
  const uint64_t space = ((kOnes * (127 + 0x21)) - low) & (low + kOnes * (127 - 0x1F));
  return (control | space) & ~bytes & kHighs;
}

inline uint64_t Load8(const unsigned char* bytes) {
  uint64_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Makes at least one unread byte available; false once the input has ended.
bool Fill(InputReader& reader) {
  if (reader.position < reader.limit) return true;
  if (reader.sourceEnded) return false;
  const int got = reader.source(reader.context, reader.buffer, reader.capacity);
  reader.position = 0;
  reader.limit = 0;
  if (got <= 0) {
    reader.sourceEnded = true;
    return false;
  }
  const void* stop = std::memchr(reader.buffer, kEndOfText, static_cast<size_t>(got));
  if (stop != nullptr) {
    reader.limit = static_cast<int>(static_cast<const unsigned char*>(stop) - reader.buffer);
    reader.sourceEnded = true;
    return reader.limit > 0;
  }
  reader.limit = got;
  return true;
}

bool SkipSpace(InputReader& reader) {
  for (;;) {
    if (!Fill(reader)) return false;
    while (reader.position < reader.limit && IsSpace(reader.buffer[reader.position]))
      ++reader.position;
    if (reader.position < reader.limit) return true;
  }
}

inline int ScanWord(const InputReader& reader) {
  static_assert(std::endian::native == std::endian::little, "byte order of SpaceMarks");
  int end = reader.position;
  while (end + 8 <= reader.limit) {
    const uint64_t marks = SpaceMarks(Load8(reader.buffer + end));
    if (marks != 0) return end + std::countr_zero(marks) / 8;
    end += 8;
  }
  while (end < reader.limit && !IsSpace(reader.buffer[end])) ++end;
  return end;
}

// A word that may run on past this fill, or end at the end of the input.
bool ReadWordAcrossFills(InputReader& reader, unsigned char (&scratch)[kMaxWordLength + 1],
                         Word& word) {
  if (!SkipSpace(reader)) return false;
  int end = ScanWord(reader);
  int length = end - reader.position;
  if (end < reader.limit || (reader.sourceEnded && end == reader.limit)) {
    // The whole word is in the buffer: use it where it lies.
    word = Word{reader.buffer + reader.position, length, length > kMaxWordLength};
    reader.position = end;
    return true;
  }
  // The word runs on past this fill: gather it in scratch, or only count it
  // once it is too long to match anything.
  int kept = 0;
  for (;;) {
    if (kept + length <= kMaxWordLength) {
      std::memcpy(scratch + kept, reader.buffer + reader.position, static_cast<size_t>(length));
    }
    kept += length;
    if (kept > kMaxWordLength) kept = kMaxWordLength + 1;
    reader.position = end;
    if (end < reader.limit || !Fill(reader)) break;
    end = ScanWord(reader);
    length = end - reader.position;
  }
  scratch[kept <= kMaxWordLength ? kept : 0] = 0;
  word = Word{scratch, kept, kept > kMaxWordLength};
  return true;
}

}  // namespace

void InitReader(InputReader& reader, ReadSource source, void* context, unsigned char* buffer,
                int capacity) {
  reader = InputReader{source, context, buffer, capacity, 0, 0, false};
}

bool ReadWord(InputReader& reader, unsigned char (&scratch)[kMaxWordLength + 1], Word& word) {
  // The common case first: the white space and the whole word are already in
  // the buffer, with white space after the word; most often all within the
  // next eight bytes.
  int start = reader.position;
  if (start + 8 <= reader.limit) {
    const uint64_t marks = SpaceMarks(Load8(reader.buffer + start));
    const uint64_t text = ~marks & kHighs;
    if (text != 0) {
      const int first = std::countr_zero(text) / 8;
      const uint64_t after = marks & (~0ull << (first * 8));
      if (after != 0) {
        const int end = start + std::countr_zero(after) / 8;
        start += first;
        word = Word{reader.buffer + start, end - start, false};
        reader.position = end;
        return true;
      }
      start += first;
    } else {
      start += 8;
    }
  }
  while (start < reader.limit && IsSpace(reader.buffer[start])) ++start;
  reader.position = start;
  if (start < reader.limit) {
    const int end = ScanWord(reader);
    if (end < reader.limit) {
      const int length = end - start;
      word = Word{reader.buffer + start, length, length > kMaxWordLength};
      reader.position = end;
      return true;
    }
  }
  return ReadWordAcrossFills(reader, scratch, word);
}

bool ReadInteger(InputReader& reader, int32_t& value) {
  if (!SkipSpace(reader)) return false;
  bool negative = false;
  const unsigned char first = reader.buffer[reader.position];
  if (first == '+' || first == '-') {
    negative = first == '-';
    ++reader.position;
    if (!Fill(reader)) return false;
  }
  if (!IsDigit(reader.buffer[reader.position])) return false;
  uint32_t magnitude = 0;
  // Digit by digit within a fill; a refill only at its end.
  do {
    int at = reader.position;
    while (at < reader.limit && IsDigit(reader.buffer[at])) {
      magnitude = magnitude * 10u + static_cast<uint32_t>(reader.buffer[at] - '0');
      ++at;
    }
    reader.position = at;
  } while (reader.position == reader.limit && Fill(reader));
  value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
  return true;
}

int32_t ParseDecimal(const char* text) {
  // The text is the whole input: a reader over its own bytes, with no source
  // behind them. The reader only reads its buffer, so the cast is safe.
  InputReader reader;
  InitReader(reader, nullptr, nullptr, reinterpret_cast<unsigned char*>(const_cast<char*>(text)),
             0);
  reader.limit = static_cast<int>(std::strlen(text));
  reader.sourceEnded = true;
  int32_t value = 0;
  ReadInteger(reader, value);
  return value;
}
