#include "case_runner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {
constexpr int kAnswerTimeoutMs = 10000;
constexpr int kRunTimeoutMs = 60000;

// Shows control bytes, so that a wrong "\r" or a missing byte is visible.
std::string Visible(const std::string& bytes) {
  std::string shown;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02X", c);
      shown += code;
    }
  }
  return shown;
}
}  // namespace

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream file(path, std::ios::binary);
  std::string line;
  while (std::getline(file, line)) lines.push_back(line);
  return lines;
}

std::string MakeScratchDirectory() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base ? base : "/tmp") + "/linkctl-test-XXXXXX";
  std::vector<char> path(pattern.begin(), pattern.end());
  path.push_back('\0');
  if (mkdtemp(path.data()) == nullptr) return "/tmp";
  return path.data();
}

std::vector<std::string> InheritedEnvironment() {
  std::vector<std::string> kept;
  for (const char* name : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TMPDIR"}) {
    if (const char* value = std::getenv(name)) kept.push_back(std::string(name) + "=" + value);
  }
  return kept;
}

CaseOutcome RunCase(const ProcessCase& testCase, const Launcher& launcher) {
  const std::string log = MakeScratchDirectory() + "/calls.log";
  std::vector<std::string> command = launcher.Command();
  command.insert(command.end(), testCase.args.begin(), testCase.args.end());
  std::vector<std::string> environment = launcher.Environment(testCase.mode, log);
  environment.insert(environment.end(), testCase.environment.begin(), testCase.environment.end());

  CaseOutcome outcome;
  ChildProcess child(command, environment);
  for (const Exchange& exchange : testCase.dialog) {
    child.Send(exchange.send);
    outcome.dialogAnswers.push_back(child.Expect(exchange.expect.size(), kAnswerTimeoutMs));
  }
  outcome.result = child.Finish(testCase.input, kRunTimeoutMs);
  outcome.log = ReadLines(log);
  return outcome;
}

void ExpectCaseOutcome(const ProcessCase& testCase, const CaseOutcome& outcome) {
  for (size_t i = 0; i < testCase.dialog.size(); ++i) {
    EXPECT_EQ(Visible(outcome.dialogAnswers[i]), Visible(testCase.dialog[i].expect))
        << "answer to exchange " << i << " while standard input is open";
  }
  EXPECT_FALSE(outcome.result.timedOut);
  EXPECT_EQ(Visible(outcome.result.out), Visible(testCase.out));
  EXPECT_EQ(Visible(outcome.result.err), Visible(testCase.err));
  EXPECT_EQ(outcome.result.status, testCase.status);
  EXPECT_EQ(OperationLines(outcome.log), testCase.calls);
  EXPECT_EQ(LifetimeFault(outcome.log, testCase.destroyed), "");
}
