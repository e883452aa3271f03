// Test support: runs build/linkctl as a child with this component, feeds it
// command words on its standard input and collects how it ended.
//
// A LinkProcess is used from the test's thread only; Finish (or the
// destructor) always reaps the child, killing it if it does not end in time.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct LinkProcess {
  pid_t pid = -1;
  int input = -1;
  std::string outputPath;  // the child's stdout
  std::string errorPath;   // the child's stderr
  ~LinkProcess();
};

// linkctl SPEAKER MIC NUMBER TARGET with environment additions NAME=VALUE.
// COM_CLASS_PATH is removed, so the program finds the component by default.
bool StartLink(int speaker, int microphone, int number, const std::string& target,
               const std::vector<std::string>& environment, const std::string& directory,
               const std::string& name, LinkProcess* out);

// Writes the word and a newline; returns the monotonic time it was written.
int64_t SendWord(LinkProcess* link, const std::string& word);

// Closes the input and waits up to timeoutMs: the exit status, or -1 when
// the child had to be killed or died of a signal.
int FinishLink(LinkProcess* link, int timeoutMs);

std::string ReadFile(const std::string& path);

// The last line of an AUDIOLINK_STATS file as key -> value.
std::map<std::string, double> LastStats(const std::string& path);

// A UDP port on loopback that was free a moment ago.
int FreePort();

// A fresh directory under /tmp.
std::string MakeTempDirectory();

void SleepMs(int ms);
int64_t NowNs();
