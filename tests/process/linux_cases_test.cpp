// The process cases against the Linux program, with the recording component
// registered through COM_CLASS_PATH.
#include <gtest/gtest.h>

#include "case_runner.h"

namespace {

class LinuxLauncher : public Launcher {
 public:
  std::vector<std::string> Command() const override { return {LINKCTL_PROGRAM}; }
  std::vector<std::string> Environment(const std::string& mode,
                                       const std::string& logPath) const override {
    std::vector<std::string> environment = InheritedEnvironment();
    const std::string registry =
        mode == "unregistered" ? MakeScratchDirectory() : std::string(RECORDER_CLASS_DIR);
    environment.push_back("COM_CLASS_PATH=" + registry);
    environment.push_back("LINKREC_LOG=" + logPath);
    environment.push_back("LINKREC_MODE=" + mode);
    return environment;
  }
};

class LinuxCases : public testing::TestWithParam<ProcessCase> {};

TEST_P(LinuxCases, UserSeesExactly) {
  const LinuxLauncher launcher;
  ExpectCaseOutcome(GetParam(), RunCase(GetParam(), launcher));
}

INSTANTIATE_TEST_SUITE_P(Table, LinuxCases, testing::ValuesIn(ProcessCases()),
                         [](const testing::TestParamInfo<ProcessCase>& info) {
                           return info.param.name;
                         });

}  // namespace
