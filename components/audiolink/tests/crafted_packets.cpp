#include "crafted_packets.h"

#include <opus/opus.h>

#include <cmath>
#include <random>

namespace {

void Put16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value >> 8);
  at[1] = static_cast<uint8_t>(value);
}
void Put32(uint8_t* at, uint32_t value) {
  Put16(at, static_cast<uint16_t>(value >> 16));
  Put16(at + 2, static_cast<uint16_t>(value));
}

Datagram Header(uint16_t sequence, uint32_t timestamp, uint32_t ssrc) {
  Datagram header(12);
  header[0] = 0x80;
  header[1] = 111;
  Put16(&header[2], sequence);
  Put32(&header[4], timestamp);
  Put32(&header[8], ssrc);
  return header;
}

}  // namespace

std::vector<Datagram> TonePackets(double hertz, int count, uint32_t ssrc, uint16_t firstSequence) {
  int error = 0;
  OpusEncoder* encoder = opus_encoder_create(48000, 1, OPUS_APPLICATION_VOIP, &error);
  std::vector<Datagram> packets;
  int16_t pcm[960];
  uint8_t payload[1500];
  for (int frame = 0; frame < count; ++frame) {
    for (int i = 0; i < 960; ++i) {
      pcm[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * hertz * (frame * 960 + i) / 48000));
    }
    const int size = opus_encode(encoder, pcm, 960, payload, sizeof payload);
    Datagram packet = Header(static_cast<uint16_t>(firstSequence + frame),
                             static_cast<uint32_t>(frame * 960), ssrc);
    packet.insert(packet.end(), payload, payload + size);
    packets.push_back(packet);
  }
  opus_encoder_destroy(encoder);
  return packets;
}

std::vector<JunkCase> JunkCases() {
  const Datagram valid = TonePackets(1000, 1, 0x5EC0A1, 7)[0];
  std::vector<JunkCase> cases;
  auto with = [&](const std::string& what, auto change) {
    Datagram bytes = valid;
    change(bytes);
    cases.push_back({what, bytes});
  };
  cases.push_back({"empty", {}});
  cases.push_back({"one byte", {0x80}});
  cases.push_back({"short header", Datagram(valid.begin(), valid.begin() + 11)});
  cases.push_back({"header only", Datagram(valid.begin(), valid.begin() + 12)});
  with("version 1", [](Datagram& b) { b[0] = 0x40; });
  with("version 0", [](Datagram& b) { b[0] = 0x00; });
  with("CSRC list past the end", [](Datagram& b) { b[0] = 0x8F, b.resize(40); });
  with("extension past the end", [](Datagram& b) {
    b[0] = 0x90;
    Put16(&b[14], 0xFFFF);
  });
  with("extension header cut", [](Datagram& b) { b[0] = 0x90, b.resize(14); });
  with("padding count 0", [](Datagram& b) { b[0] = 0xA0, b.back() = 0; });
  with("padding past the payload", [](Datagram& b) { b[0] = 0xA0, b.back() = 0xFF; });
  with("padding is all the payload", [](Datagram& b) {
    b[0] = 0xA0;
    b.back() = static_cast<uint8_t>(b.size() - 12);
  });
  with("other payload type", [](Datagram& b) { b[1] = 0; });
  with("oversized", [](Datagram& b) { b.resize(1800, 0x55); });
  with("far oversized", [](Datagram& b) { b.resize(9000, 0xAA); });
  // Opus code 3 (several frames) with no frame count byte.
  with("Opus frame count missing", [](Datagram& b) {
    b.resize(13);
    b[12] = static_cast<uint8_t>(b[12] | 0x03);
  });
  // TOC for SILK 10 ms: a frame length B does not expect.
  with("10 ms Opus frame", [](Datagram& b) {
    b.resize(20);
    b[12] = 0x00;
  });
  std::mt19937 random(42);
  for (int i = 0; i < 8; ++i) {
    Datagram bytes(1 + random() % 300);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    bytes[0] &= 0x3F;  // never version 2
    cases.push_back({"noise " + std::to_string(i), bytes});
  }
  return cases;
}
