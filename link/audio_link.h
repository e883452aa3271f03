// The contract with the outside AudioLink component.
//
// Lifecycle: the component is created through the class registry
// (CreateLink), opened, configured and started by the link thread, driven by
// the command interpreter, then stopped, closed and released, all from that
// one thread, a single-threaded apartment that runs no message loop.
//
// Ownership: whoever holds an IAudioLink pointer holds one reference to it and
// gives it back with Release. The BSTR passed to SetTarget stays the caller's.
//
// Valid inputs: every argument is a 32-bit value passed as it is; the program
// makes no range checks. A device argument of -1 means "the default device".
// Results are for other callers: linkctl ignores every HRESULT it gets back.
//
// This declaration is the one place where the order of the function table is
// written; slots 5-9 and 14-18 are placeholders the program never calls.
#pragma once

#include <cstdint>

#include "platform/com.h"

// {94221C4E-00F1-11D4-9D59-0060B0FC246C}
inline const CLSID CLSID_AudioLink = {
    0x94221C4E, 0x00F1, 0x11D4, {0x9D, 0x59, 0x00, 0x60, 0xB0, 0xFC, 0x24, 0x6C}};

// {94221C4D-00F1-11D4-9D59-0060B0FC246C}
inline const IID IID_IAudioLink = {
    0x94221C4D, 0x00F1, 0x11D4, {0x9D, 0x59, 0x00, 0x60, 0xB0, 0xFC, 0x24, 0x6C}};

struct IAudioLink : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Open() = 0;       // slot 3
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;      // slot 4
  virtual HRESULT STDMETHODCALLTYPE Reserved5() = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE Reserved6() = 0;  // slot 6
  virtual HRESULT STDMETHODCALLTYPE Reserved7() = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE Reserved8() = 0;  // slot 8
  virtual HRESULT STDMETHODCALLTYPE Reserved9() = 0;  // slot 9
  virtual HRESULT STDMETHODCALLTYPE SetOptionsA(int32_t a, int32_t b, int32_t c,
                                                int32_t d) = 0;  // slot 10
  virtual HRESULT STDMETHODCALLTYPE SetOptionsB(int32_t a, int32_t b, int32_t c, int32_t d,
                                                int32_t e, int32_t f) = 0;     // slot 11
  virtual HRESULT STDMETHODCALLTYPE SetTarget(BSTR target, int32_t port) = 0;  // slot 12
  virtual HRESULT STDMETHODCALLTYPE SetNumber(int32_t number) = 0;             // slot 13
  virtual HRESULT STDMETHODCALLTYPE Reserved14() = 0;                          // slot 14
  virtual HRESULT STDMETHODCALLTYPE Reserved15() = 0;                          // slot 15
  virtual HRESULT STDMETHODCALLTYPE Reserved16() = 0;                          // slot 16
  virtual HRESULT STDMETHODCALLTYPE Reserved17() = 0;                          // slot 17
  virtual HRESULT STDMETHODCALLTYPE Reserved18() = 0;                          // slot 18
  virtual HRESULT STDMETHODCALLTYPE StartTX(int32_t device) = 0;               // slot 19
  virtual HRESULT STDMETHODCALLTYPE StopTX() = 0;                              // slot 20
  virtual HRESULT STDMETHODCALLTYPE StartRX(int32_t device) = 0;               // slot 21
  virtual HRESULT STDMETHODCALLTYPE StopRX() = 0;                              // slot 22
  virtual HRESULT STDMETHODCALLTYPE SetSpeakerVolume(int32_t device, int32_t volume) = 0;  // 23
  virtual HRESULT STDMETHODCALLTYPE SetMicrophoneVolume(int32_t device,
                                                        int32_t volume) = 0;  // slot 24
};
