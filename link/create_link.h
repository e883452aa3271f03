// CreateLink: creates the AudioLink component into a LinkPtr.
//
// Class context 7 (in-process server, in-process handler, local server), no
// outer object. Steps: CoCreateInstance for IUnknown; OleRun on it; only if
// that succeeded, QueryInterface for IAudioLink into the LinkPtr; the
// temporary IUnknown is released in either case.
//
// Returns the first failing HRESULT, else QueryInterface's. The LinkPtr is
// empty unless the result is a success. Needs CoInitialize on this thread.
#pragma once

#include "link/link_ptr.h"

HRESULT CreateLink(LinkPtr& link);
