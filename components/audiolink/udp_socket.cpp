#include "udp_socket.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "hresults.h"

namespace audiolink {
namespace {

int BindSocket(int family, uint16_t port, int* error) {
  const int fd = socket(family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    *error = errno;
    return -1;
  }
  sockaddr_storage address{};
  socklen_t length;
  if (family == AF_INET6) {
    const int no = 0;
    setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
    auto* six = reinterpret_cast<sockaddr_in6*>(&address);
    six->sin6_family = AF_INET6;
    six->sin6_port = htons(port);
    six->sin6_addr = in6addr_any;
    length = sizeof *six;
  } else {
    auto* four = reinterpret_cast<sockaddr_in*>(&address);
    four->sin_family = AF_INET;
    four->sin_port = htons(port);
    four->sin_addr.s_addr = htonl(INADDR_ANY);
    length = sizeof *four;
  }
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0) {
    *error = errno;
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

HRESULT OpenUdpSocket(uint16_t port, UdpSocket* out) {
  int error = 0;
  int family = AF_INET6;
  int fd = BindSocket(AF_INET6, port, &error);
  if (fd < 0 && error != EADDRINUSE) {
    family = AF_INET;
    fd = BindSocket(AF_INET, port, &error);
  }
  if (fd < 0) return error == EADDRINUSE ? kPortInUse : E_FAIL;
  out->fd = fd;
  out->family = family;
  out->port = port;
  return S_OK;
}

void CloseUdpSocket(UdpSocket* socket) {
  if (socket->fd >= 0) close(socket->fd);
  socket->fd = -1;
}

void SendDatagram(const UdpSocket& socket, const Address& to, const uint8_t* data, size_t size) {
  if (socket.fd < 0) return;
  if (socket.family == AF_INET6) {
    const Address six = AsIpv6(to);
    sendto(socket.fd, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&six.storage),
           six.length);
  } else if (to.storage.ss_family == AF_INET) {
    sendto(socket.fd, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to.storage),
           to.length);
  }
}

long ReceiveDatagram(const UdpSocket& socket, uint8_t* buffer, size_t capacity, Address* from) {
  from->length = sizeof from->storage;
  const ssize_t size = recvfrom(socket.fd, buffer, capacity, MSG_TRUNC,
                                reinterpret_cast<sockaddr*>(&from->storage), &from->length);
  return size < 0 ? -1 : static_cast<long>(size);
}

void DrainUdpSocket(const UdpSocket& socket) {
  uint8_t scrap[16];
  Address from;
  for (int i = 0; i < 100000 && ReceiveDatagram(socket, scrap, sizeof scrap, &from) >= 0; ++i) {
  }
}

}  // namespace audiolink
