#include "control/commands.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

struct CommandWord {
  const char* text;
  size_t length;
  Command command;
};

#define COMMAND_WORD(text, command) \
  { text, sizeof text - 1, Command::command }

// In the order they are tested.
constexpr CommandWord kCommandWords[] = {
    COMMAND_WORD("pause", Pause),
    COMMAND_WORD("resume", Resume),
    COMMAND_WORD("StartRX", StartRX),
    COMMAND_WORD("StopRX", StopRX),
    COMMAND_WORD("StartTX", StartTX),
    COMMAND_WORD("StopTX", StopTX),
    COMMAND_WORD("SetSpeakerVolume", SetSpeakerVolume),
    COMMAND_WORD("SetMicrophoneVolume", SetMicrophoneVolume),
    COMMAND_WORD("close", Close),
    COMMAND_WORD("stop", Stop),
    COMMAND_WORD("GetSpeakerVolume", GetSpeakerVolume),
    COMMAND_WORD("GetMicrophoneVolume", GetMicrophoneVolume),
};

#undef COMMAND_WORD

constexpr size_t kMinLength = 4;
constexpr size_t kMaxLength = 31;
constexpr size_t kMaxSameLength = 3;

// The command words of each length, in the order of testing: a word is
// compared only with the few it could be.
struct SameLength {
  size_t count = 0;
  size_t index[kMaxSameLength] = {};
};

constexpr std::array<SameLength, kMaxLength + 1> kByLength = [] {
  std::array<SameLength, kMaxLength + 1> byLength{};
  for (size_t i = 0; i < std::size(kCommandWords); ++i) {
    SameLength& same = byLength[kCommandWords[i].length];
    same.index[same.count++] = i;
  }
  return byLength;
}();

static_assert([] {
  for (const CommandWord& word : kCommandWords) {
    if (word.length < kMinLength || word.length > kMaxLength) return false;
  }
  for (const SameLength& same : kByLength) {
    if (same.count > kMaxSameLength) return false;
  }
  return true;
}());

inline uint32_t Load4(const void* bytes) {
  uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

inline uint64_t Load8(const void* bytes) {
  uint64_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// Equal bytes, for length >= kMinLength: whole loads that may overlap, in
// place of a byte loop or a library call.
inline bool SameBytes(const unsigned char* word, const char* text, size_t length) {
  if (length < 8) {
    return Load4(word) == Load4(text) && Load4(word + length - 4) == Load4(text + length - 4);
  }
  for (size_t at = 0; at + 8 < length; at += 8) {
    if (Load8(word + at) != Load8(text + at)) return false;
  }
  return Load8(word + length - 8) == Load8(text + length - 8);
}

}  // namespace

Command MatchCommand(const unsigned char* bytes, size_t length) {
  if (length > kMaxLength) return Command::None;
  const SameLength& same = kByLength[length];
  for (size_t i = 0; i < same.count; ++i) {
    const CommandWord& word = kCommandWords[same.index[i]];
    if (SameBytes(bytes, word.text, length)) return word.command;
  }
  return Command::None;
}
