// LinkPtr: the owning pointer to the component's IAudioLink.
//
// Lifecycle: empty when made; filled once by creation (Receive), emptied by
// Release (or its destructor). It holds one reference or none.
//
// Every call made through it tests for null first and raises E_POINTER on an
// empty LinkPtr. Release empties the LinkPtr before calling Release on the
// pointer it held, so a re-entrant use sees it empty. Not copyable.
#pragma once

#include "link/audio_link.h"
#include "link/com_error.h"

class LinkPtr {
 public:
  LinkPtr() = default;
  LinkPtr(const LinkPtr&) = delete;
  LinkPtr& operator=(const LinkPtr&) = delete;
  ~LinkPtr() { Release(); }

  IAudioLink* operator->() const {
    if (link_ == nullptr) RaiseComError(E_POINTER);
    return link_;
  }

  bool Empty() const { return link_ == nullptr; }

  // Where creation writes the new reference; whatever was held is released.
  void** Receive() {
    Release();
    return reinterpret_cast<void**>(&link_);
  }

  void Release() {
    IAudioLink* held = link_;
    link_ = nullptr;
    if (held != nullptr) held->Release();
  }

 private:
  IAudioLink* link_ = nullptr;
};
