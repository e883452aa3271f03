// The process-level cases: what a user of linkctl sees for a command line,
// an input and a component, as one table that every build's runner reuses
// (the runner supplies the program, the registration and the log).
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Text the runner sends while standard input stays open, and the exact
// answer bytes that must arrive before anything more is sent.
struct Exchange {
  std::string send;
  std::string expect;
};

struct ProcessCase {
  std::string name;
  std::vector<std::string> args;  // after the program's name
  // Behaviour of the recording component (its LINKREC_MODE), or
  // "unregistered" for a class that no registry entry serves.
  std::string mode;
  std::vector<Exchange> dialog;
  std::string input;  // sent after the dialog; then standard input is closed
  std::string out;    // all of standard output, dialog answers included
  std::string err;
  int status;
  // The component's operations in the order received, as the recorder
  // writes them ("SetTarget \"abc\" 3 6666").
  std::vector<std::string> calls;
  bool destroyed;                        // the component object's last reference was released
  std::vector<std::string> environment;  // NAME=VALUE added for this case
};

const std::vector<ProcessCase>& ProcessCases();

// A case on how the target text reaches the component: the arguments
// 1 2 3 TARGET, both volumes asked, then "stop"; logged is the SetTarget
// text as the recorder writes it ("\"abc\" 3").
ProcessCase TargetTextCase(std::string name, std::string target, std::string logged,
                           std::vector<std::string> environment = {});

// Operation lines of a recorder log, lifetime lines left out.
std::vector<std::string> OperationLines(const std::vector<std::string>& log);

// Why a recorder log does not show exactly one final Release (after every
// operation) when destroyed, or none when not; empty when it does.
std::string LifetimeFault(const std::vector<std::string>& log, bool destroyed);

// Names a case in test output instead of dumping its bytes.
inline void PrintTo(const ProcessCase& testCase, std::ostream* out) {
  *out << testCase.name;
}
