// The AudioLink object: IAudioLink over a LinkState.
//
// Lifecycle: CreateLinkObject gives an object with one reference, closed.
// Open acquires codec state and starts the stats file; the start methods
// acquire the devices and the socket as they need them; Close stops both
// directions and releases all of it. The last Release closes first.
//
// Every method is called from one thread (a single-threaded apartment); the
// object never calls back into it.
#pragma once

#include "link/audio_link.h"

namespace audiolink {

// S_OK with *out the interface iid names, E_NOINTERFACE (out null) else.
HRESULT CreateLinkObject(REFIID iid, void** out);

}  // namespace audiolink
