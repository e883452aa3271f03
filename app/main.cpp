// linkctl: drives an AudioLink component from command words on standard
// input. main fills the Settings, starts the link thread and idles; the link
// thread ends the process.
#include <exception>

#include "app/settings.h"
#include "app/target_text.h"
#include "control/input_reader.h"
#include "link/link_thread.h"

int main(int argc, char** argv) {
  // Missing arguments keep their initial values; nothing past argc is read.
  if (argc > 1) settings.speakerVolume = ParseDecimal(argv[1]);
  if (argc > 2) settings.microphoneVolume = ParseDecimal(argv[2]);
  if (argc > 3) settings.number = ParseDecimal(argv[3]);
  if (argc > 4) settings.target = MakeTargetString(argv[4]);

  DWORD threadId;
  // Without the link thread nothing would ever end the process: end it now,
  // the way every other fatal failure ends it.
  if (CreateThread(nullptr, 0, RunLinkThread, nullptr, 0, &threadId) == nullptr) std::terminate();

  for (;;) Sleep(60000);
}
