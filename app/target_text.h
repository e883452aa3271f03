// The target text of the command line as the component's BSTR.
#pragma once

#include "platform/com.h"

// Converts text through the ANSI code page into a new BSTR that the caller
// owns. An empty text gives a BSTR of length 0; a failed allocation gives
// null, which is passed on as it is.
BSTR MakeTargetString(const char* text);
