// What only the Linux build can be asked: the whole lifetime log of a run,
// a reader that goes away, and a link thread that cannot be created.
#include <gtest/gtest.h>

#include "case_runner.h"

namespace {

std::vector<std::string> RecorderEnvironment(const std::string& log) {
  std::vector<std::string> environment = InheritedEnvironment();
  environment.push_back(std::string("COM_CLASS_PATH=") + RECORDER_CLASS_DIR);
  environment.push_back("LINKREC_LOG=" + log);
  return environment;
}

TEST(LinuxProgram, CreatesRunsAndReleasesTheComponentOnce) {
  const std::string log = MakeScratchDirectory() + "/calls.log";
  ChildProcess child({LINKCTL_PROGRAM, "70", "30", "600", "abc"}, RecorderEnvironment(log));
  const ChildResult result = child.Finish("stop\n", 20000);
  EXPECT_EQ(result.status, 0);
  const std::vector<std::string> expected = {
      // CoCreateInstance: the factory, the object for IUnknown, the factory let go.
      "Factory.QueryInterface IClassFactory -> 0x00000000",
      "Factory.AddRef 2",
      "Factory.Release 1",
      "DllGetClassObject AudioLink IClassFactory -> 0x00000000",
      "QueryInterface IUnknown -> 0x00000000",
      "AddRef 2",
      "Release 1",
      "Factory.CreateInstance IUnknown -> 0x00000000",
      "Factory.Release 0",
      // OleRun, then IAudioLink into the LinkPtr and the temporary released.
      "QueryInterface IRunnableObject -> 0x80004002",
      "QueryInterface IAudioLink -> 0x00000000",
      "AddRef 2",
      "Release 1",
      "Open",
      "SetOptionsA 2 20 0 0",
      "SetNumber 600",
      "SetOptionsB 2 20 0 0 0 0",
      "SetTarget \"abc\" 3 6666",
      "StartRX -1",
      "StartTX -1",
      "SetSpeakerVolume -1 70",
      "SetMicrophoneVolume -1 30",
      "StopRX",
      "StopTX",
      "Close",
      "Release 0",
  };
  EXPECT_EQ(ReadLines(log), expected);
}

TEST(LinuxProgram, AReaderThatGoesAwayDoesNotEndTheProgram) {
  const std::string log = MakeScratchDirectory() + "/calls.log";
  ChildProcess child({LINKCTL_PROGRAM, "70", "30", "600", "abc"}, RecorderEnvironment(log));
  child.AbandonOutput();
  const ChildResult result =
      child.Finish("GetSpeakerVolume\nGetMicrophoneVolume\npause\nstop\n", 20000);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::vector<std::string> operations = OperationLines(ReadLines(log));
  ASSERT_GE(operations.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(operations.end() - 5, operations.end()),
            (std::vector<std::string>{"StopRX", "StopTX", "StopRX", "StopTX", "Close"}));
}

#ifndef LINKCTL_SANITIZED
// A thread stack larger than the address space allows: the link thread
// cannot be created, and the program ends at once instead of idling.
TEST(LinuxProgram, NoLinkThreadEndsTheProcessWithStatus3) {
  const std::string log = MakeScratchDirectory() + "/calls.log";
  for (const auto& [stackKb, expectedStatus] : {std::pair{"100000", 0}, std::pair{"1000000", 3}}) {
    const std::string limits =
        std::string("ulimit -s ") + stackKb + "; ulimit -v 500000; exec \"$0\" 1 2 3 x";
    ChildProcess child({"/bin/sh", "-c", limits, LINKCTL_PROGRAM}, RecorderEnvironment(log));
    const ChildResult result = child.Finish("GetSpeakerVolume stop", 20000);
    EXPECT_EQ(result.status, expectedStatus) << "stack " << stackKb << " KiB";
    EXPECT_EQ(result.out, expectedStatus == 0 ? "1\r" : "");
    EXPECT_EQ(result.err, expectedStatus == 0 ? "" : "\r\nabnormal program termination\r\n");
  }
}
#endif

}  // namespace
