// B behind a relay that misbehaves, and strangers writing to B's port.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <thread>

#include "crafted_packets.h"
#include "pair.h"
#include "udp_relay.h"
#include "wav_tools.h"

namespace {

constexpr double kTone = 440;
constexpr double kOther = 1000;
constexpr double kAmplitude = 8000;

class NetworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    run_.directory = MakeTempDirectory();
    run_.capturePath = run_.directory + "/tone.wav";
    ASSERT_TRUE(WriteToneWav(run_.capturePath, kTone, kAmplitude, 20));
    run_.bPort = FreePort();
  }
  void TearDown() override {
    StopRelay(&relay_);
    if (!HasFailure()) std::filesystem::remove_all(run_.directory);
  }
  // A sends to the relay, B takes the relay's sending socket for A.
  void StartRelayBetween(const RelayFaults& faults) {
    ASSERT_TRUE(StartRelay(&relay_, run_.bPort, faults));
    run_.aTarget = "127.0.0.1:" + std::to_string(relay_.portFromA);
    run_.bTarget = "127.0.0.1:" + std::to_string(relay_.portToB);
  }
  void Run() {
    ASSERT_TRUE(RunPair(&run_));
    StopRelay(&relay_);
    EXPECT_EQ(run_.aExit, 0);
    EXPECT_EQ(run_.bExit, 0);
    ASSERT_FALSE(run_.output.empty());
  }
  double Stat(const char* name) { return run_.bStats[name]; }
  // The longest run of 25 ms windows in [from, to) that are all but silent
  // (concealment keeps sound going, with the tone's phase shifted: energy,
  // not the tone, tells a gap).
  int LongestGap(double from, double to) {
    int longest = 0, current = 0;
    for (double t = from; t + 0.025 <= to; t += 0.025) {
      const size_t begin = OutputIndex(run_, t);
      const double rms = Rms(run_.output, begin, OutputIndex(run_, t + 0.025) - begin);
      current = rms < kAmplitude / std::sqrt(2.0) / 20 ? current + 1 : 0;
      longest = std::max(longest, current);
    }
    return longest;
  }
  PairRun run_;
  UdpRelay relay_;
};

void SendTo(int fd, int port, const Datagram& bytes) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(static_cast<uint16_t>(port));
  sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

// Junk and a foreign stream from B's peer's own address, and a stranger's
// well-formed stream from another port: B counts each and plays only A.
TEST_F(NetworkTest, JunkAndStrangersChangeNothing) {
  StartRelayBetween(RelayFaults{});
  const std::vector<JunkCase> junk = JunkCases();
  const std::vector<Datagram> foreign = TonePackets(kOther, 50, 0xF0F0F0F0, 300);
  const std::vector<Datagram> stranger = TonePackets(kOther, 60, 0x0BADCAFE, 900);
  size_t junkSent = 0, foreignSent = 0;
  int passed = 0;
  // Only once B has locked onto A's stream.
  relay_.inject = [&](std::vector<Datagram>* extra) {
    if (++passed < 25) return;
    if (junkSent < junk.size()) extra->push_back(junk[junkSent++].bytes);
    if (foreignSent < foreign.size()) extra->push_back(foreign[foreignSent++]);
  };
  std::thread strangerThread([&] {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    SleepMs(700);
    for (const Datagram& packet : stranger) {
      SendTo(fd, run_.bPort, packet);
      SleepMs(20);
    }
    close(fd);
  });
  run_.runMs = 3500;
  Run();
  strangerThread.join();
  ASSERT_EQ(junkSent, junk.size());
  ASSERT_EQ(foreignSent, foreign.size());
  EXPECT_EQ(Stat("junk"), static_cast<double>(junk.size()));
  EXPECT_EQ(Stat("foreign"), static_cast<double>(foreign.size()));
  EXPECT_EQ(Stat("stranger"), static_cast<double>(stranger.size()));
  EXPECT_EQ(Stat("received"), relay_.counts.forwarded);
  EXPECT_EQ(Stat("lost"), 0);
  EXPECT_EQ(LongestGap(0.8, 3.3), 0);
  EXPECT_LT(LevelBetween(run_, kOther, 0, 4), 5);
}

struct FaultCase {
  const char* name;
  RelayFaults faults;
};

class LossyRelayTest : public NetworkTest, public ::testing::WithParamInterface<FaultCase> {};

// B's counters tell what the relay did, and loss shows as concealment, not
// as gaps.
TEST_P(LossyRelayTest, CountersMatchTheRelayAndNoGapsShow) {
  StartRelayBetween(GetParam().faults);
  run_.runMs = 6000;
  Run();
  const RelayCounts& relay = relay_.counts;
  ASSERT_GT(relay.dropped, 0);
  EXPECT_EQ(Stat("duplicated"), relay.duplicated);
  EXPECT_EQ(Stat("received") + Stat("late"), relay.forwarded);
  // Drops at the very end (or before the first packet) leave no later
  // packet to show them.
  EXPECT_NEAR(Stat("lost"), relay.dropped + Stat("late"), 3);
  EXPECT_GT(Stat("fec"), 0);
  EXPECT_LE(Stat("fec"), Stat("lost"));
  EXPECT_GE(Stat("concealed"), Stat("lost") - Stat("fec"));
  // Concealment fades over a few frames at most: no 50 ms of near-silence.
  EXPECT_LE(LongestGap(1.0, 5.8), 1);
}

INSTANTIATE_TEST_SUITE_P(Faults, LossyRelayTest,
                         ::testing::Values(FaultCase{"loss5", {0.05, 0.03, 0.05, 30, 10, 5}},
                                           FaultCase{"loss20", {0.20, 0.05, 0.10, 30, 20, 20}}),
                         [](const ::testing::TestParamInfo<FaultCase>& info) {
                           return info.param.name;
                         });

// A sender that starts over with a new SSRC is taken once the old stream has
// been silent for the re-lock time (1 s), not before.
TEST_F(NetworkTest, NewStreamIsTakenAfterTheOldFallsSilent) {
  StartRelayBetween(RelayFaults{});
  const std::vector<Datagram> next = TonePackets(kOther, 150, 0x00C0FFEE, 5000);
  size_t sent = 0;
  int passed = 0;
  // Right after A's 60th packet, A goes quiet and the new stream begins.
  relay_.inject = [&](std::vector<Datagram>*) { ++passed; };
  run_.steps = {{1200, 'A', "StopTX"}};
  run_.runMs = 4500;
  std::thread newcomer([&] {
    while (passed < 1) SleepMs(5);
    SleepMs(1300);
    const int64_t start = NowNs();
    for (; sent < next.size(); ++sent) {
      while (NowNs() < start + static_cast<int64_t>(sent) * 20000000) SleepMs(1);
      SendTo(relay_.toB, run_.bPort, next[sent]);
    }
  });
  Run();
  newcomer.join();
  const double stopped = static_cast<double>(run_.sentNs[0] - run_.aStartNs) / 1e9;
  EXPECT_GT(Stat("foreign"), 0);
  EXPECT_LT(LevelBetween(run_, kOther, 0, stopped + 0.9), 5);
  EXPECT_NEAR(LevelBetween(run_, kOther, stopped + 1.4, 4.2), kAmplitude, kAmplitude * 0.15);
}

}  // namespace
