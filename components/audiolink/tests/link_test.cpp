// Two linkctl programs with the AudioLink component on loopback: A sends a
// 440 Hz tone from a WAV, B writes what it hears to a WAV.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "pair.h"
#include "wav_tools.h"

namespace {

constexpr double kTone = 440;
constexpr double kAmplitude = 8000;

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run_.directory = MakeTempDirectory();
    run_.capturePath = run_.directory + "/tone.wav";
    ASSERT_TRUE(WriteToneWav(run_.capturePath, kTone, kAmplitude, 20));
  }
  void TearDown() override {
    if (!HasFailure()) std::filesystem::remove_all(run_.directory);
  }
  void Run() {
    ASSERT_TRUE(RunPair(&run_));
    EXPECT_EQ(run_.aExit, 0);
    EXPECT_EQ(run_.bExit, 0);
    // The component says nothing unless asked to log.
    EXPECT_EQ(run_.aError, "");
    EXPECT_EQ(run_.bError, "");
    ASSERT_FALSE(run_.output.empty());
    ASSERT_GT(run_.outputStartNs, 0);
  }
  PairRun run_;
};

double Gain(int volume) {
  const double clamped = volume < 0 ? 0 : volume > 100 ? 100 : volume;
  return (clamped / 50) * (clamped / 50);
}

struct VolumeCase {
  int microphone;
  int speaker;
};

class VolumeTest : public LinkTest, public ::testing::WithParamInterface<VolumeCase> {};

TEST_P(VolumeTest, ToneArrivesAtTheLevelTheVolumesImply) {
  run_.microphone = GetParam().microphone;
  run_.speaker = GetParam().speaker;
  Run();
  const double expected = kAmplitude * Gain(run_.microphone) * Gain(run_.speaker);
  const double level = LevelBetween(run_, kTone, 0.8, 2.3);
  if (expected == 0) {
    EXPECT_LT(level, 5);
  } else {
    EXPECT_NEAR(20 * std::log10(level / expected), 0, 1.0) << level << " vs " << expected;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Volumes, VolumeTest,
    ::testing::Values(VolumeCase{50, 50}, VolumeCase{25, 50}, VolumeCase{50, 25},
                      VolumeCase{100, 20}, VolumeCase{0, 50}, VolumeCase{50, 0}, VolumeCase{-5, 50},
                      VolumeCase{150, 10}),
    [](const ::testing::TestParamInfo<VolumeCase>& info) {
      auto name = [](int v) { return v < 0 ? "minus" + std::to_string(-v) : std::to_string(v); };
      return "mic" + name(info.param.microphone) + "_speaker" + name(info.param.speaker);
    });

// Each word shows in B's output where it was sent: silence while a
// direction is stopped, the tone again after it restarts.
TEST_F(LinkTest, WordsShowWhereTheyWereSent) {
  run_.steps = {{1500, 'A', "StopTX"},
                {2500, 'A', "StartTX"},
                {3500, 'B', "StopRX"},
                {4000, 'B', "StartRX"},
                {5000, 'B', "pause"},
                {5700, 'B', "resume"},
                {6500, 'B', "SetSpeakerVolume 25"},
                {7200, 'A', "pause"},
                {7700, 'A', "resume"}};
  run_.runMs = 8600;
  Run();
  auto at = [&](int step) { return static_cast<double>(run_.sentNs[step] - run_.aStartNs) / 1e9; };
  const double full = kAmplitude;
  struct Span {
    double from, to, level;
    const char* what;
  };
  // Margins: the link's latency after a start or a stop of A, a frame or two
  // after a change at B itself.
  const Span spans[] = {
      {0.5, at(0), full, "before StopTX"},
      {at(0) + 0.3, at(1), 0, "TX stopped"},
      {at(1) + 0.25, at(2), full, "TX restarted"},
      {at(2) + 0.04, at(3), 0, "RX stopped"},
      {at(3) + 0.25, at(4), full, "RX restarted"},
      {at(4) + 0.04, at(5), 0, "B paused"},
      {at(5) + 0.25, at(6), full, "B resumed"},
      {at(6) + 0.045, at(7), full * Gain(25), "speaker volume 25"},
      {at(7) + 0.3, at(8), 0, "A paused"},
      {at(8) + 0.25, 8.5, full * Gain(25), "A resumed"},
  };
  for (const Span& span : spans) {
    SCOPED_TRACE(span.what);
    ASSERT_LT(span.from + 0.1, span.to);
    if (span.level == 0) {
      EXPECT_LT(LevelBetween(run_, kTone, span.from, span.to), 5);
    } else {
      // Every 25 ms of it, so that a gap or a late change shows.
      for (double t = span.from; t + 0.025 <= span.to; t += 0.025) {
        const double level = LevelBetween(run_, kTone, t, t + 0.025);
        EXPECT_NEAR(20 * std::log10(std::max(level, 1.0) / span.level), 0, 1.5) << "at " << t;
      }
    }
  }
}

}  // namespace
