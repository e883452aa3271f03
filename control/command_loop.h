// RunCommandLoop: the control protocol.
//
// Reads command words from standard input and drives the component through
// the LinkPtr, keeping the two volumes in the Settings; answers the two Get
// words on standard output as "%d\r", each written out at once. Returns
// after "close" or "stop", and at the end of the input (end of file, a read
// error or the byte 0x1A), which counts as "close". Runs on the link thread.
#pragma once

#include "link/link_ptr.h"

void RunCommandLoop(LinkPtr& link);
