// The remote end named by SetTarget(text, port).
//
// Text forms: "name", "1.2.3.4", "::1" (a bare IPv6 address), "[::1]",
// each taking the port argument, or "name:5002", "1.2.3.4:5002",
// "[::1]:5002", whose port overrides it. Ports are 1..65535.
//
// SplitTarget is pure. ResolveTarget looks the host up (it may block on the
// resolver) and is called from the caller's thread only.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <string>

#include "platform/com.h"

namespace audiolink {

struct TargetText {
  std::string host;
  uint16_t port;
};

// False for an empty or malformed text or when no valid port is given.
bool SplitTarget(const std::string& text, int32_t defaultPort, TargetText* out);

// The BSTR's UTF-16 as UTF-8; false for a null BSTR or unpaired surrogates.
bool Utf8FromBstr(BSTR text, std::string* out);

struct Address {
  sockaddr_storage storage;
  socklen_t length;
};

// S_OK with the first address found, kHostNotFound when none.
HRESULT ResolveTarget(const TargetText& target, Address* out);

// Same family, address and (when withPort) port. IPv4 and its IPv6-mapped
// form are taken as the same address.
bool SameAddress(const Address& a, const Address& b, bool withPort);

// The address as an AF_INET6 socket takes it (IPv4 becomes IPv4-mapped).
Address AsIpv6(const Address& address);

}  // namespace audiolink
