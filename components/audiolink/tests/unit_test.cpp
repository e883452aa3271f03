// The pieces whose faults the process tests cannot point at: the jitter
// buffer's decisions, the RTP parser, the gain curve and ramp, the target
// text and the option ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "gain.h"
#include "jitter_buffer.h"
#include "options.h"
#include "rtp.h"
#include "target.h"

namespace audiolink {
namespace {

// --- Jitter buffer -------------------------------------------------------
// A script of words: "iN" inserts sequence N now, "t" advances 20 ms and
// asks for a frame. The frames come out as "S" (silence), "DN" (decode N),
// "FN" (FEC out of N) and "C" (concealment).
struct JitterCase {
  const char* name;
  const char* script;
  const char* frames;
  JitterCounters counters;
};

std::string Play(JitterBuffer* buffer, const std::string& script) {
  std::istringstream words(script);
  std::string word, frames;
  int64_t now = 1000000000;
  const uint8_t payload[3] = {1, 2, 3};
  while (words >> word) {
    if (word[0] == 'i') {
      JitterInsert(buffer, static_cast<uint16_t>(std::stoi(word.substr(1))), payload,
                   sizeof payload, now);
      continue;
    }
    now += 20000000;
    const RenderStep step = JitterNext(buffer, now);
    if (!frames.empty()) frames += ' ';
    switch (step.what) {
      case Render::kSilence:
        frames += "S";
        break;
      case Render::kConceal:
        frames += "C";
        break;
      case Render::kDecode:
        frames += "D" + std::to_string(step.slot->sequence);
        break;
      case Render::kFec:
        frames += "F" + std::to_string(step.slot->sequence);
        break;
    }
  }
  return frames;
}

class JitterVectors : public ::testing::TestWithParam<JitterCase> {};

TEST_P(JitterVectors, RendersAndCounts) {
  JitterBuffer* buffer = new JitterBuffer;
  JitterInit(buffer, JitterConfig{20000000, 1, 8, 10});
  EXPECT_EQ(Play(buffer, GetParam().script), GetParam().frames);
  const JitterCounters& got = buffer->counters;
  const JitterCounters& want = GetParam().counters;
  EXPECT_EQ(got.received, want.received);
  EXPECT_EQ(got.duplicated, want.duplicated);
  EXPECT_EQ(got.late, want.late);
  EXPECT_EQ(got.lost, want.lost);
  EXPECT_EQ(got.fec, want.fec);
  EXPECT_EQ(got.concealed, want.concealed);
  EXPECT_EQ(got.dropped, want.dropped);
  delete buffer;
}

// Counters: received, duplicated, late, lost, fec, concealed, dropped.
INSTANTIATE_TEST_SUITE_P(
    Cases, JitterVectors,
    ::testing::Values(
        JitterCase{"InOrder", "i10 i11 t i12 t t", "D10 D11 D12", {3, 0, 0, 0, 0, 0, 0}},
        JitterCase{"WaitsForTheCushion", "i10 i11 t", "D10", {2, 0, 0, 0, 0, 0, 0}},
        JitterCase{"NothingYet", "t t", "S S", {}},
        JitterCase{
            "SingleLossUsesFec", "i10 i12 t i13 t t t", "D10 F12 D12 D13", {3, 0, 0, 1, 1, 0, 0}},
        JitterCase{"DoubleLossConcealsThenFec",
                   "i10 i13 t i14 t t t t",
                   "D10 C F13 D13 D14",
                   {3, 0, 0, 2, 1, 1, 0}},
        JitterCase{"Reordered", "i10 i12 i11 t t t", "D10 D11 D12", {3, 0, 0, 0, 0, 0, 0}},
        JitterCase{"ReorderedBeforeTheFirst", "i11 i10 t t", "D10 D11", {2, 0, 0, 0, 0, 0, 0}},
        JitterCase{"Duplicates", "i10 i10 i11 t i11 t i10", "D10 D11", {2, 3, 0, 0, 0, 0, 0}},
        JitterCase{
            "LateAfterItsTurn", "i10 i12 t i13 t i11 t", "D10 F12 D12", {3, 0, 1, 1, 1, 0, 0}},
        JitterCase{
            "UnderrunWaitsForTheLatePacket", "i10 t t i11 t", "D10 C D11", {2, 0, 0, 0, 0, 1, 0}},
        JitterCase{"PauseThenTheSequenceGoesOn",
                   "i10 t t t t t t t i11 t t",
                   "D10 C C C C C S D11 C",
                   {2, 0, 0, 0, 0, 6, 0}},
        JitterCase{"GapAcrossAPauseIsLost",
                   "i10 t t t t t t t i14 t t",
                   "D10 C C C C C S D14 C",
                   {2, 0, 0, 3, 0, 6, 0}},
        JitterCase{"Wraparound",
                   "i65534 i65535 t i0 t i1 t t",
                   "D65534 D65535 D0 D1",
                   {4, 0, 0, 0, 0, 0, 0}},
        JitterCase{"JumpStartsOver", "i10 t i600 t t", "D10 D600 C", {2, 0, 0, 0, 0, 1, 0}},
        // Two packets a tick for a while: more than the cushion plus one
        // frame for a whole window, so one frame goes.
        JitterCase{"SurplusIsDropped",
                   "i1 i2 i3 t i4 t i5 t i6 t i7 t i8 t i9 t i10 t i11 t i12 t",
                   "D1 D2 D3 D4 D5 D6 D7 D8 D9 D11",
                   {12, 0, 0, 0, 0, 0, 1}},
        JitterCase{
            "OverflowIsDropped", "i1 i2 i3 i4 i5 i6 i7 i8 i9 i10 t", "D3", {10, 0, 0, 0, 0, 0, 2}}),
    [](const ::testing::TestParamInfo<JitterCase>& info) { return info.param.name; });

// --- RTP parsing ---------------------------------------------------------
struct RtpCase {
  const char* name;
  std::vector<uint8_t> bytes;
  bool valid;
  size_t payloadOffset;
  size_t payloadSize;
};

std::vector<uint8_t> Packet(uint8_t first, std::vector<uint8_t> rest) {
  std::vector<uint8_t> bytes = {first, 0xEF, 0x12, 0x34, 0, 0, 0x03, 0xC0, 0xAA, 0xBB, 0xCC, 0xDD};
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  return bytes;
}

class RtpCases : public ::testing::TestWithParam<RtpCase> {};

TEST_P(RtpCases, AcceptsOnlyWellFormed) {
  const RtpCase& c = GetParam();
  RtpPacket packet{};
  ASSERT_EQ(ParseRtp(c.bytes.data(), c.bytes.size(), &packet), c.valid);
  if (!c.valid) return;
  EXPECT_EQ(packet.payload - c.bytes.data(), static_cast<ptrdiff_t>(c.payloadOffset));
  EXPECT_EQ(packet.payloadSize, c.payloadSize);
  EXPECT_TRUE(packet.marker);
  EXPECT_EQ(packet.payloadType, 111);
  EXPECT_EQ(packet.sequence, 0x1234);
  EXPECT_EQ(packet.timestamp, 0x3C0u);
  EXPECT_EQ(packet.ssrc, 0xAABBCCDDu);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtpCases,
    ::testing::Values(
        RtpCase{"Plain", Packet(0x80, {7, 8}), true, 12, 2},
        RtpCase{"TwoCsrc", Packet(0x82, {0, 0, 0, 1, 0, 0, 0, 2, 9}), true, 20, 1},
        RtpCase{"Extension", Packet(0x90, {0xBE, 0xDE, 0, 1, 1, 2, 3, 4, 9, 9}), true, 20, 2},
        RtpCase{"Padding", Packet(0xA0, {5, 6, 7, 0, 0, 3}), true, 12, 3},
        RtpCase{"HeaderOnly", Packet(0x80, {}), false, 0, 0},
        RtpCase{"Short", {0x80, 0xEF, 0, 0}, false, 0, 0},
        RtpCase{"Version1", Packet(0x40, {7}), false, 0, 0},
        RtpCase{"CsrcPastEnd", Packet(0x83, {0, 0, 0, 1, 0, 0, 0, 2}), false, 0, 0},
        RtpCase{"ExtensionCut", Packet(0x90, {0xBE, 0xDE}), false, 0, 0},
        RtpCase{"ExtensionPastEnd", Packet(0x90, {0xBE, 0xDE, 0, 2, 1, 2, 3, 4, 9}), false, 0, 0},
        RtpCase{"ExtensionLeavesNoPayload", Packet(0x90, {0xBE, 0xDE, 0, 1, 1, 2, 3, 4}), false, 0,
                0},
        RtpCase{"PaddingZero", Packet(0xA0, {5, 0}), false, 0, 0},
        RtpCase{"PaddingPastPayload", Packet(0xA0, {5, 9}), false, 0, 0},
        RtpCase{"PaddingIsAll", Packet(0xA0, {5, 2}), false, 0, 0},
        RtpCase{"Oversized", Packet(0x80, std::vector<uint8_t>(kMaxDatagram - 11, 1)), false, 0,
                0}),
    [](const ::testing::TestParamInfo<RtpCase>& info) { return info.param.name; });

TEST(Rtp, WrittenHeaderParsesBack) {
  uint8_t bytes[13] = {};
  WriteRtpHeader(bytes, true, 111, 0xFFFE, 0xDEADBEEF, 0x01020304);
  RtpPacket packet{};
  ASSERT_TRUE(ParseRtp(bytes, sizeof bytes, &packet));
  EXPECT_EQ(packet.sequence, 0xFFFE);
  EXPECT_EQ(packet.timestamp, 0xDEADBEEFu);
  EXPECT_EQ(packet.ssrc, 0x01020304u);
  EXPECT_TRUE(packet.marker);
}

// --- Gain ----------------------------------------------------------------
TEST(Gain, CurveIsMonotonicFromSilenceAndClamps) {
  EXPECT_EQ(VolumeGain(0), 0.0f);
  EXPECT_EQ(VolumeGain(50), 1.0f);
  EXPECT_NEAR(VolumeGain(25), 0.25f, 1e-6);
  EXPECT_EQ(VolumeGain(100), 4.0f);
  for (int v = 1; v <= 100; ++v) EXPECT_GT(VolumeGain(v), VolumeGain(v - 1)) << v;
  EXPECT_EQ(ClampVolume(-7), 0);
  EXPECT_EQ(ClampVolume(101), 100);
  EXPECT_EQ(ClampVolume(2147483647), 100);
}

TEST(Gain, ChangeRampsAcrossOneFrameThenHolds) {
  std::atomic<int> volume{50};
  GainRamp ramp;
  std::vector<int16_t> frame(960, 10000);
  ApplyGain(&ramp, volume, frame.data(), 960);
  EXPECT_EQ(frame.front(), 10000);  // no ramp from nothing at the start
  volume = 25;
  frame.assign(960, 10000);
  ApplyGain(&ramp, volume, frame.data(), 960);
  for (int i = 1; i < 960; ++i) ASSERT_LE(frame[i], frame[i - 1]);
  EXPECT_GT(frame.front(), 9980);  // starts where the last frame ended
  EXPECT_EQ(frame.back(), 2500);   // ends on the new gain
  frame.assign(960, 10000);
  ApplyGain(&ramp, volume, frame.data(), 960);
  EXPECT_EQ(frame.front(), 2500);
  EXPECT_EQ(frame.back(), 2500);
  volume = 100;
  frame.assign(960, 20000);
  ApplyGain(&ramp, volume, frame.data(), 960);
  EXPECT_EQ(frame.back(), 32767);  // clipped, not wrapped
}

// --- Target text and options ---------------------------------------------
struct TargetCase {
  const char* text;
  int32_t port;
  bool valid;
  const char* host;
  uint16_t gotPort;
};

class TargetCases : public ::testing::TestWithParam<TargetCase> {};

TEST_P(TargetCases, Splits) {
  const TargetCase& c = GetParam();
  TargetText got{};
  ASSERT_EQ(SplitTarget(c.text, c.port, &got), c.valid) << c.text;
  if (!c.valid) return;
  EXPECT_EQ(got.host, c.host);
  EXPECT_EQ(got.port, c.gotPort);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TargetCases,
    ::testing::Values(
        TargetCase{"peer.example", 6666, true, "peer.example", 6666},
        TargetCase{"10.1.2.3", 6666, true, "10.1.2.3", 6666},
        TargetCase{"10.1.2.3:5002", 6666, true, "10.1.2.3", 5002},
        TargetCase{"::1", 6666, true, "::1", 6666},
        TargetCase{"fe80::1:2", 7, true, "fe80::1:2", 7},
        TargetCase{"[::1]", 6666, true, "::1", 6666},
        TargetCase{"[::1]:5002", 6666, true, "::1", 5002},
        TargetCase{"host:65535", 0, true, "host", 65535}, TargetCase{"", 6666, false, "", 0},
        TargetCase{"host:", 6666, false, "", 0}, TargetCase{":5002", 6666, false, "", 0},
        TargetCase{"host:0", 6666, false, "", 0}, TargetCase{"host:65536", 6666, false, "", 0},
        TargetCase{"host:50x2", 6666, false, "", 0}, TargetCase{"host", 0, false, "", 0},
        TargetCase{"host", 70000, false, "", 0}, TargetCase{"[::1", 6666, false, "", 0},
        TargetCase{"[::1]5002", 6666, false, "", 0}, TargetCase{"[host]:5002", 6666, false, "", 0},
        TargetCase{"a b", 6666, false, "", 0}),
    [](const ::testing::TestParamInfo<TargetCase>& info) {
      return "case" + std::to_string(info.index);
    });

TEST(Target, Utf16BecomesUtf8AndBadSurrogatesAreRefused) {
  struct {
    std::u16string units;
    bool valid;
    std::string text;
  } cases[] = {{u"h\u00e9\u20ac", true, "h\xC3\xA9\xE2\x82\xAC"},
               {std::u16string{0xD83D, 0xDE00}, true, "\xF0\x9F\x98\x80"},
               {std::u16string{0xD83D}, false, ""},
               {std::u16string{0xDE00, 'a'}, false, ""}};
  for (const auto& c : cases) {
    // A BSTR by hand: byte length, units, terminator.
    std::vector<char16_t> storage(c.units.size() + 3);
    const uint32_t bytes = static_cast<uint32_t>(c.units.size() * 2);
    std::memcpy(storage.data(), &bytes, sizeof bytes);
    std::copy(c.units.begin(), c.units.end(), storage.begin() + 2);
    std::string got;
    EXPECT_EQ(Utf8FromBstr(storage.data() + 2, &got), c.valid);
    if (c.valid) {
      EXPECT_EQ(got, c.text);
    }
  }
  std::string got;
  EXPECT_FALSE(Utf8FromBstr(nullptr, &got));
}

TEST(Options, LinkctlsValuesAreExactAndOutOfRangeFallsBack) {
  TxOptions tx;
  EXPECT_TRUE(MakeTxOptions(2, 20, 0, 0, &tx));
  EXPECT_EQ(tx.frameMs, 20);
  EXPECT_EQ(tx.bitrateKbps, 32);
  EXPECT_EQ(tx.lossPercent, 10);
  EXPECT_FALSE(MakeTxOptions(9, 7, -1, 1000, &tx));
  EXPECT_EQ(tx.frameMs, 20);
  EXPECT_EQ(tx.bitrateKbps, 32);
  EXPECT_EQ(tx.lossPercent, 10);
  EXPECT_TRUE(MakeTxOptions(2, 60, 64, 25, &tx));
  EXPECT_EQ(tx.frameMs, 60);
  EXPECT_EQ(tx.bitrateKbps, 64);
  RxOptions rx;
  EXPECT_TRUE(MakeRxOptions(2, 20, 0, 0, 0, 0, &rx));
  EXPECT_EQ(rx.minDelayMs, 20);
  EXPECT_EQ(rx.maxDelayMs, 200);
  EXPECT_EQ(rx.accept, Accept::kTargetAddressAndPort);
  EXPECT_FALSE(MakeRxOptions(2, 20, 100, 50, 5, 3, &rx));
  EXPECT_GE(rx.maxDelayMs, rx.minDelayMs + rx.frameMs);
  EXPECT_EQ(rx.relockMs, 1000);
  EXPECT_EQ(rx.accept, Accept::kTargetAddressAndPort);
}

}  // namespace
}  // namespace audiolink
