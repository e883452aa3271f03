// Standard input and output as plain byte streams, without the C library's
// stdio in between: the command reader does its own buffering and the answers
// are written whole, so both builds behave alike to the byte.
//
// Both are called from one thread only (the link thread).
#pragma once

// Blocks until at least one byte is there, then returns how many were put
// into buffer (1..capacity). 0 means end of input, a negative value a read
// error; the caller treats both as the end.
int ReadStandardInput(void* buffer, int capacity);

// Writes all count bytes, retrying short writes. A failed write (the reader
// has gone away) is ignored, as the program ignores the result of every
// output call; it never ends the process.
void WriteStandardOutput(const void* bytes, int count);
