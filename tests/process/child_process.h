// A program run as a child process over three pipes, for tests that check
// what a user of the program sees: the bytes on its standard output and
// standard error and its exit status.
//
// Lifecycle: Start, then any number of Send/Expect while standard input is
// open, then Finish (which writes the rest of the input, closes standard
// input and collects everything until the child ends). A child still
// running at a deadline is killed, and the result says so.
#pragma once

#include <sys/types.h>
#include <string>
#include <vector>

struct ChildResult {
  std::string out;  // everything on standard output, including what Expect read
  std::string err;
  int status = -1;  // exit status; 128 + signal number when killed by a signal
  bool timedOut = false;
};

class ChildProcess {
 public:
  // argv[0] is the program's path; environment entries are NAME=VALUE.
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  void Send(const std::string& bytes);
  // Reads standard output until exactly `bytes` more bytes have come or the
  // timeout passes; returns what came.
  std::string Expect(size_t bytes, int timeoutMs);
  // Closes the read end of our side of standard output, as a reader that
  // went away would.
  void AbandonOutput();
  ChildResult Finish(const std::string& input, int timeoutMs);

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
  ChildResult result_;
};
