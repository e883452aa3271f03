#include "control/commands.h"

#include <cstring>

namespace {

struct CommandWord {
  const char* text;
  size_t length;
  Command command;
};

#define COMMAND_WORD(text, command) \
  { text, sizeof text - 1, Command::command }

const CommandWord kCommandWords[] = {
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

}  // namespace

Command MatchCommand(const unsigned char* bytes, size_t length) {
  for (const CommandWord& word : kCommandWords) {
    if (word.length == length && std::memcmp(word.text, bytes, length) == 0) return word.command;
  }
  return Command::None;
}
