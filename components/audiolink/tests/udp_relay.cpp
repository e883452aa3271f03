#include "udp_relay.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "link_process.h"

namespace {

int BoundSocket(int* port) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  *port = ntohs(address.sin_port);
  return fd;
}

struct Pending {
  int64_t dueNs;
  std::vector<uint8_t> bytes;
};

void SendToB(UdpRelay* relay, const std::vector<uint8_t>& bytes) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(static_cast<uint16_t>(relay->bPort));
  sendto(relay->toB, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
}

void RelayLoop(UdpRelay* relay) {
  std::mt19937 random(relay->faults.seed);
  std::uniform_real_distribution<double> chance(0, 1);
  std::vector<Pending> pending;
  const RelayFaults& faults = relay->faults;
  while (!relay->stop.load()) {
    pollfd wait[2] = {{relay->fromA, POLLIN, 0}, {relay->toB, POLLIN, 0}};
    poll(wait, 2, 1);
    uint8_t buffer[2048];
    ssize_t size;
    while ((size = recv(relay->toB, buffer, sizeof buffer, 0)) >= 0) {
    }
    while ((size = recv(relay->fromA, buffer, sizeof buffer, 0)) >= 0) {
      ++relay->counts.received;
      if (chance(random) < faults.loss) {
        ++relay->counts.dropped;
        continue;
      }
      ++relay->counts.forwarded;
      int64_t delayNs =
          faults.jitterMs > 0 ? static_cast<int64_t>(chance(random) * faults.jitterMs * 1e6) : 0;
      if (chance(random) < faults.reorder) delayNs += int64_t{faults.holdMs} * 1000000;
      const std::vector<uint8_t> bytes(buffer, buffer + size);
      const int64_t now = NowNs();
      pending.push_back({now + delayNs, bytes});
      if (chance(random) < faults.duplicate) {
        ++relay->counts.duplicated;
        pending.push_back({now + delayNs + 1000000, bytes});
      }
      if (relay->inject) {
        std::vector<std::vector<uint8_t>> extra;
        relay->inject(&extra);
        for (auto& datagram : extra) pending.push_back({now + delayNs, std::move(datagram)});
      }
    }
    const int64_t now = NowNs();
    std::stable_sort(pending.begin(), pending.end(),
                     [](const Pending& a, const Pending& b) { return a.dueNs < b.dueNs; });
    size_t sent = 0;
    while (sent < pending.size() && pending[sent].dueNs <= now)
      SendToB(relay, pending[sent++].bytes);
    pending.erase(pending.begin(), pending.begin() + static_cast<long>(sent));
  }
  for (const Pending& late : pending) SendToB(relay, late.bytes);
}

}  // namespace

bool StartRelay(UdpRelay* relay, int bPort, const RelayFaults& faults) {
  relay->faults = faults;
  relay->bPort = bPort;
  relay->fromA = BoundSocket(&relay->portFromA);
  relay->toB = BoundSocket(&relay->portToB);
  if (relay->fromA < 0 || relay->toB < 0) return false;
  relay->stop = false;
  relay->thread = std::thread(RelayLoop, relay);
  return true;
}

void StopRelay(UdpRelay* relay) {
  relay->stop = true;
  if (relay->thread.joinable()) relay->thread.join();
  if (relay->fromA >= 0) close(relay->fromA);
  if (relay->toB >= 0) close(relay->toB);
  relay->fromA = relay->toB = -1;
}
