// Test support: a UDP relay on loopback that plays a bad network between A
// and B. It takes A's datagrams on one socket and sends them on to B from
// another (B's target), dropping, duplicating, holding back and delaying
// them by a seeded random draw; B's datagrams back are dropped. It can also
// slip packets of its own into B's stream.
//
// Start/Stop from the test thread; the counters are final after Stop.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

struct RelayFaults {
  double loss = 0;       // chance a datagram is dropped
  double duplicate = 0;  // chance a passed one is sent twice
  double reorder = 0;    // chance a passed one is held back by holdMs
  int holdMs = 0;
  int jitterMs = 0;  // every datagram delayed by 0..jitterMs
  unsigned seed = 1;
};

struct RelayCounts {
  int received = 0;  // datagrams from A
  int dropped = 0;
  int forwarded = 0;   // distinct datagrams sent on to B
  int duplicated = 0;  // extra copies sent
};

struct UdpRelay {
  int fromA = -1;  // socket A sends to
  int toB = -1;    // socket sending to B: B's target
  int portFromA = 0;
  int portToB = 0;
  int bPort = 0;
  RelayFaults faults;
  RelayCounts counts;
  std::atomic<bool> stop{false};
  std::thread thread;
  // Called on the relay thread for each datagram passed; may append extra
  // datagrams to send to B right after it.
  std::function<void(std::vector<std::vector<uint8_t>>*)> inject;
};

bool StartRelay(UdpRelay* relay, int bPort, const RelayFaults& faults);
void StopRelay(UdpRelay* relay);
