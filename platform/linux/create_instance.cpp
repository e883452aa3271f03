// CoCreateInstance for in-process servers, and OleRun.
#include <dlfcn.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "apartment.h"
#include "class_registry.h"
#include "platform/com.h"

namespace {

// Servers stay loaded for the life of the process: objects and threads of a
// component may outlive any one apartment.
DllGetClassObjectFunction LoadClassServer(const std::string& path) {
  static std::mutex guard;
  static std::map<std::string, DllGetClassObjectFunction> loaded;
  std::lock_guard<std::mutex> lock(guard);
  auto found = loaded.find(path);
  if (found != loaded.end()) return found->second;
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return nullptr;
  auto entry = reinterpret_cast<DllGetClassObjectFunction>(dlsym(library, "DllGetClassObject"));
  if (entry == nullptr) {
    dlclose(library);
    return nullptr;
  }
  loaded.emplace(path, entry);
  return entry;
}

}  // namespace

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!ThreadHasEnteredCom()) return CO_E_NOTINITIALIZED;
  // Only in-process servers exist here; a request that excludes them finds
  // no server, as a class without that kind of registration would.
  if ((context & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
  const std::string server = FindClassServer(clsid, ClassSearchPath(std::getenv("COM_CLASS_PATH")));
  if (server.empty()) return REGDB_E_CLASSNOTREG;
  DllGetClassObjectFunction entry = LoadClassServer(server);
  if (entry == nullptr) return CO_E_ERRORINDLL;
  IClassFactory* factory = nullptr;
  HRESULT hr = entry(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return hr;
  if (factory == nullptr) return E_POINTER;
  hr = factory->CreateInstance(outer, iid, out);
  factory->Release();
  if (FAILED(hr)) *out = nullptr;
  return hr;
}

HRESULT OleRun(LPUNKNOWN object) {
  if (object == nullptr) return E_INVALIDARG;
  IRunnableObject* runnable = nullptr;
  if (FAILED(object->QueryInterface(IID_IRunnableObject, reinterpret_cast<void**>(&runnable))) ||
      runnable == nullptr)
    return S_OK;
  const HRESULT hr = runnable->Run(nullptr);
  runnable->Release();
  return hr;
}
