// libFuzzer target: any bytes through the parser every datagram meets, and
// what passes through the jitter buffer, as RX does.
#include <opus/opus.h>

#include <cstddef>
#include <cstdint>

#include "jitter_buffer.h"
#include "rtp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static audiolink::JitterBuffer* buffer = [] {
    auto* made = new audiolink::JitterBuffer;
    audiolink::JitterInit(made, audiolink::JitterConfig{20000000, 1, 10, 100});
    return made;
  }();
  static int64_t now = 0;
  audiolink::RtpPacket packet;
  if (!audiolink::ParseRtp(data, size, &packet)) return 0;
  // The parsed payload lies inside the input.
  if (packet.payload < data || packet.payload + packet.payloadSize > data + size) __builtin_trap();
  if (opus_packet_get_nb_samples(packet.payload, static_cast<opus_int32>(packet.payloadSize),
                                 48000) != 960) {
    return 0;
  }
  audiolink::JitterInsert(buffer, packet.sequence, packet.payload, packet.payloadSize, now);
  now += 7000000;
  audiolink::JitterNext(buffer, now);
  return 0;
}
