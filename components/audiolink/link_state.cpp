#include "link_state.h"

namespace audiolink {

void RefreshTarget(SharedTarget* shared, TargetView* view) {
  const uint32_t generation = shared->generation.load(std::memory_order_acquire);
  if (generation == view->generation) return;
  std::lock_guard<std::mutex> hold(shared->mutex);
  view->generation = shared->generation.load(std::memory_order_relaxed);
  view->valid = shared->valid;
  view->address = shared->address;
}

HRESULT EnsureSocket(LinkState* link) {
  if (link->socket.fd >= 0) {
    if (link->socket.port == link->localPort || link->tx.running || link->rx.running) return S_OK;
    CloseUdpSocket(&link->socket);
  }
  return OpenUdpSocket(link->localPort, &link->socket);
}

}  // namespace audiolink
