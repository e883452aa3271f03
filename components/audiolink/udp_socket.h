// The link's one UDP socket: RX listens on it and TX sends from it, so the
// peer sees our packets come from the port it sends to.
//
// Opened by the caller's thread while no audio thread runs, closed likewise;
// in between, TX sends and RX receives on it from their own threads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/com.h"
#include "target.h"

namespace audiolink {

struct UdpSocket {
  int fd = -1;
  int family = 0;
  uint16_t port = 0;
};

// Binds port on every address, IPv6 with IPv4 mapped when the machine has
// IPv6, IPv4 otherwise; non-blocking. kPortInUse or E_FAIL on failure.
HRESULT OpenUdpSocket(uint16_t port, UdpSocket* out);
void CloseUdpSocket(UdpSocket* socket);

// Best effort: a datagram that cannot go is dropped, as on the wire.
void SendDatagram(const UdpSocket& socket, const Address& to, const uint8_t* data, size_t size);

// One waiting datagram into buffer: its real size (more than capacity when
// it was cut), or -1 when none waits.
long ReceiveDatagram(const UdpSocket& socket, uint8_t* buffer, size_t capacity, Address* from);

// Throws away whatever waits.
void DrainUdpSocket(const UdpSocket& socket);

}  // namespace audiolink
