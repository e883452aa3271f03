#include "pair.h"

#include "wav_tools.h"

bool RunPair(PairRun* run) {
  if (run->aPort == 0) run->aPort = FreePort();
  if (run->bPort == 0) run->bPort = FreePort();
  if (run->aTarget.empty()) run->aTarget = "127.0.0.1:" + std::to_string(run->bPort);
  if (run->bTarget.empty()) run->bTarget = "127.0.0.1:" + std::to_string(run->aPort);
  const std::string outputPath = run->directory + "/b-output.wav";
  const std::string aStats = run->directory + "/a.stats";
  const std::string bStats = run->directory + "/b.stats";
  std::vector<std::string> aEnvironment = {"AUDIOLINK_CAPTURE=file:" + run->capturePath,
                                           "AUDIOLINK_PLAYBACK=null", "AUDIOLINK_STATS=" + aStats};
  std::vector<std::string> bEnvironment = {"AUDIOLINK_CAPTURE=null",
                                           "AUDIOLINK_PLAYBACK=file:" + outputPath,
                                           "AUDIOLINK_STATS=" + bStats};
  aEnvironment.insert(aEnvironment.end(), run->aEnvironment.begin(), run->aEnvironment.end());
  bEnvironment.insert(bEnvironment.end(), run->bEnvironment.begin(), run->bEnvironment.end());
  LinkProcess a, b;
  if (!StartLink(run->speaker, 50, run->bPort, run->bTarget, bEnvironment, run->directory, "b",
                 &b)) {
    return false;
  }
  SleepMs(200);
  if (!StartLink(50, run->microphone, run->aPort, run->aTarget, aEnvironment, run->directory, "a",
                 &a)) {
    return false;
  }
  run->aStartNs = NowNs();
  for (size_t i = 0; i < run->steps.size(); ++i) {
    const Step& step = run->steps[i];
    const int64_t due = run->aStartNs + int64_t{step.atMs} * 1000000;
    while (NowNs() < due) SleepMs(1);
    run->sentNs[static_cast<int>(i)] = SendWord(step.who == 'A' ? &a : &b, step.word);
  }
  while (NowNs() < run->aStartNs + int64_t{run->runMs} * 1000000) SleepMs(1);
  SendWord(&a, "close");
  run->aExit = FinishLink(&a, 5000);
  SleepMs(400);
  SendWord(&b, "close");
  run->bExit = FinishLink(&b, 5000);
  run->output = ReadWav(outputPath);
  run->aStats = LastStats(aStats);
  run->bStats = LastStats(bStats);
  run->outputStartNs = static_cast<int64_t>(run->bStats["playback_t0"]);
  run->aError = ReadFile(a.errorPath);
  run->bError = ReadFile(b.errorPath);
  run->bOutput = ReadFile(b.outputPath);
  return true;
}

size_t OutputIndex(const PairRun& run, double secondsAfterAStart) {
  const double seconds =
      static_cast<double>(run.aStartNs - run.outputStartNs) / 1e9 + secondsAfterAStart;
  return seconds <= 0 ? 0 : static_cast<size_t>(seconds * kRate);
}

double LevelBetween(const PairRun& run, double hertz, double from, double to) {
  const size_t begin = OutputIndex(run, from);
  const size_t end = OutputIndex(run, to);
  return end > begin ? ToneAmplitude(run.output, begin, end - begin, hertz) : 0;
}
