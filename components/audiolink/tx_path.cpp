// TX: capture a frame, scale it by the microphone volume, encode, send.
#include <pthread.h>
#include <system_error>
#include <vector>

#include "clock.h"
#include "hresults.h"
#include "link_state.h"
#include "log.h"

namespace audiolink {
namespace {

void TransmitLoop(LinkState* link) {
  // Named, so that a look at the threads (and the benchmark) can tell them.
  pthread_setname_np(pthread_self(), "audiolink-tx");
  TxState& tx = link->tx;
  const int frame = FrameSamples(tx.options.frameMs);
  std::vector<int16_t> pcm(static_cast<size_t>(frame));
  uint8_t packet[kMaxDatagram];
  GainRamp ramp;
  TargetView target;
  bool marker = true;  // the first packet of a talkspurt
  while (!tx.stop.load(std::memory_order_relaxed)) {
    const int got = tx.capture->Read(pcm.data(), frame);
    if (got < 0) {
      Log("capture failed; TX sends nothing until restarted");
      break;
    }
    if (got == 0) continue;
    ApplyGain(&ramp, link->microphoneVolume, pcm.data(), frame);
    const opus_int32 size = opus_encode(tx.encoder, pcm.data(), frame, packet + kRtpHeaderSize,
                                        kMaxDatagram - kRtpHeaderSize);
    if (size > 0) {
      RefreshTarget(&link->target, &target);
      WriteRtpHeader(packet, marker, kOpusPayloadType, tx.sequence, tx.timestamp, tx.ssrc);
      if (target.valid) {
        SendDatagram(link->socket, target.address, packet, kRtpHeaderSize + size);
        link->stats.sent.fetch_add(1, std::memory_order_relaxed);
      }
      ++tx.sequence;
      marker = false;
    }
    tx.timestamp += static_cast<uint32_t>(frame);
  }
}

}  // namespace

HRESULT StartTransmit(LinkState* link, int32_t device) {
  if (!link->open) return kNotOpen;
  TxState& tx = link->tx;
  if (tx.running) return S_FALSE;
  {
    std::lock_guard<std::mutex> hold(link->target.mutex);
    if (!link->target.valid) return kNoTarget;
  }
  tx.options = link->txOptions;
  const int frame = FrameSamples(tx.options.frameMs);
  const std::string name = CaptureName(device);
  if (tx.capture != nullptr && name != tx.captureName) {
    delete tx.capture;
    tx.capture = nullptr;
  }
  if (tx.capture == nullptr) {
    tx.capture = OpenCapture(name, frame);
    if (tx.capture == nullptr) return kDeviceUnavailable;
    tx.captureName = name;
  } else {
    tx.capture->Resume();
  }
  link->stats.captureStartNs = tx.capture->StartNs();
  const HRESULT socket = EnsureSocket(link);
  if (FAILED(socket)) {
    tx.capture->Pause();
    return socket;
  }
  opus_encoder_ctl(tx.encoder, OPUS_SET_BITRATE(tx.options.bitrateKbps * 1000));
  opus_encoder_ctl(tx.encoder, OPUS_SET_INBAND_FEC(1));
  opus_encoder_ctl(tx.encoder, OPUS_SET_PACKET_LOSS_PERC(tx.options.lossPercent));
  // The RTP clock keeps running while stopped, as the peer's playout does.
  if (tx.stoppedNs != 0) {
    tx.timestamp +=
        static_cast<uint32_t>((MonotonicNs() - tx.stoppedNs) * kSampleRate / 1000000000);
  }
  tx.stop = false;
  try {
    tx.thread = std::thread(TransmitLoop, link);
  } catch (const std::system_error&) {
    tx.capture->Pause();
    return E_OUTOFMEMORY;
  }
  tx.running = true;
  Log("TX started: %d ms frames, %d kbps, FEC for %d%% loss", tx.options.frameMs,
      tx.options.bitrateKbps, tx.options.lossPercent);
  return S_OK;
}

HRESULT StopTransmit(LinkState* link) {
  TxState& tx = link->tx;
  if (!tx.running) return link->open ? S_FALSE : kNotOpen;
  tx.stop = true;
  tx.thread.join();
  tx.running = false;
  tx.stoppedNs = MonotonicNs();
  tx.capture->Pause();
  Log("TX stopped");
  return S_OK;
}

}  // namespace audiolink
