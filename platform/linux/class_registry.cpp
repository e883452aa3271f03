#include "class_registry.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

std::string FormatClsid(REFCLSID clsid) {
  char text[39];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(clsid.Data1), clsid.Data2, clsid.Data3, clsid.Data4[0],
                clsid.Data4[1], clsid.Data4[2], clsid.Data4[3], clsid.Data4[4], clsid.Data4[5],
                clsid.Data4[6], clsid.Data4[7]);
  return text;
}

namespace {

std::string ExecutableDirectory() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return ".";
  std::string text(path, static_cast<size_t>(length));
  const size_t slash = text.rfind('/');
  return slash == std::string::npos ? "." : text.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

std::string ClassSearchPath(const char* comClassPath) {
  if (comClassPath != nullptr) return comClassPath;
  const std::string home = ExecutableDirectory();
  return home + "/classes:" + home + "/../lib/linkctl/classes";
}

std::string FindClassServer(REFCLSID clsid, const std::string& searchPath) {
  const std::string name = FormatClsid(clsid);
  size_t begin = 0;
  while (begin <= searchPath.size()) {
    size_t end = searchPath.find(':', begin);
    if (end == std::string::npos) end = searchPath.size();
    const std::string directory = searchPath.substr(begin, end - begin);
    begin = end + 1;
    if (directory.empty()) continue;
    std::ifstream registration(directory + "/" + name);
    std::string server;
    if (!registration || !std::getline(registration, server)) continue;
    if (!server.empty() && server.back() == '\r') server.pop_back();
    if (server.empty()) continue;
    return server.front() == '/' ? server : directory + "/" + server;
  }
  return std::string();
}
