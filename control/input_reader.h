// InputReader: words and numbers from a byte stream, read as fscanf reads
// "%s" and "%d" from a text stream, with a buffer of its own.
//
// Lifecycle: InitReader binds a source and a buffer (both the caller's, and
// they must outlive the reader); ReadWord and ReadInteger then pull bytes
// from the source as they need them, never more than one buffer ahead.
//
// The stream's rules:
// - White space is 0x09-0x0D and 0x20. A word is every byte up to the next
//   white space byte, NUL bytes included; the white space is left unread.
// - The byte 0x1A ends the input, as a text stream's end-of-file does; so do
//   a source's end (0) and its errors (negative). Once ended, it stays ended.
// - Numbers: white space skipped, one optional sign, then decimal digits
//   accumulated modulo 2^32, the sign applied last. The byte after them, or
//   the first non-digit after the sign, is left unread.
#pragma once

#include <cstddef>
#include <cstdint>

// Fills buffer with 1..capacity bytes and returns the count; 0 at the end of
// the input, negative on a read error. Blocks until it has something to say.
typedef int (*ReadSource)(void* context, unsigned char* buffer, int capacity);

struct InputReader {
  ReadSource source;
  void* context;
  unsigned char* buffer;
  int capacity;
  int position;
  int limit;
  bool sourceEnded;  // no byte will come from the source any more
};

void InitReader(InputReader& reader, ReadSource source, void* context, unsigned char* buffer,
                int capacity);

// The longest word kept whole; a word buffer holds it and its terminator.
constexpr int kMaxWordLength = 1023;

struct Word {
  const unsigned char* bytes;  // valid until the next read
  int length;
  bool tooLong;  // more than kMaxWordLength bytes: consumed whole, bytes unset
};

// Reads the next word; false at the end of the input. A word longer than
// kMaxWordLength is consumed up to its end and reported as tooLong. The
// scratch buffer holds a word that straddles two fills of the buffer.
bool ReadWord(InputReader& reader, unsigned char (&scratch)[kMaxWordLength + 1], Word& word);

// Reads a number into value. False, with value untouched, when no digit
// comes (the byte that stopped the read stays unread; a sign before it is
// lost) or when the input ends first.
bool ReadInteger(InputReader& reader, int32_t& value);

// atoi with the same rules: a text without digits gives 0.
int32_t ParseDecimal(const char* text);
