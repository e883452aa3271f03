// Runs one process case against a build of linkctl and checks what the user
// sees. A Launcher says how this build's program is started and how the
// recording component is registered and told its mode and log.
#pragma once

#include <string>
#include <vector>

#include "cases.h"
#include "child_process.h"

class Launcher {
 public:
  virtual ~Launcher() = default;
  // The command before the case's arguments: the program (and whatever
  // runs it).
  virtual std::vector<std::string> Command() const = 0;
  // The whole environment of the child for a component mode ("unregistered"
  // included) and the log file (a path on this machine).
  virtual std::vector<std::string> Environment(const std::string& mode,
                                               const std::string& logPath) const = 0;
  // False for a case whose expectations this build cannot meet by design
  // (the runner skips it, and says so).
  virtual bool Runs(const ProcessCase&) const { return true; }
};

struct CaseOutcome {
  ChildResult result;
  std::vector<std::string> dialogAnswers;  // what arrived for each exchange
  std::vector<std::string> log;            // the recorder's lines
};

// Runs the case in a fresh scratch directory and collects its outcome.
CaseOutcome RunCase(const ProcessCase& testCase, const Launcher& launcher);

// Checks an outcome against the case with GoogleTest assertions.
void ExpectCaseOutcome(const ProcessCase& testCase, const CaseOutcome& outcome);

// Reads a file's lines (without their line feeds); empty when missing.
std::vector<std::string> ReadLines(const std::string& path);

// A new empty directory for one test's files.
std::string MakeScratchDirectory();

// The process environment entries a child keeps (sanitizer options, PATH).
std::vector<std::string> InheritedEnvironment();
