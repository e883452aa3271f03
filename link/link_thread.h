// RunLinkThread: the link thread's routine, the component's whole life in
// one straight line: COM start, creation, the start sequence, the command
// loop, the shutdown sequence, COM end and exit(0).
//
// Started once by main with no parameter; never returns. A failed creation
// (other than E_NOINTERFACE) or a call through an empty LinkPtr raises a
// _com_error that ends the process with status 3.
#pragma once

#include "platform/com.h"

DWORD WINAPI RunLinkThread(LPVOID unused);
