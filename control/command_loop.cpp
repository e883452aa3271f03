#include "control/command_loop.h"

#include <cstdio>

#include "app/settings.h"
#include "control/commands.h"
#include "control/input_reader.h"
#include "platform/console.h"

namespace {

constexpr int kInputBufferSize = 64 * 1024;

int ReadFromStandardInput(void*, unsigned char* buffer, int capacity) {
  return ReadStandardInput(buffer, capacity);
}

void WriteAnswer(int32_t value) {
  char answer[16];
  const int length = std::snprintf(answer, sizeof answer, "%d\r", static_cast<int>(value));
  WriteStandardOutput(answer, length);
}

}  // namespace

void RunCommandLoop(LinkPtr& link) {
  static unsigned char input[kInputBufferSize];
  unsigned char word[kMaxWordLength + 1];
  InputReader reader;
  InitReader(reader, ReadFromStandardInput, nullptr, input, kInputBufferSize);

  Word next;
  while (ReadWord(reader, word, next)) {
    const Command command = next.tooLong ? Command::None : MatchCommand(next.bytes, next.length);
    switch (command) {
      case Command::Pause:
        link->StopRX();
        link->StopTX();
        break;
      case Command::Resume:
        link->StartRX(-1);
        link->StartTX(-1);
        break;
      case Command::StartRX:
        link->StartRX(-1);
        break;
      case Command::StopRX:
        link->StopRX();
        break;
      case Command::StartTX:
        link->StartTX(-1);
        break;
      case Command::StopTX:
        link->StopTX();
        break;
      case Command::SetSpeakerVolume:
        // Without a number the previous volume is passed again.
        ReadInteger(reader, settings.speakerVolume);
        link->SetSpeakerVolume(-1, settings.speakerVolume);
        break;
      case Command::SetMicrophoneVolume:
        ReadInteger(reader, settings.microphoneVolume);
        link->SetMicrophoneVolume(-1, settings.microphoneVolume);
        break;
      case Command::Close:
      case Command::Stop:
        return;
      case Command::GetSpeakerVolume:
        WriteAnswer(settings.speakerVolume);
        break;
      case Command::GetMicrophoneVolume:
        WriteAnswer(settings.microphoneVolume);
        break;
      case Command::None:
        break;
    }
  }
}
