// Settings: the four process-wide values.
//
// main writes all of them before the link thread exists; from then on only
// the link thread reads and writes them, so nothing guards them. target is
// allocated once by main and never released.
#pragma once

#include <cstdint>

#include "platform/com.h"

struct Settings {
  int32_t speakerVolume;
  int32_t microphoneVolume;
  int32_t number;
  BSTR target;
};

extern Settings settings;
