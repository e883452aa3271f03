#include "rtp.h"

namespace audiolink {
namespace {

uint16_t Read16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
uint32_t Read32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

bool ParseRtp(const uint8_t* data, size_t size, RtpPacket* out) {
  if (data == nullptr || size < kRtpHeaderSize || size > kMaxDatagram) return false;
  if ((data[0] >> 6) != 2) return false;
  const bool padding = (data[0] & 0x20) != 0;
  const bool extension = (data[0] & 0x10) != 0;
  const size_t csrcCount = data[0] & 0x0F;
  size_t offset = kRtpHeaderSize + 4 * csrcCount;
  if (offset > size) return false;
  if (extension) {
    if (offset + 4 > size) return false;
    offset += 4 + 4 * size_t{Read16(data + offset + 2)};
    if (offset > size) return false;
  }
  size_t end = size;
  if (padding) {
    const size_t count = data[size - 1];
    if (count == 0 || count > end - offset) return false;
    end -= count;
  }
  if (end <= offset) return false;
  out->marker = (data[1] & 0x80) != 0;
  out->payloadType = data[1] & 0x7F;
  out->sequence = Read16(data + 2);
  out->timestamp = Read32(data + 4);
  out->ssrc = Read32(data + 8);
  out->payload = data + offset;
  out->payloadSize = end - offset;
  return true;
}

void WriteRtpHeader(uint8_t* out, bool marker, uint8_t payloadType, uint16_t sequence,
                    uint32_t timestamp, uint32_t ssrc) {
  out[0] = 0x80;
  out[1] = static_cast<uint8_t>((marker ? 0x80 : 0) | (payloadType & 0x7F));
  out[2] = static_cast<uint8_t>(sequence >> 8);
  out[3] = static_cast<uint8_t>(sequence);
  for (int i = 0; i < 4; ++i) {
    out[4 + i] = static_cast<uint8_t>(timestamp >> (24 - 8 * i));
    out[8 + i] = static_cast<uint8_t>(ssrc >> (24 - 8 * i));
  }
}

}  // namespace audiolink
