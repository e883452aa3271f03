// The command words and their order of testing.
#pragma once

#include <cstddef>

enum class Command {
  Pause,
  Resume,
  StartRX,
  StopRX,
  StartTX,
  StopTX,
  SetSpeakerVolume,
  SetMicrophoneVolume,
  Close,
  Stop,
  GetSpeakerVolume,
  GetMicrophoneVolume,
  None,  // any other word
};

// The command a word names: compared byte for byte, case-sensitively, as a
// whole (a NUL inside the word is part of it).
Command MatchCommand(const unsigned char* bytes, size_t length);
