// The recording component as a Windows in-process server: the entry points
// COM and regsvr32 call besides DllGetClassObject. Registration goes to
// HKEY_CLASSES_ROOT (Wine's COM does not look in the per-user classes).
#include <olectl.h>

#include <string>

#include "link/audio_link.h"
#include "recorder.h"

namespace {

// "CLSID\{94221C4E-...}", the class key under HKEY_CLASSES_ROOT.
std::wstring ClassKey() {
  wchar_t clsid[40];
  StringFromGUID2(CLSID_AudioLink, clsid, 40);
  return std::wstring(L"CLSID\\") + clsid;
}

bool SetValue(HKEY key, const wchar_t* name, const std::wstring& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        bytes) == ERROR_SUCCESS;
}

// Any object of this DLL, to find the module it lies in.
const int moduleAnchor = 0;

// The full path of this DLL, wherever it was loaded from.
std::wstring ModulePath() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&moduleAnchor), &module);
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  return length == 0 || length == MAX_PATH ? std::wstring() : std::wstring(path, length);
}

}  // namespace

STDAPI DllCanUnloadNow() {
  const HRESULT hr = RecorderInUse() ? S_FALSE : S_OK;
  RecordEvent(hr == S_OK ? "DllCanUnloadNow -> S_OK" : "DllCanUnloadNow -> S_FALSE");
  return hr;
}

STDAPI DllRegisterServer() {
  const std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  const std::wstring server = ClassKey() + L"\\InprocServer32";
  HKEY key;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, server.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return SELFREG_E_CLASS;
  const bool written =
      SetValue(key, nullptr, path) && SetValue(key, L"ThreadingModel", L"Apartment");
  RegCloseKey(key);
  return written ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  const std::wstring clsid = ClassKey();
  const std::wstring server = clsid + L"\\InprocServer32";
  // A key that is not there is already unregistered.
  for (const std::wstring& name : {server, clsid}) {
    const LONG result = RegDeleteKeyW(HKEY_CLASSES_ROOT, name.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) return SELFREG_E_CLASS;
  }
  return S_OK;
}
