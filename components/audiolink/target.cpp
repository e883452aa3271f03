#include "target.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>

#include "hresults.h"

namespace audiolink {
namespace {

bool ParsePort(const std::string& digits, uint16_t* out) {
  if (digits.empty() || digits.size() > 5) return false;
  int value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  *out = static_cast<uint16_t>(value);
  return true;
}

// Takes an IPv4 socket address to its IPv4-mapped IPv6 form; others as given.
sockaddr_in6 Mapped(const Address& address) {
  sockaddr_in6 six{};
  if (address.storage.ss_family == AF_INET6) {
    std::memcpy(&six, &address.storage, sizeof six);
    return six;
  }
  sockaddr_in four;
  std::memcpy(&four, &address.storage, sizeof four);
  six.sin6_family = AF_INET6;
  six.sin6_port = four.sin_port;
  six.sin6_addr.s6_addr[10] = 0xFF;
  six.sin6_addr.s6_addr[11] = 0xFF;
  std::memcpy(&six.sin6_addr.s6_addr[12], &four.sin_addr, 4);
  return six;
}

}  // namespace

bool SplitTarget(const std::string& text, int32_t defaultPort, TargetText* out) {
  std::string host = text;
  std::string port;
  if (!host.empty() && host[0] == '[') {
    const size_t close = host.find(']');
    if (close == std::string::npos) return false;
    const std::string rest = host.substr(close + 1);
    host = host.substr(1, close - 1);
    if (host.find(':') == std::string::npos) return false;
    if (!rest.empty()) {
      if (rest[0] != ':') return false;
      port = rest.substr(1);
      if (port.empty()) return false;
    }
  } else {
    const size_t first = host.find(':');
    if (first != std::string::npos && host.find(':', first + 1) == std::string::npos) {
      port = host.substr(first + 1);
      host = host.substr(0, first);
      if (port.empty()) return false;
    }
  }
  if (host.empty() || host.size() > 253) return false;
  for (char c : host) {
    if (static_cast<unsigned char>(c) <= ' ' || c == '[' || c == ']' || c == '/') return false;
  }
  TargetText result;
  result.host = host;
  if (!port.empty()) {
    if (!ParsePort(port, &result.port)) return false;
  } else {
    if (defaultPort < 1 || defaultPort > 65535) return false;
    result.port = static_cast<uint16_t>(defaultPort);
  }
  *out = result;
  return true;
}

bool Utf8FromBstr(BSTR text, std::string* out) {
  if (text == nullptr) return false;
  const UINT length = SysStringLen(text);
  std::string result;
  for (UINT i = 0; i < length; ++i) {
    uint32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF) {
      if (i + 1 >= length || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
      return false;
    }
    if (code < 0x80) {
      result += static_cast<char>(code);
    } else if (code < 0x800) {
      result += static_cast<char>(0xC0 | code >> 6);
      result += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      result += static_cast<char>(0xE0 | code >> 12);
      result += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      result += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      result += static_cast<char>(0xF0 | code >> 18);
      result += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      result += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      result += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  *out = result;
  return true;
}

HRESULT ResolveTarget(const TargetText& target, Address* out) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_NUMERICSERV;
  const std::string port = std::to_string(target.port);
  addrinfo* found = nullptr;
  if (getaddrinfo(target.host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) {
    return kHostNotFound;
  }
  HRESULT result = kHostNotFound;
  for (addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET && entry->ai_family != AF_INET6) continue;
    if (entry->ai_addrlen > sizeof out->storage) continue;
    std::memset(&out->storage, 0, sizeof out->storage);
    std::memcpy(&out->storage, entry->ai_addr, entry->ai_addrlen);
    out->length = entry->ai_addrlen;
    result = S_OK;
    break;
  }
  freeaddrinfo(found);
  return result;
}

bool SameAddress(const Address& a, const Address& b, bool withPort) {
  const sockaddr_in6 x = Mapped(a);
  const sockaddr_in6 y = Mapped(b);
  if (std::memcmp(&x.sin6_addr, &y.sin6_addr, sizeof x.sin6_addr) != 0) return false;
  return !withPort || x.sin6_port == y.sin6_port;
}

Address AsIpv6(const Address& address) {
  Address result{};
  const sockaddr_in6 six = Mapped(address);
  std::memcpy(&result.storage, &six, sizeof six);
  result.length = sizeof six;
  return result;
}

}  // namespace audiolink
