#include "link/create_link.h"

namespace {
constexpr DWORD kLinkContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
}

HRESULT CreateLink(LinkPtr& link) {
  void** into = link.Receive();
  IUnknown* temporary = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_AudioLink, nullptr, kLinkContext, IID_IUnknown,
                                reinterpret_cast<void**>(&temporary));
  if (FAILED(hr)) return hr;
  // A context that reaches out-of-process servers must have the object
  // running before it is asked for its interface.
  hr = OleRun(temporary);
  if (SUCCEEDED(hr)) {
    hr = temporary->QueryInterface(IID_IAudioLink, into);
    if (FAILED(hr)) *into = nullptr;
  }
  temporary->Release();
  return hr;
}
