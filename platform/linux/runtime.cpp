// What the Windows C runtime does for a console program that Linux does not:
// - an uncaught exception ends the process with the runtime's text on
//   standard error and exit status 3, flushing and unwinding nothing;
// - a write to a closed pipe is a failed write, not a fatal signal.
#include <signal.h>
#include <unistd.h>

#include <exception>

namespace {

[[noreturn]] void TerminateAbnormally() {
  static const char text[] = "\r\nabnormal program termination\r\n";
  ssize_t ignored = write(STDERR_FILENO, text, sizeof text - 1);
  (void)ignored;
  _exit(3);
}

struct RuntimeSetup {
  RuntimeSetup() {
    std::set_terminate(TerminateAbnormally);
    signal(SIGPIPE, SIG_IGN);
  }
};

const RuntimeSetup runtimeSetup;

}  // namespace
