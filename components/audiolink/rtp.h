// RTP packets (RFC 3550) carrying Opus (RFC 7587): header writing and the
// parser every received datagram goes through first.
//
// ParseRtp takes any bytes, of any length, from anyone: it reads nothing
// outside [data, data + size) and accepts only a well-formed packet, version
// 2, whose CSRC list, extension and padding fit in it, with a non-empty
// payload. The parsed packet points into data and is valid while data is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace audiolink {

constexpr int kRtpHeaderSize = 12;
// Larger datagrams are dropped: no sane Opus packet needs more.
constexpr int kMaxDatagram = 1500;
// A dynamic payload type, the one commonly used for Opus.
constexpr uint8_t kOpusPayloadType = 111;

struct RtpPacket {
  bool marker;
  uint8_t payloadType;
  uint16_t sequence;
  uint32_t timestamp;
  uint32_t ssrc;
  const uint8_t* payload;
  size_t payloadSize;
};

bool ParseRtp(const uint8_t* data, size_t size, RtpPacket* out);

// Writes the 12-byte header (no CSRC, no extension, no padding) to out.
void WriteRtpHeader(uint8_t* out, bool marker, uint8_t payloadType, uint16_t sequence,
                    uint32_t timestamp, uint32_t ssrc);

}  // namespace audiolink
