// Test support: two linkctl programs, A sending a WAV and B writing what it
// hears to a WAV, on loopback ports of their own, with stats files, and the
// words each is sent at given times.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "link_process.h"

struct Step {
  int atMs;  // after A was started
  char who;  // 'A' or 'B'
  std::string word;
};

struct PairRun {
  std::string directory;
  std::string capturePath;  // A's input
  int speaker = 50;         // B's
  int microphone = 50;      // A's
  int aPort = 0;
  int bPort = 0;
  // What A and B are given as target; default each other on 127.0.0.1.
  std::string aTarget, bTarget;
  std::vector<std::string> aEnvironment, bEnvironment;
  std::vector<Step> steps;
  int runMs = 2500;  // A is closed then, B 400 ms later

  // Results.
  int aExit = -2, bExit = -2;
  std::map<int, int64_t> sentNs;  // step index -> when
  int64_t aStartNs = 0;
  std::vector<int16_t> output;  // B's output WAV
  int64_t outputStartNs = 0;    // monotonic time of its first sample
  std::map<std::string, double> aStats, bStats;
  std::string aError, bError, bOutput;
};

// Runs the pair; false if a program could not be started.
bool RunPair(PairRun* run);

// B's output samples [from, to) in seconds of A's timeline.
size_t OutputIndex(const PairRun& run, double secondsAfterAStart);
// The tone's amplitude in B's output over [from, to) seconds of A's timeline.
double LevelBetween(const PairRun& run, double hertz, double from, double to);
