#include "link_object.h"

#include <sys/random.h>

#include <atomic>
#include <new>

#include "hresults.h"
#include "link_state.h"
#include "log.h"

namespace audiolink {
namespace {

uint32_t RandomWord() {
  uint32_t value = 0;
  if (getrandom(&value, sizeof value, 0) != sizeof value) {
    value = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&value)) ^ 0x9E3779B9u;
  }
  return value;
}

class LinkObject final : public IAudioLink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IAudioLink) {
      *out = static_cast<IAudioLink*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      Close();
      delete this;
    }
    return left;
  }

  HRESULT STDMETHODCALLTYPE Open() override {
    if (link_.open) return S_FALSE;
    int error = 0;
    OpusEncoder* encoder = opus_encoder_create(kSampleRate, 1, OPUS_APPLICATION_VOIP, &error);
    OpusDecoder* decoder = opus_decoder_create(kSampleRate, 1, &error);
    auto* queue = new (std::nothrow) PacketQueue;
    auto* jitter = new (std::nothrow) JitterBuffer;
    if (encoder == nullptr || decoder == nullptr || queue == nullptr || jitter == nullptr) {
      opus_encoder_destroy(encoder);
      opus_decoder_destroy(decoder);
      delete queue;
      delete jitter;
      return E_OUTOFMEMORY;
    }
    opus_encoder_ctl(encoder, OPUS_SET_SIGNAL(OPUS_SIGNAL_VOICE));
    opus_encoder_ctl(encoder, OPUS_SET_COMPLEXITY(5));
    link_.tx.encoder = encoder;
    link_.rx.decoder = decoder;
    link_.rx.queue = queue;
    link_.rx.jitter = jitter;
    JitterInit(jitter, JitterConfig{20000000, 1, 10, 100});
    // A fresh stream identity and random starting points (RFC 3550).
    link_.tx.ssrc = RandomWord();
    link_.tx.sequence = static_cast<uint16_t>(RandomWord());
    link_.tx.timestamp = RandomWord();
    link_.tx.stoppedNs = 0;
    ResetStats();
    if (!StartStats(&link_.statsWriter, &link_.stats)) Log("stats file cannot be written");
    link_.open = true;
    Log("opened, SSRC %08x", link_.tx.ssrc);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Close() override {
    if (!link_.open) return S_FALSE;
    StopTransmit(&link_);
    StopReceive(&link_);
    delete link_.tx.capture;
    link_.tx.capture = nullptr;
    delete link_.rx.playback;
    link_.rx.playback = nullptr;
    CloseUdpSocket(&link_.socket);
    StopStats(&link_.statsWriter, &link_.stats);
    opus_encoder_destroy(link_.tx.encoder);
    opus_decoder_destroy(link_.rx.decoder);
    link_.tx.encoder = nullptr;
    link_.rx.decoder = nullptr;
    delete link_.rx.queue;
    delete link_.rx.jitter;
    link_.rx.queue = nullptr;
    link_.rx.jitter = nullptr;
    link_.open = false;
    Log("closed");
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Reserved5() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved6() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved7() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved8() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved9() override { return E_NOTIMPL; }

  // Options apply at the next start of their direction.
  HRESULT STDMETHODCALLTYPE SetOptionsA(int32_t a, int32_t b, int32_t c, int32_t d) override {
    return MakeTxOptions(a, b, c, d, &link_.txOptions) ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE SetOptionsB(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e,
                                        int32_t f) override {
    return MakeRxOptions(a, b, c, d, e, f, &link_.rxOptions) ? S_OK : S_FALSE;
  }

  // Takes effect at once, also for a running TX and RX's source filter.
  HRESULT STDMETHODCALLTYPE SetTarget(BSTR target, int32_t port) override {
    std::string text;
    TargetText parts;
    if (!Utf8FromBstr(target, &text) || !SplitTarget(text, port, &parts)) return E_INVALIDARG;
    Address address;
    const HRESULT resolved = ResolveTarget(parts, &address);
    if (FAILED(resolved)) {
      Log("target '%s' does not resolve", text.c_str());
      return resolved;
    }
    std::lock_guard<std::mutex> hold(link_.target.mutex);
    link_.target.address = address;
    link_.target.valid = true;
    link_.target.generation.fetch_add(1, std::memory_order_release);
    Log("target %s port %u", parts.host.c_str(), static_cast<unsigned>(parts.port));
    return S_OK;
  }

  // The RX port; applies when the socket is next opened (at a start while
  // both directions are stopped).
  HRESULT STDMETHODCALLTYPE SetNumber(int32_t number) override {
    if (number < 1 || number > 65535) return E_INVALIDARG;
    link_.localPort = static_cast<uint16_t>(number);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE Reserved14() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved15() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved16() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved17() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reserved18() override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE StartTX(int32_t device) override {
    return StartTransmit(&link_, device);
  }
  HRESULT STDMETHODCALLTYPE StopTX() override { return StopTransmit(&link_); }
  HRESULT STDMETHODCALLTYPE StartRX(int32_t device) override {
    return StartReceive(&link_, device);
  }
  HRESULT STDMETHODCALLTYPE StopRX() override { return StopReceive(&link_); }

  // The gains are the link's, whatever the device: the index is only checked.
  HRESULT STDMETHODCALLTYPE SetSpeakerVolume(int32_t device, int32_t volume) override {
    return SetVolume(&link_.speakerVolume, device, volume);
  }
  HRESULT STDMETHODCALLTYPE SetMicrophoneVolume(int32_t device, int32_t volume) override {
    return SetVolume(&link_.microphoneVolume, device, volume);
  }

 private:
  ~LinkObject() = default;

  static HRESULT SetVolume(std::atomic<int>* target, int32_t device, int32_t volume) {
    if (device < -1) return E_INVALIDARG;
    const int clamped = ClampVolume(volume);
    target->store(clamped, std::memory_order_relaxed);
    return clamped == volume ? S_OK : S_FALSE;
  }

  void ResetStats() {
    LinkStats& s = link_.stats;
    for (std::atomic<uint64_t>* counter :
         {&s.sent, &s.received, &s.lost, &s.late, &s.duplicated, &s.fec, &s.concealed, &s.dropped,
          &s.junk, &s.stranger, &s.foreign, &s.overflow}) {
      counter->store(0);
    }
    for (std::atomic<int64_t>* value :
         {&s.jitterUs, &s.depthMs, &s.latencyUs, &s.captureStartNs, &s.playbackStartNs}) {
      value->store(0);
    }
  }

  std::atomic<ULONG> references_{1};
  LinkState link_;
};

}  // namespace

HRESULT CreateLinkObject(REFIID iid, void** out) {
  *out = nullptr;
  auto* object = new (std::nothrow) LinkObject;
  if (object == nullptr) return E_OUTOFMEMORY;
  const HRESULT result = object->QueryInterface(iid, out);
  object->Release();
  return result;
}

}  // namespace audiolink
