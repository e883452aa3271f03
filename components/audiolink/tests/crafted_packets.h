// Test support: datagrams made by hand for B's port. Valid RTP/Opus
// packets of a tone (a stream not B's own), and a table of malformed ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Datagram = std::vector<uint8_t>;

// count consecutive 20 ms RTP packets (payload type 111) of a sine.
std::vector<Datagram> TonePackets(double hertz, int count, uint32_t ssrc, uint16_t firstSequence);

struct JunkCase {
  std::string what;
  Datagram bytes;
};

// Malformed datagrams, each built from a valid packet so that exactly one
// thing is wrong with it.
std::vector<JunkCase> JunkCases();
