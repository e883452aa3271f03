// What the program needs of the runtime beyond mingw-w64's defaults: an
// uncaught exception ends the process with exactly the text and status 3 of
// the system's C runtime, flushing and unwinding nothing (libstdc++'s own
// handler would print the exception's type instead).
#include <windows.h>

#include <exception>

namespace {

[[noreturn]] void TerminateAbnormally() {
  static const char text[] = "\r\nabnormal program termination\r\n";
  DWORD written;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, sizeof text - 1, &written, nullptr);
  TerminateProcess(GetCurrentProcess(), 3);
  // TerminateProcess on the own process does not return; this keeps the
  // promise of [[noreturn]] should it ever fail.
  ExitProcess(3);
}

struct RuntimeSetup {
  RuntimeSetup() { std::set_terminate(TerminateAbnormally); }
};

const RuntimeSetup runtimeSetup;

}  // namespace
