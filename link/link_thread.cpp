#include "link/link_thread.h"

#include <cstdlib>

#include "app/settings.h"
#include "control/command_loop.h"
#include "link/create_link.h"

DWORD WINAPI RunLinkThread(LPVOID) {
  CoInitialize(nullptr);
  LinkPtr link;
  const HRESULT hr = CreateLink(link);
  // E_NOINTERFACE goes through with the LinkPtr empty; Open then raises.
  if (FAILED(hr) && hr != E_NOINTERFACE) RaiseComError(hr);

  link->Open();
  link->SetOptionsA(2, 20, 0, 0);
  link->SetNumber(settings.number);
  link->SetOptionsB(2, 20, 0, 0, 0, 0);
  link->SetTarget(settings.target, 6666);
  link->StartRX(-1);
  link->StartTX(-1);
  link->SetSpeakerVolume(-1, settings.speakerVolume);
  link->SetMicrophoneVolume(-1, settings.microphoneVolume);

  RunCommandLoop(link);

  link->StopRX();
  link->StopTX();
  link->Close();
  link.Release();
  CoUninitialize();
  std::exit(0);
}
