// The process cases against the Windows program under Wine, with the
// recording component registered in the prefix's HKEY_CLASSES_ROOT; plus the
// cases on the target text that only the Windows code page can answer.
#include <gtest/gtest.h>

#include <algorithm>

#include "case_runner.h"

namespace {

// A path on this machine as the Windows program sees it (drive Z: is /).
std::string WindowsPath(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return "Z:" + path;
}

class WineLauncher : public Launcher {
 public:
  std::vector<std::string> Command() const override {
    return {WINE_ENV, WINE_PROGRAM, LINKCTL_EXE};
  }
  std::vector<std::string> Environment(const std::string& mode,
                                       const std::string& logPath) const override {
    std::vector<std::string> environment = InheritedEnvironment();
    for (const char* name : {"HOME", "USER"}) {
      if (const char* value = std::getenv(name))
        environment.push_back(std::string(name) + "=" + value);
    }
    const char* prefix = mode == "unregistered" ? "unregistered" : "registered";
    environment.push_back(std::string("WINEPREFIX=") + WINE_PREFIXES + "/" + prefix);
    environment.push_back("LINKREC_LOG=" + WindowsPath(logPath));
    environment.push_back("LINKREC_MODE=" + mode);
    return environment;
  }
  // A case that names the locale's code set asks what only the Linux build
  // does: here the ANSI code page is Wine's own.
  bool Runs(const ProcessCase& testCase) const override {
    return std::none_of(testCase.environment.begin(), testCase.environment.end(),
                        [](const std::string& entry) { return entry.rfind("LC_ALL=", 0) == 0; });
  }
};

void RunUnderWine(const ProcessCase& testCase) {
  const WineLauncher launcher;
  if (!launcher.Runs(testCase)) GTEST_SKIP() << "depends on the Linux locale's code set";
  ExpectCaseOutcome(testCase, RunCase(testCase, launcher));
}

std::string CaseName(const testing::TestParamInfo<ProcessCase>& info) {
  return info.param.name;
}

class WineCases : public testing::TestWithParam<ProcessCase> {};

TEST_P(WineCases, UserSeesExactly) {
  RunUnderWine(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Table, WineCases, testing::ValuesIn(ProcessCases()), CaseName);

// Wine hands the program its UTF-8 arguments in code page 1252 (its ANSI
// code page under LANG=C.UTF-8): "é" arrives as the byte 0xE9 and "€" as
// 0x80, and CP_ACP must turn them back into U+00E9 and U+20AC, one unit each
// (as UTF-8, each would be an invalid byte).
TEST(WineCodePage, TargetThroughTheAnsiCodePage) {
  RunUnderWine(
      TargetTextCase("Cp1252", "caf\xC3\xA9 \xE2\x82\xAC", "\"caf\xC3\xA9 \xE2\x82\xAC\" 6"));
}

// Writes to a pipe whose reader has gone away fail on Windows (no signal):
// the program carries on reading commands and shuts down as usual.
TEST(WineProgram, AReaderThatGoesAwayDoesNotEndTheProgram) {
  const WineLauncher launcher;
  const std::string log = MakeScratchDirectory() + "/calls.log";
  std::vector<std::string> command = launcher.Command();
  command.insert(command.end(), {"70", "30", "600", "abc"});
  ChildProcess child(command, launcher.Environment("ok", log));
  child.AbandonOutput();
  const ChildResult result =
      child.Finish("GetSpeakerVolume\nGetMicrophoneVolume\npause\nstop\n", 60000);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::vector<std::string> operations = OperationLines(ReadLines(log));
  ASSERT_GE(operations.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(operations.end() - 5, operations.end()),
            (std::vector<std::string>{"StopRX", "StopTX", "StopRX", "StopTX", "Close"}));
}

}  // namespace
