// The COM, OLE Automation and kernel facilities linkctl uses, on Windows:
// the system's own headers, nothing of ours.
#pragma once

#include <windows.h>
// windows.h first: these two rely on its types.
#include <ole2.h>
#include <oleauto.h>
